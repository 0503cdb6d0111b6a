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
// The rows of a table as "value;value;..." texts, ordered by key.
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
        "('C2', 'Almacenes Norte', 'Real 2', 'León'), ('C3', 'Bodegas Este', 'Mar 3', 'Valencia')");
    EntornoPrueba::Ejecuta("INSERT INTO Productos VALUES ('P1', 'Peras', 1.5), "
                           "('P2', 'Aceitunas', 3.25), ('P3', 'Berenjenas', 2)");
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

QLineEdit* Caja(frmMantenimiento* w, const QString& nombre) {
    auto* c = w->findChild<QLineEdit*>(nombre);
    if (!c)
        qFatal("no box %s", qPrintable(nombre));
    return c;
}

QString TextoDe(frmMantenimiento* w, const QString& nombre) {
    return Caja(w, nombre)->text();
}

// Types into a box as an operator: click, select what is there, type over it.
void Escribe(frmMantenimiento* w, const QString& nombre, const QString& texto) {
    QLineEdit* c = Caja(w, nombre);
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

QString Foco(QWidget* ventana) {
    QWidget* f = ventana->focusWidget();
    return f ? f->objectName() : QString();
}

struct Caso {
    QString tabla, codigo; // the table it keeps and the box of its code
    QString focoBusca, focoLimpia;
    QStringList otras; // the other boxes, in field order
    QString boton;
    int titulo; // caption of its pick list
};

Caso CasoDe(const QString& tipo) {
    const auto caso = [](const char* tabla, const char* codigo, const char* focoBusca,
                         const char* focoLimpia, const char* otras, const char* boton, int titulo) {
        return Caso{tabla, codigo, focoBusca, focoLimpia, QString(otras).split(' '), boton, titulo};
    };
    if (tipo == "clientes")
        return caso("Clientes", "txtCampo0", "txtCampo0", "txtCampo0",
                    "txtCampo1 txtCampo2 txtCampo3", "cmdBuscaCliente", 233);
    if (tipo == "productos")
        return caso("Productos", "txtCampo0", "txtCampo0", "txtCampo0", "txtCampo1 txtPrecio",
                    "cmdBuscaProducto", 224);
    if (tipo == "taras")
        return caso("Taras", "txtCampoNum0", "txtCampo0", "txtCampoNum0", "txtCampo0 txtCampoNum1",
                    "cmdBuscaTara", 223);
    return caso("Operarios", "txtCampoNum0", "txtCampo0", "txtCampoNum0", "txtCampo0",
                "cmdBuscaOperario", 232);
}

void Tipos() {
    QTest::addColumn<QString>("tipo");
}
} // namespace

class tst_Mantenimiento : public QObject {
    Q_OBJECT
private slots:
    void textos_data();
    void textos();
    void creaCambiaBorra_data();
    void creaCambiaBorra();
    void buscaYElige_data();
    void buscaYElige();
    void codigoConComilla_data();
    void codigoConComilla();
    void sinDatosNoHaceNada_data();
    void sinDatosNoHaceNada();
    void rechazo_data();
    void rechazo();
    void numericas();
    void escapeYCerrar();
};

void tst_Mantenimiento::textos_data() {
    Tipos();
    QTest::addColumn<int>("caption");
    QTest::addColumn<QList<int>>("etiquetas");
    QTest::addColumn<QString>("caja"); // takes no more characters than its column holds
    QTest::addColumn<int>("tamano");
    QTest::newRow("customers") << "clientes" << 218 << QList<int>{219, 213, 220}
                               << QString("txtCampo0") << 15;
    QTest::newRow("products") << "productos" << 216 << QList<int>{215, 213, 249}
                              << QString("txtCampo1") << 50;
    QTest::newRow("tares") << "taras" << 212 << QList<int>{213, 214, 215} << QString("txtCampo0")
                           << 25;
    QTest::newRow("operators") << "operarios" << 217 << QList<int>{215, 213} << QString("txtCampo0")
                               << 50;
}

