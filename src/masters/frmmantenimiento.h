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
// button or F4 in the code box), and the buttons save, delete and close. Each window lists
// its rows of boxes and says which box holds what.
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

    // The program's database connection, for the window's table.
    static QSqlDatabase Conexion();

    // Builds the common controls; each window then places them.
    QLineEdit* NuevoTexto(int indice, const QString& campo);
    kelCajaNumerica* NuevoNumero(int indice, bool entera);
    // A numeric box outside txtCampoNum, with the decimal separator of the settings.
    kelCajaNumerica* NuevaCaja(bool entera);
    QLabel* NuevaEtiqueta(int indice);

    // One row of the window: its label (none on a field's second line) and its box. A number
    // box takes one column; a text box also reaches under the search button.
    struct Fila {
        QLabel* etiqueta;
        QLineEdit* caja;
    };
    // Lays out the rows over the button row, then restores the position, sets the texts and
    // focuses the code; called at the end of each window's constructor. The first row holds
    // the code, beside the search button: in a number box the code is a number. Written as a
    // braced list, the boxes are made, and so tabbed through, in the order they are listed.
    void Coloca(const QList<Fila>& filas, QSize tamano);

    // The values of the fields after the code, in the order of the table's fields, and back.
    virtual QVariantList Valores() const = 0;
    virtual void PonValores(const QVariantList& valores) = 0;
    virtual void PonTextos() = 0;

    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;

private:
    // The code as it goes into the table.
    QVariant Codigo() const;
    // Fills the other boxes from the record of the code in the code box.
    void Rellena();
    // Empties the boxes and puts the focus on the code, where the next record starts.
    void Limpia();

    clsMaestro m_maestro;
    ConsultaBrowse m_busqueda;
    QLineEdit* m_cajaCodigo = nullptr;
    QList<QLineEdit*> m_cajas;
    bool m_codigoTecleado = false; // the code box was typed in since its record was looked up
};
