// Printer control codes: the default table, loading from CodigosDeControl (also at the
// program's start), the hexadecimal and character forms, and expansion.
#include "support/entornoprueba.h"
#include "ticket/directprinthelper.h"

#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {
// "Macro|printer hex|screen hex|Descripcion" of every code, in order: of the collection, or of
// the table's rows when a connection is given.
QStringList Filas(const DirectPrintHelper& h, QSqlDatabase db = {}) {
    QStringList filas;
    QSqlQuery q(db);
    if (db.isValid() && q.exec("SELECT * FROM CodigosDeControl ORDER BY rowid"))
        while (q.next())
            filas << QStringList{q.value(0).toString(), q.value(1).toString(),
                                 q.value(2).toString(), q.value(3).toString()}
                         .join('|');
    if (!db.isValid())
        for (const DirectPrintHelp& c : h)
            filas << QStringList{c.Macro(), c.ValorHexPrinter(), c.ValorHexScreen(),
                                 c.Descripcion()}
                         .join('|');
    return filas;
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
    void arranqueSiembraLosCodigos();
    void tablaConFilasYColeccion();
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
    QCOMPARE(Filas(h, db), esperadas);
    QCOMPARE(Filas(h), esperadas);
    QCOMPARE(Codigos(h.Item("(#cdrawer)")->ValorStrPrinter()), QString("27 112 0 2 2"));
    // Loading again adds no rows; a table the user emptied is seeded again.
    QVERIFY(h.CargaRecordset(db));
    QCOMPARE(Filas(h, db).size(), 16);
    QCOMPARE(h.Count(), 16);
    EntornoPrueba::Ejecuta("DELETE FROM CodigosDeControl");
    QVERIFY(DirectPrintHelper().CargaRecordset(db));
    QCOMPARE(Filas(h, db), esperadas);
    // Seeding that fails half-way leaves the table as it was, and says why.
    EntornoPrueba::Ejecuta("DELETE FROM CodigosDeControl");
    EntornoPrueba::Ejecuta("CREATE TRIGGER no_lf BEFORE INSERT ON CodigosDeControl WHEN "
                           "NEW.Macro = '(#LF)' BEGIN SELECT RAISE(ABORT, 'sin saltos'); END");
    const Resultado fallido = DirectPrintHelper().CargaRecordset(db);
    QVERIFY2(!fallido && fallido.Error().contains("sin saltos"), qPrintable(fallido.Error()));
    QCOMPARE(Filas(h, db), QStringList());
    EntornoPrueba::Ejecuta("DROP TABLE CodigosDeControl");
    const Resultado sinTabla = DirectPrintHelper().CargaRecordset(db);
    QVERIFY2(sinTabla.Error().contains("CodigosDeControl"), qPrintable(sinTabla.Error()));
}

void TestDirectPrintHelper::arranqueSiembraLosCodigos() {
    // The program, started on a new database, fills the empty table and goes on running.
    QTemporaryDir dir;
    QProcess pesix;
    pesix.start(qEnvironmentVariable("PESIX_BUILD_DIR") + "/pesix",
                {"--database", dir.filePath("pesix.db"), "--settings", dir.filePath("pesix.ini")});
    QVERIFY(pesix.waitForStarted());
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "programa");
    db.setDatabaseName(dir.filePath("pesix.db"));
    db.setConnectOptions("QSQLITE_OPEN_READONLY");
    const auto macros = [&] {
        QStringList m;
        QSqlQuery q(db);
        for (db.open() && q.exec("SELECT Macro FROM CodigosDeControl ORDER BY rowid"); q.next();)
            m << q.value(0).toString();
        db.close();
        return m;
    };
    QTRY_COMPARE_WITH_TIMEOUT(macros().size(), 16, 30000);
    QCOMPARE(macros().mid(11, 3), (QStringList{"(#INIT)", "(#LF)", "(#RFEED)"}));
    QCOMPARE(pesix.state(), QProcess::Running);
    pesix.kill();
    pesix.waitForFinished(5000);
}

void TestDirectPrintHelper::tablaConFilasYColeccion() {
    // A table with rows is not seeded; codes already held stay unless a row replaces them, a
    // macro that differs only in case too.
    EntornoPrueba env;
    QSqlDatabase db = env.DatosConBase().Conexion();
    EntornoPrueba::Ejecuta("INSERT INTO CodigosDeControl VALUES ('(#ZETA)', '5A', '7A', 'z')");
    EntornoPrueba::Ejecuta(
        "INSERT INTO CodigosDeControl VALUES ('(#LF)', '0D0A', '0D0A', 'CR LF')");
    DirectPrintHelper h;
    h.Add("(#PROPIO)", "41", "", "kept");
    h.Add("(#lf)", "0A", "", "replaced by the table's row");
    QVERIFY(h.CargaRecordset(db));
    QCOMPARE(Filas(h, db).size(), 2);
    QCOMPARE(Filas(h),
             (QStringList{"(#PROPIO)|41||kept", "(#ZETA)|5A|7A|z", "(#LF)|0D0A|0D0A|CR LF"}));
}

void TestDirectPrintHelper::hexYCaracteres_data() {
    QTest::addColumn<QString>("pagina");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("codigos");
    QTest::addColumn<QString>("hexVuelta"); // the hexadecimal form the characters give back
    auto fila = [](const char* nombre, QString pagina, QString hex, QString cod, QString vuelta) {
        QTest::newRow(nombre) << pagina << hex << cod << vuelta;
    };
    fila("lower case", "", "1b40", "27 64", "1B40");
    fila("odd length", "", "1B4", "27 4", "1B04");
    fila("pair ending with non-digit", "", "1G41", "1 65", "0141");
    // Bytes above 127 are characters of the code page: in Windows-1252 A4 is the currency sign
    // and F1 the n with tilde (which is A4 in IBM850, the default).
    fila("another code page", "windows-1252", "A4F1", "164 241", "A4F1");
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
    QCOMPARE(c.ValorHexPrinter() + c.ValorHexScreen(), hexVuelta + hexVuelta);
    // Characters the code page lacks are written as "?".
    c.SetValorStrPrinter(QString::fromUtf8("Señor €"));
    QCOMPARE(c.ValorHexPrinter(), pagina.isEmpty() ? QString("5365A46F72203F") : "5365F16F722080");
}

void TestDirectPrintHelper::expande_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<bool>("impresora");
    QTest::addColumn<QString>("esperado");
    QTest::newRow("lf screen") << QString("A(#lf)B") << false << QString("A\r\nB");
    QTest::newRow("every occurrence") << QString("(#LF)(#Lf)(#lF)") << true << QString("\n\n\n");
    QTest::newRow("unknown macro stays")
        << QString("x(#NADA)y(#LF)") << true << QString("x(#NADA)y\n");
    QTest::newRow("null byte kept")
        << QString("(#CBLACK)") << true << QString::fromLatin1("\x1br\0", 3);
    QTest::newRow("code page of the collection") << QString("(#N)") << true << QString(QChar(u'ñ'));
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
    h.SetPagina("IBM850"); // every code read again with this one
    QVERIFY(h.Expande(texto, impresora));
    QCOMPARE(Codigos(texto), Codigos(esperado));
}

QTEST_GUILESS_MAIN(TestDirectPrintHelper)
#include "tst_directprinthelper.moc"
