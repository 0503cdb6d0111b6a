#include "app/kelfileio.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

bool kelFileIO::ExisteFichero(const QString& ruta) {
    const QFileInfo info(ruta);
    return !ruta.isEmpty() && info.exists() && !info.isDir();
}

QString kelFileIO::EnDocumentos(const QString& nombre) {
    QString limpio = nombre;
    for (const QChar c : {u'/', u'\\', u':'})
        limpio.replace(c, u'-');
    QString carpeta = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (carpeta.isEmpty() || !QDir(carpeta).exists())
        carpeta = QDir::homePath();
    return QDir(carpeta).filePath(limpio);
}
