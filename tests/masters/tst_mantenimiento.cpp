#include "app/cmnlanguaje.h"
#include "app/kelnumerics.h"
#include "app/kelregistry.h"
#include "contestador.h"
#include "db/basedatos.h"
#include "masters/frmmtclientes.h"
#include "masters/frmmtoperarios.h"
#include "masters/frmmtproductos.h"
#include "masters/frmmttaras.h"
#include "masters/kelbrowse.h"
#include "masters/kelbrowsemodel.h"
#include "masters/kelcajanumerica.h"
#include "support/entornoprueba.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QTest>
#include <memory>

namespace {
// The rows of a table as "field=value;..." texts, ordered by key.
QStringList Filas(const QString& tabla) {
    QSqlQuery q(BaseDatos::Conexion());
    q.exec("SELECT * FROM " + tabla + " ORDER BY 1");
    QStringList filas;
    while (q.next()) {
        QStringList campos;
        for (int i = 0; i < q.record().count(); ++i)
            campos << q.value(i).toString();
        filas << campos.join(';');
    }
    return filas;
}

void Datos() {
    EntornoPrueba::Ejecuta(
        "INSERT INTO Clientes VALUES ('C1', 'Zapatería Sur', 'Mayor 1', 'Sevilla'), "
        "('C2', 'Almacenes Norte', 'Real 2', 'León'), "
        "('C3', 'Bodegas Este', 'Mar 3', 'Valencia')");
    EntornoPrueba::Ejecuta(
        "INSERT INTO Productos VALUES ('P1', 'Peras', 1.5), ('P2', 'Aceitunas', 3.25), "
        "('P3', 'Berenjenas', 2)");
    EntornoPrueba::Ejecuta(
        "INSERT INTO Taras VALUES (1, 'Palé', 20), (2, 'Caja', 0.5), (3, 'Bolsa', 0.01)");
    EntornoPrueba::Ejecuta("INSERT INTO Operarios VALUES (1, 'Pedro'), (2, 'Ana'), (3, 'Berta')");
}

std::unique_ptr<frmMantenimiento> Abre(const QString& tipo) {
    std::unique_ptr<frmMantenimiento> w;
    if (tipo == "clientes")
        w = std::make_unique<frmMTClientes>();
    else if (tipo == "productos")
        w = std::make_unique<frmMTProductos>();
    else if (tipo == "taras")
        w = std::make_unique<frmMTTaras>();
    else
        w = std::make_unique<frmMTOperarios>();
    w->show();
    if (!QTest::qWaitForWindowActive(w.get()))
        qWarning("the window did not become active");
    return w;
}

QWidget* Caja(frmMantenimiento* w, const QString& nombre) {
    QWidget* c = w->findChild<QWidget*>(nombre);
    if (!c)
        qFatal("no box %s", qPrintable(nombre));
    return c;
}

QString TextoDe(frmMantenimiento* w, const QString& nombre) {
    return static_cast<QLineEdit*>(Caja(w, nombre))->text();
}

// Types into a box as an operator: click, select what is there, type over it.
void Escribe(frmMantenimiento* w, const QString& nombre, const QString& texto) {
    QWidget* c = Caja(w, nombre);
    QTest::mouseClick(c, Qt::LeftButton);
    QTest::keyClick(c, Qt::Key_A, Qt::ControlModifier);
    if (texto.isEmpty())
        QTest::keyClick(c, Qt::Key_Delete);
    else
        QTest::keyClicks(c, texto);
}

void Pulsa(frmMantenimiento* w, int opcion) {
    QTest::mouseClick(w->cmdOpcion[opcion], Qt::LeftButton);
}

// The box that has, or gets back when the window is active again, the keyboard focus.
QString Foco(QWidget* ventana) {
    QWidget* f = ventana->focusWidget();
    return f ? f->objectName() : QString();
}

struct Caso {
    QString tipo;
    QString tabla;      // the table it keeps
    QString codigo;     // box of the code
    QString focoBusca;  // focus after a search
    QString focoLimpia; // focus after clearing
    QStringList otras;  // the other boxes, in field order
};

Caso CasoDe(const QString& tipo) {
    if (tipo == "clientes")
        return {tipo,        "Clientes",  "txtCampo0",
                "txtCampo0", "txtCampo0", {"txtCampo1", "txtCampo2", "txtCampo3"}};
    if (tipo == "productos")
        return {tipo,        "Productos", "txtCampo0",
                "txtCampo0", "txtCampo0", {"txtCampo1", "txtPrecio"}};
    if (tipo == "taras")
        return {tipo,        "Taras",        "txtCampoNum0",
                "txtCampo0", "txtCampoNum0", {"txtCampo0", "txtCampoNum1"}};
    return {tipo, "Operarios", "txtCampoNum0", "txtCampo0", "txtCampoNum0", {"txtCampo0"}};
}
} // namespace

