// Export of a date range to the three file formats, over a fixed database, against golden files.
#include "app/kelregistry.h"
#include "export/albaranesprueba.h"
#include "export/exportaalbaranes.h"
#include "support/entornoprueba.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSqlQuery>
#include <QTest>
#include <QXmlStreamReader>
#include <csignal>
#include <sys/resource.h>

using Resultado = ExportaAlbaranes::Resultado;

namespace {
using albaranesprueba::Golden;
using albaranesprueba::Lee;

// (NumAlbaran, NumLinea) of every <Item> of an exported XML document.
QStringList Filas(const QByteArray& xml) {
    QStringList filas;
    QXmlStreamReader r(xml);
    QString numero;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == u"NumAlbaran")
            numero = r.readElementText();
        else if (r.isStartElement() && r.name() == u"NumLinea")
            filas << numero + "/" + r.readElementText();
    }
    if (r.hasError())
        filas << "XML error: " + r.errorString();
    return filas;
}

// A test's settings (list separator ";", decimal "," unless told), database and fixed notes.
struct Mundo {
    EntornoPrueba env;
    clsDatosApp* datos = nullptr;
    explicit Mundo(const QString& lista = ";", const QString& decimal = ",",
                   Motor motor = Motor::Sqlite)
        : env(motor) {
        kelRegistry::SaveAppString("\\Internacional", "sList", lista);
        kelRegistry::SaveAppString("\\Internacional", "sDecimal", decimal);
        datos = &env.DatosConBase();
    }
    bool ConAlbaranes() { return albaranesprueba::Crea(datos->Conexion()); }
    QString Ruta(const QString& nombre) const { return env.Carpeta() + "/" + nombre; }
};
} // namespace

