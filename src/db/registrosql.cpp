#include "db/registrosql.h"

#include "db/basedatos.h"
#include "db/esquema.h"

#include <QSqlQuery>

Resultado RegistroSql::Guarda(QSqlDatabase db, const QString& tabla, const QStringList& campos,
                              const QVariantList& valores, int columnasClave, Clave clave) {
    const int primera = clave == Clave::SeEscribe ? 0 : columnasClave;
    QStringList asignaciones, condiciones;
    for (int i = 0; i < campos.size(); ++i) {
        const QString c = Esquema::Identificador(campos.at(i));
        if (i < columnasClave)
            condiciones << c + " = ?";
        if (i >= primera)
            asignaciones << c + " = ?";
    }
    const QString t = Esquema::Identificador(tabla);
    QSqlQuery q(db);
    // Changing first and adding only when nothing changed works the same on every engine.
    q.prepare("UPDATE " + t + " SET " + asignaciones.join(", ") + " WHERE " +
              condiciones.join(" AND "));
    for (int i = primera; i < valores.size(); ++i)
        q.addBindValue(valores.at(i));
    for (int i = 0; i < columnasClave; ++i)
        q.addBindValue(valores.at(i));
    if (const Resultado r = BaseDatos::Escribe(q); !r)
        return r;
    if (q.numRowsAffected() > 0)
        return {};
    return Inserta(db, tabla, campos, valores);
}

Resultado RegistroSql::Inserta(QSqlDatabase db, const QString& tabla, const QStringList& campos,
                               const QVariantList& valores) {
    QStringList nombres, marcas;
    for (const QString& campo : campos) {
        nombres << Esquema::Identificador(campo);
        marcas << "?";
    }
    QSqlQuery q(db);
    q.prepare("INSERT INTO " + Esquema::Identificador(tabla) + " (" + nombres.join(", ") +
              ") VALUES (" + marcas.join(", ") + ")");
    for (const QVariant& v : valores)
        q.addBindValue(v);
    return BaseDatos::Escribe(q);
}
