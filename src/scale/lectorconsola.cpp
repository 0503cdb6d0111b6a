#include "scale/lectorconsola.h"

#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/erroresconsola.h"
#include "app/idtextos.h"
#include "app/kelregistry.h"
#include "scale/detectorbascula.h"
#include "scale/lectura.h"
#include "scale/protocolobascula.h"
#include "scale/veltasc.h"

#include <cstring>

namespace {
const char* const kLeer = "--read-scale";
const char* const kDetectar = "--detect-scale";

struct Ordenes {
    bool detectar = false;
    QString ajustes;
    int cuantas = 1;
    int espera = 5;
    QString error;
};

Ordenes LeeOrdenes(const QStringList& argumentos) {
    Ordenes o;
    o.detectar = argumentos.contains(QLatin1String(kDetectar));
    const QStringList propias =
        o.detectar ? QStringList{"--settings"} : QStringList{"--settings", "--count", "--wait"};
    for (qsizetype i = 1; i < argumentos.size() && o.error.isEmpty(); ++i) {
        QString a = argumentos.at(i);
        if (a == QLatin1String(kLeer) || a == QLatin1String(kDetectar))
            continue;
        QString valor;
        bool conValor = false;
        if (const qsizetype igual = a.indexOf('='); a.startsWith("--") && igual > 0) {
            valor = a.mid(igual + 1);
            a = a.left(igual);
            conValor = true;
        }
        if (!propias.contains(a)) {
            o.error = QStringLiteral("unknown option %1").arg(a);
            break;
        }
        if (!conValor) {
            if (i + 1 >= argumentos.size()) {
                o.error = QStringLiteral("%1 needs a value").arg(a);
                break;
            }
            valor = argumentos.at(++i);
        }
        bool ok = true;
        if (a == u"--settings") {
            o.ajustes = valor;
        } else if (a == u"--count") {
            o.cuantas = valor.toInt(&ok);
            ok = ok && o.cuantas >= 1;
        } else {
            o.espera = valor.toInt(&ok);
            ok = ok && o.espera >= 1;
        }
        if (!ok)
            o.error = QStringLiteral("%1 takes a whole number above 0, not \"%2\"").arg(a, valor);
    }
    return o;
}
} // namespace

bool LectorConsola::Pedido(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], kLeer) == 0 || std::strcmp(argv[i], kDetectar) == 0)
            return true;
    return false;
}

QString LectorConsola::Linea(const Lectura& l) {
    return QStringList{l.recibida.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")), l.Cifra(),
                       l.unidad, Lectura::NombreEstado(l.estado), Lectura::NombreTipo(l.tipo)}
        .join('\t');
}

int LectorConsola::Ejecuta(const QStringList& argumentos, QTextStream& salida,
                           QTextStream& errores) {
    const Ordenes o = LeeOrdenes(argumentos);
    if (!o.error.isEmpty())
        return ErroresConsola::Falla(
            errores, ErrorOrdenes,
            o.error + "; usage: pesix --read-scale [--settings FILE] [--count N] "
                      "[--wait SECONDS] | pesix --detect-scale [--settings FILE]");
    kelRegistry::UsaArchivoIni(o.ajustes);
    clsDatosApp datos;
    const AjustesBascula ajustes = AjustesBascula::De(datos);

    if (o.detectar) {
        std::optional<DetectorBascula::Hallazgo> h;
        if (const Resultado r =
                DetectorBascula::Detecta(datos.PuertoNombre(), datos.Puerto(), ajustes, h);
            !r)
            return ErroresConsola::Falla(errores, ErrorPuerto, r.Error());
        if (!h)
            return ErroresConsola::Falla(errores, SinLectura, Texto(IdTexto::NingunaBascula));
        salida << h->linea << '\t' << ProtocoloBascula::Busca(h->tipo)->nombre << Qt::endl;
        salida << Linea(h->lectura) << Qt::endl;
        salida << DetectorBascula::Valores(*h) << Qt::endl;
        return Correcto;
    }

    VeltaSC v;
    v.SetPuerto(datos.Puerto());
    v.SetPuertoNombre(datos.PuertoNombre());
    if (const Resultado r = v.SetAjustes(ajustes); !r)
        return ErroresConsola::Falla(errores, ErrorPuerto, r.Error());
    if (const Resultado r = v.SetPortOpen(true); !r)
        return ErroresConsola::Falla(errores, ErrorPuerto, r.Error());
    // Only readings sent from now on: not what a streaming scale left waiting in the line.
    v.DescartaEntrada();
    for (int i = 0; i < o.cuantas; ++i) {
        QStringList recibido;
        v.PideLectura();
        const std::optional<Lectura> l =
            DetectorBascula::EsperaPeso(v, o.espera * 1000, 0, &recibido);
        if (!l) {
            if (!v.BufferRecepcion().isEmpty()) {
                Lectura resto;
                resto.trama = v.BufferRecepcion();
                recibido << resto.TramaLegible();
            }
            QString mensaje = Texto(IdTexto::SinLecturaEspera).arg(o.espera);
            if (!recibido.isEmpty())
                mensaje += "; " + Texto(IdTexto::Recibido).arg(recibido.join(' ').left(400));
            return ErroresConsola::Falla(errores, SinLectura, mensaje);
        }
        salida << Linea(*l) << Qt::endl;
    }
    (void)v.SetPortOpen(false);
    return Correcto;
}

int LectorConsola::Ejecuta(const QStringList& argumentos) {
    QTextStream salida(stdout);
    ErroresConsola errores;
    return Ejecuta(argumentos, salida, errores.Flujo());
}