class tst_Mantenimiento : public QObject {
    Q_OBJECT
private slots:
    void textos_data();
    void textos();
    void creaCambiaBorra_data();
    void creaCambiaBorra();
    void f4Elige_data();
    void f4Elige();
    void cancelarRellena_data();
    void cancelarRellena();
    void botonBusca_data();
    void botonBusca();
    void f4ConModificadores_data();
    void f4ConModificadores();
    void codigoConComilla_data();
    void codigoConComilla();
    void guardarSinDatos_data();
    void guardarSinDatos();
    void borrarTaraCero();
    void borrarSinCodigo();
    void rechazo_data();
    void rechazo();
    void longitudes_data();
    void longitudes();
    void numericas();
    void escapeNoCierra();
    void cerrarGuardaPosicion();
};

void tst_Mantenimiento::textos_data() {
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<int>("caption");
    QTest::addColumn<QList<int>>("etiquetas");
    QTest::newRow("customers") << "clientes" << 218 << QList<int>{219, 213, 220};
    QTest::newRow("products") << "productos" << 216 << QList<int>{215, 213, 249};
    QTest::newRow("tares") << "taras" << 212 << QList<int>{213, 214, 215};
    QTest::newRow("operators") << "operarios" << 217 << QList<int>{215, 213};
}

void tst_Mantenimiento::textos() {
    QFETCH(QString, tipo);
    QFETCH(int, caption);
    QFETCH(QList<int>, etiquetas);
    EntornoPrueba env;
    env.DatosConBase();
    auto w = Abre(tipo);
    QCOMPARE(w->windowTitle(), Texto(caption));
    QCOMPARE(w->lbl.size(), etiquetas.size());
    for (int i = 0; i < etiquetas.size(); ++i)
        QCOMPARE(w->lbl[i]->text(), Texto(etiquetas[i]));
    QCOMPARE(w->cmdOpcion[0]->text(), Texto(178));
    QCOMPARE(w->cmdOpcion[1]->text(), Texto(179));
    QCOMPARE(w->cmdOpcion[2]->text(), Texto(180));
    QCOMPARE(Foco(w.get()), CasoDe(tipo).codigo);
}

void tst_Mantenimiento::creaCambiaBorra_data() {
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QStringList>("primero");
    QTest::addColumn<QStringList>("segundo");
    QTest::addColumn<QString>("fila1");
    QTest::addColumn<QString>("fila2");
    QTest::newRow("customer") << "clientes"
                              << "C9" << QStringList{"Frutas Sol", "Huerta 4", "Murcia"}
                              << QStringList{"Frutas Luna", "", "Murcia"}
                              << "C9;Frutas Sol;Huerta 4;Murcia"
                              << "C9;Frutas Luna;;Murcia";
    QTest::newRow("product") << "productos"
                             << "P9" << QStringList{"Uvas", "2,75"}
                             << QStringList{"Uvas negras", "3.5"} << "P9;Uvas;2.75"
                             << "P9;Uvas negras;3.5";
    QTest::newRow("tare") << "taras"
                          << "9" << QStringList{"Cesta", "1,25"} << QStringList{"Cesta grande", "2"}
                          << "9;Cesta;1.25"
                          << "9;Cesta grande;2";
    QTest::newRow("operator") << "operarios"
                              << "9" << QStringList{"Marta"} << QStringList{"Marta G."} << "9;Marta"
                              << "9;Marta G.";
}

