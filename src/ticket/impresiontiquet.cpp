#include "ticket/impresiontiquet.h"

#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "ticket/directprinthelper.h"

#include <QFileInfo>

ImpresionTiquet::ImpresionTiquet(const clsDatosApp& ajustes, const Dataset& datos,
                                 QString plantilla)
    : m_ajustes(ajustes), m_datos(datos), m_plantilla(std::move(plantilla)), m_salida(ajustes) {}

Resultado ImpresionTiquet::Renderiza(bool impresora, QString& texto) const {
    texto.clear();
    // The renderer takes a missing file for an empty template; a preview of nothing, or an
    // empty job, would hide a template setting that names no file.
    if (m_plantilla.trimmed().isEmpty())
        return Resultado::Fallo(Texto(IdTexto::SinPlantillaTiquet));
    if (!QFileInfo(m_plantilla).isFile())
        return Resultado::Fallo(Texto(IdTexto::PlantillaNoEncontrada).arg(m_plantilla));
    const std::shared_ptr<DirectPrintHelper> codigos = m_ajustes.PrintHelper();
    const DirectPrintHelper sinCodigos(m_ajustes.PaginaCodigosTiquet());
    return (codigos ? *codigos : sinCodigos)
        .Parse(m_plantilla, m_datos, impresora, m_ajustes, texto);
}

Resultado ImpresionTiquet::Pantalla(QString& texto) const {
    return Renderiza(false, texto);
}

Resultado ImpresionTiquet::Imprime() {
    QString texto;
    if (Resultado r = Renderiza(true, texto); !r)
        return r;
    return m_salida.EnviarTiquet(texto);
}
