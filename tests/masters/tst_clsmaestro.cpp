#include "db/basedatos.h"
#include "masters/clsmaestro.h"
#include "support/entornoprueba.h"

#include <QSqlQuery>
#include <QTest>

namespace {
clsMaestro Maestro(const QString& tabla) {
    if (tabla == "Clientes")
        return clsMaestro::Clientes();
    if (tabla == "Productos")
        return clsMaestro::Productos();
    if (tabla == "Taras")
        return clsMaestro::Taras();
    return clsMaestro::Operarios();
}

int Filas(const QString& tabla) {
    QSqlQuery q(BaseDatos::Conexion());
    q.exec("SELECT COUNT(*) FROM " + tabla);
    q.next();
    return q.value(0).toInt();
}
} // namespace

class tst_clsMaestro : public QObject {
    Q_OBJECT
private slots:
    void guardaYCambia_data();
    void guardaYCambia();
    void buscaAusente_data();
    void buscaAusente();
    void codigoTalCual();
    void borra_data();
    void borra();
    void rechazos_data();
    void rechazos();
    void tamanos();
};

void tst_clsMaestro::guardaYCambia_data() {
    QTest::addColumn<QString>("tabla");
    QTest::addColumn<QVariant>("codigo");
    QTest::addColumn<QVariantList>("primero");
    QTest::addColumn<QVariantList>("segundo");
    QTest::newRow("customer") << "Clientes" << QVariant("C1")
                              << QVariantList{"Ana", "Calle 1", "Pueblo"}
                              << QVariantList{"Ana María", "", "Villa"};
    QTest::newRow("customer with a quote")
        << "Clientes" << QVariant("O'Neil") << QVariantList{"O'Neil S.L.", "a", "b"}
        << QVariantList{"Otro", "c", "d"};
    QTest::newRow("product") << "Productos" << QVariant("MAN-01") << QVariantList{"Manzana", 1.25}
                             << QVariantList{"Manzana roja", 2.5};
    QTest::newRow("tare") << "Taras" << QVariant(7) << QVariantList{"Caja", 0.75}
                          << QVariantList{"Caja grande", 1.5};
    QTest::newRow("tare 0") << "Taras" << QVariant(0) << QVariantList{"Sin tara", 0.0}
                            << QVariantList{"Nada", 0.0};
    QTest::newRow("operator") << "Operarios" << QVariant(-3) << QVariantList{"Luis"}
                              << QVariantList{"Luisa"};
}

void tst_clsMaestro::guardaYCambia() {
    QFETCH(QString, tabla);
    QFETCH(QVariant, codigo);
    QFETCH(QVariantList, primero);
    QFETCH(QVariantList, segundo);
    EntornoPrueba env;
    env.DatosConBase();
    const clsMaestro m = Maestro(tabla);
    QString error;
    QVERIFY2(m.Guarda(codigo, primero, &error), qPrintable(error));
    QVERIFY(m.Existe(codigo));
    QCOMPARE(m.Busca(codigo), primero);
    QVERIFY2(m.Guarda(codigo, segundo, &error), qPrintable(error));
    QCOMPARE(m.Busca(codigo), segundo);
    QCOMPARE(Filas(tabla), 1);
}

void tst_clsMaestro::buscaAusente_data() {
    QTest::addColumn<QString>("tabla");
    QTest::addColumn<QVariant>("codigo");
    QTest::addColumn<QVariantList>("valores");
    QTest::newRow("customer") << "Clientes" << QVariant("X") << QVariantList{"", "", ""};
    QTest::newRow("product") << "Productos" << QVariant("X") << QVariantList{"", 0};
    QTest::newRow("tare") << "Taras" << QVariant(99) << QVariantList{"", 0};
    QTest::newRow("operator") << "Operarios" << QVariant(99) << QVariantList{""};
}

void tst_clsMaestro::buscaAusente() {
    QFETCH(QString, tabla);
    QFETCH(QVariant, codigo);
    QFETCH(QVariantList, valores);
    EntornoPrueba env;
    env.DatosConBase();
    const clsMaestro m = Maestro(tabla);
    QVERIFY(!m.Existe(codigo));
    const QVariantList hallados = m.Busca(codigo);
    QCOMPARE(hallados.size(), valores.size());
    for (int i = 0; i < valores.size(); ++i)
        QCOMPARE(hallados.at(i).toString(), valores.at(i).toString());
}

