#pragma once

#include "notedata/albaran.h"
#include "notedata/versionalbaran.h"

#include <QStringList>
#include <vector>

// The history of a stored note as rows of text, the same for the history window and the
// console: one row per earlier version, oldest first, then the note as it stands. Each row
// gives the version, when it was saved, when, where and by whom it was replaced, its lines,
// total net and amount, whether it is void (with the reason), and what the next version changed:
// lines added or removed, weights, prices and texts changed, the header's texts, a void.
class HistorialAlbaran {
public:
    enum Columna {
        Version,
        Guardada,
        Reemplazada,
        Puesto,
        Operario,
        Lineas,
        Neto,
        Importe,
        Estado,
        Cambios,
        NumeroColumnas
    };

    // The columns' titles in the interface language.
    static QStringList Titulos();
    // Weights with three decimals, amounts with two, `separador` as decimal separator.
    static std::vector<QStringList> Filas(const std::vector<VersionAlbaran>& versiones,
                                          const Albaran& actual, const QString& separador);
    // What changed from `antes` to `despues`, one text each, in the interface language.
    static QStringList Diferencias(const Albaran& antes, const Albaran& despues,
                                   const QString& separador);
};
