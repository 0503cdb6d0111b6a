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
    void ordenes_data();
    void ordenes();
    void falloAlAbrir_data();
    void falloAlAbrir();
    void puertoDesaparece();
    void nombreDelPuerto_data();
    void nombreDelPuerto();
};

namespace {
// A controller of the given scale type and the scale's end of a real pseudo-terminal; what the
// controller delivers is kept as "M:text" (Mensaje) and "D:text" (MensajeDebug).
struct Banco {
    explicit Banco(int tipo) {
        v.SetTipoBascula(tipo);
        QObject::connect(&v, &VeltaSC::Mensaje, &v,
                         [this](const QString& t) { salida << "M:" + t; });
        QObject::connect(&v, &VeltaSC::MensajeDebug, &v,
                         [this](const QString& t) { salida << "D:" + t.left(11); });
    }
    // Opens the controller on the pseudo-terminal (the bench's own unless another is given).
    bool Abre(PseudoTerminal* otro = nullptr) {
        v.SetPuertoNombre((otro ? otro : &pty)->Ruta());
        return v.SetPortOpen(true) && v.PortOpen();
    }
    EntornoPrueba env;
    PseudoTerminal pty{PseudoTerminal::SoloMaestro};
    VeltaSC v;
    QStringList salida;
};
} // namespace

void TestVeltaSC::ajustesDeLinea() {
    // Each opening, also of an open port, sets the line settings of the type now set; an
    // unknown type leaves them as they were.
    Banco b(0);
    for (const int tipo : {0, 2, 1}) {
        b.v.SetTipoBascula(tipo);
        QVERIFY(b.Abre());
        const termios t = b.pty.Ajustes();
        QCOMPARE(cfgetispeed(&t), speed_t(B9600));
        QCOMPARE(cfgetospeed(&t), speed_t(B9600));
        QCOMPARE(t.c_cflag & (CSIZE | PARENB | CRTSCTS), tcflag_t(CS8));
        // "9600,N,8,2" with XON/XOFF for type 0, "9600,N,8,1" without flow control for type 1.
        QCOMPARE(bool(t.c_cflag & CSTOPB), tipo != 1);
        QCOMPARE(t.c_iflag & (IXON | IXOFF), tipo != 1 ? tcflag_t(IXON | IXOFF) : tcflag_t(0));
    }
}

void TestVeltaSC::lecturas_data() {
    // Pieces written one after the other, each read before the next is written; the first
    // character of a piece is the scale type set before it is written.
    QTest::addColumn<QList<QByteArray>>("trozos");
    QTest::addColumn<QStringList>("esperado");
    QTest::addColumn<QByteArray>("resto");
    QTest::newRow("tal como llega")
        << QList<QByteArray>{"0-  0.120 kg\r"} << QStringList{"M:-  0.120 kg"} << QByteArray();
    QTest::newRow("sin retorno: se completa después")
        << QList<QByteArray>{"0  3", "0.25", "00\r4.0"} << QStringList{"M:  3.250"}
        << QByteArray("4.0");
    QTest::newRow("tipo 1: dos saltos no cierran el bloque")
        << QList<QByteArray>{"1 WT: 12.340 KG\r\n\n\n WT: 1 Kg\n\n", "1\n"}
        << QStringList{"D: WT: 12.340", "M:12.340", "D: WT: 1 Kg", "M:1"} << QByteArray();
    // Another type reads nothing: the characters wait in the port until the type is known.
    QTest::newRow("otro tipo no lee") << QList<QByteArray>{"31.000\r", "02.000\r"}
                                      << QStringList{"M:1.000", "M:2.000"} << QByteArray();
    // More than the port's input buffer holds: the oldest are dropped, later ones still noticed;
    // what is left of the long line is reported, not read.
    QTest::newRow("otro tipo, más de lo que cabe")
        << QList<QByteArray>{"3" + QByteArray(5000, 'x') + "1.000\r", "02.000\r"}
        << QStringList{"D:Lectura de ", "M:2.000"} << QByteArray();
    // A scale in continuous mode: every reading that came is shown, in order, none left behind.
    QStringList muchas;
    QByteArray seguidas = "0";
    for (int i = 0; i < 2000; ++i) {
        muchas << "M:" + QString::number(i * 0.005, 'f', 3);
        seguidas += muchas.last().mid(2).toLatin1() + '\r';
    }
    QTest::newRow("2000 lecturas de una vez")
        << QList<QByteArray>{seguidas} << muchas << QByteArray();
}

