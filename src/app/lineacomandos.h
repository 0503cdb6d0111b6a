#pragma once

#include "app/resultado.h"

#include <QDate>
#include <QHash>
#include <QStringList>
#include <QTextStream>

// The program's command line, read the one way start-up and every console command read it: a
// command's word anywhere, other words in order, and options written "--name VALUE" or
// "--name=VALUE". A word starting with "--" that is no option of the command is refused.
class LineaComandos {
public:
    // Exit status of the program and its console commands.
    static constexpr int Correcto = 0;
    static constexpr int ErrorInicio = 1;
    static constexpr int ErrorLinea = 2;
    static constexpr int ErrorBaseDatos = 3;
    static constexpr int ErrorArchivo = 4;

    // The options of every command that reads the database and the settings.
    static QStringList Comunes() { return {"--database", "--settings"}; }

    // `argumentos` with the program's name first; `palabras` the command's words, skipped
    // wherever they stand; `opciones` the options the command takes.
    LineaComandos(const QStringList& argumentos, const QStringList& palabras,
                  const QStringList& opciones);

    // Why the line cannot be read; empty when it can.
    QString Error() const { return m_error; }
    const QStringList& Valores() const { return m_valores; }
    QString Opcion(const QString& nombre) const { return m_opciones.value(nombre); }
    bool TieneOpcion(const QString& nombre) const { return m_opciones.contains(nombre); }
    // "/TEST" among the other words, in any letter case; the options' values do not count, so
    // a folder named "tests" does not open the scale test window.
    bool PideTest() const;

    // Whether argv holds the word.
    static bool Pedida(int argc, char** argv, const char* palabra);
    // One command's usage line ("usage: pesix --pdf NUMBER DATE FILE ..."), by its word.
    static QString Uso(const QString& palabra);
    // Every option and console command with its exit status, as --help prints it.
    static QString Ayuda();
    // A date written yyyy-mm-dd; the failure names the text that is none.
    static Resultado Fecha(const QString& texto, QDate& fecha);
    // Writes "pesix: " and the message, on one line, passwords hidden, and returns the code.
    static int Falla(QTextStream& errores, int codigo, const QString& mensaje);

private:
    QStringList m_valores;
    QHash<QString, QString> m_opciones;
    QString m_error;
};
