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
QString SeparadorDecimal() {
    const clsDatosApp* d = clsDatosApp::Instancia();
    return (d && !d->SeparadorDecimal().isEmpty()) ? d->SeparadorDecimal() : QStringLiteral(".");
}

QString SeparadorFecha() {
    const clsDatosApp* d = clsDatosApp::Instancia();
    return (d && !d->SeparadorFecha().isEmpty()) ? d->SeparadorFecha() : QStringLiteral("/");
}

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

// Shortest text that reads back as the same double, in "." notation without an exponent for
// ordinary magnitudes.
QString TextoReal(double d, bool permiteExponente) {
    if (d == 0)
        return QStringLiteral("0");
    const double a = std::fabs(d);
    if (permiteExponente && (a >= 1e15 || a < 1e-5))
        return QString::number(d, 'g', QLocale::FloatingPointShortest);
    return QString::number(d, 'f', QLocale::FloatingPointShortest);
}
} // namespace

bool DocumentoCampo::SetStrValores(const QString& definicion, QString* error) {
    const QStringList partes = definicion.split(';');
    auto falla = [&](const QString& motivo) {
        if (error)
            *error = motivo;
        return false;
    };
    if (partes.size() < 4)
        return falla(QStringLiteral("la definición de campo \"%1\" no tiene las cuatro partes "
                                    "Tabla;Campo;Longitud;Alineacion")
                         .arg(definicion));
    int longitud = 0;
    if (!EnteroEstricto(partes.at(2), longitud))
        return falla(QStringLiteral("la longitud \"%1\" no es un número entero").arg(partes.at(2)));
    if (longitud < 0 || longitud > LongitudMaxima)
        return falla(QStringLiteral("la longitud %1 no está entre 0 y %2")
                         .arg(longitud)
                         .arg(LongitudMaxima));
    int formato = -1;
    if (partes.size() == 5 && !EnteroEstricto(partes.at(4), formato))
        return falla(
            QStringLiteral("los decimales \"%1\" no son un número entero").arg(partes.at(4)));
    if (formato > LongitudMaxima)
        return falla(QStringLiteral("los decimales %1 no están entre 0 y %2")
                         .arg(formato)
                         .arg(LongitudMaxima));
    m_tabla = partes.at(0);
    m_campo = partes.at(1);
    m_longitud = longitud;
    m_alineacion = partes.at(3);
    m_formatoNumerico = formato;
    return true;
}

QString DocumentoCampo::Parse(const QString& linea, const Dataset& datos) const {
    const QString codigo = Codigo();
    if (!linea.contains(codigo, Qt::CaseInsensitive))
        return linea;
    const Recordset* registros = datos.Item(m_tabla);
    if (!registros)
        return linea;
    const int columna = registros->IndiceCampo(m_campo);
    if (columna < 0 || !registros->EnRegistro())
        return linea;
    QVariant valor = registros->Valor(columna);
    // A date column may hold its stored text form.
    if (!valor.isNull() && valor.metaType().id() == QMetaType::QString) {
        if (registros->TipoCampo(columna) == Recordset::Tipo::Fecha)
            valor = BaseDatos::FechaDeSQL(valor);
        else if (registros->TipoCampo(columna) == Recordset::Tipo::FechaHora)
            valor = BaseDatos::FechaHoraDeSQL(valor);
    }
    QString resultado = linea;
    resultado.replace(codigo, ValorFormateado(valor), Qt::CaseInsensitive);
    return resultado;
}

QString DocumentoCampo::ValorFormateado(const QVariant& valor) const {
    return Alinea(TextoValor(valor, m_formatoNumerico), m_longitud, m_alineacion);
}

QString DocumentoCampo::TextoValor(const QVariant& valor, int decimales) {
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
            numero = TextoReal(d, decimales < 0);
        }
        if (decimales >= 0)
            numero = RedondeaDecimal(numero, decimales);
        numero.replace('.', SeparadorDecimal());
        return numero;
    }
    if (id == QMetaType::QDate || id == QMetaType::QDateTime) {
        const QDate fecha = id == QMetaType::QDate ? valor.toDate() : valor.toDateTime().date();
        if (!fecha.isValid())
            return QString();
        const QString sep = SeparadorFecha();
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
