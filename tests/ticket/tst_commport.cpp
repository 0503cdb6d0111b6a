// The serial ticket printer channel: bytes and line settings on a real pseudo-terminal, the
// wake-up and clear-to-send handshakes on scripted modem lines.

#include "lineasguionadas.h"
#include "ticket/commport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// A channel on a scripted serial printer.
struct Banco : ImpresoraGuionada {
    CommPort puerto;
    // Opens the channel on the printer's pseudo-terminal; false if either fails.
    bool Abre(QString& error) { return pty.Valido() && !puerto.OpenCommErr(pty.Ruta(), error); }
    // The waits are only written to the log, so long handshakes run at once.
    void EsperasAlGuion() {
        puerto.SetEspera([g = guion](int ms) {
            g->sucesos << QStringLiteral("W%1").arg(ms);
            return true;
        });
    }
};

QStringList Pulsos(int n) {
    QStringList s;
    for (int i = 0; i < n; ++i)
        s << QStringList{"S", "DTR0", "W100", "DTR1", "W1000"};
    return s;
}

} // namespace

class TestCommPort : public QObject {
    Q_OBJECT

private slots:
    void rutaPuerto_data();
    void rutaPuerto();
    void abreYCierra();
    void aperturaIncompleta_data();
    void aperturaIncompleta();
    void escribe_data();
    void escribe();
    void despertar_data();
    void despertar();
    void escrituraFallida_data();
    void escrituraFallida();
    void operacionesConPuertoCerrado();
    void leeCaracter();
    void esperaRealAtiendeEventosYSeCancela_data();
    void esperaRealAtiendeEventosYSeCancela();
};

void TestCommPort::rutaPuerto_data() {
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<QString>("ruta");
    QTest::newRow("com12 lower case") << QString("com12") << QString("/dev/ttyS11");
    QTest::newRow("COM0 has no port") << QString("COM0") << QString();
    QTest::newRow("device name without regard to case") << QString("NULL") << QString("/dev/null");
}

void TestCommPort::rutaPuerto() {
    QFETCH(QString, nombre);
    QFETCH(QString, ruta);
    QCOMPARE(CommPort::RutaPuerto(nombre), ruta);
}

void TestCommPort::abreYCierra() {
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
    {
        // The port is exclusive.
        CommPort otro;
        QVERIFY(otro.OpenCommErr(b.pty.Ruta(), error));
        QCOMPARE(error, "Error opening " + b.pty.Ruta());
    }
    error = "kept";
    QVERIFY(!b.puerto.CloseCommErr(error));
    QVERIFY(!b.puerto.EstaAbierto());
    // Closing with no port open does nothing, and leaves the caller's text alone.
    QVERIFY(!b.puerto.CloseCommErr(error));
    QCOMPARE(error, QString("kept"));
    {
        CommPort efimero;
        QVERIFY(!efimero.OpenCommErr(b.pty.Ruta(), error));
    } // destruction closes
    QVERIFY(b.Abre(error));
}

void TestCommPort::aperturaIncompleta_data() {
    QTest::addColumn<bool>("terminal");
    QTest::addColumn<QString>("error");
    QTest::newRow("4 data bits, which no port offers")
        << true << "OpenComm: Error Setting Com State";
    QTest::newRow("a file, not a terminal") << false << "OpenComm: Error Getting %1 parameters";
}

