// The XML writer over in-memory record sets and over query results.
#include "db/recordsetconsulta.h"
#include "db/recordsetmemoria.h"
#include "export/clsxmlexport.h"
#include "support/entornoprueba.h"

#include <QDate>
#include <QFile>
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

QByteArray Lee(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The text of every element named `nombre`, read by an XML parser; "ERROR" on a parse error.
QStringList Textos(const QString& xml, const QString& nombre) {
    QStringList t;
    QXmlStreamReader r(xml);
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == nombre)
            t << r.readElementText();
    }
    if (r.hasError())
        t << "ERROR " + r.errorString();
    return t;
}
} // namespace

class tst_clsXMLExport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain)); }

    void etiquetas() {
        clsXMLExport x;
        x.TagEnd(); // nothing open: nothing appended
        QCOMPARE(x.XML(), kDecl);
        x.TagStart("Raiz");
        x.TagStart("Hoja Verde"); // spaces removed
        QCOMPARE(x.ElementosAbiertos(), 2);
        x.TagEnd();
        x.TagEnd();
        x.TagEnd(); // one too many
        QCOMPARE(x.ElementosAbiertos(), 0);
        QCOMPARE(x.XML(), kDecl + "<Raiz>\r\n<HojaVerde>\r\n</HojaVerde>\r\n</Raiz>\r\n");
        x.TagStart("Otra");
        x.TagEnd();
        QVERIFY(x.XML().endsWith("</Raiz>\r\n<Otra>\r\n</Otra>\r\n"));
        x.TagStart("   ");
        QCOMPARE(x.ElementosAbiertos(), 0);
        QVERIFY(x.XML().endsWith("</Otra>\r\n"));
        x.Clear();
        QCOMPARE(x.XML(), kDecl);
    }

    void atributos() {
        clsXMLExport x;
        x.AddAttribute("b", "2");
        x.AddAttribute("a", "1");
        x.AddAttribute("b", "ignored");
        x.AddAttribute("q", "it's \"x\" & <y>");
        x.TagStart("E");
        x.TagStart("F"); // attributes went with the first start tag only
        x.TagEnd();
        x.TagEnd();
        QCOMPARE(x.XML(), kDecl + "<E b='2' a='1' q='it&apos;s &quot;x&quot; &amp; &lt;y&gt;'>\r\n"
                                  "<F>\r\n</F>\r\n</E>\r\n");
        QXmlStreamReader r(x.XML());
        while (!r.atEnd() && !(r.readNext() == QXmlStreamReader::StartElement))
            ;
        QCOMPARE(r.attributes().value("q").toString(), QString("it's \"x\" & <y>"));
    }

    void addRecordset_data() {
        QTest::addColumn<bool>("numerando");
        QTest::addColumn<QString>("conjunto");
        QTest::addColumn<QString>("esperado");
        const QString filas1 = "<Codigo>1</Codigo>\r\n<Nombre>Ana</Nombre>\r\n"
                               "<Direccion2>Calle 1</Direccion2>\r\n";
        const QString filas2 = "<Codigo>2</Codigo>\r\n<Nombre>Luis</Nombre>\r\n"
                               "<Direccion2></Direccion2>\r\n";
        QTest::newRow("plain rows")
            << false << "Items"
            << "<Items origen='pruebas'>\r\n<Item>\r\n" + filas1 + "</Item>\r\n<Item>\r\n" +
                   filas2 + "</Item>\r\n</Items>\r\n";
        QTest::newRow("numbered rows")
            << true << "Items"
            << "<Items origen='pruebas'>\r\n<Item1>\r\n" + filas1 + "</Item1>\r\n<Item2>\r\n" +
                   filas2 + "</Item2>\r\n</Items>\r\n";
        QTest::newRow("no set element")
            << false << ""
            << "<Item>\r\n" + filas1 + "</Item>\r\n<Item>\r\n" + filas2 + "</Item>\r\n";
    }
    void addRecordset() {
        QFETCH(bool, numerando);
        QFETCH(QString, conjunto);
        QFETCH(QString, esperado);
        RecordsetMemoria r = Clientes();
        r.MoveNext(); // AddRecordset starts from the first record wherever the set stands
        clsXMLExport x;
        QVERIFY(x.SetCurrentRecordset(&r));
        x.AddAttribute("origen", "pruebas"); // for the set element only
        QVERIFY(x.AddRecordset(conjunto, "Item", numerando));
        QCOMPARE(x.XML(), kDecl + esperado);
        QVERIFY(r.AlFinal());
    }

    void recordsetVacio() {
        RecordsetMemoria r;
        r.AgregaCampo("Codigo", T::Entero);
        clsXMLExport x;
        QVERIFY(x.SetCurrentRecordset(&r));
        QVERIFY(!x.AddRecordset("Items", "Item", false));
        QCOMPARE(x.XML(), kDecl);
        QVERIFY(!x.AddRow("Item"));
        QCOMPARE(x.XML(), kDecl);
    }

    void addRowYAddField() {
        RecordsetMemoria r = Clientes();
        clsXMLExport x;
        x.SetCurrentRecordset(&r);
        QVERIFY(x.AddRow("  Fila  "));
        QVERIFY(x.AddField("Nombre", false));
        QVERIFY(!x.AddField("NoExiste", false));
        QVERIFY(x.AddField("Nombre", true));
        QVERIFY(!x.AddRow("Fila")); // off the end after all records: nothing
        QCOMPARE(x.XML(), kDecl + "<Fila>\r\n<Codigo>1</Codigo>\r\n<Nombre>Ana</Nombre>\r\n"
                                  "<Direccion2>Calle 1</Direccion2>\r\n</Fila>\r\n"
                                  "<Nombre>Ana</Nombre>\r\n"
                                  "<Nombre>Ana</Nombre>\r\n<Nombre>Luis</Nombre>\r\n");
    }

    // Whatever a value holds, the document reads back with the same text.
    void escapado_data() {
        QTest::addColumn<bool>("cdata");
        QTest::addColumn<QString>("valor");
        QTest::addColumn<QString>("enDocumento");
        const auto fila = [](const char* nombre, bool cdata, QString valor, QString enDocumento) {
            QTest::newRow(nombre) << cdata << valor << enDocumento;
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
        QCOMPARE(x.CData(), cdata);
        x.SetCurrentRecordset(&r);
        x.TagStart("R");
        QVERIFY(x.AddField("Nombre", false));
        x.TagEnd();
        QVERIFY2(x.XML().contains("<Nombre>" + enDocumento + "</Nombre>\r\n"), qPrintable(x.XML()));
        QCOMPARE(Textos(x.XML(), "Nombre"), QStringList{valor});
    }

    void addDisconnectedField() {
        clsXMLExport x;
        x.SetFormato(FormatoValores(",", QLocale(QLocale::Spanish, QLocale::Spain)));
        QVERIFY(x.AddDisconnectedField("Campo Libre", QDate(2026, 1, 2)));
        QVERIFY(x.AddDisconnectedField("Nulo", QVariant()));
        QCOMPARE(x.NumeroError(), 0);
        QVERIFY(!x.AddDisconnectedField("Punto", QPoint(1, 2)));
        QCOMPARE(x.NumeroError(), 30050);
        QCOMPARE(x.DescripcionError(), QString("Value cannot be written to an XML file"));
        QCOMPARE(x.XML(), kDecl + "<CampoLibre>02/01/2026</CampoLibre>\r\n<Nulo></Nulo>\r\n");
    }

    void sinRecordset() {
        clsXMLExport x;
        QVERIFY(!x.AddRow("Item"));
        QCOMPARE(x.NumeroError(), 30010);
        QCOMPARE(x.DescripcionError(),
                 QString("You must first set the CurrentRecordset property to an open and "
                         "connected ADODB.Recordset"));
        QVERIFY(!x.AddRecordset("Items", "Item", false));
        QCOMPARE(x.NumeroError(), 30010);
        QVERIFY(!x.AddField("X", true));
        QCOMPARE(x.NumeroError(), 30010);
        QVERIFY(!x.SetCurrentRecordset(nullptr));
        QCOMPARE(x.NumeroError(), 30000);
        QCOMPARE(x.DescripcionError(), QString("ADODB Recordset required"));
        QCOMPARE(x.XML(), kDecl);
    }

    // A query record set is opened when set; one whose query cannot run stays closed.
    void recordsetDeConsulta() {
        EntornoPrueba env;
        clsDatosApp& d = env.DatosConBase();
        RecordsetConsulta taras(d.Conexion(), "SELECT CodTara FROM Taras");
        clsXMLExport x;
        QVERIFY(x.SetCurrentRecordset(&taras));
        QVERIFY(taras.Abierto());
        RecordsetConsulta mala(d.Conexion(), "SELECT NoHay FROM Taras");
        QVERIFY(!x.SetCurrentRecordset(&mala));
        QCOMPARE(x.NumeroError(), 30020);
        QVERIFY(!x.AddRecordset("A", "B", false));
        QCOMPARE(x.NumeroError(), 30020);
        QCOMPARE(x.DescripcionError(),
                 QString("Recordset must be opened and connected to a Record Source"));
        QCOMPARE(x.XML(), kDecl);
    }

    void outputFile_data() {
        QTest::addColumn<QString>("directorio");
        QTest::addColumn<QString>("archivo");
        QTest::addColumn<QString>("ruta");
        const auto fila = [](const char* nombre, QString directorio, QString archivo,
                             QString ruta) {
            QTest::newRow(nombre) << directorio << archivo << ruta;
        };
        fila("bare name, folder without bar", "/tmp/x", "a.xml", "/tmp/x/a.xml");
        fila("folder with backslash", "C:\\datos\\", "a.xml", "C:\\datos\\a.xml");
        fila("name with a folder", "/tmp/x", "/otra/a.xml", "/otra/a.xml");
        fila("name with a backslash", "/tmp/x", "sub\\a.xml", "sub\\a.xml");
        fila("no folder", "", "a.xml", "a.xml");
    }
    void outputFile() {
        QFETCH(QString, directorio);
        QFETCH(QString, archivo);
        QFETCH(QString, ruta);
        clsXMLExport x;
        x.SetOutputDirectory(directorio);
        x.SetOutputFile(archivo);
        QCOMPARE(x.OutputDirectory(), directorio);
        QCOMPARE(x.OutputFile(), ruta);
    }

    void persistXML() {
        EntornoPrueba env;
        RecordsetMemoria r = Clientes();
        clsXMLExport x;
        QVERIFY(!x.PersistXML());
        QCOMPARE(x.NumeroError(), 30030);
        QCOMPARE(x.DescripcionError(),
                 QString("You need to specify a file name by setting the OutputFile property"));

        x.SetCurrentRecordset(&r);
        x.TagStart("Lista");
        x.AddRow("Cliente");
        x.TagStart("Abierto"); // still open: closed on writing
        // UTF-8, the encoding the declaration leaves; what XML cannot carry at all becomes "?"
        x.AddDisconnectedField("N", QString("Camí € Łódź") + QChar(1));
        x.SetOutputDirectory(env.Carpeta());
        x.SetOutputFile("salida.xml");
        QVERIFY(x.PersistXML());
        const QByteArray esperado =
            (kDecl + "<Lista>\r\n<Cliente>\r\n<Codigo>1</Codigo>\r\n"
                     "<Nombre>Ana</Nombre>\r\n"
                     "<Direccion2>Calle 1</Direccion2>\r\n</Cliente>\r\n"
                     "<Abierto>\r\n<N>Camí € Łódź?</N>\r\n</Abierto>\r\n</Lista>\r\n\r\n")
                .toUtf8();
        QCOMPARE(Lee(env.Carpeta() + "/salida.xml"), esperado);
        QCOMPARE(x.XML().toUtf8() + "\r\n", esperado); // the body stays
        QVERIFY(x.PersistXML());                       // twice: the same document
        QCOMPARE(Lee(env.Carpeta() + "/salida.xml"), esperado);

        x.SetOutputFile(env.Carpeta() + "/no/such/folder/salida.xml");
        QVERIFY(!x.PersistXML());
        QCOMPARE(x.NumeroError(), 30040);
        QCOMPARE(x.DescripcionError(), QString("Invalid file name"));
    }
};

QTEST_GUILESS_MAIN(tst_clsXMLExport)
#include "tst_clsxmlexport.moc"
