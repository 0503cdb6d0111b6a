#include "export/comandoexportar.h"

#include "app/clsdatosapp.h"
#include "app/erroresconsola.h"
#include "app/lineacomandos.h"
#include "db/datosconsola.h"
#include "export/codificacionexportacion.h"
#include "export/exportaalbaranes.h"

namespace {
const QString kOpcion = QStringLiteral("--export");
// Text files end each row with where its weight came from.
const QString kProcedencia = QStringLiteral("--origin");
} // namespace

bool ComandoExportar::Pedida(int argc, char** argv) {
    return LineaComandos::Pedida(argc, argv, "--export");
}

bool ComandoExportar::Pedida(const QStringList& argumentos) {
    return argumentos.mid(1).contains(kOpcion);
}

int ComandoExportar::Ejecuta(const QStringList& argumentos) {
    ErroresConsola errores;
    return Ejecuta(argumentos, errores.Flujo());
}

int ComandoExportar::Ejecuta(const QStringList& argumentos, QTextStream& errores) {
    using O = LineaComandos;
    const LineaComandos o(argumentos, {kOpcion, kProcedencia}, O::Comunes() << "--encoding");
    if (!o.Error().isEmpty())
        return O::Falla(errores, O::ErrorLinea, o.Error() + "; " + O::Uso(kOpcion));
    if (o.Valores().size() != 3)
        return O::Falla(errores, O::ErrorLinea, O::Uso(kOpcion));
    QDate desde, hasta;
    for (const Resultado& fecha :
         {O::Fecha(o.Valores().at(0), desde), O::Fecha(o.Valores().at(1), hasta)})
        if (!fecha)
            return O::Falla(errores, O::ErrorLinea, fecha.Error());
    const QString archivo = o.Valores().at(2);
    if (ExportaAlbaranes::FormatoDeRuta(archivo) == ExportaAlbaranes::Formato::Ninguno)
        return O::Falla(errores, O::ErrorLinea,
                        "the file name must end in .txt, .csv or .xml: \"" + archivo + "\"");
    CodificacionExportacion::Tipo codificacion = CodificacionExportacion::Tipo::Windows1252;
    if (const QString nombre = o.Opcion("--encoding");
        !nombre.isEmpty() && !CodificacionExportacion::DeNombre(nombre, codificacion))
        return O::Falla(errores, O::ErrorLinea,
                        "unknown encoding \"" + nombre + "\" (windows-1252 or utf-8)");

    std::unique_ptr<clsDatosApp> ajustes;
    if (const Resultado abierta = DatosConsola::Abre(o, ajustes); !abierta)
        return O::Falla(errores, O::ErrorBaseDatos, abierta.Error());
    const clsDatosApp& datos = *ajustes;
    ExportaAlbaranes exporta(datos.Conexion(), datos.SeparadorListas(),
                             FormatoValores(datos.SeparadorDecimal(), QLocale()));
    exporta.SetCodificacion(codificacion);
    exporta.SetProcedencia(argumentos.mid(1).contains(kProcedencia));
    const Resultado r = exporta.Exporta(desde, hasta, archivo);
    if (!r && exporta.LecturaFallida())
        return O::Falla(errores, O::ErrorBaseDatos, "the database cannot be read: " + r.Error());
    if (!r)
        return O::Falla(errores, O::ErrorArchivo, "cannot write " + archivo + ": " + r.Error());
    return O::Correcto;
}
