#include <gtest/gtest.h>

#include <algorithm>

#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>

#include "common/Grid.h"
#include "ui/GridWidget.h"
#include "ui/QtTextMetrics.h"
#include "views/PropagationHours.h"

using namespace tw;

namespace {

// 15 twips per pixel: 4 columns of 1500 twips (100 px), rows of 240 twips (16 px).
class GridWidgetTest : public ::testing::Test {
protected:
    GridWidgetTest() {
        grid.SetCols(4);
        grid.SetRows(30);
        grid.SetFixedRows(1);
        for (int c = 0; c < 4; ++c) grid.SetColWidth(c, 1500);
        widget.setFrameShape(QFrame::NoFrame);
        widget.resize(420, 6 * 16 + 20);
        widget.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&widget));
        QApplication::processEvents();
    }

    Grid grid;
    FixedTextMetrics metrics;
    GridWidget widget{grid, metrics};
};

}  // namespace

TEST_F(GridWidgetTest, ReportsItsClientSizeAndScrollsTheTopRow) {
    EXPECT_EQ(grid.ClientWidth(), widget.viewport()->width() * 15);
    EXPECT_EQ(grid.ClientHeight(), widget.viewport()->height() * 15);
    QScrollBar* bar = widget.verticalScrollBar();
    EXPECT_EQ(bar->minimum(), 1);
    EXPECT_EQ(bar->maximum(), grid.MaxTopRow());
    EXPECT_EQ(bar->pageStep(), widget.viewport()->height() / 16 - 1);  // the rows below the header
    bar->setValue(7);
    EXPECT_EQ(grid.TopRow(), 7);
    grid.SetTopRow(3);  // the model moves the bar too
    EXPECT_EQ(bar->value(), 3);
}

// Also: the text in the colour that reads on its cell, a framed column (a
// dark line, a light one inside), a frozen grid greyed.
TEST_F(GridWidgetTest, RendersColoursPicturesAndMergedCells) {
    grid.SetBackColor(2, 1, Rgb(255, 0, 255));
    grid.SetBackColor(5, 3, Rgb(0, 0, 128));
    grid.SetText(5, 3, "88");
    grid.SetColFrames(3, FrameSolid);
    grid.SetCellPicture(3, 1, PictureChecked);
    grid.SetCellPicture(4, 1, PictureUnchecked);
    grid.SetMergeCol(2, true);
    grid.SetText(5, 2, "same");
    grid.SetText(6, 2, "same");
    QApplication::processEvents();
    const auto render = [&] {
        QImage image(widget.viewport()->size(), QImage::Format_RGB32);
        widget.viewport()->render(&image);
        return image;
    };
    const QImage image = render();

    // The header row is shaded, a data cell white, the coloured cell magenta.
    EXPECT_EQ(QColor(image.pixel(110, 3)), QColor(212, 208, 200));
    EXPECT_EQ(QColor(image.pixel(250, 16 + 8)), QColor(Qt::white));
    EXPECT_EQ(QColor(image.pixel(150, 2 * 16 + 8)), QColor(255, 0, 255));
    // The ticked box differs from the empty one inside the box.
    EXPECT_NE(image.copy(100, 3 * 16, 16, 16), image.copy(100, 4 * 16, 16, 16));
    // No grid line between the two merged cells; one between unmerged ones.
    EXPECT_EQ(QColor(image.pixel(250, 6 * 16 - 1)), QColor(Qt::white));
    EXPECT_NE(QColor(image.pixel(150, 6 * 16 - 1)), QColor(Qt::white));
    int brightest = 0;  // light text on navy
    for (int x = 310; x < 390; ++x) brightest = std::max(brightest, QColor(image.pixel(x, 5 * 16 + 8)).lightness());
    EXPECT_GT(brightest, 200);
    EXPECT_EQ(std::pair(QColor(image.pixel(300, 88)), QColor(image.pixel(302, 88))), std::pair(QColor(Qt::black), QColor(Qt::white)));
    widget.SetFrozen(true);
    EXPECT_LT(QColor(render().pixel(150, 2 * 16 + 8)).hsvSaturation(), 20);
    widget.SetFrozen(false);
}

