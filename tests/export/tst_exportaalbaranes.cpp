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
#include <csignal>
#include <sys/resource.h>

namespace {
using albaranesprueba::Golden;
using albaranesprueba::Lee;

// A database as another tool may write it: the export's tables without the program's column
// types, which would refuse the odd values the tests store.
QSqlDatabase SinTipos(const QString& ruta) {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", ruta);
    db.setDatabaseName(ruta);
    QSqlQuery q(db.open() ? db : QSqlDatabase());
    q.exec("CREATE TABLE AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, CodCliente,"
           " NomCliente, Direccion1, Direccion2, FechaModificacion, Impreso)");
    q.exec("CREATE TABLE AlbaranesDetalle (NumAlbaran, Fecha, NumLinea, CodProducto, NomProducto,"
           " CodTara, PesoBruto, PesoTara, PesoNeto, Precio, PesoImporte, HoraPesada)");
    return db;
}

// A test's database, with the fixed notes when asked.
struct Mundo {
    explicit Mundo(Motor motor = Motor::Sqlite) : env(motor) {}
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

    // List separator ";" and decimal "," unless the row says otherwise; ".txt" always uses
    // TAB; numbers that would hold the list separator are quoted.
    void golden_data() {
        QTest::addColumn<QDate>("desde");
        QTest::addColumn<QDate>("hasta");
        QTest::addColumn<QString>("archivo");
        QTest::addColumn<QString>("separadores"); // list, decimal
        QTest::addColumn<Motor>("motor");
        const QDate d1(2026, 3, 1), d31(2026, 3, 31), e1(2025, 1, 1), e2(2025, 12, 31);
        for (Motor m : EntornoPrueba::kMotores) {
            const auto fila = [&](const QString& n, QDate desde, QDate hasta,
                                  const QString& archivo, const char* separadores) {
                QTest::addRow("%s: %s", qPrintable(EntornoPrueba::Nombre(m)), qPrintable(n))
                    << desde << hasta << archivo << QString(separadores) << m;
            };
            for (const QString f : {"txt", "csv", "xml"}) {
                fila(f, d1, d31, "marzo." + f, ";,");
                fila(f + " empty range", e1, e2, "vacio." + f, ";,");
            }
            fila("swapped, upper-case CSV", d31, d1, "MARZO.CSV", ";,");
            fila("'|' and '.'", d1, d31, "marzo-barra.csv", "|.");
            fila("txt: TAB whatever the list", d1, d31, "marzo.txt", "|,");
            fila("',' twice", d1, d31, "marzo-comas.csv", ",,");
            // Asked for, each row ends with where its weight came from.
            fila("csv with origin", d1, d31, "marzo-origen.csv", ";,");
        }
    }
    void golden() {
        QFETCH(QDate, desde);
        QFETCH(QDate, hasta);
        QFETCH(QString, archivo);
        QFETCH(QString, separadores);
        QFETCH(Motor, motor);
        PESIX_REQUIERE(motor);
        Mundo m(motor);
        QVERIFY(m.ConAlbaranes());
        ExportaAlbaranes exporta = m.Exporta(separadores.left(1), separadores.mid(1));
        exporta.SetProcedencia(archivo.contains("origen"));
        const Resultado r = exporta.Exporta(desde, hasta, m.Ruta(archivo));
        QVERIFY2(r, qPrintable(r.Error()));
        if (qEnvironmentVariableIntValue("PESIX_ACTUALIZA_GOLDEN") == 1) {
            QFile f(qEnvironmentVariable("PESIX_SOURCE_DIR") + "/tests/export/golden/" +
                    archivo.toLower());
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(Lee(m.Ruta(archivo))) > 0);
            QSKIP("golden file rewritten; review it and run again without PESIX_ACTUALIZA_GOLDEN");
        }
        QCOMPARE(Lee(m.Ruta(archivo)), Golden(archivo.toLower()));
        QCOMPARE(exporta.Filas(), archivo.startsWith("vacio") ? 0 : 7);
    }

