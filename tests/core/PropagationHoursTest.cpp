// The 24-hour view of one station: its frequencies in ascending order, the
// predicted SNR by hour with its colour, antenna offsets in bold with their
// tooltip, the current hour's header, the chosen hour and the failures.

#include <gtest/gtest.h>

#include "BestListFixture.h"
#include "views/PropagationHours.h"

namespace tw {
namespace {

using test::Strings;

// Station K1AA of HAM, its frequencies listed out of order; each frequency's
// prediction is its base SNR plus the hour.  An offset of 6 dB on 7100.0 from
// 00:00 to 06:00.
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
                   results.assign(24, std::vector<PropagationResult>(frequencies.size()));
                   for (int h = 0; h < 24; ++h)
                       for (std::size_t i = 0; i < frequencies.size(); ++i)
                           results[h][i].Snr = base.value(static_cast<int>(frequencies[i])) + h;
                   return !fail;
               }) {
        drive.WriteAirMail(QStringLiteral("System.HAM.ini"),
                           QStringLiteral("[Station Info]\nK1AA=FN42LI:a\nW2BB=FN42LI:b\n"
                                          "[Frequency List]\nK1AA=14108#,3590;7100\n"));
        drive.WriteText(QStringLiteral("C:\\Tidewell\\Tidewell.Ini"),
                        QStringLiteral("[Offset Data]\nRows=2\nRow1=h\n"
                                       "Row2=HAM,K1AA,7100.0,6,360,0,0,0600\n"));
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
    Strings Column(int col) {
        Strings out;
        for (int r = 1; r < view.grdData.Rows(); ++r)
            out.push_back(view.grdData.Text(r, col).toStdString());
        return out;
    }
    // The tooltip over a cell; a double click on it.
    std::string Tip(int row, int col) {
        const Grid& g = view.grdData;
        view.grdData_MouseMove(0, 0, g.ColPos(col) + 10, g.RowPos(row) + 10);
        return g.ToolTipText().toStdString();
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
    EXPECT_EQ(Column(0), (Strings{"3590.0", "7100.0", "14108.0(p3)"}));
    EXPECT_EQ(askedFrequencies, (std::vector<float>{3590.0f, 7100.0f, 14108.0f}));
    EXPECT_EQ(asked, (std::vector<int>{60024}));
    EXPECT_EQ(mainUpdates, 0);
    EXPECT_EQ(view.grdData.Text(0, 24), QStringLiteral("23"));
    // Row, hour, text, colour, tooltip ("" for Signal to Noise Ratio): 41 + h
    // through the blues; below -99 shown as -99, the offset bold until 06:00.
    const std::tuple<int, int, const char*, Color, const char*> cells[] = {
        {1, 0, "41", Rgb(0, 0, 128), ""},       {1, 3, "44", Rgb(0, 0, 128), ""},
        {1, 4, "45", Rgb(0, 0, 192), ""},       {1, 9, "50", Rgb(0, 0, 255), ""},
        {1, 23, "64", Rgb(192, 0, 192), ""},    {3, 5, "5", Rgb(128, 128, 128), ""},
        {2, 0, "-93", Rgb(128, 128, 128), "6"}, {2, 6, "-93", Rgb(128, 128, 128), "6"},
        {2, 7, "-99", Rgb(128, 128, 128), ""},
    };
    for (const auto& [row, hour, text, color, offset] : cells) {
        SCOPED_TRACE(testing::Message() << row << " " << hour);
        EXPECT_EQ(view.grdData.Text(row, hour + 1).toStdString(), text);
        EXPECT_EQ(view.grdData.BackColor(row, hour + 1), color);
        EXPECT_EQ(view.grdData.Bold(row, hour + 1), *offset != '\0');
        EXPECT_EQ(Tip(row, hour + 1), *offset ? "Station Offset of " + std::string(offset) + ".0 dB"
                                              : "Signal to Noise Ratio (dB)");
    }
    EXPECT_EQ(SnrColor(70), Rgb(255, 128, 255));
    EXPECT_EQ(Tip(0, 12), "Zulu Time (hh)");
    EXPECT_EQ(Tip(0, 13), "Zulu Time (hh), Current Hour");
    EXPECT_EQ(Tip(2, 0), "Frequency (kHz)");
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
    EXPECT_EQ(view.grdData.BackColor(0, 1), frmPropagationHours::kSelectionBackColor);
    EXPECT_EQ(view.grdData.BackColor(0, 24), Grid::kFixedBackColor);

    DblClick(2, 1);
    EXPECT_EQ(view.grdData.ForeColor(3, 1), frmPropagationHours::kSelectionForeColor);
    int popups = 0;
    view.onDataMenuPopup = [&](int, int) { ++popups; };
    view.grdData_MouseUp(MouseRight, 0, view.grdData.ColPos(24) + 10, view.grdData.RowPos(1) + 10);
    view.mnuDataDetails_Click();
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(view.ChosenCol(), 24);
    EXPECT_EQ(view.grdData.ForeColor(3, 1), Grid::kDefaultForeColor);
    DblClick(0, 5);  // the header chooses nothing
    EXPECT_EQ(details, (Strings{"HAM K1AA 2026-06-06T00:00:00Z", "HAM K1AA 2026-06-06T23:00:00Z"}));

    // A failed prediction keeps the frequencies alone; a station without a list has none.
    fail = true;
    EXPECT_FALSE(Update());
    EXPECT_EQ(Column(1), (Strings{"", "", ""}));
    EXPECT_FALSE(view.tmrHour.enabled);
    EXPECT_FALSE(Update(QStringLiteral("W2BB")));
    EXPECT_EQ(view.grdData.Rows(), 1);
}

}  // namespace
}  // namespace tw
