#include "app/kelnumerics.h"

#include <cmath>
#include <limits>

QString kelNumerics::SiguienteNumero(const QString& actual, int longitudMaxima) {
    const qsizetype largo = actual.size();
    qsizetype p = largo; // characters before the numeric tail
    while (p > 0 && actual.at(p - 1) >= '0' && actual.at(p - 1) <= '9')
        --p;
    // At most 13 digits are incremented; zeros that follow the cut stay in the prefix, so
    // 00000000000000199 gives 00000000000000200.
    if (p < largo - 13) {
        p = largo - 13;
        while (p < largo - 1 && actual.at(p) == '0')
            ++p;
    }
    const QString prefijo = actual.left(p);
    const QString cola = actual.mid(p);
    const qint64 numero = (cola.isEmpty() ? 0 : cola.toLongLong()) + 1;
    QString resultado = prefijo + QString::number(numero);
    if (longitudMaxima > 0) {
        if (p < longitudMaxima) {
            while (resultado.size() > longitudMaxima)
                resultado.remove(p, 1);
        } else {
            resultado.truncate(longitudMaxima);
        }
    }
    return resultado;
}

double kelNumerics::Val(const QString& texto) {
    // Leading white space is skipped; then an optional sign, digits, one point and digits.
    qsizetype i = 0;
    const qsizetype n = texto.size();
    while (i < n && (texto.at(i) == ' ' || texto.at(i) == '\t'))
        ++i;
    const qsizetype inicio = i;
    if (i < n && (texto.at(i) == '+' || texto.at(i) == '-'))
        ++i;
    bool digitos = false;
    while (i < n && texto.at(i).isDigit() && texto.at(i).unicode() < 128) {
        ++i;
        digitos = true;
    }
    if (i < n && texto.at(i) == '.') {
        ++i;
        while (i < n && texto.at(i).isDigit() && texto.at(i).unicode() < 128) {
            ++i;
            digitos = true;
        }
    }
    if (!digitos)
        return 0.0;
    qsizetype fin = i;
    // An exponent only when digits follow it.
    if (i < n && (texto.at(i) == 'e' || texto.at(i) == 'E')) {
        qsizetype j = i + 1;
        if (j < n && (texto.at(j) == '+' || texto.at(j) == '-'))
            ++j;
        if (j < n && texto.at(j).isDigit()) {
            while (j < n && texto.at(j).isDigit())
                ++j;
            fin = j;
        }
    }
    bool ok = false;
    const double v = texto.mid(inicio, fin - inicio).toDouble(&ok);
    return ok ? v : 0.0;
}

static bool NumeroDeTexto(const QVariant& valor, double& numero) {
    bool ok = false;
    switch (valor.typeId()) {
    case QMetaType::Bool:
        numero = valor.toBool() ? -1.0 : 0.0;
        return true;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        numero = valor.toDouble(&ok);
        return ok;
    default:
        numero = valor.toString().trimmed().toDouble(&ok);
        return ok && std::isfinite(numero);
    }
}

bool kelNumerics::BooleanoSeguro(const QVariant& valor) {
    double n = 0;
    return NumeroDeTexto(valor, n) && n != 0.0;
}

qint32 kelNumerics::EnteroSeguro(const QVariant& valor) {
    double n = 0;
    if (!NumeroDeTexto(valor, n))
        return 0;
    const double r = std::nearbyint(n);
    if (r < std::numeric_limits<qint32>::min() || r > std::numeric_limits<qint32>::max())
        return 0;
    return qint32(r);
}

qint32 kelNumerics::EnteroInicial(const QString& texto, int bits) {
    const double r = std::nearbyint(Val(texto));
    const double limite = std::ldexp(1.0, bits - 1);
    if (r < -limite || r > limite - 1)
        return 0;
    return qint32(r);
}

QVariant kelNumerics::Mayor(const QVariant& a, const QVariant& b) {
    return QVariant::compare(a, b) == QPartialOrdering::Greater ? a : b;
}
