// The serial ticket printer channel: bytes and line settings on a real pseudo-terminal, the
// wake-up and clear-to-send handshakes on scripted modem lines.

#include "lineasguionadas.h"
#include "ticket/commport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// A channel whose waits are only written to the log, so long handshakes run at once.
void EsperasAlGuion(CommPort& puerto, const std::shared_ptr<GuionLineas>& guion) {
    puerto.SetEspera([guion](int ms) {
        guion->sucesos << QStringLiteral("W%1").arg(ms);
        return true;
    });
}

// A channel on a scripted serial printer.
struct Banco : ImpresoraGuionada {
    CommPort puerto;
    // Opens the channel on the printer's pseudo-terminal; false if either fails.
    bool Abre(QString& error) { return pty.Valido() && !puerto.OpenCommErr(pty.Ruta(), error); }
    void EsperasAlGuion() { ::EsperasAlGuion(puerto, guion); }
};

QStringList Pulsos(int n) {
    QStringList s;
    for (int i = 0; i < n; ++i)
        s << "S"
          << "DTR0"
          << "W100"
          << "DTR1"
          << "W1000";
    return s;
}

} // namespace

class TestCommPort : public QObject {
    Q_OBJECT

private slots:
    void rutaPuerto_data();
    void rutaPuerto();
    void abrePuertoInexistente_data();
    void abrePuertoInexistente();
    void abreDosVecesCierra();
    void puertoExclusivo();
    void cerrarLiberaElPuerto();
    void lineaSerie_data();
    void lineaSerie();
    void lineaSerieInvalida_data();
    void lineaSerieInvalida();
    void abreAlgoQueNoEsTerminal();
    void estadoIlegibleAlAbrir();
    void escribeBytesExactos_data();
    void escribeBytesExactos();
    void escribeTextoEnPaginaDeCodigos();
    void despertar_data();
    void despertar();
    void ctsNuncaActivo();
    void ctsTardio();
    void estadoFallaDuranteEscritura_data();
    void estadoFallaDuranteEscritura();
    void operacionesConPuertoCerrado();
    void leeCaracter();
    void dtr();
    void esperaRealAtiendeEventosYSeCancela_data();
    void esperaRealAtiendeEventosYSeCancela();
};

void TestCommPort::rutaPuerto_data() {
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<QString>("ruta");
    QTest::newRow("COM1") << "COM1"
                          << "/dev/ttyS0";
    QTest::newRow("com12 lower case") << "com12"
                                      << "/dev/ttyS11";
    QTest::newRow("COM0 has no port") << "COM0"
                                      << "";
    QTest::newRow("path as it is") << "/dev/pts/7"
                                   << "/dev/pts/7";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("device name without regard to case") << "NULL"
                                                        << "/dev/null";
    QTest::newRow("unknown device name") << "ttyPESIX9"
                                         << "/dev/ttyPESIX9";
}

void TestCommPort::rutaPuerto() {
    QFETCH(QString, nombre);
    QFETCH(QString, ruta);
    QCOMPARE(CommPort::RutaPuerto(nombre), ruta);
}

void TestCommPort::abrePuertoInexistente_data() {
    QTest::addColumn<QString>("nombre");
    QTest::newRow("missing device") << "/dev/pesix-no-such-port";
    QTest::newRow("COM0") << "COM0";
    QTest::newRow("empty name") << "";
}

void TestCommPort::abrePuertoInexistente() {
    QFETCH(QString, nombre);
    CommPort puerto;
    QString error = "left over";
    QVERIFY(puerto.OpenCommErr(nombre, error));
    QCOMPARE(error, "Error opening " + nombre);
    QVERIFY(!puerto.EstaAbierto());
    QCOMPARE(puerto.Puerto(), nombre);
}

