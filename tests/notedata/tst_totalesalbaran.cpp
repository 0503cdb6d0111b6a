// The note's totals as the window shows them and the print data set carries them: the sums of
// the cells read by the cell-number rule, the lines of negative net weight, and the one line
// shown under the grid in the user's number format and language.
#include "app/cmnlanguaje.h"
#include "notedata/totalesalbaran.h"
#include "notes/datasetalbaran.h"
#include "support/entornoprueba.h"

#include <QTest>

namespace {
LineasAlbaran Lineas(const QStringList& filas) {
    LineasAlbaran l;
    for (const QString& f : filas) {
        FilaAlbaran celdas;
        const QStringList partes = f.split('|');
        for (int i = 0; i < partes.size() && i < 9; ++i)
            celdas[i] = partes[i];
        l.Add(celdas);
    }
    return l;
}
} // namespace

class TestTotalesAlbaran : public QObject {
    Q_OBJECT
private slots:
    void totales_data() {
        // Lines as cells separated by "|"; the language; the decimal separator; the line under
        // the grid and the lines of negative net.
        QTest::addColumn<QStringList>("filas");
        QTest::addColumn<int>("idioma");
        QTest::addColumn<QString>("separador");
        QTest::addColumn<QString>("resumen");
        QTest::addColumn<int>("negativos");
        QTest::newRow("sin líneas")
            << QStringList() << 0 << ","
            << "Líneas: 0    Bruto: 0,000 Kg    Tara: 0,000 Kg    Neto: 0,000 Kg    Importe: 0,00"
            << 0;
        QTest::newRow("coma y punto")
            << QStringList{"P1|Peras|1|12,5|0,250|12,250|1,20|14,70|", "P2|Uvas||5.5|1|4.5|1|4,01|"}
            << 0 << ","
            << "Líneas: 2    Bruto: 18,000 Kg    Tara: 1,250 Kg    Neto: 16,750 Kg    "
               "Importe: 18,71"
            << 0;
        // The amounts are what is added up, not the prices; a negative net subtracts.
        QTest::newRow("neto negativo, en inglés")
            << QStringList{"P1||1|10|15|-5|1,20|-6,00|", "P2||1|20|5|15|2|30|"} << 4000 << "."
            << "Lines: 2    Gross: 30.000 Kg    Tare: 20.000 Kg    Net: 10.000 Kg    Amount: 24.00"
            << 1;
        QTest::newRow("celdas sin número")
            << QStringList{"P1||x|abc|||||", "P2||||||||"} << 2000 << ","
            << "Línies: 2    Brut: 0,000 Kg    Tara: 0,000 Kg    Net: 0,000 Kg    Import: 0,00"
            << 0;
    }
    void totales() {
        QFETCH(QStringList, filas);
        QFETCH(int, idioma);
        QFETCH(QString, separador);
        QFETCH(QString, resumen);
        QFETCH(int, negativos);
        EntornoPrueba env;
        clsDatosApp& datos = env.Datos();
        cmnLanguaje::PonIdioma(idioma);
        Albaran a;
        a.NumAlbaran = "1";
        a.Lineas = Lineas(filas);
        const TotalesAlbaran t = TotalesAlbaran::De(a.Lineas);
        QCOMPARE(t.Resumen(separador, " Kg "), resumen);
        QCOMPARE(t.netosNegativos, negativos);
        // The print data set carries the same figures.
        const Dataset d = DatasetAlbaran::Crea(a, datos, QDateTime::currentDateTime());
        const Recordset* cabecera = d.Item("Cabecera");
        QCOMPARE(cabecera->Valor("TotalBruto").toDouble(), t.bruto);
        QCOMPARE(cabecera->Valor("TotalTara").toDouble(), t.tara);
        QCOMPARE(cabecera->Valor("TotalNeto").toDouble(), t.neto);
        QCOMPARE(cabecera->Valor("TotalPrecio").toDouble(), t.importe);
    }
};

QTEST_GUILESS_MAIN(TestTotalesAlbaran)
#include "tst_totalesalbaran.moc"
