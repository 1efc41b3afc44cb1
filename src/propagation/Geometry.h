#pragma once
// Great-circle geometry on the unit sphere: the distance between two points in
// nautical miles (one minute of arc each) and the two bearings of the great
// circle between them.  Positions are decimal degrees, north and east positive.

namespace tw {

// Pi as this program uses it throughout its geometry.
inline constexpr double kGeoPi = 3.14159265358979;
inline constexpr double kGeoTwoPi = 6.28318530717959;

// Arc sine in radians, as the arc tangent of x / sqrt(1 - x^2).  Arguments at
// or beyond +-1 (rounding of a chord) give +-pi/2; a NaN gives 0.
double ArcSin(double x);

// Distance in nautical miles (chord method).  Always finite and >= 0 for
// finite input; antipodal points are 180 x 60 nautical miles apart.
double LatLonGetRange(double latitude1, double longitude1, double latitude2, double longitude2);

struct Bearings {
    double atPoint1 = 0.0;  // at point 1 toward point 2, degrees from true north
    double atPoint2 = 0.0;  // at point 2 toward point 1
};

// The bearings of the great circle through both points, 0 to 360 degrees.
// Where the direction has no single value the result is chosen, never NaN:
// coincident or antipodal points give 0 at both ends; at a pole the bearing is
// 180 (north pole) or 0 (south pole), and toward a pole it is 0 (north) or
// 180 (south).
Bearings LatLonGetBearing(double latitude1, double longitude1, double latitude2,
                          double longitude2);

// The same with the two bearings as out parameters.
void LatLonGetBearing(double latitude1, double longitude1, double latitude2, double longitude2,
                      double& bearing1, double& bearing2);

}  // namespace tw
