// AirMail's station directory "FreqList.rtf": our RTF reader on hand-made
// documents, the station information window's readers, headings, beam list
// and labels, and the ham station check that compares the directory with
// the HAM system file.

#include <gtest/gtest.h>

#include <QFile>

#include "BestListFixture.h"
#include "airmail/Stations.h"
#include "common/FileRead.h"
#include "common/RtfText.h"
#include "propagation/Geometry.h"
#include "views/HamStation.h"
#include "views/StationInfo.h"

namespace tw {
namespace {

using test::Strings;

// One letter per character: r red, b blue, k black, ? another colour.
std::string ColorLetters(const RtfText& doc) {
    std::string out;
    for (const Color c : doc.colors)
        out += c == 255 ? 'r' : c == 16711680 ? 'b' : c == 0 ? 'k' : '?';
    return out;
}

TEST(RtfTextRead, TextAndColoursOfHandMadeDocuments) {
    // The colour table lists blue before red: colours go by RGB, not by index.
    const char* table = "{\\rtf1{\\colortbl;\\red0\\green0\\blue255;\\red255\\green0\\blue0;"
                        "\\red0\\green128\\blue0;}";
    struct Case {
        std::string rtf;  // after the table's opening
        QString text;
        std::string colors;
    } cases[] = {
        {"\\cf2 AB\\cf1 C\\cf0 D\\cf3 E}", "ABCDE", "rrbk?"},
        {"\\cf2 A{\\cf1 B{\\cf0 C}D}E\\plain F}", "ABCDEF", "rbkbrk"},
        {"x\\'e9\\'93y\\u8212?z\\uc2\\u8364ab!}", QString::fromUtf8("x\xc3\xa9\xe2\x80\x9cy\xe2\x80\x94z\xe2\x82\xac!"),
         "kkkkkkkk"},
        {"a\\par b\\line c\\tab d\\\\\\{\\}\r\ne}", "a\nb\nc\td\\{}e", "kkkkkkkkkkk"},
        {"{\\*\\unknown hidden}{\\fonttbl{\\f0 Arial;}}{\\info{\\title T}}{\\pict 0a}v}", "v", "k"},
        {"A\\bin3 }{\\B{\\pict\\bin2 }}}C}", "ABC", "kkk"},
        // Damage: closing braces without their opening, a truncated escape
        // and control word, binary bytes.
        {"}}\\cf2 A{{B\\'4", QStringLiteral("AB\u0004"), "rrr"},
        {std::string("Z\x00\xff", 3) + "\\cf", QString(QLatin1Char('Z')) + QChar(0) + QChar(0xFF), "kkk"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rtf);
        const RtfText doc = RtfTextRead(QByteArray(table) + QByteArray::fromStdString(c.rtf));
        EXPECT_EQ(doc.text, c.text);
        EXPECT_EQ(ColorLetters(doc), c.colors);
    }
    // A document cut anywhere gives what could be read.
    const QByteArray whole = QByteArray(table) + "\\cf2 K1AA\\cf0 . x\\par}";
    for (qsizetype n = 0; n <= whole.size(); ++n) {
        const RtfText doc = RtfTextRead(whole.left(n));
        EXPECT_EQ(doc.text.size(), doc.colors.size());
    }
}

// The directory's layout, written as AirMail keeps it (black is \cf0).
QByteArray Directory(const QString& body) {
    return "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue255;"
           "\\red255\\green0\\blue0;}\\f0 " +
           body.toLatin1() + "\\cf0 - end -\\par}";
}

// A station: its red call sign, ". " and the text, in which "{f}" stands for
// the next frequency in blue.
QString Section(const QString& call, const QString& text, const QStringList& frequencies = {}) {
    QString body = text;
    for (const QString& f : frequencies)
        body.replace(body.indexOf(QStringLiteral("{f}")), 3, QStringLiteral("\\cf1 ") + f + QStringLiteral("\\cf0 "));
    return QStringLiteral("\\cf2 ") + call + QStringLiteral("\\cf0 . ") + body + QStringLiteral("\\par\n");
}

// The vessel off Portugal; K1AB's heading follows a black mention of it and
// the headings of K1ABC and XK1AB, both without a beam.
class StationInfoTest : public test::SelectionTest {
protected:
    StationInfoTest() : info(main, airmail, position), check(main, metrics, airmail, info) {
        WriteHam(QStringLiteral("K1ABC=14108.0\nK1AB=14108.0\nW2BB=10145.5\nN3CC=3590\nZ9ZZ=7070\n"));
        WriteDirectory(
            QStringLiteral("See K1AB. first\\par\n") +
            Section(QStringLiteral("K1ABC"), QStringLiteral("Big V gun {f} kHz, Station 12"), {"14108.0 7070."}) +
            Section(QStringLiteral("XK1AB"), QStringLiteral("No beam")) +
            Section(QStringLiteral("K1AB"), QStringLiteral("Small B beam {f}"), {"14108.0"}) +
            Section(QStringLiteral("W2BB"), QStringLiteral("Far {f}\\cf2 !\\cf0  B beam"), {"10145.5"}) +
            Section(QStringLiteral("N3CC"), QStringLiteral("Lost B beam Station-2")) +
            Section(QStringLiteral("Z9ZZ"), QStringLiteral("no beam\\par")));
    }
    void WriteHam(const QString& frequencyList) {
        drive.WriteAirMail(QStringLiteral("System.HAM.ini"),
                           QStringLiteral("[Station Info]\nK1ABC=FN42li:a\nK1AB=FN42:b\n"
                                          "W2BB=IN53:c\nN3CC=x\nZ9ZZ=JO43:d\n"
                                          "[Frequency List]\n") + frequencyList);
    }
    void WriteDirectory(const QString& body) {
        drive.WriteBytes(QStringLiteral("C:\\Program Files\\AirMail\\FreqList.rtf"), Directory(body));
    }
    int At(const QString& text) { return static_cast<int>(info.BoxText().indexOf(text)); }
    // A grid's data rows as "station|group|frequencies".
    static Strings Rows(const Grid& grid) {
        Strings out;
        for (int r = 1; r < grid.Rows(); ++r)
            out.push_back((grid.Text(r, 0) + '|' + grid.Text(r, 1) + '|' + grid.Text(r, 2)).toStdString());
        return out;
    }

