#include "masters/kellaunchbrowse.h"

#include "masters/kelbrowse.h"

#include <QApplication>

QString kelLaunchBrowse(const QString& caption, const QString& titulos, const QString& sql,
                        const QString& defecto, const QStringList& clave) {
    QWidget* llamante = QApplication::activeWindow();
    kelBrowse ventana(llamante);
    ventana.setWindowTitle(caption);
    ventana.SetGridHeader(titulos);
    ventana.SelectRecord(defecto, sql, clave);
    // The keyboard goes back to the window that asked, also where no window manager hands it
    // back when the pick list closes.
    if (llamante)
        llamante->activateWindow();
    return ventana.Cancelled() ? defecto : ventana.SelectedValue().toString();
}
