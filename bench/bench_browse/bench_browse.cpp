// The products pick list over a large table, on SQLite and (where a server can run) on
// PostgreSQL: opening it (launcher's call to the first rows painted), opening it on the code of
// its last row, Ctrl+End and a typed search (key press to the rows painted), against the shell
// of the engine (sqlite3, psql) reading the screenful the pick list reads, started in the same
// run; the typed search is timed per key. The pick list runs in a process of its own, whose peak
// memory is taken, and again over 1,000 rows for comparison.
//
//     build/bench/bench_browse/bench_browse [rows] [runs]     (1,000,000 rows, 7 runs)
//
// The last line is, for SQLite: "rows=<n> open_ms=<median> last_ms=<median> shell_ms=<the
// shell's screenful, median> ratio=<open_ms / shell_ms> last_ratio=<last_ms / shell_ms>
// peak_mb=<peak memory>".

#include "app/clsdatosapp.h"
#include "app/kelregistry.h"
#include "db/basedatos.h"
#include "masters/consultabrowse.h"
#include "masters/kelbrowse.h"
#include "masters/kelbrowsemodel.h"
#include "masters/kellaunchbrowse.h"
#include "medidaproceso.h"
#include "support/servidorpostgres.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>
#include <algorithm>
#include <cstdio>

namespace {
double Mediana(std::vector<double> v) {
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Ms(const QElapsedTimer& r) {
    return double(r.nsecsElapsed()) / 1e6;
}

// `n` products whose names run in an order unrelated to their codes (7919 is prime to 10), made
// by the engine itself.
QString Llenado(bool postgres, int n) {
    const QString f = QString::number(n);
    if (postgres)
        return "INSERT INTO Productos SELECT 'P' || lpad(i::text, 7, '0'), 'Producto de prueba ' "
               "|| lpad(((i::bigint * 7919) % " +
               f + ")::text, 7, '0'), i * 0.01 FROM generate_series(1, " + f + ") i";
    return "WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < " + f +
           ") INSERT INTO Productos SELECT printf('P%07d', i), printf('Producto de prueba "
           "%07d', (i * 7919) % " +
           f + "), i * 0.01 FROM s";
}

// The pick list's side, in a process of its own: opens the list `vueltas` times (each time
// waiting for its first paint, then pressing Ctrl+End and typing the start of a name), and as
// many times on the last row's code. Prints "open=<ms> last=<ms> end=<ms> typed=<ms>" medians.
int Lista(const QString& base, int vueltas, const QString& ultimo, const QString& tecleado) {
    clsDatosApp datos;
    datos.SetBaseDatos(base);
    if (const Resultado abierta = BaseDatos::AbreBaseDatos(datos); !abierta) {
        std::fprintf(stderr, "database: %s\n", qPrintable(abierta.Error()));
        return 2;
    }
    const ConsultaBrowse consulta = ConsultaBrowse::Productos();
    std::vector<double> abrir, ultima, fin, busca;
    QElapsedTimer reloj;
    bool pintada = false;
    bool medirTeclas = false;
    // Pressing keys in the grid, each timed to the rows painted.
    const auto tecla = [&](QTableView* g, int codigo, Qt::KeyboardModifiers m, const QString& t) {
        QElapsedTimer r;
        r.start();
        QKeyEvent pulsa(QEvent::KeyPress, codigo, m, t);
        QApplication::sendEvent(g, &pulsa);
        g->viewport()->repaint();
        return Ms(r);
    };
    struct Vigia : QObject {
        std::function<void(kelBrowse*)> alPintar;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() == QEvent::Paint && alPintar) {
                auto* w = qobject_cast<QWidget*>(o);
                auto* b = w ? qobject_cast<kelBrowse*>(w->window()) : nullptr;
                if (b && w == b->Grid()->viewport() && b->Modelo()->rowCount() > 0) {
                    auto f = std::move(alPintar);
                    alPintar = nullptr;
                    // Taken once this paint has been processed.
                    QTimer::singleShot(0, b, [f, b] { f(b); });
                }
            }
            return false;
        }
    } vigia;
    qApp->installEventFilter(&vigia);
    for (int v = 0; v < 2 * vueltas; ++v) {
        const bool alUltimo = v % 2 == 1;
        pintada = false;
        medirTeclas = !alUltimo;
        vigia.alPintar = [&](kelBrowse* b) {
            (alUltimo ? ultima : abrir).push_back(Ms(reloj));
            pintada = true;
            if (medirTeclas) {
                fin.push_back(tecla(b->Grid(), Qt::Key_End, Qt::ControlModifier, QString()));
                double t = 0;
                for (const QChar c : tecleado)
                    t += tecla(b->Grid(), 0, Qt::NoModifier, QString(c));
                busca.push_back(t / double(std::max<qsizetype>(1, tecleado.size())));
            }
            b->reject();
        };
        reloj.start();
        kelLaunchBrowse("Productos", consulta.Cabecera, consulta.Sql, alUltimo ? ultimo : "");
        if (!pintada) {
            std::fprintf(stderr, "the pick list was not painted\n");
            return 1;
        }
    }
    std::printf("open=%.2f last=%.2f end=%.2f typed=%.2f\n", Mediana(abrir), Mediana(ultima),
                Mediana(fin), Mediana(busca));
    return 0;
}

