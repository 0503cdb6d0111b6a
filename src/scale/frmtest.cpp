#include "scale/frmtest.h"

frmTest::frmTest(QWidget* parent) : QDialog(parent) {
    setObjectName("frmTest");
    setWindowTitle("Test de báscula");
}
