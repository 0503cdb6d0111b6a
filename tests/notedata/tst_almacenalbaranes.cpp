// The note store on both engines: what is saved loads back, a save replaces the note as a whole,
// and a save cut short (by an error, by killing the process or the server) leaves the old note.
// Stations are real processes saving into one database at the same time.
#include "app/cmnlanguaje.h"
#include "app/idtextos.h"
#include "app/kelregistry.h"
#include "db/basedatos.h"
#include "masters/consultabrowse.h"
#include "notedata/almacenalbaranes.h"
#include "support/entornoprueba.h"
#include "support/servidorpostgres.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTest>
#include <cstdio>

namespace {
const QDate kDia(2026, 3, 5);
// Stations saving the same new notes meet on each of them; short notes and many rounds started
// together make many meetings.
constexpr int kRondas = 12;
constexpr int kNotasPorRonda = 100;
constexpr int kMismas = 4; // stations saving the same notes
constexpr int kEspera = 1; // seconds a station waits for the server's answer
// How long the stations may go without writing a word before they are taken for stuck: far
// beyond any save, so that only a hang trips it, however loaded the machine.
constexpr int kSinNoticias = 120000;

// How a save is cut short: the station killed, the server killed, the server frozen.
enum class Corte { Estacion, Servidor, Congelado };

// A note of `lineas` lines whose cells say which version it is; odd lines were weighed on the
// scale (their weighing log entry is the line's number), even ones typed by hand.
Albaran Nota(const QString& numero, int lineas, const QString& version = "A") {
    Albaran a;
    a.NumAlbaran = numero;
    a.Fecha = kDia;
    a.NomOperario = "Ana";
    a.CodCliente = "C'1";
    a.NomCliente = version;
    a.FechaModificacion = QDateTime(kDia, QTime(9, 30, 15));
    a.Impreso = true;
    for (int i = 1; i <= lineas; ++i)
        a.Lineas.Add({version, QString("línea %1").arg(i), i % 2 ? "2" : "", "12,500", "0,250",
                      "12,250", "1,20", "14,70", i % 2 ? "09:00:00-05/03/2026" : QString(),
                      i % 2 ? QString::number(i) : QString()});
    return a;
}

QStringList Filas(QSqlDatabase db, const QString& sql) {
    QSqlQuery q(db);
    if (!q.exec(sql))
        return {"error: " + q.lastError().text()};
    QStringList filas;
    while (q.next())
        filas << q.value(0).toString();
    return filas;
}

// A station in a process of its own: settings file, database, and what it does, as arguments.
QProcess* Estacion(const EntornoPrueba& env, const QStringList& orden, QObject* padre) {
    auto* p = new QProcess(padre);
    p->start(QCoreApplication::applicationFilePath(),
             QStringList{"--estacion", env.ArchivoAjustes(), env.BaseDatos()} + orden);
    return p;
}

// What the stations have written so far, line by line, read as it comes from all of them.
class Salidas {
public:
    explicit Salidas(const QList<QProcess*>& estaciones)
        : m_estaciones(estaciones), m_lineas(estaciones.size()), m_resto(estaciones.size()) {}

    QStringList Lineas(int i) const { return m_lineas.at(i); }

