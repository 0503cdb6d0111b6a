// Ticket template files: lines and encodings, errors with file and line, the read cache, and
// writing a file that reads back into the same model.
#include "archivosprueba.h"
#include "ticket/documentoticket.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

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
} // namespace

class TestDocumentoTicket : public QObject {
    Q_OBJECT

private slots:
    void clasifica_data();
    void clasifica();
    void malFormada_data();
    void malFormada();
    void seLeeUnaVez();
    void grabaYRelee_data();
    void grabaYRelee();
};

void TestDocumentoTicket::clasifica_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("modelo");
    QTest::newRow("illustrative template") << Ansi(kEjemplo) << kEjemploModelo;
    QTest::newRow("marker in lower case")
        << Ansi("(#iniseccion)|A|(#finseccion)") << QString("S\n  A(#LF)");
    QTest::newRow("line feed macro appended unless at the end")
        << Ansi("(#IniSeccion)|A|B(#lf)|ABCD|x(#LF)y|")
        << QString("S\n  A(#LF)\n  B(#lf)\n  ABCD(#LF)\n  x(#LF)y(#LF)\n  (#LF)");
    QTest::newRow("number of parts")
        << Ansi("(#IniCampos)|T;A;1;I|T;B;2;D;0|T;C;3;C;2;x|T;D; 4 ;X; 5 ")
        << "F T|A|1|I|-1\nF T|B|2|D|0\nF T|C|3|C|-1\nF T|D|4|X|5";
    QTest::newRow("lines before the first marker")
        << Ansi("// first comment|uno|// inside|dos|(#IniCampos)|T;C;1;I")
        << "F T|C|1|I|-1\nS\n  uno(#LF)\n  dos(#LF)";
    // Text after a marker is ignored.
    QTest::newRow("closing markers are interchangeable")
        << Ansi("(#IniDetalle;Detalle)|a|(#FinSeccion) fin|(#IniSeccion) x|b|(#FinDetalle;Otra)|"
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

void TestDocumentoTicket::clasifica() {
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

void TestDocumentoTicket::malFormada_data() {
    QTest::addColumn<QString>("lineas");
    QTest::addColumn<int>("linea");
    QTest::addColumn<QString>("motivo");
    QTest::newRow("three parts") << "(#IniCampos)|T;C;1;I|T;C;1" << 3 << "cuatro partes";
    QTest::newRow("width with decimals") << "(#IniCampos)|T;C;3.5;I" << 2 << "3.5";
    QTest::newRow("negative width") << "(#IniCampos)|T;C;-4;I" << 2 << "-4";
    QTest::newRow("huge width") << "(#IniCampos)|T;C;2000000000;I" << 2 << "2000000000";
    QTest::newRow("decimals not a number") << "(#IniCampos)|T;C;4;I;dos" << 2 << "dos";
    QTest::newRow("detail without parenthesis")
        << "(#IniSeccion)|a|(#IniDetalle;Detalle" << 3 << ")";
    QTest::newRow("two details over one table")
        << "(#IniDetalle;Detalle)|a|(#FinDetalle;Detalle)|(#IniDetalle;DETALLE)|b" << 4
        << "DETALLE";
}

void TestDocumentoTicket::malFormada() {
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

void TestDocumentoTicket::seLeeUnaVez() {
    QTemporaryDir dir;
    const QString ruta = dir.filePath("t.dti");
    QVERIFY(EscribeArchivo(ruta, Ansi("(#IniSeccion)|uno")));
    DocumentoTicket d;
    QVERIFY(d.LeerFichero(ruta));
    const QDateTime fecha = QFileInfo(ruta).lastModified();
    const auto toca = [&](const QDateTime& hora) {
        QFile f(ruta);
        return f.open(QIODevice::ReadWrite) &&
               f.setFileTime(hora, QFileDevice::FileModificationTime);
    };
    // New content of the same size under the old time: the loaded template stays.
    QVERIFY(EscribeArchivo(ruta, Ansi("(#IniSeccion)|dos")) && toca(fecha));
    QVERIFY(d.LeerFichero(ruta));
    QCOMPARE(Describe(d), QString("S\n  uno(#LF)"));
    // Touching the file makes the next read load it.
    QVERIFY(toca(fecha.addSecs(5)) && d.LeerFichero(ruta));
    QCOMPARE(Describe(d), QString("S\n  dos(#LF)"));
    QCOMPARE(d.FechaFichero(), fecha.addSecs(5));
    // A missing file empties the document.
    QVERIFY(QFile::remove(ruta) && d.LeerFichero(ruta));
    QCOMPARE(Describe(d), QString());
    // Another file, even one whose name differs only in case, is another template.
    QVERIFY(EscribeArchivo(dir.filePath("T.dti"), Ansi("(#IniSeccion)|cuatro")));
    QVERIFY(d.LeerFichero(dir.filePath("T.dti")));
    QCOMPARE(Describe(d), QString("S\n  cuatro(#LF)"));
}

void TestDocumentoTicket::grabaYRelee_data() {
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

void TestDocumentoTicket::grabaYRelee() {
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
    QVERIFY(d.GrabarFichero(ruta, DocumentoTicket::FormatoTexto(formato)).Error().startsWith(ruta));
}

QTEST_GUILESS_MAIN(TestDocumentoTicket)
#include "tst_documentoticket.moc"
