#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "contestador.h"
#include "masters/consultabrowse.h"
#include "masters/kelbrowse.h"
#include "masters/kelbrowsemodel.h"
#include "masters/kelcolumnasbrowse.h"
#include "masters/kellaunchbrowse.h"
#include "support/entornoprueba.h"

#include "productosprueba.h"

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
void Clientes() {
    EntornoPrueba::Ejecuta("INSERT INTO Clientes (CodCliente, NomCliente) VALUES "
                           "('C1', 'Zapatería Sur'), ('C2', 'Almacenes Norte'), "
                           "('C3', 'Bodegas Este')");
}

QString PickClientes(const QString& defecto) {
    return ConsultaBrowse::Clientes().Lanza(defecto);
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

class TestKelBrowse : public QObject {
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
    fila("Escape returns the default", "C3", 1, "escape", "C3");
    fila("Cancel, default not in the table", "NO'ESTA", 1, "cancel", "NO'ESTA");
    fila("close box, empty default", "", 1, "close", "");
}

void TestKelBrowse::eligeOCancela() {
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

void TestKelBrowse::vacioDevuelveDefecto() {
    EntornoPrueba env;
    env.DatosConBase();
    int filas = -1;
    QStringList vistos;
    Contestador<kelBrowse> c([&](kelBrowse* b) {
        filas = b->Modelo()->rowCount();
        vistos << b->windowTitle();
        for (const char* boton : {"cmdOk", "cmdCancel", "cmdPrint"})
            vistos << b->findChild<QPushButton*>(boton)->text();
        vistos << b->findChild<QMenu*>("mnuColumnas")->title()
               << b->Modelo()->headerData(1, Qt::Horizontal).toString();
        QTest::mouseClick(b->findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
    });
    QCOMPARE(PickClientes("C9"), QString("C9"));
    QCOMPARE(filas, 0);
    QCOMPARE(vistos, QStringList({"Clientes", "&Aceptar", "&Cancelar", "Im&primir", "&Columnas",
                                  "Nombre"}));
}

void TestKelBrowse::defectoVisible() {
    EntornoPrueba env;
    LlenaProductos(env.DatosConBase().Conexion(), 5000);
    int actual = -1;
    bool visible = false;
    Contestador<kelBrowse> c([&](kelBrowse* b) {
        QTableView* g = b->Grid();
        actual = g->currentIndex().row();
        visible = g->viewport()->rect().contains(g->visualRect(g->currentIndex()).center());
        QTest::keyClick(g, Qt::Key_Return);
    });
    // By name, product P00010 is row 4990; it is returned as stored.
    QCOMPARE(ConsultaBrowse::Productos().Lanza("p00010"), QString("P00010"));
    QCOMPARE(actual, 4990);
    QVERIFY(visible);
}

void TestKelBrowse::ordenaAlPulsarCabecera() {
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

// Each column starts wide enough for what it can hold: a tare code for any whole number, a
// computed column for its first row's text.
void TestKelBrowse::anchosIniciales_data() {
    QTest::addColumn<bool>("albaranes");
    QTest::addColumn<QString>("texto");
    QTest::newRow("tare codes") << false << "-2147483648";
    QTest::newRow("delivery notes") << true << "31/12/2025 - ABCDEFGHIJKLMNOPQRST";
}

void TestKelBrowse::anchosIniciales() {
    QFETCH(bool, albaranes);
    QFETCH(QString, texto);
    EntornoPrueba env;
    env.DatosConBase();
    EntornoPrueba::Ejecuta("INSERT INTO Taras VALUES (-2147483648, 'Caja', 0.5)");
    EntornoPrueba::Ejecuta(
        "INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, CodCliente, NomCliente, "
        "FechaModificacion, Impreso) VALUES ('ABCDEFGHIJKLMNOPQRST', '2025-12-31', 'C1', 'Z', "
        "'2026-05-04 10:00:00', 0)");
    int ancho = 0, necesario = 0;
    Contestador<kelBrowse> c([&](kelBrowse* b) {
        ancho = b->Grid()->columnWidth(0);
        necesario = b->Grid()->fontMetrics().horizontalAdvance(texto);
        QTest::keyClick(b->Grid(), Qt::Key_Escape);
    });
    (albaranes ? ConsultaBrowse::Albaranes() : ConsultaBrowse::Taras()).Lanza("");
    QCOMPARE(c.Veces(), 1);
    QVERIFY2(ancho > necesario, qPrintable(QString("%1 %2").arg(ancho).arg(necesario)));
}

void TestKelBrowse::conjuntoGuardado() {
    EntornoPrueba env;
    LlenaProductos(env.DatosConBase().Conexion(), 3);
    Clientes();
    QString propuesto;
    QStringList textos;
    Contestador<QInputDialog> pregunta([&](QInputDialog* d) {
        propuesto = d->textValue();
        textos = {d->windowTitle(), d->labelText(), d->okButtonText(), d->cancelButtonText()};
        d->accept();
    });
    QString guardada;
    Contestador<kelBrowse> c([&](kelBrowse* b) {
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
    PickClientes("");
    QCOMPARE(pregunta.Veces(), 1);
    QCOMPARE(propuesto, QString("Clientes"));
    QCOMPARE(textos, QStringList({"Configuración de columnas", "Nombre de la configuración",
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
    PickClientes("");
    QCOMPARE(aplicada, guardada);
    QVERIFY(inicial != guardada);
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
    ConsultaBrowse::Productos().Lanza("");
    QCOMPARE(enProductos, inicialProductos);
    QCOMPARE(elegida, guardada);
    QCOMPARE(pregunta.Veces(), 2);
    QCOMPARE(propuesto, QString("Clientes"));
    QCOMPARE(kelColumnasBrowse::Conjuntos().size(), 1);
}

// Printing to a file proposes the caption and the time, without "/" or ":", in the user's
// documents folder; every row is printed, the button showing the page.
void TestKelBrowse::imprime() {
    EntornoPrueba env;
    LlenaProductos(env.DatosConBase().Conexion(), 300);
    const QByteArray casa = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(env.Carpeta()));
    qunsetenv("XDG_CONFIG_HOME");
    const auto restaura = qScopeGuard([&] { qputenv("HOME", casa); });
    QVERIFY(QDir(env.Carpeta()).mkdir("Documents"));
    Contestador<QPrintDialog> dialogo([&](QPrintDialog* d) { d->accept(); });
    QString boton, documento, archivo;
    Contestador<kelBrowse> c([&](kelBrowse* b) {
        QPushButton* imprimir = b->findChild<QPushButton*>("cmdPrint");
        QTest::mouseClick(imprimir, Qt::LeftButton);
        boton = imprimir->text();
        documento = b->Impresora().docName();
        archivo = b->Impresora().outputFileName();
        QTest::keyClick(b->Grid(), Qt::Key_Escape);
    });
    ConsultaBrowse::Productos().Lanza("");
    QCOMPARE(dialogo.Veces(), 1);
    const QRegularExpression fecha(R"(^Productos - (\d\d)/(\d\d)/(\d{4}) (\d\d\.\d\d)$)");
    QVERIFY2(fecha.match(documento).hasMatch(), qPrintable(documento));
    QString esperado = documento;
    esperado.replace(fecha, env.Carpeta() + "/Documents/Productos - \\1-\\2-\\3 \\4.pdf");
    QCOMPARE(archivo, esperado);
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
