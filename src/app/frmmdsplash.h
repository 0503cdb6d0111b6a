#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QFrame;
class QLabel;

// The splash and "about" window: a small borderless panel with the program's name, version,
// platform and maker, above every other window for a few seconds. It closes at the end of its
// time, at a click on it or at a key while it has the keyboard; a click on the maker's address
// opens it instead.
class frmMDSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmMDSplash(QWidget* parent = nullptr);
    ~frmMDSplash() override;

    // Shows the window for that many seconds above all others and returns at once. Without
    // `tomaTeclado` the window beneath keeps the keyboard (start-up opens the main window
    // behind it, ready to type in).
    void Wait(int segundos, bool tomaTeclado = true);
    // The same on the splash already shown, which starts its time again, or on a new one that
    // goes away when it closes.
    static frmMDSplash* Muestra(int segundos, bool tomaTeclado = true);

    QFrame* Frame1 = nullptr;
    QLabel* imgLogo = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblPlatform = nullptr;
    QLabel* lblWarning = nullptr;
    QLabel* lblCompany = nullptr;
    QLabel* lblCompanyProduct = nullptr;
    QLabel* lblCompanyProductLink = nullptr;
    QLabel* lblLegal = nullptr;
    QTimer Timer;

protected:
    void mousePressEvent(QMouseEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;
    void closeEvent(QCloseEvent* evento) override;

private:
    static QPointer<frmMDSplash> s_mostrada;
    bool m_tomaTeclado = true;
};
