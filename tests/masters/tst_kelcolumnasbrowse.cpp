#include "app/kelregistry.h"
#include "masters/kelcolumnasbrowse.h"
#include "support/entornoprueba.h"

#include <QTest>
#include <algorithm>

class TestKelColumnasBrowse : public QObject {
    Q_OBJECT
private slots:
    void anchos_data();
    void anchos();
    void conjuntos();
};

void TestKelColumnasBrowse::anchos_data() {
    QTest::addColumn<QString>("lista");
    QTest::addColumn<int>("columnas");
    QTest::addColumn<QList<int>>("anchos");
    QTest::newRow("more parts than columns") << "1000|2000|3000" << 2 << QList<int>{1000, 2000};
    QTest::newRow("fewer parts than columns") << "1200" << 3 << QList<int>{1200};
    QTest::newRow("rounded to whole twips") << "1000.6|2000.4" << 2 << QList<int>{1001, 2000};
    QTest::newRow("not a number") << "abc|500" << 2 << QList<int>{0, 500};
    QTest::newRow("empty list") << "" << 2 << QList<int>{};
}

void TestKelColumnasBrowse::anchos() {
    QFETCH(QString, lista);
    QFETCH(int, columnas);
    QFETCH(QList<int>, anchos);
    QCOMPARE(kelColumnasBrowse::Anchos(lista, columnas), anchos);
}

void TestKelColumnasBrowse::conjuntos() {
    EntornoPrueba env;
    env.Datos();
    QCOMPARE(kelColumnasBrowse::Lista({1515, 300, 0}), QString("1515|300|0"));
    QVERIFY(kelColumnasBrowse::GuardaConjunto("Clientes", "1000|2000"));
    QVERIFY(kelColumnasBrowse::GuardaConjunto(" Anchas ", "5000|5000|5000"));
    QVERIFY(kelColumnasBrowse::GuardaConjunto("Clientes", "1100|2100"));
    QVERIFY(!kelColumnasBrowse::GuardaConjunto("  ", "1000"));
    // A separator of the store in the name must not hide the set from the list.
    QVERIFY(kelColumnasBrowse::GuardaConjunto("Norte/Sur\\Este", "700|800"));
    auto c = kelColumnasBrowse::Conjuntos();
    std::sort(c.begin(), c.end());
    QCOMPARE(c, (QList<std::pair<QString, QString>>{{"Anchas", "5000|5000|5000"},
                                                    {"Clientes", "1100|2100"},
                                                    {"Norte-Sur-Este", "700|800"}}));
    // The sets live where every pick list finds them.
    QCOMPARE(kelRegistry::GetAppString("\\Pos\\kelBrowse\\Columnas", "Anchas"),
             QString("5000|5000|5000"));
}

QTEST_GUILESS_MAIN(TestKelColumnasBrowse)
#include "tst_kelcolumnasbrowse.moc"