    // Waits until every station has written `lineas` lines. Fails, with what each said, when
    // one ends first or when none writes anything for kSinNoticias.
    bool Espera(int lineas, QString& error) {
        const auto listas = [&] {
            for (const QStringList& l : m_lineas)
                if (l.size() < lineas)
                    return false;
            return true;
        };
        while (!listas()) {
            const qint64 leido = m_leido;
            const bool algo = QTest::qWaitFor(
                [&] {
                    Lee();
                    return listas() || m_leido != leido || Terminada() >= 0;
                },
                kSinNoticias);
            if (listas())
                break;
            const int terminada = Terminada();
            if (algo && terminada < 0)
                continue; // more to come
            error = terminada >= 0 ? QString("station %1 ended").arg(terminada + 1)
                                   : "no station wrote anything for two minutes";
            for (int i = 0; i < m_estaciones.size(); ++i)
                error += QString("; station %1 after %2 lines: %3 %4")
                             .arg(i + 1)
                             .arg(m_lineas.at(i).size())
                             .arg(QString::fromUtf8(m_resto.at(i).right(100)))
                             .arg(QString::fromUtf8(m_estaciones.at(i)->readAllStandardError()));
            return false;
        }
        return true;
    }

private:
    void Lee() {
        for (int i = 0; i < m_estaciones.size(); ++i) {
            const QByteArray nuevo = m_estaciones.at(i)->readAllStandardOutput();
            m_leido += nuevo.size();
            m_resto[i] += nuevo;
            for (qsizetype fin; (fin = m_resto.at(i).indexOf('\n')) >= 0;) {
                m_lineas[i] << QString::fromUtf8(m_resto.at(i).left(fin));
                m_resto[i].remove(0, fin + 1);
            }
        }
    }
    // The first station no longer running, or -1.
    int Terminada() const {
        for (int i = 0; i < m_estaciones.size(); ++i)
            if (m_estaciones.at(i)->state() == QProcess::NotRunning)
                return i;
        return -1;
    }

    QList<QProcess*> m_estaciones;
    QList<QStringList> m_lineas;
    QList<QByteArray> m_resto; // what follows each station's last whole line
    qint64 m_leido = 0;
};

// Runs the stations for kRondas rounds. Each round starts when every station has read what it
// needs and said "listo"; all are then let go at the same moment and each writes one line, a
// letter per note. The letters of all rounds, station by station, or the error.
QStringList Ejecuta(const QList<QProcess*>& estaciones, QString& error) {
    Salidas salidas(estaciones);
    for (int ronda = 0; ronda < kRondas; ++ronda) {
        if (!salidas.Espera(2 * ronda + 1, error))
            return {};
        for (int i = 0; i < estaciones.size(); ++i)
            if (salidas.Lineas(i).at(2 * ronda) != "listo")
                return error = "station said " + salidas.Lineas(i).at(2 * ronda), QStringList();
        // Written straight into each pipe, not left for the event loop to deliver one by one.
        for (QProcess* p : estaciones)
            p->write("ya\n");
        for (QProcess* p : estaciones)
            p->waitForBytesWritten(kSinNoticias);
        if (!salidas.Espera(2 * ronda + 2, error))
            return {};
    }
    for (QProcess* p : estaciones)
        p->closeWriteChannel(); // no more rounds
    QStringList letras;
    for (int i = 0; i < estaciones.size(); ++i) {
        QProcess* p = estaciones.at(i);
        if (!p->waitForFinished(kSinNoticias) || p->exitStatus() != QProcess::NormalExit ||
            p->exitCode() != 0)
            return error = QString("station %1 did not end well: %2")
                               .arg(i + 1)
                               .arg(QString::fromUtf8(p->readAllStandardError())),
                   QStringList();
        QString suyas;
        for (int ronda = 0; ronda < kRondas; ++ronda)
            suyas += salidas.Lineas(i).at(2 * ronda + 1);
        letras << suyas;
    }
    return letras;
}

QString NumeroMisma(int ronda, int i) {
    return QString("M%1-%2").arg(ronda).arg(i);
}

// A station: "sinfin" saves one large note over and over once told to go; "misma" and
// "distintas" save kNotasPorRonda new notes in each round, the same ones as the other stations
// or its own, writing for each a letter: saved (g) or told that another saved it meanwhile (c).
int EstacionHija(QStringList args) {
    kelRegistry::UsaArchivoIni(args.at(2));
    clsDatosApp datos;
    datos.SetBaseDatos(args.at(3));
    if (const Resultado r = BaseDatos::AbreBaseDatos(datos); !r) {
        fprintf(stderr, "%s\n", qPrintable(r.Error()));
        return 3;
    }
    const AlmacenAlbaranes almacen(datos.Conexion(), ",");
    const QString orden = args.at(4);
    const int n = args.value(5).toInt();
    const auto falla = [](const Resultado& r) {
        fprintf(stderr, "%s\n", qPrintable(r.Error()));
        return 1;
    };
    char linea[8];
    if (orden == "sinfin") {
        printf("listo\n");
        fflush(stdout);
        if (!fgets(linea, sizeof linea, stdin))
            return 4;
        for (int i = 0;; ++i) {
            if (const Resultado r =
                    almacen.Guarda(Nota("GRANDE", i % 2 ? 1500 : 2500, i % 2 ? "B" : "A"));
                !r)
                return falla(r);
            printf("guardado\n");
            fflush(stdout);
        }
    }
    for (int ronda = 0;; ++ronda) {
        // What this station sees before the round, for each note it saves: nothing, as the
        // notes are new, so that every save takes the path of a note that did not exist.
        QList<QByteArray> vistas(kNotasPorRonda);
        if (orden == "misma")
            for (int i = 0; i < kNotasPorRonda; ++i)
                if (const Resultado r = almacen.Version(NumeroMisma(ronda, i), kDia, vistas[i]); !r)
                    return falla(r);
        printf("listo\n");
        fflush(stdout);
        if (!fgets(linea, sizeof linea, stdin))
            return 0; // no more rounds
        for (int i = 0; i < kNotasPorRonda; ++i) {
            Resultado r;
            bool cambiada = false;
            if (orden == "misma") // the notes of station n have n lines marked with its number
                r = almacen.GuardaSiNoCambia(Nota(NumeroMisma(ronda, i), n, QString::number(n)),
                                             vistas.at(i), cambiada);
            else
                r = almacen.Guarda(
                    Nota(QString("E%1-%2-%3").arg(n).arg(ronda).arg(i), 3, QString::number(n)));
            if (!r)
                return falla(r);
            putchar(cambiada ? 'c' : 'g');
            fflush(stdout);
        }
        putchar('\n');
        fflush(stdout);
    }
}
} // namespace
Q_DECLARE_METATYPE(Corte)

