// The main window's wiring, driven with the keyboard as an operator would, against the scale
// simulator on a pseudo-terminal: weigh a note, save it, read it back with another connection,
// reopen it through the pick list, and the question about unsaved changes.
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelregistry.h"
#include "db/basedatos.h"
#include "masters/contestador.h"
#include "masters/kelbrowse.h"
#include "notedata/almacenalbaranes.h"
#include "notes/frmhistorial.h"
#include "notes/frmmain.h"
#include "notes/historialalbaran.h"
#include "notes/modelolineasalbaran.h"
#include "notes/rejillalineas.h"
#include "support/controles.h"
#include "support/entornoprueba.h"
#include "support/servidorpostgres.h"

#include <QAction>
#include <QDateEdit>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTest>
#include <csignal>
#include <thread>

namespace {
// Keys go where the focus is, and the window gets its turn after each. The offscreen platform has
// no window manager to give the activation back to the window when a dialog closes.
QPointer<QWidget> s_ventana;
QWidget* Foco() {
    if (!QApplication::activeWindow() && s_ventana) {
        s_ventana->activateWindow();
        // A window that stays inactive shows in the keys that follow.
        (void)QTest::qWaitForWindowActive(s_ventana);
    }
    return QApplication::focusWidget();
}
void Tecla(int tecla, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(Foco(), Qt::Key(tecla), mods);
    QTest::qWait(20);
}
void Teclea(const QString& texto) {
    for (QChar c : texto) {
        QTest::keyClick(Foco(), c.toLatin1());
        QTest::qWait(5);
    }
}
void Intro(int veces = 1) {
    for (int i = 0; i < veces; ++i)
        Tecla(Qt::Key_Return);
}

// Answers the question about unsaved changes with the button of that text.
void Responde(QMessageBox* caja, int boton) {
    for (QAbstractButton* b : caja->buttons())
        if (b->text() == Texto(boton))
            return b->click();
}

QStringList Lineas(const QString& ruta, const QString& numero) {
    QStringList filas;
    {
        QSqlDatabase otra = QSqlDatabase::addDatabase("QSQLITE", "lector");
        otra.setDatabaseName(ruta);
        otra.open();
        QSqlQuery q(otra);
        q.prepare("SELECT NumLinea || '|' || CodProducto || '|' || NomProducto || '|' || "
                  "ifnull(CodTara, '') || '|' || PesoBruto || '|' || PesoTara || '|' || PesoNeto "
                  "|| '|' || Precio || '|' || PesoImporte FROM AlbaranesDetalle "
                  "WHERE NumAlbaran = ? ORDER BY NumLinea");
        q.addBindValue(numero);
        q.exec();
        while (q.next())
            filas << q.value(0).toString();
    }
    QSqlDatabase::removeDatabase("lector");
    return filas;
}
} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT

