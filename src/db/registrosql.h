#pragma once

#include "app/resultado.h"

#include <QSqlDatabase>
#include <QStringList>
#include <QVariantList>

// Writes one record by its key: changes the row whose key columns hold the key values, or adds
// it when there is none. Every value is bound, never pasted into the SQL. A caller that needs
// the look-up and the write as one runs it inside its transaction.
class RegistroSql {
public:
    // What happens to the key of a row that is changed.
    enum class Clave { SeEscribe, SeConserva };
    // `campos` and `valores` go in the same order; the first `columnasClave` of them are the key.
    // A changed row gets the key as given (which may differ from the stored one in letter case
    // where the engine compares without it), or keeps the one it has.
    static Resultado Guarda(QSqlDatabase db, const QString& tabla, const QStringList& campos,
                            const QVariantList& valores, int columnasClave,
                            Clave clave = Clave::SeEscribe);
    // Adds the record; fails when a row with its key exists, or is being added by another
    // connection that then commits.
    static Resultado Inserta(QSqlDatabase db, const QString& tabla, const QStringList& campos,
                             const QVariantList& valores);
    // Copies into `destino` the rows of `origen` where `condicion` (SQL with one ? per value of
    // `valoresCondicion`) holds: every declared column of `origen` as stored, plus the columns
    // `camposExtra` with `valoresExtra`. `copiadas` says how many rows were copied.
    static Resultado Copia(QSqlDatabase db, const QString& origen, const QString& destino,
                           const QString& condicion, const QVariantList& valoresCondicion,
                           const QStringList& camposExtra, const QVariantList& valoresExtra,
                           int& copiadas);
};
