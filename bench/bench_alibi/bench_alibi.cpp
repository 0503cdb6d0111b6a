// `pesix --verify-alibi` over a weighing log of 1,000,000 entries, each taken into a line of a
// stored note, against `sha256sum` reading the same canonical text (written to a file first),
// in the same run. The check's peak memory is measured on the full log and on a tenth of it
// (memory stays flat when the two are alike). Then the cost of taking a weight: adding one log
// entry against saving the note's line, on the full file.
//
//     build/bench/bench_alibi/bench_alibi [entries]      (BENCH_ALIBI_KEEP=1 keeps the files)
//
// The last line is "ratio=<verify / sha256sum> entries_per_s=<entries checked per second>".

#include "app/clsdatosapp.h"
#include "app/kelregistry.h"
#include "db/basedatos.h"
#include "db/registropesadas.h"
#include "medidaproceso.h"
#include "notedata/almacenalbaranes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>

namespace {
constexpr int kLineasNota = 1000;
const char* const kPuestos[] = {"Báscula 1", "Báscula 2"};

double Mediana(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

// Opens (and creates) a database of the program's schema.
bool Abre(clsDatosApp& datos, const QString& ruta) {
    datos.SetBaseDatos(ruta);
    if (const Resultado abierta = BaseDatos::AbreBaseDatos(datos); !abierta) {
        std::fprintf(stderr, "bench_alibi: %s\n", qPrintable(abierta.Error()));
        return false;
    }
    return true;
}

// Writes `entradas` chained entries of two stations, and a line taking each, in one
// transaction with SQLite's own calls; the canonical text of every entry goes to `canonico`.
bool Llena(const QString& ruta, qint64 entradas, const QString& canonico) {
    QFile texto(canonico);
    if (!texto.open(QIODevice::WriteOnly))
        return false;
    sqlite3* db = nullptr;
    if (sqlite3_open(ruta.toUtf8().constData(), &db) != SQLITE_OK)
        return false;
    sqlite3_exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN", nullptr, nullptr,
                 nullptr);
    sqlite3_stmt *entrada = nullptr, *linea = nullptr, *nota = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO RegistroPesadas (IdPesada, FechaHora, Puesto, Evento, "
                       "TipoBascula, Peso, Decimales, Unidad, Estado, Bruto, Trama, "
                       "HuellaAnterior, Huella) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                       -1, &entrada, nullptr);
    sqlite3_prepare_v2(db,
                       "INSERT INTO AlbaranesDetalle (NumAlbaran, Fecha, NumLinea, CodProducto, "
                       "NomProducto, CodTara, PesoBruto, PesoTara, PesoNeto, Precio, PesoImporte, "
                       "HoraPesada, IdPesada) VALUES (?, ?, ?, 'P1', 'Peras', NULL, ?, 0, ?, 1.2, "
                       "?, ?, ?)",
                       -1, &linea, nullptr);
    sqlite3_prepare_v2(db,
                       "INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, "
                       "CodCliente, NomCliente, FechaModificacion, Impreso) VALUES (?, ?, 'Ana', "
                       "'C1', 'Frutas', ?, 0)",
                       -1, &nota, nullptr);
    QString anterior[2] = {RegistroPesadas::HuellaInicial(), RegistroPesadas::HuellaInicial()};
    const QDateTime inicio(QDate(2026, 1, 1), QTime(6, 0));
    for (qint64 i = 1; i <= entradas; ++i) {
        RegistroPesadas::Entrada e;
        e.idPesada = i;
        e.fechaHora = inicio.addMSecs(i * 17'317); // a few thousand a day
        e.puesto = QString::fromUtf8(kPuestos[i % 2]);
        e.evento = RegistroPesadas::kPesada;
        e.tipoBascula = 2;
        e.peso = double(i % 50'000) / 10;
        e.decimales = 1;
        e.unidad = "kg";
        e.estado = "stable";
        e.bruto = "gross";
        e.trama = "S S " + QByteArray::number(*e.peso, 'f', 1).rightJustified(10) + " kg\r\n";
        e.huellaAnterior = anterior[i % 2];
        e.huella = RegistroPesadas::CalculaHuella(e);
        anterior[i % 2] = e.huella;
        texto.write(RegistroPesadas::TextoCanonico(e));

        const QByteArray fechaHora = RegistroPesadas::TextoFechaHora(e.fechaHora).toUtf8();
        const QByteArray campos[] = {
            e.puesto.toUtf8(), e.evento.toUtf8(), e.unidad.toUtf8(),         e.estado.toUtf8(),
            e.bruto.toUtf8(),  e.trama.toHex(),   e.huellaAnterior.toUtf8(), e.huella.toUtf8()};
        sqlite3_bind_int64(entrada, 1, i);
        sqlite3_bind_text(entrada, 2, fechaHora.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(entrada, 3, campos[0].constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(entrada, 4, campos[1].constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(entrada, 5, e.tipoBascula);
        sqlite3_bind_double(entrada, 6, *e.peso);
        sqlite3_bind_int(entrada, 7, e.decimales);
        for (int c = 2; c < 8; ++c)
            sqlite3_bind_text(entrada, 6 + c, campos[c].constData(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(entrada) != SQLITE_DONE) {
            std::fprintf(stderr, "bench_alibi: %s\n", sqlite3_errmsg(db));
            return false;
        }
        sqlite3_reset(entrada);

        // A note of a thousand lines a day's part, dated as its entries.
        const qint64 n = (i - 1) / kLineasNota;
        const QByteArray numero = "A-" + QByteArray::number(n);
        const QByteArray fecha = fechaHora.left(10);
        if ((i - 1) % kLineasNota == 0) {
            sqlite3_bind_text(nota, 1, numero.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(nota, 2, fecha.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(nota, 3, fechaHora.constData(), 19, SQLITE_TRANSIENT);
            sqlite3_step(nota);
            sqlite3_reset(nota);
        }
        sqlite3_bind_text(linea, 1, numero.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(linea, 2, fecha.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(linea, 3, (i - 1) % kLineasNota + 1);
        sqlite3_bind_double(linea, 4, *e.peso);
        sqlite3_bind_double(linea, 5, *e.peso);
        sqlite3_bind_double(linea, 6, *e.peso * 1.2);
        sqlite3_bind_text(linea, 7, "09:00:00-01/01/2026", -1, SQLITE_STATIC);
        sqlite3_bind_int64(linea, 8, i);
        if (sqlite3_step(linea) != SQLITE_DONE) {
            std::fprintf(stderr, "bench_alibi: %s\n", sqlite3_errmsg(db));
            return false;
        }
        sqlite3_reset(linea);
    }
    for (sqlite3_stmt* s : {entrada, linea, nota})
        sqlite3_finalize(s);
    const bool ok = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok && texto.error() == QFile::NoError;
}

// Runs a program with its output into `salida`: seconds taken and peak memory in MB (-1 when
// it failed).
std::pair<double, double> Corre(const QStringList& programa, const QString& salida) {
    QElapsedTimer t;
    t.start();
    const double pico = MedidaProceso::Pico(programa, salida);
    return {double(t.nsecsElapsed()) / 1e9, pico};
}

QString UltimaLinea(const QString& ruta) {
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QStringList lineas = QString::fromUtf8(f.readAll()).trimmed().split(u'\n');
    return lineas.last();
}

// `pesix --verify-alibi` on `base`: seconds and peak memory, checked to find no fault in
// `entradas` entries.
std::pair<double, double> Verifica(const QTemporaryDir& dir, const QString& base, qint64 entradas) {
    const QString salida = dir.filePath("verifica.txt");
    const auto r = Corre({PESIX_BINARIO, "--verify-alibi", "--database", base, "--settings",
                          dir.filePath("ajustes.ini")},
                         salida);
    const QString esperada = QString("checked %1 entries and %1 lines: 0 faults").arg(entradas);
    if (r.second < 0 || UltimaLinea(salida) != esperada) {
        std::fprintf(stderr, "bench_alibi: the check said \"%s\", not \"%s\"\n",
                     qPrintable(UltimaLinea(salida)), qPrintable(esperada));
        return {0, -1};
    }
    return r;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const qint64 entradas = argc > 1 ? std::max(10LL, atoll(argv[1])) : 1'000'000;
    QTemporaryDir dir;
    // BENCH_ALIBI_KEEP=1 leaves the files for a profiler, and says where.
    if (qEnvironmentVariableIsSet("BENCH_ALIBI_KEEP")) {
        dir.setAutoRemove(false);
        std::printf("files kept in %s\n", qPrintable(dir.path()));
    }
    kelRegistry::UsaArchivoIni(dir.filePath("ajustes.ini"));

    // A tenth of the log, then the whole, each in its own file.
    const qint64 decima = entradas / 10;
    const QString chica = dir.filePath("decima.db"), grande = dir.filePath("pesix.db");
    const QString canonico = dir.filePath("canonico.txt");
    QElapsedTimer reloj;
    reloj.start();
    for (const auto& [ruta, n] : {std::pair{chica, decima}, std::pair{grande, entradas}}) {
        clsDatosApp datos;
        if (!Abre(datos, ruta))
            return 1;
        datos.Conexion().close();
        if (!Llena(ruta, n, canonico))
            return 1;
    }
    std::printf("log: %lld entries and lines built in %.1f s\n", entradas,
                double(reloj.elapsed()) / 1000.0);

    // Alternate rounds; the best of each side.
    double verifica = 1e30, suma = 1e30, pico = 0;
    for (int ronda = 1; ronda <= 3; ++ronda) {
        const auto [segundos, mb] = Verifica(dir, grande, entradas);
        if (mb < 0)
            return 1;
        const auto [referencia, mbSuyo] = Corre({"sha256sum", canonico}, dir.filePath("suma.txt"));
        if (mbSuyo < 0) {
            std::fprintf(stderr, "bench_alibi: sha256sum failed\n");
            return 1;
        }
        std::printf("round %d: --verify-alibi %.3f s (%.1f MB), sha256sum %.3f s\n", ronda,
                    segundos, mb, referencia);
        verifica = std::min(verifica, segundos);
        suma = std::min(suma, referencia);
        pico = mb;
    }
    const auto [segundosDecima, picoDecima] = Verifica(dir, chica, decima);
    if (picoDecima < 0)
        return 1;
    std::printf("peak memory: %.1f MB on %lld entries, %.1f MB on %lld (%.2f s)\n", pico, entradas,
                picoDecima, decima, segundosDecima);

    // Taking a weight: one log entry committed on its own, against the line's own save (a
    // note of one line), on the full file.
    clsDatosApp datos;
    if (!Abre(datos, grande))
        return 1;
    const AlmacenAlbaranes almacen(datos.Conexion(), ",");
    std::vector<double> registros, guardados;
    for (int i = 0; i < 25; ++i) {
        RegistroPesadas::Entrada e;
        e.fechaHora = QDateTime::currentDateTime();
        e.puesto = QString::fromUtf8(kPuestos[0]);
        e.evento = RegistroPesadas::kPesada;
        e.tipoBascula = 2;
        e.peso = 12.5;
        e.decimales = 1;
        e.unidad = "kg";
        e.estado = "stable";
        e.bruto = "gross";
        e.trama = "S S       12.5 kg\r\n";
        reloj.restart();
        if (const Resultado r = RegistroPesadas::Anade(datos.Conexion(), e); !r) {
            std::fprintf(stderr, "bench_alibi: %s\n", qPrintable(r.Error()));
            return 1;
        }
        registros.push_back(double(reloj.nsecsElapsed()) / 1e6);
        Albaran a;
        a.NumAlbaran = "B-" + QString::number(i);
        a.Fecha = QDate(2026, 12, 1);
        a.NomOperario = "Ana";
        a.FechaModificacion = QDateTime(a.Fecha, QTime(9, 30));
        a.Lineas.Add({"P1", "Peras", "", "12,500", "0,000", "12,500", "1,20", "15,00",
                      "09:00:00-01/12/2026"});
        reloj.restart();
        if (!almacen.Guarda(a)) {
            std::fprintf(stderr, "bench_alibi: the note's save failed\n");
            return 1;
        }
        guardados.push_back(double(reloj.nsecsElapsed()) / 1e6);
    }
    std::printf("taking a weight: log entry %.2f ms, the line's save %.2f ms (medians)\n",
                Mediana(registros), Mediana(guardados));
    std::printf("%lld entries: --verify-alibi %.3f s, sha256sum %.3f s (best of 3)\n", entradas,
                verifica, suma);
    std::printf("ratio=%.2f entries_per_s=%.0f\n", verifica / suma, double(entradas) / verifica);
    return 0;
}
