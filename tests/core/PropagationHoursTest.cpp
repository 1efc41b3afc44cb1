// The 24-hour view of one station: its frequencies in ascending order, the
// predicted SNR by hour with its colour, antenna offsets in bold with their
// tooltip, the current hour's header, the chosen hour and the failures.

#include <gtest/gtest.h>

#include "BestListFixture.h"
#include "views/PropagationHours.h"

namespace tw {
namespace {

using test::Strings;

// Station K1AA of HAM, its frequencies listed out of order; the prediction of
// each frequency is its base SNR plus the hour.
class PropagationHoursTest : public test::SelectionTest {
  protected:
    PropagationHoursTest()
        : view(main, metrics, airmail, position,
               [this](int model, int month, int firstHour, int hourCount,
                      const PropagationPositions&, const std::vector<float>& frequencies, float,
                      PropagationHours& results, PropagationPath& path) {
                   asked.push_back({model, month, firstHour, hourCount});
                   askedFrequencies = frequencies;
                   if (fail) return false;
                   results.assign(24, std::vector<PropagationResult>(frequencies.size()));
                   for (int h = 0; h < 24; ++h)
                       for (std::size_t i = 0; i < frequencies.size(); ++i)
                           results[h][i].Snr = base.value(static_cast<int>(frequencies[i])) + h;
                   path.StationToShipAzimuth = 120.0f;
                   return true;
               }) {
        drive.WriteAirMail(QStringLiteral("System.HAM.ini"),
                           QStringLiteral("[Station Info]\nK1AA=FN42LI:a\nW2BB=FN42LI:b\n"
                                          "[Frequency List]\nK1AA=14108#,3590;7100\n"));
        view.onShowDetails = [this](const QString& system, const QString& station,
                                    const QDateTime& t) {
            details.push_back(
                (system + QLatin1Char(' ') + station + QLatin1Char(' ') + t.toString(Qt::ISODate))
                    .toStdString());
        };
    }

    bool Update(const char* time = "2026-06-06T12:10:00Z") {
        return view.Update(QStringLiteral("HAM"), QStringLiteral("K1AA"),
                           QDateTime::fromString(QLatin1String(time), Qt::ISODate));
    }
    Strings Column(int col) {
        Strings out;
        for (int r = 1; r < view.grdData.Rows(); ++r)
            out.push_back(view.grdData.Text(r, col).toStdString());
        return out;
    }
    // The tooltip over the middle of a cell.
    std::string Tip(int row, int col) {
        const Grid& g = view.grdData;
        view.grdData_MouseMove(0, 0, g.ColPos(col) + g.ColWidth(col) / 2,
                               g.RowPos(row) + g.RowHeight(row) / 2);
        return g.ToolTipText().toStdString();
    }
    void DblClick(int row, int col) {
        const Grid& g = view.grdData;
        view.grdData_DblClick(g.ColPos(col) + 10, g.RowPos(row) + 10);
    }

    struct Asked {
        int model, month, firstHour, hourCount;
    };
    QMap<int, float> base{{3590, 41.0f}, {7100, -150.0f}, {14108, 0.4f}};
    bool fail = false;
    std::vector<Asked> asked;
    std::vector<float> askedFrequencies;
    Strings details;
    frmPropagationHours view;
};

TEST_F(PropagationHoursTest, FrequenciesAscendingWithEachHoursSnrAndColour) {
    ASSERT_TRUE(Update());
    EXPECT_EQ(view.caption,
              QStringLiteral("Tidewell - SNR by Hour and Frequency (bigger is better) - K1AA"));
    EXPECT_EQ(Column(0), (Strings{"3590.0", "7100.0", "14108.0(p3)"}));
    EXPECT_EQ(askedFrequencies, (std::vector<float>{3590.0f, 7100.0f, 14108.0f}));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].month, 6);
    EXPECT_EQ(asked[0].firstHour, 0);
    EXPECT_EQ(asked[0].hourCount, 24);
    EXPECT_EQ(view.grdData.Text(0, 1), QStringLiteral("00"));
    EXPECT_EQ(view.grdData.Text(0, 24), QStringLiteral("23"));
    EXPECT_EQ(view.grdData.ColWidth(25), 0);
    // Row, hour, text, colour: 41 + h through the blues; below -99 shown as -99.
    const std::tuple<int, int, const char*, Color> cells[] = {
        {1, 0, "41", Rgb(0, 0, 128)},       {1, 3, "44", Rgb(0, 0, 128)},
        {1, 4, "45", Rgb(0, 0, 192)},       {1, 9, "50", Rgb(0, 0, 255)},
        {1, 23, "64", Rgb(192, 0, 192)},    {2, 0, "-99", Rgb(128, 128, 128)},
        {2, 23, "-99", Rgb(128, 128, 128)}, {3, 0, "0", Rgb(128, 128, 128)},
        {3, 5, "5", Rgb(128, 128, 128)},
    };
    for (const auto& [row, hour, text, color] : cells) {
        SCOPED_TRACE(testing::Message() << row << " " << hour);
        EXPECT_EQ(view.grdData.Text(row, hour + 1).toStdString(), text);
        EXPECT_EQ(view.grdData.BackColor(row, hour + 1), color);
        EXPECT_FALSE(view.grdData.Bold(row, hour + 1));
    }
    EXPECT_EQ(SnrColor(70), Rgb(255, 128, 255));
    EXPECT_EQ(SnrColor(69.9), Rgb(255, 0, 255));
    EXPECT_EQ(SnrColor(55), Rgb(128, 0, 128));
}

