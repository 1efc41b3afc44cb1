// Position text, the position and sunspot readers over AirMail's profile,
// the age warning, and the editing rules of the Lat/Lon boxes.

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "airmail/Position.h"
#include "platform/Clock.h"
#include "support/AirMailDrive.h"
#include "support/FakeProfileFiles.h"
#include "support/ScopedEnv.h"

namespace tw {
namespace {

// A position text written with "d" for the degree sign.
QString P(const char* text) {
    return QString::fromLatin1(text).replace(QLatin1Char('d'), QChar(kDegreeSign));
}

constexpr LatLonBox kLat = LatLonBox::Latitude;
constexpr LatLonBox kLon = LatLonBox::Longitude;

// ---- Position text -------------------------------------------------------

TEST(PositionText, Decodes) {
    const std::optional<double> none;
    const std::tuple<const char*, bool, std::optional<double>> cases[] = {
        {"38d36.00'N", true, 38.6}, {"38d36.00's", true, -38.6}, {" 38d36.00'N ", true, 38.6},
        {"120d20.00'W", false, -120.0 - 20.0 / 60.0}, {"120d20.00'E", false, 120.0 + 1.0 / 3.0},
        {"90d00.00'S", true, -90.0}, {"180d00.00'W", false, -180.0},
        // Minutes below 60 only; there is no form with seconds.
        {"38d59.99'N", true, 38.0 + 59.99 / 60.0}, {"38d60.00'N", true, none},
        {"38d36'59\"N", true, none},
        // Out of range.
        {"91d00.00'N", true, none}, {"90d00.01'S", true, none}, {"180d00.01'E", false, none},
        // Not position text, or the other axis's letter.
        {"38 36.00'N", true, none}, {"38d36.00N", true, none},
        {"-38d36.00'N", true, none}, {"1e1d00.00'N", true, none}, {"38dxx'N", true, none},
        {"d36.00'N", true, none}, {"38d36.00'E", true, none}, {"120d20.00'N", false, none}};
    for (const auto& [text, latitude, value] : cases) {
        SCOPED_TRACE(text);
        const auto v = latitude ? LatLonDecodeLatitudeValue(P(text))
                                : LatLonDecodeLongitudeValue(P(text));
        ASSERT_EQ(v.has_value(), value.has_value());
        EXPECT_NEAR(v.value_or(0), value.value_or(0), 1e-9);
    }
}

TEST(PositionText, Encodes) {
    const std::tuple<double, bool, const char*> cases[] = {
        {38.6, true, "38d36.00'N"}, {-0.5, true, "00d30.00'S"}, {5.0, false, "005d00.00'E"},
        // Minutes that round to 60 carry: hundredths of a minute round, they are not cut.
        {179.99999, false, "180d00.00'E"}, {59.9999999, true, "60d00.00'N"},
        // A value that rounds to zero has no southern zero.
        {-0.0000001, true, "00d00.00'N"}, {std::nan(""), true, "00d00.00'N"}};
    for (const auto& [value, latitude, text] : cases) {
        EXPECT_EQ(latitude ? LatLonEncodeLatitude(value) : LatLonEncodeLongitude(value), P(text))
            << value;
    }
}

// Read as UTC in any time zone: also the hour a clock change skips there.
TEST(PositionText, DateTimes) {
    const test::ScopedEnv zone("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    const std::pair<const char*, const char*> cases[] = {
        {"2026/6/3 4:05", "2026-06-03T04:05:00Z"},
        {"2026-06-03 14:05:09", "2026-06-03T14:05:09Z"},
        {"6/3/2026 2:05:09 PM", "2026-06-03T14:05:09Z"},
        {" 06/03/2026  12:05 am ", "2026-06-03T00:05:00Z"},
        {"2026-6-3T14:05:09", "2026-06-03T14:05:09Z"},
        {"2026/03/29 02:30:00", "2026-03-29T02:30:00Z"},
        {"2026/06/03", "2026-06-03T00:00:00Z"}, {"", "none"}, {"2026/13/40 10:00:00", "none"},
        {"2026-06-03T14:05", "none"}, {"2026-06-03 2:05 PM", "none"},
        {"6/3/2026 13:05 PM", "none"}, {"06/03/26 10:00", "none"},
        {"2026/06/03 10:00:00 UTC", "none"}, {"2026/06/03 24:00", "none"}};
    for (const auto& [text, iso] : cases) {
        const auto dt = AirMailDateTimeFromText(QString::fromLatin1(text));
        EXPECT_EQ(dt ? dt->toString(Qt::ISODate).toStdString() : "none", iso) << text;
    }
}

// ---- Readers over AirMail's profile --------------------------------------

// AirMail's profile on a temporary drive C:, now 2026-06-06 12:00:00 UTC.
struct Readers {
    // A value of "Airmail.ini", "d" standing for the degree sign.
    void Set(const char* section, const char* key, const char* text) {
        drive.profile.Write(QStringLiteral("C:\\Program Files\\AirMail\\Airmail.ini"),
                            QString::fromLatin1(section), QString::fromLatin1(key), P(text));
    }
    // The current position report, or the last one sent; always at 120 W.
    void SetReport(bool current, const char* lat, const char* time) {
        Set("Position Report", current ? "Current Latitude" : "Latitude", lat);
        Set("Position Report", current ? "Current Longitude" : "Longitude", "120d20.00'W");
        Set("Position Report", current ? "Current Time" : "DateTime", time);
    }
    // The messages shown, each up to its first blank line.
    QStringList Shown() const {
        QStringList texts;
        for (const MessageRequest& m : messages) texts << m.text.section("\n\n", 0, 0);
        return texts;
    }

