#pragma once

#include <QMainWindow>

// The main window. For now it carries its caption, its position and the menu entry that resets
// the stored window positions; the delivery-note editor fills it later.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);

    // Every command of the window goes through here as a command word.
    void DespachaMenu(const QString& comando);

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    QMenu* m_mnuArchivo = nullptr;
    QMenu* m_mnuFicheros = nullptr;
};
