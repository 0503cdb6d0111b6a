#include "masters/kellaunchbrowse.h"

#include "masters/kelbrowse.h"

#include <QApplication>

QString kelLaunchBrowse(const QString& caption, const QString& titulos, const QString& sql,
                        const QString& defecto) {
    kelBrowse ventana(QApplication::activeWindow());
    ventana.setWindowTitle(caption);
    ventana.SetGridHeader(titulos);
    ventana.SelectRecord(defecto, sql);
    const QString resultado = ventana.Cancelled() ? defecto : ventana.SelectedValue().toString();
    return resultado;
}
