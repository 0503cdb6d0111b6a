#include "app/kelfileio.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

bool kelFileIO::ExisteFichero(const QString& ruta) {
    const QFileInfo info(ruta);
    return !ruta.isEmpty() && info.exists() && !info.isDir();
}

bool kelFileIO::Escribible(const QString& ruta) {
#ifdef Q_OS_UNIX
    // QFileInfo asks access(), which answers for the real user.
    return !ruta.isEmpty() &&
           ::faccessat(AT_FDCWD, QFile::encodeName(ruta).constData(), W_OK, AT_EACCESS) == 0;
#else
    return QFileInfo(ruta).isWritable();
#endif
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
