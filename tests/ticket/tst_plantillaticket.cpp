// Ticket templates: reading (lines, encodings, errors with file and line, the kept copy),
// writing, and rendering (formatting, placeholders, detail sections, macro expansion, the bound
// on a ticket's length). The example template renders exactly as tests/ticket/golden holds; after
// a deliberate change, run once with PESIX_ACTUALIZA_GOLDEN=1 to rewrite it, then review the diff.
#include "app/kelregistry.h"
#include "archivosprueba.h"
#include "db/dataset.h"
#include "db/recordsetmemoria.h"
#include "support/entornoprueba.h"
#include "ticket/directprinthelper.h"
#include "ticket/documentoticket.h"
#include "ticket/paginacodigos.h"

#include <QDate>
#include <QDateTime>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using T = Recordset::Tipo;

namespace {
// The model as text: one row per field ("F Tabla|Campo|Longitud|Alineacion|Formato") and per
// section ("S" plain, "D Key" detail), each section followed by its lines ("  line").
QString Describe(const DocumentoTicket& d) {
    QStringList r;
    for (const DocumentoCampo& c : d.Campos())
        r << QString("F %1|%2|%3|%4|%5")
                 .arg(c.Tabla(), c.Campo(), QString::number(c.Longitud()), c.Alineacion(),
                      QString::number(c.FormatoNumerico()));
    for (const DocumentoSeccion& s : d.Secciones()) {
        r << (s.Detalle() ? "D " + s.Key() : QString("S"));
        for (const QString& l : s.Lineas())
            r << "  " + l;
    }
    return r.join('\n');
}

// Template lines, given separated by "|", as the CR LF lines of an 8-bit Windows-1252 file.
QByteArray Ansi(const QString& lineas) {
    QStringEncoder e("windows-1252");
    return e(QString(lineas).replace('|', "\r\n") + "\r\n");
}

const QString kEjemplo =
    "// delivery ticket|(#IniCampos)|Empresa;Nombre;32;C|Detalle;PesoNeto;10;D;3|"
    "(#FinCampos)|(#IniSeccion)|(#INIT)%Empresa;Nombre%|(#FinSeccion)|"
    "(#IniDetalle;Detalle)|%Detalle;PesoNeto%|(#FinDetalle;Detalle)|(#FCUT)";
const QString kEjemploModelo = "F Empresa|Nombre|32|C|-1\nF Detalle|PesoNeto|10|D|3\n"
                               "S\n  (#INIT)%Empresa;Nombre%(#LF)\nD Detalle\n"
                               "  %Detalle;PesoNeto%(#LF)\nS\n  (#FCUT)(#LF)";

// A table of the data set: column names separated by spaces, their types by letter (T text,
// E integer, D double, F date, H date and time, B boolean), then the records.
std::shared_ptr<RecordsetMemoria> Tabla(const QString& campos, const QString& tipos,
                                        const QList<QVariantList>& registros) {
    auto r = std::make_shared<RecordsetMemoria>();
    const QStringList nombres = campos.split(' ');
    for (int i = 0; i < nombres.size(); ++i)
        r->AgregaCampo(nombres.at(i), T(QString("TEDFHB").indexOf(tipos.at(i))));
    for (const QVariantList& v : registros)
        r->AgregaRegistro(v);
    r->MoveFirst();
    return r;
}

// The test's settings with the comma and the slash as separators, the default control codes and a
// template file.
struct Banco {
    explicit Banco(const QString& lineas = {}) : d(Ajustes(env)) {
        d.SetDocumento(std::make_shared<DocumentoTicket>());
        if (!h.CargaRecordset(d.Conexion()) || !EscribeArchivo(ruta, Ansi(lineas)))
            qFatal("cannot set up the renderer");
    }
    static clsDatosApp& Ajustes(EntornoPrueba& env) {
        kelRegistry::SaveAppString("\\Internacional", "sDecimal", ",");
        kelRegistry::SaveAppString("\\Internacional", "sDate", "/");
        return env.DatosConBase();
    }
    // The rendered text; a failure fails the test unless the caller takes the result.
    QString Renderiza(const Dataset& datos, bool impresora, Resultado* resultado = nullptr,
                      const QString& plantilla = {}) {
        QString texto;
        const Resultado r =
            h.Parse(plantilla.isEmpty() ? ruta : plantilla, datos, impresora, d, texto);
        if (resultado)
            *resultado = r;
        else if (!r)
            qWarning("render failed: %s", qPrintable(r.Error()));
        return texto;
    }
    EntornoPrueba env;
    clsDatosApp& d;
    DirectPrintHelper h{d.PaginaCodigosTiquet()};
    const QString ruta = env.Carpeta() + "/t.dti";
};

// The print data set of a delivery note with three weighings.
Dataset NotaDeEjemplo() {
    const QDate f(2026, 12, 5);
    const QString n = "A-000042";
    Dataset datos;
    datos.Add(Tabla("Nombre NIF Linea1 Linea2 Linea3", "TTTTT",
                    {{"Frutas Martínez S.L.", "B12345678", "Camí del Mercat, 14",
                      "46520 Sagunt (València)", "Tel. 962 000 000"}}),
              "Empresa");
    // The second line's weight was typed by hand; the others have their weighing log entry.
    const QVariant sinPesada(QMetaType::fromType<int>());
    const QString huella = "9f2c4b7e01d35a68c0e4f1b2a7d93e5c6b8a0f1e2d3c4b5a6978877665544332";
    datos.Add(
        Tabla("NumAlbaran Fecha NumLinea CodProducto NomProducto CodTara PesoBruto PesoTara "
              "PesoNeto Precio PesoImporte HoraPesada Manual IdPesada Huella",
              "TFETTEDDDDDTTET",
              {{n, f, 1, "NAR01", "Naranja navelina", 3, 512.5, 12.25, 500.25, 0.45, 225.1125,
                "08:15:30-05/12/2026", "", 1207, huella},
               {n, f, 2, "LIM-EXTRA-0001", "Limón fino de primera categoría, calibre 3 a 4", 12,
                1034.0, 34.0, 1000.0, 0.605, 605.0, "08:21:02-05/12/2026", "M", sinPesada, ""},
               {n, f, 3, "MAND", "Mandarina clemenules", sinPesada, 77.777, 0.0, 77.777, 1.2,
                93.3324, "08:40:59-05/12/2026", "", 1210, huella.mid(8) + huella.left(8)}}),
        "Detalle");
    datos.Add(
        Tabla("NumAlbaran Fecha NomOperario CodCliente NomCliente Direccion1 Direccion2 "
              "FechaModificacion FechaImpresion Impreso TotalBruto TotalTara TotalNeto "
              "TotalPrecio LineasManuales Copia Anulado",
              "TFTTTTTHHBDDDDETT",
              {{n, f, "Pere Soler", "C0107", "Cooperativa Agrícola Sant Isidre", "Carrer Major, 3",
                "46500 Sagunt", QDateTime(f, QTime(8, 41)), QDateTime(f, QTime(8, 45, 12)), false,
                1624.277, 46.25, 1578.027, 923.4449, 1, "COPIA", ""}}),
        "Cabecera");
    return datos;
}
} // namespace

