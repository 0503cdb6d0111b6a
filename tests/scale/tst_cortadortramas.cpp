// Cutting readings out of received characters, fed with byte fixtures.
#include "scale/cortadortramas.h"

#include <QTest>

using Salida = CortadorTramas::Salida;
using Tramos = QList<QByteArray>;
using PorTramo = QList<QStringList>;

class TestCortadorTramas : public QObject {
    Q_OBJECT
private slots:
    void corta_data();
    void corta();
    void limite_data();
    void limite();
};

namespace {
// "M:text" for Mensaje, "D:text" for MensajeDebug. An expected "D~n" stands for the report of a
// dropped reading, which names its length n.
QStringList Describe(const QList<Salida>& salidas, const QStringList& esperado) {
    QStringList r;
    for (qsizetype i = 0; i < salidas.size(); ++i) {
        const Salida& s = salidas.at(i);
        const QString e = esperado.value(i);
        if (s.clase == Salida::Clase::MensajeDebug && e.startsWith("D~") &&
            s.texto.contains(e.mid(2)) && s.texto.size() < 100)
            r << e;
        else
            r << (s.clase == Salida::Clase::Mensaje ? "M:" : "D:") + s.texto;
    }
    return r;
}
} // namespace

void TestCortadorTramas::corta_data() {
    QTest::addColumn<int>("tipo");
    QTest::addColumn<Tramos>("tramos");
    QTest::addColumn<PorTramo>("esperado"); // what each piece delivers
    QTest::addColumn<QByteArray>("resto");

    QTest::newRow("0: una trama") << 0 << Tramos{"12.345\r"} << PorTramo{{"M:12.345"}}
                                  << QByteArray();
    QTest::newRow("0: dos tramas en una lectura, ambas a la vez")
        << 0 << Tramos{"A\rB\r"} << PorTramo{{"M:A", "M:B"}} << QByteArray();
    QTest::newRow("0: retorno solo") << 0 << Tramos{"\r"} << PorTramo{{"M:"}} << QByteArray();
    QTest::newRow("0: sin retorno, completada después")
        << 0 << Tramos{"12.", "34", "5\r"} << PorTramo{{}, {}, {"M:12.345"}} << QByteArray();
    QTest::newRow("0: trama y media")
        << 0 << Tramos{"1\r2\r3"} << PorTramo{{"M:1", "M:2"}} << QByteArray("3");
    QTest::newRow("0: el salto de línea es parte de la trama")
        << 0 << Tramos{"\n1.0\r\n2.0\r"} << PorTramo{{"M:\n1.0", "M:\n2.0"}} << QByteArray();
    QTest::newRow("0: caracteres de 8 bits")
        << 0 << Tramos{"\xB0\x35\r"} << PorTramo{{QStringLiteral("M:°5")}} << QByteArray();
    // No scale sends a reading longer than 256 characters: a longer one is reported, not read.
    const QByteArray b256(256, 'B');
    QTest::newRow("0: 256 caracteres son una lectura")
        << 0 << Tramos{b256 + "\r"} << PorTramo{{"M:" + QString(b256)}} << QByteArray();
    QTest::newRow("0: 257 caracteres no")
        << 0 << Tramos{b256 + "B\r1\r"} << PorTramo{{"D~257", "M:1"}} << QByteArray();
    QTest::newRow("0: 150000 caracteres en trozos, más de lo que se guarda")
        << 0 << Tramos{QByteArray(50000, 'B'), QByteArray(50000, 'B'), QByteArray(50000, 'B'), "\r"}
        << PorTramo{{}, {}, {}, {"D~150000"}} << QByteArray();

    QTest::newRow("1: bloque con línea de peso")
        << 1 << Tramos{"  CABECERA\r\n WT:    12.340 Kg\r\n  FIN\n\n\n"}
        << PorTramo{{"D:  CABECERA", "D: WT:    12.340 Kg", "M:12.340", "D:  FIN"}} << QByteArray();
    QTest::newRow("1: dos saltos no cierran el bloque")
        << 1 << Tramos{" WT: 1.2 Kg\n\n", "\n"} << PorTramo{{}, {"D: WT: 1.2 Kg", "M:1.2"}}
        << QByteArray();
    QTest::newRow("1: dos bloques en una lectura")
        << 1 << Tramos{" WT: 1 Kg\n\n\n WT: 2 Kg\n\n\nX"}
        << PorTramo{{"D: WT: 1 Kg", "M:1", "D: WT: 2 Kg", "M:2"}} << QByteArray("X");
    QTest::newRow("1: cuatro saltos: el cuarto inicia el bloque siguiente")
        << 1 << Tramos{"A\r\n\n\n\n WT: 3 Kg\n\n\n"} << PorTramo{{"D:A\r", "D:\n WT: 3 Kg"}}
        << QByteArray();
    QTest::newRow("1: bloque vacío") << 1 << Tramos{"\n\n\n"} << PorTramo{{}} << QByteArray();
    QTest::newRow("1: retornos sueltos no parten líneas")
        << 1 << Tramos{"A\rB\r\nC\n\n\n"} << PorTramo{{"D:A\rB", "D:C"}} << QByteArray();

    // Blocks of one line: is it a weight line, and which reading does it give?
    const auto linea = [](const char* nombre, const QByteArray& l, const char* lectura) {
        QStringList salida{"D:" + QString::fromLatin1(l)};
        if (lectura)
            salida << QString::fromUtf8(lectura);
        QTest::newRow(nombre) << 1 << Tramos{l + "\n\n\n"} << PorTramo{salida} << QByteArray();
    };
    linea("1: unidad en mayúsculas", " WT  0.5 KG", "M:0.5");
    linea("1: kg en minúsculas, cifra negativa", " WT:  -0.020 kg ", "M:-0.020");
    linea("1: ' wt' en minúsculas no es línea de peso", " wt: 9.000 Kg", nullptr);
    linea("1: sin espacio inicial no es línea de peso", "WT:  1.0 Kg", nullptr);
    linea("1: línea de peso sin Kg", " WT:   9.000 lb", nullptr);
    linea("1: Kg en la sexta posición: lectura vacía", " WT:x Kg", "M:");
    linea("1: Kg en la quinta posición: se salta", " WTx Kg", nullptr);
    linea("1: Kg en la cuarta posición: se salta", " WT Kg", nullptr);
    linea("1: solo se quitan espacios", " WT:  \t7.1\t Kg", "M:\t7.1\t");
    linea("1: el primer Kg manda", " WT: 1 Kg 2 Kg", "M:1");
    linea("1: cifra de 257 caracteres", " WT: " + QByteArray(257, '9') + " Kg", "D~257");

    QTest::newRow("2: otro tipo no corta ni guarda")
        << 2 << Tramos{"1.0\r\n\n\n"} << PorTramo{{}} << QByteArray();
}

