#include "ui/frmSummaryWidget.h"

#include <algorithm>

#include <QDateEdit>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/GridWidget.h"
#include "ui/ScreenPlacement.h"

namespace tw {

frmSummaryWidget::frmSummaryWidget(frmSummary& model, const ITextMetrics& metrics, QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(model) {
    setWindowTitle(QString::fromLatin1(frmSummary::kCaption));
    // 120 twips around the list and between the controls.
    const int margin = 120 / metrics.TwipsPerPixelX();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(margin);

    auto* range = new QHBoxLayout;
    const auto datePicker = [this, range](const QString& caption) {
        auto* label = new QLabel(caption, this);
        auto* picker = new QDateEdit(this);
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(QStringLiteral("MM/dd/yy"));
        label->setBuddy(picker);
        range->addWidget(label);
        range->addWidget(picker);
        return picker;
    };
    m_dtStart = datePicker(QStringLiteral("&Start"));
    m_dtStop = datePicker(QStringLiteral("St&op"));
    m_cmdUpdate = new QPushButton(QStringLiteral("&Update"), this);
    range->addWidget(m_cmdUpdate);
    range->addStretch();
    layout->addLayout(range);

    // The report's labels line up their values in a fixed-pitch font.
    m_lstSummary = new QListWidget(this);
    m_lstSummary->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(m_lstSummary, 1);
    m_grdStations = new GridWidget(m_model.grdStations, metrics, this);
    layout->addWidget(m_grdStations, 2);

    connect(m_dtStart, &QDateEdit::dateChanged, this, [this](QDate date) { m_model.dtStart = date; });
    connect(m_dtStop, &QDateEdit::dateChanged, this, [this](QDate date) { m_model.dtStop = date; });
    connect(m_cmdUpdate, &QPushButton::clicked, this, [this] { m_model.cmdUpdate_Click(); });
    connect(&m_model, &frmSummary::changed, this, &frmSummaryWidget::Sync);
    connect(&m_model, &frmSummary::showRequested, this, &frmSummaryWidget::ShowRequested);
    // Wide enough for the report's longest lines (about 56 characters) without scrolling.
    const int report = QFontMetrics(m_lstSummary->font()).horizontalAdvance(QString(60, QLatin1Char('0'))) +
                       2 * m_lstSummary->frameWidth();
    resize(std::max(m_grdStations->sizeHint().width(), report) + 2 * margin, 420);
    Sync();
}

void frmSummaryWidget::Sync() {
    const QSignalBlocker blockStart(m_dtStart);
    const QSignalBlocker blockStop(m_dtStop);
    m_dtStart->setDate(m_model.dtStart);
    m_dtStop->setDate(m_model.dtStop);
    m_lstSummary->clear();
    m_lstSummary->addItems(m_model.lstSummary);
    if (!m_model.visible && isVisible()) hide();
}

void frmSummaryWidget::ShowRequested() {
    Sync();
    // Centred on the screen when it first opens.
    PlaceOnShow(this, nullptr, m_placed);
    show();
    raise();
    activateWindow();
}

void frmSummaryWidget::hideEvent(QHideEvent* event) {
    m_model.Hide();
    QWidget::hideEvent(event);
}

}  // namespace tw
