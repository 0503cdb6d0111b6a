// Ticket template files: classification of lines, encodings, errors with file and line, the
// read cache, and writing a file that reads back into the same model.
#include "support/entornoprueba.h"
#include "ticket/documentoticket.h"

#include <QDir>
#include <QFile>
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
                 .arg(c.Tabla(), c.Campo())
                 .arg(c.Longitud())
                 .arg(c.Alineacion())
                 .arg(c.FormatoNumerico());
    for (const DocumentoSeccion& s : d.Secciones()) {
        r << (s.Detalle() ? "D " + s.Key() : QString("S"));
        for (const QString& l : s.Lineas())
            r << "  " + l;
    }
    return r.join('\n');
}

bool Escribe(const QString& ruta, const QByteArray& bytes) {
    QFile f(ruta);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray Lee(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Template lines joined with CR LF, as 8-bit Windows-1252 text.
QByteArray Ansi(const QStringList& lineas) {
    QStringEncoder e("windows-1252");
    return e(lineas.join("\r\n") + "\r\n");
}

const QStringList kEjemplo = {
    "// delivery ticket",      "(#IniCampos)",          "Empresa;Nombre;32;C",
    "Detalle;PesoNeto;10;D;3", "(#FinCampos)",          "(#IniSeccion)",
    "(#INIT)%Empresa;Nombre%", "(#FinSeccion)",         "(#IniDetalle;Detalle)",
    "%Detalle;PesoNeto%",      "(#FinDetalle;Detalle)", "(#FCUT)",
};
const QString kEjemploModelo = "F Empresa|Nombre|32|C|-1\n"
                               "F Detalle|PesoNeto|10|D|3\n"
                               "S\n"
                               "  (#INIT)%Empresa;Nombre%(#LF)\n"
                               "D Detalle\n"
                               "  %Detalle;PesoNeto%(#LF)\n"
                               "S\n"
                               "  (#FCUT)(#LF)";
} // namespace

class TestDocumentoTicket : public QObject {
    Q_OBJECT

private slots:
    void classifiesLines_data();
    void classifiesLines();
    void malformedFileNamesFileAndLine_data();
    void malformedFileNamesFileAndLine();
    void missingFileGivesEmptyDocument();
    void unchangedFileIsReadOnce();
    void writesFileThatReadsBack_data();
    void writesFileThatReadsBack();
    void writeFailures();
};

void TestDocumentoTicket::classifiesLines_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("modelo");

    QTest::newRow("illustrative template") << Ansi(kEjemplo) << kEjemploModelo;
    QTest::newRow("marker in lower case")
        << Ansi({"(#iniseccion)", "A", "(#finseccion)"}) << "S\n  A(#LF)";
    QTest::newRow("line feed macro appended unless at the end")
        << Ansi({"(#IniSeccion)", "A", "B(#lf)", "ABCD", "x(#LF)y", ""})
        << "S\n  A(#LF)\n  B(#lf)\n  ABCD(#LF)\n  x(#LF)y(#LF)\n  (#LF)";
    QTest::newRow("number of parts")
        << Ansi({"(#IniCampos)", "T;A;1;I", "T;B;2;D;0", "T;C;3;C;2;x", "T;D; 4 ;X; 5 "})
        << "F T|A|1|I|-1\nF T|B|2|D|0\nF T|C|3|C|-1\nF T|D|4|X|5";
    QTest::newRow("lines before the first marker")
        << Ansi({"// first comment", "uno", "// inside", "dos", "(#IniCampos)", "T;C;1;I"})
        << "F T|C|1|I|-1\nS\n  uno(#LF)\n  dos(#LF)";
    // Text after a marker is ignored.
    QTest::newRow("closing markers are interchangeable")
        << Ansi({"(#IniDetalle;Detalle)", "a", "(#FinSeccion) fin", "(#IniSeccion) x", "b",
                 "(#FinDetalle;Otra)", "(#IniSeccion)", "c", "(#FinCampos)", "d"})
        << "D Detalle\n  a(#LF)\nS\n  b(#LF)\nS\n  c(#LF)\nS\n  d(#LF)";
    QTest::newRow("detail table up to the first closing parenthesis")
        << Ansi({"(#IniDetalle;Detalle) (otra)", "a"}) << "D Detalle\n  a(#LF)";
    QTest::newRow("field block closes the open section")
        << Ansi({"(#IniSeccion)", "a", "(#IniCampos)", "T;C;1;I", "(#FinCampos)", "b", "c"})
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
        << QByteArray("(#IniSeccion)\na\nb") << "S\n  a(#LF)\n  b(#LF)";
}