void TestVeltaSC::lecturas() {
    QFETCH(QList<QByteArray>, trozos);
    QFETCH(QStringList, esperado);
    QFETCH(QByteArray, resto);
    Banco b(0);
    QVERIFY(b.Abre());
    for (const QByteArray& t : trozos) {
        const QByteArray antes = b.v.BufferRecepcion();
        const qsizetype entregadas = b.salida.size();
        b.v.SetTipoBascula(t.at(0) - '0');
        QVERIFY(b.pty.Escribe(t.mid(1)));
        if (b.v.TipoBascula() > 1) {
            QTest::qWait(100);
            QCOMPARE(b.salida.size(), entregadas);
            QCOMPARE(b.v.BufferRecepcion(), antes);
        } else {
            QTRY_VERIFY(b.salida.size() > entregadas || b.v.BufferRecepcion() != antes);
        }
    }
    QTRY_COMPARE(b.salida, esperado);
    QCOMPARE(b.v.BufferRecepcion(), resto);
    // Closing keeps what never ended a frame; it is completed after reopening.
    QVERIFY(b.v.SetPortOpen(false));
    QCOMPARE(b.v.BufferRecepcion(), resto);
    b.v.SetTipoBascula(0);
    QVERIFY(b.Abre());
    QVERIFY(b.pty.Escribe("5\r"));
    QTRY_COMPARE(b.salida.last(), "M:" + QString(resto) + "5");
}

void TestVeltaSC::ordenes_data() {
    QTest::addColumn<int>("tipo");
    QTest::addColumn<bool>("abierto");
    QTest::addColumn<int>("codigo");
    QTest::addColumn<QByteArray>("bytes");
    for (int c = 0; c <= 7; ++c)
        QTest::addRow("orden %d", c) << 0 << true << c << (QByteArray("S") + "0NBFCTDS"[c] + '\r');
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
    QVERIFY(!abierto || b.Abre());
    b.v.Comando(codigo);
    // As type 0 on the open port, a known command marks the end, so exactly these bytes and
    // nothing else came.
    b.v.SetTipoBascula(0);
    QVERIFY(abierto || b.Abre());
    b.v.Comando(VeltaSC::OrdenNumeroSerie);
    QCOMPARE(b.pty.Lee(bytes.size() + 3), bytes + "SS\r");
    QCOMPARE(b.pty.Lee(1, 50), QByteArray());
}

void TestVeltaSC::falloAlAbrir_data() {
    QTest::addColumn<QString>("queEs");
    QTest::newRow("no existe") << "falta";
    QTest::newRow("archivo corriente") << "archivo";
    QTest::newRow("nombre vacío y número 0") << "";
    QTest::newRow("en uso por otro") << "enUso";
}

void TestVeltaSC::falloAlAbrir() {
    QFETCH(QString, queEs);
    Banco b(0);
    QVERIFY(queEs != "enUso" || b.Abre());
    const QString ruta = queEs == "enUso"  ? b.pty.Ruta()
                         : queEs.isEmpty() ? QString()
                                           : b.env.Carpeta() + "/" + queEs;
    QFile f(ruta);
    QVERIFY(queEs != "archivo" || f.open(QIODevice::WriteOnly));
    VeltaSC v;
    v.SetPuertoNombre(ruta);
    v.SetPuerto(0);
    const Resultado abierto = v.SetPortOpen(true);
    QVERIFY(!abierto && !v.PortOpen());
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
    QVERIFY(b.Abre(pty.get()));
    pty.reset();
    QTRY_COMPARE(perdido.count(), 1);
    QVERIFY(!b.v.PortOpen());
    QVERIFY2(perdido.at(0).at(0).toString().contains(ruta),
             qPrintable(perdido.at(0).at(0).toString()));
    QTest::qWait(50);
    QCOMPARE(perdido.count(), 1);
    b.v.Comando(VeltaSC::OrdenPesoBruto); // harmless
    QVERIFY(b.Abre());
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
