// "Imprimir" of the main window, driven with the keyboard: a note typed and not saved goes to the
// ticket preview, which shows it and prints it to a real print server's raw queue; the printed
// mark follows only a print that went out; with pages chosen the listing opens instead.
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelregistry.h"
#include "export/frmlstalbaran.h"
#include "masters/contestador.h"
#include "notes/frmmain.h"
#include "support/controles.h"
#include "support/entornoprueba.h"
#include "support/servidorcups.h"
#include "ticket/directprinthelper.h"
#include "ticket/documentoticket.h"
#include "ticket/frmlstticket.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <cups/ipp.h>

namespace {
const char* const kCola = "pesixtiquets";
// The number, the product of the one line, and the net total with two decimals.
const char* const kPlantilla =
    "(#IniCampos)\r\nCabecera;NumAlbaran;6;I\r\n"
    "Detalle;CodProducto;4;I\r\nCabecera;TotalNeto;8;D;2\r\n"
    "(#FinCampos)\r\n(#IniSeccion)\r\n(#INIT)N\xba %Cabecera;NumAlbaran%\r\n"
    "(#FinSeccion)\r\n(#IniDetalle;Detalle)\r\n%Detalle;CodProducto%\r\n"
    "(#FinDetalle;Detalle)\r\n%Cabecera;TotalNeto%(#FCUT)\r\n";
// What the printer receives for it, in IBM850.
const QByteArray kBytes = QByteArray::fromHex("1b40 4ea7 20 412d37202020 0a 50312020 0a "
                                              "20202031322c3530 1d5601 0a");

// Keys to the window's focused control, as the keyboard sends them to the active window.
void Teclas(QWidget* ventana, const QList<QKeyCombination>& teclas) {
    for (const QKeyCombination t : teclas) {
        QWidget* destino = ventana->focusWidget() ? ventana->focusWidget() : ventana;
        QTest::keyClick(destino, t.key(), t.keyboardModifiers());
        QTest::qWait(20);
    }
}
// Typing goes to the control that has the focus after each key (a grid cell's box opens).
void Teclea(QWidget* ventana, const QString& texto) {
    for (QChar c : texto)
        QTest::keyClick(ventana->focusWidget(), c.toLatin1());
}
// Activates a window that has just opened, as the window manager would.
void Activa(QWidget* w) {
    w->activateWindow();
    (void)QTest::qWaitFor([w] { return QApplication::activeWindow() == w; });
}
} // namespace

class TestImprimir : public QObject {
    Q_OBJECT

private slots:
    void tiquetYListado() {
        qputenv("HOME", QFile::encodeName(m_casa.path()));
        ServidorCups servidor;
        if (const QString no = servidor.Arranca(); !no.isEmpty())
            QSKIP(qPrintable("cupsd cannot start here: " + no));
        servidor.Usa();
        Receptor impresora;
        QCOMPARE(servidor.ColaRaw(kCola, impresora), QString());

        EntornoPrueba env;
        kelRegistry::SaveAppString("\\Internacional", "sDecimal", ",");
        clsDatosApp& datos = env.DatosConBase();
        EntornoPrueba::Ejecuta("INSERT INTO Productos VALUES ('P1', 'Peras', 1.2)");
        datos.SetDocumento(std::make_shared<DocumentoTicket>());
        datos.SetPrintHelper(std::make_shared<DirectPrintHelper>("IBM850"));
        QVERIFY(datos.PrintHelper()->CargaRecordset(datos.Conexion()));
        const QString plantilla = env.Carpeta() + "/tiquet.dti";
        QFile f(plantilla);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(kPlantilla) > 0);
        f.close();
        datos.SetModeloTicket(plantilla);
        datos.SetTipoImpresora(1);

