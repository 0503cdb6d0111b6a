#pragma once

#include <QSqlDatabase>
#include <QString>
#include <chrono>

// A time limit on each answer a server connection waits for. libpq waits for a server without
// end, and neither the connection's timeouts nor TCP's help when the server's processes are
// frozen: the server's machine still takes the bytes. So, while a PlazoServidor lives, an
// answer of its connection that takes longer than the limit makes a watching thread cut the
// connection (its socket shut down, as a lost server would): the statement waiting fails at
// once, the server undoes its transaction, and the next use of the connection opens it again.
// Each answer that arrives gives the next one the whole limit again, so a long save of many
// statements is never cut while the server answers. A long reading (an export of years, whose
// first rows wait for the server to sort them all) takes a limit of its own for its statements.
//
//     const PlazoServidor plazo(db); // before the first statement of the operation
class PlazoServidor {
public:
    // Gives connections of that name (QSqlDatabase::connectionName) `segundos` per answer.
    static void Fija(const QString& conexion, int segundos);
    // Watches the server connection just opened; a cut of the one before it is forgotten.
    static void Vigila(const QSqlDatabase& db);
    // The limit, in seconds, of a connection of this thread (or of `db`) that the limit has cut
    // and that has not been opened again since; 0 when there is none.
    static int Cortada();
    static int Cortada(const QSqlDatabase& db);

    // `segundos` above 0 gives the answers awaited while it lives that limit in place of the
    // connection's own; a connection without a limit stays without one.
    explicit PlazoServidor(const QSqlDatabase& db, int segundos = 0);
    ~PlazoServidor();
    PlazoServidor(const PlazoServidor&) = delete;
    PlazoServidor& operator=(const PlazoServidor&) = delete;

    struct Vigilada;

private:
    Vigilada* m_vigilada = nullptr;
    std::chrono::steady_clock::duration m_anterior{}; // the limit it took the place of
};
