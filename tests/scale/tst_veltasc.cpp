// The scale controller on real pseudo-terminals: the test plays the scale on the other end.
#include "scale/veltasc.h"
#include "support/entornoprueba.h"
#include "support/pseudoterminal.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

class tst_VeltaSC : public QObject {
    Q_OBJECT
private slots:
    void ajustesDeLinea();
    void lecturasTipo0_data();
    void lecturasTipo0();
    void lecturasTipo1();
    void otroTipoNoLee_data();
    void otroTipoNoLee();
    void ordenes_data();
    void ordenes();
    void cerrarConservaElBuffer();
    void falloAlAbrir_data();
    void falloAlAbrir();
    void puertoDesaparece();
    void puertoPorNumero();
};

namespace {
bool TieneBandera(tcflag_t campo, tcflag_t bandera) {
    return (campo & bandera) == bandera;
}

// A controller and the scale's end of a real pseudo-terminal, on its own settings and database
// with the scale type set.
struct Banco {
    explicit Banco(int tipo) {
        d.SetTipoBascula(tipo);
        QObject::connect(&v, &VeltaSC::Mensaje, &v, [this](const QString& t) { mensajes << t; });
    }
    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    PseudoTerminal pty{PseudoTerminal::SoloMaestro};
    VeltaSC v;
    QStringList mensajes;
};

// Opens the controller on the pseudo-terminal (the bench's own unless another is given); fails
// the test if it cannot.
void Abre(Banco& b, PseudoTerminal* pty = nullptr) {
    b.v.SetPuertoNombre((pty ? pty : &b.pty)->Ruta());
    QVERIFY2(b.v.SetPortOpen(true), qPrintable(b.v.UltimoError()));
    QVERIFY(b.v.PortOpen());
}
} // namespace

void tst_VeltaSC::ajustesDeLinea() {
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
    b.d.SetTipoBascula(2);
    Abre(b);
    comprueba(true, true);
    b.d.SetTipoBascula(1);
    Abre(b);
    comprueba(false, false); // "9600,N,8,1" without flow control
    QVERIFY(b.pty.Escribe(" WT:  4.5 Kg\r\n\n\n"));
    QTRY_COMPARE(b.mensajes, QStringList{"4.5"});
}

void tst_VeltaSC::lecturasTipo0_data() {
    QTest::addColumn<QList<QByteArray>>("trozos");
    QTest::addColumn<QStringList>("esperado");
    QTest::addColumn<QByteArray>("resto");
    QTest::newRow("tal como llega")
        << QList<QByteArray>{"-  0.120 kg\r"} << QStringList{"-  0.120 kg"} << QByteArray();
    QTest::newRow("sin retorno: se completa después")
        << QList<QByteArray>{"  3", ".25", "0\r4.0"} << QStringList{"  3.250"} << QByteArray("4.0");
    // A scale in continuous mode: every reading that came is shown, in order, none left behind.
    QStringList muchas;
    QByteArray seguidas;
    for (int i = 0; i < 2000; ++i) {
        muchas << QString::number(i * 0.005, 'f', 3);
        seguidas += muchas.last().toLatin1() + '\r';
    }
    QTest::newRow("2000 lecturas de una vez")
        << QList<QByteArray>{seguidas} << muchas << QByteArray();
}

void tst_VeltaSC::lecturasTipo0() {
    QFETCH(QList<QByteArray>, trozos);
    QFETCH(QStringList, esperado);
    QFETCH(QByteArray, resto);
    Banco b(0);
    Abre(b);
    qsizetype escrito = 0;
    for (const QByteArray& t : trozos) {
        QVERIFY(b.pty.Escribe(t));
        escrito += t.size();
        // Each piece is read before the next one is written.
        QTRY_COMPARE(b.mensajes.join(QString()).size() + b.mensajes.size() +
                         b.v.BufferRecepcion().size(),
                     escrito);
    }
    QCOMPARE(b.mensajes, esperado);
    QCOMPARE(b.v.BufferRecepcion(), resto);
}

void tst_VeltaSC::lecturasTipo1() {
    Banco b(1);
    QStringList depuracion;
    connect(&b.v, &VeltaSC::MensajeDebug, this, [&](const QString& t) { depuracion << t; });
    Abre(b);
    const QByteArray bloque = "   BASCULA\r\n WT:    12.340 KG\r\n TARA  0 Kg";
    QVERIFY(b.pty.Escribe(bloque + "\n\n"));
    QTRY_COMPARE(b.v.BufferRecepcion().size(), bloque.size() + 2);
    QVERIFY(b.mensajes.isEmpty()); // two line feeds do not end a block
    QVERIFY(depuracion.isEmpty());
    QVERIFY(b.pty.Escribe("\n"));
    QTRY_COMPARE(b.mensajes, QStringList{"12.340"});
    QCOMPARE(depuracion, (QStringList{"   BASCULA", " WT:    12.340 KG", " TARA  0 Kg"}));
    QVERIFY(b.v.BufferRecepcion().isEmpty());
}

