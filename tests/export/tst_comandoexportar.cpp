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
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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
    if (!p.waitForFinished(60000)) {
        p.kill(); // reported as a crash
        p.waitForFinished();
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2, p.readAllStandardError(),
            p.readAllStandardOutput()};
}

QTemporaryDir g_programa;

// A test's settings (list separator ";", decimal ",") and database with the fixed notes, made
// by the program's own database code; then released so that only the child process uses them.
struct Mundo {
    EntornoPrueba env;
    explicit Mundo(Motor motor) : env(motor) {
        kelRegistry::SaveAppString("\\Internacional", "sList", ";");
        kelRegistry::SaveAppString("\\Internacional", "sDecimal", ",");
        creada = albaranesprueba::Crea(env.DatosConBase().Conexion());
        env.Libera();
    }
    QString Ruta(const QString& nombre) const { return env.Carpeta() + "/" + nombre; }

    // Runs pesix with --database and --settings of this test (which later options override),
    // Spanish locale, no display; on a file as user "nobody" when the test runs as the
    // superuser, to whom no file is read-only (the server's socket is its own user's).
    Salida Pesix(const QStringList& argumentos) const {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("LC_ALL", "es_ES.UTF-8");
        e.insert("LANG", "es_ES.UTF-8");
        for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            e.remove(v);
        const QString pesix = g_programa.filePath("pesix");
        QStringList todos =
            QStringList{"--database", env.BaseDatos(), "--settings=" + env.ArchivoAjustes()} +
            argumentos;
        if (::geteuid() != 0 || env.MotorEnUso() == Motor::Postgres)
            return Corre(pesix, todos, e);
        return Corre("setpriv",
                     QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", pesix} + todos,
                     e);
    }
    bool creada = false;
};
} // namespace

class TestComandoExportar : public QObject {
    Q_OBJECT
private slots:
    // A copy of the program in a folder every user may enter: the build folder may not be.
    void initTestCase() {
        QVERIFY2(QFile::copy(qEnvironmentVariable("PESIX_BUILD_DIR") + "/pesix",
                             g_programa.filePath("pesix")),
                 "the program must be built");
        QVERIFY(QFile::setPermissions(g_programa.path(), QFile::Permissions(0x7755)));
    }

