#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// A settings file in INI form, read the way an administrator types it and written back without
// touching what did not change.
//
// Reading: "[Grupo\Subgrupo]" opens a group ("[General]" is the top level); "Nombre=valor" is a
// value; a line whose first character is ";" or "#" is a comment. The value is the text after
// the first "=", without the spaces and tabs at either end, exactly as typed otherwise: commas,
// semicolons, backslashes and quotes inside it are its own. A value written wholly between
// double quotes, with \" \\ \n \r \t \xHH escapes inside, is a quoted value; that is how spaces
// at either end and line breaks are kept. A name may hold "\" as a group separator
// ("Columnas\Definido" under "[Configuracion]") and %XX escapes. Each line is read as UTF-8
// when it is valid UTF-8, otherwise as Windows-1252. Names compare without letter case, as in
// the registry; the last of two equal names counts.
//
// Writing a value that differs from the stored one replaces that one line (or adds one to the
// value's group, or a new group at the end) and keeps every other line byte for byte, with the
// file's own line ends. Writing the value the file already holds leaves the file untouched. The
// file is read afresh for every operation, so a hand edit made while the program runs is kept.
class ArchivoAjustes {
public:
    explicit ArchivoAjustes(QString ruta) : m_ruta(std::move(ruta)) {}
    const QString& Ruta() const { return m_ruta; }

    // Groups are paths such as "Configuracion/Columnas"; "" is the top level.
    QString Valor(const QString& grupo, const QString& nombre) const;
    // True when the file holds the text afterwards.
    bool Escribe(const QString& grupo, const QString& nombre, const QString& texto);
    void Borra(const QString& grupo, const QString& nombre);
    // The group with every value and group below it; "" empties the file.
    void BorraGrupo(const QString& grupo);
    // The value names directly in a group, in file order.
    QStringList Nombres(const QString& grupo) const;
    // The names of the groups directly below a group.
    QStringList Subgrupos(const QString& grupo) const;

    // How a value is written after "=" so that it reads back as `texto`.
    static QString TextoGuardado(const QString& texto);

private:
    struct Linea {
        QByteArray bytes; // without the line end
        QByteArray fin;   // "\n", "\r\n" or nothing on the last line
        enum Tipo { Otra, Grupo, Valor } tipo = Otra;
        QString grupo;  // of a group header, or of the group a value belongs to
        QString nombre; // of a value
        QString valor;  // of a value, as read
    };
    static Linea Nueva(const QByteArray& bytes, const QByteArray& fin);
    // The file's lines; `leido` is false when the file exists but cannot be read.
    std::vector<Linea> Lee(bool* leido = nullptr) const;
    bool Graba(const std::vector<Linea>& lineas) const;

    QString m_ruta;
};
