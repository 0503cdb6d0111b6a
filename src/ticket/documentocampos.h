#pragma once

#include "ticket/coleccionclaves.h"
#include "ticket/documentocampo.h"

// The field definitions of a ticket template, in file order.
class DocumentoCampos : public ColeccionClaves<DocumentoCampo> {
public:
    // A new field from a definition line, stored under the key when the key is not empty;
    // nullptr when the line is malformed (DocumentoCampo::SetStrValores tells why) or the key
    // is taken.
    Puntero Add(const QString& definicion, const QString& clave = QString());
};
