// The best list: the ranking rules on rows written into the grid, the
// station's frequency rows from the system file, and whole builds with a
// stand-in prediction.  The builds that stop at a station (no frequency list,
// no position, a failing prediction) are walked by the end-to-end tests.

#include <gtest/gtest.h>

#include <QFile>

#include "BestListFixture.h"
#include "views/PropagationDetails.h"

namespace tw {
namespace {

using test::SelectionTest;
using test::Strings;

// ---- Per-station rules ------------------------------------------------------

TEST_F(SelectionTest, TopFrequenciesBySnrThenFrequencyWithinTheStationsRows) {
    main.settings.m_iStationTopFrequencies = 2;
    AddRows({{"W2BB", "3000.0", 40}, {"K1AA", "7000.0", 20}, {"K1AA", "10000.0", 25}});
    AddRow("K1AA", "3000.0", 30, false);  // unchecked: sorted in, never counted
    AddRows({{"K1AA", "14000.0", 25}, {"K1AA", "18000.0", 5}, {"N3CC", "3000.0", 50}});
    list.FrequencyTopSelect(grid(), 2, 6);
    EXPECT_EQ(Rows(), (Strings{"W2BB 3000.0 x", "K1AA 3000.0", "K1AA 14000.0 x", "K1AA 10000.0 x",
                               "K1AA 7000.0", "K1AA 18000.0", "N3CC 3000.0 x"}));
}

// Three checked frequencies from the highest down: A (Snr 20), B (22), C (25),
// and an unchecked one with the best SNR, which the SNR range is not taken from.
TEST_F(SelectionTest, HighestFrequencyWithinTheSnrRange) {
    // SNR range, frequencies wanted, the rows after and which of them are
    // painted m_lColorHigher ("h").
    const std::tuple<float, int, Strings, const char*> cases[] = {
        {2.0f, 1, {"K1AA 10000.0 x", "K1AA 7000.0", "K1AA 14000.0", "K1AA 18000.0"}, "----"},
        {3.0f, 1, {"K1AA 14000.0 x", "K1AA 10000.0", "K1AA 7000.0", "K1AA 18000.0"}, "h---"},
        {6.0f, 1, {"K1AA 18000.0 x", "K1AA 14000.0", "K1AA 10000.0", "K1AA 7000.0"}, "h---"},
        {6.0f, 2, {"K1AA 18000.0 x", "K1AA 14000.0 x", "K1AA 10000.0", "K1AA 7000.0"}, "hh--"},
        {3.0f, 3, {"K1AA 14000.0 x", "K1AA 10000.0 x", "K1AA 7000.0", "K1AA 18000.0 x"}, "h---"},
    };
    for (const auto& [range, top, rows, higher] : cases) {
        SCOPED_TRACE(testing::Message() << range << " dB, top " << top);
        main.settings.m_fStationHighestSnrRange = range;
        main.settings.m_iStationTopFrequencies = top;
        Header();
        AddRows({{"K1AA", "14000.0", 22}, {"K1AA", "10000.0", 25}, {"K1AA", "18000.0", 20},
                 {"K1AA", "7000.0", 30, false}});
        list.FrequencyHighestSelect(grid(), 1, 4);
        EXPECT_EQ(Rows(), rows);
        for (int r = 1; r <= 4; ++r)
            EXPECT_EQ(FrequencyColor(r) == best().m_lColorHigher, higher[r - 1] == 'h') << r;
        EXPECT_EQ(grid().Cols(), BestGrid::kColumns);  // the temporary column is gone
    }
}

// Mode 0 keeps the Pactor 3 frequencies, 1 the others, 2 all; only HAM's.
TEST_F(SelectionTest, PactorModes) {
    // The check marks of 14108.0(p3), 7100.0 and the unchecked 3590.0(p3) after the filter.
    const std::tuple<const char*, int, const char*> cases[] = {
        {"HAM", 0, "x--"}, {"HAM", 1, "-x-"},      {"HAM", 2, "xx-"},
        {"ham", 0, "x--"}, {"SAILMAIL", 0, "xx-"}, {"SAILMAIL", 1, "xx-"}};
    for (const auto& [system, mode, checks] : cases) {
        main.m_sSystem = QString::fromLatin1(system);
        main.settings.m_iStationPactorMode = mode;
        Header();
        AddRows({{"K1AA", "14108.0(p3)", 10, true, true}, {"K1AA", "7100.0", 10, true, false},
                 {"K1AA", "3590.0(p3)", 10, false, true}});
        list.FrequencyPactorFilter(grid(), 1, 3);
        for (int r = 1; r <= 3; ++r)
            EXPECT_EQ(Checked(r), checks[r - 1] == 'x') << system << " " << mode << " row " << r;
    }
}

TEST_F(SelectionTest, TrimRemovesUncheckedRowsWithoutAdditionalData) {
    AddRows({{"W2BB", "3000.0", 40}, {"K1AA", "7000.0", 20, false}, {"K1AA", "10000.0", 25},
             {"K1AA", "14000.0", 25, false}, {"K1AA", "18000.0", 5},
             {"N3CC", "7000.0", 20, false}});
    int last = 6;  // a station with nothing checked disappears
    list.FrequencyTrimList(grid(), 6, last);
    EXPECT_EQ(last, 5);
    list.FrequencyTrimList(grid(), 2, last);
    EXPECT_EQ(last, 3);
    EXPECT_EQ(Rows(), (Strings{"W2BB 3000.0 x", "K1AA 10000.0 x", "K1AA 18000.0 x"}));

    // With additional data every row stays; with one frequency a station (a
    // build) they are sorted by frequency.
    Header();
    main.settings.m_bPropagationAdditionalData = true;
    main.settings.m_iStationTopFrequencies = 2;
    AddRows({{"K1AA", "10000.0", 25}, {"K1AA", "18000.0", 5, false},
             {"K1AA", "7000.0", 20, false}});
    list.FrequencyTrimList(grid(), 1, last);  // `last` is 3 already
    EXPECT_EQ(last, 3);
    EXPECT_EQ(Rows(), (Strings{"K1AA 10000.0 x", "K1AA 18000.0", "K1AA 7000.0"}));
}

// ---- Ranking ----------------------------------------------------------------

// Each station's block whole, the topmost first on equal SNRs.  C20's
// unchecked 50 does not count; D00, with nothing checked, is never chosen.
// The rows keep their colours.
TEST_F(SelectionTest, TopStationsByBestCheckedSnr) {
    main.settings.m_iStationTopStations = 2;
    main.settings.m_iStationTopFrequencies = 2;
    AddRows({{"A10", "7000.0", 10}, {"A10", "10000.0", 8}, {"B20", "7000.0", 20},
             {"B20", "3000.0", 2}, {"C20", "7000.0", 50, false}, {"C20", "14000.0", 20},
             {"D00", "7000.0", 90, false}});
    best().GridSetCellColor(grid(), 4, best().m_iColFrequency, best().m_lColorHigher);
    list.StationTopSelect(grid(), best().m_iColSnr);
    EXPECT_EQ(Rows(), (Strings{"B20 7000.0 x", "B20 3000.0 x", "C20 7000.0", "C20 14000.0 x"}));
    EXPECT_EQ(FrequencyColor(2), best().m_lColorHigher);
}

// Five stations wanted (the default) with one frequency each.
TEST_F(SelectionTest, TopStationsWithOneFrequencyEndSortedBySnrFrequencyAndRange) {
    AddRows({{"A", "7000.0", 10, true, false, 900}, {"B", "7000.0", 30, true, false, 500},
             {"C", "14000.0", 20, true, false, 800}, {"D", "7000.0", 20, true, false, 300},
             {"E", "7000.0", 20, true, false, 200}, {"F", "7000.0", 20, true, false, 200},
             {"G", "3000.0", 1, true, false, 100}});
    list.StationTopSelect(grid(), best().m_iColSnr);
    // E and F alike keep their order.
    EXPECT_EQ(Rows(),
              (Strings{"B 7000.0 x", "C 14000.0 x", "E 7000.0 x", "F 7000.0 x", "D 7000.0 x"}));

    // With additional data the unchecked rows stay: one block a station.
    Header();
    AddRows({{"A", "3000.0", 5, false, false, 900}, {"A", "7000.0", 20, true, false, 900},
             {"B", "3000.0", 10, false, false, 500}, {"B", "10000.0", 20, true, false, 500},
             {"B", "14000.0", 25, false, false, 500}, {"C", "3000.0", 30, true, false, 100}});
    list.StationTopSelect(grid(), best().m_iColSnr);
    // C (30), then B (20 at the higher frequency), then A; each block as it was.
    EXPECT_EQ(Rows(), (Strings{"C 3000.0 x", "B 3000.0", "B 10000.0 x", "B 14000.0", "A 3000.0",
                               "A 7000.0 x"}));
}

// With "History Ranking" a station ranks by its best checked row's chance of
// a connection, (4 r + c) / (4 + n): A, predicted best, sinks by its silence
// below B, whose calls connected; C without a Rel counts r = 0.5 and ties
// with D, whose SNR is higher; E's unchecked row does not count.  G's two
// connections lift it above D, F's five calls keep it below C: the weight 4
// of the prediction against the calls decides both.  The same whether the
// final sort (one frequency a station) or the choice orders.
TEST_F(SelectionTest, HistoryRankingOrdersByTheChanceOfAConnection) {
    main.settings.m_bStationHistoryRanking = true;
    main.settings.m_iStationTopStations = 4;
    for (const int frequencies : {1, 2}) {
        SCOPED_TRACE(frequencies);
        main.settings.m_iStationTopFrequencies = frequencies;
        Header();
        // Station, SNR, Rel, Log, checked: the chances 0.36, 0.77, 0.5, 0.5, 0.32,
        // 1 (unchecked), 0.44 and 0.53.
        const std::tuple<const char*, int, const char*, const char*, bool> rows[] = {
            {"A", 30, "90", "0/6", true}, {"B", 20, "60", "3/3", true}, {"C", 25, "", "", true},
            {"D", 26, "50", "", true},    {"E", 28, "40", "0/1", true}, {"E", 10, "100", "5/5", false},
            {"F", 27, "0", "4/5", true},  {"G", 21, "30", "2/2", true}};
        for (const auto& [station, snr, rel, log, checked] : rows) {
            const int row = AddRow(QString::fromLatin1(station), "7000.0", snr, checked);
            best().GridSetCell(grid(), row, best().m_iColRel, rel, AlignRight, false);
            best().GridSetCell(grid(), row, best().m_iColLog, log, AlignRight, false);
        }
        list.StationTopSelect(grid(), best().m_iColSnr);
        EXPECT_EQ(Rows(), (Strings{"B 7000.0 x", "G 7000.0 x", "D 7000.0 x", "C 7000.0 x"}));
        EXPECT_EQ(grid().Cols(), BestGrid::kColumns);
    }
}

// ---- Whole builds and a station's frequency rows --------------------------

// HAM's stations K1AA, W2BB and N3CC selected; K4DD with a frequency list of
// all kinds of tokens.
class BuildTest : public SelectionTest {
protected:
    BuildTest() {
        SystemFile(QStringLiteral("[Frequency List]\nK1AA=14108#,7100\nW2BB=14108,10140#,7100\n"
                                  "N3CC=3590,7100#\nK4DD=14108#,7100;3590.5,,10000#,\n"
                                  "[Frequency Setup]\nSelected=K1AA,W2BB,N3CC\n"));
        WriteAirMailIni(QStringLiteral("[Stations]\nLast System=HAM\n"));
        main.settings.m_iStationTopStations = 2;
        main.settings.m_bStationHighestFrequency = false;
        main.settings.m_iStationPactorMode = 2;
        const std::tuple<const char*, const char*, float> snrs[] = {
            {"K1AA", "14108.0", 10}, {"K1AA", "7100.0", 12}, {"W2BB", "14108.0", 30},
            {"W2BB", "10140.0", 30}, {"N3CC", "3590.0", 20}, {"N3CC", "7100.0", 8}};
        for (const auto& [station, frequency, snr] : snrs) fake.Set(station, frequency, snr);
        list.TerminalActivate = [this] { ++terminalActivations; };
        main.m_sSystem = QStringLiteral("HAM");
        main.m_sStation = QStringLiteral("K4DD");
    }
    // System.HAM.ini: the stations' positions and `more`.
    void SystemFile(const QString& more) {
        drive.WriteAirMail(QStringLiteral("System.HAM.ini"),
                           QStringLiteral("[Station Info]\nK1AA=FN42LI:a\nW2BB=FN31PR:b\n"
                                          "N3CC=FM19LA:c\nK4DD=EM73:d\n") + more);
    }
    int terminalActivations = 0;
};

TEST_F(BuildTest, StationRowsCheckedWithTheirPactor3Markers) {
    main.m_sStationName = QStringLiteral("K4DD");
    AddRow("W2BB", "3000.0", 40);
    grid().SetRows(5);  // left over beyond the station's first row
    int last = 0;
    ASSERT_TRUE(list.StationGetFrequencies(grid(), 2, last));
    EXPECT_EQ(last, 5);
    EXPECT_EQ(Rows(), (Strings{"W2BB 3000.0 x", " 14108.0(p3) x", " 7100.0 x", " 3590.5 x",
                               " 10000.0(p3) x"}));
    EXPECT_EQ(grid().Text(2, best().m_iColFrequency), QStringLiteral("      14108.0(p3)"));
    EXPECT_EQ(Column(best().m_iColP3), (Strings{"", " ", "", "", " "}));
    EXPECT_TRUE(main.m_sStationName.isEmpty());  // the Station column shows the identifier
    EXPECT_TRUE(Text(2, best().m_iColFrequency - 1).isEmpty());

    // Asked for, the dial frequencies from AirMail's radio settings.
    main.settings.m_bRadioFrequency = true;
    WriteAirMailIni(QStringLiteral("[Hardware]\nDecoderType=MODEMA\nFSKDialCenter=1\n"
                                   "MODEMA Center Tone=1500\nRadio Mode=3\n"));
    ASSERT_TRUE(list.StationGetFrequencies(grid(), 2, last));
    EXPECT_EQ(Column(best().m_iColFrequency - 1),
              (Strings{"", "14106.5 (USB)", "7101.5 (LSB)", "3592.0 (LSB)", "9998.5 (USB)"}));
    EXPECT_EQ(grid().CellAlignment(3, best().m_iColFrequency - 1), AlignRight);

    // SailMail's stations with ";P3" in their entry are Pactor 3 throughout.
    drive.WriteAirMail(QStringLiteral("System.SAILMAIL.ini"),
                       QStringLiteral("[Station Info]\nWQA=CM87MM:Harbour Point;P3;x\n"
                                      "WQB=CM88:Bay;x\n[Frequency List]\nWQA=7100#,14108\n"
                                      "WQB=14108,7100#\n"));
    main.m_sSystem = QStringLiteral("SAILMAIL");
    main.m_sStation = QStringLiteral("WQA");
    ASSERT_TRUE(list.StationGetFrequencies(grid(), 1, last));
    EXPECT_EQ(main.m_sStationName, QStringLiteral("Harbour Point"));

    main.m_sStation = QStringLiteral("WQB");
    ASSERT_TRUE(list.StationGetFrequencies(grid(), 3, last));
    EXPECT_EQ(main.m_sStationName, QStringLiteral("Bay"));
    EXPECT_EQ(Column(best().m_iColP3), (Strings{" ", " ", "", " "}));
}

// Every station is predicted for the minute the build began, however long
// the predictions take.
TEST_F(BuildTest, BuildsRanksAndMarksTheList) {
    fake.during = [this] { clock.Advance(40); };
    fake.predictions["K1AA"]["14108.0"].Rel = 80;
    fake.predictions["K1AA"]["7100.0"].Rel = 60;
    fake.predictions["N3CC"]["7100.0"].Rel = 5;
    ASSERT_TRUE(list.BestListBuild());
    // Each station's best frequency (the higher one on equal SNR), the best two stations.
    EXPECT_EQ(Rows(), (Strings{"W2BB 14108.0 x", "N3CC 3590.0 x"}));
    // Every station evaluated keeps its best reliability (then SNR), also one
    // the list leaves out.
    std::vector<std::tuple<QString, QString, double, double>> predictions;
    for (const ListStationPrediction& p : main.m_listPredictions)
        predictions.emplace_back(p.station, p.frequency, p.snr, p.reliability);
    EXPECT_EQ(predictions, (std::vector<std::tuple<QString, QString, double, double>>{
                               {"K1AA", "14108.0(p3)", 10, 80}, {"W2BB", "14108.0", 30, -1},
                               {"N3CC", "7100.0(p3)", 8, 5}}));
    EXPECT_TRUE(grid().Redraw());
    ASSERT_EQ(fake.calls.size(), 3u);
    const QDateTime noon = QDateTime::fromSecsSinceEpoch(test::kNoonUtc, Qt::UTC);
    for (const auto& call : fake.calls)
        EXPECT_EQ(std::pair(call.redraw, call.time), std::pair(false, noon));
    EXPECT_EQ(main.m_listClockTime, noon);
    fake.during = nullptr;
    std::vector<QString> statuses;
    for (const auto& w : drive.ui.panelWrites)
        if (w.panel == 2) statuses.push_back(w.text);
    EXPECT_EQ(statuses, (std::vector<QString>{"Propagation, K1AA ", "Propagation, W2BB ",
                                              "Propagation, N3CC ", " "}));
    EXPECT_EQ(terminalActivations, 1);
    EXPECT_TRUE(drive.ui.messages.empty()) << drive.ui.LastMessage().toStdString();

    // Later updates do not start AirMail again.  With additional data the
    // unchecked rows stay, moved in the ranking with their alignment and bold.
    main.m_bActivated = true;
    main.settings.m_bPropagationAdditionalData = true;
    Header();
    ASSERT_TRUE(list.BestListBuild());
    EXPECT_EQ(terminalActivations, 1);
    EXPECT_EQ(Rows(), (Strings{"W2BB 7100.0", "W2BB 10140.0(p3)", "W2BB 14108.0 x", "N3CC 3590.0 x",
                               "N3CC 7100.0(p3)"}));
    EXPECT_EQ(Text(1, best().m_iColLufMuf), QStringLiteral("12000.0"));
    EXPECT_EQ(grid().CellAlignment(1, best().m_iColLufMuf), AlignRight);
    EXPECT_TRUE(grid().Bold(1, best().m_iColSnr));
    EXPECT_FALSE(grid().Bold(1, best().m_iColLufMuf));
}

// Two SailMail stations of one name keep their own rows, each with its
// identifier, also ranked between the rows of another station.
TEST_F(BuildTest, StationsOfOneNameKeepTheirOwnRows) {
    drive.WriteAirMail(QStringLiteral("System.SAILMAIL.ini"),
                       QStringLiteral("[Station Info]\nWQA=CM87MM:Harbour Point;x\nWQB=CM88:Harbour Point;x\n"
                                      "WQC=CM89:Bay;x\n[Frequency List]\nWQA=14108\nWQB=7100\nWQC=10140\n"));
    WriteAirMailIni(QStringLiteral("[Stations]\nLast System=SAILMAIL\n"));
    main.settings.m_iStationTopStations = 3;
    for (const auto& [station, frequency, snr] : {std::tuple{"WQA", "14108.0", 10}, {"WQB", "7100.0", 30}, {"WQC", "10140.0", 20}})
        fake.Set(station, frequency, static_cast<float>(snr));
    ASSERT_TRUE(list.BestListBuild());
    EXPECT_EQ(Rows(), (Strings{"Harbour Point 7100.0 x", "Bay 10140.0 x", "Harbour Point 14108.0 x"}));
    EXPECT_EQ(Strings({grid().RowData(1).toStdString(), grid().RowData(3).toStdString()}), (Strings{"WQB", "WQA"}));
}

// The detailed view runs the list's procedures on its own grid: all of a
// station's frequencies in ascending order with the list's check marks, at
// the hour asked for (named in the caption); its system and station become
// the current ones while the list keeps its system.  A double click on a row,
// or its pop-up menu, opens the 24-hour view for the view's station and time.
TEST_F(BuildTest, DetailedViewOfOneStationAtAnHour) {
    ASSERT_TRUE(list.BestListBuild());
    drive.WriteAirMail(QStringLiteral("System.SAILMAIL.ini"),
                       QStringLiteral("[Station Info]\nWQA=CM87MM:Harbour Point;x\n"
                                      "[Frequency List]\nWQA=14108,7100;10140\n"));
    fake.Set("WQA", "10140.0", 40);
    frmPropagationDetails details(main, list, airmail);
    const Grid& g = details.grdFrequency;
    const std::tuple<const char*, const char*, int, Strings, const char*> cases[] = {
        {"HAM", "W2BB", 7, {"W2BB 7100.0", "W2BB 10140.0(p3)", "W2BB 14108.0 x"}, "W2BB - 07:00"},
        {"SAILMAIL", "WQA", 23,
         {"Harbour Point 7100.0", "Harbour Point 10140.0 x", "Harbour Point 14108.0"},
         "Harbour Point - 23:00"}};
    for (const auto& [system, station, hour, expected, caption] : cases) {
        SCOPED_TRACE(station);
        const QDateTime time(QDate(2026, 6, 6), QTime(hour, 0), Qt::UTC);
        ASSERT_TRUE(details.Update(QString::fromLatin1(system), QString::fromLatin1(station), time));
        EXPECT_EQ(Rows(details.grdFrequency), expected);
        EXPECT_EQ(fake.calls.back().time, time);
        EXPECT_EQ(details.caption.toStdString(),
                  "Tidewell - Detailed Propagation Data by Frequency - " + std::string(caption));
        EXPECT_EQ(main.m_sSystem, QString::fromLatin1(system));
        EXPECT_EQ(main.m_sStation, QString::fromLatin1(station));
        EXPECT_EQ(main.ListSystem(), QStringLiteral("HAM"));
    }

    Strings hours;
    details.onShowHours = [&](const QString& system, const QString& station, const QDateTime& t) {
        hours.push_back((system + ' ' + station + ' ' + t.toString(Qt::ISODate)).toStdString());
    };
    int popups = 0;
    details.onFrequencyMenuPopup = [&](int, int) { ++popups; };
    const int x = g.ColPos(best().m_iColSnr) + 10;
    details.grdFrequency_DblClick(x, g.RowPos(0) + 10);  // the header opens nothing
    details.grdFrequency_DblClick(x, g.RowPos(2) + 10);
    details.grdFrequency_MouseUp(MouseRight, 0, x, g.RowPos(3) + 10);
    details.mnuFrequencyHours_Click();
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(hours, Strings(2, "SAILMAIL WQA 2026-06-06T23:00:00Z"));

    // A station without frequencies keeps the header alone.
    EXPECT_FALSE(details.Update(QStringLiteral("HAM"), QStringLiteral("Q9ZZ"), {}));
    EXPECT_EQ(g.Rows(), 1);
}

// "(p3)" is part of the text compared: N3CC's 7100.0(p3) is not K1AA's 7100.0.
TEST_F(BuildTest, SharedFrequenciesAmongTheStationsShown) {
    fake.Set("W2BB", "7100.0", 40);
    fake.Set("N3CC", "7100.0", 25);
    main.settings.m_iStationTopStations = 3;
    ASSERT_TRUE(list.BestListBuild());
    EXPECT_EQ(Rows(), (Strings{"W2BB 7100.0 x", "N3CC 7100.0(p3) x", "K1AA 7100.0 x"}));
    EXPECT_EQ(FrequencyColor(1), best().m_lColorShared);
    EXPECT_NE(FrequencyColor(2), best().m_lColorShared);
    EXPECT_EQ(FrequencyColor(3), best().m_lColorShared);
}

// The build is done all the same when nothing is left to connect to; the
// message says why where one cause is plain.
TEST_F(BuildTest, NothingLeftToConnectIsToldWithItsCause) {
    const QString none = QStringLiteral("Unable to select any of the listed connect frequencies.");
    const QString options = QStringLiteral(" in Options, Station, Display Options: at least one ");
    // System.HAM.ini beyond the positions; Top Stations, Top Frequencies;
    // what follows the message's own text.
    const std::tuple<const char*, int, int, QString> cases[] = {
        // Only Pactor 3 frequencies, and K1AA lists none: no one cause.
        {"[Frequency List]\nK1AA=14108,7100\n[Frequency Setup]\nSelected=K1AA\n", 2, 1, QString()},
        {"[Frequency List]\n", 2, 1, QStringLiteral("The system HAM has no stations.")},
        {"[Frequency List]\nK1AA=\n[Frequency Setup]\nSelected=K1AA\n", 2, 1,
         QStringLiteral("None of the stations of the system HAM has a frequency to connect to.")},
        {"[Frequency List]\nK1AA=14108#\n[Frequency Setup]\nSelected=K1AA\n", 0, 1,
         QStringLiteral("Top Stations is 0") + options + QStringLiteral("station must be listed.")},
        {"[Frequency List]\nK1AA=14108#\n[Frequency Setup]\nSelected=K1AA\n", 2, 0,
         QStringLiteral("Top Frequencies is 0") + options +
             QStringLiteral("frequency of each station must be listed.")},
    };
    for (const auto& [file, topStations, topFrequencies, cause] : cases) {
        SCOPED_TRACE(file);
        drive.ui.ClearRecords();
        main.settings.m_iStationPactorMode = 0;
        main.settings.m_iStationTopStations = topStations;
        main.settings.m_iStationTopFrequencies = topFrequencies;
        SystemFile(QString::fromLatin1(file));
        EXPECT_TRUE(list.BestListBuild());
        EXPECT_EQ(grid().Rows(), 1);
        ASSERT_FALSE(drive.ui.messages.empty());
        EXPECT_EQ(drive.ui.LastMessage(), cause.isEmpty() ? none : none + QStringLiteral("\r\n\r\n") + cause);
        EXPECT_EQ(drive.ui.messages.back().icon, MsgIcon::Information);
        EXPECT_EQ(drive.ui.PanelText(2), QStringLiteral("Select, No Frequencies "));
    }
}

// A station whose own data are broken is left out after one message naming
// it; the list is built from the others and keeps no row of it.
TEST_F(BuildTest, AStationWithBrokenDataIsLeftOutAfterOneMessage) {
    main.settings.m_iStationTopStations = 5;
    fake.Set("Q5EE", "14108.0", 50);
    // Q5EE's [Station Info] and [Frequency List] values (nullptr: none), the
    // message, and whether Q5EE keeps a row.
    const std::tuple<const char*, const char*, const char*, bool> cases[] = {
        {"FN42LI:e", nullptr,
         "Unable to find AirMail's Frequency List, Q5EE in \"System.HAM.ini\".", false},
        {"FN4:e", "14108", "Unable to Convert Grid FN4 to Lat/Lon (Q5EE)", false},
        {"FN42LI", "14108",
         "Unable to process AirMail's \"HAM\" Station Info. The entry of Q5EE has no \":\".", false},
        {"FN42LI:e", "1800,14108;31000#",
         "The frequencies 1800.0, 31000.0(p3) of Q5EE in \"System.HAM.ini\" lie outside 2000 to "
         "30000 kHz, the band the propagation programs predict for; they are left out of the list.",
         true},
    };
    for (const auto& [info, frequencies, message, kept] : cases) {
        SCOPED_TRACE(message);
        // Q5EE's entry goes on below the fixture's [Station Info].
        QString more = info ? QStringLiteral("Q5EE=%1\n").arg(info) : QString();
        more += QStringLiteral("[Frequency List]\nK1AA=7100\nW2BB=7100\n");
        if (frequencies) more += QStringLiteral("Q5EE=%1\n").arg(frequencies);
        SystemFile(more + QStringLiteral("[Frequency Setup]\nSelected=K1AA,Q5EE,W2BB\n"));
        Header();
        drive.ui.ClearRecords();
        ASSERT_TRUE(list.BestListBuild());
        Strings expected{"K1AA 7100.0 x", "W2BB 7100.0 x"};
        if (kept) expected.insert(expected.begin(), "Q5EE 14108.0 x");
        EXPECT_EQ(Rows(), expected);
        ASSERT_EQ(drive.ui.messages.size(), 1u);
        EXPECT_TRUE(drive.ui.LastMessage().startsWith(QString::fromLatin1(message)))
            << drive.ui.LastMessage().toStdString();
    }
}

// AirMail writes its position between the update's reads: the boxes show,
// and every station is predicted for, the position of one reading.
TEST_F(BuildTest, AnUpdateTakesItsPositionFromOneReading) {
    main.steps.LatLonGetCurrent = [this](LatLon& p) { return position.LatLonGetCurrent(p.lat, p.lon); };
    main.steps.LatLonEncode = [](double value, bool isLat) {
        return isLat ? LatLonEncodeLatitude(value) : LatLonEncodeLongitude(value);
    };
    main.steps.BestListBuild = [this] {
        drive.WriteAirMail(QStringLiteral("Airmail.ini"),
                           QStringLiteral("[Position Report]\nCurrent Latitude=10\u00B000.00'S\n"
                                          "Current Longitude=020\u00B000.00'E\n"
                                          "Current Time=2026/06/06 11:30:00\n[Stations]\nLast System=HAM\n"));
        return list.BestListBuild();
    };
    main.Update(false);
    ASSERT_EQ(fake.calls.size(), 3u);
    for (const auto& call : fake.calls) {
        EXPECT_DOUBLE_EQ(call.positions.OwnLatitude, 38.6);
        EXPECT_DOUBLE_EQ(call.positions.OwnLongitude, -(10 + 20.0 / 60));
    }
    EXPECT_EQ(main.txtLat.caption, QStringLiteral("38\u00B036.00'N"));
}

TEST_F(BuildTest, NoSystemsOrNoStationsStopTheBuild) {
    // No stations: nothing selected and none with a frequency list.
    SystemFile(QString());
    EXPECT_FALSE(list.BestListBuild());
    EXPECT_FALSE(drive.ui.messages.empty());

    // No systems.
    QFile::remove(drive.Native(QStringLiteral("C:\\Program Files\\AirMail\\System.HAM.ini")));
    drive.ui.ClearRecords();
    EXPECT_FALSE(list.BestListBuild());
    EXPECT_EQ(drive.ui.messages.size(), 1u);
    EXPECT_TRUE(fake.calls.empty());
}

}  // namespace
}  // namespace tw
