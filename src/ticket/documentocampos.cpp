#include "ticket/documentocampos.h"

DocumentoCampos::Puntero DocumentoCampos::Add(const QString& definicion, const QString& clave,
                                              QString* error) {
    auto campo = std::make_shared<DocumentoCampo>();
    if (!campo->SetStrValores(definicion, error))
        return nullptr;
    campo->SetKey(clave);
    if (!Agrega(campo, clave)) {
        if (error)
            *error = QStringLiteral("ya hay un campo con la clave \"%1\"").arg(clave);
        return nullptr;
    }
    return campo;
}
