// The database file: creation and completion of the schema, the rules its columns keep, the
// errors it reports, and the one-field look-up.
#include "app/clsdatosapp.h"
#include "app/kelregistry.h"
#include "db/basedatos.h"
#include "db/esquema.h"
#include "support/entornoprueba.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTest>
#include <cstdio>
#include <unistd.h>

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
// Runs one statement; `error` receives the text a window would show.
bool Ejecuta(QSqlDatabase db, const QString& sql, const QVariantList& valores = {},
             QString* error = nullptr) {
    QSqlQuery q(db);
    q.prepare(sql);
    for (const QVariant& v : valores)
        q.addBindValue(v);
    const bool ok = q.exec();
    if (error)
        *error = BaseDatos::TextoError(q.lastError(), db);
    return ok;
}
QString Uno(QSqlDatabase db, const QString& sql) {
    QSqlQuery q(db);
    return q.exec(sql) && q.next() ? q.value(0).toString() : QString("(error)");
}
// A file left by an earlier version of the program, made of these statements.
void CreaAntigua(const QString& ruta, const QStringList& sentencias) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "antigua");
        db.setDatabaseName(ruta);
        QVERIFY(db.open());
        for (const QString& sql : sentencias)
            QVERIFY2(Ejecuta(db, sql), qPrintable(sql));
        db.close();
    }
    QSqlDatabase::removeDatabase("antigua");
}
QByteArray Contenido(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
const QString kCabecera = "INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, CodCliente, "
                          "FechaModificacion, Impreso) VALUES ";

// Root reads and writes any file: a read-only file or folder binds another user only, so the
// test takes the identity of "nobody" meanwhile.
class ComoOtroUsuario {
public:
    ComoOtroUsuario() : m_cambiado(geteuid() == 0 && seteuid(65534) == 0) {}
    ~ComoOtroUsuario() {
        if (m_cambiado && seteuid(0) != 0)
            qFatal("cannot become root again");
    }

private:
    bool m_cambiado;
};
} // namespace

