// Export speed and memory over 1,000,000 delivery-note lines (50,000 notes of 20 lines).
// Speed: the CSV export against the sqlite3 shell writing the same query in its CSV mode, in the
// same run; each side runs three times, alternately, and the best time of each counts.
// Memory: the peak resident memory of the program exporting everything to XML
// (`pesix --export`), against that of the sqlite3 shell writing the same rows; the goal is under
// 100 MB. The last line printed is
// "ratio=<our CSV time / sqlite3 time> xml_peak_mb=<our XML peak> mem_ratio=<our peak / sqlite3>
// pg_ratio=<our CSV time / psql \copy time> pdf_peak_mb=<--pdf peak, 1,000 lines>/<100,000>".
// One argument runs one part alone, and prints only its figures: "sqlite" the CSV speed on the
// file, "pg" the CSV speed on the server (which then builds no file database).
#include "app/clsdatosapp.h"
#include "app/kelregistry.h"
#include "db/basedatos.h"
#include "export/exportaalbaranes.h"
#include "medidaproceso.h"
#include "support/servidorpostgres.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>
#include <QUrlQuery>
#include <cstdio>
#include <functional>

namespace {
constexpr int kAlbaranes = 50000;
constexpr int kLineas = 20;
constexpr int kRondas = 3;

bool Crea(QSqlDatabase db) {
    if (!db.transaction())
        return false;
    QSqlQuery cab(db), det(db);
    cab.prepare(
        "INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, CodCliente, NomCliente, "
        "Direccion1, Direccion2, FechaModificacion, Impreso) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    det.prepare("INSERT INTO AlbaranesDetalle VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, NULL)");
    const QDate inicio(2020, 1, 1);
    for (int a = 0; a < kAlbaranes; ++a) {
        const QString numero = QString::number(a + 1);
        const QDate fecha = inicio.addDays(a / 50);
        const QString fechaSql = BaseDatos::FechaSQL(fecha);
        const QString cliente = QString("C%1").arg(a % 300);
        cab.addBindValue(numero);
        cab.addBindValue(fechaSql);
        cab.addBindValue(QString("Operario %1").arg(a % 7));
        cab.addBindValue(cliente);
        cab.addBindValue(QString("Cliente %1, S.L.").arg(a % 300));
        cab.addBindValue(QString("Calle %1").arg(a % 97));
        cab.addBindValue(a % 3
                             ? QVariant(QString("08%1 Barcelona").arg(a % 1000, 3, 10, QChar('0')))
                             : QVariant());
        cab.addBindValue(fechaSql + " 18:30:00");
        cab.addBindValue(a % 2);
        if (!cab.exec()) {
            std::fprintf(stderr, "%s\n", qPrintable(cab.lastError().text()));
            return false;
        }
        for (int l = 1; l <= kLineas; ++l) {
            const double bruto = 100.0 + (a * 7 + l * 13) % 900 + l * 0.125;
            const double tara = 0.5 * (l % 5);
            const double precio = 0.25 + (l % 9) * 0.35;
            det.addBindValue(numero);
            det.addBindValue(fechaSql);
            det.addBindValue(l);
            det.addBindValue(QString("P%1").arg(l % 40));
            det.addBindValue(QString("Producto número %1").arg(l % 40));
            det.addBindValue(l % 5);
            det.addBindValue(bruto);
            det.addBindValue(tara);
            det.addBindValue(bruto - tara);
            det.addBindValue(precio);
            det.addBindValue((bruto - tara) * precio);
            det.addBindValue(
                QString("10:%1:00-%2").arg(l, 2, 10, QChar('0')).arg(fecha.toString("dd/MM/yyyy")));
            if (!det.exec()) {
                std::fprintf(stderr, "%s\n", qPrintable(det.lastError().text()));
                return false;
            }
        }
    }
    return db.commit();
}

// The same notes, made by the server itself.
const char* kCreaPostgres =
    "INSERT INTO AlbaranesCabeceras SELECT a + 1, DATE '2020-01-01' + a / 50, 'Operario ' || a % 7,"
    " 'C' || a % 300, 'Cliente ' || a % 300 || ', S.L.', 'Calle ' || a % 97, CASE WHEN a % 3 > 0"
    " THEN '08' || lpad((a % 1000)::text, 3, '0') || ' Barcelona' END, (DATE '2020-01-01' + a /"
    " 50) + TIME '18:30', a % 2 = 1 FROM generate_series(0, 49999) a;"
    "INSERT INTO AlbaranesDetalle SELECT a + 1, DATE '2020-01-01' + a / 50, l, 'P' || l % 40,"
    " 'Producto número ' || l % 40, l % 5, 100.0 + (a * 7 + l * 13) % 900 + l * 0.125,"
    " 0.5 * (l % 5), 100.0 + (a * 7 + l * 13) % 900 + l * 0.125 - 0.5 * (l % 5),"
    " 0.25 + (l % 9) * 0.35, (100.0 + (a * 7 + l * 13) % 900 + l * 0.125 - 0.5 * (l % 5)) *"
    " (0.25 + (l % 9) * 0.35), '10:' || lpad(l::text, 2, '0') || ':00-' || to_char(DATE"
    " '2020-01-01' + a / 50, 'DD/MM/YYYY'), NULL FROM generate_series(0, 49999) a,"
    " generate_series(1, 20) l;ANALYZE";

qint64 Lineas(const QString& ruta) {
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    qint64 n = 0;
    while (!f.atEnd()) {
        const QByteArray b = f.read(1 << 20);
        n += b.count('\n');
    }
    return n;
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QString parte = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (!parte.isEmpty() && parte != u"sqlite" && parte != u"pg") {
        std::fprintf(stderr, "usage: bench_export [sqlite|pg]\n");
        return 2;
    }
    const bool todo = parte.isEmpty();
    QTemporaryDir dir;
    kelRegistry::UsaArchivoIni(dir.filePath("ajustes.ini"));
    kelRegistry::SaveAppString("\\Internacional", "sList", ",");
    kelRegistry::SaveAppString("\\Internacional", "sDecimal", ".");
    clsDatosApp datos;
    // BENCH_EXPORT_DB keeps the database at that path between runs (built when missing).
    const QString guardada = qEnvironmentVariable("BENCH_EXPORT_DB");
    const bool reutiliza = !guardada.isEmpty() && QFile::exists(guardada);
    datos.SetBaseDatos(guardada.isEmpty() ? dir.filePath("bench.db") : guardada);
    if (const Resultado abierta = BaseDatos::AbreBaseDatos(datos); !abierta) {
        std::fprintf(stderr, "database: %s\n", qPrintable(abierta.Error()));
        return 1;
    }
    QElapsedTimer reloj;
    reloj.start();
    const qint64 filas = qint64(kAlbaranes) * kLineas;
    if (parte != u"pg") {
        if (!reutiliza && !Crea(datos.Conexion()))
            return 1;
        std::printf("database: %d notes, %lld lines, %s in %.2f s\n", kAlbaranes, filas,
                    reutiliza ? "reused" : "built", double(reloj.elapsed()) / 1000.0);
    }

    const QDate desde(2020, 1, 1), hasta(2030, 12, 31);
    const QString consulta = ExportaAlbaranes::ConsultaLiteral(desde, hasta);
    const QString nuestro = dir.filePath("pesix.csv");
    // The best of three rounds of each side, alternately, as our time over theirs; 0 when one
    // failed.
    const auto mide = [&](const char* nombre, QSqlDatabase db, const QString& suyo,
                          const std::function<QProcess*()>& referencia) {
        double mejorNuestro = 1e30, mejorSuyo = 1e30;
        for (int ronda = 1; ronda <= kRondas; ++ronda) {
            ExportaAlbaranes exporta(db, datos.SeparadorListas(),
                                     FormatoValores(datos.SeparadorDecimal(), QLocale()));
            reloj.restart();
            const Resultado r = exporta.Exporta(desde, hasta, nuestro);
            const double t1 = double(reloj.nsecsElapsed()) / 1e9;
            if (!r || exporta.Filas() != filas) {
                std::fprintf(stderr, "export failed: %s (%lld rows)\n", qPrintable(r.Error()),
                             exporta.Filas());
                return 0.0;
            }
            reloj.restart();
            const std::unique_ptr<QProcess> p(referencia());
            p->waitForFinished(-1);
            const double t2 = double(reloj.nsecsElapsed()) / 1e9;
            if (p->exitCode() != 0 || Lineas(suyo) != filas + 1) {
                std::fprintf(stderr, "%s failed: %s\n", nombre,
                             p->readAllStandardError().constData());
                return 0.0;
            }
            std::printf("round %d: pesix %.3f s, %s %.3f s\n", ronda, t1, nombre, t2);
            mejorNuestro = std::min(mejorNuestro, t1);
            mejorSuyo = std::min(mejorSuyo, t2);
        }
        if (Lineas(nuestro) != filas + 1) {
            std::fprintf(stderr, "the export has %lld lines\n", Lineas(nuestro));
            return 0.0;
        }
        std::printf("pesix export (CSV): %lld rows in %.3f s, %.0f rows/s, %lld bytes\n", filas,
                    mejorNuestro, filas / mejorNuestro, qint64(QFile(nuestro).size()));
        std::printf("%s: %lld rows in %.3f s, %.0f rows/s, %lld bytes\n", nombre, filas, mejorSuyo,
                    filas / mejorSuyo, qint64(QFile(suyo).size()));
        return mejorNuestro / mejorSuyo;
    };
    QStringList cifras; // the last line's figures
    double picoNuestro = 0;
    if (parte != u"pg") {
        const QString suyo = dir.filePath("sqlite3.csv");
        const QByteArray guion =
            ".headers on\n.mode csv\n.output " + suyo.toUtf8() + "\n" + consulta.toUtf8() + ";\n";
        const double ratio = mide("sqlite3 .mode csv", datos.Conexion(), suyo, [&] {
            auto* p = new QProcess;
            p->start("sqlite3", {datos.BaseDatos()});
            p->write(guion);
            p->closeWriteChannel();
            return p;
        });
        if (ratio == 0)
            return 1;
        cifras << QString::asprintf("ratio=%.3f", ratio);
        if (todo) {

            // Peak memory of the whole range exported to XML, and of the sqlite3 shell reading it.
            const QString xml = dir.filePath("pesix.xml");
            picoNuestro =
                MedidaProceso::Pico({PESIX_BINARIO, "--export", desde.toString(Qt::ISODate),
                                     hasta.toString(Qt::ISODate), xml, "--database",
                                     datos.BaseDatos(), "--settings", dir.filePath("ajustes.ini")},
                                    dir.filePath("salida.txt"));
            const double picoSuyo =
                MedidaProceso::Pico({"sqlite3", "-csv", "-header", datos.BaseDatos(),
                                     ExportaAlbaranes::ConsultaLiteral(desde, hasta)},
                                    suyo);
            if (picoNuestro < 0 || picoSuyo <= 0) {
                std::fprintf(stderr, "the XML export or the sqlite3 shell failed\n");
                return 1;
            }
            std::printf(
                "pesix export (XML): %lld bytes, peak memory %.1f MB (goal: under 100 MB)\n",
                qint64(QFile(xml).size()), picoNuestro);
            std::printf("sqlite3 -csv, same rows: peak memory %.1f MB\n", picoSuyo);
            cifras << QString::asprintf("xml_peak_mb=%.1f mem_ratio=%.2f", picoNuestro,
                                        picoNuestro / picoSuyo);

            // Peak memory of `pesix --pdf` over a note of 1,000 lines and one of 100,000, in a
            // database of their own: the lines are read as they are drawn, so the two should be
            // close.
            clsDatosApp notas;
            notas.SetBaseDatos(dir.filePath("notas.db"));
            double picoPdf[2] = {-1, -1};
            if (const Resultado abierta = BaseDatos::AbreBaseDatos(notas); !abierta) {
                std::fprintf(stderr, "notes database: %s\n", qPrintable(abierta.Error()));
                return 1;
            }
            for (const int n : {1000, 100000}) {
                const QString numero = QString::number(n);
                QSqlQuery q(notas.Conexion());
                const bool hecho =
                    q.exec("INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, "
                           "CodCliente, "
                           "NomCliente, Direccion1, Direccion2, FechaModificacion, Impreso) VALUES "
                           "('" +
                           numero +
                           "', '2026-03-05', 'Ana', 'C1', 'Bar Pino', 'Calle 1', NULL, "
                           "'2026-03-05 18:30:00', 0)") &&
                    q.exec(
                        "WITH RECURSIVE s(l) AS (SELECT 1 UNION ALL SELECT l + 1 FROM s WHERE l "
                        "< " +
                        numero + ") INSERT INTO AlbaranesDetalle SELECT '" + numero +
                        "', '2026-03-05', l, 'P' || (l % 40), 'Producto número ' || (l % 40), "
                        "l % 5, 100 + l % 900, 0.5 * (l % 5), 100 + l % 900 - 0.5 * (l % 5), 1.25, "
                        "(100 + l % 900 - 0.5 * (l % 5)) * 1.25, '10:00:00-05/03/2026', NULL FROM "
                        "s");
                if (!hecho) {
                    std::fprintf(stderr, "notes database: %s\n", qPrintable(q.lastError().text()));
                    return 1;
                }
                reloj.restart();
                const QString pdf = dir.filePath("nota.pdf");
                picoPdf[n > 1000] = MedidaProceso::Pico(
                    {PESIX_BINARIO, "--pdf", numero, "2026-03-05", pdf, "--database",
                     notas.BaseDatos(), "--settings", dir.filePath("ajustes.ini")},
                    dir.filePath("salida.txt"));
                if (picoPdf[n > 1000] < 0) {
                    std::fprintf(stderr, "pesix --pdf failed\n");
                    return 1;
                }
                std::printf(
                    "pesix --pdf, a note of %d lines: %lld bytes in %.2f s, peak memory %.1f MB\n",
                    n, qint64(QFile(pdf).size()), double(reloj.elapsed()) / 1000.0,
                    picoPdf[n > 1000]);
            }
            cifras << QString::asprintf("pdf_peak_mb=%.1f/%.1f", picoPdf[0], picoPdf[1]);
        }
    }

    if (parte == u"sqlite") {
        std::printf("%s\n", qPrintable(cifras.join(u' ')));
        return 0;
    }
    // The same lines on a server, against psql's \\copy of the same query.
    QString pg = "none (" + ServidorPostgres::Falta() + ")";
    if (ServidorPostgres* servidor = ServidorPostgres::Comun()) {
        const QString direccion = servidor->NuevaBase();
        clsDatosApp enServidor;
        enServidor.SetBaseDatos(direccion);
        const QString base = QUrl(direccion).path().mid(1);
        reloj.restart();
        const Resultado abierta = BaseDatos::AbreBaseDatos(enServidor);
        const QString error = abierta ? servidor->Ejecuta(base, kCreaPostgres) : abierta.Error();
        if (!error.isEmpty()) {
            std::fprintf(stderr, "server database: %s\n", qPrintable(error));
            return 1;
        }
        std::printf("server database: %lld lines built in %.2f s\n", filas,
                    double(reloj.elapsed()) / 1000.0);
        const QString copia = dir.filePath("psql.csv");
        const QString socket =
            QUrlQuery(QUrl(direccion)).queryItemValue("host", QUrl::FullyDecoded);
        const double ratioPg = mide("psql \\copy csv", enServidor.Conexion(), copia, [&] {
            auto* p = new QProcess;
            p->start("psql", {"-X", "-q", "-h", socket, "-U", "postgres", "-d", base, "-c",
                              "\\copy (" + consulta + ") to '" + copia + "' csv header"});
            return p;
        });
        if (ratioPg == 0)
            return 1;
        pg = QString::number(ratioPg, 'f', 3);
    }
    // pg_ratio stands before pdf_peak_mb, as it always has.
    cifras.insert(todo ? 2 : 0, "pg_ratio=" + pg);
    std::printf("%s\n", qPrintable(cifras.join(u' ')));
    return picoNuestro < 100 ? 0 : 1;
}
