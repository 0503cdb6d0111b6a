#include "db/transaccion.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "db/basedatos.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <sqlite3.h>

namespace {
// Whether the SQLite file the connection writes is no longer the one its name leads to:
// replaced or removed while open, it would take the writes where no one reads them again.
bool ArchivoSustituido(const QSqlDatabase& db) {
    const QVariant h = db.driver() ? db.driver()->handle() : QVariant();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3* conexion = *static_cast<sqlite3* const*>(h.constData());
    int movido = 0;
    return conexion &&
           sqlite3_file_control(conexion, "main", SQLITE_FCNTL_HAS_MOVED, &movido) == SQLITE_OK &&
           movido != 0;
}

Resultado Sustituido(const QSqlDatabase& db) {
    return Resultado::Fallo(Texto(IdTexto::BaseDatosSustituida).arg(BaseDatos::Archivo(db)));
}
} // namespace

Transaccion::Transaccion(QSqlDatabase db) : m_db(std::move(db)), m_plazo(m_db) {
    // A server connection lost since the last statement is opened again first: nothing of
    // this transaction has been done yet.
    if (m_inicio = BaseDatos::Conecta(m_db); !m_inicio)
        return;
    if (!m_db.isOpen()) {
        m_inicio = Resultado::Fallo(BaseDatos::TextoError(m_db.lastError(), m_db));
        return;
    }
    if (ArchivoSustituido(m_db)) {
        m_inicio = Sustituido(m_db);
        return;
    }
    if (m_db.driverName() == QLatin1String("QSQLITE")) {
        QSqlQuery q(m_db);
        if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
            m_inicio = Resultado::Fallo(BaseDatos::TextoError(q.lastError(), m_db));
            return;
        }
    } else if (!m_db.transaction()) {
        m_inicio = Resultado::Fallo(BaseDatos::TextoError(m_db.lastError(), m_db));
        return;
    }
    m_abierta = true;
}

Transaccion::~Transaccion() {
    Deshace();
}

Resultado Transaccion::Confirma() {
    if (!m_abierta)
        return m_inicio.Ok() ? Resultado::Fallo(QStringLiteral("No transaction is open"))
                             : m_inicio;
    m_abierta = false;
    if (ArchivoSustituido(m_db)) {
        m_db.rollback();
        return Sustituido(m_db);
    }
    if (m_db.commit())
        return {};
    const QString error = BaseDatos::TextoError(m_db.lastError(), m_db);
    m_db.rollback();
    return Resultado::Fallo(error);
}

void Transaccion::Deshace() {
    if (!m_abierta)
        return;
    m_abierta = false;
    m_db.rollback();
}
