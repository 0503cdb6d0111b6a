// The settings object: defaults, conversions of stored text, and the stored layout.
#include "app/clsdatosapp.h"
#include "app/kelregistry.h"
#include "support/entornoprueba.h"

#include <QFile>
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
        // The serial ticket line: no flow control, 19200 bps, no parity, 8 data bits, 1 stop bit.
        const QList<qint32> linea{d.CommTiquetFlujo(), d.CommTiquetBPS(), d.CommTiquetParidad(),
                                  d.CommTiquetBitsDatos(), d.CommTiquetBitsParada()};
        QCOMPARE(linea, QList<qint32>({0, 6, 2, 4, 0}));
        QCOMPARE(d.ModeloTicket(), QString());
        QCOMPARE(d.UnidadMedida(), QString());
        QCOMPARE(d.DatosEmpresa(0), QString());
        QVERIFY(!d.NumeracionAutomatica());
        QVERIFY(!d.PesoContinuo());
        QCOMPARE(d.PaginaCodigosTiquet(), QString("IBM850"));
        QCOMPARE(d.Caption(), QString("Pesix v.1.0.6"));
        d.SetDatosEmpresa(3, "fuera");
        QCOMPARE(d.DatosEmpresa(3), QString());
        d.SetTipoImpresora(5);
        QCOMPARE(d.TipoImpresora(), 0);
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

    // Booleans: any non-zero number. Numbers: the leading number, rounded, for the settings of
    // "\\Configuracion"; the whole text or 0 for the ticket-line settings, where a stored 0 stays
    // and only a missing or empty value takes the serial channel's line.
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
        fila("CommTiquetBitsDatos 0 guardado", tiquet, "CommTiquetBitsDatos", "0", 0);
        fila("CommTiquetParidad vacío", tiquet, "CommTiquetParidad", "", 2);
        fila("booleano 1", conf, "PesoContinuo", "1", 1);
        fila("booleano -1", conf, "PesoContinuo", "-1", 1);
        fila("booleano 0", conf, "NumeracionAutomatica", "0", 0);
        fila("booleano palabra", conf, "PesoContinuo", "Verdadero", 0);
        fila("booleano vacío", conf, "NumeracionAutomatica", "", 0);
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
            {"CommTiquetBitsDatos", d.CommTiquetBitsDatos()},
            {"PesoContinuo", d.PesoContinuo()},
            {"NumeracionAutomatica", d.NumeracionAutomatica()},
        };
        QCOMPARE(leido.value(nombre, -1), esperado);
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
            d.SetCommTiquetParidad(3);
            d.SetCommTiquetBitsDatos(3);
            d.SetCommTiquetBitsParada(1);
            d.SetIdioma(2000);
            d.SetPuerto(4);
            d.SetTipoBascula(1);
            d.SetTipoImpresora(1);
            d.SetPuertoImpresoraTiquets(3);
            d.SetNumeracionAutomatica(true);
            d.SetPesoContinuo(true);
            for (int i = 0; i < 3; ++i)
                d.SetDatosEmpresa(i, QString("Calle Mayor, %1").arg(i));
            d.SetModeloTicket("/tmp/ticket.dti");
            d.SetNombreImpresoraTiquets("Tiquets");
            d.SetPuertoNombre("/dev/ttyUSB0");
            d.SetUnidadMedida(" Kg ");
            d.SetPaginaCodigosTiquet("CP437");
            d.GuardaConfiguracion();
        }
        // Stored under the names of the stored layout; the company is never written.
        QCOMPARE(kelRegistry::GetAppString("\\Configuracion", "TipoPuertoImpresoraTiquets"), "3");
        QCOMPARE(kelRegistry::GetAppString("\\Configuracion\\Columnas", "Definido"), "1");
        QCOMPARE(kelRegistry::GetAppString("\\Configuracion\\Tiquet", "CommTiquetBPS"), "9");
        QCOMPARE(kelRegistry::GetAppString("\\Empresa", "Cliente"), QString());

        const clsDatosApp& d = env.Datos();
        QStringList leido;
        for (int i = 1; i <= 9; ++i)
            leido << QString::number(d.ColPantalla(i)) + QString::number(d.ColImpresas(i));
        for (qint32 n :
             {d.CommTiquetFlujo(), d.CommTiquetBPS(), d.CommTiquetParidad(),
              d.CommTiquetBitsDatos(), d.CommTiquetBitsParada(), d.Idioma(), qint32(d.Puerto()),
              d.TipoBascula(), d.TipoImpresora(), d.PuertoImpresoraTiquets(),
              qint32(d.NumeracionAutomatica()), qint32(d.PesoContinuo())})
            leido << QString::number(n);
        leido << d.DatosEmpresa(0) << d.DatosEmpresa(1) << d.DatosEmpresa(2) << d.ModeloTicket()
              << d.NombreImpresoraTiquets() << d.PuertoNombre() << d.UnidadMedida()
              << d.PaginaCodigosTiquet();
        QCOMPARE(leido.join('|'), QString("00|10|01|10|00|11|00|10|01|1|9|3|3|1|2000|4|1|1|3|1|1|"
                                          "Calle Mayor, 0|Calle Mayor, 1|Calle Mayor, 2|"
                                          "/tmp/ticket.dti|Tiquets|/dev/ttyUSB0| Kg |CP437"));
    }

    // The company and the separators as typed by hand in the settings file; a separator not
    // stored comes from the locale, and the list separator follows the decimal one in effect.
    void empresaYSeparadores_data() {
        QTest::addColumn<QString>("local");
        QTest::addColumn<QByteArray>("archivo");
        QTest::addColumn<QString>("decimal");
        QTest::addColumn<QString>("listas");
        QTest::addColumn<QString>("caption");
        const QString programa = "Pesix v.1.0.6";
        QTest::newRow("es_ES sin nada") << "es_ES" << QByteArray() << ","
                                        << ";" << programa;
        QTest::newRow("en_US sin nada") << "en_US" << QByteArray() << "."
                                        << "," << programa;
        QTest::newRow("coma guardada en en_US")
            << "en_US" << QByteArray("[Internacional]\nsDecimal=,\n") << ","
            << ";" << programa;
        QTest::newRow("punto guardado en es_ES")
            << "es_ES" << QByteArray("[Internacional]\nsDecimal=.\n") << "."
            << "," << programa;
        QTest::newRow("lista guardada")
            << "en_US" << QByteArray("[Internacional]\nsList=;\nsDecimal=.\n") << "."
            << ";" << programa;
        QTest::newRow("empresa") << "es_ES"
                                 << QByteArray("[Empresa]\nCliente=Frutas Mart\xednez,S.L.;2\n")
                                 << ","
                                 << ";" << programa + " - Frutas Martínez,S.L.;2";
    }
    void empresaYSeparadores() {
        QFETCH(QString, local);
        QFETCH(QByteArray, archivo);
        QFETCH(QString, decimal);
        QFETCH(QString, listas);
        QFETCH(QString, caption);
        EntornoPrueba env;
        QFile f(env.ArchivoAjustes());
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(archivo) == archivo.size());
        f.close();
        const QLocale antes;
        QLocale::setDefault(QLocale(local));
        clsDatosApp& d = env.Datos();
        QLocale::setDefault(antes);
        QCOMPARE(d.SeparadorDecimal(), decimal);
        QCOMPARE(d.SeparadorMonedaDecimal(), QLocale(local).decimalPoint());
        QCOMPARE(d.SeparadorListas(), listas);
        QCOMPARE(d.Caption(), caption);
    }
};

QTEST_GUILESS_MAIN(TestDatosApp)
#include "tst_datosapp.moc"
