#include "masters/consultabrowse.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "masters/kellaunchbrowse.h"

namespace {
QString Titulos(std::initializer_list<int> ids) {
    QStringList t;
    for (int id : ids)
        t << Texto(id);
    return t.join('\t');
}
} // namespace

QString ConsultaBrowse::Lanza(const QString& defecto) const {
    return kelLaunchBrowse(Texto(Titulo), Cabecera, Sql, defecto, Clave);
}

ConsultaBrowse ConsultaBrowse::Albaranes() {
    // A date cast to text is "yyyy-MM-dd" on every engine; the list shows it day first.
    const QString dia = "substr(CAST(Fecha AS VARCHAR(10)), 9, 2)";
    const QString mes = "substr(CAST(Fecha AS VARCHAR(10)), 6, 2)";
    const QString anyo = "substr(CAST(Fecha AS VARCHAR(10)), 1, 4)";
    // A void note says so in a column of its own, in the interface language.
    const QString anulado = Texto(IdTexto::MarcaAnulado).replace('\'', "''");
    return {IdTexto::Albaranes,
            Texto(IdTexto::Fecha) + "-" + Texto(IdTexto::Numero) + "\t" + Texto(IdTexto::Cliente) +
                "\t" + Texto(IdTexto::ColEstado),
            "SELECT substr(" + dia + " || '/' || " + mes + " || '/' || " + anyo +
                " || ' - ' || NumAlbaran, 1, 33) AS ID, NomCliente, CASE WHEN Anulado THEN '" +
                anulado + "' ELSE '' END AS Estado, Fecha, NumAlbaran FROM AlbaranesCabeceras",
            {"Fecha", "NumAlbaran"}};
}

ConsultaBrowse ConsultaBrowse::Clientes() {
    return {IdTexto::Clientes, Titulos({IdTexto::CodigoCliente, IdTexto::Nombre}),
            "Select CodCliente, NomCliente from Clientes"};
}

ConsultaBrowse ConsultaBrowse::Operarios() {
    return {IdTexto::Operarios, Titulos({IdTexto::Codigo, IdTexto::Nombre}),
            "SELECT CodOperario, NomOperario FROM Operarios"};
}

ConsultaBrowse ConsultaBrowse::ProductosLineas() {
    return {IdTexto::Productos, Titulos({IdTexto::Codigo, IdTexto::Nombre}),
            "Select CodProducto, NomProducto from Productos"};
}

ConsultaBrowse ConsultaBrowse::Productos() {
    return {IdTexto::Productos, Titulos({IdTexto::Codigo, IdTexto::Nombre}),
            "SELECT CodProducto, NomProducto FROM Productos"};
}

ConsultaBrowse ConsultaBrowse::TarasLineas() {
    return {IdTexto::Taras, Titulos({IdTexto::Codigo, IdTexto::Nombre, IdTexto::Peso}),
            "Select CodTara, NomTara,Peso from Taras"};
}

ConsultaBrowse ConsultaBrowse::Taras() {
    return {IdTexto::Taras, Titulos({IdTexto::Codigo, IdTexto::Nombre, IdTexto::Peso}),
            "SELECT CodTara, NomTara, Peso FROM Taras"};
}
