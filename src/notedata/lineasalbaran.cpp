#include "notedata/lineasalbaran.h"

#include "app/clsdatosapp.h"

// The settings keep whether each column is shown and printed.
static_assert(ColumnasAlbaran::Numero == clsDatosApp::ColumnasLinea);

bool LineasAlbaran::EnBlanco(const FilaAlbaran& fila) {
    for (int c = 0; c < Columnas; ++c)
        if (!fila[c].trimmed().isEmpty())
            return false;
    return true;
}