void TestDocumentoTicket::classifiesLines() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, modelo);
    QTemporaryDir dir;
    const QString ruta = dir.filePath("t.dti");
    QVERIFY(Escribe(ruta, bytes));
    DocumentoTicket d;
    const Resultado leido = d.LeerFichero(ruta);
    QVERIFY2(leido, qPrintable(leido.Error()));
    QCOMPARE(Describe(d), modelo);
    QCOMPARE(d.RutaFichero(), ruta);
}

void TestDocumentoTicket::malformedFileNamesFileAndLine_data() {
    QTest::addColumn<QStringList>("lineas");
    QTest::addColumn<int>("linea");
    QTest::addColumn<QString>("motivo");
    QTest::newRow("three parts") << QStringList{"(#IniCampos)", "T;C;1;I", "T;C;1"} << 3
                                 << "cuatro partes";
    QTest::newRow("empty line in field block")
        << QStringList{"// x", "(#IniCampos)", "T;C;1;I", ""} << 4 << "cuatro partes";
    QTest::newRow("width with decimals") << QStringList{"(#IniCampos)", "T;C;3.5;I"} << 2 << "3.5";
    QTest::newRow("negative width") << QStringList{"(#IniCampos)", "T;C;-4;I"} << 2 << "-4";
    QTest::newRow("huge width") << QStringList{"(#IniCampos)", "T;C;2000000000;I"} << 2
                                << "2000000000";
    QTest::newRow("decimals not a number")
        << QStringList{"(#IniCampos)", "T;C;4;I;dos"} << 2 << "dos";
    QTest::newRow("detail without parenthesis")
        << QStringList{"(#IniSeccion)", "a", "(#IniDetalle;Detalle"} << 3 << ")";
    QTest::newRow("two details over one table")
        << QStringList{"(#IniDetalle;Detalle)", "a", "(#FinDetalle;Detalle)",
                       "(#IniDetalle;DETALLE)", "b"}
        << 4 << "DETALLE";
}

void TestDocumentoTicket::malformedFileNamesFileAndLine() {
    QFETCH(QStringList, lineas);
    QFETCH(int, linea);
    QFETCH(QString, motivo);
    QTemporaryDir dir;
    const QString ruta = dir.filePath("mala.dti");
    QVERIFY(Escribe(ruta, Ansi(lineas)));
    DocumentoTicket d;
    const QString error = d.LeerFichero(ruta).Error();
    QVERIFY2(error.startsWith(ruta + ", línea " + QString::number(linea) + ":"), qPrintable(error));
    QVERIFY2(error.contains(motivo), qPrintable(error));
    QCOMPARE(d.Campos().Count(), 0);
    QCOMPARE(d.Secciones().Count(), 0);
    QVERIFY(d.RutaFichero().isEmpty());
    // Not remembered as loaded: the next read fails again.
    QCOMPARE(d.LeerFichero(ruta).Error(), error);
}

void TestDocumentoTicket::missingFileGivesEmptyDocument() {
    QTemporaryDir dir;
    const QString ruta = dir.filePath("t.dti");
    QVERIFY(Escribe(ruta, Ansi(kEjemplo)));
    DocumentoTicket d;
    QVERIFY(d.LeerFichero(ruta));
    QCOMPARE(d.Secciones().Count(), 3);

    const QDateTime fecha = QFileInfo(ruta).lastModified();
    QVERIFY(QFile::rename(ruta, ruta + ".bak"));
    QVERIFY(d.LeerFichero(ruta));
    QCOMPARE(Describe(d), QString());

    // The same file back with its old time is read again, not taken for the loaded one.
    QVERIFY(QFile::rename(ruta + ".bak", ruta));
    QCOMPARE(QFileInfo(ruta).lastModified(), fecha);
    QVERIFY(d.LeerFichero(ruta));
    QCOMPARE(Describe(d), kEjemploModelo);
}

