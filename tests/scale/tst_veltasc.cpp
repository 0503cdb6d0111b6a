// The scale controller on real pseudo-terminals: the test plays the scale on the other end.
#include "scale/veltasc.h"
#include "support/entornoprueba.h"
#include "support/pseudoterminal.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class tst_VeltaSC : public QObject {
    Q_OBJECT
private slots:
    void creadoCerrado();
    void ajustesDeLinea_data();
    void ajustesDeLinea();
    void otroTipoDejaLosAjustes_data();
    void otroTipoDejaLosAjustes();
    void lecturasTipo0_data();
    void lecturasTipo0();
    void lecturasTipo1();
    void otroTipoNoLee();
    void bufferLimitado();
    void ordenes_data();
    void ordenes();
    void nadaSeEnviaCerradoNiTipo1_data();
    void nadaSeEnviaCerradoNiTipo1();
    void reabrirReabre();
    void cerrarConservaElBuffer();
    void falloAlAbrir_data();
    void falloAlAbrir();
    void puertoEnUso();
    void puertoDesaparece();
    void nombrePorNumero();
};

namespace {
bool TieneBandera(tcflag_t campo, tcflag_t bandera) {
    return (campo & bandera) == bandera;
}

// A controller and the scale's end of a real pseudo-terminal, on its own settings and database
// with the scale type set.
struct Banco {
    explicit Banco(int tipo) { d.SetTipoBascula(tipo); }
    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    PseudoTerminal pty{PseudoTerminal::SoloMaestro};
    VeltaSC v;
};

// Opens the controller on the pseudo-terminal; fails the test if it cannot.
void Abre(VeltaSC& v, const PseudoTerminal& pty) {
    v.SetPuertoNombre(pty.Ruta());
    QVERIFY2(v.SetPortOpen(true), qPrintable(v.UltimoError()));
    QVERIFY(v.PortOpen());
}
} // namespace

void tst_VeltaSC::creadoCerrado() {
    EntornoPrueba env;
    env.DatosConBase();
    VeltaSC v;
    QVERIFY(!v.PortOpen());
    QCOMPARE(v.Puerto(), qint16(1));
    QVERIFY(v.BufferRecepcion().isEmpty());
    QSignalSpy mensajes(&v, &VeltaSC::Mensaje);
    v.Comando(VeltaSC::OrdenPesoBruto); // dropped: closed
    QVERIFY(!v.PortOpen());
    QCOMPARE(mensajes.count(), 0);
}

void tst_VeltaSC::ajustesDeLinea_data() {
    QTest::addColumn<int>("tipo");
    QTest::addColumn<bool>("dosBitsParada");
    QTest::addColumn<bool>("xonXoff");
    QTest::newRow("tipo 0: 9600,N,8,2 con XON/XOFF") << 0 << true << true;
    QTest::newRow("tipo 1: 9600,N,8,1 sin control de flujo") << 1 << false << false;
}

void tst_VeltaSC::ajustesDeLinea() {
    QFETCH(int, tipo);
    QFETCH(bool, dosBitsParada);
    QFETCH(bool, xonXoff);
    Banco b(tipo);
    Abre(b.v, b.pty);
    const termios t = b.pty.Ajustes();
    QCOMPARE(cfgetispeed(&t), speed_t(B9600));
    QCOMPARE(cfgetospeed(&t), speed_t(B9600));
    QCOMPARE(t.c_cflag & CSIZE, tcflag_t(CS8));
    QVERIFY(!TieneBandera(t.c_cflag, PARENB));
    QCOMPARE(TieneBandera(t.c_cflag, CSTOPB), dosBitsParada);
    QCOMPARE(TieneBandera(t.c_iflag, IXON), xonXoff);
    QCOMPARE(TieneBandera(t.c_iflag, IXOFF), xonXoff);
    QVERIFY(!TieneBandera(t.c_cflag, CRTSCTS));
}

