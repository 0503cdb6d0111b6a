#include "notes/comandopdf.h"

#include "app/clsdatosapp.h"
#include "app/erroresconsola.h"
#include "app/kelregistry.h"
#include "app/lineacomandos.h"
#include "db/datosconsola.h"
#include "export/listadoalbaran.h"
#include "notes/datasetalbaran.h"
#include "notes/ordennota.h"

#include <QGuiApplication>

namespace {
const char* const kOrden = "--pdf";
} // namespace

bool ComandoPdf::Pedido(int argc, char** argv) {
    return LineaComandos::Pedida(argc, argv, kOrden);
}

int ComandoPdf::Ejecuta(int argc, char** argv) {
    // Fonts are all it needs of a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A scheduled job's standard error holds its own failure alone, not the notes of the
    // platform it starts (a missing runtime folder, say).
    ErroresConsola errores;
    QGuiApplication app(argc, argv);
    kelRegistry::NombraAplicacion();
    return Ejecuta(QCoreApplication::arguments(), errores.Flujo());
}

int ComandoPdf::Ejecuta(const QStringList& argumentos, QTextStream& errores) {
    using O = LineaComandos;
    QStringList valores;
    QString numero;
    QDate fecha;
    std::unique_ptr<clsDatosApp> datos;
    if (const std::optional<int> fallo = OrdenNota::Lee(argumentos, QString::fromLatin1(kOrden), 3,
                                                        valores, numero, fecha, datos, errores))
        return *fallo;
    // The lines are read from the database as the listing goes through them.
    std::optional<Dataset> impresion;
    if (const Resultado leido = DatasetAlbaran::CreaGuardado(
            numero, fecha, *datos, QDateTime::currentDateTime(), impresion);
        !leido)
        return O::Falla(errores, O::ErrorBaseDatos,
                        "the database cannot be read: " + leido.Error());
    if (!impresion)
        return O::Falla(errores, O::ErrorBaseDatos,
                        "no delivery note " + numero + " of " + valores.at(1));

    const ListadoAlbaran listado(
        *impresion, ListadoAlbaran::Opciones::De(*datos, QCoreApplication::applicationDirPath()));
    const QString archivo = valores.at(2);
    if (const Resultado escrito = listado.GuardaPdf(archivo); !escrito)
        return O::Falla(errores, O::ErrorArchivo,
                        "cannot write " + archivo + ": " + escrito.Error());
    return O::Correcto;
}
