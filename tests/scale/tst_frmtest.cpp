// The scale test window, driven with the mouse and keyboard like an operator, against a real
// pseudo-terminal and against the scale simulator.
#include "scale/frmtest.h"
#include "support/entornoprueba.h"
#include "support/pseudoterminal.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QTest>
#include <QTimer>

class tst_frmTest : public QObject {
    Q_OBJECT
private slots:
    void controlesYCaptions();
    void numeroPuerto();
    void conectaYDesconecta();
    void escritoAMano();
    void cerrarConectadoPideLecturaAPeticion_data();
    void cerrarConectadoPideLecturaAPeticion();
    void errorEnCajaDeMensaje_data();
    void errorEnCajaDeMensaje();
    void botonesConElSimulador();
};

namespace {
QComboBox* Combo(QWidget& w) {
    return w.findChild<QComboBox*>("cboPuertos");
}
QPushButton* Boton(QWidget& w, const QString& nombre) {
    return w.findChild<QPushButton*>(nombre);
}
void Pulsa(QWidget& w, const QString& nombre) {
    QTest::mouseClick(Boton(w, nombre), Qt::LeftButton);
}
QLabel* Lectura(QWidget& w) {
    return w.findChild<QLabel*>("Label1");
}

// Checks the two states: port list and connect against disconnect and the command buttons.
bool EstadoConectado(QWidget& w, bool conectado) {
    bool ok = Combo(w)->isEnabled() == !conectado &&
              Boton(w, "cmdConectar0")->isEnabled() == !conectado &&
              Boton(w, "cmdConectar1")->isEnabled() == conectado;
    for (int k = 0; k < 8; ++k)
        ok = ok && Boton(w, QStringLiteral("cmdComando%1").arg(k))->isEnabled() == conectado;
    return ok;
}

// Replaces the port box's text by typing, as an operator would.
void EscribePuerto(QWidget& w, const QString& texto) {
    QLineEdit* linea = Combo(w)->lineEdit();
    QVERIFY(linea);
    linea->setFocus();
    QTest::keyClick(linea, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(linea, Qt::Key_Delete);
    QTest::keyClicks(linea, texto);
    QCOMPARE(Combo(w)->currentText(), texto);
}

// Answers the next message box and hands back its text.
class CajaMensaje : public QObject {
public:
    CajaMensaje() {
        connect(&m_reloj, &QTimer::timeout, this, [this] {
            if (auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                m_texto = caja->text();
                m_reloj.stop();
                caja->accept();
            }
        });
        m_reloj.start(20);
    }
    QString Texto() const { return m_texto; }

private:
    QTimer m_reloj;
    QString m_texto;
};

void Conecta(frmTest& w) {
    Pulsa(w, "cmdConectar0");
    QVERIFY2(w.VeltaSC1().PortOpen(), qPrintable(w.VeltaSC1().UltimoError()));
    QVERIFY(EstadoConectado(w, true));
}

// The window on its own settings and database, shown, with the scale of the given type on a
// real pseudo-terminal (or at the given path) as the port in the settings.
struct Banco {
    explicit Banco(int tipo, const QString& puerto = {}) : d(Ajusta(tipo, puerto)) {
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
    }
    clsDatosApp& Ajusta(int tipo, const QString& puerto) {
        clsDatosApp& datos = env.DatosConBase();
        datos.SetTipoBascula(tipo);
        datos.SetPuertoNombre(puerto.isNull() ? pty->Ruta() : puerto);
        return datos;
    }
    EntornoPrueba env;
    std::unique_ptr<PseudoTerminal> pty =
        std::make_unique<PseudoTerminal>(PseudoTerminal::SoloMaestro);
    clsDatosApp& d;
    frmTest w;
};
} // namespace

void tst_frmTest::controlesYCaptions() {
    // Without a port in the settings the list is the system's own; an empty list selects
    // nothing and leaves nothing to connect to.
    const QList<QSerialPortInfo> sistema = QSerialPortInfo::availablePorts();
    Banco b(0, "");
    QCOMPARE(b.w.windowTitle(), QString("Form1"));
    QCOMPARE(Boton(b.w, "cmdConectar0")->text(), QString("Conectar"));
    QCOMPARE(Boton(b.w, "cmdConectar1")->text(), QString("Desonectar"));
    const QStringList captions = {"Lectura contínua", "Lectura a petición", "Peso neto",
                                  "Peso bruto",       "Puesta a cero",      "Tarado",
                                  "Destarado",        "Número de serie"};
    for (int k = 0; k < 8; ++k)
        QCOMPARE(Boton(b.w, QStringLiteral("cmdComando%1").arg(k))->text(), captions.at(k));
    QCOMPARE(Lectura(b.w)->text(), QString("0.000"));
    QCOMPARE(Lectura(b.w)->font().family(), QString("Arial"));
    QCOMPARE(Combo(b.w)->count(), sistema.size());
    for (int i = 0; i < sistema.size(); ++i)
        QCOMPARE(Combo(b.w)->itemText(i).toLower(), sistema.at(i).portName().toLower());
    QCOMPARE(Combo(b.w)->currentIndex(), sistema.isEmpty() ? -1 : 0);
    QVERIFY(Combo(b.w)->isEnabled());
    QCOMPARE(Boton(b.w, "cmdConectar0")->isEnabled(), !sistema.isEmpty());
    QVERIFY(!Boton(b.w, "cmdConectar1")->isEnabled());
    QVERIFY(!Boton(b.w, "cmdComando0")->isEnabled());
    QVERIFY(!b.w.VeltaSC1().PortOpen());
}

void tst_frmTest::numeroPuerto() {
    // The number from the name's fourth character on.
    QCOMPARE(frmTest::NumeroPuerto("COM3"), qint16(3));
    QCOMPARE(frmTest::NumeroPuerto("COM12"), qint16(12));
    QCOMPARE(frmTest::NumeroPuerto("ttyS0"), qint16(0));
    QCOMPARE(frmTest::NumeroPuerto("/dev/pts/3"), qint16(0));
}

void tst_frmTest::conectaYDesconecta() {
    // The port given in the settings is listed first, chosen, and connected to.
    Banco b(0);
    QCOMPARE(Combo(b.w)->itemText(0), b.pty->Ruta());
    QCOMPARE(Combo(b.w)->currentText(), b.pty->Ruta());
    Conecta(b.w);
    QCOMPARE(b.w.VeltaSC1().NombreSistema(), b.pty->Ruta());
    Pulsa(b.w, "cmdComando3");
    QCOMPARE(b.pty->Lee(3), QByteArray("SB\r"));
    // Every reading becomes Label1's text unchanged, whichever the scale type.
    QVERIFY(b.pty->Escribe("  +0012.50 kg \r"));
    QTRY_COMPARE(Lectura(b.w)->text(), QString("  +0012.50 kg "));
    b.d.SetTipoBascula(1);
    QVERIFY(b.pty->Escribe(" CABECERA\r\n WT:    3.75 Kg\r\n\n\n"));
    QTRY_COMPARE(Lectura(b.w)->text(), QString("3.75"));
    b.d.SetTipoBascula(0);
    // Disconnecting tells the scale to stop continuous readings, then closes the port.
    Pulsa(b.w, "cmdConectar1");
    QCOMPARE(b.pty->Lee(3), QByteArray("S0\r"));
    QVERIFY(!b.w.VeltaSC1().PortOpen());
    QVERIFY(EstadoConectado(b.w, false));
    Conecta(b.w);
}

void tst_frmTest::escritoAMano() {
    // With nothing in the port box there is nothing to connect to; a device path typed into it
    // by hand is connected to.
    Banco b(0, "");
    EscribePuerto(b.w, "");
    QVERIFY(!Boton(b.w, "cmdConectar0")->isEnabled());
    Pulsa(b.w, "cmdConectar0");
    QVERIFY(!b.w.VeltaSC1().PortOpen());
    EscribePuerto(b.w, b.pty->Ruta());
    Conecta(b.w);
    Pulsa(b.w, "cmdComando7");
    QCOMPARE(b.pty->Lee(3), QByteArray("SS\r"));
}

void tst_frmTest::cerrarConectadoPideLecturaAPeticion_data() {
    QTest::addColumn<bool>("conectado");
    QTest::addColumn<bool>("conEscape");
    QTest::newRow("conectado, cerrar") << true << false;
    QTest::newRow("conectado, Escape") << true << true;
    QTest::newRow("desconectado, cerrar") << false << false;
}

void tst_frmTest::cerrarConectadoPideLecturaAPeticion() {
    QFETCH(bool, conectado);
    QFETCH(bool, conEscape);
    Banco b(0);
    if (conectado)
        Conecta(b.w);
    if (conEscape)
        QTest::keyClick(&b.w, Qt::Key_Escape);
    else
        QVERIFY(b.w.close());
    QVERIFY(!b.w.isVisible());
    QVERIFY(!b.w.VeltaSC1().PortOpen());
    QCOMPARE(b.pty->Lee(3, conectado ? 3000 : 100), conectado ? QByteArray("S0\r") : QByteArray());
}

void tst_frmTest::errorEnCajaDeMensaje_data() {
    QTest::addColumn<bool>("conectado");
    QTest::newRow("el puerto no se abre") << false;
    QTest::newRow("el puerto se pierde conectado") << true;
}

void tst_frmTest::errorEnCajaDeMensaje() {
    // Both end in a message box naming the port and the window disconnected.
    QFETCH(bool, conectado);
    Banco b(0);
    QString ruta = b.pty->Ruta();
    if (conectado) {
        Conecta(b.w);
    } else {
        ruta = b.env.Carpeta() + "/no-hay-bascula";
        EscribePuerto(b.w, ruta);
    }
    CajaMensaje caja;
    if (conectado)
        b.pty.reset(); // the scale's cable is pulled out
    else
        Pulsa(b.w, "cmdConectar0");
    QTRY_VERIFY(!caja.Texto().isEmpty());
    QVERIFY2(caja.Texto().contains(ruta), qPrintable(caja.Texto()));
    QVERIFY(!b.w.VeltaSC1().PortOpen());
    QVERIFY(EstadoConectado(b.w, false));
}

void tst_frmTest::botonesConElSimulador() {
    // The whole road: the window connects to the scale simulator and every command button
    // makes the simulator answer with the reading that command asks for.
    QProcess sim;
    QByteArray registro; // the simulator's log of the commands it received
    connect(&sim, &QProcess::readyReadStandardError, this,
            [&] { registro += sim.readAllStandardError(); });
    sim.start(qEnvironmentVariable("PESIX_BUILD_DIR") + "/pesix-scale-sim",
              {"--peso", "12.5", "--intervalo", "50", "--serie", "VS-TEST-42"});
    QVERIFY(sim.waitForStarted() && sim.waitForReadyRead(5000));
    const QString ruta = QString::fromLocal8Bit(sim.readLine()).trimmed();
    Banco b(0, ruta);
    Conecta(b.w);
    struct Paso {
        int boton;
        const char* lectura;
        const char* orden;
    };
    const Paso pasos[] = {
        {0, "12.500", "SF"},     // continuous readings
        {1, "12.500", "S0"},     // back to on request: one reading
        {3, "12.500", "SB"},     // gross
        {5, "0.000", "ST"},      // tare: net is zero; then 15 kg on the platform
        {2, "2.500", "SN"},      // net after the tare
        {6, "15.000", "SD"},     // tare cleared
        {4, "0.000", "SC"},      // zero
        {7, "VS-TEST-42", "SS"}, // serial number
    };
    for (const Paso& p : pasos) {
        Lectura(b.w)->setText("-");
        Pulsa(b.w, QStringLiteral("cmdComando%1").arg(p.boton));
        QTRY_COMPARE(Lectura(b.w)->text(), QString(p.lectura));
        QTRY_VERIFY2(registro.endsWith(QByteArray("orden ") + p.orden + "\n"), p.orden);
        registro.clear();
        if (p.boton == 5) {
            sim.write("peso 15\nestado\n");
            QVERIFY(sim.waitForReadyRead(3000)); // the simulator took it
        }
    }
    Pulsa(b.w, "cmdConectar1");
    QTRY_COMPARE(registro, QByteArray("pesix-scale-sim: orden S0\n"));
    sim.write("salir\n");
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 0);
}

QTEST_MAIN(tst_frmTest)
#include "tst_frmtest.moc"
