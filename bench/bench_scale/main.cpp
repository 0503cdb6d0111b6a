// bench_scale: two measures of the scale path, each against a reference in the same run.
//
// 1. The decoder, for every protocol of the table: real frames are taken from pesix-scale-sim
//    speaking that protocol over a pseudo-terminal (some of them in motion), repeated into a
//    stream of M frames (default 2,000,000, so that each
//    round lasts long enough for a moment of load not to decide it) and fed in pieces of 64
//    characters, as a port hands them on, to
//      reference: the bare cut, the same characters split at their frame ends into byte
//                 arrays, without decoding;
//      decoder:   CortadorTramas, which cuts and decodes each frame into a reading.
//    Printed per protocol: frames per second of each, the ratio reference rate / decoder rate
//    (the cost of decoding; the goal is 1.5 or less) and readings delivered / frames sent
//    (always 1.0). The median of the rounds is taken. A scale at rest sends the same frame
//    again and again, and the cutter reads a frame equal to the one before from that one's
//    reading; so the same is measured a second time over the sample without such repeats
//    (every frame new to the decoder), and its share of repeated frames is printed.
//
// 2. The controller: the simulator streams N type-0 readings (default 10,000) as fast as the
//    pseudo-terminal takes them. Measured twice in the same run:
//      reference: a bare poll()/read() loop on the device, cutting at carriage returns;
//      VeltaSC:   the scale controller, each reading timed when Mensaje is raised.
//    Printed: readings delivered / readings sent, delivery latency p50 and p99 from the moment
//    a reading's last byte went into the terminal to its delivery, the readings still
//    undelivered when the scale sent its last one, and the backlog (readings and characters)
//    left after the stream.
//
// Several rounds are run (5 by default) and the median round is taken, so a moment of load from
// other programs does not decide the figure; every round is printed. The last lines are
// "decode_ratio_max=<ratio> decode_ratio_none_repeating_max=<ratio> decode_delivered_min=<ratio>"
// and "delivered=<ratio> p99_ms=<value>" for the controller (median p99 of the rounds).
#include "scale/ajustesbascula.h"
#include "scale/cortadortramas.h"
#include "scale/protocolobascula.h"
#include "scale/protocolousuario.h"
#include "scale/veltasc.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QSerialPort>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {
qint64 AhoraNs() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

struct Medida {
    int enviadas = 0;
    int entregadas = 0;
    double p50 = 0, p99 = 0, max = 0;
    double duracionEnvio = 0;   // first to last reading sent, ms
    double duracionEntrega = 0; // first reading sent to last delivered, ms
    int pendientesAlFinal = 0;  // delivered after the last reading had been sent
    int sinEntregar = 0;        // never delivered
    qsizetype caracteresSobrantes = 0;
};

// The simulator, started and ready; its device path read from its first line.
class Simulador {
public:
    bool Inicia(const QString& programa) {
        m_p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_p.start(programa, {"--tipo", "0"});
        if (!m_p.waitForStarted(5000) || !m_p.waitForReadyRead(5000))
            return false;
        m_ruta = QString::fromLocal8Bit(m_p.readLine()).trimmed();
        return m_ruta.startsWith('/');
    }
    QString Ruta() const { return m_ruta; }
    void Rafaga(int n) {
        m_p.write(QByteArray("rafaga ") + QByteArray::number(n) + "\n");
        m_p.waitForBytesWritten(1000);
    }
    // True once the simulator reported the end of the burst.
    bool FinRafaga() {
        while (m_p.canReadLine()) {
            if (m_p.readLine().startsWith("rafaga-fin"))
                return true;
        }
        return false;
    }
    // When each reading was sent, asked for once the burst is over.
    bool LeeTiempos(QList<qint64>& envio) {
        m_p.write("tiempos\n");
        QDeadlineTimer limite(30000);
        while (!limite.hasExpired()) {
            while (m_p.canReadLine()) {
                const QByteArray l = m_p.readLine().trimmed();
                if (l.startsWith("tiempos-fin"))
                    return true;
                const QList<QByteArray> c = l.split(' ');
                if (c.size() == 3 && c.at(0) == "t") {
                    const int i = c.at(1).toInt();
                    if (i >= 0 && i < envio.size())
                        envio[i] = c.at(2).toLongLong();
                }
            }
            m_p.waitForReadyRead(200);
        }
        return false;
    }
    QProcess& Proceso() { return m_p; }
    ~Simulador() {
        if (m_p.state() != QProcess::NotRunning) {
            m_p.write("salir\n");
            if (!m_p.waitForFinished(3000))
                m_p.kill();
            m_p.waitForFinished(1000);
        }
    }

private:
    QProcess m_p;
    QString m_ruta;
};

