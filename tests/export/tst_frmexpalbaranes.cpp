// Progress and cancelling of the export, and the export window driven as an operator would.
#include "albaranesprueba.h"
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "export/exportaalbaranes.h"
#include "export/frmexpalbaranes.h"
#include "masters/contestador.h"
#include "support/controles.h"
#include "support/entornoprueba.h"

#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using albaranesprueba::Escribe;
using albaranesprueba::Lee;

namespace {
// A note of `lineas` lines on that day.
void Nota(const QString& numero, const QString& fecha, int lineas) {
    EntornoPrueba::Ejecuta(
        "INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, CodCliente, NomCliente, "
        "Direccion1, Direccion2, FechaModificacion, Impreso) VALUES (?, ?, 'Ana', 'C1', 'Sol', "
        "'', '', ?, false)",
        {numero, fecha, fecha + " 10:00:00"});
    EntornoPrueba::Ejecuta("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < ?) INSERT INTO AlbaranesDetalle SELECT ?, ?, i, 'P1', "
                           "'Peras', 1, 12.5, 0.25, 12.25, 1.2, 14.7, '10:00:00', NULL FROM n",
                           {lineas, numero, fecha});
}
} // namespace

class TestFrmExpAlbaranes : public QObject {
    Q_OBJECT
private slots:
    void avance_data();
    void avance();
    void ventana_data();
    void ventana();
    void escape_data();
    void escape();
};

void TestFrmExpAlbaranes::avance_data() {
    QTest::addColumn<QString>("archivo");
    QTest::addColumn<int>("cancelaEn"); // the call of the progress that cancels; 0 none
    QTest::addColumn<QList<int>>("milesimas");
    QTest::addColumn<Motor>("motor");
    const auto fila = [](const char* nombre, const char* archivo, int cancelaEn,
                         QList<int> milesimas, Motor motor = Motor::Sqlite) {
        QTest::newRow(nombre) << archivo << cancelaEn << milesimas << motor;
    };
    fila("texto sin cancelar", "salida.txt", 0, {409, 819});
    fila("texto cancelado", "salida.txt", 2, {409, 819});
    fila("XML cancelado", "salida.xml", 1, {409});
    // A cancelled read on a server leaves its connection fit for the next export.
    fila("servidor: texto cancelado", "salida.txt", 2, {409, 819}, Motor::Postgres);
}

void TestFrmExpAlbaranes::avance() {
    QFETCH(QString, archivo);
    QFETCH(int, cancelaEn);
    QFETCH(QList<int>, milesimas);
    QFETCH(Motor, motor);
    PESIX_REQUIERE(motor);
    EntornoPrueba env(motor);
    clsDatosApp& datos = env.DatosConBase();
    Nota("1", "2026-03-10", 9999);
    Nota("2", "2026-03-11", 1);
    const QString ruta = QDir(env.Carpeta()).filePath(archivo);
    QVERIFY(Escribe(ruta, "antiguo\r\n"));
    ExportaAlbaranes exporta(datos.Conexion(), ",", FormatoValores(".", QLocale::c()));
    QList<int> vistas;
    exporta.SetAvance([&](qint64 filas, int m) {
        vistas << m;
        return filas == vistas.size() * ExportaAlbaranes::FilasPorAviso &&
               vistas.size() != cancelaEn;
    });
    const Resultado r = exporta.Exporta(QDate(2026, 3, 1), QDate(2026, 3, 31), ruta);
    QCOMPARE(vistas, milesimas);
    QCOMPARE(exporta.Cancelada(), cancelaEn > 0);
    QCOMPARE(bool(r), cancelaEn == 0);
    if (r) {
        QCOMPARE(Lee(ruta).count('\n'), 10001);
        return;
    }
    // Cancelled: the old file as it was, nothing left beside it, and the connection fit for the
    // next export.
    QCOMPARE(Lee(ruta), QByteArray("antiguo\r\n"));
    QCOMPARE(QDir(env.Carpeta()).entryList({"salida*"}, QDir::Files), QStringList{archivo});
    cancelaEn = 0;
    vistas.clear();
    QVERIFY(exporta.Exporta(QDate(2026, 3, 1), QDate(2026, 3, 31), ruta));
    QCOMPARE(exporta.Filas(), 10000);
}

void TestFrmExpAlbaranes::ventana_data() {
    QTest::addColumn<QDate>("desde");
    QTest::addColumn<QDate>("hasta");
    QTest::addColumn<QString>("tecleado"); // into the destination box
    QTest::addColumn<QString>("dialogo");  // into the save dialog, after F4 in the box
    QTest::addColumn<int>("mensaje");      // the box shown, 0 none
    QTest::addColumn<int>("lineas");       // of the file written, -1 none
    const QDate d1(2026, 3, 1), d31(2026, 3, 31);
    QTest::newRow("fechas al revés") << d31 << d1 << "notas.txt"
                                     << "" << IdTexto::ExportacionAcabada << 3;
    QTest::newRow("CSV en mayúsculas") << d1 << d31 << ""
                                       << "NOTAS.CSV" << IdTexto::ExportacionAcabada << 3;
    QTest::newRow("otra extensión") << d1 << d31 << ""
                                    << "notas.doc" << 0 << -1;
    QTest::newRow("carpeta inexistente") << d1 << d31 << "falta/notas.txt"
                                         << "" << IdTexto::NadaEscrito << -1;
}

