// Typing a note in the main window as an operator does: the keys that run an action from inside a
// field or a cell type nothing, nor does Alt with a letter that marks nothing, a code chosen in a
// pick list moves on as a typed one does, keys typed at once after a click land in the cell
// clicked, a long customer name shows from its start, the totals under the grid follow the
// lines, leaving the number field on a stored note's number shows that note, and saving
// refuses a note without number and asks once about negative nets.
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelregistry.h"
#include "export/frmlstalbaran.h"
#include "masters/contestador.h"
#include "masters/datosprueba.h"
#include "masters/kelbrowse.h"
#include "notes/frmmain.h"
#include "notes/modelolineasalbaran.h"
#include "notes/rejillalineas.h"
#include "support/controles.h"
#include "support/entornoprueba.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

namespace {
// The window on a database holding product P1 (Peras, 1.20) and container 1 (Caja, 0.250), with
// the decimal comma and the unit "Kg".
struct Ventana {
    EntornoPrueba env;
    clsDatosApp& datos;
    std::unique_ptr<frmMain> w;
    RejillaLineas* grid = nullptr;
    ModeloLineasAlbaran* modelo = nullptr;

    static EntornoPrueba& ConComa(EntornoPrueba& e) {
        kelRegistry::SaveAppString("\\Internacional", "sDecimal", ",");
        return e;
    }
    explicit Ventana(bool numeracion = true) : datos(ConComa(env).DatosConBase()) {
        datos.SetNumeracionAutomatica(numeracion);
        datos.SetUnidadMedida("Kg");
        EntornoPrueba::Ejecuta("INSERT INTO Productos VALUES ('P1', 'Peras', 1.2)");
        EntornoPrueba::Ejecuta("INSERT INTO Taras VALUES (1, 'Caja', 0.25)");
        w = std::make_unique<frmMain>();
        w->show();
        grid = Controles::Busca<RejillaLineas>(*w, "gridAlbaran");
        modelo = grid->Modelo();
    }
    QLineEdit* Caja(const QString& nombre) const { return Controles::Busca<QLineEdit>(*w, nombre); }
    // Keys go where the focus is; the offscreen platform gives no activation back by itself.
    QWidget* Foco() const {
        if (!QApplication::activeWindow()) {
            w->activateWindow();
            if (!QTest::qWaitForWindowActive(w.get()))
                return w.get();
        }
        return QApplication::focusWidget();
    }
    void Tecla(int tecla, Qt::KeyboardModifiers mods = Qt::NoModifier) const {
        QTest::keyClick(Foco(), Qt::Key(tecla), mods);
        QTest::qWait(10);
    }
    void Teclea(const QString& texto) const {
        for (QChar c : texto)
            QTest::keyClick(Foco(), c.toLatin1());
        QTest::qWait(10);
    }
    int Filas(const QString& tabla) const { return int(::Filas(datos.Conexion(), tabla).size()); }
};
} // namespace

