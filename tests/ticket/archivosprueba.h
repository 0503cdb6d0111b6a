#pragma once

// Whole-file writes and reads for the ticket tests.
#include <QByteArray>
#include <QFile>
#include <QString>

inline bool EscribeArchivo(const QString& ruta, const QByteArray& bytes) {
    QFile f(ruta);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The file's bytes; "<unreadable>" when it cannot be read.
inline QByteArray LeeArchivo(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