class TestPlantillaTicket : public QObject {
    Q_OBJECT

private slots:
    void clasifica_data();
    void clasifica();
    void malFormada_data();
    void malFormada();
    void grabaYRelee_data();
    void grabaYRelee();
    void formatea_data();
    void formatea();
    void detalle();
    void lineasVacias_data();
    void lineasVacias();
    void impresoraYPantalla();
    void plantillaQueFaltaOMal();
    void tiquetAcotado_data();
    void tiquetAcotado();
    void plantillaDeEjemplo_data();
    void plantillaDeEjemplo();
};

void TestPlantillaTicket::clasifica_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("modelo");
    QTest::newRow("illustrative template") << Ansi(kEjemplo) << kEjemploModelo;
    QTest::newRow("line feed macro appended unless at the end")
        << Ansi("(#IniSeccion)|A|B(#lf)|ABCD|x(#LF)y|")
        << QString("S\n  A(#LF)\n  B(#lf)\n  ABCD(#LF)\n  x(#LF)y(#LF)\n  (#LF)");
    QTest::newRow("number of parts")
        << Ansi("(#IniCampos)|T;A;1;I|T;B;2;D;0|T;C;3;C;2;x|T;D; 4 ;X; 5 ")
        << "F T|A|1|I|-1\nF T|B|2|D|0\nF T|C|3|C|-1\nF T|D|4|X|5";
    QTest::newRow("lines before the first marker")
        << Ansi("// first comment|uno|// inside|dos|(#IniCampos)|T;C;1;I")
        << "F T|C|1|I|-1\nS\n  uno(#LF)\n  dos(#LF)";
    // Markers in any case; text after a marker is ignored.
    QTest::newRow("closing markers are interchangeable")
        << Ansi("(#IniDetalle;Detalle)|a|(#finseccion) fin|(#iniseccion) x|b|(#FinDetalle;Otra)|"
                "(#IniSeccion)|c|(#FinCampos)|d")
        << "D Detalle\n  a(#LF)\nS\n  b(#LF)\nS\n  c(#LF)\nS\n  d(#LF)";
    QTest::newRow("field block closes the open section")
        << Ansi("(#IniSeccion)|a|(#IniCampos)|T;C;1;I|(#FinCampos)|b|c")
        << "F T|C|1|I|-1\nS\n  a(#LF)\nS\n  b(#LF)\n  c(#LF)";
    const QString ene = "S\n  Se\u00F1or \u20AC(#LF)";
    QTest::newRow("windows-1252") << QByteArray("(#IniSeccion)\r\nSe\xF1or \x80\r\n") << ene;
    QStringEncoder utf16(QStringConverter::Utf16LE);
    QTest::newRow("utf-16 with comment first")
        << "\xFF\xFE" +
               QByteArray(utf16(u"// comentario\r\n(#IniSeccion)\r\nSe\u00F1or \u20AC\r\n"))
        << ene;
    QTest::newRow("utf-8 with byte-order mark")
        << QByteArray("\xEF\xBB\xBF(#IniSeccion)\r\nSe\xC3\xB1or \xE2\x82\xAC\r\n") << ene;
    QTest::newRow("line feeds only, none after the last line")
        << QByteArray("(#IniSeccion)\na\nb") << QString("S\n  a(#LF)\n  b(#LF)");
}

