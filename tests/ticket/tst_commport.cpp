// The serial ticket printer channel: bytes and line settings on a real pseudo-terminal, the
// wake-up and clear-to-send handshakes on scripted modem lines.

#include "lineasguionadas.h"
#include "support/pseudoterminal.h"
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
    PseudoTerminal pty;
    QVERIFY(pty.Valido());
    auto guion = std::make_shared<GuionLineas>();
    UsaLineasGuionadas lineas(guion);
    CommPort puerto;
    QString error;
    QVERIFY(!puerto.OpenCommErr(pty.Ruta(), error));
    QCOMPARE(error, QString());
    QVERIFY(puerto.EstaAbierto());

    QVERIFY(puerto.OpenCommErr(pty.Ruta(), error));
    QCOMPARE(error, pty.Ruta() + " is Already Open - Closing it");
    QVERIFY(!puerto.EstaAbierto());
    // The caller opens again.
    QVERIFY(!puerto.OpenCommErr(pty.Ruta(), error));
    QVERIFY(puerto.EstaAbierto());
}

void TestCommPort::puertoExclusivo() {
    PseudoTerminal pty;
    QVERIFY(pty.Valido());
    auto guion = std::make_shared<GuionLineas>();
    UsaLineasGuionadas lineas(guion);
    CommPort primero;
    CommPort segundo;
    QString error;
    QVERIFY(!primero.OpenCommErr(pty.Ruta(), error));
    QVERIFY(segundo.OpenCommErr(pty.Ruta(), error));
    QCOMPARE(error, "Error opening " + pty.Ruta());
    QVERIFY(!segundo.EstaAbierto());
}

void TestCommPort::cerrarLiberaElPuerto() {
    PseudoTerminal pty;
    QVERIFY(pty.Valido());
    auto guion = std::make_shared<GuionLineas>();
    UsaLineasGuionadas lineas(guion);
    QString error;
    {
        CommPort efimero;
        QVERIFY(!efimero.OpenCommErr(pty.Ruta(), error));
    } // destruction closes
    CommPort puerto;
    QVERIFY(!puerto.OpenCommErr(pty.Ruta(), error));
    error = "kept";
    QVERIFY(!puerto.CloseCommErr(error));
    QVERIFY(!puerto.EstaAbierto());
    // Closing with no port open does nothing, and leaves the caller's text alone.
    QVERIFY(!puerto.CloseCommErr(error));
    QCOMPARE(error, QString("kept"));
    CommPort otro;
    QVERIFY(!otro.OpenCommErr(pty.Ruta(), error));
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
    PseudoTerminal pty;
    QVERIFY(pty.Valido());
    auto guion = std::make_shared<GuionLineas>();
    UsaLineasGuionadas lineas(guion);
    CommPort puerto;
    puerto.SetLineaSerie(
        {bps, paridad, bitsDatos, CommPort::BitsParada(parada), CommPort::Flujo(flujo)});
    QString error;
    QVERIFY2(!puerto.OpenCommErr(pty.Ruta(), error), qPrintable(error));
    // The set-up read the modem status once.
    QCOMPARE(guion->sucesos, QStringList{"S"});

    const termios t = pty.Ajustes();
    QCOMPARE(pty.VelocidadSalida(), velocidad);
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
    PseudoTerminal pty;
    QVERIFY(pty.Valido());
    auto guion = std::make_shared<GuionLineas>();
    UsaLineasGuionadas lineas(guion);
    CommPort puerto;
    CommPort::Ajustes a;
    a.bps = bps;
    a.paridad = paridad;
    a.bitsDatos = bitsDatos;
    puerto.SetLineaSerie(a);
    QString error;
    QVERIFY(puerto.OpenCommErr(pty.Ruta(), error));
    QCOMPARE(error, QString("OpenComm: Error Setting Com State"));
    // A failed set-up leaves the port open for the caller to close.
    QVERIFY(puerto.EstaAbierto());
    QVERIFY(!puerto.CloseCommErr(error));
    QVERIFY(!puerto.EstaAbierto());
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
    PseudoTerminal pty;
    QVERIFY(pty.Valido());
    auto guion = std::make_shared<GuionLineas>();
    guion->fallaDesdeLectura = 1;
    UsaLineasGuionadas lineas(guion);
    CommPort puerto;
    QString error;
    QVERIFY(puerto.OpenCommErr(pty.Ruta(), error));
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
    PseudoTerminal pty;
    QVERIFY(pty.Valido());
    auto guion = std::make_shared<GuionLineas>();
    UsaLineasGuionadas lineas(guion);
    CommPort puerto;
    QString error;
    QVERIFY(!puerto.OpenCommErr(pty.Ruta(), error));
    QVERIFY2(!puerto.WriteCommErr(bytes, error), qPrintable(error));
    QCOMPARE(error, QString());
    QCOMPARE(pty.LeeTodo(bytes.isEmpty() ? 50 : 500), bytes);
    // Set-up read, wake-up read, then one clear-to-send read before each byte; no waits.
    QCOMPARE(guion->lecturas, 2 + int(bytes.size()));
    QCOMPARE(guion->sucesos.filter("W").size(), 0);
}