void tst_VeltaSC::otroTipoDejaLosAjustes_data() {
    QTest::addColumn<int>("primero");
    QTest::addColumn<int>("otro");
    QTest::newRow("tipo 2 tras tipo 0") << 0 << 2;
    QTest::newRow("tipo -1 tras tipo 0") << 0 << -1;
    QTest::newRow("tipo 7 tras tipo 1") << 1 << 7;
}

void tst_VeltaSC::otroTipoDejaLosAjustes() {
    QFETCH(int, primero);
    QFETCH(int, otro);
    Banco b(primero);
    Abre(b.v, b.pty);
    const termios antes = b.pty.Ajustes();
    QVERIFY(b.v.SetPortOpen(false));
    b.d.SetTipoBascula(otro);
    Abre(b.v, b.pty);
    const termios despues = b.pty.Ajustes();
    QCOMPARE(cfgetospeed(&despues), cfgetospeed(&antes));
    QCOMPARE(despues.c_cflag & (CSTOPB | CSIZE | PARENB),
             antes.c_cflag & (CSTOPB | CSIZE | PARENB));
    QCOMPARE(despues.c_iflag & (IXON | IXOFF), antes.c_iflag & (IXON | IXOFF));
    QCOMPARE(TieneBandera(despues.c_cflag, CSTOPB), primero == 0);
}

void tst_VeltaSC::lecturasTipo0_data() {
    QTest::addColumn<QList<QByteArray>>("trozos");
    QTest::addColumn<QStringList>("esperado");
    QTest::addColumn<QByteArray>("resto");
    QTest::newRow("una lectura") << QList<QByteArray>{"12.345\r"} << QStringList{"12.345"}
                                 << QByteArray();
    QTest::newRow("dos lecturas de una vez")
        << QList<QByteArray>{"1.500\r2.750\r"} << QStringList{"1.500", "2.750"} << QByteArray();
    QTest::newRow("retorno solo: lectura vacía")
        << QList<QByteArray>{"\r"} << QStringList{""} << QByteArray();
    QTest::newRow("sin retorno: se completa después")
        << QList<QByteArray>{"  3", ".25", "0\r"} << QStringList{"  3.250"} << QByteArray();
    QTest::newRow("lectura y media")
        << QList<QByteArray>{"7.000\r8.0"} << QStringList{"7.000"} << QByteArray("8.0");
    QTest::newRow("tal como llega: signo, espacios y letras")
        << QList<QByteArray>{"-  0.120 kg\r", "ST,GS,+00012.5\r"}
        << QStringList{"-  0.120 kg", "ST,GS,+00012.5"} << QByteArray();
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
    QStringList recibido;
    connect(&b.v, &VeltaSC::Mensaje, this, [&](const QString& t) { recibido << t; });
    Abre(b.v, b.pty);
    qsizetype escrito = 0;
    for (const QByteArray& t : trozos) {
        QVERIFY(b.pty.Escribe(t));
        escrito += t.size();
        // Each piece is read before the next one is written.
        QTRY_COMPARE(recibido.join(QString()).size() + recibido.size() +
                         b.v.BufferRecepcion().size(),
                     escrito);
    }
    QCOMPARE(recibido, esperado);
    QCOMPARE(b.v.BufferRecepcion(), resto);
}

void tst_VeltaSC::lecturasTipo1() {
    Banco b(1);
    QStringList mensajes;
    QStringList depuracion;
    connect(&b.v, &VeltaSC::Mensaje, this, [&](const QString& t) { mensajes << t; });
    connect(&b.v, &VeltaSC::MensajeDebug, this, [&](const QString& t) { depuracion << t; });
    Abre(b.v, b.pty);
    const QByteArray bloque = "   BASCULA\r\n WT:    12.340 KG\r\n TARA  0 Kg";
    QVERIFY(b.pty.Escribe(bloque + "\n\n"));
    QTRY_COMPARE(b.v.BufferRecepcion().size(), bloque.size() + 2);
    QVERIFY(mensajes.isEmpty()); // two line feeds do not end a block
    QVERIFY(depuracion.isEmpty());
    QVERIFY(b.pty.Escribe("\n"));
    QTRY_COMPARE(mensajes, QStringList{"12.340"});
    QCOMPARE(depuracion, (QStringList{"   BASCULA", " WT:    12.340 KG", " TARA  0 Kg"}));
    QVERIFY(b.v.BufferRecepcion().isEmpty());
}

