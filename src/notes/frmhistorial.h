#pragma once

#include "app/resultado.h"

#include <QDate>
#include <QDialog>
#include <QStringList>
#include <vector>

class AlmacenAlbaranes;
class QPushButton;
class QTableWidget;

// The versions of a stored note, read only: one row per version, oldest first, the note as it
// stands last, with what each next version changed (the rows of HistorialAlbaran).
class frmHistorial : public QDialog {
    Q_OBJECT
public:
    frmHistorial(const QString& titulo, const std::vector<QStringList>& filas,
                 QWidget* parent = nullptr);

    // The history of the note stored under that number and date, shown modally; the failure
    // (no such note, a read that failed) for the caller to tell.
    static Resultado Muestra(const AlmacenAlbaranes& almacen, const QString& numero,
                             const QDate& fecha, QWidget* parent);
    // Asks for the reason of a void (`anular`) or of its undoing; false when cancelled.
    static bool PideMotivo(bool anular, QString& motivo, QWidget* parent);

    QTableWidget* grdVersiones = nullptr;
    QPushButton* cmdAceptar = nullptr;

public slots:
    void done(int resultado) override;
};
