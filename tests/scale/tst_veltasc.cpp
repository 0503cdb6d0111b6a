// The scale controller on real pseudo-terminals: the test plays the scale on the other end.
#include "scale/veltasc.h"
#include "support/entornoprueba.h"
#include "support/pseudoterminal.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

class TestVeltaSC : public QObject {
    Q_OBJECT
private slots:
    void ajustesDeLinea();
    void lecturas_data();
    void lecturas();
    void otroTipoNoLee_data();
    void otroTipoNoLee();
    void ordenes_data();
    void ordenes();
    void falloAlAbrir_data();
    void falloAlAbrir();
    void puertoDesaparece();
    void nombreDelPuerto_data();
    void nombreDelPuerto();
};

namespace {
bool TieneBandera(tcflag_t campo, tcflag_t bandera) {
    return (campo & bandera) == bandera;
}

// A controller of the given scale type and the scale's end of a real pseudo-terminal; what the
// controller delivers is kept as "M:text" (Mensaje) and "D:text" (MensajeDebug).
struct Banco {
    explicit Banco(int tipo) {
        v.SetTipoBascula(tipo);
        QObject::connect(&v, &VeltaSC::Mensaje, &v,
                         [this](const QString& t) { salida << "M:" + t; });
        QObject::connect(&v, &VeltaSC::MensajeDebug, &v,
                         [this](const QString& t) { salida << "D:" + t; });
    }
    EntornoPrueba env;
    PseudoTerminal pty{PseudoTerminal::SoloMaestro};
    VeltaSC v;
    QStringList salida;
};

// Opens the controller on the pseudo-terminal (the bench's own unless another is given); fails
// the test if it cannot.
void Abre(Banco& b, PseudoTerminal* pty = nullptr) {
    b.v.SetPuertoNombre((pty ? pty : &b.pty)->Ruta());
    const Resultado abierto = b.v.SetPortOpen(true);
    QVERIFY2(abierto, qPrintable(abierto.Error()));
    QVERIFY(b.v.PortOpen());
}
} // namespace

void TestVeltaSC::ajustesDeLinea() {
    // Each opening, also of an open port, sets the line settings of the type now set; an
    // unknown type leaves them as they were.
    Banco b(0);
    const auto comprueba = [&b](bool dosBitsParada, bool xonXoff) {
        const termios t = b.pty.Ajustes();
        QCOMPARE(cfgetispeed(&t), speed_t(B9600));
        QCOMPARE(cfgetospeed(&t), speed_t(B9600));
        QCOMPARE(t.c_cflag & CSIZE, tcflag_t(CS8));
        QVERIFY(!TieneBandera(t.c_cflag, PARENB));
        QCOMPARE(TieneBandera(t.c_cflag, CSTOPB), dosBitsParada);
        QCOMPARE(TieneBandera(t.c_iflag, IXON), xonXoff);
        QCOMPARE(TieneBandera(t.c_iflag, IXOFF), xonXoff);
        QVERIFY(!TieneBandera(t.c_cflag, CRTSCTS));
    };
    Abre(b);
    comprueba(true, true); // "9600,N,8,2" with XON/XOFF
    b.v.SetTipoBascula(2);
    Abre(b);
    comprueba(true, true);
    b.v.SetTipoBascula(1);
    Abre(b);
    comprueba(false, false); // "9600,N,8,1" without flow control
}

void TestVeltaSC::lecturas_data() {
    QTest::addColumn<int>("tipo");
    QTest::addColumn<QList<QByteArray>>("trozos");
    QTest::addColumn<QStringList>("esperado");
    QTest::addColumn<QByteArray>("resto");
    QTest::newRow("tal como llega")
        << 0 << QList<QByteArray>{"-  0.120 kg\r"} << QStringList{"M:-  0.120 kg"} << QByteArray();
    QTest::newRow("sin retorno: se completa después")
        << 0 << QList<QByteArray>{"  3", ".25", "0\r4.0"} << QStringList{"M:  3.250"}
        << QByteArray("4.0");
    QTest::newRow("una lectura de 300 caracteres no se entrega")
        << 0 << QList<QByteArray>{QByteArray(300, '7') + "\r1\r"}
        << QStringList{"D:Lectura de 300 caracteres descartada (más de 256): "
                       "77777777777777777777...",
                       "M:1"}
        << QByteArray();
    QTest::newRow("tipo 1: bloque en dos trozos")
        << 1 << QList<QByteArray>{" WT:    12.340 KG\r\n TARA\n\n", "\n"}
        << QStringList{"D: WT:    12.340 KG", "M:12.340", "D: TARA"} << QByteArray();
    // A scale in continuous mode: every reading that came is shown, in order, none left behind.
    QStringList muchas;
    QByteArray seguidas;
    for (int i = 0; i < 2000; ++i) {
        muchas << "M:" + QString::number(i * 0.005, 'f', 3);
        seguidas += muchas.last().mid(2).toLatin1() + '\r';
    }
    QTest::newRow("2000 lecturas de una vez")
        << 0 << QList<QByteArray>{seguidas} << muchas << QByteArray();
}

