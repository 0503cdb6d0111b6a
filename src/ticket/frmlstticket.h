#pragma once

#include <QDialog>
#include <memory>

class Dataset;
class ImpresionTiquet;
class QPlainTextEdit;
class QPushButton;

// The ticket preview: the ticket of a delivery note as it will look on paper, without printer
// commands, in a fixed-pitch font. "Imprimir", Ctrl+P, or the Print or Print Screen key prints
// it, as many times as asked; each success is announced with Impreso, each failure shown with
// "Error de impresión". The preview stays open until "Salir".
class frmLstTicket : public QDialog {
    Q_OBJECT
public:
    explicit frmLstTicket(QWidget* parent = nullptr);
    ~frmLstTicket() override;

    // Shows the ticket of the data set with the template file and waits until the window is
    // closed. The data set must outlive the call.
    void Display(const Dataset& datos, const QString& plantilla);

signals:
    // A ticket was handed over to the printer.
    void Impreso();

public slots:
    void done(int resultado) override;

private:
    void Imprime();

    QPlainTextEdit* txtLstTicket = nullptr;
    QPushButton* cmdImprimir = nullptr;
    QPushButton* cmdSalir = nullptr;
    std::unique_ptr<ImpresionTiquet> m_impresion;
};
