// Sending a rendered ticket by kind of printer: nothing for kinds 0 and unknown, a device file
// or FIFO for kind 2, a serial printer on a real pseudo-terminal for kind 1 (its modem lines
// scripted), and the system print queue (kind 3) of a print server the test runs itself, with
// raw queues whose device is a socket:// listener of the test.
#include "archivosprueba.h"
#include "lineasguionadas.h"
#include "support/entornoprueba.h"
#include "ticket/paginacodigos.h"
#include "ticket/salidatiquet.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cups/cups.h>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// A ticket in printer form and the bytes the printer must receive for it (IBM850).
const QString kTiquet = QString::fromUtf8("\x1b@Señor Pérez\r\n12,50 kg\n\x1dV\x01");
const QByteArray kBytes =
    QByteArray::fromHex("1b40 5365a46f72 2050 82 72657a 0d0a 31322c3530206b67 0a 1d5601");
const char* const kCola = "pesixraw";
const char* const kColaCompartida = "pesixcompartida";

// Reads a file descriptor from the event loop until its end, or until asked.
struct Lector {
    explicit Lector(int descriptor) : fd(descriptor), aviso(fd, QSocketNotifier::Read) {
        QObject::connect(&aviso, &QSocketNotifier::activated, [this] { Lee(); });
    }
    ~Lector() {
        aviso.setEnabled(false);
        ::close(fd);
    }
    QByteArray Lee() {
        char trozo[8192];
        for (ssize_t n; (n = ::read(fd, trozo, sizeof trozo)) > 0;)
            leido.append(trozo, n);
        return leido;
    }
    int fd;
    QSocketNotifier aviso;
    QByteArray leido;
};

// A printer's network port on 127.0.0.1: keeps the bytes of every connection once it ends.
struct Receptor {
    Receptor() {
        sockaddr_in dir{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t largo = sizeof dir;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&dir), sizeof dir) != 0 ||
            ::listen(fd, 8) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&dir), &largo) != 0)
            return;
        puerto = ntohs(dir.sin_port);
        QObject::connect(&aviso, &QSocketNotifier::activated, [this] {
            for (int c; (c = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
                const timeval espera{20, 0};
                ::setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, &espera, sizeof espera);
                ::fcntl(c, F_SETFL, 0);
                QByteArray datos;
                char trozo[8192];
                for (ssize_t n; (n = ::read(c, trozo, sizeof trozo)) > 0;)
                    datos.append(trozo, n);
                ::close(c);
                recibidos.append(datos);
            }
        });
    }
    ~Receptor() { ::close(fd); }
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    QSocketNotifier aviso{fd, QSocketNotifier::Read};
    quint16 puerto = 0;
    QList<QByteArray> recibidos;
};

QString Sbin(const QString& programa) {
    return QStandardPaths::findExecutable(programa, {"/usr/sbin", "/sbin", "/usr/bin", "/bin"});
}

