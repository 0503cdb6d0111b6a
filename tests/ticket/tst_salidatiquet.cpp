// Sending a rendered ticket by kind of printer: nothing for kinds 0 and unknown, a device file
// or FIFO for kind 2, the serial printer channel on a real pseudo-terminal for kind 1 (its modem
// lines scripted, as pseudo-terminals have none), and the system print queue (kind 3) of a
// print server the test runs itself, with raw queues whose device is a socket:// listener.
#include "archivosprueba.h"
#include "support/entornoprueba.h"
#include "support/pseudoterminal.h"
#include "support/servidorcups.h"
#include "ticket/commport.h"
#include "ticket/lineasmodem.h"
#include "ticket/paginacodigos.h"
#include "ticket/salidatiquet.h"

#include <QDir>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cups/cups.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A ticket in printer form and the bytes the printer must receive for it (IBM850).
const QString kTiquet = QString::fromUtf8("\x1b@Señor Pérez\r\n12,50 kg\n\x1dV\x01");
const QByteArray kBytes =
    QByteArray::fromHex("1b40 5365a46f72 2050 82 72657a 0d0a 31322c3530206b67 0a 1d5601");
const char* const kCola = "pesixraw";
const char* const kColaCompartida = "pesixcompartida";

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

// Scripted modem lines: DSR and CTS are on from the given status read (1 is the first; -1
// never) and reads fail from `falla` on; every step is logged: "S" a status read, "DTR0" and
// "DTR1" the changes of DTR, "W<ms>" a wait.
struct Guion {
    int dsr = 1, cts = 1, falla = -1, lecturas = 0;
    QStringList sucesos;
};

struct LineasGuionadas : LineasModem {
    explicit LineasGuionadas(Guion* guion) : g(guion) {}
    bool LeeEstado(bool& cts, bool& dsr) override {
        const int n = ++g->lecturas;
        g->sucesos << "S";
        dsr = g->dsr > 0 && n >= g->dsr;
        cts = g->cts > 0 && n >= g->cts;
        return g->falla < 0 || n < g->falla;
    }
    bool PonDtr(bool activa) override {
        g->sucesos << (activa ? "DTR1" : "DTR0");
        return true;
    }
    Guion* g;
};

// A serial printer: a real pseudo-terminal carries the bytes and, while this lives, every port
// opened gets the scripted lines.
struct ImpresoraGuionada {
    ImpresoraGuionada() {
        CommPort::UsaFabricaLineas(
            [this](int) { return std::make_unique<LineasGuionadas>(&guion); });
    }
    ~ImpresoraGuionada() { CommPort::UsaFabricaLineas({}); }
    PseudoTerminal pty;
    Guion guion;
};

