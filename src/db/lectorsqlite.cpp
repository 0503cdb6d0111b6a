#include "db/lectorsqlite.h"

#include <sqlite3.h>

bool LectorSqlite::Falla(const char* texto) {
    m_error = QString::fromUtf8(texto ? texto : sqlite3_errmsg(m_db));
    Finaliza();
    return false;
}

bool LectorSqlite::Ejecuta(const QString& sql, const QVariantList& parametros) {
    Finaliza();
    m_error.clear();
    const QByteArray texto = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, texto.constData(), int(texto.size()), &m_sentencia, nullptr) !=
            SQLITE_OK ||
        !m_sentencia)
        return Falla();
    for (int i = 0; i < parametros.size(); ++i) {
        const QVariant& p = parametros.at(i);
        int r = SQLITE_OK;
        if (p.isNull()) {
            r = sqlite3_bind_null(m_sentencia, i + 1);
        } else {
            switch (p.metaType().id()) {
            case QMetaType::Int:
            case QMetaType::LongLong:
            case QMetaType::UInt:
            case QMetaType::Bool:
                r = sqlite3_bind_int64(m_sentencia, i + 1, p.toLongLong());
                break;
            case QMetaType::Double:
                r = sqlite3_bind_double(m_sentencia, i + 1, p.toDouble());
                break;
            default: {
                const QByteArray t = p.toString().toUtf8();
                r = sqlite3_bind_text(m_sentencia, i + 1, t.constData(), int(t.size()),
                                      SQLITE_TRANSIENT);
            }
            }
        }
        if (r != SQLITE_OK)
            return Falla();
    }
    if (sqlite3_column_count(m_sentencia) == 0)
        return Falla("the statement returns no records");
    return true;
}

bool LectorSqlite::Siguiente() {
    if (!m_sentencia)
        return false;
    // The busy time-out of the connection covers a writer holding the file for a moment.
    const int r = sqlite3_step(m_sentencia);
    if (r == SQLITE_ROW)
        return true;
    if (r != SQLITE_DONE)
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
    return false;
}

void LectorSqlite::Finaliza() {
    if (m_sentencia)
        sqlite3_finalize(m_sentencia);
    m_sentencia = nullptr;
}

int LectorSqlite::NumCampos() const {
    return m_sentencia ? sqlite3_column_count(m_sentencia) : 0;
}

QString LectorSqlite::NombreCampo(int i) const {
    return QString::fromUtf8(sqlite3_column_name(m_sentencia, i));
}

// The declared types the schema writes (EsquemaSqlite::TipoSql).
bool LectorSqlite::TipoDeclarado(int i, Recordset::Tipo& tipo) const {
    const char* declarado = sqlite3_column_decltype(m_sentencia, i);
    if (!declarado)
        return false;
    using T = Recordset::Tipo;
    const QByteArray d = QByteArray(declarado).toUpper();
    if (d == "INTEGER" || d == "INT")
        tipo = T::Entero;
    else if (d == "DOUBLE" || d == "REAL" || d == "FLOAT")
        tipo = T::Doble;
    else if (d == "DATE")
        tipo = T::Fecha;
    else if (d == "DATETIME")
        tipo = T::FechaHora;
    else if (d == "BOOLEAN")
        tipo = T::Booleano;
    else if (d.startsWith("VARCHAR") || d.startsWith("TEXT") || d.startsWith("CHAR"))
        tipo = T::Texto;
    else
        return false;
    return true;
}

LectorConsulta::Almacenado LectorSqlite::TipoAlmacenado(int i) const {
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

qint64 LectorSqlite::Entero(int i) const {
    return sqlite3_column_int64(m_sentencia, i);
}

double LectorSqlite::Real(int i) const {
    return sqlite3_column_double(m_sentencia, i);
}

QByteArrayView LectorSqlite::Utf8(int i) const {
    const auto* p = TipoAlmacenado(i) == Almacenado::Texto
                        ? reinterpret_cast<const char*>(sqlite3_column_text(m_sentencia, i))
                        : static_cast<const char*>(sqlite3_column_blob(m_sentencia, i));
    return p ? QByteArrayView(p, sqlite3_column_bytes(m_sentencia, i)) : QByteArrayView();
}
