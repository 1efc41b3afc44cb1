// The options dialog and the antenna offset table editor without widgets, on
// a real drive C: (AirMail's files and Tidewell.Ini on disk).

#include <gtest/gtest.h>

#include <QFile>

#include "app/frmOptions.h"
#include "core/BestListFixture.h"
#include "selection/Evaluate.h"

namespace tw {
namespace {

class OptionsTest : public test::SelectionTest {
protected:
    OptionsTest() : options(frmOptions::Services{main, airmail, position, metrics, QLocale::c()}) {
        QDir().mkpath(drive.Native(QStringLiteral("C:\\Tidewell")));
        main.steps.LatLonGetCurrent = [](LatLon& p) {
            p = {38.6, -10.3};
            return true;
        };
        main.steps.BestListBuild = [this] { return ++builds > 0; };
        drive.WriteAirMail(QStringLiteral("System.HAM.ini"),
                           QStringLiteral("[Station Info]\nZZ0AA=FN42aa\nZZ1BB=FN43aa\n"
                                          "[Frequency List]\nZZ0AA=14108,7100#\nZZ1BB=10145\n"));
    }
    void Type(const char* name, const QString& text) {
        options.SetText(*options.FieldByName(QString::fromLatin1(name)), text);
    }
    void Row(int row, const OffsetFields& fields) {
        Grid& g = options.offsets.grdOffset;
        if (g.Rows() <= row) g.SetRows(row + 1);
        for (int c = 0; c < kOffsetFieldCount; ++c) g.SetText(row, c, fields[c]);
    }
    QString Cell(int row, int col) { return options.offsets.grdOffset.Text(row, col); }