class TestBaseDatos : public QObject {
    Q_OBJECT

private slots:
    // Each table as "name: column type (! when required), ... | key columns", in creation order.
    void creaLasTablasConSusColumnas() {
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
            QCOMPARE(Uno(db, "SELECT COUNT(*) FROM " + t), QString("0"));
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
            " Direccion2 VARCHAR(50), FechaModificacion DATETIME!, Impreso BOOLEAN!,"
            " Anulado BOOLEAN, Motivo VARCHAR(200), Copias INTEGER, UltimaCopia DATETIME"
            " | NumAlbaran, Fecha",
            "AlbaranesDetalle: NumAlbaran VARCHAR(20)!, Fecha DATE!, NumLinea INTEGER!,"
            " CodProducto VARCHAR(15)!, NomProducto VARCHAR(50), CodTara INTEGER,"
            " PesoBruto DOUBLE!, PesoTara DOUBLE!, PesoNeto DOUBLE!, Precio DOUBLE,"
            " PesoImporte DOUBLE, HoraPesada VARCHAR(19)!, IdPesada INTEGER"
            " | NumAlbaran, Fecha, NumLinea",
            "CodigosDeControl: Macro VARCHAR(25)!, ValorHexPeriferico VARCHAR(20)!,"
            " ValorStringPantalla VARCHAR(20)!, Descripcion VARCHAR(60)! | Macro",
            "RegistroPesadas: IdPesada INTEGER!, FechaHora VARCHAR(23)!, Puesto VARCHAR(50)!,"
            " Evento VARCHAR(10)!, TipoBascula INTEGER!, Peso DOUBLE, Decimales INTEGER!,"
            " Unidad VARCHAR(10)!, Estado VARCHAR(10)!, Bruto VARCHAR(10)!, Trama VARCHAR(512)!,"
            " HuellaAnterior VARCHAR(64)!, Huella VARCHAR(64)! | IdPesada",
            "AlbaranesVersiones: NumAlbaran VARCHAR(20)!, Fecha DATE!, NomOperario VARCHAR(50),"
            " CodCliente VARCHAR(15)!, NomCliente VARCHAR(50), Direccion1 VARCHAR(50),"
            " Direccion2 VARCHAR(50), FechaModificacion DATETIME!, Impreso BOOLEAN!,"
            " Anulado BOOLEAN, Motivo VARCHAR(200), Copias INTEGER, UltimaCopia DATETIME,"
            " Version INTEGER!, Reemplazada DATETIME!, Puesto VARCHAR(50)!, Operario VARCHAR(50)"
            " | NumAlbaran, Fecha, Version",
            "AlbaranesVersionesDetalle: NumAlbaran VARCHAR(20)!, Fecha DATE!, NumLinea INTEGER!,"
            " CodProducto VARCHAR(15)!, NomProducto VARCHAR(50), CodTara INTEGER,"
            " PesoBruto DOUBLE!, PesoTara DOUBLE!, PesoNeto DOUBLE!, Precio DOUBLE,"
            " PesoImporte DOUBLE, HoraPesada VARCHAR(19)!, IdPesada INTEGER, Version INTEGER!"
            " | NumAlbaran, Fecha, Version, NumLinea"};
        QCOMPARE(tablas, esperadas);
    }

    // A file of an earlier version: columns are added, required tare codes relaxed, keys made
    // blind to letter case where no rows collide, and every row stays.
    void completaUnaBaseAntigua() {
        EntornoPrueba env;
        CreaAntigua(
            env.ArchivoBaseDatos(),
            {"CREATE TABLE Clientes (CodCliente VARCHAR(15) NOT NULL, NomCliente VARCHAR(50), "
             "Direccion1 VARCHAR(50))",
             "CREATE UNIQUE INDEX Clientes_PrimaryKey ON Clientes (CodCliente)",
             "INSERT INTO Clientes VALUES ('C1', 'Uno', 'Calle 1')",
             "CREATE VIEW Vista AS SELECT CodCliente || NomCliente FROM Clientes",
             // A differently typed column stays, and so do codes that differ only in case.
             "CREATE TABLE Productos (CodProducto VARCHAR(15) NOT NULL, NomProducto VARCHAR(50),"
             " Precio TEXT)",
             "INSERT INTO Productos VALUES ('P1', 'Pera', 'caro'), ('p1', 'pomelo', NULL)",
             "CREATE TABLE AlbaranesCabeceras (NumAlbaran VARCHAR(20) NOT NULL, Fecha DATE NOT "
             "NULL, CodCliente VARCHAR(15) NOT NULL, FechaModificacion DATETIME NOT NULL)",
             "INSERT INTO AlbaranesCabeceras VALUES ('A1', '2024-01-05', 'C1', "
             "'2024-01-05 10:00:00')",
             "CREATE TABLE AlbaranesDetalle (NumAlbaran VARCHAR(20) NOT NULL, Fecha DATE NOT "
             "NULL, NumLinea INTEGER NOT NULL, CodTara INTEGER NOT NULL)",
             "INSERT INTO AlbaranesDetalle VALUES ('A1', '2024-01-05', 1, 3)"});

        QSqlDatabase db = env.DatosConBase().Conexion();
        QCOMPARE(Columnas(db, "Clientes").size(), 4);
        QCOMPARE(Columnas(db, "AlbaranesDetalle").size(), 13);
        QCOMPARE(Columnas(db, "Productos").at(2).tipo, QString("TEXT"));
        QCOMPARE(Uno(db, "SELECT * FROM Vista"), QString("C1Uno"));
        QCOMPARE(Uno(db, "SELECT c.CodCliente || c.Direccion1 || (c.Direccion2 IS NULL) ||"
                         " d.CodTara || '[' || d.CodProducto || ']' || a.Impreso ||"
                         " (SELECT group_concat(Precio) FROM Productos)"
                         " FROM Clientes c, AlbaranesDetalle d, AlbaranesCabeceras a"),
                 QString("C1Calle 113[]0caro"));
        QVERIFY(Ejecuta(db, "INSERT INTO AlbaranesDetalle (NumAlbaran, Fecha, NumLinea,"
                            " CodProducto, PesoBruto, PesoTara, PesoNeto, HoraPesada)"
                            " VALUES ('A1', '2024-01-05', 2, 'P1', 1, 0, 1, '')"));
        QString error;
        QVERIFY(!Ejecuta(db, "INSERT INTO Clientes (CodCliente) VALUES ('c1')", {}, &error));
        QVERIFY2(error.startsWith("Ya existe un registro con esa clave"), qPrintable(error));
        QVERIFY(!Ejecuta(db, "UPDATE AlbaranesCabeceras SET Impreso = 7", {}, &error));
        QVERIFY2(error.startsWith("AlbaranesCabeceras.Impreso admite solo 0 o 1."),
                 qPrintable(error));
        QCOMPARE(BaseDatos::BuscaCampo(db, "NomCliente", "Clientes", "CodCliente", "c1", false),
                 QVariant("Uno"));
        QCOMPARE(BaseDatos::BuscaCampo(db, "NomProducto", "Productos", "CodProducto", "p1", false),
                 QVariant("pomelo"));
        QVERIFY(!Ejecuta(db, "INSERT INTO Productos (CodProducto) VALUES ('P1')"));

        // A second start finds nothing to change.
        const QString version = Uno(db, "PRAGMA schema_version");
        db = QSqlDatabase();
        env.Libera();
        QCOMPARE(Uno(env.DatosConBase().Conexion(), "PRAGMA schema_version"), version);
    }

    // Completion that fails leaves the file exactly as it was, and says where.
    void completarFallaSinTocarElArchivo_data() {
        QTest::addColumn<QStringList>("sentencias");
        QTest::addColumn<QString>("error");
        QTest::newRow("códigos repetidos")
            << QStringList{"CREATE TABLE Productos (CodProducto VARCHAR(15), NomProducto "
                           "VARCHAR(50))",
                           "INSERT INTO Productos VALUES ('P1', 'a'), ('P2', 'b'), ('P1', 'c')"}
            << "No se puede completar la base de datos: en la tabla Productos se repite la "
               "clave CodProducto (P1).";
        // Found only half-way: the tables before it are already done when the index fails.
        QTest::newRow("índice propio que deja de valer")
            << QStringList{"CREATE TABLE Productos (CodProducto VARCHAR(15), NomProducto "
                           "VARCHAR(50))",
                           "CREATE UNIQUE INDEX Nombres ON Productos (NomProducto)",
                           "INSERT INTO Productos VALUES ('P1', 'Pera'), ('P2', 'pera')"}
            << "No se puede completar la base de datos (tabla Productos).\nYa existe un registro"
               " con esa clave (Productos.NomProducto).";
    }
    void completarFallaSinTocarElArchivo() {
        QFETCH(QStringList, sentencias);
        QFETCH(QString, error);
        EntornoPrueba env;
        CreaAntigua(env.ArchivoBaseDatos(), sentencias);
        const QByteArray antes = Contenido(env.ArchivoBaseDatos());
        const Resultado r = BaseDatos::AbreBaseDatos(env.Datos());
        QVERIFY(!r);
        QVERIFY2(r.Error().startsWith(error), qPrintable(r.Error()));
        QVERIFY(r.Error().contains(env.ArchivoBaseDatos()));
        env.Libera();
        QCOMPARE(Contenido(env.ArchivoBaseDatos()), antes);
    }

    // Values a column refuses, and the text a window shows for them.
    void reglasDeLasColumnas_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariantList>("valores");
        QTest::addColumn<QString>("error");
        const QString tara = "INSERT INTO Taras (CodTara, NomTara, Peso) VALUES (?, ?, ?)";
        QTest::newRow("código de tara no entero")
            << tara << QVariantList{"abc", "", 1} << "Taras.CodTara admite solo números enteros.";
        QTest::newRow("código de tara de más de 32 bits")
            << tara << QVariantList{2147483648LL, "", 1}
            << "Taras.CodTara admite solo números enteros.";
        QTest::newRow("peso de texto")
            << tara << QVariantList{2, "", "x"} << "Taras.Peso admite solo números.";
        QTest::newRow("nombre de tara de 26")
            << tara << QVariantList{2, QString(26, 'x'), 1}
            << "El texto de Taras.NomTara es demasiado largo: admite 25 caracteres como máximo.";
        const QString cabecera = kCabecera + "('A2', ?, 'C', ?, ?)";
        QTest::newRow("impreso 7")
            << cabecera << QVariantList{"2024-01-05", "2024-01-05 10:00:00", 7}
            << "AlbaranesCabeceras.Impreso admite solo 0 o 1.";
        QTest::newRow("fecha que no es fecha")
            << cabecera << QVariantList{"not a date", "2024-01-05 10:00:00", 0}
            << "AlbaranesCabeceras.Fecha admite solo fechas (aaaa-mm-dd).";
        QTest::newRow("30 de febrero")
            << cabecera << QVariantList{"2024-02-30", "2024-01-05 10:00:00", 0}
            << "AlbaranesCabeceras.Fecha admite solo fechas (aaaa-mm-dd).";
        QTest::newRow("fecha y hora sin hora")
            << cabecera << QVariantList{"2024-01-05", "2024-01-05", 0}
            << "AlbaranesCabeceras.FechaModificacion admite solo fechas con hora "
               "(aaaa-mm-dd hh:mm:ss).";
        QTest::newRow("albarán repetido")
            << QString(cabecera).replace("'A2'", "'a1'")
            << QVariantList{"2024-01-05", "2024-01-05 10:00:00", 0}
            << "Ya existe un registro con esa clave (AlbaranesCabeceras.NumAlbaran, "
               "AlbaranesCabeceras.Fecha).";
        QTest::newRow("producto en minúsculas")
            << "INSERT INTO Productos (CodProducto) VALUES (?)" << QVariantList{"p001"}
            << "Ya existe un registro con esa clave (Productos.CodProducto).";
        QTest::newRow("código requerido nulo")
            << "INSERT INTO Productos (NomProducto) VALUES (?)" << QVariantList{"x"}
            << "Productos.CodProducto es obligatorio.";
    }
    void reglasDeLasColumnas() {
        QFETCH(QString, sql);
        QFETCH(QVariantList, valores);
        QFETCH(QString, error);
        EntornoPrueba env;
        QSqlDatabase db = env.DatosConBase().Conexion();
        QVERIFY(Ejecuta(db, "INSERT INTO Productos (CodProducto) VALUES ('P001')"));
        QVERIFY(Ejecuta(db, kCabecera + "('A1', '2024-01-05', 'C', '2024-01-01 10:00:00', 0)"));
        QString texto;
        QVERIFY(!Ejecuta(db, sql, valores, &texto));
        QVERIFY2(texto.startsWith(error + "\n\n" + env.ArchivoBaseDatos() + "\n"),
                 qPrintable(texto));
        // What the columns do take: the same number on another date, a leap day, text that
        // is a whole number, exactly the longest text, a line without a tare.
        QVERIFY(Ejecuta(db, kCabecera + "('A1', '2024-02-29', 'C', '2024-02-29 23:59:59', 1)"));
        QVERIFY(Ejecuta(db, "INSERT INTO Taras VALUES ('12', ?, 0.5)", {QString(25, u'ñ')}));
        QVERIFY(Ejecuta(db, "INSERT INTO AlbaranesDetalle VALUES ('A1', '2024-01-05', 1, 'P1',"
                            " NULL, NULL, 2, 0, 2, NULL, NULL, '10:00:00-05/01/2024', NULL)"));
    }

    // Look-ups, after opening the database a second time: a complete schema is left alone.
    void buscaCampo() {
        EntornoPrueba env;
        QSqlDatabase db = env.DatosConBase().Conexion();
        QVERIFY(Ejecuta(db,
                        "INSERT INTO Clientes (CodCliente, NomCliente) VALUES (?, ?),"
                        " ('b', 'Be'), ('A', 'A mayúscula')",
                        {"O'BRIEN", "Cliente con comilla"}));
        QVERIFY(Ejecuta(db, "INSERT INTO Taras VALUES (3, 'Palet', 25.0)"));
        db = QSqlDatabase();
        env.Libera();
        db = env.DatosConBase().Conexion();
        QCOMPARE(
            BaseDatos::BuscaCampo(db, "NomCliente", "Clientes", "CodCliente", "o'brien", false),
            QVariant("Cliente con comilla"));
        const QVariant falta = BaseDatos::BuscaCampo(db, "NomCliente", "Clientes", "CodCliente",
                                                     "X' OR '1'='1", false);
        QCOMPARE(falta.typeId(), int(QMetaType::QString));
        QCOMPARE(falta.toString(), QString());
        QCOMPARE(BaseDatos::BuscaCampo(db, "Peso", "Taras", "CodTara", "3", true).toDouble(), 25.0);
        const QVariant sinTara = BaseDatos::BuscaCampo(db, "Peso", "Taras", "CodTara", 4, true);
        QCOMPARE(sinTara.typeId(), int(QMetaType::Int));
        QCOMPARE(sinTara.toInt(), 0);
        QCOMPARE(BaseDatos::BuscaCampo(db, "Peso", "Taras", "CodTara", "3 OR 1=1", true).toInt(),
                 0);
        // Text orders without regard to letter case.
        QCOMPARE(Uno(db, "SELECT group_concat(CodCliente, ' ') FROM (SELECT CodCliente FROM "
                         "Clientes ORDER BY CodCliente)"),
                 QString("A b O'BRIEN"));
        QCOMPARE(BaseDatos::NumeroSQL(QString("1,5")), QString("1.5"));
    }

    // A database that cannot be opened says which file and why, and leaves nothing behind.
    void fallosAlAbrir_data() {
        QTest::addColumn<QString>("ruta");
        QTest::addColumn<bool>("soloLectura");
        QTest::addColumn<QString>("error");
        QTest::newRow("no es una base")
            << "basura" << false << "El archivo no es una base de datos o está dañado.";
        QTest::newRow("carpeta que no existe")
            << "no/existe/pesix.db" << false
            << "No se puede crear la base de datos: su carpeta no existe.";
        QTest::newRow("dentro de un archivo")
            << "basura/pesix.db" << false
            << "No se puede crear la base de datos: su carpeta no existe.";
        QTest::newRow("para leer, sin archivo")
            << "pesix.db" << true << "No se puede abrir ni crear la base de datos.";
    }
    void fallosAlAbrir() {
        QFETCH(QString, ruta);
        QFETCH(bool, soloLectura);
        QFETCH(QString, error);
        EntornoPrueba env;
        QFile f(env.Carpeta() + "/basura");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        clsDatosApp& d = env.Datos();
        d.SetBaseDatos(env.Carpeta() + "/" + ruta);
        const Resultado r = BaseDatos::AbreBaseDatos(
            d, soloLectura ? BaseDatos::Apertura::SoloLectura : BaseDatos::Apertura::Completa);
        QVERIFY(!r);
        QVERIFY2(r.Error().startsWith(error + "\n\n" + d.BaseDatos()), qPrintable(r.Error()));
        QStringList hay = QDir(env.Carpeta()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
        hay.removeAll("ajustes.ini");
        QCOMPARE(hay, QStringList{"basura"});
        QCOMPARE(Contenido(env.Carpeta() + "/basura"), QByteArray(4096, 'x'));
    }

    // A database that takes no writes opens, and says why at once, with a write-ahead log
    // ("wal", as every start leaves a file) or a rollback journal ("delete"). A file that only
    // lacks the rules of a table opens as it is; one that lacks a column cannot.
    void escrituraImposible_data() {
        QTest::addColumn<QString>("como");
        QTest::addColumn<QString>("diario");
        QTest::addColumn<QString>("operarios"); // an older form of the table, if any
        QTest::addColumn<bool>("abre");
        QTest::addColumn<QString>("error");
        const QString antigua =
            "CREATE TABLE Operarios (CodOperario INTEGER NOT NULL, NomOperario VARCHAR(50))";
        const QString archivo = "La base de datos es de solo lectura: se puede consultar, pero no "
                                "grabar en ella.";
        const QString carpeta = "La carpeta de la base de datos es de solo lectura: se puede "
                                "consultar, pero no grabar en ella.";
        for (const char* diario : {"wal", "delete"}) {
            const QString d = QString(" (%1)").arg(diario);
            QTest::newRow(qPrintable("archivo de solo lectura" + d))
                << "archivo" << diario << antigua << true << archivo;
            QTest::newRow(qPrintable("carpeta de solo lectura" + d))
                << "carpeta" << diario << antigua << true << carpeta;
            QTest::newRow(qPrintable("archivo y carpeta de solo lectura" + d))
                << "ambos" << diario << antigua << true << carpeta;
        }
        QTest::newRow("abierta para leer") << "apertura"
                                           << "wal" << antigua << true << archivo;
        QTest::newRow("bloqueada por otro programa")
            << "bloqueo"
            << "wal" << QString() << true
            << "La base de datos está bloqueada por otro programa. Inténtelo de nuevo cuando "
               "acabe.";
        QTest::newRow("archivo de solo lectura incompleto")
            << "archivo"
            << "wal"
            << "CREATE TABLE Operarios (CodOperario INTEGER)" << false
            << "No se puede completar la base de datos (tabla Operarios).\n" + archivo;
        QTest::newRow("carpeta de solo lectura incompleta")
            << "carpeta"
            << "wal"
            << "CREATE TABLE Operarios (CodOperario INTEGER)" << false
            << "No se puede completar la base de datos (tabla Operarios).\n" + carpeta;
    }
    void escrituraImposible() {
        QFETCH(QString, como);
        QFETCH(QString, diario);
        QFETCH(QString, operarios);
        QFETCH(bool, abre);
        QFETCH(QString, error);
        EntornoPrueba env;
        QSqlDatabase db = env.DatosConBase().Conexion();
        if (!operarios.isEmpty()) {
            QVERIFY(Ejecuta(db, "DROP TABLE Operarios") && Ejecuta(db, operarios));
            QVERIFY(Ejecuta(db, "CREATE UNIQUE INDEX Operarios_PrimaryKey ON Operarios "
                                "(CodOperario)"));
        }
        QCOMPARE(Uno(db, "PRAGMA journal_mode = " + diario), diario);
        db = QSqlDatabase();
        env.Libera();
        const QString ruta = env.ArchivoBaseDatos();
        const QByteArray antes = Contenido(ruta);
        using P = QFileDevice;
        const auto leer = P::ReadOwner | P::ReadGroup | P::ReadOther;
        const auto entrar = leer | P::ExeOwner | P::ExeGroup | P::ExeOther;
        const auto escribir = P::WriteOwner | P::WriteGroup | P::WriteOther;
        QFile::setPermissions(env.Carpeta(),
                              como == "carpeta" || como == "ambos" ? entrar : entrar | escribir);
        QFile::setPermissions(ruta, como == "archivo" || como == "ambos" ? leer : leer | escribir);
        QSqlDatabase otra = QSqlDatabase::addDatabase("QSQLITE", "otra");
        otra.setDatabaseName(ruta);
        if (como == "bloqueo")
            QVERIFY(otra.open() && Ejecuta(otra, "BEGIN IMMEDIATE") &&
                    Ejecuta(otra, "INSERT INTO Taras (CodTara) VALUES (1)"));
        clsDatosApp& d = env.Datos();
        {
            ComoOtroUsuario nadie;
            const Resultado r =
                BaseDatos::AbreBaseDatos(d, como == "apertura" ? BaseDatos::Apertura::SoloLectura
                                                               : BaseDatos::Apertura::Completa);
            QVERIFY2(bool(r) == abre, qPrintable(r.Error()));
            const QString texto =
                r ? BaseDatos::CompruebaEscritura(d.Conexion()).Error() : r.Error();
            QVERIFY2(texto.startsWith(error + "\n\n" + ruta + "\n"), qPrintable(texto));
        }
        otra.close();
        otra = QSqlDatabase();
        QSqlDatabase::removeDatabase("otra");
        env.Libera();
        QCOMPARE(Contenido(ruta), antes);
        QFile::setPermissions(env.Carpeta(), entrar | escribir);
    }

    // Stations starting together on a file that is not there yet all come up, each finding the
    // tables the one before it created; several rounds, as the order differs each time.
    void arranquesALaVez() {
        for (int ronda = 0; ronda < 4; ++ronda) {
            EntornoPrueba env;
            QObject padre;
            QList<QProcess*> estaciones;
            for (int n = 0; n < 8; ++n) {
                auto* p = new QProcess(&padre);
                p->start(QCoreApplication::applicationFilePath(),
                         {"--abre", env.ArchivoAjustes(), env.ArchivoBaseDatos()});
                estaciones << p;
            }
            for (QProcess* p : estaciones) {
                QVERIFY(p->waitForFinished(60000));
                QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
            }
            QCOMPARE(Uno(env.DatosConBase().Conexion(),
                         "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table'"),
                     QString::number(Esquema::Tablas().size()));
        }
    }

    // Server connections are told from file paths, in both forms libpq reads.
    void direccionDeServidor_data() {
        QTest::addColumn<QString>("base");
        QTest::addColumn<bool>("servidor");
        QTest::newRow("URI") << "postgresql://ana@db/pesix" << true;
        QTest::newRow("URI corto en mayúsculas") << "POSTGRES://db/pesix" << true;
        QTest::newRow("palabras clave") << "host=db dbname=pesix password=x" << true;
        QTest::newRow("palabras clave con espacios") << "  dbname = pesix" << true;
        QTest::newRow("archivo") << "/srv/pesix/pesix.db" << false;
        QTest::newRow("archivo con igual") << "copia=1.db" << false;
    }
    void direccionDeServidor() {
        QFETCH(QString, base);
        QFETCH(bool, servidor);
        QCOMPARE(BaseDatos::EsServidor(base), servidor);
    }

    // A file shared with another program (the sqlite3 shell here): while it writes, reading
    // goes on with what was committed, and a write waits for it instead of failing.
    void archivoCompartido() {
        if (QStandardPaths::findExecutable("sqlite3").isEmpty())
            QSKIP("the sqlite3 shell is not installed");
        EntornoPrueba env;
        QSqlDatabase db = env.DatosConBase().Conexion();
        QCOMPARE(Uno(db, "PRAGMA journal_mode"), QString("wal"));
        QProcess otro;
        otro.start("sqlite3", {env.ArchivoBaseDatos()});
        otro.write("BEGIN IMMEDIATE;\nINSERT INTO Taras VALUES (1, 'Caja', 0.5);\n"
                   ".print escribiendo\n.shell sleep 1\nCOMMIT;\n.quit\n");
        QVERIFY(otro.waitForReadyRead(10000));
        QCOMPARE(Uno(db, "SELECT COUNT(*) FROM Taras"), QString("0"));
        QString error;
        QVERIFY2(Ejecuta(db, "INSERT INTO Taras VALUES (2, 'Saco', 1)", {}, &error),
                 qPrintable(error));
        QVERIFY(otro.waitForFinished(10000));
        QCOMPARE(Uno(db, "SELECT COUNT(*) FROM Taras"), QString("2"));
    }
};

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    // A station of arranquesALaVez: opens the database as start-up does.
    if (argc == 4 && QByteArray(argv[1]) == "--abre") {
        kelRegistry::UsaArchivoIni(app.arguments().at(2));
        clsDatosApp datos;
        datos.SetBaseDatos(app.arguments().at(3));
        const Resultado r = BaseDatos::AbreBaseDatos(datos);
        if (!r)
            fprintf(stderr, "%s\n", qPrintable(r.Error()));
        return r ? 0 : 1;
    }
    TestBaseDatos t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_basedatos.moc"
