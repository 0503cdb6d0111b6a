// The pick list driven as an operator would; its rows and order are tested on kelBrowseModel.
#include "contestador.h"
#include "masters/consultabrowse.h"
#include "masters/kelbrowse.h"
#include "masters/kelbrowsemodel.h"
#include "masters/kelcolumnasbrowse.h"
#include "support/controles.h"

#include "datosprueba.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

namespace {
// Clicks an entry of the columns menu (or of its recall submenu) with the mouse.
void EligeMenu(kelBrowse* b, const char* entrada, bool recuperar = false) {
    auto* barra = Controles::Busca<QMenuBar>(*b, "mnuBarra");
    auto* menu = Controles::Busca<QMenu>(*b, "mnuColumnas");
    QTest::mouseClick(barra, Qt::LeftButton, {},
                      barra->actionGeometry(menu->menuAction()).center());
    QVERIFY(QTest::qWaitFor([&] { return menu->isVisible(); }));
    if (recuperar) {
        auto* submenu = Controles::Busca<QMenu>(*b, "mnuColumnasRecuperar");
        QTest::mouseClick(menu, Qt::LeftButton, {},
                          menu->actionGeometry(submenu->menuAction()).center());
        QVERIFY(QTest::qWaitFor([&] { return submenu->isVisible(); }));
        menu = submenu;
    }
    QTest::mouseClick(menu, Qt::LeftButton, {},
                      menu->actionGeometry(Controles::Busca<QAction>(*b, entrada)).center());
}

} // namespace

class TestKelBrowse : public QObject {
    Q_OBJECT
private slots:
    void eligeOCancela_data();
    void eligeOCancela();
    void conjuntoGuardado();
    void imprime();
};

void TestKelBrowse::eligeOCancela_data() {
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
    fila("double click on the second row", "C1", 0, "doble", "C3");
    fila("click on the second row and OK", "C1", 0, "ok", "C3");
    fila("code title clicked twice: by code, descending", "", 0, "titulo", "C3");
    fila("Escape returns the default", "C3", 1, "escape", "C3");
    fila("Cancel, default not in the table", "NO'ESTA", 1, "cancel", "NO'ESTA");
    fila("close box, empty default", "", 1, "close", "");
    fila("OK on an empty list", "C9", 0, "vacia", "C9");
    fila("typing goes to the first name starting so", "", 0, "teclea", "C3");
    fila("Ctrl+End, Ctrl+Home", "", 0, "extremos", "C2");
}

void TestKelBrowse::eligeOCancela() {
    QFETCH(QString, defecto);
    QFETCH(int, bajadas);
    QFETCH(QString, accion);
    QFETCH(QString, resultado);
    EntornoPrueba env;
    env.DatosConBase();
    if (accion != "vacia")
        LlenaMaestros();
    int activadas = -1;
    QStringList extremos;
    Contestador<kelBrowse> c([&](kelBrowse* b) {
        QTableView* g = b->Grid();
        QSignalSpy activada(g, &QAbstractItemView::activated);
        for (int i = 0; i < bajadas; ++i)
            QTest::keyClick(g, Qt::Key_Down);
        const QPoint p = g->visualRect(b->Modelo()->index(1, 1)).center();
        QHeaderView* h = g->horizontalHeader();
        if (accion == "return" || accion == "enter")
            QTest::keyClick(g, accion == "enter" ? Qt::Key_Enter : Qt::Key_Return);
        else if (accion == "escape")
            QTest::keyClick(g, Qt::Key_Escape);
        else if (accion == "cancel")
            QTest::mouseClick(Controles::Busca<QPushButton>(*b, "cmdCancel"), Qt::LeftButton);
        else if (accion == "close")
            b->close();
        else if (accion == "teclea") {
            QTest::keyClicks(g, "bO");
            QTest::keyClick(g, Qt::Key_Return);
        } else if (accion == "extremos") {
            QTest::keyClick(g, Qt::Key_End, Qt::ControlModifier);
            extremos << b->Modelo()->Texto(g->currentIndex().row(), 0);
            QTest::keyClick(g, Qt::Key_Home, Qt::ControlModifier);
            QTest::keyClick(g, Qt::Key_Return);
        } else if (accion == "vacia")
            QTest::mouseClick(Controles::Busca<QPushButton>(*b, "cmdOk"), Qt::LeftButton);
        else if (accion == "titulo") {
            for (int i = 0; i < 2; ++i)
                QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                                  QPoint(h->sectionViewportPosition(0) + 5, h->height() / 2));
            QTest::keyClick(g, Qt::Key_Return);
        } else {
            // A click, then a second click (a double click) or OK.
            QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, p);
            if (accion == "doble")
                QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, p);
            else
                QTest::mouseClick(Controles::Busca<QPushButton>(*b, "cmdOk"), Qt::LeftButton);
        }
        activadas = int(activada.count());
    });
    QCOMPARE(ConsultaBrowse::Clientes().Lanza(defecto), resultado);
    QCOMPARE(c.Veces(), 1);
    if (accion == "return" || accion == "enter")
        QCOMPARE(activadas, 0); // the grid never saw the Enter key
    if (accion == "extremos")
        QCOMPARE(extremos, QStringList({"C1"}));
}

