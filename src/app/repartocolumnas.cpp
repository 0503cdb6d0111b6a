#include "app/repartocolumnas.h"

#include <algorithm>
#include <numeric>

QList<double> RepartoColumnas::Reparte(const QList<Columna>& columnas, double total, int flexible) {
    QList<double> anchos;
    double suma = 0, holgura = 0;
    for (const Columna& c : columnas) {
        anchos << std::max(c.minimo, c.preferido);
        suma += anchos.last();
        holgura += anchos.last() - c.minimo;
    }
    if (suma > total && holgura > 0) {
        const double parte = std::min(1.0, (suma - total) / holgura);
        for (qsizetype i = 0; i < anchos.size(); ++i)
            anchos[i] -= (anchos[i] - columnas[i].minimo) * parte;
    } else if (suma < total && flexible >= 0 && flexible < anchos.size()) {
        anchos[flexible] += total - suma;
    }
    return anchos;
}

bool RepartoColumnas::Cabe(const QList<double>& anchos, double total) {
    // Rounding leaves the sum a hair above a total it fills.
    return std::accumulate(anchos.begin(), anchos.end(), 0.0) <= total * (1 + 1e-9);
}
