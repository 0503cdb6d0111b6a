// The scale simulator as the program sees it, through the scale controller over the simulator's
// own pseudo-terminal (its answer to every command is checked from the test window's tests).
#include "scale/veltasc.h"
#include "support/entornoprueba.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

class tst_SimuladorBascula : public QObject {
    Q_OBJECT
private slots:
    void tipo0Continua();
    void tipo1Imprime();
    void enlaceYFinal();
    void enlaceNoPisaUnArchivo();
    void sinLectorNoSeBloquea();
};

namespace {
// A running simulator and a controller of the same scale type, on the test's own settings.
struct Banco {
    explicit Banco(int tipo) {
        env.DatosConBase().SetTipoBascula(tipo);
        QObject::connect(&v, &VeltaSC::Mensaje, &v, [this](const QString& t) { lecturas << t; });
    }
    // Starts the simulator with these arguments and reads its device path from the first line.
    bool Arranca(const QStringList& args) {
        const QString programa = qEnvironmentVariable("PESIX_BUILD_DIR") + "/pesix-scale-sim";
        sim.start(programa, args);
        if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000))
            return false;
        ruta = QString::fromLocal8Bit(sim.readLine()).trimmed();
        return ruta.startsWith('/');
    }
    // Sends a console order and waits until the simulator has taken it.
    bool Consola(const QByteArray& orden) {
        sim.write(orden + "\nestado\n");
        const bool tomada = sim.waitForReadyRead(3000);
        sim.readAll();
        return tomada;
    }
    bool Abre(const QString& puerto) {
        v.SetPuertoNombre(puerto);
        return v.SetPortOpen(true);
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
};
} // namespace

void tst_SimuladorBascula::tipo0Continua() {
    Banco b(0);
    QVERIFY(b.Arranca({"--peso", "2.5", "--continua", "--intervalo", "20"}));
    QVERIFY2(b.Abre(b.ruta), qPrintable(b.v.UltimoError()));
    QTRY_VERIFY(b.lecturas.size() >= 3);
    QVERIFY(b.lecturas.contains("2.500"));
    QVERIFY(b.Consola("peso 3.125"));
    QTRY_COMPARE(b.lecturas.last(), QString("3.125"));
    // On request: the answer, then no more readings.
    b.v.Comando(VeltaSC::OrdenLecturaPeticion);
    QTest::qWait(100);
    const qsizetype cuantas = b.lecturas.size();
    QTest::qWait(150);
    QCOMPARE(b.lecturas.size(), cuantas);
    QCOMPARE(b.lecturas.last(), QString("3.125"));
    QVERIFY(b.Termina());
}

void tst_SimuladorBascula::tipo1Imprime() {
    Banco b(1);
    QStringList lineas;
    connect(&b.v, &VeltaSC::MensajeDebug, this, [&](const QString& t) { lineas << t; });
    QVERIFY(b.Arranca({"--tipo", "1", "--peso", "7.5"}));
    QVERIFY2(b.Abre(b.ruta), qPrintable(b.v.UltimoError()));
    // A type-1 scale sends nothing unasked and the controller sends it no commands.
    QTest::qWait(100);
    QVERIFY(b.lecturas.isEmpty());
    QVERIFY(b.Consola("imprime"));
    QTRY_COMPARE(b.lecturas, QStringList{"7.500"});
    QVERIFY(lineas.contains(" WT:      7.500 Kg"));
    QVERIFY(b.v.BufferRecepcion().isEmpty());
    QVERIFY(b.Termina());
}

void tst_SimuladorBascula::enlaceYFinal() {
    // A fixed path to the simulator's terminal, removed when the simulator ends on a signal.
    Banco b(0);
    const QString enlace = b.env.Carpeta() + "/bascula";
    QVERIFY(b.Arranca({"--enlace", enlace, "--peso", "4"}));
    QCOMPARE(QFileInfo(enlace).canonicalFilePath(), b.ruta);
    b.sim.terminate(); // as with Ctrl+C or kill
    QVERIFY(b.sim.waitForFinished(5000));
    QCOMPARE(b.sim.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(enlace));
}

void tst_SimuladorBascula::enlaceNoPisaUnArchivo() {
    // A link path where a file already is: the simulator refuses and the file is kept.
    Banco b(0);
    QFile archivo(b.env.Carpeta() + "/datos.txt");
    QVERIFY(archivo.open(QIODevice::WriteOnly));
    archivo.write("datos");
    archivo.close();
    QVERIFY(!b.Arranca({"--enlace", archivo.fileName()}));
    QVERIFY(b.sim.state() == QProcess::NotRunning || b.sim.waitForFinished(5000));
    QCOMPARE(b.sim.exitCode(), 1);
    QVERIFY(archivo.open(QIODevice::ReadOnly));
    QCOMPARE(archivo.readAll(), QByteArray("datos"));
}

void tst_SimuladorBascula::sinLectorNoSeBloquea() {
    // Printing continuously with nobody reading fills the terminal: the simulator still answers
    // its console, and a program that connects later gets whole blocks.
    Banco b(1);
    QVERIFY(b.Arranca({"--tipo", "1", "--peso", "1", "--continua", "--intervalo", "1"}));
    QTest::qWait(1000); // far more than the terminal holds
    QVERIFY(b.Consola("peso 2"));
    QVERIFY2(b.Abre(b.ruta), qPrintable(b.v.UltimoError()));
    QTRY_COMPARE(b.lecturas.isEmpty() ? QString() : b.lecturas.last(), QString("2.000"));
    for (const QString& l : b.lecturas)
        QVERIFY2(l == "1.000" || l == "2.000", qPrintable(l));
    QVERIFY(b.Termina());
}

QTEST_GUILESS_MAIN(tst_SimuladorBascula)
#include "tst_simuladorbascula.moc"
