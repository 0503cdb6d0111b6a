#include "support/servidorcups.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QMap>
#include <QStandardPaths>
#include <QTcpSocket>

#include <cups/cups.h>

#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString Sbin(const QString& programa) {
    return QStandardPaths::findExecutable(programa, {"/usr/sbin", "/sbin", "/usr/bin", "/bin"});
}

bool Escribe(const QString& ruta, const QByteArray& bytes) {
    QFile f(ruta);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
} // namespace

Receptor::Receptor() {
    listen(QHostAddress::LocalHost);
    connect(this, &QTcpServer::newConnection, [this] {
        while (QTcpSocket* s = nextPendingConnection())
            connect(s, &QTcpSocket::disconnected, [this, s] {
                recibidos << s->readAll();
                s->deleteLater();
            });
    });
}

ServidorCups::~ServidorCups() {
    proceso.terminate();
    proceso.waitForFinished(5000);
}

QString ServidorCups::Arranca() {
    const QString cupsd = Sbin("cupsd");
    if (cupsd.isEmpty())
        return "cupsd is not installed";
    // The backends run as the server's user, who must reach the spool.
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    const QDir base(dir.path());
    for (const char* sub : {"root", "spool", "cache", "state", "log", "tmp"})
        base.mkpath(sub);
    ::chmod(QFile::encodeName(base.filePath("tmp")).constData(), 01777);
    QString usuario;
    if (::geteuid() == 0)
        usuario = ::getpwnam("lp") && ::getgrnam("lp") ? "User lp\nGroup lp\n"
                                                       : "User nobody\nGroup nogroup\n";
    if (const group* g = ::geteuid() == 0 ? ::getgrnam("root") : ::getgrgid(::getegid()))
        usuario += QStringLiteral("SystemGroup %1\n").arg(QString::fromLocal8Bit(g->gr_name));
    const QString archivos =
        QStringLiteral("ServerRoot %1/root\nRequestRoot %1/spool\nCacheDir %1/cache\n"
                       "StateDir %1/state\nTempDir %1/tmp\nAccessLog %1/log/access_log\n"
                       "ErrorLog %1/log/error_log\nPageLog %1/log/page_log\nFileDevice No\n")
            .arg(dir.path()) +
        usuario;
    const QString conf = "Listen " + Socket() +
                         "\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
                         "<Location />\n Order allow,deny\n Allow all\n</Location>\n"
                         "<Policy default>\n <Limit All>\n  Order deny,allow\n </Limit>\n"
                         "</Policy>\n";
    if (!Escribe(base.filePath("root/cups-files.conf"), archivos.toUtf8()) ||
        !Escribe(base.filePath("root/cupsd.conf"), conf.toUtf8()))
        return "cannot write the cupsd configuration";
    proceso.setProcessChannelMode(QProcess::MergedChannels);
    // cupsd ends with the test, however the test ends.
    proceso.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    proceso.start(cupsd, {"-f", "-c", base.filePath("root/cupsd.conf"), "-s",
                          base.filePath("root/cups-files.conf")});
    QElapsedTimer reloj;
    reloj.start();
    while (proceso.waitForStarted(5000) && reloj.elapsed() < 10000) {
        if (proceso.state() != QProcess::Running)
            return "cupsd stopped at once: " + QString::fromLocal8Bit(proceso.readAll());
        QLocalSocket s;
        s.connectToServer(Socket());
        if (s.waitForConnected(100))
            return {};
        proceso.waitForFinished(100);
    }
    return "cupsd did not answer within 10 s";
}

void ServidorCups::Usa() {
    qputenv("CUPS_SERVERROOT", QFile::encodeName(dir.filePath("root")));
    cupsSetServer(QFile::encodeName(Socket()).constData());
}

QString ServidorCups::Administra(const QString& programa, const QStringList& argumentos) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(Sbin(programa), QStringList{"-h", Socket()} + argumentos);
    const bool bien =
        p.waitForFinished(15000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return bien ? QString() : programa + ": " + QString::fromLocal8Bit(p.readAll());
}

QString ServidorCups::ColaRaw(const QString& cola, const Receptor& receptor,
                              const QStringList& mas) {
    const QString dispositivo = QStringLiteral("socket://127.0.0.1:%1").arg(receptor.serverPort());
    return Administra("lpadmin", QStringList{"-p", cola, "-E", "-v", dispositivo} + mas);
}

QStringList Trabajos() {
    cups_job_t* t = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &t, nullptr, 0, CUPS_WHICHJOBS_ALL);
    QMap<int, QString> trabajos;
    for (int i = 0; i < n; ++i)
        trabajos[t[i].id] = QString("%1@%2:%3").arg(t[i].title, t[i].dest).arg(t[i].state);
    cupsFreeJobs(n, t);
    return trabajos.values();
}
