#include "ui/StationMapPainter.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "propagation/Geometry.h"
#include "views/PropagationHours.h"
#include "views/StationMap.h"

namespace tw {

namespace {

QColor ToQColor(Color c, int alpha = 255) { return QColor(ColorRed(c), ColorGreen(c), ColorBlue(c), alpha); }

constexpr Color kBackground = Rgb(236, 239, 243);
constexpr Color kSea = Rgb(204, 226, 244);
constexpr Color kCoast = Rgb(70, 96, 70);
constexpr Color kGrid = Rgb(110, 124, 150);
constexpr Color kNight = Rgb(8, 16, 56);
constexpr int kNightAlpha = 105;  // of the full night
constexpr Color kLabelBack = Rgb(255, 255, 240);
constexpr Color kNoPrediction = Rgb(150, 150, 150);
constexpr Color kHighlight = Rgb(0, 80, 230);
constexpr Color kVessel = Rgb(210, 0, 0);

// The night side over the disc: each pixel shaded by how far the sun is
// below the horizon there.
QImage NightImage(const frmStationMap& map, const MapFrame& frame) {
    const int side = static_cast<int>(std::ceil(2.0 * frame.radius));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const NightShade shade(map.Projection(), map.Sun());
    const double left = frame.centreX - side / 2.0;
    const double top = frame.centreY - side / 2.0;
    const double scale = 1.0 / frame.radius;
    for (int row = 0; row < side; ++row) {
        const double y = (frame.centreY - (top + row + 0.5)) * scale;
        if (std::fabs(y) >= 1.0) continue;
        const double half = std::sqrt(1.0 - y * y);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        const int first = std::max(0, static_cast<int>((frame.centreX - half * frame.radius) - left));
        const int last = std::min(side - 1, static_cast<int>((frame.centreX + half * frame.radius) - left));
        for (int col = first; col <= last; ++col) {
            const double x = (left + col + 0.5 - frame.centreX) * scale;
            const double dark = shade.Darkness(x, y);
            if (dark <= 0.0) continue;
            const int a = static_cast<int>(dark * kNightAlpha);
            line[col] = qRgba(ColorRed(kNight) * a / 255, ColorGreen(kNight) * a / 255,
                              ColorBlue(kNight) * a / 255, a);
        }
    }
    return image;
}

// A text on a light box, the text in the colour that reads on it; the box's
// left edge at `at`, or with `leftOf` its right edge.
void DrawLabel(QPainter& painter, const QPointF& at, const QString& text, bool bold, bool leftOf = false) {
    painter.save();
    QFont font = painter.font();
    font.setBold(bold);
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(text) + 4.0;
    const QRectF box(leftOf ? at.x() - width : at.x(), at.y() - metrics.height() / 2.0, width, metrics.height());
    painter.setPen(Qt::NoPen);
    painter.setBrush(ToQColor(kLabelBack, 215));
    painter.drawRoundedRect(box, 2.0, 2.0);
    painter.setPen(ToQColor(ReadableTextColor(kLabelBack)));
    painter.drawText(box, Qt::AlignCenter, text);
    painter.restore();
}

void DrawKey(QPainter& painter, QSize size) {
    const QFontMetrics metrics(painter.font());
    const int height = metrics.height() + 2;
    std::vector<SnrKeyEntry> key = RelColorKey();
    int width = metrics.horizontalAdvance(QStringLiteral("none")) + 8;
    for (const SnrKeyEntry& entry : key) width = std::max(width, metrics.horizontalAdvance(entry.label) + 8);
    const int entries = static_cast<int>(key.size()) + 1;
    int y = size.height() - 4 - entries * height;
    const int x = 4;
    painter.setPen(ToQColor(ReadableTextColor(kBackground)));
    painter.drawText(QRect(x, y - height, width * 3, height), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromLatin1(kRelKeyCaption));
    // Strongest first, as the map's eye reads down from green.
    std::reverse(key.begin(), key.end());
    for (const SnrKeyEntry& entry : key) {
        const QRect box(x, y, width, height);
        painter.fillRect(box, ToQColor(entry.color));
        painter.setPen(ToQColor(ReadableTextColor(entry.color)));
        painter.drawText(box, Qt::AlignCenter, entry.label);
        y += height;
    }
    const QRect none(x, y, width, height);
    painter.fillRect(none, ToQColor(kBackground));
    painter.setPen(QPen(ToQColor(kNoPrediction), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(x + 7, y + height / 2.0), 3.5, 3.5);
    painter.setPen(ToQColor(ReadableTextColor(kBackground)));
    painter.drawText(none.adjusted(12, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("none"));
}

}  // namespace

double StationMapDotRadius(QSize size) {
    return std::clamp(std::min(size.width(), size.height()) / 160.0, 3.0, 7.0);
}

void PaintStationMap(QPainter& painter, QSize size, frmStationMap& map, int hovered) {
    const MapFrame frame = MapFrameFor(size.width(), size.height());
    const QPointF centre(frame.centreX, frame.centreY);
    const auto pixel = [&frame](const MapPoint& p) { return QPointF(frame.PixelX(p), frame.PixelY(p)); };
    painter.fillRect(QRect(QPoint(0, 0), size), ToQColor(kBackground));
    painter.setRenderHint(QPainter::Antialiasing, true);

    // The earth: the sea, the night side, the coastlines, the rim.
    painter.setPen(Qt::NoPen);
    painter.setBrush(ToQColor(kSea));
    painter.drawEllipse(centre, frame.radius, frame.radius);
    if (map.HasPosition()) {
        const QImage night = NightImage(map, frame);
        painter.drawImage(QPointF(frame.centreX - night.width() / 2.0, frame.centreY - night.height() / 2.0),
                          night);
        painter.setPen(QPen(ToQColor(kCoast), 1.0));
        painter.setBrush(Qt::NoBrush);
        QVector<QPointF> points;
        for (const std::vector<MapPoint>& line : map.CoastlinePoints()) {
            points.resize(static_cast<qsizetype>(line.size()));
            for (std::size_t i = 0; i < line.size(); ++i) points[static_cast<qsizetype>(i)] = pixel(line[i]);
            painter.drawPolyline(points.constData(), static_cast<int>(points.size()));
        }
    }

    // Range rings every 1000 nmi and bearing ticks every 30 degrees, labelled.
    const QFontMetricsF metrics(painter.font());
    QPen grid(ToQColor(kGrid, 170), 0.8, Qt::DashLine);
    painter.setBrush(Qt::NoBrush);
    const double ringPixels = frame.radius * frmStationMap::kRingStep / kMapRimRange;
    const int labelEvery = std::max(1, static_cast<int>(std::ceil(metrics.height() / ringPixels)));
    for (int range = frmStationMap::kRingStep, n = 1; range < kMapRimRange; range += frmStationMap::kRingStep, ++n) {
        const double r = frame.radius * range / kMapRimRange;
        painter.setPen(grid);
        painter.drawEllipse(centre, r, r);
        if (n % labelEvery != 0) continue;
        DrawLabel(painter, QPointF(frame.centreX + 2.0, frame.centreY - r + metrics.height() / 2.0 + 1.0),
                  QString::number(range), false);
    }
    painter.setPen(QPen(ToQColor(kGrid), 1.2));
    painter.drawEllipse(centre, frame.radius, frame.radius);
    for (int bearing = 0; bearing < 360; bearing += frmStationMap::kBearingStep) {
        const double b = bearing * kGeoPi / 180.0;
        const QPointF unit(std::sin(b), -std::cos(b));
        painter.setPen(QPen(ToQColor(kGrid, 90), 0.8, Qt::DotLine));
        painter.drawLine(centre, centre + unit * frame.radius);
        painter.setPen(QPen(ToQColor(kGrid), 1.2));
        painter.drawLine(centre + unit * frame.radius, centre + unit * (frame.radius + 5.0));
        const QString text = QString::number(bearing) + QChar(0x00B0);
        const QPointF at = centre + unit * (frame.radius + 7.0 + std::fabs(unit.y()) * metrics.height() / 2.0 +
                                            std::fabs(unit.x()) * metrics.horizontalAdvance(text) / 2.0);
        painter.setPen(ToQColor(ReadableTextColor(kBackground)));
        painter.drawText(QRectF(at.x() - 40.0, at.y() - metrics.height() / 2.0, 80.0, metrics.height()),
                         Qt::AlignCenter, text);
    }

    // The time of the predictions and the sun's place, top left.
    painter.setPen(ToQColor(ReadableTextColor(kBackground)));
    painter.drawText(QPointF(4.0, 4.0 + metrics.ascent()),
                     map.Time().toString(QStringLiteral("yyyy-MM-dd hh:mm")) + QStringLiteral(" UTC"));
    DrawKey(painter, size);
    if (!map.HasPosition() || !map.Failure().isEmpty()) {
        const QString text = QStringLiteral("No stations: ") + map.Failure();
        DrawLabel(painter, QPointF(frame.centreX - metrics.horizontalAdvance(text) / 2.0, frame.centreY + 24.0),
                  text, false);
        if (!map.HasPosition()) return;
    }

    // The lines to the list's stations: great circles, straight from the centre.
    const std::vector<MapStation>& stations = map.Stations();
    const int highlighted = map.Highlighted();
    for (std::size_t i = 0; i < stations.size(); ++i) {
        if (stations[i].firstRow <= 0) continue;
        const bool marked = static_cast<int>(i) == highlighted;
        painter.setPen(QPen(marked ? ToQColor(kHighlight) : QColor(40, 40, 40, 130), marked ? 2.5 : 1.0));
        painter.drawLine(centre, pixel(stations[i].point));
    }

    // The dots: the others first, then the list's on top of them.
    const double dot = StationMapDotRadius(size);
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t i = 0; i < stations.size(); ++i) {
            const MapStation& s = stations[i];
            const bool listed = s.firstRow > 0;
            if (listed != (pass == 1)) continue;
            const QPointF at = pixel(s.point);
            const double r = listed ? dot : dot * 0.7;
            if (static_cast<int>(i) == highlighted || static_cast<int>(i) == hovered) {
                painter.setPen(QPen(ToQColor(kHighlight), static_cast<int>(i) == highlighted ? 3.0 : 1.5));
                painter.setBrush(Qt::NoBrush);
                painter.drawEllipse(at, r + 6.0, r + 6.0);
            }
            if (s.checked) {
                painter.setPen(QPen(Qt::black, 1.5));
                painter.setBrush(Qt::NoBrush);
                painter.drawEllipse(at, r + 3.0, r + 3.0);
            }
            if (s.predicted && s.reliability >= 0) {
                painter.setPen(QPen(QColor(30, 30, 30), 1.0));
                painter.setBrush(ToQColor(RelColor(std::round(s.reliability))));
            } else {
                painter.setPen(QPen(ToQColor(kNoPrediction), 2.0));
                painter.setBrush(Qt::NoBrush);
            }
            painter.drawEllipse(at, r, r);
        }
    }
    // The names beside the dots, away from the vessel (off the lines to it).
    for (std::size_t i = 0; i < stations.size(); ++i) {
        if (stations[i].firstRow <= 0) continue;
        const bool left = stations[i].point.x < 0.0;
        DrawLabel(painter, pixel(stations[i].point) + QPointF(left ? -dot - 5.0 : dot + 5.0, -dot - 4.0),
                  stations[i].name, static_cast<int>(i) == highlighted, left);
    }

    // The vessel.
    painter.setPen(QPen(ToQColor(kVessel), 2.5));
    painter.drawLine(centre + QPointF(-6.0, 0.0), centre + QPointF(6.0, 0.0));
    painter.drawLine(centre + QPointF(0.0, -6.0), centre + QPointF(0.0, 6.0));
}

}  // namespace tw
