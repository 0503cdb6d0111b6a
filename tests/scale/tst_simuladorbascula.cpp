// The scale simulator as the program sees it: both scale types end to end through the scale
// controller, over the simulator's own pseudo-terminal.
#include "scale/veltasc.h"
#include "support/entornoprueba.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

class tst_SimuladorBascula : public QObject {
    Q_OBJECT
private slots:
    void tipo0Continua();
    void tipo0RespondeAOrdenes_data();
    void tipo0RespondeAOrdenes();
    void tipo1Imprime();
    void tipo1Continua();
    void enlaceYFinal();
    void simuladorCerradoSeNota();
    void sinLectorNoSeBloquea();
};

namespace {
QString Programa() {
    return qEnvironmentVariable("PESIX_BUILD_DIR") + "/pesix-scale-sim";
}

// Starts the simulator and reads its device path from the first line.
bool Arranca(QProcess& sim, const QStringList& args, QString* ruta) {
    if (!QFile::exists(Programa()))
        return false;
    sim.start(Programa(), args);
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000))
        return false;
    *ruta = QString::fromLocal8Bit(sim.readLine()).trimmed();
    return ruta->startsWith('/');
}

// Sends a console order and waits until the simulator has taken it.
void Consola(QProcess& sim, const QByteArray& orden) {
    sim.write(orden + "\nestado\n");
    QVERIFY(sim.waitForReadyRead(3000));
    sim.readAll();
}

void Termina(QProcess& sim) {
    sim.write("salir\n");
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
}
} // namespace

void tst_SimuladorBascula::tipo0Continua() {
    EntornoPrueba env;
    env.DatosConBase().SetTipoBascula(0);
    QProcess sim;
    QString ruta;
    QVERIFY2(Arranca(sim, {"--peso", "2.5", "--continua", "--intervalo", "20"}, &ruta),
             qPrintable(Programa()));
    VeltaSC v;
    QStringList lecturas;
    connect(&v, &VeltaSC::Mensaje, this, [&](const QString& t) { lecturas << t; });
    v.SetPuertoNombre(ruta);
    QVERIFY2(v.SetPortOpen(true), qPrintable(v.UltimoError()));
    QTRY_VERIFY(lecturas.size() >= 3);
    QVERIFY(lecturas.contains("2.500"));
    Consola(sim, "peso 3.125");
    QTRY_COMPARE(lecturas.last(), QString("3.125"));
    // On request: the answer, then no more readings.
    v.Comando(VeltaSC::OrdenLecturaPeticion);
    QTest::qWait(100);
    const qsizetype cuantas = lecturas.size();
    QTest::qWait(150);
    QCOMPARE(lecturas.size(), cuantas);
    QCOMPARE(lecturas.last(), QString("3.125"));
    Termina(sim);
}

void tst_SimuladorBascula::tipo0RespondeAOrdenes_data() {
    QTest::addColumn<QList<int>>("ordenes");
    QTest::addColumn<QStringList>("respuestas");
    // Load 10 kg on the platform.
    QTest::newRow("bruto y neto sin tara") << QList<int>{2, 1} << QStringList{"10.000", "10.000"};
    QTest::newRow("tara, neto, destara")
        << QList<int>{5, 1, 2, 6} << QStringList{"0.000", "0.000", "10.000", "10.000"};
    QTest::newRow("cero") << QList<int>{4, 2} << QStringList{"0.000", "0.000"};
    QTest::newRow("número de serie") << QList<int>{7} << QStringList{"SN-77"};
    QTest::newRow("continua y a petición") << QList<int>{3, 0} << QStringList{"10.000", "10.000"};
}

void tst_SimuladorBascula::tipo0RespondeAOrdenes() {
    QFETCH(QList<int>, ordenes);
    QFETCH(QStringList, respuestas);
    EntornoPrueba env;
    env.DatosConBase().SetTipoBascula(0);
    QProcess sim;
    QString ruta;
    QVERIFY(Arranca(sim, {"--peso", "10", "--serie", "SN-77", "--intervalo", "100000"}, &ruta));
    VeltaSC v;
    QStringList lecturas;
    connect(&v, &VeltaSC::Mensaje, this, [&](const QString& t) { lecturas << t; });
    v.SetPuertoNombre(ruta);
    QVERIFY2(v.SetPortOpen(true), qPrintable(v.UltimoError()));
    for (int i = 0; i < ordenes.size(); ++i) {
        v.Comando(ordenes.at(i));
        QTRY_COMPARE(lecturas.size(), i + 1);
    }
    QCOMPARE(lecturas, respuestas);
    Termina(sim);
}

