#include "support/servidorpostgres.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
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
// The folder of Debian's server binaries of the newest version, else those on the PATH.
QString Binarios() {
    QDir raiz("/usr/lib/postgresql");
    QStringList versiones = raiz.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versiones.begin(), versiones.end(),
              [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
    for (const QString& v : versiones)
        if (QFileInfo(raiz.filePath(v + "/bin/initdb")).isExecutable())
            return raiz.filePath(v + "/bin");
    const QString initdb = QStandardPaths::findExecutable("initdb");
    return initdb.isEmpty() ? QString() : QFileInfo(initdb).absolutePath();
}

QString s_falta;
std::unique_ptr<ServidorPostgres> s_comun;
bool s_probado = false;
} // namespace

ServidorPostgres* ServidorPostgres::Comun() {
    if (!s_probado) {
        s_probado = true;
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
    const int uid = m_uid, gid = m_gid;
    p.setChildProcessModifier([uid, gid] {
        if (uid >= 0 && (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0))
            _exit(126);
        // The server goes with the test program, however that ends.
        prctl(PR_SET_PDEATHSIG, SIGQUIT);
    });
}

bool ServidorPostgres::EjecutaPrograma(const QString& programa, const QStringList& argumentos,
                                       QString& error) {
    QProcess p;
    ComoServidor(p);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(m_bin + "/" + programa, argumentos);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode()) {
        error = programa + " failed: " + QString::fromLocal8Bit(p.readAll()).trimmed();
        return false;
    }
    return true;
}

bool ServidorPostgres::Inicia(QString& falta) {
    m_bin = Binarios();
    if (m_bin.isEmpty()) {
        falta = "PostgreSQL tests skipped: no server binaries (initdb) on this machine";
        return false;
    }
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/pesix-pg-XXXXXX");
    if (!m_dir->isValid()) {
        falta = "PostgreSQL tests cannot run: no temporary folder";
        return false;
    }
    if (geteuid() == 0) {
        const passwd* pw = getpwnam("postgres");
        if (!pw) {
            falta = "PostgreSQL tests cannot run as root without a \"postgres\" user";
            return false;
        }
        m_uid = int(pw->pw_uid);
        m_gid = int(pw->pw_gid);
        if (chown(QFile::encodeName(m_dir->path()).constData(), pw->pw_uid, pw->pw_gid) != 0) {
            falta = "PostgreSQL tests cannot run: the temporary folder cannot be handed over";
            return false;
        }
    }
    if (!EjecutaPrograma("initdb",
                         {"-D", m_dir->filePath("datos"), "-U", "postgres", "-A", "trust", "-E",
                          "UTF8", "--locale=C.UTF-8", "--no-sync"},
                         falta))
        return false;
    if (!Arranca()) {
        falta = "the PostgreSQL server of the tests did not start: " +
                QString::fromLocal8Bit(m_postgres.readAll()).trimmed();
        return false;
    }
    return true;
}

bool ServidorPostgres::Arranca() {
    ComoServidor(m_postgres);
    m_postgres.setProcessChannelMode(QProcess::MergedChannels);
    // Durability is the system's business here: a stopped server keeps what it committed.
    m_postgres.start(m_bin + "/postgres",
                     {"-D", m_dir->filePath("datos"), "-k", m_dir->path(), "-c",
                      "listen_addresses=", "-c", "fsync=off", "-c", "max_connections=60"});
    if (!m_postgres.waitForStarted())
        return false;
    const QByteArray conexion =
        "host=" + QFile::encodeName(m_dir->path()) + " dbname=postgres user=postgres";
    QElapsedTimer reloj;
    reloj.start();
    while (reloj.elapsed() < 60000 && m_postgres.state() == QProcess::Running) {
        if (PQping(conexion.constData()) == PQPING_OK)
            return true;
        QThread::msleep(20);
    }
    return false;
}

bool ServidorPostgres::Mata() {
    if (m_postgres.state() != QProcess::Running)
        return true;
    ::kill(pid_t(m_postgres.processId()), SIGQUIT);
    return m_postgres.waitForFinished(60000);
}

ServidorPostgres::~ServidorPostgres() {
    Mata();
}

QString ServidorPostgres::Ejecuta(const QString& base, const QString& sql) {
    const QByteArray conexion =
        "host=" + QFile::encodeName(m_dir->path()) + " dbname=" + base.toUtf8() + " user=postgres";
    PGconn* c = PQconnectdb(conexion.constData());
    QString error;
    if (PQstatus(c) != CONNECTION_OK) {
        error = QString::fromUtf8(PQerrorMessage(c));
    } else {
        PGresult* r = PQexec(c, sql.toUtf8().constData());
        if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK)
            error = QString::fromUtf8(PQresultErrorMessage(r));
        PQclear(r);
    }
    PQfinish(c);
    return error;
}

QString ServidorPostgres::NuevaBase() {
    const QString nombre =
        QString("prueba_%1_%2").arg(QCoreApplication::applicationPid()).arg(++m_bases);
    const QString error = Ejecuta("postgres", "CREATE DATABASE " + nombre);
    if (!error.isEmpty())
        qFatal("cannot create the test database: %s", qPrintable(error));
    return "postgresql:///" + nombre +
           "?host=" + QString::fromUtf8(QUrl::toPercentEncoding(m_dir->path())) + "&user=postgres";
}

void ServidorPostgres::BorraBase(const QString& direccion) {
    const QString nombre = QUrl(direccion).path().mid(1);
    Ejecuta("postgres", "DROP DATABASE IF EXISTS " + nombre + " WITH (FORCE)");
}
