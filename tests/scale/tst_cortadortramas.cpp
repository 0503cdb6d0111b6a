// Cutting readings out of received characters, fed with byte fixtures.
#include "scale/cortadortramas.h"
#include "scale/protocolobascula.h"

#include <QTest>

using Salida = CortadorTramas::Salida;
using Tramos = QList<QByteArray>;
using PorTramo = QList<QStringList>;

namespace {
// "M:text" for Mensaje, "D:text" for MensajeDebug. An expected "D~n" stands for the report of a
// dropped reading, which names its length n.
QStringList Describe(const CortadorTramas::Salidas& salidas, const QStringList& esperado) {
    QStringList r;
    for (qsizetype i = 0; i < salidas.size(); ++i) {
        const Salida& s = salidas.at(i);
        const QString e = esperado.value(i);
        if (s.clase == Salida::Clase::MensajeDebug && e.startsWith("D~") &&
            s.Texto().contains(e.mid(2)) && s.Texto().size() < 100)
            r << e;
        else
            r << (s.clase == Salida::Clase::Mensaje ? "M:" : "D:") + s.Texto();
    }
    return r;
}
} // namespace

class TestCortadorTramas : public QObject {
    Q_OBJECT
private slots:
    void corta_data() {
        QTest::addColumn<int>("tipo");
        QTest::addColumn<Tramos>("tramos");
        QTest::addColumn<PorTramo>("esperado"); // what each piece delivers
        QTest::addColumn<QByteArray>("resto");

        const auto fila = [](const char* caso, int tipo, const Tramos& tramos,
                             const PorTramo& esperado, const QByteArray& resto = {}) {
            QTest::newRow(caso) << tipo << tramos << esperado << resto;
        };
        fila("0: retorno solo", 0, {"\r"}, {{"M:"}});
        fila("0: sin retorno, completada después", 0, {"12.", "34", "5\r"}, {{}, {}, {"M:12.345"}});
        fila("0: trama y media", 0, {"1\r2\r3"}, {{"M:1", "M:2"}}, "3");
        fila("0: el salto de línea es parte de la trama", 0, {"\n1.0\r\n2.0\r"},
             {{"M:\n1.0", "M:\n2.0"}});
        fila("0: caracteres de 8 bits", 0, {"\xB0\x35\r"}, {{QStringLiteral("M:°5")}});
        // No scale sends a reading longer than 256 characters: a longer one is reported, not read.
        const QByteArray b256(256, 'B'), b50000(50000, 'B');
        fila("0: 256 caracteres son una lectura", 0, {b256 + "\r"}, {{"M:" + QString(b256)}});
        fila("0: 257 caracteres no", 0, {b256 + "B\r1\r"}, {{"D~257", "M:1"}});
        fila("0: 150000 caracteres en trozos, más de lo que se guarda", 0,
             {b50000, b50000, b50000, "\r"}, {{}, {}, {}, {"D~150000"}});

        fila("1: bloque con línea de peso", 1, {"  CABECERA\r\n WT:    12.340 Kg\r\n  FIN\n\n\n"},
             {{"D:  CABECERA", "D: WT:    12.340 Kg", "M:12.340", "D:  FIN"}});
        fila("1: dos saltos no cierran el bloque", 1, {" WT: 1.2 Kg\n\n", "\n"},
             {{}, {"D: WT: 1.2 Kg", "M:1.2"}});
        fila("1: cuatro saltos: el cuarto inicia el bloque siguiente", 1,
             {"A\r\n\n\n\n WT: 3 Kg\n\n\nX"}, {{"D:A\r", "D:\n WT: 3 Kg"}}, "X");
        fila("1: bloque vacío", 1, {"\n\n\n"}, {{}});
        fila("1: retornos sueltos no parten líneas", 1, {"A\rB\r\nC\n\n\n"}, {{"D:A\rB", "D:C"}});
        // Blocks of one line: is it a weight line, and which reading does it give?
        const auto linea = [&](const char* caso, const QByteArray& l, const char* lectura) {
            QStringList salida{"D:" + QString::fromLatin1(l)};
            if (lectura)
                salida << QString::fromUtf8(lectura);
            fila(caso, 1, {l + "\n\n\n"}, {salida});
        };
        linea("1: unidad en cualquier letra, cifra negativa", " WT  -0.020 kG ", "M:-0.020");
        linea("1: ' wt' en minúsculas no es línea de peso", " wt: 9.000 Kg", nullptr);
        linea("1: sin espacio inicial no es línea de peso", "WT:  1.0 Kg", nullptr);
        linea("1: línea de peso sin Kg", " WT:   9.000 lb", nullptr);
        linea("1: Kg en la sexta posición: lectura vacía", " WT:x Kg", "M:");
        linea("1: Kg antes de la sexta posición: se salta", " WTx Kg", nullptr);
        linea("1: solo se quitan espacios", " WT:  \t7.1\t Kg", "M:\t7.1\t");
        linea("1: el primer Kg manda", " WT: 1 Kg 2 Kg", "M:1");
        linea("1: cifra de 257 caracteres", " WT: " + QByteArray(257, '9') + " Kg", "D~257");
        fila("9: un tipo sin protocolo no corta ni guarda", 9, {"1.0\r\n\n\n"}, {{}});
    }