void TestCommPort::abreDosVecesCierra() {
    Banco b;
    QString error;
    QVERIFY(b.Abre(error));
    QCOMPARE(error, QString());
    QVERIFY(b.puerto.EstaAbierto());

    QVERIFY(b.puerto.OpenCommErr(b.pty.Ruta(), error));
    QCOMPARE(error, b.pty.Ruta() + " is Already Open - Closing it");
    QVERIFY(!b.puerto.EstaAbierto());
    // The caller opens again.
    QVERIFY(b.Abre(error));
    QVERIFY(b.puerto.EstaAbierto());
}

void TestCommPort::puertoExclusivo() {
    Banco b;
    QVERIFY(b.pty.Valido());
    CommPort primero;
    CommPort segundo;
    QString error;
    QVERIFY(!primero.OpenCommErr(b.pty.Ruta(), error));
    QVERIFY(segundo.OpenCommErr(b.pty.Ruta(), error));
    QCOMPARE(error, "Error opening " + b.pty.Ruta());
    QVERIFY(!segundo.EstaAbierto());
}

void TestCommPort::cerrarLiberaElPuerto() {
    Banco b;
    QString error;
    {
        CommPort efimero;
        QVERIFY(!efimero.OpenCommErr(b.pty.Ruta(), error));
    } // destruction closes
    QVERIFY(b.Abre(error));
    error = "kept";
    QVERIFY(!b.puerto.CloseCommErr(error));
    QVERIFY(!b.puerto.EstaAbierto());
    // Closing with no port open does nothing, and leaves the caller's text alone.
    QVERIFY(!b.puerto.CloseCommErr(error));
    QCOMPARE(error, QString("kept"));
    CommPort otro;
    QVERIFY(!otro.OpenCommErr(b.pty.Ruta(), error));
}

void TestCommPort::lineaSerie_data() {
    QTest::addColumn<qint32>("bps");
    QTest::addColumn<char>("paridad");
    QTest::addColumn<int>("bitsDatos");
    QTest::addColumn<int>("parada");
    QTest::addColumn<int>("flujo");
    QTest::addColumn<unsigned>("velocidad");
    QTest::addColumn<unsigned>("cflag");
    QTest::addColumn<unsigned>("iflag");
    const int uno = int(CommPort::BitsParada::Uno);
    const int unoYMedio = int(CommPort::BitsParada::UnoYMedio);
    const int dos = int(CommPort::BitsParada::Dos);
    const int ninguno = int(CommPort::Flujo::Ninguno);
    const int hardware = int(CommPort::Flujo::Hardware);
    const int xon = int(CommPort::Flujo::XonXoff);
    QTest::newRow("19200 8N1") << 19200 << 'N' << 8 << uno << ninguno << 19200u << unsigned(CS8)
                               << 0u;
    QTest::newRow("9600 7E1") << 9600 << 'E' << 7 << uno << ninguno << 9600u
                              << unsigned(CS7 | PARENB) << 0u;
    QTest::newRow("115200 8O2 hardware")
        << 115200 << 'O' << 8 << dos << hardware << 115200u
        << unsigned(CS8 | PARENB | PARODD | CSTOPB | CRTSCTS) << 0u;
    QTest::newRow("14400 8N1 xon/xoff")
        << 14400 << 'N' << 8 << uno << xon << 14400u << unsigned(CS8) << unsigned(IXON | IXOFF);
    QTest::newRow("300 5 mark 1.5") << 300 << 'M' << 5 << unoYMedio << ninguno << 300u
                                    << unsigned(CS5 | PARENB | CMSPAR | PARODD | CSTOPB) << 0u;
    QTest::newRow("57600 6 space 1")
        << 57600 << 'S' << 6 << uno << ninguno << 57600u << unsigned(CS6 | PARENB | CMSPAR) << 0u;
}

