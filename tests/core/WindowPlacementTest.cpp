// Where windows go: sizes and places kept on the screen's available area,
// a view below another, a window's screen.

#include <gtest/gtest.h>

#include <limits>

#include "common/WindowPlacement.h"

namespace tw {
namespace {

constexpr int kMax = std::numeric_limits<int>::max();
constexpr int kMin = std::numeric_limits<int>::min();

// A screen of 1280 x 1024 with a 40-pixel task bar at its top.
const QRect kScreen(0, 40, 1280, 984);
const QSize kMinimum(512, 234);

TEST(WindowPlacementTest, KeepsEveryFrameOnTheScreen) {
    const struct {
        const char* what;
        QPoint place;
        QSize size;
        QRect frame;
    } cases[] = {
        {"on the screen: as it is", {100, 200}, {600, 400}, {100, 200, 600, 400}},
        {"taller than the screen", {0, 0}, {600, 2000000}, {0, 40, 600, 984}},
        {"below the bottom: moved up", {100, 900}, {600, 400}, {100, 624, 600, 400}},
        {"left of the screen, above its task bar", {-5000, 0}, {600, 400}, {0, 40, 600, 400}},
        {"far right and down", {99999999, 99999999}, {600, 400}, {680, 624, 600, 400}},
        {"the ends of int", {kMin, kMax}, {kMax, kMax}, {0, 40, 1280, 984}},
        {"smaller than the minimum", {10, 50}, {1, 1}, {10, 50, 512, 234}},
        {"no size at all", {10, 50}, {-300, 0}, {10, 50, 512, 234}},
        {"the minimum at the right edge", {1200, 50}, {100, 100}, {768, 50, 512, 234}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(KeepOnScreen(c.place, c.size, kMinimum, kScreen), c.frame);
    }
    // A screen smaller than the minimum: the screen wins.
    EXPECT_EQ(KeepOnScreen({5, 5}, {600, 400}, kMinimum, QRect(0, 0, 480, 200)), QRect(0, 0, 480, 200));
}

// The plain cases of the place below another window are walked by the
// views' widget test; here the edges.
TEST(WindowPlacementTest, PlacesBelowAnotherAndInTheMiddle) {
    const struct {
        const char* what;
        QRect above;
        QSize size;
        QRect frame;
    } cases[] = {
        {"taller than the screen: as tall as it", {10, 60, 300, 100}, {500, 5000}, {10, 40, 500, 984}},
        {"the window above partly off the right edge", {1100, 100, 300, 100}, {500, 300}, {780, 200, 500, 300}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PlaceBelow(c.above, c.size, kScreen), c.frame);
    }
    EXPECT_EQ(CenterOn({600, 400}, kScreen), QRect(340, 332, 600, 400));
    EXPECT_EQ(CenterOn({600, 4000}, kScreen), QRect(340, 40, 600, 984));
}

TEST(WindowPlacementTest, AWindowBelongsToTheScreenThatHoldsMostOfIt) {
    const QList<QRect> screens{kScreen, QRect(1280, 0, 1920, 1080)};
    const struct {
        const char* what;
        QPoint place;
        QSize size;
        int screen;
    } cases[] = {
        {"on the first", {100, 100}, {600, 400}, 0},
        {"on the second", {1500, 100}, {600, 400}, 1},
        {"mostly on the second", {1000, 100}, {600, 400}, 1},
        {"on none: the primary", {-9000, -9000}, {600, 400}, 0},
        {"huge, from the second", {1300, 10}, {kMax, kMax}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ScreenFor(c.place, c.size, screens), c.screen);
    }
}

}  // namespace
}  // namespace tw
