// The evaluation of one station: the cells written from a prediction, the
// failures that stop it, the antenna offset table, and the dial frequency
// from AirMail's radio settings.

#include <gtest/gtest.h>

#include "BestListFixture.h"
#include "selection/Evaluate.h"

namespace tw {
namespace {

using test::SelectionTest;

// ---- Texts ------------------------------------------------------------------

TEST(EvaluateText, NumberFormatRoundsHalvesAwayFromZeroWithoutNegativeZero) {
    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {12.0, 0, "12"},    {12.5, 0, "13"},   {-12.5, 0, "-13"},  {1.4, 0, "1"},
        {-0.4, 0, "0"},     {-0.04, 1, "0.0"}, {9.96, 1, "10.0"},  {-10.6, 1, "-10.6"},
        {12.45, 1, "12.5"}, {0.05, 1, "0.1"},  {5000.0, 1, "5000.0"}, {99.5, 0, "100"},
    };
    for (const auto& c : cases) EXPECT_EQ(NumberFormat(c.value, c.decimals).toStdString(), c.text) << c.value;
    // A single keeps its decimal reading: 12.45f is just below 12.45 in binary.
    EXPECT_EQ(NumberFormat(12.45f, 1), QStringLiteral("12.5"));
    EXPECT_EQ(NumberFormat(-16.6f + 6.0f, 1), QStringLiteral("-10.6"));
}

TEST(EvaluateText, LufMufTextPlacesTheFrequencyAgainstTheUsableBand) {
    const struct {
        double frequency;
        const char* text;
    } cases[] = {
        {4000.0, "<    5000.0"},    // three blanks: "5000.0" is one character short of 7
        {5000.0, "12000.0"},        // the LUF itself is usable
        {8000.0, "12000.0"},
        {12000.0, "12000.0"},
        {14000.0, "> 12000.0"},     // 7 characters: no blanks
    };
    for (const auto& c : cases)
        EXPECT_EQ(LufMufText(c.frequency, 5000.0, 12000.0).toStdString(), c.text) << c.frequency;
    EXPECT_EQ(LufMufText(400.0, 900.0, 12000.0), QStringLiteral("<       900.0"));
}

TEST(EvaluateText, FrequencyFromCellText) {
    EXPECT_DOUBLE_EQ(FrequencyFromText(QStringLiteral("14108.0(p3)")), 14108.0);
    EXPECT_DOUBLE_EQ(FrequencyFromText(QStringLiteral("      7100.5")), 7100.5);
}

// ---- Offset rules -----------------------------------------------------------

TEST(OffsetRules, BeamLossFromAxisToBehind) {
    const struct {
        double bearing, azimuth, beamwidth, loss;
    } cases[] = {
        {120, 0, 360, 0.0},     // omnidirectional
        {90, 90, 60, 0.0},      // on the axis
        {120, 90, 60, 3.0},     // at the half-power edge
        {105, 90, 60, 1.5},
        {120, 270, 60, 16.6},   // d = 150: 17 * 120 / 150 + 3
        {270, 90, 60, 20.0},    // straight behind
        {350, 10, 60, 2.0},     // folded: d = 20, not 340
        {10, 350, 60, 2.0},
        {120, 90, 0, 0.0},      // no beamwidth: no beam
        {120, 90, -5, 0.0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(OffsetBeamLoss(c.bearing, c.azimuth, c.beamwidth), c.loss, 1e-9)
            << c.bearing << " " << c.azimuth << " " << c.beamwidth;
}

TEST(OffsetRules, TimeWindows) {
    const struct {
        int start, stop, now;
        bool applies;
    } cases[] = {
        {2200, 200, 2330, true}, {2200, 200, 115, true},  {2200, 200, 1200, false},
        {2200, 200, 2200, true}, {2200, 200, 200, true},  {2200, 200, 201, false},
        {0, 0, 0, false},        {0, 0, 1200, false},     {0, 2400, 0, true},
        {0, 2400, 2359, true},   {800, 1700, 759, false}, {800, 1700, 1700, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OffsetTimeApplies(c.start, c.stop, c.now), c.applies) << c.start << "-" << c.stop << " at " << c.now;
}

TEST(OffsetRules, FrequencyTextsCompareWhole) {
    EXPECT_TRUE(OffsetFrequencyListed(QStringLiteral("14108.0 7100.0"), QStringLiteral("7100.0")));
    EXPECT_TRUE(OffsetFrequencyListed(QStringLiteral("14108.0 7100.0"), QStringLiteral("14108.0")));
    EXPECT_FALSE(OffsetFrequencyListed(QStringLiteral("17100.0"), QStringLiteral("7100.0")));
    EXPECT_FALSE(OffsetFrequencyListed(QStringLiteral("14108.0(p3)"), QStringLiteral("14108.0")));
    EXPECT_TRUE(OffsetFrequencyListed(QStringLiteral("14108.0(p3)  3590.0"), QStringLiteral("14108.0(p3)")));
    EXPECT_TRUE(OffsetFrequencyListed(QStringLiteral("14108.0, 3590.0"), QStringLiteral("3590.0")));
    EXPECT_FALSE(OffsetFrequencyListed(QString(), QStringLiteral("3590.0")));
    EXPECT_FALSE(OffsetFrequencyListed(QStringLiteral("3590.0"), QString()));
}

// ---- Offsets on the grid ----------------------------------------------------

class OffsetDataTest : public SelectionTest {
protected:
    // One row, 14108.0 with Snr 12, of HAM station K1AA; the table rows given.
    void Table(const QStringList& rows) {
        QString text = QStringLiteral("[Offset Data]\nRows=%1\nRow1=System,Station,Frequency,Offset,Ant Bw,Ant Az,Start,Stop\n")
                           .arg(rows.size() + 1);
        for (int i = 0; i < rows.size(); ++i) text += QStringLiteral("Row%1=%2\n").arg(i + 2).arg(rows[i]);
        WriteTidewellIni(text);
    }
    void Apply(double bearing, const QString& hhmm, bool color = true, const QString& system = QStringLiteral("HAM"),
               const QString& station = QStringLiteral("K1AA")) {
        const QDateTime t = QDateTime::fromString(QStringLiteral("2026-06-06T") + hhmm + QStringLiteral(":00Z"), Qt::ISODate);
        ASSERT_TRUE(t.isValid());
        OffsetData(main, airmail, grid(), system, station, 1, grid().Rows() - 1, bearing, t, best().m_iColFrequency,
                   best().m_iColSnr, best().m_iColStnAnt, color);
    }
    QString StnAnt(int row) { return Text(row, best().m_iColStnAnt); }
    Color SnrColor(int row) { return grid().BackColor(row, best().m_iColSnr); }
};

TEST_F(OffsetDataTest, TheDescriptionsExamples) {
    const struct {
        const char* row;
        double bearing;
        const char* snr;
        const char* stnAnt;
    } cases[] = {
        {"HAM,K1AA,14108.0 7100.0,6,360,0,0,2400", 120, "18", "6.0"},
        {"HAM,K1AA,14108.0 7100.0,6,60,90,0,2400", 120, "15", "3.0"},
        {"HAM,K1AA,14108.0 7100.0,6,60,270,0,2400", 120, "1", "-10.6"},
        {"HAM,K1AA,14108.0 7100.0,6,60,10,0,2400", 350, "16", "4.0"},  // folded: loss 2
        {"HAM,K1AA,14108.0 7100.0,6,,,,", 120, "18", "6.0"},          // empty fields: no beam, all day
    };
    for (const auto& c : cases) {
        Header();
        AddRow("K1AA", "14108.0", 12);
        Table({QString::fromLatin1(c.row)});
        Apply(c.bearing, QStringLiteral("12:00"));
        EXPECT_EQ(Snr(1).toStdString(), c.snr) << c.row;
        EXPECT_EQ(StnAnt(1).toStdString(), c.stnAnt) << c.row;
        EXPECT_EQ(SnrColor(1), best().m_lColorOffset) << c.row;
        EXPECT_EQ(grid().CellAlignment(1, best().m_iColStnAnt), AlignRight);
    }
}

TEST_F(OffsetDataTest, TimeWindowAcrossMidnight) {
    const struct {
        const char* now;
        bool applies;
    } cases[] = {{"23:30", true}, {"01:15", true}, {"12:00", false}, {"02:00", true}, {"02:01", false}};
    for (const auto& c : cases) {
        Header();
        AddRow("K1AA", "14108.0", 12);
        Table({QStringLiteral("HAM,K1AA,14108.0,6,360,0,2200,0200")});
        Apply(120, QString::fromLatin1(c.now));
        EXPECT_EQ(Snr(1), c.applies ? QStringLiteral("18") : QStringLiteral("12")) << c.now;
        EXPECT_EQ(SnrColor(1) == best().m_lColorOffset, c.applies) << c.now;
        EXPECT_EQ(StnAnt(1).isEmpty(), !c.applies) << c.now;
    }
}

TEST_F(OffsetDataTest, SeveralRowsAddUpAndTheOffsetColumnShowsTheLast) {
    AddRows({{"K1AA", "14108.0", 12}, {"K1AA", "7100.0", 4}});
    Table({QStringLiteral("HAM,K1AA,14108.0 7100.0,6,360,0,0,2400"),
           QStringLiteral("HAM,W2BB,14108.0,20,360,0,0,2400"),   // another station
           QStringLiteral("ham,K1AA,14108.0,20,360,0,0,2400"),   // the system's letter case differs
           QStringLiteral("HAM,K1AA,14108.0,-2,60,90,0,2400")});  // bearing 120: loss 3
    Apply(120, QStringLiteral("12:00"));
    EXPECT_EQ(Snr(1), QStringLiteral("13"));  // 12 + 6 - 2 - 3
    EXPECT_EQ(StnAnt(1), QStringLiteral("-5.0"));
    EXPECT_EQ(Snr(2), QStringLiteral("10"));
    EXPECT_EQ(StnAnt(2), QStringLiteral("6.0"));
}

TEST_F(OffsetDataTest, NothingAppliesWithoutATableOrAWholeFrequencyText) {
    AddRows({{"K1AA", "7100.0", 12}, {"K1AA", "14108.0(p3)", 12, true, true}});
    Apply(120, QStringLiteral("12:00"));
    EXPECT_TRUE(StnAnt(1).isEmpty());
    // A frequency inside another is not listed; the Pactor 3 text is another text.
    Table({QStringLiteral("HAM,K1AA,17100.0 14108.0,6,360,0,0,2400")});
    Apply(120, QStringLiteral("12:00"));
    EXPECT_EQ(Snr(1), QStringLiteral("12"));
    EXPECT_EQ(Snr(2), QStringLiteral("12"));
    EXPECT_EQ(SnrColor(1), Grid::kDefaultBackColor);
    EXPECT_TRUE(drive.ui.messages.empty());
}

TEST_F(OffsetDataTest, WithoutColourTheSnrTurnsBold) {
    AddRow("K1AA", "14108.0", 12);
    grid().SetBold(1, best().m_iColSnr, false);
    Table({QStringLiteral("HAM,K1AA,14108.0,6,360,0,0,2400")});
    Apply(120, QStringLiteral("12:00"), false);
    EXPECT_EQ(Snr(1), QStringLiteral("18"));
    EXPECT_TRUE(grid().Bold(1, best().m_iColSnr));
    EXPECT_EQ(SnrColor(1), Grid::kDefaultBackColor);
}

TEST_F(OffsetDataTest, SailMailRowsNameTheStationByItsDisplayName) {
    drive.WriteAirMail(QStringLiteral("System.SAILMAIL.ini"),
                       QStringLiteral("[Station Info]\nWQAB123=CM87MM:Harbour Point;more\n"
                                      "[Frequency List]\nWQAB123=14108\n"));
    AddRow("Harbour Point", "14108.0", 12);
    Table({QStringLiteral("SAILMAIL,Harbour Point,14108.0,6,360,0,0,2400")});
    Apply(120, QStringLiteral("12:00"), true, QStringLiteral("SAILMAIL"), QStringLiteral("WQAB123"));
    EXPECT_EQ(Snr(1), QStringLiteral("18"));
}

// ---- Dial frequency ---------------------------------------------------------

class DialTest : public SelectionTest {
protected:
    void Hardware(const QString& lines) { WriteAirMailIni(QStringLiteral("[Hardware]\n") + lines); }
};

TEST_F(DialTest, EveryRadioModeOnPactor12AndPactor3Rows) {
    const struct {
        const char* mode;
        const char* p2;
        const char* p3;
        const char* error;
    } cases[] = {
        {"2", "14106.5 (USB)", "14106.5 (USB)", ""},
        {"3", "14109.5 (LSB)", "14106.5 (USB)", ""},
        {"4", "14106.5 (FSK)", "14106.5 (USB)", ""},
        {"5", "14108.0 (ASK)", "14106.5 (USB)", ""},
        {"7", "", "14106.5 (USB)", "Unknown Radio Mode 7"},
    };
    AddRows({{"K1AA", "14108.0", 12, true, false}, {"K1AA", "14108.0(p3)", 12, true, true}});
    for (const auto& c : cases) {
        Hardware(QStringLiteral("DecoderType=PTC\nFSKDialCenter=1\nPTC Center Tone=1500\nRadio Mode=") +
                 QString::fromLatin1(c.mode) + QLatin1Char('\n'));
        RadioTuning tuning;
        EXPECT_TRUE(RadioTuningInfo(airmail, tuning)) << c.mode;
        EXPECT_EQ(tuning.sError.toStdString(), c.error) << c.mode;
        EXPECT_EQ(FrequencyDialText(best(), airmail, grid(), 1).toStdString(), c.p2) << c.mode;
        EXPECT_EQ(FrequencyDialText(best(), airmail, grid(), 2).toStdString(), c.p3) << c.mode;
    }
    EXPECT_TRUE(drive.ui.messages.empty());
}

TEST_F(DialTest, TheCentreToneOfTheModemInUse) {
    Hardware(QStringLiteral("DecoderType=SCS\nFSKDialCenter=1\nPTC Center Tone=1500\nSCS Center Tone=2210\nRadio Mode=2\n"));
    AddRow("K1AA", "10000.0", 12);
    EXPECT_EQ(FrequencyDialText(best(), airmail, grid(), 1), QStringLiteral("9997.8 (USB)"));
}

TEST_F(DialTest, MissingSettingsGiveNoDialText) {
    const struct {
        const char* lines;
        const char* error;
    } cases[] = {
        {"FSKDialCenter=1\nPTC Center Tone=1500\nRadio Mode=2\n", "Unable to get Modem Type"},
        {"DecoderType=PTC\nPTC Center Tone=1500\nRadio Mode=2\n", "Unable to get Marine Radio option"},
        {"DecoderType=PTC\nFSKDialCenter=1\nRadio Mode=2\n", "Unable to get PTC Center Tone"},
        {"DecoderType=PTC\nFSKDialCenter=1\nPTC Center Tone=1500\n", "Unable to get Radio Mode"},
    };
    AddRow("K1AA", "14108.0(p3)", 12, true, true);
    for (const auto& c : cases) {
        Hardware(QString::fromLatin1(c.lines));
        RadioTuning tuning;
        EXPECT_FALSE(RadioTuningInfo(airmail, tuning)) << c.error;
        EXPECT_EQ(tuning.sError.toStdString(), c.error);
        EXPECT_TRUE(FrequencyDialText(best(), airmail, grid(), 1).isEmpty()) << c.error;
    }
    EXPECT_TRUE(drive.ui.messages.empty());
}

// ---- Station evaluation -----------------------------------------------------

class StationEvaluateTest : public SelectionTest {
protected:
    StationEvaluateTest() {
        drive.WriteAirMail(QStringLiteral("System.HAM.ini"),
                           QStringLiteral("[Station Info]\nK1AA=FN42LI:Somewhere\nW2BB=FN4:Short\nN3CC=FM18 Plain\n"
                                          "[Frequency List]\nK1AA=14108#,4000,8000\nW2BB=7100\nN3CC=7100\n"));
        main.m_sSystem = QStringLiteral("HAM");
        main.m_sStation = QStringLiteral("K1AA");
        fake.Set(QStringLiteral("K1AA"), QStringLiteral("14108.0"), 11.6f);
        fake.Set(QStringLiteral("K1AA"), QStringLiteral("4000.0"), -3.2f);
        fake.predictions[QStringLiteral("K1AA")][QStringLiteral("8000.0")] = {21.0f, -98.4f, -160.6f, 7.25f, -2.0f,
                                                                             QStringLiteral("x2F2")};
    }
    void Rows() {
        for (const char* f : {"14108.0(p3)", "4000.0", "8000.0"}) {
            const int row = grid().Rows();
            grid().SetRows(row + 1);
            best().GridSetChecked(grid(), row, best().m_iColFrequency, true);
            best().GridSetCell(grid(), row, best().m_iColFrequency, QString::fromLatin1(f), AlignLeft, false);
        }
    }
    QDateTime At(const char* iso) { return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate); }
    // Every cell of the row but the frequency and its marker.
    bool OnlyFrequency(int row) {
        for (int c = 0; c < grid().Cols(); ++c)
            if (c != best().m_iColFrequency && !grid().Text(row, c).isEmpty()) return false;
        return !Frequency(row).isEmpty();
    }
};

TEST_F(StationEvaluateTest, WritesEveryCellWithAdditionalData) {
    main.settings.m_bPropagationAdditionalData = true;
    main.settings.m_fPropagationTimeShift = 1.5f;
    main.settings.m_iPropagationModel = 2;
    Header();
    Rows();
    ASSERT_TRUE(list.evaluation().StationEvaluate(grid(), 1, 3, At("2026-06-06T12:10:00Z"), true));

    ASSERT_EQ(fake.calls.size(), 1u);
    const auto& call = fake.calls[0];
    EXPECT_EQ(call.model, 2);
    EXPECT_EQ(call.time, At("2026-06-06T13:40:00Z"));  // shifted by an hour and a half
    EXPECT_EQ(call.frequencies, (std::vector<float>{14108.0f, 4000.0f, 8000.0f}));
    EXPECT_FLOAT_EQ(call.sunspotNumber, 88.0f);
    EXPECT_NEAR(call.positions.OwnLatitude, 38.6, 1e-9);
    EXPECT_NEAR(call.positions.OwnLongitude, -10.0 - 20.0 / 60.0, 1e-9);
    EXPECT_NEAR(call.positions.StationLatitude, 42.0 + 8 * 59.0 / 23.0 / 60.0, 1e-9);

    const int st = best().m_iColStation, snr = best().m_iColSnr, lm = best().m_iColLufMuf;
    const struct {
        int row, col;
        const char* text;
        qint16 alignment;
        bool bold;
    } cells[] = {
        {1, st, "K1AA", AlignLeft, false},
        {1, st + 1, "1234", AlignRight, false},
        {1, st + 2, "302", AlignRight, false},
        {1, lm, "> 12000.0", AlignRight, false},
        {2, lm, "<    5000.0", AlignRight, false},
        {3, lm, "12000.0", AlignRight, false},
        {1, lm + 1, "  1F2  ", AlignRight, false},
        {3, lm + 1, "  2F2  ", AlignRight, false},
        {3, lm + 2, "7.3", AlignRight, false},
        {3, snr - 2, "-98", AlignRight, false},
        {3, snr - 1, "-161", AlignRight, false},
        {1, snr, "12", AlignRight, true},
        {2, snr, "-3", AlignRight, true},
        {3, snr, "21", AlignRight, true},
        {3, snr + 1, "-2", AlignRight, false},
        {3, snr + 2, "120", AlignRight, false},
        {3, best().m_iColStnAnt, "0.0", AlignRight, false},
    };
    for (const auto& c : cells) {
        EXPECT_EQ(grid().Text(c.row, c.col).toStdString(), c.text) << c.row << "," << c.col;
        EXPECT_EQ(grid().CellAlignment(c.row, c.col), c.alignment) << c.row << "," << c.col;
        EXPECT_EQ(grid().Bold(c.row, c.col), c.bold) << c.row << "," << c.col;
    }
}

TEST_F(StationEvaluateTest, WithoutAdditionalDataOnlyStationRangeAndSnr) {
    main.m_sStationName = QStringLiteral("Shown Name");
    Rows();
    ASSERT_TRUE(list.evaluation().StationEvaluate(grid(), 1, 3, At("2026-06-06T12:10:00Z"), false));
    for (int c = 0; c < grid().Cols(); ++c) {
        const bool written = c == best().m_iColStation || c == best().m_iColStation + 1 || c == best().m_iColSnr ||
                             c == best().m_iColFrequency;
        EXPECT_EQ(!grid().Text(2, c).isEmpty(), written) << c;
    }
    EXPECT_EQ(StationOf(1), QStringLiteral("Shown Name"));
}

TEST_F(StationEvaluateTest, OffsetsApplyWhenSwitchedOn) {
    WriteTidewellIni(QStringLiteral("[Offset Data]\nRows=2\nRow1=h\nRow2=HAM,K1AA,8000.0,6,60,90,0,2400\n"));
    main.settings.m_bStationOffset = true;
    Rows();
    ASSERT_TRUE(list.evaluation().StationEvaluate(grid(), 1, 3, At("2026-06-06T12:10:00Z"), false));
    EXPECT_EQ(Snr(3), QStringLiteral("24"));  // 21 + 6 - 3 at the station-to-vessel azimuth 120
    EXPECT_EQ(grid().BackColor(3, best().m_iColSnr), best().m_lColorOffset);
    EXPECT_EQ(Snr(1), QStringLiteral("12"));
    main.settings.m_bStationOffset = false;
    Header();
    Rows();
    ASSERT_TRUE(list.evaluation().StationEvaluate(grid(), 1, 3, At("2026-06-06T12:10:00Z"), false));
    EXPECT_EQ(Snr(3), QStringLiteral("21"));
}

TEST_F(StationEvaluateTest, FailuresWriteNothing) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
        const char* message;  // the start of the message shown, or "" for none of its own
    };
    const Case cases[] = {
        {"no vessel position",
         [this] {
             drive.WriteAirMail(QStringLiteral("Airmail.ini"), QStringLiteral("[Hardware]\nx=1\n"));
         },
         ""},
        {"no station entry", [this] { main.m_sStation = QStringLiteral("Q9ZZ"); },
         "Unable to find AirMail's Station Info, Q9ZZ in \"System.HAM.ini\"."},
        {"unreadable locator", [this] { main.m_sStation = QStringLiteral("W2BB"); }, "Unable to Convert Grid FN4"},
        {"entry without a colon", [this] { main.m_sStation = QStringLiteral("N3CC"); },
         "Unable to process AirMail's \"HAM\" Station Info."},
        {"prediction fails", [this] { fake.fail = true; }, ""},
    };
    for (const Case& c : cases) {
        Header();
        WriteAirMailIni(QString());
        main.m_sStation = QStringLiteral("K1AA");
        fake.fail = false;
        drive.ui.ClearRecords();
        c.arrange();
        Rows();
        EXPECT_FALSE(list.evaluation().StationEvaluate(grid(), 1, 3, At("2026-06-06T12:10:00Z"), true)) << c.what;
        for (int r = 1; r <= 3; ++r) EXPECT_TRUE(OnlyFrequency(r)) << c.what << " row " << r;
        if (*c.message) {
            ASSERT_FALSE(drive.ui.messages.empty()) << c.what;
            EXPECT_TRUE(drive.ui.messages.back().text.startsWith(QString::fromLatin1(c.message)))
                << c.what << ": " << drive.ui.messages.back().text.toStdString();
        }
    }
}

}  // namespace
}  // namespace tw
