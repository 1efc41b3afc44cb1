// The evaluation of one station: the cells written from a prediction, the
// failures that stop it, the antenna offset table, and the dial frequency
// from AirMail's radio settings.

#include <gtest/gtest.h>

#include "BestListFixture.h"
#include "selection/Evaluate.h"

namespace tw {
namespace {

using test::SelectionTest;
using test::Strings;

// ---- Texts ------------------------------------------------------------------

TEST(EvaluateText, NumbersRoundHalvesAwayFromZeroAndLufMufTextPlacesTheFrequency) {
    const std::tuple<double, int, const char*> cases[] = {
        {12.0, 0, "12"},    {12.5, 0, "13"},   {-12.5, 0, "-13"},     {1.4, 0, "1"},
        {-0.4, 0, "0"},     {-0.04, 1, "0.0"}, {9.96, 1, "10.0"},     {-10.6, 1, "-10.6"},
        {12.45, 1, "12.5"}, {0.05, 1, "0.1"},  {5000.0, 1, "5000.0"}, {99.5, 0, "100"},
    };
    for (const auto& [value, decimals, text] : cases)
        EXPECT_EQ(NumberFormat(value, decimals).toStdString(), text) << value;
    // A single keeps its decimal reading: 12.45f is just below 12.45 in binary.
    EXPECT_EQ(NumberFormat(12.45f, 1), QStringLiteral("12.5"));
    EXPECT_EQ(NumberFormat(-16.6f + 6.0f, 1), QStringLiteral("-10.6"));

    // The LUF-MUF text: below the LUF "< ", three blanks for each character the
    // LUF's text is short of 7, and the LUF; up to the MUF the MUF (the station
    // evaluation writes those of a 6 digit LUF and above the MUF).
    EXPECT_EQ(LufMufText(400.0, 900.0, 12000.0), QStringLiteral("<       900.0"));
    EXPECT_EQ(LufMufText(5000.0, 5000.0, 12000.0), QStringLiteral("12000.0"));
    EXPECT_EQ(LufMufText(12000.0, 5000.0, 12000.0), QStringLiteral("12000.0"));
}

// ---- Offset rules -----------------------------------------------------------

// 0 on the axis, 3 dB at the half-power edge, 20 straight behind; the angle
// folded (350 to 10 is 20 degrees); no beam when omnidirectional (360) or
// without a beamwidth.
TEST(OffsetRules, BeamLossFromAxisToBehind) {
    // Bearing, main beam azimuth, beamwidth, loss.
    const std::tuple<double, double, double, double> cases[] = {
        {90, 90, 60, 0.0},    {120, 90, 60, 3.0}, {105, 90, 60, 1.5}, {270, 90, 60, 20.0},
        {120, 270, 60, 16.6},  // d = 150: 17 * 120 / 150 + 3
        {350, 10, 60, 2.0},   {120, 0, 360, 0.0}, {120, 90, 0, 0.0},  {120, 90, -5, 0.0},
    };
    for (const auto& [bearing, azimuth, beamwidth, loss] : cases)
        EXPECT_NEAR(OffsetBeamLoss(bearing, azimuth, beamwidth), loss, 1e-9)
            << bearing << " " << azimuth << " " << beamwidth;
}

TEST(OffsetRules, TimeWindows) {
    // Start, stop, now, whether it applies.
    const std::tuple<int, int, int, bool> cases[] = {
        {2200, 200, 2330, true}, {2200, 200, 115, true},  {2200, 200, 1200, false},
        {2200, 200, 2200, true}, {2200, 200, 200, true},  {2200, 200, 201, false},
        {0, 0, 0, false},        {0, 0, 1200, false},     {0, 2400, 0, true},
        {0, 2400, 2359, true},   {800, 1700, 759, false}, {800, 1700, 1700, true},
    };
    for (const auto& [start, stop, now, applies] : cases)
        EXPECT_EQ(OffsetTimeApplies(start, stop, now), applies)
            << start << "-" << stop << " at " << now;
}

TEST(OffsetRules, FrequencyTextsCompareWhole) {
    // The stored texts, the text looked for, whether it is listed.
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"17100.0", "7100.0", false}, {"14108.0(p3)  3590.0", "14108.0(p3)", true},
        {"14108.0, 3590.0", "3590.0", true}, {"", "3590.0", false}, {"3590.0", "", false}};
    for (const auto& [stored, text, listed] : cases)
        EXPECT_EQ(OffsetFrequencyListed(QLatin1String(stored), QLatin1String(text)), listed)
            << stored << " / " << text;
}

