#include "notes/comandohistorial.h"

#include "app/clsdatosapp.h"
#include "app/lineacomandos.h"
#include "db/datosconsola.h"
#include "notedata/almacenalbaranes.h"
#include "notes/historialalbaran.h"

namespace {
const char* const kOrden = "--history";
} // namespace

bool ComandoHistorial::Pedido(int argc, char** argv) {
    return LineaComandos::Pedida(argc, argv, kOrden);
}

int ComandoHistorial::Ejecuta(const QStringList& argumentos, QTextStream& salida,
                              QTextStream& errores) {
    using O = LineaComandos;
    const QString palabra = QString::fromLatin1(kOrden);
    const LineaComandos o(argumentos, {palabra}, O::Comunes());
    if (!o.Error().isEmpty())
        return O::Falla(errores, O::ErrorLinea, o.Error() + "; " + O::Uso(palabra));
    if (o.Valores().size() != 2)
        return O::Falla(errores, O::ErrorLinea, O::Uso(palabra));
    const QString numero = o.Valores().at(0);
    QDate fecha;
    if (const Resultado leida = O::Fecha(o.Valores().at(1), fecha); !leida)
        return O::Falla(errores, O::ErrorLinea, leida.Error());

    std::unique_ptr<clsDatosApp> datos;
    if (const Resultado abierta = DatosConsola::Abre(o, datos); !abierta)
        return O::Falla(errores, O::ErrorBaseDatos, abierta.Error());
    const AlmacenAlbaranes almacen(datos->Conexion(), datos->SeparadorDecimal());
    std::optional<Albaran> albaran;
    std::vector<VersionAlbaran> versiones;
    Resultado leido = almacen.Carga(numero, fecha, albaran);
    if (leido && albaran)
        leido = almacen.Versiones(numero, fecha, versiones);
    if (!leido)
        return O::Falla(errores, O::ErrorBaseDatos,
                        "the database cannot be read: " + leido.Error());
    if (!albaran)
        return O::Falla(errores, O::ErrorBaseDatos,
                        "no delivery note " + numero + " of " + o.Valores().at(1));
    salida << HistorialAlbaran::Titulos().join('\t') << '\n';
    for (const QStringList& fila :
         HistorialAlbaran::Filas(versiones, *albaran, datos->SeparadorDecimal()))
        salida << fila.join('\t') << '\n';
    salida.flush();
    return O::Correcto;
}