void tst_VeltaSC::otroTipoNoLee_data() {
    QTest::addColumn<int>("relleno");
    QTest::newRow("unos caracteres") << 0;
    // More than the port's input buffer holds: the oldest are dropped, later ones still noticed.
    QTest::newRow("más de lo que cabe") << 5000;
}

void tst_VeltaSC::otroTipoNoLee() {
    // With an unknown type nothing is read or shown; the characters wait in the port and are
    // read once the type is one the controller knows.
    QFETCH(int, relleno);
    Banco b(0);
    Abre(b);
    b.d.SetTipoBascula(3);
    QVERIFY(b.pty.Escribe(QByteArray(relleno, 'x') + "1.000\r"));
    QTest::qWait(100);
    QVERIFY(b.mensajes.isEmpty());
    QVERIFY(b.v.BufferRecepcion().isEmpty());
    b.d.SetTipoBascula(0);
    QVERIFY(b.pty.Escribe("2.000\r"));
    QTRY_COMPARE(b.mensajes.size(), 2);
    QVERIFY2(b.mensajes.at(0).endsWith("1.000") && b.mensajes.at(0).size() <= 2048,
             qPrintable(QString::number(b.mensajes.at(0).size())));
    QCOMPARE(b.mensajes.at(0).size() == 5, relleno == 0);
    QCOMPARE(b.mensajes.at(1), QString("2.000"));
}

void tst_VeltaSC::ordenes_data() {
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

void tst_VeltaSC::ordenes() {
    QFETCH(int, tipo);
    QFETCH(bool, abierto);
    QFETCH(int, codigo);
    QFETCH(QByteArray, bytes);
    Banco b(tipo);
    if (abierto)
        Abre(b);
    b.v.Comando(codigo);
    // The type is read at every command: as type 0 on the open port, a known command marks the
    // end, so exactly these bytes and nothing else came.
    b.d.SetTipoBascula(0);
    if (!abierto)
        Abre(b);
    b.v.Comando(VeltaSC::OrdenNumeroSerie);
    const QByteArray esperado = bytes + "SS\r";
    QCOMPARE(b.pty.Lee(esperado.size()), esperado);
    QCOMPARE(b.pty.Lee(1, 50), QByteArray());
}

void tst_VeltaSC::cerrarConservaElBuffer() {
    Banco b(0);
    Abre(b);
    QVERIFY(b.pty.Escribe("12."));
    QTRY_COMPARE(b.v.BufferRecepcion(), QByteArray("12."));
    QVERIFY(b.v.SetPortOpen(false));
    QVERIFY(!b.v.PortOpen());
    QCOMPARE(b.v.BufferRecepcion(), QByteArray("12."));
    Abre(b);
    QVERIFY(b.pty.Escribe("5\r"));
    QTRY_COMPARE(b.mensajes, QStringList{"12.5"});
}

void tst_VeltaSC::falloAlAbrir_data() {
    QTest::addColumn<QString>("queEs");
    QTest::newRow("no existe") << "falta";
    QTest::newRow("archivo corriente") << "archivo";
    QTest::newRow("nombre vacío y número 0") << "vacio";
    QTest::newRow("en uso por otro") << "enUso";
}

void tst_VeltaSC::falloAlAbrir() {
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
    QVERIFY(!v.SetPortOpen(true));
    QVERIFY(!v.PortOpen());
    QVERIFY(!v.UltimoError().isEmpty());
    QVERIFY2(v.UltimoError().contains(ruta), qPrintable(v.UltimoError()));
    // Commands on the failed port are dropped; closing again is harmless; a port already in
    // use stays with its first user.
    v.Comando(VeltaSC::OrdenPesoBruto);
    QVERIFY(v.SetPortOpen(false));
    b.v.Comando(VeltaSC::OrdenTarado);
    QCOMPARE(b.pty.Lee(3, 200), queEs == "enUso" ? QByteArray("ST\r") : QByteArray());
}

void tst_VeltaSC::puertoDesaparece() {
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
    QCOMPARE(b.v.UltimoError(), texto);
    QTest::qWait(50);
    QCOMPARE(perdido.count(), 1);
    b.v.Comando(VeltaSC::OrdenPesoBruto); // harmless
    Abre(b);
    b.v.Comando(VeltaSC::OrdenPesoBruto);
    QCOMPARE(b.pty.Lee(3), QByteArray("SB\r"));
}

void tst_VeltaSC::puertoPorNumero() {
    // Without a port name the number is used, 1 when the controller is created.
    VeltaSC v;
#ifdef Q_OS_WIN
    QCOMPARE(v.NombreSistema(), QString("COM1"));
#else
    QCOMPARE(v.NombreSistema(), QString("/dev/ttyS0"));
#endif
    v.SetPuertoNombre("/dev/pts/9");
    QCOMPARE(v.NombreSistema(), QString("/dev/pts/9"));
}

QTEST_GUILESS_MAIN(tst_VeltaSC)
#include "tst_veltasc.moc"
