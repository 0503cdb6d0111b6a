#pragma once

#include <QString>
#include <QStringList>

// The program's command line: --database PATH, --settings PATH (or --option=PATH), and the rest,
// upper-cased, where "/TEST" is looked for.
class LineaOrdenes {
public:
    // `argumentos` without the program name.
    explicit LineaOrdenes(const QStringList& argumentos);

    QString BaseDatos() const { return m_baseDatos; }
    QString Ajustes() const { return m_ajustes; }
    QString Resto() const { return m_resto; }
    // "/TEST" anywhere in the rest of the line, in any letter case.
    bool PideTest() const { return m_resto.contains(QLatin1String("/TEST")); }

private:
    QString m_baseDatos;
    QString m_ajustes;
    QString m_resto;
};
