// The four maintenance windows driven as an operator would; their rules are tested on clsMaestro.
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelnumerics.h"
#include "app/kelregistry.h"
#include "contestador.h"
#include "masters/frmmtclientes.h"
#include "masters/frmmtoperarios.h"
#include "masters/frmmtproductos.h"
#include "masters/frmmttaras.h"
#include "masters/kelbrowse.h"
#include "masters/kelcajanumerica.h"
#include "support/entornoprueba.h"

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
QStringList Filas(QSqlDatabase db, const QString& tabla) {
    QSqlQuery q(db);
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
    auto* c = w->findChild<QLineEdit*>(nombre);
    if (!c)
        qFatal("no box %s", qPrintable(nombre));
    return c;
}

// Types into a box as an operator: click, select what is there, type over it.
void Escribe(QWidget* w, const QString& nombre, const QString& texto) {
    // Back from a pick list, the window is brought to the front, as the operator's click does.
    if (!w->isActiveWindow()) {
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w))
            qWarning("the window did not become active");
    }
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
    void rechazoConMensaje();
    void escapeYCerrar();
    void cajaNumerica_data();
    void cajaNumerica();
};

void TestMantenimiento::ventana_data() {
    QTest::addColumn<int>("titulo");
    QTest::addColumn<QString>("codigo"); // its box, then the other boxes
    QTest::addColumn<QStringList>("otras");
    QTest::addColumn<QString>("boton");
    QTest::addColumn<QStringList>("elegido");  // the second by name in the pick list, its values
    QTest::addColumn<QStringList>("tecleado"); // another code typed over it, its values
    QTest::addColumn<QStringList>("nuevo");    // a new code and the values typed for it
    QTest::newRow("Clientes") << int(IdTexto::MantenimientoClientes) << "txtCampo0"
                              << QStringList{"txtCampo1", "txtCampo2", "txtCampo3"}
                              << "cmdBuscaCliente"
                              << QStringList{"C3", "Bodegas Este", "Mar 3", "Valencia"}
                              << QStringList{"C2", "Almacenes Norte", "Real 2", "León"}
                              << QStringList{"C9", "Frutas Sol", "Huerta 4", "Murcia"};
    QTest::newRow("Productos") << int(IdTexto::MantenimientoProductos) << "txtCampo0"
                               << QStringList{"txtCampo1", "txtPrecio"} << "cmdBuscaProducto"
                               << QStringList{"P3", "Berenjenas", "2"}
                               << QStringList{"P2", "Aceitunas", "3.25"}
                               << QStringList{"P5", "Uvas", "2.75"};
    QTest::newRow("Taras") << int(IdTexto::MantenimientoTaras) << "txtCampoNum0"
                           << QStringList{"txtCampo0", "txtCampoNum1"} << "cmdBuscaTara"
                           << QStringList{"2", "Caja", "0.5"} << QStringList{"3", "Bolsa", "0.01"}
                           << QStringList{"9", "Cesta", "1.25"};
    QTest::newRow("Operarios") << int(IdTexto::MantenimientoOperarios) << "txtCampoNum0"
                               << QStringList{"txtCampo0"} << "cmdBuscaOperario"
                               << QStringList{"3", "Berta"} << QStringList{"2", "Ana"}
                               << QStringList{"9", "Marta"};
}

void TestMantenimiento::ventana() {
    QFETCH(int, titulo);
    QFETCH(QString, codigo);
    QFETCH(QStringList, otras);
    QFETCH(QString, boton);
    QFETCH(QStringList, elegido);
    QFETCH(QStringList, tecleado);
    QFETCH(QStringList, nuevo);
    const QString tabla = QTest::currentDataTag();
    EntornoPrueba env;
    QSqlDatabase db = env.DatosConBase().Conexion();
    Datos();
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
}

