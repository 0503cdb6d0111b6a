// Small shared utilities, the command line, how a table's width is shared and how a window is
// kept on its screen; which keys with Alt type into a field.
#include "app/kelfileio.h"
#include "app/kelnumerics.h"
#include "app/kelstrings.h"
#include "app/kelteclaalt.h"
#include "app/kelwindow.h"
#include "app/lineacomandos.h"
#include "app/repartocolumnas.h"

#include <QFileInfo>
#include <QTest>

class TestUtilidades : public QObject {
    Q_OBJECT

private slots:
    void siguienteNumero_data() {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<int>("maximo");
        QTest::addColumn<QString>("siguiente");
        QTest::newRow("vacío") << "" << 0 << "1";
        QTest::newRow("A-99") << "A-99" << 0 << "A-100";
        QTest::newRow("ceros delante") << "2005/0041" << 0 << "2005/42";
        QTest::newRow("sin número") << "ABC" << 0 << "ABC1";
        QTest::newRow("máximo 5") << "ABC99" << 5 << "ABC00";
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
    }
    void val() {
        QFETCH(QString, texto);
        QFETCH(double, valor);
        QCOMPARE(kelNumerics::Val(texto), valor);
    }

    void conversionesTextosYFicheros() {
        QCOMPARE(kelNumerics::EnteroSeguro(QString(" 42 ")), 42);
        QCOMPARE(kelNumerics::EnteroSeguro(QString("2.5")), 2); // halves to even
        QCOMPARE(kelNumerics::EnteroSeguro(QString("3.5")), 4);
        QCOMPARE(kelNumerics::EnteroSeguro(QString("99999999999")), 0);
        QCOMPARE(kelStrings::HastaNulo(QString("COM1") + QChar(0) + "basura"), QString("COM1"));
        QCOMPARE(kelStrings::LongitudRecortada("  abc  "), 3);
        const QString programa = QCoreApplication::applicationFilePath();
        QVERIFY(kelFileIO::ExisteFichero(programa));
        QVERIFY(!kelFileIO::ExisteFichero(programa + ".no"));
        QVERIFY(!kelFileIO::ExisteFichero(QFileInfo(programa).path())); // a folder is not a file
    }

