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
// A controller on the test's own settings, with what it delivers, and the scale's end of a real
// pseudo-terminal or the scale simulator.
struct BancoBascula {
    explicit BancoBascula(int tipo) {
        v.SetTipoBascula(tipo);
        QObject::connect(&v, &VeltaSC::Mensaje, &v,
                         [this](const QString& t) { salida << "M:" + t; });
        QObject::connect(&v, &VeltaSC::MensajeDebug, &v,
                         [this](const QString& t) { salida << "D:" + t.left(11); });
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
    QStringList salida; // "M:reading" (Mensaje), "D:" and 11 characters (MensajeDebug)
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
            QTest::qWaitFor([&] { return !b.salida.isEmpty(); });
            return b.salida.join('|');
        };
        QCOMPARE(pide(VeltaSC::OrdenTarado), QString("M:0.000")); // net is zero
        QVERIFY(b.Consola("peso 15.5"));
        QCOMPARE(pide(VeltaSC::OrdenPesoNeto), QString("M:2.500"));
        QCOMPARE(pide(VeltaSC::OrdenDestarado), QString("M:15.500"));
        QCOMPARE(pide(VeltaSC::OrdenNumeroSerie), QString("M:VS-TEST-42"));
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
