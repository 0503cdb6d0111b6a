// Start-up of the real program: database creation, and one copy per user and settings file.
#include "app/kelinstanciaunica.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString Programa() {
    return qEnvironmentVariable("PESIX_BUILD_DIR") + "/pesix";
}

int CuentaTablas(const QString& ruta, const QString& condicion = "type = 'table'") {
    int n = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "mirar");
        db.setDatabaseName(ruta);
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec("SELECT COUNT(*) FROM sqlite_master WHERE " + condicion) && q.next())
                n = q.value(0).toInt();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("mirar");
    return n;
}

void Termina(QProcess& p) {
    p.terminate();
    if (!p.waitForFinished(3000)) {
        p.kill();
        p.waitForFinished(3000);
    }
}
} // namespace

class TestArranque : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("QT_QPA_PLATFORM", "offscreen"); } // for the programs started
    // --help and --version answer without a window; a mistyped option of ours is refused with
    // the usage, before any database is made.
    void lineaDeComandos_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("codigo");
        QTest::addColumn<QString>("salida");
        QTest::addColumn<QString>("errores");
        QTest::newRow("ayuda") << QStringList{"--help"} << 0
                               << "--export|--pdf|--read-scale|--detect-scale|--version|exit status"
                               << QString();
        // The identification is the SHA-256 of the program's file.
        QFile programa(Programa());
        QCryptographicHash huella(QCryptographicHash::Sha256);
        QVERIFY(programa.open(QIODevice::ReadOnly) && huella.addData(&programa));
        QTest::newRow("version") << QStringList{"--version"} << 0
                                 << "pesix |sha256: " +
                                        QString::fromLatin1(huella.result().toHex()) +
                                        "\n|templates: "
                                 << QString();
        QTest::newRow("desconocida") << QStringList{"x", "--databse", "otra.db"} << 2 << QString()
                                     << "pesix: unknown option --databse|usage:";
    }
    void lineaDeComandos() {
        QFETCH(QStringList, args);
        QFETCH(int, codigo);
        QFETCH(QString, salida);
        QFETCH(QString, errores);
        QTemporaryDir dir;
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(Programa(), args << "--settings" << dir.filePath("s.ini"));
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), codigo);
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        const QString err = QString::fromUtf8(p.readAllStandardError());
        for (const QString& trozo : salida.split('|', Qt::SkipEmptyParts))
            QVERIFY2(out.contains(trozo), qPrintable(trozo + " not in: " + out));
        for (const QString& trozo : errores.split('|', Qt::SkipEmptyParts))
            QVERIFY2(err.contains(trozo), qPrintable(trozo + " not in: " + err));
        QVERIFY(!QFileInfo::exists(dir.filePath("otra.db")));
    }
    void creaLaBaseYUnaSegundaCopiaTermina() {
        QTemporaryDir dir;
        const QString ajustes = dir.filePath("s.ini");
        QProcess primera;
        primera.start(Programa(), {"--database", dir.filePath("d.db"), "--settings", ajustes});
        // The ten tables (two of them the notes' versions), then their keys, the five indexes
        // the pick lists read by and the weighing log's two.
        QTRY_COMPARE_WITH_TIMEOUT(CuentaTablas(dir.filePath("d.db"), "type = 'index'"), 17, 10000);
        QCOMPARE(CuentaTablas(dir.filePath("d.db")), 10);

        QProcess segunda;
        segunda.start(Programa(), {"--database", dir.filePath("otra.db"), "--settings", ajustes});
        QVERIFY(segunda.waitForFinished(2000));
        QCOMPARE(segunda.exitStatus(), QProcess::NormalExit);
        QCOMPARE(segunda.exitCode(), 0);
        QVERIFY(!QFile::exists(dir.filePath("otra.db")));
        QCOMPARE(primera.state(), QProcess::Running);
        Termina(primera);
    }

    // A database that cannot be opened stops the program with a message naming the file and
    // the reason (also on standard error, for logs); a mistyped folder is not created.
    void laBaseQueNoSeAbreSeExplica() {
        QTemporaryDir dir;
        const QString ruta = dir.filePath("no/existe/x.db");
        QProcess p;
        p.start(Programa(), {"--database", ruta, "--settings", dir.filePath("s.ini")});
        QVERIFY(p.waitForStarted(5000));
        QString error;
        QTRY_VERIFY_WITH_TIMEOUT(
            (error += p.readAllStandardError()).contains("su carpeta no existe"), 10000);
        QVERIFY2(error.contains(ruta), qPrintable(error));
        Termina(p);
        QVERIFY(!QFileInfo::exists(dir.filePath("no")));
    }

    void laCopiaEnMarchaRecibeLaPeticion() {
        QTemporaryDir dir;
        kelInstanciaUnica primera(dir.filePath("s.ini"));
        QSignalSpy activar(&primera, &kelInstanciaUnica::ActivacionPedida);
        QVERIFY(primera.Adquiere());
        kelInstanciaUnica segunda(dir.filePath("s.ini"));
        QCOMPARE(segunda.Nombre(), primera.Nombre());
        QVERIFY(!segunda.Adquiere());
        QTRY_COMPARE(activar.count(), 1);
        kelInstanciaUnica otra(dir.filePath("otro.ini"));
        QVERIFY(otra.Nombre() != primera.Nombre());
        QVERIFY(otra.Adquiere());
    }
};

QTEST_MAIN(TestArranque)
#include "tst_arranque.moc"
