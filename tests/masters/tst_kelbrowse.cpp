#include "app/cmnlanguaje.h"
#include "app/kelnumerics.h"
#include "app/kelregistry.h"
#include "contestador.h"
#include "db/basedatos.h"
#include "masters/consultabrowse.h"
#include "masters/kelbrowse.h"
#include "masters/kelbrowsemodel.h"
#include "masters/kelcolumnasbrowse.h"
#include "masters/kellaunchbrowse.h"
#include "support/entornoprueba.h"

#include "productosprueba.h"

#include <QFile>
#include <QHeaderView>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>

namespace {
void Clientes() {
    EntornoPrueba::Ejecuta("INSERT INTO Clientes (CodCliente, NomCliente) VALUES "
                           "('C1', 'Zapatería Sur'), ('C2', 'Almacenes Norte'), "
                           "('C3', 'Bodegas Este')");
}

QString PickClientes(const QString& defecto) {
    const ConsultaBrowse c = ConsultaBrowse::Clientes();
    return kelLaunchBrowse(Texto(c.Titulo), c.Cabecera, c.Sql, defecto);
}

// Clicks an entry of the columns menu (or of its recall submenu) with the mouse.
void EligeMenu(kelBrowse* b, const char* entrada, bool recuperar = false) {
    auto* barra = b->findChild<QMenuBar*>("mnuBarra");
    auto* menu = b->findChild<QMenu*>("mnuColumnas");
    QTest::mouseClick(barra, Qt::LeftButton, {},
                      barra->actionGeometry(menu->menuAction()).center());
    QVERIFY(QTest::qWaitFor([&] { return menu->isVisible(); }));
    if (recuperar) {
        auto* submenu = b->findChild<QMenu*>("mnuColumnasRecuperar");
        QTest::mouseClick(menu, Qt::LeftButton, {},
                          menu->actionGeometry(submenu->menuAction()).center());
        QVERIFY(QTest::qWaitFor([&] { return submenu->isVisible(); }));
        menu = submenu;
    }
    QTest::mouseClick(menu, Qt::LeftButton, {},
                      menu->actionGeometry(b->findChild<QAction*>(entrada)).center());
}
} // namespace

class tst_kelBrowse : public QObject {
    Q_OBJECT
private slots:
    void eligeOCancela_data();
    void eligeOCancela();
    void vacioDevuelveDefecto();
    void defectoVisible();
    void ordenaAlPulsarCabecera();
    void anchosIniciales_data();
    void anchosIniciales();
    void conjuntoGuardado();
    void imprime();
};

void tst_kelBrowse::eligeOCancela_data() {
    QTest::addColumn<QString>("defecto");
    QTest::addColumn<int>("bajadas");
    QTest::addColumn<QString>("accion");
    QTest::addColumn<QString>("resultado");
    const auto fila = [](const char* n, const char* defecto, int bajadas, const char* accion,
                         const char* resultado) {
        QTest::newRow(n) << QString(defecto) << bajadas << QString(accion) << QString(resultado);
    };
    // By name: C2 Almacenes, C3 Bodegas, C1 Zapatería.
    fila("no default: Enter on the first row", "", 0, "return", "C2");
    fila("default not found: first row", "C", 0, "return", "C2");
    fila("default, down, keypad Enter", "c3", 1, "enter", "C1");
    fila("down past the end", "", 5, "return", "C1");
    fila("double click on the second row", "C1", 0, "doble", "C3");
    fila("click on the second row and OK", "C1", 0, "ok", "C3");
    fila("Escape returns the default", "C3", 1, "escape", "C3");
    fila("Cancel, default not in the table", "NO'ESTA", 1, "cancel", "NO'ESTA");
    fila("close box, empty default", "", 1, "close", "");
}

