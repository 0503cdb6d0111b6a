#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>

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