int Indice(QByteArrayView texto) {
    bool ok = false;
    const double v = QString::fromLatin1(texto).toDouble(&ok);
    return ok ? qRound(v * 1000) : -1;
}

void Resume(Medida& m, const QList<qint64>& envio, const QList<qint64>& llegada) {
    QList<double> lat;
    const qint64 ultimoEnvio = envio.isEmpty() ? 0 : *std::max_element(envio.begin(), envio.end());
    for (int i = 0; i < envio.size(); ++i) {
        if (llegada[i] == 0 || envio[i] == 0) {
            ++m.sinEntregar;
            continue;
        }
        ++m.entregadas;
        lat << double(llegada[i] - envio[i]) / 1e6;
        if (llegada[i] > ultimoEnvio)
            ++m.pendientesAlFinal;
    }
    const qint64 primerEnvio = envio.isEmpty() ? 0 : *std::min_element(envio.begin(), envio.end());
    const qint64 ultimaLlegada =
        llegada.isEmpty() ? 0 : *std::max_element(llegada.begin(), llegada.end());
    m.duracionEnvio = double(ultimoEnvio - primerEnvio) / 1e6;
    m.duracionEntrega = double(ultimaLlegada - primerEnvio) / 1e6;
    std::sort(lat.begin(), lat.end());
    auto q = [&](double f) {
        return lat.isEmpty() ? 0.0 : lat[qMin(lat.size() - 1, int(f * double(lat.size())))];
    };
    m.p50 = q(0.50);
    m.p99 = q(0.99);
    m.max = lat.isEmpty() ? 0.0 : lat.last();
}

// The reference: the device read with poll()/read() and nothing else.
Medida Referencia(const QString& programa, int n) {
    Medida m;
    m.enviadas = n;
    Simulador sim;
    if (!sim.Inicia(programa))
        return m;
    const int fd = ::open(sim.Ruta().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return m;
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    QList<qint64> envio(n, 0), llegada(n, 0);
    sim.Rafaga(n);
    QByteArray buf;
    int recibidas = 0;
    QDeadlineTimer limite(30000);
    while (recibidas < n && !limite.hasExpired()) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0)
            continue;
        char b[4096];
        const ssize_t r = ::read(fd, b, sizeof b);
        if (r <= 0)
            continue;
        const qint64 ahora = AhoraNs();
        buf.append(b, r);
        qsizetype inicio = 0;
        for (qsizetype cr; (cr = buf.indexOf('\r', inicio)) >= 0; inicio = cr + 1) {
            const int i = Indice(QByteArrayView(buf).sliced(inicio, cr - inicio));
            if (i >= 0 && i < n && llegada[i] == 0) {
                llegada[i] = ahora;
                ++recibidas;
            }
        }
        buf.remove(0, inicio);
    }
    m.caracteresSobrantes = buf.size();
    ::close(fd);
    sim.LeeTiempos(envio);
    Resume(m, envio, llegada);
    return m;
}

// The scale controller, as the program uses it.
Medida Controlador(const QString& programa, int n) {
    Medida m;
    m.enviadas = n;
    Simulador sim;
    if (!sim.Inicia(programa))
        return m;
    VeltaSC v;
    v.SetTipoBascula(0);
    v.SetPuertoNombre(sim.Ruta());
    if (const Resultado abierto = v.SetPortOpen(true); !abierto) {
        std::fprintf(stderr, "%s\n", qPrintable(abierto.Error()));
        return m;
    }
    QList<qint64> envio(n, 0), llegada(n, 0);
    // The handler only keeps the text and the time; the texts are read afterwards, so the
    // figures are the controller's and not the bench's.
    QList<QString> textos(n + 1000);
    QList<qint64> horas(n + 1000, 0);
    int recibidas = 0;
    QObject::connect(&v, &VeltaSC::Mensaje, [&](const QString& texto) {
        if (recibidas < textos.size()) {
            horas[recibidas] = AhoraNs();
            textos[recibidas] = texto;
        }
        ++recibidas;
    });
    bool fin = false;
    QObject::connect(&sim.Proceso(), &QProcess::readyReadStandardOutput,
                     [&] { fin = fin || sim.FinRafaga(); });
    sim.Rafaga(n);
    QDeadlineTimer limite(30000);
    while ((!fin || recibidas < n) && !limite.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        // After the stream ended, what has not come within a second is not coming.
        if (fin && limite.remainingTime() > 1000)
            limite.setRemainingTime(1000);
    }
    m.caracteresSobrantes = v.BufferRecepcion().size();
    (void)v.SetPortOpen(false);
    QObject::disconnect(&sim.Proceso(), nullptr, nullptr, nullptr);
    sim.LeeTiempos(envio);
    for (int k = 0; k < qMin(recibidas, int(textos.size())); ++k) {
        const int i = Indice(textos.at(k).toLatin1());
        if (i >= 0 && i < n && llegada[i] == 0)
            llegada[i] = horas.at(k);
    }
    Resume(m, envio, llegada);
    return m;
}