// A channel on a scripted serial printer; unless the waits are real, they are only written to
// the log ("W<ms>"), so long handshakes run at once.
struct Banco : ImpresoraGuionada {
    explicit Banco(bool esperasReales = false) {
        if (!esperasReales)
            puerto.SetEspera([this](int ms) {
                guion.sucesos << QStringLiteral("W%1").arg(ms);
                return true;
            });
    }
    // Opens the channel on the printer's pseudo-terminal; false if either fails.
    bool Abre(QString& error) { return pty.Valido() && !puerto.OpenCommErr(pty.Ruta(), error); }
    CommPort puerto;
};
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
    void abreYCierra();
    void escribe_data();
    void escribe();
    void lineasDeModem_data();
    void lineasDeModem();
    void puertoCerradoYLectura();
    void esperaRealAtiendeEventosYSeCancela_data();
    void esperaRealAtiendeEventosYSeCancela();

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
    m_servidor.Usa();
    m_receptor = std::make_unique<Receptor>();
    QVERIFY(m_receptor->isListening());
    // Queues without a driver: raw, the data goes to the device as it came.
    for (const auto& [cola, compartida] : {std::pair{kCola, "false"}, {kColaCompartida, "true"}})
        QCOMPARE(m_servidor.ColaRaw(cola, *m_receptor,
                                    {"-o", QString("printer-is-shared=") + compartida}),
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
    QTest::newRow("not defined") << 0 << QString("@/lp") << 9 << 4
                                 << QString("No hay ninguna impresora de tiquets definida");
    QTest::newRow("kind 4") << 4 << QString("@/lp") << 9 << 4
                            << QString("Tipo de impresora de tiquets desconocido: 4");
    QTest::newRow("kind -1") << -1 << QString("@/lp") << 9 << 4
                             << QString("Tipo de impresora de tiquets desconocido: -1");
    QTest::newRow("missing device is not created")
        << 2 << QString("@/no-lp") << 9 << 4 << QString("No se puede abrir");
    QTest::newRow("a folder") << 2 << QString("@") << 9 << 4 << QString("No se puede abrir");
    QTest::newRow("FIFO without a reader")
        << 2 << QString("@/fifo") << 9 << 4 << QString("No se puede abrir");
    QTest::newRow("LPT0") << 2 << QString("LPT0") << 9 << 4
                          << QString("No hay ningún dispositivo para el puerto \"LPT0\"");
    // Never configured: every list at its first entry, 4 data bits, which no port offers.
    QTest::newRow("serial, first entries")
        << 1 << QString("#") << 0 << 0 << QString("OpenComm: Error Setting Com State");
    QTest::newRow("serial, speed out of the list")
        << 1 << QString("#") << 10 << 4
        << QString("El ajuste CommTiquetBPS de la línea serie no tiene la entrada 10");
    QTest::newRow("serial, missing port") << 1 << QString("/dev/no-such-port") << 9 << 4
                                          << QString("Error opening /dev/no-such-port");
    // A printer that never wakes: the real 3.3 s wake-up runs, and the user interface cancels.
    QTest::newRow("serial, cancelled")
        << 1 << QString("#") << 9 << 4 << QString("WriteComm: Cancelled");
    QTest::newRow("system queue unknown")
        << 3 << QString("no-such-queue") << 9 << 4 << QString("Unknown printer \"no-such-queue\"");
    QTest::newRow("system queue taking no jobs") << 3 << kCola << 9 << 4 << QString("");
    QTest::newRow("no print server")
        << 3 << kCola << 9 << 4 << QString("The print system does not answer");
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
    impresora.guion.dsr = error.endsWith("Cancelled") ? -1 : 1;
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
    const int fd = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK);
    QByteArray leido;
    const auto lee = [&] {
        char trozo[8192];
        for (ssize_t n; (n = ::read(fd, trozo, sizeof trozo)) > 0;)
            leido.append(trozo, n);
    };
    QSocketNotifier aviso(fd, QSocketNotifier::Read);
    QObject::connect(&aviso, &QSocketNotifier::activated, lee);
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
    QCOMPARE(segundo, QString("Ya se está enviando un tiquet"));
    lee();
    QVERIFY(leido == bytes);
    // A printer that takes nothing, and the user cancels from the events.
    aviso.setEnabled(false);
    QTimer::singleShot(200, [&] { envio.Cancela(); });
    QCOMPARE(envio.EnviarTiquet(QString(200 * 1024, 'x')).Error(), QString("Cancelado"));
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
    QCOMPARE(impresora.guion.lecturas, 2 + int(kBytes.size()));
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
    const QStringList antes = Trabajos();
    const Resultado r = porConfiguracion
                            ? SalidaTiquet(Impresora(env, SalidaTiquet::ImpresoraSistema, kCola))
                                  .EnviarTiquet(texto)
                            : SalidaTiquet::ImprimeDirecto(kCola, texto, "IBM850");
    QVERIFY2(r, qPrintable(r.Error()));
    QTRY_COMPARE_WITH_TIMEOUT(m_receptor->recibidos.size(), 1, 20000);
    QCOMPARE(m_receptor->recibidos.last().size(), esperado.size());
    QVERIFY(m_receptor->recibidos.takeLast() == esperado);
    QTRY_COMPARE_WITH_TIMEOUT(
        Trabajos(),
        antes + QStringList{QString("RAWPRN@%1:%2").arg(kCola).arg(IPP_JSTATE_COMPLETED)}, 10000);
    QCOMPARE(m_receptor->recibidos.size(), 0);
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
    // The device of a port name: of the parallel kind (LPTn is /dev/lp<n-1>) or of the serial
    // channel (COMn is /dev/ttyS<n-1>, another name is looked up in /dev without regard to case).
    QTest::addColumn<bool>("serie");
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<QString>("ruta");
    QTest::newRow("LPT1") << false << QString("LPT1") << QString("/dev/lp0");
    QTest::newRow("lower case with colon") << false << QString("lpt3:") << QString("/dev/lp2");
    QTest::newRow("USB printer path")
        << false << QString("/dev/usb/lp0") << QString("/dev/usb/lp0");
    QTest::newRow("LPT0") << false << QString("LPT0") << QString("");
    QTest::newRow("serial name, parallel kind") << false << QString("COM1") << QString("");
    QTest::newRow("com12 lower case") << true << QString("com12") << QString("/dev/ttyS11");
    QTest::newRow("COM0 has no port") << true << QString("COM0") << QString("");
    QTest::newRow("device name without regard to case")
        << true << QString("NULL") << QString("/dev/null");
}

