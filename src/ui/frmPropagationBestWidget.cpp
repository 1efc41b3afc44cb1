#include "ui/frmPropagationBestWidget.h"

#include <QCloseEvent>
#include <QMenu>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/GridWidget.h"
#include "ui/SnrColorKeyWidget.h"
#include "ui/ScreenPlacement.h"
#include "views/PropagationBest.h"

namespace tw {

frmPropagationBestWidget::frmPropagationBestWidget(frmPropagationBest& model,
                                                   const ITextMetrics& metrics, QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(model), m_metrics(metrics) {
    setObjectName(QStringLiteral("frmPropagationBest"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_grid = new GridWidget(model.grdData, metrics, this);
    m_grid->setContextMenuPolicy(Qt::PreventContextMenu);
    layout->addWidget(m_grid);
    m_key = new SnrColorKeyWidget(this);
    layout->addWidget(m_key);

    m_grid->onMouseMove = [this](int button, int shift, int x, int y) {
        m_model.grdData_MouseMove(button, shift, x, y);
    };
    m_grid->onMouseUp = [this](int button, int shift, int x, int y) {
        m_model.grdData_MouseUp(button, shift, x, y);
    };

    m_mnuPopup = new QMenu(QStringLiteral("Popup"), this);
    m_mnuPopupShort = m_mnuPopup->addAction(QStringLiteral("Short Form"));
    m_mnuPopupShort->setObjectName(QStringLiteral("mnuPopupShort"));
    m_mnuPopupShort->setCheckable(true);
    m_mnuPopupLong = m_mnuPopup->addAction(QStringLiteral("Long Form"));
    m_mnuPopupLong->setObjectName(QStringLiteral("mnuPopupLong"));
    m_mnuPopupLong->setCheckable(true);
    connect(m_mnuPopupShort, &QAction::triggered, this, [this] { m_model.mnuPopupShort_Click(); });
    connect(m_mnuPopupLong, &QAction::triggered, this, [this] { m_model.mnuPopupLong_Click(); });
    m_mnuPopup->addSeparator();
    m_mnuPopupSnr = m_mnuPopup->addAction(QStringLiteral("SNR"));
    m_mnuPopupSnr->setObjectName(QStringLiteral("mnuPopupSnr"));
    m_mnuPopupSnr->setCheckable(true);
    m_mnuPopupReliability = m_mnuPopup->addAction(QStringLiteral("Reliability"));
    m_mnuPopupReliability->setObjectName(QStringLiteral("mnuPopupReliability"));
    m_mnuPopupReliability->setCheckable(true);
    connect(m_mnuPopupSnr, &QAction::triggered, this,
            [this] { m_model.mnuPopupValues_Click(HourValues::Snr); });
    connect(m_mnuPopupReliability, &QAction::triggered, this,
            [this] { m_model.mnuPopupValues_Click(HourValues::Reliability); });
    m_model.onPopup = [this](int x, int y) {
        m_mnuPopup->popup(m_grid->viewport()->mapToGlobal(
            QPoint(x / m_metrics.TwipsPerPixelX(), y / m_metrics.TwipsPerPixelY())));
    };

    m_tmrHour = new QTimer(this);
    connect(m_tmrHour, &QTimer::timeout, this, [this] { m_model.tmrHour_Timer(); });
    connect(&m_model, &frmPropagationBest::changed, this, &frmPropagationBestWidget::Sync);
    Sync();
}

void frmPropagationBestWidget::Sync() {
    setWindowTitle(m_model.caption);
    m_mnuPopupShort->setChecked(m_model.mnuPopupShortChecked);
    m_mnuPopupLong->setChecked(m_model.mnuPopupLongChecked);
    m_mnuPopupSnr->setChecked(m_model.Values() == HourValues::Snr);
    m_mnuPopupReliability->setChecked(m_model.Values() == HourValues::Reliability);
    m_key->SetValues(m_model.Values());
    m_tmrHour->setInterval(m_model.tmrHour.interval);
    if (m_model.tmrHour.enabled && !m_tmrHour->isActive()) m_tmrHour->start();
    if (!m_model.tmrHour.enabled) m_tmrHour->stop();
    // The window fits the grid and its colour key after each update.
    const QSize grid = m_grid->FittingSize(m_model.WidthWanted(), m_model.HeightWanted());
    const QSize key = m_key->sizeHint();
    // The grid keeps at least its own smallest height (its scroll bars') above the key.
    const int gridHeight = std::max(grid.height(), m_grid->minimumSizeHint().height());
    const QSize wanted(std::max(grid.width(), key.width()), gridHeight + key.height());
    if (wanted != m_sized) {
        m_sized = wanted;
        ResizeOnScreen(this, wanted, parentWidget());
    }
    if (m_model.Visible() && !isVisible()) PlaceOnShow(this, m_above, m_shownBefore);
    if (m_model.Visible() != isVisible()) setVisible(m_model.Visible());
}

// Closing only hides: the window lives on for the next time.
void frmPropagationBestWidget::closeEvent(QCloseEvent* event) {
    m_model.Hide();
    event->accept();
}

}  // namespace tw
