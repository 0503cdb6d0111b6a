// Saving and then loading a delivery note of 1,000 lines through the note store, against the
// same rows inserted in one transaction and read back with SQLite's own calls, in the same run,
// on files of the same schema in the same folder.
//
//     build/bench/bench_notas/bench_notas [lines] [rounds]
//
// The last line is "ratio=<store / SQLite> load_ms=<store's load, median>".

#include "app/clsdatosapp.h"
#include "app/kelregistry.h"
#include "db/basedatos.h"
#include "notedata/almacenalbaranes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>

namespace {
// The middle value (the upper one of an even count).
double Mediana(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

Albaran Nota(int lineas) {
    Albaran a;
    a.NumAlbaran = "B-2026/0001";
    a.Fecha = QDate(2026, 3, 5);
    a.NomOperario = "Ana";
    a.CodCliente = "C1";
    a.NomCliente = "Fruterías del Sur";
    a.FechaModificacion = QDateTime(a.Fecha, QTime(9, 30));
    for (int i = 1; i <= lineas; ++i)
        a.Lineas.Add({QString("P%1").arg(i % 97), "Peras conferencia", QString::number(i % 3 + 1),
                      "12,500", "0,250", "12,250", "1,20", "14,70", "09:00:00-05/03/2026"});
    return a;
}

// The reference: the same rows inserted in one transaction and read back, with SQLite's calls.
double Sqlite(const QString& ruta, int lineas) {
    sqlite3* db = nullptr;
    sqlite3_open(ruta.toUtf8().constData(), &db);
    QElapsedTimer t;
    t.start();
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "DELETE FROM AlbaranesDetalle WHERE NumAlbaran = 'B-2026/0001'", nullptr,
                 nullptr, nullptr);
    sqlite3_stmt* ins = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO AlbaranesDetalle (NumAlbaran, Fecha, NumLinea, CodProducto, "
                       "NomProducto, CodTara, PesoBruto, PesoTara, PesoNeto, Precio, PesoImporte, "
                       "HoraPesada) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                       -1, &ins, nullptr);
    for (int i = 1; i <= lineas; ++i) {
        const QByteArray producto = QString("P%1").arg(i % 97).toUtf8();
        sqlite3_bind_text(ins, 1, "B-2026/0001", -1, SQLITE_STATIC);
        sqlite3_bind_text(ins, 2, "2026-03-05", -1, SQLITE_STATIC);
        sqlite3_bind_int(ins, 3, i);
        sqlite3_bind_text(ins, 4, producto.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(ins, 5, "Peras conferencia", -1, SQLITE_STATIC);
        sqlite3_bind_int(ins, 6, i % 3 + 1);
        const double numeros[] = {12.5, 0.25, 12.25, 1.2, 14.7};
        for (int c = 0; c < 5; ++c)
            sqlite3_bind_double(ins, 7 + c, numeros[c]);
        sqlite3_bind_text(ins, 12, "09:00:00-05/03/2026", -1, SQLITE_STATIC);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_stmt* sel = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT CodProducto, NomProducto, CodTara, PesoBruto, PesoTara, PesoNeto, "
                       "Precio, PesoImporte, HoraPesada FROM AlbaranesDetalle WHERE NumAlbaran = "
                       "'B-2026/0001' AND Fecha = '2026-03-05' ORDER BY NumLinea",
                       -1, &sel, nullptr);
    int leidas = 0;
    double suma = 0;
    while (sqlite3_step(sel) == SQLITE_ROW) {
        for (int c = 0; c < 9; ++c)
            suma += double(sqlite3_column_bytes(sel, c));
        ++leidas;
    }
    sqlite3_finalize(sel);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    sqlite3_close(db);
    if (leidas != lineas || suma <= 0)
        std::fprintf(stderr, "bench_notas: SQLite read %d of %d lines\n", leidas, lineas);
    return ms;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int lineas = argc > 1 ? std::max(1, atoi(argv[1])) : 1000;
    const int rondas = argc > 2 ? std::max(1, atoi(argv[2])) : 9;

    QTemporaryDir dir;
    kelRegistry::UsaArchivoIni(dir.filePath("ajustes.ini"));
    // Two files of the same schema: the store's and the reference's.
    const QString referencia = dir.filePath("referencia.db");
    {
        clsDatosApp otra;
        otra.SetBaseDatos(referencia);
        if (!BaseDatos::AbreBaseDatos(otra))
            return 1;
    }
    clsDatosApp datos;
    datos.SetBaseDatos(dir.filePath("pesix.db"));
    if (const Resultado abierta = BaseDatos::AbreBaseDatos(datos); !abierta) {
        std::fprintf(stderr, "bench_notas: %s\n", qPrintable(abierta.Error()));
        return 1;
    }
    const AlmacenAlbaranes almacen(datos.Conexion(), ",");
    const Albaran nota = Nota(lineas);

    std::vector<double> propios, cargas, ajenos, ratios;
    for (int r = 1; r <= rondas; ++r) {
        QElapsedTimer t;
        t.start();
        if (!almacen.Guarda(nota)) {
            std::fprintf(stderr, "bench_notas: the save failed\n");
            return 1;
        }
        const qint64 guardado = t.nsecsElapsed();
        std::optional<Albaran> leida;
        if (!almacen.Carga(nota.NumAlbaran, nota.Fecha, leida) || !leida ||
            leida->Lineas.Count() != lineas) {
            std::fprintf(stderr, "bench_notas: the load failed\n");
            return 1;
        }
        const double total = double(t.nsecsElapsed()) / 1e6;
        const double carga = double(t.nsecsElapsed() - guardado) / 1e6;
        const double ajeno = Sqlite(referencia, lineas);
        propios.push_back(total);
        cargas.push_back(carga);
        ajenos.push_back(ajeno);
        ratios.push_back(total / ajeno);
        std::printf("round %d: store %.2f ms (load %.2f ms), SQLite %.2f ms, ratio %.2f\n", r,
                    total, carga, ajeno, total / ajeno);
    }
    std::printf("%d lines, median of %d rounds: store %.2f ms, SQLite %.2f ms\n", lineas, rondas,
                Mediana(propios), Mediana(ajenos));
    std::printf("ratio=%.2f load_ms=%.2f\n", Mediana(ratios), Mediana(cargas));
    return 0;
}
