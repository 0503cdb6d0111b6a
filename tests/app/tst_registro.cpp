// The stored-value store and the window-position store.
#include "app/kelregistry.h"
#include "support/entornoprueba.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

namespace {
// Stores a window's position, in twips, as the program would have.
void GuardaPosicion(const QString& ventana, const QString& top, const QString& left,
                    const QString& ancho, const QString& alto) {
    const QString clave = "\\Pos\\" + ventana;
    kelRegistry::SaveAppString(clave, "Top", top);
    kelRegistry::SaveAppString(clave, "Left", left);
    kelRegistry::SaveAppString(clave, "Width", ancho);
    kelRegistry::SaveAppString(clave, "Height", alto);
}
} // namespace

class TestRegistro : public QObject {
    Q_OBJECT

private slots:
    // The user's own store of this run lives in a temporary folder, never in the real one.
    void initTestCase() {
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    }

    void escribirCreaLasClavesYLeerLoQueFaltaDaVacio() {
        EntornoPrueba env;
        QCOMPARE(kelRegistry::GetAppString("\\NoExiste", "Valor"), QString());
        QVERIFY(kelRegistry::SaveAppString("\\A\\B\\C", "Vacio", ""));
        QCOMPARE(kelRegistry::GetAppString("\\A\\B\\C", "Vacio"), QString());
        QVERIFY(kelRegistry::SaveAppString("\\A\\B\\C", "Nombre", "Señor; \"x\" = y"));
        QCOMPARE(kelRegistry::GetAppString("\\A\\B\\C", "Nombre"), QString("Señor; \"x\" = y"));
        QSettings ini(env.ArchivoAjustes(), QSettings::IniFormat);
        QCOMPARE(ini.value("A/B/C/Nombre").toString(), QString("Señor; \"x\" = y"));
    }

