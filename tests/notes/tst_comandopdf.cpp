// The page listing of a stored delivery note, written by the real program as `pesix --pdf` and
// read back with pdftotext: pages, their fixed parts and footer, the columns chosen for
// printing, the totals; the files it refuses to write. (The command line's other failures are
// the export's, tested there.) And the listing's layout: nine columns with no value broken,
// and the bound on what it draws.
#include "app/kelregistry.h"
#include "db/dataset.h"
#include "db/recordsetmemoria.h"
#include "export/listadoalbaran.h"
#include "notedata/almacenalbaranes.h"
#include "support/entornoprueba.h"

#include <QBuffer>
#include <QFile>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

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
// pesix --pdf of note `numero` of 5 March 2026 on the test's database and settings.
int Pdf(const EntornoPrueba& env, const QString& numero, const QString& archivo,
        QByteArray& salida) {
    return Corre(qEnvironmentVariable("PESIX_BUILD_DIR") + "/pesix",
                 {"--pdf", numero, "2026-03-05", archivo, "--database", env.BaseDatos(),
                  "--settings", env.ArchivoAjustes()},
                 salida);
}
} // namespace

class TestComandoPdf : public QObject {
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
        Albaran a;
        a.NumAlbaran = "A/60";
        a.Fecha = QDate(2026, 3, 5);
        a.NomOperario = "Ana";
        a.CodCliente = "C1";
        a.NomCliente = "Bar Pino";
        a.Direccion1 = "Calle Mayor 1";
        a.Direccion2 = "Lleida";
        a.FechaModificacion = QDateTime(QDate(2026, 3, 5), QTime(9, 30));
        a.Impreso = false;
        // Every weight from the scale but line 7's, typed by hand.
        for (int i = 1; i <= 60; ++i)
            a.Lineas.Add({QString("P%1").arg(i, 2, 10, QChar('0')), QString("Producto %1").arg(i),
                          "1", QString("%1,000").arg(i), "0,250", QString("%1,750").arg(i - 1),
                          "1,00", QString("%1,75").arg(i - 1), "10:00:00-05/03/2026",
                          i == 7 ? QString() : QString::number(i)});
        QVERIFY(AlmacenAlbaranes(datos.Conexion(), ",").Guarda(a));
        env.Libera();

