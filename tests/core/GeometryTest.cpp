#include "propagation/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tw {
namespace {

struct RangeCase {
    const char* name;
    double lat1, lon1, lat2, lon2;
    double miles;
};

class GeometryRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(GeometryRange, DistanceInNauticalMiles) {
    const RangeCase& c = GetParam();
    const double r = LatLonGetRange(c.lat1, c.lon1, c.lat2, c.lon2);
    EXPECT_TRUE(std::isfinite(r));
    EXPECT_NEAR(r, c.miles, 1e-6) << c.name;
    // The distance does not depend on the direction of travel.
    EXPECT_NEAR(LatLonGetRange(c.lat2, c.lon2, c.lat1, c.lon1), r, 1e-9) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GeometryRange,
    ::testing::Values(
        RangeCase{"identical", 38.6, -120.3, 38.6, -120.3, 0.0},
        RangeCase{"one degree of latitude", 10, 20, 11, 20, 60.0},
        RangeCase{"equator to pole", 0, 45, 90, 45, 5400.0},
        RangeCase{"one degree of longitude on the equator", 0, 0, 0, 1, 60.0},
        RangeCase{"across the date line", 0, 179.5, 0, -179.5, 60.0},
        RangeCase{"antipodes on the equator", 0, 0, 0, 180, 10800.0},
        RangeCase{"antipodes off the equator", 30, -60, -30, 120, 10800.0},
        RangeCase{"pole to pole", 90, 0, -90, 0, 10800.0},
        RangeCase{"longitude means nothing at the pole", 90, 10, 90, -150, 0.0},
        RangeCase{"sixty degrees on the equator", 0, -30, 0, 30, 3600.0}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST(GeometryRangeSpherical, MatchesTheCosineLawForAnOrdinaryPath) {
    // San Francisco area to Honolulu area: compare with the law of cosines.
    const double d2r = kGeoPi / 180.0;
    const double a1 = 37.8 * d2r, o1 = -122.4 * d2r, a2 = 21.3 * d2r, o2 = -157.9 * d2r;
    const double angle =
        std::acos(std::sin(a1) * std::sin(a2) + std::cos(a1) * std::cos(a2) * std::cos(o1 - o2));
    EXPECT_NEAR(LatLonGetRange(37.8, -122.4, 21.3, -157.9), angle / d2r * 60.0, 1e-6);
}

TEST(GeometryArcSin, KnownValuesAndTheEdges) {
    EXPECT_DOUBLE_EQ(ArcSin(0.0), 0.0);
    EXPECT_NEAR(ArcSin(0.5), std::asin(0.5), 1e-15);
    EXPECT_NEAR(ArcSin(-0.5), -std::asin(0.5), 1e-15);
    EXPECT_NEAR(ArcSin(1.0), std::asin(1.0), 1e-15);
    EXPECT_NEAR(ArcSin(-1.0), -std::asin(1.0), 1e-15);
    // A chord that rounds a hair past 2 must not give NaN.
    EXPECT_NEAR(ArcSin(1.0 + 1e-15), std::asin(1.0), 1e-15);
    EXPECT_EQ(ArcSin(std::nan("")), 0.0);
}

struct BearingCase {
    const char* name;
    double lat1, lon1, lat2, lon2;
    double at1, at2;  // expected, degrees; a negative value means "only check the range"
    double lo1 = 0, hi1 = 360;  // range of the bearing at point 1
};

class GeometryBearing : public ::testing::TestWithParam<BearingCase> {};

TEST_P(GeometryBearing, Bearings) {
    const BearingCase& c = GetParam();
    const Bearings b = LatLonGetBearing(c.lat1, c.lon1, c.lat2, c.lon2);
    ASSERT_TRUE(std::isfinite(b.atPoint1)) << c.name;
    ASSERT_TRUE(std::isfinite(b.atPoint2)) << c.name;
    EXPECT_GE(b.atPoint1, 0.0) << c.name;
    EXPECT_LE(b.atPoint1, 360.0) << c.name;
    EXPECT_GE(b.atPoint2, 0.0) << c.name;
    EXPECT_LE(b.atPoint2, 360.0) << c.name;
    EXPECT_GE(b.atPoint1, c.lo1) << c.name;
    EXPECT_LE(b.atPoint1, c.hi1) << c.name;
    if (c.at1 >= 0) {
        EXPECT_NEAR(b.atPoint1, c.at1, 1e-6) << c.name;
    }
    if (c.at2 >= 0) {
        EXPECT_NEAR(b.atPoint2, c.at2, 1e-6) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GeometryBearing,
    ::testing::Values(
        // Along one meridian point 2 is never east: due north reads 360.
        BearingCase{"due north", 10, 20, 30, 20, 360, 180},
        BearingCase{"due south", 30, 20, 10, 20, 180, 0},
        BearingCase{"due east on the equator", 0, 0, 0, 10, 90, 270},
        BearingCase{"due west on the equator", 0, 10, 0, 0, 270, 90},
        BearingCase{"east across the date line", 0, 170, 0, -170, 90, 270},
        BearingCase{"west across the date line", 0, -170, 0, 170, 270, 90},
        BearingCase{"east across the date line off the equator", 20, 170, 25, -170, -1, -1, 0,
                    180},
        BearingCase{"west across the date line off the equator", 20, -170, 25, 170, -1, -1, 180,
                    360},
        // Degenerate cases: a chosen, finite answer.
        BearingCase{"coincident", 38.6, -120.3, 38.6, -120.3, 0, 0},
        BearingCase{"antipodes", 30, -60, -30, 120, 0, 0},
        BearingCase{"from the north pole", 90, 0, 10, 20, 180, 0},
        BearingCase{"from the south pole", -90, 0, 10, 20, 0, 180},
        BearingCase{"toward the north pole", 10, 20, 90, 0, 0, 180},
        BearingCase{"toward the south pole", 10, 20, -90, 0, 180, 0},
        BearingCase{"pole to pole", 90, 0, -90, 0, 180, 0},
        BearingCase{"same pole", -90, 0, -90, 50, 0, 0}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST(GeometryBearingKnown, OrdinaryPathMatchesTheSphericalFormula) {
    // Initial course by atan2, the textbook form, for a north-westerly path.
    const double d2r = kGeoPi / 180.0;
    const double a1 = 37.8 * d2r, o1 = -122.4 * d2r, a2 = 21.3 * d2r, o2 = -157.9 * d2r;
    auto course = [](double fa, double fo, double ta, double to) {
        const double y = std::sin(to - fo) * std::cos(ta);
        const double x = std::cos(fa) * std::sin(ta) - std::sin(fa) * std::cos(ta) * std::cos(to - fo);
        double c = std::atan2(y, x) * 180.0 / kGeoPi;
        return c < 0 ? c + 360.0 : c;
    };
    const Bearings b = LatLonGetBearing(37.8, -122.4, 21.3, -157.9);
    EXPECT_NEAR(b.atPoint1, course(a1, o1, a2, o2), 1e-6);
    EXPECT_NEAR(b.atPoint2, course(a2, o2, a1, o1), 1e-6);
}

TEST(GeometryNonFinite, NeverNaN) {
    const double nan = std::nan("");
    EXPECT_EQ(LatLonGetRange(nan, 0, 0, 0), 0.0);
    const Bearings b = LatLonGetBearing(0, nan, 10, 10);
    EXPECT_EQ(b.atPoint1, 0.0);
    EXPECT_EQ(b.atPoint2, 0.0);
    // Near-coincident and near-antipodal points stay finite.
    const Bearings near = LatLonGetBearing(10, 10, 10 + 1e-9, 10 + 1e-9);
    EXPECT_TRUE(std::isfinite(near.atPoint1) && std::isfinite(near.atPoint2));
    const Bearings anti = LatLonGetBearing(10, 10, -10 + 1e-9, -170);
    EXPECT_TRUE(std::isfinite(anti.atPoint1) && std::isfinite(anti.atPoint2));
    EXPECT_TRUE(std::isfinite(LatLonGetRange(10, 10, -10 + 1e-12, -170)));
}

}  // namespace
}  // namespace tw