// The user's protocol the simulator's type 6 speaks (a CAS-like "ST,GS,+  12.34kg" line).
AjustesBascula AjustesBanco(qint32 tipo) {
    AjustesBascula a;
    a.tipo = tipo;
    a.tramaUsuario = QStringLiteral(
        R"(^(?<estado>ST|US|OL),(?:GS|NT),.*?(?<peso>[-+]? *[0-9]+\.?[0-9]*) *(?<unidad>kg|lb|g|t)\s*$)");
    a.estableUsuario = QStringLiteral("ST");
    a.finTramaUsuario = QStringLiteral("CRLF");
    return a;
}

// Where the bare cut ends a frame of `fin`.
QByteArray Final(FinTrama fin) {
    switch (fin) {
    case FinTrama::LF:
    case FinTrama::CRLF:
        return "\n";
    case FinTrama::ETX:
        return "\x03";
    case FinTrama::Bloque:
        return "\n\n\n";
    case FinTrama::CR:
    case FinTrama::StxCr:
    case FinTrama::LfCr:
        break;
    }
    return "\r";
}

// The reference: characters appended and split at their ends into frames, nothing more.
class CorteDesnudo {
public:
    explicit CorteDesnudo(QByteArray final) : m_final(std::move(final)) {}
    qsizetype Procesa(const QByteArray& datos) {
        m_buffer.append(datos);
        m_tramas.clear();
        qsizetype inicio = 0;
        for (qsizetype f; (f = m_buffer.indexOf(m_final, inicio)) >= 0; inicio = f + m_final.size())
            m_tramas.append(m_buffer.sliced(inicio, f - inicio));
        m_buffer.remove(0, inicio);
        return m_tramas.size();
    }

private:
    QByteArray m_final;
    QByteArray m_buffer;
    QList<QByteArray> m_tramas;
};

// Real frames of protocol `tipo`: the simulator's continuous output for a moment, readings in
// motion among them, whole frames only. Empty when the simulator cannot be
// reached.
QByteArray Muestra(const QString& programa, qint32 tipo, int& tramas) {
    tramas = 0;
    const ProtocoloBascula* p = ProtocoloBascula::Busca(tipo);
    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(programa, {"--tipo", QString::number(tipo), "--peso", "1234.5"});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000))
        return {};
    QSerialPort puerto(QString::fromLocal8Bit(sim.readLine()).trimmed());
    AjustesBascula::Linea linea;
    AjustesBascula::LeeLinea(QString::fromLatin1(p->linea), linea);
    puerto.setBaudRate(linea.bps);
    puerto.setParity(linea.paridad);
    puerto.setDataBits(linea.bits);
    puerto.setStopBits(linea.parada);
    if (!puerto.open(QIODevice::ReadWrite))
        return {};
    sim.write("movimiento 40\nintervalo 2\ncontinua\n");
    sim.waitForBytesWritten(1000);
    QByteArray datos;
    QDeadlineTimer limite(4000);
    CorteDesnudo corte(Final(p->Fin(ProtocoloUsuario())));
    while (tramas < 200 && !limite.hasExpired()) {
        if (puerto.waitForReadyRead(100)) {
            const QByteArray llegado = puerto.readAll();
            datos += llegado;
            tramas += int(corte.Procesa(llegado));
        }
    }
    puerto.close();
    sim.write("salir\n");
    if (!sim.waitForFinished(3000))
        sim.kill();
    sim.waitForFinished(1000);
    // From the end of the first frame (which may have gone out before the line was set) to the
    // end of the last.
    const QByteArray final = Final(p->Fin(ProtocoloUsuario()));
    const qsizetype primero = datos.indexOf(final);
    const qsizetype ultimo = datos.lastIndexOf(final);
    tramas -= 1;
    if (primero < 0 || ultimo <= primero || tramas <= 0)
        return QByteArray();
    const qsizetype desde = primero + final.size();
    return datos.mid(desde, ultimo + final.size() - desde);
}

