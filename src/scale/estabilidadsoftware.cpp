#include "scale/estabilidadsoftware.h"

#include <cmath>

bool EstabilidadSoftware::Estable(const QList<Muestra>& muestras, const Regla& regla,
                                  int decimales) {
    const int n = qMax(1, regla.lecturas);
    if (muestras.size() < n)
        return false;
    const Muestra& ultima = muestras.last();
    const double margen = regla.margen >= 0 ? regla.margen : std::pow(10.0, -decimales);
    // A millionth of a step of slack absorbs the binary rounding of figures such as 0.1.
    const double tolerancia = std::pow(10.0, -decimales) * 1e-6;
    double minimo = ultima.peso;
    double maximo = ultima.peso;
    for (qsizetype i = muestras.size() - n; i < muestras.size(); ++i) {
        const Muestra& m = muestras.at(i);
        if (ultima.ms - m.ms > regla.ms)
            return false;
        minimo = qMin(minimo, m.peso);
        maximo = qMax(maximo, m.peso);
    }
    return maximo - minimo <= margen + tolerancia;
}

Lectura::Estado EstabilidadSoftware::Evalua(const Lectura& lectura, qint64 ms) {
    if (!lectura.hayPeso) {
        m_muestras.clear();
        return lectura.estado;
    }
    m_muestras.append({ms, lectura.peso});
    const int n = qMax(1, m_regla.lecturas);
    if (m_muestras.size() > n)
        m_muestras.remove(0, m_muestras.size() - n);
    return Estable(m_muestras, m_regla, lectura.decimales) ? Lectura::Estado::Estable
                                                           : Lectura::Estado::Movimiento;
}