void tst_Mantenimiento::textos() {
    QFETCH(QString, tipo);
    QFETCH(int, caption);
    QFETCH(QList<int>, etiquetas);
    QFETCH(QString, caja);
    QFETCH(int, tamano);
    EntornoPrueba env;
    env.DatosConBase();
    auto w = Abre(tipo);
    QCOMPARE(w->windowTitle(), Texto(caption));
    QCOMPARE(w->lbl.size(), etiquetas.size());
    for (int i = 0; i < etiquetas.size(); ++i)
        QCOMPARE(w->lbl[i]->text(), Texto(etiquetas[i]));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(w->cmdOpcion[i]->text(), Texto(178 + i));
    QCOMPARE(Foco(w.get()), CasoDe(tipo).codigo);
    const QString largo = QString("0123456789").repeated(7);
    Escribe(w.get(), caja, largo);
    QCOMPARE(TextoDe(w.get(), caja), largo.left(tamano));
}

void tst_Mantenimiento::creaCambiaBorra_data() {
    Tipos();
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QStringList>("primero");
    QTest::addColumn<QStringList>("segundo");
    QTest::addColumn<QString>("fila1");
    QTest::addColumn<QString>("fila2");
    QTest::addColumn<Motor>("motor");
    const auto fila = [](const char* n, const char* tipo, const char* codigo, QStringList primero,
                         QStringList segundo, const char* fila1, const char* fila2) {
        for (Motor m : EntornoPrueba::kMotores)
            QTest::addRow("%s: %s", qPrintable(EntornoPrueba::Nombre(m)), n)
                << QString(tipo) << QString(codigo) << primero << segundo << QString(fila1)
                << QString(fila2) << m;
    };
    // A text code is kept as typed, spaces and all.
    fila("customer", "clientes", " C9", {"Frutas Sol", "Huerta 4", "Murcia"},
         {"Frutas Luna", "", "Murcia"}, " C9;Frutas Sol;Huerta 4;Murcia",
         " C9;Frutas Luna;;Murcia");
    fila("product", "productos", "P9", {"Uvas", "2,75"}, {"Uvas negras", "3.5"}, "P9;Uvas;2.75",
         "P9;Uvas negras;3.5");
    fila("tare", "taras", "9", {"Cesta", "1,25"}, {"Cesta grande", "2"}, "9;Cesta;1.25",
         "9;Cesta grande;2");
    fila("operator", "operarios", "9", {"Marta"}, {"Marta G."}, "9;Marta", "9;Marta G.");
}

void tst_Mantenimiento::creaCambiaBorra() {
    QFETCH(QString, tipo);
    QFETCH(QString, codigo);
    QFETCH(QStringList, primero);
    QFETCH(QStringList, segundo);
    QFETCH(QString, fila1);
    QFETCH(QString, fila2);
    QFETCH(Motor, motor);
    PESIX_REQUIERE(motor);
    EntornoPrueba env(motor);
    env.DatosConBase();
    Datos();
    const Caso c = CasoDe(tipo);
    auto w = Abre(tipo);
    const QStringList antes = Filas(c.tabla);
    const auto con = [&](const QString& fila) {
        QStringList filas = antes + QStringList{fila};
        filas.sort();
        return filas;
    };
    const auto graba = [&](const QStringList& valores) {
        Escribe(w.get(), c.codigo, codigo);
        for (int i = 0; i < valores.size(); ++i)
            Escribe(w.get(), c.otras[i], valores[i]);
        Pulsa(w.get(), 0);
    };
    // Cleared: text boxes empty, numeric boxes 0, focus where a record starts.
    const auto limpia = [&] {
        QCOMPARE(Foco(w.get()), c.focoLimpia);
        for (const QString& caja : QStringList{c.codigo} + c.otras) {
            const bool numerica = qobject_cast<kelCajaNumerica*>(Caja(w.get(), caja));
            QCOMPARE(TextoDe(w.get(), caja), numerica ? QString("0") : QString());
        }
    };
    graba(primero);
    QCOMPARE(Filas(c.tabla), con(fila1));
    limpia();
    // The same code again changes the record and keeps its code.
    graba(segundo);
    QCOMPARE(Filas(c.tabla), con(fila2));

    // Deleted at once, even a customer that delivery notes name.
    EntornoPrueba::Ejecuta(
        "INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, CodCliente, NomCliente, "
        "FechaModificacion, Impreso) VALUES ('1', '2026-05-04', ?, 'X', '2026-05-04 10:00:00', "
        "false)",
        {codigo});
    Escribe(w.get(), c.codigo, codigo);
    Pulsa(w.get(), 1);
    QCOMPARE(Filas(c.tabla), antes);
    limpia();
}