void TestFrmExpAlbaranes::ventana() {
    QFETCH(QDate, desde);
    QFETCH(QDate, hasta);
    QFETCH(QString, tecleado);
    QFETCH(QString, dialogo);
    QFETCH(int, mensaje);
    QFETCH(int, lineas);
    EntornoPrueba env;
    env.DatosConBase();
    Nota("1", "2026-02-28", 1);
    Nota("2", "2026-03-01", 1);
    Nota("3", "2026-03-31", 1);
    Nota("4", "2026-04-01", 1);
    const QString carpeta = env.Carpeta();
    QStringList mensajes;
    Contestador<QMessageBox> cajas([&](QMessageBox* c) {
        mensajes << c->text();
        c->accept();
    });
    Contestador<QFileDialog> guardar([&](QFileDialog* d) {
        d->setDirectory(carpeta);
        QTest::keyClicks(Controles::Busca<QLineEdit>(*d, "fileNameEdit"), dialogo);
        QTest::keyClick(Controles::Busca<QLineEdit>(*d, "fileNameEdit"), Qt::Key_Return);
    });

    frmExpAlbaranes w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(QApplication::focusWidget(), w.txtDestino);
    w.txtFecha[0]->setDate(desde);
    w.txtFecha[1]->setDate(hasta);
    if (!dialogo.isEmpty()) {
        QTest::keyClick(w.txtDestino, Qt::Key_F4);
        QTRY_COMPARE(guardar.Veces(), 1);
        QTRY_VERIFY(QApplication::activeModalWidget() == &w);
    } else {
        QTest::keyClicks(w.txtDestino, QDir(carpeta).filePath(tecleado));
    }
    QTest::keyClick(w.txtDestino, Qt::Key_Return);
    const QString destino = w.txtDestino->text();
    QCOMPARE(w.cmdOpcion[0]->isEnabled(), lineas >= 0 || mensaje != 0);
    QCOMPARE(mensajes.size(), mensaje ? 1 : 0);
    if (mensaje)
        QVERIFY2(mensajes[0].startsWith(Texto(mensaje).section('%', 0, 0)),
                 qPrintable(mensajes[0]));
    // The range runs forwards in the window, both days included.
    QVERIFY(w.txtFecha[0]->date() <= w.txtFecha[1]->date());
    QCOMPARE(QDir(carpeta).entryList({"*.txt", "*.csv", "*.CSV", "*.doc"}).size(),
             lineas >= 0 ? 1 : 0);
    if (lineas >= 0)
        QCOMPARE(Lee(destino).count('\n'), lineas);
    else if (!dialogo.isEmpty())
        QVERIFY(destino.isEmpty());
}

void TestFrmExpAlbaranes::escape_data() {
    QTest::addColumn<QString>("foco");
    // First: 0 nothing, 1 an export and its message answered, 2 the save dialog cancelled.
    QTest::addColumn<int>("antes");
    QTest::newRow("destino") << "txtDestino" << 0;
    QTest::newRow("desde") << "txtFecha0" << 0;
    QTest::newRow("hasta") << "txtFecha1" << 0;
    QTest::newRow("salir") << "cmdOpcion1" << 0;
    QTest::newRow("tras exportar") << "txtDestino" << 1;
    QTest::newRow("tras el diálogo de destino") << "txtDestino" << 2;
}

// Escape, typed where the keyboard's focus is, closes the window, also once a message box
// over it has closed.
void TestFrmExpAlbaranes::escape() {
    QFETCH(QString, foco);
    QFETCH(int, antes);
    EntornoPrueba env;
    env.DatosConBase();
    Nota("1", QDate::currentDate().toString("yyyy-MM-dd"), 1);
    frmExpAlbaranes w;
    Contestador<QMessageBox> cajas([](QMessageBox* c) { c->accept(); });
    Contestador<QFileDialog> dialogo([](QFileDialog* d) { d->reject(); });
    w.show(); // modal, as the main window opens it
    QVERIFY(QTest::qWaitForWindowActive(&w));
    Controles::Busca<QWidget>(w, foco)->setFocus();
    if (antes == 2)
        QTest::keyClick(w.txtDestino, Qt::Key_F4);
    if (antes == 1) {
        QTest::keyClicks(w.txtDestino, QDir(env.Carpeta()).filePath("notas.txt"));
        QTest::keyClick(w.txtDestino, Qt::Key_Return);
        QTRY_VERIFY(QApplication::activeModalWidget() == &w);
    }
    QTRY_VERIFY(QApplication::activeModalWidget() == &w);
    QTest::qWait(20);
    QCOMPARE(cajas.Veces() + 2 * dialogo.Veces(), antes);
    QVERIFY(QApplication::focusWidget()); // where the keyboard types
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Rejected));
}

QTEST_MAIN(TestFrmExpAlbaranes)
#include "tst_frmexpalbaranes.moc"
