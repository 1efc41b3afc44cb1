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

std::vector<SnrKeyEntry> SnrColorKeyWidget::Entries() const {
    return m_values == HourValues::Reliability ? RelColorKey() : SnrColorKey();
}

QString SnrColorKeyWidget::Caption() const {
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
    return {2 * kMargin + caption + kMargin + swatches, 2 * kMargin + fontMetrics().height() + 4};
}

void SnrColorKeyWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QString caption = Caption();
    const QRect band(kMargin, kMargin, width() - 2 * kMargin, height() - 2 * kMargin);
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
}

}  // namespace tw