// A print server of the test's own, on a socket in a private folder; stopped with the test.
struct ServidorCups {
    ~ServidorCups() {
        proceso.terminate();
        proceso.waitForFinished(5000);
    }
    QString Socket() const { return dir.filePath("cups.sock"); }
    // Empty when the server answers, else why it does not.
    QString Arranca() {
        const QString cupsd = Sbin("cupsd");
        if (cupsd.isEmpty())
            return "cupsd is not installed";
        // The backends run as the server's user, who must reach the spool.
        ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
        const QDir base(dir.path());
        for (const char* sub : {"root", "spool", "cache", "state", "log", "tmp"})
            base.mkpath(sub);
        ::chmod(QFile::encodeName(base.filePath("tmp")).constData(), 01777);
        QString usuario;
        if (::geteuid() == 0)
            usuario = ::getpwnam("lp") && ::getgrnam("lp") ? "User lp\nGroup lp\n"
                                                           : "User nobody\nGroup nogroup\n";
        if (const group* g = ::geteuid() == 0 ? ::getgrnam("root") : ::getgrgid(::getegid()))
            usuario += QStringLiteral("SystemGroup %1\n").arg(QString::fromLocal8Bit(g->gr_name));
        const QString archivos =
            QStringLiteral("ServerRoot %1/root\nRequestRoot %1/spool\nCacheDir %1/cache\n"
                           "StateDir %1/state\nTempDir %1/tmp\nAccessLog %1/log/access_log\n"
                           "ErrorLog %1/log/error_log\nPageLog %1/log/page_log\nFileDevice No\n")
                .arg(dir.path()) +
            usuario;
        const QString conf = "Listen " + Socket() +
                             "\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
                             "<Location />\n Order allow,deny\n Allow all\n</Location>\n"
                             "<Policy default>\n <Limit All>\n  Order deny,allow\n </Limit>\n"
                             "</Policy>\n";
        if (!EscribeArchivo(base.filePath("root/cups-files.conf"), archivos.toUtf8()) ||
            !EscribeArchivo(base.filePath("root/cupsd.conf"), conf.toUtf8()))
            return "cannot write the cupsd configuration";
        proceso.setProcessChannelMode(QProcess::MergedChannels);
        // cupsd ends with the test, however the test ends.
        proceso.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        proceso.start(cupsd, {"-f", "-c", base.filePath("root/cupsd.conf"), "-s",
                              base.filePath("root/cups-files.conf")});
        QElapsedTimer reloj;
        reloj.start();
        while (proceso.waitForStarted(5000) && reloj.elapsed() < 10000) {
            if (proceso.state() != QProcess::Running)
                return "cupsd stopped at once: " + QString::fromLocal8Bit(proceso.readAll());
            const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_un un{AF_UNIX, {}};
            qstrncpy(un.sun_path, QFile::encodeName(Socket()).constData(), sizeof un.sun_path);
            const bool responde = ::connect(s, reinterpret_cast<sockaddr*>(&un), sizeof un) == 0;
            ::close(s);
            if (responde)
                return {};
            proceso.waitForFinished(100);
        }
        return "cupsd did not answer within 10 s";
    }
    // Runs a CUPS administration program against this server; empty on success, else its output.
    QString Administra(const QString& programa, const QStringList& argumentos) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(Sbin(programa), QStringList{"-h", Socket()} + argumentos);
        const bool bien =
            p.waitForFinished(15000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        return bien ? QString() : programa + ": " + QString::fromLocal8Bit(p.readAll());
    }
    QTemporaryDir dir;
    QProcess proceso;
};

struct Trabajo {
    int id;
    QString titulo;
    QString cola;
    ipp_jstate_t estado;
};

// Every job the server knows, finished ones included, oldest first.
QList<Trabajo> Trabajos() {
    cups_job_t* trabajos = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &trabajos, nullptr, 0, CUPS_WHICHJOBS_ALL);
    QList<Trabajo> lista;
    for (int i = 0; i < n; ++i)
        lista.append({trabajos[i].id, QString::fromUtf8(trabajos[i].title),
                      QString::fromUtf8(trabajos[i].dest), trabajos[i].state});
    cupsFreeJobs(n, trabajos);
    std::sort(lista.begin(), lista.end(), [](auto& a, auto& b) { return a.id < b.id; });
    return lista;
}

// The test's settings, sending to the printer of that kind and name; for a serial printer, its
// line given by positions of the configuration window's lists.
clsDatosApp& Impresora(EntornoPrueba& env, int tipo, const QString& nombre, int bps = 9,
                       int datos = 4) {
    clsDatosApp& d = env.DatosConBase();
    d.SetPuertoImpresoraTiquets(tipo);
    d.SetNombreImpresoraTiquets(nombre);
    d.SetCommTiquetBPS(bps);
    d.SetCommTiquetParidad(2);
    d.SetCommTiquetBitsDatos(datos);
    return d;
}
} // namespace

class TestSalidaTiquet : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void sinEnvio_data();
    void sinEnvio();
    void dispositivo();
    void serie_data();
    void serie();
    void colaRaw_data();
    void colaRaw();
    void enumerarImpresoras();
    void nombresDePuertos_data();
    void nombresDePuertos();
    void puertosParalelo();

