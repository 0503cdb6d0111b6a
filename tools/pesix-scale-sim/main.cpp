// pesix-scale-sim: creates a pseudo-terminal, prints its device path and behaves as a scale.
#include "simuladorbascula.h"

#include "scale/protocolobascula.h"

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
        "\"estado\", \"movimiento\" (the next readings wander, then settle), \"sobrecarga\", "
        "\"bajorango\", \"normal\", \"error\" (the next reply is an error), \"salir\".");
    p.addHelpOption();
    QCommandLineOption tipo("tipo",
                            "Scale type: 0 (commands, CR-ended readings), 1 (printed blocks "
                            "with a \" WT\" line), 2 MT-SICS, 3 Toledo continuous, 4 A&D, 5 SMA, "
                            "6 a CAS-like line for a user-defined protocol.",
                            "n", "0");
    QCommandLineOption linea("linea",
                             "Line settings the scale answers on (\"2400,E,7,1\"); the "
                             "protocol's by default. On others it sends noise.",
                             "texto");
    QCommandLineOption peso("peso", "Load on the platform, kg.", "kg", "0");
    QCommandLineOption continua("continua", "Start sending readings (blocks) continuously.");
    QCommandLineOption intervalo("intervalo", "Milliseconds between continuous readings.", "ms",
                                 "200");
    QCommandLineOption serie("serie", "Serial number answered to \"SS\".", "texto", "VS-000123");
    QCommandLineOption enlace("enlace", "Also make a symbolic link to the device at this path.",
                              "ruta");
    p.addOptions({tipo, peso, continua, intervalo, serie, enlace, linea});
    p.process(app);

    SimuladorBascula::Opciones o;
    o.tipo = p.value(tipo).toInt();
    o.peso = p.value(peso).replace(',', '.').toDouble();
    o.continua = p.isSet(continua);
    o.intervaloMs = qMax(1, p.value(intervalo).toInt());
    o.serie = p.value(serie);
    o.enlace = p.value(enlace);
    o.linea = p.value(linea);
    if (!ProtocoloBascula::Busca(o.tipo)) {
        QTextStream(stderr) << "pesix-scale-sim: --tipo must be one of the protocol table's\n";
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
