// Sending a ticket by kind of printer: a device file or FIFO, the serial channel on a real
// pseudo-terminal (modem lines scripted, as it has none), and raw queues of a private cupsd.
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
// never), reads fail from `falla` on; the log holds "S" reads, "DTR0"/"DTR1" and "W<ms>" waits.
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

// A serial printer on a pseudo-terminal: while this lives every port opened gets the scripted
// lines. Its own channel `puerto` only logs its waits, so long handshakes run at once.
struct Banco {
    Banco() {
        CommPort::UsaFabricaLineas(
            [this](int) { return std::make_unique<LineasGuionadas>(&guion); });
        puerto.SetEspera([this](int ms) {
            guion.sucesos << QStringLiteral("W%1").arg(ms);
            return true;
        });
    }
    ~Banco() { CommPort::UsaFabricaLineas({}); }
    bool Abre(QString& error) { return pty.Valido() && !puerto.OpenCommErr(pty.Ruta(), error); }
    PseudoTerminal pty;
    Guion guion;
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
    void lineasDeModem_data();
    void lineasDeModem();

private:
    ServidorCups m_servidor;
    QString m_sinServidor; // why the print queue is not tested, when it is not
    std::unique_ptr<Receptor> m_receptor;
    QTemporaryDir m_casa;
};

#define SIN_CUPS_SALTA()                                                                           \
    if (!m_sinServidor.isEmpty())                                                                  \
    QSKIP(qPrintable("cupsd cannot start here: " + m_sinServidor))

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
    QTest::addColumn<QString>("error");
    auto fila = [](const char* etiqueta, int tipo, QString nombre, QString error, int bps = 9) {
        QTest::newRow(etiqueta) << tipo << nombre << bps << error;
    };
    fila("not defined", 0, "@/lp", "No hay ninguna impresora de tiquets definida");
    fila("kind 4", 4, "@/lp", "Tipo de impresora de tiquets desconocido: 4");
    fila("missing device is not created", 2, "@/no-lp", "No se puede abrir");
    fila("FIFO without a reader", 2, "@/fifo", "No se puede abrir");
    fila("serial, speed out of the list", 1, "#",
         "El ajuste CommTiquetBPS de la línea serie no tiene la entrada 10", 10);
    fila("serial, missing port", 1, "/dev/no-such-port", "Error opening /dev/no-such-port");
    // A printer that never wakes: the user interface runs during the real wake-up, and cancels.
    fila("serial, cancelled", 1, "#", "WriteComm: Cancelled");
    fila("system queue unknown", 3, "no-such-queue", "Unknown printer \"no-such-queue\"");
    fila("system queue taking no jobs", 3, kCola, "");
    fila("no print server", 3, kCola, "The print system does not answer");
}

void TestSalidaTiquet::sinEnvio() {
    QFETCH(int, tipo);
    QFETCH(QString, nombre);
    QFETCH(int, bps);
    QFETCH(QString, error);
    const bool sinServidor = QByteArray(QTest::currentDataTag()) == "no print server";
    if (tipo == 3 && !sinServidor)
        SIN_CUPS_SALTA();
    EntornoPrueba env;
    Banco impresora;
    impresora.guion.dsr = error.endsWith("Cancelled") ? -1 : 1;
    QVERIFY(EscribeArchivo(env.Carpeta() + "/lp", {}));
    QVERIFY(::mkfifo(QFile::encodeName(env.Carpeta() + "/fifo").constData(), 0600) == 0);
    nombre.replace('@', env.Carpeta()).replace('#', impresora.pty.Ruta());
    SalidaTiquet envio(Impresora(env, tipo, nombre, bps));
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
    QVERIFY2(!r && r.Error().startsWith(error) && !r.Error().isEmpty(), qPrintable(r.Error()));
    QCOMPARE(LeeArchivo(env.Carpeta() + "/lp"), QByteArray());
    QVERIFY(!QFileInfo::exists(env.Carpeta() + "/no-lp"));
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
    // Far more than a pipe holds, in the settings' code page: the send waits for the reader,
    // which runs in the events the wait lets through.
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
    QTest::addColumn<QList<int>>("posiciones"); // speed, parity, data bits, stop bits, flow
    QTest::addColumn<unsigned>("velocidad");
    QTest::addColumn<unsigned>("cflag");
    QTest::addColumn<unsigned>("iflag");
    QTest::newRow("9600 8 odd 2 hardware")
        << QList<int>{4, 1, 4, 2, 1} << 9600u << unsigned(PARODD | CSTOPB | CRTSCTS) << 0u;
    QTest::newRow("300 8 mark 1.5")
        << QList<int>{0, 3, 4, 1, 0} << 300u << unsigned(PARODD | CMSPAR | CSTOPB) << 0u;
    QTest::newRow("14400 7 none 1 xon/xoff")
        << QList<int>{5, 2, 3, 0, 2} << 14400u << 0u << unsigned(IXON | IXOFF);
}

