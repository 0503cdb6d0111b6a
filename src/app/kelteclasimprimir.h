#pragma once

#include <QObject>
#include <functional>

class QWidget;

// The printing keys of a preview window: Ctrl+P, and the Print and Print Screen keys when they
// are released anywhere in the window. Lives as a child of the window.
class kelTeclasImprimir : public QObject {
    Q_OBJECT
public:
    kelTeclasImprimir(QWidget* ventana, std::function<void()> imprime);

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    std::function<void()> m_imprime;
};
