// Every protocol's decoder on frames as the indicators send them, and the user's definitions.
#include "scale/ajustesbascula.h"
#include "scale/protocolobascula.h"
#include "scale/protocolousuario.h"
#include "support/entornoprueba.h"

#include <QTest>

namespace {
// The user's expressions the README gives for two indicators.
const QString kCas = QStringLiteral(
    R"(^(?<estado>ST|US|OL),(?:GS|NT),.*?(?<peso>[-+]? *[0-9]+\.?[0-9]*) *(?<unidad>kg|lb|g|t)\s*$)");
const QString kRinstrum =
    QStringLiteral(R"(^\x02(?<peso>[-+ ] *[0-9]+\.?[0-9]*)(?<estado>[GNMOUE]))");

// "ilegible", "respuesta", or the status, the figure, the unit and gross/net.
QString Describe(const std::optional<Lectura>& l) {
    if (!l)
        return QStringLiteral("ilegible");
    if (!l->EsPeso())
        return QStringLiteral("respuesta");
    return QStringList{Lectura::NombreEstado(l->estado), l->Cifra(), l->unidad,
                       Lectura::NombreTipo(l->tipo)}
        .join(' ');
}
} // namespace

class TestProtocoloBascula : public QObject {
    Q_OBJECT
private slots:
    void decodifica_data() {
        QTest::addColumn<int>("tipo");
        QTest::addColumn<QByteArray>("trama");
        QTest::addColumn<QString>("trama6"); // type 6: the expression
        QTest::addColumn<QString>("esperado");
        const auto fila = [](const char* caso, int tipo, const QByteArray& trama,
                             const QString& esperado, const QString& expresion = {}) {
            QTest::newRow(caso) << tipo << trama << expresion << esperado;
        };
        fila("0 cifra", 0, "12.345", "unknown 12.345  unknown");
        fila("0 signo, blancos y unidad", 0, "-  0.120 kg", "unknown -0.120 kg unknown");
        fila("0 coma decimal", 0, "3,5", "unknown 3.5  unknown");
        fila("0 número de serie", 0, "VS-000123", "respuesta");
        fila("0 vacía", 0, "", "ilegible");
        fila("1 línea de peso", 1, " WT:    12.340 Kg", "unknown 12.340 kg unknown");
        fila("1 sin cifra", 1, " WT: abc Kg", "ilegible");
        fila("2 estable", 2, "S S      12.34 kg", "stable 12.34 kg unknown");
        fila("2 dinámico negativo", 2, "S D     -0.500 g", "motion -0.500 g unknown");
        fila("2 sin decimales", 2, "S S        120 lb", "stable 120 lb unknown");
        fila("2 sobrecarga", 2, "S +", "overload   unknown");
        fila("2 bajo rango", 2, "S -", "underload   unknown");
        fila("2 no ejecutable", 2, "S I", "error   unknown");
        fila("2 error de sintaxis", 2, "ES", "error   unknown");
        fila("2 error lógico", 2, "EL", "error   unknown");
        fila("2 cero hecho", 2, "Z A", "respuesta");
        fila("2 número de serie", 2, "I4 A \"0123456789\"", "respuesta");
        fila("2 sin unidad", 2, "S S 12.34", "ilegible");
        fila("2 basura", 2, "#%&", "ilegible");
        // Status word A '$' (0x24) puts two decimals, '"' none, '!' a tens digit; B '0' (0x30)
        // is kg, gross, positive and stable, each bit of its low nibble a flag.
        fila("3 estable dos decimales", 3, "\x02$0 001234000000", "stable 12.34 kg gross");
        fila("3 entero", 3, "\x02\"0 001234000000", "stable 1234 kg gross");
        fila("3 decenas", 3, "\x02!0 001234000000", "stable 12340 kg gross");
        fila("3 neto negativo en movimiento", 3, "\x02$; 000250000100", "motion -2.50 kg net");
        fila("3 libras", 3, "\x02%  000250000000", "stable 0.250 lb gross");
        fila("3 fuera de rango", 3, "\x02$4 999999000000", "overload  kg gross");
        fila("3 fuera de rango negativo", 3, "\x02$6 999999000000", "underload  kg gross");
        fila("3 cifra no numérica", 3, "\x02$0 00x234000000", "ilegible");
        fila("4 balanza", 4, "ST,+00123.45  g", "stable 123.45 g unknown");
        fila("4 indicador neto inestable", 4, "US,NT,-0012.345kg", "motion -12.345 kg net");
        fila("4 indicador bruto", 4, "ST,GS,+0001500 kg", "stable 1500 kg gross");
        fila("4 fuera de rango", 4, "OL,GS,+9999999 kg", "overload   gross");
        fila("4 fuera de rango negativo", 4, "OL,-9999999E+19", "underload   unknown");
        fila("4 tara", 4, "ST,TR,+0000100 kg", "respuesta");
        fila("4 recuento", 4, "QT,+00000010 PC", "respuesta");
        fila("4 acuse", 4, "\x06", "respuesta");
        fila("4 error", 4, "EC,E00", "error   unknown");
        fila("4 cabecera desconocida", 4, "XX,+1 kg", "ilegible");
        fila("5 bruto estable", 5, "\n 1G      12.345 kg", "stable 12.345 kg gross");
        fila("5 centro de cero", 5, "\nZ1G       0.000 kg", "stable 0.000 kg gross");
        fila("5 neto en movimiento", 5, "\n 1NM     -1.500 kg", "motion -1.500 kg net");
        fila("5 sobrecarga", 5, "\nO1G  ----------lb ", "overload  lb gross");
        fila("5 bajo rango", 5, "\nU1G  ----------kg ", "underload  kg gross");
        fila("5 error de cero", 5, "\nE1G  ----------kg ", "error  kg gross");
        fila("5 tara", 5, "\n 1T       2.000 kg", "respuesta");
        fila("5 corta", 5, "\n 1G  12", "ilegible");
        fila("6 CAS estable", 6, "ST,GS,+  12.34kg", "stable 12.34 kg unknown", kCas);
        fila("6 CAS inestable negativo", 6, "US,NT,-   0.50kg", "motion -0.50 kg unknown", kCas);
        fila("6 CAS con bytes de lámparas", 6, "ST,NT,\x01\xB0+ 1234.5 lb",
             "stable 1234.5 lb unknown", kCas);
        fila("6 Rinstrum bruto", 6, "\x02  123.45G", "stable 123.45  unknown", kRinstrum);
        fila("6 Rinstrum neto", 6, "\x02- 12.345N", "stable -12.345  unknown", kRinstrum);
        fila("6 Rinstrum en movimiento", 6, "\x02  123.40M", "motion 123.40  unknown", kRinstrum);
        fila("6 no casa", 6, "hola", "ilegible", kRinstrum);
        fila("6 sin estado", 6, "W=12.5", "unknown 12.5  unknown", R"(W=(?<peso>\S+))");
        // A Latin-1 letter of the expression matches the frame's byte; groups after it keep
        // their place.
        fila("6 letra latina", 6, "A\xF1o 7,25 kg", "unknown 7.25 kg unknown",
             QString::fromUtf8("Año (?<peso>\\S+) (?<unidad>\\S+)"));
        fila("6 peso con letras", 6, "W=12x", "ilegible", R"(W=(?<peso>\S+))");
        // An expression that asks for UTF-8 itself still reads the frame's bytes as Latin-1.
        fila("6 pide UTF", 6, "\xB0W=12.5", "unknown 12.5  unknown", R"((*UTF)W=(?<peso>\S+))");
    }

