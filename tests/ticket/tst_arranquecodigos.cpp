// Start-up loads the printer control codes: the program, started on a new database, fills the
// empty CodigosDeControl table with the sixteen default codes and goes on running.
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

class TestArranqueCodigos : public QObject {
    Q_OBJECT

private slots:
    void arranqueSiembraLosCodigos();
};

void TestArranqueCodigos::arranqueSiembraLosCodigos() {
    QTemporaryDir dir;
    QProcess pesix;
    pesix.start(qEnvironmentVariable("PESIX_BUILD_DIR") + "/pesix",
                {"--database", dir.filePath("pesix.db"), "--settings", dir.filePath("pesix.ini")});
    QVERIFY(pesix.waitForStarted());
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE");
    db.setDatabaseName(dir.filePath("pesix.db"));
    db.setConnectOptions("QSQLITE_OPEN_READONLY");
    const auto macros = [&] {
        QStringList m;
        QSqlQuery q(db);
        for (db.open() && q.exec("SELECT Macro FROM CodigosDeControl ORDER BY rowid"); q.next();)
            m << q.value(0).toString();
        db.close();
        return m;
    };
    QTRY_COMPARE_WITH_TIMEOUT(macros().size(), 16, 30000);
    QCOMPARE(macros().mid(11, 3), (QStringList{"(#INIT)", "(#LF)", "(#RFEED)"}));
    QCOMPARE(pesix.state(), QProcess::Running);
    pesix.kill();
    pesix.waitForFinished(5000);
}

QTEST_GUILESS_MAIN(TestArranqueCodigos)
#include "tst_arranquecodigos.moc"
