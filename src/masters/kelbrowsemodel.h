#pragma once

#include "app/resultado.h"

#include <QAbstractTableModel>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>
#include <vector>

// The rows of a pick list: any SELECT of the program, ordered by one of its columns and read
// from the database in batches as the grid shows them, so that a large table opens at once.
class kelBrowseModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int FilasPorLote = 256;

    explicit kelBrowseModel(QObject* parent = nullptr);
    ~kelBrowseModel() override;

    // Runs `sql` on `db`, ordered by the current sort column, and reads the first batch.
    // On failure the model is empty and the result holds the engine's text.
    Resultado Abre(QSqlDatabase db, const QString& sql);
    // Ends the query and empties the model.
    void Cierra();
    QString Consulta() const { return m_sql; }

    // Titles for the header, one per column; columns without a title show the field's name.
    void SetTitulos(const QStringList& titulos);
    QStringList Titulos() const { return m_titulos; }
    QString Titulo(int columna) const;

    // Sorting: by default ascending by the second column (the first when there is only one),
    // text without regard to letter case.
    int ColumnaOrden() const { return m_columnaOrden; }
    Qt::SortOrder Orden() const { return m_orden; }
    // The statement actually run for `sql` with the current ordering.
    QString ConsultaOrdenada(const QString& sql) const;

    // The fields of the result: names and, for columns of a known table, their defined size.
    QSqlRecord Registro() const { return m_registro; }
    // The characters a column is declared to hold: the text size of a known text column, the
    // digits and sign of a whole number, the engine's size of a double, date or boolean; -1 for
    // computed and unknown columns, which are measured by their content.
    int TamanoDefinido(int columna) const;

    // The display text of a cell: decimals with up to 15 significant digits and the decimal
    // separator given here ("." until then).
    QString Texto(int fila, int columna) const;
    void SetSeparadorDecimal(const QString& separador) { m_separadorDecimal = separador; }
    // Numbers are right-aligned, anything else left-aligned.
    Qt::Alignment Alineacion(int fila, int columna) const;
    // The first row whose first column equals `texto`, ignoring letter case, reading further
    // batches while needed; -1 when there is none.
    int BuscaFila(const QString& texto);
    // Reads every remaining row (printing needs them all).
    void TraeTodo();
    bool Completo() const { return !m_pendiente; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent = QModelIndex()) const override;
    void fetchMore(const QModelIndex& parent = QModelIndex()) override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    Resultado Ejecuta();
    std::vector<QVector<QVariant>> LeeLote(int maximo);

    QSqlDatabase m_db;
    QString m_sql;
    QSqlQuery m_consulta;
    QSqlRecord m_registro;
    QStringList m_tablas; // tables named after FROM/JOIN in the statement
    QStringList m_titulos;
    std::vector<QVector<QVariant>> m_filas;
    bool m_pendiente = false;
    QString m_separadorDecimal = QStringLiteral(".");
    int m_columnaOrden = 1;
    Qt::SortOrder m_orden = Qt::AscendingOrder;
};