    // Exports, and failures that write, create and change nothing. The program is open on the
    // same settings and database meanwhile (holding the single-instance lock and its
    // connection): the export neither waits for it nor brings it to the front.
    void ordenes_data() {
        QTest::addColumn<QStringList>("argumentos");
        QTest::addColumn<int>("codigo");
        QTest::addColumn<QString>("esperado"); // the golden file, or words of the error
        QTest::addColumn<Motor>("motor");
        const auto fila = [](const char* nombre, QStringList argumentos, int codigo,
                             const char* esperado, Motor motor = Motor::Sqlite) {
            QTest::newRow(nombre) << QStringList{"--export"} + argumentos << codigo
                                  << QString(esperado) << motor;
        };
        const QString d1 = "2026-03-01", d2 = "2026-03-31";
        fila("swapped, upper-case CSV", {d2, d1, "@/m.CSV"}, 0, "marzo.csv");
        fila("with origin", {d1, d2, "@/m.csv", "--origin"}, 0, "marzo-origen.csv",
             Motor::Postgres);
        fila("on a server", {d1, d2, "@/m.xml"}, 0, "marzo.xml", Motor::Postgres);
        // What libpq itself writes to standard error stays off it: its warning about a password
        // file others can read, and the server's notices as the connection starts.
        fila("on a server, a password file open to all",
             {d1, d2, "@/m.xml", "--database", "%base&passfile=@/pgpass"}, 0, "marzo.xml",
             Motor::Postgres);
        fila("on a server, with its notices",
             {d1, d2, "@/m.xml", "--database", "%base&options=-c%20client_min_messages%3Ddebug5"},
             0, "marzo.xml", Motor::Postgres);
        fila("no such database on the server, notices and password file",
             {d1, d2, "@/m.xml", "--database",
              "%base&dbname=ninguna_1140&passfile=@/"
              "pgpass&options=-c%20client_min_messages%3Ddebug5"},
             3, "ninguna_1140", Motor::Postgres);
        fila("empty range xml", {"2025-01-01", "2025-01-31", "@/v.xml"}, 0, "vacio.xml");
        fila("UTF-8", {d1, d2, "@/u.txt", "--encoding", "UTF-8"}, 0, "marzo-utf8.txt");
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
        fila("read-only database and folder", {d1, d2, "@/m.csv", "--database", "@/copia/pesix.db"},
             0, "marzo.csv");
        fila("the database itself", {d1, d2, "@/misma.csv", "--database", "@/misma.csv"}, 4,
             "es la base de datos");
        fila("the database by a link", {d1, d2, "@/enlace.xml", "--database", "@/misma.csv"}, 4,
             "es la base de datos");
        fila("the database by a folder",
             {d1, d2, "@/copia/../misma.csv", "--database", "@/misma.csv"}, 4,
             "es la base de datos");
        fila("the database by a hard link", {d1, d2, "@/duro.csv", "--database", "@/misma.csv"}, 4,
             "es la base de datos");
        // Nothing but a regular file is written, and a full disk is told as such.
        fila("a FIFO", {d1, d2, "@/especiales/tubo.csv"}, 4, "no es un archivo normal");
        fila("a link to a FIFO", {d1, d2, "@/especiales/enlace.txt"}, 4, "no es un archivo normal");
        fila("a device node", {d1, d2, "@/especiales/nodo.xml"}, 4, "no es un archivo normal");
        fila("a full disk", {d1, d2, "@/lleno/m.xml"}, 4,
             "El disco está lleno: no se ha podido escribir @/lleno/m.xml");
        // A wrong database path fails and creates nothing; a file that is no database, or an
        // older one, fails and stays as it is.
        fila("missing database", {d1, d2, "@/a.csv", "--database", "@/otra.db"}, 3, "/otra.db");
        fila("not a database", {d1, d2, "@/a.csv", "--database", "@/basura.db"}, 3, "/basura.db");
        fila("empty file", {d1, d2, "@/a.csv", "--database", "@/vacia.db"}, 3, "/vacia.db");
        fila("older database", {d1, d2, "@/a.csv", "--database", "@/antigua.db"}, 3,
             "has no column Direccion2");
    }
    void ordenes() {
        QFETCH(QStringList, argumentos);
        QFETCH(int, codigo);
        QFETCH(QString, esperado);
        QFETCH(Motor, motor);
        PESIX_REQUIERE(motor);
        Mundo m(motor);
        QVERIFY(m.creada);
        QVERIFY(QDir(m.env.Carpeta()).mkdir("carpeta.txt"));
        const auto restaura = qScopeGuard([&] {
            for (const char* r : {"copia", "copia/pesix.db"})
                QFile::setPermissions(m.Ruta(r), QFile::Permissions(0x7700));
        });
        if (motor == Motor::Sqlite) {
            QVERIFY(QFile::copy(m.env.ArchivoBaseDatos(), m.Ruta("misma.csv")));
            QVERIFY(QFile::link(m.Ruta("misma.csv"), m.Ruta("enlace.xml")));
            QVERIFY(QFile::copy(m.env.ArchivoBaseDatos(), m.Ruta("antigua.db")));
            {
                QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "antigua");
                db.setDatabaseName(m.Ruta("antigua.db"));
                QVERIFY(db.open());
                QVERIFY(
                    QSqlQuery(db).exec("ALTER TABLE AlbaranesCabeceras DROP COLUMN Direccion2"));
                db.close();
            }
            QSqlDatabase::removeDatabase("antigua");
            QVERIFY(albaranesprueba::Escribe(m.Ruta("basura.db"), QByteArray(4096, 'x')));
            QVERIFY(albaranesprueba::Escribe(m.Ruta("vacia.db"), QByteArray()));
            // A copy read-only to everyone in a read-only folder; the test's folder open to the
            // program's user; everything writable again at the end, for the folder to be removed.
            QVERIFY(QDir(m.env.Carpeta()).mkdir("copia"));
            QVERIFY(QFile::copy(m.env.ArchivoBaseDatos(), m.Ruta("copia/pesix.db")));
            QVERIFY(QFile::setPermissions(m.Ruta("copia/pesix.db"), QFile::Permissions(0x4444)));
            QVERIFY(QFile::setPermissions(m.Ruta("copia"), QFile::Permissions(0x5555)));
        }
        const QString especiales = m.Ruta("especiales");
        QVERIFY(QDir().mkdir(especiales) && QDir().mkdir(m.Ruta("lleno")));
        QCOMPARE(::mkfifo(qPrintable(especiales + "/tubo.csv"), 0666), 0);
        QVERIFY(QFile::link(especiales + "/tubo.csv", especiales + "/enlace.txt"));
        const QByteArray fila = QTest::currentDataTag();
        if (fila == "a device node" &&
            ::mknod(qPrintable(especiales + "/nodo.xml"), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("making a device node needs the superuser");
        // A disk of one page, which the XML export does not fit, open to the program's user.
        if (fila == "a full disk" &&
            QProcess::execute(
                "mount", {"-t", "tmpfs", "-o", "size=4k,mode=1777", "tmpfs", m.Ruta("lleno")}) != 0)
            QSKIP("mounting a small disk needs the superuser");
        const auto desmonta = qScopeGuard([&] {
            if (fila == "a full disk")
                QProcess::execute("umount", {m.Ruta("lleno")});
        });
        if (motor == Motor::Sqlite)
            QCOMPARE(::link(qPrintable(m.Ruta("misma.csv")), qPrintable(m.Ruta("duro.csv"))), 0);
        // Writable to the program's user, so that only the check keeps them as they are.
        for (const QString& n :
             {m.Ruta("misma.csv"), especiales + "/tubo.csv", especiales + "/nodo.xml"})
            ::chmod(qPrintable(n), 0666);
        QVERIFY(QFile::setPermissions(m.env.Carpeta(), QFile::Permissions(0x7777)));
        QVERIFY(albaranesprueba::Escribe(m.Ruta("pgpass"), "*:*:*:*:secreta\n"));
        QVERIFY(QFile::setPermissions(m.Ruta("pgpass"), QFile::Permissions(0x6644)));
        for (QString& a : argumentos)
            a.replace("%base", m.env.BaseDatos()).replace("@", m.env.Carpeta());
        esperado.replace("@", m.env.Carpeta());
        const auto archivos = [&] {
            QStringList t;
            for (const QString& n : QDir(m.env.Carpeta()).entryList(QDir::Files | QDir::Dirs))
                t << n + ":" + QString::number(qHash(Lee(m.Ruta(n))));
            return t;
        };
        kelInstanciaUnica abierta(m.env.ArchivoAjustes());
        QVERIFY(abierta.Adquiere());
        QSignalSpy activaciones(&abierta, &kelInstanciaUnica::ActivacionPedida);
        QVERIFY(m.env.DatosConBase().Conexion().isOpen());
        // What the special files are, kind and inode, links not followed.
        const auto nodos = [&] {
            QStringList t;
            for (const QString& n : QDir(especiales).entryList(QDir::AllEntries | QDir::System)) {
                struct stat e {};
                ::lstat(qPrintable(especiales + "/" + n), &e);
                t << QString("%1:%2:%3").arg(n).arg(e.st_mode).arg(e.st_ino);
            }
            return t;
        };
        const QStringList antes = archivos() + nodos();
        const Salida s = m.Pesix(argumentos);
        QCOMPARE(s.codigo, codigo);
        if (codigo == 0) {
            QCOMPARE(s.errores, QByteArray());
            QCOMPARE(Lee(argumentos[3]), Golden(esperado));
        } else {
            QVERIFY2(s.errores.startsWith("pesix: ") && s.errores.endsWith("\n") &&
                         s.errores.count('\n') == 1 && s.errores.contains(esperado.toUtf8()),
                     s.errores.constData());
            QCOMPARE(archivos() + nodos(), antes); // nothing written, created or changed
        }
        QTest::qWait(100);
        QCOMPARE(activaciones.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestComandoExportar)
#include "tst_comandoexportar.moc"
