#include "db/esquema.h"

#include <algorithm>

namespace {
using T = TipoColumna;
constexpr bool Req = true;
constexpr bool Nul = false;

// The earlier versions of a stored table's rows: its columns and key plus the version's
// number (1 for the first one replaced), when it was replaced, from which station and by which
// operator. Versions are only ever added.
TablaEsquema Versiones(const TablaEsquema& origen, const QString& nombre) {
    TablaEsquema t{nombre, origen.columnas, origen.clave};
    t.columnas.push_back({"Version", T::Entero, 0, Req});
    if (origen.clave.size() == 2) { // the header's: the lines' version is their header's
        t.columnas.push_back({"Reemplazada", T::FechaHora, 0, Req});
        t.columnas.push_back({"Puesto", T::Texto, 50, Req});
        t.columnas.push_back({"Operario", T::Texto, 50, Nul});
    }
    t.clave.insert(2, "Version");
    t.soloAnadir = true;
    return t;
}

std::vector<TablaEsquema> Declaracion() {
    std::vector<TablaEsquema> tablas = {
        {"Taras",
         {{"CodTara", T::Entero, 0, Req},
          {"NomTara", T::Texto, 25, Nul},
          {"Peso", T::Doble, 0, Nul}},
         {"CodTara"},
         {{"Taras_Nombre", {"NomTara", "CodTara"}}}},
        {"Productos",
         {{"CodProducto", T::Texto, 15, Req},
          {"NomProducto", T::Texto, 50, Nul},
          {"Precio", T::Doble, 0, Nul}},
         {"CodProducto"},
         {{"Productos_Nombre", {"NomProducto", "CodProducto"}}}},
        {"Clientes",
         {{"CodCliente", T::Texto, 15, Req},
          {"NomCliente", T::Texto, 50, Nul},
          {"Direccion1", T::Texto, 50, Nul},
          {"Direccion2", T::Texto, 50, Nul}},
         {"CodCliente"},
         {{"Clientes_Nombre", {"NomCliente", "CodCliente"}}}},
        {"Operarios",
         {{"CodOperario", T::Entero, 0, Req}, {"NomOperario", T::Texto, 50, Nul}},
         {"CodOperario"},
         {{"Operarios_Nombre", {"NomOperario", "CodOperario"}}}},
        {"AlbaranesCabeceras",
         {{"NumAlbaran", T::Texto, 20, Req},
          {"Fecha", T::Fecha, 0, Req},
          {"NomOperario", T::Texto, 50, Nul},
          {"CodCliente", T::Texto, 15, Req},
          {"NomCliente", T::Texto, 50, Nul},
          {"Direccion1", T::Texto, 50, Nul},
          {"Direccion2", T::Texto, 50, Nul},
          {"FechaModificacion", T::FechaHora, 0, Req},
          {"Impreso", T::Booleano, 0, Req},
          // A voided note stays stored with the reason; undoing a void gives its own reason.
          {"Anulado", T::Booleano, 0, Nul}, // none: not void
          {"Motivo", T::Texto, 200, Nul},
          // Prints after the first: how many, and the last one's time.
          {"Copias", T::Entero, 0, Nul}, // none: no copy
          {"UltimaCopia", T::FechaHora, 0, Nul}},
         {"NumAlbaran", "Fecha"},
         {{"AlbaranesCabeceras_Cliente", {"NomCliente", "Fecha", "NumAlbaran"}}}},
        {"AlbaranesDetalle",
         {{"NumAlbaran", T::Texto, 20, Req},
          {"Fecha", T::Fecha, 0, Req},
          {"NumLinea", T::Entero, 0, Req},
          {"CodProducto", T::Texto, 15, Req},
          {"NomProducto", T::Texto, 50, Nul},
          {"CodTara", T::Entero, 0, Nul}, // a line weighed without a container
          {"PesoBruto", T::Doble, 0, Req},
          {"PesoTara", T::Doble, 0, Req},
          {"PesoNeto", T::Doble, 0, Req},
          {"Precio", T::Doble, 0, Nul},
          {"PesoImporte", T::Doble, 0, Nul},
          {"HoraPesada", T::Texto, 19, Req},
          // The weighing log's entry of the reading taken; none for a weight typed by hand.
          {"IdPesada", T::Entero, 0, Nul}},
         {"NumAlbaran", "Fecha", "NumLinea"}},
        {"CodigosDeControl",
         {{"Macro", T::Texto, 25, Req},
          {"ValorHexPeriferico", T::Texto, 20, Req},
          {"ValorStringPantalla", T::Texto, 20, Req},
          {"Descripcion", T::Texto, 60, Req}},
         {"Macro"}},
        // The weighing log: one entry for every reading taken into a line and every zero, tare
        // and clear-tare request sent to the scale, each station's entries chained by their
        // fingerprints (RegistroPesadas in db/registropesadas.h writes them).
        {"RegistroPesadas",
         {{"IdPesada", T::Entero, 0, Req},
          {"FechaHora", T::Texto, 23, Req}, // "yyyy-MM-dd HH:mm:ss.zzz", local time
          {"Puesto", T::Texto, 50, Req},
          {"Evento", T::Texto, 10, Req},
          {"TipoBascula", T::Entero, 0, Req},
          {"Peso", T::Doble, 0, Nul}, // none when the frame carried no figure
          {"Decimales", T::Entero, 0, Req},
          {"Unidad", T::Texto, 10, Req},
          {"Estado", T::Texto, 10, Req},
          {"Bruto", T::Texto, 10, Req},
          {"Trama", T::Texto, 512, Req}, // the raw frame in hexadecimal
          {"HuellaAnterior", T::Texto, 64, Req},
          {"Huella", T::Texto, 64, Req}},
         {"IdPesada"},
         {{"RegistroPesadas_Puesto", {"Puesto", "IdPesada"}},
          // Two entries of one station never follow the same one.
          {"RegistroPesadas_Cadena", {"Puesto", "HuellaAnterior"}, true}},
         true},
    };
    const auto de = [&tablas](const char* nombre) {
        return *std::find_if(tablas.begin(), tablas.end(),
                             [nombre](const TablaEsquema& t) { return t.nombre == nombre; });
    };
    const TablaEsquema cabeceras = de("AlbaranesCabeceras");
    const TablaEsquema detalle = de("AlbaranesDetalle");
    tablas.push_back(Versiones(cabeceras, "AlbaranesVersiones"));
    tablas.push_back(Versiones(detalle, "AlbaranesVersionesDetalle"));
    return tablas;
}

} // namespace

const ColumnaEsquema* TablaEsquema::Columna(const QString& nombreColumna) const {
    for (const ColumnaEsquema& c : columnas)
        if (c.nombre.compare(nombreColumna, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

const std::vector<TablaEsquema>& Esquema::Tablas() {
    static const std::vector<TablaEsquema> tablas = Declaracion();
    return tablas;
}

const TablaEsquema* Esquema::Tabla(const QString& nombre) {
    for (const TablaEsquema& t : Tablas())
        if (t.nombre.compare(nombre, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

const ColumnaEsquema* Esquema::Columna(const QString& tabla, const QString& columna) {
    const TablaEsquema* t = Tabla(tabla);
    return t ? t->Columna(columna) : nullptr;
}