// A save the database refuses is told in a message box with the program's own button; the
// operator's typing stays.
void TestMantenimiento::rechazoConMensaje() {
    EntornoPrueba env;
    env.DatosConBase().SetIdioma(0);
    Datos();
    EntornoPrueba::Ejecuta("CREATE TRIGGER no BEFORE UPDATE ON Clientes BEGIN "
                           "SELECT RAISE(ABORT, 'tabla bloqueada'); END");
    auto w = Abre("Clientes");
    Escribe(w.get(), "txtCampo0", "C2");
    Escribe(w.get(), "txtCampo1", "Lo que tecleo");
    QString mensaje, titulo;
    QStringList botones;
    Contestador<QMessageBox> aviso([&](QMessageBox* m) {
        mensaje = m->text();
        titulo = m->windowTitle();
        for (QAbstractButton* b : m->buttons())
            botones << b->text();
        QTest::keyClick(m, Qt::Key_Enter);
    });
    QTest::mouseClick(w->cmdOpcion[0], Qt::LeftButton);
    QCOMPARE(aviso.Veces(), 1);
    QVERIFY2(mensaje.contains("tabla bloqueada"), qPrintable(mensaje));
    QCOMPARE(titulo, w->windowTitle());
    QCOMPARE(botones, QStringList{"&Aceptar"});
    QCOMPARE(Caja(w.get(), "txtCampo1")->text(), QString("Lo que tecleo"));
}

void TestMantenimiento::escapeYCerrar() {
    EntornoPrueba env;
    env.DatosConBase();
    {
        auto w = Abre("Operarios");
        w->move(200, 150);
        // Escape does not close the window nor lose what was typed; the close button does.
        Escribe(w.get(), "txtCampo0", "a medias");
        QTest::keyClick(Caja(w.get(), "txtCampo0"), Qt::Key_Escape);
        QVERIFY(w->isVisible());
        QCOMPARE(Caja(w.get(), "txtCampo0")->text(), QString("a medias"));
        QTest::mouseClick(w->cmdOpcion[2], Qt::LeftButton);
        QVERIFY(!w->isVisible());
    }
    QVERIFY(kelNumerics::Val(kelRegistry::GetAppString("\\Pos\\frmMTOperarios", "Top")) > 0);
    auto w = Abre("Operarios");
    QCOMPARE(w->pos(), QPoint(200, 150));
}

// Numeric boxes take what a number holds; what they show reads back as the same number.
void TestMantenimiento::cajaNumerica_data() {
    QTest::addColumn<bool>("entera");
    QTest::addColumn<QString>("separador");
    QTest::addColumn<QString>("tecleado");
    QTest::addColumn<QString>("visto");
    QTest::addColumn<double>("valor");
    QTest::newRow("letters refused") << true << ","
                                     << "1a2"
                                     << "12" << 12.0;
    QTest::newRow("32 bits at most") << true << ","
                                     << "99999999999"
                                     << "999999999" << 999999999.0;
    QTest::newRow("decimal comma") << false << ","
                                   << "x3,5kg"
                                   << "3,5" << 3.5;
    QTest::newRow("decimal point") << false << ","
                                   << "-0.25"
                                   << "-0.25" << -0.25;
    QTest::newRow("empty is 0") << false << "."
                                << ""
                                << "" << 0.0;
}

void TestMantenimiento::cajaNumerica() {
    QFETCH(bool, entera);
    QFETCH(QString, separador);
    QFETCH(QString, tecleado);
    QFETCH(QString, visto);
    QFETCH(double, valor);
    kelCajaNumerica caja(entera, separador);
    QCOMPARE(caja.text(), QString("0"));
    caja.clear();
    QTest::keyClicks(&caja, tecleado);
    QCOMPARE(caja.text(), visto);
    QCOMPARE(caja.Valor(), valor);
    // Shown with the separator when it is "," or ".", and read back as the same number.
    for (const QString& s : {separador, QString(", ")}) {
        kelCajaNumerica otra(false, s);
        otra.SetValor(1.5);
        QCOMPARE(otra.text(), QString(s == "," ? "1,5" : "1.5"));
        QCOMPARE(otra.Valor(), 1.5);
    }
}

QTEST_MAIN(TestMantenimiento)
#include "tst_mantenimiento.moc"