void tst_Mantenimiento::creaCambiaBorra() {
    QFETCH(QString, tipo);
    QFETCH(QString, codigo);
    QFETCH(QStringList, primero);
    QFETCH(QStringList, segundo);
    QFETCH(QString, fila1);
    QFETCH(QString, fila2);
    EntornoPrueba env;
    env.DatosConBase();
    const Caso c = CasoDe(tipo);
    auto w = Abre(tipo);
    const QStringList antes = Filas(c.tabla);

    Escribe(w.get(), c.codigo, codigo);
    for (int i = 0; i < primero.size(); ++i)
        Escribe(w.get(), c.otras[i], primero[i]);
    Pulsa(w.get(), 0);
    QCOMPARE(Filas(c.tabla), antes + QStringList{fila1});
    // Cleared: text boxes empty, numeric boxes 0, focus where a record starts.
    QCOMPARE(Foco(w.get()), c.focoLimpia);
    for (const QString& caja : QStringList{c.codigo} + c.otras) {
        const bool numerica = qobject_cast<kelCajaNumerica*>(Caja(w.get(), caja));
        QCOMPARE(TextoDe(w.get(), caja), numerica ? QString("0") : QString());
    }

    // The same code again with other values changes the record and keeps its code.
    Escribe(w.get(), c.codigo, codigo);
    for (int i = 0; i < segundo.size(); ++i)
        Escribe(w.get(), c.otras[i], segundo[i]);
    Pulsa(w.get(), 0);
    QCOMPARE(Filas(c.tabla), antes + QStringList{fila2});

    Escribe(w.get(), c.codigo, codigo);
    Pulsa(w.get(), 1);
    QCOMPARE(Filas(c.tabla), antes);
    QCOMPARE(Foco(w.get()), c.focoLimpia);
}

void tst_Mantenimiento::f4Elige_data() {
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QStringList>("valores");
    // The pick lists are ordered by name: the second row is the code below.
    QTest::newRow("customers") << "clientes"
                               << "C3" << QStringList{"Bodegas Este", "Mar 3", "Valencia"};
    QTest::newRow("products") << "productos"
                              << "P3" << QStringList{"Berenjenas", "2"};
    QTest::newRow("tares") << "taras"
                           << "2" << QStringList{"Caja", "0.5"};
    QTest::newRow("operators") << "operarios"
                               << "3" << QStringList{"Berta"};
}

void tst_Mantenimiento::f4Elige() {
    QFETCH(QString, tipo);
    QFETCH(QString, codigo);
    QFETCH(QStringList, valores);
    EntornoPrueba env;
    env.DatosConBase().SetIdioma(0);
    Datos();
    const Caso c = CasoDe(tipo);
    auto w = Abre(tipo);
    QString titulo;
    Contestador<kelBrowse> pick([&](kelBrowse* b) {
        titulo = b->windowTitle();
        QTest::keyClick(b->Grid(), Qt::Key_Down);
        QTest::keyClick(b->Grid(), Qt::Key_Return);
    });
    QTest::keyClick(Caja(w.get(), c.codigo), Qt::Key_F4);
    QCOMPARE(pick.Veces(), 1);
    QCOMPARE(TextoDe(w.get(), c.codigo), codigo);
    for (int i = 0; i < valores.size(); ++i)
        QCOMPARE(TextoDe(w.get(), c.otras[i]).replace(',', '.'), valores[i]);
    QCOMPARE(Foco(w.get()), c.focoBusca);
    const QMap<QString, int> titulos{
        {"clientes", 233}, {"productos", 224}, {"taras", 223}, {"operarios", 232}};
    QCOMPARE(titulo, Texto(titulos.value(tipo)));
}

void tst_Mantenimiento::cancelarRellena_data() {
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QStringList>("valores");
    QTest::newRow("customers") << "clientes"
                               << "C1" << QStringList{"Zapatería Sur", "Mayor 1", "Sevilla"};
    QTest::newRow("customers, code not in the table") << "clientes"
                                                      << "NUEVO" << QStringList{"", "", ""};
    QTest::newRow("products") << "productos"
                              << "P2" << QStringList{"Aceitunas", "3.25"};
    QTest::newRow("tares") << "taras"
                           << "3" << QStringList{"Bolsa", "0.01"};
    QTest::newRow("tares, code not in the table") << "taras"
                                                  << "44" << QStringList{"", "0"};
    QTest::newRow("operators") << "operarios"
                               << "2" << QStringList{"Ana"};
}

