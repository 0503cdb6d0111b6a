// Printer control codes: the default table, loading from CodigosDeControl, the keyed collection
// and the two forms of each expansion.
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

// The collection in the same form, or only its macros.
QStringList Filas(const DirectPrintHelper& h, bool soloMacros = false) {
    QStringList m;
    for (const DirectPrintHelp& c : h)
        m << (soloMacros
                  ? c.Macro()
                  : QStringList{c.Macro(), c.ValorHexPrinter(), c.ValorHexScreen(), c.Descripcion()}
                        .join('|'));
    return m;
}

QString Codigos(const QString& texto) {
    QStringList c;
    for (const QChar ch : texto)
        c << QString::number(ch.unicode());
    return c.join(' ');
}
} // namespace

class TestDirectPrintHelper : public QObject {
    Q_OBJECT

private slots:
    void siembraLaTablaVacia();
    void tablaConFilas();
    void coleccion();
    void hexYCaracteres_data();
    void hexYCaracteres();
    void expande_data();
    void expande();
};

void TestDirectPrintHelper::siembraLaTablaVacia() {
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
    QSqlDatabase db = env.DatosConBase().Conexion();
    DirectPrintHelper h;
    const Resultado cargado = h.CargaRecordset(db);
    QVERIFY2(cargado, qPrintable(cargado.Error()));
    QCOMPARE(FilasTabla(db), esperadas);
    QCOMPARE(Filas(h), esperadas);
    for (const DirectPrintHelp& c : h)
        QCOMPARE(PaginaCodigos::ABytes(c.ValorStrPrinter(), h.Pagina()),
                 QByteArray::fromHex(c.ValorHexPrinter().toLatin1()));
    // Loading again adds no rows; a table the user emptied is seeded again.
    QVERIFY(h.CargaRecordset(db));
    QCOMPARE(FilasTabla(db).size(), 16);
    QCOMPARE(h.Count(), 16);
    EntornoPrueba::Ejecuta("DELETE FROM CodigosDeControl");
    DirectPrintHelper otra;
    QVERIFY(otra.CargaRecordset(db));
    QCOMPARE(FilasTabla(db), esperadas);
    // Seeding that fails half-way leaves the table as it was, and says why.
    EntornoPrueba::Ejecuta("DELETE FROM CodigosDeControl");
    EntornoPrueba::Ejecuta("CREATE TRIGGER no_lf BEFORE INSERT ON CodigosDeControl WHEN "
                           "NEW.Macro = '(#LF)' BEGIN SELECT RAISE(ABORT, 'sin saltos'); END");
    const Resultado fallido = DirectPrintHelper().CargaRecordset(db);
    QVERIFY(!fallido);
    QVERIFY2(fallido.Error().contains("sin saltos"), qPrintable(fallido.Error()));
    QCOMPARE(FilasTabla(db), QStringList());
    // A table that is not there.
    EntornoPrueba::Ejecuta("DROP TABLE CodigosDeControl");
    const Resultado sinTabla = DirectPrintHelper().CargaRecordset(db);
    QVERIFY2(sinTabla.Error().contains("CodigosDeControl"), qPrintable(sinTabla.Error()));
}

void TestDirectPrintHelper::tablaConFilas() {
    // A table with rows is not seeded; codes already held stay unless a row replaces them.
    EntornoPrueba env;
    QSqlDatabase db = env.DatosConBase().Conexion();
    EntornoPrueba::Ejecuta("INSERT INTO CodigosDeControl VALUES (?, ?, ?, ?)",
                           {"(#ZETA)", "5A", "7A", "z"});
    EntornoPrueba::Ejecuta("INSERT INTO CodigosDeControl VALUES (?, ?, ?, ?)",
                           {"(#LF)", "0D0A", "0D0A", "CR LF"});
    DirectPrintHelper h;
    h.Add("(#PROPIO)", "41", "", "kept");
    h.Add("(#lf)", "0A", "", "replaced by the table's row");
    QVERIFY(h.CargaRecordset(db));
    QCOMPARE(FilasTabla(db).size(), 2);
    QCOMPARE(Filas(h),
             (QStringList{"(#PROPIO)|41||kept", "(#ZETA)|5A|7A|z", "(#LF)|0D0A|0D0A|CR LF"}));
}

