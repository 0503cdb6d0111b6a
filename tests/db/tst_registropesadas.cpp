// The weighing log: entries only ever added, on both engines and after completion; each
// station's chain of fingerprints, also with several programs writing at once.
#include "app/clsdatosapp.h"
#include "app/kelregistry.h"
#include "db/basedatos.h"
#include "db/registropesadas.h"
#include "support/entornoprueba.h"
#include "support/servidorpostgres.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QUrl>
#include <cstdio>

namespace {
RegistroPesadas::Entrada Lectura(const QString& puesto, double peso) {
    RegistroPesadas::Entrada e;
    e.fechaHora = QDateTime(QDate(2026, 3, 5), QTime(10, 15, 30, 250));
    e.puesto = puesto;
    e.evento = RegistroPesadas::kPesada;
    e.tipoBascula = 2;
    e.peso = peso;
    e.decimales = 2;
    e.unidad = "kg";
    e.estado = "stable";
    e.bruto = "gross";
    e.trama = "\x02 12.50kg\r";
    return e;
}

// Each station's entries in the order of their numbers, and whatever breaks their chain.
struct Cadenas {
    QMap<QString, int> entradas; // by station, in lower case
    QStringList faltas;
};
Cadenas LeeCadenas(QSqlDatabase db) {
    Cadenas c;
    QMap<QString, QString> ultima;
    QSqlQuery q(db);
    if (!q.exec("SELECT IdPesada, FechaHora, Puesto, Evento, TipoBascula, Peso, Decimales, "
                "Unidad, Estado, Bruto, Trama, HuellaAnterior, Huella FROM RegistroPesadas "
                "ORDER BY IdPesada")) {
        c.faltas << q.lastError().text();
        return c;
    }
    while (q.next()) {
        const RegistroPesadas::Entrada e = RegistroPesadas::Lee(q);
        const QString huella = q.value(12).toString();
        const QString puesto = e.puesto.toLower();
        const QString anterior = ultima.value(puesto, RegistroPesadas::HuellaInicial());
        if (e.huellaAnterior != anterior)
            c.faltas
                << QString("%1 follows %2, not %3").arg(e.idPesada).arg(e.huellaAnterior, anterior);
        if (RegistroPesadas::CalculaHuella(e) != huella)
            c.faltas << QString("%1 does not recompute").arg(e.idPesada);
        ultima[puesto] = huella;
        ++c.entradas[puesto];
    }
    return c;
}

bool Ejecuta(QSqlDatabase db, const QString& sql, QString* error = nullptr) {
    QSqlQuery q(db);
    const bool ok = q.exec(sql);
    if (error)
        *error = q.lastError().text();
    return ok;
}
} // namespace

class TestRegistroPesadas : public QObject {
    Q_OBJECT

private slots:
    // The canonical text of an entry, field by field, and its fingerprint.
    void textoCanonico() {
        RegistroPesadas::Entrada e = Lectura("Báscula 1", 12.5);
        e.idPesada = 7;
        e.huellaAnterior = RegistroPesadas::HuellaInicial();
        const QByteArray esperado = "7\t2026-03-05 10:15:30.250\tB\xc3\xa1scula 1\tweighing\t2\t"
                                    "12.50\t2\tkg\tstable\tgross\t022031322e35306b670d\t" +
                                    QByteArray(64, '0') + "\n";
        QCOMPARE(RegistroPesadas::TextoCanonico(e), esperado);
        QCOMPARE(RegistroPesadas::CalculaHuella(e),
                 QString::fromLatin1(
                     QCryptographicHash::hash(esperado, QCryptographicHash::Sha256).toHex()));
        e.peso.reset();
        QVERIFY(RegistroPesadas::TextoCanonico(e).contains("\t2\t\t2\tkg\t"));
    }

