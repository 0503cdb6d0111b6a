// Sending a rendered ticket by kind of printer: nothing for kinds 0 and unknown, a device file
// or FIFO for kind 2, a serial printer on a real pseudo-terminal for kind 1 (its modem lines
// scripted). The system print queue (kind 3) has its own test with a real print server.

#include "lineasguionadas.h"
#include "support/entornoprueba.h"
#include "ticket/paginacodigos.h"
#include "ticket/salidatiquet.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A ticket in printer form and the bytes the printer must receive for it (IBM850).
const QString kTiquet = QString::fromUtf8("\x1b@Señor Pérez\r\n12,50 kg\n\x1dV\x01");
const QByteArray kBytes =
    QByteArray::fromHex("1b40 5365a46f72 2050 82 72657a 0d0a 31322c3530206b67 0a 1d5601");

QByteArray LeeArchivo(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool CreaArchivo(const QString& ruta, const QByteArray& contenido = {}) {
    QFile f(ruta);
    return f.open(QIODevice::WriteOnly) && f.write(contenido) == contenido.size();
}

QString CreaFifo(const EntornoPrueba& env) {
    const QString ruta = QDir(env.Carpeta()).filePath("printer.fifo");
    return ::mkfifo(QFile::encodeName(ruta).constData(), 0600) == 0 ? ruta : QString();
}

// Reads a FIFO from the event loop while the ticket is being written into it.
struct LectorFifo {
    explicit LectorFifo(const QString& ruta)
        : fd(::open(QFile::encodeName(ruta).constData(), O_RDONLY | O_NONBLOCK)),
          aviso(fd, QSocketNotifier::Read) {
        QObject::connect(&aviso, &QSocketNotifier::activated, [this] { Lee(); });
    }
    ~LectorFifo() {
        aviso.setEnabled(false);
        ::close(fd);
    }
    QByteArray Lee() {
        char trozo[8192];
        ssize_t n;
        while ((n = ::read(fd, trozo, sizeof trozo)) > 0)
            leido.append(trozo, n);
        return leido;
    }
    int fd;
    QSocketNotifier aviso;
    QByteArray leido;
};

// The test's settings, sending to the printer of that kind and name.
clsDatosApp& Impresora(EntornoPrueba& env, int tipo, const QString& nombre) {
    clsDatosApp& d = env.DatosConBase();
    d.SetPuertoImpresoraTiquets(tipo);
    d.SetNombreImpresoraTiquets(nombre);
    return d;
}

// A serial printer at `ruta`, its line given by positions of the configuration window's lists.
clsDatosApp& Serie(EntornoPrueba& env, const QString& ruta, int bps, int paridad, int datos) {
    clsDatosApp& d = Impresora(env, SalidaTiquet::PuertoSerie, ruta);
    d.SetCommTiquetBPS(bps);
    d.SetCommTiquetParidad(paridad);
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
    void rutaDispositivo_data();
    void rutaDispositivo();
    void puertosParalelo();
    void dispositivoArchivo();
    void dispositivoFifo();
    void dispositivoFifoCancelado();
    void dispositivoErrores_data();
    void dispositivoErrores();
    void serie_data();
    void serie();
    void serieFalla_data();
    void serieFalla();
    void serieCancelada();
    void impresoraSinServidor();

private:
    QTemporaryDir m_sinServidor;
};

void TestSalidaTiquet::initTestCase() {
    // No print server answers this test: its socket does not exist.
    qputenv("CUPS_SERVER", QFile::encodeName(m_sinServidor.filePath("no-cupsd.sock")));
}

void TestSalidaTiquet::sinEnvio_data() {
    QTest::addColumn<int>("tipo");
    QTest::newRow("not defined") << 0;
    QTest::newRow("kind 4") << 4;
    QTest::newRow("kind -1") << -1;
}

void TestSalidaTiquet::sinEnvio() {
    QFETCH(int, tipo);
    EntornoPrueba env;
    const QString destino = QDir(env.Carpeta()).filePath("printer");
    QVERIFY(CreaArchivo(destino));
    Impresora(env, tipo, destino);
    QVERIFY(!SalidaTiquet::EnviarTiquet(kTiquet));
    QVERIFY(!SalidaTiquet::UltimoError().isEmpty());
    QCOMPARE(LeeArchivo(destino), QByteArray());
}

void TestSalidaTiquet::rutaDispositivo_data() {
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<QString>("ruta");
    QTest::newRow("LPT1") << QString("LPT1") << QString("/dev/lp0");
    QTest::newRow("lower case with colon") << QString("lpt3:") << QString("/dev/lp2");
    QTest::newRow("USB printer path") << QString("/dev/usb/lp0") << QString("/dev/usb/lp0");
    QTest::newRow("LPT0") << QString("LPT0") << QString();
    QTest::newRow("serial name") << QString("COM1") << QString();
}

void TestSalidaTiquet::rutaDispositivo() {
    QFETCH(QString, nombre);
    QFETCH(QString, ruta);
    QCOMPARE(SalidaTiquet::RutaDispositivo(nombre), ruta);
}

void TestSalidaTiquet::puertosParalelo() {
    QTemporaryDir dev;
    QVERIFY(QDir(dev.path()).mkdir("usb"));
    for (const char* n : {"lp10", "lp0", "lp2", "lpx", "tty0", "usb/lp1", "usb/lp0"})
        QVERIFY(CreaArchivo(QDir(dev.path()).filePath(n)));
    const QStringList esperado{"LPT1", "LPT3", "LPT11", dev.filePath("usb/lp0"),
                               dev.filePath("usb/lp1")};
    QCOMPARE(SalidaTiquet::PuertosParalelo(dev.path()), esperado);
}

void TestSalidaTiquet::dispositivoArchivo() {
    EntornoPrueba env;
    const QString destino = QDir(env.Carpeta()).filePath("lp0");
    // A device takes the ticket alone: whatever the file held before is gone.
    QVERIFY(CreaArchivo(destino, "old contents that are longer than nothing"));
    Impresora(env, SalidaTiquet::PuertoParalelo, destino);
    QVERIFY2(SalidaTiquet::EnviarTiquet(kTiquet), qPrintable(SalidaTiquet::UltimoError()));
    QCOMPARE(SalidaTiquet::UltimoError(), QString());
    QCOMPARE(LeeArchivo(destino), kBytes);
}

void TestSalidaTiquet::dispositivoFifo() {
    EntornoPrueba env;
    const QString fifo = CreaFifo(env);
    QVERIFY(!fifo.isEmpty());
    LectorFifo lector(fifo);
    // Far more than the pipe holds: the send waits for the reader, which runs in the events
    // the wait lets through.
    QByteArray bytes;
    for (int i = 0; i < 200 * 1024; ++i)
        bytes.append(char((i * 7 + i / 256) & 0xff));
    Impresora(env, SalidaTiquet::PuertoParalelo, fifo);
    // A second ticket asked for from those events is refused; the first goes on.
    int segundo = -1;
    QTimer::singleShot(0, [&] { segundo = SalidaTiquet::EnviarTiquet(QStringLiteral("x")); });
    QVERIFY2(SalidaTiquet::EnviarTiquet(PaginaCodigos::DeBytes(bytes)),
             qPrintable(SalidaTiquet::UltimoError()));
    QCOMPARE(segundo, 0);
    QCOMPARE(SalidaTiquet::UltimoError(), QString());
    QVERIFY(lector.Lee() == bytes);
}

void TestSalidaTiquet::dispositivoFifoCancelado() {
    EntornoPrueba env;
    const QString fifo = CreaFifo(env);
    QVERIFY(!fifo.isEmpty());
    LectorFifo lector(fifo);
    lector.aviso.setEnabled(false); // a printer that takes nothing
    Impresora(env, SalidaTiquet::PuertoParalelo, fifo);
    QTimer::singleShot(200, [] { SalidaTiquet::CancelaEnvio(); });
    QVERIFY(!SalidaTiquet::EnviarTiquet(QString(200 * 1024, QLatin1Char('x'))));
    QCOMPARE(SalidaTiquet::UltimoError(), QString("Cancelled"));
}

void TestSalidaTiquet::dispositivoErrores_data() {
    QTest::addColumn<QString>("nombre");
    QTest::newRow("missing device is not created") << "missing-lp";
    QTest::newRow("a folder") << ".";
    QTest::newRow("FIFO without a reader") << "fifo";
    QTest::newRow("LPT0") << "LPT0";
}

void TestSalidaTiquet::dispositivoErrores() {
    QFETCH(QString, nombre);
    EntornoPrueba env;
    QString destino = nombre == "LPT0" ? nombre : QDir(env.Carpeta()).filePath(nombre);
    if (nombre == "fifo")
        destino = CreaFifo(env);
    Impresora(env, SalidaTiquet::PuertoParalelo, destino);
    QVERIFY(!SalidaTiquet::EnviarTiquet(kTiquet));
    QVERIFY(!SalidaTiquet::UltimoError().isEmpty());
    if (nombre == "missing-lp")
        QVERIFY(!QFileInfo::exists(destino));
}

void TestSalidaTiquet::serie_data() {
    // Positions of the configuration window's lists.
    QTest::addColumn<int>("bps");
    QTest::addColumn<int>("paridad");
    QTest::addColumn<int>("datos");
    QTest::addColumn<int>("parada");
    QTest::addColumn<int>("flujo");
    QTest::addColumn<unsigned>("velocidad");
    QTest::addColumn<unsigned>("cflag");
    QTest::addColumn<unsigned>("iflag");
    QTest::newRow("115200 8 none 1") << 9 << 2 << 4 << 0 << 0 << 115200u << 0u << 0u;
    QTest::newRow("9600 8 odd 2 hardware")
        << 4 << 1 << 4 << 2 << 1 << 9600u << unsigned(PARODD | CSTOPB | CRTSCTS) << 0u;
    QTest::newRow("300 8 mark 1.5")
        << 0 << 3 << 4 << 1 << 0 << 300u << unsigned(PARODD | CMSPAR | CSTOPB) << 0u;
    QTest::newRow("57600 8 space 1") << 8 << 4 << 4 << 0 << 0 << 57600u << unsigned(CMSPAR) << 0u;
    QTest::newRow("14400 7 none 1 xon/xoff")
        << 5 << 2 << 3 << 0 << 2 << 14400u << 0u << unsigned(IXON | IXOFF);
}

void TestSalidaTiquet::serie() {
    QFETCH(int, bps);
    QFETCH(int, paridad);
    QFETCH(int, datos);
    QFETCH(int, parada);
    QFETCH(int, flujo);
    QFETCH(unsigned, velocidad);
    QFETCH(unsigned, cflag);
    QFETCH(unsigned, iflag);
    EntornoPrueba env;
    ImpresoraGuionada impresora;
    QVERIFY(impresora.pty.Valido());
    clsDatosApp& d = Serie(env, impresora.pty.Ruta(), bps, paridad, datos);
    d.SetCommTiquetBitsParada(parada);
    d.SetCommTiquetFlujo(flujo);
    QVERIFY2(SalidaTiquet::EnviarTiquet(kTiquet), qPrintable(SalidaTiquet::UltimoError()));
    QCOMPARE(impresora.pty.LeeTodo(500), kBytes);
    // The line the configuration asked for, as the port was left. A pseudo-terminal always
    // keeps 8 data bits without parity (the kernel forces CS8 and clears PARENB), so the word
    // size and parity enable cannot be seen here; the rest can.
    QCOMPARE(impresora.pty.VelocidadSalida(), velocidad);
    const termios t = impresora.pty.Ajustes();
    QCOMPARE(unsigned(t.c_cflag) & unsigned(PARODD | CMSPAR | CSTOPB | CRTSCTS), cflag);
    QCOMPARE(unsigned(t.c_iflag) & unsigned(IXON | IXOFF), iflag);
    // Raw bytes both ways: no translation of line ends, no echo, modem lines not obeyed.
    QCOMPARE(unsigned(t.c_oflag & OPOST), 0u);
    QCOMPARE(unsigned(t.c_lflag & (ICANON | ECHO)), 0u);
    QVERIFY(t.c_cflag & CLOCAL);
    // The channel's own handshake ran: a wake-up check and one clear-to-send check per byte.
    QCOMPARE(impresora.guion->lecturas, 2 + int(kBytes.size()));
}

void TestSalidaTiquet::serieFalla_data() {
    QTest::addColumn<int>("bps");
    QTest::addColumn<int>("datos");
    QTest::addColumn<bool>("puertoExiste");
    QTest::addColumn<QString>("error");
    // Never configured: every list at its first entry, 4 data bits, which no port offers.
    QTest::newRow("first entries: 4 data bits")
        << 0 << 0 << true << "OpenComm: Error Setting Com State";
    QTest::newRow("speed position out of the list")
        << 10 << 4 << true << "Serial setting CommTiquetBPS has no entry 10";
    QTest::newRow("missing port") << 9 << 4 << false << "Error opening /dev/pesix-no-such-port";
}

void TestSalidaTiquet::serieFalla() {
    QFETCH(int, bps);
    QFETCH(int, datos);
    QFETCH(bool, puertoExiste);
    QFETCH(QString, error);
    EntornoPrueba env;
    ImpresoraGuionada impresora;
    QVERIFY(impresora.pty.Valido());
    Serie(env, puertoExiste ? impresora.pty.Ruta() : "/dev/pesix-no-such-port", bps, 2, datos);
    QVERIFY(!SalidaTiquet::EnviarTiquet(kTiquet));
    QCOMPARE(SalidaTiquet::UltimoError(), error);
    QCOMPARE(impresora.pty.LeeTodo(50), QByteArray());
}

void TestSalidaTiquet::serieCancelada() {
    EntornoPrueba env;
    ImpresoraGuionada impresora;
    QVERIFY(impresora.pty.Valido());
    // A printer that never wakes: the real 3.3 s wake-up runs, and the user interface cancels.
    impresora.guion->dsrDesdeLectura = -1;
    Serie(env, impresora.pty.Ruta(), 9, 2, 4);
    QTimer::singleShot(150, [] { SalidaTiquet::CancelaEnvio(); });
    QVERIFY(!SalidaTiquet::EnviarTiquet(kTiquet));
    QCOMPARE(SalidaTiquet::UltimoError(), QString("WriteComm: Cancelled"));
    QCOMPARE(impresora.pty.LeeTodo(50), QByteArray());
}

void TestSalidaTiquet::impresoraSinServidor() {
    EntornoPrueba env;
    Impresora(env, SalidaTiquet::ImpresoraSistema, "TICKETS");
    QVERIFY(!SalidaTiquet::EnviarTiquet(kTiquet));
    QCOMPARE(SalidaTiquet::UltimoError(), QString("The print system does not answer"));
    QList<QStringList> impresoras{{"stale", "", ""}};
    QCOMPARE(SalidaTiquet::EnumerarImpresoras(impresoras), 0);
    QVERIFY(impresoras.isEmpty());
}

QTEST_MAIN(TestSalidaTiquet)
#include "tst_salidatiquet.moc"
