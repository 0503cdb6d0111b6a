// The system print queue (kind 3) against a real print server: the test runs its own cupsd
// on a private socket with raw queues whose device is a socket:// listener of the test, and
// checks that exactly the ticket's bytes arrive there under one job named "RAWPRN".

#include "support/entornoprueba.h"
#include "ticket/paginacodigos.h"
#include "ticket/salidatiquet.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cups/cups.h>

#include <arpa/inet.h>
#include <csignal>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QString kTiquet = QString::fromUtf8("\x1b@Señor Pérez\r\n12,50 kg\n\x1dV\x01");
const QByteArray kBytes =
    QByteArray::fromHex("1b40 5365a46f72 2050 82 72657a 0d0a 31322c3530206b67 0a 1d5601");
const char* const kCola = "pesixraw";
const char* const kColaCompartida = "pesixcompartida";

QString Sbin(const QString& programa) {
    return QStandardPaths::findExecutable(
        programa, {"/usr/sbin", "/sbin", "/usr/local/sbin", "/usr/bin", "/bin"});
}

// A printer's network port: accepts connections on 127.0.0.1 and keeps, per connection, the
// bytes received until the sender finished.
class Receptor {
public:
    Receptor() {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in dir{};
        dir.sin_family = AF_INET;
        dir.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t largo = sizeof dir;
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&dir), sizeof dir) != 0 ||
            ::listen(m_fd, 8) != 0 ||
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&dir), &largo) != 0)
            return;
        m_puerto = ntohs(dir.sin_port);
        m_aviso = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
        QObject::connect(m_aviso.get(), &QSocketNotifier::activated, [this] { Acepta(); });
    }
    ~Receptor() {
        m_aviso.reset();
        ::close(m_fd);
    }
    quint16 Puerto() const { return m_puerto; }
    // The data of every finished connection, in order.
    const QList<QByteArray>& Recibidos() const { return m_recibidos; }

private:
    // Reads each connection to its end (the print server sends, then waits for our close).
    void Acepta() {
        int c;
        while ((c = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC)) >= 0) {
            const timeval espera{20, 0};
            ::setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, &espera, sizeof espera);
            QByteArray datos;
            char trozo[8192];
            ssize_t n;
            while ((n = ::read(c, trozo, sizeof trozo)) > 0)
                datos.append(trozo, n);
            ::close(c);
            m_recibidos.append(datos);
        }
    }

    int m_fd = -1;
    quint16 m_puerto = 0;
    std::unique_ptr<QSocketNotifier> m_aviso;
    QList<QByteArray> m_recibidos;
};

// A print server of the test's own, on a socket in a private folder; stopped when destroyed.
class ServidorCups {
public:
    ~ServidorCups() { Para(); }

    QString Socket() const { return m_dir.filePath("cups.sock"); }
    QString Carpeta() const { return m_dir.path(); }

    bool Arranca(QString& motivo) {
        const auto falla = [&](const QString& texto) {
            motivo = texto;
            return false;
        };
        const QString cupsd = Sbin("cupsd");
        if (cupsd.isEmpty())
            return falla("cupsd is not installed");
        if (!m_dir.isValid())
            return falla("no temporary folder for cupsd");
        // The backends run as the server's user, who must reach the spool.
        ::chmod(QFile::encodeName(m_dir.path()).constData(), 0755);
        const QDir base(m_dir.path());
        for (const char* sub : {"root", "root/ppd", "spool", "cache", "state", "log", "tmp"})
            base.mkpath(sub);
        ::chmod(QFile::encodeName(base.filePath("tmp")).constData(), 01777);

        QString usuario;
        if (::geteuid() == 0) {
            if (::getpwnam("lp") && ::getgrnam("lp"))
                usuario = "User lp\nGroup lp\nSystemGroup root\n";
            else
                usuario = "User nobody\nGroup nogroup\nSystemGroup root\n";
        } else if (const group* g = ::getgrgid(::getegid())) {
            usuario = QStringLiteral("SystemGroup %1\n").arg(QString::fromLocal8Bit(g->gr_name));
        }
        const QString archivos =
            QStringLiteral("ServerRoot %1/root\nRequestRoot %1/spool\nCacheDir %1/cache\n"
                           "StateDir %1/state\nTempDir %1/tmp\nAccessLog %1/log/access_log\n"
                           "ErrorLog %1/log/error_log\nPageLog %1/log/page_log\nFileDevice No\n")
                .arg(m_dir.path()) +
            usuario;
        const QString conf =
            QStringLiteral("Listen %1\nLogLevel info\nBrowsing No\nWebInterface No\n"
                           "DefaultAuthType None\nJobRetryLimit 0\n"
                           "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                           "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n"
                           "</Policy>\n")
                .arg(Socket());
        if (!Escribe(base.filePath("root/cups-files.conf"), archivos) ||
            !Escribe(base.filePath("root/cupsd.conf"), conf))
            return falla("cannot write the cupsd configuration");

        m_proceso.setProcessChannelMode(QProcess::MergedChannels);
        // cupsd ends with the test, however the test ends.
        m_proceso.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        m_proceso.start(cupsd, {"-f", "-c", base.filePath("root/cupsd.conf"), "-s",
                                base.filePath("root/cups-files.conf")});
        if (!m_proceso.waitForStarted(5000))
            return falla("cupsd could not be started: " + m_proceso.errorString());
        QElapsedTimer reloj;
        reloj.start();
        while (reloj.elapsed() < 10000) {
            if (m_proceso.state() != QProcess::Running)
                return falla("cupsd stopped at once: " +
                             QString::fromLocal8Bit(m_proceso.readAll()));
            if (Responde())
                return true;
            m_proceso.waitForFinished(100);
        }
        Para();
        return falla("cupsd did not answer within 10 s");
    }

