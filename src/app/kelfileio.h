#pragma once

#include <QString>

class kelFileIO {
public:
    // True when a file (not a folder) exists at the path.
    static bool ExisteFichero(const QString& ruta);
};
