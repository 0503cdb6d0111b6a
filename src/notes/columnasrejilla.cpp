#include "notes/columnasrejilla.h"

#include "app/kelnumerics.h"
#include "app/kelregistry.h"
#include "notedata/lineasalbaran.h"
#include "notedata/reglaslinea.h"
#include "notes/anchosrejilla.h"
#include "notes/modelolineasalbaran.h"
#include "notes/rejillalineas.h"

#include <QEvent>
#include <QHeaderView>
#include <QStyle>
#include <algorithm>

namespace {
constexpr int kTwips = kelRegistry::TwipsPorPixel;
} // namespace

ColumnasRejilla::ColumnasRejilla(RejillaLineas* rejilla, QWidget* ventana)
    : QObject(ventana), m_rejilla(rejilla), m_ventana(ventana) {
    connect(m_rejilla->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int columna, int, int ancho) {
                if (ancho <= 0 || columna < 0 || columna >= ColumnasAlbaran::Numero || m_ajustando)
                    return;
                m_aMano[columna] = ancho;
                Ajusta();
            });
    // The widest value changes with the lines, the room for the name with the window.
    const QAbstractItemModel* modelo = m_rejilla->Modelo();
    connect(modelo, &QAbstractItemModel::dataChanged, this, &ColumnasRejilla::Ajusta);
    connect(modelo, &QAbstractItemModel::modelReset, this, &ColumnasRejilla::Ajusta);
    connect(modelo, &QAbstractItemModel::rowsInserted, this, &ColumnasRejilla::Ajusta);
    m_rejilla->installEventFilter(this);
    m_rejilla->viewport()->installEventFilter(this);
}

void ColumnasRejilla::Coloca() {
    QHeaderView* h = m_rejilla->horizontalHeader();
    QList<std::pair<int, int>> posiciones;
    for (int i = 1; i <= ColumnasAlbaran::Numero; ++i) {
        const int ancho = int(kelNumerics::Val(
            kelRegistry::GetFormInfo(m_ventana, QString("ColAlbaranWidth%1").arg(i))));
        m_aMano[i - 1] = AnchosRejilla::AMano(ancho, ColumnasAlbaran::AnchosColumna(i), kTwips);
        const int posicion = int(kelNumerics::Val(
            kelRegistry::GetFormInfo(m_ventana, QString("ColAlbaranPosition%1").arg(i))));
        if (posicion > 0)
            posiciones.append({posicion, i - 1});
    }
    std::sort(posiciones.begin(), posiciones.end());
    for (const auto& [posicion, columna] : posiciones)
        h->moveSection(h->visualIndex(columna), std::clamp(posicion - 1, 0, 8));
}

void ColumnasRejilla::Ajusta() {
    QHeaderView* h = m_rejilla->horizontalHeader();
    // The time column shows a whole stamp even before the first weighing.
    const int hora = m_rejilla->fontMetrics().horizontalAdvance(ReglasLinea::HoraPesada(
                         QDateTime(QDate(2000, 12, 28), QTime(20, 58, 58)))) +
                     2 * (m_rejilla->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 4);
    std::array<AnchosRejilla::Columna, ColumnasAlbaran::Numero> columnas;
    for (int i = 0; i < ColumnasAlbaran::Numero; ++i)
        columnas[i] = {
            !m_rejilla->isColumnHidden(i), ColumnasAlbaran::Anchos[i] / kTwips,
            h->sectionSizeHint(i),
            std::max(m_rejilla->AnchoValores(i), i + 1 == LineasAlbaran::HoraPesada ? hora : 0),
            m_aMano[i]};
    const std::array<int, ColumnasAlbaran::Numero> anchos =
        AnchosRejilla::Calcula(columnas, m_rejilla->viewport()->width());
    m_ajustando = true;
    for (int i = 0; i < ColumnasAlbaran::Numero; ++i)
        if (h->sectionSize(i) != anchos[i] && !m_rejilla->isColumnHidden(i))
            h->resizeSection(i, anchos[i]);
    m_ajustando = false;
}

void ColumnasRejilla::Muestra(const std::array<bool, ColumnasAlbaran::Numero>& visibles) {
    m_ajustando = true; // a column shown again takes back its width: no choice of the user's
    for (int i = 0; i < ColumnasAlbaran::Numero; ++i)
        m_rejilla->setColumnHidden(i, !visibles[i]);
    m_ajustando = false;
    Ajusta();
}

void ColumnasRejilla::Reinicia() {
    QHeaderView* h = m_rejilla->horizontalHeader();
    for (int i = 0; i < ColumnasAlbaran::Numero; ++i)
        h->moveSection(h->visualIndex(i), i);
    OlvidaAnchos();
}

void ColumnasRejilla::OlvidaAnchos() {
    m_aMano = {};
    Ajusta();
}

void ColumnasRejilla::Guarda() {
    const QHeaderView* h = m_rejilla->horizontalHeader();
    for (int i = 1; i <= ColumnasAlbaran::Numero; ++i) {
        kelRegistry::SaveFormInfo(m_ventana, QString("ColAlbaranWidth%1").arg(i),
                                  QString::number(m_aMano[i - 1] * kTwips));
        kelRegistry::SaveFormInfo(m_ventana, QString("ColAlbaranPosition%1").arg(i),
                                  QString::number(h->visualIndex(i - 1) + 1));
    }
}

bool ColumnasRejilla::eventFilter(QObject* objeto, QEvent* evento) {
    if ((objeto == m_rejilla && evento->type() == QEvent::FontChange) ||
        (objeto == m_rejilla->viewport() && evento->type() == QEvent::Resize))
        Ajusta();
    return QObject::eventFilter(objeto, evento);
}
