#pragma once

#include "notedata/albaran.h"

#include <QWidget>
#include <array>

class QDateEdit;
class QLabel;
class QLineEdit;
class QLocale;
class QPushButton;

// The note's header: number, date, operator and customer fields, with the buttons that look up
// and store the operator and the customer. F4 in the operator or a customer field looks up,
// Alt with the keypad's "+" stores; the keys type nothing. What they ask for, and the leaving of
// the number or date field, go to the window as signals; the fields' values come and go as
// values.
class CabeceraAlbaran : public QWidget {
    Q_OBJECT
public:
    static constexpr int LongitudNumero = 20; // the size of NumAlbaran
    enum class Campo { Numero, Operario, Cliente };

    explicit CabeceraAlbaran(QWidget* parent = nullptr);

    // The labels in the interface language, the calendar in `calendario`'s; the header widens
    // with the window by up to 50 characters, the length of a customer's name, so that a wide
    // window shows names whole.
    void AplicaIdioma(const QLocale& calendario);
    // The header of `albaran` shown; the operator and customer from their start.
    void Muestra(const Albaran& albaran);
    // The header's fields into `albaran`.
    void Rellena(Albaran& albaran) const;

    // Beside the number: how many earlier versions the stored note has (nothing for none).
    void PonVersiones(int versiones);
    QString Numero() const;
    void PonNumero(const QString& numero);
    QDate Fecha() const;
    void PonFecha(const QDate& fecha);
    QString Operario() const;
    // Shows the operator; false when it was shown already.
    bool PonOperario(const QString& nombre);
    // Code, name and the two address lines.
    std::array<QString, 4> Cliente() const;
    // Shows the customer; false when it was shown already.
    bool PonCliente(const std::array<QString, 4>& cliente);
    void Enfoca(Campo campo);
    // The last field of the header in the tab order.
    QWidget* UltimoCampo() const;

signals:
    // Typing into the operator or a customer field.
    void Editada();
    void BuscaOperario();
    void AddOperario();
    void BuscaCliente();
    void AddCliente();
    // The number or date field was left; the number and date as they were when one of the two
    // took the focus.
    void ClaveDejada(const QString& numero, const QDate& fecha);

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    QLineEdit* Caja(const QString& nombre, int longitud);
    QPushButton* Boton(const char* nombre, bool busca);
    // An F4 or Alt + "+" in the operator or a customer field; true when it was one.
    bool Tecla(QObject* objeto, QEvent* evento);

    std::array<QLabel*, 4> lbl{};
    QLineEdit* txtNumAlbaran = nullptr;
    QLabel* lblVersiones = nullptr;
    int m_versiones = 0;
    QDateEdit* txtFechaAlbaran = nullptr;
    QLineEdit* txtOperario = nullptr;
    std::array<QLineEdit*, 4> txtCliente{};
    QPushButton* cmdBuscaOperario = nullptr;
    QPushButton* cmdAddOperario = nullptr;
    QPushButton* cmdBuscaCliente = nullptr;
    QPushButton* cmdAddCliente = nullptr;
    QString m_numeroAlEntrar;
    QDate m_fechaAlEntrar;
};
