#pragma once

#include "app/idtextos.h"

#include <array>

// The nine columns of a delivery-note line: the string id of each title, its default width in
// twips and its field. Indexed by column number 1..9, whatever the interface language.
class ColumnasAlbaran {
public:
    static constexpr int Numero = 9;
    static constexpr std::array<int, Numero> Titulos{
        IdTexto::ColCodProducto, IdTexto::ColProducto,    IdTexto::ColCodTara,
        IdTexto::ColPesoBruto,   IdTexto::ColPesoTara,    IdTexto::ColPesoNeto,
        IdTexto::ColPrecio,      IdTexto::ColPesoImporte, IdTexto::ColHoraPesada};
    static constexpr std::array<int, Numero> Anchos{1200, 3800, 850,  1300, 1300,
                                                    1300, 1300, 1300, 1400};
    // The field of each column in a note's lines (the database's and the data set's).
    static constexpr std::array<const char*, Numero> Campos{
        "CodProducto", "NomProducto", "CodTara",     "PesoBruto", "PesoTara",
        "PesoNeto",    "Precio",      "PesoImporte", "HoraPesada"};
    static constexpr int TitulosColumna(int columna) { return Titulos[columna - 1]; }
    static constexpr int AnchosColumna(int columna) { return Anchos[columna - 1]; }
};
