#include "propagation/Geometry.h"

#include <cmath>

namespace tw {

namespace {

constexpr double kDegToRad = kGeoPi / 180.0;
constexpr double kRadToDeg = 180.0 / kGeoPi;
// Below this a sine or cosine counts as zero: the point is a pole, or the two
// points coincide or are antipodal, and the course formulas divide by zero.
constexpr double kDegenerate = 1e-10;

// Arc cosine as the arc tangent of -x / sqrt(1 - x^2) plus twice the arc
// tangent of 1; arguments are clamped to -1..1 so rounding cannot give NaN.
double ArcCos(double x) {
    if (std::isnan(x)) return 2.0 * std::atan(1.0);
    if (x >= 1.0) return 0.0;
    if (x <= -1.0) return 4.0 * std::atan(1.0);
    return std::atan(-x / std::sqrt(1.0 - x * x)) + 2.0 * std::atan(1.0);
}

// 2 pi is a rounded constant of its own, not twice the rounded pi, so 2 pi in
// degrees is a hair over 360; keep the bearings inside 0..360.
double ClampDegrees(double degrees) {
    if (degrees < 0.0) return 0.0;
    if (degrees > 360.0) return 360.0;
    return degrees;
}

bool AllFinite(double a, double b, double c, double d) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

}  // namespace

double ArcSin(double x) {
    if (std::isnan(x)) return 0.0;
    if (x >= 1.0) return 2.0 * std::atan(1.0);
    if (x <= -1.0) return -2.0 * std::atan(1.0);
    return std::atan(x / std::sqrt(1.0 - x * x));
}

double LatLonGetRange(double latitude1, double longitude1, double latitude2, double longitude2) {
    if (!AllFinite(latitude1, longitude1, latitude2, longitude2)) return 0.0;
    const double a1 = latitude1 * kDegToRad;
    const double o1 = longitude1 * kDegToRad;
    const double a2 = latitude2 * kDegToRad;
    const double o2 = longitude2 * kDegToRad;

    const double x1 = std::cos(a1) * std::cos(o1);
    const double y1 = std::cos(a1) * std::sin(o1);
    const double z1 = std::sin(a1);
    const double x2 = std::cos(a2) * std::cos(o2);
    const double y2 = std::cos(a2) * std::sin(o2);
    const double z2 = std::sin(a2);

    const double chord = std::sqrt((y2 - y1) * (y2 - y1) + (x2 - x1) * (x2 - x1) +
                                   (z2 - z1) * (z2 - z1));
    // Antipodal points have a chord of 2 (or a hair more from rounding); the
    // clamped ArcSin makes that half a great circle.
    const double angle = 2.0 * ArcSin(chord / 2.0);
    return angle * 60.0 * kRadToDeg;
}

Bearings LatLonGetBearing(double latitude1, double longitude1, double latitude2,
                          double longitude2) {
    Bearings out;
    if (!AllFinite(latitude1, longitude1, latitude2, longitude2)) return out;

    const double a1 = latitude1 * kDegToRad;
    const double o1 = longitude1 * kDegToRad;
    const double a2 = latitude2 * kDegToRad;
    const double o2 = longitude2 * kDegToRad;

    double k = std::sin(a1) * std::sin(a2) + std::cos(a2) * std::cos(a1) * std::cos(o1 - o2);
    if (k > 1.0) k = 1.0;
    if (k < -1.0) k = -1.0;
    const double d = ArcCos(k);

    const bool pole1 = std::fabs(std::cos(a1)) < kDegenerate;
    const bool pole2 = std::fabs(std::cos(a2)) < kDegenerate;
    const bool together = std::fabs(std::sin(d)) < kDegenerate;  // coincident or antipodal

    if (pole1 || pole2 || together) {
        // The course formulas divide by zero here.  From the north pole every
        // way is south (180), from the south pole every way is north (0); a
        // pole is reached going north (0) or south (180).  Coincident points
        // have no direction, and from antipodal points every great circle
        // leads to the other; both ends then read 0.
        if (pole1 && pole2) {
            if ((latitude1 > 0) != (latitude2 > 0)) {
                out.atPoint1 = latitude1 > 0 ? 180.0 : 0.0;
                out.atPoint2 = latitude2 > 0 ? 180.0 : 0.0;
            }
        } else if (pole1) {
            out.atPoint1 = latitude1 > 0 ? 180.0 : 0.0;
            out.atPoint2 = latitude1 > 0 ? 0.0 : 180.0;
        } else if (pole2) {
            out.atPoint2 = latitude2 > 0 ? 180.0 : 0.0;
            out.atPoint1 = latitude2 > 0 ? 0.0 : 180.0;
        }
        return out;
    }

    const double b1 = ArcCos((std::sin(a2) - std::sin(a1) * k) / (std::sin(d) * std::cos(a1)));
    const double b2 = ArcCos((std::sin(a1) - std::sin(a2) * k) / (std::sin(d) * std::cos(a2)));

    bool east;
    if (std::fabs(longitude2 - longitude1) >= 180.0) {
        east = longitude1 > 0.0;
    } else {
        east = longitude1 < longitude2;
    }

    if (east) {
        out.atPoint1 = b1 * kRadToDeg;
        out.atPoint2 = (kGeoTwoPi - b2) * kRadToDeg;
    } else {
        out.atPoint1 = (kGeoTwoPi - b1) * kRadToDeg;
        out.atPoint2 = b2 * kRadToDeg;
    }
    out.atPoint1 = ClampDegrees(out.atPoint1);
    out.atPoint2 = ClampDegrees(out.atPoint2);
    return out;
}

void LatLonGetBearing(double latitude1, double longitude1, double latitude2, double longitude2,
                      double& bearing1, double& bearing2) {
    const Bearings b = LatLonGetBearing(latitude1, longitude1, latitude2, longitude2);
    bearing1 = b.atPoint1;
    bearing2 = b.atPoint2;
}

}  // namespace tw