class TestAlmacenAlbaranes : public QObject {
    Q_OBJECT

private slots:
    void guardaYCarga_data() {
        QTest::addColumn<Motor>("motor");
        QTest::addColumn<QString>("numero");
        QTest::addColumn<int>("lineas");
        for (Motor m : EntornoPrueba::kMotores) {
            const QString e = EntornoPrueba::Nombre(m) + ": ";
            QTest::newRow(qPrintable(e + "comilla en el número")) << m << "O'Brien-1" << 3;
            QTest::newRow(qPrintable(e + "número de 20 caracteres"))
                << m << "ABCDEFGHIJ0123456789" << 1;
            QTest::newRow(qPrintable(e + "sin líneas")) << m << "7" << 0;
        }
    }
    void rechazada_data() {
        QTest::addColumn<Motor>("motor");
        QTest::addColumn<QString>("numero");
        QTest::addColumn<QString>("cliente");
        QTest::addColumn<QString>("producto"); // the second line's
        QTest::addColumn<QString>("error");    // the message, or the words it holds
        const QString control = "caracteres de control";
        for (Motor m : EntornoPrueba::kMotores) {
            const QString e = EntornoPrueba::Nombre(m) + ": ";
            const auto fila = [&](const char* nombre, const QString& numero, const QString& cliente,
                                  const QString& producto, const QString& error) {
                QTest::newRow(qPrintable(e + nombre))
                    << m << numero << cliente << producto << error;
            };
            fila("sin número", "", "A", "A", Texto(IdTexto::AlbaranSinNumero));
            fila("número de espacios", "  ", "A", "A", Texto(IdTexto::AlbaranSinNumero));
            // Control characters, shown by their pictures; the same on both engines.
            fila("NUL en el cliente", "N1", QString("Bar") + QChar(0) + "Pino", "A",
                 control + "|«Bar\u2400Pino»");
            fila("tabulador en un producto", "N1", "A", "P\t2", control + "|«P\u24092»");
            fila("salto de línea en el número", "N\n1", "A", "A", control + "|«N\u240A1»");
        }
    }
    // A note that cannot be stored is refused, told why, and nothing is written.
    void rechazada() {
        QFETCH(Motor, motor);
        QFETCH(QString, numero);
        QFETCH(QString, cliente);
        QFETCH(QString, producto);
        QFETCH(QString, error);
        PESIX_REQUIERE(motor);
        EntornoPrueba env(motor);
        const QSqlDatabase db = env.DatosConBase().Conexion();
        const AlmacenAlbaranes almacen(db, ",");
        Albaran nota = Nota(numero, 2);
        nota.NomCliente = cliente;
        FilaAlbaran linea = nota.Lineas.Item(1);
        linea[0] = producto;
        nota.Lineas.Reemplaza(1, linea);
        const Resultado r = almacen.Guarda(nota);
        QVERIFY(!r);
        for (const QString& parte : error.split('|'))
            QVERIFY2(r.Error().contains(parte), qPrintable(r.Error()));
        bool cambiada = true;
        QVERIFY(!almacen.GuardaSiNoCambia(nota, {}, cambiada));
        QVERIFY(!cambiada);
        for (const char* tabla : {"AlbaranesCabeceras", "AlbaranesDetalle"})
            QCOMPARE(Filas(db, QString("SELECT * FROM ") + tabla), QStringList());
    }
    void guardaYCarga() {
        QFETCH(Motor, motor);
        QFETCH(QString, numero);
        QFETCH(int, lineas);
        PESIX_REQUIERE(motor);
        EntornoPrueba env(motor);
        const QSqlDatabase db = env.DatosConBase().Conexion();
        const AlmacenAlbaranes almacen(db, ",");
        const Albaran nota = Nota(numero, lineas);
        QVERIFY(almacen.Guarda(nota));
        std::optional<Albaran> leida;
        QVERIFY(almacen.Carga(numero, kDia, leida));
        QVERIFY(leida);
        QCOMPARE(*leida, nota);
        // Numbers stored as numbers, a line without a container without a tare code, a typed
        // weight without a weighing log entry.
        const QStringList detalle =
            Filas(db, "SELECT NumLinea || ':' || CASE WHEN CodTara IS NULL THEN 'nulo' ELSE "
                      "CAST(CodTara AS VARCHAR(9)) END || ':' || PesoBruto || ':' || CASE WHEN "
                      "IdPesada IS NULL THEN 'a mano' ELSE CAST(IdPesada AS VARCHAR(9)) END FROM "
                      "AlbaranesDetalle ORDER BY NumLinea");
        QCOMPARE(detalle,
                 QStringList({"1:2:12.5:1", "2:nulo:12.5:a mano", "3:2:12.5:3"}).mid(0, lineas));
        // The pick list gives the number and date back; the number matches in any letter case.
        QString numeroId;
        QDate fecha;
        const QStringList ids = Filas(db, ConsultaBrowse::Albaranes().Sql);
        QCOMPARE(ids.size(), 1);
        QVERIFY(AlmacenAlbaranes::LeeIdSelector(ids.first(), numeroId, fecha));
        QCOMPARE(numeroId, numero);
        QCOMPARE(fecha, kDia);
        bool existe = false;
        QVERIFY(almacen.Existe(numero.toLower(), kDia, existe));
        QVERIFY(existe);
    }

