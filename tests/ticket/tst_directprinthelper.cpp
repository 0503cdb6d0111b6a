// Printer control codes: the default table, loading from CodigosDeControl, the keyed collection
// and the two forms of each expansion.
#include "app/clsdatosapp.h"
#include "support/entornoprueba.h"
#include "ticket/directprinthelper.h"
#include "ticket/paginacodigos.h"

#include <QSqlQuery>
#include <QTest>

namespace {
struct Fila {
    QString macro, hex, pantalla, descripcion;
};

QList<Fila> FilasTabla(QSqlDatabase db) {
    QList<Fila> filas;
    QSqlQuery q(db);
    if (!q.exec("SELECT Macro, ValorHexPeriferico, ValorStringPantalla, Descripcion FROM "
                "CodigosDeControl ORDER BY rowid"))
        return filas;
    while (q.next())
        filas.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                      q.value(3).toString()});
    return filas;
}

QString Codigos(const QString& texto) {
    QStringList c;
    for (const QChar ch : texto)
        c << QString::number(ch.unicode());
    return c.join(' ');
}

QStringList Macros(const DirectPrintHelper& h) {
    QStringList m;
    for (const DirectPrintHelp& c : h)
        m << c.Macro();
    return m;
}
} // namespace

class TstDirectPrintHelper : public QObject {
    Q_OBJECT

private slots:
    void seedsEmptyTable_data();
    void seedsEmptyTable();
    void reseedsTableEmptiedByUser();
    void filledTableIsNotSeededAndCodesStay();
    void missingTableIsAnError();
    void addReplacesWithoutRegardToCaseAndMovesToEnd();
    void itemAndRemoveByPositionOrMacro();
    void hexToCharacters_data();
    void hexToCharacters();
    void charactersToHex_data();
    void charactersToHex();
    void expandsMacros_data();
    void expandsMacros();
    void emptyMacroChangesNothing();
};

// The sixteen rows an empty table receives, as the printer manual lists them.
void TstDirectPrintHelper::seedsEmptyTable_data() {
    QTest::addColumn<int>("posicion");
    QTest::addColumn<QString>("macro");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("pantalla");
    QTest::addColumn<QString>("descripcion");
    const QList<Fila> esperadas = {
        {"(#CBLACK)", "1B7200", "", "ESC r - Select Print Color (black)"},
        {"(#CDRAWER)", "1B70000202", "", "ESC p - Generate Pulse"},
        {"(#CHARTABLE)", "1B7402", "", "ESC t - Select character code table (PC850)"},
        {"(#CRED)", "1B7201", "", "ESC r - Select Print Color (red)"},
        {"(#DSOFF)", "1B4700", "", "ESC G - Turn double-strike mode off"},
        {"(#DSON)", "1B4701", "", "ESC G - Turn double-strike mode on"},
        {"(#EOFF)", "1B4500", "", "ESC E - Turn Emphasized mode off"},
        {"(#EON)", "1B4501", "", "ESC E - Turn Emphasized mode on"},
        {"(#FCUT)", "1D5601", "", "GS V - Select Cut mode and cut paper full cut"},
        {"(#FFEED)", "1B6408", "", "Form Feed"},
        {"(#FONT)", "1B2100", "", "ESC ! - Select Print Mode (Font A)"},
        {"(#INIT)", "1B40", "", "ESC @ - Initialize printer"},
        {"(#LF)", "0A", "0D0A", "LF - Print and Line Feed"},
        {"(#RFEED)", "1B6504", "", "ESC e - Print and reverse feed n lines (4lin)"},
        {"(#UOFF)", "1B2D00", "", "ESC -  - Turn undeline mode off"},
        {"(#UON)", "1B2D01", "", "ESC -  - Turn underline mode on (at 1-dot width)"},
    };
    for (int i = 0; i < esperadas.size(); ++i) {
        const Fila& f = esperadas.at(i);
        QTest::newRow(qPrintable(f.macro))
            << i + 1 << f.macro << f.hex << f.pantalla << f.descripcion;
    }
}

