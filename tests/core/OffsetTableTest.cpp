// The antenna offset table in section "Offset Data" of the profile file.
#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <string>
#include <vector>

#include "common/ProfileAccess.h"
#include "platform/PathMapper.h"
#include "platform/Profile.h"
#include "settings/OffsetTable.h"
#include "settings/SettingsProfile.h"
#include "support/FakeProfileFiles.h"
#include "support/ScriptedUserInterface.h"

namespace tw {
namespace {

const QLocale kC = QLocale::c();
const QLocale kGerman(QLocale::German, QLocale::Germany);
const std::string kFile = "C:\\Tidewell\\Tidewell.Ini";
const QString kHeaderLine = QStringLiteral("System,Station,Frequency,Offset,Ant Bw,Ant Az,Start,Stop");

using RecordingUi = test::ScriptedUserInterface;

OffsetFields Fields(std::initializer_list<const char*> texts) {
    OffsetFields f;
    std::size_t i = 0;
    for (const char* t : texts) f[i++] = QString::fromUtf8(t);
    return f;
}

class OffsetTableTest : public ::testing::Test {
protected:
    test::FakeProfileFiles files;
    ProfileAccess profile{files};
    RecordingUi ui;
    Settings settings;

    void SetUp() override { Initialize(settings, QStringLiteral("C:\\Tidewell")); }

    std::optional<std::string> Stored(const std::string& key) const {
        return files.Value(kFile, "Offset Data", key);
    }
    void Store(const std::string& key, const std::string& value) {
        files.Set(kFile, "Offset Data", key, value);
    }
    bool Write(const QVector<OffsetFields>& dataRows) {
        QVector<OffsetFields> rows{OffsetHeader()};
        rows += dataRows;
        return OffsetTableWrite(rows, settings, profile, ui);
    }
};

TEST_F(OffsetTableTest, RowsWithoutSystemStationOrOffsetAreNotStored) {
    ASSERT_TRUE(Write({
        Fields({"HAM", "ZZ0AA", "14108.0", "1", "", "", "", ""}),
        Fields({"HAM", "ZZ0AB", "14108.0", "", "60", "90", "", ""}),     // no offset
        Fields({"", "ZZ0AC", "7100.0", "2", "", "", "", ""}),             // no system
        Fields({"HAM", "", "7100.0", "3", "", "", "", ""}),               // no station
        Fields({"HAM", "ZZ0AD", "", "4", "", "", "", ""}),                // no frequency: kept
        Fields({"HAM", "ZZ0AE", "3593.0", "  ", "", "", "", ""}),         // blank offset
        Fields({"SAILMAIL", "Shore Station", "10312.0", "-5", "120", "45", "2200", "0200"}),
    }));
    EXPECT_EQ(Stored("Rows"), "4");
    EXPECT_EQ(Stored("Row2"), "HAM,ZZ0AA,14108.0,1,,,,");
    EXPECT_EQ(Stored("Row3"), "HAM,ZZ0AD,,4,,,,");
    EXPECT_EQ(Stored("Row4"), "SAILMAIL,Shore Station,10312.0,-5,120,45,2200,0200");
    EXPECT_FALSE(Stored("Row5").has_value());
}

TEST_F(OffsetTableTest, EditorSeesRowsAsItStoredThem) {
    const QVector<OffsetFields> shown = {
        Fields({"HAM", "ZZ0AA", "14108.0, 7100.0(p3), 3593.0", "6", "360", "0", "0000", "2400"}),
        Fields({"SAILMAIL", "Shore Station", "", "-2.5", "", "", "", ""}),
    };
    ASSERT_TRUE(Write(shown));
    EXPECT_EQ(Stored("Row2"), "HAM,ZZ0AA,14108.0 7100.0(p3) 3593.0,6,360,0,0000,2400");
    EXPECT_EQ(OffsetTableReadEditor(profile, settings.m_sProfileFile), shown);
}

// Commas inside a field would move every later field; the frequency field
// holds none, and a decimal comma in a number is stored as a point.
TEST_F(OffsetTableTest, CommasInsideFieldsDoNotShiftTheRow) {
    ASSERT_TRUE(Write({Fields({"HAM", "ZZ0AA", "14108.0,7100.0", "1,5", "60", "90,5", "", ""})}));
    EXPECT_EQ(Stored("Row2"), "HAM,ZZ0AA,14108.0 7100.0,1.5,60,90.5,,");
    const QVector<OffsetRow> rows = OffsetTableReadRows(profile, settings.m_sProfileFile, kGerman);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].fSnrOffset, 1.5f);
    EXPECT_EQ(rows[0].fAzimuth, 90.5f);
}