void TestSalidaTiquet::nombresDePuertos() {
    QFETCH(bool, serie);
    QFETCH(QString, nombre);
    QFETCH(QString, ruta);
    QCOMPARE(serie ? CommPort::RutaPuerto(nombre) : SalidaTiquet::RutaDispositivo(nombre), ruta);
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

void TestSalidaTiquet::abreYCierra() {
    Banco b;
    QString error = "left over";
    QVERIFY(b.puerto.OpenCommErr("/dev/pesix-no-such-port", error));
    QCOMPARE(error, QString("Error opening /dev/pesix-no-such-port"));
    QVERIFY(!b.puerto.EstaAbierto());
    QVERIFY(b.Abre(error));
    QCOMPARE(error, QString());
    // Opening while open fails and closes; the caller opens again.
    QVERIFY(b.puerto.OpenCommErr(b.pty.Ruta(), error));
    QCOMPARE(error, b.pty.Ruta() + " is Already Open - Closing it");
    QVERIFY(!b.puerto.EstaAbierto());
    QVERIFY(b.Abre(error));
    CommPort otro; // the port is exclusive
    QVERIFY(otro.OpenCommErr(b.pty.Ruta(), error));
    QCOMPARE(error, "Error opening " + b.pty.Ruta());
    // Closing with no port open does nothing, and leaves the caller's text alone.
    error = "kept";
    QVERIFY(!b.puerto.CloseCommErr(error) && !b.puerto.EstaAbierto());
    QVERIFY(!b.puerto.CloseCommErr(error));
    QCOMPARE(error, QString("kept"));
    {
        CommPort efimero;
        QVERIFY(!efimero.OpenCommErr(b.pty.Ruta(), error));
    } // destruction closes
    QVERIFY(b.Abre(error));
    // A failed set-up (a file is no terminal) leaves the port open for the caller to close.
    QTemporaryDir dir;
    const QString archivo = dir.filePath("no-terminal");
    QVERIFY(EscribeArchivo(archivo, {}));
    QVERIFY(otro.OpenCommErr(archivo, error));
    QCOMPARE(error, "OpenComm: Error Getting " + archivo + " parameters");
    QVERIFY(otro.EstaAbierto());
}

void TestSalidaTiquet::escribe_data() {
    QTest::addColumn<QString>("pagina");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QByteArray>("bytes");
    QByteArray todos;
    for (int i = 0; i < 256; ++i)
        todos.append(char(i));
    QTest::newRow("every byte") << QString("") << QString() << todos;
    // Text goes out in the channel's code page; a character it lacks goes out as "?".
    QTest::newRow("text, IBM850 by default")
        << QString("") << QString::fromUtf8("Señor €\n") << QByteArray::fromHex("5365a46f72203f0a");
    QTest::newRow("text, Windows-1252") << QString("windows-1252") << QString::fromUtf8("Señor €\n")
                                        << QByteArray::fromHex("5365f16f7220800a");
}

void TestSalidaTiquet::escribe() {
    QFETCH(QString, pagina);
    QFETCH(QString, texto);
    QFETCH(QByteArray, bytes);
    Banco b;
    b.puerto.SetPagina(pagina);
    QString error;
    QVERIFY(b.Abre(error));
    const bool fallo =
        texto.isEmpty() ? b.puerto.WriteCommErr(bytes, error) : b.puerto.WriteCommErr(texto, error);
    QVERIFY2(!fallo && error.isEmpty(), qPrintable(error));
    QCOMPARE(b.pty.LeeTodo(500), bytes);
    // Set-up read, wake-up read, then one clear-to-send read before each byte; no waits.
    QCOMPARE(b.guion.lecturas, 2 + int(bytes.size()));
    QCOMPARE(b.guion.sucesos.filter("W").size(), 0);
}

void TestSalidaTiquet::lineasDeModem_data() {
    // Status read 1 is the set-up's; then the wake-up checks DSR up to four times, pulsing DTR
    // (100 ms low, 1000 ms high) after each of the first three that fail; then CTS is checked
    // before each byte, every 100 ms up to 500 times.
    QTest::addColumn<int>("dsrDesde");
    QTest::addColumn<int>("ctsDesde");
    QTest::addColumn<int>("fallaDesde");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("lecturas");
    QTest::addColumn<QString>("pasos"); // DTR changes and waits, in order
    QTest::addColumn<QByteArray>("enviado");
    const QString pulsos = QString("DTR0 W100 DTR1 W1000 ").repeated(3);
    QTest::newRow("DSR on at once")
        << 1 << 1 << -1 << QString("") << 5 << QString("") << QByteArray("XYZ");
    QTest::newRow("DSR after three pulses")
        << 5 << 1 << -1 << QString("") << 8 << pulsos << QByteArray("XYZ");
    // About 3.3 s.
    QTest::newRow("DSR never on") << -1 << 1 << -1 << QString("WriteComm: Failed To Wake Printer")
                                  << 5 << pulsos << QByteArray();
    // About 50 s, and nothing sent.
    QTest::newRow("CTS never on") << 1 << -1 << -1 << QString("Write Comm: CTS Failure") << 503
                                  << QString("W100 ").repeated(500) << QByteArray();
    QTest::newRow("status unreadable at the set-up")
        << 1 << 1 << 1 << QString("OpenComm: Failed GetCommModemStatus()") << 1 << QString("")
        << QByteArray();
    QTest::newRow("status unreadable during the wake-up")
        << 1 << 1 << 2 << QString("WriteComm: Failed GetCommModemStatus()") << 2 << QString("")
        << QByteArray();
    QTest::newRow("status unreadable before the second byte")
        << 1 << 1 << 4 << QString("Failed GetCommModemStatus") << 4 << QString("")
        << QByteArray("X");
}

void TestSalidaTiquet::lineasDeModem() {
    QFETCH(int, dsrDesde);
    QFETCH(int, ctsDesde);
    QFETCH(int, fallaDesde);
    QFETCH(QString, error);
    QFETCH(int, lecturas);
    QFETCH(QString, pasos);
    QFETCH(QByteArray, enviado);
    Banco b;
    b.guion.dsr = dsrDesde;
    b.guion.cts = ctsDesde;
    b.guion.falla = fallaDesde;
    QString texto;
    if (b.Abre(texto))
        QCOMPARE(b.puerto.WriteCommErr(QByteArray("XYZ"), texto), !error.isEmpty());
    QCOMPARE(texto, error);
    QCOMPARE(b.guion.lecturas, lecturas);
    QCOMPARE(b.guion.sucesos.filter(QRegularExpression("^[DW]")).join(' '), pasos.trimmed());
    QCOMPARE(b.pty.LeeTodo(enviado.isEmpty() ? 50 : 500), enviado);
}

void TestSalidaTiquet::puertoCerradoYLectura() {
    CommPort puerto;
    QString error = "left over";
    QVERIFY(puerto.WriteCommErr(QByteArray("A"), error));
    QCOMPARE(error, QString("WriteComm: Printer is NOT Open"));
    QCOMPARE(puerto.ReadCommChar(error), QString());
    QCOMPARE(error, QString("Read Comm: Printer is NOT Open"));
    puerto.DtrOn(error);
    QCOMPARE(error, QString("Failed EscapeCommFunction() SETDTR"));
    puerto.DtrOff(error);
    QCOMPARE(error, QString("Failed EscapeCommFunction() CLRDTR"));
    Banco b;
    QVERIFY(b.Abre(error));
    b.puerto.DtrOff(error);
    QCOMPARE(error, QString());
    b.puerto.DtrOn(error);
    QCOMPARE(error, QString());
    // Nothing arrives: empty, and no error; then one character per read, in the code page.
    error = "left over";
    QCOMPARE(b.puerto.ReadCommChar(error), QString());
    QVERIFY(b.pty.Escribe(QByteArray::fromHex("41a4")));
    QCOMPARE(b.puerto.ReadCommChar(error), QString("A"));
    QCOMPARE(b.puerto.ReadCommChar(error), QString::fromUtf8("ñ"));
    QCOMPARE(b.puerto.ReadCommChar(error), QString());
    QCOMPARE(error, QString());
    QCOMPARE(b.guion.sucesos.filter("DTR").join(' '), QString("DTR0 DTR1"));
}

void TestSalidaTiquet::esperaRealAtiendeEventosYSeCancela_data() {
    QTest::addColumn<bool>("sinDsr");
    QTest::addColumn<QString>("error");
    QTest::newRow("in the wake-up") << true << QString("WriteComm: Cancelled");
    QTest::newRow("in the clear-to-send wait") << false << QString("Write Comm: Cancelled");
}

void TestSalidaTiquet::esperaRealAtiendeEventosYSeCancela() {
    QFETCH(bool, sinDsr);
    QFETCH(QString, error);
    Banco b(true);
    (sinDsr ? b.guion.dsr : b.guion.cts) = -1;
    QString texto;
    QVERIFY(b.Abre(texto));
    // The user interface keeps running during the wait: its timers fire, and one of them
    // cancels the write.
    int pulsaciones = 0;
    QTimer reloj;
    QObject::connect(&reloj, &QTimer::timeout, [&] {
        if (++pulsaciones == 5)
            b.puerto.Cancela();
    });
    reloj.start(30);
    QVERIFY(b.puerto.WriteCommErr(QByteArray("A"), texto));
    QCOMPARE(texto, error);
    QCOMPARE(pulsaciones, 5);
    QCOMPARE(b.pty.LeeTodo(50), QByteArray());
    // A new operation starts afresh after a cancel.
    b.guion.dsr = b.guion.cts = 1;
    reloj.stop();
    QVERIFY2(!b.puerto.WriteCommErr(QByteArray("B"), texto), qPrintable(texto));
    QCOMPARE(b.pty.LeeTodo(), QByteArray("B"));
}

QTEST_MAIN(TestSalidaTiquet)
#include "tst_salidatiquet.moc"
