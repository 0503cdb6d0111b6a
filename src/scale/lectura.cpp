#include "scale/lectura.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"

QString Lectura::Cifra() const {
    if (!hayPeso)
        return QString();
    // Never "-0.00".
    const double v = peso == 0.0 ? 0.0 : peso;
    return QString::number(v, 'f', qBound(0, decimales, 9));
}

QString Lectura::Rotulo() const {
    if (!EsPeso())
        return Texto(IdTexto::SinLectura);
    QString t = Cifra();
    if (!t.isEmpty() && !unidad.isEmpty())
        t += ' ' + unidad;
    int id = 0;
    switch (estado) {
    case Estado::Movimiento:
        id = IdTexto::EstadoMovimiento;
        break;
    case Estado::SobreRango:
        id = IdTexto::EstadoSobreRango;
        break;
    case Estado::BajoRango:
        id = IdTexto::EstadoBajoRango;
        break;
    case Estado::Error:
        id = IdTexto::EstadoError;
        break;
    case Estado::Estable:
    case Estado::Desconocido:
        break;
    }
    if (id != 0)
        t = t.isEmpty() ? Texto(id) : t + QStringLiteral(" \u00b7 ") + Texto(id);
    return t.isEmpty() ? Texto(IdTexto::SinLectura) : t;
}

QString Lectura::TramaLegible() const {
    QString t;
    t.reserve(trama.size());
    for (const char c : trama) {
        const uchar u = uchar(c);
        if (u == 0x02)
            t += QStringLiteral("<STX>");
        else if (u == 0x03)
            t += QStringLiteral("<ETX>");
        else if (u == '\r')
            t += QStringLiteral("<CR>");
        else if (u == '\n')
            t += QStringLiteral("<LF>");
        else if (u < 0x20 || u == 0x7f)
            t += QStringLiteral("<x%1>").arg(u, 2, 16, QLatin1Char('0'));
        else
            t += QChar(u);
    }
    return t;
}

QString Lectura::NombreEstado(Estado e) {
    switch (e) {
    case Estado::Estable:
        return QStringLiteral("stable");
    case Estado::Movimiento:
        return QStringLiteral("motion");
    case Estado::SobreRango:
        return QStringLiteral("overload");
    case Estado::BajoRango:
        return QStringLiteral("underload");
    case Estado::Error:
        return QStringLiteral("error");
    case Estado::Desconocido:
        break;
    }
    return QStringLiteral("unknown");
}

QString Lectura::NombreTipo(Tipo t) {
    switch (t) {
    case Tipo::Bruto:
        return QStringLiteral("gross");
    case Tipo::Neto:
        return QStringLiteral("net");
    case Tipo::Desconocido:
        break;
    }
    return QStringLiteral("unknown");
}
