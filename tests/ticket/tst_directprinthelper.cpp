// Printer control codes: the default table, loading from CodigosDeControl, the keyed collection
// and the two forms of each expansion.
#include "app/clsdatosapp.h"
#include "support/entornoprueba.h"
#include "ticket/directprinthelper.h"
#include "ticket/paginacodigos.h"

#include <QSqlQuery>
#include <QTest>

namespace {
// The table's rows, "Macro|ValorHexPeriferico|ValorStringPantalla|Descripcion", in order.
QStringList FilasTabla(QSqlDatabase db) {
    QStringList filas;
    QSqlQuery q(db);
    q.exec("SELECT Macro, ValorHexPeriferico, ValorStringPantalla, Descripcion FROM "
           "CodigosDeControl ORDER BY rowid");
    while (q.next())
        filas << QStringList{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                             q.value(3).toString()}
                     .join('|');
    return filas;
}

QStringList Filas(const DirectPrintHelper& h) {
    QStringList m;
    for (const DirectPrintHelp& c : h)
        m << QStringList{c.Macro(), c.ValorHexPrinter(), c.ValorHexScreen(), c.Descripcion()}.join(
            '|');
    return m;
}

QStringList Macros(const DirectPrintHelper& h) {
    QStringList m;
    for (const DirectPrintHelp& c : h)
        m << c.Macro();
    return m;
}

QString Codigos(const QString& texto) {
    QStringList c;
    for (const QChar ch : texto)
        c << QString::number(ch.unicode());
    return c.join(' ');
}
} // namespace

class TstDirectPrintHelper : public QObject {
    Q_OBJECT

private slots:
    void seedsEmptyTableAgainAndAgain();
    void filledTableIsNotSeededAndCodesStay();
    void missingTableIsAnError();
    void addReplacesWithoutRegardToCaseAndMovesToEnd();
    void itemAndRemoveByPositionOrMacro();
    void hexAndCharacters_data();
    void hexAndCharacters();
    void charactersInCodePage();
    void expandsMacros_data();
    void expandsMacros();
    void emptyMacroChangesNothing();
};

void TstDirectPrintHelper::seedsEmptyTableAgainAndAgain() {
    // The sixteen rows an empty table receives, as the printer manual lists them.
    const QStringList esperadas{
        "(#CBLACK)|1B7200||ESC r - Select Print Color (black)",
        "(#CDRAWER)|1B70000202||ESC p - Generate Pulse",
        "(#CHARTABLE)|1B7402||ESC t - Select character code table (PC850)",
        "(#CRED)|1B7201||ESC r - Select Print Color (red)",
        "(#DSOFF)|1B4700||ESC G - Turn double-strike mode off",
        "(#DSON)|1B4701||ESC G - Turn double-strike mode on",
        "(#EOFF)|1B4500||ESC E - Turn Emphasized mode off",
        "(#EON)|1B4501||ESC E - Turn Emphasized mode on",
        "(#FCUT)|1D5601||GS V - Select Cut mode and cut paper full cut",
        "(#FFEED)|1B6408||Form Feed",
        "(#FONT)|1B2100||ESC ! - Select Print Mode (Font A)",
        "(#INIT)|1B40||ESC @ - Initialize printer",
        "(#LF)|0A|0D0A|LF - Print and Line Feed",
        "(#RFEED)|1B6504||ESC e - Print and reverse feed n lines (4lin)",
        "(#UOFF)|1B2D00||ESC -  - Turn undeline mode off",
        "(#UON)|1B2D01||ESC -  - Turn underline mode on (at 1-dot width)",
    };
    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    QCOMPARE(FilasTabla(d.Conexion()), QStringList());
    DirectPrintHelper h;
    QString error;
    QVERIFY2(h.CargaRecordset(d.Conexion(), &error), qPrintable(error));
    QCOMPARE(FilasTabla(d.Conexion()), esperadas);
    QCOMPARE(Filas(h), esperadas);
    for (const DirectPrintHelp& c : h)
        QCOMPARE(PaginaCodigos::ABytes(c.ValorStrPrinter()),
                 QByteArray::fromHex(c.ValorHexPrinter().toLatin1()));

    // Loading again adds no rows; a table the user emptied is seeded again.
    QVERIFY(h.CargaRecordset(d.Conexion()));
    QCOMPARE(FilasTabla(d.Conexion()).size(), 16);
    QCOMPARE(h.Count(), 16);
    EntornoPrueba::Ejecuta("DELETE FROM CodigosDeControl");
    DirectPrintHelper otra;
    QVERIFY(otra.CargaRecordset(d.Conexion()));
    QCOMPARE(FilasTabla(d.Conexion()), esperadas);
    QCOMPARE(Filas(otra), esperadas);
}

