// pesix --verify-alibi as a real process on both engines: a sound log passes; a changed line
// weight, a changed entry and a removed entry (their triggers dropped first, as only the
// database's owner can) are each found and named; its command line and a missing database.
#include "app/clsdatosapp.h"
#include "db/registropesadas.h"
#include "support/entornoprueba.h"

#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

namespace {
struct Salida {
    int codigo = -1;
    QStringList lineas;
    QByteArray errores;
};
Salida Verifica(const EntornoPrueba& env, const QStringList& mas = {}) {
    QProcess p;
    p.start(qEnvironmentVariable("PESIX_BUILD_DIR") + "/pesix",
            QStringList{"--verify-alibi", "--database", env.BaseDatos(), "--settings",
                        env.ArchivoAjustes()} +
                mas);
    Salida s;
    if (!p.waitForFinished(60000))
        return s;
    s.codigo = p.exitCode();
    s.lineas = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    s.errores = p.readAllStandardError();
    return s;
}
// Station Norte's entries 1 to 3, weighing 12.50, 7.25 and 3.125 at two decimals (a half
// that rounds up, "3.13", where the quick rounding of the check rounds to even).
bool TresEntradas(QSqlDatabase db) {
    for (double peso : {12.5, 7.25, 3.125}) {
        RegistroPesadas::Entrada e;
        e.fechaHora = QDateTime(QDate(2026, 3, 5), QTime(10, 0));
        e.puesto = "Norte";
        e.evento = RegistroPesadas::kPesada;
        e.peso = peso;
        e.decimales = 2;
        if (!RegistroPesadas::Anade(db, e))
            return false;
    }
    return true;
}
} // namespace

class TestVerificaRegistro : public QObject {
    Q_OBJECT

private slots:
    void verifica_data() {
        QTest::addColumn<Motor>("motor");
        QTest::addColumn<QString>("cambio"); // SQL run with the triggers dropped
        QTest::addColumn<int>("codigo");
        QTest::addColumn<QStringList>("faltas"); // the beginnings of the lines expected
        for (Motor m : EntornoPrueba::kMotores) {
            const auto fila = [&](const char* n, const QString& sql, int codigo,
                                  const QStringList& faltas) {
                QTest::addRow("%s: %s", qPrintable(EntornoPrueba::Nombre(m)), n)
                    << m << sql << codigo << faltas;
            };
            fila("sound", "", 0, {});
            fila("line weight changed",
                 "UPDATE AlbaranesDetalle SET PesoBruto = 12.6 WHERE NumLinea = 1", 1,
                 {"note A1 of 2026-03-05, line 1: PesoBruto 12.60 is not the weight 12.50 of its "
                  "weighing log entry 1"});
            fila("entry changed", "UPDATE RegistroPesadas SET Peso = 7.5 WHERE IdPesada = 2", 1,
                 {"entry 2: its fields do not give its Huella",
                  "note A1 of 2026-03-05, line 2: PesoBruto 7.25 is not the weight 7.50"});
            QStringList quitada = {"entry 3 (station Norte): HuellaAnterior",
                                   "note A1 of 2026-03-05, line 2: its weighing log entry 2 is "
                                   "missing"};
            if (m == Motor::Sqlite)
                quitada.insert(0, "entries 2 to 2: missing");
            fila("entry removed", "DELETE FROM RegistroPesadas WHERE IdPesada = 2", 1, quitada);
        }
    }
    void verifica() {
        QFETCH(Motor, motor);
        QFETCH(QString, cambio);
        QFETCH(int, codigo);
        QFETCH(QStringList, faltas);
        PESIX_REQUIERE(motor);
        EntornoPrueba env(motor);
        QSqlDatabase db = env.DatosConBase().Conexion();
        QVERIFY(TresEntradas(db));
        EntornoPrueba::Ejecuta("INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, CodCliente, "
                               "FechaModificacion, Impreso) VALUES ('A1', '2026-03-05', 'C', "
                               "'2026-03-05 10:00:00', ?)",
                               {false});
        for (int i = 1; i <= 2; ++i)
            EntornoPrueba::Ejecuta("INSERT INTO AlbaranesDetalle (NumAlbaran, Fecha, NumLinea, "
                                   "CodProducto, PesoBruto, PesoTara, PesoNeto, HoraPesada, "
                                   "IdPesada) VALUES ('A1', '2026-03-05', ?, 'P', ?, 0, 0, '', ?)",
                                   {i, i == 1 ? 12.5 : 7.25, i});
        if (!cambio.isEmpty()) {
            const QStringList sql =
                motor == Motor::Postgres
                    ? QStringList{"DROP TRIGGER registropesadas_sincambios ON RegistroPesadas",
                                  cambio}
                    : QStringList{"DROP TRIGGER RegistroPesadas_SinCambios",
                                  "DROP TRIGGER RegistroPesadas_SinBorrados", cambio};
            QSqlQuery q(db);
            for (const QString& t : sql)
                QVERIFY2(q.exec(t), qPrintable(t));
        }
        db = QSqlDatabase();
        env.Libera();
        const Salida s = Verifica(env);
        QVERIFY2(s.codigo == codigo, s.errores + s.lineas.join('\n').toUtf8());
        QVERIFY(!s.lineas.isEmpty());
        const QStringList vistas = s.lineas.mid(0, s.lineas.size() - 1);
        QCOMPARE(vistas.size(), faltas.size());
        for (int i = 0; i < faltas.size(); ++i)
            QVERIFY2(vistas.at(i).startsWith(faltas.at(i)), qPrintable(vistas.at(i)));
        const int entradas = cambio.startsWith("DELETE") ? 2 : 3;
        QCOMPARE(
            s.lineas.last(),
            QString("checked %1 entries and 2 lines: %2 faults").arg(entradas).arg(faltas.size()));
    }