// ---- Dial frequency ---------------------------------------------------------

// The [Hardware] lines of Airmail.ini: modem, marine radio option, centre
// tones and radio mode; the dial texts of a Pactor 1/2 and a Pactor 3 row.
TEST_F(SelectionTest, DialFrequencyFromTheRadioSettings) {
    const QString modemA = QStringLiteral("DecoderType=MODEMA\nFSKDialCenter=1\nMODEMA Center Tone=1500\n");
    const QString modemB = QStringLiteral("DecoderType=MODEMB\nFSKDialCenter=1\nMODEMA Center Tone=1500\n");
    // The lines, the dial texts and the error; the settings are had when the
    // Pactor 3 row has its dial text.  Modes 2 and 3 of the first modem are
    // walked by the station's frequency rows and the connection's question.
    const std::tuple<QString, const char*, const char*, const char*> cases[] = {
        {modemA + "Radio Mode=4", "14106.5 (FSK)", "14106.5 (USB)", ""},
        {modemA + "Radio Mode=5", "14108.0 (ASK)", "14106.5 (USB)", ""},
        {modemA + "Radio Mode=7", "", "14106.5 (USB)", "Unknown Radio Mode 7"},
        {modemB + "MODEMB Center Tone=2210\nRadio Mode=2", "14105.8 (USB)", "14106.5 (USB)", ""},
        {"FSKDialCenter=1\nMODEMA Center Tone=1500\nRadio Mode=2", "", "", "Unable to get Modem Type"},
        {"DecoderType=MODEMA\nMODEMA Center Tone=1500\nRadio Mode=2", "", "",
         "Unable to get Marine Radio option"},
        {modemB + "Radio Mode=2", "", "", "Unable to get MODEMB Center Tone"},
        {modemA, "", "", "Unable to get Radio Mode"},
    };
    AddRows({{"K1AA", "14108.0", 12, true, false}, {"K1AA", "14108.0(p3)", 12, true, true}});
    for (const auto& [lines, p2, p3, error] : cases) {
        SCOPED_TRACE(lines.toStdString());
        WriteAirMailIni(QStringLiteral("[Hardware]\n") + lines + QLatin1Char('\n'));
        RadioTuning tuning;
        EXPECT_EQ(RadioTuningInfo(airmail, tuning), *p3 != '\0');
        EXPECT_EQ(tuning.sError.toStdString(), error);
        EXPECT_EQ(FrequencyDialText(best(), airmail, grid(), 1).toStdString(), p2);
        EXPECT_EQ(FrequencyDialText(best(), airmail, grid(), 2).toStdString(), p3);
    }
    EXPECT_TRUE(drive.ui.messages.empty());
}

// ---- Station evaluation -----------------------------------------------------