    void sobrescribe_data() {
        QTest::addColumn<Motor>("motor");
        QTest::addColumn<int>("antes");
        QTest::addColumn<int>("despues");
        QTest::addColumn<int>("dias"); // the second save this many days later
        for (Motor m : EntornoPrueba::kMotores) {
            const QString e = EntornoPrueba::Nombre(m) + ": ";
            QTest::newRow(qPrintable(e + "más corta sobre más larga")) << m << 5 << 2 << 0;
            QTest::newRow(qPrintable(e + "sin líneas sobre una con líneas")) << m << 3 << 0 << 0;
            QTest::newRow(qPrintable(e + "mismo número en otra fecha")) << m << 3 << 2 << 1;
        }
    }
    void sobrescribe() {
        QFETCH(Motor, motor);
        QFETCH(int, antes);
        QFETCH(int, despues);
        QFETCH(int, dias);
        PESIX_REQUIERE(motor);
        EntornoPrueba env(motor);
        const QSqlDatabase db = env.DatosConBase().Conexion();
        const AlmacenAlbaranes almacen(db, ",");
        QVERIFY(almacen.Guarda(Nota("N1", antes, "A")));
        Albaran nueva = Nota("N1", despues, "B");
        nueva.Fecha = kDia.addDays(dias);
        // Seen before the save, the stored note is what the save replaces.
        QByteArray vista, despuesDeGuardar;
        bool cambiada = true;
        QVERIFY(almacen.Version("n1", nueva.Fecha, vista));
        QCOMPARE(vista.isEmpty(), dias != 0);
        QVERIFY(almacen.GuardaSiNoCambia(nueva, vista, cambiada));
        QVERIFY(!cambiada);
        QVERIFY(almacen.Version("N1", nueva.Fecha, despuesDeGuardar));
        QVERIFY(!despuesDeGuardar.isEmpty() && despuesDeGuardar != vista);
        const QString sql = "SELECT Fecha || ':' || NumLinea || ':' || CodProducto FROM "
                            "AlbaranesDetalle ORDER BY Fecha, NumLinea";
        QStringList esperadas;
        for (int i = 1; dias && i <= antes; ++i)
            esperadas << QString("2026-03-05:%1:A").arg(i);
        for (int i = 1; i <= despues; ++i)
            esperadas << QString("%1:%2:B").arg(nueva.Fecha.toString("yyyy-MM-dd")).arg(i);
        QCOMPARE(Filas(db, sql), esperadas);
        QCOMPARE(Filas(db, "SELECT NomCliente FROM AlbaranesCabeceras ORDER BY Fecha"),
                 dias ? QStringList({"A", "B"}) : QStringList({"B"}));
        // A station that saw the note before this save is told, and writes nothing.
        QVERIFY(
            almacen.GuardaSiNoCambia(Nota("N1", 1, "C"), dias ? QByteArray() : vista, cambiada));
        QVERIFY(cambiada);
        QCOMPARE(Filas(db, sql), esperadas);
    }