    void decodifica() {
        QFETCH(int, tipo);
        QFETCH(QByteArray, trama);
        QFETCH(QString, trama6);
        QFETCH(QString, esperado);
        ProtocoloUsuario usuario;
        if (tipo == 6)
            QVERIFY(ProtocoloUsuario::Crea(trama6, "ST|G|N", "", "", usuario));
        const ProtocoloBascula* p = ProtocoloBascula::Busca(tipo);
        QVERIFY(p);
        const std::optional<Lectura> l = p->decodifica(trama, usuario);
        QCOMPARE(Describe(l), esperado);
        if (l)
            QCOMPARE(l->trama, trama);
    }

    void leeCifra_data() {
        QTest::addColumn<QByteArray>("texto");
        QTest::addColumn<int>("decimales");
        for (const char* t : {"0.1", "-0.3", "  + 12,5", "1234567.891", "0.000", "-0",
                              "999999.999999", "0.0000000000000000000001", "9007199254740993",
                              "123456789.012345", "12345678901234567890.5", "1."})
            QTest::newRow(t) << QByteArray(t)
                             << QByteArray(t).replace(',', '.').split('.').value(1).size();
    }
    void leeCifra() {
        // The figure is the double nearest to the text, as reading the text whole gives it,
        // however many digits the scale sends.
        QFETCH(QByteArray, texto);
        QFETCH(int, decimales);
        double valor = 1;
        int leidos = -1;
        qsizetype fin = 0;
        QVERIFY(ProtocoloBascula::LeeCifra(texto + " kg", valor, leidos, fin));
        const double esperado = texto.simplified().replace(' ', "").replace(',', '.').toDouble();
        QVERIFY2(valor == esperado && std::signbit(valor) == std::signbit(esperado),
                 qPrintable(QString::number(valor, 'g', 17)));
        QCOMPARE(fin, texto.size());
        QCOMPARE(leidos, decimales);
    }

