#include "airmail/Position.h"

#include <cmath>

#include "airmail/AirMail.h"
#include "common/UserInterface.h"
#include "platform/Clock.h"
#include "settings/Settings.h"

namespace tw {

namespace {

const QString kAirMailIni = QStringLiteral("Airmail.ini");
const QString kSectionReport = QStringLiteral("Position Report");
const QString kSectionPropagation = QStringLiteral("Propagation");
constexpr float kDefaultSunSpotNumber = 170.0f;
// The first number that, rounded to one decimal, no longer fits the decks' F5.1 field.
constexpr float kSunSpotNumberBound = 999.95f;

// An unsigned decimal number as AirMail writes it ("38", "36.00"); signs,
// exponents, "inf" and the like are not position text.
std::optional<double> ReadUnsigned(const QString& raw) {
    const QString text = raw.trimmed();
    int digits = 0;
    int points = 0;
    for (QChar ch : text) {
        if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) {
            ++digits;
        } else if (ch == QLatin1Char('.')) {
            ++points;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || points > 1) return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

// Degrees, degree sign, minutes below 60, "'", hemisphere.  The hemisphere must be one
// of the two letters (either case): a text that names no hemisphere is not
// read as the northern or eastern one by default.
std::optional<double> Decode(const QString& text, QChar positive, QChar negative, double limit) {
    const qsizetype p = text.indexOf(QChar(kDegreeSign));
    if (p < 0) return std::nullopt;
    const qsizetype q = text.indexOf(QLatin1Char('\''), p + 1);
    if (q < 0) return std::nullopt;

    const std::optional<double> degrees = ReadUnsigned(text.left(p));
    const std::optional<double> minutes = ReadUnsigned(text.mid(p + 1, q - p - 1));
    // Minutes run from 0 to below 60: "38°99.51'N" is no way of writing
    // 39°39.51'N, it is a typing slip, and taking it would put the vessel
    // some 90 nautical miles from where it is.
    if (!degrees || !minutes || *minutes >= 60.0) return std::nullopt;
    double value = *degrees + *minutes / 60.0;

    const QString hemisphere = text.mid(q + 1).trimmed().toUpper();
    if (hemisphere == QString(negative)) {
        value = -value;
    } else if (hemisphere != QString(positive)) {
        return std::nullopt;
    }
    if (value < -limit || value > limit) return std::nullopt;
    return value;
}

// Whole hundredths of a minute, so that minutes rounding up to 60.00 carry
// into the degrees instead of being written as "60.00".
QString Encode(double value, int degreeDigits, QChar positive, QChar negative) {
    if (!std::isfinite(value)) value = 0.0;
    double magnitude = std::fabs(value);
    if (magnitude > 1.0e6) magnitude = 1.0e6;  // far outside any position; keeps the rounding exact
    const long long hundredths = std::llround(magnitude * 6000.0);
    const long long degrees = hundredths / 6000;
    const long long minuteHundredths = hundredths % 6000;
    // A value that rounds to zero is written as north (east), not as "S" zero.
    const QChar hemisphere = (value < 0.0 && hundredths != 0) ? negative : positive;
    return QStringLiteral("%1%2%3.%4'%5")
        .arg(degrees, degreeDigits, 10, QLatin1Char('0'))
        .arg(QChar(kDegreeSign))
        .arg(minuteHundredths / 100, 2, 10, QLatin1Char('0'))
        .arg(minuteHundredths % 100, 2, 10, QLatin1Char('0'))
        .arg(hemisphere);
}

std::optional<double> DecodeValue(bool latitude, const QString& text) {
    return latitude ? LatLonDecodeLatitudeValue(text) : LatLonDecodeLongitudeValue(text);
}

bool DecodeShowingError(AirMail& airmail, bool latitude, const QString& text, double& value,
                        bool showError) {
    const std::optional<double> decoded = DecodeValue(latitude, text);
    if (decoded) {
        value = *decoded;
        return true;
    }
    if (showError) airmail.ShowMessage(LatLonDecodeMessage(latitude, text), MsgIcon::Exclamation);
    return false;
}

}  // namespace

// ---- Position text -------------------------------------------------------

std::optional<double> LatLonDecodeLatitudeValue(const QString& text) {
    return Decode(text, QLatin1Char('N'), QLatin1Char('S'), 90.0);
}

std::optional<double> LatLonDecodeLongitudeValue(const QString& text) {
    return Decode(text, QLatin1Char('E'), QLatin1Char('W'), 180.0);
}

QString LatLonEncodeLatitude(double value) {
    return Encode(value, 2, QLatin1Char('N'), QLatin1Char('S'));
}

QString LatLonEncodeLongitude(double value) {
    return Encode(value, 3, QLatin1Char('E'), QLatin1Char('W'));
}

QString LatLonDecodeMessage(bool latitude, const QString& text) {
    return (latitude ? QStringLiteral("Unable for decode Latitude ")
                     : QStringLiteral("Unable for decode Longitude ")) +
           text;
}

namespace {

// 1 to `most` ASCII digits at `pos` (moved past them), at least `least`.
std::optional<int> Digits(const QString& text, qsizetype& pos, int least, int most) {
    int value = 0;
    int count = 0;
    for (; pos < text.size() && count < most; ++pos, ++count) {
        const char16_t c = text[pos].unicode();
        if (c < u'0' || c > u'9') break;
        value = value * 10 + (c - u'0');
    }
    if (count < least) return std::nullopt;
    return value;
}

bool Skip(const QString& text, qsizetype& pos, char c) {
    if (pos >= text.size() || text[pos] != QLatin1Char(c)) return false;
    ++pos;
    return true;
}

bool IsYearFirst(const QString& text) {
    if (text.size() <= 4 || (text[4] != QLatin1Char('/') && text[4] != QLatin1Char('-')))
        return false;
    for (qsizetype i = 0; i < 4; ++i) {
        if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9')) return false;
    }
    return true;
}

}  // namespace

std::optional<QDateTime> AirMailDateTimeFromText(const QString& raw) {
    // The fields are read as they stand, as UTC: no step goes through the
    // local time zone, where a time of the hour a clock change skips would
    // not exist (and looking the zone up costs a file check every time).
    const QString text = raw.simplified();
    qsizetype pos = 0;
    std::optional<int> year, month, day;
    char separator = '/';
    if (IsYearFirst(text)) {
        separator = static_cast<char>(text[4].unicode());
        year = Digits(text, pos, 4, 4);
        ++pos;
        month = Digits(text, pos, 1, 2);
        if (!month || !Skip(text, pos, separator)) return std::nullopt;
        day = Digits(text, pos, 1, 2);
    } else {
        month = Digits(text, pos, 1, 2);
        if (!month || !Skip(text, pos, '/')) return std::nullopt;
        day = Digits(text, pos, 1, 2);
        if (!day || !Skip(text, pos, '/')) return std::nullopt;
        year = Digits(text, pos, 4, 4);
    }
    if (!year || !month || !day) return std::nullopt;
    const QDate date(*year, *month, *day);
    if (!date.isValid()) return std::nullopt;
    if (pos == text.size()) return QDateTime(date, QTime(0, 0), Qt::UTC);

    // The time after a blank, or after "T" (sortable form, with seconds).
    const bool dashes = separator == '-';
    const bool sortable = dashes && Skip(text, pos, 'T');
    if (!sortable && !Skip(text, pos, ' ')) return std::nullopt;
    std::optional<int> hour = Digits(text, pos, 1, 2);
    if (!hour || !Skip(text, pos, ':')) return std::nullopt;
    const std::optional<int> minute = Digits(text, pos, 1, 2);
    if (!minute) return std::nullopt;
    std::optional<int> second = 0;
    const bool seconds = Skip(text, pos, ':');
    if (seconds) second = Digits(text, pos, 1, 2);
    if (!second || (sortable && !seconds)) return std::nullopt;
    if (pos < text.size()) {
        // The 12-hour clock of the "/" forms: " AM" or " PM" in either case,
        // 0 to 12 o'clock ("12 AM" is midnight).
        if (dashes || !Skip(text, pos, ' ') || text.size() - pos != 2 || *hour > 12)
            return std::nullopt;
        const QString half = text.mid(pos).toUpper();
        if (half != QLatin1String("AM") && half != QLatin1String("PM")) return std::nullopt;
        *hour = *hour % 12 + (half == QLatin1String("PM") ? 12 : 0);
    }
    const QTime time(*hour, *minute, *second);
    if (!time.isValid()) return std::nullopt;
    return QDateTime(date, time, Qt::UTC);
}

QString PositionTimeText(const QDateTime& utc) {
    return utc.toUTC().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

qint64 CalendarDaysBetween(const QDateTime& from, const QDateTime& to) {
    return from.toUTC().date().daysTo(to.toUTC().date());
}

QString LatLonCheckAgeMessage(qint64 days) {
    return QStringLiteral("Warning, AirMail's Latitude and Longitude Data is older than ") +
           QString::number(days) + QStringLiteral(" days.") + QStringLiteral("\n\n") +
           QStringLiteral(
               "If you want to update your position data you will need to start the AirMail "
               "program and then view the Position Report Window via AirMail's "
               "Menu>Window>Position Reports command.");
}

// ---- AirMail's profile ---------------------------------------------------

Position::Position(AirMail& airmail, const platform::IClock& clock)
    : m_airmail(airmail), m_clock(clock) {}

QDateTime Position::NowUtc() const {
    return QDateTime::fromSecsSinceEpoch(m_clock.NowUtc(), Qt::UTC);
}

bool Position::LatLonDecodeLatitude(const QString& text, double& value, bool showError) {
    return DecodeShowingError(m_airmail, true, text, value, showError);
}

bool Position::LatLonDecodeLongitude(const QString& text, double& value, bool showError) {
    return DecodeShowingError(m_airmail, false, text, value, showError);
}

std::optional<PositionFix> Position::ReadSource(const QString& section, const QString& latitudeKey,
                                                const QString& longitudeKey,
                                                const QString& timeKey, bool showError) {
    PositionFix fix;
    const QString latitude =
        m_airmail.AirMailGetProfileString(kAirMailIni, section, latitudeKey, showError);
    if (latitude.isEmpty() || !LatLonDecodeLatitude(latitude, fix.latitude, showError))
        return std::nullopt;
    const QString longitude =
        m_airmail.AirMailGetProfileString(kAirMailIni, section, longitudeKey, showError);
    if (longitude.isEmpty() || !LatLonDecodeLongitude(longitude, fix.longitude, showError))
        return std::nullopt;
    if (!timeKey.isEmpty()) {
        const QString time =
            m_airmail.AirMailGetProfileString(kAirMailIni, section, timeKey, showError);
        if (time.isEmpty()) return std::nullopt;
        // A time that is no date-time makes the source unusable, quietly: the
        // next source is tried.
        const std::optional<QDateTime> parsed = AirMailDateTimeFromText(time);
        if (!parsed) return std::nullopt;
        fix.time = *parsed;
    }
    return fix;
}

bool Position::LatLonWriteCurrent(const QString& latitude, const QString& longitude,
                                  const QString& time) {
    m_unwritten.reset();
    if (m_airmail.AirMailWriteProfileStrings(
            kAirMailIni, kSectionReport,
            {{QStringLiteral("Current Latitude"), latitude},
             {QStringLiteral("Current Longitude"), longitude},
             {QStringLiteral("Current Time"), time}},
            QStringLiteral(" The position you typed is used for the list; it is written again "
                           "at the next Refresh.")))
        return true;
    const std::optional<double> lat = LatLonDecodeLatitudeValue(latitude);
    const std::optional<double> lon = LatLonDecodeLongitudeValue(longitude);
    if (m_airmail.profile().LastError() != platform::ProfileBusyError() || !lat || !lon)
        return false;
    m_unwritten = PositionFix {*lat, *lon, AirMailDateTimeFromText(time).value_or(QDateTime())};
    return true;
}

std::optional<PositionFix> Position::LatLonGetCurrentPositionReportCurrent(bool showError) {
    return ReadSource(kSectionReport, QStringLiteral("Current Latitude"),
                      QStringLiteral("Current Longitude"), QStringLiteral("Current Time"),
                      showError);
}

std::optional<PositionFix> Position::LatLonGetCurrentPositionReport(bool showError) {
    return ReadSource(kSectionReport, QStringLiteral("Latitude"), QStringLiteral("Longitude"),
                      QStringLiteral("DateTime"), showError);
}

std::optional<PositionFix> Position::LatLonGetCurrentPropagation(bool showError) {
    return ReadSource(kSectionPropagation, QStringLiteral("Latitude"), QStringLiteral("Longitude"),
                      QString(), showError);
}

std::optional<PositionFix> Position::LatLonGetCurrent(bool showError) {
    // The sources from one reading of the file: a latitude and a longitude
    // AirMail writes meanwhile are not taken half old, half new.
    if (m_unwritten && m_airmail.settings().m_bAirMailLatLonEdit) return m_unwritten;
    const ProfileReadsHeld held(m_airmail.profile());
    if (auto fix = LatLonGetCurrentPositionReportCurrent(false)) return fix;
    if (auto fix = LatLonGetCurrentPositionReport(false)) return fix;
    return LatLonGetCurrentPropagation(showError);
}

bool Position::LatLonGetCurrent(double& latitude, double& longitude) {
    const std::optional<PositionFix> fix = LatLonGetCurrent();
    if (!fix) return false;
    latitude = fix->latitude;
    longitude = fix->longitude;
    return true;
}

float Position::SunSpotNumberGet() {
    Settings& settings = m_airmail.settings();
    if (settings.m_bPropagationSunSpotNumber) {
        const QString text = m_airmail.AirMailGetProfileString(kAirMailIni, kSectionPropagation,
                                                               QStringLiteral("SSN"), false);
        // An empty value means AirMail has none; a value that is not a
        // sunspot number (text, negative) is treated the same way rather
        // than handed to the propagation programs, and so is one the decks
        // cannot carry (they hold it in five places with one decimal, so
        // 999.9 at most).
        bool ok = false;
        const float number = text.trimmed().toFloat(&ok);
        settings.m_fPropagationSunSpotNumber =
            (ok && std::isfinite(number) && number >= 0.0f && number < kSunSpotNumberBound)
                ? number
                : kDefaultSunSpotNumber;
    }
    return settings.m_fPropagationSunSpotNumber;
}

void Position::LatLonCheckAge() {
    const Settings& settings = m_airmail.settings();
    if (!settings.m_bAirMailLatLonCheck) return;
    std::optional<PositionFix> fix = LatLonGetCurrentPositionReportCurrent(false);
    if (!fix) fix = LatLonGetCurrentPositionReport(false);
    if (!fix) return;
    const qint64 days = CalendarDaysBetween(fix->time, NowUtc());
    if (days <= settings.m_iAirMailLatLonCheckDays) return;
    m_airmail.ShowMessage(LatLonCheckAgeMessage(days), MsgIcon::Information);
}

// ---- Editing the Lat/Lon boxes -------------------------------------------

int LatLonTextLength(LatLonBox box) { return box == LatLonBox::Latitude ? 10 : 11; }

int LatLonHemispherePosition(LatLonBox box) { return LatLonTextLength(box); }

bool LatLonIsSeparator(LatLonBox box, int position) {
    if (box == LatLonBox::Latitude) return position == 3 || position == 6 || position == 9;
    return position == 4 || position == 7 || position == 10;
}

double LatLonStepSize(LatLonBox box, int position) {
    // Latitude: 10°, 1°, sep, 10', 1', sep, 0.1', 0.01'; a longitude has one
    // more degree digit (100°) in front.
    if (box == LatLonBox::Longitude) {
        if (position == 1) return 100.0;
        --position;
    }
    switch (position) {
        case 1: return 10.0;
        case 2: return 1.0;
        case 4: return 10.0 / 60.0;
        case 5: return 1.0 / 60.0;
        case 7: return 0.1 / 60.0;
        case 8: return 0.01 / 60.0;
        default: return 0.0;
    }
}

int LatLonCaretSnap(LatLonBox box, const QString& text, int caret, int direction) {
    const int length = static_cast<int>(text.size());
    if (length == 0) return 0;
    if (caret < 0) caret = 0;
    if (LatLonIsSeparator(box, caret + 1)) {
        caret += direction < 0 ? -1 : 1;
    } else if (caret >= length) {
        caret = length - 1;
    }
    if (caret < 0) caret = 0;
    if (caret > length - 1) caret = length - 1;
    return caret;
}

std::optional<QString> LatLonStep(LatLonBox box, const QString& text, int caret, int direction) {
    if (caret < 0 || caret >= text.size()) return std::nullopt;
    const bool latitude = box == LatLonBox::Latitude;
    const std::optional<double> decoded = DecodeValue(latitude, text);
    if (!decoded) return std::nullopt;
    const double limit = latitude ? 90.0 : 180.0;
    const int position = caret + 1;
    double value = *decoded;

    if (position == LatLonHemispherePosition(box)) {
        value = -value;
    } else {
        const double step = LatLonStepSize(box, position);
        const double sign = value > 0.0 ? 1.0 : (value < 0.0 ? -1.0 : 0.0);
        const double dir = direction < 0 ? -1.0 : 1.0;
        double magnitude = std::fabs(value) + dir * step;
        if (sign == 0.0) {
            magnitude = 0.0;  // a value of exactly 0 has no hemisphere to grow in
        } else if (magnitude < 0.0) {
            // Stepping down by more than the value stops at zero; it does not
            // jump into the other hemisphere (05°N less 10° is not 05°S).
            magnitude = 0.0;
        }
        if (magnitude > limit) magnitude = limit;
        value = sign * magnitude;
    }
    return latitude ? LatLonEncodeLatitude(value) : LatLonEncodeLongitude(value);
}

std::optional<QString> LatLonStepLatitude(const QString& text, int caret, int direction) {
    return LatLonStep(LatLonBox::Latitude, text, caret, direction);
}

std::optional<QString> LatLonStepLongitude(const QString& text, int caret, int direction) {
    return LatLonStep(LatLonBox::Longitude, text, caret, direction);
}

LatLonEditResult LatLonKeyDown(LatLonBox box, const QString& text, int caret, LatLonKey key) {
    LatLonEditResult result;
    result.text = text;
    result.caret = caret;
    const int length = static_cast<int>(text.size());
    switch (key) {
        case LatLonKey::Right:
            if (caret < length - 1) ++result.caret;
            result.caret = LatLonCaretSnap(box, text, result.caret, +1);
            break;
        case LatLonKey::Left:
            if (caret > 0) --result.caret;
            result.caret = LatLonCaretSnap(box, text, result.caret, -1);
            break;
        case LatLonKey::Up:
        case LatLonKey::Down:
            if (const auto stepped =
                    LatLonStep(box, text, caret, key == LatLonKey::Up ? +1 : -1)) {
                result.changed = *stepped != text;
                result.text = *stepped;
            }
            break;
        case LatLonKey::Delete:
            break;
        case LatLonKey::Other:
            result.swallow = false;
            break;
    }
    return result;
}

LatLonEditResult LatLonKeyPress(LatLonBox box, const QString& text, int caret, QChar key) {
    LatLonEditResult result;
    result.text = text;
    result.caret = caret;
    if (caret < 0 || caret >= text.size()) {
        result.beep = true;
        return result;
    }
    const int position = caret + 1;
    QChar entered;
    if (position == LatLonHemispherePosition(box)) {
        const QChar upper = key.toUpper();
        const bool latitude = box == LatLonBox::Latitude;
        if (upper == QLatin1Char(latitude ? 'N' : 'E') ||
            upper == QLatin1Char(latitude ? 'S' : 'W'))
            entered = upper;
    } else if (!LatLonIsSeparator(box, position) && key >= QLatin1Char('0') &&
               key <= QLatin1Char('9')) {
        // A separator is never overtyped: the fixed format would break.
        entered = key;
    }
    if (entered.isNull()) {
        result.beep = true;
        return result;
    }
    result.text[caret] = entered;
    result.caret = LatLonCaretSnap(box, result.text, caret + 1, +1);
    result.changed = true;
    return result;
}

}  // namespace tw
