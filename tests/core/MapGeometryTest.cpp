#include "propagation/MapGeometry.h"

#include <gtest/gtest.h>

#include <QDateTime>

#include <cmath>

#include "propagation/Geometry.h"

namespace tw {
namespace {

// Hand-worked points of the projection around a vessel: the map distance is
// the range over half a great circle, the bearing runs clockwise from up.
TEST(MapGeometry, TheProjectionPutsRangeAndBearingStraightFromTheCentre) {
    struct Case {
        const char* name;
        double lat0, lon0, lat, lon;
        double x, y;
    };
    for (const Case& c : {
             Case{"the vessel itself", 37.7, -25.5, 37.7, -25.5, 0.0, 0.0},
             Case{"due north, straight up", 10, 20, 40, 20, 0.0, 30.0 / 180.0},
             Case{"the north pole from the equator", 0, 0, 90, 123, 0.0, 0.5},
             Case{"due east on the equator at 90 degrees", 0, 0, 0, 90, 0.5, 0.0},
             Case{"due east across the date line", 0, 170, 0, -160, 30.0 / 180.0, 0.0},
             Case{"due south", 20, -40, -25, -40, 0.0, -0.25},
             Case{"due west", 0, 10, 0, -50, -60.0 / 180.0, 0.0},
             Case{"the antipode on the rim", 37.7, -25.5, -37.7, 154.5, 0.0, 1.0},
             // Off the axes: the range and bearing of the chord and course formulas.
             Case{"an ordinary path", 37.8, -122.4, 21.3, -157.9, 2083.0193406 / 10800 * std::sin(251.8014994 * kGeoPi / 180),
                  2083.0193406 / 10800 * std::cos(251.8014994 * kGeoPi / 180)},
         }) {
        const MapPoint p = AzimuthalProjection(c.lat0, c.lon0).Project(c.lat, c.lon);
        EXPECT_NEAR(p.x, c.x, 1e-9) << c.name;
        EXPECT_NEAR(p.y, c.y, 1e-9) << c.name;
        // A station placed by its range and bearing lands on the same point.
        const double range = LatLonGetRange(c.lat0, c.lon0, c.lat, c.lon);
        if (range > 1.0 && range < 10799.0) {
            const MapPoint q = MapPointAt(range, LatLonGetBearing(c.lat0, c.lon0, c.lat, c.lon).atPoint1);
            EXPECT_NEAR(q.x, c.x, 1e-9) << c.name;
            EXPECT_NEAR(q.y, c.y, 1e-9) << c.name;
        }
    }
}

// The sun at the equinoxes and solstices of 2024 (the published minutes,
// when its apparent longitude is 0, 90, 180 and 270 degrees): the
// declination is 0 or the obliquity, and the noon longitude that of a
// full-precision computation (nutation and the apparent sidereal time).
TEST(MapGeometry, TheSunAtTheEquinoxesAndSolstices) {
    struct Case {
        const char* utc;
        double latitude, longitude;
    };
    for (const Case& c : {Case{"2024-03-20T03:06:00Z", 0.0, 135.356},
                          Case{"2024-06-20T20:51:00Z", 23.4386, -132.303},
                          Case{"2024-09-22T12:44:00Z", 0.0, -12.867},
                          Case{"2024-12-21T09:21:00Z", -23.4386, 39.314}}) {
        const qint64 seconds = QDateTime::fromString(QString::fromLatin1(c.utc), Qt::ISODate).toSecsSinceEpoch();
        const SunPosition sun = SunPositionAt(seconds);
        EXPECT_NEAR(sun.latitude, c.latitude, 0.01) << c.utc;
        EXPECT_NEAR(sun.longitude, c.longitude, 0.01) << c.utc;
    }
}

// Where the sun stands over the vessel, the centre is day, the rim night,
// and the grey line runs at 90 degrees (half the radius) all round.
TEST(MapGeometry, TheNightSideLiesBeyondTheTerminator) {
    const SunPosition sun = SunPositionAt(QDateTime::fromString(QStringLiteral("2026-06-06T14:05:00Z"), Qt::ISODate)
                                              .toSecsSinceEpoch());
    const AzimuthalProjection projection(sun.latitude, sun.longitude);
    const NightShade shade(projection, sun);
    EXPECT_EQ(shade.Darkness(0.0, 0.0), 0.0);
    EXPECT_EQ(shade.Darkness(0.0, -0.999), 1.0);
    for (int bearing = 0; bearing < 360; bearing += 45) {
        const double b = bearing * kGeoPi / 180.0;
        EXPECT_NEAR(shade.SunAltitudeSine(0.5 * std::sin(b), 0.5 * std::cos(b)), 0.0, 1e-4) << bearing;
        // Half the twilight band beyond it: half dark.
        const double rho = 0.5 + NightShade::kTwilightDegrees / 2.0 / 180.0;
        EXPECT_NEAR(shade.Darkness(rho * std::sin(b), rho * std::cos(b)), 0.5, 0.01) << bearing;
    }
    // A vessel elsewhere: the altitude of the sun at a station's map point is
    // the one its own position gives.
    const AzimuthalProjection azores(37.7, -25.5);
    const NightShade evening(azores, SunPositionAt(QDateTime::fromString(QStringLiteral("2026-06-06T22:05:00Z"),
                                                                          Qt::ISODate).toSecsSinceEpoch()));
    const SunPosition late = SunPositionAt(
        QDateTime::fromString(QStringLiteral("2026-06-06T22:05:00Z"), Qt::ISODate).toSecsSinceEpoch());
    for (const auto& [lat, lon] : {std::pair{37.7, -25.5}, std::pair{-33.9, 18.4}, std::pair{21.3, -157.9}}) {
        const MapPoint p = azores.Project(lat, lon);
        const double expected = std::sin(kGeoPi / 2 - LatLonGetRange(lat, lon, late.latitude, late.longitude) / 60.0 * kGeoPi / 180.0);
        EXPECT_NEAR(evening.SunAltitudeSine(p.x, p.y), expected, 1e-4) << lat << " " << lon;
    }
}

TEST(MapGeometry, TheDiscIsCentredWithRoomForTheBearings) {
    const MapFrame square = MapFrameFor(800, 800);
    EXPECT_EQ(square.centreX, 400.0);
    EXPECT_EQ(square.centreY, 400.0);
    EXPECT_EQ(square.radius, 360.0);
    const MapFrame wide = MapFrameFor(1200, 500);
    EXPECT_EQ(wide.centreX, 600.0);
    EXPECT_EQ(wide.radius, 250.0 - 25.0);
    const MapPoint p = wide.PointAt(wide.PixelX({0.25, -0.5}), wide.PixelY({0.25, -0.5}));
    EXPECT_NEAR(p.x, 0.25, 1e-12);
    EXPECT_NEAR(p.y, -0.5, 1e-12);
}

}  // namespace
}  // namespace tw
