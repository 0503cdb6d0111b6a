#pragma once

#include <QFile>
#include <QTextStream>

// Standard error of a command run from the console (pesix --export, --pdf, --read-scale...)
// holds one line on failure, the program's own. While an object lives, what libraries write to
// standard error themselves (libpq's warning about a password file others can read, a server's
// notices, Qt's warnings) goes nowhere, and Flujo() writes to the real standard error.
class ErroresConsola {
public:
    ErroresConsola();
    ~ErroresConsola();
    ErroresConsola(const ErroresConsola&) = delete;
    ErroresConsola& operator=(const ErroresConsola&) = delete;

    // Where the command's one line goes (see LineaComandos::Falla).
    QTextStream& Flujo() { return m_flujo; }

private:
    int m_guardado = -1; // the real standard error, while the descriptor 2 goes nowhere
    QFile m_salida;
    QTextStream m_flujo;
};
