// The main window's menu entries for the configuration, export, about and system information
// windows: each opens its window, and the settings accepted in the configuration apply at once.
#include "app/cmnlanguaje.h"
#include "app/frmmdsplash.h"
#include "app/idtextos.h"
#include "masters/contestador.h"
#include "notes/frmmain.h"
#include "notes/rejillalineas.h"
#include "support/entornoprueba.h"
#include "ticket/frmedconfiguracion.h"

#include <QAction>
#include <QComboBox>
#include <QListView>
#include <QPushButton>
#include <QTest>

class TestVentanasMain : public QObject {
    Q_OBJECT
private slots:
    void configuracion();
    void ventanas_data();
    void ventanas();
};

void TestVentanasMain::configuracion() {
    EntornoPrueba env;
    env.DatosConBase();
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    // English, and the first column no longer on screen.
    Contestador<frmEDConfiguracion> configura([](frmEDConfiguracion* c) {
        QTest::keyClick(c->cboIdioma, Qt::Key_Down);
        QTest::keyClick(c->cboIdioma, Qt::Key_Down);
        c->SSTab->setCurrentIndex(1);
        QTest::keyClick(c->lstPantalla, Qt::Key_Down);
        QTest::keyClick(c->lstPantalla, Qt::Key_Space);
        QTest::mouseClick(c->cmdAccion[0], Qt::LeftButton);
    });
    w.findChild<QAction*>("mnuArchivoConfiguracionPrograma")->trigger();
    QCOMPARE(configura.Veces(), 1);
    QCOMPARE(clsDatosApp::Instancia()->Idioma(), 4000);
    QCOMPARE(w.findChild<QAction*>("mnuArchivoConfiguracionPrograma")->text(),
             cmnLanguaje::Texto(IdTexto::MnuPrograma, 4000));
    QVERIFY(w.findChild<RejillaLineas*>("gridAlbaran")->isColumnHidden(0));
}

void TestVentanasMain::ventanas_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("ventana");
    QTest::newRow("exportar") << "mnuFicherosExportar"
                              << "frmExpAlbaranes";
    QTest::newRow("información del sistema") << "mnuAyudaInfoSistema"
                                             << "frmInfoSistema";
    QTest::newRow("acerca de") << "mnuAyudaAcerca"
                               << "frmMDSplash";
}

void TestVentanasMain::ventanas() {
    QFETCH(QString, menu);
    QFETCH(QString, ventana);
    EntornoPrueba env;
    env.DatosConBase();
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QStringList abiertas; // the modal windows, closed as they open
    Contestador<QDialog> cierra([&](QDialog* d) {
        abiertas << d->objectName();
        d->reject();
    });
    w.findChild<QAction*>(menu)->trigger();
    if (ventana == "frmMDSplash") {
        QWidget* splash = nullptr;
        for (QWidget* v : QApplication::topLevelWidgets())
            if (v->objectName() == ventana && v->isVisible())
                splash = v;
        QVERIFY(splash);
        QCOMPARE(static_cast<frmMDSplash*>(splash)->Timer.interval(), 5000);
        splash->close();
    } else {
        QCOMPARE(abiertas, QStringList{ventana});
    }
}

QTEST_MAIN(TestVentanasMain)
#include "tst_ventanasmain.moc"
