// Start-up: the command line, the settings object, the single-instance rule, the database,
// and the first window.
#include "app/clsdatosapp.h"
#include "app/kelinstanciaunica.h"
#include "app/kelregistry.h"
#include "db/basedatos.h"
#include "export/exportacionordenes.h"
#include "notes/frmmain.h"
#include "scale/frmtest.h"

#include <QApplication>
#include <QMessageBox>

namespace {
struct LineaOrdenes {
    QString baseDatos;
    QString ajustes;
    QString resto; // the rest of the command line, upper-cased, where "/TEST" is looked for
};

LineaOrdenes LeeLineaOrdenes(const QStringList& args) {
    LineaOrdenes l;
    QStringList resto;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        auto valor = [&](const QString& opcion, QString& destino) {
            if (a == opcion && i + 1 < args.size()) {
                destino = args.at(++i);
                return true;
            }
            if (a.startsWith(opcion + "=")) {
                destino = a.mid(opcion.size() + 1);
                return true;
            }
            return false;
        };
        // The paths of our own options are not searched for "/TEST": a folder named "tests"
        // must not open the scale test window.
        if (valor("--database", l.baseDatos) || valor("--settings", l.ajustes))
            continue;
        resto << a;
    }
    l.resto = resto.join(' ').toUpper();
    return l;
}
} // namespace

int main(int argc, char* argv[]) {
    // A scheduled export opens no window: no display is needed and the running copy, if any, is
    // left alone.
    if (ExportacionOrdenes::Pedida(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setOrganizationName("Kel Software");
        QCoreApplication::setApplicationName("Software de pesaje");
        return ExportacionOrdenes::Ejecuta(QCoreApplication::arguments());
    }

    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Kel Software");
    QCoreApplication::setApplicationName("Software de pesaje");

    const LineaOrdenes ordenes = LeeLineaOrdenes(QCoreApplication::arguments());
    kelRegistry::UsaArchivoIni(ordenes.ajustes);
    clsDatosApp datos;
    if (!ordenes.baseDatos.isEmpty())
        datos.SetBaseDatos(ordenes.baseDatos);

    kelInstanciaUnica instancia(ordenes.ajustes);
    if (!instancia.Adquiere())
        return 0; // the running copy has been brought to the front

    QString error;
    switch (BaseDatos::AbreBaseDatos(datos, &error)) {
    case BaseDatos::Resultado::Abierta:
        break;
    case BaseDatos::Resultado::NoResponde:
        QMessageBox::critical(nullptr, QString(), BaseDatos::MensajeNoResponde());
        return 1;
    case BaseDatos::Resultado::ErrorEsquema:
        QMessageBox::critical(nullptr, QString(), error);
        return 1;
    }

    std::unique_ptr<QWidget> ventana;
    if (ordenes.resto.contains("/TEST")) {
        ventana = std::make_unique<frmTest>();
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
    return app.exec();
}
