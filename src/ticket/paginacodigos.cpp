#include "ticket/paginacodigos.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
// The name to convert with: the code page asked for, or the default one.
QByteArray Nombre(const QString& pagina) {
    return PaginaCodigos::Existe(pagina) ? pagina.toLatin1()
                                         : QByteArray(PaginaCodigos::PorDefecto);
}
} // namespace

bool PaginaCodigos::Existe(const QString& nombre) {
    return !nombre.isEmpty() && QStringEncoder(nombre.toLatin1().constData()).isValid();
}

QByteArray PaginaCodigos::ABytes(const QString& texto, const QString& pagina) {
    const QByteArray nombre = Nombre(pagina);
    QStringEncoder codificador(nombre.constData(), QStringConverter::Flag::Stateless);
    QByteArray todo = codificador(texto);
    if (!codificador.hasError())
        return todo;
    // Some character is missing from the code page: convert one at a time, "?" for those.
    QByteArray bytes;
    bytes.reserve(texto.size());
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const qsizetype n = (texto.at(i).isHighSurrogate() && i + 1 < texto.size()) ? 2 : 1;
        QStringEncoder uno(nombre.constData(), QStringConverter::Flag::Stateless);
        const QByteArray b = uno(QStringView(texto).mid(i, n));
        bytes += uno.hasError() || b.isEmpty() ? QByteArray("?") : b;
        i += n - 1;
    }
    return bytes;
}

QString PaginaCodigos::DeBytes(const QByteArray& bytes, const QString& pagina) {
    QStringDecoder decodificador(Nombre(pagina).constData(), QStringConverter::Flag::Stateless);
    return decodificador(bytes);
}