void TestCommPort::aperturaIncompleta() {
    // A failed set-up leaves the port open for the caller to close.
    QFETCH(bool, terminal);
    QFETCH(QString, error);
    Banco b;
    QTemporaryDir dir;
    QString ruta = b.pty.Ruta();
    if (!terminal) {
        ruta = dir.filePath("no-terminal");
        QFile f(ruta);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    b.puerto.SetLineaSerie({19200, 'N', terminal ? 4 : 8});
    QString texto;
    QVERIFY(b.puerto.OpenCommErr(ruta, texto));
    QCOMPARE(texto, error.arg(ruta));
    QVERIFY(b.puerto.EstaAbierto());
    QVERIFY(!b.puerto.CloseCommErr(texto));
    QVERIFY(!b.puerto.EstaAbierto());
}

void TestCommPort::escribe_data() {
    QTest::addColumn<QString>("pagina");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QByteArray>("bytes");
    QByteArray todos;
    for (int i = 0; i < 256; ++i)
        todos.append(char(i));
    QTest::newRow("every byte") << "" << QString() << todos;
    // Text goes out in the channel's code page; a character it lacks goes out as "?".
    QTest::newRow("IBM850 by default")
        << "" << QString::fromUtf8("Señor €\n") << QByteArray::fromHex("5365a46f72203f0a");
    QTest::newRow("Windows-1252") << "windows-1252" << QString::fromUtf8("Señor €\n")
                                  << QByteArray::fromHex("5365f16f7220800a");
}

void TestCommPort::escribe() {
    QFETCH(QString, pagina);
    QFETCH(QString, texto);
    QFETCH(QByteArray, bytes);
    Banco b;
    b.puerto.SetPagina(pagina);
    QString error;
    QVERIFY(b.Abre(error));
    const bool fallo =
        texto.isEmpty() ? b.puerto.WriteCommErr(bytes, error) : b.puerto.WriteCommErr(texto, error);
    QVERIFY2(!fallo, qPrintable(error));
    QCOMPARE(error, QString());
    QCOMPARE(b.pty.LeeTodo(500), bytes);
    // Set-up read, wake-up read, then one clear-to-send read before each byte; no waits.
    QCOMPARE(b.guion->lecturas, 2 + int(bytes.size()));
    QCOMPARE(b.guion->sucesos.filter("W").size(), 0);
}

void TestCommPort::despertar_data() {
    QTest::addColumn<int>("dsrDesde");
    QTest::addColumn<QStringList>("esperado");
    QTest::addColumn<QString>("error");
    // Read 1 is the set-up's; the wake-up checks are reads 2 to 5.
    QTest::newRow("DSR on at once") << 2 << (QStringList{"S", "S", "S"}) << "";
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

void TestCommPort::escrituraFallida_data() {
    QTest::addColumn<int>("ctsDesde");
    QTest::addColumn<int>("fallaDesde");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QByteArray>("enviado");
    QTest::addColumn<int>("esperas");
    // 500 waits of 100 ms (about 50 s) between 501 reads of CTS, and nothing sent.
    QTest::newRow("CTS never on") << -1 << -1 << "Write Comm: CTS Failure" << QByteArray() << 500;
    QTest::newRow("status unreadable at the set-up")
        << 1 << 1 << "OpenComm: Failed GetCommModemStatus()" << QByteArray() << 0;
    QTest::newRow("status unreadable during the wake-up")
        << 1 << 2 << "WriteComm: Failed GetCommModemStatus()" << QByteArray() << 0;
    // Reads 1 (set-up), 2 (wake-up) and 3 (first byte) pass; the second byte's read fails.
    QTest::newRow("status unreadable during the clear-to-send wait")
        << 1 << 4 << "Failed GetCommModemStatus" << QByteArray("X") << 0;
}

void TestCommPort::escrituraFallida() {
    QFETCH(int, ctsDesde);
    QFETCH(int, fallaDesde);
    QFETCH(QString, error);
    QFETCH(QByteArray, enviado);
    QFETCH(int, esperas);
    Banco b;
    b.guion->ctsDesdeLectura = ctsDesde;
    b.guion->fallaDesdeLectura = fallaDesde;
    b.EsperasAlGuion();
    QString texto;
    if (b.Abre(texto))
        QVERIFY(b.puerto.WriteCommErr(QByteArray("XYZ"), texto));
    QCOMPARE(texto, error);
    QCOMPARE(b.guion->sucesos.count("W100"), esperas);
    QCOMPARE(b.guion->sucesos.filter("W").size(), esperas);
    QCOMPARE(b.pty.LeeTodo(enviado.isEmpty() ? 50 : 500), enviado);
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

    Banco b;
    QVERIFY(b.Abre(error));
    b.puerto.DtrOff(error);
    QCOMPARE(error, QString());
    b.puerto.DtrOn(error);
    QCOMPARE(error, QString());
    QCOMPARE(b.guion->sucesos, (QStringList{"S", "DTR0", "DTR1"}));
}

void TestCommPort::leeCaracter() {
    Banco b;
    QString error;
    QVERIFY(b.Abre(error));
    // Nothing arrives: empty, and no error.
    error = "left over";
    QCOMPARE(b.puerto.ReadCommChar(error), QString());
    QCOMPARE(error, QString());
    // The printer answers: one character per read, in the channel's code page.
    QVERIFY(b.pty.Escribe(QByteArray::fromHex("41a4")));
    QCOMPARE(b.puerto.ReadCommChar(error), QString("A"));
    QCOMPARE(b.puerto.ReadCommChar(error), QString::fromUtf8("ñ"));
    QCOMPARE(b.puerto.ReadCommChar(error), QString());
    QCOMPARE(error, QString());
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
    (sinDsr ? b.guion->dsrDesdeLectura : b.guion->ctsDesdeLectura) = -1;
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
