#pragma once

#include <QDialog>
#include <QList>

class QDateEdit;
class QLabel;
class QLineEdit;
class QCheckBox;
class QProgressBar;
class QPushButton;

// The export window: the delivery notes of a date range to a file whose extension chooses the
// format (ExportaAlbaranes). The file is chosen in the save dialog (button or F4 in the
// destination box) or typed. While the export runs the window shows its progress, and the
// close button cancels it; a cancelled or failed export writes nothing.
class frmExpAlbaranes : public QDialog {
    Q_OBJECT
public:
    explicit frmExpAlbaranes(QWidget* parent = nullptr);
    ~frmExpAlbaranes() override;

    QList<QLabel*> lbl; // destination, from, to
    QLineEdit* txtDestino = nullptr;
    QPushButton* cmdDestino = nullptr;
    QList<QDateEdit*> txtFecha;    // from, to
    QList<QPushButton*> cmdOpcion; // 0 export, 1 close (cancel while exporting)
    // Text files end each row with where its weight came from.
    QCheckBox* chkProcedencia = nullptr;
    QProgressBar* prgAvance = nullptr;
    QLabel* lblAvance = nullptr;

    bool Exportando() const { return m_exportando; }

public slots:
    // Closing while an export runs cancels it; the window closes when it has stopped.
    void done(int resultado) override;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    void EligeDestino();
    void Exporta();
    void PonExportando(bool exportando);

    bool m_exportando = false;
    bool m_cancelar = false;
    bool m_cerrar = false;
};