private:
    ServidorCups m_servidor;
    QString m_sinServidor; // why the print queue is not tested, when it is not
    std::unique_ptr<Receptor> m_receptor;
    QTemporaryDir m_casa;
};

void TestSalidaTiquet::initTestCase() {
    // The print client reads nothing of this machine's or this user's own printer settings.
    qputenv("HOME", QFile::encodeName(m_casa.path()));
    qunsetenv("LPDEST");
    qunsetenv("PRINTER");
    m_sinServidor = m_servidor.Arranca();
    if (!m_sinServidor.isEmpty())
        return;
    qputenv("CUPS_SERVERROOT", QFile::encodeName(m_servidor.dir.filePath("root")));
    cupsSetServer(QFile::encodeName(m_servidor.Socket()).constData());
    m_receptor = std::make_unique<Receptor>();
    QVERIFY(m_receptor->puerto != 0);
    // Queues without a driver: raw, the data goes to the device as it came.
    const QString dispositivo = QStringLiteral("socket://127.0.0.1:%1").arg(m_receptor->puerto);
    for (const auto& [cola, compartida] : {std::pair{kCola, "false"}, {kColaCompartida, "true"}})
        QCOMPARE(m_servidor.Administra("lpadmin", {"-p", cola, "-E", "-v", dispositivo, "-o",
                                                   QString("printer-is-shared=") + compartida}),
                 QString());
    QCOMPARE(m_servidor.Administra("lpadmin", {"-d", kColaCompartida}), QString());
}

void TestSalidaTiquet::sinEnvio_data() {
    // Nothing is handed over: the reason, and no byte anywhere. "@" stands for the test's
    // folder, "#" for the serial printer's pseudo-terminal.
    QTest::addColumn<int>("tipo");
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<int>("bps");
    QTest::addColumn<int>("datos");
    QTest::addColumn<QString>("error");
    QTest::newRow("not defined") << 0 << "@/lp" << 9 << 4 << "No ticket printer is defined";
    QTest::newRow("kind 4") << 4 << "@/lp" << 9 << 4 << "Unknown kind of ticket printer: 4";
    QTest::newRow("kind -1") << -1 << "@/lp" << 9 << 4 << "Unknown kind of ticket printer: -1";
    QTest::newRow("missing device is not created") << 2 << "@/no-lp" << 9 << 4 << "Cannot open";
    QTest::newRow("a folder") << 2 << "@" << 9 << 4 << "Cannot open";
    QTest::newRow("FIFO without a reader") << 2 << "@/fifo" << 9 << 4 << "Cannot open";
    QTest::newRow("LPT0") << 2 << "LPT0" << 9 << 4 << "No device for the port \"LPT0\"";
    // Never configured: every list at its first entry, 4 data bits, which no port offers.
    QTest::newRow("serial, first entries")
        << 1 << "#" << 0 << 0 << "OpenComm: Error Setting Com State";
    QTest::newRow("serial, speed out of the list")
        << 1 << "#" << 10 << 4 << "Serial setting CommTiquetBPS has no entry 10";
    QTest::newRow("serial, missing port")
        << 1 << "/dev/no-such-port" << 9 << 4 << "Error opening /dev/no-such-port";
    // A printer that never wakes: the real 3.3 s wake-up runs, and the user interface cancels.
    QTest::newRow("serial, cancelled") << 1 << "#" << 9 << 4 << "WriteComm: Cancelled";
    QTest::newRow("system queue unknown")
        << 3 << "no-such-queue" << 9 << 4 << "Unknown printer \"no-such-queue\"";
    QTest::newRow("system queue taking no jobs") << 3 << kCola << 9 << 4 << "";
    QTest::newRow("no print server") << 3 << kCola << 9 << 4 << "The print system does not answer";
}

