// The grid's rows without a window: which edits become lines, deleting lines, and the command
// words of the dispatcher.
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "notedata/catalogoalbaran.h"
#include "notedata/reglaslinea.h"
#include "notes/despachador.h"
#include "notes/modelolineasalbaran.h"
#include "support/entornoprueba.h"

#include <QFont>
#include <QSignalSpy>
#include <QTest>

class TestModeloLineasAlbaran : public QObject {
    Q_OBJECT

    static LineasAlbaran Lineas(const QStringList& filas) {
        LineasAlbaran l;
        for (const QString& f : filas) {
            FilaAlbaran celdas;
            const QStringList partes = f.split('|');
            for (int i = 0; i < partes.size(); ++i)
                celdas[i] = partes[i];
            l.Add(celdas);
        }
        return l;
    }
    static QStringList Codigos(const ModeloLineasAlbaran& m) {
        QStringList c;
        for (int i = 0; i < m.Lineas().Count(); ++i)
            c << m.Lineas().Celda(i, 1) + '/' + m.Lineas().Celda(i, 2);
        return c;
    }

private slots:
    void filas_data() {
        QTest::addColumn<int>("fila");
        QTest::addColumn<int>("columna");
        QTest::addColumn<QString>("texto"); // empty: the row is deleted instead
        QTest::addColumn<QStringList>("despues");
        QTest::addColumn<int>("cambios"); // reports of a line stored or deleted
        const QStringList tres{"A/a", "B/b", "C/c"};
        QTest::newRow("en la fila nueva")
            << 3 << 2 << "d" << QStringList{"A/a", "B/b", "C/c", "/d"} << 1;
        QTest::newRow("fila nueva en blanco") << 3 << 2 << "   " << tres << 0;
        // Clearing the code clears the name the code had brought: the row is blank and stays as it
        // was.
        QTest::newRow("línea dejada en blanco vuelve") << 1 << 1 << " " << tres << 0;
        QTest::newRow("línea cambiada") << 1 << 2 << "x" << QStringList{"A/a", "B/x", "C/c"} << 1;
        QTest::newRow("borrar la 2 de 3") << 1 << 0 << "" << QStringList{"A/a", "C/c"} << 1;
        QTest::newRow("borrar la fila nueva") << 3 << 0 << "" << tres << 0;
    }
    void filas() {
        QFETCH(int, fila);
        QFETCH(int, columna);
        QFETCH(QString, texto);
        QFETCH(QStringList, despues);
        QFETCH(int, cambios);
        EntornoPrueba env;
        const CatalogoAlbaran catalogo(env.DatosConBase().Conexion());
        const ReglasLinea reglas(catalogo, ",");
        ModeloLineasAlbaran m(reglas);
        m.SetLineas(Lineas({"A|a", "B|b", "C|c"}));
        QSignalSpy cambiadas(&m, &ModeloLineasAlbaran::LineasCambiadas);
        if (columna == 0) {
            m.BorraFila(fila);
        } else {
            QVERIFY(m.setData(m.index(fila, columna - 1), texto, Qt::EditRole));
            QCOMPARE(m.Celda(fila, columna), texto);
            m.ConfirmaFila();
        }
        QCOMPARE(Codigos(m), despues);
        QCOMPARE(m.rowCount(), despues.size() + 1);
        QCOMPARE(cambiadas.size(), cambios);
    }

