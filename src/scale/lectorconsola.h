#pragma once

#include <QStringList>
#include <QTextStream>

struct Lectura;

// The scale from the console, with no window and no database:
//   pesix --read-scale [--settings FILE] [--count N] [--wait SECONDS]
//   pesix --detect-scale [--settings FILE]
// --read-scale opens the configured scale and prints one line per reading: local time with
// milliseconds, the weight with the decimals sent, the unit, the status (stable, motion,
// overload, underload, error, unknown) and gross, net or unknown, separated by TABs. A scale
// with a read request is asked once per reading; one that streams is listened to. Exit status:
// 0 all readings printed, 2 bad command line, 3 no reading within the wait, 4 the port cannot
// be opened (or the scale settings cannot be read).
// --detect-scale prints the line settings and protocol that gave readings, one reading, and
// last the settings values to store; 0 found, 3 none answered, 4 the port cannot be opened.
class LectorConsola {
public:
    static constexpr int Correcto = 0;
    static constexpr int ErrorLinea = 2;
    static constexpr int SinLectura = 3;
    static constexpr int ErrorPuerto = 4;

    // Whether argv asks for one of the two commands.
    static bool Pedido(int argc, char** argv);
    // Runs the command of `argumentos` (the program's name first). Needs a core application.
    static int Ejecuta(const QStringList& argumentos, QTextStream& salida, QTextStream& errores);
    static int Ejecuta(const QStringList& argumentos);

    // The reading's line as --read-scale prints it.
    static QString Linea(const Lectura& l);
};
