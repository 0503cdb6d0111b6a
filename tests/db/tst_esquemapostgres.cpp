// A database on the tests' own PostgreSQL server: created with the declared schema, an older one
// completed, the address of the settings, and the errors as a window tells them.
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelregistry.h"
#include "db/basedatos.h"
#include "db/esquema.h"
#include "support/entornoprueba.h"
#include "support/servidorpostgres.h"

#include <QSqlQuery>
#include <QTest>
#include <QUrl>

namespace {
// A table as the server's catalog describes it: "column type(size)[ collation][!]" and its key.
QString Describe(QSqlDatabase db, const QString& tabla) {
    QSqlQuery q(db);
    q.exec("SELECT string_agg(column_name || ' ' || data_type || coalesce('(' || "
           "character_maximum_length || ')', '') || coalesce(' ' || collation_name, '') || CASE "
           "WHEN is_nullable = 'NO' THEN '!' ELSE '' END, ', ' ORDER BY ordinal_position) || "
           "' | ' || (SELECT string_agg(a.attname, ', ' ORDER BY k.n) FROM pg_constraint c, "
           "unnest(c.conkey) WITH ORDINALITY k(a, n), pg_attribute a WHERE c.contype = 'p' AND "
           "c.conrelid = '" +
           tabla +
           "'::regclass AND a.attrelid = c.conrelid AND a.attnum = k.a) "
           "FROM information_schema.columns WHERE table_name = lower('" +
           tabla + "')");
    return q.next() ? q.value(0).toString() : q.lastError().text();
}
} // namespace

class TestEsquemaPostgres : public QObject {
    Q_OBJECT

private slots:
    void init() { PESIX_REQUIERE(Motor::Postgres); }

    void creaElEsquemaDeclarado() {
        EntornoPrueba env(Motor::Postgres);
        QSqlDatabase db = env.DatosConBase().Conexion();
        const char* tipos[] = {"integer", "character varying",           "double precision",
                               "date",    "timestamp without time zone", "boolean"};
        for (const TablaEsquema& t : Esquema::Tablas()) {
            QStringList columnas;
            for (const ColumnaEsquema& c : t.columnas)
                columnas << c.nombre.toLower() + ' ' + tipos[int(c.tipo)] +
                                (c.tipo == TipoColumna::Texto
                                     ? QString("(%1) pesix_sin_mayusculas").arg(c.tamano)
                                     : QString()) +
                                (c.requerida ? "!" : "");
            QCOMPARE(Describe(db, t.nombre),
                     columnas.join(", ") + " | " + t.clave.join(", ").toLower());
        }
        QVERIFY(BaseDatos::CompruebaEscritura(db));
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
        QTest::newRow("too long") << "INSERT INTO Taras VALUES (1, '" + QString(26, 'x') + "', 0)"
                                  << Texto(IdTexto::BdTextoDemasiadoLargo);
        QTest::newRow("not a day")
            << "INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, CodCliente, "
               "NomCliente, Direccion1, Direccion2, FechaModificacion, Impreso) VALUES ('1', "
               "'2026-02-30',"
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
        QCOMPARE(
            BaseDatos::BuscaCampo(db, "NomProducto", "Productos", "CodProducto", "p001", false),
            QVariant("Pera"));
    }

    // An older database gains what it lacks and keeps its rows and its differently typed column.
    void completaUnaBaseAntigua() {
        EntornoPrueba env(Motor::Postgres);
        QCOMPARE(ServidorPostgres::Comun()->Ejecuta(
                     QUrl(env.BaseDatos()).path().mid(1),
                     "CREATE TABLE productos (codproducto varchar(15) NOT NULL, precio text); "
                     "INSERT INTO productos VALUES ('P1', 'caro')"),
                 QString());
        QSqlDatabase db = env.DatosConBase().Conexion();
        QCOMPARE(Describe(db, "Productos"),
                 "codproducto character varying(15)!, precio text, nomproducto character "
                 "varying(50) pesix_sin_mayusculas | codproducto");
        QSqlQuery q(db);
        QVERIFY(q.exec("SELECT Precio FROM Productos WHERE CodProducto = 'P1'") && q.next());
        QCOMPARE(q.value(0).toString(), QString("caro"));
    }

    // The database the settings name: a server address as libpq writes them, never with its
    // password.
    void direcciones_data() {
        QTest::addColumn<QString>("direccion"); // %1: the server's socket folder, %2: database
        QTest::addColumn<QString>("mensaje");   // empty: it opens
        QTest::newRow("socket as host") << "postgres://postgres@%1/%2?application_name=e2"
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
        const QUrl url(env.BaseDatos());
        direccion.replace("%2", url.path().mid(1))
            .replace("%1", url.query(QUrl::FullyEncoded).section("host=", 1).section('&', 0, 0));
        kelRegistry::SaveAppString("\\Configuracion", "BaseDatos", direccion);
        clsDatosApp datos;
        QCOMPARE(datos.BaseDatos(), direccion);
        const Resultado r = BaseDatos::AbreBaseDatos(datos);
        QVERIFY2(mensaje.isEmpty() ? r.Ok() : r.Error().startsWith(mensaje), qPrintable(r.Error()));
        QVERIFY(!r.Error().contains("secreto"));
    }
};

QTEST_GUILESS_MAIN(TestEsquemaPostgres)
#include "tst_esquemapostgres.moc"
