#pragma once

#include <QStringList>
#include <QTextStream>

// The export from the command line, for scheduled exports:
//   pesix --export FROM TO FILE [--database PATH] [--settings PATH] [--encoding NAME]
// FROM and TO as yyyy-mm-dd (either order), FILE ending in .txt, .csv or .xml. It opens no
// window and needs no display. It does not take the single-instance lock: it only reads, so it
// runs beside a copy of the program that is open on the same database.
// Exit status: 0 written; 2 bad command line (dates, extension, options); 3 the database is
// missing or cannot be read; 4 the file cannot be written (LineaComandos' codes). A failure
// prints one line on standard error.
class ComandoExportar {
public:
    // True when the command line asks for an export (holds "--export").
    static bool Pedida(int argc, char** argv);
    static bool Pedida(const QStringList& argumentos);

    // Runs the export of the command line (the program's name first). Needs a core application.
    static int Ejecuta(const QStringList& argumentos, QTextStream& errores);
    static int Ejecuta(const QStringList& argumentos);
};
