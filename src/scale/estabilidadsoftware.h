#pragma once

#include "scale/lectura.h"

#include <QList>

// Stability judged from the readings themselves, for scales whose frames do not say: a reading
// is stable when the last `lecturas` readings, all received within `ms` milliseconds of it,
// differ by no more than `margen` (a negative margin means one display step of the reading).
class EstabilidadSoftware {
public:
    struct Regla {
        int lecturas = 3;
        int ms = 1000;
        double margen = -1.0;
    };
    struct Muestra {
        qint64 ms; // when it arrived, on any clock that only goes forward
        double peso;
    };

    EstabilidadSoftware() : m_regla(Regla()) {}
    explicit EstabilidadSoftware(const Regla& regla) : m_regla(regla) {}

    // The rule itself: `muestras` oldest first, the last one the reading judged, shown with
    // `decimales` decimals.
    static bool Estable(const QList<Muestra>& muestras, const Regla& regla, int decimales);

    // Adds the reading received at `ms` and says whether it is stable or in motion. Readings
    // without a figure (over range) start the count again.
    Lectura::Estado Evalua(const Lectura& lectura, qint64 ms);
    void Olvida() { m_muestras.clear(); }

private:
    Regla m_regla;
    QList<Muestra> m_muestras;
};
