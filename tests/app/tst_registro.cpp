// The stored-value store and the window-position store.
#include "app/kelregistry.h"
#include "support/entornoprueba.h"

#include <QDir>
#include <QFileInfo>
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

bool Escribe(const QString& ruta, const QByteArray& bytes) {
    QFile f(ruta);
    return QDir().mkpath(QFileInfo(ruta).path()) && f.open(QIODevice::WriteOnly) &&
           f.write(bytes) == bytes.size();
}

QByteArray Contenido(const QString& ruta) {
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(no se puede leer)");
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

    // Settings typed by an administrator read back exactly as typed.
    void editadoAMano_data() {
        QTest::addColumn<QByteArray>("archivo");
        QTest::addColumn<QString>("clave");
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("esperado");
        QTest::addColumn<bool>("delUsuario");
        auto fila = [](const char* caso, const QByteArray& archivo, const char* clave,
                       const char* nombre, const QString& esperado, bool delUsuario = false) {
            QTest::newRow(caso) << archivo << QString(clave) << QString(nombre) << esperado
                                << delUsuario;
        };
        const char* intl = "\\Internacional";
        fila("coma decimal", "[Internacional]\nsDecimal=,\n", intl, "sDecimal", ",");
        fila("punto y coma", "[Internacional]\nsList=;\n", intl, "sList", ";");
        fila("comas y punto y coma", "[Empresa]\nCliente=A,B;C\n", "\\Empresa", "Cliente", "A,B;C");
        fila("coma sin espacio detrás", "[Empresa]\nCliente=Frutas Mart\xc3\xadnez,S.L.\n",
             "\\Empresa", "Cliente", "Frutas Martínez,S.L.");
        fila("Windows-1252", "[Empresa]\r\nCliente=Frutas Mart\xednez S.L.\r\n", "\\Empresa",
             "Cliente", "Frutas Martínez S.L.");
        fila("blancos alrededor", "[Empresa]\r\n  Cliente =\tFrutas \r\n", "\\Empresa", "Cliente",
             "Frutas");
        fila("barras invertidas", "[Configuracion]\nModeloTicket=C:\\tickets\\nuevo.dti\n",
             "\\Configuracion", "ModeloTicket", "C:\\tickets\\nuevo.dti");
        fila("entre comillas", "[Configuracion]\nUnidadMedida=\" Kg \\\"x\\\"\"\n",
             "\\Configuracion", "UnidadMedida", " Kg \"x\"");
        fila("comillas que no lo envuelven todo", "[Empresa]\nCliente=\"Bar\" Pepe\n", "\\Empresa",
             "Cliente", "\"Bar\" Pepe");
        fila("grupo dentro del nombre", "[Configuracion]\nColumnas\\Definido=1\n",
             "\\Configuracion\\Columnas", "Definido", "1");
        fila("comentarios y otros grupos",
             "; sList=a\n[Internacional]\n# sList=b\nsList=|\n[Otro]\nsList=c\n", intl, "sList",
             "|");
        fila("otra letra mayúscula", "[internacional]\nSDECIMAL=,\n", intl, "sDecimal", ",");
#if !defined(Q_OS_WIN) && !defined(Q_OS_DARWIN)
        fila("archivo del usuario", "[Internacional]\nsList=;\n", intl, "sList", ";", true);
#endif
    }
    void editadoAMano() {
        QFETCH(QByteArray, archivo);
        QFETCH(QString, clave);
        QFETCH(QString, nombre);
        QFETCH(QString, esperado);
        QFETCH(bool, delUsuario);
        EntornoPrueba env;
        const QString ruta = delUsuario ? m_config.filePath("Kel Software/Software de pesaje.conf")
                                        : env.ArchivoAjustes();
        QVERIFY(Escribe(ruta, archivo));
        kelRegistry::UsaArchivoIni(delUsuario ? QString() : ruta);
        QCOMPARE(kelRegistry::GetAppString(clave, nombre), esperado);
        QFile::remove(ruta);
    }

    // Writing changes the lines of the values that changed and keeps every other byte: the
    // company name of a Windows-1252 file survives the window positions stored at exit.
    void escribirCambiaSoloLoCambiado() {
        EntornoPrueba env;
        QVERIFY(Escribe(env.ArchivoAjustes(), "; Estaci\xf3n 3\r\n[Empresa]\r\n"
                                              "Cliente=Frutas Mart\xednez S.L.\r\n\r\n"
                                              "[Configuracion]\r\nColumnas\\Definido=1\r\n"
                                              "Idioma=0"));
        const QByteArray antes = Contenido(env.ArchivoAjustes());
        QVERIFY(kelRegistry::SaveAppString("\\Empresa", "Cliente", "Frutas Martínez S.L."));
        QVERIFY(kelRegistry::SaveAppString("\\Configuracion\\Columnas", "Definido", "1"));
        QCOMPARE(Contenido(env.ArchivoAjustes()), antes);

        QVERIFY(kelRegistry::SaveAppString("\\Configuracion", "Idioma", "2000"));
        QVERIFY(kelRegistry::SaveAppString("\\Empresa", "NIFCliente", "B-12 Ñ"));
        QVERIFY(kelRegistry::SaveAppString("\\Pos\\frmMain", "Top", "1500"));
        QCOMPARE(Contenido(env.ArchivoAjustes()),
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
        QTest::newRow("vacío") << "Vacio"
                               << "";
        QTest::newRow("blancos en los extremos") << "Unidad"
                                                 << " Kg\t";
        QTest::newRow("entre comillas") << "Cita"
                                        << "\"dicho\"";
        QTest::newRow("separadores") << "Lista"
                                     << "Señor; \"x\" = y, z";
        QTest::newRow("saltos y control") << "Lineas" << QString("uno\r\ndos\tb") + QChar(1) + "7";
        QTest::newRow("barras invertidas") << "Ruta"
                                           << "C:\\x\\0\\\"";
        QTest::newRow("comentario al principio") << "Nota"
                                                 << "; #no";
        QTest::newRow("nombre con espacios") << " Mi conjunto "
                                             << "1200|800";
        QTest::newRow("nombre con signos") << "a=b;[c]%d#"
                                           << "x";
    }
    void escritoYLeido() {
        QFETCH(QString, nombre);
        QFETCH(QString, valor);
        EntornoPrueba env;
        QCOMPARE(kelRegistry::GetAppString("\\A\\B", nombre), QString());
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
    void borrarUnValorOLaClaveEntera() {
        EntornoPrueba env;
        QVERIFY(Escribe(env.ArchivoAjustes(), "[Pos]\nfrmUno\\Top=100\nfrmUno\\Left=200\n"
                                              "[Pos\\frmDos]\n; nota\nTop=300\n"
                                              "[Configuracion]\nIdioma=2000\n"));
        kelRegistry::DeleteAppSetting("\\Pos\\frmUno", "Top");
        kelRegistry::DeleteAppSetting("\\Pos\\frmUno", "NoExiste"); // ignored
        QCOMPARE(kelRegistry::GetAppString("\\Pos\\frmUno", "Top"), QString());
        QCOMPARE(kelRegistry::GetAppString("\\Pos\\frmUno", "Left"), QString("200"));
        kelRegistry::DeleteAppSetting("\\Pos\\", QString(), true);
        QCOMPARE(Contenido(env.ArchivoAjustes()), QByteArray("[Configuracion]\nIdioma=2000\n"));
    }

    void informacionDeLaClave() {
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
        // Free per-window values live under "\\Info\\" + the window's name.
        kelRegistry::SaveFormInfo(&w, "ColAlbaranWidth1", "1200");
        QCOMPARE(kelRegistry::GetAppString("\\Info\\frmPrueba", "ColAlbaranWidth1"), "1200");
    }

    // Closed normal: state 0 and its rectangle, in twips. Closed maximised: state 2, and back
    // maximised over its designed rectangle. Closed minimised: only state 1 is stored, and it
    // comes back minimised over the older rectangle.
    void estadoGuardado_data() {
        QTest::addColumn<int>("estado");
        QTest::addColumn<QSize>("disenado");
        QTest::addColumn<QSize>("esperado");
        QTest::newRow("normal") << 0 << QSize(100, 100) << QSize(400, 300);
        QTest::newRow("maximizada") << 2 << QSize(300, 200) << QSize(300, 200);
        QTest::newRow("minimizada") << 1 << QSize(100, 100) << QSize(300, 200);
    }
    void estadoGuardado() {
        QFETCH(int, estado);
        QFETCH(QSize, disenado);
        QFETCH(QSize, esperado);
        EntornoPrueba env;
        GuardaPosicion("frmX", "1500", "1500", "4500", "3000");
        {
            QWidget w;
            w.setObjectName("frmX");
            w.setGeometry(120, 80, 400, 300);
            if (estado == 1) {
                w.setWindowState(Qt::WindowMinimized);
            } else {
                estado == 2 ? w.showMaximized() : w.show();
                QVERIFY(QTest::qWaitForWindowExposed(&w));
                QTRY_COMPARE(w.isMaximized(), estado == 2);
            }
            kelRegistry::SaveFormPosition(&w);
        }
        QCOMPARE(kelRegistry::GetAppString("\\Pos\\frmX", "WindowState"), QString::number(estado));
        QWidget w;
        w.setObjectName("frmX");
        w.setGeometry(QRect(QPoint(50, 60), disenado));
        kelRegistry::RestoreFormPosition(&w);
        const Qt::WindowStates estados[] = {{}, Qt::WindowMinimized, Qt::WindowMaximized};
        QCOMPARE(w.windowState(), estados[estado]);
        QCOMPARE(w.normalGeometry().isValid() ? w.normalGeometry().size() : w.size(), esperado);
    }

private:
    QTemporaryDir m_config;
};

QTEST_MAIN(TestRegistro)
#include "tst_registro.moc"
