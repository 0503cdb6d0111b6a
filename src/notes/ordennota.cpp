#include "notes/ordennota.h"

#include "app/clsdatosapp.h"
#include "db/datosconsola.h"

std::optional<int> OrdenNota::Lee(const QStringList& argumentos, const QString& palabra,
                                  int valores, QStringList& leidos, QString& numero, QDate& fecha,
                                  std::unique_ptr<clsDatosApp>& datos, QTextStream& errores) {
    using O = LineaComandos;
    const LineaComandos o(argumentos, {palabra}, O::Comunes());
    if (!o.Error().isEmpty())
        return O::Falla(errores, O::ErrorLinea, o.Error() + "; " + O::Uso(palabra));
    if (o.Valores().size() != valores)
        return O::Falla(errores, O::ErrorLinea, O::Uso(palabra));
    leidos = o.Valores();
    numero = leidos.at(0);
    if (const Resultado leida = O::Fecha(leidos.at(1), fecha); !leida)
        return O::Falla(errores, O::ErrorLinea, leida.Error());
    if (const Resultado abierta = DatosConsola::Abre(o, datos); !abierta)
        return O::Falla(errores, O::ErrorBaseDatos, abierta.Error());
    return std::nullopt;
}