    frmOptions options;
    int builds = 0;
};

// Load shows the record; edits survive a second opening; Apply takes them
// over (the days only while "Check Days" is ticked, the minutes always, 0
// top stations as typed), writes the offset table into Tidewell.Ini at once,
// rebuilds the list and reloads; the settings reach the file at exit.
TEST_F(OptionsTest, ApplyTakesTheTabsOverAndTheProfileKeepsThem) {
    options.ShowTab(frmOptions::TabRadio);
    EXPECT_EQ(options.txtPropagationNoiseLevel.text, QStringLiteral("-145"));
    EXPECT_TRUE(options.optPropagationModel[ModelRec533].value);
    EXPECT_FALSE(options.txtPropagationSunSpotNumber.enabled);  // "Auto" ticked
    EXPECT_EQ(options.lblAirMailLatLon.text,
              QString::fromUtf8("Lat 38°36.00'N,  Lon 010°20.00'W\nPosition is 1 hours old."));
    EXPECT_EQ(options.lblAirMailVersion.text, QStringLiteral("Tested Version 3.2.022\nCurrent Version N/A"));
    EXPECT_EQ(options.lblProfileFile.text, main.settings.m_sProfileFile);

    Type("txtPropagationNoiseLevel", QStringLiteral("-150.5"));
    Type("txtStationTopStations", QStringLiteral("0"));
    Type("txtStationHistoryDays", QStringLiteral("30"));
    options.SetChecked(options.chkStationHistoryRanking, true);
    Type("txtAirmailLatLonCheckDays", QStringLiteral("99"));
    Type("txtAirmailLastConnect", QStringLiteral("30"));
    options.SetChecked(options.chkAirmailLatLonCheck, false);
    options.SetChecked(options.chkAirmailLastConnect, false);
    options.SetChecked(options.chkStationHighestFrequency, false);
    options.SetChecked(options.chkStationNextAfterNoAnswer, true);
    options.SelectOption(options.optStationAllStations);
    options.SetListIndex(options.cmbStationPactorMode, 2);
    options.offsets.useOffsets = true;
    Row(1, {"HAM", "ZZ0AA", "14108.0, 7100.0(p3)", "6", "", "", "", ""});
    Row(2, {"HAM", "", "", "3", "", "", "", ""});  // not stored: no station
    EXPECT_FALSE(options.txtAirmailLatLonCheckDays.visible);
    EXPECT_FALSE(options.lblStationHighestSnrRange.visible);
    options.ShowTab(frmOptions::TabStation);  // open again: the edits stay
    EXPECT_EQ(options.txtPropagationNoiseLevel.text, QStringLiteral("-150.5"));
    EXPECT_EQ(options.tab, frmOptions::TabStation);

    options.cmdApply_Click();
    const Settings& s = main.settings;
    EXPECT_EQ(s.m_fPropagationNoiseLevel, -150.5f);
    EXPECT_EQ(s.m_iStationTopStations, 0);
    EXPECT_EQ(s.m_iAirMailLatLonCheckDays, 7);
    EXPECT_EQ(s.m_iAirMailLastConnectCheckMinutes, 30);
    EXPECT_TRUE(s.m_bStationAllStations && s.m_bStationOffset && s.m_bStationNextAfterNoAnswer);
    EXPECT_FALSE(s.m_bStationHighestFrequency || s.m_bAirMailLatLonCheck);
    EXPECT_EQ(s.m_iStationPactorMode, 2);
    EXPECT_EQ(std::pair(s.m_bStationHistoryRanking, s.m_iStationHistoryDays), std::pair(true, 30));
    EXPECT_EQ(builds, 1);
    EXPECT_TRUE(options.Loaded());
    EXPECT_EQ(options.offsets.grdOffset.Rows(), 2);  // reloaded: the stored row only
    EXPECT_EQ(Cell(1, OffsetColFrequency), QStringLiteral("14108.0, 7100.0(p3)"));

    main.Form_Unload();
    QFile ini(drive.Native(QStringLiteral("C:\\Tidewell\\Tidewell.Ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray text = ini.readAll();
    for (const char* line : {"Next Station After No Answer=True\r\n", "Row1=System,Station,Frequency,",
                             "Row2=HAM,ZZ0AA,14108.0 7100.0(p3),6,,,,\r\n", "Rows=2\r\n"})
        EXPECT_TRUE(text.contains(line)) << line << "\n" << text.constData();

    // No row can be stored: the rows typed stay; opened anew, one empty row.
    Row(1, {"HAM", "ZZ0AA", "", "", "", "", "", ""});
    options.cmdApply_Click();
    EXPECT_EQ(Cell(1, OffsetColStation), QStringLiteral("ZZ0AA"));
    options.cmdOK_Click();
    EXPECT_EQ(std::pair(options.Loaded(), builds), std::pair(false, 3));
    options.ShowTab(frmOptions::TabAntenna);
    EXPECT_EQ(Cell(1, OffsetColStation), QString());
}

// A number box that holds no number refuses OK and Apply with a message
// naming the tab and the box; nothing is taken over and the dialog stays.
// Numbers the dialog allows (0, negative counts, a fraction in a box for a
// whole number) pass; the days box is not read while "Check Days" is clear.
TEST_F(OptionsTest, ABoxWithoutANumberRefusesTheChange) {
    const struct {
        const char* box;
        const char* text;
        bool ok;
        const char* named;
    } cases[] = {
        {"txtPropagationNoiseLevel", "abc", false, "The Propagation tab's \"Noise Level\" box holds \"abc\""},
        {"txtStationTopStations", "", false, "The Station tab's \"Top Stations\" box holds \"\""},
        {"txtPropagationSunSpotNumber", "12a", false, "\"Sunspot Number\""},
        {"txtAirmailLastConnect", "x", false, "The AirMail tab's \"Check Time\""},
        {"txtStationTopStations", "-2", true, ""},
        {"txtStationHighestSnrRange", "0", true, ""},
        {"txtStationTopFrequencies", "2.5", true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box);
        options.ShowTab(frmOptions::TabAirMail);
        drive.ui.ClearRecords();
        builds = 0;
        Type("txtPropagationTakeoffAngle", QStringLiteral("5"));
        Type(c.box, QString::fromLatin1(c.text));
        options.cmdOK_Click();
        EXPECT_EQ(options.Loaded(), !c.ok);
        EXPECT_EQ(main.settings.m_fPropagationTakeoffAngle, c.ok ? 5.0f : 10.0f);
        EXPECT_EQ(builds, c.ok ? 1 : 0);
        ASSERT_EQ(drive.ui.messages.size(), c.ok ? 0u : 1u);
        if (!c.ok) {
            EXPECT_TRUE(drive.ui.LastMessage().contains(QString::fromLatin1(c.named)));
        }
        options.Unload();
        main.settings.m_fPropagationTakeoffAngle = 10.0f;
    }
    options.ShowTab(frmOptions::TabAirMail);
    options.SetChecked(options.chkAirmailLatLonCheck, false);
    Type("txtAirmailLatLonCheckDays", QStringLiteral("many"));
    options.cmdApply_Click();
    EXPECT_TRUE(drive.ui.messages.empty());
    EXPECT_EQ(main.settings.m_iStationTopFrequencies, 3);
}

// ICEPAC sets the sporadic E factor to 0.7, VOACAP to 0; REC533 keeps the last.
TEST_F(OptionsTest, TheModelSetsTheSporadicEFactor) {
    const std::pair<int, float> steps[] = {
        {ModelVoacap, 0.0f}, {ModelRec533, 0.0f}, {ModelIcepac, 0.7f}, {ModelRec533, 0.7f}, {ModelVoacap, 0.0f}};
    options.ShowTab(frmOptions::TabPropagation);
    for (const auto& [model, es] : steps) {
        SCOPED_TRACE(model);
        options.SelectOption(options.optPropagationModel[model]);
        options.cmdApply_Click();
        EXPECT_EQ(main.settings.m_iPropagationModel, model);
        EXPECT_EQ(main.settings.m_fPropagationLayerAdjustEs, es);
    }
}

TEST(OptionsTexts, DateAgeTextCountsBoundariesWithoutASingular) {
    const auto at = [](const char* text) { return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate); };
    const struct {
        const char* time;
        const char* now;
        const char* age;
    } cases[] = {
        {"2026-06-06T10:05:00Z", "2026-06-06T13:20:00Z", "3 hours"},
        {"2026-06-05T23:50:00Z", "2026-06-06T00:10:00Z", "1 days"},
        {"2026-06-06T10:59:59Z", "2026-06-06T11:00:00Z", "1 hours"},
        {"2026-06-06T10:05:59Z", "2026-06-06T10:06:00Z", "1 minutes"},
        {"2026-06-06T10:05:00Z", "2026-06-06T10:05:59Z", "0 minutes"},
        {"2026-06-07T01:00:00Z", "2026-06-06T23:00:00Z", "-1 days"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.time);
        EXPECT_EQ(DateAgeText(at(c.time), at(c.now)), QString::fromLatin1(c.age));
    }
}

TEST(OptionsTexts, RadioDialMathShowsSignedRoundedOffsetsOrTheError) {
    RadioTuning t{.fP2Offset = 1499.6f, .sP2Mode = QStringLiteral("LSB"), .fP3Offset = -1500.0f,
                  .sP3Mode = QStringLiteral("USB"), .sError = QStringLiteral("Unable to get Radio Mode")};
    EXPECT_EQ(RadioDialMathText(true, t),
              QStringLiteral("P2,   Dial Frequency = Pactor Frequency + 1500   (LSB)\n"
                             "P3,   Dial Frequency = Pactor Frequency - 1500   (USB)"));
    t.fP2Offset = 0.0f;
    EXPECT_TRUE(RadioDialMathText(true, t).startsWith(QStringLiteral("P2,   Dial Frequency = Pactor Frequency   (LSB)\n")));
    EXPECT_EQ(RadioDialMathText(false, t), QStringLiteral("Unable to get Radio Mode"));
}

// Tab walks right and wraps from the last row's Stop to row 1's System;
// Shift+Tab wraps back.  The station editor offers the row's system's
// stations; the frequency list selects the cell's frequencies and writes
// the selection back.
TEST_F(OptionsTest, TheCellEditorsWrapAndWriteThrough) {
    options.ShowTab(frmOptions::TabAntenna);
    OffsetEditor& e = options.offsets;
    Row(1, {"HAM", "ZZ0AA", "7100.0(p3), 14108.0", "6", "", "", "", ""});
    Row(2, {"", "", "", "", "", "", "", "2400"});
    const struct {
        int row, col;
        bool back;
        int toRow, toCol;
        OffsetEditor::Editor editor;
    } cases[] = {
        {2, 7, false, 1, 0, OffsetEditor::Editor::Combo},
        {1, 0, true, 2, 7, OffsetEditor::Editor::Text},
        {1, 0, false, 1, 1, OffsetEditor::Editor::Combo},
        {1, 2, false, 1, 3, OffsetEditor::Editor::Text},
        {1, 3, true, 1, 2, OffsetEditor::Editor::List},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row * 10 + c.col);
        e.StartEdit(c.row, c.col);
        e.EditorTab(c.back);
        EXPECT_EQ(e.EditRow(), c.toRow);
        EXPECT_EQ(e.EditCol(), c.toCol);
        EXPECT_EQ(e.OpenEditor(), c.editor);
    }
    // A click names the cell under it, not another visible row.
    int row = -1, col = -1;
    e.CellAt(e.grdOffset.ColPos(2) + 1, e.grdOffset.RowPos(1) + 1, row, col);
    EXPECT_EQ(std::pair(row, col), std::pair(1, 2));
    EXPECT_EQ(e.lstItems, (QStringList{"14108.0", "7100.0(p3)"}));
    EXPECT_EQ(e.lstSelected, (QVector<bool>{true, true}));
    e.ListSetSelected(1, false);
    EXPECT_EQ(Cell(1, OffsetColFrequency), QStringLiteral("14108.0"));
    e.StartEdit(1, 1);
    EXPECT_EQ(e.cmbOffset.items, (QStringList{"ZZ0AA", "ZZ1BB"}));
    e.ComboChoose(1);
    EXPECT_EQ(Cell(1, OffsetColStation), QStringLiteral("ZZ1BB"));
    e.StartEdit(2, 1);  // no system: no editor
    EXPECT_EQ(e.OpenEditor(), OffsetEditor::Editor::None);
}

// Sort: System, Station as character codes, then Frequency and Start as numbers.
TEST_F(OptionsTest, SortOrdersBySystemStationFrequencyAndStart) {
    options.ShowTab(frmOptions::TabAntenna);
    const QStringList rows = {"SAILMAIL,Harbour,8000.0,1,,,0,", "HAM,zz0aa,7100.0,2,,,0,",
                              "HAM,ZZ0AA,14108.0,3,,,0,",     "HAM,ZZ0AA,7100.0,4,,,1200,",
                              "HAM,ZZ0AA,7100.0,5,,,600,"};
    for (int i = 0; i < rows.size(); ++i) Row(i + 1, OffsetLineSplit(rows[i]));
    options.offsets.cmdOffsetSort_Click();
    QStringList offsets;
    for (int r = 1; r <= rows.size(); ++r) offsets << Cell(r, OffsetColOffset);
    EXPECT_EQ(offsets, (QStringList{"5", "4", "3", "2", "1"}));
}

// Delete removes the row in the text or drop-down editor; the last data row
// is emptied instead; without such an editor it only tells how.
TEST_F(OptionsTest, DeleteRemovesTheEditedRowAndEmptiesTheLastOne) {
    options.ShowTab(frmOptions::TabAntenna);
    OffsetEditor& e = options.offsets;
    Row(1, {"HAM", "ZZ0AA", "", "1", "", "", "", ""});
    Row(2, {"HAM", "ZZ1BB", "", "2", "", "", "", ""});
    e.StartEdit(1, 2);  // the frequency list does not count
    e.cmdOffsetDelete_MouseDown();
    EXPECT_EQ(drive.ui.LastMessage(), QStringLiteral("Please Select the Row to Delete and then Press Delete"));
    e.StartEdit(1, 3);
    e.cmdOffsetDelete_MouseDown();
    ASSERT_EQ(e.grdOffset.Rows(), 2);
    EXPECT_EQ(Cell(1, OffsetColStation), QStringLiteral("ZZ1BB"));
    e.StartEdit(1, 0);
    e.cmdOffsetDelete_MouseDown();
    ASSERT_EQ(e.grdOffset.Rows(), 2);
    for (int c = 0; c < kOffsetFieldCount; ++c) EXPECT_EQ(Cell(1, c), QString()) << c;
}

// Cancel closes without a question and takes nothing over: the next
// opening shows the record, whose defaults (Default) stay.
TEST_F(OptionsTest, CancelDropsWhatWasNotApplied) {
    main.settings.m_iStationTopStations = 9;
    options.ShowTab(frmOptions::TabAntenna);
    Type("txtStationTopStations", QStringLiteral("7"));
    options.offsets.StartEdit(1, OffsetColOffset);
    options.offsets.TextChanged(QStringLiteral("5"));
    options.cmdCancel_Click();
    EXPECT_TRUE(drive.ui.messages.empty());
    EXPECT_FALSE(options.Loaded());
    options.ShowTab(frmOptions::TabStation);
    EXPECT_EQ(options.txtStationTopStations.text, QStringLiteral("9"));
    EXPECT_EQ(Cell(1, OffsetColOffset), QString());
    options.cmdDefault_Click();
    options.cmdCancel_Click();
    EXPECT_EQ(std::pair(main.settings.m_iStationTopStations, builds), std::pair(5, 0));
}

// Check tells of a row without a station (AirMail's message) and passes over
// the empty row; without system files the System editor says so, no icon.
TEST_F(OptionsTest, CheckAndTheSystemListTellWhatIsMissing) {
    options.ShowTab(frmOptions::TabAntenna);
    Row(1, {"HAM", "", "14108.0", "3", "", "", "", ""});
    Row(2, {});
    options.offsets.cmdOffsetCheck_Click();
    main.settings.m_sAirMailDirectoryData = QStringLiteral("C:\\Nowhere");
    options.offsets.StartEdit(1, OffsetColSystem);
    ASSERT_EQ(drive.ui.messages.size(), 2u);
    EXPECT_TRUE(drive.ui.messages[0].text.startsWith("Unable to find AirMail's Frequency List,  in \"System.HAM.ini\"."));
    EXPECT_TRUE(drive.ui.messages[1].text.startsWith("Unable to find AirMail's \"System.*.ini\" files."));
    EXPECT_EQ(drive.ui.messages[1].icon, MsgIcon::None);
}

// The folder picker's path in the system's separators; a POSIX one stays.
TEST(FolderPathNative, GivesTheSystemsSeparators) {
    const struct {
        const char* picked;
        char separator;
        const char* shown;
    } cases[] = {
        {"C:/Program Files/AirMail", '\\', "C:\\Program Files\\AirMail"},
        {"//boat/share/AirMail", '\\', "\\\\boat\\share\\AirMail"},
        {"D:\\Mail", '\\', "D:\\Mail"},
        {"/home/skipper/AirMail", '/', "/home/skipper/AirMail"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FolderPathNative(QString::fromLatin1(c.picked), QLatin1Char(c.separator)),
                  QString::fromLatin1(c.shown));
}

}  // namespace
}  // namespace tw
