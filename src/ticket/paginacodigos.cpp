#include "ticket/paginacodigos.h"

#include "app/clsdatosapp.h"

#include <QStringDecoder>
#include <QStringEncoder>

QString PaginaCodigos::Actual() {
    const clsDatosApp* datos = clsDatosApp::Instancia();
    const QString pagina = datos ? datos->PaginaCodigosTiquet() : QString();
    return pagina.isEmpty() ? QString::fromLatin1(PorDefecto) : pagina;
}

bool PaginaCodigos::Existe(const QString& nombre) {
    return QStringEncoder(nombre.toLatin1().constData()).isValid();
}

QByteArray PaginaCodigos::ABytes(const QString& texto, const QString& pagina) {
    QStringEncoder codificador(pagina.toLatin1().constData(), QStringConverter::Flag::Stateless);
    if (!codificador.isValid())
        codificador = QStringEncoder(PorDefecto, QStringConverter::Flag::Stateless);
    QByteArray todo = codificador(texto);
    if (!codificador.hasError())
        return todo;
    // Some character is missing from the code page: convert one at a time, "?" for those.
    QByteArray bytes;
    bytes.reserve(texto.size());
    for (qsizetype i = 0; i < texto.size(); ++i) {
        qsizetype n = (texto.at(i).isHighSurrogate() && i + 1 < texto.size()) ? 2 : 1;
        QStringEncoder uno(pagina.toLatin1().constData(), QStringConverter::Flag::Stateless);
        if (!uno.isValid())
            uno = QStringEncoder(PorDefecto, QStringConverter::Flag::Stateless);
        const QByteArray b = uno(QStringView(texto).mid(i, n));
        bytes += uno.hasError() || b.isEmpty() ? QByteArray("?") : b;
        i += n - 1;
    }
    return bytes;
}

QString PaginaCodigos::DeBytes(const QByteArray& bytes, const QString& pagina) {
    QStringDecoder decodificador(pagina.toLatin1().constData(), QStringConverter::Flag::Stateless);
    if (!decodificador.isValid())
        decodificador = QStringDecoder(PorDefecto, QStringConverter::Flag::Stateless);
    return decodificador(bytes);
}