// Station K1AA of HAM with three frequencies, and an offset table that applies
// when the offsets are switched on.
class StationEvaluateTest : public SelectionTest {
protected:
    StationEvaluateTest() {
        drive.WriteAirMail(QStringLiteral("System.HAM.ini"),
                           QStringLiteral("[Station Info]\nK1AA=FN42LI:a\nN3CC=FM18 Plain\n"));
        // Rows 3 to 7: another station, the system in another letter case, a
        // loss of 3 toward 120 and open over midnight, closed at night, and
        // neither 4000.0 nor 14108.0(p3); row 8 for a SailMail station.
        drive.WriteText(QStringLiteral("C:\\Tidewell\\Tidewell.Ini"),
                        QStringLiteral("[Offset Data]\nRows=8\nRow1=h\n"
                                       "Row2=HAM,K1AA,8000.0 4000.0,6,360,0,0,2400\n"
                                       "Row3=HAM,W2BB,8000.0,20,360,0,0,2400\n"
                                       "Row4=ham,K1AA,8000.0,20,360,0,0,2400\n"
                                       "Row5=HAM,K1AA,8000.0,-2,60,90,2200,0200\n"
                                       "Row6=HAM,K1AA,4000.0,9,360,0,0800,1700\n"
                                       "Row7=HAM,K1AA,14000.0 14108.0,9,360,0,0,2400\n"
                                       "Row8=SAILMAIL,Harbour Point,14108.0,6,360,0,0,2400\n"));
        main.m_sSystem = QStringLiteral("HAM");
        main.m_sStation = QStringLiteral("K1AA");
        fake.Set("K1AA", "14108.0", 11.6f);
        fake.Set("K1AA", "4000.0", -3.2f);
        fake.predictions["K1AA"]["8000.0"] = {.Layer = "2F2", .TakeoffAngle = 7.25f,
                                              .Signal = -98.4f, .Noise = -160.6f, .Snr = 21.0f,
                                              .SnrSlope = -2.0f, .Rel = 2.9f, .SnrMedian = 21.0f,
                                              .SnrLower = 12.8f, .SnrUpper = 12.8f};
    }
    // The three frequency rows, checked, after the header; then their evaluation.
    StationOutcome Evaluate(bool additionalData, const char* time = "2026-06-06T12:10:00Z") {
        for (const char* f : {"14108.0(p3)", "4000.0", "8000.0"}) {
            const int row = grid().Rows();
            grid().SetRows(row + 1);
            best().GridSetChecked(grid(), row, best().m_iColFrequency, true);
            best().GridSetCell(grid(), row, best().m_iColFrequency, QString::fromLatin1(f),
                               AlignLeft, false);
        }
        return list.evaluation().StationEvaluate(grid(), 1, 3, At(time), additionalData);
    }
    QDateTime At(const char* t) { return QDateTime::fromString(QLatin1String(t), Qt::ISODate); }
};

// A SailMail table row names its station by the display name (the offsets
// without colour, in bold, are walked by the 24-hour view).
TEST_F(StationEvaluateTest, OffsetsForSailMailByTheStationsName) {
    drive.WriteAirMail(QStringLiteral("System.SAILMAIL.ini"),
                       QStringLiteral("[Station Info]\nWQAB123=CM87MM:Harbour Point;more\n"));
    AddRow("Harbour Point", "14108.0", 12);
    OffsetData(main, airmail, grid(), QStringLiteral("SAILMAIL"), QStringLiteral("WQAB123"), 1, 1,
               120, QDateTime::fromSecsSinceEpoch(test::kNoonUtc, Qt::UTC), best().m_iColFrequency,
               best().m_iColSnr, best().m_iColStnAnt, false);
    EXPECT_EQ(Snr(1), QStringLiteral("18"));
}

TEST_F(StationEvaluateTest, WritesEveryCellWithAdditionalData) {
    main.settings.m_fPropagationTimeShift = 1.5f;
    ASSERT_EQ(Evaluate(true), StationOutcome::Evaluated);

    ASSERT_EQ(fake.calls.size(), 1u);
    const auto& call = fake.calls[0];
    EXPECT_EQ(call.time, At("2026-06-06T13:40:00Z"));  // shifted by an hour and a half
    EXPECT_FLOAT_EQ(call.sunspotNumber, 88.0f);
    EXPECT_NEAR(call.positions.OwnLatitude, 38.6, 1e-9);
    EXPECT_NEAR(call.positions.OwnLongitude, -10.0 - 20.0 / 60.0, 1e-9);

    // Right aligned but the station; only the SNR bold; the offsets off.
    const int st = best().m_iColStation, snr = best().m_iColSnr, lm = best().m_iColLufMuf;
    const std::tuple<int, int, const char*> cells[] = {
        {1, st, "K1AA"},      {1, st + 1, "1234"},    {1, st + 2, "302"},
        {1, lm, "> 12000.0"}, {2, lm, "<    5000.0"}, {3, lm + 1, "  2F2  "},
        {3, lm + 2, "7.3"},   {3, snr - 2, "-98"},    {3, snr - 1, "-161"},
        {1, snr, "12"},       {2, snr, "-3"},         {3, snr, "21"},
        {3, snr + 1, "-2"},   {3, snr + 2, "120"},    {3, best().m_iColStnAnt, "0.0"},
    };
    for (const auto& [row, col, text] : cells) {
        SCOPED_TRACE(testing::Message() << row << "," << col);
        EXPECT_EQ(grid().Text(row, col).toStdString(), text);
        EXPECT_EQ(grid().CellAlignment(row, col), col == st ? AlignLeft : AlignRight);
        EXPECT_EQ(grid().Bold(row, col), col == snr);
    }
    // The reliability: none where the model gives none; 6 dB of offset on
    // 8000.0 (21 dB, 10 dB a decile spread) move it as the SNR moves.
    EXPECT_EQ(Column(best().m_iColRel), (Strings{"", "", "3"}));
    main.settings.m_bStationOffset = true;
    ASSERT_EQ(Evaluate(true), StationOutcome::Evaluated);
    EXPECT_EQ(Text(3, best().m_iColRel), QStringLiteral("10"));
}

