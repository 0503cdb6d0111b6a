#include "masters/clsmaestro.h"

#include "app/kelnumerics.h"
#include "db/basedatos.h"
#include "db/esquema.h"

#include <QSqlError>
#include <QSqlQuery>

clsMaestro clsMaestro::Clientes() {
    return {"Clientes", "CodCliente", false, {"NomCliente", "Direccion1", "Direccion2"}};
}

clsMaestro clsMaestro::Productos() {
    return {"Productos", "CodProducto", false, {"NomProducto", "Precio"}};
}

clsMaestro clsMaestro::Taras() {
    return {"Taras", "CodTara", true, {"NomTara", "Peso"}};
}

clsMaestro clsMaestro::Operarios() {
    return {"Operarios", "CodOperario", true, {"NomOperario"}};
}

QSqlDatabase clsMaestro::Conexion() const {
    return BaseDatos::Conexion();
}

QVariant clsMaestro::Clave(const QVariant& codigo) const {
    if (!ClaveNumerica)
        return QVariant(codigo.toString());
    return QVariant(qint64(kelNumerics::EnteroSeguro(codigo)));
}

int clsMaestro::Tamano(const QString& campo) const {
    const ColumnaEsquema* c = Esquema::Columna(Tabla, campo);
    return c && c->tipo == TipoColumna::Texto ? c->tamano : 0;
}

QVariantList clsMaestro::Busca(const QVariant& codigo) const {
    QVariantList valores;
    for (const QString& campo : Campos) {
        QVariant v = BaseDatos::BuscaCampo(Conexion(), campo, Tabla, CampoClave, Clave(codigo),
                                           ClaveNumerica);
        if (v.isNull())
            v = Tamano(campo) > 0 ? QVariant(QString()) : QVariant(0);
        valores << v;
    }
    return valores;
}

bool clsMaestro::Existe(const QVariant& codigo, QString* error) const {
    QSqlQuery q(Conexion());
    q.setForwardOnly(true);
    q.prepare("SELECT COUNT(*) FROM " + Esquema::Identificador(Tabla) + " WHERE " +
              Esquema::Identificador(CampoClave) + " = ?");
    q.addBindValue(Clave(codigo));
    if (!q.exec() || !q.next()) {
        if (error)
            *error = BaseDatos::TextoError(q.lastError());
        return false;
    }
    return q.value(0).toLongLong() > 0;
}

bool clsMaestro::Guarda(const QVariant& codigo, const QVariantList& valores, QString* error) const {
    if (valores.size() != Campos.size()) {
        if (error)
            *error =
                QStringLiteral("%1 values for %2 fields").arg(valores.size()).arg(Campos.size());
        return false;
    }
    QString errorExiste;
    const bool existe = Existe(codigo, &errorExiste);
    if (!errorExiste.isEmpty()) {
        if (error)
            *error = errorExiste;
        return false;
    }
    QSqlQuery q(Conexion());
    if (existe) {
        QStringList asignaciones;
        for (const QString& c : Campos)
            asignaciones << Esquema::Identificador(c) + " = ?";
        q.prepare("UPDATE " + Esquema::Identificador(Tabla) + " SET " + asignaciones.join(", ") +
                  " WHERE " + Esquema::Identificador(CampoClave) + " = ?");
        for (const QVariant& v : valores)
            q.addBindValue(v);
        q.addBindValue(Clave(codigo));
    } else {
        QStringList columnas{Esquema::Identificador(CampoClave)};
        QStringList marcas{"?"};
        for (const QString& c : Campos) {
            columnas << Esquema::Identificador(c);
            marcas << "?";
        }
        q.prepare("INSERT INTO " + Esquema::Identificador(Tabla) + " (" + columnas.join(", ") +
                  ") VALUES (" + marcas.join(", ") + ")");
        q.addBindValue(Clave(codigo));
        for (const QVariant& v : valores)
            q.addBindValue(v);
    }
    if (!q.exec()) {
        if (error)
            *error = BaseDatos::TextoError(q.lastError());
        return false;
    }
    return true;
}

bool clsMaestro::Borra(const QVariant& codigo, QString* error) const {
    QSqlQuery q(Conexion());
    q.prepare("DELETE FROM " + Esquema::Identificador(Tabla) + " WHERE " +
              Esquema::Identificador(CampoClave) + " = ?");
    q.addBindValue(Clave(codigo));
    if (!q.exec()) {
        if (error)
            *error = BaseDatos::TextoError(q.lastError());
        return false;
    }
    return true;
}
