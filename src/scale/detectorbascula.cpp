#include "scale/detectorbascula.h"

#include "scale/protocolobascula.h"
#include "scale/protocolousuario.h"
#include "scale/veltasc.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

QStringList DetectorBascula::Lineas() {
    QStringList l;
    for (const ProtocoloBascula& p : ProtocoloBascula::Tabla())
        if (!l.contains(QLatin1String(p.linea)))
            l << QLatin1String(p.linea);
    for (const int bps : {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200})
        for (const char* forma : {",N,8,1", ",E,7,1"})
            if (const QString t = QString::number(bps) + QLatin1String(forma); !l.contains(t))
                l << t;
    return l;
}

std::optional<Lectura> DetectorBascula::EsperaPeso(VeltaSC& v, int ms, int silencioMs,
                                                   QStringList* recibido) {
    std::optional<Lectura> peso;
    bool algo = false;
    QEventLoop bucle;
    const auto c1 = QObject::connect(&v, &VeltaSC::LecturaRecibida, &bucle, [&](const Lectura& l) {
        algo = true;
        if (l.EsPeso() && !peso) {
            peso = l;
            bucle.quit();
        } else if (recibido) {
            *recibido << l.TramaLegible();
        }
    });
    const auto c2 = QObject::connect(&v, &VeltaSC::TramaIlegible, &bucle, [&](const QString& t) {
        algo = true;
        if (recibido) {
            Lectura l;
            l.trama = t.toLatin1();
            *recibido << l.TramaLegible();
        }
    });
    const auto c3 = QObject::connect(&v, &VeltaSC::PuertoPerdido, &bucle, &QEventLoop::quit);
    QElapsedTimer reloj;
    reloj.start();
    QTimer paso;
    QObject::connect(&paso, &QTimer::timeout, &bucle, [&] {
        const bool silencio = !algo && v.BufferRecepcion().isEmpty();
        if (reloj.elapsed() >= ms || (silencioMs > 0 && silencio && reloj.elapsed() >= silencioMs))
            bucle.quit();
    });
    paso.start(20);
    bucle.exec();
    QObject::disconnect(c1);
    QObject::disconnect(c2);
    QObject::disconnect(c3);
    return peso;
}

Resultado DetectorBascula::Detecta(const QString& puertoNombre, qint16 puerto,
                                   const AjustesBascula& base, std::optional<Hallazgo>& hallazgo,
                                   const std::function<bool(const QString&)>& avance) {
    hallazgo.reset();
    QList<qint32> tipos;
    for (const ProtocoloBascula& p : ProtocoloBascula::Tabla()) {
        ProtocoloUsuario u;
        if (p.tipo != 6 || ProtocoloUsuario::Crea(base.tramaUsuario, base.estableUsuario,
                                                  base.finTramaUsuario, base.peticionUsuario, u))
            tipos << p.tipo;
    }
    bool primera = true;
    for (const QString& linea : Lineas()) {
        // The protocols whose own line this is go first.
        QList<qint32> orden;
        for (const qint32 t : tipos)
            if (QLatin1String(ProtocoloBascula::Busca(t)->linea) == linea)
                orden << t;
        for (const qint32 t : tipos)
            if (!orden.contains(t))
                orden << t;
        for (const qint32 tipo : orden) {
            AjustesBascula a = base;
            a.tipo = tipo;
            a.linea = linea;
            a.flujo = QStringLiteral("0");
            VeltaSC v;
            v.SetPuerto(puerto);
            v.SetPuertoNombre(puertoNombre);
            (void)v.SetAjustes(a); // type 6 is tried only when it reads
            if (avance &&
                !avance(QStringLiteral("%1 %2").arg(linea, ProtocoloBascula::Busca(tipo)->nombre)))
                return Resultado::Exito();
            if (const Resultado r = v.SetPortOpen(true); !r) {
                if (primera)
                    return r;
                continue;
            }
            primera = false;
            // A scale that streams may pause between readings longer than one that answers.
            const bool pregunta = v.PideLectura();
            const std::optional<Lectura> l =
                EsperaPeso(v, EsperaMs, pregunta ? SilencioMs : 2 * SilencioMs);
            (void)v.SetPortOpen(false);
            if (l) {
                hallazgo = Hallazgo{tipo, linea, *l};
                return Resultado::Exito();
            }
        }
    }
    return Resultado::Exito();
}

QString DetectorBascula::Valores(const Hallazgo& h) {
    return QStringLiteral("TipoBascula=%1 LineaBascula=%2").arg(h.tipo).arg(h.linea);
}