void TstDirectPrintHelper::seedsEmptyTable() {
    QFETCH(int, posicion);
    QFETCH(QString, macro);
    QFETCH(QString, hex);
    QFETCH(QString, pantalla);
    QFETCH(QString, descripcion);

    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    QCOMPARE(FilasTabla(d.Conexion()).size(), 0);
    DirectPrintHelper h;
    QString error;
    QVERIFY2(h.CargaRecordset(d.Conexion(), &error), qPrintable(error));

    const QList<Fila> filas = FilasTabla(d.Conexion());
    QCOMPARE(filas.size(), 16);
    const Fila& fila = filas.at(posicion - 1);
    QCOMPARE(fila.macro, macro);
    QCOMPARE(fila.hex, hex);
    QCOMPARE(fila.pantalla, pantalla);
    QCOMPARE(fila.descripcion, descripcion);

    QCOMPARE(h.Count(), 16);
    const auto codigo = h.Item(posicion);
    QVERIFY(codigo);
    QCOMPARE(codigo->Macro(), macro);
    QCOMPARE(codigo->ValorHexPrinter(), hex);
    QCOMPARE(codigo->ValorHexScreen(), pantalla);
    QCOMPARE(codigo->Descripcion(), descripcion);
    QCOMPARE(codigo->ValorStrPrinter().size(), hex.size() / 2);
    QCOMPARE(PaginaCodigos::ABytes(codigo->ValorStrPrinter()), QByteArray::fromHex(hex.toLatin1()));
}

void TstDirectPrintHelper::reseedsTableEmptiedByUser() {
    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    DirectPrintHelper primera;
    QVERIFY(primera.CargaRecordset(d.Conexion()));
    QSqlQuery q(d.Conexion());
    QVERIFY(q.exec("DELETE FROM CodigosDeControl"));
    QCOMPARE(FilasTabla(d.Conexion()).size(), 0);

    DirectPrintHelper segunda;
    QVERIFY(segunda.CargaRecordset(d.Conexion()));
    QCOMPARE(FilasTabla(d.Conexion()).size(), 16);
    QCOMPARE(segunda.Count(), 16);
    // Loading twice adds no rows.
    QVERIFY(segunda.CargaRecordset(d.Conexion()));
    QCOMPARE(FilasTabla(d.Conexion()).size(), 16);
    QCOMPARE(segunda.Count(), 16);
}

void TstDirectPrintHelper::filledTableIsNotSeededAndCodesStay() {
    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    QSqlQuery q(d.Conexion());
    QVERIFY(q.prepare("INSERT INTO CodigosDeControl VALUES (?, ?, ?, ?)"));
    for (const QStringList& fila :
         {QStringList{"(#ZETA)", "5A", "7A", "z"}, QStringList{"(#LF)", "0D0A", "0D0A", "CR LF"}}) {
        for (int i = 0; i < 4; ++i)
            q.bindValue(i, fila.at(i));
        QVERIFY(q.exec());
    }
    DirectPrintHelper h;
    h.Add("(#PROPIO)", "41", "", "kept");
    h.Add("(#lf)", "0A", "", "replaced by the table's row");
    QVERIFY(h.CargaRecordset(d.Conexion()));

    QCOMPARE(FilasTabla(d.Conexion()).size(), 2);
    QCOMPARE(Macros(h), (QStringList{"(#PROPIO)", "(#ZETA)", "(#LF)"}));
    QCOMPARE(h.Item("(#LF)")->ValorHexPrinter(), QString("0D0A"));
    QCOMPARE(h.Item("(#ZETA)")->ValorStrScreen(), QString("z"));
}

void TstDirectPrintHelper::missingTableIsAnError() {
    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    QSqlQuery q(d.Conexion());
    QVERIFY(q.exec("DROP TABLE CodigosDeControl"));
    DirectPrintHelper h;
    QString error;
    QVERIFY(!h.CargaRecordset(d.Conexion(), &error));
    QVERIFY(error.contains("CodigosDeControl"));
    QCOMPARE(h.Count(), 0);
}

void TstDirectPrintHelper::addReplacesWithoutRegardToCaseAndMovesToEnd() {
    DirectPrintHelper h;
    h.Add("(#INIT)", "1B40", "", "init");
    h.Add("(#LF)", "0A", "0D0A", "lf");
    h.Add("(#EON)", "1B4501", "", "on");
    const auto nuevo = h.Add("(#init)", "1B4000", "", "again");
    QCOMPARE(h.Count(), 3);
    QCOMPARE(Macros(h), (QStringList{"(#LF)", "(#EON)", "(#init)"}));
    QCOMPARE(h.Item("(#Init)"), nuevo);
    QCOMPARE(h.Item(3)->ValorHexPrinter(), QString("1B4000"));
    QCOMPARE(h.Item(3)->Descripcion(), QString("again"));
}

