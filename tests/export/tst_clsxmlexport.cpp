// The XML writer over in-memory record sets and over query results.
#include "db/recordsetconsulta.h"
#include "db/recordsetmemoria.h"
#include "export/albaranesprueba.h"
#include "export/clsxmlexport.h"
#include "support/entornoprueba.h"

#include <QDate>
#include <QLocale>
#include <QPoint>
#include <QTest>
#include <QXmlStreamReader>

namespace {
const QString kDecl = QStringLiteral("<?xml version=\"1.0\"?>\r\n");
using T = Recordset::Tipo;

RecordsetMemoria Clientes() {
    RecordsetMemoria r;
    r.AgregaCampo("Codigo", T::Entero);
    r.AgregaCampo("Nombre", T::Texto);
    r.AgregaCampo("Direccion 2", T::Texto);
    r.AgregaRegistro({1, "Ana", "Calle 1"});
    r.AgregaRegistro({2, "Luis", QVariant()});
    r.MoveFirst();
    return r;
}
const QString kFila1 = "<Codigo>1</Codigo>\r\n<Nombre>Ana</Nombre>\r\n"
                       "<Direccion2>Calle 1</Direccion2>\r\n";
const QString kFila2 = "<Codigo>2</Codigo>\r\n<Nombre>Luis</Nombre>\r\n"
                       "<Direccion2></Direccion2>\r\n";

using albaranesprueba::Lee;
} // namespace