void tst_kelBrowse::eligeOCancela() {
    QFETCH(QString, defecto);
    QFETCH(int, bajadas);
    QFETCH(QString, accion);
    QFETCH(QString, resultado);
    EntornoPrueba env;
    env.DatosConBase();
    Clientes();
    int activadas = -1;
    Contestador<kelBrowse> c([&](kelBrowse* b) {
        QTableView* g = b->Grid();
        QSignalSpy activada(g, &QAbstractItemView::activated);
        for (int i = 0; i < bajadas; ++i)
            QTest::keyClick(g, Qt::Key_Down);
        const QPoint p = g->visualRect(b->Modelo()->index(1, 1)).center();
        if (accion == "return" || accion == "enter")
            QTest::keyClick(g, accion == "enter" ? Qt::Key_Enter : Qt::Key_Return);
        else if (accion == "escape")
            QTest::keyClick(g, Qt::Key_Escape);
        else if (accion == "cancel")
            QTest::mouseClick(b->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
        else if (accion == "close")
            b->close();
        else {
            // A click, then a second click (a double click) or OK.
            QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, p);
            if (accion == "doble")
                QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, p);
            else
                QTest::mouseClick(b->findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
        }
        activadas = int(activada.count());
    });
    QCOMPARE(PickClientes(defecto), resultado);
    QCOMPARE(c.Veces(), 1);
    if (accion == "return" || accion == "enter")
        QCOMPARE(activadas, 0); // the grid never saw the Enter key
}

void tst_kelBrowse::vacioDevuelveDefecto() {
    EntornoPrueba env;
    env.DatosConBase();
    int filas = -1;
    QStringList vistos;
    Contestador<kelBrowse> c([&](kelBrowse* b) {
        filas = b->Modelo()->rowCount();
        vistos << b->windowTitle() << b->findChild<QPushButton*>("cmdOk")->text()
               << b->findChild<QPushButton*>("cmdCancel")->text()
               << b->findChild<QPushButton*>("cmdPrint")->text()
               << b->findChild<QMenu*>("mnuColumnas")->title()
               << b->findChild<QMenu*>("mnuColumnasRecuperar")->title();
        for (const char* m :
             {"mnuColumnasRecuperarInicial", "mnuColumnasRecuperarNombre0", "mnuColumnasGuardar"})
            vistos << b->findChild<QAction*>(m)->text();
        vistos << b->Modelo()->headerData(0, Qt::Horizontal).toString()
               << b->Modelo()->headerData(1, Qt::Horizontal).toString();
        QTest::mouseClick(b->findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
    });
    QCOMPARE(PickClientes("C9"), QString("C9"));
    QCOMPARE(filas, 0);
    QCOMPARE(c.Veces(), 1);
    QCOMPARE(vistos, QStringList({"Clientes", "&Aceptar", "&Cancelar", "Im&primir", "&Columnas",
                                  "&Configuracion", "&Inicial", "Configuraciones", "&Guardar",
                                  "Cliente", "Nombre"}));
}

void tst_kelBrowse::defectoVisible() {
    EntornoPrueba env;
    env.DatosConBase();
    LlenaProductos(5000);
    int actual = -1;
    bool visible = false;
    Contestador<kelBrowse> c([&](kelBrowse* b) {
        QTableView* g = b->Grid();
        actual = g->currentIndex().row();
        visible = g->viewport()->rect().contains(g->visualRect(g->currentIndex()).center());
        QTest::keyClick(g, Qt::Key_Return);
    });
    const ConsultaBrowse p = ConsultaBrowse::Productos();
    // By name, product P00010 is row 4990; it is returned as stored.
    QCOMPARE(kelLaunchBrowse(Texto(p.Titulo), p.Cabecera, p.Sql, "p00010"), QString("P00010"));
    QCOMPARE(actual, 4990);
    QVERIFY(visible);
}

void tst_kelBrowse::ordenaAlPulsarCabecera() {
    EntornoPrueba env;
    env.DatosConBase();
    Clientes();
    QStringList primeras;
    Contestador<kelBrowse> c([&](kelBrowse* b) {
        QHeaderView* h = b->Grid()->horizontalHeader();
        const auto pulsa = [&](int seccion) {
            const QPoint p(h->sectionViewportPosition(seccion) + h->sectionSize(seccion) / 2,
                           h->height() / 2);
            QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, p);
            primeras << b->Modelo()->Texto(0, 0);
        };
        primeras << b->Modelo()->Texto(0, 0);
        pulsa(0);
        pulsa(0);
        pulsa(1);
        QTest::keyClick(b->Grid(), Qt::Key_Return);
    });
    QCOMPARE(PickClientes(""), QString("C2"));
    // By name, by code ascending, by code descending, by name again.
    QCOMPARE(primeras, QStringList({"C2", "C1", "C3", "C2"}));
}

