#include "ui/QtTextMetrics.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace tw {

namespace {

int ScreenDpi(const QScreen* screen, bool x) {
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return 96;
    const double dpi = x ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
    return dpi > 0 ? static_cast<int>(std::lround(dpi)) : 96;
}

}  // namespace

QtTextMetrics::QtTextMetrics(const QFont& font, const QScreen* screen)
    : QtTextMetrics(font, ScreenDpi(screen, true), ScreenDpi(screen, false)) {}

QtTextMetrics::QtTextMetrics(const QFont& font, int dpiX, int dpiY)
    : m_font(font), m_twipsPerPixelX(TwipsPerPixel(dpiX)), m_twipsPerPixelY(TwipsPerPixel(dpiY)) {}

int QtTextMetrics::TwipsPerPixel(int dpi) {
    if (dpi <= 0) dpi = 96;
    return std::max(1, static_cast<int>(std::lround(1440.0 / dpi)));
}

int QtTextMetrics::TextWidthTwips(const QString& text) const {
    return QFontMetrics(m_font).horizontalAdvance(text) * m_twipsPerPixelX;
}

}  // namespace tw
