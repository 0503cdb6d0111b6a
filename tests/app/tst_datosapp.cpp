// The settings object: defaults, conversions of stored text, and the stored layout.
#include "app/clsdatosapp.h"
#include "app/kelregistry.h"
#include "support/entornoprueba.h"

#include <QSettings>
#include <QTest>

class TestDatosApp : public QObject {
    Q_OBJECT

private slots:
    void sinNadaGuardadoDaLosValoresIniciales() {
        EntornoPrueba env;
        clsDatosApp& d = env.Datos();
        for (int i = 1; i <= 9; ++i) {
            QVERIFY(d.ColPantalla(i));
            QCOMPARE(d.ColImpresas(i), i == 1 || i == 2 || i == 5 || i == 6);
        }
        QCOMPARE(d.Idioma(), 0);
        QCOMPARE(d.Puerto(), qint16(0));
        QCOMPARE(d.TipoBascula(), 0);
        QCOMPARE(d.TipoImpresora(), 0);
        QCOMPARE(d.PuertoImpresoraTiquets(), 0);
        QCOMPARE(d.CommTiquetBPS(), 0);
        QCOMPARE(d.ModeloTicket(), QString());
        QCOMPARE(d.UnidadMedida(), QString());
        QCOMPARE(d.DatosEmpresa(0), QString());
        QVERIFY(!d.NumeracionAutomatica());
        QVERIFY(!d.PesoContinuo());
        QCOMPARE(d.PaginaCodigosTiquet(), QString("IBM850"));
        QCOMPARE(d.Caption(), QString("Pesix v.1.0.6 - "));
    }

    // Once Definido is exactly 1 the columns are read, and a missing one is hidden and not
    // printed; any other number leaves every column at its default.
    void definido_data() {
        QTest::addColumn<QString>("definido");
        QTest::addColumn<bool>("leidas");
        QTest::newRow("1") << "1" << true;
        QTest::newRow("2") << "2" << false;
        QTest::newRow("1.4 no es 1") << "1.4" << false;
    }
    void definido() {
        QFETCH(QString, definido);
        QFETCH(bool, leidas);
        EntornoPrueba env;
        kelRegistry::SaveAppString("\\Configuracion\\Columnas", "Definido", definido);
        kelRegistry::SaveAppString("\\Configuracion\\Columnas", "Pantalla3", "0");
        kelRegistry::SaveAppString("\\Configuracion\\Columnas", "Pantalla4", "1");
        kelRegistry::SaveAppString("\\Configuracion\\Columnas", "Impresas4", "1");
        clsDatosApp& d = env.Datos();
        for (int i = 1; i <= 9; ++i) {
            const bool porDefecto = i == 1 || i == 2 || i == 5 || i == 6;
            QCOMPARE(d.ColPantalla(i), leidas ? i == 4 : true);
            QCOMPARE(d.ColImpresas(i), leidas ? i == 4 : porDefecto);
        }
    }

    void booleanos_data() {
        QTest::addColumn<QString>("guardado");
        QTest::addColumn<bool>("esperado");
        QTest::newRow("1") << "1" << true;
        QTest::newRow("-1") << "-1" << true;
        QTest::newRow("0") << "0" << false;
        QTest::newRow("palabra") << "Verdadero" << false;
        QTest::newRow("vacío") << "" << false;
    }
    void booleanos() {
        QFETCH(QString, guardado);
        QFETCH(bool, esperado);
        EntornoPrueba env;
        kelRegistry::SaveAppString("\\Configuracion", "PesoContinuo", guardado);
        kelRegistry::SaveAppString("\\Configuracion", "NumeracionAutomatica", guardado);
        clsDatosApp& d = env.Datos();
        QCOMPARE(d.PesoContinuo(), esperado);
        QCOMPARE(d.NumeracionAutomatica(), esperado);
    }