void TestCommPort::escribeTextoEnPaginaDeCodigos() {
    PseudoTerminal pty;
    QVERIFY(pty.Valido());
    auto guion = std::make_shared<GuionLineas>();
    UsaLineasGuionadas lineas(guion);
    CommPort puerto;
    QString error;
    QVERIFY(!puerto.OpenCommErr(pty.Ruta(), error));
    QVERIFY(!puerto.WriteCommErr(QString::fromUtf8("Señor €\n"), error));
    // IBM850: ñ is A4; the euro sign is not in it and goes out as "?".
    QCOMPARE(pty.LeeTodo(), QByteArray::fromHex("5365a46f72203f0a"));
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
    PseudoTerminal pty;
    QVERIFY(pty.Valido());
    auto guion = std::make_shared<GuionLineas>();
    guion->dsrDesdeLectura = dsrDesde;
    UsaLineasGuionadas lineas(guion);
    CommPort puerto;
    EsperasAlGuion(puerto, guion);
    QString texto;
    QVERIFY(!puerto.OpenCommErr(pty.Ruta(), texto));
    const bool fallo = puerto.WriteCommErr(QByteArray("A"), texto);
    QCOMPARE(fallo, !error.isEmpty());
    QCOMPARE(texto, error);
    QCOMPARE(guion->sucesos, esperado);
    QCOMPARE(pty.LeeTodo(fallo ? 50 : 500), fallo ? QByteArray() : QByteArray("A"));
}

void TestCommPort::ctsNuncaActivo() {
    PseudoTerminal pty;
    QVERIFY(pty.Valido());
    auto guion = std::make_shared<GuionLineas>();
    guion->ctsDesdeLectura = -1;
    UsaLineasGuionadas lineas(guion);
    CommPort puerto;
    EsperasAlGuion(puerto, guion);
    QString error;
    QVERIFY(!puerto.OpenCommErr(pty.Ruta(), error));
    QVERIFY(puerto.WriteCommErr(QByteArray("ABC"), error));
    QCOMPARE(error, QString("Write Comm: CTS Failure"));
    // 500 waits of 100 ms (about 50 s) between 501 reads of CTS, and nothing sent.
    QCOMPARE(guion->Cuenta("W100"), 500);
    QCOMPARE(guion->sucesos.filter(QRegularExpression("^W")).size(), 500);
    QCOMPARE(guion->lecturas, 2 + 501);
    QCOMPARE(pty.LeeTodo(50), QByteArray());
}

