// Zero, tare and clear-tare requests go to the weighing log before they are sent to the scale;
// a request whose entry cannot be written is not sent.
#include "db/verificaregistro.h"
#include "notes/registroordenes.h"
#include "support/entornoprueba.h"
#include "support/pseudoterminal.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>

namespace {
// A controller of an MT-SICS scale on a pseudo-terminal, its requests logged for "Puesto 1".
struct Banco {
    EntornoPrueba entorno;
    PseudoTerminal pty{PseudoTerminal::SoloMaestro};
    VeltaSC v;
    QSqlDatabase db;
    bool Abre() {
        db = entorno.DatosConBase().Conexion();
        AjustesBascula a;
        a.tipo = 2;
        v.SetPuertoNombre(pty.Ruta());
        v.SetAntesDeOrden(RegistroOrdenes::Antes(db, "Puesto 1"));
        return v.SetAjustes(a) && v.SetPortOpen(true) && v.PortOpen();
    }
};
} // namespace

class TestRegistroOrdenes : public QObject {
    Q_OBJECT

private slots:
    void ordenes_data() {
        QTest::addColumn<int>("codigo");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("evento"); // empty: not kept in the log
        QTest::newRow("cero") << int(VeltaSC::OrdenPuestaCero) << QByteArray("Z\r\n") << "zero";
        QTest::newRow("tara") << int(VeltaSC::OrdenTarado) << QByteArray("T\r\n") << "tare";
        QTest::newRow("destara") << int(VeltaSC::OrdenDestarado) << QByteArray("TAC\r\n")
                                 << "clear tare";
        QTest::newRow("lectura continua")
            << int(VeltaSC::OrdenLecturaContinua) << QByteArray("SIR\r\n") << QString();
    }

    void ordenes() {
        QFETCH(int, codigo);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, evento);
        Banco b;
        QVERIFY(b.Abre());
        b.v.Comando(codigo);
        QCOMPARE(b.pty.Lee(bytes.size()), bytes);

        QSqlQuery q(b.db);
        QVERIFY(q.exec("SELECT Evento, Puesto, TipoBascula, Peso, Estado, Bruto, Trama FROM "
                       "RegistroPesadas"));
        if (evento.isEmpty()) {
            QVERIFY(!q.next());
            return;
        }
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), evento);
        QCOMPARE(q.value(1).toString(), "Puesto 1");
        QCOMPARE(q.value(2).toInt(), 2);
        QVERIFY(q.value(3).isNull());
        QCOMPARE(q.value(4).toString() + ' ' + q.value(5).toString(), "unknown unknown");
        QCOMPARE(q.value(6).toString(), QString::fromLatin1(bytes.toHex()));
        QVERIFY(!q.next());
        // The entry is part of the station's chain like any weighing.
        VerificaRegistro verifica(b.db);
        QStringList faltas;
        QVERIFY(verifica.Ejecuta([&](const QString& f) { faltas << f; }));
        QCOMPARE(faltas, QStringList());
        QCOMPARE(verifica.Entradas(), 1);
    }

    void sinRegistro() {
        // The log cannot be written: the tare is not sent, and the controller says why.
        Banco b;
        QVERIFY(b.Abre());
        b.db.close();
        QSignalSpy noEnviada(&b.v, &VeltaSC::OrdenNoEnviada);
        b.v.Comando(VeltaSC::OrdenTarado);
        QCOMPARE(noEnviada.count(), 1);
        QVERIFY(!noEnviada.first().first().toString().isEmpty());
        QCOMPARE(b.pty.LeeTodo(300), QByteArray());
    }
};

QTEST_MAIN(TestRegistroOrdenes)
#include "tst_registroordenes.moc"