void TestVeltaSC::lecturas() {
    QFETCH(int, tipo);
    QFETCH(QList<QByteArray>, trozos);
    QFETCH(QStringList, esperado);
    QFETCH(QByteArray, resto);
    Banco b(tipo);
    Abre(b);
    for (const QByteArray& t : trozos) {
        // Each piece is read before the next one is written.
        const QByteArray antes = b.v.BufferRecepcion();
        const qsizetype entregadas = b.salida.size();
        QVERIFY(b.pty.Escribe(t));
        QTRY_VERIFY(b.salida.size() > entregadas || b.v.BufferRecepcion() != antes);
    }
    QTRY_COMPARE(b.salida, esperado);
    QCOMPARE(b.v.BufferRecepcion(), resto);
    // Closing keeps what never ended a frame; it is completed after reopening.
    QVERIFY(b.v.SetPortOpen(false));
    QCOMPARE(b.v.BufferRecepcion(), resto);
    Abre(b);
    QVERIFY(b.pty.Escribe(tipo == 0 ? "5\r" : " WT: 5 Kg\n\n\n"));
    QTRY_COMPARE(b.salida.last(), "M:" + QString(tipo == 0 ? resto + "5" : "5"));
}

void TestVeltaSC::otroTipoNoLee_data() {
    QTest::addColumn<int>("relleno");
    QTest::newRow("unos caracteres") << 0;
    // More than the port's input buffer holds: the oldest are dropped, later ones still noticed.
    QTest::newRow("más de lo que cabe") << 5000;
}

void TestVeltaSC::otroTipoNoLee() {
    // With an unknown type nothing is read or shown; the characters wait in the port and are
    // read once the type is one the controller knows.
    QFETCH(int, relleno);
    Banco b(0);
    Abre(b);
    b.v.SetTipoBascula(3);
    QVERIFY(b.pty.Escribe(QByteArray(relleno, 'x') + "1.000\r"));
    QTest::qWait(100);
    QVERIFY(b.salida.isEmpty());
    QVERIFY(b.v.BufferRecepcion().isEmpty());
    b.v.SetTipoBascula(0);
    QVERIFY(b.pty.Escribe("2.000\r"));
    QTRY_COMPARE(b.salida.size(), 2);
    // What is left of the long line is reported as too long; the short one is read as it was.
    QCOMPARE(b.salida.at(0).startsWith("D:"), relleno > 0);
    QCOMPARE(b.salida.at(0) == "M:1.000", relleno == 0);
    QCOMPARE(b.salida.at(1), QString("M:2.000"));
}

void TestVeltaSC::ordenes_data() {
    QTest::addColumn<int>("tipo");
    QTest::addColumn<bool>("abierto");
    QTest::addColumn<int>("codigo");
    QTest::addColumn<QByteArray>("bytes");
    const char* const letras = "0NBFCTDS";
    for (int c = 0; c <= 7; ++c)
        QTest::addRow("orden %d", c) << 0 << true << c << (QByteArray("S") + letras[c] + '\r');
    QTest::newRow("8: nada") << 0 << true << 8 << QByteArray();
    QTest::newRow("-1: nada") << 0 << true << -1 << QByteArray();
    QTest::newRow("cerrado: nada") << 0 << false << 2 << QByteArray();
    QTest::newRow("tipo 1: nada") << 1 << true << 2 << QByteArray();
    QTest::newRow("tipo 2: nada") << 2 << true << 2 << QByteArray();
}

