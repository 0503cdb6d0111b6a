#pragma once

#include "masters/clsmaestro.h"
#include "masters/consultabrowse.h"

#include <QDialog>
#include <QList>

class QLabel;
class QLineEdit;
class QPushButton;
class kelCajaNumerica;

// What the four maintenance windows share: one record at a time, a code typed or picked (search
// button or F4 in the code box), and the buttons save, delete and close. Each window lays out
// its own boxes and says which box holds what.
class frmMantenimiento : public QDialog {
    Q_OBJECT
public:
    ~frmMantenimiento() override;

    QList<QLabel*> lbl;
    QList<QLineEdit*> txtCampo;
    QList<kelCajaNumerica*> txtCampoNum;
    QList<QPushButton*> cmdOpcion; // 0 save, 1 delete, 2 close
    QPushButton* cmdBusca = nullptr;

    const clsMaestro& Maestro() const { return m_maestro; }

    // The actions of the buttons.
    void Busca();
    void Guarda();
    void Borra();

public slots:
    void done(int resultado) override;

protected:
    frmMantenimiento(const QString& nombre, clsMaestro maestro, ConsultaBrowse busqueda,
                     QWidget* parent);

    // Builds the common controls; each window then places them.
    QLineEdit* NuevoTexto(int indice, const QString& campo);
    kelCajaNumerica* NuevoNumero(int indice, bool entera);
    QLabel* NuevaEtiqueta(int indice);
    // Restores the position and sets the texts; called at the end of each window's constructor.
    void Carga();

    // The box of the code, its text, and the code as it goes into the table.
    virtual QWidget* CajaCodigo() const = 0;
    virtual QString TextoCodigo() const = 0;
    virtual void PonTextoCodigo(const QString& texto) = 0;
    virtual QVariant Codigo() const = 0;
    // The values of the other fields, in the order of the table's fields, and back.
    virtual QVariantList Valores() const = 0;
    virtual void PonValores(const QVariantList& valores) = 0;
    virtual QWidget* FocoTrasBusqueda() const = 0;
    virtual bool PuedeGuardar() const = 0;
    virtual bool PuedeBorrar() const = 0;
    // Empties the boxes and puts the focus where the next record starts.
    virtual void Limpia() = 0;
    virtual void PonTextos() = 0;

    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;

private:
    clsMaestro m_maestro;
    ConsultaBrowse m_busqueda;
    QWidget* m_cajaCodigo = nullptr;
};