// Runs a program; its standard output, and its peak resident memory in MB (-1 on failure).
double Corre(const QStringList& programa, QByteArray& salida) {
    QTemporaryDir dir;
    const QString archivo = dir.filePath("salida.txt");
    const double pico = MedidaProceso::Pico(programa, archivo);
    QFile f(archivo);
    salida = pico >= 0 && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    return pico;
}

struct Medida {
    double abrir = -1, ultima = -1, fin = -1, busca = -1, pico = -1;
};

Medida MideLista(const QString& base, int vueltas, const QString& ultimo) {
    QByteArray salida;
    Medida m;
    m.pico = Corre({QCoreApplication::applicationFilePath(), "--lista", base,
                    QString::number(vueltas), ultimo, "Producto de prueba 05"},
                   salida);
    if (m.pico < 0)
        return m;
    for (const QByteArray& campo : salida.trimmed().split(' ')) {
        const QList<QByteArray> kv = campo.split('=');
        const double valor = kv.value(1).toDouble();
        if (kv.first() == "open")
            m.abrir = valor;
        else if (kv.first() == "last")
            m.ultima = valor;
        else if (kv.first() == "end")
            m.fin = valor;
        else if (kv.first() == "typed")
            m.busca = valor;
    }
    return m;
}

// The shell's median time for the statement, its start included.
double Shell(const QString& programa, const QStringList& args, int vueltas) {
    std::vector<double> t;
    for (int v = 0; v < vueltas; ++v) {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer r;
        r.start();
        p.start(programa, args);
        p.waitForFinished(-1);
        if (p.exitCode() != 0) {
            std::fprintf(stderr, "%s failed\n", qPrintable(programa));
            return -1;
        }
        t.push_back(Ms(r));
    }
    return Mediana(t);
}