void tst_SimuladorBascula::tipo1Imprime() {
    EntornoPrueba env;
    env.DatosConBase().SetTipoBascula(1);
    QProcess sim;
    QString ruta;
    QVERIFY(Arranca(sim, {"--tipo", "1", "--peso", "7.5"}, &ruta));
    VeltaSC v;
    QStringList lecturas;
    QStringList lineas;
    connect(&v, &VeltaSC::Mensaje, this, [&](const QString& t) { lecturas << t; });
    connect(&v, &VeltaSC::MensajeDebug, this, [&](const QString& t) { lineas << t; });
    v.SetPuertoNombre(ruta);
    QVERIFY2(v.SetPortOpen(true), qPrintable(v.UltimoError()));
    // A type-1 scale sends nothing unasked and the controller sends it no commands.
    QTest::qWait(100);
    QVERIFY(lecturas.isEmpty());
    Consola(sim, "imprime");
    QTRY_COMPARE(lecturas, QStringList{"7.500"});
    QVERIFY(lineas.size() >= 2);
    QVERIFY(lineas.contains(" WT:      7.500 Kg"));
    Consola(sim, "peso -0.25");
    Consola(sim, "imprime");
    QTRY_COMPARE(lecturas, (QStringList{"7.500", "-0.250"}));
    QVERIFY(v.BufferRecepcion().isEmpty());
    Termina(sim);
}

void tst_SimuladorBascula::tipo1Continua() {
    EntornoPrueba env;
    env.DatosConBase().SetTipoBascula(1);
    QProcess sim;
    QString ruta;
    QVERIFY(Arranca(sim, {"--tipo", "1", "--peso", "1", "--continua", "--intervalo", "20"}, &ruta));
    VeltaSC v;
    QSignalSpy lecturas(&v, &VeltaSC::Mensaje);
    v.SetPuertoNombre(ruta);
    QVERIFY2(v.SetPortOpen(true), qPrintable(v.UltimoError()));
    QTRY_VERIFY(lecturas.count() >= 3);
    for (const QList<QVariant>& l : lecturas)
        QCOMPARE(l.at(0).toString(), QString("1.000"));
    Termina(sim);
}

void tst_SimuladorBascula::enlaceYFinal() {
    // A fixed path to the simulator's terminal, removed when the simulator ends.
    EntornoPrueba env;
    env.DatosConBase().SetTipoBascula(0);
    const QString enlace = env.Carpeta() + "/bascula";
    QProcess sim;
    QString ruta;
    QVERIFY(Arranca(sim, {"--enlace", enlace, "--peso", "4"}, &ruta));
    QCOMPARE(QFileInfo(enlace).canonicalFilePath(), ruta);
    VeltaSC v;
    QSignalSpy lecturas(&v, &VeltaSC::Mensaje);
    v.SetPuertoNombre(enlace);
    QVERIFY2(v.SetPortOpen(true), qPrintable(v.UltimoError()));
    v.Comando(VeltaSC::OrdenPesoBruto);
    QTRY_COMPARE(lecturas.count(), 1);
    QCOMPARE(lecturas.at(0).at(0).toString(), QString("4.000"));
    v.SetPortOpen(false);
    sim.terminate(); // as with Ctrl+C or kill
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(enlace));
}

void tst_SimuladorBascula::simuladorCerradoSeNota() {
    // The simulator ends while the program is connected: the loss is reported.
    EntornoPrueba env;
    env.DatosConBase().SetTipoBascula(0);
    QProcess sim;
    QString ruta;
    QVERIFY(Arranca(sim, {}, &ruta));
    VeltaSC v;
    QSignalSpy perdido(&v, &VeltaSC::PuertoPerdido);
    v.SetPuertoNombre(ruta);
    QVERIFY2(v.SetPortOpen(true), qPrintable(v.UltimoError()));
    Termina(sim);
    QTRY_COMPARE(perdido.count(), 1);
    QVERIFY(!v.PortOpen());
}

void tst_SimuladorBascula::sinLectorNoSeBloquea() {
    // Printing continuously with nobody reading fills the terminal: the simulator still answers
    // its console, and a program that connects later gets whole blocks.
    EntornoPrueba env;
    env.DatosConBase().SetTipoBascula(1);
    QProcess sim;
    QString ruta;
    QVERIFY(Arranca(sim, {"--tipo", "1", "--peso", "1", "--continua", "--intervalo", "1"}, &ruta));
    QTest::qWait(1000); // far more than the terminal holds
    Consola(sim, "peso 2");
    VeltaSC v;
    QStringList lecturas;
    connect(&v, &VeltaSC::Mensaje, this, [&](const QString& t) { lecturas << t; });
    v.SetPuertoNombre(ruta);
    QVERIFY2(v.SetPortOpen(true), qPrintable(v.UltimoError()));
    QTRY_COMPARE(lecturas.isEmpty() ? QString() : lecturas.last(), QString("2.000"));
    for (const QString& l : lecturas)
        QVERIFY2(l == "1.000" || l == "2.000", qPrintable(l));
    Termina(sim);
}

QTEST_GUILESS_MAIN(tst_SimuladorBascula)
#include "tst_simuladorbascula.moc"