    void guardaPreguntando_data() {
        QTest::addColumn<Motor>("motor");
        QTest::addColumn<bool>("guardadaAntes"); // the note is stored before the save
        QTest::addColumn<QString>("respuestas"); // to each question in turn: s(í) or n(o)
        QTest::addColumn<QList<int>>("preguntas");
        QTest::addColumn<QString>("queda"); // whose note is stored afterwards
        const QList<int> existente{IdTexto::AlbaranExistente};
        const QList<int> otraVez{IdTexto::AlbaranExistente, IdTexto::AlbaranGuardadoEntretanto};
        for (Motor m : EntornoPrueba::kMotores) {
            const QString e = EntornoPrueba::Nombre(m) + ": ";
            QTest::newRow(qPrintable(e + "nueva, sin pregunta"))
                << m << false << "" << QList<int>() << "B";
            QTest::newRow(qPrintable(e + "no a la pregunta"))
                << m << true << "n" << existente << "A";
            QTest::newRow(qPrintable(e + "guardada entretanto, sí"))
                << m << true << "ss" << otraVez << "B";
            QTest::newRow(qPrintable(e + "guardada entretanto, no"))
                << m << true << "sn" << otraVez << "O";
        }
    }
    void guardaPreguntando() {
        QFETCH(Motor, motor);
        QFETCH(bool, guardadaAntes);
        QFETCH(QString, respuestas);
        QFETCH(QList<int>, preguntas);
        QFETCH(QString, queda);
        PESIX_REQUIERE(motor);
        EntornoPrueba env(motor);
        const QSqlDatabase db = env.DatosConBase().Conexion();
        const AlmacenAlbaranes almacen(db, ",");
        if (guardadaAntes)
            QVERIFY(almacen.Guarda(Nota("N1", 3, "A")));
        const auto otra = qScopeGuard([] { QSqlDatabase::removeDatabase("otra estación"); });
        QSqlDatabase otraDb = QSqlDatabase::cloneDatabase(db, "otra estación");
        QVERIFY(otraDb.open());
        const AlmacenAlbaranes otroAlmacen(otraDb, ",");
        QList<int> hechas;
        const auto pregunta = [&](int texto) {
            hechas << texto;
            // Another station saves the note while the first question is open.
            if (hechas.size() == 1 && respuestas.size() > 1 &&
                !otroAlmacen.Guarda(Nota("N1", 1, "O")))
                return false;
            return respuestas.mid(hechas.size() - 1, 1) == "s";
        };
        bool guardada = queda != "B";
        QVERIFY(almacen.GuardaPreguntando(Nota("N1", 2, "B"), pregunta, guardada));
        QCOMPARE(hechas, preguntas);
        QCOMPARE(guardada, queda == "B");
        std::optional<Albaran> leida;
        QVERIFY(almacen.Carga("N1", kDia, leida) && leida);
        leida->Versiones = 0; // what each save replaced is kept: another test's matter
        QCOMPARE(*leida, Nota("N1", queda == "A" ? 3 : queda == "B" ? 2 : 1, queda));
    }

