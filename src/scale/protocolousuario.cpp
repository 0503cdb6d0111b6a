#include "scale/protocolousuario.h"

#include "app/cmnlanguaje.h"
#include "app/idtextos.h"

#include <QRegularExpression>

#include <algorithm>

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

// The expression compiled for UTF-8 subjects, with what one match needs.
struct ProtocoloUsuario::Compilada {
    pcre2_code* codigo = nullptr;
    pcre2_match_data* datos = nullptr;
    int peso = -1;
    int unidad = -1;
    int estado = -1;
    // Compiled to machine code, matched without the interpreter's checks.
    bool jit = false;
    // Compiled for UTF-8 subjects: a frame with bytes over 127 is written out first. An
    // expression of ASCII characters matches a frame's bytes as Latin-1 text without that.
    bool utf = false;
    // A frame with bytes over 127, written as UTF-8.
    QByteArray utf8;

    Compilada() = default;
    Compilada(const Compilada&) = delete;
    Compilada& operator=(const Compilada&) = delete;
    ~Compilada() {
        pcre2_match_data_free(datos);
        pcre2_code_free(codigo);
    }
    int Grupo(const char* nombre) const {
        const int n = pcre2_substring_number_from_name(codigo, PCRE2_SPTR(nombre));
        return n > 0 ? n : -1;
    }
};

namespace {
bool Blanco(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

QByteArrayView SinBlancos(QByteArrayView t) {
    while (!t.isEmpty() && Blanco(t.front()))
        t = t.sliced(1);
    while (!t.isEmpty() && Blanco(t.back()))
        t.chop(1);
    return t;
}

} // namespace

ProtocoloUsuario::ProtocoloUsuario() = default;

bool ProtocoloUsuario::Lee(QByteArrayView trama, Grupos& grupos) const {
    Compilada* c = m_compilada.get();
    if (!c)
        return false;
    // A frame of ASCII bytes is its own UTF-8; one with Latin-1 letters is written out.
    bool ascii = true;
    if (c->utf)
        for (const char b : trama)
            ascii = ascii && uchar(b) < 0x80;
    QByteArrayView sujeto = trama;
    if (!ascii) {
        c->utf8.clear();
        for (const char b : trama) {
            if (uchar(b) < 0x80) {
                c->utf8 += b;
            } else {
                c->utf8 += char(0xC0 | (uchar(b) >> 6));
                c->utf8 += char(0x80 | (uchar(b) & 0x3F));
            }
        }
        sujeto = c->utf8;
    }
    const int r = c->jit
                      ? pcre2_jit_match(c->codigo, PCRE2_SPTR(sujeto.data()),
                                        PCRE2_SIZE(sujeto.size()), 0, 0, c->datos, nullptr)
                      : pcre2_match(c->codigo, PCRE2_SPTR(sujeto.data()), PCRE2_SIZE(sujeto.size()),
                                    0, PCRE2_NO_UTF_CHECK, c->datos, nullptr);
    if (r < 0)
        return false;
    const PCRE2_SIZE* v = pcre2_get_ovector_pointer(c->datos);
    const uint32_t pares = pcre2_get_ovector_count(c->datos);
    // Where a UTF-8 offset stands in the frame: a letter written as two bytes is one there.
    const auto EnTrama = [&](PCRE2_SIZE o) {
        qsizetype dentro = qsizetype(o);
        if (!ascii)
            for (PCRE2_SIZE i = 0; i < o; ++i)
                dentro -= (uchar(sujeto[qsizetype(i)]) & 0xC0) == 0x80 ? 1 : 0;
        return dentro;
    };
    const auto Grupo = [&](int n) {
        if (n < 0 || uint32_t(n) >= pares || v[2 * n] == PCRE2_UNSET)
            return QByteArrayView();
        const qsizetype desde = EnTrama(v[2 * n]);
        return trama.sliced(desde, EnTrama(v[2 * n + 1]) - desde);
    };
    grupos.peso = Grupo(c->peso);
    grupos.unidad = SinBlancos(Grupo(c->unidad));
    grupos.estado = SinBlancos(Grupo(c->estado));
    return true;
}

bool ProtocoloUsuario::EsEstable(QByteArrayView estado) const {
    const QByteArrayView t = SinBlancos(estado);
    for (const QByteArray& e : m_estable)
        if (e == t)
            return true;
    return false;
}

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
    // The same expression for the bytes of the frames: the engine QRegularExpression runs, with
    // the one option it gives an expression made without options (UTF), so it compiles as it
    // did above. An expression of ASCII characters means the same on a frame's bytes read as
    // Latin-1 as on the frame written as UTF-8 (the classes and caseless letters are ASCII's
    // alike), so it is compiled for the bytes as they stand, and never for UTF-8 (a "(*UTF)"
    // in it sends it the other way).
    auto c = std::make_shared<Compilada>();
    const QByteArray patron = trama.toUtf8();
    int codigoError = 0;
    PCRE2_SIZE posicionError = 0;
    const bool ascii =
        std::all_of(patron.begin(), patron.end(), [](char b) { return uchar(b) < 0x80; });
    if (ascii)
        c->codigo = pcre2_compile(PCRE2_SPTR(patron.constData()), PCRE2_SIZE(patron.size()),
                                  PCRE2_NEVER_UTF, &codigoError, &posicionError, nullptr);
    c->utf = !c->codigo;
    if (c->utf)
        c->codigo = pcre2_compile(PCRE2_SPTR(patron.constData()), PCRE2_SIZE(patron.size()),
                                  PCRE2_UTF, &codigoError, &posicionError, nullptr);
    if (!c->codigo) {
        PCRE2_UCHAR mensaje[256];
        pcre2_get_error_message(codigoError, mensaje, sizeof mensaje);
        return Resultado::Fallo(Texto(IdTexto::TramaUsuarioNoValida)
                                    .arg(QString::fromUtf8(reinterpret_cast<const char*>(mensaje)))
                                    .arg(qsizetype(posicionError)));
    }
    // Without a just-in-time compiler here, matching runs interpreted.
    c->jit = pcre2_jit_compile(c->codigo, PCRE2_JIT_COMPLETE) == 0;
    c->datos = pcre2_match_data_create_from_pattern(c->codigo, nullptr);
    c->peso = c->Grupo("peso");
    c->unidad = c->Grupo("unidad");
    c->estado = c->Grupo("estado");
    protocolo.m_compilada = std::move(c);
    protocolo.m_estable.clear();
    for (const QString& texto : estable.split(u'|'))
        protocolo.m_estable << texto.trimmed().toLatin1();
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