void TestKelBrowse::conjuntoGuardado() {
    EntornoPrueba env;
    env.DatosConBase();
    LlenaMaestros();
    QString propuesto;
    QStringList textos;
    Contestador<QInputDialog> pregunta([&](QInputDialog* d) {
        propuesto = d->textValue();
        textos << d->windowTitle() << d->labelText() << d->okButtonText() << d->cancelButtonText();
        d->accept();
    });
    QString guardada;
    Contestador<kelBrowse> c([&](kelBrowse* b) {
        textos << b->windowTitle() << Controles::Busca<QMenu>(*b, "mnuColumnas")->title();
        for (const char* boton : {"cmdOk", "cmdCancel", "cmdPrint"})
            textos << Controles::Busca<QPushButton>(*b, boton)->text();
        // Widen the first column by dragging its right edge.
        QHeaderView* h = b->Grid()->horizontalHeader();
        const int borde = h->sectionViewportPosition(0) + h->sectionSize(0) - 1;
        const int y = h->height() / 2;
        QTest::mousePress(h->viewport(), Qt::LeftButton, {}, QPoint(borde, y));
        QTest::mouseMove(h->viewport(), QPoint(borde + 40, y));
        QTest::mouseRelease(h->viewport(), Qt::LeftButton, {}, QPoint(borde + 40, y));
        guardada = b->ListaActual();
        EligeMenu(b, "mnuColumnasGuardar");
        QTest::keyClick(b->Grid(), Qt::Key_Escape);
    });
    ConsultaBrowse::Clientes().Lanza("");
    QCOMPARE(propuesto, QString("Clientes"));
    QCOMPARE(textos, QStringList({"Clientes", "&Columnas", "&Aceptar", "&Cancelar", "Im&primir",
                                  "Configuración de columnas", "Nombre de la configuración",
                                  "&Aceptar", "&Cancelar"}));
    QCOMPARE(kelColumnasBrowse::ListaDe("Clientes"), guardada);

    // The same pick list opens with the saved widths; "Inicial" brings the computed ones back.
    QString aplicada, trasInicial, inicial;
    c.Responde([&](kelBrowse* b) {
        aplicada = b->ListaActual();
        inicial = b->ListaInicial();
        EligeMenu(b, "mnuColumnasRecuperarInicial", true);
        trasInicial = b->ListaActual();
        QTest::keyClick(b->Grid(), Qt::Key_Escape);
    });
    ConsultaBrowse::Clientes().Lanza("");
    QCOMPARE(aplicada, guardada);
    QVERIFY(inicial != guardada);
    QCOMPARE(trasInicial, inicial);

    QCOMPARE(pregunta.Veces(), 1);
}

// The default is found deep in the list (letter case aside) and shown. Printing to a file
// proposes the caption and the time, without "/" or ":", in the user's documents folder; every
// row is printed, the button showing the page.
void TestKelBrowse::imprime() {
    EntornoPrueba env;
    LlenaProductos(env.DatosConBase().Conexion(), 300);
    const QByteArray casa = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(env.Carpeta()));
    qunsetenv("XDG_CONFIG_HOME");
    const auto restaura = qScopeGuard([&] { qputenv("HOME", casa); });
    QVERIFY(QDir(env.Carpeta()).mkdir("Documents"));
    Contestador<QPrintDialog> dialogo([&](QPrintDialog* d) { d->accept(); });
    int actual = -1;
    bool visible = false;
    QString boton, documento, archivo;
    Contestador<kelBrowse> c([&](kelBrowse* b) {
        QTableView* g = b->Grid();
        actual = int(b->Modelo()->Inicio()) + g->currentIndex().row();
        visible = g->viewport()->rect().contains(g->visualRect(g->currentIndex()).center());
        QTest::mouseClick(Controles::Busca<QPushButton>(*b, "cmdPrint"), Qt::LeftButton);
        boton = Controles::Busca<QPushButton>(*b, "cmdPrint")->text();
        documento = b->Impresora().docName();
        archivo = b->Impresora().outputFileName();
        QTest::keyClick(g, Qt::Key_Return);
    });
    // By name, product P00010 is row 290; it is returned as stored.
    QCOMPARE(ConsultaBrowse::Productos().Lanza("p00010"), QString("P00010"));
    QCOMPARE(actual, 290);
    QVERIFY(visible);
    QCOMPARE(dialogo.Veces(), 1);
    const QRegularExpression fecha(R"(^Productos - (\d\d)/(\d\d)/(\d{4}) (\d\d\.\d\d)$)");
    QVERIFY2(fecha.match(documento).hasMatch(), qPrintable(documento));
    QCOMPARE(archivo,
             QString(documento).replace(fecha, env.Carpeta() + "/Documents/Productos - \\1-\\2-\\3 "
                                                               "\\4.pdf"));
    QFile f(archivo);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray datos = f.readAll();
    QVERIFY(datos.startsWith("%PDF"));
    const qsizetype paginas = datos.count("/Type /Page") - datos.count("/Type /Pages");
    QVERIFY2(paginas >= 2, qPrintable(QString::number(paginas)));
    QCOMPARE(boton, "P. " + QString::number(paginas));
}

QTEST_MAIN(TestKelBrowse)
#include "tst_kelbrowse.moc"
