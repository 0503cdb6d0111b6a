#include "masters/consultabrowse.h"
#include "masters/kelbrowsemodel.h"

#include "datosprueba.h"

#include <QSignalSpy>
#include <QTest>

// The test's world on the row's engine.
#define ENTORNO                                                                                    \
    QFETCH(Motor, motor);                                                                          \
    PESIX_REQUIERE(motor);                                                                         \
    EntornoPrueba env(motor)

class TestKelBrowseModel : public QObject {
    Q_OBJECT
private slots:
    // Rows come in batches of 256 as the grid asks for them, ordered by the second column.
    void leePorLotesOrdenado_data() { EntornoPrueba::FilasPorMotor(); }
    void leePorLotesOrdenado() {
        ENTORNO;
        QSqlDatabase db = env.DatosConBase().Conexion();
        LlenaProductos(db, 1000);
        kelBrowseModel m;
        QVERIFY(m.Abre(db, ConsultaBrowse::Productos().Sql));
        QCOMPARE(m.rowCount(), 256);
        QCOMPARE(m.columnCount(), 2);
        QCOMPARE(m.Texto(0, 0), QString("P01000")); // by name: the last code first
        QSignalSpy insertadas(&m, &QAbstractItemModel::rowsInserted);
        m.fetchMore();
        QCOMPARE(m.rowCount(), 512);
        QCOMPARE(insertadas.count(), 1);
        m.TraeTodo();
        QCOMPARE(m.rowCount(), 1000);
        QVERIFY(!m.canFetchMore());
        for (int r = 1; r < m.rowCount(); ++r)
            QVERIFY2(m.Texto(r - 1, 1) < m.Texto(r, 1), qPrintable(QString::number(r)));
    }

    // Text is ordered without regard to letter case, by either column and either way.
    void ordenSinMayusculas_data() { EntornoPrueba::FilasPorMotor(); }
    void ordenSinMayusculas() {
        ENTORNO;
        QSqlDatabase db = env.DatosConBase().Conexion();
        EntornoPrueba::Ejecuta("INSERT INTO Clientes (CodCliente, NomCliente) VALUES "
                               "('b2', 'banana'), ('C3', 'Cereza'), ('a1', 'Albaricoque')");
        kelBrowseModel m;
        QVERIFY(m.Abre(db, ConsultaBrowse::Clientes().Sql));
        const auto columna = [&](int c) {
            QStringList t;
            for (int r = 0; r < m.rowCount(); ++r)
                t << m.Texto(r, c);
            return t.join(' ');
        };
        QCOMPARE(columna(1), QString("Albaricoque banana Cereza"));
        m.sort(0, Qt::DescendingOrder);
        QCOMPARE(columna(0), QString("C3 b2 a1"));
        kelBrowseModel una; // one column: ordered by it
        QVERIFY(una.Abre(db, "SELECT CodCliente FROM Clientes ; "));
        QCOMPARE(QStringList({una.Texto(0, 0), una.Texto(1, 0), una.Texto(2, 0)}),
                 QStringList({"a1", "b2", "C3"}));
    }

    void consultaErronea_data() { EntornoPrueba::FilasPorMotor(); }
    void consultaErronea() {
        ENTORNO;
        kelBrowseModel m;
        const Resultado r = m.Abre(env.DatosConBase().Conexion(), "SELECT Nada FROM NoExiste");
        QVERIFY2(!r && r.Error().contains("NoExiste", Qt::CaseInsensitive), qPrintable(r.Error()));
        QCOMPARE(m.rowCount(), 0);
        QCOMPARE(m.columnCount(), 0);
    }

    // Sizes: a whole number takes up to 11 characters, text its declared size, a double the
    // engine's 8; a computed column has none. Numbers are right-aligned, with the decimal
    // separator given.
    void columnas_data() { EntornoPrueba::FilasPorMotor(); }
    void columnas() {
        ENTORNO;
        QSqlDatabase db = env.DatosConBase().Conexion();
        EntornoPrueba::Ejecuta("INSERT INTO Taras VALUES (7, '12', 0.5)");
        kelBrowseModel m;
        m.SetSeparadorDecimal(",");
        QVERIFY(m.Abre(db, ConsultaBrowse::Taras().Sql));
        QCOMPARE(QList<int>({m.TamanoDefinido(0), m.TamanoDefinido(1), m.TamanoDefinido(2)}),
                 QList<int>({11, 25, 8}));
        QCOMPARE(m.Texto(0, 2), QString("0,5"));
        const auto alineacion = [&](int c) {
            return Qt::Alignment(m.data(m.index(0, c), Qt::TextAlignmentRole).toInt()) &
                   Qt::AlignHorizontal_Mask;
        };
        QCOMPARE(QList<Qt::Alignment>({alineacion(0), alineacion(1), alineacion(2)}),
                 QList<Qt::Alignment>({Qt::AlignRight, Qt::AlignLeft, Qt::AlignRight}));
    }

    void idDeAlbaranes_data() { EntornoPrueba::FilasPorMotor(); }
    void idDeAlbaranes() {
        ENTORNO;
        QSqlDatabase db = env.DatosConBase().Conexion();
        const QString sql =
            "INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, CodCliente, NomCliente, "
            "FechaModificacion, Impreso) VALUES (?, ?, 'C', ?, '2026-01-01 10:00:00', false)";
        EntornoPrueba::Ejecuta(sql, {"17", "2026-03-09", "Cliente A"});
        EntornoPrueba::Ejecuta(sql, {"ABCDEFGHIJKLMNOPQRST", "2025-12-31", "Cliente B"});
        kelBrowseModel m;
        QVERIFY(m.Abre(db, ConsultaBrowse::Albaranes().Sql));
        QCOMPARE(m.rowCount(), 2);
        QCOMPARE(m.TamanoDefinido(0), -1); // computed: measured by its content
        QCOMPARE(
            QStringList({m.Texto(0, 0), m.Texto(0, 1), m.Texto(1, 0)}),
            QStringList({"09/03/2026 - 17", "Cliente A", "31/12/2025 - ABCDEFGHIJKLMNOPQRST"}));
    }
};

QTEST_GUILESS_MAIN(TestKelBrowseModel)
#include "tst_kelbrowsemodel.moc"
