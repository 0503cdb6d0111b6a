#include "db/transaccion.h"

#include "db/basedatos.h"

#include <QSqlDriver>
#include <QSqlQuery>

Transaccion::Transaccion(QSqlDatabase db) : m_db(std::move(db)) {
    // A server connection lost since the last statement is opened again first: nothing of
    // this transaction has been done yet.
    if (m_inicio = BaseDatos::Conecta(m_db); !m_inicio)
        return;
    if (!m_db.isOpen()) {
        m_inicio = Resultado::Fallo(BaseDatos::TextoError(m_db.lastError(), m_db));
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
