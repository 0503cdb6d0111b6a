// Text forms of exported values and the bytes of the export files.
#include "export/codificacionexportacion.h"
#include "export/formatovalores.h"

#include <QDate>
#include <QDateTime>
#include <QStringDecoder>
#include <QTest>

using T = Recordset::Tipo;
using C = CodificacionExportacion::Tipo;

class TestFormatoValores : public QObject {
    Q_OBJECT
private slots:
    void fechas_data() {
        QTest::addColumn<QString>("local");
        QTest::addColumn<QVariant>("valor");
        QTest::addColumn<int>("tipo");
        QTest::addColumn<QString>("texto");
        const QVariant f("2026-12-06");
        QTest::newRow("Spain") << "es_ES" << f << int(T::Fecha) << "06/12/2026";
        QTest::newRow("United States") << "en_US" << f << int(T::Fecha) << "12/06/2026";
        QTest::newRow("Germany") << "de_DE" << f << int(T::Fecha) << "06.12.2026";
        QTest::newRow("C: month by name, so ISO") << "C" << f << int(T::Fecha) << "2026-12-06";
        QTest::newRow("date-time") << "es_ES" << QVariant("2026-12-06 07:08:09")
                                   << int(T::FechaHora) << "06/12/2026 07:08:09";
        QTest::newRow("date column with a time")
            << "es_ES" << QVariant("2026-12-06 07:08:09") << int(T::Fecha) << "06/12/2026";
        QTest::newRow("impossible day: as it stands")
            << "es_ES" << QVariant("2026-02-30") << int(T::Fecha) << "2026-02-30";
        QTest::newRow("null") << "es_ES" << QVariant(QMetaType::fromType<QString>())
                              << int(T::Fecha) << "";
    }
    void fechas() {
        QFETCH(QString, local);
        QFETCH(QVariant, valor);
        QFETCH(int, tipo);
        QFETCH(QString, texto);
        const FormatoValores f(",", QLocale(local));
        QCOMPARE(f.Texto(valor, T(tipo)), texto);
        // The bulk form agrees for stored text.
        if (valor.metaType().id() == QMetaType::QString && !valor.isNull()) {
            QByteArray b;
            const bool leida =
                f.AnexaFechaUtf8(b, valor.toString().toUtf8(), T(tipo) == T::FechaHora);
            QCOMPARE(leida ? QString::fromUtf8(b) : valor.toString(), texto);
            QCOMPARE(leida, texto != valor.toString() || local == "C");
        }
    }

    void numeros_data() {
        QTest::addColumn<QString>("decimal");
        QTest::addColumn<QVariant>("valor");
        QTest::addColumn<int>("tipo");
        QTest::addColumn<QString>("texto");
        QTest::newRow("comma") << "," << QVariant(1248.25) << int(T::Doble) << "1248,25";
        QTest::newRow("15 digits") << "," << QVariant(0.1 + 0.2) << int(T::Doble) << "0,3";
        QTest::newRow("no thousands")
            << "," << QVariant(1234567.891) << int(T::Doble) << "1234567,891";
        QTest::newRow("minus zero") << "," << QVariant(-0.0) << int(T::Doble) << "0";
        QTest::newRow("integer") << "," << QVariant(qlonglong(-42)) << int(T::Entero) << "-42";
        QTest::newRow("number text in double column")
            << "," << QVariant("3.25") << int(T::Doble) << "3,25";
        QTest::newRow("other text in double column")
            << "," << QVariant("n/a") << int(T::Doble) << "n/a";
        QTest::newRow("stored -1") << "," << QVariant(qlonglong(-1)) << int(T::Booleano) << "1";
        QTest::newRow("false") << "," << QVariant(false) << int(T::Booleano) << "0";
        QTest::newRow("null double")
            << "," << QVariant(QMetaType::fromType<double>()) << int(T::Doble) << "";
    }
    void numeros() {
        QFETCH(QString, decimal);
        QFETCH(QVariant, valor);
        QFETCH(int, tipo);
        QFETCH(QString, texto);
        const FormatoValores f(decimal, QLocale(QLocale::Spanish, QLocale::Spain));
        QCOMPARE(f.SeparadorDecimal(), decimal);
        QCOMPARE(f.Texto(valor, T(tipo)), texto);
        if (valor.metaType().id() == QMetaType::Double && !valor.isNull() && T(tipo) == T::Doble) {
            QByteArray b;
            f.AnexaDobleUtf8(b, valor.toDouble());
            QCOMPARE(QString::fromUtf8(b), texto);
        }
    }

    void windows1252_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ASCII") << "Ana, 5;\t\"x\"" << QByteArray("Ana, 5;\t\"x\"");
        QTest::newRow("Latin-1") << "Camí Ñandú ÿ"
                                 << QByteArray("Cam\xED \xD1"
                                               "and\xFA \xFF");
        QTest::newRow("0x80 to 0x9F")
            << "€ Š œ Ÿ ‘’ “” – —" << QByteArray("\x80 \x8A \x9C \x9F \x91\x92 \x93\x94 \x96 \x97");
        QTest::newRow("missing characters") << "Łódź"
                                            << QByteArray("?\xF3"
                                                          "d?");
        QTest::newRow("outside the basic plane") << "a😀b" << QByteArray("a?b");
    }
    void windows1252() {
        QFETCH(QString, texto);
        QFETCH(QByteArray, bytes);
        QCOMPARE(CodificacionExportacion::Codifica(texto, C::Windows1252), bytes);
        QByteArray desdeUtf8 = "<";
        CodificacionExportacion::AnexaDesdeUtf8(desdeUtf8, texto.toUtf8(), C::Windows1252);
        QCOMPARE(desdeUtf8, "<" + bytes);
        QCOMPARE(CodificacionExportacion::Codifica(texto, C::Utf8), texto.toUtf8());
    }

    // Every assigned byte decodes as the system's own Windows-1252 converter reads it, and
    // encodes back to itself.
    void tablaCompleta() {
        QStringDecoder referencia("windows-1252");
        QVERIFY(referencia.isValid());
        for (int b = 1; b < 256; ++b) {
            if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D)
                continue; // unassigned
            const QByteArray byte(1, char(b));
            const QString nuestro = CodificacionExportacion::Decodifica(byte, C::Windows1252);
            QCOMPARE(nuestro, QString(referencia(byte)));
            QCOMPARE(CodificacionExportacion::Codifica(nuestro, C::Windows1252), byte);
        }
    }

    // Malformed UTF-8 gives one "?" per bad byte.
    void utf8Malformado() {
        QByteArray b;
        CodificacionExportacion::AnexaDesdeUtf8(b,
                                                QByteArray("a\xC3"
                                                           "b\xFF\xE2\x82"),
                                                C::Windows1252);
        QCOMPARE(b, QByteArray("a?b???"));
    }
};

QTEST_GUILESS_MAIN(TestFormatoValores)
#include "tst_formatovalores.moc"
