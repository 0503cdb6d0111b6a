#include "notes/despachador.h"

bool Despachador::Despacha(const QString& palabra) const {
    const auto i = m_ordenes.constFind(palabra);
    if (i == m_ordenes.constEnd())
        return false;
    // A copy: the command may replace the table's entries while it runs.
    const Orden orden = i.value();
    orden();
    return true;
}
