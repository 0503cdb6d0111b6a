#pragma once

#include "db/basedatos.h"

#include <QSqlQuery>

// `n` products "P00001".. whose names run backwards, so that name order is not code order.
inline void LlenaProductos(int n) {
    QSqlDatabase db = BaseDatos::Conexion();
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