void TestCommPort::lineaSerie() {
    QFETCH(qint32, bps);
    QFETCH(char, paridad);
    QFETCH(int, bitsDatos);
    QFETCH(int, parada);
    QFETCH(int, flujo);
    QFETCH(unsigned, velocidad);
    QFETCH(unsigned, cflag);
    QFETCH(unsigned, iflag);
    Banco b;
    b.puerto.SetLineaSerie(
        {bps, paridad, bitsDatos, CommPort::BitsParada(parada), CommPort::Flujo(flujo)});
    QString error;
    QVERIFY2(b.Abre(error), qPrintable(error));
    // The set-up read the modem status once.
    QCOMPARE(b.guion->sucesos, QStringList{"S"});

    const termios t = b.pty.Ajustes();
    QCOMPARE(b.pty.VelocidadSalida(), velocidad);
    // A pseudo-terminal always keeps 8 data bits without parity (the kernel forces CS8 and
    // clears PARENB), so the word size and parity enable cannot be seen here; the rest can.
    const unsigned forma = PARODD | CMSPAR | CSTOPB | CRTSCTS;
    QCOMPARE(unsigned(t.c_cflag) & forma, cflag & forma);
    QCOMPARE(unsigned(t.c_iflag) & unsigned(IXON | IXOFF), iflag);
    QVERIFY(t.c_cflag & CLOCAL);
    // Raw bytes both ways: no translation of line ends, no echo; reads give up after 100 ms.
    QCOMPARE(unsigned(t.c_oflag & OPOST), 0u);
    QCOMPARE(unsigned(t.c_lflag & (ICANON | ECHO)), 0u);
    QCOMPARE(int(t.c_cc[VMIN]), 0);
    QCOMPARE(int(t.c_cc[VTIME]), 1);
}

void TestCommPort::lineaSerieInvalida_data() {
    QTest::addColumn<qint32>("bps");
    QTest::addColumn<char>("paridad");
    QTest::addColumn<int>("bitsDatos");
    QTest::newRow("4 data bits") << 19200 << 'N' << 4;
    QTest::newRow("9 data bits") << 19200 << 'N' << 9;
    QTest::newRow("unknown parity") << 19200 << 'X' << 8;
    QTest::newRow("no speed") << 0 << 'N' << 8;
}

void TestCommPort::lineaSerieInvalida() {
    QFETCH(qint32, bps);
    QFETCH(char, paridad);
    QFETCH(int, bitsDatos);
    Banco b;
    QVERIFY(b.pty.Valido());
    CommPort::Ajustes a;
    a.bps = bps;
    a.paridad = paridad;
    a.bitsDatos = bitsDatos;
    b.puerto.SetLineaSerie(a);
    QString error;
    QVERIFY(b.puerto.OpenCommErr(b.pty.Ruta(), error));
    QCOMPARE(error, QString("OpenComm: Error Setting Com State"));
    // A failed set-up leaves the port open for the caller to close.
    QVERIFY(b.puerto.EstaAbierto());
    QVERIFY(!b.puerto.CloseCommErr(error));
    QVERIFY(!b.puerto.EstaAbierto());
}

void TestCommPort::abreAlgoQueNoEsTerminal() {
    QTemporaryDir dir;
    const QString archivo = dir.filePath("no-terminal");
    QFile f(archivo);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    auto guion = std::make_shared<GuionLineas>();
    UsaLineasGuionadas lineas(guion);
    CommPort puerto;
    QString error;
    QVERIFY(puerto.OpenCommErr(archivo, error));
    QCOMPARE(error, "OpenComm: Error Getting " + archivo + " parameters");
    QVERIFY(puerto.EstaAbierto());
}

void TestCommPort::estadoIlegibleAlAbrir() {
    Banco b;
    QVERIFY(b.pty.Valido());
    b.guion->fallaDesdeLectura = 1;
    QString error;
    QVERIFY(b.puerto.OpenCommErr(b.pty.Ruta(), error));
    QCOMPARE(error, QString("OpenComm: Failed GetCommModemStatus()"));
}

void TestCommPort::escribeBytesExactos_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("line ends and controls untouched")
        << QByteArray::fromHex("1b40 48 0a 0d 0d0a 00 ff 11 13 7f 1d5601");
    QTest::newRow("one byte") << QByteArray("X");
    QByteArray todos;
    for (int i = 0; i < 256; ++i)
        todos.append(char(i));
    QTest::newRow("every byte value") << todos;
    QTest::newRow("empty") << QByteArray();
}

