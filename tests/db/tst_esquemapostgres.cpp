// A database on the tests' own PostgreSQL server: created with the declared schema, an older one
// completed, the address of the settings and the command line, and the errors told.
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelregistry.h"
#include "db/basedatos.h"
#include "db/esquema.h"
#include "support/entornoprueba.h"
#include "support/servidorpostgres.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QUrl>

namespace {
// What the server's catalog calls each declared type.
QString TipoServidor(const ColumnaEsquema& c) {
    switch (c.tipo) {
    case TipoColumna::Entero:
        return "integer";
    case TipoColumna::Texto:
        return QString("character varying(%1) pesix_sin_mayusculas").arg(c.tamano);
    case TipoColumna::Doble:
        return "double precision";
    case TipoColumna::Fecha:
        return "date";
    case TipoColumna::FechaHora:
        return "timestamp without time zone(0)";
    case TipoColumna::Booleano:
        return "boolean";
    }
    return {};
}

QStringList Filas(QSqlDatabase db, const QString& sql) {
    QSqlQuery q(db);
    QStringList filas;
    if (!q.exec(sql))
        return {q.lastError().text()};
    while (q.next()) {
        QStringList campos;
        for (int i = 0; i < q.record().count(); ++i)
            campos << q.value(i).toString();
        filas << campos.join(' ');
    }
    return filas;
}

// Each table as the server describes it: "column type[(size)] [collation][!]" and its key.
QString Describe(QSqlDatabase db, const QString& tabla) {
    const QStringList columnas = Filas(
        db, "SELECT column_name || ' ' || data_type || coalesce('(' || character_maximum_length "
            "|| ')', '') || coalesce('(' || datetime_precision || ')', '') || coalesce(' ' || "
            "collation_name, '') || CASE WHEN is_nullable = 'NO' THEN '!' ELSE '' END FROM "
            "information_schema.columns WHERE table_name = '" +
                tabla.toLower() + "' ORDER BY ordinal_position");
    const QStringList clave =
        Filas(db, "SELECT k.column_name FROM information_schema.table_constraints t JOIN "
                  "information_schema.key_column_usage k USING (constraint_name) WHERE "
                  "t.constraint_type = 'PRIMARY KEY' AND t.table_name = '" +
                      tabla.toLower() + "' ORDER BY k.ordinal_position");
    return columnas.join(", ") + " | " + clave.join(", ");
}

QString NombreBase(const QString& direccion) {
    return QUrl(direccion).path().mid(1);
}
} // namespace

class TestEsquemaPostgres : public QObject {
    Q_OBJECT

private slots:
    void init() { PESIX_REQUIERE(Motor::Postgres); }

    void creaElEsquemaDeclarado() {
        EntornoPrueba env(Motor::Postgres);
        QSqlDatabase db = env.DatosConBase().Conexion();
        QCOMPARE(Filas(db, "SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = "
                           "current_schema()"),
                 QStringList{"7"});
        for (const TablaEsquema& t : Esquema::Tablas()) {
            QStringList columnas;
            for (const ColumnaEsquema& c : t.columnas) {
                QString tipo = TipoServidor(c);
                // Only timestamps carry a precision in the catalog; other types show none.
                if (c.tipo == TipoColumna::Fecha)
                    tipo += "(0)";
                columnas << c.nombre.toLower() + ' ' + tipo + (c.requerida ? "!" : "");
            }
            QStringList clave;
            for (const QString& c : t.clave)
                clave << c.toLower();
            QCOMPARE(Describe(db, t.nombre), columnas.join(", ") + " | " + clave.join(", "));
        }
        // A second start finds nothing to do; the station's check for writing passes.
        clsDatosApp otra;
        otra.SetBaseDatos(env.BaseDatos());
        QVERIFY(BaseDatos::AbreBaseDatos(otra));
        QVERIFY(BaseDatos::CompruebaEscritura(otra.Conexion()));
    }

