#include "export/formatovalores.h"

#include <QDate>
#include <QDateTime>
#include <charconv>
#include <cstring>
#include <type_traits>

namespace {
char16_t Unidad(QChar c) {
    return c.unicode();
}
char16_t Unidad(char c) {
    return char16_t(static_cast<unsigned char>(c));
}

// Decimal digits at `p`, or -1.
template <typename C> int Digitos(const C* p, int n) {
    int v = 0;
    for (int i = 0; i < n; ++i) {
        const char16_t c = Unidad(p[i]);
        if (c < u'0' || c > u'9')
            return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

// "yyyy-MM-dd" at the start of the text.
template <typename C> bool LeeFechaSQL(const C* t, qsizetype n, int& anyo, int& mes, int& dia) {
    if (n < 10 || t[4] != C('-') || t[7] != C('-'))
        return false;
    anyo = Digitos(t, 4);
    mes = Digitos(t + 5, 2);
    dia = Digitos(t + 8, 2);
    return anyo >= 0 && QDate::isValid(anyo, mes, dia);
}

// "HH:mm:ss" after a space or "T"; midnight for a bare date.
template <typename C> bool LeeHoraSQL(const C* t, qsizetype n, int& h, int& m, int& s) {
    if (n == 10) {
        h = m = s = 0;
        return true;
    }
    if (n < 19 || (t[10] != C(' ') && t[10] != C('T')) || t[13] != C(':') || t[16] != C(':'))
        return false;
    h = Digitos(t + 11, 2);
    m = Digitos(t + 14, 2);
    s = Digitos(t + 17, 2);
    return QTime::isValid(h, m, s);
}

void AnexaDos(QString& d, int v) {
    d += QChar(u'0' + v / 10 % 10);
    d += QChar(u'0' + v % 10);
}

void AnexaDos(QByteArray& d, int v) {
    const char cifras[2] = {char('0' + v / 10 % 10), char('0' + v % 10)};
    d.append(cifras, 2);
}

// A date and time composed whole on the stack, then appended at once: an export writes a great
// many, and each short append to a byte array costs more than the characters.
struct Trozo {
    static constexpr qsizetype Capacidad = 96;
    char buf[Capacidad];
    qsizetype n = 0;
    void operator+=(const QByteArray& t) {
        std::memcpy(buf + n, t.constData(), size_t(t.size()));
        n += t.size();
    }
    void operator+=(char c) { buf[n++] = c; }
};

void AnexaDos(Trozo& d, int v) {
    d += char('0' + v / 10 % 10);
    d += char('0' + v % 10);
}

template <typename D> void AnexaCuatro(D& d, int v) {
    AnexaDos(d, v / 100);
    AnexaDos(d, v % 100);
}

// " HH:mm:ss".
template <typename D> void AnexaHora(D& d, int h, int m, int s) {
    d += ' ';
    AnexaDos(d, h);
    d += ':';
    AnexaDos(d, m);
    d += ':';
    AnexaDos(d, s);
}

// The figure written by "%.15g" (`punto`: where its point stands, -1 for none) with the
// decimal separator in place of the point.
void AnexaConSeparador(QByteArray& d, QByteArrayView cifra, qsizetype punto,
                       const QByteArray& separador) {
    if (punto < 0) {
        d.append(cifra);
    } else if (separador.size() == 1) {
        const qsizetype inicio = d.size();
        d.append(cifra);
        d[inicio + punto] = separador.front();
    } else {
        d.append(cifra.first(punto)).append(separador).append(cifra.sliced(punto + 1));
    }
}

// Up to 15 significant digits, as "%.15g" would, without "-0". Returns the length.
int Doble15(char* buf, std::size_t n, double v) {
    if (v == 0)
        v = 0;
    const auto r = std::to_chars(buf, buf + n, v, std::chars_format::general, 15);
    return int(r.ptr - buf);
}
} // namespace

FormatoValores::FormatoValores() : FormatoValores(QLocale().decimalPoint(), QLocale()) {}

FormatoValores::FormatoValores(const QString& separadorDecimal, const QLocale& local)
    : m_separadorDecimal(separadorDecimal.isEmpty() ? QStringLiteral(".") : separadorDecimal) {
    // Cut the locale's short date into fields and the texts between them. It is used only when
    // it is day, month and year as numbers, once each.
    const QString f = local.dateFormat(QLocale::ShortFormat);
    QString literales[4];
    char orden[3];
    int campos = 0;
    bool numerico = true;
    for (qsizetype i = 0; i < f.size() && numerico;) {
        const QChar c = f.at(i);
        if (c == u'\'') { // quoted literal text
            qsizetype j = i + 1;
            while (j < f.size() && f.at(j) != u'\'')
                literales[campos] += f.at(j++);
            i = j + 1;
            continue;
        }
        if (!c.isLetter()) {
            literales[campos] += c;
            ++i;
            continue;
        }
        qsizetype j = i;
        while (j < f.size() && f.at(j) == c)
            ++j;
        const qsizetype n = j - i;
        const char letra = char(c.unicode());
        const bool valido =
            ((letra == 'd' || letra == 'M') && n <= 2) || (letra == 'y' && (n == 2 || n == 4));
        if (!valido || campos == 3)
            numerico = false;
        else
            orden[campos++] = letra;
        i = j;
    }
    if (numerico && campos == 3 && orden[0] != orden[1] && orden[1] != orden[2] &&
        orden[0] != orden[2]) {
        for (int k = 0; k < 3; ++k)
            m_orden[k] = orden[k];
        for (int k = 0; k < 4; ++k)
            m_literales[k] = literales[k];
    } else {
        m_orden[0] = 'y';
        m_orden[1] = 'M';
        m_orden[2] = 'd';
        m_literales[0] = m_literales[3] = QString();
        m_literales[1] = m_literales[2] = QStringLiteral("-");
    }
    m_formatoFecha.clear();
    for (int k = 0; k < 3; ++k) {
        QString literal = m_literales[k];
        m_formatoFecha += literal.isEmpty() ? QString() : "'" + literal + "'";
        m_formatoFecha += m_orden[k] == 'd' ? "dd" : m_orden[k] == 'M' ? "MM" : "yyyy";
    }
    if (!m_literales[3].isEmpty())
        m_formatoFecha += "'" + m_literales[3] + "'";
    m_separadorDecimalUtf8 = m_separadorDecimal.toUtf8();
    for (int k = 0; k < 4; ++k)
        m_literalesUtf8[k] = m_literales[k].toUtf8();
}

template <typename D> void FormatoValores::AnexaFechaEn(D& d, int anyo, int mes, int dia) const {
    for (int k = 0; k < 3; ++k) {
        if constexpr (std::is_same_v<D, QString>)
            d += m_literales[k];
        else
            d += m_literalesUtf8[k];
        switch (m_orden[k]) {
        case 'd':
            AnexaDos(d, dia);
            break;
        case 'M':
            AnexaDos(d, mes);
            break;
        default:
            AnexaCuatro(d, anyo);
        }
    }
    if constexpr (std::is_same_v<D, QString>)
        d += m_literales[3];
    else
        d += m_literalesUtf8[3];
}

void FormatoValores::AnexaFecha(QString& d, int anyo, int mes, int dia) const {
    AnexaFechaEn(d, anyo, mes, dia);
}

void FormatoValores::AnexaDoble(QString& d, double v) const {
    char buf[64];
    const int n = Doble15(buf, sizeof buf, v);
    for (int i = 0; i < n; ++i) {
        if (buf[i] == '.')
            d += m_separadorDecimal;
        else
            d += QLatin1Char(buf[i]);
    }
}

void FormatoValores::AnexaDobleUtf8(QByteArray& d, double v) const {
    char buf[64];
    const int n = Doble15(buf, sizeof buf, v);
    const QByteArrayView cifra(buf, n);
    AnexaConSeparador(d, cifra, cifra.indexOf('.'), m_separadorDecimalUtf8);
}

bool FormatoValores::AnexaTextoDobleUtf8(QByteArray& d, QByteArrayView t) const {
    const auto cifra = [](char c) { return c >= '0' && c <= '9'; };
    const char* p = t.data();
    const char* const fin = p + t.size();
    const bool negativo = p < fin && *p == '-';
    p += negativo;
    const char* const entera = p;
    while (p < fin && cifra(*p))
        ++p;
    const qsizetype enteras = p - entera;
    if (enteras == 0 || (enteras > 1 && *entera == '0'))
        return false;
    const bool cero = enteras == 1 && *entera == '0';
    qsizetype punto = -1, cifras = enteras;
    if (p < fin && *p == '.') {
        punto = p - t.data();
        const char* const fraccion = ++p;
        while (p < fin && cifra(*p))
            ++p;
        // "%.15g" drops a fraction's last zeros, and writes a value under 0.0001 with an
        // exponent.
        const QByteArrayView cifrasFraccion(fraccion, p - fraccion);
        if (cifrasFraccion.isEmpty() || cifrasFraccion.endsWith('0') ||
            (cero && cifrasFraccion.startsWith("0000")))
            return false;
        cifras += cifrasFraccion.size();
    } else if (cero && negativo) {
        return false; // written "0"
    }
    if (p != fin || cifras > 15)
        return false;
    AnexaConSeparador(d, t, punto, m_separadorDecimalUtf8);
    return true;
}

bool FormatoValores::AnexaFechaUtf8(QByteArray& d, QByteArrayView t, bool conHora) const {
    int anyo = 0, mes = 0, dia = 0, h = 0, m = 0, s = 0;
    if (!LeeFechaSQL(t.data(), t.size(), anyo, mes, dia) ||
        (conHora && !LeeHoraSQL(t.data(), t.size(), h, m, s)))
        return false;
    qsizetype literales = 0;
    for (const QByteArray& l : m_literalesUtf8)
        literales += l.size();
    // Date digits and the time take 17 characters.
    if (literales + 17 > Trozo::Capacidad) {
        AnexaFechaEn(d, anyo, mes, dia);
        if (conHora)
            AnexaHora(d, h, m, s);
    } else {
        Trozo trozo;
        AnexaFechaEn(trozo, anyo, mes, dia);
        if (conHora)
            AnexaHora(trozo, h, m, s);
        d.append(trozo.buf, trozo.n);
    }
    return true;
}

QString FormatoValores::Texto(const QVariant& valor, Recordset::Tipo tipo) const {
    QString t;
    Anexa(t, valor, tipo);
    return t;
}

void FormatoValores::Anexa(QString& d, const QVariant& v, Recordset::Tipo tipo) const {
    if (!v.isValid() || v.isNull())
        return;
    const int id = v.metaType().id();
    const bool esTexto = id == QMetaType::QString || id == QMetaType::QByteArray;
    switch (tipo) {
    case Recordset::Tipo::Fecha:
    case Recordset::Tipo::FechaHora: {
        const bool conHora = tipo == Recordset::Tipo::FechaHora;
        int anyo = 0, mes = 0, dia = 0, h = 0, m = 0, s = 0;
        if (id == QMetaType::QDate || id == QMetaType::QDateTime) {
            const QDateTime dt = id == QMetaType::QDate ? v.toDate().startOfDay() : v.toDateTime();
            if (!dt.isValid())
                return;
            AnexaFecha(d, dt.date().year(), dt.date().month(), dt.date().day());
            if (conHora)
                d += dt.time().toString(u" HH:mm:ss");
            return;
        }
        const QString t = v.toString();
        if (LeeFechaSQL(t.constData(), t.size(), anyo, mes, dia) &&
            (!conHora || LeeHoraSQL(t.constData(), t.size(), h, m, s))) {
            AnexaFecha(d, anyo, mes, dia);
            if (conHora)
                AnexaHora(d, h, m, s);
        } else {
            d += t; // not a stored date: written as it stands
        }
        return;
    }
    case Recordset::Tipo::Doble:
    case Recordset::Tipo::Entero: {
        bool ok = true;
        if (id == QMetaType::Double || id == QMetaType::Float ||
            (tipo == Recordset::Tipo::Doble && !esTexto)) {
            const double x = v.toDouble(&ok);
            if (ok) {
                AnexaDoble(d, x);
                return;
            }
        } else if (!esTexto) {
            const qlonglong n = v.toLongLong(&ok);
            if (ok) {
                d += QString::number(n);
                return;
            }
        } else {
            // Text in a numeric column: a number is written in the number form.
            const QString t = v.toString();
            const double x = t.toDouble(&ok);
            if (ok && tipo == Recordset::Tipo::Entero && x == double(qlonglong(x)))
                d += QString::number(qlonglong(x));
            else if (ok)
                AnexaDoble(d, x);
            else
                d += t;
            return;
        }
        d += v.toString();
        return;
    }
    case Recordset::Tipo::Booleano:
        d += v.toBool() ? u'1' : u'0';
        return;
    case Recordset::Tipo::Texto:
    case Recordset::Tipo::Nulo:
        break;
    }
    if (id == QMetaType::Double || id == QMetaType::Float)
        AnexaDoble(d, v.toDouble());
    else if (id == QMetaType::Bool)
        d += v.toBool() ? u'1' : u'0';
    else if (id == QMetaType::QDate || id == QMetaType::QDateTime)
        Anexa(d, v, id == QMetaType::QDate ? Recordset::Tipo::Fecha : Recordset::Tipo::FechaHora);
    else
        d += v.toString();
}
