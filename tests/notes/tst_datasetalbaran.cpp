// The print data set of a delivery note: the lines as records in order, their numbers read by
// the cell-number rule, tare codes that are no whole number as null, the four totals, and the
// company and header records.
#include "app/kelregistry.h"
#include "notes/datasetalbaran.h"
#include "support/entornoprueba.h"

#include <QTest>

namespace {
// The values of a table's current record, in field order.
QVariantList Registro(const Recordset* r) {
    QVariantList v;
    for (int i = 0; r && i < r->NumCampos(); ++i)
        v << r->Valor(i);
    return v;
}
} // namespace

class TestDatasetAlbaran : public QObject {
    Q_OBJECT

private slots:
    void lineas_data() {
        // Lines as their nine cells separated by "|"; the tare codes each record gets ("-" for
        // null); the totals of gross, tare and net weight and of the amounts.
        QTest::addColumn<QStringList>("filas");
        QTest::addColumn<QStringList>("taras");
        QTest::addColumn<QList<double>>("totales");
        QTest::newRow("no lines") << QStringList() << QStringList() << QList<double>{0, 0, 0, 0};
        QTest::newRow("decimal comma")
            << QStringList{"P1|Peras|1|12,5|0,250|12,250|1,20|14,70|10:00:00-05/03/2026"}
            << QStringList{"1"} << QList<double>{12.5, 0.25, 12.25, 14.7};
        // An amount typed over the computed one is what the total adds up.
        QTest::newRow("amounts, not price times net")
            << QStringList{"P1|Peras||10|0|10|2,00|99,99|", "P2|Uvas||5.5|1|4.5|1|4,01|"}
            << QStringList{"-", "-"} << QList<double>{15.5, 1, 14.5, 104};
        QTest::newRow("tare codes")
            << QStringList{"|| 7 ||||||", "||2.5||||||", "||caja||||||", "||-3||||||",
                           "||99999999999||||||"}
            << QStringList{"7", "-", "-", "-3", "-"} << QList<double>{0, 0, 0, 0};
        QTest::newRow("cells with text after the number, or none")
            << QStringList{"|| |  12.5 kg|,5x|kg|-|abc|"} << QStringList{"-"}
            << QList<double>{12.5, 0.5, 0, 0};
    }

    void lineas() {
        QFETCH(QStringList, filas);
        QFETCH(QStringList, taras);
        QFETCH(QList<double>, totales);
        EntornoPrueba env;
        Albaran a;
        a.NumAlbaran = "A-7";
        a.Fecha = QDate(2026, 3, 5);
        for (const QString& f : filas) {
            FilaAlbaran fila;
            const QStringList celdas = f.split('|');
            QCOMPARE(celdas.size(), 9);
            std::copy(celdas.begin(), celdas.end(), fila.begin());
            a.Lineas.Add(fila);
        }
        const Dataset d = DatasetAlbaran::Crea(a, env.Datos(), QDateTime::currentDateTime());
        Recordset* detalle = d.Item("Detalle");
        QVERIFY(detalle);
        int i = 0;
        for (; !detalle->AlFinal(); detalle->MoveNext(), ++i) {
            QVERIFY(i < filas.size());
            const QStringList celdas = filas.at(i).split('|');
            QCOMPARE(detalle->Valor("NumLinea"), QVariant(i + 1));
            QCOMPARE(detalle->Valor("NumAlbaran").toString(), QString("A-7"));
            QCOMPARE(detalle->Valor("Fecha").toDate(), a.Fecha);
            QCOMPARE(detalle->Valor("CodProducto").toString(), celdas[0]);
            QCOMPARE(detalle->Valor("HoraPesada").toString(), celdas[8]);
            const QVariant tara = detalle->Valor("CodTara");
            QCOMPARE(tara.isNull() ? QString("-") : tara.toString(), taras.at(i));
        }
        QCOMPARE(i, filas.size());
        const QStringList total{"TotalBruto", "TotalTara", "TotalNeto", "TotalPrecio"};
        for (int t = 0; t < 4; ++t)
            QVERIFY2(qAbs(d.Item("Cabecera")->Valor(total[t]).toDouble() - totales[t]) < 1e-9,
                     qPrintable(total[t]));
    }

    // The company from the settings, the header as shown, and the tables in their order, each
    // on its first record.
    void empresaYCabecera() {
        EntornoPrueba env;
        kelRegistry::SaveAppString("\\Empresa", "Cliente", "Frutas Martínez S.L.");
        kelRegistry::SaveAppString("\\Empresa", "NIFCliente", "B12345678");
        clsDatosApp& datos = env.Datos();
        for (int i = 0; i < 3; ++i)
            datos.SetDatosEmpresa(i, QString("Línea %1").arg(i));
        const Albaran a{
            "17",       QDate(2026, 3, 5), "Ana",    "C1",
            "Bar Pino", "Calle 1",         "Lleida", QDateTime(QDate(2026, 3, 4), QTime(9, 30)),
            true,       LineasAlbaran()};
        const QDateTime ahora(QDate(2026, 3, 6), QTime(12, 0));
        const Dataset d = DatasetAlbaran::Crea(a, datos, ahora);
        QCOMPARE(d.Count(), 3);
        QCOMPARE(QStringList({d.Clave(0), d.Clave(1), d.Clave(2)}),
                 QStringList({"Empresa", "Detalle", "Cabecera"}));
        QVERIFY(d.Item("Detalle")->Vacio());
        QCOMPARE(Registro(d.Item("Empresa")), QVariantList({"Frutas Martínez S.L.", "B12345678",
                                                            "Línea 0", "Línea 1", "Línea 2"}));
        QCOMPARE(Registro(d.Item("Cabecera")),
                 QVariantList({"17", a.Fecha, "Ana", "C1", "Bar Pino", "Calle 1", "Lleida",
                               a.FechaModificacion, ahora, true, 0.0, 0.0, 0.0, 0.0}));
    }
};

QTEST_GUILESS_MAIN(TestDatasetAlbaran)
#include "tst_datasetalbaran.moc"
