#include "app/kelinstanciaunica.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

static constexpr QByteArrayView kActivar = "ACTIVAR\n";

kelInstanciaUnica::kelInstanciaUnica(const QString& archivoAjustes, QObject* parent)
    : QObject(parent) {
    const QString usuario = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    const QString ajustes = archivoAjustes.isEmpty() ? QStringLiteral("<native>")
                                                     : QFileInfo(archivoAjustes).absoluteFilePath();
    const QByteArray clave = (usuario + '\n' + ajustes).toUtf8();
    m_nombre = QStringLiteral("pesix-") +
               QString::fromLatin1(
                   QCryptographicHash::hash(clave, QCryptographicHash::Sha1).toHex().left(16));
    connect(&m_servidor, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = m_servidor.nextPendingConnection()) {
            connect(s, &QLocalSocket::readyRead, this, [this, s] {
                if (s->readAll().contains(kActivar.toByteArray().trimmed()))
                    emit ActivacionPedida();
                s->disconnectFromServer();
            });
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        }
    });
}

kelInstanciaUnica::~kelInstanciaUnica() {
    m_servidor.close();
    if (m_cerrojo)
        m_cerrojo->unlock();
}

bool kelInstanciaUnica::Adquiere() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    m_cerrojo = std::make_unique<QLockFile>(dir + "/" + m_nombre + ".lock");
    m_cerrojo->setStaleLockTime(0); // a lock left by a dead process is taken over by its PID
    if (m_cerrojo->tryLock(0)) {
        QLocalServer::removeServer(m_nombre);
        m_servidor.setSocketOptions(QLocalServer::UserAccessOption);
        m_servidor.listen(m_nombre);
        return true;
    }
    m_cerrojo.reset();
    // Another copy runs: ask it to come to the front. It may be still starting, so try a while.
    for (int intento = 0; intento < 10; ++intento) {
        QLocalSocket s;
        s.connectToServer(m_nombre);
        if (s.waitForConnected(100)) {
            s.write(kActivar.data(), kActivar.size());
            s.waitForBytesWritten(200);
            s.waitForDisconnected(200);
            break;
        }
        QThread::msleep(50);
    }
    return false;
}
