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

// Reads a FIFO from the event loop while the ticket is being written into it.
class LectorFifo {
public:
    explicit LectorFifo(const QString& ruta) {
        m_fd = ::open(QFile::encodeName(ruta).constData(), O_RDONLY | O_NONBLOCK);
        if (m_fd >= 0) {
            m_aviso = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
            QObject::connect(m_aviso.get(), &QSocketNotifier::activated, [this] { Lee(); });
        }
    }
    ~LectorFifo() {
        m_aviso.reset();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool Valido() const { return m_fd >= 0; }
    void Pausa(bool pausa) { m_aviso->setEnabled(!pausa); }
    QByteArray Todo() {
        Lee();
        return m_leido;
    }

private:
    void Lee() {
        char trozo[8192];
        ssize_t n;
        while ((n = ::read(m_fd, trozo, sizeof trozo)) > 0)
            m_leido.append(trozo, n);
    }
    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_aviso;
    QByteArray m_leido;
};

// Sends tickets to a serial printer at `ruta`, its line given by positions of the
// configuration window's lists.
void ConfiguraSerie(clsDatosApp& d, const QString& ruta, int bps, int paridad, int datos) {
    d.SetPuertoImpresoraTiquets(SalidaTiquet::PuertoSerie);
    d.SetNombreImpresoraTiquets(ruta);
    d.SetCommTiquetBPS(bps);
    d.SetCommTiquetParidad(paridad);
    d.SetCommTiquetBitsDatos(datos);
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
    void dispositivoFifoGrande();
    void dispositivoFifoCancelado();
    void dispositivoErrores_data();
    void dispositivoErrores();
    void serie_data();
    void serie();
    void serieFalla_data();
    void serieFalla();
    void serieCanceladaSinReentrar();
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
    QTest::newRow("kind 99") << 99;
}

void TestSalidaTiquet::sinEnvio() {
    QFETCH(int, tipo);
    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    const QString destino = QDir(env.Carpeta()).filePath("printer");
    QVERIFY(CreaArchivo(destino));
    d.SetPuertoImpresoraTiquets(tipo);
    d.SetNombreImpresoraTiquets(destino);
    QVERIFY(!SalidaTiquet::EnviarTiquet(kTiquet));
    QVERIFY(!SalidaTiquet::UltimoError().isEmpty());
    QCOMPARE(LeeArchivo(destino), QByteArray());
}

void TestSalidaTiquet::rutaDispositivo_data() {
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<QString>("ruta");
    QTest::newRow("LPT1") << "LPT1"
                          << "/dev/lp0";
    QTest::newRow("lpt3 lower case") << "lpt3"
                                     << "/dev/lp2";
    QTest::newRow("LPT1: with colon") << "LPT1:"
                                      << "/dev/lp0";
    QTest::newRow("USB printer path") << "/dev/usb/lp0"
                                      << "/dev/usb/lp0";
    QTest::newRow("LPT0") << "LPT0"
                          << "";
    QTest::newRow("serial name") << "COM1"
                                 << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestSalidaTiquet::rutaDispositivo() {
    QFETCH(QString, nombre);
    QFETCH(QString, ruta);
    QCOMPARE(SalidaTiquet::RutaDispositivo(nombre), ruta);
}

void TestSalidaTiquet::puertosParalelo() {
    QTemporaryDir dev;
    QVERIFY(QDir(dev.path()).mkdir("usb"));
    for (const char* n : {"lp10", "lp0", "lp2", "lpx", "lp1a", "tty0", "usb/lp1", "usb/lp0"})
        QVERIFY(CreaArchivo(QDir(dev.path()).filePath(n)));
    const QStringList esperado{"LPT1", "LPT3", "LPT11", dev.filePath("usb/lp0"),
                               dev.filePath("usb/lp1")};
    QCOMPARE(SalidaTiquet::PuertosParalelo(dev.path()), esperado);
    QCOMPARE(SalidaTiquet::PuertosParalelo(dev.filePath("missing")), QStringList());
}

void TestSalidaTiquet::dispositivoArchivo() {
    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    const QString destino = QDir(env.Carpeta()).filePath("lp0");
    // A device takes the ticket alone: whatever the file held before is gone.
    QVERIFY(CreaArchivo(destino, "old contents that are longer than nothing"));
    d.SetPuertoImpresoraTiquets(SalidaTiquet::PuertoParalelo);
    d.SetNombreImpresoraTiquets(destino);
    QVERIFY2(SalidaTiquet::EnviarTiquet(kTiquet), qPrintable(SalidaTiquet::UltimoError()));
    QCOMPARE(SalidaTiquet::UltimoError(), QString());
    QCOMPARE(LeeArchivo(destino), kBytes);
}

void TestSalidaTiquet::dispositivoFifoGrande() {
    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    const QString fifo = QDir(env.Carpeta()).filePath("printer.fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    LectorFifo lector(fifo);
    QVERIFY(lector.Valido());
    // Far more than the pipe holds: the send waits for the reader, which runs in the events
    // the wait lets through.
    QByteArray bytes;
    for (int i = 0; i < 300 * 1024; ++i)
        bytes.append(char((i * 7 + i / 256) & 0xff));
    const QString texto = PaginaCodigos::DeBytes(bytes);
    d.SetPuertoImpresoraTiquets(SalidaTiquet::PuertoParalelo);
    d.SetNombreImpresoraTiquets(fifo);
    // A second ticket asked for from those events is refused; the first goes on.
    int segundo = -1;
    QTimer::singleShot(0, [&] { segundo = SalidaTiquet::EnviarTiquet(QStringLiteral("x")); });
    QVERIFY2(SalidaTiquet::EnviarTiquet(texto), qPrintable(SalidaTiquet::UltimoError()));
    QCOMPARE(segundo, 0);
    QCOMPARE(SalidaTiquet::UltimoError(), QString());
    const QByteArray recibido = lector.Todo();
    QCOMPARE(recibido.size(), bytes.size());
    QVERIFY(recibido == bytes);
}

void TestSalidaTiquet::dispositivoFifoCancelado() {
    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    const QString fifo = QDir(env.Carpeta()).filePath("printer.fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    LectorFifo lector(fifo);
    QVERIFY(lector.Valido());
    lector.Pausa(true); // a printer that takes nothing
    d.SetPuertoImpresoraTiquets(SalidaTiquet::PuertoParalelo);
    d.SetNombreImpresoraTiquets(fifo);
    QTimer::singleShot(200, [] { SalidaTiquet::CancelaEnvio(); });
    QVERIFY(!SalidaTiquet::EnviarTiquet(QString(200 * 1024, QLatin1Char('x'))));
    QCOMPARE(SalidaTiquet::UltimoError(), QString("Cancelled"));
}

void TestSalidaTiquet::dispositivoErrores_data() {
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<bool>("creaNada");
    QTest::newRow("missing device is not created") << "missing-lp" << true;
    QTest::newRow("a folder") << "." << false;
    QTest::newRow("FIFO without a reader") << "fifo" << false;
    QTest::newRow("LPT0") << "LPT0" << false;
    QTest::newRow("serial port name") << "COM1" << false;
    QTest::newRow("empty name") << "" << false;
}

void TestSalidaTiquet::dispositivoErrores() {
    QFETCH(QString, nombre);
    QFETCH(bool, creaNada);
    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    QString destino = nombre;
    if (nombre == "fifo") {
        destino = QDir(env.Carpeta()).filePath("fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(destino).constData(), 0600), 0);
    } else if (nombre == "." || creaNada) {
        destino = QDir(env.Carpeta()).filePath(nombre);
    }
    d.SetPuertoImpresoraTiquets(SalidaTiquet::PuertoParalelo);
    d.SetNombreImpresoraTiquets(destino);
    QVERIFY(!SalidaTiquet::EnviarTiquet(kTiquet));
    QVERIFY(!SalidaTiquet::UltimoError().isEmpty());
    if (creaNada)
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
    QTest::newRow("14400 7 none 1 xon/xoff")
        << 5 << 2 << 3 << 0 << 2 << 14400u << 0u << unsigned(IXON | IXOFF);
    QTest::newRow("300 8 mark 1.5")
        << 0 << 3 << 4 << 1 << 0 << 300u << unsigned(PARODD | CMSPAR | CSTOPB) << 0u;
    QTest::newRow("57600 8 space 1") << 8 << 4 << 4 << 0 << 0 << 57600u << unsigned(CMSPAR) << 0u;
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
    clsDatosApp& d = env.DatosConBase();
    ImpresoraGuionada impresora;
    QVERIFY(impresora.pty.Valido());
    ConfiguraSerie(d, impresora.pty.Ruta(), bps, paridad, datos);
    d.SetCommTiquetBitsParada(parada);
    d.SetCommTiquetFlujo(flujo);
    QVERIFY2(SalidaTiquet::EnviarTiquet(kTiquet), qPrintable(SalidaTiquet::UltimoError()));
    QCOMPARE(impresora.pty.LeeTodo(500), kBytes);
    // The line the configuration asked for, as the port was left.
    QCOMPARE(impresora.pty.VelocidadSalida(), velocidad);
    const termios t = impresora.pty.Ajustes();
    const unsigned forma = PARODD | CMSPAR | CSTOPB | CRTSCTS;
    QCOMPARE(unsigned(t.c_cflag) & forma, cflag);
    QCOMPARE(unsigned(t.c_iflag) & unsigned(IXON | IXOFF), iflag);
    // The channel's own handshake ran: a wake-up check and one clear-to-send check per byte.
    QCOMPARE(impresora.guion->lecturas, 2 + int(kBytes.size()));
}

void TestSalidaTiquet::serieFalla_data() {
    QTest::addColumn<int>("bps");
    QTest::addColumn<int>("datos");
    QTest::addColumn<int>("flujo");
    QTest::addColumn<bool>("puertoExiste");
    QTest::addColumn<QString>("error");
    // Never configured: every list at its first entry, 4 data bits, which no port offers.
    QTest::newRow("first entries: 4 data bits")
        << 0 << 0 << 0 << true << "OpenComm: Error Setting Com State";
    QTest::newRow("speed position out of the list")
        << 10 << 4 << 0 << true << "Serial setting CommTiquetBPS has no entry 10";
    QTest::newRow("flow position out of the list")
        << 9 << 4 << 3 << true << "Serial setting CommTiquetFlujo has no entry 3";
    QTest::newRow("missing port") << 9 << 4 << 0 << false
                                  << "Error opening /dev/pesix-no-such-port";
}

void TestSalidaTiquet::serieFalla() {
    QFETCH(int, bps);
    QFETCH(int, datos);
    QFETCH(int, flujo);
    QFETCH(bool, puertoExiste);
    QFETCH(QString, error);
    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    ImpresoraGuionada impresora;
    QVERIFY(impresora.pty.Valido());
    ConfiguraSerie(d, puertoExiste ? impresora.pty.Ruta() : "/dev/pesix-no-such-port", bps, 2,
                   datos);
    d.SetCommTiquetFlujo(flujo);
    QVERIFY(!SalidaTiquet::EnviarTiquet(kTiquet));
    QCOMPARE(SalidaTiquet::UltimoError(), error);
    QCOMPARE(impresora.pty.LeeTodo(50), QByteArray());
}

void TestSalidaTiquet::serieCanceladaSinReentrar() {
    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    ImpresoraGuionada impresora;
    QVERIFY(impresora.pty.Valido());
    // A printer that never wakes: the real 3.3 s wake-up runs.
    impresora.guion->dsrDesdeLectura = -1;
    ConfiguraSerie(d, impresora.pty.Ruta(), 9, 2, 4);
    // While the wake-up waits, the user interface asks for another ticket, then cancels.
    bool segundo = true;
    QString errorSegundo;
    QTimer::singleShot(100, [&] {
        segundo = SalidaTiquet::EnviarTiquet(QStringLiteral("second"));
        errorSegundo = SalidaTiquet::UltimoError();
    });
    QTimer::singleShot(250, [] { SalidaTiquet::CancelaEnvio(); });
    QVERIFY(!SalidaTiquet::EnviarTiquet(kTiquet));
    QCOMPARE(SalidaTiquet::UltimoError(), QString("WriteComm: Cancelled"));
    QVERIFY(!segundo);
    QCOMPARE(errorSegundo, QString("A ticket is already being sent"));
    QCOMPARE(impresora.pty.LeeTodo(50), QByteArray());
    // The next send starts afresh.
    impresora.guion->dsrDesdeLectura = 1;
    QVERIFY2(SalidaTiquet::EnviarTiquet(kTiquet), qPrintable(SalidaTiquet::UltimoError()));
    QCOMPARE(impresora.pty.LeeTodo(500), kBytes);
}

void TestSalidaTiquet::impresoraSinServidor() {
    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    d.SetPuertoImpresoraTiquets(SalidaTiquet::ImpresoraSistema);
    d.SetNombreImpresoraTiquets("TICKETS");
    QVERIFY(!SalidaTiquet::EnviarTiquet(kTiquet));
    QCOMPARE(SalidaTiquet::UltimoError(), QString("The print system does not answer"));
    QList<QStringList> impresoras{{"stale", "", ""}};
    QCOMPARE(SalidaTiquet::EnumerarImpresoras(impresoras), 0);
    QVERIFY(impresoras.isEmpty());
}

QTEST_MAIN(TestSalidaTiquet)
#include "tst_salidatiquet.moc"
