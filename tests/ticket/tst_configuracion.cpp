// The configuration window's rules (code grid, column lists, printer tree, port numbers) and the
// window driven as an operator would, on the test's own settings file and database.
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelregistry.h"
#include "archivosprueba.h"
#include "masters/contestador.h"
#include "scale/protocolobascula.h"
#include "support/entornoprueba.h"
#include "ticket/arbolimpresoras.h"
#include "ticket/directprinthelper.h"
#include "ticket/frmedconfiguracion.h"
#include "ticket/modelocodigoscontrol.h"
#include "ticket/modelocolumnas.h"
#include "ticket/puertosserie.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <QToolTip>

namespace {
QString CodigoImpresora(const QString& macro) {
    QSqlQuery q(clsDatosApp::Instancia()->Conexion());
    q.prepare("SELECT ValorHexPeriferico FROM CodigosDeControl WHERE Macro = ?");
    q.addBindValue(macro);
    return q.exec() && q.next() ? q.value(0).toString() : QStringLiteral("<none>");
}
} // namespace

class TestConfiguracion : public QObject {
    Q_OBJECT
private slots:
    void hexadecimal_data();
    void hexadecimal();
    void columnas_data();
    void columnas();
    void impresoras_data();
    void impresoras();
    void puertos_data();
    void puertos();
    void ventana_data();
    void ventana();
    void bascula();
};

void TestConfiguracion::hexadecimal_data() {
    QTest::addColumn<QString>("tecleado");
    QTest::addColumn<bool>("aceptado");
    QTest::addColumn<QString>("guardado"); // "(#CBLACK)" holds 1B7200 until then
    QTest::addColumn<int>("motivo");       // the text that says why, 0 for none
    QTest::newRow("letra no hexadecimal")
        << "1G40" << false << "1B7200" << IdTexto::CodigoNoHexadecimal;
    QTest::newRow("impar y no hexadecimal")
        << "1g4" << false << "1B7200" << IdTexto::CodigoNoHexadecimal;
    QTest::newRow("longitud impar") << "1b4" << false << "1B7200" << IdTexto::CodigoImpar;
    QTest::newRow("minúsculas") << "1b40" << true << "1B40" << 0;
    QTest::newRow("blancos alrededor") << " 0a0d " << true << "0A0D" << 0;
    QTest::newRow("vacío") << "" << true << "" << 0;
}

void TestConfiguracion::hexadecimal() {
    QFETCH(QString, tecleado);
    QFETCH(bool, aceptado);
    QFETCH(QString, guardado);
    QFETCH(int, motivo);
    EntornoPrueba env;
    const Resultado r = ModeloCodigosControl::CompruebaCodigo(tecleado);
    QCOMPARE(r.Error(), motivo ? Texto(motivo).arg(tecleado.trimmed()) : QString());
    QSqlDatabase db = env.DatosConBase().Conexion();
    QVERIFY(DirectPrintHelper().CargaRecordset(db)); // seeds the default codes
    ModeloCodigosControl modelo(db);
    QVERIFY(modelo.Carga());
    QCOMPARE(modelo.Valor(0, ModeloCodigosControl::Macro), QString("(#CBLACK)"));
    QCOMPARE(modelo.setData(modelo.index(0, ModeloCodigosControl::Impresora), tecleado), aceptado);
    QVERIFY(modelo.GuardaFila(0));
    QCOMPARE(CodigoImpresora("(#CBLACK)"), guardado);
}

void TestConfiguracion::columnas_data() {
    QTest::addColumn<int>("minimo");
    QTest::addColumn<QList<int>>("marcadas");
    QTest::addColumn<int>("desmarcada");
    QTest::addColumn<bool>("aceptado");
    QTest::newRow("la única en pantalla") << 1 << QList<int>{3} << 3 << false;
    QTest::newRow("una de las dos impresas") << 2 << QList<int>{1, 2} << 1 << false;
    QTest::newRow("una de tres impresas") << 2 << QList<int>{1, 2, 6} << 2 << true;
}

void TestConfiguracion::columnas() {
    QFETCH(int, minimo);
    QFETCH(QList<int>, marcadas);
    QFETCH(int, desmarcada);
    QFETCH(bool, aceptado);
    ModeloColumnas modelo(minimo);
    for (int c : marcadas)
        modelo.SetMarcada(c, true);
    const QModelIndex i = modelo.index(desmarcada - 1);
    QCOMPARE(modelo.setData(i, Qt::Unchecked, Qt::CheckStateRole), aceptado);
    QCOMPARE(modelo.data(i, Qt::CheckStateRole).toInt(), aceptado ? Qt::Unchecked : Qt::Checked);
    QCOMPARE(modelo.Marcadas(), int(marcadas.size()) - (aceptado ? 1 : 0));
}