void tst_Mantenimiento::cancelarRellena() {
    QFETCH(QString, tipo);
    QFETCH(QString, codigo);
    QFETCH(QStringList, valores);
    EntornoPrueba env;
    env.DatosConBase();
    Datos();
    const Caso c = CasoDe(tipo);
    auto w = Abre(tipo);
    Escribe(w.get(), c.codigo, codigo);
    // Something typed in the other boxes is replaced by the record.
    Escribe(w.get(), c.otras[0], "tecleado");
    Contestador<kelBrowse> pick([&](kelBrowse* b) {
        QTest::keyClick(b->Grid(), Qt::Key_Down);
        QTest::keyClick(b->Grid(), Qt::Key_Escape);
    });
    QTest::keyClick(Caja(w.get(), c.codigo), Qt::Key_F4);
    QCOMPARE(pick.Veces(), 1);
    QCOMPARE(TextoDe(w.get(), c.codigo), codigo);
    for (int i = 0; i < valores.size(); ++i)
        QCOMPARE(TextoDe(w.get(), c.otras[i]).replace(',', '.'), valores[i]);
}

void tst_Mantenimiento::botonBusca_data() {
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("boton");
    QTest::newRow("customers") << "clientes"
                               << "cmdBuscaCliente";
    QTest::newRow("products") << "productos"
                              << "cmdBuscaProducto";
    QTest::newRow("tares") << "taras"
                           << "cmdBuscaTara";
    QTest::newRow("operators") << "operarios"
                               << "cmdBuscaOperario";
}

void tst_Mantenimiento::botonBusca() {
    QFETCH(QString, tipo);
    QFETCH(QString, boton);
    EntornoPrueba env;
    env.DatosConBase();
    Datos();
    const Caso c = CasoDe(tipo);
    auto w = Abre(tipo);
    QString defecto;
    Contestador<kelBrowse> pick([&](kelBrowse* b) {
        defecto = b->Modelo()->data(b->Grid()->currentIndex().siblingAtColumn(0)).toString();
        QTest::keyClick(b->Grid(), Qt::Key_Return);
    });
    Escribe(w.get(), c.codigo, tipo == "clientes" ? "c1" : (tipo == "productos" ? "P1" : "1"));
    QTest::mouseClick(w->findChild<QPushButton*>(boton), Qt::LeftButton);
    QCOMPARE(pick.Veces(), 1);
    // The pick list opened on the code in the box (letter case aside) and returned it as stored.
    QCOMPARE(defecto, tipo == "clientes" ? QString("C1") : (tipo == "productos" ? "P1" : "1"));
    QCOMPARE(TextoDe(w.get(), c.codigo), defecto);
    QVERIFY(!TextoDe(w.get(), c.otras[0]).isEmpty());
}

void tst_Mantenimiento::f4ConModificadores_data() {
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<int>("modificador");
    QTest::newRow("customers, Shift") << "clientes" << int(Qt::ShiftModifier);
    QTest::newRow("customers, Ctrl") << "clientes" << int(Qt::ControlModifier);
    QTest::newRow("tares, Shift") << "taras" << int(Qt::ShiftModifier);
    QTest::newRow("operators, Ctrl") << "operarios" << int(Qt::ControlModifier);
    QTest::newRow("products, Ctrl+Shift")
        << "productos" << int(Qt::ControlModifier | Qt::ShiftModifier);
}

void tst_Mantenimiento::f4ConModificadores() {
    QFETCH(QString, tipo);
    QFETCH(int, modificador);
    EntornoPrueba env;
    env.DatosConBase();
    Datos();
    const Caso c = CasoDe(tipo);
    auto w = Abre(tipo);
    Contestador<kelBrowse> pick([&](kelBrowse* b) { QTest::keyClick(b->Grid(), Qt::Key_Escape); });
    QTest::keyClick(Caja(w.get(), c.codigo), Qt::Key_F4, Qt::KeyboardModifiers(modificador));
    QTest::qWait(50);
    QCOMPARE(pick.Veces(), 0);
    // F4 in another box does not search either.
    QTest::keyClick(Caja(w.get(), c.otras[0]), Qt::Key_F4);
    QTest::qWait(50);
    QCOMPARE(pick.Veces(), 0);
    // Plain F4 in the code box does.
    QTest::keyClick(Caja(w.get(), c.codigo), Qt::Key_F4);
    QCOMPARE(pick.Veces(), 1);
}

void tst_Mantenimiento::codigoConComilla_data() {
    QTest::addColumn<QString>("tipo");
    QTest::newRow("customers") << "clientes";
    QTest::newRow("products") << "productos";
}

