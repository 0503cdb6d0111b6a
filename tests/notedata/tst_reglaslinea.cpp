// The rules of a line's cells, each case one row: the line before, what the operator does, the
// line after. Look-ups run against a real database; numbers are shown with a decimal comma.
#include "notedata/catalogoalbaran.h"
#include "notedata/reglaslinea.h"
#include "support/entornoprueba.h"

#include <QTest>

class TestReglasLinea : public QObject {
    Q_OBJECT

    // The nine shown cells separated by "|", then "#" and the weighing log's entry when the
    // gross weight came from the scale.
    static FilaAlbaran Fila(const QString& celdas) {
        const QStringList partes = celdas.section('#', 0, 0).split('|');
        FilaAlbaran f;
        for (int i = 0; i < 9; ++i)
            f[i] = partes.value(i);
        f[LineasAlbaran::IdPesada - 1] = celdas.section('#', 1);
        return f;
    }
    static QString Celdas(const FilaAlbaran& f) {
        const QString id = f[LineasAlbaran::IdPesada - 1];
        return QStringList(f.begin(), f.begin() + 9).join('|') + (id.isEmpty() ? "" : "#" + id);
    }

private slots:
    void reglas_data() {
        QTest::addColumn<QString>("antes");
        QTest::addColumn<QString>("accion"); // a column number edited, or a button
        QTest::addColumn<QString>("texto");  // typed text, chosen code or scale weight
        QTest::addColumn<QString>("despues");
        const QString pesada = "P1|Peras|1|12,500|0,250|12,250|1,20|14,70|09:00:00-05/03/2026";
        const QString ahora = "10:15:30-05/03/2026";
        QTest::newRow("bruto con coma") << "P1|Peras|1||0,250|-0,250|1,20||"
                                        << "4"
                                        << "12,5"
                                        << "P1|Peras|1|12,500|0,250|12,250|1,20|14,70|" + ahora;
        QTest::newRow("bruto con punto y texto detrás")
            << "P1|Peras|1||0,250||1,20||"
            << "4"
            << " 12.5 kg"
            << "P1|Peras|1|12,500|0,250|12,250|1,20|14,70|" + ahora;
        QTest::newRow("cambio de tara en línea pesada")
            << pesada << "3"
            << "2"
            << "P1|Peras|2|12,500|0,500|12,000|1,20|14,40|09:00:00-05/03/2026";
        QTest::newRow("tara no entera")
            << pesada << "3"
            << "1.5"
            << "P1|Peras|1.5|12,500|0,000|12,500|1,20|15,00|09:00:00-05/03/2026";
        QTest::newRow("tara con comilla")
            << pesada << "3"
            << "1'"
            << "P1|Peras|1'|12,500|0,000|12,500|1,20|15,00|09:00:00-05/03/2026";
        QTest::newRow("tara vaciada")
            << pesada << "3"
            << ""
            << "P1|Peras||12,500|0,250|12,250|1,20|14,70|09:00:00-05/03/2026";
        QTest::newRow("0 en el bruto") << pesada << "4"
                                       << "0"
                                       << "P1|Peras|1||0,250||1,20||";
        QTest::newRow("neto escrito da el bruto") << "||2||0,500||||"
                                                  << "6"
                                                  << "10"
                                                  << "||2|10,500|0,500|10,000|||" + ahora;
        QTest::newRow("0 en el neto") << pesada << "6"
                                      << "0"
                                      << "P1|Peras|1||0,250||1,20||";
        QTest::newRow("tara escrita")
            << pesada << "5"
            << "1"
            << "P1|Peras|1|12,500|1,000|11,500|1,20|13,80|09:00:00-05/03/2026";
        QTest::newRow("precio 0") << pesada << "7"
                                  << "0"
                                  << "P1|Peras|1|12,500|0,250|12,250|||09:00:00-05/03/2026";
        QTest::newRow("precio vacío") << pesada << "7"
                                      << ""
                                      << "P1|Peras|1|12,500|0,250|12,250|||09:00:00-05/03/2026";
        QTest::newRow("importe redondeado hacia arriba")
            << "P2|Manzanas|1||20,000||0,95||"
            << "4"
            << "250,5"
            << "P2|Manzanas|1|250,500|20,000|230,500|0,95|218,98|" + ahora;
        QTest::newRow("importe escrito")
            << pesada << "8"
            << "99,5"
            << "P1|Peras|1|12,500|0,250|12,250|1,20|99,50|09:00:00-05/03/2026";
        QTest::newRow("producto sin precio")
            << pesada << "1"
            << "P0"
            << "P0|Sin precio|1|12,500|0,250|12,250|||09:00:00-05/03/2026";
        QTest::newRow("producto inexistente") << pesada << "1"
                                              << "PX"
                                              << "PX||1|12,500|0,250|12,250|||09:00:00-05/03/2026";
        QTest::newRow("producto con comilla") << "||||||||"
                                              << "1"
                                              << "O'B"
                                              << "O'B|Olivas O'Brien|||||2,00|0,00|";
        QTest::newRow("búsqueda cancelada reaplica el código")
            << "P1|Peras maduras|1|12,500|0,250|12,250|9,00|110,25|09:00:00-05/03/2026"
            << "producto"
            << "P1" << pesada;
        QTest::newRow("búsqueda cancelada en celda vacía") << "||||||||"
                                                           << "producto"
                                                           << ""
                                                           << "||||||||";
        QTest::newRow("tara elegida")
            << pesada << "tara"
            << "2"
            << "P1|Peras|2|12,500|0,500|12,000|1,20|14,40|09:00:00-05/03/2026";
        QTest::newRow("peso de la báscula con hora")
            << "P1|Peras|1||||1,20||"
            << "peso"
            << "12.5"
            << "P1|Peras|1|12,500||12,500|1,20|15,00|10:15:30-05/03/2026#7";
        QTest::newRow("peso 0 de la báscula") << "||||||||08:00:00-01/03/2026"
                                              << "peso"
                                              << "0"
                                              << "|||0,000||0,000|||#7";
        // A weight typed over one from the scale is the operator's; a new container is not.
        QTest::newRow("bruto tecleado sobre la lectura")
            << pesada + "#7"
            << "4"
            << "13"
            << "P1|Peras|1|13,000|0,250|12,750|1,20|15,30|10:15:30-05/03/2026";
        QTest::newRow("neto tecleado sobre la lectura")
            << pesada + "#7"
            << "6"
            << "10"
            << "P1|Peras|1|10,250|0,250|10,000|1,20|12,00|10:15:30-05/03/2026";
        QTest::newRow("bruto borrado") << pesada + "#7"
                                       << "4"
                                       << ""
                                       << "P1|Peras|1||0,250||1,20||";
        QTest::newRow("tara cambiada tras la lectura")
            << pesada + "#7"
            << "3"
            << "2"
            << "P1|Peras|2|12,500|0,500|12,000|1,20|14,40|09:00:00-05/03/2026#7";
    }

