#pragma once
// The geometry of the station map: an azimuthal-equidistant projection of
// the whole earth around the vessel, the sun's position, and the night side.
//
// Map points lie in the unit disc: x to the right (east at the vessel), y up
// (north at the vessel); the distance from the centre is the great-circle
// distance from the vessel over half a great circle, so the disc's rim is the
// vessel's antipode and 0.5 lies 90 degrees (5400 nmi) away.  A bearing is a
// straight line from the centre, clockwise from straight up.

#include <QtGlobal>

#include <algorithm>
#include <array>
#include <cmath>

namespace tw {

struct MapPoint {
    double x = 0.0;
    double y = 0.0;
};

// A point of the sphere as a unit vector (x toward longitude 0 on the
// equator, y toward 90 east, z toward the north pole).
struct UnitVector {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};
UnitVector UnitVectorOf(double latitude, double longitude);

// Half a great circle in nautical miles: the range of the disc's rim.
inline constexpr double kMapRimRange = 180.0 * 60.0;

// The map point at a range (nmi) and bearing (degrees clockwise from north)
// from the vessel.
MapPoint MapPointAt(double range, double bearing);

class AzimuthalProjection {
public:
    // Centred on the vessel at (latitude, longitude), degrees.
    AzimuthalProjection(double latitude, double longitude);

    MapPoint Project(const UnitVector& point) const;
    MapPoint Project(double latitude, double longitude) const {
        return Project(UnitVectorOf(latitude, longitude));
    }

    // The vessel and the directions north and east at it.
    const UnitVector& Centre() const { return m_centre; }
    const UnitVector& North() const { return m_north; }
    const UnitVector& East() const { return m_east; }

private:
    UnitVector m_centre, m_north, m_east;
};

// The point where the sun stands in the zenith at a UTC time (seconds since
// 1970), degrees: its declination and the longitude it is noon at.  The
// almanac's low-precision formula, good to about 0.01 degree from 1950 to
// 2050.
struct SunPosition {
    double latitude = 0.0;
    double longitude = 0.0;
};
SunPosition SunPositionAt(qint64 utcSeconds);

// How dark a map point is: 0 where the sun is above the horizon, 1 where it
// is more than kTwilightDegrees below it (night), in between in the twilight
// band around the terminator, the grey line.
class NightShade {
public:
    static constexpr double kTwilightDegrees = 12.0;

    NightShade(const AzimuthalProjection& projection, const SunPosition& sun);

    // The sine of the sun's altitude at map point (x, y) of the disc.
    double SunAltitudeSine(double x, double y) const {
        const double s = std::min(x * x + y * y, 1.0) * kSteps;
        const int i = std::min(static_cast<int>(s), kSteps - 1);
        const double f = s - i;
        const double a = m_cosine[i] + f * (m_cosine[i + 1] - m_cosine[i]);
        const double b = m_sinc[i] + f * (m_sinc[i + 1] - m_sinc[i]);
        return a * m_sunCentre + b * (y * m_sunNorth + x * m_sunEast);
    }
    double Darkness(double x, double y) const {
        const double d = -SunAltitudeSine(x, y) / m_twilightSine;
        return d <= 0.0 ? 0.0 : (d >= 1.0 ? 1.0 : d);
    }

private:
    // The point at distance rho from the centre along a bearing is
    // cos(pi rho) C + sin(pi rho) (cos b N + sin b E); both factors are even
    // functions of rho, tabled over rho squared.
    static constexpr int kSteps = 2048;
    std::array<double, kSteps + 1> m_cosine{};
    std::array<double, kSteps + 1> m_sinc{};  // sin(pi rho) / rho
    double m_sunCentre = 0.0, m_sunNorth = 0.0, m_sunEast = 0.0;
    double m_twilightSine = 0.0;
};

// Where the disc lies in a picture of width x height pixels: centred, with a
// margin for the bearings' labels around it.  A map point's pixel is
// (centreX + x radius, centreY - y radius).
struct MapFrame {
    double centreX = 0.0;
    double centreY = 0.0;
    double radius = 1.0;
    double PixelX(const MapPoint& p) const { return centreX + p.x * radius; }
    double PixelY(const MapPoint& p) const { return centreY - p.y * radius; }
    MapPoint PointAt(double px, double py) const { return {(px - centreX) / radius, (centreY - py) / radius}; }
};
MapFrame MapFrameFor(int width, int height);

}  // namespace tw