void TestCommPort::escribeBytesExactos() {
    QFETCH(QByteArray, bytes);
    Banco b;
    QString error;
    QVERIFY(b.Abre(error));
    QVERIFY2(!b.puerto.WriteCommErr(bytes, error), qPrintable(error));
    QCOMPARE(error, QString());
    QCOMPARE(b.pty.LeeTodo(bytes.isEmpty() ? 50 : 500), bytes);
    // Set-up read, wake-up read, then one clear-to-send read before each byte; no waits.
    QCOMPARE(b.guion->lecturas, 2 + int(bytes.size()));
    QCOMPARE(b.guion->sucesos.filter("W").size(), 0);
}

void TestCommPort::escribeTextoEnPaginaDeCodigos() {
    Banco b;
    QString error;
    QVERIFY(b.Abre(error));
    QVERIFY(!b.puerto.WriteCommErr(QString::fromUtf8("Señor €\n"), error));
    // IBM850: ñ is A4; the euro sign is not in it and goes out as "?".
    QCOMPARE(b.pty.LeeTodo(), QByteArray::fromHex("5365a46f72203f0a"));
}

void TestCommPort::despertar_data() {
    QTest::addColumn<int>("dsrDesde");
    QTest::addColumn<QStringList>("esperado");
    QTest::addColumn<QString>("error");
    // Read 1 is the set-up's; the wake-up checks are reads 2 to 5.
    QTest::newRow("DSR on at once") << 2 << (QStringList{"S", "S", "S"}) << "";
    QTest::newRow("DSR after one pulse")
        << 3 << (QStringList{"S"} + Pulsos(1) + QStringList{"S", "S"}) << "";
    QTest::newRow("DSR after three pulses")
        << 5 << (QStringList{"S"} + Pulsos(3) + QStringList{"S", "S"}) << "";
    // Three pulses of 100 ms and 1000 ms, then the fourth check fails: about 3.3 s.
    QTest::newRow("DSR never on") << -1 << (QStringList{"S"} + Pulsos(3) + QStringList{"S"})
                                  << "WriteComm: Failed To Wake Printer";
}

void TestCommPort::despertar() {
    QFETCH(int, dsrDesde);
    QFETCH(QStringList, esperado);
    QFETCH(QString, error);
    Banco b;
    b.guion->dsrDesdeLectura = dsrDesde;
    b.EsperasAlGuion();
    QString texto;
    QVERIFY(b.Abre(texto));
    const bool fallo = b.puerto.WriteCommErr(QByteArray("A"), texto);
    QCOMPARE(fallo, !error.isEmpty());
    QCOMPARE(texto, error);
    QCOMPARE(b.guion->sucesos, esperado);
    QCOMPARE(b.pty.LeeTodo(fallo ? 50 : 500), fallo ? QByteArray() : QByteArray("A"));
}

void TestCommPort::ctsNuncaActivo() {
    Banco b;
    b.guion->ctsDesdeLectura = -1;
    b.EsperasAlGuion();
    QString error;
    QVERIFY(b.Abre(error));
    QVERIFY(b.puerto.WriteCommErr(QByteArray("ABC"), error));
    QCOMPARE(error, QString("Write Comm: CTS Failure"));
    // 500 waits of 100 ms (about 50 s) between 501 reads of CTS, and nothing sent.
    QCOMPARE(b.guion->Cuenta("W100"), 500);
    QCOMPARE(b.guion->sucesos.filter(QRegularExpression("^W")).size(), 500);
    QCOMPARE(b.guion->lecturas, 2 + 501);
    QCOMPARE(b.pty.LeeTodo(50), QByteArray());
}

void TestCommPort::ctsTardio() {
    Banco b;
    // CTS comes on at the fifth read of the first byte's wait (reads 3 to 7).
    b.guion->ctsDesdeLectura = 7;
    b.EsperasAlGuion();
    QString error;
    QVERIFY(b.Abre(error));
    QVERIFY2(!b.puerto.WriteCommErr(QByteArray("OK"), error), qPrintable(error));
    QCOMPARE(b.guion->Cuenta("W100"), 4);
    QCOMPARE(b.pty.LeeTodo(), QByteArray("OK"));
}

