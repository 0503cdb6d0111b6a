#pragma once

#include <QString>

class kelFileIO {
public:
    // True when a file (not a folder) exists at the path.
    static bool ExisteFichero(const QString& ruta);
    // Whether this process may write the file or folder at the path, as its effective user
    // (the one that opens files) and on a file system that takes writes.
    static bool Escribible(const QString& ruta);
    // A file of that name in the user's documents folder (the home folder when there is none);
    // "/", "\" and ":", which no file name can hold, become "-".
    static QString EnDocumentos(const QString& nombre);
};
