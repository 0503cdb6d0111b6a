#include "db/recordsetconsulta.h"

#include "db/esquema.h"

#include <QSqlDriver>
#include <sqlite3.h>

namespace {
Recordset::Tipo TipoDeEsquema(TipoColumna t) {
    switch (t) {
    case TipoColumna::Entero:
        return Recordset::Tipo::Entero;
    case TipoColumna::Texto:
        return Recordset::Tipo::Texto;
    case TipoColumna::Doble:
        return Recordset::Tipo::Doble;
    case TipoColumna::Fecha:
        return Recordset::Tipo::Fecha;
    case TipoColumna::FechaHora:
        return Recordset::Tipo::FechaHora;
    case TipoColumna::Booleano:
        return Recordset::Tipo::Booleano;
    }
    return Recordset::Tipo::Texto;
}

// The declared types the schema writes (EsquemaSqlite::TipoSql).
bool TipoDeclarado(const char* declarado, Recordset::Tipo& tipo) {
    if (!declarado)
        return false;
    const QByteArray d = QByteArray(declarado).toUpper();
    if (d == "INTEGER" || d == "INT")
        tipo = Recordset::Tipo::Entero;
    else if (d == "DOUBLE" || d == "REAL" || d == "FLOAT")
        tipo = Recordset::Tipo::Doble;
    else if (d == "DATE")
        tipo = Recordset::Tipo::Fecha;
    else if (d == "DATETIME")
        tipo = Recordset::Tipo::FechaHora;
    else if (d == "BOOLEAN")
        tipo = Recordset::Tipo::Booleano;
    else if (d.startsWith("VARCHAR") || d.startsWith("TEXT") || d.startsWith("CHAR"))
        tipo = Recordset::Tipo::Texto;
    else
        return false;
    return true;
}

sqlite3* Manejador(const QSqlDatabase& db) {
    if (!db.isOpen() || !db.driver())
        return nullptr;
    const QVariant h = db.driver()->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(h.constData());
}
} // namespace

RecordsetConsulta::RecordsetConsulta(QSqlDatabase db, const QString& sql,
                                     const QVariantList& parametros)
    : m_db(db), m_sql(sql), m_parametros(parametros) {}

RecordsetConsulta::~RecordsetConsulta() {
    Finaliza();
}

void RecordsetConsulta::Finaliza() {
    if (m_sentencia)
        sqlite3_finalize(m_sentencia);
    m_sentencia = nullptr;
    m_vacio = true;
    m_alFinal = true;
    m_posicion = -1;
}

bool RecordsetConsulta::Ejecuta() {
    Finaliza();
    sqlite3* db = Manejador(m_db);
    if (!db) {
        m_error = QStringLiteral("the database connection is not open");
        return false;
    }
    const QByteArray sql = m_sql.toUtf8();
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &s, nullptr) != SQLITE_OK || !s) {
        m_error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(s);
        return false;
    }
    for (int i = 0; i < m_parametros.size(); ++i) {
        const QVariant& p = m_parametros.at(i);
        int r = SQLITE_OK;
        if (p.isNull()) {
            r = sqlite3_bind_null(s, i + 1);
        } else {
            switch (p.metaType().id()) {
            case QMetaType::Int:
            case QMetaType::LongLong:
            case QMetaType::UInt:
            case QMetaType::Bool:
                r = sqlite3_bind_int64(s, i + 1, p.toLongLong());
                break;
            case QMetaType::Double:
                r = sqlite3_bind_double(s, i + 1, p.toDouble());
                break;
            default: {
                const QByteArray t = p.toString().toUtf8();
                r = sqlite3_bind_text(s, i + 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            }
            }
        }
        if (r != SQLITE_OK) {
            m_error = QString::fromUtf8(sqlite3_errmsg(db));
            sqlite3_finalize(s);
            return false;
        }
    }
    if (sqlite3_column_count(s) == 0) {
        m_error = QStringLiteral("the statement returns no records");
        sqlite3_finalize(s);
        return false;
    }
    m_sentencia = s;
    m_error.clear();
    // The busy time-out of the connection covers a writer holding the file for a moment.
    const int r = sqlite3_step(s);
    if (r == SQLITE_ROW) {
        m_vacio = false;
        m_alFinal = false;
        m_posicion = 0;
    } else if (r != SQLITE_DONE) {
        m_error = QString::fromUtf8(sqlite3_errmsg(db));
    }
    return true;
}

bool RecordsetConsulta::Abre() {
    if (!Ejecuta())
        return false;
    DeduceTipos();
    return true;
}