void TestConfiguracion::impresoras_data() {
    QTest::addColumn<int>("tipoGuardado");
    QTest::addColumn<QString>("nombreGuardado");
    QTest::addColumn<QStringList>("pulsados");
    QTest::addColumn<int>("tipo");
    QTest::addColumn<QString>("nombre");
    auto fila = [](const char* etiqueta, int tipoGuardado, QString nombreGuardado,
                   QStringList pulsados, int tipo, QString nombre) {
        QTest::newRow(etiqueta) << tipoGuardado << nombreGuardado << pulsados << tipo << nombre;
    };
    fila("cola del sistema", 0, "", {"N32"}, 3, "Oficina");
    fila("pulsar la marcada", 3, "Oficina", {"N32"}, 0, "No definida");
    fila("otra en su lugar", 3, "Oficina", {"N11"}, 1, "ttyS0");
    fila("un tipo no cambia nada", 1, "ttyS0", {"N2", "N3"}, 1, "ttyS0");
    fila("no definida pulsada", 1, "ttyS0", {"N0", "N0"}, 0, "No definida");
    fila("nombre sin nodo", 2, "LPT9", {}, 0, "No definida");
    fila("nombre bajo otro tipo", 2, "ttyS0", {}, 1, "ttyS0");
}

void TestConfiguracion::impresoras() {
    QFETCH(int, tipoGuardado);
    QFETCH(QString, nombreGuardado);
    QFETCH(QStringList, pulsados);
    QFETCH(int, tipo);
    QFETCH(QString, nombre);
    ArbolImpresoras arbol({"No definida", "Puerto serie", "Puerto paralelo", "Impresora Windows"},
                          {"ttyS0"}, {"LPT1", "/dev/usb/LP0"}, {"TICKETS", "Oficina"});
    arbol.Elige(tipoGuardado, nombreGuardado);
    for (const QString& clave : pulsados)
        arbol.Pulsa(clave);
    QCOMPARE(arbol.Tipo(), tipo);
    QCOMPARE(arbol.Nombre(), nombre);
    int marcados = 0;
    for (const ArbolImpresoras::Nodo& n : arbol.Nodos())
        marcados += arbol.Marcado(n.clave);
    QCOMPARE(marcados, 1);
}

void TestConfiguracion::puertos_data() {
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<int>("numero");
    QTest::newRow("minúsculas") << "com12" << 12;
    QTest::newRow("primer dispositivo serie") << "/dev/ttyS0" << 1;
    QTest::newRow("pseudoterminal") << "/dev/pts/4" << 0;
    QTest::newRow("fuera de 16 bits") << "COM40000" << 0;
}

void TestConfiguracion::puertos() {
    QFETCH(QString, nombre);
    QFETCH(int, numero);
    QCOMPARE(int(PuertosSerie::Numero(nombre)), numero);
}

void TestConfiguracion::ventana_data() {
    QTest::addColumn<bool>("acepta");
    QTest::newRow("aceptar") << true;
    QTest::newRow("cancelar") << false;
}

