#include "views/HelpWindows.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cstdlib>

#include "TidewellVersion.h"
#include "common/FileRead.h"

namespace tw {

// ---------------------------------------------------------------------------
// The block diagram

std::vector<DiagramStroke> DiagramArrowheads(const DiagramLine& line) {
    const bool horizontal = std::abs(line.x2 - line.x1) > std::abs(line.y2 - line.y1);
    std::vector<DiagramStroke> strokes;
    if (line.tag.contains(QLatin1String("End"))) {
        const int x = line.x2, y = line.y2;
        if (horizontal)
            strokes.insert(strokes.end(), {{x - 60, y - 45, x, y}, {x - 60, y + 45, x, y}});
        else
            strokes.insert(strokes.end(), {{x - 45, y - 60, x, y}, {x + 45, y - 60, x, y}});
    }
    if (line.tag.contains(QLatin1String("Begin"))) {
        const int x = line.x1, y = line.y1;
        if (horizontal)
            strokes.insert(strokes.end(), {{x + 60, y - 45, x, y}, {x + 60, y + 45, x, y}});
        else
            strokes.insert(strokes.end(), {{x - 45, y + 60, x, y}, {x + 45, y + 60, x, y}});
    }
    return strokes;
}

QPoint OptionsPlacement(const QRect& button, const QSize& dialog, const QRect& screen) {
    int left = button.left() + button.width() / 2;
    int top = button.top() + button.height();
    const int right = screen.left() + screen.width();
    const int bottom = screen.top() + screen.height();
    if (left + dialog.width() > right) left = right - dialog.width();
    if (top + dialog.height() > bottom) top = bottom - dialog.height();
    return {std::max(left, screen.left()), std::max(top, screen.top())};
}

namespace {

Control Part(const char* caption, const char* tip, int left, int top, int width, int height) {
    Control c;
    c.caption = QString::fromUtf8(caption);
    c.toolTip = QString::fromUtf8(tip);
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = height;
    return c;
}

}  // namespace

frmDiagram::frmDiagram() {
    // Three columns: Tidewell, AirMail, the hardware (the optional hardware
    // above the HF hardware).  The parts that talk to each other share a row,
    // so the lines between them run straight across; the rows' middles are
    // 967, 2407 and 3367 twips down.
    const int bw = 2640, bh = 495;             // buttons
    const int tidewell = 480, airmail = 4320;  // the buttons' left edges
    boxes = {{QStringLiteral("Tidewell Program"), 240, 240, 3120, 4200},
             {QStringLiteral("AirMail Program"), 4080, 240, 3120, 4200},
             {QStringLiteral("Optional Hardware"), 7920, 240, 2400, 1200},
             {QStringLiteral("HF Hardware"), 7920, 1680, 2400, 2760}};
    labels = {Part("Transceiver", "Comm Port or CIV Port must be connected for Remote Tuning ",
                   8400, 3180, 1440, 375),
              Part("Modem", "Pactor Modem", 8400, 2220, 1440, 375),
              Part("Gps", "Optional Gps, Lat/Lon Data", 8160, 780, 960, 375),
              Part("Ant", "HF Antenna", 8760, 3840, 720, 375),
              Part("Ant", "Optional Gps Antenna", 9480, 780, 600, 375)};
    const auto button = [&](const char* name, const char* caption, const char* tip, int left, int top) {
        buttons.push_back({QString::fromLatin1(name), Part(caption, tip, left, top, bw, bh)});
    };
    button("cmdPropagation", "Propagation Model", "HF Propagation Model Options", tidewell, 720);
    button("cmdStation", "Station Selection", "Station and Frequency Selection Options", tidewell, 1440);
    button("cmdAntenna", "Antenna   Offsets", "Antenna Offset Options", tidewell, 2160);
    button("cmdTidewell", "Connection Operation", "Select/Tune/Listen/Connect Operation", tidewell, 3120);
    button("cmdPositionReport", "Position Report Window", "Airmail's Position Report Window, Lat/Lon Data",
           airmail, 720);
    button("cmdAirMail", "AirMail Window", "Airmail's Main Window", airmail, 2160);
    button("cmdTerminal", "Terminal Window", "Airmail's Terminal Window must be Visible", airmail, 3120);
    // What flows where: the position into the prediction, the GPS's position
    // into AirMail, the connection process into AirMail's Terminal, AirMail
    // and the radio through the modem, the remote tuning of the transceiver.
    const int tidewellRight = tidewell + bw, airmailRight = airmail + bw;
    lnArrow = {{tidewellRight, 967, airmail, 967, QStringLiteral("Begin")},
               {airmailRight, 967, 8160, 967, QStringLiteral("Begin")},
               {9120, 967, 9480, 967, QStringLiteral("Begin")},
               {airmailRight, 2407, 8400, 2407, QStringLiteral("Begin,End")},
               {9120, 2595, 9120, 3180, QStringLiteral("Begin,End")},
               {tidewellRight, 3367, airmail, 3367, QStringLiteral("End")},
               {airmailRight, 3367, 8400, 3367, QStringLiteral("End")},
               {9120, 3555, 9120, 3840, QStringLiteral("Begin,End")}};
    clientWidth = 10560;
    clientHeight = 4680;
}

std::vector<DiagramStroke> frmDiagram::Arrowheads() const {
    std::vector<DiagramStroke> all;
    for (const DiagramLine& line : lnArrow) {
        const std::vector<DiagramStroke> strokes = DiagramArrowheads(line);
        all.insert(all.end(), strokes.begin(), strokes.end());
    }
    return all;
}

int frmDiagram::OptionsTab(const QString& button) {
    if (button == QLatin1String("cmdPropagation")) return 1;
    if (button == QLatin1String("cmdStation")) return 2;
    if (button == QLatin1String("cmdAntenna")) return 3;
    return -1;
}

void frmDiagram::Show() {
    m_visible = true;
    emit changed();
}

void frmDiagram::Hide() {
    if (!m_visible) return;
    m_visible = false;
    emit changed();
}

void frmDiagram::ButtonClick(const QString& name, const QRect& button, const QRect& screen) {
    if (const int tab = OptionsTab(name); tab >= 0) {
        if (!ShowOptions) return;
        const QSize size = OptionsSize ? OptionsSize(tab) : QSize();
        const QPoint at = OptionsPlacement(button, size.isValid() ? size : QSize(0, 0), screen);
        ShowOptions(tab, at.x(), at.y());
    } else if (name == QLatin1String("cmdPositionReport")) {
        if (AirMailOpenPositionReport) AirMailOpenPositionReport();
    } else if (name == QLatin1String("cmdTidewell")) {
        if (ShowMain) ShowMain();
    } else if (name == QLatin1String("cmdTerminal")) {
        if (TerminalActivate) TerminalActivate();
    } else if (name == QLatin1String("cmdAirMail")) {
        if (AirMailOpenAirMail)
            AirMailOpenAirMail(QStringLiteral("Would you like to start the AirMail program?"));
    }
}

// ---------------------------------------------------------------------------
// The overview

QString OverviewText(const QByteArray& file) {
    QStringList lines = QString::fromUtf8(file).split(QLatin1Char('\n'));
    // A last line break ends the last line; it does not start another.
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    const auto first = std::find_if(lines.begin(), lines.end(), [](const QString& l) { return !l.isEmpty(); });
    lines.erase(lines.begin(), first);
    return lines.join(QStringLiteral("\r\n"));
}

frmOverview::frmOverview(const QString& programFolder) : m_programFolder(programFolder) {}

bool frmOverview::Form_Load() {
    const QString name = QString::fromLatin1(kFileName);
    const QString path = QDir(m_programFolder).filePath(name);
    QByteArray bytes;
    QString error;
    if (ReadFileBounded(path, bytes, error)) {
        txtOverview = OverviewText(bytes);
        return true;
    }
    // Opened, the file could still fail to be read (or be too large).
    const QFileInfo info(path);
    const bool opened = info.isFile() && info.isReadable();
    txtOverview = QStringLiteral("Unable to %1 \"%2\" file. %3\r\n\r\nThe overview is read from the "
                                 "program's folder, %4.")
                      .arg(opened ? QStringLiteral("read") : QStringLiteral("open"), name, error,
                           QDir::toNativeSeparators(m_programFolder));
    return false;
}

void frmOverview::Show() {
    // The file is read each time the window opens from hidden, so an edited
    // overview shows without a restart.
    if (!m_visible) Form_Load();
    m_visible = true;
    emit changed();
}

void frmOverview::Hide() {
    if (!m_visible) return;
    m_visible = false;
    emit changed();
}

// ---------------------------------------------------------------------------
// The about box

QString TidewellVersion() { return QStringLiteral(TIDEWELL_VERSION); }

QString AboutDescription(int major, int minor) {
    return QStringLiteral("Version %1.%2").arg(major).arg(minor) +
           QStringLiteral("\n\n1) Select best Stations and Frequencies based on Propagation Model and "
                          "Antenna Offset.\n2) Attempts to Connect using this data after asking if "
                          "the Frequency is Clear of Signal Activity.  The connect process uses the "
                          "AirMail Terminal Window.");
}

namespace {
// The Windows build ships its libraries and their licences beside the program.
#ifdef Q_OS_WIN
const QString kLicenseText = QStringLiteral(
    "Tidewell is free software under the MIT License (LICENSE.txt beside the program). "
    "The licences of the libraries shipped with it, Qt and the MinGW runtime, are in the "
    "licenses folder beside the program.");
#else
const QString kLicenseText =
    QStringLiteral("Tidewell is free software under the MIT License (the LICENSE file of its source).");
#endif
}  // namespace

frmAbout::frmAbout()
    : caption(QStringLiteral("Tidewell - About")),
      lblTitle(QStringLiteral("Tidewell")),
      lblDescription(AboutDescription(TIDEWELL_VERSION_MAJOR, TIDEWELL_VERSION_MINOR)),
      lblDisclaimer(QStringLiteral(
          "Propagation predictions are estimates from a model of the ionosphere, not measurements: "
          "a frequency predicted as good may be closed or busy. Always listen before you "
          "transmit, and do not rely on this program for the safety of a vessel or of life.")),
      lblLicense(kLicenseText) {}

void frmAbout::Show() {
    m_visible = true;
    emit changed();
}

void frmAbout::Hide() {
    if (!m_visible) return;
    m_visible = false;
    emit changed();
}

QPoint frmAbout::CenterOnScreen(const QSize& window, const QRect& screen) {
    return {screen.left() + (screen.width() - window.width()) / 2,
            screen.top() + (screen.height() - window.height()) / 2};
}

}  // namespace tw