void TestDocumentoTicket::unchangedFileIsReadOnce() {
    QTemporaryDir dir;
    const QString ruta = dir.filePath("t.dti");
    QVERIFY(Escribe(ruta, Ansi({"(#IniSeccion)", "uno"})));
    DocumentoTicket d;
    QVERIFY(d.LeerFichero(ruta));
    const QDateTime fecha = QFileInfo(ruta).lastModified();
    QCOMPARE(d.FechaFichero(), fecha);

    auto toca = [&](const QDateTime& hora) {
        QFile f(ruta);
        return f.open(QIODevice::ReadWrite) &&
               f.setFileTime(hora, QFileDevice::FileModificationTime);
    };
    // New content of the same size under the old time: the loaded template stays.
    QVERIFY(Escribe(ruta, Ansi({"(#IniSeccion)", "dos"})));
    QVERIFY(toca(fecha));
    QVERIFY(d.LeerFichero(ruta));
    QCOMPARE(Describe(d), QString("S\n  uno(#LF)"));

    // Touching the file makes the next read load it.
    QVERIFY(toca(fecha.addSecs(5)));
    QVERIFY(d.LeerFichero(ruta));
    QCOMPARE(Describe(d), QString("S\n  dos(#LF)"));
    QCOMPARE(d.FechaFichero(), fecha.addSecs(5));

    // Another file, even one whose name differs only in case, is another template.
    const QString otra = dir.filePath("T.dti");
    QVERIFY(Escribe(otra, Ansi({"(#IniSeccion)", "tres"})));
    QVERIFY(d.LeerFichero(otra));
    QCOMPARE(Describe(d), QString("S\n  tres(#LF)"));
    QCOMPARE(d.RutaFichero(), otra);
}

void TestDocumentoTicket::writesFileThatReadsBack_data() {
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

void TestDocumentoTicket::writesFileThatReadsBack() {
    QFETCH(int, formato);
    QFETCH(QByteArray, marca);
    QFETCH(QByteArray, codificacion);
    QTemporaryDir dir;
    const QString entrada = dir.filePath("in.dti");
    QVERIFY(Escribe(entrada, Ansi(kEjemplo + QStringList{"(#IniSeccion)", "Albarán €", "",
                                                         "(#IniCampos)", "Cabecera;Fecha;8;I;0"})));
    DocumentoTicket d;
    QVERIFY(d.LeerFichero(entrada));
    const QString salida = dir.filePath("out.dti");
    const Resultado grabado = d.GrabarFichero(salida, DocumentoTicket::FormatoTexto(formato));
    QVERIFY2(grabado, qPrintable(grabado.Error()));
    const QByteArray bytes = Lee(salida);
    QVERIFY(bytes.startsWith(marca));
    QStringDecoder texto(codificacion.constData());
    QCOMPARE(QString(texto(bytes.mid(marca.size()))),
             QString("(#IniCampos)\r\nEmpresa;Nombre;32;C\r\nDetalle;PesoNeto;10;D;3\r\n"
                     "Cabecera;Fecha;8;I;0\r\n(#FinCampos)\r\n"
                     "(#IniSeccion)\r\n(#INIT)%Empresa;Nombre%(#LF)\r\n(#FinSeccion)\r\n"
                     "(#IniDetalle;Detalle)\r\n%Detalle;PesoNeto%(#LF)\r\n(#FinDetalle;Detalle)\r\n"
                     "(#IniSeccion)\r\n(#FCUT)(#LF)\r\n(#FinSeccion)\r\n"
                     "(#IniSeccion)\r\nAlbarán €(#LF)\r\n(#LF)\r\n(#FinSeccion)\r\n"));
    // Every stored line already ends with the line-feed macro: none is added on reading back.
    DocumentoTicket otro;
    QVERIFY(otro.LeerFichero(salida));
    QCOMPARE(Describe(otro), Describe(d));
}

void TestDocumentoTicket::writeFailures() {
    QTemporaryDir dir;
    const QString entrada = dir.filePath("in.dti");
    QByteArray utf8("\xEF\xBB\xBF(#IniSeccion)\r\nPeso \xCE\xA9\r\n"); // Greek omega
    QVERIFY(Escribe(entrada, utf8));
    DocumentoTicket d;
    QVERIFY(d.LeerFichero(entrada));
    // The 8-bit format cannot hold the omega: refused, and the old file stays.
    const QString salida = dir.filePath("out.dti");
    QVERIFY(Escribe(salida, "previous"));
    QVERIFY(
        d.GrabarFichero(salida, DocumentoTicket::FormatoTexto::Ansi).Error().startsWith(salida));
    QCOMPARE(Lee(salida), QByteArray("previous"));
    // A folder that does not exist.
    const QString ruta = dir.filePath("no/such/folder/t.dti");
    QVERIFY(d.GrabarFichero(ruta, DocumentoTicket::FormatoTexto::Unicode).Error().startsWith(ruta));
}

QTEST_GUILESS_MAIN(TestDocumentoTicket)
#include "tst_documentoticket.moc"