    void columnas() {
        EntornoPrueba env;
        const CatalogoAlbaran catalogo(env.DatosConBase().Conexion());
        const ReglasLinea reglas(catalogo, ",");
        ModeloLineasAlbaran m(reglas);
        m.SetUnidad("Kg");
        QCOMPARE(m.headerData(5, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QString("Peso neto producto Kg"));
        QCOMPARE(m.headerData(6, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Precio"));
        QCOMPARE(m.headerData(0, Qt::Vertical, Qt::DisplayRole).toString(), QString("*"));
        QVERIFY(!m.setData(m.index(0, 8), "10:00:00-01/01/2026", Qt::EditRole));
        QCOMPARE(m.data(m.index(0, 7), Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
                 int(Qt::AlignRight));
        QCOMPARE(m.data(m.index(0, 1), Qt::TextAlignmentRole).toInt() & Qt::AlignRight, 0);
    }

    void netoNegativo_data() {
        // Gross and tare typed into a new line; whether its net cell is marked.
        QTest::addColumn<QString>("bruto");
        QTest::addColumn<QString>("tara");
        QTest::addColumn<QString>("neto");
        QTest::addColumn<bool>("marcado");
        auto fila = [](const char* caso, const char* bruto, const char* tara, const char* neto,
                       bool marcado) {
            QTest::newRow(caso) << QString(bruto) << QString(tara) << QString(neto) << marcado;
        };
        fila("tara sobre el bruto", "10", "15", "-5,000", true);
        fila("tara igual al bruto", "10", "10", "0,000", false);
        fila("tara bajo el bruto", "15", "10", "5,000", false);
        fila("un gramo de más", "10", "10,001", "-0,001", true);
        fila("medio gramo no se ve", "10", "10,0004", "0,000", false);
    }
    // A negative net is marked in colour, in bold, with a warning sign and a reason; the marks
    // follow the row as it is edited and after it is stored.
    void netoNegativo() {
        QFETCH(QString, bruto);
        QFETCH(QString, tara);
        QFETCH(QString, neto);
        QFETCH(bool, marcado);
        EntornoPrueba env;
        const CatalogoAlbaran catalogo(env.DatosConBase().Conexion());
        const ReglasLinea reglas(catalogo, ",");
        ModeloLineasAlbaran m(reglas);
        QVERIFY(m.setData(m.index(0, 3), bruto, Qt::EditRole));
        QVERIFY(m.setData(m.index(0, 4), tara, Qt::EditRole));
        QCOMPARE(m.Celda(0, 6), neto);
        for (bool guardada : {false, true}) {
            if (guardada)
                m.ConfirmaFila();
            const QModelIndex celda = m.index(0, 5);
            QCOMPARE(celda.data(ModeloLineasAlbaran::RolAviso).toBool(), marcado);
            QCOMPARE(celda.data(Qt::FontRole).value<QFont>().bold(), marcado);
            QCOMPARE(celda.data(Qt::ForegroundRole).isValid(), marcado);
            QCOMPARE(celda.data(Qt::ToolTipRole).toString().isEmpty(), !marcado);
            // Only the net weight is marked.
            for (int c : {3, 4, 7})
                QVERIFY(!m.index(0, c).data(ModeloLineasAlbaran::RolAviso).toBool());
        }
    }

    void palabrasExactas() {
        Despachador d;
        int veces = 0;
        d.Registra("NuevoAlbaran", [&] { ++veces; });
        for (const char* otra : {"nuevoalbaran", "NuevoAlbaran ", "Nuevo", ""})
            QVERIFY(!d.Despacha(otra));
        QVERIFY(d.Despacha("NuevoAlbaran"));
        QCOMPARE(veces, 1);
    }

    // A weight typed by hand shows its mark in letters; one from the scale (an entry in the
    // weighing log) does not. Where typed weights are forbidden, typing one is refused with a
    // message and the line stays; emptying it and the other cells still work.
    void pesoManual_data() {
        QTest::addColumn<bool>("permitido");
        QTest::addColumn<int>("columna");
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("bruto"); // the gross weight as the grid shows it afterwards
        QTest::addColumn<int>("rechazos");
        const QString m = Texto(IdTexto::MarcaManual) + ' ';
        QTest::newRow("typed") << true << 4 << "13" << m + "13,000" << 0;
        QTest::newRow("net typed") << true << 6 << "10" << m + "10,000" << 0;
        QTest::newRow("price typed") << true << 7 << "2"
                                     << "12,500" << 0;
        QTest::newRow("forbidden") << false << 4 << "13"
                                   << "12,500" << 1;
        QTest::newRow("net forbidden") << false << 6 << "10"
                                       << "12,500" << 1;
        QTest::newRow("emptied where forbidden") << false << 4 << ""
                                                 << "" << 0;
        QTest::newRow("price where forbidden") << false << 7 << "2"
                                               << "12,500" << 0;
    }
    void pesoManual() {
        QFETCH(bool, permitido);
        QFETCH(int, columna);
        QFETCH(QString, texto);
        QFETCH(QString, bruto);
        QFETCH(int, rechazos);
        EntornoPrueba env;
        const CatalogoAlbaran catalogo(env.DatosConBase().Conexion());
        const ReglasLinea reglas(catalogo, ",");
        ModeloLineasAlbaran m(reglas);
        FilaAlbaran pesada{
            "P1", "Peras", "", "12,500", "", "12,500", "", "", "10:00:00-05/03/2026"};
        pesada[LineasAlbaran::IdPesada - 1] = "4";
        LineasAlbaran lineas;
        lineas.Add(pesada);
        m.SetLineas(lineas);
        m.SetPesoManual(permitido);
        QSignalSpy rechazada(&m, &ModeloLineasAlbaran::Rechazada);
        QCOMPARE(m.setData(m.index(0, columna - 1), texto, Qt::EditRole), rechazos == 0);
        QCOMPARE(m.data(m.index(0, 3), Qt::DisplayRole).toString(), bruto);
        QCOMPARE(rechazada.size(), rechazos);
        if (rechazos)
            QCOMPARE(rechazada.first().first().toString(), Texto(IdTexto::PesoManualProhibido));
    }
};

QTEST_MAIN(TestModeloLineasAlbaran)
#include "tst_modelolineasalbaran.moc"