// Fills the database, measures the pick list and the shell and prints both.
bool Mide(const char* motor, clsDatosApp& datos, int filas, int vueltas, const QString& shell,
          const std::function<QStringList(const QString&)>& argsShell, Medida& medida,
          double& shellMs) {
    QSqlDatabase db = datos.Conexion();
    const bool postgres = QByteArray(motor) == "postgresql";
    QElapsedTimer r;
    r.start();
    QSqlQuery q(db);
    if (!q.exec(Llenado(postgres, filas)) || (postgres && !q.exec("ANALYZE Productos"))) {
        std::fprintf(stderr, "%s: %s\n", motor, qPrintable(q.lastError().text()));
        return false;
    }
    std::printf("%s: %d products made in %.1f s\n", motor, filas, double(r.elapsed()) / 1000.0);
    kelBrowseModel modelo;
    if (!modelo.Abre(db, ConsultaBrowse::Productos().Sql))
        return false;
    const QString pantalla = modelo.ConsultaPrimeras(kelBrowseModel::Lote);
    modelo.AlFinal();
    const QString ultimo = modelo.Texto(modelo.rowCount() - 1, 0);
    medida = MideLista(datos.BaseDatos(), vueltas, ultimo);
    shellMs = Shell(shell, argsShell(pantalla), vueltas);
    if (medida.abrir < 0 || shellMs <= 0) {
        std::fprintf(stderr, "%s: the pick list or the shell failed\n", motor);
        return false;
    }
    std::printf("%s, %d rows: the shell's screenful (%s, %d rows, its start included), median "
                "ms: %.2f\n",
                motor, filas, qPrintable(shell), kelBrowseModel::Lote, shellMs);
    const auto linea = [&](const char* que, double ms) {
        std::printf("  %-40s %8.2f ms  (%.2f x the shell)\n", que, ms, ms / shellMs);
    };
    linea("open (call to first rows painted)", medida.abrir);
    linea(qPrintable("open on the last code " + ultimo), medida.ultima);
    linea("Ctrl+End (key to rows painted)", medida.fin);
    linea("typed \"Producto de prueba 05\", per key", medida.busca);
    std::printf("  pick list process peak memory: %.1f MB\n", medida.pico);
    return true;
}
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as soon as it is known
    QTemporaryDir dir;
    kelRegistry::UsaArchivoIni(dir.filePath("ajustes.ini"));
    if (argc > 1 && QByteArray(argv[1]) == "--lista")
        return argc != 6 ? 2
                         : Lista(QString::fromLocal8Bit(argv[2]), std::max(1, atoi(argv[3])),
                                 QString::fromLocal8Bit(argv[4]), QString::fromLocal8Bit(argv[5]));
    const int filas = argc > 1 ? std::max(1, atoi(argv[1])) : 1000000;
    const int vueltas = argc > 2 ? std::max(1, atoi(argv[2])) : 7;

    const QString sqlite3 = QStandardPaths::findExecutable("sqlite3");
    if (sqlite3.isEmpty()) {
        std::fprintf(stderr, "sqlite3 shell not found\n");
        return 2;
    }
    // SQLite: the list over 1,000 rows first, for its memory.
    Medida pequena, grande;
    double shellPequena = 0, shellMs = 0;
    for (const int n : {1000, filas}) {
        clsDatosApp datos;
        datos.SetBaseDatos(dir.filePath(QString("bench%1.db").arg(n)));
        if (const Resultado abierta = BaseDatos::AbreBaseDatos(datos); !abierta) {
            std::fprintf(stderr, "database: %s\n", qPrintable(abierta.Error()));
            return 2;
        }
        const auto args = [&](const QString& sql) { return QStringList{datos.BaseDatos(), sql}; };
        if (!Mide("sqlite", datos, n, vueltas, sqlite3, args, n == 1000 ? pequena : grande,
                  n == 1000 ? shellPequena : shellMs))
            return 1;
    }
    // The same on a server of the program's own.
    if (ServidorPostgres* servidor = ServidorPostgres::Comun()) {
        clsDatosApp datos;
        const QString direccion = servidor->NuevaBase();
        datos.SetBaseDatos(direccion);
        const QString socket =
            QUrlQuery(QUrl(direccion)).queryItemValue("host", QUrl::FullyDecoded);
        const QString base = QUrl(direccion).path().mid(1);
        Medida pg;
        double psql = 0;
        const auto args = [&](const QString& sql) {
            return QStringList{"-X", "-q", "-h", socket, "-U", "postgres", "-d", base, "-c", sql};
        };
        if (!BaseDatos::AbreBaseDatos(datos) ||
            !Mide("postgresql", datos, filas, vueltas, "psql", args, pg, psql))
            return 1;
    } else {
        std::printf("postgresql: none (%s)\n", qPrintable(ServidorPostgres::Falta()));
    }
    std::printf("goals at 1,000,000 rows on SQLite: open and last each 50 ms or less, open / "
                "shell 10 or less, peak within 20 MB of the list over 1,000 rows (%.1f MB)\n",
                pequena.pico);
    std::printf("rows=%d open_ms=%.1f last_ms=%.1f shell_ms=%.1f ratio=%.2f last_ratio=%.2f "
                "peak_mb=%.1f\n",
                filas, grande.abrir, grande.ultima, shellMs, grande.abrir / shellMs,
                grande.ultima / shellMs, grande.pico);
    return 0;
}