    // The rules the columns keep, told as a window shows them.
    void reglas_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("mensaje");
        QTest::newRow("key in another letter case")
            << "INSERT INTO Productos (CodProducto) VALUES ('p001')"
            << Texto(IdTexto::BdClaveExiste).arg("Productos.CodProducto");
        QTest::newRow("required") << "INSERT INTO Clientes (NomCliente) VALUES ('x')"
                                  << Texto(IdTexto::BdObligatorio).arg("Clientes.CodCliente");
        QTest::newRow("text too long") << "INSERT INTO Productos (CodProducto) VALUES "
                                          "('0123456789abcdef')"
                                       << Texto(IdTexto::BdTextoDemasiadoLargo);
        QTest::newRow("beyond 32 bits") << "INSERT INTO Taras (CodTara) VALUES (2147483648)"
                                        << Texto(IdTexto::BdValorNoAdmitido);
        QTest::newRow("not a day") << "INSERT INTO AlbaranesCabeceras VALUES ('1', '2026-02-30',"
                                      " NULL, 'C', NULL, NULL, NULL, '2026-01-01', false)"
                                   << Texto(IdTexto::BdValorNoAdmitido);
    }
    void reglas() {
        QFETCH(QString, sql);
        QFETCH(QString, mensaje);
        EntornoPrueba env(Motor::Postgres);
        QSqlDatabase db = env.DatosConBase().Conexion();
        EntornoPrueba::Ejecuta("INSERT INTO Productos VALUES ('P001', 'Pera', 1.5)");
        QSqlQuery q(db);
        QVERIFY(!q.exec(sql));
        const QString texto = BaseDatos::TextoError(q.lastError(), db);
        QVERIFY2(texto.startsWith(mensaje + "\n\npostgresql://"), qPrintable(texto));
        // Look-ups find a code in any letter case.
        QCOMPARE(BaseDatos::BuscaCampo(db, "NomProducto", "Productos", "CodProducto", "p001", false)
                     .toString(),
                 QString("Pera"));
    }

    // A database of an earlier version gains what it lacks and keeps its rows; one whose rows
    // would break a key is refused, and left exactly as it was.
    void completaUnaBaseAntigua_data() {
        QTest::addColumn<bool>("repetida");
        QTest::newRow("completed") << false;
        QTest::newRow("repeated key") << true;
    }
    void completaUnaBaseAntigua() {
        QFETCH(bool, repetida);
        EntornoPrueba env(Motor::Postgres);
        const QString base = NombreBase(env.BaseDatos());
        const QString antigua =
            "CREATE TABLE clientes (codcliente varchar(15) NOT NULL, nomcliente varchar(50), "
            "direccion1 varchar(50)); INSERT INTO clientes VALUES ('C1', 'Uno', 'Calle 1'), "
            "('C2', 'Dos', NULL); CREATE TABLE productos (codproducto varchar(15) NOT NULL, "
            "precio text); INSERT INTO productos VALUES ('P1', 'caro')";
        QCOMPARE(ServidorPostgres::Comun()->Ejecuta(
                     base, antigua + (repetida ? ", ('P1', 'barato')" : "")),
                 QString());
        clsDatosApp& datos = env.Datos();
        const Resultado r = BaseDatos::AbreBaseDatos(datos);
        QCOMPARE(r.Ok(), !repetida);
        QSqlDatabase db = datos.Conexion();
        if (repetida) {
            QCOMPARE(r.Error().section('\n', 0, 0),
                     Texto(IdTexto::BdClaveRepetida).arg("Productos", "CodProducto", "P1"));
            QVERIFY(BaseDatos::AbreBaseDatos(datos, BaseDatos::Apertura::SoloLectura));
            QCOMPARE(Filas(db, "SELECT COUNT(*) FROM information_schema.tables WHERE "
                               "table_schema = current_schema()"),
                     QStringList{"2"});
            return;
        }
        QCOMPARE(Filas(db, "SELECT CodCliente, NomCliente, Direccion1, Direccion2 IS NULL FROM "
                           "Clientes ORDER BY 1"),
                 QStringList({"C1 Uno Calle 1 true", "C2 Dos  true"}));
        QCOMPARE(Describe(db, "Productos"),
                 "codproducto character varying(15)!, precio text, nomproducto character "
                 "varying(50) pesix_sin_mayusculas | codproducto");
        QCOMPARE(Filas(db, "SELECT Precio FROM Productos"), QStringList{"caro"});
    }

    // The database named by the command line or the settings: a server address as libpq writes
    // them, never with its password.
    void direcciones_data() {
        QTest::addColumn<QString>("direccion"); // %1: the test server's socket folder
        QTest::addColumn<QString>("mensaje");   // empty: it opens
        QTest::newRow("socket in the query") << "postgresql:///%2?host=%1&user=postgres"
                                             << "";
        QTest::newRow("socket as host, options")
            << "postgres://postgres@%1/%2?application_name=estacion2&connect_timeout=3"
            << "";
        QTest::newRow("password") << "postgresql://postgres:secreto@%1/%2"
                                  << Texto(IdTexto::BdContrasenaEnDireccion);
        QTest::newRow("not an address")
            << "postgresql://[::1/%2" << Texto(IdTexto::BdDireccionNoValida);
        QTest::newRow("no such database")
            << "postgresql:///nadie?host=%1&user=postgres" << Texto(IdTexto::BdServidorNoResponde);
    }
    void direcciones() {
        QFETCH(QString, direccion);
        QFETCH(QString, mensaje);
        EntornoPrueba env(Motor::Postgres);
        const QString socket = QUrl::fromPercentEncoding(
            QUrl(env.BaseDatos()).query().section("host=", 1).section('&', 0, 0).toUtf8());
        direccion.replace("%2", NombreBase(env.BaseDatos()))
            .replace("%1", QUrl::toPercentEncoding(socket));
        kelRegistry::SaveAppString("\\Configuracion", "BaseDatos", direccion);
        clsDatosApp datos;
        QCOMPARE(datos.BaseDatos(), direccion); // the settings' choice
        const Resultado r = BaseDatos::AbreBaseDatos(datos);
        QVERIFY2(mensaje.isEmpty() ? r.Ok() : r.Error().startsWith(mensaje), qPrintable(r.Error()));
        if (r)
            QCOMPARE(Filas(datos.Conexion(), "SELECT COUNT(*) FROM CodigosDeControl"),
                     QStringList{"0"});
        QVERIFY(!r.Error().contains("secreto"));
    }
};

QTEST_GUILESS_MAIN(TestEsquemaPostgres)
#include "tst_esquemapostgres.moc"