        frmMain w;
        w.show();
        Activa(&w);
        auto* impreso = Controles::Busca<QLabel>(w, "lblImpreso");
        // Number, then Tab on to the grid: a line of P1 with 12,5 kg typed as gross weight.
        Teclea(&w, "A-7");
        for (int i = 0; i < 12 && w.focusWidget()->objectName() != "gridAlbaran"; ++i)
            Teclas(&w, {Qt::Key_Tab});
        Teclea(&w, "P1");
        Teclas(&w, {Qt::Key_Return, Qt::Key_Return, Qt::Key_Return});
        Teclea(&w, "12,5");
        Teclas(&w, {Qt::Key_Return});

        // No ticket printer: the error, and no mark.
        datos.SetPuertoImpresoraTiquets(0);
        Contestador<QMessageBox> error([](QMessageBox* caja) {
            QVERIFY(caja->text().startsWith(Texto(IdTexto::ErrorImpresion)));
            caja->buttons().first()->click();
        });
        QString mostrado;
        Contestador<frmLstTicket> vista([&](frmLstTicket* v) {
            Activa(v);
            mostrado = Controles::Busca<QPlainTextEdit>(*v, "txtLstTicket")->toPlainText();
            Teclas(v, {Qt::CTRL | Qt::Key_P});
            Controles::Busca<QPushButton>(*v, "cmdSalir")->click();
        });
        Teclas(&w, {Qt::CTRL | Qt::Key_P});
        QCOMPARE(vista.Veces(), 1);
        QCOMPARE(error.Veces(), 1);
        QCOMPARE(mostrado, QString::fromUtf8("Nº A-7   \nP1  \n   12,50\n"));
        QVERIFY(impreso->isHidden());

        // No template chosen: the preview says so, not that a file of no name is missing.
        datos.SetModeloTicket(QString());
        vista.Responde([&](frmLstTicket* v) {
            Activa(v);
            mostrado = Controles::Busca<QPlainTextEdit>(*v, "txtLstTicket")->toPlainText();
            Controles::Busca<QPushButton>(*v, "cmdSalir")->click();
        });
        Activa(&w);
        Teclas(&w, {Qt::CTRL | Qt::Key_P});
        QCOMPARE(vista.Veces(), 2);
        QCOMPARE(mostrado, Texto(IdTexto::SinPlantillaTiquet));
        datos.SetModeloTicket(plantilla);

        // The raw queue: two prints, two jobs with exactly the ticket's bytes, and the mark.
        datos.SetPuertoImpresoraTiquets(3);
        datos.SetNombreImpresoraTiquets(kCola);
        vista.Responde([](frmLstTicket* v) {
            Activa(v);
            Teclas(v, {Qt::CTRL | Qt::Key_P, Qt::CTRL | Qt::Key_P, Qt::Key_Escape});
        });
        Activa(&w);
        Teclas(&w, {Qt::CTRL | Qt::Key_P});
        QCOMPARE(vista.Veces(), 3);
        QCOMPARE(error.Veces(), 1);
        QVERIFY(!impreso->isHidden());
        QTRY_COMPARE_WITH_TIMEOUT(impresora.recibidos.size(), 2, 20000);
        QCOMPARE(impresora.recibidos, QList<QByteArray>({kBytes, kBytes}));
        const QString hecho = QString("RAWPRN@%1:%2").arg(kCola).arg(IPP_JSTATE_COMPLETED);
        QTRY_COMPARE_WITH_TIMEOUT(Trabajos(), QStringList({hecho, hecho}), 10000);

        // Pages chosen: the listing, whatever the ticket template says.
        datos.SetTipoImpresora(0);
        Contestador<frmLSTAlbaran> listado([](frmLSTAlbaran* l) { l->reject(); });
        Activa(&w);
        Teclas(&w, {Qt::CTRL | Qt::Key_P});
        QCOMPARE(listado.Veces(), 1);
        QCOMPARE(vista.Veces(), 3);
    }

private:
    QTemporaryDir m_casa; // the print client reads none of the user's own settings
};

QTEST_MAIN(TestImprimir)
#include "tst_imprimir.moc"