void TestSalidaTiquet::serie() {
    QFETCH(QList<int>, posiciones);
    QFETCH(unsigned, velocidad);
    QFETCH(unsigned, cflag);
    QFETCH(unsigned, iflag);
    EntornoPrueba env;
    Banco impresora;
    clsDatosApp& d = Impresora(env, SalidaTiquet::PuertoSerie, impresora.pty.Ruta(), posiciones[0],
                               posiciones[2]);
    d.SetCommTiquetParidad(posiciones[1]);
    d.SetCommTiquetBitsParada(posiciones[3]);
    d.SetCommTiquetFlujo(posiciones[4]);
    const Resultado r = SalidaTiquet(d).EnviarTiquet(kTiquet);
    QVERIFY2(r, qPrintable(r.Error()));
    QCOMPARE(impresora.pty.LeeTodo(500), kBytes);
    // The line as the port was left. A pseudo-terminal forces CS8 and clears PARENB, so the
    // word size and parity enable cannot be seen here.
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
    SIN_CUPS_SALTA();
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
    SIN_CUPS_SALTA();
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
    // LPTn is /dev/lp<n-1>, COMn /dev/ttyS<n-1>; another serial name is looked up in /dev
    // without regard to case.
    QTest::addColumn<bool>("serie");
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<QString>("ruta");
    QTest::newRow("lower case with colon") << false << QString("lpt3:") << QString("/dev/lp2");
    QTest::newRow("LPT0") << false << QString("LPT0") << QString("");
    QTest::newRow("serial name, parallel kind") << false << QString("COM1") << QString("");
    QTest::newRow("com12 lower case") << true << QString("com12") << QString("/dev/ttyS11");
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
    QString error;
    QVERIFY(b.Abre(error));
    CommPort otro; // the port is exclusive
    QVERIFY(otro.OpenCommErr(b.pty.Ruta(), error));
    QCOMPARE(error, "Error opening " + b.pty.Ruta());
    QVERIFY(!b.puerto.CloseCommErr(error) && !b.puerto.EstaAbierto());
    {
        CommPort efimero;
        QVERIFY(!efimero.OpenCommErr(b.pty.Ruta(), error));
    } // destruction closes
    QVERIFY(b.Abre(error));
}

void TestSalidaTiquet::lineasDeModem_data() {
    // Status read 1 is the set-up's; then the wake-up checks DSR up to four times, pulsing DTR
    // (100 ms low, 1000 ms high) after each of the first three that fail; then CTS is checked
    // before each byte, every 100 ms up to 500 times.
    QTest::addColumn<int>("dsrDesde");
    QTest::addColumn<int>("ctsDesde");
    QTest::addColumn<int>("fallaDesde");
    QTest::addColumn<QByteArray>("datos");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("lecturas");
    QTest::addColumn<QString>("pasos"); // DTR changes and waits, in order
    QTest::addColumn<QByteArray>("enviado");
    auto fila = [](const char* etiqueta, int dsr, int cts, int falla, QByteArray datos,
                   QString error, int lecturas, QString pasos, QByteArray enviado) {
        QTest::newRow(etiqueta) << dsr << cts << falla << datos << error << lecturas << pasos
                                << enviado;
    };
    const QString pulsos = QString("DTR0 W100 DTR1 W1000 ").repeated(3);
    QByteArray todos; // sent as they are, one clear-to-send check each, no wait
    for (int i = 0; i < 256; ++i)
        todos.append(char(i));
    fila("every byte, DSR on at once", 1, 1, -1, todos, "", 258, "", todos);
    fila("DSR after three pulses", 5, 1, -1, "XYZ", "", 8, pulsos, "XYZ");
    fila("DSR never on", -1, 1, -1, "XYZ", "WriteComm: Failed To Wake Printer", 5, pulsos, "");
    fila("CTS never on", 1, -1, -1, "XYZ", "Write Comm: CTS Failure", 503,
         QString("W100 ").repeated(500), "");
    fila("status unreadable at the set-up", 1, 1, 1, "XYZ", "OpenComm: Failed GetCommModemStatus()",
         1, "", "");
    fila("status unreadable before the second byte", 1, 1, 4, "XYZ", "Failed GetCommModemStatus", 4,
         "", "X");
}

void TestSalidaTiquet::lineasDeModem() {
    QFETCH(int, dsrDesde);
    QFETCH(int, ctsDesde);
    QFETCH(int, fallaDesde);
    QFETCH(QByteArray, datos);
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
        QCOMPARE(b.puerto.WriteCommErr(datos, texto), !error.isEmpty());
    QCOMPARE(texto, error);
    QCOMPARE(b.guion.lecturas, lecturas);
    QCOMPARE(b.guion.sucesos.filter(QRegularExpression("^[DW]")).join(' '), pasos.trimmed());
    QCOMPARE(b.pty.LeeTodo(enviado.isEmpty() ? 50 : 500), enviado);
}

QTEST_MAIN(TestSalidaTiquet)
#include "tst_salidatiquet.moc"
