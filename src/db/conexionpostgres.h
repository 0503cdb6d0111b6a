#pragma once

#include "app/resultado.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

struct pg_conn;

// A database on a PostgreSQL server, named by a connection URI as libpq writes them
// ("postgresql://user@host:5432/pesix", "postgresql:///pesix?host=/run/postgresql"), reached
// through Qt's PostgreSQL driver. The password never travels in the address: libpq takes it from
// the password file (~/.pgpass, PGPASSFILE) or the environment (PGPASSWORD).
class ConexionPostgres {
public:
    // A connection URI, or libpq's "key=value" words ("host=db1 dbname=pesix user=pesix").
    static bool EsDireccion(const QString& baseDatos);
    static bool EsPostgres(const QSqlDatabase& db) {
        return db.driverName() == QLatin1String("QPSQL");
    }

    // Sets up `db` (a connection of Qt's PostgreSQL driver) for the address, without opening it.
    // `soloLectura` makes every transaction of the session read only; an answer of the server
    // that takes longer than `segundos` fails its statement (PlazoServidor), and connecting
    // waits as long unless the address says otherwise.
    static Resultado Prepara(QSqlDatabase& db, const QString& direccion, bool soloLectura,
                             int segundos);
    // Opens the prepared connection.
    static Resultado Abre(QSqlDatabase db);
    // Opens the connection again when it was lost (a server restarted, a network cut); one that
    // answers is left as it is. Costs one round trip to the server.
    static Resultado Conecta(QSqlDatabase db);

    // Whether the error comes from the PostgreSQL driver or server.
    static bool EsError(const QSqlError& error);
    // Whether the error says that the connection to the server is gone.
    static bool Perdida(const QSqlError& error);
    // The server, database and user of the connection, for messages.
    static QString Descripcion(const QSqlDatabase& db);

    // libpq's handle of an open connection; nullptr otherwise.
    static pg_conn* Manejador(const QSqlDatabase& db);
};
