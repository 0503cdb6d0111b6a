#include "support/servidorpostgres.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>
#include <csignal>
#include <grp.h>
#include <libpq-fe.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {
QString s_falta;
std::unique_ptr<ServidorPostgres> s_comun;
bool s_probado = false;
} // namespace

ServidorPostgres* ServidorPostgres::Comun() {
    if (!std::exchange(s_probado, true)) {
        std::unique_ptr<ServidorPostgres> s(new ServidorPostgres);
        if (s->Inicia(s_falta)) {
            s_comun = std::move(s);
            qAddPostRoutine([] { s_comun.reset(); });
        }
    }
    return s_comun.get();
}

QString ServidorPostgres::Falta() {
    return s_falta;
}

void ServidorPostgres::ComoServidor(QProcess& p) const {
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setChildProcessModifier([uid = m_uid, gid = m_gid] {
        if (uid >= 0 && (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0))
            _exit(126);
        // The server goes with the test program, however that ends.
        prctl(PR_SET_PDEATHSIG, SIGQUIT);
    });
}

bool ServidorPostgres::Inicia(QString& falta) {
    // Debian's server programs of the newest version, else those on the PATH.
    const QStringList versiones =
        QDir("/usr/lib/postgresql").entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& v : versiones)
        if (QFile::exists("/usr/lib/postgresql/" + v + "/bin/initdb"))
            m_bin = "/usr/lib/postgresql/" + v + "/bin";
    if (m_bin.isEmpty() && !QStandardPaths::findExecutable("initdb").isEmpty())
        m_bin = QFileInfo(QStandardPaths::findExecutable("initdb")).absolutePath();
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/pesix-pg-XXXXXX");
    const passwd* pw = geteuid() == 0 ? getpwnam("postgres") : nullptr;
    if (pw) {
        m_uid = int(pw->pw_uid);
        m_gid = int(pw->pw_gid);
    }
    if (m_bin.isEmpty())
        falta = "no PostgreSQL server programs (initdb) on this machine";
    else if (geteuid() == 0 && (!pw || chown(QFile::encodeName(m_dir->path()).constData(),
                                             pw->pw_uid, pw->pw_gid) != 0))
        falta = "PostgreSQL tests cannot run as root without a \"postgres\" user";
    if (!falta.isEmpty())
        return false;
    QProcess initdb;
    ComoServidor(initdb);
    initdb.start(m_bin + "/initdb", {"-D", m_dir->filePath("datos"), "-U", "postgres", "-A",
                                     "trust", "-E", "UTF8", "--locale=C.UTF-8", "--no-sync"});
    if (!initdb.waitForFinished(120000) || initdb.exitCode() != 0)
        falta = "initdb failed: " + QString::fromLocal8Bit(initdb.readAll()).trimmed();
    else if (!Arranca())
        falta = "the PostgreSQL server of the tests did not start: " +
                QString::fromLocal8Bit(m_postgres.readAll()).trimmed();
    return falta.isEmpty();
}

bool ServidorPostgres::Arranca() {
    ComoServidor(m_postgres);
    // Durability is the system's business here: a killed server keeps what it committed.
    m_postgres.start(m_bin + "/postgres",
                     {"-D", m_dir->filePath("datos"), "-k", m_dir->path(), "-c",
                      "listen_addresses=", "-c", "fsync=off", "-c", "max_connections=60"});
    const QByteArray conexion =
        "host=" + QFile::encodeName(m_dir->path()) + " dbname=postgres user=postgres";
    QElapsedTimer reloj;
    reloj.start();
    while (m_postgres.waitForStarted() && reloj.elapsed() < 60000 &&
           m_postgres.state() == QProcess::Running) {
        if (PQping(conexion.constData()) == PQPING_OK)
            return true;
        QThread::msleep(20);
    }
    return false;
}

bool ServidorPostgres::Mata() {
    if (m_postgres.state() == QProcess::Running)
        ::kill(pid_t(m_postgres.processId()), SIGQUIT);
    return m_postgres.state() == QProcess::NotRunning || m_postgres.waitForFinished(60000);
}

bool ServidorPostgres::Congela(bool congelado) {
    const pid_t servidor = pid_t(m_postgres.processId());
    const int senal = congelado ? SIGSTOP : SIGCONT;
    if (servidor <= 0 || ::kill(servidor, senal) != 0)
        return false;
    // Its processes: those whose parent is the server ("pid (name) state ppid ...").
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat("/proc/" + pid + "/stat");
        if (!pid.toInt() || !stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray t = stat.readAll();
        const QList<QByteArray> campos = t.mid(t.lastIndexOf(')') + 2).split(' ');
        if (campos.size() > 1 && campos.at(1).toInt() == servidor)
            ::kill(pid_t(pid.toInt()), senal);
    }
    return true;
}

ServidorPostgres::~ServidorPostgres() {
    Mata();
}

QString ServidorPostgres::Ejecuta(const QString& base, const QString& sql) {
    const QByteArray conexion =
        "host=" + QFile::encodeName(m_dir->path()) + " dbname=" + base.toUtf8() + " user=postgres";
    PGconn* c = PQconnectdb(conexion.constData());
    PGresult* r = PQexec(c, sql.toUtf8().constData());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
    const QString error = ok ? QString() : QString::fromUtf8(PQerrorMessage(c));
    PQclear(r);
    PQfinish(c);
    return error;
}

QString ServidorPostgres::NuevaBase() {
    const QString nombre =
        QString("prueba_%1_%2").arg(QCoreApplication::applicationPid()).arg(++m_bases);
    if (const QString error = Ejecuta("postgres", "CREATE DATABASE " + nombre); !error.isEmpty())
        qFatal("cannot create the test database: %s", qPrintable(error));
    return "postgresql:///" + nombre + "?host=" + QUrl::toPercentEncoding(m_dir->path()) +
           "&user=postgres";
}

void ServidorPostgres::BorraBase(const QString& direccion) {
    Ejecuta("postgres",
            "DROP DATABASE IF EXISTS " + QUrl(direccion).path().mid(1) + " WITH (FORCE)");
}
