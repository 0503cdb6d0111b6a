// Nothing stored is lost, on both engines: a save that changes a stored note keeps the note as
// it was as a version, a save without change keeps none, the database refuses to change or
// remove a version, a void keeps the note with its reason, and a print after the first counts
// as a copy of the version stored. The history reads the same on the console.
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "db/basedatos.h"
#include "export/exportaalbaranes.h"
#include "masters/consultabrowse.h"
#include "notedata/almacenalbaranes.h"
#include "notes/comandohistorial.h"
#include "notes/datasetalbaran.h"
#include "notes/historialalbaran.h"
#include "support/entornoprueba.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace {
const QDate kDia(2026, 3, 5);

Albaran Nota(int lineas) {
    Albaran a;
    a.NumAlbaran = "V'1";
    a.Fecha = kDia;
    a.NomOperario = "Ana";
    a.CodCliente = "C1";
    a.NomCliente = "Bar Pino";
    a.FechaModificacion = QDateTime(kDia, QTime(9, 30, 15));
    for (int i = 1; i <= lineas; ++i)
        a.Lineas.Add({QString("P%1").arg(i), "Peras", i % 2 ? "2" : "", "12,500", "0,250", "12,250",
                      "1,20", "14,70", QString("09:0%1:00-05/03/2026").arg(i),
                      i % 2 ? QString::number(i) : QString()});
    return a;
}

QStringList Filas(QSqlDatabase db, const QString& sql) {
    QSqlQuery q(db);
    if (!q.exec(sql))
        return {"error: " + q.lastError().text()};
    QStringList filas;
    while (q.next()) {
        QStringList f;
        for (int i = 0; i < q.record().count(); ++i)
            f << q.value(i).toString();
        filas << f.join('|');
    }
    return filas;
}

// A weight typed over another: line `linea` (1..n) weighs 13 gross, with a new time and no log
// entry, and is still the same line.
Albaran ConPeso(Albaran a, int linea) {
    FilaAlbaran f = a.Lineas.Item(linea - 1);
    f[LineasAlbaran::PesoBruto - 1] = "13";
    f[LineasAlbaran::HoraPesada - 1] = "10:00:00-05/03/2026";
    f[LineasAlbaran::IdPesada - 1].clear();
    a.Lineas.Reemplaza(linea - 1, f);
    return a;
}
} // namespace

class TestVersionesAlbaran : public QObject {
    Q_OBJECT

private slots:
    void reemplazada_data() { EntornoPrueba::FilasPorMotor(); }
    // The version holds the note exactly as it was stored, and says when, where and by whom it
    // was replaced; an unchanged save, or one that only marks it printed, adds none.
    void reemplazada() {
        QFETCH(Motor, motor);
        PESIX_REQUIERE(motor);
        EntornoPrueba env(motor);
        const QSqlDatabase db = env.DatosConBase().Conexion();
        const AlmacenAlbaranes almacen(db, ",", "Báscula 2");
        const Albaran primera = Nota(3);
        QVERIFY(almacen.Guarda(primera));
        const QString detalle = "SELECT NumLinea, CodProducto, PesoBruto, CodTara, IdPesada FROM ";
        const QStringList lineasAntes = Filas(db, detalle + "AlbaranesDetalle ORDER BY NumLinea");
        Albaran igual = primera;
        igual.Lineas = Nota(3).Lineas;
        FilaAlbaran f = igual.Lineas.Item(0);
        f[LineasAlbaran::PesoBruto - 1] = "12,5"; // the same number written otherwise
        igual.Lineas.Reemplaza(0, f);
        igual.Impreso = true;
        igual.FechaModificacion = igual.FechaModificacion.addSecs(60);
        QVERIFY(almacen.Guarda(igual));
        QCOMPARE(Filas(db, "SELECT COUNT(*) FROM AlbaranesVersiones"), QStringList{"0"});

        Albaran segunda = ConPeso(Nota(3), 2);
        segunda.Lineas.Remove(2);
        segunda.NomOperario = "Luis";
        QVERIFY(almacen.Guarda(segunda));
        // The version is the note as stored, printed mark too; the header now is the new one.
        QCOMPARE(Filas(db, "SELECT Version, Puesto, Operario, NomOperario, CASE WHEN Impreso THEN "
                           "'impreso' END FROM AlbaranesVersiones"),
                 QStringList{"1|Báscula 2|Luis|Ana|impreso"});
        QCOMPARE(Filas(db, detalle + "AlbaranesVersionesDetalle WHERE Version = 1 ORDER BY "
                                     "NumLinea"),
                 lineasAntes);
        QCOMPARE(Filas(db, detalle + "AlbaranesDetalle ORDER BY NumLinea").size(), 2);

        std::optional<Albaran> actual;
        std::vector<VersionAlbaran> versiones;
        QVERIFY(almacen.Carga(primera.NumAlbaran, kDia, actual));
        QCOMPARE(actual->Versiones, 1);
        QVERIFY(almacen.Versiones(primera.NumAlbaran, kDia, versiones));
        QCOMPARE(versiones.size(), size_t(1));
        QCOMPARE(versiones[0].Nota.Lineas, primera.Lineas);
        QVERIFY(versiones[0].Reemplazada.isValid());
        // The history marks what the next version changed.
        cmnLanguaje::PonIdioma(0);
        const std::vector<QStringList> filas = HistorialAlbaran::Filas(versiones, *actual, ",");
        QCOMPARE(filas.size(), size_t(2));
        const QString cambios = filas[0].at(HistorialAlbaran::Cambios);
        for (const QString& parte :
             {QString("Operario: Ana → Luis"),
              QString("línea 2: %1 12,500 → 13,000").arg(Texto(IdTexto::ColPesoBruto)),
              QString("línea 3 quitada (P3 Peras)")})
            QVERIFY2(cambios.contains(parte), qPrintable(cambios));
        QCOMPARE(filas[0].at(HistorialAlbaran::Lineas), "3");
        QCOMPARE(filas[1].at(HistorialAlbaran::Lineas), "2");
        QCOMPARE(filas[1].at(HistorialAlbaran::Neto), "24,500");
    }

