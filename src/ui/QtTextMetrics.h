#pragma once
// Text measurement in twips from a Qt font and the screen's logical
// resolution: twips per pixel = 1440 / dots per inch (15 at 96 dpi).

#include <QFont>

#include "common/UserInterface.h"

class QScreen;

namespace tw {

class QtTextMetrics final : public ITextMetrics {
public:
    // The font on the given screen (the primary screen when none; 96 dpi when
    // there is no screen at all).
    explicit QtTextMetrics(const QFont& font = QFont(), const QScreen* screen = nullptr);
    // The font at a given logical resolution.
    QtTextMetrics(const QFont& font, int dpiX, int dpiY);

    int TextWidthTwips(const QString& text) const override;
    int TwipsPerPixelX() const override { return m_twipsPerPixelX; }
    int TwipsPerPixelY() const override { return m_twipsPerPixelY; }

    const QFont& Font() const { return m_font; }

    // 1440 / dpi, rounded, at least 1.
    static int TwipsPerPixel(int dpi);

private:
    QFont m_font;
    int m_twipsPerPixelX;
    int m_twipsPerPixelY;
};

}  // namespace tw
