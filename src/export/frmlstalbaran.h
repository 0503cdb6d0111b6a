#pragma once

#include <QDialog>
#include <QPrinter>
#include <memory>

class Dataset;
class ListadoAlbaran;
class QPrintPreviewWidget;

// The page listing of a delivery note in a preview: zoom, the views of one page, the page width,
// two pages and every page; printing through the system's print dialog (also Ctrl+P, and the
// Print and Print Screen keys); and saving the document as a PDF file. The zoom is kept as the
// window's "vpZoom" from one opening to the next.
class frmLSTAlbaran : public QDialog {
    Q_OBJECT
public:
    explicit frmLSTAlbaran(QWidget* parent = nullptr);
    ~frmLSTAlbaran() override;

    // Lays out the note of the data set, shows the preview and waits until the window is closed.
    void Display(const Dataset& datos);

signals:
    // The document went to the printer whole; a cancelled or failed print says nothing.
    void Impreso();

public slots:
    void done(int resultado) override;

private:
    void Imprime();
    void GuardaPdf();

    QPrintPreviewWidget* vspListado = nullptr;
    QPrinter m_impresora;
    std::unique_ptr<ListadoAlbaran> m_listado;
};