void tst_Mantenimiento::buscaYElige_data() {
    Tipos();
    QTest::addColumn<QString>("tecleado");
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QStringList>("valores");
    QTest::addColumn<QString>("nuevo");
    const auto fila = [](const char* tipo, const char* tecleado, const char* codigo,
                         QStringList valores, const char* nuevo) {
        QTest::newRow(tipo) << QString(tipo) << QString(tecleado) << QString(codigo) << valores
                            << QString(nuevo);
    };
    // The pick lists are ordered by name: the second row is the code below.
    fila("clientes", "c1", "C3", {"Bodegas Este", "Mar 3", "Valencia"}, "NUEVO");
    fila("productos", "P1", "P3", {"Berenjenas", "2"}, "NUEVO");
    fila("taras", "1", "2", {"Caja", "0.5"}, "44");
    fila("operarios", "1", "3", {"Berta"}, "44");
}

void tst_Mantenimiento::buscaYElige() {
    QFETCH(QString, tipo);
    QFETCH(QString, tecleado);
    QFETCH(QString, codigo);
    QFETCH(QStringList, valores);
    QFETCH(QString, nuevo);
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
    // F4 with Shift or Ctrl, or in another box, does not search.
    QTest::keyClick(Caja(w.get(), c.codigo), Qt::Key_F4, Qt::ShiftModifier);
    QTest::keyClick(Caja(w.get(), c.codigo), Qt::Key_F4, Qt::ControlModifier);
    QTest::keyClick(Caja(w.get(), c.otras[0]), Qt::Key_F4);
    QTest::qWait(50);
    QCOMPARE(pick.Veces(), 0);
    QTest::keyClick(Caja(w.get(), c.codigo), Qt::Key_F4);
    QCOMPARE(pick.Veces(), 1);
    QCOMPARE(titulo, Texto(c.titulo));
    QCOMPARE(TextoDe(w.get(), c.codigo), codigo);
    for (int i = 0; i < valores.size(); ++i)
        QCOMPARE(TextoDe(w.get(), c.otras[i]).replace(',', '.'), valores[i]);
    QCOMPARE(Foco(w.get()), c.focoBusca);

    // The search button opens the list on the code in the box (letter case aside) and returns
    // it as stored.
    QString defecto;
    pick.Responde([&](kelBrowse* b) {
        defecto = b->Modelo()->data(b->Grid()->currentIndex().siblingAtColumn(0)).toString();
        QTest::keyClick(b->Grid(), Qt::Key_Return);
    });
    Escribe(w.get(), c.codigo, tecleado);
    QTest::mouseClick(w->findChild<QPushButton*>(c.boton), Qt::LeftButton);
    QCOMPARE(pick.Veces(), 2);
    QCOMPARE(defecto, tecleado.toUpper());
    QCOMPARE(TextoDe(w.get(), c.codigo), defecto);

    // Cancelling keeps the code and refills the boxes from it; a new code empties them.
    pick.Responde([](kelBrowse* b) {
        QTest::keyClick(b->Grid(), Qt::Key_Down);
        QTest::keyClick(b->Grid(), Qt::Key_Escape);
    });
    for (const QString& cod : {codigo, nuevo}) {
        Escribe(w.get(), c.codigo, cod);
        Escribe(w.get(), c.otras[0], "tecleado");
        QTest::keyClick(Caja(w.get(), c.codigo), Qt::Key_F4);
        QCOMPARE(TextoDe(w.get(), c.codigo), cod);
        for (int i = 0; i < valores.size(); ++i) {
            const bool numerica = qobject_cast<kelCajaNumerica*>(Caja(w.get(), c.otras[i]));
            const QString vacio = numerica ? "0" : "";
            QCOMPARE(TextoDe(w.get(), c.otras[i]).replace(',', '.'),
                     cod == codigo ? valores[i] : vacio);
        }
    }
    QCOMPARE(pick.Veces(), 4);
}