    // A note whose date carries a time still belongs to its day; the last day a date can
    // have is a day like any other.
    void fechasLimite() {
        EntornoPrueba env;
        QSqlDatabase db = SinTipos(env.Carpeta() + "/otra.db");
        QVERIFY(QSqlQuery(db).exec(
            "INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, CodCliente, "
            "NomCliente, Direccion1, Direccion2, FechaModificacion, Impreso) VALUES ('7', "
            "'2026-03-31 10:00:00', 'Ana', 'C1', 'X',"
            " NULL, NULL, '2026-03-31 10:00:00', 0), ('8', '9999-12-31', 'Ana', 'C1', 'X', NULL,"
            " NULL, '2026-03-31 10:00:00', 0)"));
        ExportaAlbaranes exporta(db, ";", FormatoValores());
        const QString ruta = env.Carpeta() + "/h.txt";
        // The note numbers of the rows exported.
        const auto notas = [&](QDate desde, QDate hasta) {
            QStringList n;
            if (!exporta.Exporta(desde, hasta, ruta))
                return QStringList{"failed"};
            for (const QByteArray& l : Lee(ruta).split('\n').mid(1, exporta.Filas()))
                n << l.split('\t').value(0);
            return n;
        };
        QCOMPARE(notas(QDate(2026, 3, 31), QDate(2026, 3, 31)), QStringList{"\"7\""});
        QCOMPARE(notas(QDate(2026, 1, 1), QDate(9999, 12, 31)), QStringList({"\"7\"", "\"8\""}));
        QCOMPARE(notas(QDate(2026, 4, 1), QDate(2026, 4, 30)), QStringList());
        // Any other extension writes nothing.
        QVERIFY(!exporta.Exporta(QDate(2026, 1, 1), QDate(2026, 12, 31), ruta + ".pdf"));
        QVERIFY(!QFile::exists(ruta + ".pdf") && !exporta.LecturaFallida());
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
        QVERIFY(q.exec("INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, "
                       "CodCliente, NomCliente, Direccion1, Direccion2, FechaModificacion, "
                       "Impreso) VALUES ('1', '2026-03-01', 'Ana', 'C1',"
                       " 'Cliente', NULL, NULL, '2026-03-01 08:00:00', 0)"));
        QVERIFY(q.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n"
                       " WHERE i < 30000) INSERT INTO AlbaranesDetalle SELECT '1', '2026-03-01',"
                       " i, 'P1', 'Producto con un nombre largo', 1, 10.5, 0.5, 10, 1.25, 12.5,"
                       " '08:00:00-01/03/2026', NULL FROM n"));
        const QByteArray anterior = "older export\r\n";
        QVERIFY(albaranesprueba::Escribe(m.Ruta(archivo), anterior));
        const QStringList antes = QDir(m.env.Carpeta()).entryList(QDir::Files);

        // Over the limit only after a block was written; the engine sorts in memory, so that
        // only the file meets the limit.
        QVERIFY(q.exec("PRAGMA temp_store = MEMORY"));
        rlimit previo{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &previo) == 0);
        const auto senal = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limite{1536 * 1024, previo.rlim_max};
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

    // A server that takes longer to sort the range than a station waits for an answer is not
    // cut off: the export still gets all its rows.
    void servidorLento() {
        PESIX_REQUIERE(Motor::Postgres);
        EntornoPrueba env(Motor::Postgres);
        kelRegistry::SaveAppString("\\Configuracion", "EsperaServidor", "1");
        QSqlDatabase db = env.DatosConBase().Conexion();
        QVERIFY(albaranesprueba::Crea(db));
        // The lines come through a view that waits 2 s, once, before its first row.
        QSqlQuery q(db);
        QVERIFY(q.exec("ALTER TABLE AlbaranesDetalle RENAME TO DetalleGuardado"));
        QVERIFY(q.exec("CREATE VIEW AlbaranesDetalle AS SELECT * FROM DetalleGuardado "
                       "WHERE (SELECT COUNT(*) FROM pg_sleep(2)) = 1"));
        ExportaAlbaranes exporta(db, ";", FormatoValores(",", QLocale()));
        const QString ruta = env.Carpeta() + "/marzo.csv";
        const Resultado r = exporta.Exporta(QDate(2026, 3, 1), QDate(2026, 3, 31), ruta);
        QVERIFY2(r, qPrintable(r.Error()));
        QCOMPARE(Lee(ruta), Golden("marzo.csv"));
    }

    // Values stored unlike their column's type (a file written by another tool, without the
    // program's column types) are written from what is stored, never dropped.
    void valoresInusuales() {
        EntornoPrueba env;
        QSqlDatabase db = SinTipos(env.Carpeta() + "/otra.db");
        QSqlQuery q(db);
        QVERIFY(q.exec("INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, "
                       "CodCliente, NomCliente, Direccion1, Direccion2, FechaModificacion, "
                       "Impreso) VALUES ('9', '2026-05-01', 123, 'C', NULL,"
                       " NULL, NULL, 'ayer', 5)"));
        QVERIFY(q.exec("INSERT INTO AlbaranesDetalle VALUES ('9', '2026-05-01', 2.5, 'P', 'x',"
                       " '7', 'n/a', 3, '4.5', NULL, -0.0, 'h')"));
        QVERIFY(ExportaAlbaranes(db, ";", FormatoValores(",", QLocale()))
                    .Exporta(QDate(2026, 5, 1), QDate(2026, 5, 1), env.Carpeta() + "/i.csv"));
        QCOMPARE(Lee(env.Carpeta() + "/i.csv").split('\n').value(1),
                 QByteArray("\"9\";01/05/2026;\"123\";\"C\";\"\";\"\";\"\";ayer;1;2,5;\"P\";"
                            "\"x\";7;n/a;3;4,5;;0;\"h\"\r"));
    }
};

QTEST_GUILESS_MAIN(TestExportaAlbaranes)
#include "tst_exportaalbaranes.moc"
