#pragma once

#include <QStringList>
#include <QTextStream>

// The history of a stored delivery note printed from the command line, for scripts and for an
// auditor without the window:
//   pesix --history NUMBER DATE [--database PATH|URI] [--settings PATH]
// DATE as yyyy-mm-dd. It prints what the history window shows: a line of the columns' titles,
// then one line per version, oldest first, the note as it stands last, the columns separated by
// TAB, in the interface language of the settings. It only reads.
// Exit status: 0 printed; 2 bad command line; 3 the database or the note is missing or cannot
// be read. A failure prints one line on standard error.
class ComandoHistorial {
public:
    static bool Pedido(int argc, char** argv);
    // Runs the command of the line (the program's name first).
    static int Ejecuta(const QStringList& argumentos, QTextStream& salida, QTextStream& errores);
};
