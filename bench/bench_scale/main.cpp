// bench_scale: the scale simulator streams N type-0 readings (default 10,000) as fast as the
// pseudo-terminal takes them. Measured twice in the same run:
//   reference: a bare poll()/read() loop on the device, cutting at carriage returns;
//   VeltaSC:   the scale controller, each reading timed when Mensaje is raised.
// Printed: readings delivered / readings sent, delivery latency p50 and p99 from the moment a
// reading's last byte went into the terminal to its delivery, the readings still undelivered
// when the scale sent its last one, and the backlog (readings and characters) left after the
// stream. Several rounds are run (5 by default) and the median round is taken, so a moment of
// load from other programs does not decide the figure; every round is printed. The last line is
// "delivered=<ratio> p99_ms=<value>" for the controller (median p99 of the rounds).
#include "scale/veltasc.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>

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
        lat << (llegada[i] - envio[i]) / 1e6;
        if (llegada[i] > ultimoEnvio)
            ++m.pendientesAlFinal;
    }
    const qint64 primerEnvio = envio.isEmpty() ? 0 : *std::min_element(envio.begin(), envio.end());
    const qint64 ultimaLlegada =
        llegada.isEmpty() ? 0 : *std::max_element(llegada.begin(), llegada.end());
    m.duracionEnvio = (ultimoEnvio - primerEnvio) / 1e6;
    m.duracionEntrega = (ultimaLlegada - primerEnvio) / 1e6;
    std::sort(lat.begin(), lat.end());
    auto q = [&](double f) {
        return lat.isEmpty() ? 0.0 : lat[qMin(lat.size() - 1, int(f * lat.size()))];
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
    // bench_scale [readings per round] [rounds]
    const int n = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 10000;
    const int rondas = argc > 2 ? qMax(1, QByteArray(argv[2]).toInt()) : 5;
    const QString programa = QCoreApplication::applicationDirPath() + "/pesix-scale-sim";

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
    const QByteArray ratio = entregadas == enviadas
                                 ? QByteArray("1.0")
                                 : QByteArray::number(double(entregadas) / enviadas, 'f', 4);
    std::printf("delivered=%s p99_ms=%.3f\n", ratio.constData(), p99);
    return entregadas == enviadas ? 0 : 1;
}
