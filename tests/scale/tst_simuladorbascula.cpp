// The scale simulator as the program sees it, through the scale controller over the simulator's
// own pseudo-terminal.
#include "scale/veltasc.h"
#include "support/entornoprueba.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

class TestSimuladorBascula : public QObject {
    Q_OBJECT
private slots:
    void ordenesTipo0();
    void tipo1Imprime();
    void numeroDeSerieDemasiadoLargo();
    void enlace();
    void sinLectorNoSeBloquea();
};

namespace {
// A running simulator and a controller of the same scale type, on the test's own settings.
struct Banco {
    explicit Banco(int tipo) {
        v.SetTipoBascula(tipo);
        QObject::connect(&v, &VeltaSC::Mensaje, &v, [this](const QString& t) { lecturas << t; });
        QObject::connect(&v, &VeltaSC::MensajeDebug, &v, [this](const QString& t) { lineas << t; });
    }
    // Starts the simulator with these arguments and reads its device path from the first line.
    bool Arranca(const QStringList& args) {
        sim.start(qEnvironmentVariable("PESIX_BUILD_DIR") + "/pesix-scale-sim", args);
        if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000))
            return false;
        ruta = QString::fromLocal8Bit(sim.readLine()).trimmed();
        return ruta.startsWith('/');
    }
    // Starts the simulator and opens the controller on it.
    bool Conecta(const QStringList& args) {
        if (!Arranca(args))
            return false;
        v.SetPuertoNombre(ruta);
        return v.SetPortOpen(true).Ok();
    }
    // Sends a console order and waits until the simulator has taken it.
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
    QProcess sim;
    QString ruta;
    VeltaSC v;
    QStringList lecturas;
    QStringList lineas;
};
} // namespace

void TestSimuladorBascula::ordenesTipo0() {
    // Every command answered with the reading it asks for.
    Banco b(0);
    QVERIFY(b.Conecta({"--peso", "12.5", "--intervalo", "20", "--serie", "VS-TEST-42"}));
    b.v.Comando(VeltaSC::OrdenLecturaContinua);
    QTRY_VERIFY(b.lecturas.size() >= 3);
    QVERIFY(b.Consola("peso 13"));
    QTRY_COMPARE(b.lecturas.last(), QString("13.000"));
    // On request: the answer, then no more readings.
    b.v.Comando(VeltaSC::OrdenLecturaPeticion);
    QTest::qWait(100);
    const qsizetype cuantas = b.lecturas.size();
    QTest::qWait(150);
    QCOMPARE(b.lecturas.size(), cuantas);
    const struct {
        VeltaSC::Orden orden;
        const char* lectura;
        const char* consola; // a new load afterwards
    } pasos[] = {
        {VeltaSC::OrdenPesoBruto, "13.000", nullptr},
        {VeltaSC::OrdenTarado, "0.000", "peso 15.5"}, // net is zero
        {VeltaSC::OrdenPesoNeto, "2.500", nullptr},
        {VeltaSC::OrdenDestarado, "15.500", nullptr},
        {VeltaSC::OrdenPuestaCero, "0.000", nullptr},
        {VeltaSC::OrdenNumeroSerie, "VS-TEST-42", nullptr},
    };
    for (const auto& p : pasos) {
        b.lecturas.clear();
        b.v.Comando(p.orden);
        QTRY_COMPARE(b.lecturas, QStringList{p.lectura});
        if (p.consola)
            QVERIFY(b.Consola(p.consola));
    }
    QVERIFY(b.Termina());
}

void TestSimuladorBascula::tipo1Imprime() {
    Banco b(1);
    QVERIFY(b.Conecta({"--tipo", "1", "--peso", "7.5"}));
    // A type-1 scale sends nothing unasked and the controller sends it no commands.
    QTest::qWait(100);
    QVERIFY(b.lecturas.isEmpty());
    QVERIFY(b.Consola("imprime"));
    QTRY_COMPARE(b.lecturas, QStringList{"7.500"});
    QVERIFY(b.lineas.contains(" WT:      7.500 Kg"));
    QVERIFY(b.v.BufferRecepcion().isEmpty());
    QVERIFY(b.Termina());
}

void TestSimuladorBascula::numeroDeSerieDemasiadoLargo() {
    // No scale answers 130,000 characters: reported, never delivered as a reading; the next
    // reading comes through as usual.
    Banco b(0);
    QVERIFY(b.Conecta({"--peso", "1", "--serie", QString(130000, 'B')}));
    b.v.Comando(VeltaSC::OrdenNumeroSerie);
    QTRY_COMPARE(b.lineas.size(), 1);
    QVERIFY2(b.lineas.at(0).contains("130000") && b.lineas.at(0).size() < 100,
             qPrintable(b.lineas.at(0).left(100)));
    b.v.Comando(VeltaSC::OrdenPesoBruto);
    QTRY_COMPARE(b.lecturas, QStringList{"1.000"});
    QVERIFY(b.Termina());
}

void TestSimuladorBascula::enlace() {
    // A fixed path to the simulator's terminal, removed when the simulator ends on a signal.
    Banco b(0);
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

void TestSimuladorBascula::sinLectorNoSeBloquea() {
    // Printing continuously with nobody reading fills the terminal: the simulator still answers
    // its console, and a program that connects later gets whole blocks.
    Banco b(1);
    QVERIFY(b.Arranca({"--tipo", "1", "--peso", "1", "--continua", "--intervalo", "1"}));
    QTest::qWait(1000); // far more than the terminal holds
    QVERIFY(b.Consola("peso 2"));
    b.v.SetPuertoNombre(b.ruta);
    QVERIFY(b.v.SetPortOpen(true));
    QTRY_COMPARE(b.lecturas.isEmpty() ? QString() : b.lecturas.last(), QString("2.000"));
    for (const QString& l : b.lecturas)
        QVERIFY2(l == "1.000" || l == "2.000", qPrintable(l));
    QVERIFY(b.Termina());
}

QTEST_GUILESS_MAIN(TestSimuladorBascula)
#include "tst_simuladorbascula.moc"
