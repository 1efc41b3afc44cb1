// The antenna offset table in section "Offset Data" of the profile file.
#include <gtest/gtest.h>

#include <QLocale>

#include <string>

#include "settings/OffsetTable.h"
#include "settings/SettingsProfile.h"
#include "support/FakeProfileFiles.h"
#include "support/ScriptedUserInterface.h"

namespace tw {
namespace {

const QLocale kC = QLocale::c();
const std::string kFile = "C:\\Tidewell\\Tidewell.Ini";

// The first fields of a row; the others are empty.
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
    test::ScriptedUserInterface ui;
    Settings settings;

    void SetUp() override { Initialize(settings, QStringLiteral("C:\\Tidewell")); }

    std::optional<std::string> Stored(const std::string& key) const {
        return files.Value(kFile, "Offset Data", key);
    }
    bool Write(const QVector<OffsetFields>& dataRows) {
        return OffsetTableWrite(QVector<OffsetFields>{OffsetHeader()} + dataRows, settings,
                                profile, ui);
    }
    auto Editor() { return OffsetTableReadEditor(profile, settings.m_sProfileFile); }
    auto Rows(const QLocale& locale) {
        return OffsetTableReadRows(profile, settings.m_sProfileFile, locale);
    }
};

// Rows without system, station or offset are not stored; a cell of blanks is
// stored as typed (the evaluation refuses its row).  A comma inside a
// field would move every later field: it is stored as a blank in the
// frequencies and as a point in a number, which reads in every number format.
TEST_F(OffsetTableTest, StoredLinesAndTheEditorsViewOfThem) {
    const OffsetFields first =
        Fields({"HAM", "ZZ0AA", "14108.0, 7100.0(p3)", "6", "360", "0", "0000", "2400"});
    const OffsetFields last = Fields({"SAILMAIL", "Shore Station", "", "-2.5"});
    ASSERT_TRUE(Write({first, Fields({"HAM", "ZZ0AB", "14108.0", "", "60", "90"}),
                       Fields({"", "ZZ0AC", "7100.0", "2"}), Fields({"HAM", "", "7100.0", "3"}),
                       Fields({"HAM", "ZZ0AE", "3593.0", "  "}),
                       Fields({"HAM", "ZZ0AD", "14108.0,7100.0", "1,5", "60", "90,5"}), last}));
    EXPECT_EQ(Stored("Rows"), "5");
    EXPECT_EQ(Stored("Row1"), "System,Station,Frequency,Offset,Ant Bw,Ant Az,Start,Stop");
    EXPECT_EQ(Stored("Row2"), "HAM,ZZ0AA,14108.0 7100.0(p3),6,360,0,0000,2400");
    EXPECT_EQ(Stored("Row3"), "HAM,ZZ0AE,3593.0,  ,,,,");
    EXPECT_EQ(Stored("Row4"), "HAM,ZZ0AD,14108.0 7100.0,1.5,60,90.5,,");
    EXPECT_EQ(Stored("Row5"), "SAILMAIL,Shore Station,,-2.5,,,,");
    EXPECT_FALSE(Stored("Row6").has_value());
    const OffsetFields blanks = Fields({"HAM", "ZZ0AE", "3593.0", "  "});
    const OffsetFields middle = Fields({"HAM", "ZZ0AD", "14108.0, 7100.0", "1.5", "60", "90.5"});
    EXPECT_EQ(Editor(), (QVector<OffsetFields>{first, blanks, middle, last}));
    const QVector<OffsetRow> rows = Rows(QLocale(QLocale::German, QLocale::Germany));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(std::pair(rows[1].fSnrOffset, rows[1].fAzimuth), std::pair(1.5f, 90.5f));
    EXPECT_TRUE(ui.messages.empty());
    // Both readers read the file once, not once per row.
    EXPECT_EQ(files.UnheldReads(), 0);
}

// Rows 2, 3 and 5 are there: "Rows" sets the count, Row4 missing ends the table.
TEST_F(OffsetTableTest, ReadingStopsAtCountOrFirstMissingRow) {
    for (const char* key : {"Row2", "Row3", "Row5"})
        files.Set(kFile, "Offset Data", key, "HAM,A,,1");
    EXPECT_TRUE(Editor().isEmpty());  // no "Rows"
    for (const auto& [rows, expected] : {std::pair{"x", 0}, {"1", 0}, {"2", 1}, {"9", 2}}) {
        files.Set(kFile, "Offset Data", "Rows", rows);
        EXPECT_EQ(Editor().size(), expected) << rows;
        EXPECT_EQ(Rows(kC).size(), expected) << rows;
    }
}

// A stored line, split into eight fields from the left (the last takes the
// rest), and the row it gives with the defaults for empty fields, as the
// settings print it.  A line that is no row leaves the row as it was.
TEST(OffsetLine, TypedRowsTakeDefaultsForEmptyFields) {
    const char* const kRefused = "unchanged,,,0,360,0,0,2400";
    const std::pair<const char*, const char*> cases[] = {
        {"HAM,ZZ0AA,,6", "HAM,ZZ0AA,,6,360,0,0,2400"},
        {"HAM,ZZ0AA,14108.0,-3.5,60,90,2200,0200", "HAM,ZZ0AA,14108.0,-3.5,60,90,2200,200"},
        {"HAM,ZZ0AA,14108.0,6,,270,,0130", "HAM,ZZ0AA,14108.0,6,360,270,0,130"},
        {"HAM,ZZ0AA,14108.0,,60,90,0,2400", kRefused},  // no offset
        {",ZZ0AA,14108.0,6,60,90,0,2400", kRefused},    // no system
        {"HAM,,14108.0,6", kRefused},                   // no station
        {"HAM,ZZ0AA,14108.0,6,wide", kRefused},
        {"HAM,ZZ0AA,14108.0,6,360,0,0,2400,extra", kRefused},
        {"HAM,ZZ0AA,14108.0,6,360,0,9:30", kRefused},
    };
    for (const auto& [line, expected] : cases) {
        OffsetRow r;
        r.sSystem = "unchanged";
        const bool ok = OffsetRowFromFields(OffsetLineSplit(QString::fromLatin1(line)), r, kC);
        EXPECT_EQ(std::pair(ok, PrintSettings(Settings(), {r}, kC).last()),
                  std::pair(expected != kRefused, "OffsetRow=" + QString(expected)))
            << line;
    }
    // A row without its system still shows its other fields where they belong.
    EXPECT_EQ(OffsetLineSplit(QStringLiteral(",ZZ0AA,14108.0"))[1], QStringLiteral("ZZ0AA"));
}

TEST_F(OffsetTableTest, LongLinesAreReadWhole) {
    std::string frequencies;
    for (int i = 0; i < 40; ++i) frequencies += "1" + std::to_string(4000 + i) + ".0 ";
    files.Set(kFile, "Offset Data", "Rows", "2");
    files.Set(kFile, "Offset Data", "Row2", "HAM,ZZ0AA," + frequencies + ",6,360,0,0,2400");
    ASSERT_EQ(Editor().size(), 1);
    EXPECT_EQ(Editor()[0][OffsetColStop], QStringLiteral("2400"));
    ASSERT_EQ(Rows(kC).size(), 1);
    EXPECT_EQ(Rows(kC)[0].sFrequencies, QString::fromStdString(frequencies));
}

TEST_F(OffsetTableTest, AFailedWriteChangesNoRowAndIsReported) {
    for (const char* key : {"Row2", "Rows"}) {
        SCOPED_TRACE(key);
        files.FailKey("Offset Data", key, 5);
        ui.messages.clear();
        EXPECT_FALSE(Write({Fields({"HAM", "ZZ0AA", "14108.0", "1"})}));
        files.FailKey("Offset Data", key, 0);
        EXPECT_FALSE(Stored("Rows").has_value());
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text,
                  QStringLiteral("Problem with initialization file C:\\Tidewell\\Tidewell.Ini, ") +
                      SystemErrorText(5));
    }
}

}  // namespace
}  // namespace tw
