#pragma once

#include "app/resultado.h"
#include "ticket/salidatiquet.h"

#include <QString>

class Dataset;
class clsDatosApp;

// The ticket of one data set and template, as the preview shows it and as it prints. Every print
// renders the template afresh for the printer and sends it through the station's ticket printer,
// whatever its kind; the data set's detail tables are left on their first record.
class ImpresionTiquet {
public:
    // The settings give the control codes, the cached template, the separators and the printer;
    // the data set must outlive this object.
    ImpresionTiquet(const clsDatosApp& ajustes, const Dataset& datos, QString plantilla);

    // The screen form of the ticket. A template that is missing or cannot be read fails with
    // the reason (the file, and the line of a malformed one).
    Resultado Pantalla(QString& texto) const;
    // Renders the printer form and sends it; nothing is sent when the template fails.
    Resultado Imprime();
    // Ends the wait of a send in progress as a failure.
    void Cancela() { m_salida.Cancela(); }

private:
    Resultado Renderiza(bool impresora, QString& texto) const;

    const clsDatosApp& m_ajustes;
    const Dataset& m_datos;
    QString m_plantilla;
    SalidaTiquet m_salida;
};
