#include "notes/lineasalbaran.h"

bool LineasAlbaran::EnBlanco(const FilaAlbaran& fila) {
    for (int c = 0; c < Columnas; ++c)
        if (!fila[c].trimmed().isEmpty())
            return false;
    return true;
}