class TestEntradaMain : public QObject {
    Q_OBJECT
private slots:
    void teclasCabecera_data() {
        QTest::addColumn<QString>("campo");
        QTest::addColumn<int>("tecla");
        QTest::addColumn<int>("mods");
        QTest::addColumn<QString>("tabla");  // the master table that gets the record
        QTest::addColumn<QString>("guarda"); // its rows afterwards; empty: a look-up opened
        QTest::addColumn<bool>("altAntes");  // Alt let go before the other key
        const int alt = Qt::AltModifier | Qt::KeypadModifier;
        QTest::newRow("operario, Alt +") << "txtOperario" << int(Qt::Key_Plus) << alt << "Operarios"
                                         << "1;Ana Roca" << false;
        QTest::newRow("operario, Alt soltado antes")
            << "txtOperario" << int(Qt::Key_Plus) << alt << "Operarios"
            << "1;Ana Roca" << true;
        QTest::newRow("código de cliente, Alt +")
            << "txtCliente0" << int(Qt::Key_Plus) << alt << "Clientes"
            << "C9;Bar Sol;Pl. Major 1;" << false;
        QTest::newRow("dirección de cliente, Alt +")
            << "txtCliente2" << int(Qt::Key_Plus) << alt << "Clientes"
            << "C9;Bar Sol;Pl. Major 1;" << true;
        QTest::newRow("operario, F4") << "txtOperario" << int(Qt::Key_F4) << 0 << "Operarios"
                                      << "" << false;
    }
    // The record is stored exactly as typed, and the key leaves the fields as they were.
    void teclasCabecera() {
        QFETCH(QString, campo);
        QFETCH(int, tecla);
        QFETCH(int, mods);
        QFETCH(QString, tabla);
        QFETCH(QString, guarda);
        QFETCH(bool, altAntes);
        Ventana v;
        QVERIFY(QTest::qWaitForWindowActive(v.w.get()));
        const QStringList nombres{"txtOperario", "txtCliente0", "txtCliente1", "txtCliente2"};
        const QStringList textos{"Ana Roca", "C9", "Bar Sol", "Pl. Major 1"};
        for (int i = 0; i < nombres.size(); ++i) {
            v.Caja(nombres[i])->setFocus();
            QTest::qWait(10); // the field's text is selected as it takes the focus
            v.Teclea(textos[i]);
        }
        v.Caja(campo)->setFocus();
        QTest::qWait(10);
        QTest::keyClick(v.Caja(campo), Qt::Key_End);
        Contestador<kelBrowse> lista([](kelBrowse* b) { b->reject(); });
        if (altAntes) {
            QTest::keyPress(v.Caja(campo), Qt::Key(tecla), Qt::KeyboardModifiers(mods));
            QTest::keyRelease(v.Caja(campo), Qt::Key_Alt, Qt::KeypadModifier);
            QTest::keyRelease(v.Caja(campo), Qt::Key(tecla), Qt::KeypadModifier);
            QTest::qWait(10);
        } else {
            v.Tecla(tecla, Qt::KeyboardModifiers(mods));
        }
        for (int i = 0; i < nombres.size(); ++i)
            QCOMPARE(v.Caja(nombres[i])->text(), textos[i]);
        QCOMPARE(lista.Veces(), guarda.isEmpty() ? 1 : 0);
        QCOMPARE(::Filas(v.datos.Conexion(), tabla),
                 guarda.isEmpty() ? QStringList() : QStringList{guarda});
    }

