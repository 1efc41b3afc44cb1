#include "propagation/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tw {
namespace {

TEST(Geometry, RangeInNauticalMilesAndBearingsFiniteAndInTheCircle) {
    const double nan = std::nan("");
    struct Case {
        const char* name;
        double lat1, lon1, lat2, lon2;
        double miles;               // negative: not checked
        double at1 = -1, at2 = -1;  // bearings, degrees; negative: only check the range
        double lo1 = 0, hi1 = 360;  // range of the bearing at point 1
    };
    for (const Case& c :
         {Case{"one degree of latitude", 10, 20, 11, 20, 60.0},
          Case{"equator to pole", 0, 45, 90, 45, 5400.0},
          Case{"one degree of longitude on the equator", 0, 0, 0, 1, 60.0},
          Case{"across the date line", 0, 179.5, 0, -179.5, 60.0},
          Case{"antipodes on the equator", 0, 0, 0, 180, 10800.0},
          Case{"longitude means nothing at the pole", 90, 10, 90, -150, 0.0},
          Case{"nearly antipodes by 1e-12 degrees", 10, 10, -10 + 1e-12, -170, 10800.0},
          // Along one meridian point 2 is never east: due north reads 360.
          Case{"due north", 10, 20, 30, 20, -1, 360, 180},
          Case{"due south", 30, 20, 10, 20, -1, 180, 0},
          Case{"due east on the equator", 0, 0, 0, 10, -1, 90, 270},
          Case{"due west on the equator", 0, 10, 0, 0, -1, 270, 90},
          Case{"east across the date line", 0, 170, 0, -170, -1, 90, 270},
          Case{"west across the date line", 0, -170, 0, 170, -1, 270, 90},
          Case{"east across the date line off the equator", 20, 170, 25, -170, -1, -1, -1, 0, 180},
          Case{"west across the date line off the equator", 20, -170, 25, 170, -1, -1, -1, 180,
               360},
          // San Francisco area to Honolulu area: the law of cosines and the
          // initial courses of the textbook formula.
          Case{"ordinary path", 37.8, -122.4, 21.3, -157.9, 2083.0193406, 251.8014994, 53.6745917},
          // Degenerate cases: a chosen, finite answer.
          Case{"coincident", 38.6, -120.3, 38.6, -120.3, 0, 0, 0},
          Case{"antipodes", 30, -60, -30, 120, 10800, 0, 0},
          Case{"from the north pole", 90, 0, 10, 20, -1, 180, 0},
          Case{"from the south pole", -90, 0, 10, 20, -1, 0, 180},
          Case{"toward the north pole", 10, 20, 90, 0, -1, 0, 180},
          Case{"toward the south pole", 10, 20, -90, 0, -1, 180, 0},
          Case{"pole to pole", 90, 0, -90, 0, 10800, 180, 0},
          Case{"same pole", -90, 0, -90, 50, -1, 0, 0},
          Case{"nearly coincident", 10, 10, 10 + 1e-9, 10 + 1e-9, -1},
          Case{"nearly antipodes by 1e-9 degrees", 10, 10, -10 + 1e-9, -170, -1},
          Case{"latitude not a number", nan, 0, 0, 0, 0, 0, 0},
          Case{"longitude not a number", 0, nan, 10, 10, 0, 0, 0}}) {
        SCOPED_TRACE(c.name);
        if (c.miles >= 0) {
            const double r = LatLonGetRange(c.lat1, c.lon1, c.lat2, c.lon2);
            EXPECT_NEAR(r, c.miles, 1e-6);
            // The distance does not depend on the direction of travel.
            EXPECT_NEAR(LatLonGetRange(c.lat2, c.lon2, c.lat1, c.lon1), r, 1e-9);
        }
        // Not a number fails the comparisons.
        const Bearings b = LatLonGetBearing(c.lat1, c.lon1, c.lat2, c.lon2);
        EXPECT_TRUE(b.atPoint1 >= c.lo1 && b.atPoint1 <= c.hi1) << b.atPoint1;
        EXPECT_TRUE(b.atPoint2 >= 0.0 && b.atPoint2 <= 360.0) << b.atPoint2;
        if (c.at1 >= 0) {
            EXPECT_NEAR(b.atPoint1, c.at1, 1e-6);
            EXPECT_NEAR(b.atPoint2, c.at2, 1e-6);
        }
    }
}

TEST(Geometry, ArcSinKnownValuesAndTheEdges) {
    EXPECT_DOUBLE_EQ(ArcSin(0.0), 0.0);
    EXPECT_NEAR(ArcSin(0.5), std::asin(0.5), 1e-15);
    EXPECT_NEAR(ArcSin(-1.0), -std::asin(1.0), 1e-15);
    // A chord that rounds a hair past 2 must not give NaN.
    EXPECT_NEAR(ArcSin(1.0 + 1e-15), std::asin(1.0), 1e-15);
    EXPECT_EQ(ArcSin(std::nan("")), 0.0);
}

}  // namespace
}  // namespace tw