    // Someone who owns the database rewrites a chain whole: entry 2 and its line say 7.50, and
    // every fingerprint from it on is recomputed. The plain check cannot see it; the
    // fingerprint a ticket printed before does.
    void cadenaReescrita() {
        for (Motor motor : EntornoPrueba::kMotores) {
            PESIX_REQUIERE(motor);
            EntornoPrueba env(motor);
            QSqlDatabase db = env.DatosConBase().Conexion();
            QVERIFY(TresEntradas(db));
            const QString impresa1 = RegistroPesadas::Huella(db, 1).left(16);
            const QString impresa2 = RegistroPesadas::Huella(db, 2).left(16);
            QSqlQuery q(db);
            for (const char* t : {"DROP TRIGGER RegistroPesadas_SinCambios",
                                  "UPDATE RegistroPesadas SET Peso = 7.5 WHERE IdPesada = 2"})
                QVERIFY2(q.exec(motor == Motor::Postgres && t[0] == 'D'
                                    ? "DROP TRIGGER registropesadas_sincambios ON RegistroPesadas"
                                    : t),
                         t);
            QString anterior = RegistroPesadas::Huella(db, 1);
            for (qint64 id : {2, 3}) {
                QVERIFY(q.exec(QString("SELECT %1 FROM RegistroPesadas WHERE IdPesada = %2")
                                   .arg(RegistroPesadas::kColumnas)
                                   .arg(id)) &&
                        q.next());
                RegistroPesadas::Entrada e = RegistroPesadas::Lee(q);
                e.huellaAnterior = anterior;
                anterior = RegistroPesadas::CalculaHuella(e);
                QSqlQuery u(db);
                u.prepare("UPDATE RegistroPesadas SET HuellaAnterior = ?, Huella = ? WHERE "
                          "IdPesada = ?");
                u.addBindValue(e.huellaAnterior);
                u.addBindValue(anterior);
                u.addBindValue(id);
                QVERIFY2(u.exec(), qPrintable(u.lastError().text()));
            }
            QVERIFY(RegistroPesadas::Huella(db, 2).left(16) != impresa2);
            q = QSqlQuery();
            db = QSqlDatabase();
            env.Libera();
            QCOMPARE(Verifica(env).codigo, 0);
            QCOMPARE(Verifica(env, {"--printed", "1:" + impresa1}).codigo, 0);
            const Salida s =
                Verifica(env, {"--printed", "1:" + impresa1.toUpper() + ",2:" + impresa2});
            QCOMPARE(s.codigo, 1);
            QCOMPARE(s.lineas.size(), 2);
            QVERIFY2(s.lineas.first().startsWith("entry 2: its Huella"),
                     qPrintable(s.lineas.first()));
            QVERIFY(s.lineas.first().contains(impresa2));
            const Salida falta = Verifica(env, {"--printed", "9:" + impresa2});
            QCOMPARE(falta.codigo, 1);
            QVERIFY2(falta.lineas.first().startsWith("entry 9, printed on a ticket as"),
                     qPrintable(falta.lineas.first()));
        }
    }

    void lineaDeOrdenes_data() {
        QTest::addColumn<QStringList>("argumentos");
        QTest::addColumn<int>("codigo");
        QTest::newRow("--from without --to") << QStringList{"--from", "2026-03-01"} << 2;
        QTest::newRow("not a date")
            << QStringList{"--from", "2026-02-30", "--to", "2026-03-01"} << 2;
        QTest::newRow("a word too many") << QStringList{"x"} << 2;
        QTest::newRow("a printed fingerprint too short") << QStringList{"--printed", "1:abc"} << 2;
        QTest::newRow("a printed fingerprint not hexadecimal")
            << QStringList{"--printed", "1:0123456789abcdeg"} << 2;
        QTest::newRow("a printed fingerprint without its entry")
            << QStringList{"--printed", "0123456789abcdef"} << 2;
        QTest::newRow("a range") << QStringList{"--from", "2026-03-01", "--to", "2026-03-31"} << 0;
    }
    void lineaDeOrdenes() {
        QFETCH(QStringList, argumentos);
        QFETCH(int, codigo);
        EntornoPrueba env;
        env.DatosConBase();
        env.Libera();
        QCOMPARE(Verifica(env, argumentos).codigo, codigo);
    }

    void sinBaseDeDatos() {
        EntornoPrueba env;
        const Salida s = Verifica(env);
        QCOMPARE(s.codigo, 3);
        QVERIFY2(s.errores.startsWith("pesix: database not found"), s.errores.constData());
    }
};

QTEST_GUILESS_MAIN(TestVerificaRegistro)
#include "tst_verificaregistro.moc"
