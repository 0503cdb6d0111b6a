// The note store on a real SQLite file: what is saved loads back, a save replaces the note as a
// whole, and a save cut short (by an error or by killing the process) leaves the old note.
#include "notes/almacenalbaranes.h"
#include "support/entornoprueba.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSqlQuery>
#include <QTest>
#include <cstdio>

namespace {
const QDate kDia(2026, 3, 5);

// A note of `lineas` lines whose cells say which version it is.
Albaran Nota(const QString& numero, int lineas, const QString& version = "A") {
    Albaran a;
    a.NumAlbaran = numero;
    a.Fecha = kDia;
    a.NomOperario = "Ana";
    a.CodCliente = "C'1";
    a.NomCliente = version;
    a.FechaModificacion = QDateTime(kDia, QTime(9, 30, 15));
    a.Impreso = true;
    for (int i = 1; i <= lineas; ++i)
        a.Lineas.Add({version, QString("línea %1").arg(i), i % 2 ? "2" : "", "12,500", "0,250",
                      "12,250", "1,20", "14,70", i % 2 ? "09:00:00-05/03/2026" : QString()});
    return a;
}

QSqlDatabase Abre(const QString& ruta, const QString& nombre) {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", nombre);
    db.setDatabaseName(ruta);
    db.setConnectOptions("QSQLITE_BUSY_TIMEOUT=5000");
    db.open();
    return db;
}

QStringList Filas(QSqlDatabase db, const QString& sql) {
    QSqlQuery q(db);
    q.exec(sql);
    QStringList filas;
    while (q.next())
        filas << q.value(0).toString();
    return filas;
}

// The child process: saves two versions of a large note in turn until it is killed.
int GuardaSinFin(const QString& ruta) {
    const AlmacenAlbaranes almacen(Abre(ruta, "hijo"), ",");
    for (int v = 0;; v = 1 - v) {
        if (!almacen.Guarda(Nota("GRANDE", v ? 1500 : 2500, v ? "B" : "A")))
            return 1;
        printf("guardado\n");
        fflush(stdout);
    }
}
} // namespace

class TestAlmacenAlbaranes : public QObject {
    Q_OBJECT

private slots:
    void guardaYCarga_data() {
        QTest::addColumn<QString>("numero");
        QTest::addColumn<int>("lineas");
        QTest::newRow("comilla en el número") << "O'Brien-1" << 3;
        QTest::newRow("número de 20 caracteres") << "ABCDEFGHIJ0123456789" << 1;
        QTest::newRow("sin líneas") << "7" << 0;
        QTest::newRow("número vacío") << "" << 2;
    }
    void guardaYCarga() {
        QFETCH(QString, numero);
        QFETCH(int, lineas);
        EntornoPrueba env;
        const QSqlDatabase db = env.DatosConBase().Conexion();
        const AlmacenAlbaranes almacen(db, ",");
        const Albaran nota = Nota(numero, lineas);
        QVERIFY(almacen.Guarda(nota));
        std::optional<Albaran> leida;
        QVERIFY(almacen.Carga(numero, kDia, leida));
        QVERIFY(leida);
        QCOMPARE(*leida, nota);
        // Numbers stored as numbers, a line without a container without a tare code.
        const QStringList detalle =
            Filas(db, "SELECT NumLinea || ':' || ifnull(CodTara, 'nulo') || ':' || PesoBruto "
                      "FROM AlbaranesDetalle ORDER BY NumLinea");
        QCOMPARE(detalle, QStringList({"1:2:12.5", "2:nulo:12.5", "3:2:12.5"}).mid(0, lineas));
        // The pick list gives the number and date back.
        QString numeroId;
        QDate fecha;
        const QStringList ids = Filas(db, AlmacenAlbaranes::ConsultaSelector());
        QCOMPARE(ids.size(), 1);
        QVERIFY(AlmacenAlbaranes::LeeIdSelector(ids.first(), numeroId, fecha));
        QCOMPARE(numeroId, numero);
        QCOMPARE(fecha, kDia);
    }

    void sobrescribe_data() {
        QTest::addColumn<int>("antes");
        QTest::addColumn<int>("despues");
        QTest::addColumn<int>("dias"); // the second save this many days later
        QTest::newRow("más corta sobre más larga") << 5 << 2 << 0;
        QTest::newRow("sin líneas sobre una con líneas") << 3 << 0 << 0;
        QTest::newRow("mismo número en otra fecha") << 3 << 2 << 1;
    }
    void sobrescribe() {
        QFETCH(int, antes);
        QFETCH(int, despues);
        QFETCH(int, dias);
        EntornoPrueba env;
        const QSqlDatabase db = env.DatosConBase().Conexion();
        const AlmacenAlbaranes almacen(db, ",");
        QVERIFY(almacen.Guarda(Nota("N1", antes, "A")));
        Albaran nueva = Nota("N1", despues, "B");
        nueva.Fecha = kDia.addDays(dias);
        QVERIFY(almacen.Guarda(nueva));
        const QString sql = "SELECT Fecha || ':' || NumLinea || ':' || CodProducto FROM "
                            "AlbaranesDetalle ORDER BY Fecha, NumLinea";
        QStringList esperadas;
        for (int i = 1; dias && i <= antes; ++i)
            esperadas << QString("2026-03-05:%1:A").arg(i);
        for (int i = 1; i <= despues; ++i)
            esperadas << QString("%1:%2:B").arg(nueva.Fecha.toString("yyyy-MM-dd")).arg(i);
        QCOMPARE(Filas(db, sql), esperadas);
        QCOMPARE(Filas(db, "SELECT NomCliente FROM AlbaranesCabeceras ORDER BY Fecha"),
                 dias ? QStringList({"A", "B"}) : QStringList({"B"}));
    }

