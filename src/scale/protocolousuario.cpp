#include "scale/protocolousuario.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"

ProtocoloUsuario::ProtocoloUsuario() : m_expresion(QStringLiteral("(?!)")) {}

Resultado ProtocoloUsuario::Crea(const QString& trama, const QString& estable, const QString& fin,
                                 const QString& peticion, ProtocoloUsuario& protocolo) {
    QRegularExpression e(trama);
    if (trama.isEmpty())
        return Resultado::Fallo(Texto(IdTexto::TramaUsuarioVacia));
    if (!e.isValid())
        return Resultado::Fallo(
            Texto(IdTexto::TramaUsuarioNoValida).arg(e.errorString()).arg(e.patternErrorOffset()));
    const QStringList grupos = e.namedCaptureGroups();
    if (!grupos.contains(QStringLiteral("peso")))
        return Resultado::Fallo(Texto(IdTexto::TramaUsuarioSinPeso));
    const QString f = fin.trimmed().toUpper();
    FinTrama final;
    if (f.isEmpty() || f == u"CR")
        final = FinTrama::CR;
    else if (f == u"LF")
        final = FinTrama::LF;
    else if (f == u"CRLF")
        final = FinTrama::CRLF;
    else if (f == u"ETX")
        final = FinTrama::ETX;
    else
        return Resultado::Fallo(Texto(IdTexto::FinTramaNoValido).arg(fin));
    e.optimize();
    protocolo.m_expresion = e;
    protocolo.m_estable.clear();
    for (const QString& texto : estable.split(u'|'))
        protocolo.m_estable << texto.trimmed();
    protocolo.m_fin = final;
    protocolo.m_peticion = Escapes(peticion);
    protocolo.m_conEstado = grupos.contains(QStringLiteral("estado"));
    return Resultado::Exito();
}

QByteArray ProtocoloUsuario::Escapes(const QString& texto) {
    QByteArray b;
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const QChar c = texto.at(i);
        if (c != u'\\' || i + 1 >= texto.size()) {
            b += char(c.unicode() < 256 ? c.unicode() : '?');
            continue;
        }
        const QChar s = texto.at(++i);
        if (s == u'r') {
            b += '\r';
        } else if (s == u'n') {
            b += '\n';
        } else if (s == u't') {
            b += '\t';
        } else if (s == u'\\') {
            b += '\\';
        } else if (s == u'x') {
            bool ok = false;
            const int v = texto.mid(i + 1, 2).toInt(&ok, 16);
            if (ok && texto.mid(i + 1, 2).size() == 2) {
                b += char(v);
                i += 2;
            } else {
                b += "\\x";
            }
        } else {
            b += '\\';
            b += char(s.unicode() < 256 ? s.unicode() : '?');
        }
    }
    return b;
}
