#include "ticket/documentocampos.h"

DocumentoCampos::Puntero DocumentoCampos::Add(const QString& definicion, const QString& clave) {
    auto campo = std::make_shared<DocumentoCampo>();
    if (!campo->SetStrValores(definicion))
        return nullptr;
    campo->SetKey(clave);
    return Agrega(campo, clave) ? campo : nullptr;
}
