// The console reader against the scale simulator, another program on its own pseudo-terminal.
#include "scale/lectorconsola.h"
#include "support/entornoprueba.h"
#include "support/pseudoterminal.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

namespace {
const QString kCas = QStringLiteral(
    R"(^(?<estado>ST|US|OL),(?:GS|NT),.*?(?<peso>[-+]? *[0-9]+\.?[0-9]*) *(?<unidad>kg|lb|g|t)\s*$)");

struct Banco {
    // The settings file, "[Configuracion]" and the lines given.
    void Ajustes(const QStringList& lineas) {
        QFile f(env.ArchivoAjustes());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(("[Configuracion]\n" + lineas.join('\n') + '\n').toUtf8());
    }
    QString Arranca(const QStringList& args) {
        sim.start(qEnvironmentVariable("PESIX_BUILD_DIR") + "/pesix-scale-sim", args);
        if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000))
            return QString();
        return QString::fromLocal8Bit(sim.readLine()).trimmed();
    }
    int Ejecuta(QStringList args) {
        salida.clear();
        errores.clear();
        QTextStream so(&salida), se(&errores);
        args.prepend("pesix");
        return LectorConsola::Ejecuta(args, so, se);
    }
    ~Banco() {
        sim.write("salir\n");
        sim.waitForFinished(5000);
    }
    EntornoPrueba env;
    QProcess sim;
    QString salida, errores;
};
} // namespace

class TestLectorConsola : public QObject {
    Q_OBJECT
private slots:
    void lee_data() {
        QTest::addColumn<int>("tipo");
        QTest::addColumn<QString>("orden");        // to the simulator before reading
        QTest::addColumn<QStringList>("esperado"); // the fields after the time, per reading
        QTest::newRow("2 estable") << 2 << "" << QStringList{"12.500\tkg\tstable\tunknown"};
        QTest::newRow("2 sobrecarga") << 2 << "sobrecarga" << QStringList{"\t\toverload\tunknown"};
        QTest::newRow("3 neto negativo")
            << 3 << "peso -1.25" << QStringList{"-1.250\tkg\tstable\tgross"};
        QTest::newRow("4 dos lecturas en movimiento")
            << 4 << "movimiento 2"
            << QStringList{"12.400\tkg\tmotion\tgross", "12.550\tkg\tmotion\tgross"};
        QTest::newRow("5 bajo rango") << 5 << "bajorango" << QStringList{"\tkg\tunderload\tgross"};
        QTest::newRow("5 error") << 5 << "error" << QStringList{"\tkg\terror\tgross"};
        QTest::newRow("6 usuario") << 6 << "" << QStringList{"12.500\tkg\tstable\tunknown"};
    }

