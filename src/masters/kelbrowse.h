#pragma once

#include <QDialog>
#include <QPrinter>
#include <QVariant>

class QAction;
class QMenu;
class QMenuBar;
class QPushButton;
class QScrollBar;
class QTableView;
class kelBrowseModel;

// The program's one pick list: runs a query, shows its rows and returns the first-column text of
// the row the operator chooses. Callers go through kelLaunchBrowse.
class kelBrowse : public QDialog {
    Q_OBJECT
public:
    explicit kelBrowse(QWidget* parent = nullptr);
    ~kelBrowse() override;

    int colS() const { return m_colS; }
    void setColS(int columnas) { m_colS = columnas; }
    QString GridHeader() const { return m_gridHeader; }
    void SetGridHeader(const QString& titulos) { m_gridHeader = titulos; }
    QVariant SelectedValue() const { return m_selectedValue; }
    bool Cancelled() const { return m_cancelled; }

    // Loads `consulta`, puts the selection on the row whose first column is `defecto` (letter
    // case aside) or on the first row, and shows the window modally unless it is visible.
    // `clave` names trailing columns of the query, not shown, that identify a row.
    void SelectRecord(const QString& defecto, const QString& consulta,
                      const QStringList& clave = {});
    // Orders the rows ascending by the second column.
    void SortGrid();

    // Width lists (twips, "|"-joined): the one computed at load, and the grid's current one.
    QString ListaInicial() const;
    QString ListaActual() const;
    void AplicaLista(const QString& lista);
    // Applies a saved set as if the operator had chosen it in the menu.
    void AplicaConjunto(const QString& nombre);

    // Prints every row on `impresora`, a page read at a time, with a progress that can cancel
    // it (then the printer's job is aborted); returns the number of pages printed.
    int ImprimeGrid(QPrinter& impresora);
    // The printer the print button offers in its dialog.
    QPrinter& Impresora() { return m_impresora; }
    QString NombreDocumento() const;
    // The file a print to PDF proposes for `documento`: its name with "/", "\" and ":" made
    // "-", in the user's documents folder (the home folder when there is none).
    static QString ArchivoPdf(const QString& documento);

    QTableView* Grid() const { return m_grid; }
    // The scroll bar over the whole list (the grid's own covers the rows held).
    QScrollBar* BarraLista() const { return m_vsbLista; }
    kelBrowseModel* Modelo() const { return m_modelo; }

public slots:
    void reject() override;
    void done(int resultado) override;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void Carga();
    void CargaConjuntos();
    void Elige();
    void GuardaConjunto();
    void Imprime();
    void OrdenaPor(int columna);
    void Muestra(int fila);
    void AlMover();
    void IrA(int lugar);
    void ActualizaBarra();

    kelBrowseModel* m_modelo = nullptr;
    QTableView* m_grid = nullptr;
    QScrollBar* m_vsbLista = nullptr;
    bool m_moviendo = false;
    QString m_buscado;   // typed so far
    qint64 m_tecleo = 0; // when it was last typed, ms
    QPushButton* m_cmdOk = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QPushButton* m_cmdPrint = nullptr;
    QMenuBar* m_barra = nullptr;
    QMenu* m_mnuColumnas = nullptr;
    QMenu* m_mnuColumnasRecuperar = nullptr;
    QAction* m_mnuColumnasRecuperarInicial = nullptr;
    QAction* m_mnuColumnasRecuperarSep = nullptr;
    QList<QAction*> m_mnuColumnasRecuperarNombre;
    QAction* m_mnuColumnasGuardar = nullptr;

    QPrinter m_impresora;
    QString m_consulta;
    QStringList m_clave;
    QString m_gridHeader;
    QString m_listaInicial; // Tag of the "Inicial" entry
    QString m_tagColumnas;  // Tag of the columns menu: the set applied last
    QVariant m_selectedValue;
    int m_colS = 2;
    bool m_cancelled = true;
};