void TestCommPort::ctsTardio() {
    PseudoTerminal pty;
    QVERIFY(pty.Valido());
    auto guion = std::make_shared<GuionLineas>();
    // CTS comes on at the fifth read of the first byte's wait (reads 3 to 7).
    guion->ctsDesdeLectura = 7;
    UsaLineasGuionadas lineas(guion);
    CommPort puerto;
    EsperasAlGuion(puerto, guion);
    QString error;
    QVERIFY(!puerto.OpenCommErr(pty.Ruta(), error));
    QVERIFY2(!puerto.WriteCommErr(QByteArray("OK"), error), qPrintable(error));
    QCOMPARE(guion->Cuenta("W100"), 4);
    QCOMPARE(pty.LeeTodo(), QByteArray("OK"));
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
    PseudoTerminal pty;
    QVERIFY(pty.Valido());
    auto guion = std::make_shared<GuionLineas>();
    guion->fallaDesdeLectura = fallaDesde;
    UsaLineasGuionadas lineas(guion);
    CommPort puerto;
    EsperasAlGuion(puerto, guion);
    QString texto;
    QVERIFY(!puerto.OpenCommErr(pty.Ruta(), texto));
    QVERIFY(puerto.WriteCommErr(QByteArray("XYZ"), texto));
    QCOMPARE(texto, error);
    // Reads 1 (set-up) and 2 (wake-up) passed before the clear-to-send reads; at most the
    // bytes before the failing read went out.
    QCOMPARE(pty.LeeTodo(fallaDesde == 4 ? 500 : 50),
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
    PseudoTerminal pty;
    QVERIFY(pty.Valido());
    auto guion = std::make_shared<GuionLineas>();
    UsaLineasGuionadas lineas(guion);
    CommPort puerto;
    QString error = "left over";
    QVERIFY(!puerto.OpenCommErr(pty.Ruta(), error));
    // Nothing arrives: empty, and no error.
    error = "left over";
    QCOMPARE(puerto.ReadCommChar(error), QString());
    QCOMPARE(error, QString());
    // The printer answers: one character per read, in the ticket code page.
    QVERIFY(pty.Escribe(QByteArray::fromHex("41a4")));
    QCOMPARE(puerto.ReadCommChar(error), QString("A"));
    QCOMPARE(puerto.ReadCommChar(error), QString::fromUtf8("ñ"));
    QCOMPARE(puerto.ReadCommChar(error), QString());
    QCOMPARE(error, QString());
}

void TestCommPort::dtr() {
    PseudoTerminal pty;
    QVERIFY(pty.Valido());
    auto guion = std::make_shared<GuionLineas>();
    UsaLineasGuionadas lineas(guion);
    CommPort puerto;
    QString error;
    QVERIFY(!puerto.OpenCommErr(pty.Ruta(), error));
    error = "left over";
    puerto.DtrOff(error);
    QCOMPARE(error, QString());
    puerto.DtrOn(error);
    QCOMPARE(error, QString());
    QCOMPARE(guion->sucesos, (QStringList{"S", "DTR0", "DTR1"}));
    guion->dtrFalla = true;
    puerto.DtrOn(error);
    QCOMPARE(error, QString("Failed EscapeCommFunction() SETDTR"));
    puerto.DtrOff(error);
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
    PseudoTerminal pty;
    QVERIFY(pty.Valido());
    auto guion = std::make_shared<GuionLineas>();
    if (sinDsr)
        guion->dsrDesdeLectura = -1;
    else
        guion->ctsDesdeLectura = -1;
    UsaLineasGuionadas lineas(guion);
    CommPort puerto;
    QString texto;
    QVERIFY(!puerto.OpenCommErr(pty.Ruta(), texto));
    // The user interface keeps running during the wait: its timers fire, and one of them
    // cancels the write.
    int pulsaciones = 0;
    QTimer reloj;
    QObject::connect(&reloj, &QTimer::timeout, [&] {
        if (++pulsaciones == 5)
            puerto.Cancela();
    });
    reloj.start(30);
    QVERIFY(puerto.WriteCommErr(QByteArray("A"), texto));
    QCOMPARE(texto, error);
    QCOMPARE(pulsaciones, 5);
    QCOMPARE(pty.LeeTodo(50), QByteArray());
    // A new operation starts afresh after a cancel.
    guion->dsrDesdeLectura = 1;
    guion->ctsDesdeLectura = 1;
    reloj.stop();
    QVERIFY2(!puerto.WriteCommErr(QByteArray("B"), texto), qPrintable(texto));
    QCOMPARE(pty.LeeTodo(), QByteArray("B"));
}

QTEST_MAIN(TestCommPort)
#include "tst_commport.moc"