    void reglas() {
        QFETCH(QString, antes);
        QFETCH(QString, accion);
        QFETCH(QString, texto);
        QFETCH(QString, despues);
        EntornoPrueba env;
        const clsDatosApp& datos = env.DatosConBase();
        EntornoPrueba::Ejecuta("INSERT INTO Productos VALUES ('P1', 'Peras', 1.2), "
                               "('P0', 'Sin precio', NULL), ('O''B', 'Olivas O''Brien', 2)");
        EntornoPrueba::Ejecuta("INSERT INTO Taras VALUES (1, 'Caja', 0.25), (2, 'Saco', 0.5)");
        const CatalogoAlbaran catalogo(datos.Conexion());
        const ReglasLinea reglas(catalogo, ",");
        const QDateTime ahora(QDate(2026, 3, 5), QTime(10, 15, 30));
        FilaAlbaran fila = Fila(antes);
        if (accion == "producto") {
            reglas.EligeProducto(fila, texto);
        } else if (accion == "tara") {
            reglas.EligeTara(fila, texto);
        } else if (accion == "peso") {
            reglas.TomaPeso(fila, texto.toDouble(), 7, ahora);
        } else {
            fila[accion.toInt() - 1] = texto;
            reglas.TrasEditar(fila, accion.toInt(), ahora);
        }
        QCOMPARE(Celdas(fila), despues);
    }
};

QTEST_MAIN(TestReglasLinea)
#include "tst_reglaslinea.moc"
