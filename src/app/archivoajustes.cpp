#include "app/archivoajustes.h"

#include "app/archivosalida.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

namespace {
bool Igual(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// `grupo` is `raiz` or lies below it.
bool Debajo(const QString& grupo, const QString& raiz) {
    return raiz.isEmpty() || Igual(grupo, raiz) ||
           grupo.startsWith(raiz + '/', Qt::CaseInsensitive);
}

bool EsUtf8(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString texto = utf8(bytes); // decoding happens on conversion
    return !utf8.hasError();
}

QString Decodifica(const QByteArray& bytes) {
    if (EsUtf8(bytes))
        return QString::fromUtf8(bytes);
    QStringDecoder cp1252("windows-1252", QStringConverter::Flag::Stateless);
    return cp1252.isValid() ? cp1252(bytes) : QString::fromLatin1(bytes);
}

// Bytes of new text: Windows-1252 in a file written in it, when the text fits and its bytes
// cannot be mistaken for UTF-8; UTF-8 otherwise.
QByteArray Codifica(const QString& texto, bool cp1252) {
    if (cp1252) {
        QStringEncoder codificador("windows-1252", QStringConverter::Flag::Stateless);
        if (codificador.isValid()) {
            const QByteArray bytes = codificador(texto);
            const bool ascii =
                std::all_of(bytes.begin(), bytes.end(), [](char b) { return uchar(b) < 0x80; });
            if (!codificador.hasError() && (ascii || !EsUtf8(bytes)))
                return bytes;
        }
    }
    return texto.toUtf8();
}

bool EsBlanco(QChar c) {
    return c == ' ' || c == '\t';
}

QStringView SinBlancos(QStringView t) {
    qsizetype i = 0, j = t.size();
    while (i < j && EsBlanco(t[i]))
        ++i;
    while (j > i && EsBlanco(t[j - 1]))
        --j;
    return t.mid(i, j - i);
}

// The value of a hexadecimal digit, -1 for any other character.
int DigitoHex(QChar c) {
    return c.unicode() < 0x80 ? int(QStringLiteral("0123456789abcdef").indexOf(c.toLower())) : -1;
}

// A name or group path as stored: "\" separates groups, %XX and %UXXXX are escapes.
QString RutaDe(QStringView clave) {
    QString r;
    const QStringView t = SinBlancos(clave);
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        const bool unicode = c == '%' && i + 1 < t.size() && t[i + 1] == 'U';
        const int cifras = unicode ? 4 : 2;
        const qsizetype desde = unicode ? i + 2 : i + 1;
        int valor = 0;
        bool escape = c == '%' && desde + cifras <= t.size();
        for (int k = 0; escape && k < cifras; ++k) {
            const int d = DigitoHex(t[desde + k]);
            escape = d >= 0;
            valor = valor * 16 + d;
        }
        if (escape) {
            r += QChar(char16_t(valor));
            i = desde + cifras - 1;
        } else {
            r += c == '\\' ? QChar('/') : c;
        }
    }
    while (r.startsWith('/'))
        r.remove(0, 1);
    while (r.endsWith('/'))
        r.chop(1);
    return r;
}

// A name as written: escapes for what would change how the line reads.
QString NombreGuardado(const QString& nombre) {
    QString r;
    for (qsizetype i = 0; i < nombre.size(); ++i) {
        const QChar c = nombre[i];
        const bool extremo = i == 0 || i == nombre.size() - 1;
        const bool escapa = c.unicode() < 0x20 || c == '%' || c == '=' || c == '\\' || c == '/' ||
                            c == '[' || c == ']' || c == ';' || c == '#' ||
                            (extremo && EsBlanco(c));
        if (escapa)
            r += '%' + QString::number(c.unicode(), 16).rightJustified(2, '0').toUpper();
        else
            r += c;
    }
    return r;
}

QString GrupoGuardado(const QString& grupo) {
    QStringList partes = grupo.split('/');
    for (QString& p : partes)
        p = NombreGuardado(p);
    return partes.join('\\');
}

// A value between double quotes, when the whole text is one; false otherwise.
bool ValorEntreComillas(QStringView t, QString& valor) {
    if (t.size() < 2 || t.front() != '"')
        return false;
    valor.clear();
    for (qsizetype i = 1; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c == '"')
            return i == t.size() - 1;
        if (c != '\\' || i + 1 == t.size()) {
            valor += c;
            continue;
        }
        const QChar e = t[++i];
        static const QString kLetras = QStringLiteral("abfnrtv");
        static const QString kControles = QStringLiteral("\a\b\f\n\r\t\v");
        if (kLetras.contains(e)) {
            valor += kControles[kLetras.indexOf(e)];
        } else if (e == 'x' || e == '0') {
            // Hexadecimal after \x, octal after \0, as many digits as follow.
            const int base = e == 'x' ? 16 : 8;
            uint n = 0;
            while (i + 1 < t.size() && DigitoHex(t[i + 1]) >= 0 && DigitoHex(t[i + 1]) < base)
                n = n * base + uint(DigitoHex(t[++i]));
            valor += QChar(char16_t(n));
        } else if (e == '"' || e == '\\' || e == '\'' || e == '?') {
            valor += e;
        } else {
            valor += c;
            valor += e;
        }
    }
    return false; // no closing quote
}