    frmStationInfo info;
    HamStation check;
};

TEST_F(StationInfoTest, ReadersGivePositionsOfTheLayout) {
    const int end = info.DocumentLength() - 1;
    const int k1abc = At(QStringLiteral("K1ABC."));
    // A call sign that runs past the reach has no end.
    EXPECT_EQ(info.GetStationNameEnd(k1abc, k1abc + 3), -1);
    // The section ends before the next red character after a black one; the
    // last one at the document's end.
    EXPECT_EQ(info.GetStationEnd(k1abc + 5, end), At(QStringLiteral("XK1AB")) - 1);
    EXPECT_EQ(info.GetStationEnd(At(QStringLiteral("Z9ZZ")) + 4, end + 100), end);
    EXPECT_EQ(info.GetStationEnd(k1abc + 5, k1abc + 20), -1);
    // A blue run followed by a blank: the run and the blank's position.
    int next = 0;
    const int run = At(QStringLiteral("14108.0"));
    EXPECT_EQ(info.GetStationFrequency(k1abc, end, next), QStringLiteral("14108.0"));
    EXPECT_EQ(next, run + 7);
    EXPECT_EQ(info.GetStationFrequency(next, end, next), QStringLiteral("7070."));
    EXPECT_EQ(info.GetStationFrequency(next, At(QStringLiteral("XK1AB")), next), QString());
    EXPECT_EQ(next, -1);
    // Group headings: "Station 1" is not the start of "Station 12"; "Station-2"
    // stands in for a missing "Station 2".
    EXPECT_EQ(info.GetStationStation(1, 0, end), -1);
    EXPECT_EQ(info.GetStationStation(2, 0, end), At(QStringLiteral("Station-2")));
}

TEST_F(StationInfoTest, HeadingsSkipBlackTextAndLongerCallSigns) {
    const int heading = At(QStringLiteral("K1AB. Small"));
    EXPECT_EQ(info.ShowStation(QStringLiteral("K1AB")), heading);
    EXPECT_EQ(std::pair(info.SelStart(), info.SelLength()), std::pair(heading, 4));
    // Not in the beam list (none built): the labels stay.
    EXPECT_EQ(info.lblRange.caption, QStringLiteral("Range: 1000"));
    // A station without a heading leaves the selection on "- end -".
    info.ShowStation(QStringLiteral("Q0QQ"));
    EXPECT_EQ(info.SelStart(), At(QStringLiteral("- end -")));
}

TEST_F(StationInfoTest, BeamListNearestFirstUnknownLastAndLabelsOfAChoice) {
    info.ShowBeams();
    EXPECT_EQ(info.cmbBeam.items, (QStringList{"W2BB", "K1AB", "N3CC"}));
    ASSERT_EQ(info.cmbBeamItemData.size(), 3);
    EXPECT_LT(info.cmbBeamItemData[0], info.cmbBeamItemData[1]);
    EXPECT_EQ(info.cmbBeamItemData[2], frmStationInfo::kRangeUnknown);
    EXPECT_TRUE(info.frmBeamVisible);
    EXPECT_EQ(info.RichTextBox.top, info.frmBeam.top + info.frmBeam.height + 120);
    EXPECT_EQ(drive.ui.PanelText(1), QString());

    info.cmbBeam_Click(1);
    double lat = 0, lon = 0, slat = 0, slon = 0, to = 0, from = 0;
    ASSERT_TRUE(position.LatLonGetCurrent(lat, lon));
    ASSERT_TRUE(LatLonFromGridSquare(QStringLiteral("FN42"), slat, slon));
    LatLonGetBearing(lat, lon, slat, slon, to, from);
    EXPECT_EQ(info.lblRange.caption, QStringLiteral("Range: %1").arg(qRound(LatLonGetRange(lat, lon, slat, slon))));
    EXPECT_EQ(info.lblBearingTo.caption, QStringLiteral("Bearing To: %1").arg(qRound(to)));
    EXPECT_EQ(info.lblBearingFrom.caption, QStringLiteral("Bearing From: %1").arg(qRound(from)));
    EXPECT_EQ(info.SelStart(), At(QStringLiteral("K1AB. Small")));
}

TEST_F(StationInfoTest, HamCheckLeavesTheDifferences) {
    const QString station1 = Section(QStringLiteral("K1AA"), QStringLiteral("Station 1 {f}, {f} Station 2 {f}"),
                                     {"14108.0#", "7070.", "3590.0"});
    QString ten = QStringLiteral("K1AA=1");
    for (int g = 2; g <= 10; ++g) ten += QStringLiteral(";%1").arg(g);
    struct Case {
        const char* name;
        QString ham;          // [Frequency List] lines
        QString directory;    // sections
        Strings upper, lower;
    } cases[] = {
        {"identical, groups by \";\", a trailing \";\"", QStringLiteral("K1AA=14108#,7070;3590;\n"), station1,
         {"||No Errors"}, {"||No Errors"}},
        {"a station only in AirMail's file", QStringLiteral("K1AA=14108#,7070;3590\nW2BB=7070;3590\n"), station1,
         {"W2BB|1|7070.0", "W2BB|2|3590.0"}, {}},
        {"one frequency differs in one group", QStringLiteral("K1AA=14108#,7070;3591\n"), station1,
         {"K1AA|2|3591.0"}, {"K1AA|2|3590.0"}},
        {"group 10 sorts before group 2", ten, QString(),
         {"K1AA|1|1.0", "K1AA|10|10.0", "K1AA|2|2.0", "K1AA|3|3.0", "K1AA|4|4.0", "K1AA|5|5.0",
          "K1AA|6|6.0", "K1AA|7|7.0", "K1AA|8|8.0", "K1AA|9|9.0"}, {}},
        {"duplicates: one copy goes", QStringLiteral("K1AA=14108#,7070;3590\nK1AA=14108#,7070\n"), station1,
         {"K1AA|1|14108.0(p3), 7070.0"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        drive.WriteAirMail(QStringLiteral("System.HAM.ini"), QStringLiteral("[Frequency List]\n") + c.ham);
        WriteDirectory(c.directory);
        frmStationInfo fresh(main, airmail, position);
        HamStation tab(main, metrics, airmail, fresh);
        EXPECT_TRUE(tab.HamStationLoad(false));
        EXPECT_EQ(Rows(tab.grdHamStationAirMail), c.upper);
        EXPECT_EQ(Rows(tab.grdHamStationFile), c.lower);
        EXPECT_EQ(tab.grdHamStationFile.CellAlignment(0, 2), AlignCenter);  // the header
    }
}

// A file that cannot be opened is told with the folder hint; the HAM file
// opened but not read through (here beyond the read limit), with the reason
// alone.  The directory's failure stands in the box.
TEST_F(StationInfoTest, FilesThatCannotBeReadAreTold) {
    const QString hint = QStringLiteral("\n\nPlease check that the AirMail Data Folder \"C:\\Program Files\\AirMail\" is correct.");
    QFile directory(drive.Native(QStringLiteral("C:\\Program Files\\AirMail\\FreqList.rtf")));
    ASSERT_TRUE(directory.remove());
    ASSERT_FALSE(directory.open(QIODevice::ReadOnly));
    frmStationInfo fresh(main, airmail, position);
    EXPECT_EQ(fresh.BoxText(),
              QStringLiteral("Unable to open AirMail's \"FreqList.rtf\" file. ") + directory.errorString() + "." + hint);
    // A file that is no rich-text document is told in the box the same way,
    // as is one that only begins as one (random bytes follow).
    QByteArray noise("{\\rtf1");
    for (quint32 x = 1; noise.size() < 4096;)
        noise += static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
    for (const auto& [bytes, problem] :
         {std::pair<QByteArray, const char*>{"K1AB. Small B beam 14108.0", "It is not a rich-text document."},
          {"{\\rtf1 \\cf2 K1AB\\cf0 . B {\\bin999999999999 x}}", "Its binary data run past its end."},
          {noise, "It names no station (no call sign in red)."}}) {
        drive.WriteBytes(QStringLiteral("C:\\Program Files\\AirMail\\FreqList.rtf"), bytes);
        frmStationInfo damaged(main, airmail, position);
        EXPECT_EQ(damaged.BoxText(), QStringLiteral("Unable to read AirMail's \"FreqList.rtf\" file as a station "
                                                    "directory. ") + QLatin1String(problem));
    }

    HamStation tab(main, metrics, airmail, fresh);
    QFile ham(drive.Native(QStringLiteral("C:\\Program Files\\AirMail\\System.HAM.ini")));
    ASSERT_TRUE(ham.remove());
    EXPECT_FALSE(tab.HamStationLoad(false));
    EXPECT_TRUE(drive.ui.LastMessage().startsWith(
        QStringLiteral("HamStationGetAirmail, Unable to open AirMail \"HAM\" Station data.") + hint + '\r'));
    ASSERT_TRUE(ham.open(QIODevice::WriteOnly) && ham.resize(kFileReadLimit + 1));
    ham.close();
    EXPECT_FALSE(tab.HamStationLoad(false));
    EXPECT_EQ(drive.ui.LastMessage(),
              QStringLiteral("HamStationGetAirmail, Unable to read AirMail \"HAM\" Station data. "
                             "It is larger than 16777216 bytes."));
    EXPECT_EQ(drive.ui.messages.size(), 2u);
    for (const MessageRequest& m : drive.ui.messages) EXPECT_EQ(m.icon, MsgIcon::Exclamation);
}

TEST_F(StationInfoTest, DateLabelAndOpeningAClickedStation) {
    QFile file(drive.Native(QStringLiteral("C:\\Program Files\\AirMail\\FreqList.rtf")));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2026, 5, 4), QTime(12, 0), Qt::UTC),
                                 QFileDevice::FileModificationTime));
    file.close();
    check.HamStationLoad(true);
    EXPECT_EQ(check.lblHamStation.caption, QStringLiteral("Last Modified:  05/04/2026"));
    // The upper grid's tooltip names the file the check reads.
    EXPECT_TRUE(check.grdHamStationAirMail.ToolTipText().contains(
        '"' + SystemFileName(QStringLiteral("HAM")) + '"'));
    EXPECT_EQ(check.grdHamStationAirMail.Rows(), 1);  // only the header until Check

    check.HamStationLoad(false);
    EXPECT_FALSE(check.cmdHamStationInfoVisible);
    Grid& upper = check.grdHamStationAirMail;  // K1AB alone agrees
    ASSERT_EQ(Rows(upper), (Strings{"K1ABC|1|14108.0", "N3CC|1|3590.0", "Z9ZZ|1|7070.0"}));
    check.StationClick(upper, 1, HamStation::kColFrequency);
    EXPECT_FALSE(check.cmdHamStationInfoVisible);
    check.StationClick(upper, 1, HamStation::kColStation);
    EXPECT_TRUE(check.cmdHamStationInfoVisible);
    EXPECT_FALSE(info.Visible());
    check.cmdHamStationInfo_Click();
    EXPECT_TRUE(info.Visible());
    EXPECT_EQ(info.SelStart(), At(QStringLiteral("K1ABC.")));

    QFile::remove(file.fileName());
    check.HamStationLoad(true);
    EXPECT_EQ(check.lblHamStation.caption, QStringLiteral("Last Modified:  N/A"));
}

}  // namespace
}  // namespace tw
