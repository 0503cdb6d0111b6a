#include "app/kelregistry.h"
#include "masters/kelcolumnasbrowse.h"
#include "support/entornoprueba.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QTest>

class tst_kelColumnasBrowse : public QObject {
    Q_OBJECT
private slots:
    void anchos_data();
    void anchos();
    void lista();
    void conjuntos();
    void nombreEnBlanco_data();
    void nombreEnBlanco();
    void anchoInicial();
};

void tst_kelColumnasBrowse::anchos_data() {
    QTest::addColumn<QString>("lista");
    QTest::addColumn<int>("columnas");
    QTest::addColumn<QList<int>>("anchos");
    QTest::newRow("as many parts as columns") << "1000|2000" << 2 << QList<int>{1000, 2000};
    QTest::newRow("more parts than columns") << "1000|2000|3000" << 2 << QList<int>{1000, 2000};
    QTest::newRow("fewer parts than columns") << "1200" << 3 << QList<int>{1200};
    QTest::newRow("rounded to whole twips") << "1000.6|2000.4" << 2 << QList<int>{1001, 2000};
    QTest::newRow("not a number") << "abc|500" << 2 << QList<int>{0, 500};
    QTest::newRow("leading spaces") << "  700|x" << 1 << QList<int>{700};
    QTest::newRow("empty list") << "" << 2 << QList<int>{};
    QTest::newRow("no columns") << "1|2" << 0 << QList<int>{};
}

void tst_kelColumnasBrowse::anchos() {
    QFETCH(QString, lista);
    QFETCH(int, columnas);
    QFETCH(QList<int>, anchos);
    QCOMPARE(kelColumnasBrowse::Anchos(lista, columnas), anchos);
}

void tst_kelColumnasBrowse::lista() {
    QCOMPARE(kelColumnasBrowse::Lista({1515, 300, 0}), QString("1515|300|0"));
    QCOMPARE(kelColumnasBrowse::Lista({}), QString());
    const QList<int> vuelta{450, 3000, 1230};
    QCOMPARE(kelColumnasBrowse::Anchos(kelColumnasBrowse::Lista(vuelta), 3), vuelta);
}

void tst_kelColumnasBrowse::conjuntos() {
    EntornoPrueba env;
    env.Datos();
    QVERIFY(kelColumnasBrowse::Conjuntos().isEmpty());
    QVERIFY(kelColumnasBrowse::GuardaConjunto("Clientes", "1000|2000"));
    QVERIFY(kelColumnasBrowse::GuardaConjunto(" Anchas ", "5000|5000|5000"));
    QVERIFY(kelColumnasBrowse::GuardaConjunto("Clientes", "1100|2100"));
    const auto c = kelColumnasBrowse::Conjuntos();
    QCOMPARE(c.size(), 2);
    QStringList nombres;
    for (const auto& [nombre, lista] : c) {
        nombres << nombre;
        QCOMPARE(lista, kelColumnasBrowse::ListaDe(nombre));
    }
    nombres.sort();
    QCOMPARE(nombres, QStringList({"Anchas", "Clientes"}));
    QCOMPARE(kelColumnasBrowse::ListaDe("Clientes"), QString("1100|2100"));
    // The sets live where every pick list finds them.
    QCOMPARE(kelRegistry::GetAppString("\\Pos\\kelBrowse\\Columnas", "Anchas"),
             QString("5000|5000|5000"));
}

void tst_kelColumnasBrowse::nombreEnBlanco_data() {
    QTest::addColumn<QString>("nombre");
    QTest::newRow("empty") << "";
    QTest::newRow("spaces") << "   ";
    QTest::newRow("tab") << "\t";
}

void tst_kelColumnasBrowse::nombreEnBlanco() {
    QFETCH(QString, nombre);
    EntornoPrueba env;
    env.Datos();
    QVERIFY(!kelColumnasBrowse::GuardaConjunto(nombre, "1000"));
    QVERIFY(kelColumnasBrowse::Conjuntos().isEmpty());
}

void tst_kelColumnasBrowse::anchoInicial() {
    const QFontMetrics fm(QGuiApplication::font());
    const QString largo = "Un título de columna bastante largo";
    const int porTitulo = kelColumnasBrowse::AnchoInicial(fm, largo, 1);
    QCOMPARE(porTitulo, kelColumnasBrowse::Twips(fm.horizontalAdvance(largo)) + 300);
    const int porLetras = kelColumnasBrowse::AnchoInicial(fm, "X", 60);
    QCOMPARE(porLetras, kelColumnasBrowse::Twips(fm.horizontalAdvance(QString(60, 'A'))) + 300);
    // No title and no size still leaves the margin.
    QCOMPARE(kelColumnasBrowse::AnchoInicial(fm, "", 0), 300);
    QVERIFY(kelColumnasBrowse::AnchoInicial(fm, "", 15) <
            kelColumnasBrowse::AnchoInicial(fm, "", 50));
}

QTEST_MAIN(tst_kelColumnasBrowse)
#include "tst_kelcolumnasbrowse.moc"