void TestPlantillaTicket::clasifica() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, modelo);
    QTemporaryDir dir;
    const QString ruta = dir.filePath("t.dti");
    QVERIFY(EscribeArchivo(ruta, bytes));
    DocumentoTicket d;
    const Resultado leido = d.LeerFichero(ruta);
    QVERIFY2(leido, qPrintable(leido.Error()));
    QCOMPARE(Describe(d), modelo);
    QCOMPARE(d.RutaFichero(), ruta);
}

void TestPlantillaTicket::malFormada_data() {
    QTest::addColumn<QString>("lineas");
    QTest::addColumn<int>("linea");
    QTest::addColumn<QString>("motivo");
    QTest::newRow("three parts") << "(#IniCampos)|T;C;1;I|T;C;1" << 3 << "cuatro partes";
    QTest::newRow("huge width") << "(#IniCampos)|T;C;2000000000;I" << 2 << "2000000000";
    QTest::newRow("decimals not a number") << "(#IniCampos)|T;C;4;I;dos" << 2 << "dos";
    QTest::newRow("detail without parenthesis")
        << "(#IniSeccion)|a|(#IniDetalle;Detalle" << 3 << ")";
    QTest::newRow("two details over one table")
        << "(#IniDetalle;Detalle)|a|(#FinDetalle;Detalle)|(#IniDetalle;DETALLE)|b" << 4
        << "DETALLE";
}

void TestPlantillaTicket::malFormada() {
    QFETCH(QString, lineas);
    QFETCH(int, linea);
    QFETCH(QString, motivo);
    QTemporaryDir dir;
    const QString ruta = dir.filePath("mala.dti");
    QVERIFY(EscribeArchivo(ruta, Ansi(lineas)));
    DocumentoTicket d;
    const QString error = d.LeerFichero(ruta).Error();
    QVERIFY2(error.startsWith(ruta + ", línea " + QString::number(linea) + ":"), qPrintable(error));
    QVERIFY2(error.contains(motivo), qPrintable(error));
    QCOMPARE(Describe(d), QString());
    QVERIFY(d.RutaFichero().isEmpty());
    // Not remembered as loaded: the next read fails again.
    QCOMPARE(d.LeerFichero(ruta).Error(), error);
}

