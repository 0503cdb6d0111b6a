#pragma once

#include <QHash>
#include <QIcon>
#include <QWidget>

class QLabel;
class QPushButton;
class QToolButton;

// The scale's bar of the main window, at its right: the switch, the reading and the button that
// asks for a weighing. It shows what the window tells it and passes the clicks on.
class BarraBascula : public QWidget {
    Q_OBJECT
public:
    explicit BarraBascula(QWidget* parent = nullptr);

    // The switch's picture and the reading's colour, and the weighing button enabled while on.
    void PonInterruptor(bool encendida);
    // The weighing button alone, held off while the port closes.
    void PermitePesar(bool permite);
    bool PesarPermitido() const;
    // The texts in the interface language; a scale that streams has a wider reading and no
    // weighing button.
    void AplicaIdioma(bool continuo);
    // A reading as the operator reads it, in letters that shrink to keep it on one line.
    void MuestraLectura(const QString& texto);

signals:
    void Interruptor();
    void Pesar();

private:
    QToolButton* imgOnOff = nullptr;
    QLabel* lblLectura = nullptr;
    QPushButton* cmdPesar = nullptr;
    // The switch's pictures, "Encendido" and "Apagado".
    QHash<QString, QIcon> imgLstOnOff;
};