        // A password file others can read: libpq's warning about it stays off standard error.
        QFile claves(env.Carpeta() + "/pgpass");
        QVERIFY(claves.open(QIODevice::WriteOnly) && claves.write("*:*:*:*:x\n") > 0);
        claves.close();
        QVERIFY(claves.setPermissions(QFile::Permissions(0x6644)));
        qputenv("PGPASSFILE", claves.fileName().toLocal8Bit());
        const auto sinClaves = qScopeGuard([] { qunsetenv("PGPASSFILE"); });
        const QString pdf = env.Carpeta() + "/a.pdf";
        QByteArray texto;
        QCOMPARE(Pdf(env, "A/60", pdf, texto), 0);
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
        QVERIFY2(todo.contains(QRegularExpression("Totales \u00b7 1 con peso escrito a mano "
                                                  "\\(M\\)\\s+15,000 kg\\s+1815,000 kg")),
                 qPrintable(todo));
    }

    // Written onto the database by any name, onto a FIFO or onto a full disk: refused with
    // status 4 and a message naming the file, nothing written, the database intact.
    void rechazos_data() {
        QTest::addColumn<QString>("archivo");
        QTest::addColumn<QString>("mensaje");
        const QString base = "@/pesix.db es la base de datos en uso";
        QTest::newRow("the database") << "@/pesix.db" << base;
        QTest::newRow("a link to it") << "@/enlace.pdf"
                                      << "@/enlace.pdf es la base de datos";
        QTest::newRow("a hard link") << "@/duro.pdf"
                                     << "@/duro.pdf es la base de datos";
        QTest::newRow("a FIFO") << "@/tubo.pdf"
                                << "@/tubo.pdf no es un archivo normal";
        QTest::newRow("a full disk")
            << "@/lleno/a.pdf"
            << "El disco está lleno: no se ha podido escribir @/lleno/a.pdf";
    }
    void rechazos() {
        QFETCH(QString, archivo);
        QFETCH(QString, mensaje);
        EntornoPrueba env;
        clsDatosApp& datos = env.DatosConBase();
        Albaran a;
        a.NumAlbaran = "A/1";
        a.Fecha = QDate(2026, 3, 5);
        a.NomOperario = "Ana";
        a.CodCliente = "C1";
        a.NomCliente = "Bar Pino";
        a.Direccion1 = "";
        a.Direccion2 = "";
        a.FechaModificacion = QDateTime(QDate(2026, 3, 5), QTime(9, 30));
        a.Impreso = false;
        a.Lineas.Add({"P1", "Producto", "", "10,000", "0,000", "10,000", "1,00", "10,00", ""});
        QVERIFY(AlmacenAlbaranes(datos.Conexion(), ",").Guarda(a));
        env.Libera();
        const QString d = env.Carpeta();
        QVERIFY(QFile::link(env.ArchivoBaseDatos(), d + "/enlace.pdf"));
        QCOMPARE(::link(qPrintable(env.ArchivoBaseDatos()), qPrintable(d + "/duro.pdf")), 0);
        QCOMPARE(::mkfifo(qPrintable(d + "/tubo.pdf"), 0600), 0);
        QVERIFY(QDir().mkdir(d + "/lleno"));
        // A disk of one page, which the listing does not fit.
        const bool disco = QTest::currentDataTag() == QByteArray("a full disk");
        if (disco && QProcess::execute(
                         "mount", {"-t", "tmpfs", "-o", "size=4k", "tmpfs", d + "/lleno"}) != 0)
            QSKIP("mounting a small disk needs the superuser");
        const auto desmonta = qScopeGuard([&] {
            if (disco)
                QProcess::execute("umount", {d + "/lleno"});
        });
        archivo.replace("@", d);
        mensaje.replace("@", d);
        QFile base(env.ArchivoBaseDatos());
        QVERIFY(base.open(QIODevice::ReadOnly));
        const QByteArray antes = base.readAll();
        base.close();

        QByteArray texto;
        QCOMPARE(Pdf(env, "A/1", archivo, texto), 4);
        QVERIFY2(texto.contains(mensaje.toUtf8()), texto.constData());
        QVERIFY(base.open(QIODevice::ReadOnly));
        QCOMPARE(base.readAll(), antes);
        QVERIFY(QFileInfo(d + "/enlace.pdf").isSymLink());
        struct stat tubo {};
        QVERIFY(::lstat(qPrintable(d + "/tubo.pdf"), &tubo) == 0 && S_ISFIFO(tubo.st_mode));
        QCOMPARE(QDir(d + "/lleno").entryList(QDir::Files), QStringList());
    }

    // A note with all nine columns printed: no value is broken (each whole on its line of the
    // text), titles break between words only; wide values make the type smaller or the page
    // landscape. A 50-character customer name is whole in the box; company lines and labels
    // with no value are left out.
    void nueveColumnas_data() {
        QTest::addColumn<double>("peso");
        QTest::addColumn<QString>("codigo");
        QTest::addColumn<bool>("reduce");
        QTest::newRow("ordinary values") << 51.95 << "P1" << false;
        QTest::newRow("wide values") << 9999999.999 << "LIM-EXTRA-00001" << true;
    }
    void nueveColumnas() {
        QFETCH(double, peso);
        QFETCH(QString, codigo);
        QFETCH(bool, reduce);
        using T = Recordset::Tipo;
        const QString cliente = "Cooperativa Agrícola i Ramadera de l'Alt Empordà R";
        QCOMPARE(cliente.size(), 50);
        const auto tabla = [](const QStringList& campos, const QList<T>& tipos,
                              const QList<QVariantList>& filas) {
            auto r = std::make_shared<RecordsetMemoria>();
            for (int i = 0; i < campos.size(); ++i)
                r->AgregaCampo(campos.at(i), tipos.at(i));
            for (const QVariantList& f : filas)
                r->AgregaRegistro(f);
            return r;
        };
        Dataset datos;
        datos.Add(tabla({"Nombre", "NIF", "Linea1", "Linea2", "Linea3"},
                        {T::Texto, T::Texto, T::Texto, T::Texto, T::Texto},
                        {{"Frutas Roca", "", "", "Camí Vell 2", ""}}),
                  "Empresa");
        datos.Add(tabla({"NumAlbaran", "Fecha", "CodCliente", "NomCliente", "Direccion1",
                         "FechaModificacion", "TotalBruto", "TotalTara", "TotalNeto", "TotalPrecio",
                         "LineasManuales"},
                        {T::Texto, T::Fecha, T::Texto, T::Texto, T::Texto, T::FechaHora, T::Doble,
                         T::Doble, T::Doble, T::Doble, T::Entero},
                        {{"A/1", QDate(2026, 12, 7), "C1", cliente, "Pl. Major 1",
                          QDateTime(QDate(2026, 12, 7), QTime(11, 53)), 3 * peso, 0.75,
                          3 * peso - 0.75, 3 * peso * 12.5, 1}}),
                  "Cabecera");
        QList<QVariantList> lineas;
        for (int i = 0; i < 3; ++i)
            lineas.append({codigo, "Tomate pera", "1", peso, 0.25, peso - 0.25, 12.5, peso * 12.5,
                           "11:52:51-07/12/2026", i == 1 ? "M" : ""});
        datos.Add(tabla({"CodProducto", "NomProducto", "CodTara", "PesoBruto", "PesoTara",
                         "PesoNeto", "Precio", "PesoImporte", "HoraPesada", "Manual"},
                        {T::Texto, T::Texto, T::Texto, T::Doble, T::Doble, T::Doble, T::Doble,
                         T::Doble, T::Texto, T::Texto},
                        lineas),
                  "Detalle");
        ListadoAlbaran::Opciones o;
        o.columnasImpresas.fill(true);
        o.unidad = "Kg";
        o.separadorDecimal = ",";
        const ListadoAlbaran listado(datos, o);
        QBuffer nada;
        QPdfWriter escritor(&nada);
        const ListadoAlbaran::Formato f = listado.Disposicion(escritor);
        QCOMPARE(f.puntos < 8 || f.apaisada, reduce);
        QVERIFY(!f.partePalabras);
        QTemporaryDir carpeta;
        const QString pdf = carpeta.filePath("a.pdf");
        QVERIFY(listado.GuardaPdf(pdf));
        QByteArray salida;
        QCOMPARE(Corre("pdftotext", {"-layout", pdf, "-"}, salida), 0);
        const QString texto = QString::fromUtf8(salida);
        const QString n = [](double x) {
            return QString::number(x, 'f', 3).replace('.', ",");
        }(peso);
        const QString importe = QString::number(peso * 12.5, 'f', 2).replace('.', ",");
        for (const QString& valor :
             QStringList{"11:52:51-07/12/2026", n + " Kg", codigo, importe, "12,50"})
            QVERIFY2(texto.count(valor) >= 3, qPrintable(valor + "\n" + texto));
        for (const QString& palabra : cliente.split(' '))
            QVERIFY2(texto.contains(palabra), qPrintable(palabra));
        QVERIFY(texto.contains("Frutas Roca") && texto.contains("Camí Vell 2"));
        // The weight typed by hand carries its mark, and the totals count it.
        QCOMPARE(texto.count("M " + n + " Kg"), 1);
        QVERIFY2(QString(texto).remove(QRegularExpression("\\s+")).contains("Totales\u00b71con"),
                 qPrintable(texto));
        for (const char* huerfano : {"N.I.F.", "Impreso:", "Roca -"})
            QVERIFY2(!texto.contains(huerfano), huerfano);
    }

    // Texts as long as a settings file or a data set may bring: each drawn within a bound, so
    // that a one-line note still takes one page, however long the unit or the company lines.
    void textosLargos_data() {
        QTest::addColumn<QString>("unidad");
        QTest::addColumn<QString>("empresa");
        QTest::newRow("short") << "kg"
                               << "Frutas Martínez";
        QTest::newRow("long unit") << QString(100000, 'k') << "Frutas Martínez";
        QTest::newRow("long company line") << "kg" << QString(100000, 'e');
        QTest::newRow("long words")
            << QString("kg ").repeated(30000) << QString("e ").repeated(50000);
    }
    void textosLargos() {
        QFETCH(QString, unidad);
        QFETCH(QString, empresa);
        using T = Recordset::Tipo;
        Dataset datos;
        auto detalle = std::make_shared<RecordsetMemoria>();
        detalle->AgregaCampo("CodProducto", T::Texto);
        detalle->AgregaCampo("NomProducto", T::Texto);
        detalle->AgregaCampo("PesoNeto", T::Doble);
        detalle->AgregaRegistro({"P1", "Producto", 10.0});
        datos.Add(detalle, "Detalle");
        auto compania = std::make_shared<RecordsetMemoria>();
        compania->AgregaCampo("Linea1", T::Texto);
        compania->AgregaCampo("Nombre", T::Texto);
        compania->AgregaRegistro({empresa, empresa});
        datos.Add(compania, "Empresa");
        ListadoAlbaran::Opciones o;
        o.columnasImpresas = {true, true, false, false, false, true, false, false, false};
        o.unidad = unidad;
        const ListadoAlbaran listado(datos, o);
        QBuffer pdf;
        QVERIFY(pdf.open(QIODevice::WriteOnly));
        QPdfWriter escritor(&pdf);
        int paginas = 0;
        QVERIFY(listado.Dibuja(escritor, [&](int, int total) {
            paginas = total;
            return true;
        }));
        QCOMPARE(paginas, 1);
    }
};

QTEST_MAIN(TestComandoPdf)
#include "tst_comandopdf.moc"
