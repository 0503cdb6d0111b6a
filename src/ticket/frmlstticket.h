#pragma once

#include "app/kelvistaprevia.h"

#include <memory>

class Dataset;
class ImpresionTiquet;
class QPlainTextEdit;
class QPushButton;

// The ticket preview: the ticket of a delivery note as it will look on paper, without printer
// commands, in a fixed-pitch font. "Imprimir", Ctrl+P, or the Print or Print Screen key prints
// it, as many times as asked; a ticket handed over to the printer is announced with Impreso, a
// failure shown with "Error de impresión". The preview stays open until "Salir".
class frmLstTicket : public kelVistaPrevia {
    Q_OBJECT
public:
    explicit frmLstTicket(QWidget* parent = nullptr);
    ~frmLstTicket() override;

    // Shows the ticket of the data set with the template file and waits until the window is
    // closed. The data set must outlive the call.
    void Display(const Dataset& datos, const QString& plantilla);

private:
    void Imprime() override;
    void AlCerrar() override;

    QPlainTextEdit* txtLstTicket = nullptr;
    QPushButton* cmdImprimir = nullptr;
    QPushButton* cmdSalir = nullptr;
    std::unique_ptr<ImpresionTiquet> m_impresion;
};
