#pragma once

#include <QTableView>

class DelegadoLineas;
class ModeloLineasAlbaran;

// The grid of the note's lines, kept with the keyboard as a spreadsheet: typing into the current
// cell starts editing it, Enter moves along the row and from its last column on to the first
// column of the next row, leaving a row (or the grid) stores it, Ctrl+Delete deletes the current
// line, Ctrl+Tab and Ctrl+Shift+Tab leave the grid. "*" in the columns with a button and F12 ask
// for the column's button.
class RejillaLineas : public QTableView {
    Q_OBJECT
public:
    explicit RejillaLineas(ModeloLineasAlbaran* modelo, QWidget* parent = nullptr);

    ModeloLineasAlbaran* Modelo() const { return m_modelo; }
    // Commits the cell being edited and stores its row, so that what is shown is what is read.
    void Confirma();
    // Column 1 of the new row becomes the current cell.
    void IrAFilaNueva();
    // What Enter does: the next shown column of the row, or the first of the next row.
    void Avanza();
    // The width the values of a column need, as far as the rows shown tell.
    int AnchoValores(int columna) const { return sizeHintForColumn(columna); }

signals:
    // The button of column `columna` (1..9) on row `fila` was asked for.
    void BotonColumna(int fila, int columna);

protected:
    void keyPressEvent(QKeyEvent* evento) override;
    void keyReleaseEvent(QKeyEvent* evento) override;
    void focusInEvent(QFocusEvent* evento) override;
    void currentChanged(const QModelIndex& actual, const QModelIndex& anterior) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    bool Contiene(const QWidget* w) const { return w && (w == this || isAncestorOf(w)); }
    int PrimeraColumnaVisible() const;
    void PideBoton();

    ModeloLineasAlbaran* m_modelo;
    DelegadoLineas* m_delegado;
};