void TestSalidaTiquet::sinEnvio() {
    QFETCH(int, tipo);
    QFETCH(QString, nombre);
    QFETCH(int, bps);
    QFETCH(int, datos);
    QFETCH(QString, error);
    const bool sinServidor = QByteArray(QTest::currentDataTag()) == "no print server";
    if (tipo == 3 && !sinServidor && !m_sinServidor.isEmpty())
        QSKIP(qPrintable("cupsd cannot start here: " + m_sinServidor));
    EntornoPrueba env;
    ImpresoraGuionada impresora;
    impresora.guion->dsrDesdeLectura = error.endsWith("Cancelled") ? -1 : 1;
    QVERIFY(EscribeArchivo(env.Carpeta() + "/lp", {}));
    QVERIFY(::mkfifo(QFile::encodeName(env.Carpeta() + "/fifo").constData(), 0600) == 0);
    nombre.replace('@', env.Carpeta()).replace('#', impresora.pty.Ruta());
    SalidaTiquet envio(Impresora(env, tipo, nombre, bps, datos));
    QTimer cancela; // lives no longer than the send
    QObject::connect(&cancela, &QTimer::timeout, [&] { envio.Cancela(); });
    cancela.start(150);
    const bool rechaza = nombre == kCola && !sinServidor;
    QVERIFY(!rechaza || m_servidor.Administra("cupsreject", {kCola}).isEmpty());
    const qsizetype trabajos = m_sinServidor.isEmpty() ? Trabajos().size() : 0;
    if (sinServidor)
        cupsSetServer(QFile::encodeName(m_casa.filePath("no-cupsd.sock")).constData());
    const Resultado r = envio.EnviarTiquet(kTiquet);
    cupsSetServer(QFile::encodeName(m_servidor.Socket()).constData());
    QVERIFY(!rechaza || m_servidor.Administra("cupsaccept", {kCola}).isEmpty());
    QVERIFY(!r);
    QVERIFY2(r.Error().startsWith(error) && !r.Error().isEmpty(), qPrintable(r.Error()));
    QCOMPARE(LeeArchivo(env.Carpeta() + "/lp"), QByteArray());
    QVERIFY(QFileInfo(env.Carpeta() + "/no-lp").exists() == false);
    QCOMPARE(impresora.pty.LeeTodo(50), QByteArray());
    if (m_sinServidor.isEmpty()) {
        QCOMPARE(Trabajos().size(), trabajos);
        QVERIFY(m_receptor->recibidos.isEmpty());
    }
}

void TestSalidaTiquet::dispositivo() {
    EntornoPrueba env;
    // A device takes the ticket alone: whatever the file held before is gone.
    const QString lp = env.Carpeta() + "/lp0";
    QVERIFY(EscribeArchivo(lp, "old contents that are longer than nothing"));
    QVERIFY(SalidaTiquet(Impresora(env, SalidaTiquet::PuertoParalelo, lp)).EnviarTiquet(kTiquet));
    QCOMPARE(LeeArchivo(lp), kBytes);
    // Far more than a pipe holds: the send waits for the reader, which runs in the events the
    // wait lets through. The ticket's code page is the settings' one.
    const QString fifo = env.Carpeta() + "/fifo";
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    Lector lector(::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK));
    QByteArray bytes;
    for (int i = 0; i < 200 * 1024; ++i)
        bytes.append(char((i * 7 + i / 256) & 0xff));
    clsDatosApp& d = Impresora(env, SalidaTiquet::PuertoParalelo, fifo);
    d.SetPaginaCodigosTiquet("windows-1252");
    SalidaTiquet envio(d);
    // A second ticket asked for from those events is refused; the first goes on.
    QString segundo;
    QTimer::singleShot(0, [&] { segundo = envio.EnviarTiquet("x").Error(); });
    const Resultado r = envio.EnviarTiquet(PaginaCodigos::DeBytes(bytes, "windows-1252"));
    QVERIFY2(r, qPrintable(r.Error()));
    QCOMPARE(segundo, QString("A ticket is already being sent"));
    QVERIFY(lector.Lee() == bytes);
    // A printer that takes nothing, and the user cancels from the events.
    lector.aviso.setEnabled(false);
    QTimer::singleShot(200, [&] { envio.Cancela(); });
    QCOMPARE(envio.EnviarTiquet(QString(200 * 1024, 'x')).Error(), QString("Cancelled"));
    QVERIFY(!envio.Enviando());
}

