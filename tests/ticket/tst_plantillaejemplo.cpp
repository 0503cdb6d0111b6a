// The example 80 mm delivery ticket shipped in templates/: rendered with a sample delivery note
// it gives exactly the checked-in screen text and printer bytes (tests/ticket/golden).
//
// After a deliberate change of the template or of the renderer, run this test once with
// PESIX_ACTUALIZA_GOLDEN=1 to rewrite the golden files, then review their difference.
#include "app/clsdatosapp.h"
#include "app/kelregistry.h"
#include "db/dataset.h"
#include "db/recordsetmemoria.h"
#include "support/entornoprueba.h"
#include "ticket/directprinthelper.h"
#include "ticket/paginacodigos.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QTest>

using T = Recordset::Tipo;

namespace {
QString Fuente(const QString& relativa) {
    return qEnvironmentVariable("PESIX_SOURCE_DIR") + "/" + relativa;
}

QByteArray Lee(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The print data set of a delivery note with three weighings.
Dataset NotaDeEjemplo() {
    Dataset datos;
    auto empresa = std::make_shared<RecordsetMemoria>();
    for (const char* c : {"Nombre", "NIF", "Linea1", "Linea2", "Linea3"})
        empresa->AgregaCampo(c, T::Texto);
    empresa->AgregaRegistro({QString("Frutas Martínez S.L."), QString("B12345678"),
                             QString("Camí del Mercat, 14"), QString("46520 Sagunt (València)"),
                             QString("Tel. 962 000 000")});

    auto detalle = std::make_shared<RecordsetMemoria>();
    const QList<std::pair<QString, T>> columnas = {
        {"NumAlbaran", T::Texto},  {"Fecha", T::Fecha},       {"NumLinea", T::Entero},
        {"CodProducto", T::Texto}, {"NomProducto", T::Texto}, {"CodTara", T::Entero},
        {"PesoBruto", T::Doble},   {"PesoTara", T::Doble},    {"PesoNeto", T::Doble},
        {"Precio", T::Doble},      {"PesoImporte", T::Doble}, {"HoraPesada", T::Texto}};
    for (const auto& c : columnas)
        detalle->AgregaCampo(c.first, c.second);
    const QDate fecha(2026, 12, 5);
    const QString num = "A-000042";
    detalle->AgregaRegistro({num, fecha, 1, QString("NAR01"), QString("Naranja navelina"), 3, 512.5,
                             12.25, 500.25, 0.45, 225.1125, QString("08:15:30-05/12/2026")});
    detalle->AgregaRegistro({num, fecha, 2, QString("LIM-EXTRA-0001"),
                             QString("Limón fino de primera categoría, calibre 3 a 4"), 12, 1034.0,
                             34.0, 1000.0, 0.605, 605.0, QString("08:21:02-05/12/2026")});
    detalle->AgregaRegistro({num, fecha, 3, QString("MAND"), QString("Mandarina clemenules"),
                             QVariant(QMetaType::fromType<int>()), 77.777, 0.0, 77.777, 1.2,
                             93.3324, QString("08:40:59-05/12/2026")});

    auto cabecera = std::make_shared<RecordsetMemoria>();
    const QList<std::pair<QString, T>> cab = {
        {"NumAlbaran", T::Texto},         {"Fecha", T::Fecha},
        {"NomOperario", T::Texto},        {"CodCliente", T::Texto},
        {"NomCliente", T::Texto},         {"Direccion1", T::Texto},
        {"Direccion2", T::Texto},         {"FechaModificacion", T::FechaHora},
        {"FechaImpresion", T::FechaHora}, {"Impreso", T::Booleano},
        {"TotalBruto", T::Doble},         {"TotalTara", T::Doble},
        {"TotalNeto", T::Doble},          {"TotalPrecio", T::Doble}};
    for (const auto& c : cab)
        cabecera->AgregaCampo(c.first, c.second);
    cabecera->AgregaRegistro({num, fecha, QString("Pere Soler"), QString("C0107"),
                              QString("Cooperativa Agrícola Sant Isidre"),
                              QString("Carrer Major, 3"), QString("46500 Sagunt"),
                              QDateTime(fecha, QTime(8, 41)), QDateTime(fecha, QTime(8, 45, 12)),
                              false, 1624.277, 46.25, 1578.027, 923.4449});

    for (const auto& r : {empresa, detalle, cabecera})
        r->MoveFirst();
    datos.Add(empresa, "Empresa");
    datos.Add(detalle, "Detalle");
    datos.Add(cabecera, "Cabecera");
    return datos;
}
} // namespace

class TstPlantillaEjemplo : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void rendersGoldenTicket_data();
    void rendersGoldenTicket();

private:
    QString m_plantilla;
};

void TstPlantillaEjemplo::initTestCase() {
    m_plantilla = Fuente("templates/ejemplo-80mm.dti");
    QVERIFY2(QFile::exists(m_plantilla), qPrintable(m_plantilla));
}

void TstPlantillaEjemplo::rendersGoldenTicket_data() {
    QTest::addColumn<bool>("impresora");
    QTest::addColumn<QString>("golden");
    QTest::newRow("screen") << false << "tests/ticket/golden/ejemplo-80mm.pantalla.txt";
    QTest::newRow("printer") << true << "tests/ticket/golden/ejemplo-80mm.impresora.bin";
}

void TstPlantillaEjemplo::rendersGoldenTicket() {
    QFETCH(bool, impresora);
    QFETCH(QString, golden);
    EntornoPrueba env;
    kelRegistry::SaveAppString("\\Internacional", "sDecimal", ",");
    kelRegistry::SaveAppString("\\Internacional", "sDate", "/");
    clsDatosApp& d = env.DatosConBase();
    QCOMPARE(d.PaginaCodigosTiquet(), QString("IBM850"));
    DirectPrintHelper h;
    QVERIFY(h.CargaRecordset(d.Conexion()));
    Dataset datos = NotaDeEjemplo();

    QString error;
    const QString texto = h.Parse(m_plantilla, datos, impresora, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QByteArray bytes = impresora ? PaginaCodigos::ABytes(texto) : texto.toUtf8();

    if (qEnvironmentVariableIntValue("PESIX_ACTUALIZA_GOLDEN") == 1) {
        QFile f(Fuente(golden));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(bytes), bytes.size());
        QSKIP("golden file rewritten; review it and run again without PESIX_ACTUALIZA_GOLDEN");
    }
    const QByteArray esperado = Lee(Fuente(golden));
    QVERIFY2(!esperado.isEmpty(), qPrintable(golden));
    QCOMPARE(bytes, esperado);
    QCOMPARE(datos.Item("Detalle")->Valor("NumLinea").toInt(), 1);
}

QTEST_GUILESS_MAIN(TstPlantillaEjemplo)
#include "tst_plantillaejemplo.moc"
