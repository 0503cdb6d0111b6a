#pragma once

#include "app/kelvistaprevia.h"

#include <QPrinter>
#include <memory>

class Dataset;
class ListadoAlbaran;
class QPrintPreviewWidget;

// The page listing of a delivery note in a preview: zoom, the views of one page, the page width,
// two pages and every page; printing through the system's print dialog (also Ctrl+P, and the
// Print and Print Screen keys); and saving the document as a PDF file. The zoom is kept as the
// window's "vpZoom" from one opening to the next.
class frmLSTAlbaran : public kelVistaPrevia {
    Q_OBJECT
public:
    explicit frmLSTAlbaran(QWidget* parent = nullptr);
    ~frmLSTAlbaran() override;

    // Lays out the note of the data set, shows the preview and waits until the window is closed.
    void Display(const Dataset& datos);

private:
    // Impreso follows a document that went to the printer whole, never a cancelled print.
    void Imprime() override;
    void AlCerrar() override;
    void GuardaPdf();

    QPrintPreviewWidget* vspListado = nullptr;
    QPrinter m_impresora;
    std::unique_ptr<ListadoAlbaran> m_listado;
};
