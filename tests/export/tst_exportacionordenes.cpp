// The real program run as `pesix --export`, as a scheduled job would run it.
#include "app/kelinstanciaunica.h"
#include "app/kelregistry.h"
#include "export/albaranesprueba.h"
#include "support/entornoprueba.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <unistd.h>

namespace {
using albaranesprueba::Golden;
using albaranesprueba::Lee;

struct Salida {
    int codigo = -1;
    QByteArray errores;
    QByteArray salida;
};

Salida Corre(const QString& programa, const QStringList& argumentos,
             const QProcessEnvironment& e = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(e);
    p.start(programa, argumentos);
    Salida s;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return s;
    }
    s.codigo = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    s.errores = p.readAllStandardError();
    s.salida = p.readAllStandardOutput();
    return s;
}

// A test's settings (list separator ";", decimal ",") and database with the fixed notes, made
// by the program's own database code; then released so that only the child process uses them.
struct Mundo {
    EntornoPrueba env;
    Mundo() {
        kelRegistry::SaveAppString("\\Internacional", "sList", ";");
        kelRegistry::SaveAppString("\\Internacional", "sDecimal", ",");
        kelRegistry::Almacen().sync();
        creada = albaranesprueba::Crea(env.DatosConBase().Conexion());
        env.Libera();
    }
    QString Ruta(const QString& nombre) const { return env.Carpeta() + "/" + nombre; }

    // Runs pesix with --database and --settings of this test (which later options override),
    // Spanish locale, no display; `sinPrivilegios` runs it as user "nobody" when the test runs
    // as the superuser, to whom no file is read-only.
    Salida Pesix(const QStringList& argumentos, bool sinPrivilegios = false) const {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("LC_ALL", "es_ES.UTF-8");
        e.insert("LANG", "es_ES.UTF-8");
        for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            e.remove(v);
        const QString pesix = qEnvironmentVariable("PESIX_BUILD_DIR") + "/pesix";
        QStringList todos = QStringList{"--database", env.ArchivoBaseDatos(),
                                        "--settings=" + env.ArchivoAjustes()} +
                            argumentos;
        if (!sinPrivilegios || ::geteuid() != 0)
            return Corre(pesix, todos, e);
        return Corre("setpriv",
                     QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", pesix} + todos,
                     e);
    }
    bool creada = false;
};
} // namespace