class tst_ExportaAlbaranes : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain)); }

    void golden_data() {
        QTest::addColumn<QDate>("desde");
        QTest::addColumn<QDate>("hasta");
        QTest::addColumn<QString>("archivo");
        QTest::addColumn<QString>("golden");
        QTest::addColumn<Motor>("motor");
        const QDate d1(2026, 3, 1), d31(2026, 3, 31), e1(2025, 1, 1), e2(2025, 12, 31);
        for (Motor m : EntornoPrueba::kMotores) {
            const char* e = m == Motor::Sqlite ? "sqlite" : "postgres";
            for (const QString f : {"txt", "csv", "xml"}) {
                const QString marzo = "marzo." + f, vacio = "vacio." + f;
                QTest::addRow("%s: %s", e, qPrintable(f)) << d1 << d31 << marzo << marzo << m;
                QTest::addRow("%s: %s swapped dates", e, qPrintable(f))
                    << d31 << d1 << marzo << marzo << m;
                QTest::addRow("%s: %s empty range", e, qPrintable(f))
                    << e1 << e2 << vacio << vacio << m;
            }
            QTest::addRow("%s: upper-case CSV", e)
                << d1 << d31 << QString("MARZO.CSV") << QString("marzo.csv") << m;
            QTest::addRow("%s: mixed-case XmL", e)
                << d1 << d31 << QString("marzo.XmL") << QString("marzo.xml") << m;
        }
    }
    void golden() {
        QFETCH(QDate, desde);
        QFETCH(QDate, hasta);
        QFETCH(QString, archivo);
        QFETCH(QString, golden);
        QFETCH(Motor, motor);
        PESIX_REQUIERE(motor);
        Mundo m(";", ",", motor);
        QVERIFY(m.ConAlbaranes());
        ExportaAlbaranes exporta(m.datos->Conexion());
        QCOMPARE(exporta.Exporta(desde, hasta, m.Ruta(archivo)), Resultado::Escrito);
        QVERIFY2(exporta.Error().isEmpty(), qPrintable(exporta.Error()));
        QCOMPARE(Lee(m.Ruta(archivo)), Golden(golden));
        QCOMPARE(exporta.Filas(), golden.startsWith("vacio") ? 0 : 7);
    }

    // A note whose date carries a time still belongs to its day; the last day a date can
    // have is a day like any other.
    void fechasLimite() {
        Mundo m;
        QSqlQuery q(m.datos->Conexion());
        QVERIFY(q.exec("PRAGMA ignore_check_constraints = ON")); // as in an older file
        QVERIFY(q.exec("INSERT INTO AlbaranesCabeceras VALUES ('7', '2026-03-31 10:00:00', 'Ana',"
                       " 'C1', 'X', NULL, NULL, '2026-03-31 10:00:00', 0),"
                       " ('8', '9999-12-31', 'Ana', 'C1', 'X', NULL, NULL,"
                       " '2026-03-31 10:00:00', 0)"));
        ExportaAlbaranes exporta(m.datos->Conexion());
        QCOMPARE(exporta.Exporta(QDate(2026, 3, 31), QDate(2026, 3, 31), m.Ruta("h.xml")),
                 Resultado::Escrito);
        QCOMPARE(Filas(Lee(m.Ruta("h.xml"))), QStringList{"7/"});
        QCOMPARE(exporta.Exporta(QDate(2026, 1, 1), QDate(9999, 12, 31), m.Ruta("h.xml")),
                 Resultado::Escrito);
        QCOMPARE(Filas(Lee(m.Ruta("h.xml"))), (QStringList{"7/", "8/"}));
        QCOMPARE(exporta.Exporta(QDate(2026, 4, 1), QDate(2026, 4, 30), m.Ruta("h.xml")),
                 Resultado::Escrito);
        QCOMPARE(Lee(m.Ruta("h.xml")), Golden("vacio.xml"));
    }

    void extensionDesconocida_data() {
        QTest::addColumn<QString>("archivo");
        QTest::newRow("pdf") << "marzo.pdf";
        QTest::newRow("txt then more") << "marzo.txt.bak";
        QTest::newRow("short") << "x.tx";
    }
    void extensionDesconocida() {
        QFETCH(QString, archivo);
        Mundo m;
        QVERIFY(m.ConAlbaranes());
        const QStringList antes = QDir(m.env.Carpeta()).entryList(QDir::Files);
        ExportaAlbaranes exporta(m.datos->Conexion());
        QCOMPARE(exporta.Exporta(QDate(2026, 3, 1), QDate(2026, 3, 31), m.Ruta(archivo)),
                 Resultado::ExtensionDesconocida);
        QCOMPARE(QDir(m.env.Carpeta()).entryList(QDir::Files), antes);
    }

    // A write that fails half-way (the file-size limit of the process) leaves the older file
    // as it was, and no temporary file behind.
    void escrituraFallidaConservaAnterior_data() {
        QTest::addColumn<QString>("archivo");
        QTest::newRow("csv") << "grande.csv";
        QTest::newRow("txt") << "grande.txt";
        QTest::newRow("xml") << "grande.xml";
    }
    void escrituraFallidaConservaAnterior() {
        QFETCH(QString, archivo);
        Mundo m;
        QSqlDatabase db = m.datos->Conexion();
        QSqlQuery q(db);
        QVERIFY(q.exec("INSERT INTO AlbaranesCabeceras VALUES ('1', '2026-03-01', 'Ana', 'C1',"
                       " 'Cliente', NULL, NULL, '2026-03-01 08:00:00', 0)"));
        QVERIFY(q.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n"
                       " WHERE i < 3000) INSERT INTO AlbaranesDetalle SELECT '1', '2026-03-01',"
                       " i, 'P1', 'Producto con un nombre largo', 1, 10.5, 0.5, 10, 1.25, 12.5,"
                       " '08:00:00-01/03/2026' FROM n"));
        const QByteArray anterior = "older export\r\n";
        {
            QFile f(m.Ruta(archivo));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(anterior);
        }
        const QStringList antes = QDir(m.env.Carpeta()).entryList(QDir::Files);

        rlimit previo{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &previo) == 0);
        const auto senal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limite = previo;
        limite.rlim_cur = 64 * 1024;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limite) == 0);
        ExportaAlbaranes exporta(db);
        const Resultado r = exporta.Exporta(QDate(2026, 3, 1), QDate(2026, 3, 1), m.Ruta(archivo));
        setrlimit(RLIMIT_FSIZE, &previo);
        std::signal(SIGXFSZ, senal);

        QCOMPARE(r, Resultado::ErrorArchivo);
        QCOMPARE(Lee(m.Ruta(archivo)), anterior);
        QCOMPARE(QDir(m.env.Carpeta()).entryList(QDir::Files), antes);
        // The same export without the limit is well over it.
        QCOMPARE(exporta.Exporta(QDate(2026, 3, 1), QDate(2026, 3, 1), m.Ruta(archivo)),
                 Resultado::Escrito);
        QVERIFY(QFileInfo(m.Ruta(archivo)).size() > 64 * 1024);
    }

    // The separator of ".csv" comes from the settings, ".txt" always uses TAB. A decimal
    // separator equal to the list separator would split numbers: they are quoted then.
    void separadores_data() {
        QTest::addColumn<QString>("separadores"); // list, then decimal
        QTest::addColumn<bool>("txt");
        QTest::addColumn<QByteArray>("fila");
        QTest::newRow("csv with '|'") << "|." << false << QByteArray("|2|1250.5|2.25|");
        QTest::newRow("txt ignores it") << "|." << true << QByteArray("\t2\t1250.5\t");
        QTest::newRow("csv, ',' twice")
            << ",," << false << QByteArray(",2,\"1250,5\",\"2,25\",\"1248,25\",");
    }
    void separadores() {
        QFETCH(QString, separadores);
        QFETCH(bool, txt);
        QFETCH(QByteArray, fila);
        Mundo m(separadores.left(1), separadores.mid(1));
        QVERIFY(m.ConAlbaranes());
        const QString ruta = m.Ruta(txt ? "s.txt" : "s.csv");
        QCOMPARE(ExportaAlbaranes(m.datos->Conexion())
                     .Exporta(QDate(2026, 3, 10), QDate(2026, 3, 10), ruta),
                 Resultado::Escrito);
        const QList<QByteArray> lineas = Lee(ruta).split('\n');
        const QByteArray sep = txt ? "\t" : separadores.left(1).toLatin1();
        QVERIFY(lineas.value(0).startsWith("\"NumAlbaran\"" + sep + "\"Fecha\"" + sep));
        QVERIFY2(lineas.value(1).contains(fila), lineas.value(1).constData());
    }

    // Values stored unlike their column's type (a file edited by other tools) are written from
    // what is stored, never dropped.
    void valoresInusuales() {
        Mundo m;
        QSqlQuery q(m.datos->Conexion());
        QVERIFY(q.exec("PRAGMA ignore_check_constraints = ON")); // as in an older file
        QVERIFY(q.exec("INSERT INTO AlbaranesCabeceras VALUES ('9', '2026-05-01', 123, 'C', NULL,"
                       " NULL, NULL, 'ayer', 5)"));
        QVERIFY(q.exec("INSERT INTO AlbaranesDetalle VALUES ('9', '2026-05-01', 2.5, 'P', 'x',"
                       " '7', 'n/a', 3, '4.5', NULL, -0.0, 'h')"));
        ExportaAlbaranes exporta(m.datos->Conexion());
        QCOMPARE(exporta.Exporta(QDate(2026, 5, 1), QDate(2026, 5, 1), m.Ruta("i.csv")),
                 Resultado::Escrito);
        QCOMPARE(Lee(m.Ruta("i.csv")).split('\n').value(1),
                 QByteArray("\"9\";01/05/2026;\"123\";\"C\";\"\";\"\";\"\";ayer;1;2,5;\"P\";"
                            "\"x\";7;n/a;3;4,5;;0;\"h\"\r"));
    }
};

QTEST_GUILESS_MAIN(tst_ExportaAlbaranes)
#include "tst_exportaalbaranes.moc"
