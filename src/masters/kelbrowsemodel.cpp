#include "masters/kelbrowsemodel.h"

#include "db/basedatos.h"
#include "db/esquema.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlField>

namespace {

// The statement without trailing spaces and semicolons, so that it can stand as a subquery.
QString SinTerminador(const QString& sql) {
    QString s = sql.trimmed();
    while (s.endsWith(';'))
        s = s.chopped(1).trimmed();
    return s;
}

QStringList TablasDe(const QString& sql) {
    static const QRegularExpression re(R"(\b(?:FROM|JOIN)\s+["\[`]?(\w+))",
                                       QRegularExpression::CaseInsensitiveOption);
    QStringList tablas;
    auto it = re.globalMatch(sql);
    while (it.hasNext())
        tablas << it.next().captured(1);
    return tablas;
}
} // namespace

kelBrowseModel::kelBrowseModel(QObject* parent) : QAbstractTableModel(parent) {}

kelBrowseModel::~kelBrowseModel() {
    m_consulta.finish();
}

QString kelBrowseModel::ConsultaOrdenada(const QString& sql) const {
    // Ties are broken by the first column, so that a row's position is always the same. Text
    // is ordered without regard to letter case, as keys are compared; numbers keep their order.
    QString orden = BaseDatos::OrdenSinMayusculas(m_db, m_columnaOrden + 1);
    if (m_orden == Qt::DescendingOrder)
        orden += " DESC";
    if (m_columnaOrden != 0)
        orden += ", " + BaseDatos::OrdenSinMayusculas(m_db, 1);
    // Every engine takes a subquery that has a name.
    return "SELECT * FROM (" + SinTerminador(sql) + ") AS lista ORDER BY " + orden;
}

Resultado kelBrowseModel::Abre(QSqlDatabase db, const QString& sql) {
    beginResetModel();
    m_consulta.finish();
    m_db = db;
    m_sql = sql;
    m_tablas = TablasDe(sql);
    Resultado r = Ejecuta();
    endResetModel();
    return r;
}

Resultado kelBrowseModel::Ejecuta() {
    m_filas.clear();
    m_pendiente = false;
    m_consulta = QSqlQuery(m_db);
    m_consulta.setForwardOnly(true);
    bool ok = m_consulta.exec(ConsultaOrdenada(m_sql));
    QString textoError = ok ? QString() : BaseDatos::TextoError(m_consulta.lastError());
    if (!ok && m_columnaOrden > 0) {
        // A one-column result is ordered by that column.
        const int antes = m_columnaOrden;
        m_columnaOrden = 0;
        ok = m_consulta.exec(ConsultaOrdenada(m_sql)) && m_consulta.record().count() == 1;
        if (!ok)
            m_columnaOrden = antes;
    }
    if (!ok) {
        m_registro = QSqlRecord();
        m_consulta.finish();
        return Resultado::Fallo(textoError);
    }
    m_registro = m_consulta.record();
    m_pendiente = true;
    m_filas = LeeLote(FilasPorLote); // inside the caller's reset
    return Resultado::Exito();
}

void kelBrowseModel::Cierra() {
    beginResetModel();
    m_consulta.finish();
    m_consulta = QSqlQuery();
    m_filas.clear();
    m_registro = QSqlRecord();
    m_pendiente = false;
    m_sql.clear();
    endResetModel();
}

std::vector<QVector<QVariant>> kelBrowseModel::LeeLote(int maximo) {
    std::vector<QVector<QVariant>> lote;
    const int columnas = m_registro.count();
    int leidas = 0;
    while (m_pendiente && leidas < maximo) {
        if (!m_consulta.next()) {
            m_pendiente = false;
            m_consulta.finish();
            break;
        }
        QVector<QVariant> fila(columnas);
        for (int c = 0; c < columnas; ++c)
            fila[c] = m_consulta.value(c);
        lote.push_back(std::move(fila));
        ++leidas;
    }
    return lote;
}

void kelBrowseModel::SetTitulos(const QStringList& titulos) {
    m_titulos = titulos;
    if (columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

QString kelBrowseModel::Titulo(int columna) const {
    if (columna >= 0 && columna < m_titulos.size())
        return m_titulos.at(columna);
    return m_registro.fieldName(columna);
}

int kelBrowseModel::TamanoDefinido(int columna) const {
    if (columna < 0 || columna >= m_registro.count())
        return -1;
    const QString nombre = m_registro.fieldName(columna);
    for (const QString& tabla : m_tablas) {
        const ColumnaEsquema* c = Esquema::Columna(tabla, nombre);
        if (!c)
            continue;
        switch (c->tipo) {
        case TipoColumna::Texto:
            return c->tamano;
        case TipoColumna::Entero:
            return 11; // "-2147483648"
        case TipoColumna::Doble:
        case TipoColumna::Fecha:
        case TipoColumna::FechaHora:
            return 8;
        case TipoColumna::Booleano:
            return 2;
        }
    }
    return -1;
}

QString kelBrowseModel::Texto(int fila, int columna) const {
    if (fila < 0 || fila >= int(m_filas.size()) || columna < 0 || columna >= m_registro.count())
        return QString();
    const QVariant& v = m_filas[size_t(fila)][columna];
    if (v.isNull())
        return QString();
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15).replace('.', m_separadorDecimal);
    return v.toString();
}

Qt::Alignment kelBrowseModel::Alineacion(int fila, int columna) const {
    const QVariant v =
        fila >= 0 && fila < int(m_filas.size()) ? m_filas[size_t(fila)].value(columna) : QVariant();
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return Qt::AlignRight | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

int kelBrowseModel::BuscaFila(const QString& texto) {
    int fila = 0;
    for (;;) {
        for (; fila < int(m_filas.size()); ++fila)
            if (Texto(fila, 0).compare(texto, Qt::CaseInsensitive) == 0)
                return fila;
        if (!canFetchMore())
            return -1;
        fetchMore();
    }
}

void kelBrowseModel::TraeTodo() {
    while (canFetchMore())
        fetchMore();
}

int kelBrowseModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_filas.size());
}

int kelBrowseModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_registro.count();
}

QVariant kelBrowseModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return Texto(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return int(Alineacion(index.row(), index.column()));
    return QVariant();
}

QVariant kelBrowseModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return Titulo(section);
    return section + 1;
}

bool kelBrowseModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && m_pendiente;
}

void kelBrowseModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid() || !m_pendiente)
        return;
    std::vector<QVector<QVariant>> lote = LeeLote(FilasPorLote);
    if (lote.empty())
        return;
    const int antes = int(m_filas.size());
    beginInsertRows(QModelIndex(), antes, antes + int(lote.size()) - 1);
    m_filas.insert(m_filas.end(), std::make_move_iterator(lote.begin()),
                   std::make_move_iterator(lote.end()));
    endInsertRows();
}

void kelBrowseModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= columnCount() || m_sql.isEmpty())
        return;
    beginResetModel();
    m_consulta.finish();
    m_columnaOrden = column;
    m_orden = order;
    static_cast<void>(Ejecuta()); // a failure leaves the list empty
    endResetModel();
}
