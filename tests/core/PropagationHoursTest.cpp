// The 24-hour view of one station: its frequencies in ascending order, the
// predicted SNR by hour with its colour, antenna offsets in bold with their
// tooltip, the user's own calls by hour, the current hour's header, the
// chosen hour and the failures.  The
// best connect time view over all stations of a system: the Pactor filter,
// folding, the current hour's column, the tooltips and the runs that cannot
// be made.

#include <gtest/gtest.h>

#include "BestListFixture.h"
#include "views/PropagationBest.h"
#include "views/PropagationHours.h"

namespace tw {
namespace {

using test::Strings;

// Each frequency's prediction: its base SNR plus the hour, with a reliability
// and spreads that an offset moves.
void Predict(PropagationHours& results, const std::vector<float>& frequencies,
             const QMap<int, float>& base) {
    PropagationResult r;
    r.Rel = 1.0f;
    r.SnrLower = r.SnrUpper = 10.0f;
    results.assign(24, std::vector<PropagationResult>(frequencies.size(), r));
    for (int h = 0; h < 24; ++h)
        for (std::size_t i = 0; i < frequencies.size(); ++i)
            results[h][i].Snr = base.value(static_cast<int>(frequencies[i])) + h;
}

// The tooltip over a cell of a view's grid.
template <class View>
std::string Tip(View& view, int row, int col) {
    view.grdData_MouseMove(0, 0, view.grdData.ColPos(col) + 10, view.grdData.RowPos(row) + 10);
    return view.grdData.ToolTipText().toStdString();
}

// Station K1AA of HAM, its frequencies listed out of order; each frequency's
// prediction is its base SNR plus the hour.  An offset of 6 dB on 7100.0 from
// 00:00 to 06:00, one of 40 dB on 14108.0(p3) from 10:00 to 12:00.
class PropagationHoursTest : public test::SelectionTest {
protected:
    PropagationHoursTest()
        : view(main, metrics, airmail, position,
               [this](int, int month, int firstHour, int hourCount, const PropagationPositions&,
                      const std::vector<float>& frequencies, float, PropagationHours& results,
                      PropagationPath&) {
                   asked.push_back(month * 10000 + firstHour * 100 + hourCount);
                   askedFrequencies = frequencies;
                   // A second request while the programs run is ignored.
                   EXPECT_FALSE(view.Update(QStringLiteral("HAM"), QStringLiteral("W2BB"), {}));
                   main.Update(false);
                   Predict(results, frequencies, base);
                   return !fail;
               }) {
        drive.WriteAirMail(QStringLiteral("System.HAM.ini"),
                           QStringLiteral("[Station Info]\nK1AA=FN42LI:a\nW2BB=FN42LI:b\n"
                                          "[Frequency List]\nK1AA=14108#,3590;7100\n"));
        drive.WriteText(QStringLiteral("C:\\Tidewell\\Tidewell.Ini"),
                        QStringLiteral("[Offset Data]\nRows=3\nRow1=h\n"
                                       "Row2=HAM,K1AA,7100.0,6,360,0,0,0600\n"
                                       "Row3=HAM,K1AA,14108.0(p3),40,360,0,1000,1200\n"));
        main.settings.m_bStationOffset = true;
        main.propagationHours = &view;
        main.steps.HideViews = [this] { ++mainUpdates; };
        view.onShowDetails = [this](const QString& system, const QString& station,
                                    const QDateTime& t) {
            details.push_back(
                (system + ' ' + station + ' ' + t.toString(Qt::ISODate)).toStdString());
        };
    }

    bool Update(const QString& station = QStringLiteral("K1AA")) {
        return view.Update(
            QStringLiteral("HAM"), station,
            QDateTime::fromString(QLatin1String("2026-06-06T12:10:00Z"), Qt::ISODate));
    }
    void DblClick(int row, int col) {
        view.grdData_DblClick(view.grdData.ColPos(col) + 10, view.grdData.RowPos(row) + 10);
    }