void tst_VeltaSC::otroTipoNoLee() {
    // With an unknown type nothing is read or shown; the characters wait in the port and are
    // read once the type is one the controller knows.
    Banco b(0);
    QSignalSpy mensajes(&b.v, &VeltaSC::Mensaje);
    Abre(b.v, b.pty);
    b.d.SetTipoBascula(3);
    QVERIFY(b.pty.Escribe("1.000\r"));
    QTest::qWait(100);
    QCOMPARE(mensajes.count(), 0);
    QVERIFY(b.v.BufferRecepcion().isEmpty());
    b.d.SetTipoBascula(0);
    QVERIFY(b.pty.Escribe("2.000\r"));
    QTRY_COMPARE(mensajes.count(), 2);
    QCOMPARE(mensajes.at(0).at(0).toString(), QString("1.000"));
    QCOMPARE(mensajes.at(1).at(0).toString(), QString("2.000"));
}

void tst_VeltaSC::bufferLimitado() {
    // A line that never sends its carriage return: memory stays bounded, the newest characters
    // are kept, and a reading after it still arrives.
    Banco b(0);
    QStringList recibido;
    connect(&b.v, &VeltaSC::Mensaje, this, [&](const QString& t) { recibido << t; });
    Abre(b.v, b.pty);
    const qsizetype total = CortadorTramas::LimiteBuffer + 20000;
    QByteArray basura(total, 'x');
    for (qsizetype i = 0; i < total; i += 1000)
        basura[i] = 'y';
    basura[total - 1] = 'z';
    QVERIFY(b.pty.Escribe(basura));
    QTRY_VERIFY(b.v.BufferRecepcion().endsWith('z'));
    QCOMPARE(b.v.BufferRecepcion().size(), CortadorTramas::LimiteBuffer);
    QCOMPARE(b.v.BufferRecepcion(), basura.right(CortadorTramas::LimiteBuffer));
    QVERIFY(recibido.isEmpty());
    QVERIFY(b.pty.Escribe("\r5.000\r"));
    QTRY_COMPARE(recibido.size(), 2);
    QCOMPARE(recibido.at(0).size(), CortadorTramas::LimiteBuffer);
    QCOMPARE(recibido.at(1), QString("5.000"));
}

void tst_VeltaSC::ordenes_data() {
    QTest::addColumn<int>("codigo");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("0 lectura a petición") << 0 << QByteArray("S0\r");
    QTest::newRow("1 peso neto") << 1 << QByteArray("SN\r");
    QTest::newRow("2 peso bruto") << 2 << QByteArray("SB\r");
    QTest::newRow("3 lectura continua") << 3 << QByteArray("SF\r");
    QTest::newRow("4 puesta a cero") << 4 << QByteArray("SC\r");
    QTest::newRow("5 tarado") << 5 << QByteArray("ST\r");
    QTest::newRow("6 destarado") << 6 << QByteArray("SD\r");
    QTest::newRow("7 número de serie") << 7 << QByteArray("SS\r");
    QTest::newRow("8: nada") << 8 << QByteArray();
    QTest::newRow("-1: nada") << -1 << QByteArray();
    QTest::newRow("1000: nada") << 1000 << QByteArray();
}

