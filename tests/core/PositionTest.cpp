// Position text, the position and sunspot readers over AirMail's profile,
// the age warning, and the editing rules of the Lat/Lon boxes.

#include <gtest/gtest.h>

#include <cmath>

#include "airmail/Position.h"
#include "platform/Clock.h"
#include "support/AirMailDrive.h"

namespace tw {
namespace {

const QString kDeg = QString(QChar(kDegreeSign));
// A position text written with "d" for the degree sign.
QString P(const char* text) { return QString::fromLatin1(text).replace(QLatin1Char('d'), kDeg); }

constexpr LatLonBox kLat = LatLonBox::Latitude;
constexpr LatLonBox kLon = LatLonBox::Longitude;

// ---- Position text -------------------------------------------------------

TEST(PositionText, Decodes) {
    struct Case {
        const char* text;
        bool latitude;
        std::optional<double> value;
    };
    const std::optional<double> none;
    for (const Case& c : {
             Case{"38d36.00'N", true, 38.6}, Case{"38d36.00'S", true, -38.6},
             // The hemisphere letter in lower case still means its hemisphere.
             Case{"38d36.00's", true, -38.6}, Case{"38d36.00'n", true, 38.6},
             Case{"120d20.00'W", false, -120.0 - 20.0 / 60.0}, Case{"120d20.00'E", false, 120.0 + 20.0 / 60.0},
             Case{"90d00.00'N", true, 90.0}, Case{"90d00.00'S", true, -90.0}, Case{"180d00.00'W", false, -180.0},
             Case{"00d00.00'N", true, 0.0}, Case{" 38d36.00'N ", true, 38.6},
             // Out of range.
             Case{"91d00.00'N", true, none}, Case{"90d00.01'S", true, none}, Case{"180d00.01'E", false, none},
             // Not position text.
             Case{"", true, none}, Case{"38 36.00'N", true, none}, Case{"38d36.00N", true, none},
             Case{"3ad36.00'N", true, none}, Case{"38dxx'N", true, none}, Case{"d36.00'N", true, none},
             Case{"-38d36.00'N", true, none}, Case{"1e1d00.00'N", true, none},
             // No hemisphere, or the other axis's letter.
             Case{"38d36.00'", true, none}, Case{"38d36.00'E", true, none}, Case{"120d20.00'N", false, none},
             Case{"38d36.00'NN", true, none}}) {
        SCOPED_TRACE(c.text);
        const auto v = c.latitude ? LatLonDecodeLatitudeValue(P(c.text)) : LatLonDecodeLongitudeValue(P(c.text));
        ASSERT_EQ(v.has_value(), c.value.has_value());
        EXPECT_NEAR(v.value_or(0), c.value.value_or(0), 1e-9);
    }
}

TEST(PositionText, Encodes) {
    struct Case {
        double value;
        bool latitude;
        const char* text;
    };
    for (const Case& c : {
             Case{38.6, true, "38d36.00'N"}, Case{-0.5, true, "00d30.00'S"}, Case{0.0, true, "00d00.00'N"},
             Case{-120.0 - 20.0 / 60.0, false, "120d20.00'W"}, Case{5.0, false, "005d00.00'E"},
             // Minutes that round to 60 carry into the degrees.
             Case{179.99999, false, "180d00.00'E"}, Case{-179.99999, false, "180d00.00'W"},
             Case{0.99999, true, "01d00.00'N"}, Case{59.9999999, true, "60d00.00'N"},
             // Hundredths of a minute round, they are not cut.
             Case{10.0 + 12.345 / 60.0, true, "10d12.35'N"}, Case{10.0 + 12.344 / 60.0, true, "10d12.34'N"},
             // A value that rounds to zero has no southern zero.
             Case{-0.0000001, true, "00d00.00'N"}, Case{std::nan(""), true, "00d00.00'N"}}) {
        EXPECT_EQ(c.latitude ? LatLonEncodeLatitude(c.value) : LatLonEncodeLongitude(c.value), P(c.text)) << c.value;
    }
}

TEST(PositionText, EncodedTextsDecodeBackAndKeepTheirWidth) {
    for (double v = -90.0; v <= 90.0; v += 0.7123) {
        const QString t = LatLonEncodeLatitude(v);
        EXPECT_EQ(t.size(), 10) << t.toStdString();
        EXPECT_NEAR(LatLonDecodeLatitudeValue(t).value_or(1e9), v, 0.005 / 60.0 + 1e-12);
    }
    for (double v = -180.0; v <= 180.0; v += 1.3171) {
        const QString t = LatLonEncodeLongitude(v);
        EXPECT_EQ(t.size(), 11) << t.toStdString();
        EXPECT_NEAR(LatLonDecodeLongitudeValue(t).value_or(1e9), v, 0.005 / 60.0 + 1e-12);
    }
}

TEST(PositionText, DateTimesAndCalendarDays) {
    const std::pair<const char*, const char*> cases[] = {
        {"2026/06/03 14:05:09", "2026-06-03T14:05:09Z"}, {"2026/6/3 4:05", "2026-06-03T04:05:00Z"},
        {"2026-06-03 14:05:09", "2026-06-03T14:05:09Z"}, {"6/3/2026 2:05:09 PM", "2026-06-03T14:05:09Z"},
        {"2026/06/03", "2026-06-03T00:00:00Z"},          {"", nullptr},
        {"yesterday", nullptr},                          {"2026/13/40 10:00:00", nullptr}};
    for (const auto& [text, iso] : cases) {
        const auto dt = AirMailDateTimeFromText(QString::fromLatin1(text));
        EXPECT_EQ(dt ? dt->toString(Qt::ISODate).toStdString() : "none", iso ? iso : "none") << text;
    }
    // "Current Time" as written by hand reads back.
    const QDateTime t(QDate(2026, 6, 3), QTime(21, 4, 5), Qt::UTC);
    EXPECT_EQ(PositionTimeText(t), QStringLiteral("2026/06/03 21:04:05"));
    EXPECT_EQ(AirMailDateTimeFromText(PositionTimeText(t)), t);

    const QDateTime late(QDate(2026, 6, 1), QTime(23, 59), Qt::UTC);
    EXPECT_EQ(CalendarDaysBetween(late, QDateTime(QDate(2026, 6, 2), QTime(0, 1), Qt::UTC)), 1);
    EXPECT_EQ(CalendarDaysBetween(late, QDateTime(QDate(2026, 6, 1), QTime(23, 59, 59), Qt::UTC)), 0);
    EXPECT_EQ(CalendarDaysBetween(late, QDateTime(QDate(2026, 5, 30), QTime(0, 0), Qt::UTC)), -2);
}

// ---- Readers over AirMail's profile --------------------------------------

// AirMail's profile on a temporary drive C:, now 2026-06-06 12:00:00 UTC.
struct Readers {
    // A value of "Airmail.ini", "d" standing for the degree sign.
    void Set(const char* section, const char* key, const char* text) {
        drive.profile.Write(QStringLiteral("C:\\Program Files\\AirMail\\Airmail.ini"), QString::fromLatin1(section),
                            QString::fromLatin1(key), P(text));
    }
    void SetCurrent(const char* lat, const char* time) {
        Set("Position Report", "Current Latitude", lat);
        Set("Position Report", "Current Longitude", "120d20.00'W");
        Set("Position Report", "Current Time", time);
    }
    void SetReport(const char* lat, const char* time) {
        Set("Position Report", "Latitude", lat);
        Set("Position Report", "Longitude", "010d00.00'E");
        Set("Position Report", "DateTime", time);
    }

