#include "app/kelfileio.h"

#include <QFileInfo>

bool kelFileIO::ExisteFichero(const QString& ruta) {
    const QFileInfo info(ruta);
    return !ruta.isEmpty() && info.exists() && !info.isDir();
}
