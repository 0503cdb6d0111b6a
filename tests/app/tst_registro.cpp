// The stored-value store and the window-position store.
#include "app/kelregistry.h"
#include "support/entornoprueba.h"
#include "ticket/archivosprueba.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

class TestRegistro : public QObject {
    Q_OBJECT

private slots:
    // The user's own store of this run lives in a temporary folder, never in the real one.
    void initTestCase() {
        QVERIFY(m_config.isValid() && QDir(m_config.path()).mkpath("Kel Software"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    }

    // Settings typed by an administrator read back exactly as typed.
    void editadoAMano_data() {
        QTest::addColumn<QByteArray>("archivo");
        QTest::addColumn<QString>("esperado");
        QTest::addColumn<bool>("delUsuario");
        QTest::addColumn<QString>("clave");
        auto fila = [](const char* caso, const QByteArray& archivo, const QString& esperado,
                       bool delUsuario = false, const char* clave = "\\Empresa") {
            QTest::newRow(caso) << archivo << esperado << delUsuario << QString(clave);
        };
        fila("comas y punto y coma", "[Empresa]\nCliente=Frutas Mart\xc3\xadnez,S.L.;2\n",
             "Frutas Martínez,S.L.;2");
        fila("blancos y comillas que no lo envuelven todo",
             "[Empresa]\r\n  Cliente =\t\"Bar\" Pepe \r\n", "\"Bar\" Pepe");
        fila("entre comillas", "[Empresa]\nCliente=\" Kg \\\"x\\\"\"\n", " Kg \"x\"");
        fila("grupo en el nombre, barras en el valor", "[Empresa]\nSub\\Cliente=C:\\t\\n.dti\n",
             "C:\\t\\n.dti", false, "\\Empresa\\Sub");
        fila("comentarios y otros grupos",
             "; Cliente=a\n[Empresa]\n# Cliente=b\nCliente=|\n[Otro]\nCliente=c\n", "|");
        fila("otra letra mayúscula", "[empresa]\nCLIENTE=,\n", ",");
#if !defined(Q_OS_WIN) && !defined(Q_OS_DARWIN)
        fila("archivo del usuario", "[Empresa]\nCliente=A,B\n", "A,B", true);
#endif
    }
    void editadoAMano() {
        QFETCH(QByteArray, archivo);
        QFETCH(QString, esperado);
        QFETCH(bool, delUsuario);
        QFETCH(QString, clave);
        EntornoPrueba env;
        const QString ruta = delUsuario ? m_config.filePath("Kel Software/Software de pesaje.conf")
                                        : env.ArchivoAjustes();
        QVERIFY(EscribeArchivo(ruta, archivo));
        kelRegistry::UsaArchivoIni(delUsuario ? QString() : ruta);
        QCOMPARE(kelRegistry::GetAppString(clave, "Cliente"), esperado);
        QFile::remove(ruta);
    }

    // Writing changes the lines of the values that changed and keeps every other byte: the
    // company name of a Windows-1252 file survives the window positions stored at exit.
    void escribirCambiaSoloLoCambiado() {
        EntornoPrueba env;
        QVERIFY(EscribeArchivo(env.ArchivoAjustes(), "; Estaci\xf3n 3\r\n[Empresa]\r\n"
                                                     "Cliente=Frutas Mart\xednez S.L.\r\n\r\n"
                                                     "[Configuracion]\r\nColumnas\\Definido=1\r\n"
                                                     "Idioma=0"));
        QVERIFY(kelRegistry::SaveAppString("\\Empresa", "Cliente", "Frutas Martínez S.L."));
        QVERIFY(kelRegistry::SaveAppString("\\Configuracion\\Columnas", "Definido", "1"));
        QVERIFY(kelRegistry::SaveAppString("\\Configuracion", "Idioma", "2000"));
        QVERIFY(kelRegistry::SaveAppString("\\Empresa", "NIFCliente", "B-12 Ñ"));
        QVERIFY(kelRegistry::SaveAppString("\\Pos\\frmMain", "Top", "1500"));
        QCOMPARE(LeeArchivo(env.ArchivoAjustes()),
                 QByteArray("; Estaci\xf3n 3\r\n[Empresa]\r\nCliente=Frutas Mart\xednez S.L.\r\n"
                            "NIFCliente=B-12 \xd1\r\n\r\n[Configuracion]\r\n"
                            "Columnas\\Definido=1\r\nIdioma=2000\r\n\r\n"
                            "[Pos\\frmMain]\r\nTop=1500\r\n"));
        QCOMPARE(kelRegistry::GetAppString("\\Empresa", "NIFCliente"), QString("B-12 Ñ"));
    }

    // Whatever a value or a name holds, it reads back as written.
    void escritoYLeido_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("valor");
        auto fila = [](const char* caso, const char* nombre, const QString& valor) {
            QTest::newRow(caso) << QString(nombre) << valor;
        };
        fila("blancos en los extremos", "Unidad", " Kg\t");
        fila("entre comillas", "Cita", "\"dicho\"");
        fila("comentario, separadores y barras", "Nota", "; #Señor \"x\" = y, z C:\\x\\0\\\"");
        fila("saltos y control", "Lineas", QString("uno\r\ndos\tb") + QChar(1) + "7");
        fila("nombre con blancos y signos", " a=b;[c]%d# ", "1200|800");
    }
    void escritoYLeido() {
        QFETCH(QString, nombre);
        QFETCH(QString, valor);
        EntornoPrueba env;
        QVERIFY(kelRegistry::SaveAppString("\\A\\B", "Antes", "1"));
        QVERIFY(kelRegistry::SaveAppString("\\A\\B", nombre, valor));
        QVERIFY(kelRegistry::SaveAppString("\\A\\B", "Despues", "2"));
        QCOMPARE(kelRegistry::GetAppString("\\A\\B", nombre), valor);
        kelRegistry::EnumValor e;
        e.Indice = 1;
        QVERIFY(kelRegistry::EnumAppValue("\\A\\B", e));
        QCOMPARE(e.Nombre, nombre);
        e.Indice = 3;
        QVERIFY(!kelRegistry::EnumAppValue("\\A\\B", e));
        QCOMPARE(kelRegistry::GetAppString("\\A\\B", "Despues"), QString("2"));
    }

    // Deleting a key takes its groups with their comments, in either way of writing them.
    void borrarLaClaveEntera() {
        EntornoPrueba env;
        QVERIFY(EscribeArchivo(env.ArchivoAjustes(), "[Pos]\nfrmUno\\Top=100\nfrmUno\\Left=200\n"
                                                     "[Pos\\frmDos]\n; nota\nTop=300\n"
                                                     "[Configuracion]\nIdioma=2000\n"));
        kelRegistry::DeleteAppSetting("\\Pos\\", QString(), true);
        QCOMPARE(LeeArchivo(env.ArchivoAjustes()), QByteArray("[Configuracion]\nIdioma=2000\n"));
    }

    // A window's place, stored in twips over an older rectangle at (200, 100) of 300 x 200
    // pixels. A Top of 0 or less leaves the designed place; a fixed border never gets a size.
    // Closed normal: state 0 and its rectangle. Closed maximised: state 2, and back maximised
    // over its designed rectangle. Closed minimised: only state 1 is stored, and it comes back
    // minimised over the older rectangle.
    void posicion_data() {
        QTest::addColumn<QString>("top");
        QTest::addColumn<int>("cerrada"); // the state the window closed in; -1: not shown
        QTest::addColumn<bool>("fija");
        QTest::addColumn<QRect>("esperada");
        QTest::newRow("top 0") << QString("0") << -1 << false << QRect(50, 60, 100, 100);
        QTest::newRow("borde fijo") << QString("1500") << -1 << true << QRect(200, 100, 100, 100);
        // Closed normal, it comes back where its frame was.
        QTest::newRow("normal") << QString("1500") << 0 << false << QRect(0, 0, 400, 300);
        QTest::newRow("maximizada") << QString("1500") << 2 << false << QRect(50, 60, 100, 100);
        QTest::newRow("minimizada") << QString("1500") << 1 << false << QRect(200, 100, 300, 200);
    }
    void posicion() {
        QFETCH(QString, top);
        QFETCH(int, cerrada);
        QFETCH(bool, fija);
        QFETCH(QRect, esperada);
        EntornoPrueba env;
        const QStringList guardado{"Top", top, "Left", "3000", "Width", "4500", "Height", "3000"};
        for (int i = 0; i < guardado.size(); i += 2)
            kelRegistry::SaveAppString("\\Pos\\frmX", guardado[i], guardado[i + 1]);
        if (cerrada >= 0) {
            QWidget w;
            w.setObjectName("frmX");
            w.setGeometry(120, 80, 400, 300);
            if (cerrada == 1) {
                w.setWindowState(Qt::WindowMinimized);
            } else {
                cerrada == 2 ? w.showMaximized() : w.show();
                QVERIFY(QTest::qWaitForWindowExposed(&w));
                QTRY_COMPARE(w.isMaximized(), cerrada == 2);
            }
            kelRegistry::SaveFormPosition(&w);
            if (cerrada == 0)
                esperada.moveTopLeft(w.frameGeometry().topLeft());
            QCOMPARE(kelRegistry::GetAppString("\\Pos\\frmX", "WindowState"),
                     QString::number(cerrada));
        }
        QWidget w;
        w.setObjectName("frmX");
        w.setGeometry(50, 60, 100, 100);
        if (fija)
            w.setFixedSize(100, 100);
        kelRegistry::RestoreFormPosition(&w);
        const Qt::WindowStates estados[] = {{}, {}, Qt::WindowMinimized, Qt::WindowMaximized};
        QCOMPARE(w.windowState(), estados[cerrada + 1]);
        QCOMPARE(w.normalGeometry().isValid() ? w.normalGeometry() : w.geometry(), esperada);
        // Free per-window values live under "\\Info\\" + the window's name.
        kelRegistry::SaveFormInfo(&w, "ColAlbaranWidth1", "1200");
        QCOMPARE(kelRegistry::GetAppString("\\Info\\frmX", "ColAlbaranWidth1"), "1200");
    }

private:
    QTemporaryDir m_config;
};

QTEST_MAIN(TestRegistro)
#include "tst_registro.moc"