void tst_Mantenimiento::codigoConComilla_data() {
    Tipos();
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

void tst_Mantenimiento::sinDatosNoHaceNada_data() {
    Tipos();
    QTest::addColumn<QString>("codigo");
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<int>("opcion");
    const auto fila = [](const char* n, const char* tipo, const char* codigo, const char* nombre,
                         int opcion) {
        QTest::newRow(n) << QString(tipo) << QString(codigo) << QString(nombre) << opcion;
    };
    fila("save customer, code of spaces", "clientes", "   ", "Nombre", 0);
    fila("delete customer, code of spaces", "clientes", "  ", "algo", 1);
    fila("save product, empty code", "productos", "", "Nombre", 0);
    fila("delete product, empty code", "productos", "", "algo", 1);
    fila("save tare without name", "taras", "5", "", 0);
    fila("save operator, name of spaces", "operarios", "5", "  ", 0);
}

void tst_Mantenimiento::sinDatosNoHaceNada() {
    QFETCH(QString, tipo);
    QFETCH(QString, codigo);
    QFETCH(QString, nombre);
    QFETCH(int, opcion);
    EntornoPrueba env;
    env.DatosConBase();
    Datos();
    const Caso c = CasoDe(tipo);
    auto w = Abre(tipo);
    const QStringList antes = Filas(c.tabla);
    Escribe(w.get(), c.codigo, codigo);
    Escribe(w.get(), c.otras[0], nombre);
    Pulsa(w.get(), opcion);
    QCOMPARE(Filas(c.tabla), antes);
    // Nothing happened: the boxes are as typed.
    QCOMPARE(TextoDe(w.get(), c.codigo), codigo);
    QCOMPARE(TextoDe(w.get(), c.otras[0]), nombre);
}

void tst_Mantenimiento::rechazo_data() {
    Tipos();
    QTest::addColumn<int>("opcion");
    QTest::newRow("customer save") << "clientes" << 0;
    QTest::newRow("customer delete") << "clientes" << 1;
    QTest::newRow("tare save") << "taras" << 0;
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
    const QString codigo = tipo == "clientes" ? "C2" : "2";
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

void tst_Mantenimiento::numericas() {
    EntornoPrueba env;
    env.DatosConBase();
    Datos();
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
    const QStringList otras{"1;Palé;20", "2;Caja;0.5", "3;Bolsa;0.01"};
    QCOMPARE(Filas("Taras"), QStringList{"0;Vacia;3.5"} + otras);
    // Delete with the cleared code box deletes tare 0.
    QCOMPARE(TextoDe(w.get(), "txtCampoNum0"), QString("0"));
    Pulsa(w.get(), 1);
    QCOMPARE(Filas("Taras"), otras);
}

void tst_Mantenimiento::escapeYCerrar() {
    EntornoPrueba env;
    env.DatosConBase();
    {
        auto w = Abre("operarios");
        w->move(200, 150);
        // Escape does not close the window nor lose what was typed; the close button does.
        Escribe(w.get(), "txtCampo0", "a medias");
        QTest::keyClick(Caja(w.get(), "txtCampo0"), Qt::Key_Escape);
        QVERIFY(w->isVisible());
        QCOMPARE(TextoDe(w.get(), "txtCampo0"), QString("a medias"));
        Pulsa(w.get(), 2);
        QVERIFY(!w->isVisible());
    }
    QVERIFY(kelNumerics::Val(kelRegistry::GetAppString("\\Pos\\frmMTOperarios", "Top")) > 0);
    auto w = Abre("operarios");
    QCOMPARE(w->pos(), QPoint(200, 150));
}

QTEST_MAIN(tst_Mantenimiento)
#include "tst_mantenimiento.moc"