void TestConfiguracion::ventana() {
    QFETCH(bool, acepta);
    EntornoPrueba env;
    kelRegistry::SaveAppString("\\Configuracion", "UnidadMedida", "kg");
    kelRegistry::SaveAppString("\\Configuracion", "PesoContinuo", "1");
    kelRegistry::SaveAppString("\\Configuracion", "TipoBascula", "1");
    kelRegistry::SaveAppString("\\Configuracion", "PuertoNombre", "/dev/pts/99");
    clsDatosApp& datos = env.DatosConBase();
    QVERIFY(DirectPrintHelper().CargaRecordset(datos.Conexion()));
    const QByteArray antes = LeeArchivo(env.ArchivoAjustes());

    frmEDConfiguracion w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    // The stored values; the defaults of the rest are checked once stored.
    QCOMPARE(w.txtUnidadMedida->text(), QString("kg"));
    QVERIFY(w.chkPesoContinuo->isChecked());
    QCOMPARE(w.cboTipoBascula->currentText(), QString("DOR"));
    QCOMPARE(w.cboPuertos->currentText(), QString("/dev/pts/99"));

    QTest::mouseClick(w.txtUnidadMedida, Qt::LeftButton);
    QTest::keyClick(w.txtUnidadMedida, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(w.txtUnidadMedida, "Kg");
    QTest::keyClicks(w.txtNombreEmpresa, "Frutas Roca S.L.");
    QTest::keyClicks(w.txtNifEmpresa, "B12345678");

    // A refused code keeps its cell in edit; a good one is stored when the row is left.
    QTest::keyClick(w.txtUnidadMedida, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(w.SSTab->currentIndex(), 1);
    QTest::keyClick(w.chkPesoContinuo, Qt::Key_Space);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(w.SSTab->currentIndex(), 3);
    QTableView* grid = w.gridControlCodes;
    const QModelIndex celda = grid->model()->index(0, ModeloCodigosControl::Impresora);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(celda).center());
    QTest::keyClick(grid, Qt::Key_1); // opens the cell's box, which takes the rest
    QTest::keyClicks(QApplication::focusWidget(), "G40");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents(); // an accepted edit would close now
    QVERIFY(grid->indexWidget(celda));
    // The cell says why as it is left.
    const QString porque = Texto(IdTexto::CodigoNoHexadecimal).arg("1G40");
    QCOMPARE(grid->indexWidget(celda)->toolTip(), porque);
    QCOMPARE(QToolTip::text(), porque);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), "1b40");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_VERIFY(!grid->indexWidget(celda));
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(CodigoImpresora("(#CBLACK)"), QString("1B40"));

    if (acepta)
        QTest::mouseClick(w.cmdAccion[0], Qt::LeftButton);
    else
        QTest::keyClick(grid, Qt::Key_Escape);
    QVERIFY(!w.isVisible());
    QCOMPARE(CodigoImpresora("(#CBLACK)"), QString("1B40"));
    const QByteArray despues = LeeArchivo(env.ArchivoAjustes());
    if (!acepta) {
        // Only the window's position is new.
        QCOMPARE(despues.left(antes.size()), antes);
        QVERIFY(!despues.contains("UnidadMedida=Kg") && !despues.contains("Definido"));
        QCOMPARE(datos.UnidadMedida(), QString("kg"));
        QVERIFY(!despues.contains("NIFCliente"));
        return;
    }
    QCOMPARE(datos.UnidadMedida(), QString("Kg"));
    QVERIFY(!datos.PesoContinuo());
    QCOMPARE(datos.PrintHelper()->Item("(#CBLACK)")->ValorHexPrinter(), QString("1B40"));
    // Every setting is stored, the untouched ones with their defaults.
    const QByteArray guardados =
        "UnidadMedida=Kg|PesoContinuo=0|TipoBascula=1|PuertoNombre=/dev/pts/99|Puerto=0|"
        "Definido=1|CommTiquetBPS=6|CommTiquetParidad=2|CommTiquetBitsDatos=4|"
        "CommTiquetBitsParada=0|CommTiquetFlujo=0|TipoPuertoImpresoraTiquets=0|"
        "NombreImpresoraTiquets=No definida|Pantalla9=1|Impresas9=0|DatosEmpresa2=|Idioma=0|"
        "ModeloTicket=|NumeracionAutomatica=0|TipoImpresora=0|Cliente=Frutas Roca S.L.|"
        "NIFCliente=B12345678";
    for (const QByteArray& valor : guardados.split('|'))
        QVERIFY2(despues.contains("\n" + valor), valor.constData());
}

