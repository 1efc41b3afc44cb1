#include "ui/SnrColorKeyWidget.h"

#include <QPainter>

#include <algorithm>

#include "views/PropagationHours.h"

namespace tw {

namespace {
constexpr int kMargin = 4;   // pixels around the key and between caption and swatches
constexpr int kPadding = 6;  // pixels left and right of a swatch's label

QColor ToQColor(Color c) { return QColor(ColorRed(c), ColorGreen(c), ColorBlue(c)); }
}  // namespace

SnrColorKeyWidget::SnrColorKeyWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("SnrColorKey"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
}

void SnrColorKeyWidget::SetValues(HourValues values) {
    if (values == m_values) return;
    m_values = values;
    updateGeometry();
    update();
}

void SnrColorKeyWidget::SetNote(const QString& note) {
    if (note == m_note) return;
    m_note = note;
    updateGeometry();
    update();
}

std::vector<SnrKeyEntry> SnrColorKeyWidget::Entries() const {
    if (m_values == HourValues::Log) return LogColorKey();
    return m_values == HourValues::Reliability ? RelColorKey() : SnrColorKey();
}

QString SnrColorKeyWidget::Caption() const {
    if (m_values == HourValues::Log) return QString::fromLatin1(kLogKeyCaption);
    return QString::fromLatin1(m_values == HourValues::Reliability ? kRelKeyCaption : kSnrKeyCaption);
}

int SnrColorKeyWidget::SwatchWidth() const {
    int width = 0;
    for (const SnrKeyEntry& entry : Entries())
        width = std::max(width, fontMetrics().horizontalAdvance(entry.label));
    return width + 2 * kPadding;
}

QSize SnrColorKeyWidget::sizeHint() const {
    const int caption = fontMetrics().horizontalAdvance(Caption());
    const int swatches = static_cast<int>(Entries().size()) * SwatchWidth();
    const int band = fontMetrics().height() + 4;
    const int note = fontMetrics().horizontalAdvance(m_note);
    const int width = std::max(caption + kMargin + swatches, note);
    return {2 * kMargin + width, 2 * kMargin + band + (m_note.isEmpty() ? 0 : kMargin + band)};
}

void SnrColorKeyWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QString caption = Caption();
    const QRect band(kMargin, kMargin, width() - 2 * kMargin, fontMetrics().height() + 4);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(band, Qt::AlignLeft | Qt::AlignVCenter, caption);
    int x = band.left() + fontMetrics().horizontalAdvance(caption) + kMargin;
    const int swatch = SwatchWidth();
    for (const SnrKeyEntry& entry : Entries()) {
        const QRect box(x, band.top(), swatch, band.height());
        painter.fillRect(box, ToQColor(entry.color));
        painter.setPen(ToQColor(ReadableTextColor(entry.color)));
        painter.drawText(box, Qt::AlignCenter, entry.label);
        x += swatch;
    }
    if (!m_note.isEmpty()) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(band.translated(0, band.height() + kMargin),
                         Qt::AlignLeft | Qt::AlignVCenter, m_note);
    }
}

}  // namespace tw
