// Position text, the position and sunspot readers over AirMail's profile,
// the age warning, and the editing rules of the Lat/Lon boxes.

#include <gtest/gtest.h>

#include <QTimeZone>

#include <cmath>

#include "airmail/AirMail.h"
#include "airmail/Position.h"
#include "platform/Clock.h"
#include "platform/PathMapper.h"
#include "platform/Registry.h"
#include "support/FakeProfileFiles.h"
#include "support/ScriptedUserInterface.h"

namespace tw {
namespace {

const QString kDeg = QString(QChar(kDegreeSign));
// A position text written with "d" for the degree sign.
QString P(const char* text) { return QString::fromLatin1(text).replace(QLatin1Char('d'), kDeg); }

// ---- Position text -------------------------------------------------------

struct DecodeCase {
    const char* text;
    bool latitude;
    bool ok;
    double value;
};

class PositionDecode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(PositionDecode, Decodes) {
    const DecodeCase& c = GetParam();
    const std::optional<double> v = c.latitude ? LatLonDecodeLatitudeValue(P(c.text))
                                               : LatLonDecodeLongitudeValue(P(c.text));
    ASSERT_EQ(v.has_value(), c.ok) << c.text;
    if (c.ok) {
        EXPECT_NEAR(*v, c.value, 1e-9) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, PositionDecode,
    ::testing::Values(DecodeCase{"38d36.00'N", true, true, 38.6},
                      DecodeCase{"38d36.00'S", true, true, -38.6},
                      // The hemisphere letter in lower case still means its hemisphere.
                      DecodeCase{"38d36.00's", true, true, -38.6},
                      DecodeCase{"38d36.00'n", true, true, 38.6},
                      DecodeCase{"120d20.00'W", false, true, -120.0 - 20.0 / 60.0},
                      DecodeCase{"120d20.00'E", false, true, 120.0 + 20.0 / 60.0},
                      DecodeCase{"90d00.00'N", true, true, 90.0},
                      DecodeCase{"90d00.00'S", true, true, -90.0},
                      DecodeCase{"180d00.00'W", false, true, -180.0},
                      DecodeCase{"00d00.00'N", true, true, 0.0},
                      DecodeCase{" 38d36.00'N ", true, true, 38.6},
                      // Out of range.
                      DecodeCase{"91d00.00'N", true, false, 0},
                      DecodeCase{"90d00.01'S", true, false, 0},
                      DecodeCase{"180d00.01'E", false, false, 0},
                      // Not position text.
                      DecodeCase{"", true, false, 0},
                      DecodeCase{"38 36.00'N", true, false, 0},
                      DecodeCase{"38d36.00N", true, false, 0},
                      DecodeCase{"3ad36.00'N", true, false, 0},
                      DecodeCase{"38dxx'N", true, false, 0},
                      DecodeCase{"d36.00'N", true, false, 0},
                      DecodeCase{"-38d36.00'N", true, false, 0},
                      DecodeCase{"1e1d00.00'N", true, false, 0},
                      // No hemisphere, or the other axis's letter.
                      DecodeCase{"38d36.00'", true, false, 0},
                      DecodeCase{"38d36.00'E", true, false, 0},
                      DecodeCase{"120d20.00'N", false, false, 0},
                      DecodeCase{"38d36.00'NN", true, false, 0}));

struct EncodeCase {
    double value;
    bool latitude;
    const char* text;
};

class PositionEncode : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(PositionEncode, Encodes) {
    const EncodeCase& c = GetParam();
    EXPECT_EQ(c.latitude ? LatLonEncodeLatitude(c.value) : LatLonEncodeLongitude(c.value),
              P(c.text))
        << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PositionEncode,
    ::testing::Values(EncodeCase{38.6, true, "38d36.00'N"},
                      EncodeCase{-0.5, true, "00d30.00'S"},
                      EncodeCase{0.0, true, "00d00.00'N"},
                      EncodeCase{-120.0 - 20.0 / 60.0, false, "120d20.00'W"},
                      EncodeCase{5.0, false, "005d00.00'E"},
                      // Minutes that round to 60 carry into the degrees.
                      EncodeCase{179.99999, false, "180d00.00'E"},
                      EncodeCase{-179.99999, false, "180d00.00'W"},
                      EncodeCase{0.99999, true, "01d00.00'N"},
                      EncodeCase{59.9999999, true, "60d00.00'N"},
                      // Hundredths of a minute round, they are not cut.
                      EncodeCase{10.0 + 12.345 / 60.0, true, "10d12.35'N"},
                      EncodeCase{10.0 + 12.344 / 60.0, true, "10d12.34'N"},
                      // A value that rounds to zero has no southern zero.
                      EncodeCase{-0.0000001, true, "00d00.00'N"},
                      EncodeCase{std::nan(""), true, "00d00.00'N"}));

TEST(PositionText, EncodedTextsDecodeBackAndKeepTheirWidth) {
    for (double v = -90.0; v <= 90.0; v += 0.7123) {
        const QString t = LatLonEncodeLatitude(v);
        EXPECT_EQ(t.size(), 10) << t.toStdString();
        const auto back = LatLonDecodeLatitudeValue(t);
        ASSERT_TRUE(back.has_value()) << t.toStdString();
        EXPECT_NEAR(*back, v, 0.005 / 60.0 + 1e-12);
    }
    for (double v = -180.0; v <= 180.0; v += 1.3171) {
        const QString t = LatLonEncodeLongitude(v);
        EXPECT_EQ(t.size(), 11) << t.toStdString();
        const auto back = LatLonDecodeLongitudeValue(t);
        ASSERT_TRUE(back.has_value()) << t.toStdString();
        EXPECT_NEAR(*back, v, 0.005 / 60.0 + 1e-12);
    }
}

struct DateCase {
    const char* text;
    const char* iso;  // nullptr: not a date-time
};

class PositionDateTime : public ::testing::TestWithParam<DateCase> {};

TEST_P(PositionDateTime, Reads) {
    const DateCase& c = GetParam();
    const auto dt = AirMailDateTimeFromText(QString::fromLatin1(c.text));
    ASSERT_EQ(dt.has_value(), c.iso != nullptr) << c.text;
    if (c.iso) {
        EXPECT_EQ(dt->toString(Qt::ISODate), QString::fromLatin1(c.iso)) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, PositionDateTime,
    ::testing::Values(DateCase{"2026/06/03 14:05:09", "2026-06-03T14:05:09Z"},
                      DateCase{"2026/6/3 4:05", "2026-06-03T04:05:00Z"},
                      DateCase{"2026-06-03 14:05:09", "2026-06-03T14:05:09Z"},
                      DateCase{"6/3/2026 2:05:09 PM", "2026-06-03T14:05:09Z"},
                      DateCase{"2026/06/03", "2026-06-03T00:00:00Z"},
                      DateCase{"", nullptr}, DateCase{"yesterday", nullptr},
                      DateCase{"2026/13/40 10:00:00", nullptr}));

TEST(PositionText, TimeTextIsYearFirstTwentyFourHour) {
    const QDateTime t(QDate(2026, 6, 3), QTime(21, 4, 5), Qt::UTC);
    EXPECT_EQ(PositionTimeText(t), QStringLiteral("2026/06/03 21:04:05"));
    EXPECT_EQ(AirMailDateTimeFromText(PositionTimeText(t)), t);
}

TEST(PositionText, CalendarDaysCountDateBoundaries) {
    const QDateTime late(QDate(2026, 6, 1), QTime(23, 59), Qt::UTC);
    EXPECT_EQ(CalendarDaysBetween(late, QDateTime(QDate(2026, 6, 2), QTime(0, 1), Qt::UTC)), 1);
    EXPECT_EQ(CalendarDaysBetween(late, QDateTime(QDate(2026, 6, 1), QTime(23, 59, 59), Qt::UTC)), 0);
    EXPECT_EQ(CalendarDaysBetween(late, QDateTime(QDate(2026, 5, 30), QTime(0, 0), Qt::UTC)), -2);
}

// ---- Readers over AirMail's profile --------------------------------------

class NoRegistry final : public platform::IRegistry {
public:
    bool QueryString(const std::string&, const std::string&, std::string& value) override {
        value.clear();
        return false;
    }
};

constexpr platform::UtcSeconds kNow = 1780747200;  // 2026-06-06 12:00:00 UTC
const std::string kIni = "C:\\Program Files\\AirMail\\Airmail.ini";

class PositionReaders : public ::testing::Test {
protected:
    PositionReaders()
        : profile(files),
          airmail(settings, profile, ui, paths, registry),
          clock(kNow),
          position(airmail, clock) {}

    // A value as AirMail writes it: code page 1252, byte 176 for the degree sign.
    void Set(const std::string& section, const std::string& key, const char* text) {
        std::string bytes(text);
        for (char& ch : bytes)
            if (ch == 'd') ch = static_cast<char>(0xB0);
        files.Set(kIni, section, key, bytes);
    }
    void SetCurrent(const char* lat, const char* lon, const char* time) {
        Set("Position Report", "Current Latitude", lat);
        Set("Position Report", "Current Longitude", lon);
        Set("Position Report", "Current Time", time);
    }
    void SetReport(const char* lat, const char* lon, const char* time) {
        Set("Position Report", "Latitude", lat);
        Set("Position Report", "Longitude", lon);
        Set("Position Report", "DateTime", time);
    }
    void SetPropagation(const char* lat, const char* lon) {
        Set("Propagation", "Latitude", lat);
        Set("Propagation", "Longitude", lon);
    }

    Settings settings;
    test::FakeProfileFiles files;
    ProfileAccess profile;
    test::ScriptedUserInterface ui;
    platform::PathMapper paths;
    NoRegistry registry;
    AirMail airmail;
    platform::ManualClock clock;
    Position position;
};

TEST_F(PositionReaders, TheCurrentPositionReportComesFirst) {
    SetCurrent("38d36.00'N", "120d20.00'W", "2026/06/05 10:00:00");
    SetReport("10d00.00'N", "010d00.00'E", "2026/06/05 10:00:00");
    SetPropagation("20d00.00'S", "020d00.00'W");
    const auto fix = position.LatLonGetCurrent();
    ASSERT_TRUE(fix.has_value());
    EXPECT_NEAR(fix->latitude, 38.6, 1e-9);
    EXPECT_NEAR(fix->longitude, -120.0 - 1.0 / 3.0, 1e-9);
    EXPECT_TRUE(ui.messages.empty());
}

struct FallbackCase {
    const char* name;
    const char* currentLat;  // "" leaves the key out
    const char* currentTime;
    const char* reportLat;
    double expectLatitude;
};

class PositionFallback : public PositionReaders,
                         public ::testing::WithParamInterface<FallbackCase> {};

TEST_P(PositionFallback, FallsBackQuietly) {
    const FallbackCase& c = GetParam();
    if (*c.currentLat) SetCurrent(c.currentLat, "120d20.00'W", c.currentTime);
    if (*c.reportLat) SetReport(c.reportLat, "010d00.00'E", "2026/06/05 10:00:00");
    SetPropagation("20d00.00'S", "020d00.00'W");
    double lat = 0, lon = 0;
    ASSERT_TRUE(position.LatLonGetCurrent(lat, lon)) << c.name;
    EXPECT_NEAR(lat, c.expectLatitude, 1e-9) << c.name;
    EXPECT_TRUE(ui.messages.empty()) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PositionFallback,
    ::testing::Values(
        FallbackCase{"no current position", "", "", "10d00.00'N", 10.0},
        FallbackCase{"current latitude out of range", "91d00.00'N", "2026/06/05 10:00:00",
                     "10d00.00'N", 10.0},
        FallbackCase{"current time no date", "38d36.00'N", "soon", "10d00.00'N", 10.0},
        FallbackCase{"current time empty", "38d36.00'N", "", "10d00.00'N", 10.0},
        FallbackCase{"no report either", "", "", "", -20.0},
        FallbackCase{"report unreadable", "", "", "ten north", -20.0}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST_F(PositionReaders, TheLastSourceTellsWhyItFailed) {
    Set("Propagation", "Latitude", "91d00.00'N");
    Set("Propagation", "Longitude", "020d00.00'W");
    EXPECT_FALSE(position.LatLonGetCurrent().has_value());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Unable for decode Latitude 91") + kDeg +
                                       QStringLiteral("00.00'N"));
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Tidewell"));
    EXPECT_FALSE(ui.broughtToFront.empty());
}

TEST_F(PositionReaders, AMissingLastSourceNamesTheKey) {
    EXPECT_FALSE(position.LatLonGetCurrent().has_value());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.startsWith(
        QStringLiteral("Unable to find AirMail's Propagation, Latitude in \"Airmail.ini\".")))
        << ui.messages[0].text.toStdString();
}

TEST_F(PositionReaders, LongitudeMessageNamesTheLongitude) {
    Set("Propagation", "Latitude", "20d00.00'S");
    Set("Propagation", "Longitude", "200d00.00'W");
    EXPECT_FALSE(position.LatLonGetCurrentPropagation(true).has_value());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Unable for decode Longitude 200") + kDeg +
                                       QStringLiteral("00.00'W"));
}

TEST_F(PositionReaders, ReportTimeIsKept) {
    SetReport("10d00.00'N", "010d00.00'E", "2026/06/05 10:11:12");
    const auto fix = position.LatLonGetCurrentPositionReport(false);
    ASSERT_TRUE(fix.has_value());
    EXPECT_EQ(fix->time, QDateTime(QDate(2026, 6, 5), QTime(10, 11, 12), Qt::UTC));
}

struct SunSpotCase {
    bool fromAirMail;
    const char* ssn;  // nullptr: no key
    float expected;
};

class PositionSunSpot : public PositionReaders,
                        public ::testing::WithParamInterface<SunSpotCase> {};

TEST_P(PositionSunSpot, Number) {
    const SunSpotCase& c = GetParam();
    settings.m_bPropagationSunSpotNumber = c.fromAirMail;
    settings.m_fPropagationSunSpotNumber = 42.0f;
    if (c.ssn) Set("Propagation", "SSN", c.ssn);
    EXPECT_FLOAT_EQ(position.SunSpotNumberGet(), c.expected);
    EXPECT_FLOAT_EQ(settings.m_fPropagationSunSpotNumber, c.expected);
    EXPECT_TRUE(ui.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, PositionSunSpot,
                         ::testing::Values(SunSpotCase{true, nullptr, 170.0f},
                                           SunSpotCase{true, "", 170.0f},
                                           SunSpotCase{true, "85", 85.0f},
                                           SunSpotCase{true, "12.5", 12.5f},
                                           SunSpotCase{true, "many", 170.0f},
                                           SunSpotCase{true, "-3", 170.0f},
                                           SunSpotCase{false, "85", 42.0f},
                                           SunSpotCase{false, nullptr, 42.0f}));

struct AgeCase {
    const char* name;
    bool check;
    int limitDays;
    const char* currentTime;  // nullptr: no current position
    const char* reportTime;   // nullptr: no report
    int warnDays;             // -1: no warning
};

class PositionAge : public PositionReaders, public ::testing::WithParamInterface<AgeCase> {};

TEST_P(PositionAge, Warning) {
    const AgeCase& c = GetParam();
    settings.m_bAirMailLatLonCheck = c.check;
    settings.m_iAirMailLatLonCheckDays = c.limitDays;
    if (c.currentTime) SetCurrent("38d36.00'N", "120d20.00'W", c.currentTime);
    if (c.reportTime) SetReport("10d00.00'N", "010d00.00'E", c.reportTime);
    position.LatLonCheckAge();
    if (c.warnDays < 0) {
        EXPECT_TRUE(ui.messages.empty()) << c.name;
        return;
    }
    ASSERT_EQ(ui.messages.size(), 1u) << c.name;
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(ui.messages[0].text, LatLonCheckAgeMessage(c.warnDays));
    EXPECT_TRUE(ui.messages[0].text.startsWith(
        QStringLiteral("Warning, AirMail's Latitude and Longitude Data is older than %1 days.")
            .arg(c.warnDays)));
}

// Now is 2026-06-06 12:00 UTC.
INSTANTIATE_TEST_SUITE_P(
    Table, PositionAge,
    ::testing::Values(
        AgeCase{"three days old, limit two", true, 2, "2026/06/03 12:00:00", nullptr, 3},
        AgeCase{"check off", false, 2, "2026/06/03 12:00:00", nullptr, -1},
        AgeCase{"at the limit", true, 3, "2026/06/03 12:00:00", nullptr, -1},
        // Calendar days: late on the 3rd is three days before the 6th.
        AgeCase{"late on the day", true, 2, "2026/06/03 23:59:59", nullptr, 3},
        AgeCase{"report only", true, 2, nullptr, "2026/05/27 08:00:00", 10},
        AgeCase{"current wins over report", true, 2, "2026/06/05 08:00:00",
                "2026/05/27 08:00:00", -1},
        AgeCase{"no position", true, 0, nullptr, nullptr, -1},
        AgeCase{"time in the future", true, 0, "2026/06/09 08:00:00", nullptr, -1}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

// ---- Editing the boxes ---------------------------------------------------

struct StepCase {
    LatLonBox box;
    const char* text;
    int caret;
    int direction;
    const char* expected;  // nullptr: no step
};

class PositionStep : public ::testing::TestWithParam<StepCase> {};

TEST_P(PositionStep, Steps) {
    const StepCase& c = GetParam();
    const auto r = LatLonStep(c.box, P(c.text), c.caret, c.direction);
    ASSERT_EQ(r.has_value(), c.expected != nullptr) << c.text << " @" << c.caret;
    if (c.expected) {
        EXPECT_EQ(*r, P(c.expected)) << c.text << " @" << c.caret << " dir " << c.direction;
    }
}

constexpr LatLonBox kLat = LatLonBox::Latitude;
constexpr LatLonBox kLon = LatLonBox::Longitude;

INSTANTIATE_TEST_SUITE_P(
    Table, PositionStep,
    ::testing::Values(
        StepCase{kLat, "85d00.00'N", 0, +1, "90d00.00'N"},   // clamped
        StepCase{kLat, "05d00.00'S", 1, -1, "04d00.00'S"},
        StepCase{kLat, "05d00.00'S", 1, +1, "06d00.00'S"},
        StepCase{kLat, "05d00.00'S", 9, +1, "05d00.00'N"},   // hemisphere flips
        StepCase{kLat, "05d00.00'S", 9, -1, "05d00.00'N"},
        StepCase{kLat, "38d36.00'N", 7, +1, "38d36.01'N"},
        StepCase{kLat, "38d36.00'N", 6, -1, "38d35.90'N"},
        StepCase{kLat, "38d56.00'N", 3, +1, "39d06.00'N"},   // minutes carry
        StepCase{kLat, "38d36.00'N", 4, -1, "38d35.00'N"},
        StepCase{kLat, "38d36.00'N", 2, +1, "38d36.00'N"},   // separator: no change
        StepCase{kLat, "00d00.00'N", 0, +1, "00d00.00'N"},   // zero stays zero
        // Down by more than the value stops at zero; it does not cross the equator.
        StepCase{kLat, "05d00.00'N", 0, -1, "00d00.00'N"},
        StepCase{kLat, "05d00.00'S", 0, -1, "00d00.00'N"},
        StepCase{kLon, "179d00.00'W", 0, +1, "180d00.00'W"},
        StepCase{kLon, "120d20.00'W", 0, -1, "020d20.00'W"},
        StepCase{kLon, "120d20.00'W", 2, +1, "121d20.00'W"},
        StepCase{kLon, "120d20.00'W", 8, +1, "120d20.01'W"},
        StepCase{kLon, "120d20.00'W", 10, +1, "120d20.00'E"},
        StepCase{kLat, "91d00.00'N", 1, +1, nullptr},       // does not decode
        StepCase{kLat, "38d36.00'N", 10, +1, nullptr},      // caret outside
        StepCase{kLat, "38d36.00'N", -1, +1, nullptr}));

struct SnapCase {
    LatLonBox box;
    int caret;
    int direction;
    int expected;
};

class PositionSnap : public ::testing::TestWithParam<SnapCase> {};

TEST_P(PositionSnap, Snaps) {
    const SnapCase& c = GetParam();
    const QString text = c.box == kLat ? P("38d36.00'N") : P("120d20.00'W");
    EXPECT_EQ(LatLonCaretSnap(c.box, text, c.caret, c.direction), c.expected)
        << c.caret << " dir " << c.direction;
}

INSTANTIATE_TEST_SUITE_P(Table, PositionSnap,
                         ::testing::Values(SnapCase{kLat, 0, +1, 0}, SnapCase{kLat, 2, +1, 3},
                                           SnapCase{kLat, 2, -1, 1}, SnapCase{kLat, 5, +1, 6},
                                           SnapCase{kLat, 8, +1, 9}, SnapCase{kLat, 8, -1, 7},
                                           SnapCase{kLat, 10, +1, 9}, SnapCase{kLat, 9, +1, 9},
                                           SnapCase{kLon, 3, +1, 4}, SnapCase{kLon, 6, -1, 5},
                                           SnapCase{kLon, 11, -1, 10}));

TEST(PositionEdit, ArrowsMoveOverSeparatorsAndStopAtTheEnds) {
    const QString lat = P("38d36.00'N");
    struct Case {
        int caret;
        LatLonKey key;
        int expected;
    };
    for (const Case& c : {Case{1, LatLonKey::Right, 3}, Case{3, LatLonKey::Left, 1},
                          Case{9, LatLonKey::Right, 9}, Case{0, LatLonKey::Left, 0},
                          Case{7, LatLonKey::Right, 9}, Case{9, LatLonKey::Left, 7}}) {
        const LatLonEditResult r = LatLonKeyDown(kLat, lat, c.caret, c.key);
        EXPECT_EQ(r.caret, c.expected) << c.caret;
        EXPECT_TRUE(r.swallow);
        EXPECT_FALSE(r.changed);
        EXPECT_EQ(r.text, lat);
    }
}

TEST(PositionEdit, UpAndDownStepInPlace) {
    const LatLonEditResult up = LatLonKeyDown(kLat, P("05d00.00'S"), 1, LatLonKey::Up);
    EXPECT_EQ(up.text, P("06d00.00'S"));
    EXPECT_EQ(up.caret, 1);
    EXPECT_TRUE(up.swallow);
    EXPECT_TRUE(up.changed);
    const LatLonEditResult zero = LatLonKeyDown(kLat, P("00d00.00'N"), 1, LatLonKey::Down);
    EXPECT_FALSE(zero.changed);
}

TEST(PositionEdit, DeleteIsSwallowedAndOtherKeysGoOn) {
    const QString lat = P("38d36.00'N");
    const LatLonEditResult del = LatLonKeyDown(kLat, lat, 4, LatLonKey::Delete);
    EXPECT_TRUE(del.swallow);
    EXPECT_EQ(del.text, lat);
    EXPECT_FALSE(LatLonKeyDown(kLat, lat, 4, LatLonKey::Other).swallow);
}

struct PressCase {
    LatLonBox box;
    const char* text;
    int caret;
    char key;
    const char* expected;  // nullptr: refused with a beep
    int caretAfter;
};

class PositionKeyPress : public ::testing::TestWithParam<PressCase> {};

TEST_P(PositionKeyPress, Overtypes) {
    const PressCase& c = GetParam();
    const LatLonEditResult r = LatLonKeyPress(c.box, P(c.text), c.caret, QLatin1Char(c.key));
    if (!c.expected) {
        EXPECT_TRUE(r.beep) << c.key;
        EXPECT_FALSE(r.changed);
        EXPECT_EQ(r.text, P(c.text));
        EXPECT_EQ(r.caret, c.caret);
        return;
    }
    EXPECT_FALSE(r.beep);
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(r.text, P(c.expected)) << c.key;
    EXPECT_EQ(r.caret, c.caretAfter) << c.key;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PositionKeyPress,
    ::testing::Values(PressCase{kLat, "38d36.00'N", 0, '4', "48d36.00'N", 1},
                      PressCase{kLat, "38d36.00'N", 1, '2', "32d36.00'N", 3},  // over the sign
                      PressCase{kLat, "38d36.00'N", 7, '5', "38d36.05'N", 9},
                      PressCase{kLat, "38d36.00'N", 9, 's', "38d36.00'S", 9},
                      PressCase{kLat, "38d36.00'S", 9, 'N', "38d36.00'N", 9},
                      PressCase{kLon, "120d20.00'W", 10, 'e', "120d20.00'E", 10},
                      PressCase{kLon, "120d20.00'W", 2, '9', "129d20.00'W", 4},
                      PressCase{kLat, "38d36.00'N", 9, 'E', nullptr, 0},
                      PressCase{kLat, "38d36.00'N", 9, '1', nullptr, 0},
                      PressCase{kLat, "38d36.00'N", 0, 'N', nullptr, 0},
                      PressCase{kLat, "38d36.00'N", 0, 'x', nullptr, 0},
                      PressCase{kLat, "38d36.00'N", 0, '\b', nullptr, 0},
                      PressCase{kLat, "38d36.00'N", 2, '5', nullptr, 0},   // separator
                      PressCase{kLat, "38d36.00'N", 10, '5', nullptr, 0},  // past the end
                      PressCase{kLon, "120d20.00'W", 10, 'N', nullptr, 0}));

}  // namespace
}  // namespace tw