    QMap<int, float> base{{3590, 41.0f}, {7100, -150.0f}, {14108, 0.4f}};
    bool fail = false;
    int mainUpdates = 0;
    std::vector<int> asked;  // month, first hour, hour count as mmhhcc
    std::vector<float> askedFrequencies;
    Strings details;
    frmPropagationHours view;
};

TEST_F(PropagationHoursTest, FrequenciesAscendingWithEachHoursSnrColourAndOffset) {
    ASSERT_TRUE(Update());
    EXPECT_TRUE(view.caption.endsWith(QLatin1String("(bigger is better) - K1AA")));
    EXPECT_EQ(Column(view.grdData, 0), (Strings{"3590.0", "7100.0", "14108.0(p3)"}));
    EXPECT_EQ(askedFrequencies, (std::vector<float>{3590.0f, 7100.0f, 14108.0f}));
    EXPECT_EQ(asked, (std::vector<int>{60024}));
    EXPECT_EQ(mainUpdates, 0);
    EXPECT_EQ(view.grdData.Text(0, 24), QStringLiteral("23"));
    // Row, hour, text, colour, tooltip ("" for Signal to Noise Ratio): 41 + h
    // through the blues; below -99 shown as -99, the offsets bold, each cell
    // in the colour of the prediction without its offset, as the key says.
    const std::tuple<int, int, const char*, Color, const char*> cells[] = {
        {1, 0, "41", Rgb(0, 0, 128), ""},       {1, 3, "44", Rgb(0, 0, 128), ""},
        {1, 4, "45", Rgb(0, 0, 192), ""},       {1, 9, "50", Rgb(0, 0, 255), ""},
        {1, 23, "64", Rgb(192, 0, 192), ""},    {3, 5, "5", Rgb(128, 128, 128), ""},
        {2, 0, "-93", Rgb(128, 128, 128), "6"}, {2, 6, "-93", Rgb(128, 128, 128), "6"},
        {2, 7, "-99", Rgb(128, 128, 128), ""},  {3, 11, "51", Rgb(128, 128, 128), "40"},
    };
    for (const auto& [row, hour, text, color, offset] : cells) {
        SCOPED_TRACE(testing::Message() << row << " " << hour);
        EXPECT_EQ(view.grdData.Text(row, hour + 1).toStdString(), text);
        EXPECT_EQ(view.grdData.BackColor(row, hour + 1), color);
        EXPECT_EQ(view.grdData.Bold(row, hour + 1), *offset != '\0');
        EXPECT_EQ(Tip(view, row, hour + 1),
                  *offset ? "Station Offset of " + std::string(offset) + ".0 dB" + kOffsetTipNote
                          : "Signal to Noise Ratio (dB)");
    }
    EXPECT_EQ(view.KeyNote(), kOffsetKeyNote);
    // The reliability too: with 40 dB of offset it reads 53 %, coloured as
    // the prediction without it (below 10 %).
    view.mnuDataValues_Click(HourValues::Reliability);
    EXPECT_EQ(view.grdData.Text(3, 12), "53");
    EXPECT_EQ(view.grdData.BackColor(3, 12), RelColor(0));
    EXPECT_EQ(SnrColor(70), Rgb(255, 128, 255));
    EXPECT_EQ(Tip(view, 0, 12), "Zulu Time (hh)");
    EXPECT_EQ(Tip(view, 0, 13), "Zulu Time (hh), Current Hour");
    EXPECT_EQ(Tip(view, 2, 0), "Frequency (kHz)");
}

// Log: the user's calls of each hour from AirMail's log, connected/calls,
// coloured by the share that connected; no prediction is run for it.
TEST_F(PropagationHoursTest, LogShowsTheCallsOfEachHour) {
    drive.WriteAirMail(QStringLiteral("Logfiles\\Debug.log"),
                       QStringLiteral("2026/06/01 12:05:00 Calling K1AA on 14108.0 kHz\n"
                                      "12:06:00 Connected to K1AA\n"
                                      "13:00:00 Calling K1AA on 14108.0 kHz\n13:01:00 No answer from K1AA\n"
                                      "2026/06/05 13:30:00 Calling K1AA on 14108.0 kHz\n"
                                      "13:31:00 Connected to K1AA\n"
                                      "23:00:00 Calling K1AA on 3590 kHz\n23:01:00 No answer from K1AA\n"));
    view.SetValues(HourValues::Log);
    ASSERT_TRUE(Update());
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(view.caption.toStdString(),
              "Tidewell - Your Calls by Hour and Frequency (connected/calls) - K1AA");
    EXPECT_EQ(Column(view.grdData, 13), (Strings{"", "", "1/1"}));
    EXPECT_EQ(Column(view.grdData, 14), (Strings{"", "", "1/2"}));
    EXPECT_EQ(Column(view.grdData, 24), (Strings{"0/1", "", ""}));
    const Grid& g = view.grdData;
    EXPECT_EQ(std::vector({g.BackColor(3, 13), g.BackColor(3, 14), g.BackColor(1, 24), g.BackColor(2, 14)}),
              std::vector({LogColor(1, 1), LogColor(1, 2), LogColorKey().front().color,
                           Grid::kDefaultBackColor}));
    EXPECT_EQ(Tip(view, 3, 14), "Calls on this frequency at 13 UTC in the last 60 days: 1 connected, 1 "
                          "unanswered; last connection 2026/06/05 13:30 UTC");
    EXPECT_EQ(Tip(view, 2, 14), "No calls on this frequency at 13 UTC in the last 60 days");
}

// The current hour's header follows the clock over midnight; a double click
// or the pop-up chooses an hour and opens the details for that hour.
TEST_F(PropagationHoursTest, CurrentHourAndChosenColumn) {
    clock.Set(test::kNoonUtc + 11 * 3600 + 3599);  // 23:59:59
    ASSERT_TRUE(Update());
    EXPECT_EQ(view.HourCol(), 24);
    clock.Advance(1);
    view.tmrHour_Timer();
    EXPECT_EQ(view.HourCol(), 1);
    // The current hour: its header in the selection colour, its column
    // framed; the chosen hour's column has a dashed frame.
    const auto marks = [&](int col) {
        return std::pair(view.grdData.BackColor(0, col), view.grdData.ColFrames(col));
    };
    EXPECT_EQ(marks(1), std::pair(kHourHeaderBackColor, int{FrameSolid}));
    EXPECT_EQ(marks(24), std::pair(Grid::kFixedBackColor, int{FrameNone}));

    DblClick(2, 1);
    EXPECT_EQ(marks(1), std::pair(kHourHeaderBackColor, FrameSolid | FrameDashed));
    int popups = 0;
    view.onDataMenuPopup = [&](int, int) { ++popups; };
    view.grdData_MouseUp(MouseRight, 0, view.grdData.ColPos(24) + 10, view.grdData.RowPos(1) + 10);
    view.mnuDataDetails_Click();
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(view.ChosenCol(), 24);
    EXPECT_EQ(marks(1), std::pair(kHourHeaderBackColor, int{FrameSolid}));
    EXPECT_EQ(marks(24), std::pair(Grid::kFixedBackColor, int{FrameDashed}));
    DblClick(0, 5);  // the header chooses nothing
    EXPECT_EQ(details, (Strings{"HAM K1AA 2026-06-06T00:00:00Z", "HAM K1AA 2026-06-06T23:00:00Z"}));

    // A failed prediction keeps the frequencies alone; a station without a list has none.
    fail = true;
    EXPECT_FALSE(Update());
    EXPECT_EQ(Column(view.grdData, 1), (Strings{"", "", ""}));
    EXPECT_FALSE(view.tmrHour.enabled);
    EXPECT_FALSE(Update(QStringLiteral("W2BB")));
    EXPECT_EQ(view.grdData.Rows(), 1);
}

// The colour key names the whole numbers each colour of the table stands for.
TEST(SnrColorKeyTest, EachEntryCoversItsNumbersOfTheTable) {
    const std::tuple<const char*, int, int> expected[] = {
        {"<40", -99, 39},  {"40-44", 40, 44}, {"45-49", 45, 49}, {"50-54", 50, 54},
        {"55-59", 55, 59}, {"60-64", 60, 64}, {"65-69", 65, 69}, {"70+", 70, 99}};
    const std::vector<SnrKeyEntry> key = SnrColorKey();
    ASSERT_EQ(key.size(), std::size(expected));
    for (std::size_t i = 0; i < key.size(); ++i) {
        const auto& [label, low, high] = expected[i];
        EXPECT_EQ(key[i].label.toStdString(), label);
        for (int snr = low; snr <= high; ++snr) EXPECT_EQ(SnrColor(snr), key[i].color) << snr;
    }
}

// HAM with three stations; each frequency's prediction is its base SNR plus
// the hour, the path 1234.6 nmi long.
class PropagationBestTest : public test::SelectionTest {
protected:
    PropagationBestTest()
        : view(main, metrics, airmail, position,
               [this](int, int, int, int, const PropagationPositions&,
                      const std::vector<float>& frequencies, float, PropagationHours& results,
                      PropagationPath& path) {
                   EXPECT_FALSE(view.Update(QStringLiteral("HAM"), true));
                   main.Update(false);
                   progress.push_back(main.ProgressText().toStdString());
                   for (float f : frequencies) asked.push_back(static_cast<int>(f));
                   Predict(results, frequencies, base);
                   path.Range = 1234.6f;
                   return true;
               }) {
        drive.WriteAirMail(QStringLiteral("System.HAM.ini"),
                           QStringLiteral("[Station Info]\nK1AA=FN42LI:a\nW2BB=FN42LI:b\n"
                                          "N3CC=FN42LI:c\n[Frequency List]\nK1AA=14108#,3590;7100\n"
                                          "W2BB=7102#,10120#\nN3CC=3595\n"));
        main.propagationBest = &view;
        main.steps.HideViews = [this] { ++mainUpdates; };
    }
    std::string Row(int row, int firstCol = 0, int lastCol = 4) {
        std::string out;
        for (int c = firstCol; c <= lastCol; ++c)
            out += view.grdData.Text(row, c).toStdString() + (c < lastCol ? " " : "");
        return out;
    }