// The sample without the frames equal to the one before them (a scale at rest repeats its
// frame): a stream where every frame is new to the decoder. `tramas` receives how many are left.
QByteArray SinRepetidas(const QByteArray& muestra, const QByteArray& final, int& tramas) {
    QByteArray distinta;
    QByteArrayView anterior;
    tramas = 0;
    for (qsizetype inicio = 0, f; (f = muestra.indexOf(final, inicio)) >= 0;
         inicio = f + final.size()) {
        const QByteArrayView trama =
            QByteArrayView(muestra).sliced(inicio, f + final.size() - inicio);
        if (trama != anterior) {
            distinta += trama;
            ++tramas;
        }
        anterior = trama;
    }
    // The last frame and the first, where the sample starts again, must differ as well.
    return tramas > 1 ? distinta : QByteArray();
}

struct Decodificacion {
    double ratio = 0;   // reference rate / decoder rate
    double entrega = 0; // readings delivered / frames sent
    double porSegundoRef = 0;
    double porSegundoDec = 0;
};

// One round over `flujo`, which holds `enviadas` frames.
Decodificacion Decodifica(qint32 tipo, const QByteArray& flujo, qint64 enviadas) {
    const ProtocoloBascula* p = ProtocoloBascula::Busca(tipo);
    constexpr qsizetype kPieza = 64;
    QList<QByteArray> piezas;
    for (qsizetype i = 0; i < flujo.size(); i += kPieza)
        piezas << flujo.mid(i, kPieza);
    Decodificacion d;
    QElapsedTimer reloj;
    CorteDesnudo corte(Final(p->Fin(ProtocoloUsuario())));
    qint64 cortadas = 0;
    reloj.start();
    for (const QByteArray& pieza : piezas)
        cortadas += corte.Procesa(pieza);
    const qint64 nsRef = qMax<qint64>(1, reloj.nsecsElapsed());

    CortadorTramas cortador;
    ProtocoloUsuario usuario;
    const AjustesBascula a = AjustesBanco(tipo);
    (void)ProtocoloUsuario::Crea(a.tramaUsuario, a.estableUsuario, a.finTramaUsuario,
                                 a.peticionUsuario, usuario);
    cortador.SetUsuario(usuario);
    qint64 entregadas = 0;
    reloj.restart();
    for (const QByteArray& pieza : piezas)
        for (const CortadorTramas::Salida& s : cortador.Procesa(tipo, pieza))
            entregadas += s.lectura && s.lectura->EsPeso() ? 1 : 0;
    const qint64 nsDec = qMax<qint64>(1, reloj.nsecsElapsed());
    d.porSegundoRef = double(cortadas) * 1e9 / double(nsRef);
    d.porSegundoDec = double(entregadas) * 1e9 / double(nsDec);
    d.ratio =
        double(nsDec) / double(nsRef) * double(cortadas) / double(qMax<qint64>(1, entregadas));
    d.entrega = double(entregadas) / double(qMax<qint64>(1, enviadas));
    return d;
}

void Imprime(const char* nombre, const Medida& m) {
    std::printf("%s: delivered %d/%d, latency p50 %.3f ms p99 %.3f ms max %.3f ms; sent in "
                "%.1f ms, all delivered %.1f ms after the first was sent; backlog when the last "
                "was sent %d readings; after the stream %d undelivered, %lld characters left\n",
                nombre, m.entregadas, m.enviadas, m.p50, m.p99, m.max, m.duracionEnvio,
                m.duracionEntrega, m.pendientesAlFinal, m.sinEntregar,
                static_cast<long long>(m.caracteresSobrantes));
}