    test::AirMailDrive drive;
    std::vector<MessageRequest>& messages = drive.ui.messages;
    platform::ManualClock clock{1780747200};
    Position position{drive.airmail, clock};
};

// The current position report first, then the last report sent, quietly; the
// propagation settings last, and only they tell why they fail.
TEST(PositionReaders, TheSourcesInOrderAndOnlyTheLastTellsWhy) {
    const char* const kTime = "2026/06/05 10:00:00";
    const char* const kNorth = "10d00.00'N";
    const char* const kSouth = "20d00.00'S";
    const char* const kWest = "020d00.00'W";
    // The current latitude and time (nullptr: none), the report's latitude
    // (nullptr: none), the [Propagation] latitude and longitude, and the
    // latitude read or the message shown ("d" in the position text it names).
    const std::tuple<const char*, const char*, const char*, const char*, const char*, double,
                     const char*, const char*>
        cases[] = {
            {"38d36.00'N", kTime, kNorth, kSouth, kWest, 38.6, nullptr, ""},   // current first
            {nullptr, "", kNorth, kSouth, kWest, 10.0, nullptr, ""},           // no current one
            {"91d00.00'N", kTime, kNorth, kSouth, kWest, 10.0, nullptr, ""},   // current bad
            {"38d36.00'N", "soon", kNorth, kSouth, kWest, 10.0, nullptr, ""},  // no date-time
            {nullptr, "", nullptr, kSouth, kWest, -20.0, nullptr, ""},         // no report
            {nullptr, "", nullptr, "91d00.00'N", kWest, 0, "Unable for decode Latitude ",
             "91d00.00'N"},
            {nullptr, "", nullptr, kSouth, "200d00.00'W", 0, "Unable for decode Longitude ",
             "200d00.00'W"},
            {nullptr, "", nullptr, "", "", 0,
             "Unable to find AirMail's Propagation, Latitude in \"Airmail.ini\".", ""}};
    for (const auto& [currentLat, currentTime, reportLat, lat, lon, latitude, message, shown] :
         cases) {
        SCOPED_TRACE(std::string(currentLat ? currentLat : "-") + " " + currentTime + " " +
                     (reportLat ? reportLat : "-") + " " + lat + " " + lon);
        Readers r;
        if (currentLat) r.SetReport(true, currentLat, currentTime);
        if (reportLat) r.SetReport(false, reportLat, kTime);
        r.Set("Propagation", "Latitude", lat);
        r.Set("Propagation", "Longitude", lon);
        const auto fix = r.position.LatLonGetCurrent();
        ASSERT_EQ(fix.has_value(), message == nullptr);
        EXPECT_NEAR(fix.value_or(PositionFix{}).latitude, latitude, 1e-9);
        ASSERT_EQ(r.Shown(), message ? QStringList{QString::fromLatin1(message) + P(shown)}
                                     : QStringList());
        for (const MessageRequest& m : r.messages) EXPECT_EQ(m.icon, MsgIcon::Exclamation);
    }
}

// The hand-typed position is one write: a write that fails on any of its
// keys leaves the old position, never a mix, and the message names
// AirMail's file.  When another program was writing the file all the while,
// the message says so and the typed position is the current one while the
// position is typed by hand.
TEST(PositionWriter, LeavesTheOldPositionOrTheNewNeverAMix) {
    const QStringList old{P("10d00.00'N"), P("120d20.00'W"), "2026/06/01 00:00:00"};
    const QStringList typed{P("38d36.00'N"), P("020d00.00'W"), "2026/06/06 12:00:00"};
    const QStringList keys{"Current Latitude", "Current Longitude", "Current Time"};
    const int busy = platform::ProfileBusyError();
    const QString busyMessage = "Unable to write AirMail's \"Airmail.ini\" file: another program is "
                                "writing it all the time (it stays empty or keeps changing). The position "
                                "you typed is used for the list; it is written again at the next Refresh.";
    // One key failing fails the one write of all three.
    const std::pair<QString, int> cases[] = {{keys[1], 28}, {"none", 28}, {keys[2], busy}};
    for (const auto& [failing, code] : cases) {
        SCOPED_TRACE(failing.toStdString() + " " + std::to_string(code));
        Readers r;
        test::FakeProfileFiles files;
        ProfileAccess access(files);
        AirMail airmail(r.drive.settings, access, r.drive.ui, r.drive.paths, r.drive.registry);
        Position position(airmail, r.clock);
        ASSERT_TRUE(position.LatLonWriteCurrent(old[0], old[1], old[2]));
        files.FailKey("Position Report", failing.toStdString(), code);
        const bool used = position.LatLonWriteCurrent(typed[0], typed[1], typed[2]);
        const bool written = failing == "none";
        QStringList stored;
        for (const QString& key : keys)
            stored << airmail.AirMailGetProfileString("Airmail.ini", "Position Report", key, false);
        EXPECT_EQ(stored, written ? typed : old);
        EXPECT_EQ(used, written || code == busy);
        EXPECT_EQ(r.Shown(), written        ? QStringList()
                             : code == busy ? QStringList{busyMessage}
                                            : QStringList{"Unable to write AirMail's \"Airmail.ini\" "
                                                          "file. " + SystemErrorText(28) + "."});
        for (const bool typing : {true, false}) {
            r.drive.settings.m_bAirMailLatLonEdit = typing;
            EXPECT_NEAR(position.LatLonGetCurrent(false).value_or(PositionFix {}).latitude,
                        written || (used && typing) ? 38.6 : 10.0, 1e-9);
        }
    }
}

TEST(PositionReaders, SunSpotNumber) {
    // Whether AirMail's number is used, its text, and the number used.
    const std::tuple<bool, const char*, float> cases[] = {
        {true, "", 170.0f}, {true, "12.5", 12.5f}, {true, "many", 170.0f},
        {true, "-3", 170.0f}, {true, "999.9", 999.9f}, {true, "1000", 170.0f},
        {true, "999.96", 170.0f}, {false, "85", 42.0f}};
    for (const auto& [fromAirMail, ssn, expected] : cases) {
        SCOPED_TRACE(ssn);
        Readers r;
        r.drive.settings.m_bPropagationSunSpotNumber = fromAirMail;
        r.drive.settings.m_fPropagationSunSpotNumber = 42.0f;
        r.Set("Propagation", "SSN", ssn);
        EXPECT_FLOAT_EQ(r.position.SunSpotNumberGet(), expected);
        EXPECT_FLOAT_EQ(r.drive.settings.m_fPropagationSunSpotNumber, expected);
        EXPECT_TRUE(r.messages.empty());
    }
}

TEST(PositionReaders, AgeWarning) {
    const char* const kThird = "2026/06/03 12:00:00";
    const char* const kReport = "2026/05/27 08:00:00";
    // The check and its limit, the current position's and the report's times
    // (nullptr: none), and the age in the warning (-1: no warning).
    const std::tuple<const char*, bool, int, const char*, const char*, int> cases[] = {
        {"three days old, limit two", true, 2, kThird, nullptr, 3},
        {"check off", false, 2, kThird, nullptr, -1},
        {"at the limit", true, 3, kThird, nullptr, -1},
        // Calendar days: late on the 3rd is three days before the 6th.
        {"late on the day", true, 2, "2026/06/03 23:59:59", nullptr, 3},
        {"report only", true, 2, nullptr, kReport, 10},
        {"current wins", true, 2, "2026/06/05 08:00:00", kReport, -1},
        {"no position", true, 0, nullptr, nullptr, -1}};
    for (const auto& [name, check, limitDays, currentTime, reportTime, warnDays] : cases) {
        SCOPED_TRACE(name);
        Readers r;
        r.drive.settings.m_bAirMailLatLonCheck = check;
        r.drive.settings.m_iAirMailLatLonCheckDays = limitDays;
        if (currentTime) r.SetReport(true, "38d36.00'N", currentTime);
        if (reportTime) r.SetReport(false, "10d00.00'N", reportTime);
        r.position.LatLonCheckAge();
        const QString warning =
            QStringLiteral("Warning, AirMail's Latitude and Longitude Data is older than %1 days.")
                .arg(warnDays);
        ASSERT_EQ(r.Shown(), warnDays < 0 ? QStringList() : QStringList{warning});
        for (const MessageRequest& m : r.messages) EXPECT_EQ(m.icon, MsgIcon::Information);
    }
}

// ---- Editing the boxes ---------------------------------------------------

TEST(PositionEdit, Steps) {
    // Box, text, caret, direction, and the text after the step.
    const std::tuple<LatLonBox, const char*, int, int, const char*> cases[] = {
        // Digits step by their place, clamped at 90 (180); minutes carry into the degrees.
        {kLat, "85d00.00'N", 0, +1, "90d00.00'N"}, {kLat, "05d00.00'S", 1, +1, "06d00.00'S"},
        {kLat, "38d56.00'N", 3, +1, "39d06.00'N"}, {kLat, "38d36.00'N", 6, -1, "38d35.90'N"},
        {kLat, "38d36.00'N", 7, +1, "38d36.01'N"}, {kLon, "179d00.00'W", 0, +1, "180d00.00'W"},
        {kLon, "120d20.00'W", 0, -1, "020d20.00'W"}, {kLon, "120d20.00'W", 2, +1, "121d20.00'W"},
        // The hemisphere letter flips; a separator and a value of zero stay; down by
        // more than the value stops at zero, it does not cross the equator.
        {kLat, "05d00.00'S", 9, +1, "05d00.00'N"}, {kLon, "120d20.00'W", 10, +1, "120d20.00'E"},
        {kLat, "38d36.00'N", 2, +1, "38d36.00'N"}, {kLat, "00d00.00'N", 0, +1, "00d00.00'N"},
        {kLat, "05d00.00'S", 0, -1, "00d00.00'N"},
        // No step: a text that does not decode, a caret outside the text.
        {kLat, "91d00.00'N", 1, +1, "none"}, {kLat, "38d36.00'N", 10, +1, "none"},
        {kLat, "38d36.00'N", -1, +1, "none"}};
    for (const auto& [box, text, caret, direction, expected] : cases) {
        EXPECT_EQ(LatLonStep(box, P(text), caret, direction).value_or(QStringLiteral("none")),
                  P(expected))
            << text << " @" << caret;
    }
}

// Key press overtypes what the box allows; key down moves, steps and swallows.
TEST(PositionEdit, Keys) {
    // Box, caret, key, and the text and caret after it (nullptr: refused with a beep).
    const std::tuple<LatLonBox, int, char, const char*, int> cases[] = {
        {kLat, 1, '2', "32d36.00'N", 3},  // over the sign
        {kLat, 9, 's', "38d36.00'S", 9}, {kLat, 9, 'E', nullptr, 9}, {kLat, 9, '1', nullptr, 9},
        {kLat, 0, 'N', nullptr, 0},      {kLon, 10, 'N', nullptr, 10},
        {kLat, 2, '5', nullptr, 2},      // separator
        {kLat, 7, '5', "38d36.05'N", 9},  // the caret passes the minutes' mark
        {kLat, 10, '5', nullptr, 10}};  // past the end
    for (const auto& [box, caret, key, expected, caretAfter] : cases) {
        const char* text = box == kLat ? "38d36.00'N" : "120d20.00'W";
        SCOPED_TRACE(std::string(text) + " '" + key + "' @" + std::to_string(caret));
        const LatLonEditResult r = LatLonKeyPress(box, P(text), caret, QLatin1Char(key));
        EXPECT_EQ(std::tuple(r.beep, r.changed, r.text, r.caret),
                  std::tuple(!expected, expected != nullptr, P(expected ? expected : text),
                             caretAfter));
    }

    // Key down: the arrows move and step, and are swallowed like Delete.
    const QString lat = P("38d36.00'N");
    // Left moves off a separator backwards and stops at the start; Right stops at the end.
    EXPECT_EQ(LatLonKeyDown(kLat, lat, 3, LatLonKey::Left).caret, 1);
    EXPECT_EQ(LatLonKeyDown(kLat, lat, 0, LatLonKey::Left).caret, 0);
    EXPECT_EQ(LatLonKeyDown(kLat, lat, 9, LatLonKey::Right).caret, 9);
    // A step that leaves the text as it was is no change.
    EXPECT_FALSE(LatLonKeyDown(kLat, P("00d00.00'N"), 1, LatLonKey::Down).changed);
    // Delete is swallowed and changes nothing; other keys go on.
    const LatLonEditResult del = LatLonKeyDown(kLat, lat, 4, LatLonKey::Delete);
    EXPECT_EQ(std::pair(del.text, del.swallow), std::pair(lat, true));
    EXPECT_FALSE(LatLonKeyDown(kLat, lat, 4, LatLonKey::Other).swallow);
}

}  // namespace
}  // namespace tw
