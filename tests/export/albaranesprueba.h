#pragma once

// The fixed data of the export tests (golden/albaranes.sql) and the files they compare.
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace albaranesprueba {

inline QByteArray Lee(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll()
                                       : QByteArray("<missing " + ruta.toUtf8() + ">");
}

inline bool Escribe(const QString& ruta, const QByteArray& bytes) {
    QFile f(ruta);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray Golden(const QString& nombre) {
    return Lee(qEnvironmentVariable("PESIX_SOURCE_DIR") + "/tests/export/golden/" + nombre);
}

// Stores the fixed delivery notes of golden/albaranes.sql.
inline bool Crea(QSqlDatabase db) {
    QSqlQuery q(db);
    int n = 0;
    for (const QByteArray& linea : Golden("albaranes.sql").split('\n'))
        if (linea.startsWith("INSERT") && !q.exec(QString::fromUtf8(linea)))
            return false;
        else
            n += linea.startsWith("INSERT");
    return n == 16;
}

} // namespace albaranesprueba
