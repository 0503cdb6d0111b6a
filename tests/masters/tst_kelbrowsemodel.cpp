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
    // The list is read a window at a time around what is shown: walking it to the end and back
    // as a grid scrolls passes every row once, in order, rows without a name first on SQLite
    // and last on a server; the end, and a place, are reached directly.
    void recorre_data() { EntornoPrueba::FilasPorMotor(); }
    void recorre() {
        ENTORNO;
        QSqlDatabase db = env.DatosConBase().Conexion();
        LlenaProductos(db, 1000);
        EntornoPrueba::Ejecuta("INSERT INTO Productos (CodProducto) VALUES ('N3'), ('n1'), ('N2')");
        QStringList esperado;
        for (int i = 1000; i >= 1; --i)
            esperado << QString("P%1").arg(i, 5, 10, QChar('0'));
        if (motor == Motor::Sqlite)
            esperado = QStringList({"n1", "N2", "N3"}) + esperado;
        else
            esperado << "n1"
                     << "N2"
                     << "N3";
        kelBrowseModel m;
        QVERIFY(m.Abre(db, ConsultaBrowse::Productos().Sql));
        QCOMPARE(m.Total(), 1003);
        QCOMPARE(m.rowCount(), kelBrowseModel::Lote);
        QStringList vistos;
        int primera = 0; // a screen of 20 rows going down a page at a time, then up
        for (;;) {
            primera += m.Asegura(primera, primera + 19);
            QVERIFY(m.rowCount() <= kelBrowseModel::Maximo);
            for (int r = primera; r < std::min(primera + 20, m.rowCount()); ++r)
                if (m.Inicio() + r == vistos.size())
                    vistos << m.Texto(r, 0);
            if (primera + 20 >= m.rowCount())
                break;
            primera += 20;
        }
        QCOMPARE(vistos, esperado);
        QVERIFY(!m.HayDespues());
        for (; primera > 0 || m.HayAntes(); primera = std::max(0, primera - 20)) {
            primera += m.Asegura(primera, primera + 19);
            QCOMPARE(m.Texto(primera, 0), esperado.at(m.Inicio() + primera));
        }
        QCOMPARE(m.Inicio(), 0);
        m.AlFinal();
        QCOMPARE(m.Inicio() + m.rowCount(), 1003);
        QCOMPARE(m.Texto(m.rowCount() - 1, 0), esperado.last());
        for (const qint64 lugar : {700, 300}) {
            m.Salta(lugar);
            QCOMPARE(m.Texto(int(lugar - m.Inicio()), 0), esperado.at(lugar));
        }
    }

    // A row found by its code, or by the start of its name, comes with the rows around it and
    // its place in the list: counted near either end, estimated further in. Nothing found
    // leaves the rows as they were.
    void situa_data() {
        QTest::addColumn<Motor>("motor");
        QTest::addColumn<QString>("busca");
        QTest::addColumn<bool>("prefijo");
        QTest::addColumn<QString>("codigo");
        QTest::addColumn<int>("lugar");
        QTest::addColumn<int>("tolerancia");
        for (Motor m : EntornoPrueba::kMotores) {
            const auto fila = [m](const char* n, const char* busca, bool prefijo,
                                  const char* codigo, int lugar, int tolerancia) {
                QTest::newRow(qPrintable(EntornoPrueba::Nombre(m) + ": " + n))
                    << m << QString(busca) << prefijo << QString(codigo) << lugar << tolerancia;
            };
            fila("code near the end", "p00010", false, "P00010", 4990, 0);
            fila("code near the start", "P04990", false, "P04990", 10, 0);
            fila("first row", "P05000", false, "P05000", 0, 0);
            fila("code in the middle: estimated", "P02500", false, "P02500", 2500, 100);
            fila("code not found", "P9", false, "P05000", -1, 0);
            fila("name start", "nombre 0030", true, "P02001", 2999, 100);
            fila("name start not found", "Nombrex", true, "P05000", -1, 0);
        }
    }
    void situa() {
        ENTORNO;
        QFETCH(QString, busca);
        QFETCH(bool, prefijo);
        QFETCH(QString, codigo);
        QFETCH(int, lugar);
        QFETCH(int, tolerancia);
        QSqlDatabase db = env.DatosConBase().Conexion();
        LlenaProductos(db, 5000);
        kelBrowseModel m;
        QVERIFY(m.Abre(db, ConsultaBrowse::Productos().Sql));
        const int fila = prefijo ? m.BuscaPrefijo(busca) : m.BuscaFila(busca);
        QCOMPARE(fila < 0, lugar < 0);
        QCOMPARE(m.Texto(std::max(fila, 0), 0), codigo);
        if (fila >= 0) {
            QVERIFY2(std::abs(m.Inicio() + fila - lugar) <= tolerancia,
                     qPrintable(QString::number(m.Inicio() + fila)));
            QVERIFY(fila >= std::min(lugar, kelBrowseModel::Lote / 2));
        }
    }

    // An empty list reads nothing and goes nowhere.
    void vacia_data() { EntornoPrueba::FilasPorMotor(); }
    void vacia() {
        ENTORNO;
        kelBrowseModel m;
        QVERIFY(m.Abre(env.DatosConBase().Conexion(), ConsultaBrowse::Clientes().Sql));
        QCOMPARE(m.BuscaFila("C1"), -1);
        QCOMPARE(m.BuscaPrefijo("C"), -1);
        m.AlFinal();
        m.Salta(10);
        QCOMPARE(m.Asegura(0, 20), 0);
        QCOMPARE(QList<qint64>({m.rowCount(), m.Total(), m.Inicio()}), QList<qint64>({0, 0, 0}));
        int lotes = 0;
        QVERIFY(m.Recorre(10, [&](const auto&) { return ++lotes > 0; }));
        QCOMPARE(lotes, 0);
    }

    // Rows another station adds while the list is open show in their place as the list is
    // read on; the count follows at the end.
    void otraEstacion_data() { EntornoPrueba::FilasPorMotor(); }
    void otraEstacion() {
        ENTORNO;
        QSqlDatabase db = env.DatosConBase().Conexion();
        LlenaProductos(db, 1000);
        kelBrowseModel m;
        QVERIFY(m.Abre(db, ConsultaBrowse::Productos().Sql));
        {
            QSqlDatabase otra = QSqlDatabase::cloneDatabase(db, "otraEstacion");
            QVERIFY(otra.open());
            QSqlQuery q(otra);
            q.prepare("INSERT INTO Productos (CodProducto, NomProducto) VALUES (?, ?)");
            for (int i = 200; i < 500; ++i) {
                q.addBindValue(QString("Q%1").arg(i));
                q.addBindValue(QString("NOMBRE %1 b").arg(i, 6, 10, QChar('0')));
                QVERIFY(q.exec());
            }
        }
        QSqlDatabase::removeDatabase("otraEstacion");
        QStringList nombres, codigos;
        for (int primera = 0; primera < m.rowCount(); primera += 20) {
            primera += m.Asegura(primera, primera + 19);
            for (int r = primera; r < std::min(primera + 20, m.rowCount()); ++r)
                if (m.Inicio() + r == codigos.size())
                    codigos << m.Texto(r, 0), nombres << m.Texto(r, 1).toLower();
        }
        QCOMPARE(codigos.size(), 1300);
        QCOMPARE(codigos.removeDuplicates(), 0);
        QStringList ordenados = nombres;
        ordenados.sort();
        QCOMPARE(nombres, ordenados);
        QCOMPARE(m.Total(), 1300);
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
        const ConsultaBrowse notas = ConsultaBrowse::Albaranes();
        QVERIFY(m.Abre(db, notas.Sql, notas.Clave));
        QCOMPARE(QList<int>({m.rowCount(), m.columnCount()}),
                 QList<int>({2, 3}));      // the state: none void
        QCOMPARE(m.TamanoDefinido(0), -1); // computed: measured by its content
        QCOMPARE(
            QStringList({m.Texto(0, 0), m.Texto(0, 1), m.Texto(1, 0)}),
            QStringList({"09/03/2026 - 17", "Cliente A", "31/12/2025 - ABCDEFGHIJKLMNOPQRST"}));
    }
};

QTEST_GUILESS_MAIN(TestKelBrowseModel)
#include "tst_kelbrowsemodel.moc"
