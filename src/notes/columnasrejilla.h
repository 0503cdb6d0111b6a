#pragma once

#include "notedata/columnasalbaran.h"

#include <QObject>
#include <array>

class QWidget;
class RejillaLineas;

// The widths and order of the main grid's columns: each column as wide as its title and values
// need, the product name taking the room left (AnchosRejilla), following the lines and the room
// the grid's viewport gives, which changes after the grid's own resize and again when a scroll
// bar comes or goes. Widths set by hand stay, and are stored with the columns' order among the
// window's values.
class ColumnasRejilla : public QObject {
    Q_OBJECT
public:
    // The columns of `rejilla`, whose values are stored under `ventana`'s name.
    ColumnasRejilla(RejillaLineas* rejilla, QWidget* ventana);

    // The stored widths (twips) of the columns set by hand, and their positions; missing or
    // zero values keep the designed ones.
    void Coloca();
    void Ajusta();
    // Each column shown as `visibles` says; a column shown again takes back its width.
    void Muestra(const std::array<bool, ColumnasAlbaran::Numero>& visibles);
    // Every column back in its place, and no width set by hand.
    void Reinicia();
    // No width set by hand; the order stays.
    void OlvidaAnchos();
    // The widths set by hand and the columns' positions stored.
    void Guarda();

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    RejillaLineas* m_rejilla;
    QWidget* m_ventana;
    // Column widths in pixels that the user set by hand (0 for none).
    std::array<int, ColumnasAlbaran::Numero> m_aMano{};
    bool m_ajustando = false;
};
