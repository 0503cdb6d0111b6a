#include "export/exportacionordenes.h"

#include "app/clsdatosapp.h"
#include "app/erroresconsola.h"
#include "export/codificacionexportacion.h"
#include "export/exportaalbaranes.h"
#include "export/ordenesconsola.h"

namespace {
const QString kOpcion = QStringLiteral("--export");
const QString kUso = QStringLiteral(
    "usage: pesix --export FROM TO FILE [--database PATH] [--settings PATH] [--encoding NAME]");
} // namespace

bool ExportacionOrdenes::Pedida(int argc, char** argv) {
    return OrdenesConsola::Pedida(argc, argv, "--export");
}

bool ExportacionOrdenes::Pedida(const QStringList& argumentos) {
    return argumentos.mid(1).contains(kOpcion);
}

int ExportacionOrdenes::Ejecuta(const QStringList& argumentos) {
    ErroresConsola errores;
    return Ejecuta(argumentos, errores.Flujo());
}

int ExportacionOrdenes::Ejecuta(const QStringList& argumentos, QTextStream& errores) {
    using O = OrdenesConsola;
    const OrdenesConsola o(argumentos, kOpcion, {"--encoding"});
    if (!o.Error().isEmpty())
        return ErroresConsola::Falla(errores, O::ErrorOrdenes, o.Error() + "; " + kUso);
    if (o.Valores().size() != 3)
        return ErroresConsola::Falla(errores, O::ErrorOrdenes, kUso);
    QDate desde, hasta;
    for (const Resultado& fecha :
         {O::Fecha(o.Valores().at(0), desde), O::Fecha(o.Valores().at(1), hasta)})
        if (!fecha)
            return ErroresConsola::Falla(errores, O::ErrorOrdenes, fecha.Error());
    const QString archivo = o.Valores().at(2);
    if (ExportaAlbaranes::FormatoDeRuta(archivo) == ExportaAlbaranes::Formato::Ninguno)
        return ErroresConsola::Falla(errores, O::ErrorOrdenes,
                                     "the file name must end in .txt, .csv or .xml: \"" + archivo +
                                         "\"");
    CodificacionExportacion::Tipo codificacion = CodificacionExportacion::Tipo::Windows1252;
    if (const QString nombre = o.Opcion("--encoding");
        !nombre.isEmpty() && !CodificacionExportacion::DeNombre(nombre, codificacion))
        return ErroresConsola::Falla(errores, O::ErrorOrdenes,
                                     "unknown encoding \"" + nombre + "\" (windows-1252 or utf-8)");

    std::unique_ptr<clsDatosApp> ajustes;
    if (const Resultado abierta = o.AbreDatos(ajustes); !abierta)
        return ErroresConsola::Falla(errores, O::ErrorBaseDatos, abierta.Error());
    const clsDatosApp& datos = *ajustes;
    ExportaAlbaranes exporta(datos.Conexion(), datos.SeparadorListas(),
                             FormatoValores(datos.SeparadorDecimal(), QLocale()));
    exporta.SetCodificacion(codificacion);
    const Resultado r = exporta.Exporta(desde, hasta, archivo);
    if (!r && exporta.LecturaFallida())
        return ErroresConsola::Falla(errores, O::ErrorBaseDatos,
                                     "the database cannot be read: " + r.Error());
    if (!r)
        return ErroresConsola::Falla(errores, O::ErrorArchivo,
                                     "cannot write " + archivo + ": " + r.Error());
    return O::Correcto;
}
