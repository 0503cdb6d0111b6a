#include "ticket/documentosecciones.h"

DocumentoSecciones::Puntero DocumentoSecciones::Add(bool detalle, const QString& clave) {
    auto seccion = std::make_shared<DocumentoSeccion>();
    seccion->SetDetalle(detalle);
    seccion->SetKey(clave);
    if (!Agrega(seccion, clave))
        return nullptr;
    return seccion;
}
