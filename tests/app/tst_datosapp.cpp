// The settings object: defaults, conversions of stored text, and the stored layout.
#include "app/clsdatosapp.h"
#include "app/kelregistry.h"
#include "support/entornoprueba.h"

#include <QFile>
#include <QTest>

class TestDatosApp : public QObject {
    Q_OBJECT

private slots:
    // Defaults; the stored columns are read only once Definido is exactly 1 ("1.4" is not),
    // and then a missing one is hidden and not printed.
    void valoresInicialesYColumnas() {
        EntornoPrueba env;
        const QString columnas = "\\Configuracion\\Columnas";
        kelRegistry::SaveAppString(columnas, "Definido", "1.4");
        kelRegistry::SaveAppString(columnas, "Pantalla3", "0");
        kelRegistry::SaveAppString(columnas, "Pantalla4", "1");
        kelRegistry::SaveAppString(columnas, "Impresas4", "1");
        clsDatosApp& d = env.Datos();
        for (int i = 1; i <= 9; ++i)
            QCOMPARE(QList<bool>({d.ColPantalla(i), d.ColImpresas(i)}),
                     QList<bool>({true, i == 1 || i == 2 || i == 5 || i == 6}));
        // The serial ticket line: no flow control, 19200 bps, no parity, 8 data bits, 1 stop bit.
        const QList<qint32> linea{d.CommTiquetFlujo(), d.CommTiquetBPS(), d.CommTiquetParidad(),
                                  d.CommTiquetBitsDatos(), d.CommTiquetBitsParada()};
        QCOMPARE(linea, QList<qint32>({0, 6, 2, 4, 0}));
        QCOMPARE(d.PaginaCodigosTiquet(), QString("IBM850"));
        d.SetDatosEmpresa(3, "fuera");
        QCOMPARE(d.DatosEmpresa(3), QString());

        kelRegistry::SaveAppString(columnas, "Definido", "1");
        const clsDatosApp& leidas = env.Datos();
        for (int i = 1; i <= 9; ++i)
            QCOMPARE(QList<bool>({leidas.ColPantalla(i), leidas.ColImpresas(i)}),
                     QList<bool>(2, i == 4));
    }

    // Booleans: any non-zero number. Numbers: the leading number, rounded, for the settings of
    // "\\Configuracion"; the whole text or 0 for the ticket-line settings, where a stored 0 stays
    // and only a missing or empty value takes the serial channel's line.
    void numeros_data() {
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("guardado");
        QTest::addColumn<int>("esperado");
        auto fila = [](const char* caso, const char* nombre, const char* guardado, int esperado) {
            QTest::newRow(caso) << QString(nombre) << QString(guardado) << esperado;
        };
        fila("Idioma con texto detrás", "Idioma", "4000 inglés", 4000);
        fila("TipoImpresora 2 pasa a 0", "TipoImpresora", "2", 0);
        fila("TipoBascula redondea", "TipoBascula", "1.6", 2);
        fila("Puerto fuera de 16 bits", "Puerto", "70000", 0);
        fila("CommTiquetParidad no numérico", "CommTiquetParidad", "x", 0);
        fila("CommTiquetBitsDatos 0 guardado", "CommTiquetBitsDatos", "0", 0);
        fila("CommTiquetParidad vacío", "CommTiquetParidad", "", 2);
        fila("booleano -1", "PesoContinuo", "-1", 1);
        fila("booleano palabra", "PesoContinuo", "Verdadero", 0);
        fila("EsperaServidor guardada", "EsperaServidor", "12", 12);
        fila("EsperaServidor 0 no quita el límite", "EsperaServidor", "0", 5);
        fila("EsperaServidor de más de una hora", "EsperaServidor", "86400", 5);
    }
    void numeros() {
        QFETCH(QString, nombre);
        QFETCH(QString, guardado);
        QFETCH(int, esperado);
        EntornoPrueba env;
        const bool linea = nombre.startsWith("CommTiquet");
        kelRegistry::SaveAppString(linea ? "\\Configuracion\\Tiquet" : "\\Configuracion", nombre,
                                   guardado);
        clsDatosApp& d = env.Datos();
        const QHash<QString, int> leido{{"Idioma", d.Idioma()},
                                        {"TipoImpresora", d.TipoImpresora()},
                                        {"TipoBascula", d.TipoBascula()},
                                        {"Puerto", d.Puerto()},
                                        {"CommTiquetParidad", d.CommTiquetParidad()},
                                        {"CommTiquetBitsDatos", d.CommTiquetBitsDatos()},
                                        {"PesoContinuo", d.PesoContinuo()},
                                        {"EsperaServidor", d.EsperaServidor()}};
        QCOMPARE(leido.value(nombre, -1), esperado);
    }

    // Texts are cut to what their use needs, whatever a hand-edited file holds; a character of
    // two UTF-16 units is never halved.
    void textosAcotados_data() {
        QTest::addColumn<QString>("grupo");
        QTest::addColumn<QString>("nombre");
        QTest::addColumn<QString>("guardado");
        QTest::addColumn<QString>("esperado");
        const QString c = "\\Configuracion", e = "\\Empresa";
        QTest::newRow("short unit") << c << "UnidadMedida"
                                    << " kg"
                                    << " kg";
        QTest::newRow("long unit")
            << c << "UnidadMedida" << QString(100000, 'k') << QString(10, 'k');
        QTest::newRow("unit cut before a pair")
            << c << "UnidadMedida" << QString(9, 'k') + QString::fromUtf8("𝔨𝔨") << QString(9, 'k');
        QTest::newRow("company line")
            << c << "DatosEmpresa1" << QString(5000, 'e') << QString(100, 'e');
        QTest::newRow("company name") << e << "Cliente" << QString(5000, 'n') << QString(100, 'n');
        QTest::newRow("template path")
            << c << "ModeloTicket" << QString(9000, 'p') << QString(4096, 'p');
    }
    void textosAcotados() {
        QFETCH(QString, grupo);
        QFETCH(QString, nombre);
        QFETCH(QString, guardado);
        QFETCH(QString, esperado);
        EntornoPrueba env;
        kelRegistry::SaveAppString(grupo, nombre, guardado);
        clsDatosApp& d = env.Datos();
        const QHash<QString, QString> leido{{"UnidadMedida", d.UnidadMedida()},
                                            {"DatosEmpresa1", d.DatosEmpresa(1)},
                                            {"Cliente", d.Cliente()},
                                            {"ModeloTicket", d.ModeloTicket()}};
        QCOMPARE(leido.value(nombre), esperado);
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
        auto fila = [](const char* caso, const char* local, const QByteArray& archivo,
                       const char* decimal, const char* listas, const QString& empresa = {}) {
            QTest::newRow(caso) << local << archivo << decimal << listas
                                << "Pesix v.1.0.6" + empresa;
        };
        fila("es_ES con empresa", "es_ES", "[Empresa]\nCliente=Frutas Mart\xednez,S.L.;2\n", ",",
             ";", " - Frutas Martínez,S.L.;2");
        fila("en_US sin nada", "en_US", "", ".", ",");
        fila("coma guardada en en_US", "en_US", "[Internacional]\nsDecimal=,\n", ",", ";");
        fila("lista guardada", "en_US", "[Internacional]\nsList=;\nsDecimal=.\n", ".", ";");
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