void TestPlantillaTicket::grabaYRelee_data() {
    QTest::addColumn<int>("formato");
    QTest::addColumn<QByteArray>("marca");
    QTest::addColumn<QByteArray>("codificacion");
    QTest::newRow("8-bit") << int(DocumentoTicket::FormatoTexto::Ansi) << QByteArray()
                           << QByteArray("windows-1252");
    QTest::newRow("utf-16") << int(DocumentoTicket::FormatoTexto::Unicode) << QByteArray("\xFF\xFE")
                            << QByteArray("UTF-16LE");
    QTest::newRow("default") << int(DocumentoTicket::FormatoTexto::PorDefecto)
                             << QByteArray("\xEF\xBB\xBF") << QByteArray("UTF-8");
}

void TestPlantillaTicket::grabaYRelee() {
    QFETCH(int, formato);
    QFETCH(QByteArray, marca);
    QFETCH(QByteArray, codificacion);
    QTemporaryDir dir;
    const QString entrada = dir.filePath("in.dti");
    QVERIFY(EscribeArchivo(entrada, Ansi(kEjemplo + "|(#IniSeccion)|Albarán €||(#IniCampos)|"
                                                    "Cabecera;Fecha;8;I;0")));
    DocumentoTicket d;
    QVERIFY(d.LeerFichero(entrada));
    const QString salida = dir.filePath("out.dti");
    const Resultado grabado = d.GrabarFichero(salida, DocumentoTicket::FormatoTexto(formato));
    QVERIFY2(grabado, qPrintable(grabado.Error()));
    const QByteArray bytes = LeeArchivo(salida);
    QVERIFY(bytes.startsWith(marca));
    QStringDecoder texto(codificacion.constData());
    QCOMPARE(
        QString(texto(bytes.mid(marca.size()))),
        QString("(#IniCampos)|Empresa;Nombre;32;C|Detalle;PesoNeto;10;D;3|Cabecera;Fecha;8;I;0|"
                "(#FinCampos)|(#IniSeccion)|(#INIT)%Empresa;Nombre%(#LF)|(#FinSeccion)|"
                "(#IniDetalle;Detalle)|%Detalle;PesoNeto%(#LF)|(#FinDetalle;Detalle)|"
                "(#IniSeccion)|(#FCUT)(#LF)|(#FinSeccion)|"
                "(#IniSeccion)|Albarán €(#LF)|(#LF)|(#FinSeccion)|")
            .replace('|', "\r\n"));
    // Every stored line already ends with the line-feed macro: none is added on reading back.
    DocumentoTicket otro;
    QVERIFY(otro.LeerFichero(salida));
    QCOMPARE(Describe(otro), Describe(d));
    // A text the 8-bit format cannot hold (a Greek omega) is refused, and the old file stays; a
    // folder that does not exist fails too.
    d.Secciones().Item(1)->AddLinea(QString::fromUtf8("Peso \u03A9"));
    const Resultado omega = d.GrabarFichero(salida, DocumentoTicket::FormatoTexto::Ansi);
    QVERIFY2(!omega && omega.Error().startsWith(salida), qPrintable(omega.Error()));
    QCOMPARE(LeeArchivo(salida), bytes);
    const QString ruta = dir.filePath("no/such/folder/t.dti");
    QVERIFY(d.GrabarFichero(ruta, DocumentoTicket::FormatoTexto(formato)).Error().contains(ruta));
}

