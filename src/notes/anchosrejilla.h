#pragma once

#include "notedata/columnasalbaran.h"

#include <QList>
#include <array>

// The widths of the nine columns of the note's grid, in pixels. A column is at least as wide as
// its designed width, its title and its widest value; a width the user set by hand is kept as
// it is; the product name column, unless set by hand, takes whatever the others leave of the
// grid's width. Hidden columns keep their width.
class AnchosRejilla {
public:
    struct Columna {
        bool visible = true;
        int disenado = 0; // the designed width
        int titulo = 0;   // what the title needs
        int valor = 0;    // what the widest value needs
        int aMano = 0;    // a width set by hand; 0 for none
    };

    static std::array<int, ColumnasAlbaran::Numero>
    Calcula(const std::array<Columna, ColumnasAlbaran::Numero>& columnas, int disponible);
    // A stored width (in the settings' twips) read back as a width set by hand, 0 for none: an
    // older program stored every width on closing, so a stored designed width is no choice.
    static int AMano(int guardadoTwips, int disenadoTwips, int twipsPorPixel);
};
