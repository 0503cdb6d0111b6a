// The page listing of a stored delivery note, written by the real program as `pesix --pdf` and
// read back with pdftotext: pages, their fixed parts and footer, the columns chosen for
// printing, the totals. (The command line's failures are the export's, tested there.)
#include "app/kelregistry.h"
#include "notes/almacenalbaranes.h"
#include "support/entornoprueba.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {
// Runs a program without a display; its exit code (-1 when it did not end) and its output.
int Corre(const QString& programa, const QStringList& argumentos, QByteArray& salida) {
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        e.remove(v);
    p.setProcessEnvironment(e);
    p.start(programa, argumentos);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return -1;
    salida = p.readAllStandardOutput() + p.readAllStandardError();
    return p.exitCode();
}
} // namespace

class TestListadoOrdenes : public QObject {
    Q_OBJECT

private slots:
    // A note of 60 lines, line i of product Pi with i kg gross and 0.25 kg of tare, printed with
    // the default choice of columns: codes, names, tare and net weight.
    void paginas_data() { EntornoPrueba::FilasPorMotor(); }
    void paginas() {
        QFETCH(Motor, motor);
        PESIX_REQUIERE(motor);
        EntornoPrueba env(motor);
        kelRegistry::SaveAppString("\\Empresa", "Cliente", "Frutas Martínez S.L.");
        kelRegistry::SaveAppString("\\Internacional", "sDecimal", ",");
        clsDatosApp& datos = env.DatosConBase();
        for (int i = 0; i < 3; ++i)
            datos.SetDatosEmpresa(i, QString("Empresa línea %1").arg(i + 1));
        for (int k = 1; k <= 9; ++k)
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
        QVERIFY(AlmacenAlbaranes(datos.Conexion(), ",").Guarda(a));
        env.Libera();

        const QString pdf = env.Carpeta() + "/a.pdf";
        QByteArray texto;
        QCOMPARE(Corre(qEnvironmentVariable("PESIX_BUILD_DIR") + "/pesix",
                       {"--pdf", "A/60", "2026-03-05", pdf, "--database", env.BaseDatos(),
                        "--settings", env.ArchivoAjustes()},
                       texto),
                 0);
        QCOMPARE(texto, QByteArray()); // nothing on standard error
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
            QVERIFY2(p.contains(QRegularExpression("Código\\s+Producto\\s+Peso tara\\s+Peso neto")),
                     qPrintable(p));
            for (const char* otro : {"Peso bruto", "Precio", "Hora pesada", "Código tara"})
                QVERIFY2(!p.contains(otro), otro);
            QCOMPARE(p.count("Totales"), n == paginas.size() - 1 ? 1 : 0);
        }
        // Every line once; the sums of tare and net weight.
        const QString todo = paginas.join('\n');
        QCOMPARE(
            todo.count(QRegularExpression("P\\d\\d\\s+Producto \\d+\\s+0,250 kg\\s+\\d+,750 kg")),
            60);
        QVERIFY(todo.contains(QRegularExpression("Totales\\s+15,000 kg\\s+1815,000 kg")));
    }
};

QTEST_GUILESS_MAIN(TestListadoOrdenes)
#include "tst_listadoordenes.moc"