double Mediana(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0.0 : v.at(v.size() / 2);
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    // bench_scale [readings per round] [rounds] [frames decoded per protocol]
    const int n = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 10000;
    const int rondas = argc > 2 ? qMax(1, QByteArray(argv[2]).toInt()) : 5;
    const QString programa = QCoreApplication::applicationDirPath() + "/pesix-scale-sim";

    const int m = argc > 3 ? qMax(1, QByteArray(argv[3]).toInt()) : 2000000;

    // 1. The decoder, protocol by protocol.
    std::printf("bench_scale: decoding %d frames of each protocol (real frames from "
                "pesix-scale-sim, repeated), %d rounds\n",
                m, rondas);
    double peorRatio = 0;
    double peorDistinta = 0;
    double peorEntrega = 1;
    for (const ProtocoloBascula& p : ProtocoloBascula::Tabla()) {
        int tramas = 0;
        const QByteArray muestra = Muestra(programa, p.tipo, tramas);
        if (muestra.isEmpty() || tramas == 0) {
            std::printf("type %d %s: no frames from the simulator\n", p.tipo, p.nombre);
            peorEntrega = 0;
            continue;
        }
        // Rounds over a stream: the median ratio, the lowest delivered/sent, the median rates.
        const auto Rondas = [&](const QByteArray& unaVez, int cuantas, double& ratio,
                                double& entrega, double& porRef, double& porDec) {
            const int copias = qMax(1, m / cuantas);
            const QByteArray flujo = unaVez.repeated(copias);
            const qint64 enviadas = qint64(cuantas) * copias;
            QList<double> ratios, entregas, ref, dec;
            for (int r = 0; r < rondas; ++r) {
                const Decodificacion d = Decodifica(p.tipo, flujo, enviadas);
                ratios << d.ratio;
                entregas << d.entrega;
                ref << d.porSegundoRef;
                dec << d.porSegundoDec;
            }
            ratio = Mediana(ratios);
            entrega = *std::min_element(entregas.begin(), entregas.end());
            porRef = Mediana(ref);
            porDec = Mediana(dec);
            return enviadas;
        };
        double ratio = 0, entrega = 0, porRef = 0, porDec = 0;
        const qint64 enviadas = Rondas(muestra, tramas, ratio, entrega, porRef, porDec);
        int distintas = 0;
        const QByteArray distinta =
            SinRepetidas(muestra, Final(p.Fin(ProtocoloUsuario())), distintas);
        double ratioD = 0, entregaD = 1, porRefD = 0, porDecD = 0;
        if (!distinta.isEmpty())
            Rondas(distinta, distintas, ratioD, entregaD, porRefD, porDecD);
        std::printf("type %d %-8s %lld frames: bare cut %.0f frames/s, decoder %.0f readings/s, "
                    "ratio %.2f, delivered/sent %.4f; %.0f%% of frames repeat the one before; "
                    "none repeating: bare cut %.0f frames/s, decoder %.0f readings/s, ratio %.2f, "
                    "delivered/sent %.4f\n",
                    p.tipo, p.nombre, static_cast<long long>(enviadas), porRef, porDec, ratio,
                    entrega, 100.0 * (1.0 - double(distintas) / double(tramas)), porRefD, porDecD,
                    ratioD, entregaD);
        peorDistinta = qMax(peorDistinta, ratioD);
        entrega = qMin(entrega, entregaD);
        peorRatio = qMax(peorRatio, ratio);
        peorEntrega = qMin(peorEntrega, entrega);
    }
    std::printf("decode_ratio_max=%.2f decode_ratio_none_repeating_max=%.2f "
                "decode_delivered_min=%.4f\n",
                peorRatio, peorDistinta, peorEntrega);

    // 2. The controller over the pseudo-terminal.
    std::printf("bench_scale: %d type-0 readings streamed by pesix-scale-sim over a "
                "pseudo-terminal, %d rounds\n",
                n, rondas);
    QList<double> p99Ref, p50Ref, p99Vel, p50Vel;
    qint64 entregadas = 0;
    qint64 enviadas = 0;
    int pendientes = 0;
    qsizetype sobrantes = 0;
    for (int r = 1; r <= rondas; ++r) {
        std::printf("round %d\n", r);
        const Medida ref = Referencia(programa, n);
        Imprime("  reference (bare poll/read loop)", ref);
        const Medida vel = Controlador(programa, n);
        Imprime("  VeltaSC", vel);
        p99Ref << ref.p99;
        p50Ref << ref.p50;
        p99Vel << vel.p99;
        p50Vel << vel.p50;
        entregadas += vel.entregadas;
        enviadas += vel.enviadas;
        pendientes += vel.sinEntregar;
        sobrantes += vel.caracteresSobrantes;
    }
    const double p99 = Mediana(p99Vel);
    std::printf("median of %d rounds: reference p50 %.3f ms p99 %.3f ms; VeltaSC p50 %.3f ms "
                "p99 %.3f ms (worst round %.3f ms)\n",
                rondas, Mediana(p50Ref), Mediana(p99Ref), Mediana(p50Vel), p99,
                *std::max_element(p99Vel.begin(), p99Vel.end()));
    if (Mediana(p99Ref) > 0)
        std::printf("p99 VeltaSC / reference = %.2f\n", p99 / Mediana(p99Ref));
    std::printf("VeltaSC backlog after the streams: %d readings undelivered, %lld characters "
                "left\n",
                pendientes, static_cast<long long>(sobrantes));
    const QByteArray ratio =
        entregadas == enviadas ? QByteArray("1.0")
                               : QByteArray::number(double(entregadas) / double(enviadas), 'f', 4);
    std::printf("delivered=%s p99_ms=%.3f\n", ratio.constData(), p99);
    return entregadas == enviadas && peorEntrega == 1.0 ? 0 : 1;
}
