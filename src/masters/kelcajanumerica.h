#pragma once

#include <QLineEdit>

// A box that holds a number: it accepts only digits, one decimal separator and a leading sign,
// reads 0 when empty, and shows 0 when cleared. Whole-number boxes hold a 32-bit integer.
// Decimals are shown with "," when that is the given separator, else with "."; both are read, so
// whatever the box shows is read back as the same number.
class kelCajaNumerica : public QLineEdit {
    Q_OBJECT
public:
    kelCajaNumerica(bool entera, const QString& separadorDecimal, QWidget* parent = nullptr);

    bool Entera() const { return m_entera; }
    double Valor() const;
    qint32 ValorEntero() const;
    void SetValor(double valor);
    // Empties the box to 0.
    void Limpia() { SetValor(0); }

private:
    bool m_entera;
    QString m_separador;
};
