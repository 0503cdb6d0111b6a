// The page listing of a stored delivery note, written by the real program as `pesix --pdf` and
// read back with pdftotext: pages, their fixed parts and footer, the columns chosen for
// printing, the totals; and the command's failures, which leave the file alone.
#include "app/kelregistry.h"
#include "notes/almacenalbaranes.h"
#include "support/entornoprueba.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {
// Runs a program; its exit code (-1 when it did not end) and what it wrote.
int Corre(const QString& programa, const QStringList& argumentos, QByteArray& salida,
          QByteArray* errores = nullptr) {
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        e.remove(v); // no display is needed
    p.setProcessEnvironment(e);
    p.start(programa, argumentos);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return -1;
    salida = p.readAllStandardOutput();
    if (errores)
        *errores = p.readAllStandardError();
    return p.exitCode();
}

// A note of 60 lines: product P01.. P60, a gross weight of i kg and 0.25 kg of tare on line i.
struct Mundo {
    EntornoPrueba env;
    bool guardado = false;
    Mundo() {
        kelRegistry::SaveAppString("\\Empresa", "Cliente", "Frutas Martínez S.L.");
        kelRegistry::SaveAppString("\\Empresa", "NIFCliente", "B12345678");
        kelRegistry::SaveAppString("\\Internacional", "sDecimal", ",");
        clsDatosApp& datos = env.DatosConBase();
        for (int i = 0; i < 3; ++i)
            datos.SetDatosEmpresa(i, QString("Empresa línea %1").arg(i + 1));
        for (int k = 1; k <= 9; ++k) // the default choice: codes, names, tare and net
            datos.SetColImpresas(k, k == 1 || k == 2 || k == 5 || k == 6);
        datos.SetUnidadMedida("kg");
        datos.GuardaConfiguracion();
        Albaran a{"A/60",     QDate(2026, 3, 5),
                  "Ana",      "C1",
                  "Bar Pino", "Calle Mayor 1",
                  "Lleida",   QDateTime(QDate(2026, 3, 5), QTime(9, 30)),
                  false,      {}};
        for (int i = 1; i <= 60; ++i)
            a.Lineas.Add({QString("P%1").arg(i, 2, 10, QChar('0')), QString("Producto %1").arg(i),
                          "1", QString("%1,000").arg(i), "0,250", QString("%1,750").arg(i - 1),
                          "1,00", QString("%1,75").arg(i - 1), "10:00:00-05/03/2026"});
        guardado = AlmacenAlbaranes(datos.Conexion(), ",").Guarda(a).Ok();
        env.Libera();
    }
    // The test's database and settings come first: later options override them.
    int Pdf(const QStringList& argumentos, QByteArray* errores = nullptr) const {
        QByteArray salida;
        return Corre(qEnvironmentVariable("PESIX_BUILD_DIR") + "/pesix",
                     QStringList{"--database", env.ArchivoBaseDatos(), "--settings",
                                 env.ArchivoAjustes(), "--pdf"} +
                         argumentos,
                     salida, errores);
    }
};
} // namespace

