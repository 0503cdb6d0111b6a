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
    void sinPuertoNoSeConecta();
    void listaDelSistema();
    void numeroPuerto_data();
    void numeroPuerto();
    void listaElPuertoDado();
    void conectaYDesconecta();
    void escritoAMano();
    void cerrarConectadoPideLecturaAPeticion_data();
    void cerrarConectadoPideLecturaAPeticion();
    void falloAlConectar();
    void puertoPerdidoDesconecta();
    void lecturaEnLabel1();
    void botonesConElSimulador();
};

namespace {
QComboBox* Combo(QWidget& w) {
    return w.findChild<QComboBox*>("cboPuertos");
}
QPushButton* Boton(QWidget& w, const QString& nombre) {
    return w.findChild<QPushButton*>(nombre);
}
QLabel* Lectura(QWidget& w) {
    return w.findChild<QLabel*>("Label1");
}

// Checks the two states: port list and connect against disconnect and the command buttons.
bool EstadoConectado(QWidget& w, bool conectado) {
    bool ok =
        Combo(w)->isEnabled() == !conectado && Boton(w, "cmdConectar1")->isEnabled() == conectado;
    if (conectado)
        ok = ok && !Boton(w, "cmdConectar0")->isEnabled();
    for (int k = 0; k < 8; ++k)
        ok = ok && Boton(w, QStringLiteral("cmdComando%1").arg(k))->isEnabled() == conectado;
    return ok;
}

// Answers the next message box and hands back its text.
class CajaMensaje : public QObject {
public:
    CajaMensaje() {
        connect(&m_reloj, &QTimer::timeout, this, [this] {
            if (auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                m_texto = caja->text();
                m_visto = true;
                m_reloj.stop();
                caja->accept();
            }
        });
        m_reloj.start(20);
    }
    bool Vista() const { return m_visto; }
    QString Texto() const { return m_texto; }

private:
    QTimer m_reloj;
    QString m_texto;
    bool m_visto = false;
};

void Muestra(frmTest& w) {
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
}

void Conecta(frmTest& w) {
    QVERIFY(Boton(w, "cmdConectar0")->isEnabled());
    QTest::mouseClick(Boton(w, "cmdConectar0"), Qt::LeftButton);
    QVERIFY2(w.VeltaSC1().PortOpen(), qPrintable(w.VeltaSC1().UltimoError()));
    QVERIFY(EstadoConectado(w, true));
}
// The window on its own settings and database, shown, with the scale of the given type on a
// real pseudo-terminal as the port in the settings.
struct Banco {
    explicit Banco(int tipo) : d(Ajusta(tipo)) { Muestra(w); }
    clsDatosApp& Ajusta(int tipo) {
        clsDatosApp& datos = env.DatosConBase();
        datos.SetTipoBascula(tipo);
        datos.SetPuertoNombre(pty.Ruta());
        return datos;
    }
    EntornoPrueba env;
    PseudoTerminal pty{PseudoTerminal::SoloMaestro};
    clsDatosApp& d;
    frmTest w;
};
} // namespace

void tst_frmTest::controlesYCaptions() {
    EntornoPrueba env;
    env.DatosConBase();
    frmTest w;
    Muestra(w);
    QCOMPARE(w.windowTitle(), QString("Form1"));
    QCOMPARE(Boton(w, "cmdConectar0")->text(), QString("Conectar"));
    QCOMPARE(Boton(w, "cmdConectar1")->text(), QString("Desonectar"));
    const QStringList captions = {"Lectura contínua", "Lectura a petición", "Peso neto",
                                  "Peso bruto",       "Puesta a cero",      "Tarado",
                                  "Destarado",        "Número de serie"};
    for (int k = 0; k < 8; ++k)
        QCOMPARE(Boton(w, QStringLiteral("cmdComando%1").arg(k))->text(), captions.at(k));
    QCOMPARE(Lectura(w)->text(), QString("0.000"));
    QCOMPARE(Lectura(w)->font().family(), QString("Arial"));
    QVERIFY(EstadoConectado(w, false));
    QVERIFY(!w.VeltaSC1().PortOpen());
}

