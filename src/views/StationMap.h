#pragma once
// The station map (frmStationMap): the whole earth around the vessel on an
// azimuthal-equidistant map, where a station's bearing is a straight line
// from the centre and its range the distance from it; the night side shaded
// for the time of the list's predictions; every station the list evaluated
// as a dot coloured by its best reliability, the list's own stations named,
// joined to the vessel and marked where a row of theirs is checked.  It
// follows the list: redrawn with each new list, never hidden by an update.
// A click on a station selects its first row in the list; the list's
// selected row is the highlighted station.
//
// The Qt window (ui/frmStationMapWidget) paints this model
// (ui/StationMapPainter) and forwards the mouse; `tidewell --map` paints it
// into a picture.  The model keeps the window's frame for the profile.

#include <QDateTime>
#include <QString>

#include <vector>

#include "common/WindowModel.h"
#include "propagation/MapGeometry.h"
#include "settings/SettingsProfile.h"
#include "views/Coastline.h"

namespace tw {

class AirMail;
class MainState;
class Position;

struct MapStation {
    QString station;  // identifier
    QString name;     // as the list shows it
    double range = 0.0;    // nmi from the vessel
    double bearing = 0.0;  // degrees from the vessel
    MapPoint point;
    bool predicted = false;
    QString frequency;  // of the best reliability
    double snr = 0.0;
    double reliability = -1.0;  // -1: none
    int firstRow = -1;     // its first row in the list; -1 when the list leaves it out
    bool checked = false;  // a row of it is checked
};

class frmStationMap : public WindowModel, public IWindowGeometry {
    Q_OBJECT
public:
    static constexpr int kRingStep = 1000;    // nmi between range rings
    static constexpr int kBearingStep = 30;   // degrees between bearing ticks

    frmStationMap(MainState& main, AirMail& airmail, Position& position, QString coastlineFile);

    QString caption = QStringLiteral("Tidewell - Station Map");

    // The map anew for the list: `listTime` is the clock's time the list was
    // built for, invalid when there is no valid list (no station is drawn
    // then).  The sun stands where it does at the predictions' time (the
    // time shift applied).
    void Update(const QDateTime& listTime);

    bool HasPosition() const { return m_hasPosition; }
    double Latitude() const { return m_latitude; }
    double Longitude() const { return m_longitude; }
    const AzimuthalProjection& Projection() const { return m_projection; }
    QDateTime Time() const { return m_time; }
    const SunPosition& Sun() const { return m_sun; }
    const std::vector<MapStation>& Stations() const { return m_stations; }
    // Why no station is drawn ("there is no position of the vessel", "there
    // is no station list"); empty when they are.
    QString Failure() const { return m_failure; }

    // The coastlines projected around the vessel; the file is read once per
    // run, at the first call.  Empty when it cannot be read (CoastlineError).
    const std::vector<std::vector<MapPoint>>& CoastlinePoints();
    QString CoastlineError() const { return m_coastlineError; }

    // The station of the list's selected row; -1 when none is on the map.
    int Highlighted() const;
    // The station nearest a map point within `tolerance` (map units), one of
    // the list first; -1 when none.
    int StationAt(const MapPoint& point, double tolerance) const;
    // Name, range, bearing, best frequency with its SNR and reliability.
    QString StationToolTip(int index) const;
    // Selects the station's first row in the list (scrolled into view).
    void StationClick(int index);

    // IWindowGeometry: the window's outer frame in twips, for the profile;
    // "normal" once the window has one (from the profile or the screen).
    int WindowHeight() const override { return m_frame.height; }
    int WindowLeft() const override { return m_frame.left; }
    int WindowTop() const override { return m_frame.top; }
    int WindowWidth() const override { return m_frame.width; }
    void SetWindowHeight(int twips) override { m_frame.height = twips; }
    void SetWindowLeft(int twips) override { m_frame.left = twips; }
    void SetWindowTop(int twips) override { m_frame.top = twips; }
    void SetWindowWidth(int twips) override { m_frame.width = twips; }
    bool WindowStateNormal() const override { return m_frame.width > 0 && m_frame.height > 0; }

private:
    MainState& m_main;
    AirMail& m_airmail;
    Position& m_position;
    QString m_coastlineFile;
    bool m_coastlineTried = false;
    Coastline m_coastline;
    QString m_coastlineError;
    std::vector<std::vector<MapPoint>> m_coastlinePoints;
    bool m_coastlineProjected = false;
    bool m_hasPosition = false;
    double m_latitude = 0.0, m_longitude = 0.0;
    AzimuthalProjection m_projection{0.0, 0.0};
    QDateTime m_time;
    SunPosition m_sun;
    std::vector<MapStation> m_stations;
    QString m_failure;
    int m_highlighted = -1;  // as last told
    struct Frame {
        int left = 0, top = 0, width = 0, height = 0;
    } m_frame;
};

}  // namespace tw
