#include "masters/consultabrowse.h"

#include "app/cmnlanguaje.h"
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
    return kelLaunchBrowse(Texto(Titulo), Cabecera, Sql, defecto);
}

ConsultaBrowse ConsultaBrowse::Albaranes() {
    // A date cast to text is "yyyy-MM-dd" on every engine; the list shows it day first.
    return {265, Texto(238) + "-" + Texto(239) + "\t" + Texto(241),
            "SELECT substr(substr(CAST(Fecha AS VARCHAR(10)), 9, 2) || '/' || "
            "substr(CAST(Fecha AS VARCHAR(10)), 6, 2) || '/' || "
            "substr(CAST(Fecha AS VARCHAR(10)), 1, 4) || ' - ' || NumAlbaran, 1, 33) AS ID, "
            "NomCliente FROM AlbaranesCabeceras"};
}

ConsultaBrowse ConsultaBrowse::Clientes() {
    return {233, Titulos({219, 213}), "Select CodCliente, NomCliente from Clientes"};
}

ConsultaBrowse ConsultaBrowse::Operarios() {
    return {232, Titulos({215, 213}), "SELECT CodOperario, NomOperario FROM Operarios"};
}

ConsultaBrowse ConsultaBrowse::ProductosLineas() {
    return {224, Titulos({215, 213}), "Select CodProducto, NomProducto from Productos"};
}

ConsultaBrowse ConsultaBrowse::Productos() {
    return {224, Titulos({215, 213}), "SELECT CodProducto, NomProducto FROM Productos"};
}

ConsultaBrowse ConsultaBrowse::TarasLineas() {
    return {223, Titulos({215, 213, 214}), "Select CodTara, NomTara,Peso from Taras"};
}

ConsultaBrowse ConsultaBrowse::Taras() {
    return {223, Titulos({215, 213, 214}), "SELECT CodTara, NomTara, Peso FROM Taras"};
}
