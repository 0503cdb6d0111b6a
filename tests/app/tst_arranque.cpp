// Start-up of the real program: database creation and completion, and one copy per user and
// settings file.
#include "app/kelinstanciaunica.h"

#include <QElapsedTimer>
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

// Starts the program and waits until its database holds the seven tables and their keys.
bool Arranca(QProcess& p, const QString& bd, const QString& ajustes) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(Programa(), {"--database", bd, "--settings", ajustes});
    if (!p.waitForStarted(5000))
        return false;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 10000) {
        if (QFile::exists(bd) && CuentaTablas(bd, "type = 'index'") == 7)
            return true;
        if (p.state() == QProcess::NotRunning)
            return false;
        QTest::qWait(50);
    }
    return false;
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
    void creaLaBaseYUnaSegundaCopiaTermina() {
        QTemporaryDir dir;
        const QString ajustes = dir.filePath("s.ini");
        QProcess primera;
        QVERIFY2(Arranca(primera, dir.filePath("d.db"), ajustes),
                 primera.readAllStandardError().constData());
        QCOMPARE(CuentaTablas(dir.filePath("d.db")), 7);

        QProcess segunda;
        QElapsedTimer t;
        t.start();
        segunda.start(Programa(), {"--database", dir.filePath("otra.db"), "--settings", ajustes});
        QVERIFY(segunda.waitForFinished(2000));
        QVERIFY(t.elapsed() < 2000);
        QCOMPARE(segunda.exitStatus(), QProcess::NormalExit);
        QCOMPARE(segunda.exitCode(), 0);
        QVERIFY(!QFile::exists(dir.filePath("otra.db")));
        QCOMPARE(primera.state(), QProcess::Running);

        // Another settings file is another station: it runs, here on a database of an older
        // version whose Clientes lacks Direccion2; the column is added and the row stays.
        const QString vieja = dir.filePath("vieja.db");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "vieja");
            db.setDatabaseName(vieja);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec("CREATE TABLE Clientes (CodCliente VARCHAR(15) NOT NULL, "
                           "NomCliente VARCHAR(50), Direccion1 VARCHAR(50))"));
            QVERIFY(q.exec("INSERT INTO Clientes VALUES ('C1', 'Uno', 'Calle')"));
            db.close();
        }
        QSqlDatabase::removeDatabase("vieja");
        QProcess otra;
        QVERIFY(Arranca(otra, vieja, dir.filePath("otros.ini")));
        Termina(otra);
        Termina(primera);
        QCOMPARE(CuentaTablas(vieja, "type = 'table'"), 7);
        QCOMPARE(CuentaTablas(vieja, "type = 'table' AND name = 'Clientes' AND sql LIKE "
                                     "'%Direccion2%' AND (SELECT COUNT(*) FROM Clientes "
                                     "WHERE CodCliente = 'C1' AND Direccion2 IS NULL) = 1"),
                 1);
    }

    // A database that cannot be opened stops the program with a message naming the file and
    // the reason (also on standard error, for logs); a mistyped folder is not created.
    void laBaseQueNoSeAbreSeExplica_data() {
        QTest::addColumn<QString>("ruta");
        QTest::addColumn<QString>("motivo");
        QTest::newRow("carpeta que no existe") << "no/existe/x.db"
                                               << "su carpeta no existe";
        QTest::newRow("archivo que no es una base") << "basura.db"
                                                    << "file is not a database";
    }
    void laBaseQueNoSeAbreSeExplica() {
        QFETCH(QString, ruta);
        QFETCH(QString, motivo);
        QTemporaryDir dir;
        QFile basura(dir.filePath("basura.db"));
        QVERIFY(basura.open(QIODevice::WriteOnly) && basura.write(QByteArray(4096, 'x')) == 4096);
        basura.close();
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.start(Programa(),
                {"--database", dir.filePath(ruta), "--settings", dir.filePath("s.ini")});
        QVERIFY(p.waitForStarted(5000));
        QString error;
        QTRY_VERIFY_WITH_TIMEOUT((error += p.readAllStandardError()).contains(motivo), 10000);
        QVERIFY2(error.contains(dir.filePath(ruta)), qPrintable(error));
        Termina(p);
        QVERIFY(!QFileInfo::exists(dir.filePath("no")));
        QCOMPARE(QFileInfo(dir.filePath("basura.db")).size(), 4096);
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