// The scale tab against the simulator: the stored values shown, a user's protocol that does not
// compile told as typed and refused, the scale found on its line, every value stored.
void TestConfiguracion::bascula() {
    QProcess sim;
    sim.start(qEnvironmentVariable("PESIX_BUILD_DIR") + "/pesix-scale-sim", {"--tipo", "2"});
    QVERIFY(sim.waitForStarted() && sim.waitForReadyRead(5000));
    EntornoPrueba env;
    const QStringList guardados = {"TipoBascula=6",
                                   "LineaBascula=2400,E,7,1",
                                   "FlujoBascula=2",
                                   "TramaUsuario=W=(?<peso>\\S+)",
                                   "EstableUsuario=ST",
                                   "FinTramaUsuario=lf",
                                   "PeticionUsuario=R\\r\\n",
                                   "EstableLecturas=5",
                                   "EstableMs=800",
                                   "EstableMargen=0.02",
                                   "Puesto=Báscula 2",
                                   "LecturaRecienteMs=1500",
                                   "EsperaEstableMs=4000",
                                   "UnaPesadaPorCarga=0",
                                   "PesoManual=0",
                                   "PuertoNombre=" +
                                       QString::fromLocal8Bit(sim.readLine()).trimmed()};
    for (const QString& g : guardados)
        kelRegistry::SaveAppString("\\Configuracion", g.section('=', 0, 0), g.section('=', 1));
    clsDatosApp& datos = env.DatosConBase();
    QStringList cajas;
    Contestador<QMessageBox> contestador([&](QMessageBox* c) {
        cajas << c->text();
        c->accept();
    });
    frmEDConfiguracion w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(w.cboTipoBascula->count(), ProtocoloBascula::Tabla().size());
    const QStringList mostrados = {
        w.cboTipoBascula->currentText(),  w.txtLineaBascula->text(),
        w.cboFlujoBascula->currentText(), w.txtTramaUsuario->text(),
        w.txtEstableUsuario->text(),      w.cboFinTramaUsuario->currentText(),
        w.txtPeticionUsuario->text(),     w.spnEstableLecturas->text(),
        w.spnEstableMs->text(),           w.txtEstableMargen->text()};
    QCOMPARE(mostrados, QStringList({Texto(IdTexto::NombreProtocolo0 + 6), "2400,E,7,1",
                                     Texto(IdTexto::FlujoHardware), "W=(?<peso>\\S+)", "ST", "LF",
                                     "R\\r\\n", "5", "800", "0.02"}));
    QVERIFY(w.fraUsuario->isEnabled() && w.fraEstabilidad->isEnabled());
    QCOMPARE(w.lblErrorUsuario->text(), QString());
    QCOMPARE(QStringList({w.txtPuesto->text(), w.spnLecturaRecienteMs->text(),
                          w.spnEsperaEstableMs->text()}),
             QStringList({"Báscula 2", "1500", "4000"}));
    QVERIFY(!w.chkUnaPesadaPorCarga->isChecked() && !w.chkPesoManual->isChecked());
    w.txtPuesto->setFocus();
    QTest::keyClick(w.txtPuesto, Qt::Key_End);
    QTest::keyClicks(w.txtPuesto, "B");
    w.chkPesoManual->setFocus();
    QTest::keyClick(w.chkPesoManual, Qt::Key_Space);

    QTest::mouseClick(w.txtTramaUsuario, Qt::LeftButton);
    QTest::keyClick(w.txtTramaUsuario, Qt::Key_End);
    QTest::keyClicks(w.txtTramaUsuario, "(");
    QVERIFY(!w.lblErrorUsuario->text().isEmpty());
    QTest::mouseClick(w.cmdAccion[0], Qt::LeftButton);
    QVERIFY(w.isVisible());
    QCOMPARE(cajas, QStringList(w.lblErrorUsuario->text()));
    QCOMPARE(w.SSTab->currentIndex(), 1);

    // Found on the second line tried, MT-SICS's own; its defaults are shown, the user's protocol
    // and the stability rule no longer apply.
    QTest::mouseClick(w.cmdDetectarBascula, Qt::LeftButton);
    QCOMPARE(w.cboTipoBascula->currentData().toInt(), 2);
    QCOMPARE(w.txtLineaBascula->text(), QString("9600,N,8,1"));
    QCOMPARE(cajas.size(), 2);
    QVERIFY2(cajas.last().startsWith(Texto(IdTexto::BasculaEncontrada).arg("9600,N,8,1 MT-SICS")),
             qPrintable(cajas.last()));
    QVERIFY(!w.fraUsuario->isEnabled() && !w.fraEstabilidad->isEnabled());
    QCOMPARE(w.cboFlujoBascula->itemText(0),
             Texto(IdTexto::PorDefecto).arg(Texto(IdTexto::FlujoNinguno)));
    w.cboFlujoBascula->setFocus();
    QTest::keyClick(w.cboFlujoBascula, Qt::Key_Home);
    QTest::mouseClick(w.cmdAccion[0], Qt::LeftButton);
    QVERIFY(!w.isVisible());
    const QStringList guardadas = {QString::number(datos.TipoBascula()),
                                   datos.LineaBascula(),
                                   datos.FlujoBascula(),
                                   datos.TramaUsuario(),
                                   datos.FinTramaUsuario(),
                                   datos.PeticionUsuario(),
                                   QString::number(datos.EstableMs())};
    QCOMPARE(guardadas,
             QStringList({"2", "9600,N,8,1", "", "W=(?<peso>\\S+)(", "LF", "R\\r\\n", "800"}));
    QCOMPARE(datos.Puesto(), QString("Báscula 2B"));
    QCOMPARE(datos.LecturaRecienteMs(), 1500);
    QCOMPARE(datos.EsperaEstableMs(), 4000);
    QVERIFY(!datos.UnaPesadaPorCarga() && datos.PesoManual());
    sim.write("salir\n");
    QVERIFY(sim.waitForFinished(5000));
}

QTEST_MAIN(TestConfiguracion)
#include "tst_configuracion.moc"
