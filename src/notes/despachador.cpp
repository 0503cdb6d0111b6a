#include "notes/despachador.h"

bool Despachador::Despacha(const QString& palabra) const {
    const auto i = m_acciones.constFind(palabra);
    if (i == m_acciones.constEnd())
        return false;
    // A copy: the action may replace the table's entries while it runs.
    const Accion accion = i.value();
    accion();
    return true;
}