    void usuario_data() {
        QTest::addColumn<QString>("expresion");
        QTest::addColumn<QString>("fin");
        QTest::addColumn<QString>("peticion");
        QTest::addColumn<QString>("error"); // the start of the refusal; empty when taken
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("completa") << "(?<peso>\\d+)"
                                  << "crlf"
                                  << "\\x05W\\r\\n"
                                  << "" << QByteArray("\x05W\r\n");
        QTest::newRow("escape no hexadecimal") << "(?<peso>\\d+)"
                                               << ""
                                               << "P\\xZZ"
                                               << "" << QByteArray("P\\xZZ");
        QTest::newRow("no compila") << "(?<peso>[0-9"
                                    << ""
                                    << ""
                                    << "La expresión de la trama no es válida" << QByteArray();
        QTest::newRow("sin peso") << "(?<kg>[0-9]+)"
                                  << ""
                                  << ""
                                  << "La expresión de la trama no tiene" << QByteArray();
        QTest::newRow("vacía") << ""
                               << ""
                               << ""
                               << "La trama de la báscula de usuario está vacía" << QByteArray();
        QTest::newRow("fin desconocido") << "(?<peso>\\d+)"
                                         << "EOT"
                                         << ""
                                         << "Fin de trama no válido: \"EOT\"" << QByteArray();
    }

    void usuario() {
        QFETCH(QString, expresion);
        QFETCH(QString, fin);
        QFETCH(QString, peticion);
        QFETCH(QString, error);
        QFETCH(QByteArray, bytes);
        EntornoPrueba env;
        ProtocoloUsuario u;
        const Resultado r = ProtocoloUsuario::Crea(expresion, "", fin, peticion, u);
        QVERIFY2(error.isEmpty() ? r.Ok() : r.Error().startsWith(error), qPrintable(r.Error()));
        QCOMPARE(u.Peticion(), bytes);
        // A definition refused leaves one that reads nothing.
        if (!r)
            QVERIFY(!ProtocoloBascula::Busca(6)->decodifica("123", u));
    }

    void lineas_data() {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<bool>("valida");
        QTest::newRow("7E1") << "2400,E,7,1" << true;
        QTest::newRow("blancos y minúsculas") << " 9600 , n , 8 , 2 " << true;
        QTest::newRow("uno y medio") << "1200,O,5,1.5" << true;
        QTest::newRow("paridad desconocida") << "9600,X,8,1" << false;
        QTest::newRow("nueve bits") << "9600,N,9,1" << false;
        QTest::newRow("faltan partes") << "9600,N,8" << false;
        QTest::newRow("velocidad no numérica") << "rápido,N,8,1" << false;
    }

    void lineas() {
        QFETCH(QString, texto);
        QFETCH(bool, valida);
        AjustesBascula::Linea l;
        QCOMPARE(AjustesBascula::LeeLinea(texto, l), valida);
    }

    // Every row opens with a line the reader takes; the two first types keep their numbers and
    // names.
    void tabla() {
        for (const ProtocoloBascula& p : ProtocoloBascula::Tabla()) {
            AjustesBascula::Linea l;
            QVERIFY2(AjustesBascula::LeeLinea(p.linea, l), p.nombre);
            QCOMPARE(ProtocoloBascula::Busca(p.tipo), &p);
        }
        QCOMPARE(QString(ProtocoloBascula::Busca(0)->nombre), "MARVI");
        QCOMPARE(QString(ProtocoloBascula::Busca(1)->nombre), "DOR");
        QVERIFY(!ProtocoloBascula::Busca(7));
    }
};

QTEST_MAIN(TestProtocoloBascula)
#include "tst_protocolobascula.moc"
