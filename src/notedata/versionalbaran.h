#pragma once

#include "notedata/albaran.h"

#include <QDateTime>
#include <QString>

// An earlier version of a stored note: the note as it was stored before a save (or a void, or
// its undoing) replaced it, with when that happened, at which station and by which operator.
struct VersionAlbaran {
    int Version = 0; // 1 for the first one replaced
    QDateTime Reemplazada;
    QString Puesto;
    QString Operario;
    Albaran Nota;
};
