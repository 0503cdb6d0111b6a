#pragma once

#include <QDialog>
#include <QStringList>
#include <vector>

class QPushButton;
class QTableWidget;

// The versions of a stored note, read only: one row per version, oldest first, the note as it
// stands last, with what each next version changed (the rows of HistorialAlbaran).
class frmHistorial : public QDialog {
    Q_OBJECT
public:
    frmHistorial(const QString& titulo, const std::vector<QStringList>& filas,
                 QWidget* parent = nullptr);

    QTableWidget* grdVersiones = nullptr;
    QPushButton* cmdAceptar = nullptr;

public slots:
    void done(int resultado) override;
};