TEST_F(OffsetTableTest, ReadingStopsAtCountOrFirstMissingRow) {
    struct Case {
        const char* rows;
        std::vector<std::string> lines;  // Row2, Row3, ... ("" leaves the key missing)
        int expected;
    };
    const Case cases[] = {
        {nullptr, {"HAM,A,,1"}, 0},         // no "Rows": no table
        {"", {"HAM,A,,1"}, 0},
        {"x", {"HAM,A,,1"}, 0},
        {"1", {"HAM,A,,1"}, 0},             // header only
        {"3", {"HAM,A,,1", "HAM,B,,2", "HAM,C,,3"}, 2},
        {"4", {"HAM,A,,1", "", "HAM,C,,3"}, 1},
        {"9", {"HAM,A,,1", "HAM,B,,2"}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rows ? c.rows : "(missing)");
        test::FakeProfileFiles store;
        ProfileAccess access(store);
        if (c.rows) store.Set(kFile, "Offset Data", "Rows", c.rows);
        store.Set(kFile, "Offset Data", "Row1", kHeaderLine.toStdString());
        for (std::size_t i = 0; i < c.lines.size(); ++i) {
            if (!c.lines[i].empty()) {
                store.Set(kFile, "Offset Data", "Row" + std::to_string(i + 2), c.lines[i]);
            }
        }
        EXPECT_EQ(OffsetTableReadFields(access, settings.m_sProfileFile, kOffsetLineEditor).size(),
                  c.expected);
        EXPECT_EQ(OffsetTableReadRows(access, settings.m_sProfileFile, kC).size(), c.expected);
    }
}

TEST(OffsetLine, SplitsIntoEightFieldsFromTheLeft) {
    struct Case {
        const char* line;
        OffsetFields fields;
    };
    const Case cases[] = {
        {"HAM,ZZ0AA,,6", Fields({"HAM", "ZZ0AA", "", "6", "", "", "", ""})},
        {"HAM,ZZ0AA,14108.0,6,360,0,0,2400", Fields({"HAM", "ZZ0AA", "14108.0", "6", "360", "0", "0", "2400"})},
        {"a,b,c,d,e,f,g,h,i,j", Fields({"a", "b", "c", "d", "e", "f", "g", "h,i,j"})},
        {"a,b,c,d,e,f,g,", Fields({"a", "b", "c", "d", "e", "f", "g", ""})},
        {"HAM", Fields({"HAM", "", "", "", "", "", "", ""})},
        {"", Fields({"", "", "", "", "", "", "", ""})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OffsetLineSplit(QString::fromLatin1(c.line)), c.fields) << c.line;
    }
}