void TestCommPort::estadoFallaDuranteEscritura_data() {
    QTest::addColumn<int>("fallaDesde");
    QTest::addColumn<QString>("error");
    QTest::newRow("during the wake-up") << 2 << "WriteComm: Failed GetCommModemStatus()";
    QTest::newRow("during the clear-to-send wait") << 4 << "Failed GetCommModemStatus";
}

void TestCommPort::estadoFallaDuranteEscritura() {
    QFETCH(int, fallaDesde);
    QFETCH(QString, error);
    Banco b;
    b.guion->fallaDesdeLectura = fallaDesde;
    b.EsperasAlGuion();
    QString texto;
    QVERIFY(b.Abre(texto));
    QVERIFY(b.puerto.WriteCommErr(QByteArray("XYZ"), texto));
    QCOMPARE(texto, error);
    // Reads 1 (set-up) and 2 (wake-up) passed before the clear-to-send reads; at most the
    // bytes before the failing read went out.
    QCOMPARE(b.pty.LeeTodo(fallaDesde == 4 ? 500 : 50),
             fallaDesde == 4 ? QByteArray("X") : QByteArray());
}

void TestCommPort::operacionesConPuertoCerrado() {
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
}

void TestCommPort::leeCaracter() {
    Banco b;
    QString error = "left over";
    QVERIFY(b.Abre(error));
    // Nothing arrives: empty, and no error.
    error = "left over";
    QCOMPARE(b.puerto.ReadCommChar(error), QString());
    QCOMPARE(error, QString());
    // The printer answers: one character per read, in the ticket code page.
    QVERIFY(b.pty.Escribe(QByteArray::fromHex("41a4")));
    QCOMPARE(b.puerto.ReadCommChar(error), QString("A"));
    QCOMPARE(b.puerto.ReadCommChar(error), QString::fromUtf8("ñ"));
    QCOMPARE(b.puerto.ReadCommChar(error), QString());
    QCOMPARE(error, QString());
}

void TestCommPort::dtr() {
    Banco b;
    QString error;
    QVERIFY(b.Abre(error));
    error = "left over";
    b.puerto.DtrOff(error);
    QCOMPARE(error, QString());
    b.puerto.DtrOn(error);
    QCOMPARE(error, QString());
    QCOMPARE(b.guion->sucesos, (QStringList{"S", "DTR0", "DTR1"}));
    b.guion->dtrFalla = true;
    b.puerto.DtrOn(error);
    QCOMPARE(error, QString("Failed EscapeCommFunction() SETDTR"));
    b.puerto.DtrOff(error);
    QCOMPARE(error, QString("Failed EscapeCommFunction() CLRDTR"));
}

void TestCommPort::esperaRealAtiendeEventosYSeCancela_data() {
    QTest::addColumn<bool>("sinDsr");
    QTest::addColumn<QString>("error");
    QTest::newRow("in the wake-up") << true << "WriteComm: Cancelled";
    QTest::newRow("in the clear-to-send wait") << false << "Write Comm: Cancelled";
}

void TestCommPort::esperaRealAtiendeEventosYSeCancela() {
    QFETCH(bool, sinDsr);
    QFETCH(QString, error);
    Banco b;
    if (sinDsr)
        b.guion->dsrDesdeLectura = -1;
    else
        b.guion->ctsDesdeLectura = -1;
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
    b.guion->dsrDesdeLectura = 1;
    b.guion->ctsDesdeLectura = 1;
    reloj.stop();
    QVERIFY2(!b.puerto.WriteCommErr(QByteArray("B"), texto), qPrintable(texto));
    QCOMPARE(b.pty.LeeTodo(), QByteArray("B"));
}

QTEST_MAIN(TestCommPort)
#include "tst_commport.moc"
