// The best list: the ranking rules on rows written into the grid, the
// station's frequency rows from the system file, and whole builds with a
// stand-in prediction, their failures included.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <map>

#include "BestListFixture.h"
#include "platform/Process.h"
#include "propagation/Propagation.h"

namespace tw {
namespace {

using test::SelectionTest;
using Strings = std::vector<std::string>;

// ---- Per-station rules ------------------------------------------------------

TEST_F(SelectionTest, TopFrequenciesBySnrThenFrequency) {
    main.settings.m_iStationTopFrequencies = 2;
    AddRows({{"K1AA", "7000.0", 20}, {"K1AA", "10000.0", 25}});
    AddRow("K1AA", "3000.0", 30, false);  // unchecked: sorted in, never counted
    AddRows({{"K1AA", "14000.0", 25}, {"K1AA", "18000.0", 5}});
    list.FrequencyTopSelect(grid(), 1, 5);
    EXPECT_EQ(Rows(), (Strings{"K1AA 3000.0", "K1AA 14000.0 x", "K1AA 10000.0 x", "K1AA 7000.0", "K1AA 18000.0"}));

    main.settings.m_iStationTopFrequencies = 1;
    Header();
    AddRow("K1AA", "7000.0", 20);
    list.FrequencyTopSelect(grid(), 1, 1);
    EXPECT_EQ(Rows(), (Strings{"K1AA 7000.0 x"}));
}

TEST_F(SelectionTest, TopSelectSortsOnlyTheStationsRows) {
    AddRows({{"W2BB", "3000.0", 40}, {"K1AA", "7000.0", 20}, {"K1AA", "10000.0", 25}, {"N3CC", "3000.0", 50}});
    list.FrequencyTopSelect(grid(), 2, 3);
    EXPECT_EQ(Rows(), (Strings{"W2BB 3000.0 x", "K1AA 10000.0 x", "K1AA 7000.0", "N3CC 3000.0 x"}));
}

// Three checked frequencies from the highest down: A (Snr 20), B (22), C (25).
TEST_F(SelectionTest, HighestFrequencyWithinTheSnrRange) {
    const struct {
        float range;
        int top;
        Strings rows;
        std::vector<bool> higher;  // frequency cell painted m_lColorHigher, per row
    } cases[] = {
        {2.0f, 1, {"K1AA 10000.0 x", "K1AA 14000.0", "K1AA 18000.0"}, {false, false, false}},
        {3.0f, 1, {"K1AA 14000.0 x", "K1AA 10000.0", "K1AA 18000.0"}, {true, false, false}},
        {6.0f, 1, {"K1AA 18000.0 x", "K1AA 14000.0", "K1AA 10000.0"}, {true, false, false}},
        {6.0f, 2, {"K1AA 18000.0 x", "K1AA 14000.0 x", "K1AA 10000.0"}, {true, true, false}},
        {3.0f, 3, {"K1AA 14000.0 x", "K1AA 10000.0 x", "K1AA 18000.0 x"}, {true, false, false}},
    };
    for (const auto& c : cases) {
        main.settings.m_fStationHighestSnrRange = c.range;
        main.settings.m_iStationTopFrequencies = c.top;
        Header();
        AddRows({{"K1AA", "14000.0", 22}, {"K1AA", "10000.0", 25}, {"K1AA", "18000.0", 20}});
        const int cols = grid().Cols();
        list.FrequencyHighestSelect(grid(), 1, 3);
        EXPECT_EQ(Rows(), c.rows) << c.range << " dB, top " << c.top;
        for (int r = 1; r <= 3; ++r)
            EXPECT_EQ(FrequencyColor(r) == best().m_lColorHigher, c.higher[static_cast<std::size_t>(r - 1)])
                << c.range << " dB, top " << c.top << ", row " << r;
        EXPECT_EQ(grid().Cols(), cols);  // the temporary column is gone
    }
}

TEST_F(SelectionTest, HighestFrequencyIgnoresUncheckedRowsForTheBest) {
    main.settings.m_fStationHighestSnrRange = 3.0f;
    AddRow("K1AA", "18000.0", 20);
    AddRow("K1AA", "10000.0", 40, false);  // unchecked: neither the best nor chosen
    AddRow("K1AA", "14000.0", 22);
    list.FrequencyHighestSelect(grid(), 1, 3);
    EXPECT_EQ(Rows(), (Strings{"K1AA 18000.0 x", "K1AA 14000.0", "K1AA 10000.0"}));
    EXPECT_EQ(FrequencyColor(1), best().m_lColorHigher);
}

TEST_F(SelectionTest, PactorModes) {
    const struct {
        const char* system;
        int mode;
        Strings rows;
    } cases[] = {
        {"HAM", 0, {"K1AA 14108.0(p3) x", "K1AA 7100.0", "K1AA 3590.0(p3)"}},
        {"HAM", 1, {"K1AA 14108.0(p3)", "K1AA 7100.0 x", "K1AA 3590.0(p3)"}},
        {"HAM", 2, {"K1AA 14108.0(p3) x", "K1AA 7100.0 x", "K1AA 3590.0(p3)"}},
        {"ham", 0, {"K1AA 14108.0(p3) x", "K1AA 7100.0", "K1AA 3590.0(p3)"}},
        {"SAILMAIL", 0, {"K1AA 14108.0(p3) x", "K1AA 7100.0 x", "K1AA 3590.0(p3)"}},
        {"SAILMAIL", 1, {"K1AA 14108.0(p3) x", "K1AA 7100.0 x", "K1AA 3590.0(p3)"}},
    };
    for (const auto& c : cases) {
        main.m_sSystem = QString::fromLatin1(c.system);
        main.settings.m_iStationPactorMode = c.mode;
        Header();
        AddRows({{"K1AA", "14108.0(p3)", 10, true, true}, {"K1AA", "7100.0", 10, true, false}});
        AddRow("K1AA", "3590.0(p3)", 10, false, true);  // already unchecked stays so
        list.FrequencyPactorFilter(grid(), 1, 3);
        EXPECT_EQ(Rows(), c.rows) << c.system << " mode " << c.mode;
    }
}

TEST_F(SelectionTest, TrimWithoutAdditionalDataRemovesUncheckedRows) {
    main.settings.m_bPropagationAdditionalData = false;
    AddRows({{"W2BB", "3000.0", 40}, {"K1AA", "7000.0", 20, false}, {"K1AA", "10000.0", 25},
             {"K1AA", "14000.0", 25, false}, {"K1AA", "18000.0", 5}});
    int last = 5;
    list.FrequencyTrimList(grid(), 2, last);
    EXPECT_EQ(last, 3);
    EXPECT_EQ(Rows(), (Strings{"W2BB 3000.0 x", "K1AA 10000.0 x", "K1AA 18000.0 x"}));

    // A station with nothing checked disappears.
    AddRow("N3CC", "7000.0", 20, false);
    last = 4;
    list.FrequencyTrimList(grid(), 4, last);
    EXPECT_EQ(last, 3);
    EXPECT_EQ(grid().Rows(), 4);

    // Its only row after the header.
    Header();
    AddRow("N3CC", "7000.0", 20, false);
    last = 1;
    list.FrequencyTrimList(grid(), 1, last);
    EXPECT_EQ(last, 0);
    EXPECT_EQ(grid().Rows(), 1);
}

TEST_F(SelectionTest, TrimWithAdditionalDataKeepsEveryRow) {
    main.settings.m_bPropagationAdditionalData = true;
    for (int top : {1, 2}) {
        main.settings.m_iStationTopFrequencies = top;
        Header();
        AddRows({{"K1AA", "10000.0", 25}, {"K1AA", "18000.0", 5, false}, {"K1AA", "7000.0", 20, false}});
        int last = 3;
        list.FrequencyTrimList(grid(), 1, last);
        EXPECT_EQ(last, 3);
        if (top == 1)  // in frequency order
            EXPECT_EQ(Rows(), (Strings{"K1AA 7000.0", "K1AA 10000.0 x", "K1AA 18000.0"}));
        else
            EXPECT_EQ(Rows(), (Strings{"K1AA 10000.0 x", "K1AA 18000.0", "K1AA 7000.0"}));
    }
}

// ---- Ranking ----------------------------------------------------------------

TEST_F(SelectionTest, TopStationsByBestCheckedSnr) {
    main.settings.m_iStationTopStations = 2;
    main.settings.m_iStationTopFrequencies = 2;
    AddRows({{"A10", "7000.0", 10}, {"A10", "10000.0", 8}, {"B30", "7000.0", 30}, {"B30", "3000.0", 2}});
    AddRow("C20", "7000.0", 50, false);  // unchecked: does not count
    AddRow("C20", "14000.0", 20);
    AddRow("D00", "7000.0", 90, false);  // nothing checked: never chosen
    list.StationTopSelect(grid(), best().m_iColSnr);
    EXPECT_EQ(Rows(), (Strings{"B30 7000.0 x", "B30 3000.0 x", "C20 7000.0", "C20 14000.0 x"}));
}

TEST_F(SelectionTest, TopStationsWithOneFrequencyEndSortedBySnrFrequencyAndRange) {
    main.settings.m_iStationTopStations = 5;
    main.settings.m_iStationTopFrequencies = 1;
    AddRows({{"A", "7000.0", 10, true, false, 900}, {"B", "7000.0", 30, true, false, 500},
             {"C", "14000.0", 20, true, false, 800}, {"D", "7000.0", 20, true, false, 300},
             {"E", "7000.0", 20, true, false, 200}, {"F", "3000.0", 5, true, false, 100},
             {"G", "3000.0", 1, true, false, 100}});
    list.StationTopSelect(grid(), best().m_iColSnr);
    EXPECT_EQ(Rows(), (Strings{"B 7000.0 x", "C 14000.0 x", "E 7000.0 x", "D 7000.0 x", "A 7000.0 x"}));
}

TEST_F(SelectionTest, WithAdditionalDataTheStationsStayInOneBlockEach) {
    main.settings.m_iStationTopStations = 5;
    main.settings.m_iStationTopFrequencies = 1;
    main.settings.m_bPropagationAdditionalData = true;
    AddRows({{"A", "3000.0", 5, false, false, 900}, {"A", "7000.0", 20, true, false, 900},
             {"B", "3000.0", 10, false, false, 500}, {"B", "10000.0", 20, true, false, 500},
             {"B", "14000.0", 25, false, false, 500}, {"C", "3000.0", 30, true, false, 100}});
    list.StationTopSelect(grid(), best().m_iColSnr);
    // C (30), then B (20 at the higher frequency), then A; each block as it was.
    EXPECT_EQ(Rows(), (Strings{"C 3000.0 x", "B 3000.0", "B 10000.0 x", "B 14000.0", "A 3000.0", "A 7000.0 x"}));
}

TEST_F(SelectionTest, FindBestTakesTheTopmostOfEqualSnrs) {
    AddRows({{"A", "7000.0", 20}, {"A", "3000.0", 20}, {"B", "7000.0", 20}, {"B", "3000.0", 25, false}});
    EXPECT_EQ(list.StationFindBest(grid(), 1, 4, best().m_iColSnr), std::make_pair(1, 2));
    EXPECT_EQ(list.StationFindBest(grid(), 3, 4, best().m_iColSnr), std::make_pair(3, 4));
    grid().SetRows(1);
    AddRow("A", "3000.0", 25, false);
    EXPECT_EQ(list.StationFindBest(grid(), 1, 1, best().m_iColSnr), std::make_pair(-1, -1));
}

TEST_F(SelectionTest, MovedRowsKeepTextsAlignmentBoldColoursAndCheckMarks) {
    AddRows({{"A", "7000.0", 20}, {"A", "3000.0(p3)", 15, false, true}});
    best().GridSetCellColor(grid(), 2, best().m_iColFrequency, best().m_lColorHigher);
    best().GridSetCellColor(grid(), 1, best().m_iColSnr, best().m_lColorOffset);
    list.GridMoveRowsToEnd(grid(), 1, 2);
    ASSERT_EQ(grid().Rows(), 5);
    for (int r = 1; r <= 2; ++r) {
        for (int c = 0; c < grid().Cols(); ++c) {
            EXPECT_EQ(grid().Text(r + 2, c), grid().Text(r, c)) << r << "," << c;
            EXPECT_EQ(grid().CellAlignment(r + 2, c), grid().CellAlignment(r, c)) << r << "," << c;
            EXPECT_EQ(grid().Bold(r + 2, c), grid().Bold(r, c)) << r << "," << c;
            EXPECT_EQ(grid().BackColor(r + 2, c), grid().BackColor(r, c)) << r << "," << c;
        }
        EXPECT_EQ(Checked(r + 2), Checked(r));
    }
    EXPECT_EQ(Frequency(4), QStringLiteral("3000.0(p3)"));
    EXPECT_EQ(grid().Text(4, best().m_iColP3), QStringLiteral(" "));
}

TEST_F(SelectionTest, SharedFrequenciesInMagenta) {
    AddRows({{"A", "14108.0", 20}, {"A", "7100.0", 20}, {"B", "14108.0", 10}});
    AddRow("B", "7100.0(p3)", 10, true, true);  // another text
    AddRow("C", "3590.0", 10);
    best().GridSetCellColor(grid(), 3, best().m_iColFrequency, best().m_lColorHigher);
    list.FrequencyMarkShared(grid());
    const bool shared[] = {true, false, true, false, false};
    for (int r = 1; r <= 5; ++r)
        EXPECT_EQ(FrequencyColor(r) == best().m_lColorShared, shared[r - 1]) << r;
}

// ---- A station's frequency rows ---------------------------------------------

class FrequencyRowsTest : public SelectionTest {
protected:
    FrequencyRowsTest() {
        drive.WriteAirMail(QStringLiteral("System.HAM.ini"),
                           QStringLiteral("[Station Info]\nK1AA=FN42LI:Somewhere\n"
                                          "[Frequency List]\nK1AA=14108#,7100;3590.5,,10000#,\n"));
        drive.WriteAirMail(QStringLiteral("System.SAILMAIL.ini"),
                           QStringLiteral("[Station Info]\nWQA=CM87MM:Harbour Point;P3;x\nWQB=CM88:Bay;more\n"
                                          "[Frequency List]\nWQA=14108,7100#\nWQB=14108,7100#\n"));
    }
    QString Marker(int row) { return grid().Text(row, best().m_iColP3); }
};

TEST_F(FrequencyRowsTest, HamRowsCheckedWithTheirPactor3Markers) {
    main.m_sSystem = QStringLiteral("HAM");
    main.m_sStation = QStringLiteral("K1AA");
    main.m_sStationName = QStringLiteral("K1AA");
    AddRow("W2BB", "3000.0", 40);
    grid().SetRows(5);  // left over beyond the station's first row
    int last = 0;
    ASSERT_TRUE(list.StationGetFrequencies(grid(), 2, last));
    EXPECT_EQ(last, 5);
    EXPECT_EQ(grid().Rows(), 6);
    EXPECT_EQ(Rows(), (Strings{"W2BB 3000.0 x", " 14108.0(p3) x", " 7100.0 x", " 3590.5 x", " 10000.0(p3) x"}));
    EXPECT_EQ(grid().Text(2, best().m_iColFrequency), QStringLiteral("      14108.0(p3)"));
    const char* markers[] = {" ", "", "", " "};
    for (int r = 2; r <= 5; ++r) {
        EXPECT_EQ(Marker(r).toStdString(), markers[r - 2]) << r;
        EXPECT_EQ(grid().CellAlignment(r, best().m_iColP3), AlignCenter);
    }
    EXPECT_TRUE(main.m_sStationName.isEmpty());  // the Station column shows the identifier
    EXPECT_TRUE(Text(2, best().m_iColFrequency - 1).isEmpty());
}

TEST_F(FrequencyRowsTest, SailMailStationsWithP3AreWholePactor3) {
    main.m_sSystem = QStringLiteral("SAILMAIL");
    main.m_sStation = QStringLiteral("WQA");
    int last = 0;
    ASSERT_TRUE(list.StationGetFrequencies(grid(), 1, last));
    EXPECT_EQ(main.m_sStationName, QStringLiteral("Harbour Point"));
    EXPECT_EQ(Marker(1), QStringLiteral(" "));
    EXPECT_EQ(Marker(2), QStringLiteral(" "));

    main.m_sStation = QStringLiteral("WQB");
    ASSERT_TRUE(list.StationGetFrequencies(grid(), 3, last));
    EXPECT_EQ(main.m_sStationName, QStringLiteral("Bay"));
    EXPECT_EQ(Marker(3), QString());
    EXPECT_EQ(Marker(4), QStringLiteral(" "));
}

TEST_F(FrequencyRowsTest, DialFrequenciesWhenAsked) {
    main.settings.m_bRadioFrequency = true;
    WriteAirMailIni(QStringLiteral("[Hardware]\nDecoderType=PTC\nFSKDialCenter=1\nPTC Center Tone=1500\nRadio Mode=3\n"));
    Header();
    main.m_sSystem = QStringLiteral("HAM");
    main.m_sStation = QStringLiteral("K1AA");
    int last = 0;
    ASSERT_TRUE(list.StationGetFrequencies(grid(), 1, last));
    EXPECT_EQ(Text(1, best().m_iColFrequency - 1), QStringLiteral("14106.5 (USB)"));
    EXPECT_EQ(Text(2, best().m_iColFrequency - 1), QStringLiteral("7101.5 (LSB)"));
    EXPECT_EQ(grid().CellAlignment(2, best().m_iColFrequency - 1), AlignRight);
}

TEST_F(FrequencyRowsTest, AStationWithoutFrequencyListFailsWithTheReadersMessage) {
    main.m_sSystem = QStringLiteral("HAM");
    main.m_sStation = QStringLiteral("N0NE");
    AddRow("W2BB", "3000.0", 40);
    int last = 0;
    EXPECT_FALSE(list.StationGetFrequencies(grid(), 2, last));
    EXPECT_EQ(grid().Rows(), 2);
    ASSERT_EQ(drive.ui.messages.size(), 1u);
    EXPECT_TRUE(drive.ui.LastMessage().startsWith(
        QStringLiteral("Unable to find AirMail's Frequency List, N0NE in \"System.HAM.ini\".")));
}

// ---- Whole builds -----------------------------------------------------------

class BuildTest : public SelectionTest {
protected:
    BuildTest() {
        drive.WriteAirMail(QStringLiteral("System.HAM.ini"),
                           QStringLiteral("[Station Info]\nK1AA=FN42LI:a\nW2BB=FN31PR:b\nN3CC=FM19LA:c\nK4DD=EM73:d\n"
                                          "[Frequency List]\nK1AA=14108#,7100\nW2BB=14108,10140#\nN3CC=3590,7100#\n"
                                          "K4DD=7100\n"
                                          "[Frequency Setup]\nSelected=K1AA,W2BB,N3CC\n"));
        WriteAirMailIni(QStringLiteral("[Stations]\nLast System=HAM\n"));
        main.settings.m_iStationTopStations = 2;
        main.settings.m_iStationTopFrequencies = 1;
        main.settings.m_bStationHighestFrequency = false;
        main.settings.m_bPropagationAdditionalData = false;
        main.settings.m_iStationPactorMode = 2;
        main.settings.m_bAirMailStartup = true;
        fake.Set("K1AA", "14108.0", 10);
        fake.Set("K1AA", "7100.0", 12);
        fake.Set("W2BB", "14108.0", 30);
        fake.Set("W2BB", "10140.0", 30);
        fake.Set("N3CC", "3590.0", 20);
        fake.Set("N3CC", "7100.0", 8);
        list.TerminalActivate = [this] { ++terminalActivations; };
        // The update cycle around the build, as the application wires it.
        main.steps.LatLonGetCurrent = [this](LatLon& p) { return position.LatLonGetCurrent(p.lat, p.lon); };
        main.steps.LatLonEncode = [](double v, bool isLat) { return QString::number(v) + (isLat ? "lat" : "lon"); };
        main.steps.BestListBuild = [this] { return list.BestListBuild(); };
    }
    std::vector<QString> StatusMessages() {
        std::vector<QString> out;
        for (const auto& w : drive.ui.panelWrites)
            if (w.panel == 2) out.push_back(w.text);
        return out;
    }
    int terminalActivations = 0;
};

TEST_F(BuildTest, BuildsRanksAndMarksTheList) {
    ASSERT_TRUE(list.BestListBuild());
    EXPECT_EQ(main.m_sSystem, QStringLiteral("HAM"));
    EXPECT_EQ(main.cmbSystem.Text(), QStringLiteral("HAM"));
    // Each station's best frequency (the higher one on equal SNR), the best two stations.
    EXPECT_EQ(Rows(), (Strings{"W2BB 14108.0 x", "N3CC 3590.0 x"}));
    EXPECT_TRUE(grid().Redraw());
    ASSERT_EQ(fake.calls.size(), 3u);
    for (const auto& call : fake.calls) EXPECT_FALSE(call.redraw) << call.station.toStdString();
    EXPECT_EQ(fake.calls[0].time, QDateTime::fromSecsSinceEpoch(test::kNoonUtc, Qt::UTC));
    EXPECT_EQ(StatusMessages(), (std::vector<QString>{QStringLiteral("Propagation, K1AA "),
                                                      QStringLiteral("Propagation, W2BB "),
                                                      QStringLiteral("Propagation, N3CC "), QStringLiteral(" ")}));
    EXPECT_EQ(terminalActivations, 1);
    EXPECT_TRUE(drive.ui.messages.empty()) << drive.ui.LastMessage().toStdString();

    // Later updates do not start AirMail again.
    main.m_bActivated = true;
    Header();
    ASSERT_TRUE(list.BestListBuild());
    EXPECT_EQ(terminalActivations, 1);
}

TEST_F(BuildTest, SharedFrequenciesAmongTheStationsShown) {
    fake.Set("N3CC", "7100.0", 25);  // now N3CC's best is 7100.0, which K1AA also lists
    main.settings.m_iStationTopStations = 3;
    ASSERT_TRUE(list.BestListBuild());
    EXPECT_EQ(Rows(), (Strings{"W2BB 14108.0 x", "N3CC 7100.0(p3) x", "K1AA 7100.0 x"}));
    // 7100.0(p3) and 7100.0 are different texts; W2BB's 14108.0 is K1AA's unchosen one.
    for (int r = 1; r <= 3; ++r) EXPECT_NE(FrequencyColor(r), best().m_lColorShared) << r;

    fake.Set("K1AA", "14108.0", 15);
    main.settings.m_iStationPactorMode = 1;  // HAM: no Pactor 3 frequencies
    Header();
    ASSERT_TRUE(list.BestListBuild());
    EXPECT_EQ(Rows(), (Strings{"W2BB 14108.0 x", "N3CC 3590.0 x", "K1AA 7100.0 x"}));

    main.settings.m_iStationPactorMode = 0;  // only Pactor 3 frequencies
    Header();
    ASSERT_TRUE(list.BestListBuild());
    EXPECT_EQ(Rows(), (Strings{"W2BB 10140.0(p3) x", "N3CC 7100.0(p3) x", "K1AA 14108.0(p3) x"}));
}

TEST_F(BuildTest, SharedFrequencyShownByTwoStations) {
    fake.Set("K1AA", "14108.0", 40);
    ASSERT_TRUE(list.BestListBuild());
    EXPECT_EQ(Rows(), (Strings{"K1AA 14108.0(p3) x", "W2BB 14108.0 x"}));
    EXPECT_NE(FrequencyColor(1), best().m_lColorShared);  // "(p3)" is kept in the comparison

    drive.WriteAirMail(QStringLiteral("System.HAM.ini"),
                       QStringLiteral("[Station Info]\nK1AA=FN42LI:a\nW2BB=FN31PR:b\n"
                                      "[Frequency List]\nK1AA=14108,7100\nW2BB=14108,10140#\n"
                                      "[Frequency Setup]\nSelected=K1AA,W2BB\n"));
    Header();
    ASSERT_TRUE(list.BestListBuild());
    EXPECT_EQ(Rows(), (Strings{"K1AA 14108.0 x", "W2BB 14108.0 x"}));
    EXPECT_EQ(FrequencyColor(1), best().m_lColorShared);
    EXPECT_EQ(FrequencyColor(2), best().m_lColorShared);
}

TEST_F(BuildTest, NothingLeftToConnectIsToldButTheBuildIsDone) {
    main.settings.m_iStationPactorMode = 0;
    drive.WriteAirMail(QStringLiteral("System.HAM.ini"),
                       QStringLiteral("[Station Info]\nK1AA=FN42LI:a\n[Frequency List]\nK1AA=14108,7100\n"
                                      "[Frequency Setup]\nSelected=K1AA\n"));
    EXPECT_TRUE(list.BestListBuild());
    EXPECT_EQ(grid().Rows(), 1);
    ASSERT_EQ(drive.ui.messages.size(), 1u);
    EXPECT_EQ(drive.ui.LastMessage(), QStringLiteral("Unable to select any of the listed connect frequencies."));
    EXPECT_EQ(drive.ui.PanelText(2), QStringLiteral("Select, No Frequencies "));
}

TEST_F(BuildTest, WithAdditionalDataTheUncheckedRowsStay) {
    main.settings.m_bPropagationAdditionalData = true;
    Header();
    ASSERT_TRUE(list.BestListBuild());
    EXPECT_EQ(Rows(), (Strings{"W2BB 10140.0(p3)", "W2BB 14108.0 x", "N3CC 3590.0 x", "N3CC 7100.0(p3)"}));
    EXPECT_EQ(Text(1, best().m_iColLufMuf), QStringLiteral("12000.0"));
}

TEST_F(BuildTest, HighestFrequencyRuleInTheBuild) {
    main.settings.m_bStationHighestFrequency = true;
    main.settings.m_fStationHighestSnrRange = 3.0f;
    fake.Set("N3CC", "7100.0", 18);  // within 3 dB of 20 and higher
    ASSERT_TRUE(list.BestListBuild());
    EXPECT_EQ(Rows(), (Strings{"W2BB 14108.0 x", "N3CC 7100.0(p3) x"}));
    EXPECT_EQ(FrequencyColor(2), best().m_lColorHigher);
    EXPECT_NE(FrequencyColor(1), best().m_lColorHigher);
}

// The update cycle with a build that stops: Refresh bold, Start disabled, the
// rows of the stations already done kept as they were.
class BuildFailureTest : public BuildTest {
protected:
    void ExpectStoppedAfterTheFirstStation(const QString& message) {
        main.Update(false);
        EXPECT_TRUE(main.cmdUpdate.bold);
        EXPECT_FALSE(main.cmdStart.enabled);
        EXPECT_FALSE(main.cmdStart.bold);
        EXPECT_TRUE(grid().Redraw());
        ASSERT_FALSE(drive.ui.messages.empty());
        EXPECT_TRUE(drive.ui.messages.front().text.startsWith(message)) << drive.ui.messages.front().text.toStdString();
        EXPECT_EQ(drive.ui.PanelText(2).startsWith(QStringLiteral("Propagation, W2BB")) ||
                      drive.ui.PanelText(2) == QStringLiteral("Airmail Data Problem "),
                  true)
            << drive.ui.PanelText(2).toStdString();
        // K1AA's evaluated row is there as it was left.
        ASSERT_GE(grid().Rows(), 2);
        EXPECT_EQ(StationOf(1), QStringLiteral("K1AA"));
        EXPECT_EQ(Frequency(1), QStringLiteral("7100.0"));
        EXPECT_EQ(Snr(1), QStringLiteral("12"));
        EXPECT_TRUE(Checked(1));
        // The settings are untouched.
        EXPECT_EQ(main.settings.m_iStationTopStations, 2);
        EXPECT_EQ(main.settings.m_iStationTopFrequencies, 1);
    }
};

TEST_F(BuildFailureTest, AStationWithoutFrequencyList) {
    drive.WriteAirMail(QStringLiteral("System.HAM.ini"),
                       QStringLiteral("[Station Info]\nK1AA=FN42LI:a\nW2BB=FN31PR:b\n"
                                      "[Frequency List]\nK1AA=14108#,7100\n"
                                      "[Frequency Setup]\nSelected=K1AA,W2BB\n"));
    ExpectStoppedAfterTheFirstStation(QStringLiteral("Unable to find AirMail's Frequency List, W2BB in \"System.HAM.ini\"."));
    EXPECT_EQ(grid().Rows(), 2);
}

TEST_F(BuildFailureTest, AStationWithoutPosition) {
    drive.WriteAirMail(QStringLiteral("System.HAM.ini"),
                       QStringLiteral("[Station Info]\nK1AA=FN42LI:a\n"
                                      "[Frequency List]\nK1AA=14108#,7100\nW2BB=14108,10140#\n"
                                      "[Frequency Setup]\nSelected=K1AA,W2BB\n"));
    ExpectStoppedAfterTheFirstStation(QStringLiteral("Unable to find AirMail's Station Info, W2BB in \"System.HAM.ini\"."));
    // W2BB's rows hold only their frequencies.
    ASSERT_EQ(grid().Rows(), 4);
    EXPECT_EQ(Frequency(2), QStringLiteral("14108.0"));
    EXPECT_TRUE(Snr(2).isEmpty());
    EXPECT_TRUE(StationOf(3).isEmpty());
}

// A process runner whose program never ends well.
class FailingRunner : public platform::IProcessRunner {
public:
    int starts = 0;
    platform::ProcessStart Start(const std::string&, const std::vector<std::string>&, const std::string&) override {
        ++starts;
        return {1000 + starts, 0};
    }
    platform::ProcessEnd Wait(platform::ProcessId, double) override { return platform::ProcessEnd::Failed; }
    void Kill(platform::ProcessId) override {}
};

TEST_F(BuildFailureTest, APropagationProgramThatFailsTwice) {
    // The real driver over a program that is installed but fails; K1AA's
    // prediction comes from the stand-in, W2BB's from the driver.
    QDir(drive.temp.path()).mkpath(QStringLiteral("itshfbc/bin_win"));
    QDir(drive.temp.path()).mkpath(QStringLiteral("itshfbc/RUN"));
    drive.WriteBytes(QStringLiteral("C:\\itshfbc\\bin_win\\rec533w.exe"), QByteArray("program"));
    FailingRunner runner;
    Propagation propagation(main.settings, drive.ui, drive.paths, runner, clock, QStringLiteral("Tidewell"), 0.1);
    const PropagationGetFunction stand = fake.Function();
    const PropagationGetFunction real = PropagationGetOf(propagation);
    BestList mixed(main, airmail, position, [&](int model, const QDateTime& t, const PropagationPositions& p,
                                                const std::vector<float>& f, float ssn,
                                                std::vector<PropagationResult>& r, PropagationPath& path) {
        return (main.m_sStation == QStringLiteral("K1AA") ? stand : real)(model, t, p, f, ssn, r, path);
    });
    main.steps.BestListBuild = [&] { return mixed.BestListBuild(); };
    main.settings.m_iPropagationModel = ModelRec533;

    ExpectStoppedAfterTheFirstStation(QStringLiteral("PropagationRec533, "));
    EXPECT_EQ(runner.starts, 2);                // one retry
    EXPECT_EQ(drive.ui.messages.size(), 1u);    // a message on the retry only
    EXPECT_EQ(drive.ui.PanelText(2), QStringLiteral("Propagation, W2BB "));
    ASSERT_EQ(grid().Rows(), 4);
    EXPECT_TRUE(Snr(2).isEmpty());
}

TEST_F(BuildFailureTest, NoSystemsOrNoStations) {
    main.Update(false);
    EXPECT_FALSE(main.cmdUpdate.bold);

    // No systems.
    QFile::remove(drive.Native(QStringLiteral("C:\\Program Files\\AirMail\\System.HAM.ini")));
    drive.ui.ClearRecords();
    main.Update(false);
    EXPECT_TRUE(main.cmdUpdate.bold);
    EXPECT_FALSE(main.cmdStart.enabled);
    EXPECT_EQ(drive.ui.messages.size(), 1u);
    EXPECT_TRUE(fake.calls.size() == 3u);

    // No stations: nothing selected and none with a position.
    drive.WriteAirMail(QStringLiteral("System.HAM.ini"), QStringLiteral("[Station Info]\nK1AA=FN42LI:a\n"));
    drive.ui.ClearRecords();
    main.Update(false);
    EXPECT_TRUE(main.cmdUpdate.bold);
    EXPECT_FALSE(main.cmdStart.enabled);
    EXPECT_FALSE(drive.ui.messages.empty());
    EXPECT_TRUE(grid().Redraw());
}

}  // namespace
}  // namespace tw
