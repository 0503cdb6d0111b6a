#include "masters/clsmaestro.h"

#include "app/kelnumerics.h"
#include "app/kelstrings.h"
#include "db/basedatos.h"
#include "db/esquema.h"
#include "db/transaccion.h"

#include <QSqlError>
#include <QSqlQuery>

clsMaestro::clsMaestro(QSqlDatabase db, QString tabla, QString campoClave, bool claveNumerica,
                       QStringList campos)
    : Tabla(std::move(tabla)), CampoClave(std::move(campoClave)), ClaveNumerica(claveNumerica),
      Campos(std::move(campos)), m_db(db) {}

clsMaestro clsMaestro::Clientes(QSqlDatabase db) {
    return {db, "Clientes", "CodCliente", false, {"NomCliente", "Direccion1", "Direccion2"}};
}

clsMaestro clsMaestro::Productos(QSqlDatabase db) {
    return {db, "Productos", "CodProducto", false, {"NomProducto", "Precio"}};
}

clsMaestro clsMaestro::Taras(QSqlDatabase db) {
    return {db, "Taras", "CodTara", true, {"NomTara", "Peso"}};
}

clsMaestro clsMaestro::Operarios(QSqlDatabase db) {
    return {db, "Operarios", "CodOperario", true, {"NomOperario"}};
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
        QVariant v =
            BaseDatos::BuscaCampo(m_db, campo, Tabla, CampoClave, Clave(codigo), ClaveNumerica);
        if (v.isNull())
            v = Tamano(campo) > 0 ? QVariant(QString()) : QVariant(0);
        valores << v;
    }
    return valores;
}

bool clsMaestro::PuedeGuardar(const QVariant& codigo, const QVariantList& valores) const {
    const QVariant primero = ClaveNumerica ? valores.value(0) : codigo;
    return kelStrings::LongitudRecortada(primero.toString()) > 0;
}

bool clsMaestro::PuedeBorrar(const QVariant& codigo) const {
    return ClaveNumerica || kelStrings::LongitudRecortada(codigo.toString()) > 0;
}

Resultado clsMaestro::Guarda(const QVariant& codigo, const QVariantList& valores) const {
    if (valores.size() != Campos.size())
        return Resultado::Fallo(
            QStringLiteral("%1 values for %2 fields").arg(valores.size()).arg(Campos.size()));
    const QString tabla = Esquema::Identificador(Tabla);
    const QString clave = Esquema::Identificador(CampoClave);
    // The look-up and the write as one: nothing can come between them.
    Transaccion t(m_db);
    if (!t.Inicio())
        return t.Inicio();
    QSqlQuery q(m_db);
    q.prepare("SELECT COUNT(*) FROM " + tabla + " WHERE " + clave + " = ?");
    q.addBindValue(Clave(codigo));
    if (!q.exec() || !q.next())
        return Resultado::Fallo(BaseDatos::TextoError(q.lastError()));
    const bool existe = q.value(0).toLongLong() > 0;
    q.finish();
    if (existe) {
        QStringList asignaciones;
        for (const QString& c : Campos)
            asignaciones << Esquema::Identificador(c) + " = ?";
        q.prepare("UPDATE " + tabla + " SET " + asignaciones.join(", ") + " WHERE " + clave +
                  " = ?");
        for (const QVariant& v : valores)
            q.addBindValue(v);
        q.addBindValue(Clave(codigo));
    } else {
        QStringList columnas{clave};
        for (const QString& c : Campos)
            columnas << Esquema::Identificador(c);
        q.prepare("INSERT INTO " + tabla + " (" + columnas.join(", ") + ") VALUES (" +
                  QStringList(columnas.size(), "?").join(", ") + ")");
        q.addBindValue(Clave(codigo));
        for (const QVariant& v : valores)
            q.addBindValue(v);
    }
    if (const Resultado r = BaseDatos::Escribe(q); !r)
        return r;
    return t.Confirma();
}

Resultado clsMaestro::Borra(const QVariant& codigo) const {
    QSqlQuery q(m_db);
    q.prepare("DELETE FROM " + Esquema::Identificador(Tabla) + " WHERE " +
              Esquema::Identificador(CampoClave) + " = ?");
    q.addBindValue(Clave(codigo));
    if (!q.exec())
        return Resultado::Fallo(BaseDatos::TextoError(q.lastError()));
    return Resultado::Exito();
}