    void soloSeAnaden_data() { EntornoPrueba::FilasPorMotor(); }
    void soloSeAnaden() {
        QFETCH(Motor, motor);
        PESIX_REQUIERE(motor);
        EntornoPrueba env(motor);
        const QSqlDatabase db = env.DatosConBase().Conexion();
        const AlmacenAlbaranes almacen(db, ",", "B1");
        QVERIFY(almacen.Guarda(Nota(2)));
        QVERIFY(almacen.Guarda(ConPeso(Nota(2), 1)));
        for (const char* sql :
             {"UPDATE AlbaranesVersiones SET NomCliente = 'X'", "DELETE FROM AlbaranesVersiones",
              "UPDATE AlbaranesVersionesDetalle SET PesoBruto = 1",
              "DELETE FROM AlbaranesVersionesDetalle"}) {
            QSqlQuery q(db);
            QVERIFY2(!q.exec(sql), sql);
        }
        QCOMPARE(Filas(db, "SELECT COUNT(*) FROM AlbaranesVersionesDetalle"), QStringList{"2"});
        QCOMPARE(Filas(db, "SELECT NomCliente FROM AlbaranesVersiones"), QStringList{"Bar Pino"});
    }

    void anula_data() { EntornoPrueba::FilasPorMotor(); }
    // A void keeps the note, with its reason, as a new version; the void note cannot be changed
    // until the void is undone with a reason of its own; the pick list and the export say so.
    void anula() {
        QFETCH(Motor, motor);
        PESIX_REQUIERE(motor);
        EntornoPrueba env(motor);
        cmnLanguaje::PonIdioma(0);
        const QSqlDatabase db = env.DatosConBase().Conexion();
        const AlmacenAlbaranes almacen(db, ",", "B1");
        const Albaran nota = Nota(2);
        const QDateTime ahora(kDia, QTime(12, 0));
        QVERIFY(almacen.Guarda(nota));
        Resultado r = almacen.Anula(nota.NumAlbaran, kDia, true, " mal ", "Luis", ahora);
        QCOMPARE(r.Error(), Texto(IdTexto::MotivoCorto).arg(5));
        r = almacen.Anula("otro", kDia, true, "cliente equivocado", "Luis", ahora);
        QVERIFY(!r);
        QVERIFY(almacen.Anula(nota.NumAlbaran, kDia, true, "cliente equivocado", "Luis", ahora));
        r = almacen.Anula(nota.NumAlbaran, kDia, true, "otra vez más", "Luis", ahora);
        QCOMPARE(r.Error(), Texto(IdTexto::YaAnulado).arg(nota.NumAlbaran));

        std::optional<Albaran> leida;
        QVERIFY(almacen.Carga(nota.NumAlbaran, kDia, leida));
        QVERIFY(leida->Anulado);
        QCOMPARE(leida->Motivo, "cliente equivocado");
        QCOMPARE(leida->Versiones, 1);
        QCOMPARE(leida->Lineas, nota.Lineas);
        QCOMPARE(Filas(db, "SELECT Estado FROM (" + ConsultaBrowse::Albaranes().Sql + ") l"),
                 QStringList{Texto(IdTexto::MarcaAnulado)});
        // The export marks each of its lines.
        const QString xml = env.Carpeta() + "/anulado.xml";
        ExportaAlbaranes exportacion(db, ";", FormatoValores(",", QLocale(QLocale::Spanish)));
        QVERIFY(exportacion.Exporta(kDia, kDia, xml));
        QFile archivo(xml);
        QVERIFY(archivo.open(QIODevice::ReadOnly));
        QCOMPARE(archivo.readAll().count("Anulado='1'"), 2);

        // Changing a void note is refused; saving it unchanged is not.
        r = almacen.Guarda(ConPeso(*leida, 1));
        QCOMPARE(r.Error(), Texto(IdTexto::AlbaranAnulado).arg(nota.NumAlbaran));
        Albaran sinAnular = *leida;
        sinAnular.Anulado = false; // what the window holds is not what undoes a void
        QVERIFY(almacen.Guarda(sinAnular));
        QVERIFY(almacen.Carga(nota.NumAlbaran, kDia, leida));
        QVERIFY(leida->Anulado);

        QVERIFY(almacen.Anula(nota.NumAlbaran, kDia, false, "era el cliente bueno", "Ana", ahora));
        QVERIFY(almacen.Carga(nota.NumAlbaran, kDia, leida));
        QVERIFY(!leida->Anulado);
        QCOMPARE(leida->Versiones, 2);
        QVERIFY(almacen.Guarda(ConPeso(*leida, 1)));
        std::vector<VersionAlbaran> versiones;
        QVERIFY(almacen.Versiones(nota.NumAlbaran, kDia, versiones));
        QCOMPARE(versiones.size(), size_t(3));
        QVERIFY(!versiones[0].Nota.Anulado && versiones[1].Nota.Anulado);
        QVERIFY(almacen.Carga(nota.NumAlbaran, kDia, leida));
        const std::vector<QStringList> filas = HistorialAlbaran::Filas(versiones, *leida, ",");
        QCOMPARE(filas[0].at(HistorialAlbaran::Cambios), "anulado: cliente equivocado");
        QCOMPARE(filas[1].at(HistorialAlbaran::Cambios),
                 "anulación deshecha: era el cliente bueno");
        QCOMPARE(filas[1].at(HistorialAlbaran::Estado), "ANULADO: cliente equivocado");
    }

