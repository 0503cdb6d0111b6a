// The print data set of a delivery note: the company and header records, the lines as records
// in order, their numbers read by the cell-number rule, tare codes that are no whole number as
// null, and the four totals; where each weight came from.
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelregistry.h"
#include "db/registropesadas.h"
#include "notedata/almacenalbaranes.h"
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
    void crea_data() {
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
    }

    void crea() {
        QFETCH(QStringList, filas);
        QFETCH(QStringList, taras);
        QFETCH(QList<double>, totales);
        EntornoPrueba env;
        kelRegistry::SaveAppString("\\Empresa", "Cliente", "Frutas Martínez S.L.");
        kelRegistry::SaveAppString("\\Empresa", "NIFCliente", "B12345678");
        clsDatosApp& datos = env.Datos();
        datos.SetDatosEmpresa(1, "Lleida");
        Albaran a;
        a.NumAlbaran = "A-7";
        a.Fecha = QDate(2026, 3, 5);
        a.NomOperario = "Ana";
        a.CodCliente = "C1";
        a.NomCliente = "Bar Pino";
        a.Direccion1 = "Calle 1";
        a.Direccion2 = "";
        a.FechaModificacion = QDateTime(QDate(2026, 3, 4), QTime(9, 30));
        a.Impreso = true;
        for (const QString& f : filas) {
            FilaAlbaran fila;
            const QStringList celdas = f.split('|');
            QCOMPARE(celdas.size(), 9);
            std::copy(celdas.begin(), celdas.end(), fila.begin());
            a.Lineas.Add(fila);
        }
        const QDateTime ahora(QDate(2026, 3, 6), QTime(12, 0));
        const Dataset d = DatasetAlbaran::Crea(a, datos, ahora);
        QCOMPARE(QStringList({d.Clave(0), d.Clave(1), d.Clave(2), d.Clave(3)}),
                 QStringList({"Empresa", "Detalle", "Cabecera", ""}));
        QCOMPARE(Registro(d.Item("Empresa")),
                 QVariantList({"Frutas Martínez S.L.", "B12345678", "", "Lleida", ""}));
        QCOMPARE(Registro(d.Item("Cabecera")).mid(0, 10),
                 QVariantList({"A-7", a.Fecha, "Ana", "C1", "Bar Pino", "Calle 1", "",
                               a.FechaModificacion, ahora, true}));
        const QStringList total{"TotalBruto", "TotalTara", "TotalNeto", "TotalPrecio"};
        for (int t = 0; t < 4; ++t)
            QVERIFY2(qAbs(d.Item("Cabecera")->Valor(total[t]).toDouble() - totales[t]) < 1e-9,
                     qPrintable(total[t]));
        // The lines from the first, in order.
        Recordset* detalle = d.Item("Detalle");
        int i = 0;
        for (; !detalle->AlFinal(); detalle->MoveNext(), ++i) {
            QVERIFY(i < filas.size());
            const QStringList celdas = filas.at(i).split('|');
            const QVariantList r = Registro(detalle);
            QCOMPARE(QVariantList(r.mid(0, 5)),
                     QVariantList({"A-7", a.Fecha, i + 1, celdas[0], celdas[1]}));
            QCOMPARE(r[5].isNull() ? QString("-") : r[5].toString(), taras.at(i));
            QCOMPARE(r[11].toString(), celdas[8]);
        }
        QCOMPARE(i, filas.size());
    }

    // A weight from the scale carries its weighing log entry and fingerprint, one typed by hand
    // the manual mark; a line without gross weight neither. The header counts the manual lines.
    void origenDeLasPesadas() {
        EntornoPrueba env;
        clsDatosApp& datos = env.DatosConBase();
        RegistroPesadas::Entrada e;
        e.fechaHora = QDateTime(QDate(2026, 3, 5), QTime(10, 0));
        e.puesto = "P";
        e.evento = RegistroPesadas::kPesada;
        e.peso = 12.5;
        QVERIFY(RegistroPesadas::Anade(datos.Conexion(), e));
        Albaran a;
        a.NumAlbaran = "A-8";
        a.Fecha = QDate(2026, 3, 5);
        const QString id = QString::number(e.idPesada);
        a.Lineas.Add({"P1", "", "", "12,500", "", "12,500", "", "", "", id});
        a.Lineas.Add({"P1", "", "", "3,000", "", "3,000", "", "", ""});
        a.Lineas.Add({"P1", "", "", "", "", "", "", "", ""});
        const Dataset d = DatasetAlbaran::Crea(a, datos, QDateTime::currentDateTime());
        Recordset* detalle = d.Item("Detalle");
        QStringList origen;
        for (; !detalle->AlFinal(); detalle->MoveNext())
            origen << detalle->Valor("Manual").toString() + '/' +
                          (detalle->Valor("IdPesada").isNull()
                               ? QString()
                               : detalle->Valor("IdPesada").toString()) +
                          '/' + detalle->Valor("Huella").toString();
        QCOMPARE(origen, QStringList({"/" + id + "/" + e.huella, Texto(IdTexto::MarcaManual) + "//",
                                      "//"}));
        QCOMPARE(d.Item("Cabecera")->Valor("LineasManuales").toInt(), 1);

        // Stored, the note read a line at a time gives the data set of the note loaded, on
        // every pass; a note not stored gives none.
        const AlmacenAlbaranes almacen(datos.Conexion(), datos.SeparadorDecimal());
        a.FechaModificacion = e.fechaHora;
        const Resultado guardado = almacen.Guarda(a);
        QVERIFY2(guardado, qPrintable(guardado.Error()));
        std::optional<Albaran> cargado;
        QVERIFY(almacen.Carga(a.NumAlbaran, a.Fecha, cargado) && cargado);
        const QDateTime ahora = QDateTime::currentDateTime();
        const Dataset esperado = DatasetAlbaran::Crea(*cargado, datos, ahora);
        std::optional<Dataset> leido;
        QVERIFY(DatasetAlbaran::CreaGuardado(a.NumAlbaran, a.Fecha, datos, ahora, leido));
        QVERIFY(leido);
        for (int pasada = 0; pasada < 2; ++pasada) {
            for (const char* tabla : {"Empresa", "Detalle", "Cabecera"}) {
                Recordset* r = leido->Item(tabla);
                Recordset* s = esperado.Item(tabla);
                QCOMPARE(r->NumCampos(), s->NumCampos());
                int n = 0;
                for (r->MoveFirst(), s->MoveFirst(); !s->AlFinal(); r->MoveNext(), s->MoveNext()) {
                    QVERIFY2(!r->AlFinal(), tabla);
                    QCOMPARE(Registro(r), Registro(s));
                    ++n;
                }
                QVERIFY2(r->AlFinal(), tabla);
                QCOMPARE(n, tabla == QByteArray("Detalle") ? 3 : 1);
            }
        }
        QVERIFY(DatasetAlbaran::CreaGuardado("A-9", a.Fecha, datos, ahora, leido));
        QVERIFY(!leido);
    }
};

QTEST_GUILESS_MAIN(TestDatasetAlbaran)
#include "tst_datasetalbaran.moc"