// An offset of 6 dB on 3590.0 from 00:00 to 06:00: bold cells naming it in
// their tooltip in those hours only.
TEST_F(PropagationHoursTest, OffsetsBoldWithTheirTooltip) {
    drive.WriteText(
        QStringLiteral("C:\\Tidewell\\Tidewell.Ini"),
        QStringLiteral("[Offset Data]\nRows=2\nRow1=h\nRow2=HAM,K1AA,3590.0,6,360,0,0,0600\n"));
    main.settings.m_bStationOffset = true;
    ASSERT_TRUE(Update());
    // Hour, text, bold, tooltip.
    const std::tuple<int, const char*, bool, const char*> cells[] = {
        {0, "47", true, "Station Offset of 6.0 dB"},
        {6, "53", true, "Station Offset of 6.0 dB"},
        {7, "48", false, "Signal to Noise Ratio (dB)"},
    };
    for (const auto& [hour, text, bold, tip] : cells) {
        SCOPED_TRACE(hour);
        EXPECT_EQ(view.grdData.Text(1, hour + 1).toStdString(), text);
        EXPECT_EQ(view.grdData.Bold(1, hour + 1), bold);
        EXPECT_EQ(Tip(1, hour + 1), tip);
    }
    EXPECT_EQ(Tip(2, 1), "Signal to Noise Ratio (dB)");
    EXPECT_EQ(Tip(0, 12), "Zulu Time (hh)");
    EXPECT_EQ(Tip(0, 13), "Zulu Time (hh), Current Hour");
    EXPECT_EQ(Tip(2, 0), "Frequency (kHz)");
}

// The current hour's header follows the clock; a double click or the pop-up
// chooses an hour and opens the details for that hour of the day.
TEST_F(PropagationHoursTest, CurrentHourAndChosenColumn) {
    clock.Set(1780747200 + 11 * 3600 + 3599);  // 2026-06-06 23:59:59
    ASSERT_TRUE(Update("2026-06-06T12:10:00Z"));
    EXPECT_TRUE(view.tmrHour.enabled);
    EXPECT_EQ(view.HourCol(), 24);
    EXPECT_EQ(view.grdData.BackColor(0, 24), frmPropagationHours::kSelectionBackColor);
    clock.Advance(1);
    view.tmrHour_Timer();
    EXPECT_EQ(view.HourCol(), 1);
    EXPECT_EQ(view.grdData.BackColor(0, 1), frmPropagationHours::kSelectionBackColor);
    EXPECT_EQ(view.grdData.BackColor(0, 24), Grid::kFixedBackColor);

    DblClick(2, 1);
    EXPECT_EQ(view.ChosenCol(), 1);
    EXPECT_EQ(view.grdData.ForeColor(3, 1), frmPropagationHours::kSelectionForeColor);
    int popups = 0;
    view.onDataMenuPopup = [&](int, int) { ++popups; };
    const Grid& g = view.grdData;
    view.grdData_MouseUp(MouseRight, 0, g.ColPos(24) + 10, g.RowPos(1) + 10);
    view.mnuDataDetails_Click();
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(view.ChosenCol(), 24);
    EXPECT_EQ(view.grdData.ForeColor(3, 1), Grid::kDefaultForeColor);
    DblClick(0, 5);  // the header chooses nothing
    EXPECT_EQ(details, (Strings{"HAM K1AA 2026-06-06T00:00:00Z", "HAM K1AA 2026-06-06T23:00:00Z"}));
}

TEST_F(PropagationHoursTest, FailuresKeepWhatWasDrawn) {
    fail = true;
    EXPECT_FALSE(Update());
    EXPECT_EQ(Column(0), (Strings{"3590.0", "7100.0", "14108.0(p3)"}));
    EXPECT_EQ(Column(1), (Strings{"", "", ""}));
    EXPECT_FALSE(view.tmrHour.enabled);
    EXPECT_FALSE(view.Update(QStringLiteral("HAM"), QStringLiteral("W2BB"), main.TimeGetZulu()));
    EXPECT_EQ(view.grdData.Rows(), 1);
    EXPECT_EQ(asked.size(), 1u);
}

}  // namespace
}  // namespace tw