void TestCortadorTramas::corta() {
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

void TestCortadorTramas::limite_data() {
    QTest::addColumn<int>("tipo");
    QTest::addColumn<QByteArray>("fin");
    QTest::newRow("tipo 0") << 0 << QByteArray("\r");
    QTest::newRow("tipo 1") << 1 << QByteArray("\n\n\n");
}

void TestCortadorTramas::limite() {
    // A line that never ends: the buffer stays at its limit, keeping the newest characters; the
    // complete frames of a read bigger than the limit are all cut before the rest is bounded.
    QFETCH(int, tipo);
    QFETCH(QByteArray, fin);
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
    const QList<Salida> s = c.Procesa(tipo, datos + "99");
    // The unended line, then every frame or block in order.
    QCOMPARE(s.size(), 1 + 20000 * (tipo == 0 ? 1 : 2));
    QCOMPARE(s.first().clase, Salida::Clase::MensajeDebug);
    QCOMPARE(s.last().texto, tipo == 0 ? QString(" WT: 19999 Kg") : QString("19999"));
    QCOMPARE(c.Buffer(), QByteArray("99"));
    QCOMPARE(c.Descartados(), 100 * 1000 - CortadorTramas::LimiteBuffer);
}

QTEST_APPLESS_MAIN(TestCortadorTramas)
#include "tst_cortadortramas.moc"