    // The company is set by hand: "Cliente=Frutas Martínez, S.L." holds an unquoted comma.
    void editadoAMano_data() {
        QTest::addColumn<bool>("delUsuario");
        QTest::newRow("archivo de --settings") << false;
#if !defined(Q_OS_WIN) && !defined(Q_OS_DARWIN)
        QTest::newRow("archivo del usuario") << true;
#endif
    }
    void editadoAMano() {
        QFETCH(bool, delUsuario);
        EntornoPrueba env;
        kelRegistry::UsaArchivoIni(QString());
        const QString ruta = delUsuario ? m_config.filePath("Kel Software/Software de pesaje.conf")
                                        : env.ArchivoAjustes();
        QVERIFY(QDir().mkpath(QFileInfo(ruta).path()));
        QFile f(ruta);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Empresa]\nCliente=Frutas Mart\xc3\xadnez, S.L.\nNIFCliente=B12345678\n");
        f.close();
        kelRegistry::UsaArchivoIni(delUsuario ? QString() : ruta);
        QCOMPARE(kelRegistry::GetAppString("\\Empresa", "Cliente"),
                 QString("Frutas Martínez, S.L."));
        QCOMPARE(kelRegistry::GetAppString("\\Empresa", "NIFCliente"), QString("B12345678"));
    }

    void borrarUnValorOLaClaveEntera() {
        EntornoPrueba env;
        kelRegistry::SaveAppString("\\Pos\\frmUno", "Top", "100");
        kelRegistry::SaveAppString("\\Pos\\frmUno", "Left", "200");
        kelRegistry::SaveAppString("\\Pos\\frmDos", "Top", "300");
        kelRegistry::SaveAppString("\\Configuracion", "Idioma", "2000");

        kelRegistry::DeleteAppSetting("\\Pos\\frmUno", "Top");
        QCOMPARE(kelRegistry::GetAppString("\\Pos\\frmUno", "Top"), QString());
        QCOMPARE(kelRegistry::GetAppString("\\Pos\\frmUno", "Left"), QString("200"));
        kelRegistry::DeleteAppSetting("\\Pos\\frmUno", "NoExiste"); // ignored

        kelRegistry::DeleteAppSetting("\\Pos\\", QString(), true);
        QCOMPARE(kelRegistry::GetAppString("\\Pos\\frmUno", "Left"), QString());
        QCOMPARE(kelRegistry::GetAppString("\\Pos\\frmDos", "Top"), QString());
        QCOMPARE(kelRegistry::GetAppString("\\Configuracion", "Idioma"), QString("2000"));
    }

    void informacionYEnumeracionDeValores() {
        EntornoPrueba env;
        kelRegistry::SaveAppString("\\Lista", "Primero", "uno");
        kelRegistry::SaveAppString("\\Lista", "Segundo", "dos dos");
        kelRegistry::SaveAppString("\\Lista\\Sub", "x", "y");
        kelRegistry::InfoClave info;
        QCOMPARE(kelRegistry::GetAppKeyInfo("\\Lista", info), 2);
        QCOMPARE(info.NumSubclaves, 1);
        QCOMPARE(info.LongNombreValorMax, 7);
        QCOMPARE(info.LongDatosMax, 7);

        kelRegistry::InfoClave falta;
        falta.NumValores = 42;
        QCOMPARE(kelRegistry::GetAppKeyInfo("\\NoExiste", falta), 42);

        QStringList vistos;
        kelRegistry::EnumValor e;
        for (e.Indice = 0; kelRegistry::EnumAppValue("\\Lista", e); ++e.Indice)
            vistos << e.Nombre + "=" + e.Datos;
        vistos.sort();
        QCOMPARE(vistos, QStringList({"Primero=uno", "Segundo=dos dos"}));
    }

    void posicionGuardadaYRecuperada() {
        EntornoPrueba env;
        {
            QWidget w;
            w.setObjectName("frmPrueba");
            w.setGeometry(120, 80, 400, 300);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            kelRegistry::SaveFormPosition(&w);
        }
        QCOMPARE(kelRegistry::GetAppString("\\Pos\\frmPrueba", "WindowState"), QString("0"));
        QCOMPARE(kelRegistry::GetAppString("\\Pos\\frmPrueba", "Width"), QString("6000"));
        QCOMPARE(kelRegistry::GetAppString("\\Pos\\frmPrueba", "Height"), QString("4500"));
        const int top = kelRegistry::GetAppString("\\Pos\\frmPrueba", "Top").toInt();
        QVERIFY(top > 0);

        QWidget otra;
        otra.setObjectName("frmPrueba");
        otra.setGeometry(10, 10, 100, 100);
        kelRegistry::RestoreFormPosition(&otra);
        QCOMPARE(otra.size(), QSize(400, 300));
        QCOMPARE(otra.pos().y() * kelRegistry::TwipsPorPixel, top);
        // Free per-window values live under "\\Info\\" + the window's name.
        QCOMPARE(kelRegistry::GetFormInfo(&otra, "ColAlbaranWidth1"), QString());
        kelRegistry::SaveFormInfo(&otra, "ColAlbaranWidth1", "1200");
        QCOMPARE(kelRegistry::GetAppString("\\Info\\frmPrueba", "ColAlbaranWidth1"),
                 QString("1200"));
        QCOMPARE(kelRegistry::GetFormInfo(&otra, "ColAlbaranWidth1"), QString("1200"));
    }

    // A Top of 0 or less, or none, leaves the designed place; a fixed border never gets a size.
    void restaurar_data() {
        QTest::addColumn<QString>("top");
        QTest::addColumn<bool>("fija");
        QTest::addColumn<QRect>("esperada");
        QTest::newRow("top 0") << QString("0") << false << QRect(30, 40, 200, 100);
        QTest::newRow("top negativo") << QString("-150") << false << QRect(30, 40, 200, 100);
        QTest::newRow("nada guardado") << QString() << false << QRect(30, 40, 200, 100);
        QTest::newRow("redimensionable") << QString("1500") << false << QRect(200, 100, 600, 600);
        QTest::newRow("borde fijo") << QString("1500") << true << QRect(200, 100, 200, 100);
    }
    void restaurar() {
        QFETCH(QString, top);
        QFETCH(bool, fija);
        QFETCH(QRect, esperada);
        EntornoPrueba env;
        kelRegistry::SaveAppString("\\Pos\\frmPrueba", "WindowState", "0");
        GuardaPosicion("frmPrueba", top, "3000", "9000", "9000");
        QWidget w;
        w.setObjectName("frmPrueba");
        w.setGeometry(30, 40, 200, 100);
        if (fija)
            w.setFixedSize(200, 100);
        kelRegistry::RestoreFormPosition(&w);
        QCOMPARE(w.geometry(), esperada);
    }

    void maximizadaVuelveMaximizadaSobreElRectanguloDisenado() {
        EntornoPrueba env;
        {
            QWidget w;
            w.setObjectName("frmMax");
            w.setGeometry(50, 60, 300, 200);
            w.showMaximized();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QTRY_VERIFY(w.isMaximized());
            kelRegistry::SaveFormPosition(&w);
        }
        QCOMPARE(kelRegistry::GetAppString("\\Pos\\frmMax", "WindowState"), QString("2"));
        QWidget w;
        w.setObjectName("frmMax");
        w.setGeometry(50, 60, 300, 200);
        kelRegistry::RestoreFormPosition(&w);
        QVERIFY(w.windowState() & Qt::WindowMaximized);
        QCOMPARE(w.normalGeometry().isValid() ? w.normalGeometry().size() : w.size(),
                 QSize(300, 200));
    }

    void minimizadaGuardaSoloElEstado() {
        EntornoPrueba env;
        GuardaPosicion("frmMin", "1500", "1500", "4500", "3000");
        {
            QWidget w;
            w.setObjectName("frmMin");
            w.setGeometry(500, 500, 600, 600);
            w.setWindowState(Qt::WindowMinimized);
            QVERIFY(w.isMinimized());
            kelRegistry::SaveFormPosition(&w);
        }
        QCOMPARE(kelRegistry::GetAppString("\\Pos\\frmMin", "WindowState"), QString("1"));
        QCOMPARE(kelRegistry::GetAppString("\\Pos\\frmMin", "Width"), QString("4500"));
        QWidget w;
        w.setObjectName("frmMin");
        kelRegistry::RestoreFormPosition(&w);
        QVERIFY(w.windowState() & Qt::WindowMinimized);
        QCOMPARE(w.size(), QSize(300, 200));
    }

private:
    QTemporaryDir m_config;
};

QTEST_MAIN(TestRegistro)
#include "tst_registro.moc"