private slots:
    void guardaSobreOtraEstacion_data() { EntornoPrueba::FilasPorMotor(); }
    // Another station saves the note while the overwrite question is open: the save asks
    // again. On a server killed or frozen during a save, the window keeps the note, which
    // saves whole once the server is back; a frozen one is told within the time limit.
    void guardaSobreOtraEstacion() {
        QFETCH(Motor, motor);
        PESIX_REQUIERE(motor);
        EntornoPrueba env(motor);
        constexpr int kEspera = 1;
        kelRegistry::SaveAppString("\\Configuracion", "EsperaServidor", QString::number(kEspera));
        clsDatosApp& datos = env.DatosConBase();
        auto w = std::make_unique<frmMain>();
        w->show();
        s_ventana = w.get();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        auto* modelo = Controles::Busca<RejillaLineas>(*w, "gridAlbaran")->Modelo();
        Controles::Busca<QLineEdit>(*w, "txtNumAlbaran")->setText("5");
        LineasAlbaran lineas;
        for (int i = 0; i < 2500; ++i)
            lineas.Add({"P" + QString::number(i), "", "", "1,000", "", "1,000", "", "", ""});
        modelo->SetLineas(lineas);
        const QDate dia = Controles::Busca<QDateEdit>(*w, "txtFechaAlbaran")->date();
        const AlmacenAlbaranes almacen(datos.Conexion(), ",");
        const auto guardadas = [&] {
            std::optional<Albaran> a;
            return almacen.Carga("5", dia, a) && a ? a->Lineas.Count() : -1;
        };
        QStringList preguntas;
        Contestador<QMessageBox> cajas([&](QMessageBox* c) {
            preguntas << c->text();
            if (preguntas.size() == 1) {
                // Another station saves the note between the question and the answer.
                Albaran otra;
                otra.NumAlbaran = "5";
                otra.Fecha = dia;
                otra.FechaModificacion = QDateTime(dia, QTime(8, 0));
                otra.Lineas.Add({"OTRA", "", "", "2", "", "2", "", "", ""});
                QVERIFY(almacen.Guarda(otra));
            }
            Responde(c, IdTexto::Si);
        });
        EntornoPrueba::Ejecuta("INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, "
                               "CodCliente, NomCliente, Direccion1, Direccion2, FechaModificacion, "
                               "Impreso) VALUES ('5', ?, NULL, '', NULL, "
                               "NULL, NULL, '2026-01-01 00:00:00', ?)",
                               {BaseDatos::FechaSQL(dia), false});
        Tecla(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(preguntas, QStringList({Texto(IdTexto::AlbaranExistente),
                                         Texto(IdTexto::AlbaranGuardadoEntretanto)}));
        QCOMPARE(guardadas(), 2500);
        if (motor != Motor::Postgres)
            return;
        ServidorPostgres* servidor = ServidorPostgres::Comun();
        using Reloj = std::chrono::steady_clock;
        using Corte = std::pair<int, bool>; // after so many ms, killed or frozen
        for (const auto& [espera, congela] :
             {Corte{1, false}, Corte{15, false}, Corte{60, false}, Corte{15, true}}) {
            // Killed or frozen a moment after the overwrite question is answered, while the
            // save writes.
            preguntas.clear();
            std::thread verdugo;
            Reloj::time_point corte, dicho;
            cajas.Responde([&](QMessageBox* c) {
                preguntas << c->text();
                if (c->text() != Texto(IdTexto::AlbaranExistente)) {
                    dicho = Reloj::now();
                    return Responde(c, IdTexto::Aceptar);
                }
                verdugo = std::thread([&, espera = espera, congela = congela] {
                    std::this_thread::sleep_for(std::chrono::milliseconds(espera));
                    if (congela)
                        servidor->Congela(true);
                    else
                        ::kill(pid_t(servidor->Pid()), SIGQUIT);
                    corte = Reloj::now();
                });
                Responde(c, IdTexto::Si);
            });
            lineas.Add({"MAS", "", "", "", "", "", "", "", ""});
            modelo->SetLineas(lineas);
            Tecla(Qt::Key_S, Qt::ControlModifier);
            verdugo.join();
            if (congela) {
                QVERIFY(servidor->Congela(false));
            } else {
                QVERIFY(servidor->Mata());
                QVERIFY(servidor->Arranca());
            }
            // Told in the interface language, a frozen server within the limit; the note is
            // still in the window, and the busy cursor gone.
            const QStringList dichos =
                congela ? QStringList{Texto(IdTexto::BdSinRespuesta).arg(kEspera)}
                        : QStringList{Texto(IdTexto::BdConexionPerdida),
                                      Texto(IdTexto::BdServidorNoResponde)};
            QVERIFY2(preguntas.size() == 2 && (preguntas.last().startsWith(dichos.first()) ||
                                               preguntas.last().startsWith(dichos.last())),
                     qPrintable(preguntas.join('|')));
            QVERIFY(dicho - corte < std::chrono::milliseconds(kEspera * 1000 + 1500));
            QVERIFY(!QApplication::overrideCursor());
            QCOMPARE(modelo->Lineas().Count(), lineas.Count());
            QCOMPARE(guardadas() == lineas.Count() - 1 || guardadas() == lineas.Count(), true);
            cajas.Responde([&](QMessageBox* c) { Responde(c, IdTexto::Si); });
            Tecla(Qt::Key_S, Qt::ControlModifier);
            QCOMPARE(guardadas(), lineas.Count());
        }
    }

    void pesaGuardaYReabre() {
        QProcess sim;
        QByteArray ordenes; // the commands the simulator received
        connect(&sim, &QProcess::readyReadStandardError, this,
                [&] { ordenes += sim.readAllStandardError(); });
        sim.start(qEnvironmentVariable("PESIX_BUILD_DIR") + "/pesix-scale-sim", {"--peso", "12.5"});
        QVERIFY(sim.waitForStarted() && sim.waitForReadyRead(5000));
        EntornoPrueba env;
        kelRegistry::SaveAppString("\\Internacional", "sDecimal", ",");
        clsDatosApp& datos = env.DatosConBase();
        datos.SetPuertoNombre(QString::fromLocal8Bit(sim.readLine()).trimmed());
        datos.SetNumeracionAutomatica(true);
        datos.SetUnidadMedida("Kg");
        EntornoPrueba::Ejecuta("INSERT INTO Productos VALUES ('P1', 'Peras', 1.2)");
        EntornoPrueba::Ejecuta("INSERT INTO Taras VALUES (1, 'Caja', 0.25)");

        auto w = std::make_unique<frmMain>();
        w->show();
        s_ventana = w.get();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        auto* grid = Controles::Busca<RejillaLineas>(*w, "gridAlbaran");
        auto* modelo = grid->Modelo();
        auto* numero = Controles::Busca<QLineEdit>(*w, "txtNumAlbaran");
        QCOMPARE(modelo->headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QString("Peso bruto Kg"));

        // The switch on, a weighing asked for.
        Tecla(Qt::Key_F5);
        QVERIFY(w->BasculaEncendida());
        Tecla(Qt::Key_F6);
        QTRY_COMPARE(Controles::Busca<QLabel>(*w, "lblLectura")->text(), QString("12.500"));
        QTRY_VERIFY(ordenes.contains("orden S0\n") && ordenes.contains("orden SB\n"));

        // A line: product, tare, the reading with "*", Enter on to the next row.
        Tecla(Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(numero->text(), QString("2"));
        QCOMPARE(grid->currentIndex(), modelo->index(0, 0));
        Teclea("P1");
        Intro(2);
        Teclea("1");
        Intro();
        Teclea("*");
        Intro(6);
        QCOMPARE(grid->currentIndex(), modelo->index(1, 0));
        QCOMPARE(modelo->Lineas().Count(), 1);
        QCOMPARE(modelo->Celda(0, 8), QString("14,70"));
        // A second line still being typed is saved as shown.
        Teclea("P1");
        Tecla(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(Lineas(env.ArchivoBaseDatos(), "2"),
                 QStringList(
                     {"1|P1|Peras|1|12.5|0.25|12.25|1.2|14.7", "2|P1|Peras||0.0|0.0|0.0|1.2|0.0"}));

        // Saved: a new note asks nothing; the pick list brings the note back whole.
        Contestador<QMessageBox> pregunta([](QMessageBox* c) { Responde(c, IdTexto::Cancelar); });
        Tecla(Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(modelo->Lineas().Count(), 0);
        QCOMPARE(numero->text(), QString("3"));
        Contestador<kelBrowse> lista(
            [](kelBrowse* b) { QTest::keyClick(b->Grid(), Qt::Key_Return); });
        Tecla(Qt::Key_O, Qt::ControlModifier);
        QTRY_COMPARE(numero->text(), QString("2"));
        QCOMPARE(modelo->Lineas().Count(), 2);
        QCOMPARE(modelo->Celda(0, 4), QString("12,500"));
        QCOMPARE(pregunta.Veces(), 0);

        // A change asks before a new note: Cancel keeps it, No drops it.
        Teclea("P1");
        Tecla(Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(pregunta.Veces(), 1);
        QCOMPARE(modelo->Lineas().Count(), 3);
        pregunta.Responde([](QMessageBox* c) { Responde(c, IdTexto::No); });
        Tecla(Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(pregunta.Veces(), 2);
        QCOMPARE(modelo->Lineas().Count(), 0);
        QCOMPARE(Lineas(env.ArchivoBaseDatos(), "2").size(), 2);

        // Closing asks too, and with the switch on tells the scale to stop reading.
        Teclea("P1");
        ordenes.clear();
        QVERIFY(w->close());
        QCOMPARE(pregunta.Veces(), 3);
        QVERIFY(!w->Bascula().PortOpen());
        // The only command is S0. Closing puts back the line the port had before it was opened,
        // which the simulator may report if it reads the command after that.
        QTRY_VERIFY(ordenes.startsWith("pesix-scale-sim: orden S0\n"));
        QTest::qWait(50);
        QCOMPARE(ordenes.count("orden "), 1);
        w.reset();
        sim.write("salir\n");
        QVERIFY(sim.waitForFinished(5000));
    }

    // A stored note changed and saved again shows its earlier version beside the number and in
    // the history window, with the change; a void asks for the reason and shows the mark.
    void historialYAnulacion() {
        EntornoPrueba env;
        clsDatosApp& datos = env.DatosConBase();
        Albaran a;
        a.NumAlbaran = "H1";
        a.Fecha = QDate::currentDate();
        a.NomOperario = "Ana";
        a.CodCliente = "C1";
        a.FechaModificacion = QDateTime::currentDateTime();
        a.Lineas.Add({"P1", "Peras", "", "10,000", "0,000", "10,000", "1,00", "10,00", ""});
        QVERIFY(AlmacenAlbaranes(datos.Conexion(), ",").Guarda(a));

        auto w = std::make_unique<frmMain>();
        w->show();
        s_ventana = w.get();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        auto* versiones = Controles::Busca<QLabel>(*w, "lblVersiones");
        auto* numero = Controles::Busca<QLineEdit>(*w, "txtNumAlbaran");
        numero->setFocus();
        QTest::qWait(10);
        numero->selectAll();
        Teclea("H1");
        Tecla(Qt::Key_Tab); // leaving the number loads the note
        auto* operario = Controles::Busca<QLineEdit>(*w, "txtOperario");
        QTRY_COMPARE(operario->text(), QString("Ana"));
        QVERIFY(versiones->isHidden());
        operario->setFocus();
        QTest::qWait(10);
        Tecla(Qt::Key_End);
        Teclea("Luis");
        Contestador<QMessageBox> si([](QMessageBox* c) { Responde(c, IdTexto::Si); });
        Tecla(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(si.Veces(), 1);
        QVERIFY(versiones->isVisible());
        QCOMPARE(versiones->text(), Texto(IdTexto::VersionesAnteriores).arg(1));

        QString cambios;
        int filas = 0;
        Contestador<frmHistorial> historial([&](frmHistorial* h) {
            filas = h->grdVersiones->rowCount();
            cambios = h->grdVersiones->item(0, HistorialAlbaran::Cambios)->text();
            h->accept();
        });
        Controles::Busca<QAction>(*w, "mnuAlbaranHistorial")->trigger();
        QCOMPARE(historial.Veces(), 1);
        QCOMPARE(filas, 2);
        QVERIFY2(cambios.contains("Ana → AnaLuis"), qPrintable(cambios));

        Contestador<QInputDialog> motivo([](QInputDialog* d) {
            d->setTextValue("cliente equivocado");
            d->accept();
        });
        Controles::Busca<QAction>(*w, "mnuAlbaranAnular")->trigger();
        QCOMPARE(motivo.Veces(), 1);
        QVERIFY(Controles::Busca<QLabel>(*w, "lblAnulado")->isVisible());
        QCOMPARE(versiones->text(), Texto(IdTexto::VersionesAnteriores).arg(2));
        w.reset();
    }

    // A scale that says what its weight is doing: the label tells it in words; a line takes a
    // settled reading only, written first to the weighing log, waits for a moving one to
    // settle, refuses an over-range one and the same load twice, and says why.
    void estadoDeLaBascula() {
        QProcess sim;
        sim.start(qEnvironmentVariable("PESIX_BUILD_DIR") + "/pesix-scale-sim",
                  {"--tipo", "2", "--peso", "7.25"});
        QVERIFY(sim.waitForStarted() && sim.waitForReadyRead(5000));
        EntornoPrueba env;
        kelRegistry::SaveAppString("\\Internacional", "sDecimal", ".");
        clsDatosApp& datos = env.DatosConBase();
        datos.SetPuertoNombre(QString::fromLocal8Bit(sim.readLine()).trimmed());
        datos.SetTipoBascula(2);
        auto w = std::make_unique<frmMain>();
        w->show();
        s_ventana = w.get();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        const auto* lectura = Controles::Busca<QLabel>(*w, "lblLectura");
        auto* grid = Controles::Busca<RejillaLineas>(*w, "gridAlbaran");
        auto* modelo = grid->Modelo();
        const QString punto = QStringLiteral(" \u00b7 ");
        // The label keeps its height whatever it says, so the window below it does not jump.
        int alto = 0;
        const auto pesa = [&](const QByteArray& orden, const QString& esperado) {
            sim.write(orden + "\n");
            QVERIFY(sim.waitForBytesWritten(1000));
            QTest::qWait(100);
            Tecla(Qt::Key_F6);
            QTRY_COMPARE(lectura->text(), esperado);
            QTest::qWait(50);
            if (alto == 0)
                alto = lectura->height();
            QCOMPARE(lectura->height(), alto);
        };
        QStringList avisos;
        Contestador<QMessageBox> cajas([&](QMessageBox* c) {
            avisos << c->text();
            c->accept();
        });
        const auto registro = [&] {
            QSqlQuery q(datos.Conexion());
            q.exec("SELECT Peso || ' ' || Estado FROM RegistroPesadas ORDER BY IdPesada");
            QStringList filas;
            while (q.next())
                filas << q.value(0).toString();
            return filas;
        };
        QCOMPARE(lectura->text(), QString("0.000"));
        Tecla(Qt::Key_F5);
        pesa("normal", "7.250 kg");
        pesa("movimiento 2", "7.150 kg" + punto + Texto(IdTexto::EstadoMovimiento));
        pesa("sobrecarga", Texto(IdTexto::EstadoSobreRango));
        Tecla(Qt::Key_N, Qt::ControlModifier);
        Intro(3);
        Teclea("*");
        QTRY_COMPARE(avisos, QStringList{Texto(IdTexto::PesadaFueraRango)});
        QCOMPARE(modelo->Celda(0, 4), QString());
        pesa("normal", "7.250 kg");
        Teclea("*");
        QCOMPARE(modelo->Celda(0, 4), QString("7.250"));
        QCOMPARE(registro(), QStringList{"7.25 stable"});
        // The same load again is refused; a moving one is waited for, the scale asked again
        // until it settles.
        Intro(6 + 3); // the next line's gross weight
        QCOMPARE(grid->currentIndex(), modelo->index(1, 3));
        Teclea("*");
        QTRY_COMPARE(avisos.size(), 2);
        QCOMPARE(avisos.last(), Texto(IdTexto::PesadaMismaCarga));
        pesa("movimiento 3", "7.400 kg" + punto + Texto(IdTexto::EstadoMovimiento));
        Teclea("*");
        QVERIFY(lectura->text().startsWith(Texto(IdTexto::EsperandoEstable)));
        QCOMPARE(modelo->Celda(1, 4), QString());
        QTRY_COMPARE(modelo->Celda(1, 4), QString("7.250"));
        QCOMPARE(lectura->text(), QString("7.250 kg"));
        QCOMPARE(avisos.size(), 2);
        QCOMPARE(registro(), (QStringList{"7.25 stable", "7.25 stable"}));
        QCOMPARE(modelo->LineasMostradas().Celda(1, LineasAlbaran::IdPesada), QString("2"));
        Tecla(Qt::Key_F5);
        QCOMPARE(lectura->text(), QString("0.000"));
        w.reset();
        sim.write("salir\n");
        QVERIFY(sim.waitForFinished(5000));
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