void tst_Mantenimiento::codigoConComilla() {
    QFETCH(QString, tipo);
    EntornoPrueba env;
    env.DatosConBase();
    const Caso c = CasoDe(tipo);
    auto w = Abre(tipo);
    Escribe(w.get(), c.codigo, "D'AN");
    Escribe(w.get(), c.otras[0], "L'Horta");
    Pulsa(w.get(), 0);
    QCOMPARE(Filas(c.tabla).size(), 1);
    QVERIFY(Filas(c.tabla).at(0).startsWith("D'AN;L'Horta"));
    // Found again through the pick list, with the quote.
    Escribe(w.get(), c.codigo, "d'an");
    Contestador<kelBrowse> pick([&](kelBrowse* b) { QTest::keyClick(b->Grid(), Qt::Key_Return); });
    QTest::keyClick(Caja(w.get(), c.codigo), Qt::Key_F4);
    QCOMPARE(TextoDe(w.get(), c.codigo), QString("D'AN"));
    QCOMPARE(TextoDe(w.get(), c.otras[0]), QString("L'Horta"));
    Pulsa(w.get(), 1);
    QVERIFY(Filas(c.tabla).isEmpty());
}

void tst_Mantenimiento::guardarSinDatos_data() {
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QString>("nombre");
    QTest::newRow("customer, code of spaces") << "clientes"
                                              << "   "
                                              << "Nombre";
    QTest::newRow("product, empty code") << "productos"
                                         << ""
                                         << "Nombre";
    QTest::newRow("tare without name") << "taras"
                                       << "5"
                                       << "";
    QTest::newRow("tare, name of spaces") << "taras"
                                          << "5"
                                          << "  ";
    QTest::newRow("operator without name") << "operarios"
                                           << "5"
                                           << "";
}

void tst_Mantenimiento::guardarSinDatos() {
    QFETCH(QString, tipo);
    QFETCH(QString, codigo);
    QFETCH(QString, nombre);
    EntornoPrueba env;
    env.DatosConBase();
    const Caso c = CasoDe(tipo);
    auto w = Abre(tipo);
    Escribe(w.get(), c.codigo, codigo);
    Escribe(w.get(), c.otras[0], nombre);
    Pulsa(w.get(), 0);
    QVERIFY(Filas(c.tabla).isEmpty());
    // Nothing happened: the boxes are as typed.
    QCOMPARE(TextoDe(w.get(), c.codigo), codigo);
    QCOMPARE(TextoDe(w.get(), c.otras[0]), nombre);
}

void tst_Mantenimiento::borrarTaraCero() {
    EntornoPrueba env;
    env.DatosConBase();
    Datos();
    EntornoPrueba::Ejecuta("INSERT INTO Taras VALUES (0, 'Sin tara', 0)");
    auto w = Abre("taras");
    QCOMPARE(TextoDe(w.get(), "txtCampoNum0"), QString("0"));
    Pulsa(w.get(), 1);
    QCOMPARE(Filas("Taras"), QStringList({"1;Palé;20", "2;Caja;0.5", "3;Bolsa;0.01"}));
}

void tst_Mantenimiento::borrarSinCodigo() {
    EntornoPrueba env;
    env.DatosConBase();
    Datos();
    auto w = Abre("clientes");
    Escribe(w.get(), "txtCampo0", "  ");
    Escribe(w.get(), "txtCampo1", "algo");
    Pulsa(w.get(), 1);
    QCOMPARE(Filas("Clientes").size(), 3);
    QCOMPARE(TextoDe(w.get(), "txtCampo1"), QString("algo"));
}

void tst_Mantenimiento::rechazo_data() {
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<int>("opcion");
    QTest::newRow("customer save") << "clientes" << 0;
    QTest::newRow("customer delete") << "clientes" << 1;
    QTest::newRow("product save") << "productos" << 0;
    QTest::newRow("tare save") << "taras" << 0;
    QTest::newRow("operator delete") << "operarios" << 1;
}

