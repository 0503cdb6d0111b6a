// The main window's caption and its entry that resets every stored window position.
#include "app/kelregistry.h"
#include "notes/frmmain.h"
#include "support/entornoprueba.h"

#include <QAction>
#include <QMenuBar>
#include <QTest>

class TestFrmMain : public QObject {
    Q_OBJECT

private slots:
    void reiniciaVentanasBorraPosicionesEInformacion() {
        EntornoPrueba env;
        kelRegistry::SaveAppString("\\Empresa", "Cliente", "Báscula Norte");
        env.DatosConBase();
        kelRegistry::SaveAppString("\\Pos\\frmMTClientes", "Top", "1500");
        kelRegistry::SaveAppString("\\Info\\frmMain", "ColAlbaranWidth1", "1200");
        kelRegistry::SaveAppString("\\Configuracion", "Idioma", "0");

        frmMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.windowTitle(), QString("Pesix v.1.0.6 - Báscula Norte"));
        auto* entrada = w.findChild<QAction*>("mnuReiniciaVentanas");
        QVERIFY(entrada);
        QCOMPARE(entrada->text(), QString("Reinicia ventanas"));
        entrada->trigger();
        QCOMPARE(kelRegistry::GetAppString("\\Pos\\frmMTClientes", "Top"), QString());
        QCOMPARE(kelRegistry::GetAppString("\\Info\\frmMain", "ColAlbaranWidth1"), QString());
        QCOMPARE(kelRegistry::GetAppString("\\Configuracion", "Idioma"), QString("0"));
    }

    void cerrarGuardaLaPosicion() {
        EntornoPrueba env;
        env.DatosConBase();
        {
            frmMain w;
            w.setGeometry(100, 120, 640, 480);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            w.close();
        }
        QCOMPARE(kelRegistry::GetAppString("\\Pos\\frmMain", "Width"), QString("9600"));
        frmMain otra;
        QCOMPARE(otra.size(), QSize(640, 480));
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