void tst_frmTest::sinPuertoNoSeConecta() {
    // With nothing in the port box there is nothing to connect to.
    EntornoPrueba env;
    env.DatosConBase();
    frmTest w;
    Muestra(w);
    QLineEdit* texto = Combo(w)->lineEdit();
    QVERIFY(texto);
    texto->setFocus();
    QTest::keyClick(texto, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(texto, Qt::Key_Delete);
    QCOMPARE(Combo(w)->currentText(), QString());
    QVERIFY(!Boton(w, "cmdConectar0")->isEnabled());
    QTest::mouseClick(Boton(w, "cmdConectar0"), Qt::LeftButton);
    QVERIFY(!w.VeltaSC1().PortOpen());
    QVERIFY(EstadoConectado(w, false));
    QTest::keyClicks(texto, "/dev/x");
    QVERIFY(Boton(w, "cmdConectar0")->isEnabled());
}

void tst_frmTest::listaDelSistema() {
    // Without a port in the settings the list is the system's own; an empty list selects
    // nothing and leaves nothing to connect to.
    EntornoPrueba env;
    env.DatosConBase();
    const QList<QSerialPortInfo> sistema = QSerialPortInfo::availablePorts();
    frmTest w;
    QCOMPARE(Combo(w)->count(), sistema.size());
    for (int i = 0; i < sistema.size(); ++i)
        QCOMPARE(Combo(w)->itemText(i).toLower(), sistema.at(i).portName().toLower());
    QCOMPARE(Combo(w)->currentIndex(), sistema.isEmpty() ? -1 : 0);
    QCOMPARE(Boton(w, "cmdConectar0")->isEnabled(), !sistema.isEmpty());
}

void tst_frmTest::numeroPuerto_data() {
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<int>("numero");
    QTest::newRow("COM1") << "COM1" << 1;
    QTest::newRow("COM3") << "COM3" << 3;
    QTest::newRow("COM12") << "COM12" << 12;
    QTest::newRow("ttyS0: no number from the fourth character") << "ttyS0" << 0;
    QTest::newRow("a path") << "/dev/pts/3" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("too big") << "COM99999" << 0;
}

void tst_frmTest::numeroPuerto() {
    QFETCH(QString, nombre);
    QFETCH(int, numero);
    QCOMPARE(int(frmTest::NumeroPuerto(nombre)), numero);
}

void tst_frmTest::listaElPuertoDado() {
    EntornoPrueba env;
    env.DatosConBase().SetPuertoNombre("/dev/pts/bascula-de-prueba");
    frmTest w;
    QCOMPARE(Combo(w)->itemText(0), QString("/dev/pts/bascula-de-prueba"));
    QCOMPARE(Combo(w)->currentIndex(), 0);
    QCOMPARE(Combo(w)->currentText(), QString("/dev/pts/bascula-de-prueba"));
    QVERIFY(Boton(w, "cmdConectar0")->isEnabled());
    // Listed once, however often the window opens.
    frmTest otra;
    QCOMPARE(Combo(otra)->findText("/dev/pts/bascula-de-prueba"), 0);
    QCOMPARE(Combo(otra)->count(), Combo(w)->count());
}

void tst_frmTest::conectaYDesconecta() {
    Banco b(0);
    Conecta(b.w);
    QCOMPARE(b.w.VeltaSC1().NombreSistema(), b.pty.Ruta());
    QTest::mouseClick(Boton(b.w, "cmdComando3"), Qt::LeftButton);
    QCOMPARE(b.pty.Lee(3), QByteArray("SB\r"));
    QTest::mouseClick(Boton(b.w, "cmdConectar1"), Qt::LeftButton);
    // Disconnecting tells the scale to stop continuous readings, then closes the port.
    QCOMPARE(b.pty.Lee(3), QByteArray("S0\r"));
    QVERIFY(!b.w.VeltaSC1().PortOpen());
    QVERIFY(EstadoConectado(b.w, false));
    QVERIFY(Boton(b.w, "cmdConectar0")->isEnabled());
    // And connects again.
    Conecta(b.w);
}

void tst_frmTest::escritoAMano() {
    // A device path typed into the port box by hand.
    EntornoPrueba env;
    env.DatosConBase().SetTipoBascula(0);
    PseudoTerminal pty(PseudoTerminal::SoloMaestro);
    frmTest w;
    Muestra(w);
    QLineEdit* texto = Combo(w)->lineEdit();
    texto->setFocus();
    QTest::keyClick(texto, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(texto, pty.Ruta());
    QCOMPARE(Combo(w)->currentText(), pty.Ruta());
    Conecta(w);
    QTest::mouseClick(Boton(w, "cmdComando7"), Qt::LeftButton);
    QCOMPARE(pty.Lee(3), QByteArray("SS\r"));
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
    QCOMPARE(b.pty.Lee(3, conectado ? 3000 : 100), conectado ? QByteArray("S0\r") : QByteArray());
}

void tst_frmTest::falloAlConectar() {
    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    const QString ruta = env.Carpeta() + "/no-hay-bascula";
    d.SetPuertoNombre(ruta);
    frmTest w;
    Muestra(w);
    CajaMensaje caja;
    QTest::mouseClick(Boton(w, "cmdConectar0"), Qt::LeftButton);
    QTRY_VERIFY(caja.Vista());
    QVERIFY2(caja.Texto().contains(ruta), qPrintable(caja.Texto()));
    QVERIFY(!w.VeltaSC1().PortOpen());
    QVERIFY(EstadoConectado(w, false));
    QVERIFY(Boton(w, "cmdConectar0")->isEnabled());
}

void tst_frmTest::puertoPerdidoDesconecta() {
    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    d.SetTipoBascula(0);
    auto pty = std::make_unique<PseudoTerminal>(PseudoTerminal::SoloMaestro);
    d.SetPuertoNombre(pty->Ruta());
    frmTest w;
    Muestra(w);
    Conecta(w);
    CajaMensaje caja;
    pty.reset(); // the scale's cable is pulled out
    QTRY_VERIFY(caja.Vista());
    QVERIFY(!caja.Texto().isEmpty());
    QVERIFY(!w.VeltaSC1().PortOpen());
    QVERIFY(EstadoConectado(w, false));
}

void tst_frmTest::lecturaEnLabel1() {
    Banco b(1);
    Conecta(b.w);
    QVERIFY(b.pty.Escribe(" CABECERA\r\n WT:    3.75 Kg\r\n\n\n"));
    QTRY_COMPARE(Lectura(b.w)->text(), QString("3.75"));
    b.d.SetTipoBascula(0);
    QVERIFY(b.pty.Escribe("  +0012.50 kg \r"));
    QTRY_COMPARE(Lectura(b.w)->text(), QString("  +0012.50 kg ")); // shown unchanged
}

void tst_frmTest::botonesConElSimulador() {
    // The whole road: the window connects to the scale simulator and every command button
    // makes the simulator answer with the reading that command asks for.
    const QString programa = qEnvironmentVariable("PESIX_BUILD_DIR") + "/pesix-scale-sim";
    if (!QFile::exists(programa))
        QFAIL(qPrintable("build the simulator first: " + programa));
    QProcess sim;
    QByteArray registro; // the simulator's log of the commands it received
    connect(&sim, &QProcess::readyReadStandardError, this,
            [&] { registro += sim.readAllStandardError(); });
    sim.start(programa, {"--peso", "12.5", "--intervalo", "50", "--serie", "VS-TEST-42"});
    QVERIFY(sim.waitForStarted());
    QVERIFY(sim.waitForReadyRead(5000));
    const QString ruta = QString::fromLocal8Bit(sim.readLine()).trimmed();
    QVERIFY2(ruta.startsWith('/'), qPrintable(ruta));

    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    d.SetTipoBascula(0);
    d.SetPuertoNombre(ruta);
    frmTest w;
    Muestra(w);
    QCOMPARE(Combo(w)->currentText(), ruta);
    Conecta(w);

    struct Paso {
        int boton;
        const char* consola; // what the operator at the scale does first
        const char* lectura;
        const char* orden;
    };
    const Paso pasos[] = {
        {0, nullptr, "12.500", "SF"},   // continuous readings
        {1, "peso 13", "13.000", "S0"}, // back to on request: one reading
        {2, nullptr, "13.000", "SN"},   // net = gross, no tare
        {3, "peso 14.25", "14.250", "SB"}, {5, nullptr, "0.000", "ST"}, // tare: net is zero
        {2, "peso 15", "0.750", "SN"},                                  // net after the tare
        {3, nullptr, "15.000", "SB"},                                   // gross
        {6, nullptr, "15.000", "SD"},                                   // tare cleared
        {4, nullptr, "0.000", "SC"},                                    // zero
        {3, "peso 16", "1.000", "SB"},                                  // gross from the new zero
        {7, nullptr, "VS-TEST-42", "SS"}                                // serial number
    };
    for (const Paso& p : pasos) {
        if (p.consola) {
            sim.write(QByteArray(p.consola) + "\nestado\n");
            QVERIFY(sim.waitForReadyRead(3000)); // the simulator took it
            sim.readAll();
        }
        Lectura(w)->setText("-");
        QTest::mouseClick(Boton(w, QStringLiteral("cmdComando%1").arg(p.boton)), Qt::LeftButton);
        QTRY_COMPARE(Lectura(w)->text(), QString(p.lectura));
        QTRY_VERIFY2(registro.contains(QByteArray("orden ") + p.orden), p.orden);
        QVERIFY(registro.endsWith(QByteArray("orden ") + p.orden + "\n"));
        registro.clear();
    }
    QTest::mouseClick(Boton(w, "cmdConectar1"), Qt::LeftButton);
    QVERIFY(EstadoConectado(w, false));
    QTRY_COMPARE(registro, QByteArray("pesix-scale-sim: orden S0\n"));
    sim.write("salir\n");
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 0);
}

QTEST_MAIN(tst_frmTest)
#include "tst_frmtest.moc"
