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
        QTest::newRow("otro número") << "7" << true;
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

    void numeros_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("guardado");
        QTest::addColumn<int>("esperado");
        QTest::newRow("Idioma catalán") << "Idioma"
                                        << "2000" << 2000;
        QTest::newRow("Idioma con texto detrás") << "Idioma"
                                                 << "4000 inglés" << 4000;
        QTest::newRow("Idioma no numérico") << "Idioma"
                                            << "abc" << 0;
        QTest::newRow("TipoImpresora 1") << "TipoImpresora"
                                         << "1" << 1;
        QTest::newRow("TipoImpresora 2 pasa a 0") << "TipoImpresora"
                                                  << "2" << 0;
        QTest::newRow("TipoImpresora -1 pasa a 0") << "TipoImpresora"
                                                   << "-1" << 0;
        QTest::newRow("TipoBascula redondea") << "TipoBascula"
                                              << "1.6" << 2;
        QTest::newRow("Puerto") << "Puerto"
                                << "3" << 3;
        QTest::newRow("Puerto fuera de 16 bits") << "Puerto"
                                                 << "70000" << 0;
        QTest::newRow("TipoPuertoImpresoraTiquets") << "TipoPuertoImpresoraTiquets"
                                                    << "3" << 3;
    }
    void numeros() {
        QFETCH(QString, nombre);
        QFETCH(QString, guardado);
        QFETCH(int, esperado);
        EntornoPrueba env;
        kelRegistry::SaveAppString("\\Configuracion", nombre, guardado);
        clsDatosApp& d = env.Datos();
        const QHash<QString, int> leido{
            {"Idioma", d.Idioma()},
            {"TipoImpresora", d.TipoImpresora()},
            {"TipoBascula", d.TipoBascula()},
            {"Puerto", d.Puerto()},
            {"TipoPuertoImpresoraTiquets", d.PuertoImpresoraTiquets()},
        };
        QCOMPARE(leido.value(nombre), esperado);
    }

    void lineasDeTiquet() {
        EntornoPrueba env;
        kelRegistry::SaveAppString("\\Configuracion\\Tiquet", "CommTiquetBPS", "9");
        kelRegistry::SaveAppString("\\Configuracion\\Tiquet", "CommTiquetParidad", "x");
        clsDatosApp& d = env.Datos();
        QCOMPARE(d.CommTiquetBPS(), 9);
        QCOMPARE(d.CommTiquetParidad(), 0);
    }

    void invariantesDeLosSetters() {
        EntornoPrueba env;
        clsDatosApp& d = env.Datos();
        d.SetTipoImpresora(5);
        QCOMPARE(d.TipoImpresora(), 0);
        d.SetTipoImpresora(1);
        QCOMPARE(d.TipoImpresora(), 1);
        d.SetDatosEmpresa(3, "fuera");
        d.SetDatosEmpresa(-1, "fuera");
        QCOMPARE(d.DatosEmpresa(3), QString());
        QCOMPARE(d.DatosEmpresa(-1), QString());
        d.SetDatosEmpresa(2, "  con espacios  ");
        QCOMPARE(d.DatosEmpresa(2), QString("  con espacios  "));
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
            d.SetDatosEmpresa(0, "Calle Mayor, 1");
            d.SetDatosEmpresa(1, "08001 Barcelona");
            d.SetDatosEmpresa(2, "Tel. 93 000 00 00");
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
            d.SetUnidadMedida("Kg");
            d.GuardaConfiguracion();
        }
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
        QCOMPARE(d.DatosEmpresa(0), QString("Calle Mayor, 1"));
        QCOMPARE(d.DatosEmpresa(1), QString("08001 Barcelona"));
        QCOMPARE(d.DatosEmpresa(2), QString("Tel. 93 000 00 00"));
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
        QCOMPARE(d.UnidadMedida(), QString("Kg"));
    }

    void seGuardaComoTextoConLosNombresDelAlmacen() {
        EntornoPrueba env;
        {
            clsDatosApp& d = env.Datos();
            d.SetPuertoImpresoraTiquets(2);
            d.SetPesoContinuo(true);
            d.SetColPantalla(3, false);
            d.GuardaConfiguracion();
        }
        env.Libera();
        kelRegistry::UsaArchivoIni(QString());
        QSettings ini(env.ArchivoAjustes(), QSettings::IniFormat);
        QCOMPARE(ini.value("Configuracion/TipoPuertoImpresoraTiquets").toString(), QString("2"));
        QVERIFY(!ini.contains("Configuracion/PuertoImpresoraTiquets"));
        QCOMPARE(ini.value("Configuracion/PesoContinuo").toString(), QString("1"));
        QCOMPARE(ini.value("Configuracion/Columnas/Definido").toString(), QString("1"));
        QCOMPARE(ini.value("Configuracion/Columnas/Pantalla3").toString(), QString("0"));
        QCOMPARE(ini.value("Configuracion/Columnas/Impresas1").toString(), QString("1"));
        QCOMPARE(ini.value("Configuracion/Tiquet/CommTiquetBPS").toString(), QString("0"));
        QCOMPARE(ini.value("Configuracion/Idioma").typeId(), int(QMetaType::QString));
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
        QTest::newRow("es_ES") << "es_ES"
                               << ","
                               << ";";
        QTest::newRow("en_US") << "en_US"
                               << "."
                               << ",";
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