    QMap<int, float> base{{14108, -150.0f}, {3590, 41.0f}, {7100, -5.0f},
                          {7102, 60.0f},    {10120, 30.0f}, {3595, -120.4f}};
    std::vector<int> asked;
    Strings progress;
    int mainUpdates = 0;
    frmPropagationBest view;
};

// By Pactor mode: the frequencies predicted and the rows, long and short; a
// station left without frequencies adds no row and runs nothing, and every
// hour's best is at least 0.
TEST_F(PropagationBestTest, PactorModeFoldingAndForms) {
    struct Case {
        int mode;
        bool bLong;
        std::vector<int> asked;
        Strings rows;  // label, range and hours 0 to 2
    };
    const Case cases[] = {
        {0, true, {14108, 7102, 10120}, {"K1AA 1235 0 0 0", "W2BB 1235 60 61 62"}},
        {1, true, {3590, 7100, 3595}, {"K1AA 1235 41 42 43", "N3CC 1235 0 0 0"}},
        {2, false, {14108, 3590, 7100, 7102, 10120, 3595}, {"Snr 1235 60 61 62"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        asked.clear();
        main.settings.m_iStationPactorMode = c.mode;
        ASSERT_TRUE(view.Update(QStringLiteral("ham"), c.bLong));
        EXPECT_EQ(asked, c.asked);
        Strings rows;
        for (int r = 1; r < view.grdData.Rows(); ++r) rows.push_back(Row(r));
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(view.grdData.Text(0, 0), c.bLong ? "Station" : "Hour");
        EXPECT_EQ(view.grdData.ColWidth(1) > 0, c.bLong);
        EXPECT_EQ(view.grdData.BackColor(1, 2), SnrColor(view.grdData.Text(1, 2).toDouble()));
    }
    EXPECT_EQ(view.grdData.Text(0, 25), QStringLiteral("23"));
    EXPECT_EQ(Row(1, 25, 25), "83");
    EXPECT_EQ(progress.back(), "3 of 3");
    EXPECT_EQ(main.ProgressText(), QString());
    EXPECT_EQ(mainUpdates, 0);
    // An offset counts at the whole hours it spans, both ends included: 20 dB on
    // 7102.0 from 23:00 to 00:00.
    drive.WriteText(QStringLiteral("C:\\Tidewell\\Tidewell.Ini"),
                    QStringLiteral("[Offset Data]\nRows=2\nRow1=h\n"
                                   "Row2=HAM,W2BB,7102.0(p3),20,360,0,2300,0000\n"));
    main.settings.m_bStationOffset = true;
    ASSERT_TRUE(view.Update(QStringLiteral("HAM"), false));
    EXPECT_EQ(Row(1, 2, 3) + ' ' + Row(1, 25, 25), "80 61 103");
}

// A run that cannot be made empties the grid and says why, once: no system,
// no station, every frequency left out by the Pactor mode, no position.
TEST_F(PropagationBestTest, ARunThatCannotBeMadeSaysWhy) {
    ASSERT_TRUE(view.Update(QStringLiteral("HAM"), true));
    drive.WriteAirMail(QStringLiteral("System.EMPTY.ini"), QStringLiteral("[Frequency List]\n"));
    const std::pair<const char*, const char*> cases[] = {
        {"", "There is no AirMail system to take the stations from."},
        {"EMPTY", "The system EMPTY has no stations."},
        {"HAM", "None of the stations of the system HAM has a frequency to connect to."},
        {"HAM", "There is no position of the vessel: type it into Your Position, or give it in "
                "AirMail's Position Report."}};
    for (int i = 0; i < 4; ++i) {
        if (i == 2)
            drive.WriteAirMail(QStringLiteral("System.HAM.ini"),
                               QStringLiteral("[Station Info]\nN3CC=FN42LI:c\n[Frequency List]\nN3CC=3595\n"));
        if (i == 3) drive.WriteAirMail(QStringLiteral("Airmail.ini"), QString());
        drive.ui.ClearRecords();
        EXPECT_FALSE(view.Update(QString::fromLatin1(cases[i].first), true));
        EXPECT_EQ(view.grdData.Rows(), 1);
        ASSERT_EQ(drive.ui.messages.size(), 1u);
        EXPECT_EQ(drive.ui.LastMessage(),
                  "The best connect time cannot be predicted. " + QString::fromLatin1(cases[i].second));
    }
}

// The current hour's column follows the clock over midnight; the tooltips by
// cell and form; the pop-up ticks the form shown and switches it.
TEST_F(PropagationBestTest, CurrentHourTooltipsAndPopup) {
    clock.Set(test::kNoonUtc + 11 * 3600 + 3599);  // 23:59:59
    ASSERT_TRUE(view.Update(QStringLiteral("HAM"), true));
    EXPECT_EQ(view.HourCol(), 25);
    clock.Advance(1);
    view.tmrHour_Timer();
    EXPECT_EQ(view.HourCol(), 2);
    const Grid& g = view.grdData;
    EXPECT_EQ(std::tuple(g.BackColor(0, 2), g.ColFrames(2), g.BackColor(0, 25), g.ColFrames(25)),
              std::tuple(kHourHeaderBackColor, int{FrameSolid}, Grid::kFixedBackColor, int{FrameNone}));

    const std::tuple<int, int, const char*> tips[] = {
        {0, 2, "Zulu Time (hh), Current Hour"}, {0, 3, "Zulu Time (hh)"},
        {1, 0, "Station Id"},                   {0, 1, "Station Range (mni)"},
        {2, 7, "Signal to Noise Ratio (dB)"},
    };
    for (const auto& [row, col, tip] : tips) {
        SCOPED_TRACE(testing::Message() << row << " " << col);
        EXPECT_EQ(Tip(view, row, col), tip);
    }
    int popups = 0;
    view.onPopup = [&](int, int) { ++popups; };
    view.grdData_MouseUp(MouseRight, 0, 10, 10);
    EXPECT_EQ(popups, 1);
    EXPECT_TRUE(view.mnuPopupLongChecked);
    EXPECT_FALSE(view.mnuPopupShortChecked);
    view.mnuPopupShort_Click();
    EXPECT_FALSE(view.LongForm());
    EXPECT_EQ(view.grdData.Rows(), 2);
    EXPECT_EQ(Tip(view, 1, 0), "");
}

}  // namespace
}  // namespace tw
