#include "masters/kelcajanumerica.h"

#include "app/kelnumerics.h"

#include <QRegularExpression>
#include <QValidator>
#include <limits>

namespace {
// Digits with an optional sign and, for decimal boxes, one "." or ","; whole numbers must fit
// in 32 bits.
class ValidadorNumero : public QValidator {
public:
    ValidadorNumero(bool entera, QObject* parent) : QValidator(parent), m_entera(entera) {}
    State validate(QString& texto, int&) const override {
        static const QRegularExpression entero(R"(^-?\d{0,10}$)");
        static const QRegularExpression decimal(R"(^-?\d{0,15}([.,]\d{0,10})?$)");
        if (!(m_entera ? entero : decimal).match(texto).hasMatch())
            return Invalid;
        if (m_entera) {
            const qint64 v = texto.toLongLong();
            if (v > std::numeric_limits<qint32>::max() || v < std::numeric_limits<qint32>::min())
                return Invalid;
        }
        return Acceptable;
    }

private:
    bool m_entera;
};
} // namespace

kelCajaNumerica::kelCajaNumerica(bool entera, const QString& separadorDecimal, QWidget* parent)
    : QLineEdit(parent), m_entera(entera),
      m_separador(separadorDecimal == u"," ? QStringLiteral(",") : QStringLiteral(".")) {
    setValidator(new ValidadorNumero(entera, this));
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SetValor(0);
}

double kelCajaNumerica::Valor() const {
    QString t = text();
    t.replace(',', '.');
    return kelNumerics::Val(t);
}

qint32 kelCajaNumerica::ValorEntero() const {
    return kelNumerics::EnteroInicial(text());
}

void kelCajaNumerica::SetValor(double valor) {
    if (m_entera) {
        setText(QString::number(qint64(valor)));
        return;
    }
    QString t = QString::number(valor, 'g', 15);
    t.replace('.', m_separador);
    setText(t);
}
