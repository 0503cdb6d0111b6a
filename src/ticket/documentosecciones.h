#pragma once

#include "ticket/coleccionclaves.h"
#include "ticket/documentoseccion.h"

// The sections of a ticket template, in file order; detail sections are keyed by their table.
class DocumentoSecciones : public ColeccionClaves<DocumentoSeccion> {
public:
    // A new empty section, stored under the key when the key is not empty; nullptr when the
    // key is already taken.
    Puntero Add(bool detalle, const QString& clave = QString());
};
