#include "notes/frmmain.h"

#include "app/clsdatosapp.h"
#include "app/cmnlanguaje.h"
#include "app/kelregistry.h"
#include "masters/frmmtclientes.h"
#include "masters/frmmtoperarios.h"
#include "masters/frmmtproductos.h"
#include "masters/frmmttaras.h"

#include <QCloseEvent>
#include <QMenuBar>

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName("frmMain");
    const clsDatosApp* datos = clsDatosApp::Instancia();
    setWindowTitle(datos ? datos->Caption() : QString());
    resize(800, 600);

    m_mnuArchivo = menuBar()->addMenu(Texto(1001));
    m_mnuArchivo->setObjectName("mnuArchivo");
    // The desktop offers no system-menu hook here: the reset is an entry of the window's menu.
    QAction* reinicia = m_mnuArchivo->addAction(Texto(226));
    reinicia->setObjectName("mnuReiniciaVentanas");
    connect(reinicia, &QAction::triggered, this, [this] { DespachaMenu("BorraPosiciones"); });
    m_mnuArchivo->addSeparator();
    QAction* salir = m_mnuArchivo->addAction(Texto(1004));
    salir->setObjectName("mnuSalir");
    connect(salir, &QAction::triggered, this, [this] { DespachaMenu("Salir"); });

    m_mnuFicheros = menuBar()->addMenu(Texto(1011));
    m_mnuFicheros->setObjectName("mnuFicheros");
    const struct {
        int texto;
        const char* nombre;
        const char* comando;
    } ficheros[] = {{1012, "mnuFicherosProductos", "FicheroProductos"},
                    {1013, "mnuFicherosTaras", "FicheroTaras"},
                    {1014, "mnuFicherosClientes", "FicheroClientes"},
                    {1015, "mnuFicherosOperarios", "FicheroOperarios"}};
    for (const auto& f : ficheros) {
        QAction* a = m_mnuFicheros->addAction(Texto(f.texto));
        a->setObjectName(f.nombre);
        const QString comando = f.comando;
        connect(a, &QAction::triggered, this, [this, comando] { DespachaMenu(comando); });
    }

    kelRegistry::RestoreFormPosition(this);
}

void frmMain::DespachaMenu(const QString& comando) {
    if (comando == "BorraPosiciones") {
        kelRegistry::DeleteAppSetting("\\Pos\\", QString(), true);
        kelRegistry::DeleteAppSetting("\\Info\\", QString(), true);
    } else if (comando == "FicheroClientes") {
        frmMTClientes ventana(this);
        ventana.exec();
    } else if (comando == "FicheroProductos") {
        frmMTProductos ventana(this);
        ventana.exec();
    } else if (comando == "FicheroTaras") {
        frmMTTaras ventana(this);
        ventana.exec();
    } else if (comando == "FicheroOperarios") {
        frmMTOperarios ventana(this);
        ventana.exec();
    } else if (comando == "Salir") {
        close();
    }
}

void frmMain::closeEvent(QCloseEvent* evento) {
    kelRegistry::SaveFormPosition(this);
    evento->accept();
}
