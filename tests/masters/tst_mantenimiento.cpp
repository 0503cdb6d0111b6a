// The four maintenance windows driven as an operator would; their rules are tested on clsMaestro.
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelregistry.h"
#include "contestador.h"
#include "masters/frmmtclientes.h"
#include "masters/frmmtoperarios.h"
#include "masters/frmmtproductos.h"
#include "masters/frmmttaras.h"
#include "masters/kelbrowse.h"
#include "masters/kelcajanumerica.h"
#include "support/controles.h"

#include "datosprueba.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <memory>

namespace {
std::unique_ptr<frmMantenimiento> Abre(const QString& tipo) {
    std::unique_ptr<frmMantenimiento> w;
    if (tipo == "Clientes")
        w = std::make_unique<frmMTClientes>();
    else if (tipo == "Productos")
        w = std::make_unique<frmMTProductos>();
    else if (tipo == "Taras")
        w = std::make_unique<frmMTTaras>();
    else
        w = std::make_unique<frmMTOperarios>();
    w->show();
    if (!QTest::qWaitForWindowActive(w.get()))
        qWarning("the window did not become active");
    return w;
}

QLineEdit* Caja(QWidget* w, const QString& nombre) {
    return Controles::Busca<QLineEdit>(*w, nombre);
}

// Types into a box as an operator: click, select what is there, type over it.
void Escribe(QWidget* w, const QString& nombre, const QString& texto) {
    if (!QTest::qWaitForWindowActive(w)) // given back by a pick list that closed
        qWarning("the window does not have the keyboard");
    QLineEdit* c = Caja(w, nombre);
    QTest::mouseClick(c, Qt::LeftButton);
    QTest::keyClick(c, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(c, Qt::Key_Delete);
    QTest::keyClicks(c, texto);
}

// The texts of the boxes, decimals with ".".
QStringList Textos(QWidget* w, const QStringList& cajas) {
    QStringList t;
    for (const QString& c : cajas)
        t << Caja(w, c)->text().replace(',', '.');
    return t;
}

QString Foco(QWidget* ventana) {
    QWidget* f = ventana->focusWidget();
    return f ? f->objectName() : QString();
}
} // namespace

class TestMantenimiento : public QObject {
    Q_OBJECT
private slots:
    void ventana_data();
    void ventana();
    void cajaNumerica_data();
    void cajaNumerica();
};

void TestMantenimiento::ventana_data() {
    QTest::addColumn<int>("titulo");
    QTest::addColumn<QStringList>("cajas");    // the code's box first, then the search button
    QTest::addColumn<QStringList>("elegido");  // the second by name in the pick list, its values
    QTest::addColumn<QStringList>("tecleado"); // another code typed over it, its values
    QTest::addColumn<QStringList>("nuevo");    // a new code and the values typed for it
    const auto fila = [](const char* tabla, int titulo, QStringList cajas, QStringList elegido,
                         QStringList tecleado, QStringList nuevo) {
        QTest::newRow(tabla) << titulo << cajas << elegido << tecleado << nuevo;
    };
    fila("Clientes", IdTexto::MantenimientoClientes,
         {"txtCampo0", "txtCampo1", "txtCampo2", "txtCampo3", "cmdBuscaCliente"},
         {"C3", "Bodegas Este", "Mar 3", "Valencia"}, {"C2", "Almacenes Norte", "Real 2", "León"},
         {"C9", "Frutas Sol", "Huerta 4", "Murcia"});
    fila("Productos", IdTexto::MantenimientoProductos,
         {"txtCampo0", "txtCampo1", "txtPrecio", "cmdBuscaProducto"}, {"P3", "Berenjenas", "2"},
         {"P2", "Aceitunas", "3.25"}, {"P5", "Uvas", "2.75"});
    fila("Taras", IdTexto::MantenimientoTaras,
         {"txtCampoNum0", "txtCampo0", "txtCampoNum1", "cmdBuscaTara"}, {"2", "Caja", "0.5"},
         {"3", "Bolsa", "0.01"}, {"9", "Cesta", "1.25"});
    fila("Operarios", IdTexto::MantenimientoOperarios,
         {"txtCampoNum0", "txtCampo0", "cmdBuscaOperario"}, {"3", "Berta"}, {"2", "Ana"},
         {"9", "Marta"});
}

void TestMantenimiento::ventana() {
    QFETCH(int, titulo);
    QFETCH(QStringList, cajas);
    QFETCH(QStringList, elegido);
    QFETCH(QStringList, tecleado);
    QFETCH(QStringList, nuevo);
    const QString tabla = QTest::currentDataTag();
    const QString codigo = cajas.takeFirst(), boton = cajas.takeLast();
    const QStringList& otras = cajas;
    EntornoPrueba env;
    QSqlDatabase db = env.DatosConBase().Conexion();
    LlenaMaestros();
    const QStringList antes = Filas(db, tabla);
    auto w = Abre(tabla);
    QCOMPARE(w->windowTitle(), Texto(titulo));

    // Tab goes through the boxes in order, then the buttons.
    QStringList orden;
    for (qsizetype i = 0; i < otras.size() + 5; ++i) {
        orden << Foco(w.get());
        QTest::keyClick(w->focusWidget(), Qt::Key_Tab);
    }
    const QStringList botones{"cmdOpcion0", "cmdOpcion1", "cmdOpcion2", boton};
    QCOMPARE(orden, QStringList{codigo} + otras + botones);

    // F4 in the code box picks a record and fills the boxes.
    Contestador<kelBrowse> pick([](kelBrowse* b) {
        QTest::keyClick(b->Grid(), Qt::Key_Down);
        QTest::keyClick(b->Grid(), Qt::Key_Return);
    });
    QTest::keyClick(Caja(w.get(), codigo), Qt::Key_F4);
    QCOMPARE(pick.Veces(), 1);
    QCOMPARE(QStringList{Caja(w.get(), codigo)->text()} + Textos(w.get(), otras), elegido);

    // A code typed over it fills the boxes from its own record on leaving the box, not later.
    Escribe(w.get(), codigo, tecleado[0]);
    QTest::keyClick(Caja(w.get(), codigo), Qt::Key_Tab);
    QCOMPARE(Textos(w.get(), otras), tecleado.mid(1));
    // A new code and "Grabar" at once: its boxes are emptied to be typed, nothing is saved.
    Escribe(w.get(), codigo, nuevo[0]);
    QTest::mouseClick(w->cmdOpcion[0], Qt::LeftButton);
    QCOMPARE(Filas(db, tabla), antes);
    for (const QString& t : Textos(w.get(), otras))
        QVERIFY2(t.isEmpty() || t == "0", qPrintable(t));

    for (qsizetype i = 0; i < otras.size(); ++i)
        Escribe(w.get(), otras[i], nuevo[i + 1]);
    QTest::mouseClick(w->cmdOpcion[0], Qt::LeftButton);
    QVERIFY(Filas(db, tabla).contains(nuevo.join(';')));
    QCOMPARE(Filas(db, tabla).size(), antes.size() + 1);
    QCOMPARE(Foco(w.get()), codigo); // cleared, ready for the next record
    QCOMPARE(Caja(w.get(), codigo)->text(), codigo.startsWith("txtCampoNum") ? "0" : "");

    Escribe(w.get(), codigo, nuevo[0]);
    QTest::mouseClick(w->cmdOpcion[1], Qt::LeftButton);
    QCOMPARE(Filas(db, tabla), antes);

    // A save the database refuses is told in a box with the program's own button, and the
    // typing stays; Escape does not close the window, its close button does.
    EntornoPrueba::Ejecuta("CREATE TRIGGER no BEFORE INSERT ON " + tabla +
                           " BEGIN SELECT RAISE(ABORT, 'tabla bloqueada'); END");
    Escribe(w.get(), codigo, nuevo[0]);
    Escribe(w.get(), otras[0], nuevo[1]);
    QStringList aviso;
    QString mensaje;
    Contestador<QMessageBox> caja([&](QMessageBox* m) {
        mensaje = m->text();
        aviso << m->windowTitle();
        for (QAbstractButton* b : m->buttons())
            aviso << b->text();
        QTest::keyClick(m, Qt::Key_Enter);
    });
    QTest::mouseClick(w->cmdOpcion[0], Qt::LeftButton);
    QCOMPARE(aviso, QStringList({Texto(titulo), "&Aceptar"}));
    QVERIFY2(mensaje.contains("tabla bloqueada"), qPrintable(mensaje));
    QCOMPARE(Caja(w.get(), otras[0])->text(), nuevo[1]);
    QTest::keyClick(Caja(w.get(), otras[0]), Qt::Key_Escape);
    QVERIFY(w->isVisible());
    QTest::mouseClick(w->cmdOpcion[2], Qt::LeftButton);
    QVERIFY(!w->isVisible());
    QVERIFY(!kelRegistry::GetAppString("\\Pos\\" + w->objectName(), "Top").isEmpty());
}

// Numeric boxes take what a number holds; what they show reads back as the same number.
void TestMantenimiento::cajaNumerica_data() {
    QTest::addColumn<bool>("entera");
    QTest::addColumn<QString>("tecleado");
    QTest::addColumn<QString>("visto");
    QTest::addColumn<double>("valor");
    const auto fila = [](const char* n, bool entera, const char* tecleado, const char* visto) {
        QTest::newRow(n) << entera << QString(tecleado) << QString(visto)
                         << QString(visto).replace(',', '.').toDouble();
    };
    fila("letters refused", true, "1a2", "12");
    fila("32 bits at most", true, "99999999999", "999999999");
    fila("decimal comma", false, "x3,5kg", "3,5");
    fila("sign and decimal point", false, "-0.25", "-0.25");
}

void TestMantenimiento::cajaNumerica() {
    QFETCH(bool, entera);
    QFETCH(QString, tecleado);
    QFETCH(QString, visto);
    QFETCH(double, valor);
    kelCajaNumerica caja(entera, ",");
    QCOMPARE(caja.text(), QString("0"));
    caja.clear();
    QTest::keyClicks(&caja, tecleado);
    QCOMPARE(caja.text(), visto);
    QCOMPARE(caja.Valor(), valor);
    // Shown with the separator when it is "," or ".", and read back as the same number.
    for (const QString& s : {QString(","), QString(", ")}) {
        kelCajaNumerica otra(false, s);
        otra.SetValor(1.5);
        QCOMPARE(otra.text(), QString(s == "," ? "1,5" : "1.5"));
        QCOMPARE(otra.Valor(), 1.5);
    }
}

QTEST_MAIN(TestMantenimiento)
#include "tst_mantenimiento.moc"
