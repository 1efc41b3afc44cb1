#pragma once
// The help windows of the main window's Help menu: the block diagram
// (frmDiagram) of how Tidewell sits between the radio hardware and AirMail,
// whose buttons open the matching options and AirMail windows; the overview
// (frmOverview), the text file "Tidewell.txt" shipped beside the executable;
// and the about box (frmAbout) with the program's version.  The Qt windows
// (ui/frmHelpWidgets) draw and show these models and forward the clicks.
//
// Like the other views they are made once, shown without being modal, and
// hidden, not destroyed, when the user closes them; the main window closes
// them when it closes.

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <vector>

#include "common/Controls.h"

namespace tw {

// ---------------------------------------------------------------------------
// The block diagram.  Every position and size is in twips; those of the
// diagram's parts are relative to the window's client area.

// A connecting line of the diagram.  Its tag says which ends carry an
// arrowhead: one holding "Begin" the start point (x1, y1), one holding "End"
// the end point (x2, y2), "Begin,End" both.  Lines are drawn left to right or
// top to bottom, so the end's arrowhead points right or down and the start's
// left or up.
struct DiagramLine {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    QString tag;
};

// One short stroke of an arrowhead, from (x1, y1) to the line's end (x2, y2).
struct DiagramStroke {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    bool operator==(const DiagramStroke&) const = default;
};

// The strokes of a line's arrowheads: two per marked end, 60 twips back along
// the line and 45 to either side of it.  A line counts as horizontal when it
// runs further across than down, else as vertical.
std::vector<DiagramStroke> DiagramArrowheads(const DiagramLine& line);

// Where the options dialog opens from a diagram button: its top left corner
// at the horizontal middle of the button and just below it.  A dialog that
// would reach past the right or bottom edge of the screen is moved left or up
// to end at that edge; one larger than the screen keeps its top left corner
// on the screen, so its caption stays within reach.  All in screen
// coordinates: `button` where the button is, `dialog` the dialog's outer size
// (frame included), `screen` the screen's usable area.
QPoint OptionsPlacement(const QRect& button, const QSize& dialog, const QRect& screen);

// A framed area of the diagram with its caption at its top.
struct DiagramBox {
    QString caption;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A button of the diagram by its control name.
struct DiagramButton {
    QString name;
    Control control;
};

class frmDiagram : public QObject {
    Q_OBJECT
public:
    frmDiagram();

    // --- controls ---
    QString caption = QStringLiteral("Tidewell - Block Diagram");
    std::vector<DiagramBox> boxes;       // Tidewell, AirMail, the HF and the optional hardware
    std::vector<Control> labels;         // the hardware, with their tooltips
    std::vector<DiagramLine> lnArrow;    // the connecting lines
    std::vector<DiagramButton> buttons;  // cmdPositionReport, cmdStation, ...
    // The client area that holds the whole diagram.
    int clientWidth = 0;
    int clientHeight = 0;

    // The arrowheads of every line of lnArrow.
    std::vector<DiagramStroke> Arrowheads() const;
    // The options dialog's tab a button opens (1 propagation, 2 station,
    // 3 antenna offsets); -1 for the buttons that do something else.
    static int OptionsTab(const QString& button);

    bool Visible() const { return m_visible; }
    // Shows the window, or brings it forward when it is shown already.
    void Show();
    void Hide();

    // A click on the button `name`.  `button` is where the button is on the
    // screen and `screen` the usable area of the screen it is on (twips); the
    // options buttons place the dialog by them.
    void ButtonClick(const QString& name, const QRect& button, const QRect& screen);

    // What the buttons open; a null hook leaves its button without effect.
    // The options dialog on `tab` (as the Options menu numbers them), its
    // outer top left corner at (left, top) in screen twips; shown, not modal.
    std::function<void(int tab, int left, int top)> ShowOptions;
    // The options dialog's outer size (twips) as it will open on `tab`; null
    // or empty keeps only its top left corner on the screen.
    std::function<QSize(int tab)> OptionsSize;
    std::function<void()> AirMailOpenPositionReport;
    std::function<void()> TerminalActivate;
    // AirMail's main window; asks `question` before it starts AirMail.
    std::function<void(const QString& question)> AirMailOpenAirMail;
    // Brings Tidewell's main window forward.
    std::function<void()> ShowMain;

signals:
    // Shown, hidden or asked forward.
    void changed();

private:
    bool m_visible = false;
};

// ---------------------------------------------------------------------------
// The overview

// The overview as the window shows it: the lines of the file joined with
// CR LF, the empty lines before the first non-empty one left out (later empty
// lines stay).  The file is read as UTF-8, of which plain ASCII is a part.
QString OverviewText(const QByteArray& file);

class frmOverview : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kFileName = "Tidewell.txt";

    // `programFolder` is the executable's folder, where "Tidewell.txt" lives.
    explicit frmOverview(const QString& programFolder);

    // --- controls ---
    QString caption = QStringLiteral("Tidewell - Overview");
    QString txtOverview;

    bool Visible() const { return m_visible; }
    // Reads the file anew and shows the window (or brings it forward).
    void Show();
    void Hide();

    // Reads "Tidewell.txt" into txtOverview.  A file that cannot be opened or
    // read does not stop anything: the window then tells so in its text,
    // "Unable to open "Tidewell.txt" file. " (or "Unable to read") with the
    // reason and the folder it was looked for in.  False in that case.
    bool Form_Load();

signals:
    void changed();

private:
    QString m_programFolder;
    bool m_visible = false;
};

// ---------------------------------------------------------------------------
// The about box

// The program's version as the build gives it ("0.1.0").
QString TidewellVersion();

// The about box's description: "Version " with the version's major and minor
// numbers, then what the program does.
QString AboutDescription(int major, int minor);

class frmAbout : public QObject {
    Q_OBJECT
public:
    frmAbout();

    // --- controls ---
    QString caption;  // "Tidewell - About"
    QString lblTitle;
    QString lblDescription;
    QString lblDisclaimer;
    QString lblLicense;  // the program's licence and where the shipped libraries' licences are

    bool Visible() const { return m_visible; }
    void Show();
    void Hide();

    // Where a window of outer size `window` is centred on `screen`.
    static QPoint CenterOnScreen(const QSize& window, const QRect& screen);

signals:
    void changed();

private:
    bool m_visible = false;
};

}  // namespace tw
