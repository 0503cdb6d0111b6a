// The rules of the maintenance windows, below the windows: look-up, save, delete.
#include "masters/clsmaestro.h"

#include "datosprueba.h"

#include <QTest>

namespace {
clsMaestro Maestro(const QString& tabla, QSqlDatabase db) {
    if (tabla == "Clientes")
        return clsMaestro::Clientes(db);
    if (tabla == "Productos")
        return clsMaestro::Productos(db);
    return tabla == "Taras" ? clsMaestro::Taras(db) : clsMaestro::Operarios(db);
}
} // namespace

class TestClsMaestro : public QObject {
    Q_OBJECT
private slots:
    void guardaCambiaBorra_data() {
        QTest::addColumn<QVariant>("codigo");
        QTest::addColumn<QVariantList>("primero");
        QTest::addColumn<QVariantList>("segundo");
        QTest::addColumn<QStringList>("filas"); // after the first save and after the second
        QTest::addColumn<Motor>("motor");
        for (Motor m : EntornoPrueba::kMotores) {
            const auto fila = [&](const char* tabla) {
                return &(QTest::addRow("%s: %s", qPrintable(EntornoPrueba::Nombre(m)), tabla));
            };
            // A text code is kept as typed, spaces and quotes included.
            *fila("Clientes") << QVariant(" D'AN") << QVariantList{"L'Horta", "H 4", "Murcia"}
                              << QVariantList{"Luna", "", "Murcia"}
                              << QStringList{" D'AN;L'Horta;H 4;Murcia", " D'AN;Luna;;Murcia"} << m;
            *fila("Productos") << QVariant("P9") << QVariantList{"Uvas", 2.75}
                               << QVariantList{"Uvas negras", 3.5}
                               << QStringList{"P9;Uvas;2.75", "P9;Uvas negras;3.5"} << m;
            *fila("Taras") << QVariant("9") << QVariantList{"Cesta", 1.25}
                           << QVariantList{"Cesta grande", 2}
                           << QStringList{"9;Cesta;1.25", "9;Cesta grande;2"} << m;
            *fila("Operarios") << QVariant(0) << QVariantList{"Marta"} << QVariantList{"Marta G."}
                               << QStringList{"0;Marta", "0;Marta G."} << m;
        }
    }
    void guardaCambiaBorra() {
        QFETCH(QVariant, codigo);
        QFETCH(QVariantList, primero);
        QFETCH(QVariantList, segundo);
        QFETCH(QStringList, filas);
        QFETCH(Motor, motor);
        PESIX_REQUIERE(motor);
        const QString tabla = QString(QTest::currentDataTag()).section(": ", 1);
        EntornoPrueba env(motor);
        QSqlDatabase db = env.DatosConBase().Conexion();
        const clsMaestro m = Maestro(tabla, db);
        QVariantList vacio; // missing: empty text and 0
        for (const QVariant& v : primero)
            vacio << (v.typeId() == QMetaType::QString ? QVariant("") : QVariant(0));
        QCOMPARE(m.Busca(codigo), vacio);
        QVERIFY(m.Guarda(codigo, primero));
        QCOMPARE(Filas(db, tabla), QStringList{filas[0]});
        QCOMPARE(m.Busca(codigo), primero);
        QVERIFY(m.Guarda(codigo, segundo)); // changes the record, keeps the code
        QCOMPARE(Filas(db, tabla), QStringList{filas[1]});
        QVERIFY(!m.Guarda(codigo, {}));
        QVERIFY(m.Borra(codigo));
        QCOMPARE(Filas(db, tabla), QStringList());
    }

    // A text code, or the name beside a number code, must not be blank to save; a number code
    // is always deleted, a text code only when not blank.
    void reglas_data() {
        QTest::addColumn<QString>("tabla");
        QTest::addColumn<QString>("codigo");
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<bool>("guarda");
        QTest::addColumn<bool>("borra");
        const auto fila = [](const char* n, const char* tabla, const char* codigo,
                             const char* nombre, bool guarda, bool borra) {
            QTest::newRow(n) << QString(tabla) << QString(codigo) << QString(nombre) << guarda
                             << borra;
        };
        fila("customer, code of spaces", "Clientes", "   ", "X", false, false);
        fila("product, empty code", "Productos", "", "X", false, false);
        fila("tare, no name", "Taras", "5", "", false, true);
        fila("tare 0 with a name", "Taras", "0", "Caja", true, true);
        fila("operator, name of spaces", "Operarios", "5", "  ", false, true);
    }
    void reglas() {
        QFETCH(QString, tabla);
        QFETCH(QString, codigo);
        QFETCH(QString, nombre);
        QFETCH(bool, guarda);
        QFETCH(bool, borra);
        const clsMaestro m = Maestro(tabla, QSqlDatabase());
        QCOMPARE(m.PuedeGuardar(codigo, {nombre, 0, 0}), guarda);
        QCOMPARE(m.PuedeBorrar(codigo), borra);
    }

    // A save or delete the engine refuses changes nothing and gives the engine's reason.
    void rechazo() {
        EntornoPrueba env;
        QSqlDatabase db = env.DatosConBase().Conexion();
        LlenaMaestros();
        for (const char* cuando : {"INSERT", "UPDATE", "DELETE"})
            EntornoPrueba::Ejecuta(QString("CREATE TRIGGER no_%1 BEFORE %1 ON Clientes BEGIN "
                                           "SELECT RAISE(ABORT, 'tabla bloqueada'); END")
                                       .arg(cuando));
        const clsMaestro m = clsMaestro::Clientes(db);
        const QStringList antes = Filas(db, "Clientes");
        for (const Resultado& r :
             {m.Guarda("C2", {"Otro", "", ""}), m.Guarda("C9", {"N", "", ""}), m.Borra("C2")})
            QVERIFY2(!r && r.Error().contains("tabla bloqueada"), qPrintable(r.Error()));
        QCOMPARE(Filas(db, "Clientes"), antes);
        QVERIFY(QSqlQuery(db).exec("BEGIN IMMEDIATE")); // no transaction was left open
    }
};

QTEST_GUILESS_MAIN(TestClsMaestro)
#include "tst_clsmaestro.moc"