void RecordsetConsulta::DeduceTipos() {
    m_nombres.clear();
    m_tiposEfectivos.clear();
    const int n = sqlite3_column_count(m_sentencia);
    for (int i = 0; i < n; ++i) {
        const QString nombre = QString::fromUtf8(sqlite3_column_name(m_sentencia, i));
        m_nombres << nombre;
        if (i < m_tipos.size()) {
            m_tiposEfectivos << m_tipos.at(i);
            continue;
        }
        const ColumnaEsquema* columna = nullptr;
        for (const QString& tabla : std::as_const(m_tablas))
            if ((columna = Esquema::Columna(tabla, nombre)))
                break;
        Tipo t = Tipo::Texto;
        if (columna)
            t = TipoDeEsquema(columna->tipo);
        else if (TipoDeclarado(sqlite3_column_decltype(m_sentencia, i), t))
            ;
        else if (!m_vacio)
            switch (TipoAlmacenado(i)) {
            case Almacenado::Entero:
                t = Tipo::Entero;
                break;
            case Almacenado::Real:
                t = Tipo::Doble;
                break;
            default:
                break;
            }
        m_tiposEfectivos << t;
    }
}

void RecordsetConsulta::Cierra() {
    Finaliza();
}

QString RecordsetConsulta::NombreCampo(int i) const {
    return m_nombres.value(i);
}

Recordset::Tipo RecordsetConsulta::TipoCampo(int i) const {
    return (i >= 0 && i < m_tiposEfectivos.size()) ? m_tiposEfectivos.at(i) : Tipo::Nulo;
}

bool RecordsetConsulta::AlPrincipio() const {
    // A forward reading never stands before its first record, except when there is none.
    return m_vacio;
}

bool RecordsetConsulta::AlFinal() const {
    return m_vacio || m_alFinal;
}

void RecordsetConsulta::MoveFirst() {
    if (!m_sentencia || m_posicion == 0)
        return;
    Ejecuta();
}

void RecordsetConsulta::MoveNext() {
    if (!m_sentencia || AlFinal())
        return;
    const int r = sqlite3_step(m_sentencia);
    if (r == SQLITE_ROW) {
        ++m_posicion;
        return;
    }
    m_alFinal = true;
    if (r != SQLITE_DONE)
        m_error = QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(m_sentencia)));
}

bool RecordsetConsulta::EnColumna(int i) const {
    return m_sentencia && !AlFinal() && i >= 0 && i < m_nombres.size();
}

RecordsetConsulta::Almacenado RecordsetConsulta::TipoAlmacenado(int i) const {
    if (!m_sentencia || AlFinal() || i < 0 || i >= sqlite3_column_count(m_sentencia))
        return Almacenado::Nulo;
    switch (sqlite3_column_type(m_sentencia, i)) {
    case SQLITE_INTEGER:
        return Almacenado::Entero;
    case SQLITE_FLOAT:
        return Almacenado::Real;
    case SQLITE_TEXT:
        return Almacenado::Texto;
    case SQLITE_BLOB:
        return Almacenado::Binario;
    default:
        return Almacenado::Nulo;
    }
}

qint64 RecordsetConsulta::Entero(int i) const {
    return EnColumna(i) ? sqlite3_column_int64(m_sentencia, i) : 0;
}

double RecordsetConsulta::Real(int i) const {
    return EnColumna(i) ? sqlite3_column_double(m_sentencia, i) : 0;
}

QByteArrayView RecordsetConsulta::Utf8(int i) const {
    if (!EnColumna(i))
        return {};
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_sentencia, i));
    return p ? QByteArrayView(p, sqlite3_column_bytes(m_sentencia, i)) : QByteArrayView();
}

QVariant RecordsetConsulta::Valor(int i) const {
    if (!EnColumna(i))
        return QVariant();
    switch (TipoAlmacenado(i)) {
    case Almacenado::Entero:
        return QVariant(qlonglong(sqlite3_column_int64(m_sentencia, i)));
    case Almacenado::Real:
        return QVariant(sqlite3_column_double(m_sentencia, i));
    case Almacenado::Texto:
        return QVariant(QString::fromUtf8(Utf8(i)));
    case Almacenado::Binario: {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(m_sentencia, i));
        return QVariant(QByteArray(p, sqlite3_column_bytes(m_sentencia, i)));
    }
    case Almacenado::Nulo:
        break;
    }
    return QVariant(QMetaType::fromType<QString>()); // null
}
