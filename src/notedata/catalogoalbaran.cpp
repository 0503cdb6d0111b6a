#include "notedata/catalogoalbaran.h"

#include "db/basedatos.h"
#include "db/registrosql.h"
#include "db/transaccion.h"

#include <QSqlQuery>

std::optional<qint32> CatalogoAlbaran::CodigoEntero(const QString& codigo) {
    bool ok = false;
    const qint32 n = codigo.trimmed().toInt(&ok);
    return ok ? std::optional<qint32>(n) : std::nullopt;
}

QString CatalogoAlbaran::Texto(const QString& campo, const QString& tabla, const QString& clave,
                               const QVariant& codigo) const {
    const bool numerica = codigo.typeId() != QMetaType::QString;
    return BaseDatos::BuscaCampo(m_db, campo, tabla, clave, codigo, numerica).toString();
}

QString CatalogoAlbaran::NombreProducto(const QString& codigo) const {
    return Texto("NomProducto", "Productos", "CodProducto", codigo);
}

double CatalogoAlbaran::PrecioProducto(const QString& codigo) const {
    return BaseDatos::BuscaCampo(m_db, "Precio", "Productos", "CodProducto", codigo, false)
        .toDouble();
}

double CatalogoAlbaran::PesoTara(const QString& codigo) const {
    const std::optional<qint32> n = CodigoEntero(codigo);
    if (!n)
        return 0;
    return BaseDatos::BuscaCampo(m_db, "Peso", "Taras", "CodTara", *n, true).toDouble();
}

std::array<QString, 3> CatalogoAlbaran::DatosCliente(const QString& codigo) const {
    return {Texto("NomCliente", "Clientes", "CodCliente", codigo),
            Texto("Direccion1", "Clientes", "CodCliente", codigo),
            Texto("Direccion2", "Clientes", "CodCliente", codigo)};
}

QString CatalogoAlbaran::NombreOperario(const QString& codigo) const {
    const std::optional<qint32> n = CodigoEntero(codigo);
    return n ? Texto("NomOperario", "Operarios", "CodOperario", *n) : QString();
}

Resultado CatalogoAlbaran::GuardaCliente(const QString& codigo,
                                         const std::array<QString, 3>& datos) const {
    Transaccion t(m_db);
    if (!t.Inicio())
        return t.Inicio();
    const Resultado r = RegistroSql::Guarda(
        m_db, "Clientes", {"CodCliente", "NomCliente", "Direccion1", "Direccion2"},
        {codigo, datos[0], datos[1], datos[2]}, 1);
    return r ? t.Confirma() : r;
}

Resultado CatalogoAlbaran::AnadeOperario(const QString& nombre, qint32* codigo) const {
    // The highest code is read and the next one written under one lock, so two adds never take
    // the same code.
    Transaccion t(m_db);
    if (!t.Inicio())
        return t.Inicio();
    QSqlQuery q(m_db);
    if (!q.exec("SELECT MAX(CodOperario) FROM Operarios") || !q.next())
        return Resultado::Fallo(BaseDatos::TextoError(q.lastError()));
    const qint32 nuevo = q.value(0).isNull() ? 1 : q.value(0).toInt() + 1;
    q.finish();
    q.prepare("INSERT INTO Operarios (CodOperario, NomOperario) VALUES (?, ?)");
    q.addBindValue(nuevo);
    q.addBindValue(nombre);
    if (const Resultado r = BaseDatos::Escribe(q); !r)
        return r;
    const Resultado r = t.Confirma();
    if (r && codigo)
        *codigo = nuevo;
    return r;
}