    // Numbers: the leading number, rounded, for the settings of "\\Configuracion"; the whole
    // text or 0 for the ticket-line settings.
    void numeros_data() {
        QTest::addColumn<QString>("clave");
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("guardado");
        QTest::addColumn<int>("esperado");
        const QString conf = "\\Configuracion", tiquet = "\\Configuracion\\Tiquet";
        auto fila = [](const char* caso, const QString& clave, const char* nombre,
                       const char* guardado, int esperado) {
            QTest::newRow(caso) << clave << QString(nombre) << QString(guardado) << esperado;
        };
        fila("Idioma catalán", conf, "Idioma", "2000", 2000);
        fila("Idioma con texto detrás", conf, "Idioma", "4000 inglés", 4000);
        fila("Idioma no numérico", conf, "Idioma", "abc", 0);
        fila("TipoImpresora 2 pasa a 0", conf, "TipoImpresora", "2", 0);
        fila("TipoBascula redondea", conf, "TipoBascula", "1.6", 2);
        fila("Puerto fuera de 16 bits", conf, "Puerto", "70000", 0);
        fila("TipoPuertoImpresoraTiquets", conf, "TipoPuertoImpresoraTiquets", "3", 3);
        fila("CommTiquetBPS", tiquet, "CommTiquetBPS", "9", 9);
        fila("CommTiquetParidad no numérico", tiquet, "CommTiquetParidad", "x", 0);
    }
    void numeros() {
        QFETCH(QString, clave);
        QFETCH(QString, nombre);
        QFETCH(QString, guardado);
        QFETCH(int, esperado);
        EntornoPrueba env;
        kelRegistry::SaveAppString(clave, nombre, guardado);
        clsDatosApp& d = env.Datos();
        const QHash<QString, int> leido{
            {"Idioma", d.Idioma()},
            {"TipoImpresora", d.TipoImpresora()},
            {"TipoBascula", d.TipoBascula()},
            {"Puerto", d.Puerto()},
            {"TipoPuertoImpresoraTiquets", d.PuertoImpresoraTiquets()},
            {"CommTiquetBPS", d.CommTiquetBPS()},
            {"CommTiquetParidad", d.CommTiquetParidad()},
        };
        QCOMPARE(leido.value(nombre, -1), esperado);
    }

    void invariantesDeLosSetters() {
        EntornoPrueba env;
        clsDatosApp& d = env.Datos();
        d.SetTipoImpresora(5);
        QCOMPARE(d.TipoImpresora(), 0);
        d.SetDatosEmpresa(3, "fuera");
        QCOMPARE(d.DatosEmpresa(3), QString());
    }

