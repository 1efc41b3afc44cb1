#pragma once
// The station information window (frmStationInfo): AirMail's amateur radio
// station directory "FreqList.rtf" shown with its colours and scrolled to a
// station, and on request the beam list: the stations of the "HAM" system
// whose section marks a beam antenna (" B "), nearest first, with the range
// and bearings of the chosen one.  It also holds the readers of the
// directory that the ham station check uses, and the file's date.
//
// How the directory is read (0-based character positions of its plain text):
// a station's heading is its call sign in red (colour 255) followed by "."
// (not red); its section runs to the character before the next red character
// that follows a black one; frequencies are runs of blue characters (colour
// 16711680) that are not blank; a group (sub-station) starts at "Station 1",
// "Station 2" ... (or "Station-1" ...); "- end -" marks the end.
//
// The document is read once, on first use (AirMail's folders are known by
// then), by our own RTF reader: the readers work on its text and colour
// arrays.  The Qt window (ui/frmStationInfoWidget) renders the same arrays,
// the beam frame and labels, and scrolls to Selection().

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QVector>

#include "common/Controls.h"
#include "common/WindowModel.h"
#include "common/RtfText.h"

namespace tw {

class AirMail;
class MainState;
class Position;

class frmStationInfo : public WindowModel {
    Q_OBJECT
public:
    static constexpr Color kColorRed = 255;
    static constexpr Color kColorBlue = 16711680;
    static constexpr Color kColorBlack = 0;
    // The item data of a beam station without a position (sorts last).
    static constexpr int kRangeUnknown = 10000;
    // Layout, twips.
    static constexpr int kMargin = 120;
    static constexpr int kBeamHeight = 660;

    frmStationInfo(MainState& main, AirMail& airmail, Position& position);

    // --- controls ---
    QString caption = QStringLiteral("Tidewell - Station Information");
    Control frmBeam;
    bool frmBeamVisible = false;
    Control Label1;
    ComboControl cmbBeam;
    QVector<int> cmbBeamItemData;  // range in nautical miles, per entry
    Control lblRange, lblBearingTo, lblBearingFrom;
    Control RichTextBox;           // position and size of the document box

    // The document: the text shown in the box (the failure text when the file
    // could not be read) and one colour per character.
    const QString& BoxText();
    const QVector<Color>& BoxColors();
    // Whether "FreqList.rtf" was read; without it every search finds nothing.
    bool Loaded();
    // The selection the box scrolls to (start, length) and a count that
    // changes whenever a selection is made.
    int SelStart() const { return m_selStart; }
    int SelLength() const { return m_selLength; }
    int SelectionSerial() const { return m_selectionSerial; }

    // Shown, the directory read first if it has not been.
    void Show();

    // --- procedures ---
    // Scrolls to the station's heading; when the station is in the beam
    // list, selects it and shows its range and bearings.  The heading's
    // position, or -1.
    int ShowStation(const QString& sStation);
    // Builds the beam list once (nothing while it has entries).
    void ShowBeams();
    // The heading of `station`: the first occurrence of the call sign and "."
    // whose first character is red and starts the red run (so "K1AB" is not
    // found inside the heading of "QK1AB").  -1 when none.
    int FindStationHeading(const QString& station);
    // The range (nmi) and the bearings to and from a station of "HAM" seen
    // from the vessel; false without either position.
    bool StationBearings(const QString& station, double& range, double& bearingTo,
                         double& bearingFrom);

    // The readers; iStop is inclusive and positions beyond the text are cut off.
    int DocumentLength();
    int GetStationBegin(int iStart, int iStop);
    int GetStationNameEnd(int iStart, int iStop);
    // The end of the document ends the last station's section as well.
    int GetStationEnd(int iStart, int iStop);
    QString GetStationText(int iStart, int iStop);
    // "Station " + number, else "Station-" + number, with the whole text
    // between iStart and iStop and no further digit after the number (so
    // "Station 1" is not found in "Station 12").
    int GetStationStation(int iStation, int iStart, int iStop);
    // The next frequency run starting by iStop: its text, and in `iNext` the
    // position just after it (-1 and an empty text when there is none).
    QString GetStationFrequency(int iStart, int iStop, int& iNext);
    // The file's last modification time (UTC); false when it cannot be had.
    bool DateLastModified(QDateTime& dtDate);

    // --- events ---
    // The inner size of the window, twips.
    void Form_Resize(int innerWidth, int innerHeight);
    // The user chose entry `index` of cmbBeam (selections made by ShowStation
    // do not come here).
    void cmbBeam_Click(int index);

private:
    void Load();
    void Layout();
    void Select(int start, int length);
    int Find(const QString& what, int from, int to) const;
    Color ColorAt(int i) const { return m_document.colors.constData()[i]; }

    MainState& m_main;
    AirMail& m_airmail;
    Position& m_position;
    bool m_loadTried = false;
    bool m_loaded = false;
    RtfText m_document;
    QVector<int> m_redRuns;  // where the red runs start (the headings' candidates)
    QString m_failureText;
    int m_selStart = 0;
    int m_selLength = 0;
    int m_selectionSerial = 0;
    int m_innerWidth = 9000;
    int m_innerHeight = 6000;
};

}  // namespace tw
