#pragma once

#include <QLineEdit>

// A box that holds a number: it accepts only digits, one decimal separator and a leading sign,
// reads 0 when empty, and shows 0 when cleared. Whole-number boxes hold a 32-bit integer.
class kelCajaNumerica : public QLineEdit {
    Q_OBJECT
public:
    explicit kelCajaNumerica(bool entera, QWidget* parent = nullptr);

    bool Entera() const { return m_entera; }
    double Valor() const;
    qint32 ValorEntero() const;
    void SetValor(double valor);
    // Empties the box to 0.
    void Limpia() { SetValor(0); }

private:
    bool m_entera;
};
