#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The note's buttons beside the header (print, new, open, save, two by two) and the mark shown
// while the note is printed. A button passes its command word on.
class BotonesAlbaran : public QWidget {
    Q_OBJECT
public:
    explicit BotonesAlbaran(QWidget* parent = nullptr);

    void AplicaIdioma();
    void MarcaImpreso(bool impreso);
    // A void note says so, its reason in the mark's tip.
    void MarcaAnulado(bool anulado, const QString& motivo);

signals:
    // "Imprimir", "NuevoAlbaran", "AbrirAlbaran" or "GuardarAlbaran".
    void Orden(const QString& comando);

private:
    QPushButton* Boton(const char* nombre, const QString& orden, const QString& atajo);

    QLabel* lblImpreso = nullptr;
    QLabel* lblAnulado = nullptr;
    QPushButton* cmdNuevoAlbaran = nullptr;
    QPushButton* cmdAbrir = nullptr;
    QPushButton* cmdGuardar = nullptr;
    QPushButton* cmdImprimir = nullptr;
};