void TestDirectPrintHelper::coleccion() {
    // A macro that differs only in case replaces its entry, which moves to the end.
    DirectPrintHelper h;
    for (const char* m : {"(#INIT)", "(#LF)", "(#EON)"})
        h.Add(m, "41", "", "");
    const auto nuevo = h.Add("(#init)", "1B4000", "", "again");
    QCOMPARE(Filas(h, true), (QStringList{"(#LF)", "(#EON)", "(#init)"}));
    QCOMPARE(h.Item("(#Init)"), nuevo);
    QCOMPARE(h.Item(3), nuevo);
    QVERIFY(!h.Item(0) && !h.Item(4) && !h.Item("(#D)"));
    QVERIFY(h.Remove("(#lf)"));
    QVERIFY(!h.Remove("(#lf)"));
    QVERIFY(!h.Remove(3));
    QVERIFY(h.Remove(1));
    QCOMPARE(Filas(h, true), QStringList{"(#init)"});
}

void TestDirectPrintHelper::hexYCaracteres_data() {
    QTest::addColumn<QString>("pagina");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("codigos");
    // The hexadecimal form the characters give back.
    QTest::addColumn<QString>("hexVuelta");
    QTest::newRow("lower case") << ""
                                << "1b40"
                                << "27 64"
                                << "1B40";
    QTest::newRow("odd length") << ""
                                << "1B4"
                                << "27 4"
                                << "1B04";
    QTest::newRow("empty") << ""
                           << ""
                           << ""
                           << "";
    QTest::newRow("pair starting with non-digit") << ""
                                                  << "G1"
                                                  << "0"
                                                  << "00";
    QTest::newRow("pair ending with non-digit") << ""
                                                << "1G41"
                                                << "1 65"
                                                << "0141";
    // Bytes above 127 are characters of the code page: A4 is n with tilde in IBM850, currency
    // sign in Windows-1252, whose n with tilde is F1.
    QTest::newRow("IBM850 by default") << ""
                                       << "A4" << QString::number(QChar(u'ñ').unicode()) << "A4";
    QTest::newRow("another code page")
        << "windows-1252"
        << "A4F1"
        << QString::number(QChar(u'¤').unicode()) + " " + QString::number(QChar(u'ñ').unicode())
        << "A4F1";
}

void TestDirectPrintHelper::hexYCaracteres() {
    QFETCH(QString, pagina);
    QFETCH(QString, hex);
    QFETCH(QString, codigos);
    QFETCH(QString, hexVuelta);
    DirectPrintHelp c(pagina);
    c.SetValorHexPrinter(hex);
    c.SetValorHexScreen(hex);
    QCOMPARE(Codigos(c.ValorStrPrinter()), codigos);
    QCOMPARE(Codigos(c.ValorStrScreen()), codigos);
    QCOMPARE(c.ValorHexPrinter(), hex);
    c.SetValorStrPrinter(c.ValorStrPrinter());
    c.SetValorStrScreen(c.ValorStrScreen());
    QCOMPARE(c.ValorHexPrinter(), hexVuelta);
    QCOMPARE(c.ValorHexScreen(), hexVuelta);
    // Characters the code page lacks are written as "?".
    c.SetValorStrPrinter(QString::fromUtf8("Señor €"));
    QCOMPARE(c.ValorHexPrinter(), pagina.isEmpty() ? QString("5365A46F72203F") : "5365F16F722080");
}

void TestDirectPrintHelper::expande_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<bool>("impresora");
    QTest::addColumn<QString>("esperado");
    QTest::newRow("lf screen") << "A(#lf)B" << false << "A\r\nB";
    QTest::newRow("lf printer") << "A(#lf)B" << true << "A\nB";
    QTest::newRow("emphasis screen") << "(#EON)" << false << "";
    QTest::newRow("every occurrence") << "(#LF)(#Lf)(#lF)" << true << "\n\n\n";
    QTest::newRow("unknown macro stays") << "x(#NADA)y(#LF)" << true << "x(#NADA)y\n";
    QTest::newRow("null byte kept") << "(#CBLACK)" << true << QString::fromLatin1("\x1br\0", 3);
    QTest::newRow("code page of the collection")
        << "(#CHARTABLE)(#N)" << true << QString::fromLatin1("\x1bt\x02") + QChar(u'ñ');
}

void TestDirectPrintHelper::expande() {
    QFETCH(QString, texto);
    QFETCH(bool, impresora);
    QFETCH(QString, esperado);
    EntornoPrueba env;
    DirectPrintHelper h("windows-1252");
    QVERIFY(h.CargaRecordset(env.DatosConBase().Conexion()));
    h.Add("", "41", "41", "a blank row of the code grid, which would match everywhere");
    h.Add("(#N)", "A4", "", "");
    // Read with IBM850 from the start, whatever code page the codes were first read with.
    h.SetPagina("IBM850");
    QVERIFY(h.Expande(texto, impresora));
    QCOMPARE(Codigos(texto), Codigos(esperado));
}

QTEST_GUILESS_MAIN(TestDirectPrintHelper)
#include "tst_directprinthelper.moc"