void TestPlantillaTicket::formatea_data() {
    QTest::addColumn<QVariant>("valor");
    QTest::addColumn<QString>("definicion");
    QTest::addColumn<QString>("fecha");
    QTest::addColumn<QString>("esperado");
    auto fila = [](const char* nombre, const QVariant& v, const QString& def, const QString& esp,
                   const QString& fec = "/") { QTest::newRow(nombre) << v << def << fec << esp; };
    fila("right, 2 decimals", 12.5, "T;C;8;D;2", "   12,50");
    fila("half away from zero", 2.5, "T;C;3;D;0", "  3");
    fila("decimal half stored just below", 2.675, "T;C;4;I;2", "2,68");
    fila("carry into integer part", 9.995, "T;C;5;I;2", "10,00");
    fila("negative rounding to zero has no sign", -0.001, "T;C;4;I;2", "0,00");
    // Without a count of decimals, at most 15 significant digits: a computed value prints as
    // the number it stands for.
    fila("computed value", 0.3 - 0.1, "T;C;20;I", "0,2                 ");
    fila("fifteen digits", 1.0 / 3, "T;C;18;I", "0,333333333333333 ");
    fila("negative zero", -0.0, "T;C;2;I", "0 ");
    fila("date with locale separator", QDate(2026, 12, 5), "T;C;8;I", "05.12.26", ".");
    fila("date and time drops the time", QDateTime(QDate(2026, 3, 1), QTime(23, 59, 59)),
         "T;C;10;I", "01/03/26  ");
    fila("text trimmed", QString("  hola  "), "T;C;6;D", "  hola");
    fila("centred with odd leftover to the right", QString("ABC"), "T;C;6;C", " ABC  ");
    fila("left cut at the end", QString("ABCDEF"), "T;C;4;I", "ABCD");
    fila("right cut at the start", QString("ABCDEF"), "T;C;4;D", "CDEF");
    fila("alignment compared with case: d is left", QString("AB"), "T;C;4;d", "AB  ");
    fila("null", QVariant(QMetaType::fromType<double>()), "T;C;3;D;2", "   ");
    fila("boolean true", true, "T;C;1;I", "1");
}

void TestPlantillaTicket::formatea() {
    QFETCH(QVariant, valor);
    QFETCH(QString, definicion);
    QFETCH(QString, fecha);
    QFETCH(QString, esperado);
    DocumentoCampo campo;
    QVERIFY(campo.SetStrValores(definicion));
    const QString r = campo.ValorFormateado(valor, {",", fecha});
    QCOMPARE(r, esperado);
    QCOMPARE(r.size(), campo.Longitud());
}

void TestPlantillaTicket::detalle() {
    // A detail section repeats per record from the first, wherever the table stands, and leaves
    // it on its first record; over an empty table, or one the data set lacks, it gives nothing.
    // A placeholder is replaced wherever it stands, in any case; it stays when its table, its
    // column or a current record is missing; a width of 0 removes it.
    Banco b("(#IniCampos)|Detalle;NumLinea;2;D|Detalle;Peso;6;D;1|Cabecera;Num;4;I|"
            "Cabecera;Alta;8;I|Cabecera;Cero;0;I|Cabecera;Nada;3;I|Falta;Num;3;I|Vacia;N;2;I|"
            "(#FinCampos)|(#IniSeccion)|[%Cabecera;Num%/%CABECERA;num%] %Cabecera;Alta% "
            "x%Cabecera;Cero%y|%Cabecera;Nada%%Falta;Num%%Vacia;N%|(#FinSeccion)|"
            "(#IniDetalle;Detalle)|%Detalle;NumLinea%:%Detalle;Peso%|-|(#FinDetalle;Detalle)|"
            "(#IniDetalle;Vacia)|nada|(#FinDetalle;Vacia)|(#IniDetalle;Falta)|nada|"
            "(#FinDetalle;Falta)|fin %Detalle;NumLinea%");
    Dataset datos;
    auto detalle = Tabla("NumLinea Peso", "ED", {{1, 1.25}, {2, 20.0}, {3, -3.05}});
    // A table added again under the same key, in any case, replaces the first. A date column
    // may hold its stored text.
    datos.Add(Tabla("Num", "T", {{"B8"}}), "Cabecera");
    datos.Add(Tabla("Num Alta Cero", "TFT", {{"A7", "2026-12-05", "zz"}}), "cabecera");
    datos.Add(detalle, "DETALLE");
    datos.Add(Tabla("N", "E", {}), "Vacia");
    detalle->MoveNext();
    detalle->MoveNext();
    QCOMPARE(b.Renderiza(datos, false),
             QString("[A7  /A7  ] 05/12/26 xy\r\n"
                     "%Cabecera;Nada%%Falta;Num%%Vacia;N%\r\n"
                     " 1:   1,3\r\n-\r\n 2:  20,0\r\n-\r\n 3:  -3,1\r\n-\r\n"
                     "fin  1\r\n"));
    QCOMPARE(detalle->Posicion(), 0);
}

