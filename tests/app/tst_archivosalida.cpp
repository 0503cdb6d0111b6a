// Files written whole: what they are refused over, and what a failure says.
#include "app/archivosalida.h"
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {
QByteArray Lee(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
// Kind, device and inode of what the name itself is (links not followed).
QString Huella(const QString& ruta) {
    struct stat s {};
    if (::lstat(QFile::encodeName(ruta).constData(), &s) != 0)
        return QString();
    return QString("%1:%2:%3").arg(s.st_mode & S_IFMT).arg(s.st_dev).arg(s.st_ino);
}
} // namespace

class TestArchivoSalida : public QObject {
    Q_OBJECT
private slots:
    // The database "base.db" (its write-ahead log beside it) is protected; every other path is
    // tried with a write of a few bytes. What is refused is left exactly as it was.
    void destinos_data() {
        QTest::addColumn<QString>("ruta");
        QTest::addColumn<int>("rechazo"); // the text id, 0 when written
        const int base = IdTexto::SalidaEsBaseDatos, noArchivo = IdTexto::SalidaNoEsArchivo;
        QTest::newRow("new file") << "nuevo.pdf" << 0;
        QTest::newRow("existing file") << "viejo.pdf" << 0;
        QTest::newRow("link to a file") << "enlace-viejo.pdf" << 0;
        QTest::newRow("the database") << "base.db" << base;
        QTest::newRow("its log") << "base.db-wal" << base;
        QTest::newRow("a link to it") << "enlace.pdf" << base;
        QTest::newRow("a link to the link") << "enlace2.pdf" << base;
        QTest::newRow("a hard link") << "duro.pdf" << base;
        QTest::newRow("by a folder") << "carpeta/../base.db" << base;
        QTest::newRow("a folder") << "carpeta" << noArchivo;
        QTest::newRow("a FIFO") << "tubo.pdf" << noArchivo;
        QTest::newRow("a link to a FIFO") << "enlace-tubo.pdf" << noArchivo;
        QTest::newRow("a device") << "/dev/null" << noArchivo;
        QTest::newRow("a link to a device") << "nulo.pdf" << noArchivo;
        QTest::newRow("a device node here") << "nodo.pdf" << noArchivo;
    }
    void destinos() {
        QFETCH(QString, ruta);
        QFETCH(int, rechazo);
        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()));
        for (const char* n : {"base.db", "base.db-wal", "viejo.pdf"})
            QVERIFY(QFile(n).open(QIODevice::WriteOnly) && QFile(n).resize(0) &&
                    QFile::setPermissions(n, QFile::ReadOwner | QFile::WriteOwner));
        QFile b("base.db");
        QVERIFY(b.open(QIODevice::WriteOnly) && b.write("SQLite format 3") > 0);
        b.close();
        QVERIFY(QDir().mkdir("carpeta"));
        QVERIFY(QFile::link("base.db", "enlace.pdf") && QFile::link("enlace.pdf", "enlace2.pdf"));
        QVERIFY(QFile::link("viejo.pdf", "enlace-viejo.pdf") &&
                QFile::link("/dev/null", "nulo.pdf"));
        QCOMPARE(::link("base.db", "duro.pdf"), 0);
        QCOMPARE(::mkfifo("tubo.pdf", 0600), 0);
        QVERIFY(QFile::link("tubo.pdf", "enlace-tubo.pdf"));
        if (QTest::currentDataTag() == QByteArray("a device node here") &&
            ::mknod("nodo.pdf", S_IFCHR | 0600, makedev(1, 3)) != 0)
            QSKIP("making a device node needs the superuser");

        const QStringList todos =
            QDir().entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        QStringList antes;
        for (const QString& n : todos)
            antes << Huella(n) + "=" + (QFileInfo(n).isFile() ? Lee(n).toHex() : QByteArray());
        const Resultado r =
            ArchivoSalida::Guarda(ruta, "%PDF-1.4", ArchivoSalida::DeBaseDatos("base.db"));
        if (rechazo == 0) {
            QVERIFY2(r, qPrintable(r.Error()));
            QCOMPARE(Lee(ruta), QByteArray("%PDF-1.4"));
            return;
        }
        QCOMPARE(r.Error(), Texto(rechazo).arg(ruta));
        QStringList despues;
        for (const QString& n : todos)
            despues << Huella(n) + "=" + (QFileInfo(n).isFile() ? Lee(n).toHex() : QByteArray());
        QCOMPARE(despues, antes);
        QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), todos);
    }

    // A disk with no room: the old file stays, and the failure names the file and the cause,
    // whether the data comes in one write or in many small ones. A failure with another cause
    // gives the system's reason.
    void discoLleno_data() {
        QTest::addColumn<int>("escrituras");
        QTest::addColumn<int>("bytes");
        QTest::newRow("one write") << 1 << 200000;
        QTest::newRow("many small writes") << 2000 << 100;
    }
    void discoLleno() {
        QFETCH(int, escrituras);
        QFETCH(int, bytes);
        if (::geteuid() != 0)
            QSKIP("mounting a small disk needs the superuser");
        QTemporaryDir dir;
        const QString disco = dir.filePath("disco");
        QVERIFY(QDir().mkdir(disco));
        QCOMPARE(QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", disco}), 0);
        const auto desmonta = qScopeGuard([&] { QProcess::execute("umount", {disco}); });
        const QString ruta = disco + "/listado.pdf";
        QVERIFY(ArchivoSalida::Guarda(ruta, "viejo"));
        ArchivoSalida archivo(ruta);
        QVERIFY(archivo.Abre());
        for (int i = 0; i < escrituras; ++i)
            archivo.Escribe(QByteArray(bytes, 'x'));
        const Resultado r = archivo.Confirma();
        QCOMPARE(r.Error(), Texto(IdTexto::DiscoLleno).arg(ruta));
        QCOMPARE(Lee(ruta), QByteArray("viejo"));
        QCOMPARE(QDir(disco).entryList(QDir::Files), QStringList{"listado.pdf"});
    }
    void otraCausa() {
        const QString ruta = QDir::tempPath() + "/no/hay/tal/carpeta.pdf";
        const Resultado r = ArchivoSalida::Guarda(ruta, "x");
        QVERIFY(r.Error().startsWith(Texto(IdTexto::ArchivoNoSeEscribe).arg(ruta, QString())));
        QVERIFY(r.Error().size() > Texto(IdTexto::ArchivoNoSeEscribe).arg(ruta, QString()).size());
    }
};

QTEST_GUILESS_MAIN(TestArchivoSalida)
#include "tst_archivosalida.moc"