    test::AirMailDrive drive;
    std::vector<MessageRequest>& messages = drive.ui.messages;
    platform::ManualClock clock{1780747200};
    Position position{drive.airmail, clock};
};

TEST(PositionReaders, TheCurrentPositionReportFirstThenTheOthersQuietly) {
    struct Case {
        const char* name;
        const char* currentLat;  // nullptr leaves the current position out
        const char* currentTime;
        const char* reportLat;   // nullptr leaves the report out
        double latitude;
    };
    for (const Case& c : {Case{"current first", "38d36.00'N", "2026/06/05 10:00:00", "10d00.00'N", 38.6},
                          Case{"no current position", nullptr, "", "10d00.00'N", 10.0},
                          Case{"current latitude out of range", "91d00.00'N", "2026/06/05 10:00:00", "10d00.00'N", 10.0},
                          Case{"current time no date", "38d36.00'N", "soon", "10d00.00'N", 10.0},
                          Case{"current time empty", "38d36.00'N", "", "10d00.00'N", 10.0},
                          Case{"no report either", nullptr, "", nullptr, -20.0},
                          Case{"report unreadable", nullptr, "", "ten north", -20.0}}) {
        SCOPED_TRACE(c.name);
        Readers r;
        if (c.currentLat) r.SetCurrent(c.currentLat, c.currentTime);
        if (c.reportLat) r.SetReport(c.reportLat, "2026/06/05 10:00:00");
        r.Set("Propagation", "Latitude", "20d00.00'S");
        r.Set("Propagation", "Longitude", "020d00.00'W");
        const auto fix = r.position.LatLonGetCurrent();
        ASSERT_TRUE(fix.has_value());
        EXPECT_NEAR(fix->latitude, c.latitude, 1e-9);
        if (c.currentLat && c.latitude == 38.6) { EXPECT_NEAR(fix->longitude, -120.0 - 1.0 / 3.0, 1e-9); }
        EXPECT_TRUE(r.messages.empty());
    }
    Readers r;
    r.SetReport("10d00.00'N", "2026/06/05 10:11:12");
    EXPECT_EQ(r.position.LatLonGetCurrentPositionReport(false)->time,
              QDateTime(QDate(2026, 6, 5), QTime(10, 11, 12), Qt::UTC));
}

TEST(PositionReaders, TheLastSourceTellsWhyItFailed) {
    struct Case {
        const char* lat;  // nullptr: no [Propagation] values at all
        const char* lon;
        const char* message;
        const char* shown;  // the position text the message ends with
    };
    for (const Case& c : {Case{"91d00.00'N", "020d00.00'W", "Unable for decode Latitude ", "91d00.00'N"},
                          Case{"20d00.00'S", "200d00.00'W", "Unable for decode Longitude ", "200d00.00'W"},
                          Case{nullptr, nullptr, "Unable to find AirMail's Propagation, Latitude in \"Airmail.ini\".", ""}}) {
        SCOPED_TRACE(c.message);
        Readers r;
        if (c.lat) {
            r.Set("Propagation", "Latitude", c.lat);
            r.Set("Propagation", "Longitude", c.lon);
        }
        EXPECT_FALSE(r.position.LatLonGetCurrent().has_value());
        ASSERT_EQ(r.messages.size(), 1u);
        EXPECT_TRUE(r.messages[0].text.startsWith(QString::fromLatin1(c.message) + P(c.shown)))
            << r.messages[0].text.toStdString();
        EXPECT_EQ(r.messages[0].icon, MsgIcon::Exclamation);
        EXPECT_EQ(r.messages[0].title, QStringLiteral("Tidewell"));
        EXPECT_FALSE(r.drive.ui.broughtToFront.empty());
    }
}

TEST(PositionReaders, SunSpotNumber) {
    struct Case {
        bool fromAirMail;
        const char* ssn;  // nullptr: no key
        float expected;
    };
    for (const Case& c : {Case{true, nullptr, 170.0f}, Case{true, "", 170.0f}, Case{true, "85", 85.0f},
                          Case{true, "12.5", 12.5f}, Case{true, "many", 170.0f}, Case{true, "-3", 170.0f},
                          Case{false, "85", 42.0f}, Case{false, nullptr, 42.0f}}) {
        SCOPED_TRACE(c.ssn ? c.ssn : "(none)");
        Readers r;
        r.drive.settings.m_bPropagationSunSpotNumber = c.fromAirMail;
        r.drive.settings.m_fPropagationSunSpotNumber = 42.0f;
        if (c.ssn) r.Set("Propagation", "SSN", c.ssn);
        EXPECT_FLOAT_EQ(r.position.SunSpotNumberGet(), c.expected);
        EXPECT_FLOAT_EQ(r.drive.settings.m_fPropagationSunSpotNumber, c.expected);
        EXPECT_TRUE(r.messages.empty());
    }
}

TEST(PositionReaders, AgeWarning) {
    struct Case {
        const char* name;
        bool check;
        int limitDays;
        const char* currentTime;  // nullptr: no current position
        const char* reportTime;   // nullptr: no report
        int warnDays;             // -1: no warning
    };
    // Now is 2026-06-06 12:00 UTC.
    for (const Case& c : {Case{"three days old, limit two", true, 2, "2026/06/03 12:00:00", nullptr, 3},
                          Case{"check off", false, 2, "2026/06/03 12:00:00", nullptr, -1},
                          Case{"at the limit", true, 3, "2026/06/03 12:00:00", nullptr, -1},
                          // Calendar days: late on the 3rd is three days before the 6th.
                          Case{"late on the day", true, 2, "2026/06/03 23:59:59", nullptr, 3},
                          Case{"report only", true, 2, nullptr, "2026/05/27 08:00:00", 10},
                          Case{"current wins over report", true, 2, "2026/06/05 08:00:00", "2026/05/27 08:00:00", -1},
                          Case{"no position", true, 0, nullptr, nullptr, -1},
                          Case{"time in the future", true, 0, "2026/06/09 08:00:00", nullptr, -1}}) {
        SCOPED_TRACE(c.name);
        Readers r;
        r.drive.settings.m_bAirMailLatLonCheck = c.check;
        r.drive.settings.m_iAirMailLatLonCheckDays = c.limitDays;
        if (c.currentTime) r.SetCurrent("38d36.00'N", c.currentTime);
        if (c.reportTime) r.SetReport("10d00.00'N", c.reportTime);
        r.position.LatLonCheckAge();
        ASSERT_EQ(r.messages.size(), c.warnDays < 0 ? 0u : 1u);
        if (c.warnDays < 0) continue;
        EXPECT_EQ(r.messages[0].icon, MsgIcon::Information);
        EXPECT_EQ(r.messages[0].text, LatLonCheckAgeMessage(c.warnDays));
        EXPECT_TRUE(r.messages[0].text.startsWith(
            QStringLiteral("Warning, AirMail's Latitude and Longitude Data is older than %1 days.").arg(c.warnDays)));
    }
}

// ---- Editing the boxes ---------------------------------------------------

TEST(PositionEdit, Steps) {
    struct Case {
        LatLonBox box;
        const char* text;
        int caret, direction;
        const char* expected;  // nullptr: no step
    };
    for (const Case& c : {
             Case{kLat, "85d00.00'N", 0, +1, "90d00.00'N"},  // clamped
             Case{kLat, "05d00.00'S", 1, -1, "04d00.00'S"}, Case{kLat, "05d00.00'S", 1, +1, "06d00.00'S"},
             Case{kLat, "05d00.00'S", 9, +1, "05d00.00'N"},  // hemisphere flips
             Case{kLat, "05d00.00'S", 9, -1, "05d00.00'N"}, Case{kLat, "38d36.00'N", 7, +1, "38d36.01'N"},
             Case{kLat, "38d36.00'N", 6, -1, "38d35.90'N"},
             Case{kLat, "38d56.00'N", 3, +1, "39d06.00'N"},  // minutes carry
             Case{kLat, "38d36.00'N", 4, -1, "38d35.00'N"},
             Case{kLat, "38d36.00'N", 2, +1, "38d36.00'N"},  // separator: no change
             Case{kLat, "00d00.00'N", 0, +1, "00d00.00'N"},  // zero stays zero
             // Down by more than the value stops at zero; it does not cross the equator.
             Case{kLat, "05d00.00'N", 0, -1, "00d00.00'N"}, Case{kLat, "05d00.00'S", 0, -1, "00d00.00'N"},
             Case{kLon, "179d00.00'W", 0, +1, "180d00.00'W"}, Case{kLon, "120d20.00'W", 0, -1, "020d20.00'W"},
             Case{kLon, "120d20.00'W", 2, +1, "121d20.00'W"}, Case{kLon, "120d20.00'W", 8, +1, "120d20.01'W"},
             Case{kLon, "120d20.00'W", 10, +1, "120d20.00'E"},
             Case{kLat, "91d00.00'N", 1, +1, nullptr},   // does not decode
             Case{kLat, "38d36.00'N", 10, +1, nullptr},  // caret outside
             Case{kLat, "38d36.00'N", -1, +1, nullptr}}) {
        SCOPED_TRACE(std::string(c.text) + " @" + std::to_string(c.caret) + " " + std::to_string(c.direction));
        const auto r = LatLonStep(c.box, P(c.text), c.caret, c.direction);
        EXPECT_EQ(r.value_or(QStringLiteral("none")), c.expected ? P(c.expected) : QStringLiteral("none"));
    }
}

TEST(PositionEdit, CaretSnapsOverSeparators) {
    struct Case {
        LatLonBox box;
        int caret, direction, expected;
    };
    for (const Case& c : {Case{kLat, 0, +1, 0}, Case{kLat, 2, +1, 3}, Case{kLat, 2, -1, 1}, Case{kLat, 5, +1, 6},
                          Case{kLat, 8, +1, 9}, Case{kLat, 8, -1, 7}, Case{kLat, 10, +1, 9}, Case{kLat, 9, +1, 9},
                          Case{kLon, 3, +1, 4}, Case{kLon, 6, -1, 5}, Case{kLon, 11, -1, 10}}) {
        const QString text = c.box == kLat ? P("38d36.00'N") : P("120d20.00'W");
        EXPECT_EQ(LatLonCaretSnap(c.box, text, c.caret, c.direction), c.expected) << c.caret << " dir " << c.direction;
    }
}

TEST(PositionEdit, KeyDownMovesStepsAndSwallows) {
    const QString lat = P("38d36.00'N");
    struct Case {
        int caret;
        LatLonKey key;
        int expected;
    };
    // Arrows move over separators and stop at the ends.
    for (const Case& c : {Case{1, LatLonKey::Right, 3}, Case{3, LatLonKey::Left, 1}, Case{9, LatLonKey::Right, 9},
                          Case{0, LatLonKey::Left, 0}, Case{7, LatLonKey::Right, 9}, Case{9, LatLonKey::Left, 7}}) {
        const LatLonEditResult r = LatLonKeyDown(kLat, lat, c.caret, c.key);
        EXPECT_EQ(r.caret, c.expected) << c.caret;
        EXPECT_TRUE(r.swallow);
        EXPECT_FALSE(r.changed);
        EXPECT_EQ(r.text, lat);
    }
    // Up and Down step in place.
    const LatLonEditResult up = LatLonKeyDown(kLat, P("05d00.00'S"), 1, LatLonKey::Up);
    EXPECT_EQ(up.text, P("06d00.00'S"));
    EXPECT_EQ(up.caret, 1);
    EXPECT_TRUE(up.swallow && up.changed);
    EXPECT_FALSE(LatLonKeyDown(kLat, P("00d00.00'N"), 1, LatLonKey::Down).changed);
    // Delete is swallowed; other keys go on.
    const LatLonEditResult del = LatLonKeyDown(kLat, lat, 4, LatLonKey::Delete);
    EXPECT_TRUE(del.swallow);
    EXPECT_EQ(del.text, lat);
    EXPECT_FALSE(LatLonKeyDown(kLat, lat, 4, LatLonKey::Other).swallow);
}

TEST(PositionEdit, KeyPressOvertypes) {
    struct Case {
        LatLonBox box;
        const char* text;
        int caret;
        char key;
        const char* expected;  // nullptr: refused with a beep
        int caretAfter;
    };
    for (const Case& c : {
             Case{kLat, "38d36.00'N", 0, '4', "48d36.00'N", 1},
             Case{kLat, "38d36.00'N", 1, '2', "32d36.00'N", 3},  // over the sign
             Case{kLat, "38d36.00'N", 7, '5', "38d36.05'N", 9}, Case{kLat, "38d36.00'N", 9, 's', "38d36.00'S", 9},
             Case{kLat, "38d36.00'S", 9, 'N', "38d36.00'N", 9}, Case{kLon, "120d20.00'W", 10, 'e', "120d20.00'E", 10},
             Case{kLon, "120d20.00'W", 2, '9', "129d20.00'W", 4}, Case{kLat, "38d36.00'N", 9, 'E', nullptr, 0},
             Case{kLat, "38d36.00'N", 9, '1', nullptr, 0}, Case{kLat, "38d36.00'N", 0, 'N', nullptr, 0},
             Case{kLat, "38d36.00'N", 0, 'x', nullptr, 0}, Case{kLat, "38d36.00'N", 0, '\b', nullptr, 0},
             Case{kLat, "38d36.00'N", 2, '5', nullptr, 0},   // separator
             Case{kLat, "38d36.00'N", 10, '5', nullptr, 0},  // past the end
             Case{kLon, "120d20.00'W", 10, 'N', nullptr, 0}}) {
        SCOPED_TRACE(std::string(c.text) + " '" + c.key + "' @" + std::to_string(c.caret));
        const LatLonEditResult r = LatLonKeyPress(c.box, P(c.text), c.caret, QLatin1Char(c.key));
        EXPECT_EQ(r.beep, !c.expected);
        EXPECT_EQ(r.changed, c.expected != nullptr);
        EXPECT_EQ(r.text, P(c.expected ? c.expected : c.text));
        EXPECT_EQ(r.caret, c.expected ? c.caretAfter : c.caret);
    }
}

}  // namespace
}  // namespace tw
