#include "ticket/documentocampo.h"

#include "app/clsdatosapp.h"
#include "db/basedatos.h"
#include "db/dataset.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QStringList>
#include <cmath>

namespace {
bool EnteroEstricto(const QString& texto, int& valor) {
    bool ok = false;
    const int v = texto.trimmed().toInt(&ok);
    if (ok)
        valor = v;
    return ok;
}

// Spaces only, as typed data is padded with spaces; other white space is kept.
QString SinEspacios(const QString& s) {
    qsizetype a = 0, b = s.size();
    while (a < b && s.at(a) == ' ')
        ++a;
    while (b > a && s.at(b - 1) == ' ')
        --b;
    return s.mid(a, b - a);
}

bool EsEntero(const QVariant& v) {
    return Recordset::TipoDeValor(v) == Recordset::Tipo::Entero;
}

bool EsReal(const QVariant& v) {
    return Recordset::TipoDeValor(v) == Recordset::Tipo::Doble;
}

// Text of an integer value with "." notation (no decimals).
QString TextoEntero(const QVariant& v) {
    const int id = v.metaType().id();
    if (id == QMetaType::ULongLong || id == QMetaType::ULong || id == QMetaType::UInt)
        return QString::number(v.toULongLong());
    return QString::number(v.toLongLong());
}

// A number's ordinary text, in "." notation: at most 15 significant digits, so that the
// binary error of a computed value (0.3 - 0.1) does not show, with an exponent only for very
// large or very small magnitudes.
QString TextoReal(double d) {
    if (d == 0)
        return QStringLiteral("0"); // never "-0"
    return QString::number(d, 'g', 15);
}

// The exact decimal text of the double, without an exponent, for rounding to a given count of
// decimals: the shortest that reads back as the same double.
QString TextoRealExacto(double d) {
    if (d == 0)
        return QStringLiteral("0");
    return QString::number(d, 'f', QLocale::FloatingPointShortest);
}
} // namespace

DocumentoCampo::Separadores DocumentoCampo::SeparadoresDe(const clsDatosApp& ajustes) {
    Separadores s;
    if (!ajustes.SeparadorDecimal().isEmpty())
        s.decimal = ajustes.SeparadorDecimal();
    if (!ajustes.SeparadorFecha().isEmpty())
        s.fecha = ajustes.SeparadorFecha();
    return s;
}

Resultado DocumentoCampo::SetStrValores(const QString& definicion) {
    const QStringList partes = definicion.split(';');
    if (partes.size() < 4)
        return Resultado::Fallo(
            QStringLiteral("la definición de campo \"%1\" no tiene las cuatro partes "
                           "Tabla;Campo;Longitud;Alineacion")
                .arg(definicion));
    int longitud = 0;
    if (!EnteroEstricto(partes.at(2), longitud))
        return Resultado::Fallo(
            QStringLiteral("la longitud \"%1\" no es un número entero").arg(partes.at(2)));
    if (longitud < 0 || longitud > LongitudMaxima)
        return Resultado::Fallo(QStringLiteral("la longitud %1 no está entre 0 y %2")
                                    .arg(longitud)
                                    .arg(LongitudMaxima));
    int formato = -1;
    if (partes.size() == 5 && !EnteroEstricto(partes.at(4), formato))
        return Resultado::Fallo(
            QStringLiteral("los decimales \"%1\" no son un número entero").arg(partes.at(4)));
    if (formato > LongitudMaxima)
        return Resultado::Fallo(QStringLiteral("los decimales %1 no están entre 0 y %2")
                                    .arg(formato)
                                    .arg(LongitudMaxima));
    m_tabla = partes.at(0);
    m_campo = partes.at(1);
    m_codigo = "%" + m_tabla + ";" + m_campo + "%";
    m_longitud = longitud;
    m_alineacion = partes.at(3);
    m_formatoNumerico = formato;
    return Resultado::Exito();
}

bool DocumentoCampo::ReemplazaAcotado(QString& texto, const QString& buscado, const QString& nuevo,
                                      qsizetype limite) {
    if (buscado.isEmpty())
        return true;
    qsizetype veces = 0;
    for (qsizetype i = texto.indexOf(buscado, 0, Qt::CaseInsensitive); i >= 0;
         i = texto.indexOf(buscado, i + buscado.size(), Qt::CaseInsensitive))
        ++veces;
    if (veces == 0)
        return true;
    // In 64 bits: a width of 32767 times a long line is far beyond any limit, never negative.
    if (qint64(texto.size()) + veces * (qint64(nuevo.size()) - buscado.size()) > limite)
        return false;
    texto.replace(buscado, nuevo, Qt::CaseInsensitive);
    return true;
}

bool DocumentoCampo::Parse(QString& linea, const Dataset& datos, const Separadores& separadores,
                           qsizetype limite) const {
    if (!linea.contains(m_codigo, Qt::CaseInsensitive))
        return true;
    const Recordset* registros = datos.Item(m_tabla);
    return Parse(linea, registros, registros ? registros->IndiceCampo(m_campo) : -1, separadores,
                 limite);
}

