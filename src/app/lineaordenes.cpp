#include "app/lineaordenes.h"

LineaOrdenes::LineaOrdenes(const QStringList& argumentos) {
    QStringList resto;
    for (qsizetype i = 0; i < argumentos.size(); ++i) {
        const QString& a = argumentos.at(i);
        auto valor = [&](const QString& opcion, QString& destino) {
            if (a == opcion && i + 1 < argumentos.size()) {
                destino = argumentos.at(++i);
                return true;
            }
            if (a.startsWith(opcion + "=")) {
                destino = a.mid(opcion.size() + 1);
                return true;
            }
            return false;
        };
        // The paths given to our own options are not searched for "/TEST": a folder named
        // "tests" must not open the scale test window.
        if (valor("--database", m_baseDatos) || valor("--settings", m_ajustes))
            continue;
        resto << a;
    }
    m_resto = resto.join(' ').toUpper();
}