    void cargaEnOrdenYSinValores() {
        EntornoPrueba env;
        const AlmacenAlbaranes almacen(env.DatosConBase().Conexion(), ",");
        EntornoPrueba::Ejecuta("INSERT INTO AlbaranesCabeceras VALUES ('9', '2026-03-05', NULL, "
                               "'', NULL, NULL, NULL, '2026-01-02 03:04:05', 0)");
        for (int linea : {7, 1, 3})
            EntornoPrueba::Ejecuta("INSERT INTO AlbaranesDetalle VALUES ('9', '2026-03-05', ?, "
                                   "?, NULL, NULL, 12.5, 0, 2, NULL, NULL, '')",
                                   {linea, QString("L%1").arg(linea)});
        std::optional<Albaran> a;
        QVERIFY(almacen.Carga("9", kDia, a));
        QVERIFY(a);
        QCOMPARE(a->FechaModificacion, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
        QVERIFY(a->NomOperario.isEmpty() && a->NomCliente.isEmpty() && !a->Impreso);
        QCOMPARE(a->Lineas.Count(), 3);
        const char* codigos[] = {"L1", "L3", "L7"};
        for (int i = 0; i < 3; ++i) {
            const FilaAlbaran esperada = {codigos[i], "", "", "12,500", "0,000",
                                          "2,000",    "", "", ""};
            QCOMPARE(a->Lineas.Item(i), esperada);
        }
        QVERIFY(almacen.Carga("9", kDia.addDays(1), a));
        QVERIFY(!a);
    }

    void unErrorNoCambiaNada() {
        EntornoPrueba env;
        const AlmacenAlbaranes almacen(env.DatosConBase().Conexion(), ",");
        const Albaran vieja = Nota("N1", 3, "A");
        QVERIFY(almacen.Guarda(vieja));
        Albaran nueva = Nota("N1", 4, "B");
        FilaAlbaran linea = nueva.Lineas.Item(2);
        linea[2] = "1.5";
        nueva.Lineas.Reemplaza(2, linea);
        const Resultado r = almacen.Guarda(nueva);
        QVERIFY(!r);
        QVERIFY2(r.Error().contains("1.5") && r.Error().contains('3'), qPrintable(r.Error()));
        std::optional<Albaran> leida;
        QVERIFY(almacen.Carga("N1", kDia, leida));
        QCOMPARE(*leida, vieja);
    }

    void procesoMatadoAlGuardar() {
        // Killed at any moment of a save, the process leaves one whole version of the note.
        EntornoPrueba env;
        env.DatosConBase();
        env.Libera();
        for (int vez = 0; vez < 3; ++vez) {
            QProcess hijo;
            hijo.start(QCoreApplication::applicationFilePath(),
                       {"--guarda-sin-fin", env.ArchivoBaseDatos()});
            QVERIFY(hijo.waitForStarted());
            QVERIFY(hijo.waitForReadyRead(20000));
            QTest::qWait(5 + 17 * vez);
            hijo.kill();
            QVERIFY(hijo.waitForFinished());
            QSqlDatabase otra = Abre(env.ArchivoBaseDatos(), "otra");
            const QStringList cabecera = Filas(otra, "SELECT NomCliente FROM AlbaranesCabeceras");
            QCOMPARE(cabecera.size(), 1);
            const QString version = cabecera.first();
            const int n = version == "A" ? 2500 : 1500;
            const QString resumen = QString("%1:1:%2:%3").arg(n).arg(n).arg(version);
            QCOMPARE(Filas(otra, "SELECT COUNT(*) || ':' || MIN(NumLinea) || ':' || MAX(NumLinea) "
                                 "|| ':' || group_concat(DISTINCT CodProducto) "
                                 "FROM AlbaranesDetalle"),
                     QStringList{resumen});
            otra.close();
            otra = QSqlDatabase();
            QSqlDatabase::removeDatabase("otra");
        }
    }
};

int main(int argc, char* argv[]) {
    if (argc == 3 && QByteArray(argv[1]) == "--guarda-sin-fin") {
        QCoreApplication app(argc, argv);
        return GuardaSinFin(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    TestAlmacenAlbaranes t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_almacenalbaranes.moc"
