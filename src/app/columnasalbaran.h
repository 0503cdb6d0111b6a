#pragma once

#include "app/idtextos.h"

#include <array>

// The nine columns of a delivery-note line: the string id of each title and its default width
// in twips. Indexed by column number 1..9, whatever the interface language.
class ColumnasAlbaran {
public:
    static constexpr int Numero = 9;
    static constexpr std::array<int, Numero> Titulos{
        IdTexto::ColCodProducto, IdTexto::ColProducto,    IdTexto::ColCodTara,
        IdTexto::ColPesoBruto,   IdTexto::ColPesoTara,    IdTexto::ColPesoNeto,
        IdTexto::ColPrecio,      IdTexto::ColPesoImporte, IdTexto::ColHoraPesada};
    static constexpr std::array<int, Numero> Anchos{1200, 3800, 850,  1300, 1300,
                                                    1300, 1300, 1300, 1400};
    static constexpr int TitulosColumna(int columna) { return Titulos[columna - 1]; }
    static constexpr int AnchosColumna(int columna) { return Anchos[columna - 1]; }
};
