#include "app/archivosalida.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {
#ifdef Q_OS_UNIX
// What the path leads to, links followed; false when nothing is there.
bool Identidad(const QString& ruta, struct stat& s) {
    return !ruta.isEmpty() && ::stat(QFile::encodeName(ruta).constData(), &s) == 0;
}
#endif
} // namespace

ArchivoSalida::ArchivoSalida(const QString& ruta, const QStringList& protegidos)
    : m_ruta(ruta), m_protegidos(protegidos), m_archivo(ruta) {}

Resultado ArchivoSalida::Comprueba(const QString& ruta, const QStringList& protegidos) {
#ifdef Q_OS_UNIX
    struct stat destino {};
    if (!Identidad(ruta, destino))
        return {}; // a new file; a path that cannot be reached fails on opening, with its reason
    if (!S_ISREG(destino.st_mode))
        return Resultado::Fallo(Texto(IdTexto::SalidaNoEsArchivo).arg(ruta));
    for (const QString& p : protegidos) {
        struct stat protegido {};
        if (Identidad(p, protegido) && protegido.st_dev == destino.st_dev &&
            protegido.st_ino == destino.st_ino)
            return Resultado::Fallo(Texto(IdTexto::SalidaEsBaseDatos).arg(ruta));
    }
#else
    const QFileInfo destino(ruta);
    if (!destino.exists())
        return {};
    if (!destino.isFile())
        return Resultado::Fallo(Texto(IdTexto::SalidaNoEsArchivo).arg(ruta));
    for (const QString& p : protegidos) {
        const QFileInfo protegido(p);
        if (protegido.exists() && destino.canonicalFilePath().compare(protegido.canonicalFilePath(),
                                                                      Qt::CaseInsensitive) == 0)
            return Resultado::Fallo(Texto(IdTexto::SalidaEsBaseDatos).arg(ruta));
    }
#endif
    return {};
}

QStringList ArchivoSalida::DeBaseDatos(const QString& baseDatos) {
    if (baseDatos.isEmpty())
        return {};
    return {baseDatos, baseDatos + "-wal", baseDatos + "-shm", baseDatos + "-journal"};
}

void ArchivoSalida::Falla(const QFileDevice& archivo) {
    if (Fallido())
        return;
    // A write that finds no room is told as a full disk; anything else with the system's words.
    m_fallo = Resultado::Fallo(
        archivo.error() == QFileDevice::ResourceError
            ? Texto(IdTexto::DiscoLleno).arg(m_ruta)
            : Texto(IdTexto::ArchivoNoSeEscribe).arg(m_ruta, archivo.errorString()));
}

Resultado ArchivoSalida::Abre() {
    m_fallo = Comprueba(m_ruta, m_protegidos);
    // Unbuffered, so that every write reaches the file and fails, if it does, with its reason.
    if (m_fallo && !m_archivo.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        Falla(m_archivo);
    return m_fallo;
}

void ArchivoSalida::Escribe(QByteArrayView datos) {
    if (Fallido() || !m_archivo.isOpen())
        return;
    // A write that finds room for part of the data says nothing of why; the next one, for the
    // rest, gives the reason (a full disk, say).
    while (!datos.isEmpty()) {
        const qint64 n = m_archivo.write(datos.data(), datos.size());
        if (n <= 0) {
            Falla(m_archivo);
            return;
        }
        datos = datos.sliced(n);
    }
}

Resultado ArchivoSalida::Confirma() {
    if (!m_archivo.isOpen())
        return Fallido()
                   ? m_fallo
                   : Resultado::Fallo(Texto(IdTexto::ArchivoNoSeEscribe).arg(m_ruta, QString()));
    if (!Fallido())
        m_fallo = Comprueba(m_ruta, m_protegidos); // the place may have changed meanwhile
    if (Fallido()) {
        m_archivo.cancelWriting();
        m_archivo.commit(); // only closes and removes the file beside
        return m_fallo;
    }
    if (!m_archivo.commit())
        Falla(m_archivo);
    return m_fallo;
}

void ArchivoSalida::Cancela() {
    if (m_archivo.isOpen()) {
        m_archivo.cancelWriting();
        m_archivo.commit();
    }
}

Resultado ArchivoSalida::Guarda(const QString& ruta, QByteArrayView datos,
                                const QStringList& protegidos) {
    ArchivoSalida archivo(ruta, protegidos);
    if (Resultado r = archivo.Abre(); !r)
        return r;
    archivo.Escribe(datos);
    return archivo.Confirma();
}
