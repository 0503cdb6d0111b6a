#include "scale/lectorconsola.h"

#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/erroresconsola.h"
#include "app/idtextos.h"
#include "app/kelregistry.h"
#include "app/lineacomandos.h"
#include "scale/detectorbascula.h"
#include "scale/lectura.h"
#include "scale/protocolobascula.h"
#include "scale/veltasc.h"

namespace {
const QString kLeer = QStringLiteral("--read-scale");
const QString kDetectar = QStringLiteral("--detect-scale");

struct Peticion {
    bool detectar = false;
    QString ajustes;
    int cuantas = 1;
    int espera = 5;
    QString error;
};

Peticion LeePeticion(const QStringList& argumentos) {
    Peticion p;
    p.detectar = argumentos.contains(kDetectar);
    const QStringList propias =
        p.detectar ? QStringList{"--settings"} : QStringList{"--settings", "--count", "--wait"};
    const LineaComandos linea(argumentos, {kLeer, kDetectar}, propias);
    p.error = linea.Error();
    if (p.error.isEmpty() && !linea.Valores().isEmpty())
        p.error = QStringLiteral("unexpected \"%1\"").arg(linea.Valores().constFirst());
    p.ajustes = linea.Opcion("--settings");
    for (const auto& [opcion, destino] : {std::pair{QStringLiteral("--count"), &p.cuantas},
                                          {QStringLiteral("--wait"), &p.espera}}) {
        const QString valor = linea.Opcion(opcion);
        if (!p.error.isEmpty() || !linea.TieneOpcion(opcion))
            continue;
        bool ok = false;
        *destino = valor.toInt(&ok);
        if (!ok || *destino < 1)
            p.error =
                QStringLiteral("%1 takes a whole number above 0, not \"%2\"").arg(opcion, valor);
    }
    return p;
}
} // namespace

bool LectorConsola::Pedido(int argc, char** argv) {
    return LineaComandos::Pedida(argc, argv, "--read-scale") ||
           LineaComandos::Pedida(argc, argv, "--detect-scale");
}

QString LectorConsola::Linea(const Lectura& l) {
    return QStringList{l.recibida.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")), l.Cifra(),
                       l.unidad, Lectura::NombreEstado(l.estado), Lectura::NombreTipo(l.tipo)}
        .join('\t');
}

int LectorConsola::Ejecuta(const QStringList& argumentos, QTextStream& salida,
                           QTextStream& errores) {
    const Peticion o = LeePeticion(argumentos);
    if (!o.error.isEmpty())
        return LineaComandos::Falla(errores, ErrorLinea,
                                    o.error + "; " +
                                        LineaComandos::Uso(o.detectar ? kDetectar : kLeer));
    kelRegistry::UsaArchivoIni(o.ajustes);
    clsDatosApp datos;
    const AjustesBascula ajustes = AjustesBascula::De(datos);

    if (o.detectar) {
        std::optional<DetectorBascula::Hallazgo> h;
        if (const Resultado r =
                DetectorBascula::Detecta(datos.PuertoNombre(), datos.Puerto(), ajustes, h);
            !r)
            return LineaComandos::Falla(errores, ErrorPuerto, r.Error());
        if (!h)
            return LineaComandos::Falla(errores, SinLectura, Texto(IdTexto::NingunaBascula));
        salida << h->linea << '\t' << ProtocoloBascula::Busca(h->tipo)->nombre << Qt::endl;
        salida << Linea(h->lectura) << Qt::endl;
        salida << DetectorBascula::Valores(*h) << Qt::endl;
        return Correcto;
    }

    VeltaSC v;
    v.SetPuerto(datos.Puerto());
    v.SetPuertoNombre(datos.PuertoNombre());
    if (const Resultado r = v.SetAjustes(ajustes); !r)
        return LineaComandos::Falla(errores, ErrorPuerto, r.Error());
    if (const Resultado r = v.SetPortOpen(true); !r)
        return LineaComandos::Falla(errores, ErrorPuerto, r.Error());
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
            return LineaComandos::Falla(errores, SinLectura, mensaje);
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