// A line whose fields all print blank is left out, unless it carries printer codes.
void TestPlantillaTicket::lineasVacias_data() {
    QTest::addColumn<QString>("linea");
    QTest::addColumn<QString>("nif");
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<QString>("impreso");
    QTest::newRow("label, no value") << "NIF: %E;Nif%"
                                     << ""
                                     << "Kel"
                                     << "";
    QTest::newRow("label, blank value") << "NIF: %E;Nif%"
                                        << "   "
                                        << "Kel"
                                        << "";
    QTest::newRow("label and value") << "NIF: %E;Nif%"
                                     << "B1"
                                     << ""
                                     << "NIF: B1  \r\n";
    QTest::newRow("one of two values") << "%E;Nif%/%E;Nombre%"
                                       << ""
                                       << "Kel"
                                       << "    /Kel \r\n";
    QTest::newRow("printer codes stay") << "(#EON)%E;Nif%(#EOFF)"
                                        << ""
                                        << ""
                                        << "    \r\n";
    QTest::newRow("no fields") << "----"
                               << ""
                               << ""
                               << "----\r\n";
}

void TestPlantillaTicket::lineasVacias() {
    QFETCH(QString, linea);
    QFETCH(QString, nif);
    QFETCH(QString, nombre);
    QFETCH(QString, impreso);
    Banco b("(#IniCampos)|E;Nif;4;I|E;Nombre;4;I|(#FinCampos)|antes|" + linea + "|despues");
    Dataset datos;
    datos.Add(Tabla("Nif Nombre", "TT", {{nif, nombre}}), "E");
    QCOMPARE(b.Renderiza(datos, false), "antes\r\n" + impreso + "despues\r\n");
}

void TestPlantillaTicket::impresoraYPantalla() {
    // The same template and data for the screen and for the printer differ only where macros
    // were expanded. A data value holding a macro is expanded like template text; the printer
    // bytes go through the ticket code page (IBM850: n with tilde is A4, the euro sign is
    // missing and prints "?"); a placeholder without a field stays as written.
    // A value that completes the placeholder of a later field is replaced too, as fields apply
    // one after the other.
    Banco b("(#IniCampos)|E;Nombre;10;C|E;Marca;5;I|E;Dato;10;I|(#FinCampos)|"
            "(#INIT)(#eon)%E;Nombre%(#EOFF)|%E;Marca%to%/%E;Sin%|(#FCUT)");
    Dataset datos;
    datos.Add(Tabla("Nombre Dato Marca", "TTT", {{"Kel", "ñ(#LF)€", "%E;Da"}}), "E");
    QCOMPARE(b.Renderiza(datos, false),
             QString::fromUtf8("   Kel    \r\nñ\r\n€   /%E;Sin%\r\n\r\n"));
    QCOMPARE(PaginaCodigos::ABytes(b.Renderiza(datos, true), b.d.PaginaCodigosTiquet()),
             QByteArray::fromHex("1b40 1b4501 2020204b656c20202020 1b4500 0a"
                                 "a4 0a 3f202020 2f25453b53696e25 0a 1d5601 0a"));
}

void TestPlantillaTicket::plantillaQueFaltaOMal() {
    Banco b("texto|(#IniCampos)|E;Nombre;x;I");
    Dataset datos;
    // A missing template renders as an empty ticket.
    Resultado r = Resultado::Fallo("not rendered");
    QCOMPARE(b.Renderiza(datos, true, &r, b.env.Carpeta() + "/nada.dti"), QString());
    QVERIFY(r);
    QCOMPARE(b.Renderiza(datos, false, &r), QString());
    QVERIFY2(r.Error().startsWith(b.ruta + ", línea 3:"), qPrintable(r.Error()));
    // The template is kept by the settings and read again only once the file changes.
    const auto documento = b.d.Documento();
    QVERIFY(EscribeArchivo(b.ruta, Ansi("hola")));
    QCOMPARE(b.Renderiza(datos, false), QString("hola\r\n"));
    QCOMPARE(documento->RutaFichero(), b.ruta);
    QCOMPARE(b.d.Documento(), documento);
    // Once the file is gone the template read before is not used.
    QVERIFY(QFile::remove(b.ruta));
    QCOMPARE(b.Renderiza(datos, false), QString());
}