    void Para() {
        if (m_proceso.state() == QProcess::NotRunning)
            return;
        m_proceso.terminate();
        if (!m_proceso.waitForFinished(5000)) {
            m_proceso.kill();
            m_proceso.waitForFinished(2000);
        }
    }

    // Runs a CUPS administration program against this server.
    bool Administra(const QString& programa, const QStringList& argumentos, QString& salida) {
        const QString ruta = Sbin(programa);
        if (ruta.isEmpty()) {
            salida = programa + " is not installed";
            return false;
        }
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(ruta, QStringList{"-h", Socket()} + argumentos);
        const bool bien =
            p.waitForFinished(15000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        salida = QString::fromLocal8Bit(p.readAll());
        return bien;
    }

private:
    static bool Escribe(const QString& ruta, const QString& texto) {
        QFile f(ruta);
        return f.open(QIODevice::WriteOnly) && f.write(texto.toUtf8()) >= 0;
    }
    bool Responde() const {
        const QByteArray ruta = QFile::encodeName(Socket());
        const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un dir{};
        dir.sun_family = AF_UNIX;
        qstrncpy(dir.sun_path, ruta.constData(), sizeof dir.sun_path);
        const bool bien =
            s >= 0 && ::connect(s, reinterpret_cast<sockaddr*>(&dir), sizeof dir) == 0;
        if (s >= 0)
            ::close(s);
        return bien;
    }

    QTemporaryDir m_dir;
    QProcess m_proceso;
};

struct Trabajo {
    int id = 0;
    QString titulo;
    QString cola;
    ipp_jstate_t estado = IPP_JSTATE_PENDING;
};

// Every job the server knows, finished ones included, oldest first.
QList<Trabajo> Trabajos() {
    cups_job_t* trabajos = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &trabajos, nullptr, 0, CUPS_WHICHJOBS_ALL);
    QList<Trabajo> lista;
    for (int i = 0; i < n; ++i)
        lista.append({trabajos[i].id, QString::fromUtf8(trabajos[i].title),
                      QString::fromUtf8(trabajos[i].dest), trabajos[i].state});
    cupsFreeJobs(n, trabajos);
    std::sort(lista.begin(), lista.end(),
              [](const Trabajo& a, const Trabajo& b) { return a.id < b.id; });
    return lista;
}

} // namespace

class TestImpresionCups : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void trabajoRaw_data();
    void trabajoRaw();
    void colaDesconocida();
    void colaQueRechaza();
    void enumerarImpresoras();

private:
    // Sends through the given call and checks the one new job and the bytes at the printer.
    void CompruebaTrabajo(const std::function<bool()>& envia, const QByteArray& esperado);

    ServidorCups m_servidor;
    std::unique_ptr<Receptor> m_receptor;
    QTemporaryDir m_casa;
};

void TestImpresionCups::initTestCase() {
    // The print client reads nothing of this machine's or this user's own printer settings.
    qputenv("HOME", QFile::encodeName(m_casa.path()));
    qunsetenv("LPDEST");
    qunsetenv("PRINTER");

    QString motivo;
    if (!m_servidor.Arranca(motivo))
        QSKIP(qPrintable("cupsd cannot start here, so the print queue is not tested: " + motivo));
    qputenv("CUPS_SERVERROOT", QFile::encodeName(m_servidor.Carpeta() + "/root"));
    qputenv("CUPS_SERVER", QFile::encodeName(m_servidor.Socket()));
    cupsSetServer(QFile::encodeName(m_servidor.Socket()).constData());

    m_receptor = std::make_unique<Receptor>();
    QVERIFY(m_receptor->Puerto() != 0);
    const QString dispositivo = QStringLiteral("socket://127.0.0.1:%1").arg(m_receptor->Puerto());
    QString salida;
    // Queues without a driver: raw, the data goes to the device as it came.
    QVERIFY2(m_servidor.Administra(
                 "lpadmin", {"-p", kCola, "-E", "-v", dispositivo, "-o", "printer-is-shared=false"},
                 salida),
             qPrintable(salida));
    QVERIFY2(m_servidor.Administra(
                 "lpadmin",
                 {"-p", kColaCompartida, "-E", "-v", dispositivo, "-o", "printer-is-shared=true"},
                 salida),
             qPrintable(salida));
    QVERIFY2(m_servidor.Administra("lpadmin", {"-d", kColaCompartida}, salida), qPrintable(salida));
}

