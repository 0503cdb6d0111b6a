#pragma once

#include "app/resultado.h"

#include <QSqlDatabase>
#include <QStringList>
#include <QVariantList>

// Writes one record by its key: changes the row whose key columns hold the key values, or adds
// it when there is none. Every value is bound, never pasted into the SQL.
class RegistroSql {
public:
    // `campos` and `valores` go in the same order; the first `columnasClave` of them are the key.
    static Resultado Guarda(QSqlDatabase db, const QString& tabla, const QStringList& campos,
                            const QVariantList& valores, int columnasClave);
    // Adds the record; fails when a row with its key exists, or is being added by another
    // connection that then commits.
    static Resultado Inserta(QSqlDatabase db, const QString& tabla, const QStringList& campos,
                             const QVariantList& valores);
};