bool DocumentoCampo::Parse(QString& linea, const Recordset* registros, int columna,
                           const Separadores& separadores, qsizetype limite) const {
    if (!registros || columna < 0 || !registros->EnRegistro() ||
        !linea.contains(m_codigo, Qt::CaseInsensitive))
        return true;
    QVariant valor = registros->Valor(columna);
    // A date column may hold its stored text form.
    if (!valor.isNull() && valor.metaType().id() == QMetaType::QString) {
        if (registros->TipoCampo(columna) == Recordset::Tipo::Fecha)
            valor = BaseDatos::FechaDeSQL(valor);
        else if (registros->TipoCampo(columna) == Recordset::Tipo::FechaHora)
            valor = BaseDatos::FechaHoraDeSQL(valor);
    }
    return ReemplazaAcotado(linea, m_codigo, ValorFormateado(valor, separadores), limite);
}

QString DocumentoCampo::ValorFormateado(const QVariant& valor,
                                        const Separadores& separadores) const {
    return Alinea(TextoValor(valor, m_formatoNumerico, separadores), m_longitud, m_alineacion);
}

QString DocumentoCampo::TextoValor(const QVariant& valor, int decimales,
                                   const Separadores& separadores) {
    if (!valor.isValid() || valor.isNull())
        return QString();
    const int id = valor.metaType().id();
    if (EsEntero(valor) || EsReal(valor)) {
        QString numero;
        if (EsEntero(valor)) {
            numero = TextoEntero(valor);
        } else {
            const double d = valor.toDouble();
            if (!std::isfinite(d))
                return QString::number(d);
            numero = decimales < 0 ? TextoReal(d) : TextoRealExacto(d);
        }
        if (decimales >= 0)
            numero = RedondeaDecimal(numero, decimales);
        numero.replace('.', separadores.decimal);
        return numero;
    }
    if (id == QMetaType::QDate || id == QMetaType::QDateTime) {
        const QDate fecha = id == QMetaType::QDate ? valor.toDate() : valor.toDateTime().date();
        if (!fecha.isValid())
            return QString();
        const QString& sep = separadores.fecha;
        return fecha.toString(QStringLiteral("dd")) + sep + fecha.toString(QStringLiteral("MM")) +
               sep + QStringLiteral("%1").arg(fecha.year() % 100, 2, 10, QChar('0'));
    }
    if (id == QMetaType::QString)
        return SinEspacios(valor.toString());
    if (id == QMetaType::Bool)
        return valor.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return QString();
}

QString DocumentoCampo::RedondeaDecimal(const QString& numero, int decimales) {
    QString s = numero;
    bool negativo = false;
    if (s.startsWith('-')) {
        negativo = true;
        s.remove(0, 1);
    }
    const qsizetype punto = s.indexOf('.');
    QString entera = punto < 0 ? s : s.left(punto);
    QString fraccion = punto < 0 ? QString() : s.mid(punto + 1);
    if (entera.isEmpty())
        entera = QStringLiteral("0");
    bool sube = false;
    if (fraccion.size() > decimales) {
        sube = fraccion.at(decimales) >= '5';
        fraccion.truncate(decimales);
    }
    while (fraccion.size() < decimales)
        fraccion.append('0');
    QString digitos = entera + fraccion;
    if (sube) {
        qsizetype i = digitos.size() - 1;
        while (i >= 0 && digitos.at(i) == '9') {
            digitos[i] = '0';
            --i;
        }
        if (i < 0)
            digitos.prepend('1');
        else
            digitos[i] = QChar(digitos.at(i).unicode() + 1);
    }
    entera = digitos.left(digitos.size() - decimales);
    fraccion = digitos.right(decimales);
    // A value that rounds to zero prints without a sign.
    bool cero = true;
    for (const QChar c : digitos)
        if (c != '0')
            cero = false;
    QString resultado = (negativo && !cero) ? QStringLiteral("-") : QString();
    resultado += entera;
    if (decimales > 0)
        resultado += '.' + fraccion;
    return resultado;
}

QString DocumentoCampo::Alinea(const QString& texto, int longitud, const QString& alineacion) {
    if (longitud <= 0)
        return QString();
    if (alineacion == QLatin1String("D")) {
        if (texto.size() >= longitud)
            return texto.right(longitud);
        return QString(longitud - texto.size(), ' ') + texto;
    }
    if (alineacion == QLatin1String("C")) {
        if (texto.size() > longitud)
            return texto.left(longitud);
        const qsizetype izquierda = (longitud - texto.size()) / 2;
        return QString(izquierda, ' ') + texto + QString(longitud - texto.size() - izquierda, ' ');
    }
    if (texto.size() >= longitud)
        return texto.left(longitud);
    return texto + QString(longitud - texto.size(), ' ');
}
