#pragma once

#include <QStringList>
#include <QTextStream>

// The check of the weighing log from the command line:
//   pesix --verify-alibi [--database X] [--settings F] [--from DATE --to DATE]
// (VerificaRegistro). Prints one line per fault on standard output and a last line with the
// entries and lines checked and the faults found. It opens the database read-only and changes
// nothing. Exit status: 0 no fault, 1 faults found, 2 bad command line, 3 the database cannot be
// opened or read.
class ComandoVerificaRegistro {
public:
    static bool Pedida(int argc, char** argv);
    // Runs it (the program's name first). Needs a core application.
    static int Ejecuta(const QStringList& argumentos, QTextStream& salida, QTextStream& errores);
    static int Ejecuta(const QStringList& argumentos);
};
