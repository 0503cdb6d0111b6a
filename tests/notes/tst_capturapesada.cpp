// When the scale's reading may become a line's weight: stable, in range and fresh, waited for
// while the load moves, and never the same load twice.
#include "notes/capturapesada.h"

#include <QTest>

Q_DECLARE_METATYPE(CapturaPesada::Veredicto)
Q_DECLARE_METATYPE(CapturaPesada::Motivo)

namespace {
using V = CapturaPesada::Veredicto;
using M = CapturaPesada::Motivo;
const QDateTime kInicio(QDate(2026, 3, 5), QTime(10, 0));

Lectura Peso(double peso, const QString& estado, const QDateTime& recibida) {
    Lectura l;
    l.hayPeso = estado != "overload" && estado != "error";
    l.peso = peso;
    l.decimales = 2;
    l.recibida = recibida;
    for (auto e :
         {Lectura::Estado::Estable, Lectura::Estado::Movimiento, Lectura::Estado::SobreRango,
          Lectura::Estado::BajoRango, Lectura::Estado::Error, Lectura::Estado::Desconocido})
        if (Lectura::NombreEstado(e) == estado)
            l.estado = e;
    return l;
}
} // namespace

class TestCapturaPesada : public QObject {
    Q_OBJECT

private slots:
    // One reading, `edad` ms old when the taking that began `transcurrido` ms ago decides; in
    // on-request mode the weighing was asked for `pedida` ms before the reading came (none:
    // never asked). Waiting lasts 3000 ms, continuous readings stay fresh 2000 ms.
    void decide_data() {
        QTest::addColumn<bool>("continuo");
        QTest::addColumn<QString>("estado"); // empty: no reading at all
        QTest::addColumn<int>("edad");
        QTest::addColumn<int>("transcurrido");
        QTest::addColumn<int>("pedida");
        QTest::addColumn<V>("veredicto");
        QTest::addColumn<M>("motivo");
        QTest::newRow("stable") << true << "stable" << 100 << 0 << 0 << V::Toma << M::Ninguno;
        QTest::newRow("moving, time left")
            << true << "motion" << 100 << 2900 << 0 << V::Espera << M::Inestable;
        QTest::newRow("moving, waited enough")
            << true << "motion" << 100 << 3000 << 0 << V::Rechaza << M::Inestable;
        QTest::newRow("overload") << true << "overload" << 100 << 0 << 0 << V::Rechaza
                                  << M::FueraDeRango;
        QTest::newRow("underload")
            << true << "underload" << 100 << 0 << 0 << V::Rechaza << M::FueraDeRango;
        QTest::newRow("scale error")
            << true << "error" << 100 << 0 << 0 << V::Rechaza << M::ErrorBascula;
        QTest::newRow("just fresh") << true << "stable" << 2000 << 0 << 0 << V::Toma << M::Ninguno;
        QTest::newRow("stale, time left")
            << true << "stable" << 2001 << 0 << 0 << V::Espera << M::Antigua;
        QTest::newRow("stale, waited enough")
            << true << "stable" << 2500 << 3000 << 0 << V::Rechaza << M::Antigua;
        QTest::newRow("no reading, time left")
            << true << "" << 0 << 100 << 0 << V::Espera << M::SinLectura;
        QTest::newRow("no reading, waited enough")
            << true << "" << 0 << 3000 << 0 << V::Rechaza << M::SinLectura;
        QTest::newRow("answer to the request, status unknown")
            << false << "unknown" << 5000 << 0 << 300 << V::Toma << M::Ninguno;
        QTest::newRow("reading from before the request")
            << false << "stable" << 100 << 0 << -1 << V::Espera << M::Antigua;
        QTest::newRow("never asked for")
            << false << "stable" << 100 << 3000 << std::numeric_limits<int>::min() << V::Rechaza
            << M::Antigua;
    }
    void decide() {
        QFETCH(bool, continuo);
        QFETCH(QString, estado);
        QFETCH(int, edad);
        QFETCH(int, transcurrido);
        QFETCH(int, pedida);
        QFETCH(V, veredicto);
        QFETCH(M, motivo);
        CapturaPesada c({continuo, 2000, 3000, true});
        const QDateTime ahora = kInicio.addMSecs(transcurrido);
        const QDateTime recibida = ahora.addMSecs(-edad);
        if (pedida != std::numeric_limits<int>::min())
            c.Pedida(recibida.addMSecs(-pedida));
        std::optional<Lectura> l;
        if (!estado.isEmpty())
            l = Peso(12.5, estado, recibida);
        QCOMPARE(c.Decide(l, kInicio, ahora), (CapturaPesada::Decision{veredicto, motivo}));
    }

    // After a weight was taken, the readings that came (two decimals), then whether the same
    // weight may be taken again: only once the load changed by 20 steps or came within fewer
    // of zero, unless the rule is off.
    void unaPorCarga_data() {
        QTest::addColumn<bool>("regla");
        QTest::addColumn<double>("tomado");
        QTest::addColumn<QString>("lecturas");
        QTest::addColumn<V>("veredicto");
        QTest::newRow("same load") << true << 10.0 << "10.00" << V::Rechaza;
        QTest::newRow("19 steps away") << true << 10.0 << "10.00 10.19 9.81" << V::Rechaza;
        QTest::newRow("20 steps more") << true << 10.0 << "10.20 10.00" << V::Toma;
        QTest::newRow("20 steps less") << true << 10.0 << "9.80 10.00" << V::Toma;
        QTest::newRow("back near zero") << true << 0.3 << "0.19 0.30" << V::Toma;
        QTest::newRow("not near enough") << true << 0.3 << "0.20 0.30" << V::Rechaza;
        QTest::newRow("rule off") << false << 10.0 << "10.00" << V::Toma;
    }
    void unaPorCarga() {
        QFETCH(bool, regla);
        QFETCH(double, tomado);
        QFETCH(QString, lecturas);
        QFETCH(V, veredicto);
        CapturaPesada c({true, 2000, 3000, regla});
        const Lectura primera = Peso(tomado, "stable", kInicio);
        QCOMPARE(c.Decide(primera, kInicio, kInicio).veredicto, V::Toma);
        c.Tomada(primera);
        for (const QString& p : lecturas.split(' '))
            c.Recibida(Peso(p.toDouble(), "stable", kInicio));
        const CapturaPesada::Decision d = c.Decide(primera, kInicio, kInicio);
        QCOMPARE(d.veredicto, veredicto);
        QCOMPARE(d.motivo, veredicto == V::Toma ? M::Ninguno : M::MismaCarga);
    }
};

QTEST_APPLESS_MAIN(TestCapturaPesada)
#include "tst_capturapesada.moc"