void TestPlantillaTicket::tiquetAcotado_data() {
    // A legal template whose ticket would pass 1 MB (1,048,576 characters) is refused; the
    // limit counts the text before and after the macros are expanded.
    QTest::addColumn<QString>("plantilla");
    QTest::addColumn<int>("registros");
    QTest::addColumn<bool>("cabe");
    const QString ancho = "(#IniCampos)|D;C;32767;D|(#FinCampos)|";
    const QString anchos = QString("%D;C%").repeated(32); // 32 x 32,767 = 1,048,544
    QTest::newRow("1 MB exactly, before expanding")
        << ancho + anchos + QString(27, 'x') << 1 << true;
    QTest::newRow("one character more") << ancho + anchos + QString(28, 'x') << 1 << false;
    QTest::newRow("widest field repeated per record")
        << ancho + "(#IniDetalle;D)|%D;C%%D;C%%D;C%%D;C%" << 1000 << false;
    QTest::newRow("a code that grows ten bytes from four characters")
        << QString("(#X)").repeated(200000) << 1 << false;
}

void TestPlantillaTicket::tiquetAcotado() {
    QFETCH(QString, plantilla);
    QFETCH(int, registros);
    QFETCH(bool, cabe);
    Banco b(plantilla);
    b.h.Add("(#X)", QString("41").repeated(10), QString("42").repeated(10), "");
    Dataset datos;
    auto tabla = Tabla("C", "T", {});
    for (int i = 0; i < registros; ++i)
        tabla->AgregaRegistro({QString::number(i)});
    datos.Add(tabla, "D");
    for (const bool impresora : {false, true}) {
        Resultado r;
        const QString texto = b.Renderiza(datos, impresora, &r);
        QCOMPARE(bool(r), cabe);
        QVERIFY(texto.size() <= DirectPrintHelper::LongitudMaximaTiquet);
        QVERIFY(cabe ? texto.size() > 1000000 : texto.isEmpty());
        // The error names the template.
        QVERIFY2(cabe || r.Error().contains(b.ruta), qPrintable(r.Error()));
    }
}

void TestPlantillaTicket::plantillaDeEjemplo_data() {
    QTest::addColumn<bool>("impresora");
    QTest::addColumn<QString>("golden");
    QTest::newRow("screen") << false << QString("/tests/ticket/golden/ejemplo-80mm.pantalla.txt");
    QTest::newRow("printer") << true << QString("/tests/ticket/golden/ejemplo-80mm.impresora.bin");
}

void TestPlantillaTicket::plantillaDeEjemplo() {
    QFETCH(bool, impresora);
    QFETCH(QString, golden);
    const QString fuente = qEnvironmentVariable("PESIX_SOURCE_DIR");
    Banco b;
    Dataset datos = NotaDeEjemplo();
    Resultado r;
    const QString texto = b.Renderiza(datos, impresora, &r, fuente + "/templates/ejemplo-80mm.dti");
    QVERIFY2(r && !texto.isEmpty(), qPrintable(r.Error()));
    const QByteArray bytes =
        impresora ? PaginaCodigos::ABytes(texto, b.d.PaginaCodigosTiquet()) : texto.toUtf8();
    if (qEnvironmentVariableIntValue("PESIX_ACTUALIZA_GOLDEN") == 1) {
        QFile f(fuente + golden);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        QSKIP("golden file rewritten; review it and run again without PESIX_ACTUALIZA_GOLDEN");
    }
    QCOMPARE(bytes, LeeArchivo(fuente + golden));
}

QTEST_GUILESS_MAIN(TestPlantillaTicket)
#include "tst_plantillaticket.moc"
