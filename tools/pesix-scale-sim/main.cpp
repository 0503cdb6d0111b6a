// pesix-scale-sim: creates a pseudo-terminal, prints its device path and behaves as a scale.
#include "simuladorbascula.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <QSocketNotifier>

#include <csignal>
#include <unistd.h>

namespace {
int s_tuberia[2] = {-1, -1};
void AlSenal(int) {
    const char c = 'x';
    [[maybe_unused]] const ssize_t n = ::write(s_tuberia[1], &c, 1);
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("pesix-scale-sim");

    QCommandLineParser p;
    p.setApplicationDescription(
        "Scale simulator: prints the device path of its pseudo-terminal on the first line of "
        "standard output, then plays a scale on it.\n"
        "Standard input, one order per line: \"peso 12.5\" (or just \"12.5\"), \"continua\", "
        "\"peticion\", \"intervalo 100\", \"imprime\", \"rafaga 10000\", \"tiempos\", "
        "\"estado\", \"salir\".");
    p.addHelpOption();
    QCommandLineOption tipo("tipo",
                            "Scale type: 0 (commands, CR-ended readings) or 1 (printed "
                            "blocks with a \" WT\" line).",
                            "n", "0");
    QCommandLineOption peso("peso", "Load on the platform, kg.", "kg", "0");
    QCommandLineOption continua("continua", "Start sending readings (blocks) continuously.");
    QCommandLineOption intervalo("intervalo", "Milliseconds between continuous readings.", "ms",
                                 "200");
    QCommandLineOption serie("serie", "Serial number answered to \"SS\".", "texto", "VS-000123");
    QCommandLineOption enlace("enlace", "Also make a symbolic link to the device at this path.",
                              "ruta");
    p.addOptions({tipo, peso, continua, intervalo, serie, enlace});
    p.process(app);

    SimuladorBascula::Opciones o;
    o.tipo = p.value(tipo).toInt();
    o.peso = p.value(peso).replace(',', '.').toDouble();
    o.continua = p.isSet(continua);
    o.intervaloMs = qMax(1, p.value(intervalo).toInt());
    o.serie = p.value(serie);
    o.enlace = p.value(enlace);
    if (o.tipo != 0 && o.tipo != 1) {
        QTextStream(stderr) << "pesix-scale-sim: --tipo must be 0 or 1\n";
        return 2;
    }

    SimuladorBascula sim(o);
    if (!sim.Inicia())
        return 1;
    QObject::connect(&sim, &SimuladorBascula::Salir, &app, &QCoreApplication::quit);
    // Ended with Ctrl+C or a kill: leave through the event loop so the link is removed.
    if (::pipe(s_tuberia) == 0) {
        auto* aviso = new QSocketNotifier(s_tuberia[0], QSocketNotifier::Read, &app);
        QObject::connect(aviso, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
        std::signal(SIGINT, AlSenal);
        std::signal(SIGTERM, AlSenal);
    }
    QTextStream(stdout) << sim.Ruta() << Qt::endl;
    return app.exec();
}