class TestClsXMLExport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain)); }

    void etiquetas() {
        clsXMLExport x;
        x.TagEnd(); // nothing open: nothing appended
        x.TagStart("Raiz");
        x.TagStart("Hoja Verde"); // spaces removed
        QCOMPARE(x.ElementosAbiertos(), 2);
        x.TagEnd();
        x.TagEnd();
        x.TagEnd(); // one too many
        x.TagStart("   ");
        QCOMPARE(x.ElementosAbiertos(), 0);
        QCOMPARE(x.XML(), kDecl + "<Raiz>\r\n<HojaVerde>\r\n</HojaVerde>\r\n</Raiz>\r\n");
        x.Clear();
        QCOMPARE(x.XML(), kDecl);
    }

    // Attributes go with every start tag until ClearAttributes; the rows of a record set carry
    // none, and the attributes come back after it.
    void atributos() {
        RecordsetMemoria r = Clientes();
        clsXMLExport x;
        x.SetCurrentRecordset(&r);
        x.AddAttribute("b", "2");
        x.AddAttribute("a", "1");
        x.AddAttribute("b", "ignored");
        x.AddAttribute("q", "it's \"x\" & <y>");
        x.TagStart("E");
        QVERIFY(x.AddRecordset("F", "Item", false));
        x.TagStart("G");
        x.ClearAttributes();
        x.TagStart("H");
        const QString conAtributos = " b='2' a='1' q='it&apos;s &quot;x&quot; &amp; &lt;y&gt;'>";
        QCOMPARE(x.XML(), kDecl + "<E" + conAtributos + "\r\n<F" + conAtributos + "\r\n<Item>\r\n" +
                              kFila1 + "</Item>\r\n<Item>\r\n" + kFila2 + "</Item>\r\n</F>\r\n<G" +
                              conAtributos + "\r\n<H>\r\n");
        QXmlStreamReader lector(x.XML());
        lector.readNextStartElement();
        QCOMPARE(lector.attributes().value("q").toString(), QString("it's \"x\" & <y>"));
    }

    void filasYCampos() {
        RecordsetMemoria r = Clientes();
        r.MoveNext(); // AddRecordset starts from the first record wherever the set stands
        clsXMLExport x;
        QVERIFY(x.SetCurrentRecordset(&r));
        QVERIFY(x.AddRecordset("", "Item", true));
        QVERIFY(!x.AddRow("Item")); // off the end
        r.MoveFirst();
        QVERIFY(x.AddRow("  Fila  "));
        QVERIFY(!x.AddField("NoExiste", false));
        QVERIFY(x.AddField("Nombre", true));
        QCOMPARE(x.XML(), kDecl + "<Item1>\r\n" + kFila1 + "</Item1>\r\n<Item2>\r\n" + kFila2 +
                              "</Item2>\r\n<Fila>\r\n" + kFila1 +
                              "</Fila>\r\n<Nombre>Ana</Nombre>\r\n<Nombre>Luis</Nombre>\r\n");
        // An empty record set appends nothing, not even its element.
        RecordsetMemoria vacio;
        vacio.AgregaCampo("Codigo", T::Entero);
        QVERIFY(x.SetCurrentRecordset(&vacio));
        x.Clear();
        QVERIFY(!x.AddRecordset("Items", "Item", false));
        QCOMPARE(x.XML(), kDecl);
    }

    // Whatever a value holds, the document reads back with the same text.
    void escapado_data() {
        QTest::addColumn<bool>("cdata");
        QTest::addColumn<QString>("valor");
        QTest::addColumn<QString>("enDocumento");
        const auto fila = [](const char* n, bool cdata, const char* valor, const char* escrito) {
            QTest::newRow(n) << cdata << QString(valor) << QString(escrito);
        };
        fila("markup", false, "Pan & Vino <SL>", "Pan &amp; Vino &lt;SL&gt;");
        fila("cdata end in text", false, "a]]>b", "a]]&gt;b");
        fila("markup in cdata", true, "Pan & Vino <SL>", "<![CDATA[Pan & Vino <SL>]]>");
        fila("cdata end in cdata", true, "a]]>b]]>",
             "<![CDATA[a]]]]><![CDATA[>b]]]]><![CDATA[>]]>");
        fila("carriage return", false, "a\r\nb", "a&#13;\nb");
    }
    void escapado() {
        QFETCH(bool, cdata);
        QFETCH(QString, valor);
        QFETCH(QString, enDocumento);
        RecordsetMemoria r;
        r.AgregaCampo("Nombre", T::Texto);
        r.AgregaRegistro({valor});
        clsXMLExport x;
        x.SetCData(cdata);
        x.SetCurrentRecordset(&r);
        QVERIFY(x.AddField("Nombre", false));
        QCOMPARE(x.XML(), kDecl + "<Nombre>" + enDocumento + "</Nombre>\r\n");
        QXmlStreamReader lector(x.XML());
        lector.readNextStartElement();
        QCOMPARE(lector.readElementText(), valor);
    }

    // Each failure gives its number and appends nothing.
    void errores() {
        EntornoPrueba env;
        clsDatosApp& d = env.DatosConBase();
        clsXMLExport x;
        x.SetFormato(FormatoValores(",", QLocale(QLocale::Spanish, QLocale::Spain)));
        QVERIFY(x.AddDisconnectedField("Campo Libre", QDate(2026, 1, 2)));
        QVERIFY(!x.AddDisconnectedField("Punto", QPoint(1, 2)));
        QCOMPARE(x.NumeroError(), 30050);
        QCOMPARE(x.DescripcionError(), QString("Value cannot be written to an XML file"));
        QVERIFY(!x.AddRow("Item"));
        QCOMPARE(x.NumeroError(), 30010);
        QVERIFY(!x.SetCurrentRecordset(nullptr));
        QCOMPARE(x.NumeroError(), 30000);
        // A query record set is opened when set; one whose query cannot run stays closed.
        RecordsetConsulta taras(d.Conexion(), "SELECT CodTara FROM Taras");
        QVERIFY(x.SetCurrentRecordset(&taras));
        QVERIFY(taras.Abierto());
        RecordsetConsulta mala(d.Conexion(), "SELECT NoHay FROM Taras");
        QVERIFY(!x.SetCurrentRecordset(&mala));
        QVERIFY(!x.AddRecordset("A", "B", false));
        QCOMPARE(x.NumeroError(), 30020);
        QCOMPARE(x.XML(), kDecl + "<CampoLibre>02/01/2026</CampoLibre>\r\n");
    }

    void outputFile_data() {
        QTest::addColumn<QString>("directorio");
        QTest::addColumn<QString>("archivo");
        QTest::addColumn<QString>("ruta");
        const auto fila = [](const char* n, const char* carpeta, const char* nombre,
                             const char* ruta) {
            QTest::newRow(n) << QString(carpeta) << QString(nombre) << QString(ruta);
        };
        fila("bare name", "/tmp/x", "a.xml", "/tmp/x/a.xml");
        fila("folder with backslash", "C:\\datos\\", "a.xml", "C:\\datos\\a.xml");
        fila("name with a folder", "/tmp/x", "/otra/a.xml", "/otra/a.xml");
        fila("no folder", "", "a.xml", "a.xml");
    }
    void outputFile() {
        QFETCH(QString, directorio);
        QFETCH(QString, archivo);
        QFETCH(QString, ruta);
        clsXMLExport x;
        x.SetOutputDirectory(directorio);
        x.SetOutputFile(archivo);
        QCOMPARE(x.OutputFile(), ruta);
    }

    void persistXML() {
        EntornoPrueba env;
        RecordsetMemoria r = Clientes();
        clsXMLExport x;
        QVERIFY(!x.PersistXML());
        QCOMPARE(x.NumeroError(), 30030);
        x.SetCurrentRecordset(&r);
        x.TagStart("Lista");
        x.AddRow("Cliente");
        x.TagStart("Abierto"); // still open: closed on writing
        // UTF-8, the encoding the declaration leaves; what XML cannot carry at all becomes "?"
        x.AddDisconnectedField("N", QString("Camí € Łódź") + QChar(1));
        x.SetOutputDirectory(env.Carpeta());
        x.SetOutputFile("salida.xml");
        QVERIFY(x.PersistXML());
        const QByteArray esperado = (kDecl + "<Lista>\r\n<Cliente>\r\n" + kFila1 +
                                     "</Cliente>\r\n<Abierto>\r\n<N>Camí € Łódź?</N>\r\n"
                                     "</Abierto>\r\n</Lista>\r\n\r\n")
                                        .toUtf8();
        QCOMPARE(Lee(env.Carpeta() + "/salida.xml"), esperado);
        QVERIFY(x.PersistXML()); // twice: the same document
        QCOMPARE(Lee(env.Carpeta() + "/salida.xml"), esperado);
        x.SetOutputFile(env.Carpeta() + "/no/such/folder/salida.xml");
        QVERIFY(!x.PersistXML());
        QCOMPARE(x.NumeroError(), 30040);
        QVERIFY(!x.AbreSalida());
        QCOMPARE(x.NumeroError(), 30040);
    }

    // Written as it grows, a document larger than the writer's block is the same as one kept
    // whole, and the writer holds only its last part.
    void escrituraPorBloques() {
        EntornoPrueba env;
        RecordsetMemoria r;
        r.AgregaCampo("Nombre", T::Texto);
        for (int i = 0; i < 40000; ++i)
            r.AgregaRegistro({QString("Cliente número %1 & Cía").arg(i)});
        clsXMLExport entero, porBloques;
        porBloques.SetOutputFile(env.Carpeta() + "/grande.xml");
        QVERIFY(porBloques.AbreSalida());
        for (clsXMLExport* x : {&entero, &porBloques}) {
            x->AddAttribute("n", "1");
            x->SetCurrentRecordset(&r);
            QVERIFY(x->AddRecordset("Items", "Item", true));
        }
        const QByteArray documento = entero.XML().toUtf8() + "\r\n";
        QVERIFY(documento.size() > 2 * 1024 * 1024);
        QVERIFY(porBloques.XML().size() < 1024 * 1024 + 1024);
        QVERIFY(!QFile::exists(env.Carpeta() + "/grande.xml")); // complete files only
        QVERIFY(porBloques.PersistXML());
        QCOMPARE(Lee(env.Carpeta() + "/grande.xml"), documento);
    }
};

QTEST_GUILESS_MAIN(TestClsXMLExport)
#include "tst_clsxmlexport.moc"
