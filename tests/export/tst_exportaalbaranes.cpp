// Export of a date range to the three file formats, over a fixed database, against golden files.
#include "db/basedatos.h"
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

// A test's database, with the fixed notes when asked.
struct Mundo {
    EntornoPrueba env;
    QSqlDatabase db = env.DatosConBase().Conexion();
    bool ConAlbaranes() { return albaranesprueba::Crea(db); }
    QString Ruta(const QString& nombre) const { return env.Carpeta() + "/" + nombre; }
    // List separator ";" and decimal "," unless told.
    ExportaAlbaranes Exporta(const QString& lista = ";", const QString& decimal = ",") const {
        return ExportaAlbaranes(db, lista, FormatoValores(decimal, QLocale()));
    }
};
} // namespace

class TestExportaAlbaranes : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain)); }

    void golden_data() {
        QTest::addColumn<QDate>("desde");
        QTest::addColumn<QDate>("hasta");
        QTest::addColumn<QString>("archivo");
        QTest::addColumn<QString>("golden");
        const QDate d1(2026, 3, 1), d31(2026, 3, 31), e1(2025, 1, 1), e2(2025, 12, 31);
        for (const QString f : {"txt", "csv", "xml"}) {
            const QString marzo = "marzo." + f, vacio = "vacio." + f;
            QTest::addRow("%s", qPrintable(f)) << d1 << d31 << marzo << marzo;
            QTest::addRow("%s empty range", qPrintable(f)) << e1 << e2 << vacio << vacio;
        }
        QTest::newRow("swapped, upper-case CSV") << d31 << d1 << "MARZO.CSV"
                                                 << "marzo.csv";
        QTest::newRow("mixed-case XmL") << d1 << d31 << "marzo.XmL"
                                        << "marzo.xml";
    }
    void golden() {
        QFETCH(QDate, desde);
        QFETCH(QDate, hasta);
        QFETCH(QString, archivo);
        QFETCH(QString, golden);
        Mundo m;
        QVERIFY(m.ConAlbaranes());
        ExportaAlbaranes exporta = m.Exporta();
        const Resultado r = exporta.Exporta(desde, hasta, m.Ruta(archivo));
        QVERIFY2(r, qPrintable(r.Error()));
        QCOMPARE(Lee(m.Ruta(archivo)), Golden(golden));
        QCOMPARE(exporta.Filas(), golden.startsWith("vacio") ? 0 : 7);
    }

    // A note whose date carries a time still belongs to its day; the last day a date can
    // have is a day like any other.
    void fechasLimite() {
        Mundo m;
        QSqlQuery q(m.db);
        QVERIFY(q.exec("INSERT INTO AlbaranesCabeceras VALUES ('7', '2026-03-31 10:00:00', 'Ana',"
                       " 'C1', 'X', NULL, NULL, '2026-03-31 10:00:00', 0),"
                       " ('8', '9999-12-31', 'Ana', 'C1', 'X', NULL, NULL,"
                       " '2026-03-31 10:00:00', 0)"));
        ExportaAlbaranes exporta = m.Exporta();
        const auto filas = [&](QDate desde, QDate hasta) {
            const Resultado r = exporta.Exporta(desde, hasta, m.Ruta("h.xml"));
            return r ? Filas(Lee(m.Ruta("h.xml"))) : QStringList{r.Error()};
        };
        QCOMPARE(filas(QDate(2026, 3, 31), QDate(2026, 3, 31)), QStringList{"7/"});
        QCOMPARE(filas(QDate(2026, 1, 1), QDate(9999, 12, 31)), (QStringList{"7/", "8/"}));
        QCOMPARE(filas(QDate(2026, 4, 1), QDate(2026, 4, 30)), QStringList());
    }

    // Refused with nothing written and the database as it was: an unknown extension, and any
    // name of the database file, which the finished file would replace.
    void rechazos_data() {
        QTest::addColumn<QString>("archivo");
        QTest::newRow("pdf") << "marzo.pdf";
        QTest::newRow("txt then more") << "marzo.txt.bak";
        QTest::newRow("short") << "x.tx";
        QTest::newRow("the database") << "base.csv";
        QTest::newRow("through a link") << "enlace.xml";
        QTest::newRow("through a folder") << "sub/../base.csv";
    }
    void rechazos() {
        QFETCH(QString, archivo);
        EntornoPrueba env;
        clsDatosApp& d = env.Datos();
        const QString base = env.Carpeta() + "/base.csv";
        d.SetBaseDatos(base);
        QVERIFY(BaseDatos::AbreBaseDatos(d) == BaseDatos::Resultado::Abierta);
        QVERIFY(albaranesprueba::Crea(d.Conexion()));
        QVERIFY(QFile::link(base, env.Carpeta() + "/enlace.xml"));
        QVERIFY(QDir(env.Carpeta()).mkdir("sub"));
        const QByteArray antes = Lee(base);
        const QStringList archivos = QDir(env.Carpeta()).entryList(QDir::Files);
        ExportaAlbaranes exporta(d.Conexion(), ";", FormatoValores());
        QVERIFY(
            !exporta.Exporta(QDate(2026, 3, 1), QDate(2026, 3, 31), env.Carpeta() + "/" + archivo));
        QVERIFY(!exporta.LecturaFallida());
        QCOMPARE(QDir(env.Carpeta()).entryList(QDir::Files), archivos);
        QCOMPARE(Lee(base), antes);
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
        QSqlQuery q(m.db);
        QVERIFY(q.exec("INSERT INTO AlbaranesCabeceras VALUES ('1', '2026-03-01', 'Ana', 'C1',"
                       " 'Cliente', NULL, NULL, '2026-03-01 08:00:00', 0)"));
        QVERIFY(q.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n"
                       " WHERE i < 30000) INSERT INTO AlbaranesDetalle SELECT '1', '2026-03-01',"
                       " i, 'P1', 'Producto con un nombre largo', 1, 10.5, 0.5, 10, 1.25, 12.5,"
                       " '08:00:00-01/03/2026' FROM n"));
        const QByteArray anterior = "older export\r\n";
        QFile f(m.Ruta(archivo));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(anterior) == anterior.size());
        f.close();
        const QStringList antes = QDir(m.env.Carpeta()).entryList(QDir::Files);

        // Over the limit only after a block was written; the engine sorts in memory, so that
        // only the file meets the limit.
        QVERIFY(q.exec("PRAGMA temp_store = MEMORY"));
        rlimit previo{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &previo) == 0);
        const auto senal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limite = previo;
        limite.rlim_cur = 1536 * 1024;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limite) == 0);
        ExportaAlbaranes exporta = m.Exporta();
        const Resultado r = exporta.Exporta(QDate(2026, 3, 1), QDate(2026, 3, 1), m.Ruta(archivo));
        setrlimit(RLIMIT_FSIZE, &previo);
        std::signal(SIGXFSZ, senal);

        QVERIFY(!r);
        QVERIFY(!exporta.LecturaFallida());
        QCOMPARE(Lee(m.Ruta(archivo)), anterior);
        QCOMPARE(QDir(m.env.Carpeta()).entryList(QDir::Files), antes);
        // The same export without the limit is well over it.
        QVERIFY(exporta.Exporta(QDate(2026, 3, 1), QDate(2026, 3, 1), m.Ruta(archivo)));
        QVERIFY(QFileInfo(m.Ruta(archivo)).size() > 1536 * 1024);
    }

    // The separator of ".csv" is the caller's, ".txt" always uses TAB. A decimal separator
    // equal to the list separator would split numbers: they are quoted then.
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
        Mundo m;
        QVERIFY(m.ConAlbaranes());
        const QString ruta = m.Ruta(txt ? "s.txt" : "s.csv");
        QVERIFY(m.Exporta(separadores.left(1), separadores.mid(1))
                    .Exporta(QDate(2026, 3, 10), QDate(2026, 3, 10), ruta));
        const QList<QByteArray> lineas = Lee(ruta).split('\n');
        const QByteArray sep = txt ? "\t" : separadores.left(1).toLatin1();
        QVERIFY(lineas.value(0).startsWith("\"NumAlbaran\"" + sep + "\"Fecha\"" + sep));
        QVERIFY2(lineas.value(1).contains(fila), lineas.value(1).constData());
    }

    // Values stored unlike their column's type (a file written by another tool, without the
    // program's column types) are written from what is stored, never dropped.
    void valoresInusuales() {
        EntornoPrueba env;
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "otra");
        db.setDatabaseName(env.Carpeta() + "/otra.db");
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec("CREATE TABLE AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario,"
                       " CodCliente, NomCliente, Direccion1, Direccion2, FechaModificacion,"
                       " Impreso)"));
        QVERIFY(q.exec("CREATE TABLE AlbaranesDetalle (NumAlbaran, Fecha, NumLinea, CodProducto,"
                       " NomProducto, CodTara, PesoBruto, PesoTara, PesoNeto, Precio,"
                       " PesoImporte, HoraPesada)"));
        QVERIFY(q.exec("INSERT INTO AlbaranesCabeceras VALUES ('9', '2026-05-01', 123, 'C', NULL,"
                       " NULL, NULL, 'ayer', 5)"));
        QVERIFY(q.exec("INSERT INTO AlbaranesDetalle VALUES ('9', '2026-05-01', 2.5, 'P', 'x',"
                       " '7', 'n/a', 3, '4.5', NULL, -0.0, 'h')"));
        q.finish();
        QVERIFY(ExportaAlbaranes(db, ";", FormatoValores(",", QLocale()))
                    .Exporta(QDate(2026, 5, 1), QDate(2026, 5, 1), env.Carpeta() + "/i.csv"));
        db.close();
        QCOMPARE(Lee(env.Carpeta() + "/i.csv").split('\n').value(1),
                 QByteArray("\"9\";01/05/2026;\"123\";\"C\";\"\";\"\";\"\";ayer;1;2,5;\"P\";"
                            "\"x\";7;n/a;3;4,5;;0;\"h\"\r"));
    }
};

QTEST_GUILESS_MAIN(TestExportaAlbaranes)
#include "tst_exportaalbaranes.moc"
