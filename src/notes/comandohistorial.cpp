#include "notes/comandohistorial.h"

#include "app/clsdatosapp.h"
#include "app/lineacomandos.h"
#include "db/datosconsola.h"
#include "notedata/almacenalbaranes.h"
#include "notes/historialalbaran.h"
#include "notes/ordennota.h"

namespace {
const char* const kOrden = "--history";
} // namespace

bool ComandoHistorial::Pedido(int argc, char** argv) {
    return LineaComandos::Pedida(argc, argv, kOrden);
}

int ComandoHistorial::Ejecuta(const QStringList& argumentos, QTextStream& salida,
                              QTextStream& errores) {
    using O = LineaComandos;
    QStringList valores;
    QString numero;
    QDate fecha;
    std::unique_ptr<clsDatosApp> datos;
    if (const std::optional<int> fallo = OrdenNota::Lee(argumentos, QString::fromLatin1(kOrden), 2,
                                                        valores, numero, fecha, datos, errores))
        return *fallo;
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
                        "no delivery note " + numero + " of " + valores.at(1));
    salida << HistorialAlbaran::Titulos().join('\t') << '\n';
    for (const QStringList& fila :
         HistorialAlbaran::Filas(versiones, *albaran, datos->SeparadorDecimal()))
        salida << fila.join('\t') << '\n';
    salida.flush();
    return O::Correcto;
}
