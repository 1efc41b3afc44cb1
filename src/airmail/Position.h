#pragma once
// The vessel's position and the sunspot number, as AirMail keeps them in
// "Airmail.ini"; the position text of AirMail's values and of the main
// window's Lat/Lon boxes; the age warning; and the editing rules of the two
// boxes (overtype, caret snap, arrow stepping) as pure functions the widgets
// call.
//
// Position text: two-digit degrees (three for a longitude), the degree sign,
// two-digit minutes with two decimals, "'", the hemisphere letter:
// 38°36.00'N, 120°20.00'W.  The degree sign is U+00B0 here; the profile layer
// turns it into AirMail's byte 176 (Windows code page 1252) and back.

#include <QChar>
#include <QDateTime>
#include <QString>

#include <optional>

namespace tw {

class AirMail;
namespace platform {
class IClock;
}

inline constexpr char16_t kDegreeSign = 0x00B0;

// ---- Position text -------------------------------------------------------

// The value of a position text, or nothing when it cannot be read, its
// minutes are 60 or more, or it lies outside -90..90 (-180..180).  The
// hemisphere letter may be either case.  There is no form with seconds.
std::optional<double> LatLonDecodeLatitudeValue(const QString& text);
std::optional<double> LatLonDecodeLongitudeValue(const QString& text);

// The position text of a value.  Minutes that round to 60.00 carry into the
// degrees (179.99999 is 180°00.00'E); a value that rounds to zero is north/east.
QString LatLonEncodeLatitude(double value);
QString LatLonEncodeLongitude(double value);

// The message of a failed decode: "Unable for decode Latitude " + text.
QString LatLonDecodeMessage(bool latitude, const QString& text);

// A date-time text of AirMail's profile, read as UTC; nothing when it is none.
// The date is year first with "/" or "-" ("2024/05/01", "2024-5-1") or month
// first with "/" ("5/1/2024"), the year in four digits, the others in one or
// two.  A date alone is midnight; else after one blank comes H:m or H:m:s on
// the 24-hour clock, or for the "/" forms also with " AM" / " PM" (either
// case) on the 12-hour clock; the "-" form also takes "T" before H:m:s.
// Blanks around and inside the text count as one.
std::optional<QDateTime> AirMailDateTimeFromText(const QString& text);

// The text of "Current Time" when the position is typed by hand: "yyyy/MM/dd HH:mm:ss".
QString PositionTimeText(const QDateTime& utc);

// Calendar-day boundaries from `from` to `to` (negative when `to` is earlier).
qint64 CalendarDaysBetween(const QDateTime& from, const QDateTime& to);

// The age warning's text for a position `days` old.
QString LatLonCheckAgeMessage(qint64 days);

// ---- AirMail's profile ---------------------------------------------------

struct PositionFix {
    double latitude = 0.0;
    double longitude = 0.0;
    QDateTime time;  // UTC; invalid for the propagation settings, which have none
};

// The position and sunspot readers over AirMail's profile.  Messages go to
// the user interface of `airmail`; "now" comes from `clock`.
class Position {
public:
    Position(AirMail& airmail, const platform::IClock& clock);

    // Decoders with the decode message when `showError` is set.
    bool LatLonDecodeLatitude(const QString& text, double& value, bool showError);
    bool LatLonDecodeLongitude(const QString& text, double& value, bool showError);

    // One source each ([Position Report] Current Latitude/Longitude/Time;
    // [Position Report] Latitude/Longitude/DateTime; [Propagation]
    // Latitude/Longitude).  Nothing on the first empty value or failed decode.
    std::optional<PositionFix> LatLonGetCurrentPositionReportCurrent(bool showError);
    std::optional<PositionFix> LatLonGetCurrentPositionReport(bool showError);
    std::optional<PositionFix> LatLonGetCurrentPropagation(bool showError);

    // The current position: the two position report sources quietly, then the
    // propagation settings with messages (none when `showError` is clear).
    std::optional<PositionFix> LatLonGetCurrent(bool showError = true);
    bool LatLonGetCurrent(double& latitude, double& longitude);

    // A hand-typed position becomes AirMail's current one: [Position Report]
    // "Current Latitude", "Current Longitude" and "Current Time" of
    // "Airmail.ini", written together (all three or none).  False after a
    // message naming the file.  When another program was writing the file
    // all the while, the message says so and the position is kept here: it
    // is the current position while the position is typed by hand, until a
    // write succeeds; true then, so that the list is built for it.
    bool LatLonWriteCurrent(const QString& latitude, const QString& longitude, const QString& time);

    // The sunspot number: [Propagation] "SSN" of AirMail (170 when empty or not a
    // number) while m_bPropagationSunSpotNumber is set, stored in
    // m_fPropagationSunSpotNumber; else the stored number.  Always succeeds.
    float SunSpotNumberGet();

    // The warning that AirMail's position is older than m_iAirMailLatLonCheckDays.
    void LatLonCheckAge();

private:
    std::optional<PositionFix> ReadSource(const QString& section, const QString& latitudeKey,
                                          const QString& longitudeKey, const QString& timeKey,
                                          bool showError);
    QDateTime NowUtc() const;

    AirMail& m_airmail;
    const platform::IClock& m_clock;
    std::optional<PositionFix> m_unwritten;  // typed, not yet in "Airmail.ini"
};

// ---- Editing the Lat/Lon boxes -------------------------------------------
//
// The boxes always have exactly one character selected (overtype); `caret`
// is the 0-based index of that character.  Positions below are 1-based.

enum class LatLonBox { Latitude, Longitude };

int LatLonTextLength(LatLonBox box);         // 10 or 11
int LatLonHemispherePosition(LatLonBox box); // 10 or 11
bool LatLonIsSeparator(LatLonBox box, int position);
// The step of a digit position in degrees (minute digits divided by 60); 0 elsewhere.
double LatLonStepSize(LatLonBox box, int position);

// The caret after a change, click or left/right arrow: off a separator in
// `direction` (+1 or -1), and onto the last character when past it.
int LatLonCaretSnap(LatLonBox box, const QString& text, int caret, int direction);

// Up (+1) or Down (-1) on the selected character: the new text, or nothing
// when the text does not decode or the caret is outside it.  A digit moves the
// magnitude by its step (clamped to -90..90 / -180..180); the hemisphere
// letter flips the sign; a value of 0 and a separator stay as they are.
std::optional<QString> LatLonStep(LatLonBox box, const QString& text, int caret, int direction);
std::optional<QString> LatLonStepLatitude(const QString& text, int caret, int direction);
std::optional<QString> LatLonStepLongitude(const QString& text, int caret, int direction);

enum class LatLonKey { Left, Right, Up, Down, Delete, Other };

struct LatLonEditResult {
    QString text;
    int caret = 0;          // select one character here
    bool swallow = true;    // the key goes no further
    bool changed = false;   // the text changed: the list needs a refresh (UpdateBold)
    bool beep = false;      // a refused key
};

// Key down of a box in edit mode.  The arrows move or step and are swallowed;
// Delete is swallowed too, since removing a character would break the fixed
// format.  Other keys are not swallowed: they go on to LatLonKeyPress.
LatLonEditResult LatLonKeyDown(LatLonBox box, const QString& text, int caret, LatLonKey key);

// Key press of a box in edit mode: a digit on a digit position, or N/S (E/W)
// in either case on the hemisphere position (entered upper-case), overtypes
// the selected character and moves on; anything else is refused with a beep.
LatLonEditResult LatLonKeyPress(LatLonBox box, const QString& text, int caret, QChar key);

}  // namespace tw