class TestExportacionOrdenes : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY2(QFile::exists(qEnvironmentVariable("PESIX_BUILD_DIR") + "/pesix"),
                 "the program must be built");
    }

    void escribe_data() {
        QTest::addColumn<QStringList>("argumentos");
        QTest::addColumn<QString>("golden");
        QTest::newRow("swapped, upper-case CSV")
            << QStringList{"2026-03-31", "2026-03-01", "m.CSV"} << "marzo.csv";
        QTest::newRow("xml") << QStringList{"2026-03-01", "2026-03-31", "m.xml"} << "marzo.xml";
        QTest::newRow("empty range xml")
            << QStringList{"2025-01-01", "2025-01-31", "v.xml"} << "vacio.xml";
    }
    void escribe() {
        QFETCH(QStringList, argumentos);
        QFETCH(QString, golden);
        Mundo m;
        QVERIFY(m.creada);
        const QString ruta = m.Ruta(argumentos.last());
        const Salida s = m.Pesix({"--export", argumentos[0], argumentos[1], ruta});
        QVERIFY2(s.codigo == 0, s.errores.constData());
        QCOMPARE(s.errores, QByteArray());
        QCOMPARE(Lee(ruta), Golden(golden));
    }

    // The CSV and the TXT read back in Python's csv module with the same fields as the XML in
    // Python's XML parser: a header and 7 rows of 19 fields, names holding ";" and '"' whole.
    // A range without notes still gives a document an XML reader opens, with no rows.
    void lectoresEstandar() {
        Mundo m;
        QVERIFY(m.creada);
        for (const QString f : {"m.csv", "m.txt", "m.xml"})
            QCOMPARE(m.Pesix({"--export", "2026-03-01", "2026-03-31", m.Ruta(f)}).codigo, 0);
        QCOMPARE(m.Pesix({"--export", "2025-01-01", "2025-01-31", m.Ruta("v.xml")}).codigo, 0);
        const QString programa = R"(
import csv, json, sys
import xml.etree.ElementTree as ET
for archivo, separador in ((sys.argv[1], ';'), (sys.argv[2], '\t')):
    with open(archivo, newline='', encoding='cp1252') as f:
        print(json.dumps(list(csv.reader(f, delimiter=separador)), ensure_ascii=False))
raiz = ET.parse(sys.argv[3]).getroot()
filas = [[c.tag for c in raiz[0]]] + [[c.text or '' for c in item] for item in raiz]
print(json.dumps(filas, ensure_ascii=False))
vacio = ET.parse(sys.argv[4]).getroot()
print(vacio.tag, len(vacio))
)";
        const Salida s = Corre("python3", {"-c", programa, m.Ruta("m.csv"), m.Ruta("m.txt"),
                                           m.Ruta("m.xml"), m.Ruta("v.xml")});
        QVERIFY2(s.codigo == 0, s.errores.constData());
        const QStringList lineas = QString::fromUtf8(s.salida).split('\n');
        QCOMPARE(lineas.size(), 5);
        QString xml = lineas[2];
        QVERIFY(xml.contains("\"Bar \\\"El Pino\\\"\""));
        QVERIFY(xml.contains("\"Frutas García; Hijos\""));
        QVERIFY(xml.contains("\"Pan & Vino <SL>\""));
        QVERIFY(xml.contains("\"Pimiento Łódź ]]> fin\"")); // the XML keeps every character
        QCOMPARE(xml.count("], ["), 7);
        xml.replace("Łódź", "?ód?"); // Windows-1252 has no Ł nor ź
        QCOMPARE(lineas[0], xml);
        QCOMPARE(lineas[1], xml);
        QCOMPARE(lineas[3], QString("Items 0"));
    }

    void fallos_data() {
        QTest::addColumn<QStringList>("argumentos");
        QTest::addColumn<int>("codigo");
        QTest::addColumn<QString>("mensaje");
        const auto fila = [](const char* nombre, QStringList argumentos, int codigo,
                             const char* mensaje) {
            QTest::newRow(nombre) << QStringList{"--export"} + argumentos << codigo
                                  << QString(mensaje);
        };
        const QString d1 = "2026-03-01", d2 = "2026-03-31";
        fila("no such day", {"2026-02-30", d2, "@/a.csv"}, 2, "not a date");
        fila("slashes", {d1, "2026/03/31", "@/a.csv"}, 2, "not a date");
        fila("unknown extension", {d1, d2, "@/a.pdf"}, 2, ".txt, .csv or .xml");
        fila("missing file", {d1, d2}, 2, "usage");
        fila("unknown option", {d1, d2, "@/a.csv", "--format=csv"}, 2, "unknown option");
        fila("unknown encoding", {d1, d2, "@/a.csv", "--encoding", "ebcdic"}, 2,
             "unknown encoding");
        fila("missing folder", {d1, d2, "@/no/such/folder/a.csv"}, 4, "cannot write");
        fila("missing folder, xml", {d1, d2, "@/no/such/folder/a.xml"}, 4, "cannot write");
        fila("a folder in the way", {d1, d2, "@/carpeta.txt"}, 4, "cannot write");
        fila("the database itself", {d1, d2, "@/misma.csv", "--database", "@/misma.csv"}, 4,
             "is the database");
        // A wrong database path fails and creates nothing; a file that is no database, or an
        // older one, fails and stays as it is.
        fila("missing database", {d1, d2, "@/a.csv", "--database", "@/otra.db"}, 3, "/otra.db");
        fila("not a database", {d1, d2, "@/a.csv", "--database", "@/basura.db"}, 3, "/basura.db");
        fila("empty file", {d1, d2, "@/a.csv", "--database", "@/vacia.db"}, 3, "/vacia.db");
        fila("older database", {d1, d2, "@/a.csv", "--database", "@/antigua.db"}, 3,
             "has no column Direccion2");
    }
    void fallos() {
        QFETCH(QStringList, argumentos);
        QFETCH(int, codigo);
        QFETCH(QString, mensaje);
        Mundo m;
        QVERIFY(m.creada);
        QVERIFY(QDir(m.env.Carpeta()).mkdir("carpeta.txt"));
        QVERIFY(QFile::copy(m.env.ArchivoBaseDatos(), m.Ruta("misma.csv")));
        QVERIFY(QFile::copy(m.env.ArchivoBaseDatos(), m.Ruta("antigua.db")));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "antigua");
            db.setDatabaseName(m.Ruta("antigua.db"));
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec("ALTER TABLE AlbaranesCabeceras DROP COLUMN Direccion2"));
            db.close();
        }
        QSqlDatabase::removeDatabase("antigua");
        for (const auto& [nombre, bytes] :
             {std::pair{"basura.db", QByteArray(4096, 'x')}, std::pair{"vacia.db", QByteArray()}}) {
            QFile f(m.Ruta(nombre));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        }
        for (QString& a : argumentos)
            a.replace("@", m.env.Carpeta());
        const auto archivos = [&] {
            QStringList t;
            for (const QString& n : QDir(m.env.Carpeta()).entryList(QDir::Files | QDir::Dirs))
                t << n + ":" + QString::number(qHash(Lee(m.Ruta(n))));
            return t;
        };
        const QStringList antes = archivos();
        const Salida s = m.Pesix(argumentos);
        QCOMPARE(s.codigo, codigo);
        QVERIFY2(s.errores.startsWith("pesix: ") && s.errores.endsWith("\n") &&
                     s.errores.count('\n') == 1,
                 s.errores.constData());
        QVERIFY2(s.errores.contains(mensaje.toUtf8()), s.errores.constData());
        // Nothing was written, created or changed.
        QCOMPARE(archivos(), antes);
    }

    // A database the user cannot write, in a folder the user cannot write, exports as well.
    void soloLectura() {
        Mundo m;
        QVERIFY(m.creada);
        const QString carpeta = m.Ruta("copia");
        QVERIFY(QDir().mkdir(carpeta) && QDir().mkdir(m.Ruta("salida")));
        const QString base = carpeta + "/pesix.db";
        QVERIFY(QFile::copy(m.env.ArchivoBaseDatos(), base));
        // Writable again at the end, so that the test's folder can be removed.
        const auto restaura = qScopeGuard([&] {
            for (const QString& r : {m.env.Carpeta(), carpeta, base})
                QFile::setPermissions(r, QFile::Permissions(0x7700));
        });
        const QByteArray antes = Lee(base);
        const auto lectura = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        QVERIFY(QFile::setPermissions(base, lectura));
        QVERIFY(QFile::setPermissions(carpeta, lectura | QFile::ExeOwner | QFile::ExeGroup |
                                                   QFile::ExeOther));
        QVERIFY(QFile::setPermissions(m.env.Carpeta(), lectura | QFile::ExeOwner | QFile::ExeGroup |
                                                           QFile::ExeOther | QFile::WriteOwner));
        QVERIFY(QFile::setPermissions(m.Ruta("salida"), QFile::Permissions(0x7777)));
        const Salida s = m.Pesix(
            {"--export", "2026-03-01", "2026-03-31", m.Ruta("salida/m.csv"), "--database", base},
            true);
        QVERIFY2(s.codigo == 0, s.errores.constData());
        QCOMPARE(Lee(m.Ruta("salida/m.csv")), Golden("marzo.csv"));
        QCOMPARE(Lee(base), antes);
    }

    // A copy of the program already open on the same settings and database (holding the
    // single-instance lock) neither stops the export nor is brought to the front by it.
    void conElProgramaAbierto() {
        Mundo m;
        QVERIFY(m.creada);
        kelInstanciaUnica abierta(m.env.ArchivoAjustes());
        QVERIFY(abierta.Adquiere());
        QSignalSpy activaciones(&abierta, &kelInstanciaUnica::ActivacionPedida);
        clsDatosApp& datos = m.env.DatosConBase(); // its connection stays open
        QVERIFY(datos.Conexion().isOpen());
        const Salida s = m.Pesix({"--export", "2026-03-01", "2026-03-31", m.Ruta("m.csv")});
        QVERIFY2(s.codigo == 0, s.errores.constData());
        QCOMPARE(Lee(m.Ruta("m.csv")), Golden("marzo.csv"));
        QTest::qWait(200);
        QCOMPARE(activaciones.count(), 0);
    }

    void utf8() {
        Mundo m;
        QVERIFY(m.creada);
        const Salida s = m.Pesix(
            {"--export", "2026-03-15", "2026-03-15", m.Ruta("u.txt"), "--encoding", "UTF-8"});
        QVERIFY2(s.codigo == 0, s.errores.constData());
        const QByteArray b = Lee(m.Ruta("u.txt"));
        QVERIFY(b.contains("\"Pimiento \xC5\x81\xC3\xB3"
                           "d\xC5\xBA ]]> fin\""));
        QVERIFY(b.contains("\"Frutas Garc\xC3\xAD"
                           "a; Hijos\""));
    }
};

QTEST_GUILESS_MAIN(TestExportacionOrdenes)
#include "tst_exportacionordenes.moc"