void tst_VeltaSC::ordenes() {
    QFETCH(int, codigo);
    QFETCH(QByteArray, bytes);
    Banco b(0);
    Abre(b.v, b.pty);
    b.v.Comando(codigo);
    // A known command after it marks the end: exactly these bytes and nothing else came.
    b.v.Comando(VeltaSC::OrdenNumeroSerie);
    const QByteArray esperado = bytes + "SS\r";
    QCOMPARE(b.pty.Lee(esperado.size()), esperado);
    QCOMPARE(b.pty.Lee(1, 50), QByteArray());
}

void tst_VeltaSC::nadaSeEnviaCerradoNiTipo1_data() {
    QTest::addColumn<int>("tipo");
    QTest::addColumn<bool>("abierto");
    QTest::newRow("tipo 0 cerrado") << 0 << false;
    QTest::newRow("tipo 1 abierto") << 1 << true;
    QTest::newRow("tipo 2 abierto") << 2 << true;
}

void tst_VeltaSC::nadaSeEnviaCerradoNiTipo1() {
    QFETCH(int, tipo);
    QFETCH(bool, abierto);
    Banco b(tipo);
    b.v.SetPuertoNombre(b.pty.Ruta());
    if (abierto)
        Abre(b.v, b.pty);
    for (int c = 0; c <= 7; ++c)
        b.v.Comando(c);
    // The type is read at every command: as type 0 the marker goes out at once.
    b.d.SetTipoBascula(0);
    if (!abierto)
        Abre(b.v, b.pty);
    b.v.Comando(VeltaSC::OrdenPesoNeto);
    QCOMPARE(b.pty.Lee(3), QByteArray("SN\r"));
    QCOMPARE(b.pty.Lee(1, 50), QByteArray());
}

void tst_VeltaSC::reabrirReabre() {
    // Opening an open port closes it and opens it again with the settings of the type now set.
    Banco b(0);
    Abre(b.v, b.pty);
    QVERIFY(TieneBandera(b.pty.Ajustes().c_cflag, CSTOPB));
    b.d.SetTipoBascula(1);
    QVERIFY(b.v.SetPortOpen(true));
    QVERIFY(b.v.PortOpen());
    QVERIFY(!TieneBandera(b.pty.Ajustes().c_cflag, CSTOPB));
    QVERIFY(!TieneBandera(b.pty.Ajustes().c_iflag, IXON));
    QSignalSpy mensajes(&b.v, &VeltaSC::Mensaje);
    QVERIFY(b.pty.Escribe(" WT:  4.5 Kg\r\n\n\n"));
    QTRY_COMPARE(mensajes.count(), 1);
    QCOMPARE(mensajes.at(0).at(0).toString(), QString("4.5"));
}

void tst_VeltaSC::cerrarConservaElBuffer() {
    Banco b(0);
    QSignalSpy mensajes(&b.v, &VeltaSC::Mensaje);
    Abre(b.v, b.pty);
    QVERIFY(b.pty.Escribe("12."));
    QTRY_COMPARE(b.v.BufferRecepcion(), QByteArray("12."));
    QVERIFY(b.v.SetPortOpen(false));
    QVERIFY(!b.v.PortOpen());
    QCOMPARE(b.v.BufferRecepcion(), QByteArray("12."));
    Abre(b.v, b.pty);
    QVERIFY(b.pty.Escribe("5\r"));
    QTRY_COMPARE(mensajes.count(), 1);
    QCOMPARE(mensajes.at(0).at(0).toString(), QString("12.5"));
}

void tst_VeltaSC::falloAlAbrir_data() {
    QTest::addColumn<QString>("queEs");
    QTest::newRow("no existe") << "falta";
    QTest::newRow("archivo corriente") << "archivo";
    QTest::newRow("carpeta") << "carpeta";
    QTest::newRow("nombre vacío y número 0") << "vacio";
}