class TestListadoOrdenes : public QObject {
    Q_OBJECT

private slots:
    void paginas() {
        Mundo m;
        QVERIFY(m.guardado);
        const QString pdf = m.env.Carpeta() + "/a.pdf";
        QByteArray errores;
        QCOMPARE(m.Pdf({"A/60", "2026-03-05", pdf}, &errores), 0);
        QCOMPARE(errores, QByteArray());
        QByteArray texto;
        QCOMPARE(Corre("pdftotext", {"-layout", pdf, "-"}, texto), 0);
        QStringList paginas = QString::fromUtf8(texto).split('\f');
        paginas.removeLast(); // after the last page's form feed
        QVERIFY2(paginas.size() >= 2, texto.constData());
        for (int n = 0; n < paginas.size(); ++n) {
            const QString& p = paginas.at(n);
            for (const QString& esperado :
                 QStringList{"Empresa línea 1", "Empresa línea 2", "Empresa línea 3",
                             "Albarán de pesaje", "Fecha: 05/03/2026", "Nº Albarán: A/60",
                             "Bar Pino", "Calle Mayor 1", "Actualizado: 05/03/2026 09:30",
                             "Operario: Ana", QString("Página: %1").arg(n + 1)})
                QVERIFY2(p.contains(esperado),
                         qPrintable(QString("page %1: %2").arg(n + 1).arg(esperado)));
            // Only the printed columns, in their order.
            static const QRegularExpression cabecera(
                "Código\\s+Producto\\s+Peso tara\\s+Peso neto");
            QVERIFY2(p.contains(cabecera), qPrintable(p));
            for (const char* otro : {"Peso bruto", "Precio", "Hora pesada", "Código tara"})
                QVERIFY2(!p.contains(otro), otro);
            QCOMPARE(p.count("Totales"), n == paginas.size() - 1 ? 1 : 0);
        }
        // Every line once, in order; no gross weight; the sums of tare and net weight.
        const QString todo = paginas.join('\n');
        qsizetype desde = 0;
        for (int i = 1; i <= 60; ++i) {
            const QRegularExpression linea(QString("P%1\\s+Producto %2\\s+0,250 kg\\s+%3,750 kg")
                                               .arg(i, 2, 10, QChar('0'))
                                               .arg(i)
                                               .arg(i - 1));
            const qsizetype donde = todo.indexOf(linea, desde);
            QVERIFY2(donde >= desde, qPrintable(linea.pattern()));
            desde = donde;
        }
        QVERIFY(!todo.contains("60,000 kg"));
        QVERIFY(todo.contains(QRegularExpression("Totales\\s+15,000 kg\\s+1815,000 kg")));
    }

    void fallos_data() {
        // "@" is the test's folder.
        QTest::addColumn<QStringList>("argumentos");
        QTest::addColumn<int>("codigo");
        QTest::addColumn<QString>("mensaje");
        QTest::newRow("no such day")
            << QStringList{"A/60", "2026-02-30", "@/a.pdf"} << 2 << "not a date";
        QTest::newRow("no file") << QStringList{"A/60", "2026-03-05"} << 2 << "usage";
        QTest::newRow("unknown option")
            << QStringList{"A/60", "2026-03-05", "@/a.pdf", "--zoom=2"} << 2 << "unknown option";
        QTest::newRow("no such note") << QStringList{"A/60", "2026-03-06", "@/a.pdf"} << 3
                                      << "no delivery note A/60 of 2026-03-06";
        QTest::newRow("missing database")
            << QStringList{"A/60", "2026-03-05", "@/a.pdf", "--database", "@/otra.db"} << 3
            << "database not found";
        QTest::newRow("missing folder")
            << QStringList{"A/60", "2026-03-05", "@/no/a.pdf"} << 4 << "cannot write";
    }

    void fallos() {
        QFETCH(QStringList, argumentos);
        QFETCH(int, codigo);
        QFETCH(QString, mensaje);
        Mundo m;
        QVERIFY(m.guardado);
        QFile anterior(m.env.Carpeta() + "/a.pdf");
        QVERIFY(anterior.open(QIODevice::WriteOnly) && anterior.write("before") == 6);
        anterior.close();
        for (QString& a : argumentos)
            a.replace('@', m.env.Carpeta());
        QByteArray errores;
        QCOMPARE(m.Pdf(argumentos, &errores), codigo);
        QVERIFY2(errores.startsWith("pesix: ") && errores.count('\n') == 1 &&
                     errores.contains(mensaje.toUtf8()),
                 errores.constData());
        QVERIFY(anterior.open(QIODevice::ReadOnly));
        QCOMPARE(anterior.readAll(), QByteArray("before"));
        QVERIFY(!QFile::exists(m.env.ArchivoBaseDatos().replace("pesix.db", "otra.db")));
    }
};

QTEST_GUILESS_MAIN(TestListadoOrdenes)
#include "tst_listadoordenes.moc"
