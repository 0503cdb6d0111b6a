#pragma once

#include "app/resultado.h"
#include "scale/ajustesbascula.h"
#include "scale/lectura.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class VeltaSC;

// Finds the scale on a port: tries the usual line settings (the protocols' defaults, then 1200
// to 115200 bps with 8N1 and 7E1) and, on each, every protocol, asking with its read request
// (only requests that change nothing on the scale) or listening for a scale that streams; at
// most EsperaMs per try, less when the line stays silent. The first try that gives a weight
// wins.
class DetectorBascula {
public:
    static constexpr int EsperaMs = 2000;
    static constexpr int SilencioMs = 500;

    struct Hallazgo {
        qint32 tipo = 0;
        QString linea;
        Lectura lectura;
    };

    // The line settings tried, in order.
    static QStringList Lineas();

    // `base` gives the user's protocol (type 6 is tried when its expression reads) and the
    // stability rule; `avance` is told of every try before it is made and stops the search by
    // returning false. Fails when the port cannot be opened; succeeds with nothing when no
    // scale answered or the search was stopped.
    static Resultado Detecta(const QString& puertoNombre, qint16 puerto, const AjustesBascula& base,
                             std::optional<Hallazgo>& hallazgo,
                             const std::function<bool(const QString&)>& avance = {});

    // Waits up to `ms` for the next weight from `v` (with the event loop running), giving up
    // after `silencioMs` without a single character when that is not 0. `recibido` collects
    // what came that was not a weight.
    static std::optional<Lectura> EsperaPeso(VeltaSC& v, int ms, int silencioMs,
                                             QStringList* recibido = nullptr);

    // The settings values to store, "TipoBascula=4 LineaBascula=2400,E,7,1".
    static QString Valores(const Hallazgo& h);
};
