// The transaction guard: what it does not confirm never reaches the file.
#include "db/transaccion.h"
#include "support/entornoprueba.h"

#include <QSqlQuery>
#include <QTest>

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
};

QTEST_GUILESS_MAIN(TestTransaccion)
#include "tst_transaccion.moc"
