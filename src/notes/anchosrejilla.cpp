#include "notes/anchosrejilla.h"

#include "app/repartocolumnas.h"

#include <algorithm>

namespace {
constexpr int kNombreProducto = 1;

int Minimo(const AnchosRejilla::Columna& c) {
    return c.aMano > 0 ? c.aMano : std::max({c.disenado, c.titulo, c.valor});
}
} // namespace

std::array<int, ColumnasAlbaran::Numero>
AnchosRejilla::Calcula(const std::array<Columna, ColumnasAlbaran::Numero>& columnas,
                       int disponible) {
    QList<RepartoColumnas::Columna> visibles;
    QList<int> indices;
    int flexible = -1;
    for (int i = 0; i < 9; ++i) {
        const Columna& c = columnas[i];
        if (!c.visible)
            continue;
        const double ancho = Minimo(c);
        if (i == kNombreProducto && c.aMano <= 0)
            flexible = int(visibles.size());
        visibles.append({ancho, ancho});
        indices.append(i);
    }
    const QList<double> repartidos = RepartoColumnas::Reparte(visibles, disponible, flexible);
    std::array<int, ColumnasAlbaran::Numero> anchos{};
    for (int i = 0; i < 9; ++i)
        anchos[i] = Minimo(columnas[i]);
    for (qsizetype k = 0; k < indices.size(); ++k)
        anchos[indices[k]] = int(repartidos[k]);
    return anchos;
}

int AnchosRejilla::AMano(int guardadoTwips, int disenadoTwips, int twipsPorPixel) {
    if (guardadoTwips <= 0 || guardadoTwips == disenadoTwips)
        return 0;
    return std::max(1, guardadoTwips / twipsPorPixel);
}
