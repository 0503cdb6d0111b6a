#pragma once

#include "support/entornoprueba.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

// `n` products "P00001".. whose names run backwards, so that name order is not code order.
inline void LlenaProductos(QSqlDatabase db, int n) {
    db.transaction();
    QSqlQuery q(db);
    q.prepare("INSERT INTO Productos (CodProducto, NomProducto, Precio) VALUES (?, ?, 1)");
    for (int i = 1; i <= n; ++i) {
        q.addBindValue(QString("P%1").arg(i, 5, 10, QChar('0')));
        q.addBindValue(QString("Nombre %1").arg(n - i + 1, 6, 10, QChar('0')));
        q.exec();
    }
    db.commit();
}

// Three records in each master table; by name, the second is C3, P3, tare 2 and operator 3.
inline void LlenaMaestros() {
    EntornoPrueba::Ejecuta(
        "INSERT INTO Clientes VALUES ('C1', 'Zapatería Sur', 'Mayor 1', 'Sevilla'), "
        "('C2', 'Almacenes Norte', 'Real 2', 'León'), ('C3', 'Bodegas Este', 'Mar 3', 'Valencia')");
    EntornoPrueba::Ejecuta("INSERT INTO Productos VALUES ('P1', 'Peras', 1.5), "
                           "('P2', 'Aceitunas', 3.25), ('P3', 'Berenjenas', 2)");
    EntornoPrueba::Ejecuta(
        "INSERT INTO Taras VALUES (1, 'Palé', 20), (2, 'Caja', 0.5), (3, 'Bolsa', 0.01)");
    EntornoPrueba::Ejecuta("INSERT INTO Operarios VALUES (1, 'Pedro'), (2, 'Ana'), (3, 'Berta')");
}

// The rows of a table as "value;value;..." texts, ordered by key.
inline QStringList Filas(QSqlDatabase db, const QString& tabla) {
    QSqlQuery q(db);
    q.exec("SELECT * FROM " + tabla + " ORDER BY 1");
    QStringList filas;
    while (q.next()) {
        QStringList campos;
        for (int i = 0; i < q.record().count(); ++i)
            campos << q.value(i).toString();
        filas << campos.join(';');
    }
    return filas;
}
