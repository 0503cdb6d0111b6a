// Rendering a ticket: value formatting, placeholder replacement, detail sections over the data
// set, and the final macro expansion for the printer or the screen. The example template of
// templates/ rendered with a sample delivery note gives exactly the checked-in screen text and
// printer bytes of tests/ticket/golden; after a deliberate change of the template or of the
// renderer, run this test once with PESIX_ACTUALIZA_GOLDEN=1 to rewrite them, then review their
// difference.
#include "app/clsdatosapp.h"
#include "app/kelregistry.h"
#include "db/dataset.h"
#include "db/recordsetmemoria.h"
#include "support/entornoprueba.h"
#include "ticket/directprinthelper.h"
#include "ticket/documentoticket.h"
#include "ticket/paginacodigos.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QTest>

using T = Recordset::Tipo;

namespace {
// A settings object whose locale separators are the given ones.
clsDatosApp& Ajustes(EntornoPrueba& env, const QString& decimal, const QString& fecha) {
    kelRegistry::SaveAppString("\\Internacional", "sDecimal", decimal);
    kelRegistry::SaveAppString("\\Internacional", "sDate", fecha);
    return env.DatosConBase();
}

bool Escribe(const QString& ruta, const QStringList& lineas) {
    QFile f(ruta);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    for (const QString& l : lineas)
        f.write(l.toLatin1() + "\r\n");
    return true;
}

std::shared_ptr<RecordsetMemoria> Tabla(const QList<std::pair<QString, T>>& campos,
                                        const QList<QVariantList>& registros) {
    auto r = std::make_shared<RecordsetMemoria>();
    for (const auto& c : campos)
        r->AgregaCampo(c.first, c.second);
    for (const QVariantList& v : registros)
        r->AgregaRegistro(v);
    r->MoveFirst();
    return r;
}

// Renders the template lines with the default control codes, the comma as decimal separator
// and the slash as date separator.
QString Renderiza(const QStringList& lineas, const Dataset& datos, bool impresora,
                  QString* error = nullptr) {
    EntornoPrueba env;
    clsDatosApp& d = Ajustes(env, ",", "/");
    const QString ruta = env.Carpeta() + "/t.dti";
    if (!Escribe(ruta, lineas))
        qFatal("cannot write the template");
    DirectPrintHelper h;
    if (!h.CargaRecordset(d.Conexion()))
        qFatal("cannot load the control codes");
    return h.Parse(ruta, datos, impresora, error);
}

// The print data set of a delivery note with three weighings.
Dataset NotaDeEjemplo() {
    const QDate fecha(2026, 12, 5);
    const QString num = "A-000042";
    Dataset datos;
    datos.Add(Tabla({{"Nombre", T::Texto},
                     {"NIF", T::Texto},
                     {"Linea1", T::Texto},
                     {"Linea2", T::Texto},
                     {"Linea3", T::Texto}},
                    {{QString("Frutas Martínez S.L."), QString("B12345678"),
                      QString("Camí del Mercat, 14"), QString("46520 Sagunt (València)"),
                      QString("Tel. 962 000 000")}}),
              "Empresa");
    datos.Add(Tabla({{"NumAlbaran", T::Texto},
                     {"Fecha", T::Fecha},
                     {"NumLinea", T::Entero},
                     {"CodProducto", T::Texto},
                     {"NomProducto", T::Texto},
                     {"CodTara", T::Entero},
                     {"PesoBruto", T::Doble},
                     {"PesoTara", T::Doble},
                     {"PesoNeto", T::Doble},
                     {"Precio", T::Doble},
                     {"PesoImporte", T::Doble},
                     {"HoraPesada", T::Texto}},
                    {{num, fecha, 1, QString("NAR01"), QString("Naranja navelina"), 3, 512.5, 12.25,
                      500.25, 0.45, 225.1125, QString("08:15:30-05/12/2026")},
                     {num, fecha, 2, QString("LIM-EXTRA-0001"),
                      QString("Limón fino de primera categoría, calibre 3 a 4"), 12, 1034.0, 34.0,
                      1000.0, 0.605, 605.0, QString("08:21:02-05/12/2026")},
                     {num, fecha, 3, QString("MAND"), QString("Mandarina clemenules"),
                      QVariant(QMetaType::fromType<int>()), 77.777, 0.0, 77.777, 1.2, 93.3324,
                      QString("08:40:59-05/12/2026")}}),
              "Detalle");
    datos.Add(
        Tabla({{"NumAlbaran", T::Texto},
               {"Fecha", T::Fecha},
               {"NomOperario", T::Texto},
               {"CodCliente", T::Texto},
               {"NomCliente", T::Texto},
               {"Direccion1", T::Texto},
               {"Direccion2", T::Texto},
               {"FechaModificacion", T::FechaHora},
               {"FechaImpresion", T::FechaHora},
               {"Impreso", T::Booleano},
               {"TotalBruto", T::Doble},
               {"TotalTara", T::Doble},
               {"TotalNeto", T::Doble},
               {"TotalPrecio", T::Doble}},
              {{num, fecha, QString("Pere Soler"), QString("C0107"),
                QString("Cooperativa Agrícola Sant Isidre"), QString("Carrer Major, 3"),
                QString("46500 Sagunt"), QDateTime(fecha, QTime(8, 41)),
                QDateTime(fecha, QTime(8, 45, 12)), false, 1624.277, 46.25, 1578.027, 923.4449}}),
        "Cabecera");
    return datos;
}

QByteArray Lee(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

DocumentoCampo Campo(const QString& definicion) {
    DocumentoCampo c;
    QString error;
    if (!c.SetStrValores(definicion, &error))
        qFatal("bad field in test: %s", qPrintable(error));
    return c;
}
} // namespace

class TstRenderizado : public QObject {
    Q_OBJECT

private slots:
    void formatsValues_data();
    void formatsValues();
    void replacesPlaceholders_data();
    void replacesPlaceholders();
    void detailRepeatsPerRecordAndRewinds();
    void detailOverEmptyOrMissingTable_data();
    void detailOverEmptyOrMissingTable();
    void printerAndScreenDifferOnlyInMacros();
    void dataValuesThroughMacrosAndCodePage();
    void missingOrMalformedTemplate();
    void templateIsCachedBySettings();
    void dataSetKeysWithoutCase();
    void rendersExampleTemplate_data();
    void rendersExampleTemplate();
};

void TstRenderizado::formatsValues_data() {
    QTest::addColumn<QVariant>("valor");
    QTest::addColumn<QString>("definicion");
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<QString>("fecha");
    QTest::addColumn<QString>("esperado");

    auto fila = [](const char* nombre, const QVariant& v, const QString& def, const QString& esp,
                   const QString& dec = ",", const QString& fec = "/") {
        QTest::newRow(nombre) << v << def << dec << fec << esp;
    };
    fila("right, 2 decimals", 12.5, "T;C;8;D;2", "   12,50");
    fila("0 decimals rounds down", 12.4, "T;C;4;I;0", "12  ");
    fila("half away from zero", 2.5, "T;C;3;D;0", "  3");
    fila("negative half away from zero", -2.5, "T;C;3;D;0", " -3");
    fila("decimal half stored just below", 2.675, "T;C;4;I;2", "2,68");
    fila("carry into integer part", 9.995, "T;C;5;I;2", "10,00");
    fila("carry adds a digit", 99.5, "T;C;3;I;0", "100");
    fila("negative rounding to zero has no sign", -0.001, "T;C;4;I;2", "0,00");
    fila("integer with decimals", 12, "T;C;6;D;3", "12,000");
    fila("ordinary double", 12.5, "T;C;5;I", "12,5 ");
    fila("date", QDate(2026, 12, 5), "T;C;8;I", "05/12/26");
    fila("date with locale separator", QDate(2026, 12, 5), "T;C;8;I", "05.12.26", ",", ".");
    fila("date and time drops the time", QDateTime(QDate(2026, 3, 1), QTime(23, 59, 59)),
         "T;C;10;I", "01/03/26  ");
    fila("text trimmed", QString("  hola  "), "T;C;6;D", "  hola");
    fila("centred with odd leftover to the right", QString("ABC"), "T;C;6;C", " ABC  ");
    fila("left cut at the end", QString("ABCDEF"), "T;C;4;I", "ABCD");
    fila("centre cut at the end", QString("ABCDEF"), "T;C;4;C", "ABCD");
    fila("right cut at the start", QString("ABCDEF"), "T;C;4;D", "CDEF");
    fila("number cut at the start", 12345.678, "T;C;6;D;2", "345,68");
    fila("width 0", QString("ABC"), "T;C;0;D", "");
    fila("alignment compared with case: d is left", QString("AB"), "T;C;4;d", "AB  ");
    fila("null", QVariant(QMetaType::fromType<double>()), "T;C;3;D;2", "   ");
    fila("boolean true", true, "T;C;1;I", "1");
}

void TstRenderizado::formatsValues() {
    QFETCH(QVariant, valor);
    QFETCH(QString, definicion);
    QFETCH(QString, decimal);
    QFETCH(QString, fecha);
    QFETCH(QString, esperado);
    EntornoPrueba env;
    Ajustes(env, decimal, fecha);
    const DocumentoCampo campo = Campo(definicion);
    const QString r = campo.ValorFormateado(valor);
    QCOMPARE(r, esperado);
    QCOMPARE(r.size(), campo.Longitud());
}

void TstRenderizado::replacesPlaceholders_data() {
    QTest::addColumn<QString>("definicion");
    QTest::addColumn<QString>("linea");
    QTest::addColumn<bool>("alFinal");
    QTest::addColumn<QString>("esperado");
    auto fila = [](const char* nombre, const char* def, const char* linea, bool alFinal,
                   const char* esp) {
        QTest::newRow(nombre) << QString(def) << QString(linea) << alFinal << QString(esp);
    };
    fila("every occurrence, any case", "Empresa;Nombre;5;I", "[%Empresa;Nombre%|%EMPRESA;nombre%]",
         false, "[Kel  |Kel  ]");
    fila("no placeholder", "Empresa;Nombre;5;I", "sin campos", false, "sin campos");
    fila("table missing", "Otra;Nombre;5;I", "%Otra;Nombre%", false, "%Otra;Nombre%");
    fila("column missing", "Empresa;Nada;5;I", "a%Empresa;Nada%b", false, "a%Empresa;Nada%b");
    fila("no current record", "Empresa;Nombre;5;I", "%Empresa;Nombre%", true, "%Empresa;Nombre%");
    fila("width 0 removes it", "Empresa;Nombre;0;I", "a%Empresa;Nombre%b", false, "ab");
    fila("date column holding its stored text", "Empresa;Alta;8;I", "%Empresa;Alta%", false,
         "05/12/26");
}

void TstRenderizado::replacesPlaceholders() {
    QFETCH(QString, definicion);
    QFETCH(QString, linea);
    QFETCH(bool, alFinal);
    QFETCH(QString, esperado);
    EntornoPrueba env;
    Ajustes(env, ",", "/");
    Dataset datos;
    auto empresa = Tabla({{"Nombre", T::Texto}, {"Alta", T::Fecha}},
                         {{QString("Kel"), QString("2026-12-05")}});
    if (alFinal)
        empresa->MoveNext();
    datos.Add(empresa, "empresa");
    QCOMPARE(Campo(definicion).Parse(linea, datos), esperado);
}

void TstRenderizado::detailRepeatsPerRecordAndRewinds() {
    Dataset datos;
    auto detalle =
        Tabla({{"NumLinea", T::Entero}, {"Peso", T::Doble}}, {{1, 1.25}, {2, 20.0}, {3, -3.05}});
    datos.Add(Tabla({{"Num", T::Texto}}, {{QString("A7")}}), "Cabecera");
    datos.Add(detalle, "Detalle");
    detalle->MoveNext();
    detalle->MoveNext(); // rendering starts from the first record wherever the table stands
    QString error;
    const QString texto =
        Renderiza({"(#IniCampos)", "Detalle;NumLinea;2;D", "Detalle;Peso;6;D;1", "Cabecera;Num;4;I",
                   "(#FinCampos)", "(#IniSeccion)", "N %Cabecera;Num%", "(#FinSeccion)",
                   "(#IniDetalle;Detalle)", "%Detalle;NumLinea%:%Detalle;Peso%", "-",
                   "(#FinDetalle;Detalle)", "fin %Detalle;NumLinea%"},
                  datos, false, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(texto, QString("N A7  \r\n"
                            " 1:   1,3\r\n-\r\n"
                            " 2:  20,0\r\n-\r\n"
                            " 3:  -3,1\r\n-\r\n"
                            "fin  1\r\n"));
    QCOMPARE(detalle->Posicion(), 0);
}

void TstRenderizado::detailOverEmptyOrMissingTable_data() {
    QTest::addColumn<bool>("presente");
    QTest::newRow("empty table") << true;
    QTest::newRow("table not in the data set") << false;
}

void TstRenderizado::detailOverEmptyOrMissingTable() {
    QFETCH(bool, presente);
    Dataset datos;
    if (presente)
        datos.Add(Tabla({{"N", T::Entero}}, {}), "Detalle");
    QCOMPARE(Renderiza({"(#IniCampos)", "Detalle;N;2;D", "(#FinCampos)", "antes",
                        "(#IniDetalle;Detalle)", "linea %Detalle;N%", "(#FinDetalle;Detalle)",
                        "despues"},
                       datos, true),
             QString("antes\ndespues\n"));
}

void TstRenderizado::printerAndScreenDifferOnlyInMacros() {
    const QStringList plantilla{"(#IniCampos)", "E;Nombre;10;C", "(#FinCampos)",
                                "(#INIT)(#eon)%E;Nombre%(#EOFF)", "(#FCUT)"};
    Dataset datos;
    datos.Add(Tabla({{"Nombre", T::Texto}}, {{QString("Kel")}}), "E");
    QCOMPARE(Renderiza(plantilla, datos, false), QString("   Kel    \r\n\r\n"));
    const QByteArray esperado("\x1b@\x1b"
                              "E\x01   Kel    \x1b"
                              "E\x00\n\x1dV\x01\n",
                              23);
    QCOMPARE(PaginaCodigos::ABytes(Renderiza(plantilla, datos, true)), esperado);
}

// A data value holding a macro is expanded like template text; the printer bytes go through
// the ticket code page (IBM850: n with tilde is A4, the euro sign is missing and prints "?"); a
// placeholder without a field stays as written.
void TstRenderizado::dataValuesThroughMacrosAndCodePage() {
    Dataset datos;
    datos.Add(Tabla({{"Nombre", T::Texto}}, {{QString("Señor(#LF)€")}}), "C");
    const QString texto = Renderiza(
        {"(#IniCampos)", "C;Nombre;14;I", "(#FinCampos)", "%C;Nombre%|%C;Sin%"}, datos, true);
    QCOMPARE(PaginaCodigos::ABytes(texto), QByteArray("\x53\x65\xA4\x6F\x72\n?   |%C;Sin%\n"));
}

void TstRenderizado::missingOrMalformedTemplate() {
    EntornoPrueba env;
    clsDatosApp& d = Ajustes(env, ",", "/");
    DirectPrintHelper h;
    QVERIFY(h.CargaRecordset(d.Conexion()));
    Dataset datos;
    QString error;
    QCOMPARE(h.Parse(env.Carpeta() + "/nada.dti", datos, true, &error), QString());
    QVERIFY(error.isEmpty());

    const QString ruta = env.Carpeta() + "/t.dti";
    QVERIFY(Escribe(ruta, {"texto", "(#IniCampos)", "E;Nombre;x;I"}));
    QCOMPARE(h.Parse(ruta, datos, false, &error), QString());
    QVERIFY2(error.startsWith(ruta + ", línea 3:"), qPrintable(error));
}

void TstRenderizado::templateIsCachedBySettings() {
    EntornoPrueba env;
    clsDatosApp& d = Ajustes(env, ",", "/");
    const QString ruta = env.Carpeta() + "/t.dti";
    QVERIFY(Escribe(ruta, {"hola"}));
    QVERIFY(!d.Documento());
    DirectPrintHelper h;
    QVERIFY(h.CargaRecordset(d.Conexion()));
    Dataset datos;
    QCOMPARE(h.Parse(ruta, datos, false), QString("hola\r\n"));
    const auto documento = d.Documento();
    QVERIFY(documento);
    QCOMPARE(documento->RutaFichero(), ruta);
    QCOMPARE(h.Parse(ruta, datos, false), QString("hola\r\n"));
    QCOMPARE(d.Documento(), documento);
}

// The data set rendering looks tables up in: keys without regard to case, a re-added key
// replaces its entry and moves to the end, a missing key gives no table.
void TstRenderizado::dataSetKeysWithoutCase() {
    Dataset datos;
    auto b = Tabla({{"N", T::Entero}}, {{2}});
    auto c = Tabla({{"N", T::Entero}}, {{3}});
    datos.Add(Tabla({{"N", T::Entero}}, {{1}}), "Empresa");
    datos.Add(b, "Detalle");
    QCOMPARE(datos.Add(c, "empresa"), c.get());
    QCOMPARE(datos.Count(), 2);
    QCOMPARE(datos.Item(0), b.get());
    QCOMPARE(datos.Item("EMPRESA")->Valor("n").toInt(), 3);
    QVERIFY(!datos.Item("Cabecera"));
    datos.Remove("detalle");
    QVERIFY(!datos.Item("Detalle"));
}

void TstRenderizado::rendersExampleTemplate_data() {
    QTest::addColumn<bool>("impresora");
    QTest::addColumn<QString>("golden");
    QTest::newRow("screen") << false << "/tests/ticket/golden/ejemplo-80mm.pantalla.txt";
    QTest::newRow("printer") << true << "/tests/ticket/golden/ejemplo-80mm.impresora.bin";
}

void TstRenderizado::rendersExampleTemplate() {
    QFETCH(bool, impresora);
    QFETCH(QString, golden);
    const QString fuente = qEnvironmentVariable("PESIX_SOURCE_DIR");
    EntornoPrueba env;
    clsDatosApp& d = Ajustes(env, ",", "/");
    QCOMPARE(d.PaginaCodigosTiquet(), QString("IBM850"));
    DirectPrintHelper h;
    QVERIFY(h.CargaRecordset(d.Conexion()));
    Dataset datos = NotaDeEjemplo();
    QString error;
    const QString texto = h.Parse(fuente + "/templates/ejemplo-80mm.dti", datos, impresora, &error);
    QVERIFY2(!texto.isEmpty() && error.isEmpty(), qPrintable(error));
    const QByteArray bytes = impresora ? PaginaCodigos::ABytes(texto) : texto.toUtf8();

    if (qEnvironmentVariableIntValue("PESIX_ACTUALIZA_GOLDEN") == 1) {
        QFile f(fuente + golden);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        QSKIP("golden file rewritten; review it and run again without PESIX_ACTUALIZA_GOLDEN");
    }
    QCOMPARE(bytes, Lee(fuente + golden));
    QCOMPARE(datos.Item("Detalle")->Valor("NumLinea").toInt(), 1);
}

QTEST_GUILESS_MAIN(TstRenderizado)
#include "tst_renderizado.moc"
