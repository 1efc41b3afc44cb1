#include "ui/frmPropagationDetailsWidget.h"

#include <QCloseEvent>
#include <QMenu>
#include <QStyle>
#include <QVBoxLayout>

#include "ui/GridWidget.h"
#include "ui/ScreenPlacement.h"
#include "views/PropagationDetails.h"

namespace tw {

frmPropagationDetailsWidget::frmPropagationDetailsWidget(frmPropagationDetails& model,
                                                         const ITextMetrics& metrics,
                                                         QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(model), m_metrics(metrics) {
    setObjectName(QStringLiteral("frmPropagationDetails"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_grid = new GridWidget(model.grdFrequency, metrics, this);
    m_grid->setContextMenuPolicy(Qt::PreventContextMenu);
    layout->addWidget(m_grid);

    m_grid->onMouseMove = [this](int button, int shift, int x, int y) {
        m_model.grdFrequency_MouseMove(button, shift, x, y);
    };
    m_grid->onDblClick = [this](int x, int y) { m_model.grdFrequency_DblClick(x, y); };
    m_grid->onMouseUp = [this](int button, int shift, int x, int y) {
        m_model.grdFrequency_MouseUp(button, shift, x, y);
    };

    m_mnuFrequency = new QMenu(QStringLiteral("Frequency"), this);
    QAction* hours = m_mnuFrequency->addAction(QStringLiteral("24 Hour Data..."));
    hours->setObjectName(QStringLiteral("mnuFrequencyHours"));
    connect(hours, &QAction::triggered, this, [this] { m_model.mnuFrequencyHours_Click(); });
    m_model.onFrequencyMenuPopup = [this](int x, int y) {
        m_mnuFrequency->popup(m_grid->viewport()->mapToGlobal(
            QPoint(x / m_metrics.TwipsPerPixelX(), y / m_metrics.TwipsPerPixelY())));
    };

    connect(&m_model, &frmPropagationDetails::changed, this, &frmPropagationDetailsWidget::Sync);
    Sync();
}

void frmPropagationDetailsWidget::Sync() {
    setWindowTitle(m_model.caption);
    // The window fits the grid after each update.
    const QSize wanted = m_grid->FittingSize(m_model.WidthWanted(), m_model.HeightWanted());
    if (wanted != m_sized) {
        m_sized = wanted;
        ResizeOnScreen(this, wanted, parentWidget());
    }
    if (m_model.Visible() && !isVisible()) PlaceOnShow(this, m_above, m_shownBefore);
    if (m_model.Visible() != isVisible()) setVisible(m_model.Visible());
}

// Closing only hides: the window lives on for the next time.
void frmPropagationDetailsWidget::closeEvent(QCloseEvent* event) {
    m_model.Hide();
    event->accept();
}

}  // namespace tw