    void copia_data() { EntornoPrueba::FilasPorMotor(); }
    // A print after the first of what is stored is counted; one of a note changed since its
    // save is not. A version keeps its count. The print says "COPIA".
    void copia() {
        QFETCH(Motor, motor);
        PESIX_REQUIERE(motor);
        EntornoPrueba env(motor);
        cmnLanguaje::PonIdioma(0);
        clsDatosApp& datos = env.DatosConBase();
        const QSqlDatabase db = datos.Conexion();
        const AlmacenAlbaranes almacen(db, ",", "B1");
        Albaran nota = Nota(1);
        nota.Impreso = true;
        QVERIFY(almacen.Guarda(nota));
        const QDateTime ahora(kDia, QTime(12, 0, 5));
        bool contada = false;
        QVERIFY(almacen.RegistraCopia(ConPeso(nota, 1), ahora, contada));
        QVERIFY(!contada);
        QVERIFY(almacen.RegistraCopia(nota, ahora, contada));
        QVERIFY(contada);
        QVERIFY(almacen.RegistraCopia(nota, ahora.addSecs(1), contada));
        QCOMPARE(Filas(db, "SELECT Copias FROM AlbaranesCabeceras"), QStringList{"2"});
        QVERIFY(almacen.Guarda(nota)); // unchanged: the count stays
        QVERIFY(almacen.Guarda(ConPeso(nota, 1)));
        std::vector<VersionAlbaran> versiones;
        QVERIFY(almacen.Versiones(nota.NumAlbaran, kDia, versiones));
        QCOMPARE(versiones.at(0).Nota.Copias, 2);
        QCOMPARE(versiones.at(0).Nota.UltimaCopia, ahora.addSecs(1));

        const Dataset impresion = DatasetAlbaran::Crea(nota, datos, ahora, true);
        QCOMPARE(impresion.Item("Cabecera")->Valor(QStringLiteral("Copia")).toString(), "COPIA");
        QVERIFY(DatasetAlbaran::Crea(nota, datos, ahora)
                    .Item("Cabecera")
                    ->Valor(QStringLiteral("Copia"))
                    .toString()
                    .isEmpty());
    }

    // The console prints the same rows; a note that is not stored is told.
    void consola() {
        EntornoPrueba env;
        {
            const AlmacenAlbaranes almacen(env.DatosConBase().Conexion(), ",", "B1");
            QVERIFY(almacen.Guarda(Nota(2)));
            QVERIFY(almacen.Guarda(ConPeso(Nota(2), 2)));
        }
        env.Libera();
        const QStringList comunes = {"--database", env.BaseDatos(), "--settings",
                                     env.ArchivoAjustes()};
        QString salida, errores;
        QTextStream s(&salida), e(&errores);
        QCOMPARE(ComandoHistorial::Ejecuta(
                     QStringList{"pesix", "--history", "V'1", "2026-03-05"} + comunes, s, e),
                 0);
        const QStringList lineas = salida.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lineas.size(), 3);
        QCOMPARE(lineas[0], HistorialAlbaran::Titulos().join('\t'));
        QVERIFY2(lineas[1].startsWith("1\t") && lineas[1].contains("→ 13"), qPrintable(lineas[1]));
        QCOMPARE(ComandoHistorial::Ejecuta(
                     QStringList{"pesix", "--history", "V2", "2026-03-05"} + comunes, s, e),
                 3);
        QCOMPARE(ComandoHistorial::Ejecuta({"pesix", "--history", "V'1"}, s, e), 2);
    }
};

QTEST_GUILESS_MAIN(TestVersionesAlbaran)
#include "tst_versionesalbaran.moc"
