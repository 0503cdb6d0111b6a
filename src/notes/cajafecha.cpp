#include "notes/cajafecha.h"

bool CajaFecha::focusNextPrevChild(bool siguiente) {
    return QWidget::focusNextPrevChild(siguiente);
}