    void corta() {
        QFETCH(int, tipo);
        QFETCH(Tramos, tramos);
        QFETCH(PorTramo, esperado);
        QFETCH(QByteArray, resto);
        QCOMPARE(tramos.size(), esperado.size());
        CortadorTramas c;
        for (int i = 0; i < tramos.size(); ++i)
            QCOMPARE(Describe(c.Procesa(tipo, tramos.at(i)), esperado.at(i)), esperado.at(i));
        QCOMPARE(c.Buffer(), resto);
    }

    // The cutter keeps its messages from one call to the next and makes them fresh: a reading
    // carries nothing of the one before it in its place (a unit, a figure, gross or net).
    void reutiliza() {
        const QList<QPair<int, QByteArray>> llamadas = {
            {4, "ST,NT,+0012.50  kg\r\nOL,GS,+9999999 kg\r\n"},
            {4, "\x06\r\nUS,+0001.25 lb\r\nEC,E11\r\n"},
            {2, "S S      1.500 g\r\n"},
            {2, "S +\r\nZ A\r\n"}};
        CortadorTramas c;
        int lecturas = 0;
        for (const auto& [tipo, datos] : llamadas) {
            const ProtocoloBascula* p = ProtocoloBascula::Busca(tipo);
            for (const Salida& s : c.Procesa(tipo, datos)) {
                QVERIFY(s.lectura);
                QCOMPARE(*s.lectura, *p->decodifica(s.lectura->trama, {}));
                ++lecturas;
            }
        }
        QCOMPARE(lecturas, 8);
    }

    // A frame equal to the one before reads as it would decoded anew, within a call and across
    // calls, and never as the same bytes read under another protocol or another definition.
    void repetidas() {
        ProtocoloUsuario estableST, estableXX;
        const QString cas = QStringLiteral(
            R"(^(?<estado>ST|US),(?:GS|NT),(?<peso>[-+]? *[0-9.]+) *(?<unidad>kg|lb))");
        QVERIFY(ProtocoloUsuario::Crea(cas, "ST", "CRLF", "", estableST));
        QVERIFY(ProtocoloUsuario::Crea(cas, "XX", "CRLF", "", estableXX));
        struct Llamada {
            int tipo;
            const ProtocoloUsuario* usuario;
            QByteArray datos;
        };
        const QByteArray cas2 = "ST,GS,+0012.50kg\r\nST,GS,+0012.50kg\r\n";
        const QList<Llamada> llamadas = {
            {2, &estableST, "S D      1.500 g\r\nS D      1.500 g\r\nS D      1.500 g\r\n"},
            {2, &estableST, "S D      1.500 g\r\nS S      1.500 g\r\n"},
            {5, &estableST, "\n 1G      12.345 kg\r\n 1G      12.345 kg\r"},
            {5, &estableST, "\n 1G      12.345 kg\r"},
            {4, &estableST, cas2},
            {6, &estableST, cas2},
            {6, &estableXX, cas2},
            {4, &estableXX, "ST,GS,+0012.50kg\r\n"}};
        CortadorTramas c;
        QList<Lectura::Estado> estados;
        for (const Llamada& l : llamadas) {
            c.SetUsuario(*l.usuario);
            const ProtocoloBascula* p = ProtocoloBascula::Busca(l.tipo);
            for (const Salida& s : c.Procesa(l.tipo, l.datos)) {
                QVERIFY(s.lectura);
                QCOMPARE(*s.lectura, *p->decodifica(s.lectura->trama, *l.usuario));
                estados << s.lectura->estado;
            }
        }
        QCOMPARE(estados.size(), 15);
        // The user's definition decides a repeated frame's status: stable under "ST", then in
        // motion once "ST" no longer means stable.
        QCOMPARE(
            estados.mid(10, 4),
            QList<Lectura::Estado>({Lectura::Estado::Estable, Lectura::Estado::Estable,
                                    Lectura::Estado::Movimiento, Lectura::Estado::Movimiento}));
    }

    // A line that never ends: the buffer stays at its limit, keeping the newest characters; the
    // complete frames of a read bigger than the limit are all cut before the rest is bounded.
    void limite() {
        for (const int tipo : {0, 1}) {
            const QByteArray fin = tipo == 0 ? "\r" : "\n\n\n";
            CortadorTramas c;
            QByteArray ultimo;
            for (int i = 0; i < 100; ++i) {
                ultimo = QByteArray::number(i).rightJustified(1000, '.');
                QVERIFY(c.Procesa(tipo, ultimo).isEmpty());
                QVERIFY(c.Buffer().size() <= CortadorTramas::LimiteBuffer);
            }
            QCOMPARE(c.Descartados(), 100 * 1000 - CortadorTramas::LimiteBuffer);
            QVERIFY(c.Buffer().endsWith(ultimo));
            QByteArray datos = fin;
            for (int i = 0; i < 20000; ++i)
                datos += " WT: " + QByteArray::number(i) + " Kg" + fin;
            QVERIFY(datos.size() > CortadorTramas::LimiteBuffer);
            const QList<Salida> s = c.Procesa(tipo, datos + "99").Lista();
            // The unended line, then every frame or block in order.
            QCOMPARE(s.size(), 1 + 20000 * (tipo == 0 ? 1 : 2));
            QCOMPARE(s.first().clase, Salida::Clase::MensajeDebug);
            QCOMPARE(s.last().Texto(), tipo == 0 ? QString(" WT: 19999 Kg") : QString("19999"));
            QCOMPARE(c.Buffer(), QByteArray("99"));
            QCOMPARE(c.Descartados(), 100 * 1000 - CortadorTramas::LimiteBuffer);
        }
    }
};

QTEST_APPLESS_MAIN(TestCortadorTramas)
#include "tst_cortadortramas.moc"
