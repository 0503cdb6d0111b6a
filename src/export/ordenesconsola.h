#pragma once

#include "app/resultado.h"

#include <QDate>
#include <QHash>
#include <QStringList>
#include <QTextStream>
#include <memory>

class clsDatosApp;

// The command line of a command that runs without a window (pesix --export, pesix --pdf): the
// command's word anywhere, values in order, and options written "--name VALUE" or
// "--name=VALUE". --database and --settings are always known; any other word starting with
// "--" is refused.
class OrdenesConsola {
public:
    // Exit status of the commands.
    static constexpr int Correcto = 0;
    static constexpr int ErrorOrdenes = 2;
    static constexpr int ErrorBaseDatos = 3;
    static constexpr int ErrorArchivo = 4;

    // `argumentos` with the program's name first; `opciones` the command's own options.
    OrdenesConsola(const QStringList& argumentos, const QString& orden,
                   const QStringList& opciones = {});

    // Why the line cannot be read; empty when it can.
    QString Error() const { return m_error; }
    const QStringList& Valores() const { return m_valores; }
    QString Opcion(const QString& nombre) const { return m_opciones.value(nombre); }

    // The settings of --settings and the existing database of --database (or the default one),
    // opened read-only and left exactly as it is. A missing database is refused, never created;
    // one that lacks a table or column of the delivery notes is refused too.
    Resultado AbreDatos(std::unique_ptr<clsDatosApp>& datos) const;

    // Whether argv holds the command's word.
    static bool Pedida(int argc, char** argv, const char* orden);
    // A date written yyyy-mm-dd; the failure names the text that is none.
    static Resultado Fecha(const QString& texto, QDate& fecha);

private:
    QStringList m_valores;
    QHash<QString, QString> m_opciones;
    QString m_error;
};
