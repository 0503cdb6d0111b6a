#pragma once

#include <QDialog>

// The scale test window (a service window opened with /TEST).
class frmTest : public QDialog {
    Q_OBJECT
public:
    explicit frmTest(QWidget* parent = nullptr);
};
