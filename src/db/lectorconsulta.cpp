#include "db/lectorconsulta.h"

#include "db/conexionpostgres.h"
#include "db/lectorpostgres.h"
#include "db/lectorsqlite.h"

#include <QSqlDriver>

std::unique_ptr<LectorConsulta> LectorConsulta::Para(const QSqlDatabase& db) {
    if (pg_conn* c = ConexionPostgres::Manejador(db))
        return std::make_unique<LectorPostgres>(c);
    if (!db.isOpen() || !db.driver())
        return nullptr;
    const QVariant h = db.driver()->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0)
        return nullptr;
    return std::make_unique<LectorSqlite>(*static_cast<sqlite3* const*>(h.constData()));
}
