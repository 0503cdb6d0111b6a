#include "notes/lineasalbaran.h"

bool LineasAlbaran::EnBlanco(const FilaAlbaran& fila) {
    for (const QString& celda : fila)
        if (!celda.trimmed().isEmpty())
            return false;
    return true;
}