TEST(OffsetLine, TypedRowsTakeDefaultsForEmptyFields) {
    struct Case {
        const char* line;
        bool ok;
        float offset, beamwidth, azimuth;
        int start, stop;
    };
    const Case cases[] = {
        {"HAM,ZZ0AA,,6", true, 6, 360, 0, 0, 2400},
        {"HAM,ZZ0AA,14108.0,6,360,0,0,2400", true, 6, 360, 0, 0, 2400},
        {"HAM,ZZ0AA,14108.0,-3.5,60,90,2200,0200", true, -3.5f, 60, 90, 2200, 200},
        {"HAM,ZZ0AA,14108.0,6,,270,,0130", true, 6, 360, 270, 0, 130},
        {"HAM,ZZ0AA,14108.0,,60,90,0,2400", false, 0, 0, 0, 0, 0},    // no offset
        {",ZZ0AA,14108.0,6,60,90,0,2400", false, 0, 0, 0, 0, 0},      // no system
        {"HAM,,14108.0,6", false, 0, 0, 0, 0, 0},                     // no station
        {"HAM,ZZ0AA,14108.0,six", false, 0, 0, 0, 0, 0},
        {"HAM,ZZ0AA,14108.0,6,wide", false, 0, 0, 0, 0, 0},
        {"HAM,ZZ0AA,14108.0,6,360,0,0,2400,extra", false, 0, 0, 0, 0, 0},
        {"HAM,ZZ0AA,14108.0,6,360,0,9:30", false, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        OffsetRow row;
        row.sSystem = "unchanged";
        const bool ok = OffsetRowFromFields(OffsetLineSplit(QString::fromLatin1(c.line)), row, kC);
        ASSERT_EQ(ok, c.ok);
        if (!ok) {
            EXPECT_EQ(row.sSystem, QStringLiteral("unchanged"));
            continue;
        }
        EXPECT_EQ(row.fSnrOffset, c.offset);
        EXPECT_EQ(row.fBeamwidth, c.beamwidth);
        EXPECT_EQ(row.fAzimuth, c.azimuth);
        EXPECT_EQ(row.iStart, c.start);
        EXPECT_EQ(row.iStop, c.stop);
    }
}

TEST_F(OffsetTableTest, EditorReadsLongerLinesThanTheEvaluation) {
    const std::string frequencies = [] {
        std::string f;
        for (int i = 0; i < 40; ++i) f += "1" + std::to_string(4000 + i) + ".0 ";
        return f;
    }();
    const std::string line = "HAM,ZZ0AA," + frequencies + ",6,360,0,0,2400";
    ASSERT_GT(line.size(), 300u);
    ASSERT_LT(line.size(), 511u);
    Store("Rows", "2");
    Store("Row2", line);
    const auto editor = OffsetTableReadFields(profile, settings.m_sProfileFile, kOffsetLineEditor);
    ASSERT_EQ(editor.size(), 1);
    EXPECT_EQ(editor[0][OffsetColStop], QStringLiteral("2400"));
    const auto evaluation = OffsetTableReadFields(profile, settings.m_sProfileFile, kOffsetLineEvaluation);
    ASSERT_EQ(evaluation.size(), 1);
    EXPECT_EQ(evaluation[0][OffsetColFrequency].size(), 255 - 10);
    EXPECT_TRUE(evaluation[0][OffsetColOffset].isEmpty());
    // Cut inside the frequency field, the row has no offset and is not applied.
    EXPECT_TRUE(OffsetTableReadRows(profile, settings.m_sProfileFile, kC).isEmpty());
}

TEST_F(OffsetTableTest, OnlyAFailedCountWriteIsReported) {
    const OffsetFields a = Fields({"HAM", "ZZ0AA", "14108.0", "1", "", "", "", ""});
    files.FailKey("Offset Data", "Row2", 5);
    EXPECT_TRUE(Write({a}));
    EXPECT_TRUE(ui.messages.empty());

    test::FakeProfileFiles store;
    ProfileAccess access(store);
    store.FailKey("Offset Data", "Rows", 5);
    QVector<OffsetFields> rows{OffsetHeader(), a};
    EXPECT_FALSE(OffsetTableWrite(rows, settings, access, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              QStringLiteral("Problem with initialization file C:\\Tidewell\\Tidewell.Ini, ") + SystemErrorText(5));
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Information);
}

TEST(OffsetFrequencies, EditorAndStoredForms) {
    const std::pair<const char*, const char*> cases[] = {
        {"14108.0, 7100.0(p3)", "14108.0 7100.0(p3)"},
        {"14108.0", "14108.0"},
        {"", ""},
        {"3593.0, 7100.0, 10143.0", "3593.0 7100.0 10143.0"},
    };
    for (const auto& [editor, stored] : cases) {
        EXPECT_EQ(OffsetFrequenciesToStored(QString::fromLatin1(editor)), QString::fromLatin1(stored));
        EXPECT_EQ(OffsetFrequenciesToEditor(QString::fromLatin1(stored)), QString::fromLatin1(editor));
    }
}

// Through the real profile backend: the lines in the file, and the editor's
// view of them after a shorter table was written over a longer one.
TEST(OffsetTableFile, StoredLinesAndStaleKeys) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    platform::PathMapper paths;
    paths.SetDrive('C', temp.path().toStdString());
    auto files = platform::MakeProfileFiles(paths);
    ProfileAccess profile(*files);
    RecordingUi ui;
    Settings settings;
    Initialize(settings, QStringLiteral("C:\\"));

    const OffsetFields a = Fields({"HAM", "ZZ0AA", "14108.0, 7100.0(p3)", "6", "60", "90", "2200", "0200"});
    const OffsetFields b = Fields({"SAILMAIL", "Shore Station", "", "-2", "", "", "", ""});
    const OffsetFields skipped = Fields({"HAM", "ZZ0AB", "3593.0", "", "", "", "", ""});
    ASSERT_TRUE(OffsetTableWrite({OffsetHeader(), a, skipped, b}, settings, profile, ui));
    QFile file(temp.path() + QStringLiteral("/Tidewell.Ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("[Offset Data]\r\n"
                                         "Row1=System,Station,Frequency,Offset,Ant Bw,Ant Az,Start,Stop\r\n"
                                         "Row2=HAM,ZZ0AA,14108.0 7100.0(p3),6,60,90,2200,0200\r\n"
                                         "Row3=SAILMAIL,Shore Station,,-2,,,,\r\n"
                                         "Rows=3\r\n"));
    file.close();

    ASSERT_TRUE(OffsetTableWrite({OffsetHeader(), b}, settings, profile, ui));
    EXPECT_EQ(OffsetTableReadEditor(profile, settings.m_sProfileFile), QVector<OffsetFields>{b});
    EXPECT_EQ(profile.Get(settings.m_sProfileFile, OffsetSection(), QStringLiteral("Row3")),
              QStringLiteral("SAILMAIL,Shore Station,,-2,,,,"));
    const QVector<OffsetRow> rows = OffsetTableReadRows(profile, settings.m_sProfileFile, kC);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].sStation, QStringLiteral("Shore Station"));
    EXPECT_EQ(rows[0].fSnrOffset, -2.0f);
    EXPECT_EQ(rows[0].fBeamwidth, 360.0f);
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace tw