    // Entries are added, never changed or removed, whatever statement tries; a trigger dropped
    // comes back when the database is completed again, and an older database gains the log
    // and the lines' entry number, keeping its rows.
    void soloSeAnade_data() { EntornoPrueba::FilasPorMotor(); }
    void soloSeAnade() {
        QFETCH(Motor, motor);
        PESIX_REQUIERE(motor);
        EntornoPrueba env(motor);
        const QString antigua =
            "CREATE TABLE AlbaranesDetalle (NumAlbaran VARCHAR(20) NOT NULL, Fecha DATE NOT "
            "NULL, NumLinea INTEGER NOT NULL, CodProducto VARCHAR(15) NOT NULL, PesoBruto DOUBLE "
            "PRECISION NOT NULL); INSERT INTO AlbaranesDetalle VALUES ('A1', '2024-01-05', 1, "
            "'P1', 3.5)";
        if (motor == Motor::Postgres) {
            QCOMPARE(
                ServidorPostgres::Comun()->Ejecuta(QUrl(env.BaseDatos()).path().mid(1), antigua),
                QString());
        } else {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "antigua");
            db.setDatabaseName(env.ArchivoBaseDatos());
            QVERIFY(db.open());
            for (const QString& sql : antigua.split("; "))
                QVERIFY2(Ejecuta(db, sql), qPrintable(sql));
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase("antigua");
        }
        const QStringList cambios = {"UPDATE RegistroPesadas SET Peso = 1",
                                     "DELETE FROM RegistroPesadas",
                                     motor == Motor::Postgres ? "TRUNCATE RegistroPesadas"
                                                              : "DELETE FROM RegistroPesadas "
                                                                "WHERE IdPesada = 1"};
        const QStringList disparadores =
            motor == Motor::Postgres
                ? QStringList{"DROP TRIGGER registropesadas_sincambios ON RegistroPesadas",
                              "DROP TRIGGER registropesadas_sinvaciar ON RegistroPesadas"}
                : QStringList{"DROP TRIGGER RegistroPesadas_SinCambios",
                              "DROP TRIGGER RegistroPesadas_SinBorrados"};
        for (int vuelta = 0; vuelta < 2; ++vuelta, env.Libera()) {
            QSqlDatabase db = env.DatosConBase().Conexion();
            QSqlQuery q(db);
            QVERIFY(q.exec("SELECT PesoBruto, IdPesada IS NULL FROM AlbaranesDetalle") && q.next());
            QCOMPARE(q.value(0).toDouble(), 3.5);
            QVERIFY(q.value(1).toBool());
            q.finish();
            RegistroPesadas::Entrada e = Lectura("P", 12.5);
            const Resultado r = RegistroPesadas::Anade(db, e);
            QVERIFY2(r, qPrintable(r.Error()));
            for (const QString& sql : cambios) {
                QString error;
                QVERIFY2(!Ejecuta(db, sql, &error), qPrintable(sql));
                QVERIFY2(
                    error.contains("RegistroPesadas: rows are only added", Qt::CaseInsensitive),
                    qPrintable(error));
            }
            QCOMPARE(LeeCadenas(db).entradas.value("p"), vuelta + 1);
            // The owner of the database can drop the triggers; the next start restores them.
            for (const QString& sql : disparadores)
                QVERIFY2(Ejecuta(db, sql), qPrintable(sql));
            QVERIFY(Ejecuta(db, "UPDATE RegistroPesadas SET Peso = 12.5"));
        }
    }

    // Two stations' entries interleave, each in its own chain; the fingerprint changes with any
    // field and the chain with any entry.
    void cadenasPorPuesto_data() { EntornoPrueba::FilasPorMotor(); }
    void cadenasPorPuesto() {
        QFETCH(Motor, motor);
        PESIX_REQUIERE(motor);
        EntornoPrueba env(motor);
        QSqlDatabase db = env.DatosConBase().Conexion();
        QStringList huellas;
        for (int i = 0; i < 6; ++i) {
            RegistroPesadas::Entrada e = Lectura(i % 3 == 0 ? "Norte" : "Sur", 10 + i);
            if (i == 5) { // a frame without figure or unit
                e.peso.reset();
                e.unidad = QString();
            }
            const Resultado r = RegistroPesadas::Anade(db, e);
            QVERIFY2(r, qPrintable(r.Error()));
            QCOMPARE(e.idPesada, i + 1);
            QCOMPARE(e.huella, RegistroPesadas::CalculaHuella(e));
            huellas << e.huella;
        }
        const Cadenas c = LeeCadenas(db);
        QVERIFY2(c.faltas.isEmpty(), qPrintable(c.faltas.join('\n')));
        QCOMPARE(c.entradas.value("norte"), 2);
        QCOMPARE(c.entradas.value("sur"), 4);
        QCOMPARE(QSet<QString>(huellas.begin(), huellas.end()).size(), 6);
        // The same station however it is written: one chain.
        RegistroPesadas::Entrada e = Lectura("NORTE", 1);
        QVERIFY(RegistroPesadas::Anade(db, e));
        QCOMPARE(e.huellaAnterior, huellas.at(3));
        // A second entry on one predecessor is refused by the database itself.
        QSqlQuery q(db);
        q.prepare("INSERT INTO RegistroPesadas SELECT 99, FechaHora, Puesto, Evento, TipoBascula, "
                  "Peso, Decimales, Unidad, Estado, Bruto, Trama, HuellaAnterior, Huella FROM "
                  "RegistroPesadas WHERE IdPesada = 2");
        QVERIFY(!q.exec());
    }

    // Several programs of one station and of another add at once: no entry is lost, and each
    // station's chain holds, no two entries following the same one.
    void variosProgramasALaVez_data() { EntornoPrueba::FilasPorMotor(); }
    void variosProgramasALaVez() {
        QFETCH(Motor, motor);
        PESIX_REQUIERE(motor);
        EntornoPrueba env(motor);
        QSqlDatabase db = env.DatosConBase().Conexion();
        const int porPrograma = 25;
        QObject padre;
        QList<QProcess*> programas;
        for (const QString puesto : {"Norte", "Norte", "Norte", "Sur", "Sur"}) {
            auto* p = new QProcess(&padre);
            p->start(QCoreApplication::applicationFilePath(),
                     {"--anade", env.ArchivoAjustes(), env.BaseDatos(), puesto,
                      QString::number(porPrograma)});
            programas << p;
        }
        for (QProcess* p : programas) {
            QVERIFY(p->waitForFinished(120000));
            QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
        }
        const Cadenas c = LeeCadenas(db);
        QVERIFY2(c.faltas.isEmpty(), qPrintable(c.faltas.join('\n')));
        QCOMPARE(c.entradas.value("norte"), 3 * porPrograma);
        QCOMPARE(c.entradas.value("sur"), 2 * porPrograma);
    }
};

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    // A program of variosProgramasALaVez: adds its entries for one station.
    if (argc == 6 && QByteArray(argv[1]) == "--anade") {
        kelRegistry::UsaArchivoIni(app.arguments().at(2));
        clsDatosApp datos;
        datos.SetBaseDatos(app.arguments().at(3));
        Resultado r = BaseDatos::AbreBaseDatos(datos);
        for (int i = 0; r && i < app.arguments().at(5).toInt(); ++i) {
            RegistroPesadas::Entrada e = Lectura(app.arguments().at(4), i);
            r = RegistroPesadas::Anade(datos.Conexion(), e);
        }
        if (!r)
            fprintf(stderr, "%s\n", qPrintable(r.Error()));
        return r ? 0 : 1;
    }
    TestRegistroPesadas t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_registropesadas.moc"