// The hour frames keep to the column's edge: what lies more than three pixels
// inside it (the header's and the cells' text) looks the same with them as
// without; the reliability's widest value keeps a pixel from the solid frame.
TEST_F(GridWidgetTest, ColumnFramesKeepOffTheText) {
    for (int r = 0; r < 8; ++r) grid.SetText(r, 1, "08");
    QImage image(widget.viewport()->size(), QImage::Format_RGB32);
    const QRect inside(QPoint(103, 3), QPoint(196, image.height() - 4));
    for (const int frames : {int(FrameNone), int(FrameDashed), FrameSolid | FrameDashed}) {
        const QImage before = image.copy(inside);
        grid.SetColFrames(1, frames);
        QApplication::processEvents();
        widget.viewport()->render(&image);
        EXPECT_TRUE(frames == FrameNone || image.copy(inside) == before) << frames;
    }
    const QtTextMetrics real(QApplication::font());
    EXPECT_GE(real.TextWidthTwips(HourColumnSample(HourValues::Reliability)),
              real.TextWidthTwips("100") + 8 * real.TwipsPerPixelX());
}

TEST_F(GridWidgetTest, ForwardsMouseEventsAsTwips) {
    QStringList events;
    const auto record = [&events](const char* name) {
        return [&events, name](auto... values) {
            const QStringList parts{QString::fromLatin1(name), QString::number(values)...};
            events << parts.join(QLatin1Char(' '));
        };
    };
    widget.onMouseDown = record("down");
    widget.onMouseUp = record("up");
    widget.onClick = record("click");
    widget.onDblClick = record("dbl");

    QTest::mouseClick(widget.viewport(), Qt::LeftButton, Qt::ShiftModifier, QPoint(110, 37));
    // The right button makes no click.
    QTest::mouseClick(widget.viewport(), Qt::RightButton, Qt::ControlModifier, QPoint(10, 20));
    // A double click as the system delivers it: press, release, double click, release.
    QTest::mouseClick(widget.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(4, 5));
    QTest::mouseDClick(widget.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(4, 5));
    QTest::mouseRelease(widget.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(4, 5));
    EXPECT_EQ(events, QStringList({"down 1 1 1650 555", "up 1 1 1650 555", "click 1650 555",
                                   "down 2 2 150 300", "up 2 2 150 300", "down 1 0 60 75",
                                   "up 1 0 60 75", "click 60 75", "dbl 60 75", "up 1 0 60 75"}));
}

TEST_F(GridWidgetTest, MouseMoveAndTooltipComeFromTheGrid) {
    widget.onMouseMove = [&](int, int, int x, int y) {
        grid.SetToolTipText(QStringLiteral("at %1 %2").arg(x).arg(y));
    };
    const auto help = [this] {
        QHelpEvent event(QEvent::ToolTip, QPoint(30, 40),
                         widget.viewport()->mapToGlobal(QPoint(30, 40)));
        QApplication::sendEvent(widget.viewport(), &event);
        return event.isAccepted();
    };
    QTest::mouseMove(widget.viewport(), QPoint(30, 40));
    QApplication::processEvents();
    EXPECT_TRUE(help());
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), "at 450 600");

    // A tooltip on show follows the grid's text as the mouse moves on.
    QTest::mouseMove(widget.viewport(), QPoint(50, 60));
    QApplication::processEvents();
    EXPECT_EQ(QToolTip::text(), "at 750 900");

    // No text: the help request is refused.
    widget.onMouseMove = nullptr;
    grid.SetToolTipText(QString());
    EXPECT_FALSE(help());
}

TEST(QtTextMetricsTest, TwipsPerPixelFromTheResolution) {
    const std::pair<int, int> cases[] = {{96, 15}, {120, 12}, {144, 10}, {72, 20}, {0, 15}};
    for (const auto& [dpi, twips] : cases)
        EXPECT_EQ(QtTextMetrics::TwipsPerPixel(dpi), twips) << dpi;
    const QtTextMetrics metrics(QFont(), 96, 120);
    EXPECT_EQ(metrics.TwipsPerPixelX(), 15);
    EXPECT_EQ(metrics.TwipsPerPixelY(), 12);
    EXPECT_GT(metrics.TextWidthTwips("-------10000.0(p3)-"), metrics.TextWidthTwips("-Range-"));
    EXPECT_EQ(metrics.TextWidthTwips("abc") % 15, 0);
}
