#pragma once

#include <QString>

class kelFileIO {
public:
    // True when a file (not a folder) exists at the path.
    static bool ExisteFichero(const QString& ruta);
    // A file of that name in the user's documents folder (the home folder when there is none);
    // "/", "\" and ":", which no file name can hold, become "-".
    static QString EnDocumentos(const QString& nombre);
};
