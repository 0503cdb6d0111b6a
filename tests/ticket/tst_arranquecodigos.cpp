// Start-up loads the printer control codes: the program, started on a new database, fills the
// empty CodigosDeControl table with the default codes before showing its window.
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {
QStringList Macros(const QString& baseDatos) {
    QStringList macros;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "lectura");
        db.setDatabaseName(baseDatos);
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        db.open();
        QSqlQuery q(db);
        if (q.exec("SELECT Macro FROM CodigosDeControl ORDER BY rowid"))
            while (q.next())
                macros << q.value(0).toString();
    }
    QSqlDatabase::removeDatabase("lectura");
    return macros;
}
} // namespace

class TestArranqueCodigos : public QObject {
    Q_OBJECT

private slots:
    void startUpSeedsControlCodes();
};

void TestArranqueCodigos::startUpSeedsControlCodes() {
    const QString programa = qEnvironmentVariable("PESIX_BUILD_DIR") + "/pesix";
    QVERIFY2(QFileInfo(programa).isExecutable(),
             qPrintable("build the program first: " + programa));
    QTemporaryDir dir;
    const QString baseDatos = dir.filePath("pesix.db");
    QProcess proceso;
    QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
    entorno.insert("QT_QPA_PLATFORM", "offscreen");
    proceso.setProcessEnvironment(entorno);
    proceso.start(programa, {"--database", baseDatos, "--settings", dir.filePath("pesix.ini")});
    QVERIFY(proceso.waitForStarted());

    QStringList macros;
    QElapsedTimer reloj;
    reloj.start();
    while (macros.size() < 16 && reloj.elapsed() < 30000 && proceso.state() == QProcess::Running) {
        QTest::qWait(200);
        if (QFileInfo::exists(baseDatos))
            macros = Macros(baseDatos);
    }
    const bool seguia = proceso.state() == QProcess::Running;
    proceso.kill();
    proceso.waitForFinished(5000);
    QVERIFY2(seguia, proceso.readAllStandardError().constData());
    QCOMPARE(macros, (QStringList{"(#CBLACK)", "(#CDRAWER)", "(#CHARTABLE)", "(#CRED)", "(#DSOFF)",
                                  "(#DSON)", "(#EOFF)", "(#EON)", "(#FCUT)", "(#FFEED)", "(#FONT)",
                                  "(#INIT)", "(#LF)", "(#RFEED)", "(#UOFF)", "(#UON)"}));
}

QTEST_GUILESS_MAIN(TestArranqueCodigos)
#include "tst_arranquecodigos.moc"
