// Start-up: the command line, the settings object, the single-instance rule, the database, the
// printer control codes, and the first window with the splash above it.
#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/frmmdsplash.h"
#include "app/idtextos.h"
#include "app/kelinstanciaunica.h"
#include "app/kelmensaje.h"
#include "app/kelregistry.h"
#include "app/kelteclaalt.h"
#include "app/kelversion.h"
#include "app/lineacomandos.h"
#include "db/basedatos.h"
#include "db/comandoverificaregistro.h"
#include "export/comandoexportar.h"
#include "notes/comandohistorial.h"
#include "notes/comandopdf.h"
#include "notes/frmmain.h"
#include "notes/registroordenes.h"
#include "scale/frmtest.h"
#include "scale/lectorconsola.h"
#include "ticket/directprinthelper.h"
#include "ticket/documentoticket.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char* argv[]) {
    // Every option and command, and the version with where the ticket templates are read from,
    // for whoever installed it; neither needs a display.
    if (LineaComandos::Pedida(argc, argv, "--help")) {
        QTextStream(stdout) << LineaComandos::Ayuda();
        return LineaComandos::Correcto;
    }
    if (LineaComandos::Pedida(argc, argv, "--version")) {
        QCoreApplication app(argc, argv);
        QTextStream(stdout) << "pesix " << kelVersion::Texto() << "\n"
                            << "sha256: " << kelVersion::HuellaPrograma() << "\n"
                            << "templates: " << clsDatosApp::CarpetaPlantillas() << "\n";
        return LineaComandos::Correcto;
    }
    // A scheduled export opens no window: no display is needed and the running copy, if any, is
    // left alone.
    if (ComandoExportar::Pedida(argc, argv)) {
        QCoreApplication app(argc, argv);
        kelRegistry::NombraAplicacion();
        return ComandoExportar::Ejecuta(QCoreApplication::arguments());
    }
    // The weighing log checked, likewise.
    if (ComandoVerificaRegistro::Pedida(argc, argv)) {
        QCoreApplication app(argc, argv);
        kelRegistry::NombraAplicacion();
        return ComandoVerificaRegistro::Ejecuta(QCoreApplication::arguments());
    }
    // The scale read or looked for from the console, likewise.
    if (LectorConsola::Pedido(argc, argv)) {
        QCoreApplication app(argc, argv);
        kelRegistry::NombraAplicacion();
        return LectorConsola::Ejecuta(QCoreApplication::arguments());
    }
    // A note's history, likewise.
    if (ComandoHistorial::Pedido(argc, argv)) {
        QCoreApplication app(argc, argv);
        kelRegistry::NombraAplicacion();
        QTextStream salida(stdout), errores(stderr);
        return ComandoHistorial::Ejecuta(QCoreApplication::arguments(), salida, errores);
    }
    // The listing of a stored note as a PDF file, likewise without a window.
    if (ComandoPdf::Pedido(argc, argv))
        return ComandoPdf::Ejecuta(argc, argv);

    QApplication app(argc, argv);
    kelRegistry::NombraAplicacion();
    kelTeclaAlt::Instala(); // the scale test window's fields too

    // Qt has taken its own options out of the line by now. Other words are ignored, as they
    // always have been; an option of ours mistyped is not.
    const LineaComandos ordenes(QCoreApplication::arguments(), {}, LineaComandos::Comunes());
    if (!ordenes.Error().isEmpty()) {
        QTextStream errores(stderr);
        errores << "pesix: " << ordenes.Error() << "\n" << LineaComandos::Ayuda();
        return LineaComandos::ErrorLinea;
    }
    const QString ajustes = ordenes.Opcion("--settings");
    const QString baseDatos = ordenes.Opcion("--database");
    kelRegistry::UsaArchivoIni(ajustes);
    clsDatosApp datos;
    if (!baseDatos.isEmpty())
        datos.SetBaseDatos(baseDatos);

    kelInstanciaUnica instancia(ajustes);
    if (!instancia.Adquiere())
        return 0; // the running copy has been brought to the front

    // The default place makes its own folder; a path given on the command line or in the
    // settings must exist, so that a mistyped one leaves nothing behind.
    if (baseDatos.isEmpty() && datos.BaseDatosGuardada().trimmed().isEmpty())
        QDir().mkpath(QFileInfo(datos.BaseDatos()).absolutePath());
    if (const Resultado abierta = BaseDatos::AbreBaseDatos(datos); !abierta) {
        qCritical().noquote() << abierta.Error();
        kelMensaje::Error(nullptr, QString(), abierta.Error());
        return LineaComandos::ErrorInicio;
    }
    // A database that takes no writes is announced now, not at the first "Grabar".
    if (const Resultado escritura = BaseDatos::CompruebaEscritura(datos.Conexion()); !escritura) {
        qWarning().noquote() << escritura.Error();
        kelMensaje::Aviso(nullptr, QString(), escritura.Error());
    }

    // The printer control codes; an empty table receives the default codes first. Without them
    // the station still weighs and stores notes, so a failure is told and start-up goes on; the
    // cached ticket template lives beside them.
    datos.SetDocumento(std::make_shared<DocumentoTicket>());
    datos.SetPrintHelper(std::make_shared<DirectPrintHelper>(datos.PaginaCodigosTiquet()));
    if (const Resultado codigos = datos.PrintHelper()->CargaRecordset(datos.Conexion()); !codigos)
        kelMensaje::Error(nullptr, datos.Caption(),
                          Texto(IdTexto::CodigosNoCargados).arg(codigos.Error()));

    std::unique_ptr<QWidget> ventana;
    if (ordenes.PideTest()) {
        auto prueba = std::make_unique<frmTest>();
        // Every zero, tare and clear-tare request goes to the weighing log before it is sent.
        prueba->VeltaSC1().SetAntesDeOrden(
            RegistroOrdenes::Antes(datos.Conexion(), datos.Puesto()));
        ventana = std::move(prueba);
    } else {
        auto principal = std::make_unique<frmMain>();
        QObject::connect(&instancia, &kelInstanciaUnica::ActivacionPedida, principal.get(),
                         [w = principal.get()] {
                             w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
                             w->show();
                             w->raise();
                             w->activateWindow();
                         });
        ventana = std::move(principal);
    }
    ventana->show();
    // The splash above it for 3 seconds; the window beneath is ready to type in meanwhile.
    frmMDSplash::Muestra(3, false);
    return app.exec();
}