QString ValorLeido(QStringView despuesDelIgual) {
    const QStringView t = SinBlancos(despuesDelIgual);
    QString valor;
    return ValorEntreComillas(t, valor) ? valor : t.toString();
}
} // namespace

QString ArchivoAjustes::TextoGuardado(const QString& texto) {
    bool comillas = !texto.isEmpty() &&
                    (texto.front() == '"' || EsBlanco(texto.front()) || EsBlanco(texto.back()));
    for (const QChar c : texto)
        comillas = comillas || c.unicode() < 0x20 || c.unicode() == 0x7F;
    if (!comillas)
        return texto;
    QString r = QStringLiteral("\"");
    bool trasHex = false;
    for (const QChar c : texto) {
        const char16_t u = c.unicode();
        const bool hex = u < 0x20 || u == 0x7F || (trasHex && DigitoHex(c) >= 0);
        trasHex = false;
        if (u == '"' || u == '\\') {
            r += '\\';
            r += c;
        } else if (u == '\n') {
            r += QStringLiteral("\\n");
        } else if (u == '\r') {
            r += QStringLiteral("\\r");
        } else if (u == '\t') {
            r += QStringLiteral("\\t");
        } else if (hex) {
            // A digit right after \xHH would join its number: it is escaped too.
            r += QStringLiteral("\\x") + QString::number(u, 16).rightJustified(2, '0');
            trasHex = true;
        } else {
            r += c;
        }
    }
    return r + '"';
}

ArchivoAjustes::Linea ArchivoAjustes::Nueva(const QByteArray& bytes, const QByteArray& fin) {
    Linea l;
    l.bytes = bytes;
    l.fin = fin;
    return l;
}

std::vector<ArchivoAjustes::Linea> ArchivoAjustes::Lee(bool* leido) const {
    std::vector<Linea> lineas;
    QFile f(m_ruta);
    const bool abierto = f.open(QIODevice::ReadOnly);
    if (leido)
        *leido = abierto || !f.exists(); // a missing file is an empty one
    if (!abierto)
        return lineas;
    const QByteArray todo = f.readAll();
    QString grupo;
    for (qsizetype inicio = 0; inicio < todo.size();) {
        qsizetype fin = todo.indexOf('\n', inicio);
        Linea l;
        if (fin < 0) {
            fin = todo.size();
        } else {
            l.fin = "\n";
            if (fin > inicio && todo.at(fin - 1) == '\r') {
                l.fin = "\r\n";
                --fin;
            }
        }
        l.bytes = todo.mid(inicio, fin - inicio);
        inicio = fin + l.fin.size();

        QString texto = Decodifica(l.bytes);
        if (lineas.empty() && texto.startsWith(QChar(0xFEFF)))
            texto.remove(0, 1);
        const QStringView t = SinBlancos(texto);
        if (t.startsWith('[')) {
            const qsizetype cierre = t.lastIndexOf(']');
            grupo = RutaDe(t.mid(1, cierre > 0 ? cierre - 1 : t.size() - 1));
            if (Igual(grupo, QStringLiteral("General")))
                grupo.clear(); // the top level, as Qt writes it
            l.tipo = Linea::Grupo;
            l.grupo = grupo;
        } else if (!t.isEmpty() && !t.startsWith(';') && !t.startsWith('#') && t.contains('=')) {
            const qsizetype igual = texto.indexOf('=');
            const QString ruta = RutaDe(QStringView(texto).left(igual));
            if (!ruta.isEmpty()) {
                const QString completa = grupo.isEmpty() ? ruta : grupo + '/' + ruta;
                const qsizetype barra = completa.lastIndexOf('/');
                l.tipo = Linea::Valor;
                l.grupo = barra < 0 ? QString() : completa.left(barra);
                l.nombre = completa.mid(barra + 1);
                l.valor = ValorLeido(QStringView(texto).mid(igual + 1));
            }
        }
        lineas.push_back(std::move(l));
    }
    return lineas;
}

bool ArchivoAjustes::Graba(const std::vector<Linea>& lineas) const {
    QByteArray todo;
    for (const Linea& l : lineas)
        todo += l.bytes + l.fin;
    if (!QDir().mkpath(QFileInfo(m_ruta).absolutePath()))
        return false;
    ArchivoSalida f(m_ruta);
    f.PermiteEscrituraDirecta(); // a writable file in a folder that is not
    if (!f.Abre())
        return false;
    f.Escribe(todo);
    return f.Confirma().Ok();
}

