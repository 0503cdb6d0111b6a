// The main window's menu entries for the configuration, export, about and system information
// windows: each opens its window, and the settings accepted in the configuration apply at once.
// The widths of the grid's columns.
#include "app/cmnlanguaje.h"
#include "app/frmmdsplash.h"
#include "app/idtextos.h"
#include "app/kelregistry.h"
#include "masters/contestador.h"
#include "notes/anchosrejilla.h"
#include "notes/frmmain.h"
#include "notes/modelolineasalbaran.h"
#include "notes/rejillalineas.h"
#include "support/controles.h"
#include "support/entornoprueba.h"
#include "ticket/frmedconfiguracion.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

class TestVentanasMain : public QObject {
    Q_OBJECT
private slots:
    void configuracion();
    void ventanas_data();
    void ventanas();
    void anchos_data();
    void anchos();
    void columnas_data();
    void columnas();
};

void TestVentanasMain::configuracion() {
    EntornoPrueba env;
    env.DatosConBase();
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    // English, and the first column no longer on screen.
    Contestador<frmEDConfiguracion> configura([](frmEDConfiguracion* c) {
        QTest::keyClick(c->cboIdioma, Qt::Key_Down);
        QTest::keyClick(c->cboIdioma, Qt::Key_Down);
        c->SSTab->setCurrentIndex(1);
        QTest::keyClick(c->lstPantalla, Qt::Key_Down);
        QTest::keyClick(c->lstPantalla, Qt::Key_Space);
        QTest::mouseClick(c->cmdAccion[0], Qt::LeftButton);
    });
    Controles::Busca<QAction>(w, "mnuArchivoConfiguracionPrograma")->trigger();
    QCOMPARE(configura.Veces(), 1);
    QCOMPARE(clsDatosApp::Instancia()->Idioma(), 4000);
    QCOMPARE(Controles::Busca<QAction>(w, "mnuArchivoConfiguracionPrograma")->text(),
             cmnLanguaje::Texto(IdTexto::MnuPrograma, 4000));
    QVERIFY(Controles::Busca<RejillaLineas>(w, "gridAlbaran")->isColumnHidden(0));
}

// Columns as "designed/title/value/by hand" in pixels, visible unless marked "-"; a grid of 900.
void TestVentanasMain::anchos_data() {
    QTest::addColumn<QStringList>("columnas");
    QTest::addColumn<QString>("anchos");
    const QString resto = "50/40/0/0";
    QTest::newRow("the name takes the room left")
        << QStringList{"80/100/60/0", "250/60/0/0", resto, resto,        resto,
                       resto,         resto,        resto, "90/70/130/0"}
        << "100 370 50 50 50 50 50 50 130";
    QTest::newRow("a name set by hand stays, hidden columns keep theirs")
        << QStringList{"80/100/60/0", "250/60/0/200", "-50/40/0/0", resto,        resto,
                       resto,         resto,          resto,        "90/70/130/0"}
        << "100 200 50 50 50 50 50 50 130";
    QTest::newRow("too wide for the grid: nothing narrower")
        << QStringList{"80/100/60/0", "250/60/0/0", resto, resto,        "200/0/0/0",
                       resto,         resto,        resto, "90/70/130/0"}
        << "100 250 50 50 200 50 50 50 130";
}

void TestVentanasMain::anchos() {
    QFETCH(QStringList, columnas);
    QFETCH(QString, anchos);
    std::array<AnchosRejilla::Columna, 9> c;
    for (int i = 0; i < 9; ++i) {
        QString t = columnas.at(i);
        c[i].visible = !t.startsWith('-');
        const QStringList n = t.remove('-').split('/');
        c[i] = {c[i].visible, n[0].toInt(), n[1].toInt(), n[2].toInt(), n[3].toInt()};
    }
    QStringList r;
    for (int a : AnchosRejilla::Calcula(c, 900))
        r << QString::number(a);
    QCOMPARE(r.join(' '), anchos);
    // Older programs stored every width on closing: a designed width stored is no choice.
    QCOMPARE(AnchosRejilla::AMano(1200, 1200, 15), 0);
    QCOMPARE(AnchosRejilla::AMano(1500, 1200, 15), 100);
}

