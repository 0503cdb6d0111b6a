// Text forms of exported values and the bytes of the export files.
#include "export/codificacionexportacion.h"
#include "export/formatovalores.h"

#include <QDate>
#include <QStringDecoder>
#include <QTest>

using T = Recordset::Tipo;
using C = CodificacionExportacion::Tipo;

class TestFormatoValores : public QObject {
    Q_OBJECT
private slots:
    // Decimal separator ",", dates in the order of the locale.
    void textos_data() {
        QTest::addColumn<QString>("local");
        QTest::addColumn<QVariant>("valor");
        QTest::addColumn<int>("tipo");
        QTest::addColumn<QString>("texto");
        const auto fila = [](const char* n, const char* local, QVariant v, T tipo, const char* t) {
            QTest::newRow(n) << QString(local) << v << int(tipo) << QString(t);
        };
        const QVariant f("2026-12-06"), fh("2026-12-06 07:08:09");
        fila("Spain", "es_ES", f, T::Fecha, "06/12/2026");
        fila("United States", "en_US", f, T::Fecha, "12/06/2026");
        fila("Germany", "de_DE", f, T::Fecha, "06.12.2026");
        fila("C: month by name, so ISO", "C", f, T::Fecha, "2026-12-06");
        fila("date-time", "es_ES", fh, T::FechaHora, "06/12/2026 07:08:09");
        fila("date column with a time", "es_ES", fh, T::Fecha, "06/12/2026");
        fila("impossible day: as it stands", "es_ES", "2026-02-30", T::Fecha, "2026-02-30");
        fila("null date", "es_ES", QVariant(QMetaType::fromType<QString>()), T::Fecha, "");
        fila("comma", "es_ES", 1248.25, T::Doble, "1248,25");
        fila("15 digits", "es_ES", 0.1 + 0.2, T::Doble, "0,3");
        fila("no thousands", "es_ES", 1234567.891, T::Doble, "1234567,891");
        fila("minus zero", "es_ES", -0.0, T::Doble, "0");
        fila("number text in double column", "es_ES", "3.25", T::Doble, "3,25");
        fila("other text in double column", "es_ES", "n/a", T::Doble, "n/a");
        fila("stored -1 is true", "es_ES", qlonglong(-1), T::Booleano, "1");
        fila("null double", "es_ES", QVariant(QMetaType::fromType<double>()), T::Doble, "");
    }
    void textos() {
        QFETCH(QString, local);
        QFETCH(QVariant, valor);
        QFETCH(int, tipo);
        QFETCH(QString, texto);
        const FormatoValores f(",", QLocale(local));
        QCOMPARE(f.Texto(valor, T(tipo)), texto);
        // The bulk forms agree: doubles, and dates stored as text.
        QByteArray b;
        if (valor.typeId() == QMetaType::Double && !valor.isNull()) {
            f.AnexaDobleUtf8(b, valor.toDouble());
            QCOMPARE(QString::fromUtf8(b), texto);
        } else if (T(tipo) != T::Doble && valor.typeId() == QMetaType::QString && !valor.isNull()) {
            const bool leida =
                f.AnexaFechaUtf8(b, valor.toString().toUtf8(), T(tipo) == T::FechaHora);
            QCOMPARE(leida ? QString::fromUtf8(b) : valor.toString(), texto);
            QCOMPARE(leida, texto != valor.toString() || local == "C");
        }
    }

    // A decimal separator of more than one byte (the Arabic one) stands whole for the point.
    void separadorDeVariosBytes() {
        const FormatoValores f(QStringLiteral("\u066B"), QLocale("es_ES"));
        QByteArray b = "<";
        f.AnexaDobleUtf8(b, -1248.25);
        QCOMPARE(QString::fromUtf8(b), QStringLiteral("<-1248\u066B25"));
        QCOMPARE(f.Texto(-1248.25, T::Doble), QStringLiteral("-1248\u066B25"));
    }

    // A server's text of a double is taken as it stands only where it is what the value would be
    // written as; any other text is refused, to be read as a number and written from that.
    void textoDoble_data() {
        QTest::addColumn<QByteArray>("texto");
        QTest::addColumn<bool>("tal");
        const auto fila = [](const char* t, bool tal) { QTest::newRow(t) << QByteArray(t) << tal; };
        for (const char* t : {"1248.25", "-0.5", "0", "100", "0.0001", "123456789012345",
                              "0.30000000000001", "-98765.4321"})
            fila(t, true);
        // Exponents, a numeric column's scale, minus zero, more than 15 digits, words.
        for (const char* t :
             {"1e-05", "0.00001", "1e+15", "1.50", "100.", "-0", "00.5", ".5", "1234567890123456",
              "0.1234567890123456", "NaN", "-Infinity", "", "1.5 "})
            fila(t, false);
    }
    void textoDoble() {
        QFETCH(QByteArray, texto);
        QFETCH(bool, tal);
        for (const char* separador : {",", "\u066B"}) {
            const FormatoValores f(QString::fromUtf8(separador), QLocale("es_ES"));
            QByteArray tomado = "<", escrito = "<";
            QCOMPARE(f.AnexaTextoDobleUtf8(tomado, texto), tal);
            if (!tal) {
                QCOMPARE(tomado, "<");
                continue;
            }
            f.AnexaDobleUtf8(escrito, texto.toDouble());
            QCOMPARE(tomado, escrito);
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
        // Long runs of ASCII with other characters at and across every place in eight bytes.
        QTest::newRow("long text")
            << "Cooperativa Agrícola i Ramadera de l'Alt Empordà, 123456789é"
            << QByteArray("Cooperativa Agr\xED"
                          "cola i Ramadera de l'Alt Empord\xE0, 123456789\xE9");
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
