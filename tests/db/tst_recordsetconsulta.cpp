// Reading query results one record at a time.
#include "db/recordsetconsulta.h"
#include "support/entornoprueba.h"

#include <QTest>

using T = Recordset::Tipo;
using A = RecordsetConsulta::Almacenado;

class TestRecordsetConsulta : public QObject {
    Q_OBJECT
private slots:
    void lecturaHaciaDelante() {
        EntornoPrueba env;
        QSqlDatabase db = env.DatosConBase().Conexion();
        EntornoPrueba::Ejecuta(
            "INSERT INTO Taras VALUES (3, 'Palé', NULL), (1, 'Caja', 0.5), (2, 'Saco', 0.125)");
        RecordsetConsulta r(db,
                            "SELECT CodTara, NomTara, Peso FROM Taras WHERE CodTara >= ? "
                            "ORDER BY CodTara",
                            {2});
        QVERIFY(r.Abre());
        QCOMPARE(r.NumCampos(), 3);
        QCOMPARE(r.NombreCampo(1), QString("NomTara"));
        QCOMPARE(r.IndiceCampo("peso"), 2);
        QVERIFY(!r.AlPrincipio());
        QCOMPARE(r.Valor("CodTara"), QVariant(qlonglong(2)));
        QCOMPARE(r.Valor("NomTara"), QVariant(QString("Saco")));
        QCOMPARE(r.Valor("Peso"), QVariant(0.125));
        r.MoveNext();
        QCOMPARE(r.Valor(1).toString(), QString("Palé"));
        QVERIFY(r.Valor(2).isNull());
        QVERIFY(r.Valor(2).isValid());
        QCOMPARE(r.TipoAlmacenado(2), A::Nulo);
        QCOMPARE(r.Utf8(1), QByteArrayView("Pal\xC3\xA9"));
        QVERIFY(!r.Valor(7).isValid()); // no such column
        r.MoveNext();
        QVERIFY(r.AlFinal());
        QVERIFY(!r.AlPrincipio());
        QVERIFY(!r.Valor(0).isValid()); // off a record
        QCOMPARE(r.RegistrosLeidos(), 2);
        r.MoveNext(); // stays at the end
        QVERIFY(r.AlFinal());
        // Back to the first: the query runs again.
        r.MoveFirst();
        QVERIFY(r.EnRegistro());
        QCOMPARE(r.Valor(0), QVariant(qlonglong(2)));
        QCOMPARE(r.RegistrosLeidos(), 1);
        r.Cierra();
        QVERIFY(!r.Abierto());
        QVERIFY(r.AlFinal());
        // Without records it stands at its beginning and its end at once.
        RecordsetConsulta vacio(db, "SELECT CodTara FROM Taras WHERE CodTara > 3");
        QVERIFY(vacio.Abre());
        QVERIFY(vacio.AlPrincipio());
        QVERIFY(vacio.AlFinal());
        QVERIFY(vacio.Vacio());
        QCOMPARE(vacio.NumCampos(), 1);
        QCOMPARE(vacio.RegistrosLeidos(), 0);
    }

    // Column types: given, from the schema tables, from the declared type, from the value.
    void tipos_data() {
        QTest::addColumn<bool>("conTablas");
        QTest::addColumn<QList<int>>("esperados");
        QTest::newRow("declared types")
            << false << QList<int>{int(T::Texto),     int(T::Fecha),  int(T::Booleano),
                                   int(T::FechaHora), int(T::Entero), int(T::Doble)};
        QTest::newRow("schema types")
            << true << QList<int>{int(T::Texto),     int(T::Fecha),  int(T::Booleano),
                                  int(T::FechaHora), int(T::Entero), int(T::Entero)};
    }
    void tipos() {
        QFETCH(bool, conTablas);
        QFETCH(QList<int>, esperados);
        EntornoPrueba env;
        QSqlDatabase db = env.DatosConBase().Conexion();
        EntornoPrueba::Ejecuta("INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, "
                               "CodCliente, NomCliente, Direccion1, Direccion2, FechaModificacion, "
                               "Impreso) VALUES ('1', '2026-03-01', NULL, "
                               "'C1', NULL, NULL, NULL, '2026-03-01 10:00:00', 1)");
        // The last two columns are computed: without tables they take the type of their value
        // (7 an integer, 2.5 a double); with them, the type of the schema column of their name.
        RecordsetConsulta r(db, "SELECT NumAlbaran, Fecha, Impreso, FechaModificacion,"
                                " 7 AS NumLinea, 1.5 + 1 AS CodTara"
                                " FROM AlbaranesCabeceras");
        if (conTablas)
            r.SetTablasEsquema({"AlbaranesCabeceras", "AlbaranesDetalle"});
        QVERIFY(r.Abre());
        QList<int> tipos;
        for (int i = 0; i < r.NumCampos(); ++i)
            tipos << int(r.TipoCampo(i));
        QCOMPARE(tipos, esperados);
        QCOMPARE(r.TipoCampo(99), T::Nulo);
    }

    void parametros_data() {
        QTest::addColumn<QVariant>("parametro");
        QTest::addColumn<QVariant>("leido");
        QTest::newRow("text") << QVariant("O'Hara") << QVariant(QString("O'Hara"));
        QTest::newRow("integer") << QVariant(42) << QVariant(qlonglong(42));
        QTest::newRow("date") << QVariant(QDate(2026, 3, 1)) << QVariant(QString("2026-03-01"));
    }
    void parametros() {
        QFETCH(QVariant, parametro);
        QFETCH(QVariant, leido);
        EntornoPrueba env;
        QSqlDatabase db = env.DatosConBase().Conexion();
        RecordsetConsulta r(db, "SELECT ? AS v", {parametro});
        QVERIFY(r.Abre());
        QCOMPARE(r.Valor(0), leido);
        RecordsetConsulta nulo(db, "SELECT ? IS NULL", {QVariant()});
        QVERIFY(nulo.Abre());
        QCOMPARE(nulo.Valor(0), QVariant(qlonglong(1)));
    }

    void fallos_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("conexion");
        QTest::newRow("unknown column") << "SELECT NoHay FROM Taras" << true;
        QTest::newRow("not SQL") << "hola" << true;
        QTest::newRow("no records to return") << "DELETE FROM Taras" << true;
        QTest::newRow("closed connection") << "SELECT 1" << false;
    }
    void fallos() {
        QFETCH(QString, sql);
        QFETCH(bool, conexion);
        EntornoPrueba env;
        clsDatosApp& d = conexion ? env.DatosConBase() : env.Datos();
        RecordsetConsulta r(d.Conexion(), sql);
        QVERIFY(!r.Abre());
        QVERIFY(!r.Abierto());
        QVERIFY(!r.Error().isEmpty());
        QVERIFY(r.AlFinal());
        QVERIFY(!r.Valor(0).isValid());
    }
};

QTEST_GUILESS_MAIN(TestRecordsetConsulta)
#include "tst_recordsetconsulta.moc"