    void lee() {
        QFETCH(int, tipo);
        QFETCH(QString, orden);
        QFETCH(QStringList, esperado);
        Banco b;
        const QString ruta =
            b.Arranca({"--tipo", QString::number(tipo), "--peso", "12.5", "--intervalo", "100"});
        QVERIFY(ruta.startsWith('/'));
        if (!orden.isEmpty()) {
            b.sim.write(orden.toLatin1() + "\nestado\n");
            QVERIFY(b.sim.waitForReadyRead(3000));
        }
        b.Ajustes({"TipoBascula=" + QString::number(tipo), "PuertoNombre=" + ruta,
                   "TramaUsuario=" + kCas, "EstableUsuario=ST", "FinTramaUsuario=CRLF",
                   "PeticionUsuario=R\\r\\n"});
        QCOMPARE(b.Ejecuta({"--read-scale", "--settings", b.env.ArchivoAjustes(), "--count",
                            QString::number(esperado.size())}),
                 0);
        const QStringList lineas = b.salida.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lineas.size(), esperado.size());
        static const QRegularExpression hora(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}\t)");
        for (int i = 0; i < lineas.size(); ++i) {
            QVERIFY2(hora.match(lineas[i]).hasMatch(), qPrintable(lineas[i]));
            QCOMPARE(lineas[i].mid(24), esperado[i]);
        }
    }

    void fallos_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("codigo");
        QTest::addColumn<QString>("mensaje");
        QTest::newRow("opción desconocida")
            << QStringList{"--read-scale", "--bogus"} << 2 << "unknown option --bogus";
        QTest::newRow("cuenta no numérica")
            << QStringList{"--read-scale", "--count", "x"} << 2 << "--count takes";
        QTest::newRow("espera cero")
            << QStringList{"--read-scale", "--wait=0"} << 2 << "--wait takes";
        QTest::newRow("detectar no cuenta")
            << QStringList{"--detect-scale", "--count", "2"} << 2 << "unknown option --count";
        QTest::newRow("sin lectura, lo recibido dicho")
            << QStringList{"--read-scale", "--wait", "1"} << 3 << "Recibido: basura <x01><STX>";
        QTest::newRow("puerto que no existe") << QStringList{"--read-scale", "PUERTO-MALO"} << 4
                                              << "No se puede abrir el puerto /nonexistent/tty";
        QTest::newRow("expresión que no compila") << QStringList{"--read-scale", "EXPRESION-MALA"}
                                                  << 4 << "La expresión de la trama no es válida";
    }

    void fallos() {
        QFETCH(QStringList, args);
        QFETCH(int, codigo);
        QFETCH(QString, mensaje);
        Banco b;
        PseudoTerminal pty(PseudoTerminal::SoloMaestro);
        QStringList ajustes{"TipoBascula=4", "PuertoNombre=" + pty.Ruta()};
        if (args.removeAll("PUERTO-MALO"))
            ajustes = QStringList{"TipoBascula=4", "PuertoNombre=/nonexistent/tty"};
        if (args.removeAll("EXPRESION-MALA"))
            ajustes = QStringList{"TipoBascula=6", "PuertoNombre=" + pty.Ruta(),
                                  "TramaUsuario=(?<peso>[0-9"};
        b.Ajustes(ajustes);
        // A scale that answers noise and leaves half a frame, once the reader listens.
        QTimer::singleShot(300, &b.sim, [&pty] { (void)pty.Escribe("basura\r\n\x01\x02"); });
        QCOMPARE(b.Ejecuta(args << "--settings" << b.env.ArchivoAjustes()), codigo);
        QVERIFY2(b.errores.startsWith("pesix: ") && b.errores.contains(mensaje),
                 qPrintable(b.errores));
        QCOMPARE(b.errores.count('\n'), 1);
        QVERIFY(b.salida.isEmpty());
    }

    void detecta_data() {
        QTest::addColumn<QStringList>("simulador");
        QTest::addColumn<QString>("valores");
        QTest::newRow("A&D a 2400 7E1") << QStringList{"--tipo", "4", "--linea", "2400,E,7,1"}
                                        << "TipoBascula=4 LineaBascula=2400,E,7,1";
        QTest::newRow("MT-SICS a 9600 8N1") << QStringList{"--tipo", "2", "--linea", "9600,N,8,1"}
                                            << "TipoBascula=2 LineaBascula=9600,N,8,1";
    }

    void detecta() {
        QFETCH(QStringList, simulador);
        QFETCH(QString, valores);
        Banco b;
        const QString ruta = b.Arranca(simulador << "--peso"
                                                 << "3.5");
        QVERIFY(ruta.startsWith('/'));
        b.Ajustes({"TipoBascula=0", "PuertoNombre=" + ruta});
        QCOMPARE(b.Ejecuta({"--detect-scale", "--settings", b.env.ArchivoAjustes()}), 0);
        const QStringList lineas = b.salida.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lineas.size(), 3);
        QVERIFY2(lineas[1].contains("\t3.500\tkg\tstable\t"), qPrintable(lineas[1]));
        QCOMPARE(lineas.last(), valores);
    }
};

QTEST_GUILESS_MAIN(TestLectorConsola)
#include "tst_lectorconsola.moc"
