#include "db/basedatos.h"
#include "masters/consultabrowse.h"
#include "masters/kelbrowsemodel.h"
#include "support/entornoprueba.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>

namespace {
// `n` products "P00001".. whose names run backwards, so that name order is not code order.
void LlenaProductos(int n) {
    QSqlDatabase db = BaseDatos::Conexion();
    db.transaction();
    QSqlQuery q(db);
    q.prepare("INSERT INTO Productos (CodProducto, NomProducto, Precio) VALUES (?, ?, ?)");
    for (int i = 1; i <= n; ++i) {
        q.addBindValue(QString("P%1").arg(i, 5, 10, QChar('0')));
        q.addBindValue(QString("Nombre %1").arg(n - i + 1, 6, 10, QChar('0')));
        q.addBindValue(i * 0.5);
        q.exec();
    }
    db.commit();
}
} // namespace

class tst_kelBrowseModel : public QObject {
    Q_OBJECT
private slots:
    void leePorLotes();
    void ordenaPorLaSegundaColumna();
    void desempataPorLaPrimera();
    void ordenaPorCualquierColumna();
    void buscaFila_data();
    void buscaFila();
    void unaSolaColumna();
    void consultaErronea();
    void puntoYComaFinal();
    void tamanoDefinido_data();
    void tamanoDefinido();
    void titulos();
    void idDeAlbaranes_data();
    void idDeAlbaranes();
};

void tst_kelBrowseModel::leePorLotes() {
    EntornoPrueba env;
    env.DatosConBase();
    LlenaProductos(1000);
    kelBrowseModel m;
    QVERIFY(m.Abre(BaseDatos::Conexion(), ConsultaBrowse::Productos().Sql));
    QCOMPARE(m.rowCount(), kelBrowseModel::FilasPorLote);
    QCOMPARE(m.columnCount(), 2);
    QVERIFY(m.canFetchMore());
    QSignalSpy insertadas(&m, &QAbstractItemModel::rowsInserted);
    m.fetchMore();
    QCOMPARE(m.rowCount(), 2 * kelBrowseModel::FilasPorLote);
    QCOMPARE(insertadas.count(), 1);
    QCOMPARE(insertadas.at(0).at(1).toInt(), kelBrowseModel::FilasPorLote);
    m.TraeTodo();
    QCOMPARE(m.rowCount(), 1000);
    QVERIFY(!m.canFetchMore());
    QVERIFY(m.Completo());
}

void tst_kelBrowseModel::ordenaPorLaSegundaColumna() {
    EntornoPrueba env;
    env.DatosConBase();
    LlenaProductos(600);
    kelBrowseModel m;
    QVERIFY(m.Abre(BaseDatos::Conexion(), ConsultaBrowse::Productos().Sql));
    QCOMPARE(m.ColumnaOrden(), 1);
    // Names run backwards, so the first row by name is the last code.
    QCOMPARE(m.Texto(0, 0), QString("P00600"));
    QCOMPARE(m.Texto(0, 1), QString("Nombre 000001"));
    m.TraeTodo();
    for (int r = 1; r < m.rowCount(); ++r)
        QVERIFY2(m.Texto(r - 1, 1) <= m.Texto(r, 1), qPrintable(QString::number(r)));
}

void tst_kelBrowseModel::desempataPorLaPrimera() {
    EntornoPrueba env;
    env.DatosConBase();
    for (const char* c : {"C", "A", "B"})
        EntornoPrueba::Ejecuta("INSERT INTO Clientes (CodCliente, NomCliente) VALUES (?, 'Igual')",
                               {c});
    EntornoPrueba::Ejecuta("INSERT INTO Clientes (CodCliente, NomCliente) VALUES ('Z', 'Antes')");
    kelBrowseModel m;
    QVERIFY(m.Abre(BaseDatos::Conexion(), ConsultaBrowse::Clientes().Sql));
    QStringList codigos;
    for (int r = 0; r < m.rowCount(); ++r)
        codigos << m.Texto(r, 0);
    QCOMPARE(codigos, QStringList({"Z", "A", "B", "C"}));
}

void tst_kelBrowseModel::ordenaPorCualquierColumna() {
    EntornoPrueba env;
    env.DatosConBase();
    LlenaProductos(300);
    kelBrowseModel m;
    QVERIFY(m.Abre(BaseDatos::Conexion(), ConsultaBrowse::Productos().Sql));
    QSignalSpy reinicio(&m, &QAbstractItemModel::modelReset);
    m.sort(0, Qt::AscendingOrder);
    QCOMPARE(reinicio.count(), 1);
    QCOMPARE(m.Texto(0, 0), QString("P00001"));
    QCOMPARE(m.rowCount(), kelBrowseModel::FilasPorLote);
    m.sort(0, Qt::DescendingOrder);
    QCOMPARE(m.Texto(0, 0), QString("P00300"));
    QCOMPARE(m.Orden(), Qt::DescendingOrder);
    m.sort(7, Qt::AscendingOrder); // no such column: nothing changes
    QCOMPARE(m.Texto(0, 0), QString("P00300"));
}

void tst_kelBrowseModel::buscaFila_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<int>("fila");
    // 1000 products; by name the row of code Pn is 1000 - n.
    QTest::newRow("first batch") << "P01000" << 0;
    QTest::newRow("other letter case") << "p00999" << 1;
    QTest::newRow("beyond the first batch") << "P00001" << 999;
    QTest::newRow("missing") << "P02000" << -1;
    QTest::newRow("part of a code") << "P0000" << -1;
}

