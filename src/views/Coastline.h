#pragma once
// The coastlines of the station map: lines of points on the sphere, read
// from "Coastline.dat" (made by scripts/make-coastline.py from the World Data
// Bank II; its layout is described there) and projected around the vessel.

#include <QString>

#include <vector>

#include "propagation/MapGeometry.h"

namespace tw {

class Coastline {
public:
    // The file beside the executable.
    static constexpr const char* kFileName = "Coastline.dat";

    // Reads the file; false, with the reason in `error`, when it cannot be
    // read or is not a coastline file (nothing is kept then).
    bool Load(const QString& file, QString& error);
    bool Empty() const { return m_starts.size() < 2; }
    std::size_t Points() const { return m_points.size(); }

    // The lines projected into the map's unit disc.  A line is broken where
    // it crosses the antipode's rim (two neighbouring points on opposite
    // sides of the disc).
    std::vector<std::vector<MapPoint>> Project(const AzimuthalProjection& projection) const;

private:
    std::vector<UnitVector> m_points;
    std::vector<std::size_t> m_starts;  // where each line starts in m_points, then the end
};

}  // namespace tw
