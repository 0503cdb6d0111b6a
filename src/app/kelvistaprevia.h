#pragma once

#include <QDialog>

class Resultado;

// What the previews of a delivery note share: the printing keys (Ctrl+P, and the Print and Print
// Screen keys when released anywhere in the window), the announcement of a print that went out,
// the print error box, and the window's stored position.
class kelVistaPrevia : public QDialog {
    Q_OBJECT
public:
    kelVistaPrevia(const char* nombre, const QString& titulo, QWidget* parent);

signals:
    // A print went out.
    void Impreso();

public slots:
    // Stores the window's position after AlCerrar.
    void done(int resultado) override;

protected:
    virtual void Imprime() = 0;
    virtual void AlCerrar() {}
    // The outcome of a print: success is announced; a failure shows "Error de impresión" and
    // its reason, unless the operator cancelled it.
    void Impresion(const Resultado& r, bool cancelada = false);
    bool eventFilter(QObject* objeto, QEvent* evento) override;
};