void TestSalidaTiquet::serie_data() {
    // Positions of the configuration window's lists, and the line they give.
    QTest::addColumn<QList<int>>("posiciones"); // speed, parity, data bits, stop bits, flow
    QTest::addColumn<unsigned>("velocidad");
    QTest::addColumn<unsigned>("cflag");
    QTest::addColumn<unsigned>("iflag");
    QTest::newRow("115200 8 none 1") << QList<int>{9, 2, 4, 0, 0} << 115200u << 0u << 0u;
    QTest::newRow("9600 8 odd 2 hardware")
        << QList<int>{4, 1, 4, 2, 1} << 9600u << unsigned(PARODD | CSTOPB | CRTSCTS) << 0u;
    QTest::newRow("300 8 mark 1.5")
        << QList<int>{0, 3, 4, 1, 0} << 300u << unsigned(PARODD | CMSPAR | CSTOPB) << 0u;
    QTest::newRow("57600 8 space 1")
        << QList<int>{8, 4, 4, 0, 0} << 57600u << unsigned(CMSPAR) << 0u;
    QTest::newRow("14400 7 none 1 xon/xoff")
        << QList<int>{5, 2, 3, 0, 2} << 14400u << 0u << unsigned(IXON | IXOFF);
}

void TestSalidaTiquet::serie() {
    QFETCH(QList<int>, posiciones);
    QFETCH(unsigned, velocidad);
    QFETCH(unsigned, cflag);
    QFETCH(unsigned, iflag);
    EntornoPrueba env;
    ImpresoraGuionada impresora;
    clsDatosApp& d = Impresora(env, SalidaTiquet::PuertoSerie, impresora.pty.Ruta(), posiciones[0],
                               posiciones[2]);
    d.SetCommTiquetParidad(posiciones[1]);
    d.SetCommTiquetBitsParada(posiciones[3]);
    d.SetCommTiquetFlujo(posiciones[4]);
    const Resultado r = SalidaTiquet(d).EnviarTiquet(kTiquet);
    QVERIFY2(r, qPrintable(r.Error()));
    QCOMPARE(impresora.pty.LeeTodo(500), kBytes);
    // The line the configuration asked for, as the port was left. A pseudo-terminal always
    // keeps 8 data bits without parity (the kernel forces CS8 and clears PARENB), so the word
    // size and parity enable cannot be seen here; the rest can.
    QCOMPARE(impresora.pty.VelocidadSalida(), velocidad);
    const termios t = impresora.pty.Ajustes();
    QCOMPARE(unsigned(t.c_cflag) & unsigned(PARODD | CMSPAR | CSTOPB | CRTSCTS), cflag);
    QCOMPARE(unsigned(t.c_iflag) & unsigned(IXON | IXOFF), iflag);
    // Raw bytes both ways: no translation of line ends, no echo, modem lines not obeyed.
    QCOMPARE(unsigned(t.c_oflag & OPOST) | unsigned(t.c_lflag & (ICANON | ECHO)), 0u);
    QVERIFY(t.c_cflag & CLOCAL);
    // The channel's own handshake ran: a wake-up check and one clear-to-send check per byte.
    QCOMPARE(impresora.guion->lecturas, 2 + int(kBytes.size()));
}

void TestSalidaTiquet::colaRaw_data() {
    QTest::addColumn<bool>("porConfiguracion");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QByteArray>("esperado");
    QTest::newRow("EnviarTiquet with kind 3") << true << kTiquet << kBytes;
    QByteArray todos;
    for (int i = 0; i < 256; ++i)
        todos.append(char(i));
    QTest::newRow("every byte value") << false << PaginaCodigos::DeBytes(todos, "IBM850") << todos;
    // A PostScript opening must not wake any filter: the job is raw.
    QTest::newRow("looks like PostScript")
        << false << QString("%!PS-Adobe-3.0\n") << QByteArray("%!PS-Adobe-3.0\n");
}

