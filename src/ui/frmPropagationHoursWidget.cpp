#include "ui/frmPropagationHoursWidget.h"

#include <QCloseEvent>
#include <QMenu>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/GridWidget.h"
#include "ui/SnrColorKeyWidget.h"
#include "ui/ScreenPlacement.h"
#include "views/PropagationHours.h"

namespace tw {

frmPropagationHoursWidget::frmPropagationHoursWidget(frmPropagationHours& model,
                                                     const ITextMetrics& metrics, QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(model), m_metrics(metrics) {
    setObjectName(QStringLiteral("frmPropagationHours"));
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
    m_grid->onDblClick = [this](int x, int y) { m_model.grdData_DblClick(x, y); };
    m_grid->onMouseUp = [this](int button, int shift, int x, int y) {
        m_model.grdData_MouseUp(button, shift, x, y);
    };

    m_mnuData = new QMenu(QStringLiteral("Data"), this);
    QAction* details = m_mnuData->addAction(QStringLiteral("Detailed Data..."));
    details->setObjectName(QStringLiteral("mnuDataDetails"));
    connect(details, &QAction::triggered, this, [this] { m_model.mnuDataDetails_Click(); });
    m_mnuData->addSeparator();
    m_mnuDataSnr = m_mnuData->addAction(QStringLiteral("SNR"));
    m_mnuDataSnr->setObjectName(QStringLiteral("mnuDataSnr"));
    m_mnuDataSnr->setCheckable(true);
    m_mnuDataReliability = m_mnuData->addAction(QStringLiteral("Reliability"));
    m_mnuDataReliability->setObjectName(QStringLiteral("mnuDataReliability"));
    m_mnuDataReliability->setCheckable(true);
    m_mnuDataLog = m_mnuData->addAction(QStringLiteral("Log"));
    m_mnuDataLog->setObjectName(QStringLiteral("mnuDataLog"));
    m_mnuDataLog->setCheckable(true);
    connect(m_mnuDataLog, &QAction::triggered, this,
            [this] { m_model.mnuDataValues_Click(HourValues::Log); });
    connect(m_mnuDataSnr, &QAction::triggered, this,
            [this] { m_model.mnuDataValues_Click(HourValues::Snr); });
    connect(m_mnuDataReliability, &QAction::triggered, this,
            [this] { m_model.mnuDataValues_Click(HourValues::Reliability); });
    m_model.onDataMenuPopup = [this](int x, int y) {
        m_mnuData->popup(m_grid->viewport()->mapToGlobal(
            QPoint(x / m_metrics.TwipsPerPixelX(), y / m_metrics.TwipsPerPixelY())));
    };

    m_tmrHour = new QTimer(this);
    connect(m_tmrHour, &QTimer::timeout, this, [this] { m_model.tmrHour_Timer(); });
    connect(&m_model, &frmPropagationHours::changed, this, &frmPropagationHoursWidget::Sync);
    Sync();
}

void frmPropagationHoursWidget::Sync() {
    setWindowTitle(m_model.caption);
    m_mnuDataSnr->setChecked(m_model.Values() == HourValues::Snr);
    m_mnuDataReliability->setChecked(m_model.Values() == HourValues::Reliability);
    m_mnuDataLog->setChecked(m_model.Values() == HourValues::Log);
    m_key->SetValues(m_model.Values());
    m_key->SetNote(m_model.KeyNote());
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
void frmPropagationHoursWidget::closeEvent(QCloseEvent* event) {
    m_model.Hide();
    event->accept();
}

}  // namespace tw
