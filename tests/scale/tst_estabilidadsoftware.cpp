// The stability rule for scales whose frames do not say.
#include "scale/estabilidadsoftware.h"

#include <QTest>

using Muestras = QList<EstabilidadSoftware::Muestra>;
using Regla = EstabilidadSoftware::Regla;
Q_DECLARE_METATYPE(Regla)

class TestEstabilidadSoftware : public QObject {
    Q_OBJECT
private slots:
    void estable_data() {
        QTest::addColumn<Muestras>("muestras");
        QTest::addColumn<Regla>("regla");
        QTest::addColumn<int>("decimales");
        QTest::addColumn<bool>("estable");
        const Regla porDefecto;
        QTest::newRow("tres iguales")
            << Muestras{{0, 5.0}, {200, 5.0}, {400, 5.0}} << porDefecto << 3 << true;
        QTest::newRow("un escalón de diferencia")
            << Muestras{{0, 5.001}, {200, 5.0}, {400, 5.001}} << porDefecto << 3 << true;
        QTest::newRow("dos escalones")
            << Muestras{{0, 5.002}, {200, 5.0}, {400, 5.001}} << porDefecto << 3 << false;
        QTest::newRow("un escalón de una décima")
            << Muestras{{0, 0.1}, {10, 0.2}, {20, 0.2}} << porDefecto << 1 << true;
        QTest::newRow("pocas lecturas")
            << Muestras{{0, 5.0}, {200, 5.0}} << porDefecto << 3 << false;
        QTest::newRow("demasiado separadas")
            << Muestras{{0, 5.0}, {600, 5.0}, {1001, 5.0}} << porDefecto << 3 << false;
        QTest::newRow("justo en el tiempo")
            << Muestras{{0, 5.0}, {600, 5.0}, {1000, 5.0}} << porDefecto << 3 << true;
        QTest::newRow("solo cuentan las últimas")
            << Muestras{{0, 9.0}, {100, 5.0}, {200, 5.0}, {300, 5.0}} << porDefecto << 3 << true;
        QTest::newRow("margen propio")
            << Muestras{{0, 10.0}, {100, 10.4}, {200, 10.2}} << Regla{3, 1000, 0.5} << 1 << true;
        QTest::newRow("margen cero")
            << Muestras{{0, 10.0}, {100, 10.1}} << Regla{2, 1000, 0.0} << 1 << false;
        QTest::newRow("una lectura basta") << Muestras{{0, 1.0}} << Regla{1, 0, -1} << 0 << true;
    }

    void estable() {
        QFETCH(Muestras, muestras);
        QFETCH(Regla, regla);
        QFETCH(int, decimales);
        QFETCH(bool, estable);
        QCOMPARE(EstabilidadSoftware::Estable(muestras, regla, decimales), estable);
    }

    // Over the stream: a swing, then the weight settles; a frame without figure starts again.
    void evalua() {
        EstabilidadSoftware e;
        Lectura l;
        l.hayPeso = true;
        l.decimales = 2;
        QList<Lectura::Estado> estados;
        qint64 t = 0;
        for (const double p : {1.0, 3.0, 2.5, 2.5, 2.5, 2.5}) {
            l.peso = p;
            estados << e.Evalua(l, t += 100);
        }
        using E = Lectura::Estado;
        QCOMPARE(estados, (QList<E>{E::Movimiento, E::Movimiento, E::Movimiento, E::Movimiento,
                                    E::Estable, E::Estable}));
        Lectura sobrecarga;
        sobrecarga.estado = E::SobreRango;
        QCOMPARE(e.Evalua(sobrecarga, t += 100), E::SobreRango);
        QCOMPARE(e.Evalua(l, t += 100), E::Movimiento);
    }
};

QTEST_APPLESS_MAIN(TestEstabilidadSoftware)
#include "tst_estabilidadsoftware.moc"