void TestVeltaSC::ordenes() {
    QFETCH(int, tipo);
    QFETCH(bool, abierto);
    QFETCH(int, codigo);
    QFETCH(QByteArray, bytes);
    Banco b(tipo);
    if (abierto)
        Abre(b);
    b.v.Comando(codigo);
    // As type 0 on the open port, a known command marks the end, so exactly these bytes and
    // nothing else came.
    b.v.SetTipoBascula(0);
    if (!abierto)
        Abre(b);
    b.v.Comando(VeltaSC::OrdenNumeroSerie);
    const QByteArray esperado = bytes + "SS\r";
    QCOMPARE(b.pty.Lee(esperado.size()), esperado);
    QCOMPARE(b.pty.Lee(1, 50), QByteArray());
}

void TestVeltaSC::falloAlAbrir_data() {
    QTest::addColumn<QString>("queEs");
    QTest::newRow("no existe") << "falta";
    QTest::newRow("archivo corriente") << "archivo";
    QTest::newRow("nombre vacío y número 0") << "vacio";
    QTest::newRow("en uso por otro") << "enUso";
}

void TestVeltaSC::falloAlAbrir() {
    QFETCH(QString, queEs);
    Banco b(0);
    if (queEs == "enUso")
        Abre(b);
    QString ruta = queEs == "enUso" ? b.pty.Ruta() : b.env.Carpeta() + "/" + queEs;
    if (queEs == "vacio")
        ruta.clear();
    if (queEs == "archivo") {
        QFile f(ruta);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    VeltaSC v;
    v.SetPuertoNombre(ruta);
    v.SetPuerto(0);
    const Resultado abierto = v.SetPortOpen(true);
    QVERIFY(!abierto);
    QVERIFY(!v.PortOpen());
    QVERIFY2(abierto.Error().startsWith("No se puede abrir el puerto " + ruta + ": "),
             qPrintable(abierto.Error()));
    // Commands on the failed port are dropped; closing again is harmless; a port already in
    // use stays with its first user.
    v.Comando(VeltaSC::OrdenPesoBruto);
    QVERIFY(v.SetPortOpen(false));
    b.v.Comando(VeltaSC::OrdenTarado);
    QCOMPARE(b.pty.Lee(3, 200), queEs == "enUso" ? QByteArray("ST\r") : QByteArray());
}

void TestVeltaSC::puertoDesaparece() {
    // The other end goes away while open (an adapter pulled out): reported once, controller
    // closed, and it can be opened again on another port.
    Banco b(0);
    auto pty = std::make_unique<PseudoTerminal>(PseudoTerminal::SoloMaestro);
    const QString ruta = pty->Ruta();
    QSignalSpy perdido(&b.v, &VeltaSC::PuertoPerdido);
    Abre(b, pty.get());
    pty.reset();
    QTRY_COMPARE(perdido.count(), 1);
    QVERIFY(!b.v.PortOpen());
    const QString texto = perdido.at(0).at(0).toString();
    QVERIFY2(texto.contains(ruta), qPrintable(texto));
    QTest::qWait(50);
    QCOMPARE(perdido.count(), 1);
    b.v.Comando(VeltaSC::OrdenPesoBruto); // harmless
    Abre(b);
    b.v.Comando(VeltaSC::OrdenPesoBruto);
    QCOMPARE(b.pty.Lee(3), QByteArray("SB\r"));
}

void TestVeltaSC::nombreDelPuerto_data() {
    QTest::addColumn<int>("numero");
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<QString>("sistema");
    QTest::newRow("1, el primer puerto serie") << 1 << ""
                                               << "/dev/ttyS0";
    QTest::newRow("12") << 12 << ""
                        << "/dev/ttyS11";
    QTest::newRow("0: ninguno") << 0 << ""
                                << "";
    QTest::newRow("nombre en blanco: el número") << 2 << "  "
                                                 << "/dev/ttyS1";
    QTest::newRow("el nombre manda") << 3 << "/dev/pts/9"
                                     << "/dev/pts/9";
}

void TestVeltaSC::nombreDelPuerto() {
    QFETCH(int, numero);
    QFETCH(QString, nombre);
    QFETCH(QString, sistema);
    VeltaSC v;
    QCOMPARE(v.Puerto(), qint16(1));
    v.SetPuerto(qint16(numero));
    v.SetPuertoNombre(nombre);
    QCOMPARE(v.NombreSistema(), sistema);
}

QTEST_GUILESS_MAIN(TestVeltaSC)
#include "tst_veltasc.moc"
