// Opening a pick list over 100,000 products: time from the launcher's call to the first rows
// painted, against the same query read to the end by the sqlite3 shell in the same run.
//
//     build/bench/bench_browse/bench_browse [rows] [runs]
//
// The last line is "ratio=<pick list / sqlite3> open_ms=<pick list median>".

#include "app/clsdatosapp.h"
#include "app/kelregistry.h"
#include "db/basedatos.h"
#include "masters/consultabrowse.h"
#include "masters/kelbrowse.h"
#include "masters/kelbrowsemodel.h"
#include "masters/kellaunchbrowse.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {
double Mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void Llena(QSqlDatabase db, int filas) {
    db.transaction();
    QSqlQuery q(db);
    q.prepare("INSERT INTO Productos (CodProducto, NomProducto, Precio) VALUES (?, ?, ?)");
    for (int i = 1; i <= filas; ++i) {
        q.addBindValue(QString("P%1").arg(i, 7, 10, QChar('0')));
        // Names in an order unrelated to the codes, so the list really has to be sorted.
        const int n = int((qint64(i) * 7919) % filas);
        q.addBindValue(QString("Producto de prueba %1").arg(n, 7, 10, QChar('0')));
        q.addBindValue(i * 0.01);
        q.exec();
    }
    db.commit();
}

// Watches for the first paint of a pick list's grid; once that paint is done, notes the time
// and closes the pick list.
class Vigia : public QObject {
public:
    QElapsedTimer reloj;
    double ms = -1;
    int filasLeidas = 0;
    int filasTabla = 0;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (ms < 0 && evento->type() == QEvent::Paint) {
            auto* w = qobject_cast<QWidget*>(objeto);
            auto* b = w ? qobject_cast<kelBrowse*>(w->window()) : nullptr;
            if (b && w == b->Grid()->viewport() && b->Modelo()->rowCount() > 0) {
                ms = 0; // taken once this paint has been processed
                QTimer::singleShot(0, b, [this, b] {
                    ms = double(reloj.nsecsElapsed()) / 1e6;
                    filasLeidas = b->Modelo()->rowCount();
                    b->reject();
                });
            }
        }
        return false;
    }
};
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int filas = argc > 1 ? std::max(1, atoi(argv[1])) : 100000;
    const int vueltas = argc > 2 ? std::max(1, atoi(argv[2])) : 7;

    const QString sqlite3 = QStandardPaths::findExecutable("sqlite3");
    if (sqlite3.isEmpty()) {
        std::fprintf(stderr, "sqlite3 shell not found\n");
        return 2;
    }
    QTemporaryDir dir;
    kelRegistry::UsaArchivoIni(dir.filePath("ajustes.ini"));
    clsDatosApp datos;
    datos.SetBaseDatos(dir.filePath("bench.db"));
    if (const Resultado abierta = BaseDatos::AbreBaseDatos(datos); !abierta) {
        std::fprintf(stderr, "database: %s\n", qPrintable(abierta.Error()));
        return 2;
    }
    Llena(datos.Conexion(), filas);

    const ConsultaBrowse consulta = ConsultaBrowse::Productos();
    // The statement the pick list runs, ordered as it shows it.
    const QString ordenada = kelBrowseModel().ConsultaOrdenada(consulta.Sql);

    Vigia vigia;
    app.installEventFilter(&vigia);
    std::vector<double> abrir, shell;
    int filasLeidas = 0;
    for (int v = 0; v < vueltas; ++v) {
        vigia.ms = -1;
        vigia.reloj.start();
        kelLaunchBrowse("Productos", consulta.Cabecera, consulta.Sql, "");
        if (vigia.ms <= 0) {
            std::fprintf(stderr, "the pick list was not painted\n");
            return 1;
        }
        abrir.push_back(vigia.ms);
        filasLeidas = vigia.filasLeidas;

        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer r;
        r.start();
        p.start(sqlite3, {datos.BaseDatos(), ordenada});
        p.waitForFinished(-1);
        shell.push_back(double(r.nsecsElapsed()) / 1e6);
        if (p.exitCode() != 0) {
            std::fprintf(stderr, "sqlite3 failed\n");
            return 1;
        }
    }
    app.removeEventFilter(&vigia);

    // The same pick list opened on the code of its last row (every row read before showing).
    vigia.ms = -1;
    app.installEventFilter(&vigia);
    QSqlQuery ultima(datos.Conexion());
    ultima.exec("SELECT CodProducto FROM (" + ordenada + ") LIMIT 1 OFFSET " +
                QString::number(filas - 1));
    ultima.next();
    vigia.reloj.start();
    kelLaunchBrowse("Productos", consulta.Cabecera, consulta.Sql, ultima.value(0).toString());
    const double alFinal = vigia.ms;
    app.removeEventFilter(&vigia);

    const double mAbrir = Mediana(abrir);
    const double mShell = Mediana(shell);
    std::printf("rows=%d runs=%d rows_read_at_open=%d\n", filas, vueltas, filasLeidas);
    std::printf("query: %s\n", qPrintable(ordenada));
    std::printf(
        "pick list open (call to first rows painted), median ms: %.1f (min %.1f, max %.1f)\n",
        mAbrir, *std::min_element(abrir.begin(), abrir.end()),
        *std::max_element(abrir.begin(), abrir.end()));
    std::printf("sqlite3 shell, whole query to the end, median ms: %.1f (min %.1f, max %.1f)\n",
                mShell, *std::min_element(shell.begin(), shell.end()),
                *std::max_element(shell.begin(), shell.end()));
    std::printf("pick list opened on the last row's code, ms: %.1f\n", alFinal);
    std::printf("ratio=%.3f open_ms=%.1f\n", mAbrir / mShell, mAbrir);
    return 0;
}
