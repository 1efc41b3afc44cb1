#pragma once
// Station and frequency lists of AirMail's system files.
//
// One system file per e-mail system, "System." + name + ".ini" in the data
// folder:
//   [Station Info]     identifier=grid locator ":" free text
//                      (SAILMAIL: grid ":" display name [";" ...] [";P3" ...])
//   [Frequency List]   identifier=kHz[#]{,|;}kHz[#]...   ("#": Pactor 3)
//   [Frequency Setup]  Selected=identifier,identifier,...
// The keys of [Frequency List], in file order, are the system's stations.

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

namespace tw {

class AirMail;

// The current position of the vessel (LatLonGetCurrent): true with the
// position, false (after its own messages) when there is none.
using CurrentPositionSource = std::function<bool(double& latitude, double& longitude)>;

// The most stations evaluated when they are chosen by range.
inline constexpr int kStationsNearest = 20;

struct StationFrequency {
    double kHz = 0.0;
    bool pactor3 = false;   // the token carried "#" (or the whole station is Pactor 3)
    QString text;           // as FrequencyReformat gives it: "14108.0(p3)"
};

// One station of a system.
struct StationRecord {
    QString station;        // identifier: the key in [Station Info] and [Frequency List]
    QString name;           // display name (SAILMAIL), otherwise the identifier
    QString grid;           // the [Station Info] value before the first ":"
    bool hasPosition = false;
    double latitude = 0.0;  // degrees, north positive
    double longitude = 0.0; // degrees, east positive
    double range = 0.0;     // nautical miles from the current position, rounded (by-range lists)
    bool pactor3 = false;   // the [Station Info] value contains ";P3" (SAILMAIL only)
    QVector<StationFrequency> frequencies;
};

// ---- Pure text functions ---------------------------------------------------

// "SAILMAIL" in any letter case.
bool IsSailMail(const QString& system);
// The system file's name: "System." + system + ".ini".
QString SystemFileName(const QString& system);

// A Maidenhead locator to degrees (south-west corner of the subsquare, the
// subsquare letters spread over 0 to 59 minutes).  A 4-character locator gets
// "MM" appended; 6 or more characters use the first 6.  False for a locator
// that is too short or has a character outside its field (A-R), square (0-9)
// or subsquare (A-X) range, in either letter case.
bool LatLonFromGridSquare(const QString& grid, double& latitude, double& longitude);

// Normalise a [Frequency List] token in place: the number formatted with one
// decimal, then "(p3)" when the token had "#" ("14108#" -> "14108.0(p3)").
// Blanks are ignored.  A token without a usable frequency (empty, not a
// number, not above zero) is left as it is and false is returned.
bool FrequencyReformat(QString& token);
// The same, also giving the number and the Pactor 3 mark.
bool FrequencyParse(const QString& token, StationFrequency& frequency);

// A [Frequency List] value cut into tokens, each ending at whichever of ","
// and ";" comes first.  Empty tokens (two separators in a row, a separator at
// the end) are skipped; so are tokens that hold no frequency.
QVector<StationFrequency> FrequencyListParse(const QString& value);
// The same as the normalised texts.
QStringList FrequencyListTexts(const QString& value);

// The "Selected" value of [Frequency Setup] as identifiers: cut at ",",
// blanks trimmed, empty names (a trailing ",") skipped.
QStringList SelectedStationsParse(const QString& value);

// A [Station Info] value.
struct StationInfo {
    bool hasColon = false;  // without ":" the value holds no locator
    QString grid;           // before the first ":"
    QString name;           // SAILMAIL display name, empty otherwise or when none
    bool pactor3 = false;   // SAILMAIL: the value contains ";P3"
};
StationInfo StationInfoParse(const QString& system, const QString& value);
// The display name in a SAILMAIL [Station Info] value: the text between the
// first ":" and the first ";" after it (to the end without one), trimmed.
// Empty without ":" or when a ";" comes before the ":".
QString StationDisplayName(const QString& value);

// ---- Readers of the system files (messages through the AirMail context) ----

// The identifiers of the stations to evaluate for `system`: with
// m_bStationAllStations, or when nothing is selected in AirMail, the nearest
// kStationsNearest by range; otherwise the selection, however many.  The
// position source is asked only when the range is needed.
bool StationGetStations(AirMail& airmail, const QString& system,
                        const CurrentPositionSource& currentPosition, QStringList& names);

// Every station of [Frequency List] with a position, nearest first.  Stations
// whose rounded ranges are equal keep their file order (a stable sort).  An
// entry of [Station Info] without ":" or with a locator that cannot be read
// is reported and left out; the others are still listed.  A station without
// an entry is reported only with m_bAirMailStationCheck.
bool StationGetStationsByRange(AirMail& airmail, const QString& system,
                               const CurrentPositionSource& currentPosition,
                               QStringList& names);
// The same as records (identifier, display name, grid, position, range,
// Pactor 3 flag; the frequencies are not read).
bool StationGetRecordsByRange(AirMail& airmail, const QString& system,
                              const CurrentPositionSource& currentPosition,
                              QVector<StationRecord>& records);

// The station's position from its [Station Info] entry.  `malformed` (when
// given) is set when the entry exists but has no ":" - the caller reports that.
// With showError a missing entry and an unreadable locator are reported
// ("Unable to Convert Grid <grid> to Lat/Lon (<station>)").
bool LatLonGetStation(AirMail& airmail, const QString& system, const QString& station,
                      bool showError, double& latitude, double& longitude,
                      bool* malformed = nullptr);

// The display name of a station (SAILMAIL), the identifier otherwise.
QString StationNameFromStation(AirMail& airmail, const QString& system, const QString& station);

// The identifier of a display name (SAILMAIL), the name otherwise: the station
// whose identifier or display name is exactly the name, else the first
// [Station Info] line that contains it (case-sensitive).  The exact match
// comes first so that a name that is part of an earlier station's line
// ("Arlen" in "Port Arlen") still finds its own station; a name given in part
// finds the first that holds it.
QString StationFromStationName(AirMail& airmail, const QString& system, const QString& name);

// Every station of [Station Info] in file order (display names for SAILMAIL,
// identifiers otherwise), for a drop-down list; `identifiers`, when given,
// gets each one's identifier.
bool StationGetStation(AirMail& airmail, const QString& system, QStringList& list,
                       QStringList* identifiers = nullptr);

// One station read whole: [Station Info] and [Frequency List] (range 0).
// False when the station has no [Frequency List] entry.
bool StationGetRecord(AirMail& airmail, const QString& system, const QString& station,
                      bool showError, StationRecord& record);

}  // namespace tw