void TestImpresionCups::CompruebaTrabajo(const std::function<bool()>& envia,
                                         const QByteArray& esperado) {
    const QList<Trabajo> antes = Trabajos();
    const qsizetype recibidos = m_receptor->Recibidos().size();
    QVERIFY2(envia(), qPrintable(SalidaTiquet::UltimoError()));
    QTRY_COMPARE_WITH_TIMEOUT(m_receptor->Recibidos().size(), recibidos + 1, 20000);
    const QByteArray llegado = m_receptor->Recibidos().last();
    QCOMPARE(llegado.size(), esperado.size());
    QVERIFY(llegado == esperado);

    // One new job, named RAWPRN, on the queue, and it completed.
    QList<Trabajo> despues;
    QTRY_VERIFY_WITH_TIMEOUT((despues = Trabajos()).size() == antes.size() + 1 &&
                                 despues.last().estado == IPP_JSTATE_COMPLETED,
                             10000);
    QCOMPARE(despues.last().titulo, QString("RAWPRN"));
    QCOMPARE(despues.last().cola, QString(kCola));
    if (!antes.isEmpty())
        QVERIFY(despues.last().id > antes.last().id);
    QCOMPARE(m_receptor->Recibidos().size(), recibidos + 1);
}

void TestImpresionCups::trabajoRaw_data() {
    QTest::addColumn<bool>("porConfiguracion");
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QByteArray>("esperado");
    QTest::newRow("EnviarTiquet with kind 3") << true << kTiquet << kBytes;
    QByteArray todos;
    for (int i = 0; i < 256; ++i)
        todos.append(char(i));
    QTest::newRow("every byte value") << false << PaginaCodigos::DeBytes(todos) << todos;
    // A PostScript opening must not wake any filter: the job is raw.
    QTest::newRow("looks like PostScript")
        << false << QString("%!PS-Adobe-3.0\n") << QByteArray("%!PS-Adobe-3.0\n");
}

void TestImpresionCups::trabajoRaw() {
    QFETCH(bool, porConfiguracion);
    QFETCH(QString, texto);
    QFETCH(QByteArray, esperado);
    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    d.SetPuertoImpresoraTiquets(SalidaTiquet::ImpresoraSistema);
    d.SetNombreImpresoraTiquets(kCola);
    CompruebaTrabajo(
        [&] {
            return porConfiguracion ? SalidaTiquet::EnviarTiquet(texto)
                                    : SalidaTiquet::ImprimeDirecto(kCola, texto);
        },
        esperado);
}

void TestImpresionCups::colaDesconocida() {
    EntornoPrueba env;
    clsDatosApp& d = env.DatosConBase();
    d.SetPuertoImpresoraTiquets(SalidaTiquet::ImpresoraSistema);
    d.SetNombreImpresoraTiquets("pesix-no-such-queue");
    const qsizetype antes = Trabajos().size();
    QVERIFY(!SalidaTiquet::EnviarTiquet(kTiquet));
    QVERIFY(SalidaTiquet::UltimoError().contains("pesix-no-such-queue"));
    QVERIFY(!SalidaTiquet::ImprimeDirecto("pesix-no-such-queue", kTiquet));
    QCOMPARE(Trabajos().size(), antes);
}

void TestImpresionCups::colaQueRechaza() {
    EntornoPrueba env;
    env.DatosConBase();
    QString salida;
    QVERIFY2(m_servidor.Administra("cupsreject", {kCola}, salida), qPrintable(salida));
    const int antes = int(Trabajos().size());
    const qsizetype recibidos = m_receptor->Recibidos().size();
    // A queue that takes no jobs: the ticket was not handed over.
    const bool enviado = SalidaTiquet::ImprimeDirecto(kCola, kTiquet);
    const QString error = SalidaTiquet::UltimoError();
    QVERIFY2(m_servidor.Administra("cupsaccept", {kCola}, salida), qPrintable(salida));
    QVERIFY(!enviado);
    QVERIFY(!error.isEmpty());
    QCOMPARE(int(Trabajos().size()), antes);
    QCOMPARE(m_receptor->Recibidos().size(), recibidos);
}

void TestImpresionCups::enumerarImpresoras() {
    QList<QStringList> impresoras{{"stale", "entry", "words "}};
    const int n = SalidaTiquet::EnumerarImpresoras(impresoras);
    QCOMPARE(n, 2);
    // Name, server (empty for a local printer), attribute words in their fixed order.
    const QList<QStringList> esperado{{kColaCompartida, "", "default local shared "},
                                      {kCola, "", "local "}};
    QCOMPARE(impresoras, esperado);
}

QTEST_MAIN(TestImpresionCups)
#include "tst_impresioncups.moc"
