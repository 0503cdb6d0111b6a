#pragma once

#include "app/resultado.h"

#include <QAbstractTableModel>
#include <QSqlDatabase>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>
#include <deque>
#include <functional>
#include <vector>

// The rows of a pick list: any SELECT of the program, ordered by one of its columns (ties by the
// row's key) and read from the database a few screenfuls at a time around what the grid shows,
// by key ranges on the order's index, so that a list of millions of rows opens at once and holds
// no more than `Maximo` rows. The model's rows are that window of the list; `Inicio` says where
// it stands in the whole.
class kelBrowseModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using Fila = QVector<QVariant>;
    static constexpr int Lote = 128;   // rows read at a time
    static constexpr int Margen = 48;  // rows kept ready beyond the visible ones
    static constexpr int Maximo = 640; // rows held at most
    // Rows counted exactly from either end of the list to place a row found by its key; further
    // in, its place is estimated from its value between the first and the last row's.
    static constexpr int Cota = 2000;

    explicit kelBrowseModel(QObject* parent = nullptr);
    ~kelBrowseModel() override;

    // Runs `sql` on `db` and reads the start of the list. `clave` names trailing columns of the
    // result, not shown, that identify a row and break ties; without them the first column does.
    // On failure the model is empty and the result holds the engine's text.
    Resultado Abre(QSqlDatabase db, const QString& sql, const QStringList& clave = {});
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
    // The statement that reads the first rows of the list in its order, as the model runs it.
    QString ConsultaPrimeras(int filas) const;

    // The fields of the result: names and, for columns of a known table, their defined size.
    QSqlRecord Registro() const { return m_registro; }
    // The characters a column is declared to hold: the text size of a known text column, the
    // digits and sign of a whole number, the engine's size of a double, date or boolean; -1 for
    // computed and unknown columns, which are measured by their content.
    int TamanoDefinido(int columna) const;

    // The display text of a cell: decimals with up to 15 significant digits and the decimal
    // separator given here ("." until then).
    QString Texto(int fila, int columna) const;
    QString TextoDe(const Fila& fila, int columna) const;
    void SetSeparadorDecimal(const QString& separador) { m_separadorDecimal = separador; }
    // Numbers are right-aligned, anything else left-aligned.
    Qt::Alignment Alineacion(int fila, int columna) const;
    static Qt::Alignment AlineacionDe(const Fila& fila, int columna);

    // Where the rows held stand in the list: the rows of the whole list (counted at opening, or
    // estimated for a table of more than 50,000, and corrected when an end is reached), and the
    // place of row 0, exact near the ends and after a move by place, estimated otherwise.
    qint64 Total() const { return m_total; }
    qint64 Inicio() const { return m_inicio; }
    bool HayAntes() const { return m_hayAntes; }
    bool HayDespues() const { return m_hayDespues; }

    // Keeps `Margen` rows read beyond rows `primera`..`ultima` (the visible ones) and drops rows
    // far from them. Returns the rows added (or, negative, removed) before `primera`.
    int Asegura(int primera, int ultima);
    // Reads the list from its start, from its end, or from place `posicion` (0-based).
    void AlPrincipio();
    void AlFinal();
    void Salta(qint64 posicion);
    // The first row whose first column equals `texto`, ignoring letter case, read with the rows
    // around it; -1 (and the rows unchanged) when there is none.
    int BuscaFila(const QString& texto);
    // The first row whose sort column starts with `texto`, ignoring letter case, as BuscaFila.
    int BuscaPrefijo(const QString& texto);
    // Every row of the list in order, `lote` at a time, read apart from the rows held; `cada`
    // returns false to stop. False when stopped or when a read failed.
    bool Recorre(int lote, const std::function<bool(const std::vector<Fila>&)>& cada) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    struct Sentencia {
        QString sql;
        QVariantList valores;
    };
    // Up to `n` rows after `desde` (from the start without it), forwards or backwards in the
    // list's order; `cuenta` makes it count them instead, the count in the one row's column.
    std::vector<Fila> Lee(bool adelante, const Fila* desde, int n, bool cuenta = false) const;
    std::vector<Fila> Ejecuta(const Sentencia& s) const;
    qint64 Cuenta(bool adelante, const Fila& desde, int cota) const;
    QString Columna(int c) const;
    QString Orden(const QList<int>& columnas, bool asc) const;
    QList<int> Desempate() const;
    void Pon(std::deque<Fila> filas, bool hayAntes, bool hayDespues, qint64 inicio);
    int Situa(const Fila& fila);
    double Lugar(const Fila& fila, const Fila& primera, const Fila& ultima) const;
    void CuentaTotal();

    QSqlDatabase m_db;
    QString m_sql;
    QSqlRecord m_registro;
    QStringList m_tablas; // tables named after FROM/JOIN in the statement
    QStringList m_titulos;
    QList<int> m_clave;      // columns that identify a row
    QList<bool> m_calculada; // per column: not a column of the schema
    int m_visibles = 0;      // columns shown
    std::deque<Fila> m_filas;
    bool m_hayAntes = false;
    bool m_hayDespues = false;
    qint64 m_inicio = 0;
    qint64 m_total = 0;
    bool m_exacto = true; // m_inicio is known, not estimated
    QString m_separadorDecimal = QStringLiteral(".");
    int m_columnaOrden = 1;
    Qt::SortOrder m_orden = Qt::AscendingOrder;
};
