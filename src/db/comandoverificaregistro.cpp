#include "db/comandoverificaregistro.h"

#include "app/clsdatosapp.h"
#include "app/erroresconsola.h"
#include "app/lineacomandos.h"
#include "db/datosconsola.h"
#include "db/verificaregistro.h"

namespace {
const QString kOrden = QStringLiteral("--verify-alibi");
constexpr int kFaltas = 1;
} // namespace

bool ComandoVerificaRegistro::Pedida(int argc, char** argv) {
    return LineaComandos::Pedida(argc, argv, "--verify-alibi");
}

int ComandoVerificaRegistro::Ejecuta(const QStringList& argumentos) {
    ErroresConsola errores;
    QTextStream salida(stdout);
    return Ejecuta(argumentos, salida, errores.Flujo());
}

int ComandoVerificaRegistro::Ejecuta(const QStringList& argumentos, QTextStream& salida,
                                     QTextStream& errores) {
    using O = LineaComandos;
    const LineaComandos o(argumentos, {kOrden},
                          O::Comunes() << "--from"
                                       << "--to"
                                       << "--printed");
    if (!o.Error().isEmpty())
        return O::Falla(errores, O::ErrorLinea, o.Error() + "; " + O::Uso(kOrden));
    if (!o.Valores().isEmpty() || o.TieneOpcion("--from") != o.TieneOpcion("--to"))
        return O::Falla(errores, O::ErrorLinea, O::Uso(kOrden));
    QDate desde, hasta;
    if (o.TieneOpcion("--from"))
        for (const Resultado& fecha :
             {O::Fecha(o.Opcion("--from"), desde), O::Fecha(o.Opcion("--to"), hasta)})
            if (!fecha)
                return O::Falla(errores, O::ErrorLinea, fecha.Error());
    if (desde.isValid() && desde > hasta)
        std::swap(desde, hasta);

    QList<VerificaRegistro::Impresa> impresas;
    if (o.TieneOpcion("--printed"))
        if (const Resultado leidas = VerificaRegistro::LeeImpresas(o.Opcion("--printed"), impresas);
            !leidas)
            return O::Falla(errores, O::ErrorLinea, leidas.Error());
    std::unique_ptr<clsDatosApp> ajustes;
    if (const Resultado abierta = DatosConsola::Abre(o, ajustes); !abierta)
        return O::Falla(errores, O::ErrorBaseDatos, abierta.Error());
    VerificaRegistro v(ajustes->Conexion(), desde, hasta);
    v.SetImpresas(impresas);
    const Resultado r = v.Ejecuta([&salida](const QString& falta) { salida << falta << "\n"; });
    salida.flush();
    if (!r)
        return O::Falla(errores, O::ErrorBaseDatos, "the database cannot be read: " + r.Error());
    salida << QString("checked %1 entries and %2 lines: %3 faults\n")
                  .arg(v.Entradas())
                  .arg(v.Lineas())
                  .arg(v.Faltas());
    salida.flush();
    return v.Faltas() > 0 ? kFaltas : O::Correcto;
}