// Without additional data the station (by its name when it has one), the
// range and the SNR are written.  The matching table rows add up in the SNR;
// the offset column shows the last.  The time windows hold the prediction's
// time, here 23:30.
TEST_F(StationEvaluateTest, WithoutAdditionalDataStationRangeSnrAndOffsets) {
    main.m_sStationName = QStringLiteral("Shown Name");
    main.settings.m_bStationOffset = true;
    main.settings.m_fPropagationTimeShift = -4.0f;
    ASSERT_EQ(Evaluate(false, "2026-06-07T03:30:00Z"), StationOutcome::Evaluated);
    const int st = best().m_iColStation, snr = best().m_iColSnr, ant = best().m_iColStnAnt;
    for (int c = 0; c < grid().Cols(); ++c) {
        const bool written = c == st || c == st + 1 || c == snr || c == best().m_iColFrequency;
        EXPECT_EQ(!grid().Text(1, c).isEmpty(), written) << c;
    }
    EXPECT_EQ(Text(1, st), QStringLiteral("Shown Name"));

    EXPECT_EQ(Column(snr), (Strings{"12", "3", "22"}));  // 22: 21 + 6 - 2 - 3
    EXPECT_EQ(Column(ant), (Strings{"", "6.0", "-5.0"}));
    EXPECT_EQ(grid().BackColor(3, snr), best().m_lColorOffset);
    EXPECT_EQ(grid().CellAlignment(2, ant), AlignRight);
}

TEST_F(StationEvaluateTest, FailuresWriteNothing) {
    // The station, whether the vessel's position and the prediction can be
    // had, the outcome (a station's own fault skips only that station), and
    // the start of the message shown ("" for none of its own).  Airmail.ini
    // stays without the position from the last case on.
    using enum StationOutcome;
    const std::tuple<const char*, bool, bool, StationOutcome, const char*> cases[] = {
        {"Q9ZZ", true, true, Skipped,
         "Unable to find AirMail's Station Info, Q9ZZ in \"System.HAM.ini\"."},
        {"N3CC", true, true, Skipped, "Unable to process AirMail's \"HAM\" Station Info."},
        {"K1AA", true, false, Failed, ""},
        {"K1AA", false, true, Failed, ""},
    };
    for (const auto& [station, position, prediction, outcome, message] : cases) {
        SCOPED_TRACE(testing::Message() << station << position << prediction);
        Header();
        drive.ui.ClearRecords();
        main.m_sStation = QString::fromLatin1(station);
        fake.fail = !prediction;
        if (!position)
            drive.WriteAirMail(QStringLiteral("Airmail.ini"), QStringLiteral("[Hardware]\n"));
        EXPECT_EQ(Evaluate(true), outcome);
        // Every row keeps its frequency and nothing else.
        for (int r = 1; r <= 3; ++r) {
            EXPECT_FALSE(Frequency(r).isEmpty()) << r;
            for (int col = 0; col < grid().Cols(); ++col)
                EXPECT_TRUE(col == best().m_iColFrequency || grid().Text(r, col).isEmpty()) << r;
        }
        const std::string last = drive.ui.LastMessage().toStdString();
        EXPECT_TRUE(last.starts_with(message)) << last;
    }
}

}  // namespace
}  // namespace tw