    void cargaEnOrdenYSinValores_data() { EntornoPrueba::FilasPorMotor(); }
    void cargaEnOrdenYSinValores() {
        QFETCH(Motor, motor);
        PESIX_REQUIERE(motor);
        EntornoPrueba env(motor);
        const AlmacenAlbaranes almacen(env.DatosConBase().Conexion(), ",");
        EntornoPrueba::Ejecuta("INSERT INTO AlbaranesCabeceras (NumAlbaran, Fecha, NomOperario, "
                               "CodCliente, NomCliente, Direccion1, Direccion2, FechaModificacion, "
                               "Impreso) VALUES ('9', '2026-03-05', NULL, "
                               "'', NULL, NULL, NULL, '2026-01-02 03:04:05', ?)",
                               {false});
        for (int linea : {7, 1, 3})
            EntornoPrueba::Ejecuta("INSERT INTO AlbaranesDetalle VALUES ('9', '2026-03-05', ?, "
                                   "?, NULL, NULL, 12.5, 0, 2, NULL, NULL, '', NULL)",
                                   {linea, QString("L%1").arg(linea)});
        std::optional<Albaran> a;
        QVERIFY(almacen.Carga("9", kDia, a));
        QVERIFY(a);
        QCOMPARE(a->FechaModificacion, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
        QVERIFY(a->NomOperario.isEmpty() && a->NomCliente.isEmpty() && !a->Impreso);
        QCOMPARE(a->Lineas.Count(), 3);
        const char* codigos[] = {"L1", "L3", "L7"};
        for (int i = 0; i < 3; ++i) {
            const FilaAlbaran esperada = {codigos[i], "", "", "12,500", "0,000",
                                          "2,000",    "", "", ""};
            QCOMPARE(a->Lineas.Item(i), esperada);
        }
        QVERIFY(almacen.Carga("9", kDia.addDays(1), a));
        QVERIFY(!a);
    }

    void unErrorNoCambiaNada_data() { EntornoPrueba::FilasPorMotor(); }
    void unErrorNoCambiaNada() {
        QFETCH(Motor, motor);
        PESIX_REQUIERE(motor);
        EntornoPrueba env(motor);
        const AlmacenAlbaranes almacen(env.DatosConBase().Conexion(), ",");
        const Albaran vieja = Nota("N1", 3, "A");
        QVERIFY(almacen.Guarda(vieja));
        Albaran nueva = Nota("N1", 4, "B");
        FilaAlbaran linea = nueva.Lineas.Item(2);
        linea[2] = "1.5";
        nueva.Lineas.Reemplaza(2, linea);
        const Resultado r = almacen.Guarda(nueva);
        QVERIFY(!r);
        QVERIFY2(r.Error().contains("1.5") && r.Error().contains('3'), qPrintable(r.Error()));
        std::optional<Albaran> leida;
        QVERIFY(almacen.Carga("N1", kDia, leida));
        QCOMPARE(*leida, vieja);
    }

    void cortadoAlGuardar_data() {
        QTest::addColumn<Motor>("motor");
        QTest::addColumn<Corte>("corte");
        QTest::newRow("sqlite: estación matada") << Motor::Sqlite << Corte::Estacion;
        QTest::newRow("postgres: estación matada") << Motor::Postgres << Corte::Estacion;
        QTest::newRow("postgres: servidor matado") << Motor::Postgres << Corte::Servidor;
        QTest::newRow("postgres: servidor congelado") << Motor::Postgres << Corte::Congelado;
    }
    void cortadoAlGuardar() {
        // Cut at any moment of a save, the database keeps one whole version of the note. A
        // server that stops answering fails the save within the station's time limit.
        QFETCH(Motor, motor);
        QFETCH(Corte, corte);
        PESIX_REQUIERE(motor);
        EntornoPrueba env(motor);
        kelRegistry::SaveAppString("\\Configuracion", "EsperaServidor", QString::number(kEspera));
        QSqlDatabase db = env.DatosConBase().Conexion();
        ServidorPostgres* servidor = ServidorPostgres::Comun();
        for (int vez = 0; vez < 3; ++vez) {
            QProcess hijo;
            hijo.start(QCoreApplication::applicationFilePath(),
                       {"--estacion", env.ArchivoAjustes(), env.BaseDatos(), "sinfin"});
            QVERIFY(hijo.waitForReadyRead(60000));
            hijo.write("ya\n");
            QVERIFY(hijo.waitForReadyRead(60000));
            QTest::qWait(5 + 17 * vez);
            if (corte == Corte::Servidor) {
                QVERIFY(servidor->Mata());
                QVERIFY(hijo.waitForFinished(60000));
                QCOMPARE(hijo.exitCode(), 1); // the station was told
                QVERIFY(servidor->Arranca());
                QVERIFY(BaseDatos::Conecta(db));
            } else if (corte == Corte::Congelado) {
                QVERIFY(servidor->Congela(true));
                const auto deshiela = qScopeGuard([servidor] { servidor->Congela(false); });
                QElapsedTimer reloj;
                reloj.start();
                QVERIFY(hijo.waitForFinished(60000));
                const QString error = QString::fromUtf8(hijo.readAllStandardError());
                QVERIFY2(reloj.elapsed() < kEspera * 1000 + 1500, qPrintable(error));
                QCOMPARE(hijo.exitCode(), 1);
                QVERIFY2(error.contains(Texto(IdTexto::BdSinRespuesta).arg(kEspera)),
                         qPrintable(error));
            } else {
                hijo.kill();
                QVERIFY(hijo.waitForFinished());
            }
            const QStringList cabecera = Filas(db, "SELECT NomCliente FROM AlbaranesCabeceras");
            QCOMPARE(cabecera.size(), 1);
            const QString version = cabecera.first();
            const int n = version == "A" ? 2500 : 1500;
            QCOMPARE(Filas(db, "SELECT COUNT(*) || ':' || MIN(NumLinea) || ':' || MAX(NumLinea) "
                               "|| ':' || COUNT(DISTINCT CodProducto) || MIN(CodProducto) "
                               "FROM AlbaranesDetalle"),
                     QStringList{QString("%1:1:%2:1%3").arg(n).arg(n).arg(version)});
        }
    }

    void estacionesALaVez_data() {
        QTest::addColumn<Motor>("motor");
        QTest::addColumn<bool>("misma"); // all save the same notes
        for (Motor m : EntornoPrueba::kMotores) {
            QTest::newRow(qPrintable(EntornoPrueba::Nombre(m) + ": cuatro, notas distintas"))
                << m << false;
            QTest::newRow(qPrintable(EntornoPrueba::Nombre(m) + ": cuatro, las mismas notas"))
                << m << true;
        }
    }
    void estacionesALaVez() {
        QFETCH(Motor, motor);
        QFETCH(bool, misma);
        PESIX_REQUIERE(motor);
        EntornoPrueba env(motor);
        QSqlDatabase db = env.DatosConBase().Conexion();
        QObject padre;
        QList<QProcess*> estaciones;
        const int cuantas = misma ? kMismas : 4;
        for (int n = 1; n <= cuantas; ++n)
            estaciones << Estacion(env, {misma ? "misma" : "distintas", QString::number(n)},
                                   &padre);
        QString error;
        const QStringList letras = Ejecuta(estaciones, error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const int notas = kRondas * kNotasPorRonda;
        QCOMPARE(letras.size(), cuantas);
        for (const QString& l : letras)
            QCOMPARE(l.size(), notas);
        if (!misma) {
            // Every note of every station, whole, and every one saved.
            QCOMPARE(letras, QStringList(4, QString(notas, 'g')));
            const QString todas = QString::number(4 * notas);
            QCOMPARE(Filas(db, "SELECT COUNT(*) FROM AlbaranesCabeceras"), QStringList{todas});
            QCOMPARE(Filas(db, "SELECT COUNT(*) FROM (SELECT NumAlbaran FROM AlbaranesDetalle "
                               "GROUP BY NumAlbaran, Fecha HAVING COUNT(*) = 3 AND MAX(NumLinea) "
                               "= 3 AND MIN(CodProducto) = MAX(CodProducto)) AS notas"),
                     QStringList{todas});
            return;
        }
        // The server's sessions see what others commit at each statement, not at their start.
        if (motor == Motor::Postgres)
            QCOMPARE(Filas(db, "SHOW transaction_isolation"), QStringList{"read committed"});
        // Each note is stored whole, as one station saved it.
        QCOMPARE(Filas(db, "SELECT COUNT(*) FROM AlbaranesCabeceras c WHERE (SELECT COUNT(*) FROM "
                           "AlbaranesDetalle d WHERE d.NumAlbaran = c.NumAlbaran AND d.CodProducto "
                           "= c.NomCliente) = CAST(c.NomCliente AS INTEGER) AND (SELECT "
                           "COUNT(*) FROM AlbaranesDetalle d WHERE d.NumAlbaran = c.NumAlbaran) = "
                           "CAST(c.NomCliente AS INTEGER)"),
                 QStringList{QString::number(notas)});
        // That station is the only one told that it was saved; every other one was told that
        // another saved it meanwhile, so that none lost its note without a word.
        QHash<QString, QString> guardada;
        for (const QString& f :
             Filas(db, "SELECT NumAlbaran || ':' || NomCliente FROM AlbaranesCabeceras"))
            guardada.insert(f.section(':', 0, 0), f.section(':', 1));
        QStringList sinAviso;
        int repartidas = 0; // rounds whose notes went to more than one station
        for (int ronda = 0; ronda < kRondas; ++ronda) {
            QSet<QString> ganadoras;
            for (int i = 0; i < kNotasPorRonda; ++i) {
                QString dichas;
                for (int n = 1; n <= kMismas; ++n)
                    if (letras.at(n - 1).at(ronda * kNotasPorRonda + i) == 'g')
                        dichas += QString::number(n);
                const QString numero = NumeroMisma(ronda, i);
                if (dichas != guardada.value(numero))
                    sinAviso << QString("%1 is station %2's, told saved: %3")
                                    .arg(numero, guardada.value(numero), dichas);
                ganadoras << dichas;
            }
            repartidas += ganadoras.size() > 1;
        }
        QVERIFY2(sinAviso.isEmpty(),
                 qPrintable(QString("%1 of %2 notes lost by a station without a word: %3")
                                .arg(sinAviso.size())
                                .arg(notas)
                                .arg(sinAviso.mid(0, 5).join("; "))));
        // Stations run one after another would each take a whole round.
        QVERIFY2(repartidas > 0, "the stations never saved at the same time");
    }
};

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc >= 5 && QByteArray(argv[1]) == "--estacion")
        return EstacionHija(app.arguments());
    TestAlmacenAlbaranes t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_almacenalbaranes.moc"
