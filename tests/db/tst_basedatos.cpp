// The database file: creation and completion of the schema, enforcement of sizes and keys, and
// the one-field look-up.
#include "app/clsdatosapp.h"
#include "db/basedatos.h"
#include "support/entornoprueba.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace {
struct InfoColumna {
    QString nombre;
    QString tipo;
    bool noNulo;
};
QList<InfoColumna> Columnas(QSqlDatabase db, const QString& tabla) {
    QList<InfoColumna> r;
    QSqlQuery q(db);
    q.exec(QString("SELECT name, type, \"notnull\" FROM pragma_table_info('%1')").arg(tabla));
    while (q.next())
        r.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toBool()});
    return r;
}
bool Ejecuta(QSqlDatabase db, const QString& sql, const QVariantList& valores = {},
             QString* error = nullptr) {
    QSqlQuery q(db);
    q.prepare(sql);
    for (const QVariant& v : valores)
        q.addBindValue(v);
    const bool ok = q.exec();
    if (error)
        *error = q.lastError().databaseText();
    return ok;
}
} // namespace

class TestBaseDatos : public QObject {
    Q_OBJECT

private slots:
    // Each table as "name: column type (! when required), ... | key columns", in creation order.
    void creaLasSieteTablasConSusColumnas() {
        EntornoPrueba env;
        QVERIFY(!QFile::exists(env.ArchivoBaseDatos()));
        QSqlDatabase db = env.DatosConBase().Conexion();
        QStringList tablas;
        QSqlQuery q(db);
        QVERIFY(q.exec("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid"));
        while (q.next()) {
            const QString t = q.value(0).toString();
            QStringList cols, clave;
            for (const InfoColumna& c : Columnas(db, t))
                cols << c.nombre + " " + c.tipo + (c.noNulo ? "!" : "");
            QSqlQuery k(db);
            QVERIFY(k.exec(QString("SELECT name FROM pragma_index_info('%1_PrimaryKey')").arg(t)));
            while (k.next())
                clave << k.value(0).toString();
            QSqlQuery filas(db);
            QVERIFY(filas.exec("SELECT COUNT(*) FROM " + t) && filas.next());
            QCOMPARE(filas.value(0).toInt(), 0);
            tablas << t + ": " + cols.join(", ") + " | " + clave.join(", ");
        }
        const QStringList esperadas{
            "Taras: CodTara INTEGER!, NomTara VARCHAR(25), Peso DOUBLE | CodTara",
            "Productos: CodProducto VARCHAR(15)!, NomProducto VARCHAR(50), Precio DOUBLE"
            " | CodProducto",
            "Clientes: CodCliente VARCHAR(15)!, NomCliente VARCHAR(50), Direccion1 VARCHAR(50),"
            " Direccion2 VARCHAR(50) | CodCliente",
            "Operarios: CodOperario INTEGER!, NomOperario VARCHAR(50) | CodOperario",
            "AlbaranesCabeceras: NumAlbaran VARCHAR(20)!, Fecha DATE!, NomOperario VARCHAR(50),"
            " CodCliente VARCHAR(15)!, NomCliente VARCHAR(50), Direccion1 VARCHAR(50),"
            " Direccion2 VARCHAR(50), FechaModificacion DATETIME!, Impreso BOOLEAN!"
            " | NumAlbaran, Fecha",
            "AlbaranesDetalle: NumAlbaran VARCHAR(20)!, Fecha DATE!, NumLinea INTEGER!,"
            " CodProducto VARCHAR(15)!, NomProducto VARCHAR(50), CodTara INTEGER,"
            " PesoBruto DOUBLE!, PesoTara DOUBLE!, PesoNeto DOUBLE!, Precio DOUBLE,"
            " PesoImporte DOUBLE, HoraPesada VARCHAR(19)! | NumAlbaran, Fecha, NumLinea",
            "CodigosDeControl: Macro VARCHAR(25)!, ValorHexPeriferico VARCHAR(20)!,"
            " ValorStringPantalla VARCHAR(20)!, Descripcion VARCHAR(60)! | Macro"};
        QCOMPARE(tablas, esperadas);
    }