QString ArchivoAjustes::Valor(const QString& grupo, const QString& nombre) const {
    QString valor;
    for (const Linea& l : Lee())
        if (l.tipo == Linea::Valor && Igual(l.grupo, grupo) && Igual(l.nombre, nombre))
            valor = l.valor;
    return valor;
}

bool ArchivoAjustes::Escribe(const QString& grupo, const QString& nombre, const QString& texto) {
    bool leido = false;
    std::vector<Linea> lineas = Lee(&leido);
    if (!leido)
        return false; // a file that cannot be read is never replaced
    bool cp1252 = false;
    for (const Linea& l : lineas)
        cp1252 = cp1252 || !EsUtf8(l.bytes);
    const QByteArray valor = Codifica(TextoGuardado(texto), cp1252);
    const QByteArray finLinea =
        lineas.empty() || lineas.front().fin.isEmpty() ? QByteArray("\n") : lineas.front().fin;

    // The value's own line, the last one that names it.
    for (auto l = lineas.rbegin(); l != lineas.rend(); ++l) {
        if (l->tipo != Linea::Valor || !Igual(l->grupo, grupo) || !Igual(l->nombre, nombre))
            continue;
        if (l->valor == texto)
            return true;
        qsizetype corte = l->bytes.indexOf('=') + 1;
        while (corte < l->bytes.size() && (l->bytes[corte] == ' ' || l->bytes[corte] == '\t'))
            ++corte;
        l->bytes = l->bytes.left(corte) + valor;
        return Graba(lineas);
    }

    // A new line after the last value of the group's last header, or a new group at the end.
    const QByteArray linea = Codifica(NombreGuardado(nombre), cp1252) + '=' + valor;
    qsizetype donde = -1;
    bool enGrupo = grupo.isEmpty();
    for (qsizetype i = 0; i < qsizetype(lineas.size()); ++i) {
        const Linea& l = lineas[size_t(i)];
        if (l.tipo == Linea::Grupo) {
            enGrupo = Igual(l.grupo, grupo);
            if (enGrupo)
                donde = i;
        } else if (l.tipo == Linea::Valor && enGrupo) {
            donde = i;
        }
    }
    if (!lineas.empty() && lineas.back().fin.isEmpty())
        lineas.back().fin = finLinea;
    if (donde < 0 && !grupo.isEmpty()) {
        if (!lineas.empty() && !lineas.back().bytes.trimmed().isEmpty())
            lineas.push_back(Nueva({}, finLinea));
        lineas.push_back(Nueva(Codifica('[' + GrupoGuardado(grupo) + ']', cp1252), finLinea));
        donde = qsizetype(lineas.size()) - 1;
    }
    lineas.insert(lineas.begin() + (donde + 1), Nueva(linea, finLinea));
    return Graba(lineas);
}

void ArchivoAjustes::Borra(const QString& grupo, const QString& nombre) {
    std::vector<Linea> lineas = Lee(); // nothing to delete in a file that cannot be read
    const auto quedan = std::erase_if(lineas, [&](const Linea& l) {
        return l.tipo == Linea::Valor && Igual(l.grupo, grupo) && Igual(l.nombre, nombre);
    });
    if (quedan > 0)
        Graba(lineas);
}

void ArchivoAjustes::BorraGrupo(const QString& grupo) {
    std::vector<Linea> lineas = Lee();
    // A header below the group goes with everything up to the next header.
    bool enBorrado = false;
    const auto borradas = std::erase_if(lineas, [&](const Linea& l) {
        if (l.tipo == Linea::Grupo)
            enBorrado = Debajo(l.grupo, grupo);
        return enBorrado || (l.tipo == Linea::Valor && Debajo(l.grupo, grupo));
    });
    if (borradas > 0)
        Graba(lineas);
}

QStringList ArchivoAjustes::Nombres(const QString& grupo) const {
    QStringList nombres;
    for (const Linea& l : Lee())
        if (l.tipo == Linea::Valor && Igual(l.grupo, grupo) &&
            !nombres.contains(l.nombre, Qt::CaseInsensitive))
            nombres << l.nombre;
    return nombres;
}

QStringList ArchivoAjustes::Subgrupos(const QString& grupo) const {
    QStringList grupos;
    const qsizetype desde = grupo.isEmpty() ? 0 : grupo.size() + 1;
    for (const Linea& l : Lee()) {
        if (l.tipo != Linea::Valor || !Debajo(l.grupo, grupo) || Igual(l.grupo, grupo))
            continue;
        const QString hijo = l.grupo.mid(desde).section('/', 0, 0);
        if (!grupos.contains(hijo, Qt::CaseInsensitive))
            grupos << hijo;
    }
    return grupos;
}
