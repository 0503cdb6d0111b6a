#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

class QKeyEvent;

// Edits a cell of the line grid in a text box that takes no more characters than the column
// stores. While a cell is edited, "*" in a column with a button and F12 commit the text and ask
// for the column's button.
class DelegadoLineas : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* padre, const QStyleOptionViewItem& opcion,
                          const QModelIndex& indice) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& indice) const override;

    // Commits and closes the cell being edited, if any.
    void Confirma();

    // Columns 1, 3, 4 and 6 have a button: product and tare look-ups, the scale's reading.
    static bool TieneBoton(int columna);
    // "*" pressed in a column with a button, or F12 released without Shift, Ctrl or Alt.
    static bool EsTeclaBoton(const QKeyEvent* tecla, int columna);

signals:
    void Boton();

protected:
    // A cell marked for the operator's eye carries a warning sign besides its colour.
    void initStyleOption(QStyleOptionViewItem* opcion, const QModelIndex& indice) const override;
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    mutable QPointer<QWidget> m_editor;
    mutable int m_columna = 0;
};