void tst_kelBrowseModel::buscaFila() {
    QFETCH(QString, texto);
    QFETCH(int, fila);
    EntornoPrueba env;
    env.DatosConBase();
    LlenaProductos(1000);
    kelBrowseModel m;
    QVERIFY(m.Abre(BaseDatos::Conexion(), ConsultaBrowse::Productos().Sql));
    QCOMPARE(m.BuscaFila(texto), fila);
    if (fila >= 0)
        QVERIFY(m.Texto(fila, 0).compare(texto, Qt::CaseInsensitive) == 0);
}

void tst_kelBrowseModel::unaSolaColumna() {
    EntornoPrueba env;
    env.DatosConBase();
    for (const char* c : {"B", "C", "A"})
        EntornoPrueba::Ejecuta("INSERT INTO Clientes (CodCliente) VALUES (?)", {c});
    kelBrowseModel m;
    QVERIFY(m.Abre(BaseDatos::Conexion(), "SELECT CodCliente FROM Clientes"));
    QCOMPARE(m.columnCount(), 1);
    QCOMPARE(m.ColumnaOrden(), 0);
    QCOMPARE(m.Texto(0, 0), QString("A"));
    QCOMPARE(m.Texto(2, 0), QString("C"));
}

void tst_kelBrowseModel::consultaErronea() {
    EntornoPrueba env;
    env.DatosConBase();
    kelBrowseModel m;
    QString error;
    QVERIFY(!m.Abre(BaseDatos::Conexion(), "SELECT Nada FROM NoExiste", &error));
    QVERIFY2(error.contains("NoExiste"), qPrintable(error));
    QCOMPARE(m.rowCount(), 0);
    QCOMPARE(m.columnCount(), 0);
    QVERIFY(!m.canFetchMore());
}

void tst_kelBrowseModel::puntoYComaFinal() {
    EntornoPrueba env;
    env.DatosConBase();
    EntornoPrueba::Ejecuta("INSERT INTO Operarios (CodOperario, NomOperario) VALUES (7, 'Ana')");
    kelBrowseModel m;
    QVERIFY(m.Abre(BaseDatos::Conexion(), "SELECT CodOperario, NomOperario FROM Operarios ; "));
    QCOMPARE(m.rowCount(), 1);
    QCOMPARE(m.Texto(0, 0), QString("7"));
}

void tst_kelBrowseModel::tamanoDefinido_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QList<int>>("tamanos");
    QTest::newRow("customers") << ConsultaBrowse::Clientes().Sql << QList<int>{15, 50};
    QTest::newRow("tares") << ConsultaBrowse::Taras().Sql << QList<int>{4, 25, 8};
    QTest::newRow("delivery notes") << ConsultaBrowse::Albaranes().Sql << QList<int>{-1, 50};
    QTest::newRow("computed") << "SELECT CodCliente || '!' AS X FROM Clientes" << QList<int>{-1};
}

void tst_kelBrowseModel::tamanoDefinido() {
    QFETCH(QString, sql);
    QFETCH(QList<int>, tamanos);
    EntornoPrueba env;
    env.DatosConBase();
    kelBrowseModel m;
    QVERIFY(m.Abre(BaseDatos::Conexion(), sql));
    QCOMPARE(m.columnCount(), tamanos.size());
    for (int i = 0; i < tamanos.size(); ++i)
        QCOMPARE(m.TamanoDefinido(i), tamanos.at(i));
}

void tst_kelBrowseModel::titulos() {
    EntornoPrueba env;
    env.DatosConBase();
    kelBrowseModel m;
    QVERIFY(m.Abre(BaseDatos::Conexion(), ConsultaBrowse::Taras().Sql));
    m.SetTitulos({"Código"});
    // Columns without a title show the field's name; extra titles are ignored.
    QCOMPARE(m.headerData(0, Qt::Horizontal).toString(), QString("Código"));
    QCOMPARE(m.headerData(1, Qt::Horizontal).toString(), QString("NomTara"));
    m.SetTitulos({"a", "b", "c", "d"});
    QCOMPARE(m.headerData(2, Qt::Horizontal).toString(), QString("c"));
    QCOMPARE(m.columnCount(), 3);
}

void tst_kelBrowseModel::idDeAlbaranes_data() {
    QTest::addColumn<QString>("numero");
    QTest::addColumn<QString>("fecha");
    QTest::addColumn<QString>("id");
    QTest::newRow("short") << "17"
                           << "2026-03-09"
                           << "09/03/2026 - 17";
    QTest::newRow("exactly 33") << "ABCDEFGHIJKLMNOPQRST"
                                << "2025-12-31"
                                << "31/12/2025 - ABCDEFGHIJKLMNOPQRST";
    QTest::newRow("quote") << "A'1"
                           << "2024-02-29"
                           << "29/02/2024 - A'1";
}

void tst_kelBrowseModel::idDeAlbaranes() {
    QFETCH(QString, numero);
    QFETCH(QString, fecha);
    QFETCH(QString, id);
    EntornoPrueba env;
    env.DatosConBase();
    EntornoPrueba::Ejecuta(
        "INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, CodCliente, NomCliente, "
        "FechaModificacion, Impreso) VALUES (?, ?, 'C', 'Cliente C', '2026-01-01 10:00:00', 0)",
        {numero, fecha});
    kelBrowseModel m;
    QVERIFY(m.Abre(BaseDatos::Conexion(), ConsultaBrowse::Albaranes().Sql));
    QCOMPARE(m.rowCount(), 1);
    QCOMPARE(m.Texto(0, 0), id);
    QVERIFY(m.Texto(0, 0).size() <= 33);
    QCOMPARE(m.Texto(0, 1), QString("Cliente C"));
}

QTEST_GUILESS_MAIN(tst_kelBrowseModel)
#include "tst_kelbrowsemodel.moc"