// At the widths of the usual screens, in the three languages, with every column shown: each as
// wide as its title and values, the time of a weighing whole, the name taking the room left. A
// width set by hand stays when the window changes and at the next start.
void TestVentanasMain::columnas_data() {
    QTest::addColumn<int>("idioma");
    QTest::addColumn<int>("ancho");
    for (int idioma : {0, 2000, 4000})
        for (int ancho : {1024, 1366})
            QTest::addRow("%d at %d", idioma, ancho) << idioma << ancho;
}

void TestVentanasMain::columnas() {
    QFETCH(int, idioma);
    QFETCH(int, ancho);
    EntornoPrueba env;
    clsDatosApp& datos = env.DatosConBase();
    datos.SetIdioma(idioma);
    datos.SetUnidadMedida("Kg");
    for (int k = 1; k <= 9; ++k)
        datos.SetColPantalla(k, true);
    // A line weighed in the window at its first size, then the window made as wide as the screen.
    auto w = std::make_unique<frmMain>();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    auto* rejilla = Controles::Busca<RejillaLineas>(*w, "gridAlbaran");
    QHeaderView* h = rejilla->horizontalHeader();
    ModeloLineasAlbaran* m = rejilla->Modelo();
    QVERIFY(m->setData(m->index(0, 3), "51950,125", Qt::EditRole));
    m->ConfirmaFila();
    QVERIFY(!m->index(0, 8).data().toString().isEmpty());
    w->resize(ancho - 10, 700);
    QTRY_COMPARE(w->width(), ancho - 10);
    const int hora = rejilla->fontMetrics().horizontalAdvance("00:00:00-00/00/0000");
    for (int i = 0; i < 9; ++i) {
        QVERIFY2(h->sectionSize(i) >= h->sectionSizeHint(i), qPrintable(QString::number(i)));
        QVERIFY2(h->sectionSize(i) >= rejilla->AnchoValores(i), qPrintable(QString::number(i)));
    }
    QVERIFY(h->sectionSize(8) > hora);
    if (ancho == 1366)
        QTRY_COMPARE(h->length(), rejilla->viewport()->width());

    // By hand, as a drag of the column's edge does.
    h->resizeSection(2, 150);
    w->resize(ancho - 200, 700);
    QTRY_COMPARE(h->sectionSize(2), 150);
    Contestador<QMessageBox> noGuarda([](QMessageBox* c) {
        for (QAbstractButton* b : c->buttons())
            if (b->text() == Texto(IdTexto::No))
                b->click();
    });
    QVERIFY(w->close());
    w = std::make_unique<frmMain>();
    rejilla = Controles::Busca<RejillaLineas>(*w, "gridAlbaran");
    QCOMPARE(rejilla->horizontalHeader()->sectionSize(2), 150);
    QCOMPARE(kelRegistry::GetFormInfo(w.get(), "ColAlbaranWidth3"), QString("2250"));
    QCOMPARE(kelRegistry::GetFormInfo(w.get(), "ColAlbaranWidth2"), QString("0"));
}

void TestVentanasMain::ventanas_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("ventana");
    QTest::newRow("exportar") << "mnuFicherosExportar"
                              << "frmExpAlbaranes";
    QTest::newRow("información del sistema") << "mnuAyudaInfoSistema"
                                             << "frmInfoSistema";
    QTest::newRow("acerca de") << "mnuAyudaAcerca"
                               << "frmMDSplash";
}

void TestVentanasMain::ventanas() {
    QFETCH(QString, menu);
    QFETCH(QString, ventana);
    EntornoPrueba env;
    env.DatosConBase();
    frmMain w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QStringList abiertas; // the modal windows, closed as they open
    Contestador<QDialog> cierra([&](QDialog* d) {
        abiertas << d->objectName();
        d->reject();
    });
    Controles::Busca<QAction>(w, menu)->trigger();
    if (ventana == "frmMDSplash") {
        QWidget* splash = nullptr;
        for (QWidget* v : QApplication::topLevelWidgets())
            if (v->objectName() == ventana && v->isVisible())
                splash = v;
        QVERIFY(splash);
        QCOMPARE(static_cast<frmMDSplash*>(splash)->Timer.interval(), 5000);
        splash->close();
    } else {
        QCOMPARE(abiertas, QStringList{ventana});
    }
}

QTEST_MAIN(TestVentanasMain)
#include "tst_ventanasmain.moc"
