// The scale test window, driven with the mouse and keyboard like an operator against a real
// pseudo-terminal.
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "masters/contestador.h"
#include "scale/frmtest.h"
#include "support/controles.h"
#include "support/entornoprueba.h"
#include "support/pseudoterminal.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestFrmTest : public QObject {
    Q_OBJECT
private slots:
    // The number from the fourth character of a port's name; none, or beyond 16 bits, is 0.
    void numeroPuerto() {
        QCOMPARE(frmTest::NumeroPuerto("COM12"), qint16(12));
        QCOMPARE(frmTest::NumeroPuerto("ttyS0"), qint16(0));
        QCOMPARE(frmTest::NumeroPuerto("COM40000"), qint16(0));
    }

    void cableado() {
        EntornoPrueba env;
        PseudoTerminal pty(PseudoTerminal::SoloMaestro);
        clsDatosApp& d = env.DatosConBase();
        d.SetTipoBascula(1);
        d.SetPuertoNombre(pty.Ruta());
        frmTest w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* combo = Controles::Busca<QComboBox>(w, "cboPuertos");
        auto* lectura = Controles::Busca<QLabel>(w, "Label1");
        const auto* trama = Controles::Busca<QLabel>(w, "lblTrama");
        const auto* ilegibles = Controles::Busca<QLabel>(w, "lblIlegibles");
        const auto boton = [&w](const QString& nombre) {
            return Controles::Busca<QPushButton>(w, nombre);
        };
        const auto pulsa = [&](const QString& nombre) {
            QTest::mouseClick(boton(nombre), Qt::LeftButton);
        };
        const auto conectado = [&](bool si) {
            bool ok = combo->isEnabled() == !si && boton("cmdConectar0")->isEnabled() == !si &&
                      boton("cmdConectar1")->isEnabled() == si && w.VeltaSC1().PortOpen() == si;
            for (int k = 0; k < 8; ++k)
                ok = ok && boton(QStringLiteral("cmdComando%1").arg(k))->isEnabled() == si;
            return ok;
        };
        const auto escribePuerto = [&](const QString& texto) {
            QLineEdit* linea = combo->lineEdit();
            linea->setFocus();
            QTest::keyClick(linea, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(linea, texto); // over the selection
        };
        QStringList cajas; // text and buttons of every message box
        Contestador<QMessageBox> contestador([&](QMessageBox* caja) {
            QStringList botones;
            for (QAbstractButton* b : caja->buttons())
                botones << b->text();
            cajas << caja->text() + " [" + botones.join(',') + "]";
            caja->accept();
        });

        QCOMPARE(lectura->text(), QString("0.000"));
        QVERIFY(conectado(false));
        // The port of the settings is listed first and chosen.
        QCOMPARE(combo->itemText(0), pty.Ruta());
        QCOMPARE(combo->currentText(), pty.Ruta());

        // A port that cannot be opened: the message box in the interface language, still
        // disconnected.
        const QString falta = env.Carpeta() + "/no-hay-bascula";
        escribePuerto(falta);
        pulsa("cmdConectar0");
        QTRY_COMPARE(cajas.size(), 1);
        QVERIFY2(cajas.at(0).contains(falta) &&
                     cajas.at(0).endsWith("[" + Texto(IdTexto::Aceptar) + "]"),
                 qPrintable(cajas.at(0)));
        QVERIFY(conectado(false));

        // The scale settings come from the settings at every connection. The reading is shown
        // decoded, its raw frame below it; a frame that cannot be read is only counted.
        escribePuerto(pty.Ruta());
        pulsa("cmdConectar0");
        QVERIFY(conectado(true));
        QVERIFY(pty.Escribe(" WT:  3.75 Kg\r\n\n\n"));
        QTRY_COMPARE(lectura->text(), QString("3.75 kg"));
        pulsa("cmdConectar1");
        d.SetTipoBascula(2);
        pulsa("cmdConectar0");
        QVERIFY(pty.Escribe("S X 1\r\nS D     -0.50 g\r\n"));
        QTRY_COMPARE(lectura->text(), "-0.50 g \u00b7 " + Texto(IdTexto::EstadoMovimiento));
        QCOMPARE(trama->text(), QString("S D     -0.50 g  ->  -0.50 g motion unknown"));
        QCOMPARE(ilegibles->text(), Texto(IdTexto::TramasIlegibles).arg(1));
        pulsa("cmdConectar1");
        QCOMPARE(pty.Lee(4), QByteArray("SI\r\n"));
        d.SetTipoBascula(0);
        pulsa("cmdConectar0");

        // Each command button sends its command; every frame is shown as plain text and never
        // resizes the window: not even the longest, a reply that leaves the reading as it was,
        // and not one too long to be a reading, which is not shown at all.
        for (int k = 0; k < 8; ++k)
            pulsa(QStringLiteral("cmdComando%1").arg(k));
        QCOMPARE(pty.Lee(24), QByteArray("SF\rS0\rSN\rSB\rSC\rST\rSD\rSS\r"));
        const QSize tamano = w.size();
        const QByteArray larga(256, 'B');
        QSignalSpy descartadas(&w.VeltaSC1(), &VeltaSC::MensajeDebug);
        for (const QByteArray& t : {QByteArray("  +0012.50 kg "), larga, QByteArray(130000, 'C')}) {
            QVERIFY(pty.Escribe(t + "\r"));
            QTRY_COMPARE(descartadas.count(), t.size() > 256 ? 1 : 0);
            QTRY_COMPARE(trama->text(), QString::fromLatin1(
                                            t.startsWith(' ') ? t + "  ->  12.50 kg unknown unknown"
                                                              : larga + "  ->  (respuesta)"));
            QCOMPARE(lectura->text(), QString("12.50 kg"));
            QCOMPARE(w.size(), tamano);
            QVERIFY(w.minimumSizeHint().width() <= tamano.width());
        }
        lectura->setText("<span>W</span>");
        const QImage marcado = lectura->grab().toImage();
        lectura->setText("W");
        QVERIFY(marcado != lectura->grab().toImage());

        // Disconnecting asks for readings on request, then closes the port; so does Escape while
        // connected, before it closes the window.
        pulsa("cmdConectar1");
        QCOMPARE(pty.Lee(3), QByteArray("S0\r"));
        QVERIFY(conectado(false));
        pulsa("cmdConectar0");
        QVERIFY(conectado(true));
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        QVERIFY(!w.VeltaSC1().PortOpen());
        QCOMPARE(pty.Lee(4, 300), QByteArray("S0\r"));
        QCOMPARE(cajas.size(), 1);
    }
};

QTEST_MAIN(TestFrmTest)
#include "tst_frmtest.moc"
