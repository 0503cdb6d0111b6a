#include "db/basedatos.h"
#include "masters/consultabrowse.h"
#include "masters/kelbrowsemodel.h"
#include "support/entornoprueba.h"

#include "productosprueba.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>

class tst_kelBrowseModel : public QObject {
    Q_OBJECT
private slots:
    void leePorLotesOrdenado_data() { Motores(); }
    void leePorLotesOrdenado();
    void unaSolaColumna_data() { Motores(); }
    void unaSolaColumna();
    void consultaErronea_data() { Motores(); }
    void consultaErronea();
    void tamanoDefinido_data() { Motores(); }
    void tamanoDefinido();
    void idDeAlbaranes_data() { Motores(); }
    void idDeAlbaranes();

private:
    // The same bodies on both engines.
    static void Motores() {
        QTest::addColumn<Motor>("motor");
        for (Motor m : EntornoPrueba::kMotores)
            QTest::newRow(qPrintable(EntornoPrueba::Nombre(m))) << m;
    }
};

// The test's world on the row's engine.
#define ENTORNO                                                                                    \
    QFETCH(Motor, motor);                                                                          \
    PESIX_REQUIERE(motor);                                                                         \
    EntornoPrueba env(motor);                                                                      \
    env.DatosConBase()

void tst_kelBrowseModel::leePorLotesOrdenado() {
    ENTORNO;
    LlenaProductos(1000);
    kelBrowseModel m;
    QVERIFY(m.Abre(BaseDatos::Conexion(), ConsultaBrowse::Productos().Sql));
    QCOMPARE(m.rowCount(), kelBrowseModel::FilasPorLote);
    QCOMPARE(m.columnCount(), 2);
    // Ordered by name, so the first row is the last code.
    QCOMPARE(m.ColumnaOrden(), 1);
    QCOMPARE(m.Texto(0, 0), QString("P01000"));
    QSignalSpy insertadas(&m, &QAbstractItemModel::rowsInserted);
    m.fetchMore();
    QCOMPARE(m.rowCount(), 2 * kelBrowseModel::FilasPorLote);
    QCOMPARE(insertadas.count(), 1);
    m.TraeTodo();
    QCOMPARE(m.rowCount(), 1000);
    QVERIFY(!m.canFetchMore());
    for (int r = 1; r < m.rowCount(); ++r)
        QVERIFY2(m.Texto(r - 1, 1) < m.Texto(r, 1), qPrintable(QString::number(r)));
}

void tst_kelBrowseModel::unaSolaColumna() {
    ENTORNO;
    for (const char* c : {"B", "C", "A"})
        EntornoPrueba::Ejecuta("INSERT INTO Clientes (CodCliente) VALUES (?)", {c});
    kelBrowseModel m;
    QVERIFY(m.Abre(BaseDatos::Conexion(), "SELECT CodCliente FROM Clientes ; "));
    QCOMPARE(m.columnCount(), 1);
    QCOMPARE(m.Texto(0, 0), QString("A"));
    QCOMPARE(m.Texto(2, 0), QString("C"));
}

void tst_kelBrowseModel::consultaErronea() {
    ENTORNO;
    kelBrowseModel m;
    QString error;
    QVERIFY(!m.Abre(BaseDatos::Conexion(), "SELECT Nada FROM NoExiste", &error));
    QVERIFY2(error.contains("NoExiste", Qt::CaseInsensitive), qPrintable(error));
    QCOMPARE(m.rowCount(), 0);
    QCOMPARE(m.columnCount(), 0);
}

void tst_kelBrowseModel::tamanoDefinido() {
    ENTORNO;
    kelBrowseModel m;
    QVERIFY(m.Abre(BaseDatos::Conexion(), ConsultaBrowse::Taras().Sql));
    // Whole number, text of 25, double; a computed column has none.
    QCOMPARE(QList<int>({m.TamanoDefinido(0), m.TamanoDefinido(1), m.TamanoDefinido(2)}),
             QList<int>({4, 25, 8}));
    QVERIFY(m.Abre(BaseDatos::Conexion(), "SELECT CodCliente || '!' AS X FROM Clientes"));
    QCOMPARE(m.TamanoDefinido(0), -1);
}

void tst_kelBrowseModel::idDeAlbaranes() {
    ENTORNO;
    const QString sql =
        "INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, CodCliente, NomCliente, "
        "FechaModificacion, Impreso) VALUES (?, ?, 'C', ?, '2026-01-01 10:00:00', false)";
    EntornoPrueba::Ejecuta(sql, {"17", "2026-03-09", "Cliente A"});
    EntornoPrueba::Ejecuta(sql, {"ABCDEFGHIJKLMNOPQRST", "2025-12-31", "Cliente B"});
    kelBrowseModel m;
    QVERIFY(m.Abre(BaseDatos::Conexion(), ConsultaBrowse::Albaranes().Sql));
    QCOMPARE(m.rowCount(), 2);
    QCOMPARE(QStringList({m.Texto(0, 0), m.Texto(0, 1), m.Texto(1, 0)}),
             QStringList({"09/03/2026 - 17", "Cliente A", "31/12/2025 - ABCDEFGHIJKLMNOPQRST"}));
}

QTEST_GUILESS_MAIN(tst_kelBrowseModel)
#include "tst_kelbrowsemodel.moc"
