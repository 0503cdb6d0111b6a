#pragma once

#include "scale/veltasc.h"

#include <QSqlDatabase>
#include <QString>

// Keeps every zero, tare and clear-tare request sent to a scale in the weighing log: an entry
// committed on its own before the request goes out, holding the request's bytes as its frame
// (no weight, status unknown). A request whose entry cannot be written is not sent.
class RegistroOrdenes {
public:
    // The log's `Evento` of a scale command; null for commands the log does not keep.
    static const char* Evento(qint32 codigo);
    // Writes the entry of command `codigo` sent now by station `puesto` to a scale of type
    // `tipo`; success without writing for commands the log does not keep.
    static Resultado Registra(QSqlDatabase db, const QString& puesto, qint32 codigo, qint32 tipo,
                              const QByteArray& bytes);
    // What a scale controller calls before each command (VeltaSC::SetAntesDeOrden).
    static VeltaSC::AntesDeOrden Antes(QSqlDatabase db, const QString& puesto);
};