void tst_VeltaSC::falloAlAbrir() {
    QFETCH(QString, queEs);
    EntornoPrueba env;
    env.DatosConBase().SetTipoBascula(0);
    QTemporaryDir dir;
    QString ruta;
    if (queEs == "falta") {
        ruta = dir.filePath("ttyNoExiste");
    } else if (queEs == "archivo") {
        ruta = dir.filePath("archivo");
        QFile f(ruta);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("12.000\r");
    } else if (queEs == "carpeta") {
        ruta = dir.path();
    }
    VeltaSC v;
    v.SetPuertoNombre(ruta);
    if (queEs == "vacio")
        v.SetPuerto(0);
    QVERIFY(!v.SetPortOpen(true));
    QVERIFY(!v.PortOpen());
    QVERIFY(!v.UltimoError().isEmpty());
    QVERIFY2(v.UltimoError().contains(ruta), qPrintable(v.UltimoError()));
    // Commands on the failed port are dropped; closing again is harmless.
    v.Comando(VeltaSC::OrdenPesoBruto);
    QVERIFY(v.SetPortOpen(false));
    QVERIFY(!v.PortOpen());
}

void tst_VeltaSC::puertoEnUso() {
    EntornoPrueba env;
    env.DatosConBase().SetTipoBascula(0);
    PseudoTerminal pty(PseudoTerminal::SoloMaestro);
    VeltaSC primero;
    Abre(primero, pty);
    VeltaSC segundo;
    segundo.SetPuertoNombre(pty.Ruta());
    QVERIFY(!segundo.SetPortOpen(true));
    QVERIFY(!segundo.PortOpen());
    QVERIFY(segundo.UltimoError().contains(pty.Ruta()));
    // The first one is untouched.
    QVERIFY(primero.PortOpen());
    primero.Comando(VeltaSC::OrdenTarado);
    QCOMPARE(pty.Lee(3), QByteArray("ST\r"));
}

void tst_VeltaSC::puertoDesaparece() {
    // The other end goes away while open (an adapter pulled out): reported, controller closed.
    EntornoPrueba env;
    env.DatosConBase().SetTipoBascula(0);
    auto pty = std::make_unique<PseudoTerminal>(PseudoTerminal::SoloMaestro);
    const QString ruta = pty->Ruta();
    VeltaSC v;
    QSignalSpy perdido(&v, &VeltaSC::PuertoPerdido);
    Abre(v, *pty);
    QVERIFY(pty->Escribe("1.000\r"));
    QTRY_VERIFY(v.BufferRecepcion().isEmpty());
    pty.reset();
    QTRY_COMPARE(perdido.count(), 1);
    QVERIFY(!v.PortOpen());
    const QString texto = perdido.at(0).at(0).toString();
    QVERIFY2(texto.contains(ruta), qPrintable(texto));
    QCOMPARE(v.UltimoError(), texto);
    QTest::qWait(50);
    QCOMPARE(perdido.count(), 1);       // reported once
    v.Comando(VeltaSC::OrdenPesoBruto); // harmless
    // The controller can be opened again on another port.
    PseudoTerminal otro(PseudoTerminal::SoloMaestro);
    Abre(v, otro);
    v.Comando(VeltaSC::OrdenPesoBruto);
    QCOMPARE(otro.Lee(3), QByteArray("SB\r"));
}

void tst_VeltaSC::nombrePorNumero() {
    VeltaSC v;
    v.SetPuerto(3);
    QCOMPARE(v.NombreSistema(), VeltaSC::NombrePorNumero(3));
#ifdef Q_OS_WIN
    QCOMPARE(VeltaSC::NombrePorNumero(3), QString("COM3"));
#else
    QCOMPARE(VeltaSC::NombrePorNumero(1), QString("/dev/ttyS0"));
    QCOMPARE(VeltaSC::NombrePorNumero(3), QString("/dev/ttyS2"));
#endif
    v.SetPuertoNombre("/dev/pts/9");
    QCOMPARE(v.NombreSistema(), QString("/dev/pts/9"));
}

QTEST_GUILESS_MAIN(tst_VeltaSC)
#include "tst_veltasc.moc"
