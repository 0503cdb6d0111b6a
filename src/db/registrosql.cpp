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

Resultado RegistroSql::Copia(QSqlDatabase db, const QString& origen, const QString& destino,
                             const QString& condicion, const QVariantList& valoresCondicion,
                             const QStringList& camposExtra, const QVariantList& valoresExtra,
                             int& copiadas) {
    copiadas = 0;
    const TablaEsquema* t = Esquema::Tabla(origen);
    if (!t)
        return Resultado::Fallo("no table " + origen);
    QStringList campos;
    for (const ColumnaEsquema& c : t->columnas)
        campos << Esquema::Identificador(c.nombre);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare("SELECT " + campos.join(", ") + " FROM " + Esquema::Identificador(origen) +
              " WHERE " + condicion);
    for (const QVariant& v : valoresCondicion)
        q.addBindValue(v);
    if (!q.exec())
        return Resultado::Fallo(BaseDatos::TextoError(q.lastError()));
    std::vector<QVariantList> filas;
    while (q.next()) {
        QVariantList fila;
        for (int i = 0; i < int(t->columnas.size()); ++i) {
            // Dates and times go back in the form they are written in, whatever the engine
            // gives them as.
            const QVariant v = q.value(i);
            switch (v.isNull() ? TipoColumna::Texto : t->columnas[size_t(i)].tipo) {
            case TipoColumna::Fecha:
                fila << BaseDatos::FechaSQL(BaseDatos::FechaDeSQL(v));
                break;
            case TipoColumna::FechaHora:
                fila << BaseDatos::FechaHoraSQL(BaseDatos::FechaHoraDeSQL(v));
                break;
            case TipoColumna::Booleano:
                fila << v.toBool();
                break;
            default:
                fila << v;
            }
        }
        filas.push_back(fila + valoresExtra);
    }
    if (q.lastError().isValid())
        return Resultado::Fallo(BaseDatos::TextoError(q.lastError()));
    for (const QVariantList& fila : filas) {
        if (const Resultado r = Inserta(db, destino, campos + camposExtra, fila); !r)
            return r;
        ++copiadas;
    }
    return {};
}
