// The transaction guard: what it does not confirm never reaches the file.
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "db/transaccion.h"
#include "support/entornoprueba.h"

#include <QFile>
#include <QSqlQuery>
#include <QTest>
#include <cstdio>

namespace {
QByteArray Lee(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestTransaccion : public QObject {
    Q_OBJECT
private slots:
    void soloLoConfirmadoQueda_data() {
        QTest::addColumn<int>("final"); // 0 out of scope, 1 Deshace, 2 Confirma
        QTest::addColumn<int>("filas");
        QTest::newRow("sin confirmar") << 0 << 0;
        QTest::newRow("deshecha") << 1 << 0;
        QTest::newRow("confirmada") << 2 << 2;
    }
    void soloLoConfirmadoQueda() {
        QFETCH(int, final);
        QFETCH(int, filas);
        EntornoPrueba env;
        QSqlDatabase db = env.DatosConBase().Conexion();
        {
            Transaccion t(db);
            QVERIFY(t.Inicio());
            QSqlQuery q(db);
            QVERIFY(q.exec("INSERT INTO Taras (CodTara) VALUES (1)"));
            QVERIFY(q.exec("INSERT INTO Taras (CodTara) VALUES (2)"));
            if (final == 1) {
                t.Deshace();
                QVERIFY(!t.Confirma()); // nothing left to confirm
            }
            if (final == 2)
                QVERIFY(t.Confirma());
        }
        // Another connection sees what the file holds.
        QSqlDatabase otra = QSqlDatabase::addDatabase("QSQLITE", "otra");
        otra.setDatabaseName(env.ArchivoBaseDatos());
        QVERIFY(otra.open());
        QSqlQuery q(otra);
        QVERIFY(q.exec("SELECT COUNT(*) FROM Taras") && q.next());
        QCOMPARE(q.value(0).toInt(), filas);
        q = QSqlQuery();
        otra.close();
        otra = QSqlDatabase();
        QSqlDatabase::removeDatabase("otra");
    }

    // A station whose database file was replaced (a copy moved over it) or removed while open
    // would write into the old file, which no one reads again: the save is refused, with the
    // file named, and the file now in its place is left as it is.
    void archivoSustituido_data() {
        QTest::addColumn<bool>("sustituido");
        QTest::newRow("replaced") << true;
        QTest::newRow("removed") << false;
    }
    void archivoSustituido() {
        QFETCH(bool, sustituido);
        EntornoPrueba env;
        QSqlDatabase db = env.DatosConBase().Conexion();
        const QString ruta = env.ArchivoBaseDatos();
        const QString otra = env.Carpeta() + "/otra.db";
        QVERIFY(QFile::copy(ruta, otra));
        QVERIFY(sustituido ? std::rename(qPrintable(otra), qPrintable(ruta)) == 0
                           : QFile::remove(ruta));
        const QByteArray antes = sustituido ? Lee(ruta) : QByteArray();
        Transaccion t(db);
        QSqlQuery(db).exec("INSERT INTO Taras (CodTara) VALUES (1)");
        const Resultado r = t.Confirma();
        QVERIFY(!r);
        QCOMPARE(r.Error(), Texto(IdTexto::BaseDatosSustituida).arg(ruta));
        QCOMPARE(QFile::exists(ruta), sustituido);
        if (sustituido)
            QCOMPARE(Lee(ruta), antes);
    }
};

QTEST_GUILESS_MAIN(TestTransaccion)
#include "tst_transaccion.moc"