    void teclasCelda_data() {
        QTest::addColumn<int>("columna");
        QTest::addColumn<QString>("texto"); // typed into the cell before the key
        QTest::addColumn<int>("tecla");
        QTest::addColumn<int>("listas"); // pick lists opened
        QTest::addColumn<QString>("queda");
        QTest::newRow("* en el código") << 1 << "P1" << int(Qt::Key_Asterisk) << 1 << "P1";
        QTest::newRow("F12 en el código") << 1 << "P1" << int(Qt::Key_F12) << 1 << "P1";
        QTest::newRow("* en la tara") << 3 << "1" << int(Qt::Key_Asterisk) << 1 << "1";
        QTest::newRow("* en el bruto") << 4 << "3" << int(Qt::Key_Asterisk) << 0 << "12,500";
        QTest::newRow("F12 en el neto") << 6 << "3" << int(Qt::Key_F12) << 0 << "12,500";
        QTest::newRow("* en el nombre se escribe")
            << 2 << "Pera" << int(Qt::Key_Asterisk) << 0 << "Pera*";
    }
    // "*" and F12 inside a cell's box run the column's button; the key itself is not typed.
    void teclasCelda() {
        QFETCH(int, columna);
        QFETCH(QString, texto);
        QFETCH(int, tecla);
        QFETCH(int, listas);
        QFETCH(QString, queda);
        Ventana v;
        QVERIFY(QTest::qWaitForWindowActive(v.w.get()));
        // A stable reading from a scale that streams; the label's text is not what a line takes.
        v.datos.SetPesoContinuo(true);
        Lectura l;
        l.hayPeso = true;
        l.peso = 12.5;
        l.estado = Lectura::Estado::Estable;
        l.recibida = QDateTime::currentDateTime();
        emit v.w->Bascula().LecturaRecibida(l);
        Controles::Busca<QLabel>(*v.w, "lblLectura")->setText("99.000");
        v.grid->setFocus();
        v.grid->setCurrentIndex(v.modelo->index(0, columna - 1));
        Contestador<kelBrowse> lista([](kelBrowse* b) { b->reject(); });
        v.Teclea(texto);
        QVERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget())); // the cell's box
        if (tecla == Qt::Key_Asterisk)
            v.Teclea("*");
        else
            v.Tecla(tecla);
        QTRY_COMPARE(lista.Veces(), listas);
        v.grid->Confirma();
        QCOMPARE(v.modelo->Celda(0, columna), queda);
    }

    void altLetra_data() {
        QTest::addColumn<int>("idioma");
        QTest::addColumn<QString>("campo"); // empty: the product code's cell box
        QTest::addColumn<int>("tecla");
        QTest::addColumn<int>("listados"); // listing windows opened
        QTest::newRow("número, Alt+Z de nada") << 0 << "txtNumAlbaran" << int(Qt::Key_Z) << 0;
        QTest::newRow("operario, Alt+I de nada en inglés")
            << 4000 << "txtOperario" << int(Qt::Key_I) << 0;
        QTest::newRow("celda, Alt+Z de nada") << 0 << "" << int(Qt::Key_Z) << 0;
        QTest::newRow("número, Alt+I imprime") << 0 << "txtNumAlbaran" << int(Qt::Key_I) << 1;
    }
    // Alt with a letter runs the button or menu that letter marks, and types nothing when none
    // is marked with it.
    void altLetra() {
        QFETCH(int, idioma);
        QFETCH(QString, campo);
        QFETCH(int, tecla);
        QFETCH(int, listados);
        Ventana v;
        v.datos.SetIdioma(idioma);
        v.w = std::make_unique<frmMain>(); // in that language
        v.w->show();
        QVERIFY(QTest::qWaitForWindowActive(v.w.get()));
        v.grid = Controles::Busca<RejillaLineas>(*v.w, "gridAlbaran");
        v.modelo = v.grid->Modelo();
        if (campo.isEmpty()) {
            v.grid->setFocus();
            v.grid->setCurrentIndex(v.modelo->index(0, 0));
        } else {
            v.Caja(campo)->setFocus();
        }
        QTest::qWait(10);
        v.Teclea("P1");
        QLineEdit* caja = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(caja);
        Contestador<frmLSTAlbaran> listado([](frmLSTAlbaran* l) { l->reject(); });
        v.Tecla(tecla, Qt::AltModifier);
        QTRY_COMPARE(listado.Veces(), listados);
        if (listados == 0)
            QCOMPARE(caja->text(), "P1");
    }

    // When a message or a window opened from the main window closes, the keyboard is the main
    // window's again, also where nothing gives it the activation back: Alt with a letter works
    // at once, as after a message when the number was missing and after the listing.
    void activaTrasCerrar() {
        Ventana v(false);
        QVERIFY(QTest::qWaitForWindowActive(v.w.get()));
        QLineEdit* numero = v.Caja("txtNumAlbaran");
        numero->setFocus();
        Contestador<QMessageBox> caja([](QMessageBox* c) { c->reject(); });
        QTest::keyClick(numero, Qt::Key_S, Qt::ControlModifier);
        QTRY_COMPARE(caja.Veces(), 1);
        QTRY_COMPARE(QApplication::activeWindow(), v.w.get());
        Contestador<frmLSTAlbaran> listado([](frmLSTAlbaran* l) { l->reject(); });
        QTest::keyClick(numero, Qt::Key_I, Qt::AltModifier);
        QTRY_COMPARE(listado.Veces(), 1);
        QTRY_COMPARE(QApplication::activeWindow(), v.w.get());
        QTest::keyClick(numero, Qt::Key_I, Qt::AltModifier);
        QTRY_COMPARE(listado.Veces(), 2);
    }

    void nombreLargo_data() {
        QTest::addColumn<bool>("eligiendo"); // the customer chosen in the pick list
        QTest::addColumn<int>("ancho");      // of the window; 0 for its first size
        QTest::newRow("albarán abierto") << false << 0;
        QTest::newRow("cliente elegido") << true << 0;
        QTest::newRow("ventana ancha, albarán abierto") << false << 1356;
    }
    // A customer's name and address wider than their fields show from their first letter; a
    // window as wide as the usual screen has room for the whole name.
    void nombreLargo() {
        QFETCH(bool, eligiendo);
        QFETCH(int, ancho);
        Ventana v;
        const QString nombre = "Cooperativa Agrícola Ramadera de l'Alt Empordà i R";
        const QString direccion = "Avinguda de la Generalitat de Catalunya, 123, 4t 2";
        EntornoPrueba::Ejecuta("INSERT INTO Clientes VALUES ('C1', ?, ?, ?)",
                               {nombre, direccion, direccion});
        EntornoPrueba::Ejecuta("INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, "
                               "CodCliente, NomCliente, Direccion1, Direccion2, FechaModificacion, "
                               "Impreso) VALUES ('7', ?, 'Ana', 'C1', ?, ?, "
                               "?, '2026-12-07 11:58:02', 0)",
                               {QDate::currentDate(), nombre, direccion, direccion});
        if (ancho > 0) {
            v.w->resize(ancho, 700);
            QTRY_COMPARE(v.w->width(), ancho);
        }
        QVERIFY(QTest::qWaitForWindowActive(v.w.get()));
        Contestador<kelBrowse> lista(
            [](kelBrowse* b) { QTest::keyClick(b->Grid(), Qt::Key_Return); });
        if (eligiendo) {
            v.Caja("txtCliente0")->setFocus();
            QTest::qWait(10);
            v.Tecla(Qt::Key_F4);
            QTRY_COMPARE(lista.Veces(), 1);
        } else {
            v.Caja("txtNumAlbaran")->setFocus();
            QTest::qWait(10);
            v.Teclea("7");
            v.Tecla(Qt::Key_Tab);
        }
        QTRY_COMPARE(v.Caja("txtCliente1")->text(), nombre);
        QLineEdit* nombreCaja = v.Caja("txtCliente1");
        const int sitio = nombreCaja->width() - 12; // the box's frame and margins aside
        QCOMPARE(nombreCaja->fontMetrics().horizontalAdvance(nombre) <= sitio, ancho > 0);
        for (const char* campo : {"txtCliente1", "txtCliente2", "txtCliente3"})
            QVERIFY2(v.Caja(campo)->cursorPosition() == 0, campo);
    }

    void eligeYAvanza_data() {
        QTest::addColumn<int>("columna");
        QTest::addColumn<QString>("codigo");
        QTest::addColumn<bool>("lista");  // chosen in the pick list, or typed and Enter
        QTest::addColumn<int>("despues"); // the current column afterwards
        QTest::newRow("producto tecleado") << 1 << "P1" << false << 2;
        QTest::newRow("producto elegido") << 1 << "P1" << true << 2;
        QTest::newRow("tara tecleada") << 3 << "1" << false << 4;
        QTest::newRow("tara elegida") << 3 << "1" << true << 4;
        // Nothing chosen on an empty cell: nothing to move on from.
        QTest::newRow("lista cancelada en blanco") << 1 << "" << true << 1;
    }
    // A code chosen in the pick list leaves the cursor where a typed code does.
    void eligeYAvanza() {
        QFETCH(int, columna);
        QFETCH(QString, codigo);
        QFETCH(bool, lista);
        QFETCH(int, despues);
        Ventana v;
        QVERIFY(QTest::qWaitForWindowActive(v.w.get()));
        v.grid->setFocus();
        v.grid->setCurrentIndex(v.modelo->index(0, columna - 1));
        Contestador<kelBrowse> elige([&](kelBrowse* b) {
            if (codigo.isEmpty())
                return b->reject();
            QTest::keyClick(b->Grid(), Qt::Key_Return);
        });
        if (lista) {
            v.Teclea("*");
            QTRY_COMPARE(elige.Veces(), 1);
        } else {
            v.Teclea(codigo);
            v.Tecla(Qt::Key_Return);
        }
        QTRY_COMPARE(v.grid->currentIndex(), v.modelo->index(0, despues - 1));
        QCOMPARE(v.modelo->Celda(0, columna), codigo);
        QCOMPARE(QApplication::focusWidget() == v.grid, true);
    }

    void clicYTeclas_data() {
        QTest::addColumn<QString>("numero"); // left in the number field by the click
        QTest::addColumn<int>("columna");    // of the cell clicked, on the new row
        QTest::newRow("nota guardada, celda actual") << "7" << 1;
        QTest::newRow("nota guardada, otra celda") << "7" << 3;
        QTest::newRow("número nuevo, celda actual") << "8" << 1;
        QTest::newRow("número nuevo, otra celda") << "8" << 3;
    }
    // A click into the grid and keys at once, while the number field that was left looks its
    // note up: every key lands in the cell clicked.
    void clicYTeclas() {
        QFETCH(QString, numero);
        QFETCH(int, columna);
        Ventana v;
        QVERIFY(QTest::qWaitForWindowActive(v.w.get()));
        EntornoPrueba::Ejecuta("INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, "
                               "CodCliente, NomCliente, Direccion1, Direccion2, FechaModificacion, "
                               "Impreso) VALUES ('7', ?, 'Ana', '', '', "
                               "'', '', '2026-01-01 00:00:00', ?)",
                               {QDate::currentDate().toString("yyyy-MM-dd"), false});
        EntornoPrueba::Ejecuta("INSERT INTO AlbaranesDetalle VALUES ('7', ?, 1, 'P1', 'Peras', "
                               "1, 12.5, 0.25, 12.25, 1.2, 14.7, '10:00:00-01/01/2026', NULL)",
                               {QDate::currentDate().toString("yyyy-MM-dd")});
        // As after a new note: the grid's current cell is the first of the new row.
        v.grid->setCurrentIndex(v.modelo->index(0, 0));
        QLineEdit* caja = v.Caja("txtNumAlbaran");
        caja->setFocus();
        QTest::qWait(10);
        v.Teclea(numero);
        const QRect celda = v.grid->visualRect(v.modelo->index(0, columna - 1));
        Contestador<QMessageBox> cajas([](QMessageBox* c) { c->reject(); });
        QTest::mouseClick(v.grid->viewport(), Qt::LeftButton, {}, celda.center());
        for (char c : QByteArray("15"))
            QTest::keyClick(QApplication::focusWidget(), c);
        QTest::qWait(QApplication::doubleClickInterval() + 100);
        v.grid->Confirma();
        QCOMPARE(cajas.Veces(), 0);
        QCOMPARE(caja->text(), numero);
        QCOMPARE(v.modelo->Celda(0, columna), QString("15"));
        QCOMPARE(v.modelo->Lineas().Count(), 1);
        // The saved note is the one shown.
        QCOMPARE(v.modelo->Celda(0, 2), QString(numero == "7" && columna != 1 ? "Peras" : ""));
    }

    void dejaNumero_data() {
        QTest::addColumn<QString>("numero"); // typed in the number field, then Tab
        QTest::addColumn<bool>("cambiada");  // a line typed in the note shown before
        QTest::addColumn<int>("respuesta");  // to "save the changes?"; 0: nothing asked
        QTest::addColumn<bool>("cargada");   // note 7 shown afterwards
        QTest::newRow("nota guardada") << "7" << false << 0 << true;
        QTest::newRow("número nuevo") << "8" << false << 0 << false;
        QTest::newRow("cambios descartados") << "7" << true << int(IdTexto::No) << true;
        QTest::newRow("cambios conservados") << "7" << true << int(IdTexto::Cancelar) << false;
    }
    // Leaving the number field on a stored note's number shows that note, once the changes to
    // the one shown have been dealt with; a number of no note keeps what is shown.
    void dejaNumero() {
        QFETCH(QString, numero);
        QFETCH(bool, cambiada);
        QFETCH(int, respuesta);
        QFETCH(bool, cargada);
        Ventana v;
        QVERIFY(QTest::qWaitForWindowActive(v.w.get()));
        const QString hoy = QDate::currentDate().toString("yyyy-MM-dd");
        EntornoPrueba::Ejecuta("INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, "
                               "CodCliente, NomCliente, Direccion1, Direccion2, FechaModificacion, "
                               "Impreso) VALUES ('7', ?, 'Ana', '', '', "
                               "'', '', '2026-01-01 00:00:00', ?)",
                               {hoy, false});
        EntornoPrueba::Ejecuta("INSERT INTO AlbaranesDetalle VALUES ('7', ?, 1, 'P1', 'Peras', "
                               "1, 12.5, 0.25, 12.25, 1.2, 14.7, '10:00:00-01/01/2026', NULL)",
                               {hoy});
        QLineEdit* caja = v.Caja("txtNumAlbaran");
        const QString antes = caja->text();
        if (cambiada) {
            v.grid->setFocus();
            v.grid->setCurrentIndex(v.modelo->index(0, 0));
            v.Teclea("P9");
            v.grid->Confirma();
        }
        Contestador<QMessageBox> cajas([&](QMessageBox* c) {
            for (QAbstractButton* b : c->buttons())
                if (b->text() == Texto(respuesta))
                    return b->click();
        });
        caja->setFocus();
        QTest::qWait(10);
        v.Teclea(numero);
        v.Tecla(Qt::Key_Tab);
        QTRY_COMPARE(cajas.Veces(), respuesta ? 1 : 0);
        QTest::qWait(50);
        QCOMPARE(caja->text(), cargada ? "7" : cambiada ? antes : numero);
        QCOMPARE(v.Caja("txtOperario")->text(), QString(cargada ? "Ana" : ""));
        QCOMPARE(v.modelo->Lineas().Count(), cargada || cambiada ? 1 : 0);
        QCOMPARE(v.modelo->Celda(0, 1), QString(cargada ? "P1" : cambiada ? "P9" : ""));
        QCOMPARE(v.w->Modificado(), !cargada && cambiada);
    }

    void sinNumero_data() {
        QTest::addColumn<QString>("numero");
        QTest::newRow("vacío") << "";
        QTest::newRow("solo espacios") << "   ";
    }
    // Without a number nothing is saved, and the operator is told why in the interface language.
    void sinNumero() {
        QFETCH(QString, numero);
        Ventana v(false);
        QVERIFY(QTest::qWaitForWindowActive(v.w.get()));
        v.Tecla(Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(v.Caja("txtNumAlbaran")->text(), QString());
        v.Caja("txtNumAlbaran")->setText(numero);
        v.Teclea("P1");
        QStringList mensajes;
        Contestador<QMessageBox> cajas([&](QMessageBox* c) {
            mensajes << c->text();
            c->reject();
        });
        v.Tecla(Qt::Key_S, Qt::ControlModifier);
        QTRY_COMPARE(mensajes, QStringList{Texto(IdTexto::AlbaranSinNumero)});
        QCOMPARE(v.Filas("AlbaranesCabeceras"), 0);
        QCOMPARE(v.Filas("AlbaranesDetalle"), 0);
        QVERIFY(v.w->Modificado());
    }

    void netoNegativo_data() {
        QTest::addColumn<bool>("si");
        QTest::newRow("guardar así") << true;
        QTest::newRow("no guardar") << false;
    }
    // Two lines of negative net: one question; No writes nothing.
    void netoNegativo() {
        QFETCH(bool, si);
        Ventana v;
        QVERIFY(QTest::qWaitForWindowActive(v.w.get()));
        v.Caja("txtNumAlbaran")->setText("5");
        LineasAlbaran lineas;
        lineas.Add({"P1", "Peras", "", "10,000", "15,000", "-5,000", "1,20", "-6,00", ""});
        lineas.Add({"P1", "Peras", "", "20,000", "5,000", "15,000", "1,20", "18,00", ""});
        lineas.Add({"P1", "Peras", "", "1,000", "2,000", "-1,000", "", "", ""});
        v.modelo->SetLineas(lineas);
        QStringList preguntas;
        Contestador<QMessageBox> cajas([&](QMessageBox* c) {
            preguntas << c->text();
            for (QAbstractButton* b : c->buttons())
                if (b->text() == Texto(si ? IdTexto::Si : IdTexto::No))
                    return b->click();
        });
        v.grid->setFocus();
        v.Tecla(Qt::Key_S, Qt::ControlModifier);
        QTRY_COMPARE(preguntas, QStringList{Texto(IdTexto::NetoNegativoGuardar)});
        QCOMPARE(v.Filas("AlbaranesDetalle"), si ? 3 : 0);
        QCOMPARE(v.Filas("AlbaranesCabeceras"), si ? 1 : 0);
    }

    // The totals under the grid follow the lines as they are typed, deleted and loaded.
    void totales() {
        Ventana v;
        QVERIFY(QTest::qWaitForWindowActive(v.w.get()));
        auto* totales = Controles::Busca<QLabel>(*v.w, "lblTotales");
        QVERIFY(totales && totales->isVisible());
        const QString cero =
            "Líneas: 0    Bruto: 0,000 Kg    Tara: 0,000 Kg    Neto: 0,000 Kg    Importe: 0,00";
        QCOMPARE(totales->text(), cero);
        v.grid->setFocus();
        v.grid->setCurrentIndex(v.modelo->index(0, 0));
        v.Teclea("P1");
        v.Tecla(Qt::Key_Return);
        v.Tecla(Qt::Key_Return);
        v.Teclea("1");
        v.Tecla(Qt::Key_Return);
        v.Teclea("12,5");
        v.Tecla(Qt::Key_Return);
        // The line being typed counts already.
        QCOMPARE(totales->text(), "Líneas: 1    Bruto: 12,500 Kg    Tara: 0,250 Kg    Neto: "
                                  "12,250 Kg    Importe: 14,70");
        v.grid->Confirma();
        v.grid->setCurrentIndex(v.modelo->index(1, 0));
        v.Teclea("P1");
        v.Tecla(Qt::Key_Tab);
        v.Tecla(Qt::Key_Tab);
        v.Tecla(Qt::Key_Tab);
        v.Teclea("2");
        v.Tecla(Qt::Key_Return);
        QCOMPARE(totales->text(), "Líneas: 2    Bruto: 14,500 Kg    Tara: 0,250 Kg    Neto: "
                                  "14,250 Kg    Importe: 17,10");
        v.grid->setCurrentIndex(v.modelo->index(0, 0));
        v.Tecla(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(totales->text(), "Líneas: 1    Bruto: 2,000 Kg    Tara: 0,000 Kg    Neto: "
                                  "2,000 Kg    Importe: 2,40");
        Contestador<QMessageBox> descarta([](QMessageBox* c) {
            for (QAbstractButton* b : c->buttons())
                if (b->text() == Texto(IdTexto::No))
                    return b->click();
        });
        v.w->DespachaMenu("NuevoAlbaran");
        QCOMPARE(totales->text(), cero);
    }
};

QTEST_MAIN(TestEntradaMain)
#include "tst_entradamain.moc"