void tst_Mantenimiento::rechazo() {
    QFETCH(QString, tipo);
    QFETCH(int, opcion);
    const Caso c = CasoDe(tipo);
    EntornoPrueba env;
    env.DatosConBase();
    Datos();
    for (const char* cuando : {"INSERT", "UPDATE", "DELETE"})
        EntornoPrueba::Ejecuta(QString("CREATE TRIGGER no_%1 BEFORE %1 ON %2 BEGIN "
                                       "SELECT RAISE(ABORT, 'tabla %2 bloqueada'); END")
                                   .arg(cuando, c.tabla));
    auto w = Abre(tipo);
    const QStringList antes = Filas(c.tabla);
    // A code in the table, so that a delete has a row to refuse.
    const QString codigo = tipo == "clientes" ? "C2" : (tipo == "productos" ? "P2" : "2");
    Escribe(w.get(), c.codigo, codigo);
    Escribe(w.get(), c.otras[0], "Lo que tecleo");
    QString mensaje, titulo;
    Contestador<QMessageBox> aviso([&](QMessageBox* m) {
        mensaje = m->text();
        titulo = m->windowTitle();
        QTest::keyClick(m, Qt::Key_Enter);
    });
    Pulsa(w.get(), opcion);
    QCOMPARE(aviso.Veces(), 1);
    QVERIFY2(mensaje.contains("tabla " + c.tabla + " bloqueada"), qPrintable(mensaje));
    QCOMPARE(titulo, w->windowTitle());
    QCOMPARE(Filas(c.tabla), antes);
    QCOMPARE(TextoDe(w.get(), c.codigo), codigo);
    QCOMPARE(TextoDe(w.get(), c.otras[0]), QString("Lo que tecleo"));
}

void tst_Mantenimiento::longitudes_data() {
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("caja");
    QTest::addColumn<int>("tamano");
    QTest::newRow("customer code") << "clientes"
                                   << "txtCampo0" << 15;
    QTest::newRow("customer name") << "clientes"
                                   << "txtCampo1" << 50;
    QTest::newRow("customer address") << "clientes"
                                      << "txtCampo3" << 50;
    QTest::newRow("product code") << "productos"
                                  << "txtCampo0" << 15;
    QTest::newRow("tare name") << "taras"
                               << "txtCampo0" << 25;
    QTest::newRow("operator name") << "operarios"
                                   << "txtCampo0" << 50;
}

void tst_Mantenimiento::longitudes() {
    QFETCH(QString, tipo);
    QFETCH(QString, caja);
    QFETCH(int, tamano);
    EntornoPrueba env;
    env.DatosConBase();
    auto w = Abre(tipo);
    const QString largo = QString("0123456789").repeated(7);
    Escribe(w.get(), caja, largo);
    QCOMPARE(TextoDe(w.get(), caja), largo.left(tamano));
}

void tst_Mantenimiento::numericas() {
    EntornoPrueba env;
    env.DatosConBase();
    auto w = Abre("taras");
    // Letters are refused; a cleared box counts as 0.
    Escribe(w.get(), "txtCampoNum0", "1a2");
    QCOMPARE(TextoDe(w.get(), "txtCampoNum0"), QString("12"));
    Escribe(w.get(), "txtCampoNum1", "x3,5kg");
    QCOMPARE(TextoDe(w.get(), "txtCampoNum1"), QString("3,5"));
    // A code holds 32 bits: the digit that would overflow is refused.
    Escribe(w.get(), "txtCampoNum0", "99999999999");
    QCOMPARE(TextoDe(w.get(), "txtCampoNum0"), QString("999999999"));
    Escribe(w.get(), "txtCampoNum0", "");
    Escribe(w.get(), "txtCampo0", "Vacia");
    Pulsa(w.get(), 0);
    QCOMPARE(Filas("Taras"), QStringList({"0;Vacia;3.5"}));
}

void tst_Mantenimiento::escapeNoCierra() {
    EntornoPrueba env;
    env.DatosConBase();
    auto w = Abre("clientes");
    Escribe(w.get(), "txtCampo1", "a medias");
    QTest::keyClick(Caja(w.get(), "txtCampo1"), Qt::Key_Escape);
    QVERIFY(w->isVisible());
    QCOMPARE(TextoDe(w.get(), "txtCampo1"), QString("a medias"));
}

void tst_Mantenimiento::cerrarGuardaPosicion() {
    EntornoPrueba env;
    env.DatosConBase();
    {
        auto w = Abre("operarios");
        w->move(200, 150);
        Pulsa(w.get(), 2);
        QVERIFY(!w->isVisible());
    }
    QVERIFY(kelNumerics::Val(kelRegistry::GetAppString("\\Pos\\frmMTOperarios", "Top")) > 0);
    auto w = Abre("operarios");
    QCOMPARE(w->pos(), QPoint(200, 150));
}

QTEST_MAIN(tst_Mantenimiento)
#include "tst_mantenimiento.moc"