    // Passwords of database addresses hidden wherever they stand in a message; the rest kept.
    void sinContrasenas_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("mostrado");
        QTest::newRow("usuario y contraseña de un URI")
            << "No responde: postgresql://ana:s3cr%40t@db:5432/pesix"
            << "No responde: postgresql://ana:***@db:5432/pesix";
        QTest::newRow("puerto sin usuario") << "postgres://db:5432/pesix?host=/run/x"
                                            << "postgres://db:5432/pesix?host=/run/x";
        QTest::newRow("parámetro en mayúsculas")
            << "postgresql://ana@db/pesix?sslmode=require&PASSWORD=abc&x=1 invalid \"PASSWORD\""
            << "postgresql://ana@db/pesix?sslmode=require&PASSWORD=***&x=1 invalid \"PASSWORD\"";
        QTest::newRow("palabras clave con comillas") << "host=db password = 'a b\\' c' dbname=pesix"
                                                     << "host=db password = *** dbname=pesix";
        QTest::newRow("entre comillas del mensaje") << "la base \"host=db Password=xyz\" no abre"
                                                    << "la base \"host=db Password=***\" no abre";
        QTest::newRow("sin contraseña") << "/srv/pesix/pesix.db"
                                        << "/srv/pesix/pesix.db";
    }
    void sinContrasenas() {
        QFETCH(QString, texto);
        QFETCH(QString, mostrado);
        QCOMPARE(kelStrings::SinContrasenas(texto), mostrado);
    }

    // "/test" anywhere, in any letter case, outside the options' values.
    void lineaDeOrdenes_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("leido"); // asks for the test, database, settings
        QTest::newRow("mezcla entre otros") << QStringList{"x", "/TeSt", "y"} << QString("1|||");
        QTest::newRow("dentro de otra palabra") << QStringList{"abc/TESTING"} << QString("1|||");
        QTest::newRow("opciones") << QStringList{"--database", "/d/p.db", "--settings=/s.ini"}
                                  << QString("0|/d/p.db|/s.ini|");
        QTest::newRow("ruta con /test no cuenta")
            << QStringList{"--database", "/tmp/tests/p.db"} << QString("0|/tmp/tests/p.db||");
        QTest::newRow("opcion desconocida")
            << QStringList{"x", "--databse=/d.db"} << QString("0|||unknown option --databse");
        QTest::newRow("opcion sin valor")
            << QStringList{"--settings"} << QString("0|||--settings needs a value");
    }
    void lineaDeOrdenes() {
        QFETCH(QStringList, args);
        QFETCH(QString, leido);
        const LineaComandos l(QStringList{"pesix"} + args, {}, LineaComandos::Comunes());
        QCOMPARE(QString("%1|%2|%3|%4")
                     .arg(int(l.PideTest()))
                     .arg(l.Opcion("--database"), l.Opcion("--settings"), l.Error()),
                 leido);
    }

    // Columns as "least/preferred" pairs; the widths given out, rounded.
    void repartoColumnas_data() {
        QTest::addColumn<QString>("columnas");
        QTest::addColumn<double>("total");
        QTest::addColumn<int>("flexible");
        QTest::addColumn<QString>("anchos");
        QTest::newRow("room left to the flexible one")
            << "10/10 20/20 5/5" << 60.0 << 1 << "10 45 5";
        QTest::newRow("room left, none flexible") << "10/10 20/20" << 60.0 << -1 << "10 20";
        QTest::newRow("preferred wider than total: taken from the spare")
            << "10/30 20/20 5/15" << 45.0 << 0 << "17 20 8";
        QTest::newRow("spare in proportion") << "10/30 0/20" << 40.0 << -1 << "25 15";
        QTest::newRow("least above preferred") << "30/10 10/10" << 60.0 << 1 << "30 30";
        QTest::newRow("even the least too wide") << "30/40 40/40" << 60.0 << 0 << "30 40";
    }
    void repartoColumnas() {
        QFETCH(QString, columnas);
        QFETCH(double, total);
        QFETCH(int, flexible);
        QFETCH(QString, anchos);
        QList<RepartoColumnas::Columna> c;
        for (const QString& par : columnas.split(' '))
            c.append({par.section('/', 0, 0).toDouble(), par.section('/', 1, 1).toDouble()});
        const QList<double> r = RepartoColumnas::Reparte(c, total, flexible);
        QStringList texto;
        for (double a : r)
            texto << QString::number(qRound(a));
        QCOMPARE(texto.join(' '), anchos);
        QCOMPARE(RepartoColumnas::Cabe(r, total),
                 !QByteArray(QTest::currentDataTag()).startsWith("even"));
    }

    // A 1366 x 768 screen with a panel of 30 pixels at the top; a frame of 4 pixels and a title
    // bar of 28.
    void teclaAlt_data() {
        QTest::addColumn<int>("mods");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<bool>("escribe");
        const Qt::KeyboardModifiers alt = Qt::AltModifier;
        QTest::newRow("letra sola") << 0 << "i" << true;
        QTest::newRow("Mayúsculas y letra") << int(Qt::ShiftModifier) << "I" << true;
        QTest::newRow("Alt y letra") << int(alt) << "i" << false;
        QTest::newRow("Alt, Mayúsculas y letra") << int(alt | Qt::ShiftModifier) << "I" << false;
        QTest::newRow("Alt y cifra") << int(alt) << "5" << false;
        QTest::newRow("Alt y eñe") << int(alt) << "ñ" << false;
        QTest::newRow("AltGr de Windows (Ctrl+Alt), ele polaca")
            << int(alt | Qt::ControlModifier) << "ł" << true;
        QTest::newRow("Alt y el + del teclado numérico")
            << int(alt | Qt::KeypadModifier) << "+" << true;
        QTest::newRow("Alt sin texto") << int(alt) << "" << true;
    }
    void teclaAlt() {
        QFETCH(int, mods);
        QFETCH(QString, texto);
        QFETCH(bool, escribe);
        QCOMPARE(kelTeclaAlt::Escribe(Qt::KeyboardModifiers(mods), texto), escribe);
    }

    void dentroDePantalla_data() {
        QTest::addColumn<QRect>("cliente");
        QTest::addColumn<QRect>("resultado");
        QTest::newRow("fits") << QRect(100, 100, 820, 600) << QRect(100, 100, 820, 600);
        QTest::newRow("too tall") << QRect(100, 100, 862, 900) << QRect(100, 58, 862, 706);
        QTest::newRow("off the right") << QRect(1000, 100, 800, 400) << QRect(562, 100, 800, 400);
        QTest::newRow("under the panel") << QRect(10, 0, 400, 300) << QRect(10, 58, 400, 300);
        QTest::newRow("larger both ways") << QRect(-50, -50, 2000, 2000) << QRect(4, 58, 1358, 706);
    }
    void dentroDePantalla() {
        QFETCH(QRect, cliente);
        QFETCH(QRect, resultado);
        QCOMPARE(kelWindow::DentroDe(cliente, QMargins(4, 28, 4, 4), QRect(0, 30, 1366, 738)),
                 resultado);
    }
};

QTEST_GUILESS_MAIN(TestUtilidades)
#include "tst_utilidades.moc"