void tst_clsMaestro::codigoTalCual() {
    EntornoPrueba env;
    env.DatosConBase();
    const clsMaestro m = clsMaestro::Clientes();
    QVERIFY(m.Guarda(" C1 ", {"Con espacios", "", ""}));
    QVERIFY(m.Guarda("C1", {"Sin espacios", "", ""}));
    QCOMPARE(Filas("Clientes"), 2);
    QCOMPARE(m.Busca(" C1 ").at(0).toString(), QString("Con espacios"));
}

void tst_clsMaestro::borra_data() {
    QTest::addColumn<QString>("tabla");
    QTest::addColumn<QVariant>("codigo");
    QTest::addColumn<QVariantList>("valores");
    QTest::newRow("customer with a quote")
        << "Clientes" << QVariant("D'A") << QVariantList{"a", "", ""};
    QTest::newRow("product") << "Productos" << QVariant("P") << QVariantList{"p", 1.0};
    QTest::newRow("tare 0") << "Taras" << QVariant(0) << QVariantList{"t", 0.0};
    QTest::newRow("operator") << "Operarios" << QVariant(12) << QVariantList{"o"};
}

void tst_clsMaestro::borra() {
    QFETCH(QString, tabla);
    QFETCH(QVariant, codigo);
    QFETCH(QVariantList, valores);
    EntornoPrueba env;
    env.DatosConBase();
    const clsMaestro m = Maestro(tabla);
    QVERIFY(m.Guarda(codigo, valores));
    QString error;
    QVERIFY2(m.Borra(codigo, &error), qPrintable(error));
    QVERIFY(!m.Existe(codigo));
    // Deleting what is not there is no failure.
    QVERIFY(m.Borra(codigo, &error));
    QCOMPARE(Filas(tabla), 0);
}

void tst_clsMaestro::rechazos_data() {
    QTest::addColumn<QString>("preparacion");
    QTest::addColumn<bool>("borrando");
    QTest::addColumn<QString>("mensaje");
    QTest::newRow("name longer than its column") << "" << false << "NomCliente";
    QTest::newRow("refused by the database") << "CREATE TRIGGER t BEFORE UPDATE ON Clientes BEGIN "
                                                "SELECT RAISE(ABORT, 'registro bloqueado'); END"
                                             << false << "registro bloqueado";
    QTest::newRow("delete refused") << "CREATE TRIGGER t BEFORE DELETE ON Clientes BEGIN "
                                       "SELECT RAISE(ABORT, 'no se puede borrar'); END"
                                    << true << "no se puede borrar";
}

void tst_clsMaestro::rechazos() {
    QFETCH(QString, preparacion);
    QFETCH(bool, borrando);
    QFETCH(QString, mensaje);
    EntornoPrueba env;
    env.DatosConBase();
    const clsMaestro m = clsMaestro::Clientes();
    QVERIFY(m.Guarda("C1", {"Original", "", ""}));
    if (!preparacion.isEmpty())
        EntornoPrueba::Ejecuta(preparacion);
    QString error;
    if (borrando) {
        QVERIFY(!m.Borra("C1", &error));
    } else {
        const QString nombre = preparacion.isEmpty() ? QString(51, 'N') : QString("Nuevo");
        QVERIFY(!m.Guarda("C1", {nombre, "", ""}, &error));
    }
    QVERIFY2(error.contains(mensaje), qPrintable(error));
    QCOMPARE(m.Busca("C1").at(0).toString(), QString("Original"));
    QCOMPARE(Filas("Clientes"), 1);
}

void tst_clsMaestro::tamanos() {
    QCOMPARE(clsMaestro::Clientes().Tamano("CodCliente"), 15);
    QCOMPARE(clsMaestro::Clientes().Tamano("Direccion2"), 50);
    QCOMPARE(clsMaestro::Taras().Tamano("NomTara"), 25);
    QCOMPARE(clsMaestro::Taras().Tamano("Peso"), 0);
    QCOMPARE(clsMaestro::Productos().Tamano("CodProducto"), 15);
}

QTEST_GUILESS_MAIN(tst_clsMaestro)
#include "tst_clsmaestro.moc"
