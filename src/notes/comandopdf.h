#pragma once

#include <QStringList>
#include <QTextStream>

// The listing of a stored delivery note written to a PDF file from the command line, without a
// window or a display:
//   pesix --pdf NUMBER DATE FILE [--database PATH] [--settings PATH]
// DATE as yyyy-mm-dd. The note is read through the note store and printed as the main window
// prints it with pages chosen. It only reads, so it runs beside an open copy of the program.
// Exit status: 0 written; 2 bad command line; 3 the database or the note is missing or cannot
// be read; 4 the file cannot be written, and then the file is left as it was. A failure prints
// one line on standard error.
class ComandoPdf {
public:
    // Whether the command line asks for a PDF (holds "--pdf").
    static bool Pedido(int argc, char** argv);
    // Runs the command with an application of its own, on the offscreen platform unless the
    // environment names one.
    static int Ejecuta(int argc, char** argv);
    // Runs the command of the line (the program's name first). Needs a GUI application.
    static int Ejecuta(const QStringList& argumentos, QTextStream& errores);
};
