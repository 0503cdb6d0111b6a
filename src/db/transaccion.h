#pragma once

#include "app/resultado.h"
#include "db/plazoservidor.h"

#include <QSqlDatabase>

// A transaction on a connection that is rolled back when the guard goes out of scope without
// Confirma. Every write of more than one statement runs inside one, so that a failure half-way
// leaves the database as it was.
//
//     Transaccion t(db);
//     if (!t.Inicio()) return t.Inicio();
//     ... statements; on failure return (the guard rolls back) ...
//     return t.Confirma();
class Transaccion {
public:
    // Begins at once, on a server connection opened again first if it was lost. On SQLite the
    // write lock is taken at the start (BEGIN IMMEDIATE), so that a transaction that reads
    // before it writes never fails half-way on another writer.
    explicit Transaccion(QSqlDatabase db);
    ~Transaccion();
    Transaccion(const Transaccion&) = delete;
    Transaccion& operator=(const Transaccion&) = delete;

    // Whether the transaction began, with the engine's text when it did not.
    Resultado Inicio() const { return m_inicio; }
    // Commits; a failed commit is rolled back and its text returned. So is a transaction on a
    // SQLite file that was replaced or removed since the connection opened it: what it wrote
    // would be lost with the old file.
    Resultado Confirma();
    // Rolls back now (also what the destructor does while still open).
    void Deshace();

private:
    QSqlDatabase m_db;
    PlazoServidor m_plazo; // from the reconnection to the commit
    Resultado m_inicio;
    bool m_abierta = false;
};