void tst_kelBrowse::anchosIniciales_data() {
    QTest::addColumn<bool>("albaranes");
    QTest::newRow("customers: defined sizes") << false;
    QTest::newRow("delivery notes: computed ID measured by the first record") << true;
}

void tst_kelBrowse::anchosIniciales() {
    QFETCH(bool, albaranes);
    EntornoPrueba env;
    env.DatosConBase();
    Clientes();
    EntornoPrueba::Ejecuta(
        "INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, CodCliente, NomCliente, "
        "FechaModificacion, Impreso) VALUES ('1234', '2026-05-04', 'C1', 'Z', "
        "'2026-05-04 10:00:00', 0)");
    // A stored set of the customers' list, shorter than its columns: only the first changes.
    kelColumnasBrowse::GuardaConjunto("Clientes", "3000");
    const ConsultaBrowse q = albaranes ? ConsultaBrowse::Albaranes() : ConsultaBrowse::Clientes();
    QString inicial;
    QList<int> anchos;
    QFont fuente;
    Contestador<kelBrowse> c([&](kelBrowse* b) {
        inicial = b->ListaInicial();
        anchos = kelColumnasBrowse::Anchos(b->ListaActual(), 9);
        fuente = b->Grid()->font();
        QTest::keyClick(b->Grid(), Qt::Key_Escape);
    });
    kelLaunchBrowse(Texto(q.Titulo), q.Cabecera, q.Sql, "");
    const QFontMetrics fm(fuente);
    const QStringList titulos = q.Cabecera.split('\t');
    // The customer code holds 15 characters; the ID "04/05/2026 - 1234" has 17.
    const int primera = albaranes ? 17 : 15;
    const QList<int> esperados{kelColumnasBrowse::AnchoInicial(fm, titulos.at(0), primera),
                               kelColumnasBrowse::AnchoInicial(fm, titulos.at(1), 50)};
    QCOMPARE(inicial, kelColumnasBrowse::Lista(esperados));
    QCOMPARE(anchos.size(), 2);
    if (!albaranes)
        QCOMPARE(anchos.at(0), 3000);
    for (int i = albaranes ? 0 : 1; i < 2; ++i)
        QVERIFY2(qAbs(anchos.at(i) - esperados.at(i)) < kelRegistry::TwipsPorPixel,
                 qPrintable(QString("%1 %2").arg(anchos.at(i)).arg(esperados.at(i))));
    QVERIFY(esperados.at(1) > esperados.at(0));
}

