// The scale controller on real pseudo-terminals: the test plays the scale on the other end, or
// the scale simulator does on its own pseudo-terminal.
#include "scale/veltasc.h"
#include "support/entornoprueba.h"
#include "support/pseudoterminal.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

namespace {
// The README's expression for CAS indicators.
const QString kCas = QStringLiteral(
    R"(^(?<estado>ST|US|OL),(?:GS|NT),.*?(?<peso>[-+]? *[0-9]+\.?[0-9]*) *(?<unidad>kg|lb|g|t)\s*$)");

// A controller on the test's own settings, with what it delivers, and the scale's end of a real
// pseudo-terminal or the scale simulator.
struct BancoBascula {
    explicit BancoBascula(int tipo) {
        v.SetTipoBascula(tipo);
        QObject::connect(&v, &VeltaSC::Mensaje, &v,
                         [this](const QString& t) { salida << "M:" + t; });
        QObject::connect(&v, &VeltaSC::MensajeDebug, &v,
                         [this](const QString& t) { salida << "D:" + t.left(11); });
        QObject::connect(&v, &VeltaSC::LecturaRecibida, &v, [this](const Lectura& l) {
            if (l.EsPeso())
                lecturas << QStringList{Lectura::NombreEstado(l.estado), l.Cifra(), l.unidad,
                                        Lectura::NombreTipo(l.tipo)}
                                .join(' ');
        });
    }
    // The next weight reading: asked for, or the next one streamed.
    QString Lee() {
        lecturas.clear();
        v.PideLectura();
        if (!QTest::qWaitFor([this] { return !lecturas.isEmpty(); }, 3000))
            return QStringLiteral("nada");
        return lecturas.first();
    }
    // Reads until a reading begins with `prefijo`; false after ten without.
    bool LeeHasta(const QString& prefijo) {
        for (int i = 0; i < 10; ++i)
            if (Lee().startsWith(prefijo))
                return true;
        return false;
    }
    // Opens the controller on the port (the pseudo-terminal unless another is given).
    bool Abre(const QString& puerto = {}) {
        v.SetPuertoNombre(puerto.isEmpty() ? pty.Ruta() : puerto);
        return v.SetPortOpen(true) && v.PortOpen();
    }
    // Starts the simulator with these arguments; its device path comes on its first line.
    bool Arranca(const QStringList& args) {
        sim.start(qEnvironmentVariable("PESIX_BUILD_DIR") + "/pesix-scale-sim", args);
        if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000))
            return false;
        ruta = QString::fromLocal8Bit(sim.readLine()).trimmed();
        return ruta.startsWith('/');
    }
    // Sends a console order to the simulator and waits until it has taken it.
    bool Consola(const QByteArray& orden) {
        sim.write(orden + "\nestado\n");
        const bool tomada = sim.waitForReadyRead(3000);
        sim.readAll();
        return tomada;
    }
    bool Termina() {
        sim.write("salir\n");
        return sim.waitForFinished(5000) && sim.exitStatus() == QProcess::NormalExit &&
               sim.exitCode() == 0;
    }
    EntornoPrueba env;
    PseudoTerminal pty{PseudoTerminal::SoloMaestro};
    VeltaSC v;
    QStringList salida;   // "M:reading" (Mensaje), "D:" and 11 characters (MensajeDebug)
    QStringList lecturas; // weights as "status figure unit gross/net"
    QProcess sim;
    QString ruta;
};
} // namespace

class TestVeltaSC : public QObject {
    Q_OBJECT
private slots:
    void ajustesDeLinea() {
        // Each opening, also of an open port, sets the line settings of the type now set
        // ("9600,N,8,2" with XON/XOFF for 0, "9600,N,8,1" without flow control for 1); another type
        // leaves them.
        BancoBascula b(0);
        for (const int tipo : {0, 9, 1}) {
            b.v.SetTipoBascula(tipo);
            QVERIFY(b.Abre());
            const termios t = b.pty.Ajustes();
            QCOMPARE(QList<speed_t>({cfgetispeed(&t), cfgetospeed(&t)}), QList<speed_t>(2, B9600));
            QCOMPARE(t.c_cflag & (CSIZE | PARENB | CRTSCTS | CSTOPB),
                     tcflag_t(tipo == 1 ? CS8 : CS8 | CSTOPB));
            QCOMPARE(t.c_iflag & (IXON | IXOFF), tcflag_t(tipo == 1 ? 0 : IXON | IXOFF));
        }
    }