void TstDirectPrintHelper::filledTableIsNotSeededAndCodesStay() {
    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    EntornoPrueba::Ejecuta("INSERT INTO CodigosDeControl VALUES (?, ?, ?, ?)",
                           {"(#ZETA)", "5A", "7A", "z"});
    EntornoPrueba::Ejecuta("INSERT INTO CodigosDeControl VALUES (?, ?, ?, ?)",
                           {"(#LF)", "0D0A", "0D0A", "CR LF"});
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
    EntornoPrueba::Ejecuta("DROP TABLE CodigosDeControl");
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
    QCOMPARE(Macros(h), (QStringList{"(#LF)", "(#EON)", "(#init)"}));
    QCOMPARE(h.Item("(#Init)"), nuevo);
    QCOMPARE(h.Item(3)->ValorHexPrinter(), QString("1B4000"));
}

void TstDirectPrintHelper::itemAndRemoveByPositionOrMacro() {
    DirectPrintHelper h;
    for (const char* m : {"(#A)", "(#B)", "(#C)"})
        h.Add(m, "41", "", "");
    QCOMPARE(h.Item(1)->Macro(), QString("(#A)"));
    QVERIFY(!h.Item(0));
    QVERIFY(!h.Item(4));
    QVERIFY(!h.Item("(#D)"));
    QVERIFY(h.Remove("(#b)"));
    QVERIFY(!h.Remove("(#b)"));
    QVERIFY(!h.Remove(3));
    QVERIFY(h.Remove(1));
    QCOMPARE(Macros(h), QStringList{"(#C)"});
}

void TstDirectPrintHelper::hexAndCharacters_data() {
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("codigos");
    // The hexadecimal form the characters give back.
    QTest::addColumn<QString>("hexVuelta");
    QTest::newRow("lower case") << QString("1b40") << QString("27 64") << QString("1B40");
    QTest::newRow("odd length") << QString("1B4") << QString("27 4") << QString("1B04");
    QTest::newRow("empty") << QString() << QString() << QString();
    QTest::newRow("pair starting with non-digit") << QString("G1") << QString("0") << QString("00");
    QTest::newRow("pair ending with non-digit")
        << QString("1G41") << QString("1 65") << QString("0141");
    // Bytes above 127 are characters of the ticket code page (IBM850: A4 is n with tilde).
    QTest::newRow("code page byte")
        << QString("A4") << QString::number(QChar(u'ñ').unicode()) << QString("A4");
}

void TstDirectPrintHelper::hexAndCharacters() {
    QFETCH(QString, hex);
    QFETCH(QString, codigos);
    QFETCH(QString, hexVuelta);
    EntornoPrueba env;
    env.Datos();
    DirectPrintHelp c;
    c.SetValorHexPrinter(hex);
    QCOMPARE(Codigos(c.ValorStrPrinter()), codigos);
    QCOMPARE(c.ValorHexPrinter(), hex);
    c.SetValorStrPrinter(c.ValorStrPrinter());
    QCOMPARE(c.ValorHexPrinter(), hexVuelta);
    c.SetValorHexScreen(hex);
    QCOMPARE(Codigos(c.ValorStrScreen()), codigos);
    c.SetValorStrScreen(c.ValorStrScreen());
    QCOMPARE(c.ValorHexScreen(), hexVuelta);
}

void TstDirectPrintHelper::charactersInCodePage() {
    EntornoPrueba env;
    env.Datos();
    DirectPrintHelp c;
    c.SetValorStrPrinter("Señor");
    QCOMPARE(c.ValorHexPrinter(), QString("5365A46F72"));
    c.SetValorStrScreen("€"); // missing from the code page
    QCOMPARE(c.ValorHexScreen(), QString("3F"));
}

void TstDirectPrintHelper::expandsMacros_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<bool>("impresora");
    QTest::addColumn<QString>("esperado");
    QTest::newRow("lf screen") << "A(#lf)B" << false << "A\r\nB";
    QTest::newRow("lf printer") << "A(#lf)B" << true << "A\nB";
    QTest::newRow("emphasis screen") << "(#EON)" << false << "";
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