void TstDirectPrintHelper::itemAndRemoveByPositionOrMacro() {
    DirectPrintHelper h;
    h.Add("(#A)", "41", "", "");
    h.Add("(#B)", "42", "", "");
    h.Add("(#C)", "43", "", "");
    QCOMPARE(h.Item(1)->Macro(), QString("(#A)"));
    QCOMPARE(h.Item(3)->Macro(), QString("(#C)"));
    QVERIFY(!h.Item(0));
    QVERIFY(!h.Item(4));
    QVERIFY(!h.Item("(#D)"));
    QVERIFY(h.Remove("(#b)"));
    QVERIFY(!h.Remove("(#b)"));
    QVERIFY(!h.Remove(3));
    QVERIFY(h.Remove(1));
    QCOMPARE(Macros(h), QStringList{"(#C)"});
}

void TstDirectPrintHelper::hexToCharacters_data() {
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("codigos");
    QTest::newRow("lower case") << "1b40"
                                << "27 64";
    QTest::newRow("upper case") << "1B40"
                                << "27 64";
    QTest::newRow("odd length") << "1B4"
                                << "27 4";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("pair starting with non-digit") << "G1"
                                                  << "0";
    QTest::newRow("pair ending with non-digit") << "1G41"
                                                << "1 65";
    QTest::newRow("cr lf") << "0D0A"
                           << "13 10";
    // Bytes above 127 are characters of the ticket code page (IBM850: A4 is n with tilde).
    QTest::newRow("code page byte") << "A4" << QString::number(QChar(u'ñ').unicode());
}

void TstDirectPrintHelper::hexToCharacters() {
    QFETCH(QString, hex);
    QFETCH(QString, codigos);
    EntornoPrueba env;
    env.Datos();
    DirectPrintHelp c;
    c.SetValorHexPrinter(hex);
    QCOMPARE(Codigos(c.ValorStrPrinter()), codigos);
    QCOMPARE(c.ValorHexPrinter(), hex);
    c.SetValorHexScreen(hex);
    QCOMPARE(Codigos(c.ValorStrScreen()), codigos);
    QCOMPARE(c.ValorHexScreen(), hex);
}

void TstDirectPrintHelper::charactersToHex_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QString>("hex");
    QTest::newRow("esc @") << QString("\x1b@") << "1B40";
    QTest::newRow("leading zero") << QString("\n") << "0A";
    QTest::newRow("empty") << QString() << "";
    QTest::newRow("code page") << QString("Señor") << "5365A46F72";
    QTest::newRow("missing from code page") << QString("€") << "3F";
}

void TstDirectPrintHelper::charactersToHex() {
    QFETCH(QString, texto);
    QFETCH(QString, hex);
    EntornoPrueba env;
    env.Datos();
    DirectPrintHelp c;
    c.SetValorStrPrinter(texto);
    QCOMPARE(c.ValorHexPrinter(), hex);
    QCOMPARE(c.ValorStrPrinter(), texto);
    c.SetValorStrScreen(texto);
    QCOMPARE(c.ValorHexScreen(), hex);
}

void TstDirectPrintHelper::expandsMacros_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<bool>("impresora");
    QTest::addColumn<QString>("esperado");
    QTest::newRow("lf screen") << "A(#lf)B" << false << "A\r\nB";
    QTest::newRow("lf printer") << "A(#lf)B" << true << "A\nB";
    QTest::newRow("emphasis screen") << "(#EON)" << false << "";
    QTest::newRow("emphasis printer") << "(#EON)" << true
                                      << "\x1b"
                                         "E\x01";
    QTest::newRow("every occurrence") << "(#LF)(#Lf)(#lF)" << true << "\n\n\n";
    QTest::newRow("unknown macro stays") << "x(#NADA)y(#LF)" << true << "x(#NADA)y\n";
    QTest::newRow("null byte kept") << "(#CBLACK)" << true << QString::fromLatin1("\x1br\0", 3);
}

void TstDirectPrintHelper::expandsMacros() {
    QFETCH(QString, texto);
    QFETCH(bool, impresora);
    QFETCH(QString, esperado);
    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    DirectPrintHelper h;
    QVERIFY(h.CargaRecordset(d.Conexion()));
    QCOMPARE(Codigos(h.Expande(texto, impresora)), Codigos(esperado));
}

void TstDirectPrintHelper::emptyMacroChangesNothing() {
    DirectPrintHelper h;
    h.Add("", "41", "41", "blank row of the code grid");
    h.Add("(#LF)", "0A", "0D0A", "");
    QCOMPARE(h.Expande("ab(#LF)", true), QString("ab\n"));
}

QTEST_GUILESS_MAIN(TstDirectPrintHelper)
#include "tst_directprinthelper.moc"
