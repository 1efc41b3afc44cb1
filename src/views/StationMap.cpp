#include "views/StationMap.h"

#include <cmath>

#include "airmail/AirMail.h"
#include "airmail/Position.h"
#include "airmail/Stations.h"
#include "propagation/Geometry.h"
#include "selection/MainState.h"
#include "settings/NumberText.h"

namespace tw {

frmStationMap::frmStationMap(MainState& main, AirMail& airmail, Position& position, QString coastlineFile)
    : m_main(main), m_airmail(airmail), m_position(position), m_coastlineFile(std::move(coastlineFile)) {
    // The list's selected row is the highlighted station.
    connect(&main.best.grdFrequency, &Grid::changed, this, [this] {
        const int highlighted = Highlighted();
        if (highlighted == m_highlighted) return;
        m_highlighted = highlighted;
        emit changed();
    });
}

void frmStationMap::Update(const QDateTime& listTime) {
    m_stations.clear();
    m_failure.clear();
    const double shift = static_cast<double>(m_main.settings.m_fPropagationTimeShift);
    const QDateTime clock = listTime.isValid() ? listTime : m_main.TimeGetZulu();
    m_time = clock.addSecs(static_cast<qint64>(std::llround(shift * 3600.0)));
    m_sun = SunPositionAt(m_time.toSecsSinceEpoch());
    const QString system = m_main.ListSystem();
    caption = QStringLiteral("Tidewell - Station Map - ") + system + QStringLiteral(", ") +
              m_time.toString(QStringLiteral("yyyy-MM-dd hh:mm")) + QStringLiteral(" UTC");

    const std::optional<PositionFix> fix = m_position.LatLonGetCurrent(false);
    m_hasPosition = fix.has_value();
    if (!fix) {
        m_failure = QStringLiteral("there is no position of the vessel");
        emit changed();
        return;
    }
    if (!m_coastlineProjected || fix->latitude != m_latitude || fix->longitude != m_longitude)
        m_coastlineProjected = false;
    m_latitude = fix->latitude;
    m_longitude = fix->longitude;
    m_projection = AzimuthalProjection(m_latitude, m_longitude);

    const std::vector<ListStationPrediction>& predictions = m_main.m_listPredictions;
    if (!listTime.isValid() || predictions.empty()) {
        m_failure = QStringLiteral("there is no station list");
        emit changed();
        return;
    }
    BestGrid& best = m_main.best;
    Grid& grid = best.grdFrequency;
    for (const ListStationPrediction& prediction : predictions) {
        double latitude = 0.0, longitude = 0.0;
        if (!LatLonGetStation(m_airmail, system, prediction.station, false, latitude, longitude)) continue;
        MapStation s;
        s.station = prediction.station;
        s.name = prediction.name.isEmpty() ? prediction.station : prediction.name;
        s.range = LatLonGetRange(m_latitude, m_longitude, latitude, longitude);
        s.bearing = LatLonGetBearing(m_latitude, m_longitude, latitude, longitude).atPoint1;
        if (s.bearing >= 360.0) s.bearing -= 360.0;
        s.point = MapPointAt(s.range, s.bearing);
        s.predicted = prediction.predicted;
        s.frequency = prediction.frequency;
        s.snr = prediction.snr;
        s.reliability = prediction.reliability;
        for (int row = grid.FixedRows(); row < grid.Rows(); ++row) {
            if (best.GridGetStation(grid, row).compare(s.station, Qt::CaseInsensitive) != 0) continue;
            if (s.firstRow < 0) s.firstRow = row;
            s.checked = s.checked || grid.CellPicture(row, best.m_iColFrequency) == PictureChecked;
        }
        m_stations.push_back(std::move(s));
    }
    m_highlighted = Highlighted();
    emit changed();
}

const std::vector<std::vector<MapPoint>>& frmStationMap::CoastlinePoints() {
    if (!m_coastlineTried) {
        m_coastlineTried = true;
        if (!m_coastline.Load(m_coastlineFile, m_coastlineError)) m_coastlinePoints.clear();
    }
    if (!m_coastlineProjected) {
        m_coastlinePoints = m_coastline.Project(m_projection);
        m_coastlineProjected = true;
    }
    return m_coastlinePoints;
}

int frmStationMap::Highlighted() const {
    const BestGrid& best = m_main.best;
    const int row = best.m_iGridRow;
    if (row < best.grdFrequency.FixedRows() || row >= best.grdFrequency.Rows()) return -1;
    const QString station = best.GridGetStation(best.grdFrequency, row);
    for (std::size_t i = 0; i < m_stations.size(); ++i)
        if (m_stations[i].firstRow > 0 && m_stations[i].station.compare(station, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

int frmStationMap::StationAt(const MapPoint& point, double tolerance) const {
    int found = -1;
    double nearest = 0.0;
    for (std::size_t i = 0; i < m_stations.size(); ++i) {
        const MapStation& s = m_stations[i];
        const double d = std::hypot(s.point.x - point.x, s.point.y - point.y);
        if (d > tolerance) continue;
        // The list's stations come first where dots lie on one another.
        const double rank = d - (s.firstRow > 0 ? tolerance : 0.0);
        if (found < 0 || rank < nearest) {
            found = static_cast<int>(i);
            nearest = rank;
        }
    }
    return found;
}

QString frmStationMap::StationToolTip(int index) const {
    if (index < 0 || index >= static_cast<int>(m_stations.size())) return {};
    const MapStation& s = m_stations[static_cast<std::size_t>(index)];
    QString text = s.name;
    if (s.name.compare(s.station, Qt::CaseInsensitive) != 0) text += QStringLiteral(" (") + s.station + QLatin1Char(')');
    text += QStringLiteral("\nRange %1 nmi, bearing %2\u00b0")
                .arg(NumberFormat(s.range, 0), NumberFormat(s.bearing, 0));
    if (!s.predicted) return text + QStringLiteral("\nNo prediction");
    text += QStringLiteral("\nBest: %1 kHz, SNR %2 dB").arg(s.frequency, NumberFormat(s.snr, 0));
    if (s.reliability >= 0) text += QStringLiteral(", Rel %1 %").arg(NumberFormat(s.reliability, 0));
    if (s.firstRow < 0) text += QStringLiteral("\nNot in the list");
    return text;
}

void frmStationMap::StationClick(int index) {
    if (index < 0 || index >= static_cast<int>(m_stations.size())) return;
    const MapStation& s = m_stations[static_cast<std::size_t>(index)];
    BestGrid& best = m_main.best;
    // Only while the list is the one the map was drawn for.
    if (s.firstRow <= 0 || s.firstRow >= best.grdFrequency.Rows() ||
        best.GridGetStation(best.grdFrequency, s.firstRow).compare(s.station, Qt::CaseInsensitive) != 0)
        return;
    best.SelectRow(s.firstRow);
}

}  // namespace tw