    void completaUnaBaseAntigua() {
        EntornoPrueba env;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "antigua");
            db.setDatabaseName(env.ArchivoBaseDatos());
            QVERIFY(db.open());
            QVERIFY(Ejecuta(db, "CREATE TABLE Clientes (CodCliente VARCHAR(15) NOT NULL, "
                                "NomCliente VARCHAR(50), Direccion1 VARCHAR(50))"));
            QVERIFY(Ejecuta(db, "INSERT INTO Clientes VALUES ('C1', 'Uno', 'Calle 1')"));
            QVERIFY(Ejecuta(db, "CREATE TABLE Productos (CodProducto VARCHAR(15) NOT NULL, "
                                "NomProducto VARCHAR(50), Precio TEXT)"));
            QVERIFY(Ejecuta(db, "INSERT INTO Productos VALUES ('P1', 'Pera', 'caro')"));
            QVERIFY(Ejecuta(db, "CREATE TABLE AlbaranesDetalle (NumAlbaran VARCHAR(20) NOT NULL,"
                                " Fecha DATE NOT NULL, NumLinea INTEGER NOT NULL)"));
            QVERIFY(Ejecuta(db, "INSERT INTO AlbaranesDetalle VALUES ('1', '2024-01-05', 1)"));
            db.close();
        }
        QSqlDatabase::removeDatabase("antigua");

        QSqlDatabase db = env.DatosConBase().Conexion();
        QCOMPARE(Columnas(db, "Clientes").size(), 4);
        QCOMPARE(Columnas(db, "Clientes").at(3).nombre, QString("Direccion2"));
        QCOMPARE(Columnas(db, "AlbaranesDetalle").size(), 12);
        // A differently typed column stays as it was.
        QCOMPARE(Columnas(db, "Productos").at(2).tipo, QString("TEXT"));
        // The rows stay; required columns added to a table with rows get a value for them.
        QSqlQuery q(db);
        QVERIFY(q.exec("SELECT c.CodCliente, c.Direccion1, c.Direccion2 IS NULL, p.Precio,"
                       " d.CodProducto, (SELECT COUNT(*) FROM Clientes)"
                       " FROM Clientes c, Productos p, AlbaranesDetalle d"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QString("C1"));
        QCOMPARE(q.value(1).toString(), QString("Calle 1"));
        QCOMPARE(q.value(2).toInt(), 1);
        QCOMPARE(q.value(3).toString(), QString("caro"));
        QCOMPARE(q.value(4).toString(), QString(""));
        QCOMPARE(q.value(5).toInt(), 1);
        // The key of the completed table is enforced too.
        QVERIFY(!Ejecuta(db, "INSERT INTO Clientes (CodCliente) VALUES ('C1')"));
    }

    void tamanosYClavesSeImponen_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariantList>("valores");
        QTest::addColumn<QString>("error");
        QTest::newRow("nombre de tara de 26")
            << "INSERT INTO Taras (CodTara, NomTara) VALUES (?, ?)"
            << QVariantList{2, QString(26, 'x')} << "NomTara admite 25 caracteres";
        QTest::newRow("código de cliente de 16")
            << "INSERT INTO Clientes (CodCliente) VALUES (?)" << QVariantList{QString(16, 'C')}
            << "CodCliente admite 15 caracteres";
        QTest::newRow("tara repetida")
            << "INSERT INTO Taras (CodTara) VALUES (?)" << QVariantList{1} << "UNIQUE";
        QTest::newRow("albarán repetido")
            << "INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, CodCliente, "
               "FechaModificacion, Impreso) VALUES (?, ?, 'C', '2024-01-01 10:00:00', 0)"
            << QVariantList{"A1", "2024-01-05"} << "UNIQUE";
        QTest::newRow("código requerido nulo")
            << "INSERT INTO Productos (NomProducto) VALUES (?)" << QVariantList{"x"} << "NOT NULL";
    }
    void tamanosYClavesSeImponen() {
        QFETCH(QString, sql);
        QFETCH(QVariantList, valores);
        QFETCH(QString, error);
        EntornoPrueba env;
        QSqlDatabase db = env.DatosConBase().Conexion();
        QVERIFY(Ejecuta(db, "INSERT INTO Taras VALUES (1, 'Caja', 1.5)"));
        QVERIFY(Ejecuta(db, "INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, CodCliente, "
                            "FechaModificacion, Impreso) VALUES ('A1', '2024-01-05', 'C', "
                            "'2024-01-01 10:00:00', 0)"));
        QString texto;
        QVERIFY(!Ejecuta(db, sql, valores, &texto));
        QVERIFY2(texto.contains(error), qPrintable(texto));
        // The same number on another date is another note.
        QVERIFY(Ejecuta(db, "INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, CodCliente, "
                            "FechaModificacion, Impreso) VALUES ('A1', '2024-01-06', 'C', "
                            "'2024-01-01 10:00:00', 0)"));
        // Exactly at the limit is accepted.
        QVERIFY(Ejecuta(db, "INSERT INTO Taras (CodTara, NomTara) VALUES (9, ?)",
                        {QString(25, QChar(0x00F1))}));
    }

    // Look-ups, after opening the database a second time: a complete schema is left alone.
    void buscaCampo() {
        EntornoPrueba env;
        QSqlDatabase db = env.DatosConBase().Conexion();
        QVERIFY(Ejecuta(db, "INSERT INTO Clientes (CodCliente, NomCliente) VALUES (?, ?)",
                        {"O'BRIEN", "Cliente con comilla"}));
        QVERIFY(Ejecuta(db, "INSERT INTO Taras VALUES (3, 'Palet', 25.0)"));
        env.Libera();
        env.DatosConBase();
        QCOMPARE(BaseDatos::BuscaCampo("NomCliente", "Clientes", "CodCliente", "O'BRIEN", false)
                     .toString(),
                 QString("Cliente con comilla"));
        const QVariant falta =
            BaseDatos::BuscaCampo("NomCliente", "Clientes", "CodCliente", "X' OR '1'='1", false);
        QCOMPARE(falta.typeId(), int(QMetaType::QString));
        QCOMPARE(falta.toString(), QString());
        QCOMPARE(BaseDatos::BuscaCampo("Peso", "Taras", "CodTara", "3", true).toDouble(), 25.0);
        const QVariant sinTara = BaseDatos::BuscaCampo("Peso", "Taras", "CodTara", 4, true);
        QCOMPARE(sinTara.typeId(), int(QMetaType::Int));
        QCOMPARE(sinTara.toInt(), 0);
        QCOMPARE(BaseDatos::BuscaCampo("Peso", "Taras", "CodTara", "3 OR 1=1", true).toInt(), 0);
    }

    void numeroSQL() {
        QCOMPARE(BaseDatos::NumeroSQL(QString("1,5")), QString("1.5"));
        QCOMPARE(BaseDatos::NumeroSQL(1.5), QString("1.5"));
        QCOMPARE(BaseDatos::FechaSQL(QDate(2024, 3, 7)), QString("2024-03-07"));
        QCOMPARE(BaseDatos::FechaHoraSQL(QDateTime(QDate(2024, 3, 7), QTime(9, 5, 3))),
                 QString("2024-03-07 09:05:03"));
        QCOMPARE(BaseDatos::FechaDeSQL("2024-03-07"), QDate(2024, 3, 7));
    }

    // An existing file that is no database does not respond; a file that cannot be created
    // (its folder would be inside a file) gives the engine's error.
    void fallosAlAbrir_data() {
        QTest::addColumn<QString>("ruta");
        QTest::addColumn<BaseDatos::Resultado>("resultado");
        QTest::newRow("no es una base") << "fichero" << BaseDatos::Resultado::NoResponde;
        QTest::newRow("no se puede crear")
            << "fichero/dentro/pesix.db" << BaseDatos::Resultado::ErrorEsquema;
    }
    void fallosAlAbrir() {
        QFETCH(QString, ruta);
        QFETCH(BaseDatos::Resultado, resultado);
        EntornoPrueba env;
        QFile f(env.Carpeta() + "/fichero");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        clsDatosApp& d = env.Datos();
        d.SetBaseDatos(env.Carpeta() + "/" + ruta);
        QString error;
        QCOMPARE(BaseDatos::AbreBaseDatos(d, &error), resultado);
        QVERIFY(!error.isEmpty());
        QCOMPARE(
            BaseDatos::MensajeNoResponde(),
            QString("La base de datos no responde.\r\nConsulte al administrador del sistema."));
    }
};

QTEST_GUILESS_MAIN(TestBaseDatos)
#include "tst_basedatos.moc"
