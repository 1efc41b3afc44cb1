#include "propagation/MapGeometry.h"

#include "propagation/Geometry.h"

namespace tw {

namespace {

constexpr double kDegToRad = kGeoPi / 180.0;
constexpr double kRadToDeg = 180.0 / kGeoPi;

double Dot(const UnitVector& a, const UnitVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Degrees into -180 .. 180.
double Longitude(double degrees) {
    const double d = std::fmod(degrees + 180.0, 360.0);
    return (d < 0.0 ? d + 360.0 : d) - 180.0;
}

}  // namespace

UnitVector UnitVectorOf(double latitude, double longitude) {
    const double a = latitude * kDegToRad;
    const double o = longitude * kDegToRad;
    return {std::cos(a) * std::cos(o), std::cos(a) * std::sin(o), std::sin(a)};
}

MapPoint MapPointAt(double range, double bearing) {
    const double r = range / kMapRimRange;
    const double b = bearing * kDegToRad;
    return {r * std::sin(b), r * std::cos(b)};
}

AzimuthalProjection::AzimuthalProjection(double latitude, double longitude) {
    const double a = latitude * kDegToRad;
    const double o = longitude * kDegToRad;
    m_centre = UnitVectorOf(latitude, longitude);
    // Also at a pole, where these are the directions of the meridian of
    // `longitude` and the one 90 degrees east of it.
    m_north = {-std::sin(a) * std::cos(o), -std::sin(a) * std::sin(o), std::cos(a)};
    m_east = {-std::sin(o), std::cos(o), 0.0};
}

MapPoint AzimuthalProjection::Project(const UnitVector& point) const {
    const double along = Dot(point, m_centre);
    const double north = Dot(point, m_north);
    const double east = Dot(point, m_east);
    const double across = std::sqrt(north * north + east * east);
    // The vessel itself, or its antipode (any point of the rim; straight up).
    if (across < 1e-12) return along > 0.0 ? MapPoint{} : MapPoint{0.0, 1.0};
    const double k = std::atan2(across, along) / (kGeoPi * across);
    return {east * k, north * k};
}

SunPosition SunPositionAt(qint64 utcSeconds) {
    // Days from 2000-01-01 12:00 UTC.
    const double n = (static_cast<double>(utcSeconds) - 946728000.0) / 86400.0;
    const double meanLongitude = 280.460 + 0.9856474 * n;
    const double anomaly = (357.528 + 0.9856003 * n) * kDegToRad;
    const double longitude =
        (meanLongitude + 1.915 * std::sin(anomaly) + 0.020 * std::sin(2.0 * anomaly)) * kDegToRad;
    const double obliquity = (23.439 - 0.0000004 * n) * kDegToRad;
    const double rightAscension =
        std::atan2(std::cos(obliquity) * std::sin(longitude), std::cos(longitude)) * kRadToDeg;
    const double declination = std::asin(std::sin(obliquity) * std::sin(longitude)) * kRadToDeg;
    // Greenwich mean sidereal time, degrees.
    const double sidereal = 280.46061837 + 360.98564736629 * n;
    return {declination, Longitude(rightAscension - sidereal)};
}

NightShade::NightShade(const AzimuthalProjection& projection, const SunPosition& sun) {
    const UnitVector s = UnitVectorOf(sun.latitude, sun.longitude);
    m_sunCentre = Dot(s, projection.Centre());
    m_sunNorth = Dot(s, projection.North());
    m_sunEast = Dot(s, projection.East());
    m_twilightSine = std::sin(kTwilightDegrees * kDegToRad);
    for (int i = 0; i <= kSteps; ++i) {
        const double rho = std::sqrt(static_cast<double>(i) / kSteps);
        m_cosine[static_cast<std::size_t>(i)] = std::cos(kGeoPi * rho);
        // sin(pi rho) / rho, which is pi at the centre.
        m_sinc[static_cast<std::size_t>(i)] = i == 0 ? kGeoPi : std::sin(kGeoPi * rho) / rho;
    }
}

MapFrame MapFrameFor(int width, int height) {
    const double side = std::max(1, std::min(width, height));
    const double margin = std::clamp(side * 0.05, 12.0, 42.0);
    return {width / 2.0, height / 2.0, std::max(1.0, side / 2.0 - margin)};
}

}  // namespace tw
