// The help windows: the options dialog's place from a diagram button, the
// arrowheads, what each diagram button opens, the overview file, the version.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "views/HelpWindows.h"

namespace tw {

void PrintTo(const DiagramStroke& s, std::ostream* os) {
    *os << '(' << s.x1 << ',' << s.y1 << ")-(" << s.x2 << ',' << s.y2 << ')';
}

namespace {

TEST(HelpWindowsTest, OptionsOpenBelowTheButtonAndStayOnScreen) {
    const QRect screen(0, 0, 19200, 14400), second(19200, 0, 19200, 14400);
    const QSize dialog(6000, 4500);
    const struct {
        const char* what;
        QRect button, screen;
        QSize dialog;
        QPoint at;
    } cases[] = {
        {"from the button's middle, just below it", {1500, 1500, 2400, 450}, screen, dialog, {2700, 1950}},
        {"flush with the right edge", {16800, 1500, 2400, 450}, screen, dialog, {13200, 1950}},
        {"flush with the bottom edge", {1500, 12000, 2400, 450}, screen, dialog, {2700, 9900}},
        {"the right edge of a second screen", {36000, 600, 2400, 450}, second, dialog, {32400, 1050}},
        {"larger than the screen: its corner on it", {1500, 1500, 2400, 450}, screen, {30000, 20000}, {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QPoint at = OptionsPlacement(c.button, c.dialog, c.screen);
        EXPECT_EQ(std::pair(at.x(), at.y()), std::pair(c.at.x(), c.at.y()));
    }
}

TEST(HelpWindowsTest, ArrowheadsAtTheEndsTheTagMarks) {
    using S = std::vector<DiagramStroke>;
    const struct {
        DiagramLine line;
        S strokes;
    } cases[] = {
        {{100, 500, 1000, 500, "Begin,End"},
         S{{940, 455, 1000, 500}, {940, 545, 1000, 500}, {160, 455, 100, 500}, {160, 545, 100, 500}}},
        {{300, 100, 300, 900, "End"}, S{{255, 840, 300, 900}, {345, 840, 300, 900}}},
        {{300, 100, 400, 900, "Begin"}, S{{255, 160, 300, 100}, {345, 160, 300, 100}}},
        {{100, 500, 1000, 500, ""}, S{}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.tag.toStdString());
        EXPECT_EQ(DiagramArrowheads(c.line), c.strokes);
    }
}

TEST(HelpWindowsTest, DiagramButtonsOpenTheirWindows) {
    frmDiagram diagram;
    EXPECT_FALSE(diagram.Visible() || frmAbout().Visible());  // hidden until asked
    QStringList opened;
    diagram.ShowOptions = [&](int tab, int left, int top) {
        opened << QStringLiteral("options %1 at %2,%3").arg(tab).arg(left).arg(top);
    };
    diagram.OptionsSize = [](int) { return QSize(3000, 3000); };
    diagram.AirMailOpenPositionReport = [&] { opened << QStringLiteral("position report"); };
    diagram.TerminalActivate = [&] { opened << QStringLiteral("terminal"); };
    diagram.AirMailOpenAirMail = [&](const QString& question) { opened << question; };
    diagram.ShowMain = [&] { opened << QStringLiteral("main"); };
    const QRect button(12000, 3000, 2000, 500), screen(0, 0, 15000, 12000);
    for (const DiagramButton& b : diagram.buttons) diagram.ButtonClick(b.name, button, screen);
    EXPECT_EQ(opened.join(QStringLiteral(" | ")).toStdString(),
              "options 1 at 12000,3500 | options 2 at 12000,3500 | options 3 at 12000,3500 | main | "
              "position report | Would you like to start the AirMail program? | terminal");
    ASSERT_EQ(diagram.buttons.size(), 7u);
    EXPECT_EQ(diagram.buttons[2].control.caption, QStringLiteral("Antenna   Offsets"));
}

// The file beside the executable, as it comes and when it is missing; the
// build puts the real one there.
TEST(HelpWindowsTest, OverviewShowsTheFileBesideTheProgramOrWhyNot) {
    QTemporaryDir dir;
    const struct {
        const char* file;  // nullptr: no file
        bool ok;
        const char* text;
    } cases[] = {
        {"\r\n\r\nTidewell\r\n\r\nText\r\n", true, "Tidewell\r\n\r\nText"},
        {"\nOne\nTwo", true, "One\r\nTwo"},
        {nullptr, false, "Unable to open \"Tidewell.txt\" file. "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ok ? c.file : "missing");
        QFile::remove(dir.filePath(QStringLiteral("Tidewell.txt")));
        if (c.file) {
            QFile file(dir.filePath(QStringLiteral("Tidewell.txt")));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.file);
        }
        frmOverview overview(dir.path());
        overview.Show();
        EXPECT_TRUE(overview.Visible());
        EXPECT_EQ(overview.Form_Load(), c.ok);
        if (c.ok)
            EXPECT_EQ(overview.txtOverview.toStdString(), c.text);
        else
            EXPECT_TRUE(overview.txtOverview.startsWith(QLatin1String(c.text)) &&
                        overview.txtOverview.contains(QDir::toNativeSeparators(dir.path())))
                << overview.txtOverview.toStdString();
    }
    frmOverview built(QStringLiteral(TIDEWELL_BINARY_DIR "/src/program"));
    EXPECT_TRUE(built.Form_Load());
    EXPECT_TRUE(built.txtOverview.startsWith(QStringLiteral("TIDEWELL - OVERVIEW\r\n")));
}

TEST(HelpWindowsTest, AboutBoxNamesTheProjectVersion) {
    const QStringList version = QStringLiteral(TIDEWELL_PROJECT_VERSION).split('.');
    EXPECT_EQ(TidewellVersion(), QStringLiteral(TIDEWELL_PROJECT_VERSION));
    const frmAbout about;
    EXPECT_EQ(about.caption, QStringLiteral("Tidewell - About"));
    EXPECT_TRUE(about.lblDescription.startsWith(
        QStringLiteral("Version %1.%2\n\n1) Select best").arg(version[0], version[1])))
        << about.lblDescription.toStdString();
}

}  // namespace
}  // namespace tw