void TestSalidaTiquet::colaRaw() {
    // Exactly the ticket's bytes at the printer, under one new job named RAWPRN that completed.
    QFETCH(bool, porConfiguracion);
    QFETCH(QString, texto);
    QFETCH(QByteArray, esperado);
    if (!m_sinServidor.isEmpty())
        QSKIP(qPrintable("cupsd cannot start here: " + m_sinServidor));
    EntornoPrueba env;
    const QList<Trabajo> antes = Trabajos();
    const qsizetype recibidos = m_receptor->recibidos.size();
    const Resultado r = porConfiguracion
                            ? SalidaTiquet(Impresora(env, SalidaTiquet::ImpresoraSistema, kCola))
                                  .EnviarTiquet(texto)
                            : SalidaTiquet::ImprimeDirecto(kCola, texto, "IBM850");
    QVERIFY2(r, qPrintable(r.Error()));
    QTRY_COMPARE_WITH_TIMEOUT(m_receptor->recibidos.size(), recibidos + 1, 20000);
    QCOMPARE(m_receptor->recibidos.last().size(), esperado.size());
    QVERIFY(m_receptor->recibidos.last() == esperado);
    QList<Trabajo> despues;
    QTRY_VERIFY_WITH_TIMEOUT((despues = Trabajos()).size() == antes.size() + 1 &&
                                 despues.last().estado == IPP_JSTATE_COMPLETED,
                             10000);
    QCOMPARE(despues.last().titulo, QString("RAWPRN"));
    QCOMPARE(despues.last().cola, QString(kCola));
    QVERIFY(antes.isEmpty() || despues.last().id > antes.last().id);
    QCOMPARE(m_receptor->recibidos.size(), recibidos + 1);
    m_receptor->recibidos.clear();
}

void TestSalidaTiquet::enumerarImpresoras() {
    if (!m_sinServidor.isEmpty())
        QSKIP(qPrintable("cupsd cannot start here: " + m_sinServidor));
    QList<QStringList> impresoras{{"stale", "entry", "words "}};
    QCOMPARE(SalidaTiquet::EnumerarImpresoras(impresoras), 2);
    // Name, server (empty for a local printer), attribute words in their fixed order.
    QCOMPARE(impresoras, (QList<QStringList>{{kColaCompartida, "", "default local shared "},
                                             {kCola, "", "local "}}));
    cupsSetServer(QFile::encodeName(m_casa.filePath("no-cupsd.sock")).constData());
    QCOMPARE(SalidaTiquet::EnumerarImpresoras(impresoras), 0);
    QVERIFY(impresoras.isEmpty());
    cupsSetServer(QFile::encodeName(m_servidor.Socket()).constData());
}

void TestSalidaTiquet::nombresDePuertos_data() {
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<QString>("ruta");
    QTest::newRow("LPT1") << "LPT1"
                          << "/dev/lp0";
    QTest::newRow("lower case with colon") << "lpt3:"
                                           << "/dev/lp2";
    QTest::newRow("USB printer path") << "/dev/usb/lp0"
                                      << "/dev/usb/lp0";
    QTest::newRow("LPT0") << "LPT0"
                          << "";
    QTest::newRow("serial name") << "COM1"
                                 << "";
}

void TestSalidaTiquet::nombresDePuertos() {
    QFETCH(QString, nombre);
    QFETCH(QString, ruta);
    QCOMPARE(SalidaTiquet::RutaDispositivo(nombre), ruta);
}

void TestSalidaTiquet::puertosParalelo() {
    QTemporaryDir dev;
    QVERIFY(QDir(dev.path()).mkdir("usb"));
    for (const char* n : {"lp10", "lp0", "lp2", "lpx", "tty0", "usb/lp1", "usb/lp0"})
        QVERIFY(EscribeArchivo(dev.filePath(n), {}));
    QCOMPARE(
        SalidaTiquet::PuertosParalelo(dev.path()),
        (QStringList{"LPT1", "LPT3", "LPT11", dev.filePath("usb/lp0"), dev.filePath("usb/lp1")}));
}

QTEST_MAIN(TestSalidaTiquet)
#include "tst_salidatiquet.moc"