    void guardarYCargarDevuelveLoMismo() {
        EntornoPrueba env;
        {
            clsDatosApp& d = env.Datos();
            for (int i = 1; i <= 9; ++i) {
                d.SetColPantalla(i, i % 2 == 0);
                d.SetColImpresas(i, i % 3 == 0);
            }
            d.SetCommTiquetFlujo(1);
            d.SetCommTiquetBPS(9);
            d.SetCommTiquetParidad(2);
            d.SetCommTiquetBitsDatos(3);
            d.SetCommTiquetBitsParada(1);
            for (int i = 0; i < 3; ++i)
                d.SetDatosEmpresa(i, QString("Calle Mayor, %1").arg(i));
            d.SetIdioma(2000);
            d.SetModeloTicket("/tmp/ticket.dti");
            d.SetNombreImpresoraTiquets("Tiquets");
            d.SetNumeracionAutomatica(true);
            d.SetPesoContinuo(true);
            d.SetPuerto(4);
            d.SetPuertoNombre("/dev/ttyUSB0");
            d.SetTipoBascula(1);
            d.SetTipoImpresora(1);
            d.SetPuertoImpresoraTiquets(3);
            d.SetUnidadMedida(" Kg ");
            d.GuardaConfiguracion();
        }
        // Stored as text, under the names of the stored layout.
        QSettings ini(env.ArchivoAjustes(), QSettings::IniFormat);
        QCOMPARE(ini.value("Configuracion/TipoPuertoImpresoraTiquets").toString(), QString("3"));
        QVERIFY(!ini.contains("Configuracion/PuertoImpresoraTiquets"));
        QCOMPARE(ini.value("Configuracion/PesoContinuo").toString(), QString("1"));
        QCOMPARE(ini.value("Configuracion/Columnas/Definido").toString(), QString("1"));
        QCOMPARE(ini.value("Configuracion/Columnas/Pantalla3").toString(), QString("0"));
        QCOMPARE(ini.value("Configuracion/Columnas/Impresas3").toString(), QString("1"));
        QCOMPARE(ini.value("Configuracion/Tiquet/CommTiquetBPS").toString(), QString("9"));
        QCOMPARE(ini.value("Configuracion/Idioma").typeId(), int(QMetaType::QString));

        clsDatosApp& d = env.Datos();
        for (int i = 1; i <= 9; ++i) {
            QCOMPARE(d.ColPantalla(i), i % 2 == 0);
            QCOMPARE(d.ColImpresas(i), i % 3 == 0);
        }
        QCOMPARE(d.CommTiquetFlujo(), 1);
        QCOMPARE(d.CommTiquetBPS(), 9);
        QCOMPARE(d.CommTiquetParidad(), 2);
        QCOMPARE(d.CommTiquetBitsDatos(), 3);
        QCOMPARE(d.CommTiquetBitsParada(), 1);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(d.DatosEmpresa(i), QString("Calle Mayor, %1").arg(i));
        QCOMPARE(d.Idioma(), 2000);
        QCOMPARE(d.ModeloTicket(), QString("/tmp/ticket.dti"));
        QCOMPARE(d.NombreImpresoraTiquets(), QString("Tiquets"));
        QVERIFY(d.NumeracionAutomatica());
        QVERIFY(d.PesoContinuo());
        QCOMPARE(d.Puerto(), qint16(4));
        QCOMPARE(d.PuertoNombre(), QString("/dev/ttyUSB0"));
        QCOMPARE(d.TipoBascula(), 1);
        QCOMPARE(d.TipoImpresora(), 1);
        QCOMPARE(d.PuertoImpresoraTiquets(), 3);
        QCOMPARE(d.UnidadMedida(), QString(" Kg "));
    }

    void empresaYSeparadoresGuardadosMandan() {
        EntornoPrueba env;
        kelRegistry::SaveAppString("\\Empresa", "Cliente", "Frutas Martínez S.L.");
        kelRegistry::SaveAppString("\\Empresa", "NIFCliente", "B12345678");
        kelRegistry::SaveAppString("\\Internacional", "sList", "|");
        kelRegistry::SaveAppString("\\Internacional", "sDecimal", ",");
        clsDatosApp& d = env.Datos();
        QCOMPARE(d.Cliente(), QString("Frutas Martínez S.L."));
        QCOMPARE(d.NIFCliente(), QString("B12345678"));
        QCOMPARE(d.Caption(), QString("Pesix v.1.0.6 - Frutas Martínez S.L."));
        QCOMPARE(d.SeparadorListas(), QString("|"));
        QCOMPARE(d.SeparadorDecimal(), QString(","));
    }

    void separadoresDelLocal_data() {
        QTest::addColumn<QString>("local");
        QTest::addColumn<QString>("decimal");
        QTest::addColumn<QString>("listas");
        QTest::newRow("es_ES") << QString("es_ES") << QString(",") << QString(";");
        QTest::newRow("en_US") << QString("en_US") << QString(".") << QString(",");
    }
    void separadoresDelLocal() {
        QFETCH(QString, local);
        QFETCH(QString, decimal);
        QFETCH(QString, listas);
        const QLocale antes;
        QLocale::setDefault(QLocale(local));
        EntornoPrueba env;
        clsDatosApp& d = env.Datos();
        const QString dec = d.SeparadorDecimal();
        const QString lis = d.SeparadorListas();
        const QString mon = d.SeparadorMonedaDecimal();
        QLocale::setDefault(antes);
        QCOMPARE(dec, decimal);
        QCOMPARE(lis, listas);
        QCOMPARE(mon, decimal);
    }
};

QTEST_GUILESS_MAIN(TestDatosApp)
#include "tst_datosapp.moc"