void tst_kelBrowse::conjuntoGuardado() {
    EntornoPrueba env;
    env.DatosConBase();
    Clientes();
    LlenaProductos(3);
    QString propuesto;
    QString guardada;
    Contestador<QInputDialog> pregunta([&](QInputDialog* d) {
        propuesto = d->textValue();
        QCOMPARE(d->labelText(), Texto(210));
        QCOMPARE(d->windowTitle(), Texto(211));
        d->accept();
    });
    Contestador<kelBrowse> c([&](kelBrowse* b) {
        // Widen the first column by dragging its right edge.
        QHeaderView* h = b->Grid()->horizontalHeader();
        const int borde = h->sectionViewportPosition(0) + h->sectionSize(0) - 1;
        const int y = h->height() / 2;
        QTest::mousePress(h->viewport(), Qt::LeftButton, {}, QPoint(borde, y));
        QTest::mouseMove(h->viewport(), QPoint(borde + 40, y));
        QTest::mouseRelease(h->viewport(), Qt::LeftButton, {}, QPoint(borde + 40, y));
        QVERIFY(b->ListaActual() != b->ListaInicial());
        guardada = b->ListaActual();
        EligeMenu(b, "mnuColumnasGuardar");
        QTest::keyClick(b->Grid(), Qt::Key_Escape);
    });
    PickClientes("");
    QCOMPARE(pregunta.Veces(), 1);
    QCOMPARE(propuesto, QString("Clientes"));
    QCOMPARE(kelColumnasBrowse::ListaDe("Clientes"), guardada);

    // The same pick list opens with the saved widths; "Inicial" brings the computed ones back.
    QString aplicada, conjunto, trasInicial, inicial;
    c.Responde([&](kelBrowse* b) {
        aplicada = b->ListaActual();
        conjunto = b->ConjuntoAplicado();
        inicial = b->ListaInicial();
        EligeMenu(b, "mnuColumnasRecuperarInicial", true);
        trasInicial = b->ListaActual();
        QTest::keyClick(b->Grid(), Qt::Key_Escape);
    });
    PickClientes("");
    QCOMPARE(aplicada, guardada);
    QCOMPARE(conjunto, QString("Clientes"));
    QCOMPARE(trasInicial, inicial);

    // Another pick list keeps its own initial widths, and a saved set can be chosen there.
    QString enProductos, inicialProductos, elegida;
    c.Responde([&](kelBrowse* b) {
        enProductos = b->ListaActual();
        inicialProductos = b->ListaInicial();
        EligeMenu(b, "mnuColumnasRecuperarNombre0", true);
        elegida = b->ListaActual();
        // Saving again proposes the set chosen last; a blank name stores nothing.
        EligeMenu(b, "mnuColumnasGuardar");
        QTest::keyClick(b->Grid(), Qt::Key_Escape);
    });
    pregunta.Responde([&](QInputDialog* d) {
        propuesto = d->textValue();
        d->setTextValue("   ");
        d->accept();
    });
    const ConsultaBrowse p = ConsultaBrowse::Productos();
    kelLaunchBrowse(Texto(p.Titulo), p.Cabecera, p.Sql, "");
    QCOMPARE(enProductos, inicialProductos);
    QCOMPARE(elegida, guardada);
    QCOMPARE(c.Veces(), 3);
    QCOMPARE(pregunta.Veces(), 2);
    QCOMPARE(propuesto, QString("Clientes"));
    QCOMPARE(kelColumnasBrowse::Conjuntos().size(), 1);
}

void tst_kelBrowse::imprime() {
    EntornoPrueba env;
    env.DatosConBase();
    LlenaProductos(300);
    const QString pdf = env.Carpeta() + "/lista.pdf";
    Contestador<QPrintDialog> dialogo([&](QPrintDialog* d) { d->accept(); });
    QString boton, documento;
    bool foco = false;
    Contestador<kelBrowse> c([&](kelBrowse* b) {
        b->Impresora().setOutputFormat(QPrinter::PdfFormat);
        b->Impresora().setOutputFileName(pdf);
        QPushButton* imprimir = b->findChild<QPushButton*>("cmdPrint");
        QTest::mouseClick(imprimir, Qt::LeftButton);
        boton = imprimir->text();
        documento = b->Impresora().docName();
        foco = b->focusWidget() == b->Grid();
        QTest::keyClick(b->Grid(), Qt::Key_Escape);
    });
    const ConsultaBrowse p = ConsultaBrowse::Productos();
    kelLaunchBrowse(Texto(p.Titulo), p.Cabecera, p.Sql, "");
    QCOMPARE(dialogo.Veces(), 1);
    QVERIFY(foco);
    QVERIFY2(QRegularExpression(R"(^Productos - \d\d/\d\d/\d{4} \d\d\.\d\d$)")
                 .match(documento)
                 .hasMatch(),
             qPrintable(documento));
    QFile f(pdf);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray datos = f.readAll();
    QVERIFY(datos.startsWith("%PDF"));
    const qsizetype paginas = datos.count("/Type /Page") - datos.count("/Type /Pages");
    QVERIFY2(paginas >= 2, qPrintable(QString::number(paginas)));
    QCOMPARE(boton, "P. " + QString::number(paginas));
}

QTEST_MAIN(tst_kelBrowse)
#include "tst_kelbrowse.moc"
