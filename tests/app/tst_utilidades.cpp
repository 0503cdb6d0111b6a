// Small shared utilities and the command line.
#include "app/kelfileio.h"
#include "app/kelnumerics.h"
#include "app/kelstrings.h"
#include "app/lineaordenes.h"

#include <QTemporaryDir>
#include <QTest>

class TestUtilidades : public QObject {
    Q_OBJECT

private slots:
    void siguienteNumero_data() {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<int>("maximo");
        QTest::addColumn<QString>("siguiente");
        QTest::newRow("vacío") << "" << 0 << "1";
        QTest::newRow("7") << "7" << 0 << "8";
        QTest::newRow("A-99") << "A-99" << 0 << "A-100";
        QTest::newRow("ceros delante") << "2005/0041" << 0 << "2005/42";
        QTest::newRow("sin número") << "ABC" << 0 << "ABC1";
        QTest::newRow("máximo 5") << "ABC99" << 5 << "ABC00";
        QTest::newRow("14 cifras") << "12345678901234" << 0 << "12345678901235";
        QTest::newRow("14 nueves") << "99999999999999" << 0 << "910000000000000";
        QTest::newRow("ceros tras el corte") << "00000000000000199" << 0 << "00000000000000200";
        QTest::newRow("21 de 20 pierde la primera cifra")
            << "A9999999999999999999" << 20 << "A9999990000000000000";
        QTest::newRow("prefijo tan largo como el máximo") << "ABCDE9" << 5 << "ABCDE";
    }
    void siguienteNumero() {
        QFETCH(QString, actual);
        QFETCH(int, maximo);
        QFETCH(QString, siguiente);
        QCOMPARE(kelNumerics::SiguienteNumero(actual, maximo), siguiente);
    }

    void val_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<double>("valor");
        QTest::newRow("decimal con texto") << "12.5 kg" << 12.5;
        QTest::newRow("espacios y signo") << "  -3.25" << -3.25;
        QTest::newRow("coma no es decimal") << "1,5" << 1.0;
        QTest::newRow("sin número") << "abc" << 0.0;
        QTest::newRow("solo punto") << "." << 0.0;
    }
    void val() {
        QFETCH(QString, texto);
        QFETCH(double, valor);
        QCOMPARE(kelNumerics::Val(texto), valor);
    }

    void conversionesTextosYFicheros() {
        QVERIFY(!kelNumerics::BooleanoSeguro(QString()));
        QVERIFY(!kelNumerics::BooleanoSeguro(QString("sí")));
        QVERIFY(kelNumerics::BooleanoSeguro(QString("-1")));
        QVERIFY(kelNumerics::BooleanoSeguro(true));
        QCOMPARE(kelNumerics::EnteroSeguro(QString("abc")), 0);
        QCOMPARE(kelNumerics::EnteroSeguro(QString(" 42 ")), 42);
        QCOMPARE(kelNumerics::EnteroSeguro(QString("2.5")), 2);
        QCOMPARE(kelNumerics::EnteroSeguro(QString("3.5")), 4);
        QCOMPARE(kelNumerics::EnteroSeguro(QString("99999999999")), 0);
        QCOMPARE(kelNumerics::Mayor(3, 7).toInt(), 7);
        QCOMPARE(kelNumerics::Mayor(9, 7).toInt(), 9);
        QCOMPARE(kelStrings::HastaNulo(QString("COM1") + QChar(0) + "basura"), QString("COM1"));
        QCOMPARE(kelStrings::HastaNulo("sin cero"), QString("sin cero"));
        QCOMPARE(kelStrings::LongitudRecortada("  abc  "), 3);
        QCOMPARE(kelStrings::LongitudRecortada("   "), 0);
        QTemporaryDir dir;
        QVERIFY(!kelFileIO::ExisteFichero(dir.filePath("no.db")));
        QVERIFY(!kelFileIO::ExisteFichero(dir.path()));
        QFile f(dir.filePath("si.db"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(kelFileIO::ExisteFichero(dir.filePath("si.db")));
    }

    void lineaDeOrdenes_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("test");
        QTest::addColumn<QString>("baseDatos");
        QTest::addColumn<QString>("ajustes");
        auto fila = [](const char* caso, const QStringList& args, bool test,
                       const char* baseDatos = "", const char* ajustes = "") {
            QTest::newRow(caso) << args << test << QString(baseDatos) << QString(ajustes);
        };
        fila("vacía", {}, false);
        fila("minúsculas", {"/test"}, true);
        fila("mezcla entre otros", {"x", "/TeSt", "y"}, true);
        fila("dentro de otra palabra", {"abc/TESTING"}, true);
        fila("opciones", {"--database", "/d/p.db", "--settings=/s.ini"}, false, "/d/p.db",
             "/s.ini");
        fila("ruta con /test no cuenta", {"--database", "/tmp/tests/p.db"}, false,
             "/tmp/tests/p.db");
        fila("opciones y /test", {"--settings", "/s.ini", "/Test"}, true, "", "/s.ini");
    }
    void lineaDeOrdenes() {
        QFETCH(QStringList, args);
        QFETCH(bool, test);
        QFETCH(QString, baseDatos);
        QFETCH(QString, ajustes);
        const LineaOrdenes l(args);
        QCOMPARE(l.PideTest(), test);
        QCOMPARE(l.BaseDatos(), baseDatos);
        QCOMPARE(l.Ajustes(), ajustes);
    }
};

QTEST_GUILESS_MAIN(TestUtilidades)
#include "tst_utilidades.moc"