    void lecturas_data() {
        // Pieces written one after the other, each read before the next is written; the first
        // character of a piece is the scale type set before it is written.
        QTest::addColumn<QList<QByteArray>>("trozos");
        QTest::addColumn<QStringList>("esperado");
        QTest::addColumn<QByteArray>("resto");
        QTest::newRow("tal como llega, y lo que no acabó espera")
            << QList<QByteArray>{"0-  0.120 kg\r4.0"} << QStringList{"M:-  0.120 kg"}
            << QByteArray("4.0");
        // Another type reads nothing: the characters wait in the port until the type is known. More
        // than the port's input buffer holds: the oldest are dropped, later ones still noticed;
        // what is left of the long line is reported, not read.
        QTest::newRow("otro tipo, más de lo que cabe")
            << QList<QByteArray>{"9" + QByteArray(5000, 'x') + "1.000\r", "02.000\r"}
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

    void lecturas() {
        QFETCH(QList<QByteArray>, trozos);
        QFETCH(QStringList, esperado);
        QFETCH(QByteArray, resto);
        BancoBascula b(0);
        QVERIFY(b.Abre());
        for (const QByteArray& t : trozos) {
            const QString antes = b.salida.join('|') + b.v.BufferRecepcion();
            b.v.SetTipoBascula(t.at(0) - '0');
            QVERIFY(b.pty.Escribe(t.mid(1)));
            QTest::qWait(100); // read, or left waiting in the port by another type
            QCOMPARE(b.salida.join('|') + b.v.BufferRecepcion() == antes, b.v.TipoBascula() > 1);
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

    // Each command its bytes, and only on an open port of type 0; codes out of range send nothing.
    void ordenes() {
        BancoBascula b(1);
        QVERIFY(b.Abre());
        b.v.Comando(VeltaSC::OrdenPesoBruto);
        b.v.SetTipoBascula(0);
        for (int codigo = -1; codigo <= 8; ++codigo)
            b.v.Comando(codigo);
        QCOMPARE(b.pty.Lee(24), QByteArray("S0\rSN\rSB\rSF\rSC\rST\rSD\rSS\r"));
        QVERIFY(b.v.SetPortOpen(false));
        b.v.Comando(VeltaSC::OrdenPesoBruto);
        QVERIFY(b.Abre());
        b.v.Comando(VeltaSC::OrdenNumeroSerie);
        QCOMPARE(b.pty.Lee(4, 300), QByteArray("SS\r"));
    }

    void enciendeYApaga_data() {
        QTest::addColumn<bool>("continua");
        QTest::addColumn<QByteArray>("inicio");
        QTest::newRow("continua") << true << QByteArray("SF\r");
        QTest::newRow("a petición") << false << QByteArray("S0\r");
    }
    // Switched on, the scale is told how to read; switched off, to read only when asked, and
    // the port is closed.
    void enciendeYApaga() {
        QFETCH(bool, continua);
        QFETCH(QByteArray, inicio);
        BancoBascula b(0);
        b.v.SetPuertoNombre(b.pty.Ruta());
        QVERIFY(b.v.Enciende(AjustesBascula{}, continua));
        QCOMPARE(b.pty.Lee(3), inicio);
        QCOMPARE(b.v.Continua(), continua);
        b.v.Apaga();
        QVERIFY(!b.v.PortOpen());
        QCOMPARE(b.pty.Lee(3), QByteArray("S0\r"));
        b.v.Apaga(); // harmless when off
    }

    // A port that cannot be opened, by its name or by its number when the name is blank (1 is
    // /dev/ttyS0): the result says which and why. Commands on it are dropped, closing it again is
    // harmless, and a port already in use stays with its first user.
    void falloAlAbrir() {
        BancoBascula b(0);
        QVERIFY(b.Abre());
        const struct {
            QString nombre;
            qint16 numero;
            QString sistema;
        } casos[] = {{b.pty.Ruta(), 1, b.pty.Ruta()}, {"", 0, ""}, {"  ", 12, "/dev/ttyS11"}};
        for (const auto& c : casos) {
            VeltaSC v;
            v.SetPuerto(c.numero);
            v.SetPuertoNombre(c.nombre);
            QCOMPARE(v.NombreSistema(), c.sistema);
            const Resultado abierto = v.SetPortOpen(true);
            QVERIFY(!abierto && !v.PortOpen());
            QVERIFY2(abierto.Error().startsWith("No se puede abrir el puerto " + c.sistema + ": "),
                     qPrintable(abierto.Error()));
            v.Comando(VeltaSC::OrdenPesoBruto);
            QVERIFY(v.SetPortOpen(false));
        }
        b.v.Comando(VeltaSC::OrdenTarado);
        QCOMPARE(b.pty.Lee(3), QByteArray("ST\r"));
    }

    void puertoDesaparece() {
        // The other end goes away while open (an adapter pulled out): reported once, controller
        // closed, and it can be opened again on another port.
        BancoBascula b(0);
        auto pty = std::make_unique<PseudoTerminal>(PseudoTerminal::SoloMaestro);
        const QString ruta = pty->Ruta();
        QSignalSpy perdido(&b.v, &VeltaSC::PuertoPerdido);
        QVERIFY(b.Abre(ruta));
        pty.reset();
        QTRY_COMPARE(perdido.count(), 1);
        QVERIFY(!b.v.PortOpen());
        QVERIFY(perdido.at(0).at(0).toString().contains(ruta));
        QTest::qWait(50);
        QCOMPARE(perdido.count(), 1);
        b.v.Comando(VeltaSC::OrdenPesoBruto); // harmless
        QVERIFY(b.Abre());
        b.v.Comando(VeltaSC::OrdenPesoBruto);
        QCOMPARE(b.pty.Lee(3), QByteArray("SB\r"));
    }

    void simuladorTipo0() {
        // Every command answered with the reading it asks for; continuous readings follow the load.
        BancoBascula b(0);
        QVERIFY(b.Arranca({"--peso", "12.5", "--intervalo", "20", "--serie", "VS-TEST-42"}));
        QVERIFY(b.Abre(b.ruta));
        b.v.Comando(VeltaSC::OrdenLecturaContinua);
        QTRY_VERIFY(b.salida.size() >= 3);
        QVERIFY(b.Consola("peso 13"));
        QTRY_COMPARE(b.salida.last(), QString("M:13.000"));
        // On request: no more readings than the answers below.
        b.v.Comando(VeltaSC::OrdenLecturaPeticion);
        QTest::qWait(100);
        const auto pide = [&](VeltaSC::Orden orden) {
            b.salida.clear();
            b.v.Comando(orden);
            if (!QTest::qWaitFor([&] { return !b.salida.isEmpty(); }))
                return QStringLiteral("(no answer)");
            return b.salida.join('|');
        };
        QCOMPARE(pide(VeltaSC::OrdenTarado), QString("M:0.000")); // net is zero
        QVERIFY(b.Consola("peso 15.5"));
        QCOMPARE(pide(VeltaSC::OrdenPesoNeto), QString("M:2.500"));
        QCOMPARE(pide(VeltaSC::OrdenDestarado), QString("M:15.500"));
        QCOMPARE(pide(VeltaSC::OrdenNumeroSerie), QString("M:VS-TEST-42"));
        QVERIFY(b.Termina());
    }

    void protocolos_data() {
        // Frames as indicators send them, written to the port in the pieces given: split frames,
        // several in one read, noise between them (counted, never a weight).
        QTest::addColumn<int>("tipo");
        QTest::addColumn<QList<QByteArray>>("trozos");
        QTest::addColumn<QStringList>("esperado");
        QTest::addColumn<int>("ilegibles");
        QTest::newRow("0") << 0 << QList<QByteArray>{"1.5 k", "g\r\r-2\r"}
                           << QStringList{"unknown 1.5 kg unknown", "unknown -2  unknown"} << 1;
        QTest::newRow("2 MT-SICS")
            << 2
            << QList<QByteArray>{"S S     1",
                                 "2.34 kg\r\n\xff\x01junk\r\nS D    -0.50 kg\r\nS +\r\n"}
            << QStringList{"stable 12.34 kg unknown", "motion -0.50 kg unknown",
                           "overload   unknown"}
            << 1;
        QTest::newRow("3 Toledo") << 3
                                  << QList<QByteArray>{"\x7fxx\x02$0 001234000000\r\x11\x02$; 0002",
                                                       "50000100\r\x13"}
                                  << QStringList{"stable 12.34 kg gross", "motion -2.50 kg net"}
                                  << 0;
        QTest::newRow("4 A&D")
            << 4
            << QList<QByteArray>{"ST,GS,+0012.345kg\r\nUS,NT,-0000.500kg\r\nbasura\r\nOL,GS,+9999",
                                 "9.99kg\r\n"}
            << QStringList{"stable 12.345 kg gross", "motion -0.500 kg net", "overload   gross"}
            << 1;
        QTest::newRow("5 SMA")
            << 5
            << QList<QByteArray>{"\n 1G      12.345 kg\r#!\n 1NM     -1.500 kg\r",
                                 "\nU1G  ----------kg \r"}
            << QStringList{"stable 12.345 kg gross", "motion -1.500 kg net", "underload  kg gross"}
            << 0;
        QTest::newRow("6 usuario")
            << 6 << QList<QByteArray>{"ST,GS,+  12.34kg\r\nxx\r\nUS,NT,-", "   0.50kg\r\n"}
            << QStringList{"stable 12.34 kg unknown", "motion -0.50 kg unknown"} << 1;
    }

    void protocolos() {
        QFETCH(int, tipo);
        QFETCH(QList<QByteArray>, trozos);
        QFETCH(QStringList, esperado);
        QFETCH(int, ilegibles);
        BancoBascula b(tipo);
        AjustesBascula a;
        a.tipo = tipo;
        a.tramaUsuario = kCas;
        a.estableUsuario = "ST";
        a.finTramaUsuario = "CRLF";
        QVERIFY(b.v.SetAjustes(a));
        QVERIFY(b.Abre());
        for (const QByteArray& t : trozos) {
            QVERIFY(b.pty.Escribe(t));
            QTest::qWait(50);
        }
        QTRY_COMPARE(b.lecturas, esperado);
        QCOMPARE(b.v.TramasIlegibles(), ilegibles);
    }

    void simuladorProtocolos_data() {
        QTest::addColumn<int>("tipo");
        for (const int tipo : {2, 3, 4, 5, 6})
            QTest::addRow("%d", tipo) << tipo;
    }

    void simuladorProtocolos() {
        // Each protocol against the simulator: a weight, then the scale in motion settling, over
        // range, and an error reply where the protocol has one.
        QFETCH(int, tipo);
        BancoBascula b(tipo);
        AjustesBascula a;
        a.tipo = tipo;
        a.tramaUsuario = kCas;
        a.estableUsuario = "ST";
        a.finTramaUsuario = "CRLF";
        a.peticionUsuario = "R\\r\\n";
        QVERIFY(b.v.SetAjustes(a));
        QVERIFY(
            b.Arranca({"--tipo", QString::number(tipo), "--peso", "12.5", "--intervalo", "50"}));
        QVERIFY(b.Abre(b.ruta));
        const QString estable = b.Lee();
        QVERIFY2(estable.startsWith("stable 12.500 kg "), qPrintable(estable));
        QVERIFY(b.Consola("movimiento 2"));
        QVERIFY(b.LeeHasta("motion "));
        QVERIFY(b.LeeHasta("stable 12.500 kg"));
        QVERIFY(b.Consola("sobrecarga"));
        // A user's protocol knows no over range: "OL" is not its stable text.
        QVERIFY(b.LeeHasta(tipo == 6 ? "motion" : "overload"));
        QVERIFY(b.Consola("normal"));
        if (tipo != 3 && tipo != 6) {
            QVERIFY(b.Consola("error"));
            const QString error = b.Lee();
            QVERIFY2(error.startsWith("error "), qPrintable(error));
        }
        QVERIFY(b.Termina());
    }

    void simuladorTipo1SinLector() {
        // Printing continuously with nobody reading fills the terminal: the simulator still answers
        // its console, and a program that connects later gets whole blocks.
        BancoBascula b(1);
        QVERIFY(b.Arranca({"--tipo", "1", "--peso", "1", "--continua", "--intervalo", "1"}));
        QTest::qWait(1000); // far more than the terminal holds
        QVERIFY(b.Consola("peso 2"));
        QVERIFY(b.Abre(b.ruta));
        QTRY_VERIFY(b.salida.contains("M:2.000"));
        for (const QString& l : b.salida)
            QVERIFY2(l == "M:1.000" || l == "M:2.000" || l.startsWith("D:"), qPrintable(l));
        QVERIFY(b.salida.contains("D: WT:      2"));
        QVERIFY(b.Termina());
    }

    void simuladorEnlace() {
        // A fixed path to the simulator's terminal, removed when the simulator ends on a signal.
        BancoBascula b(0);
        const QString enlace = b.env.Carpeta() + "/bascula";
        QVERIFY(b.Arranca({"--enlace", enlace, "--peso", "4"}));
        QCOMPARE(QFileInfo(enlace).canonicalFilePath(), b.ruta);
        b.sim.terminate(); // as with Ctrl+C or kill
        QVERIFY(b.sim.waitForFinished(5000));
        QCOMPARE(b.sim.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(enlace));
        // A link path where a file already is: the simulator refuses and the file is kept.
        QFile archivo(enlace);
        QVERIFY(archivo.open(QIODevice::WriteOnly) && archivo.write("datos") == 5);
        archivo.close();
        QVERIFY(!b.Arranca({"--enlace", enlace}));
        QVERIFY(b.sim.state() == QProcess::NotRunning || b.sim.waitForFinished(5000));
        QCOMPARE(b.sim.exitCode(), 1);
        QVERIFY(archivo.open(QIODevice::ReadOnly));
        QCOMPARE(archivo.readAll(), QByteArray("datos"));
    }
};

QTEST_GUILESS_MAIN(TestVeltaSC)
#include "tst_veltasc.moc"
