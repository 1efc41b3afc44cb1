#include "views/StationInfo.h"

#include <QFileInfo>

#include <algorithm>

#include "airmail/AirMail.h"
#include "airmail/Position.h"
#include "airmail/Stations.h"
#include "common/FileRead.h"
#include "propagation/Geometry.h"
#include "selection/MainState.h"

namespace tw {

namespace {
const QString kHam = QStringLiteral("HAM");
const QString kFileName = QStringLiteral("FreqList.rtf");
// How far after a heading a beam station's section may end.
constexpr int kSectionReach = 5000;

QString RangeText(double value) { return QString::number(qRound(value)); }
}  // namespace

frmStationInfo::frmStationInfo(MainState& main, AirMail& airmail, Position& position)
    : m_main(main), m_airmail(airmail), m_position(position) {
    Label1.caption = QStringLiteral("Beam Stations:");
    cmbBeam.toolTip = QStringLiteral("Stations with Beam Antenna's, sorted by range");
    lblRange = {QStringLiteral("Range: 1000"), QStringLiteral("Station Range (nmi)")};
    lblBearingTo = {QStringLiteral("Bearing to: 360"), QStringLiteral("Baering to Station (Deg)")};
    lblBearingFrom = {QStringLiteral("Bearing from: 360"),
                      QStringLiteral("Bearing from Station (Deg)")};
    Layout();
}

// The document is read on first use rather than when the window is made: the
// window is made at the program's start, before the first activation has
// found AirMail's folders.
void frmStationInfo::Load() {
    if (m_loadTried) return;
    m_loadTried = true;
    const QString path = m_airmail.NativePath(m_airmail.settings().m_sAirMailDirectoryData +
                                              QLatin1Char('\\') + kFileName);
    QByteArray bytes;
    QString error;
    if (ReadFileBounded(path, bytes, error)) {
        m_document = RtfTextRead(bytes);
        // A file that is no rich-text document holds no directory to search:
        // it is told in the box like one that cannot be opened, rather than
        // searched as if it were one and found empty.  So is one that reads
        // as rich text but names no station (a damaged file read as far as
        // it goes, bytes that only begin as a document).
        if (m_document.problem.isEmpty() && !m_document.colors.contains(kColorRed))
            m_document.problem = QStringLiteral("It names no station (no call sign in red).");
        if (m_document.problem.isEmpty()) {
            m_loaded = true;
            return;
        }
        m_failureText = WithCause(
            QStringLiteral("Unable to read AirMail's \"FreqList.rtf\" file as a station directory. "),
            m_document.problem);
        m_document = RtfText();
        return;
    }
    // The failure is told in the box itself, no message box; the reason
    // follows the sentence as one of its own.
    m_failureText = WithCause(QStringLiteral("Unable to open AirMail's \"FreqList.rtf\" file."), error) +
                    m_airmail.AirMailErrorDataMessage();
}

bool frmStationInfo::Loaded() {
    Load();
    return m_loaded;
}

const QString& frmStationInfo::BoxText() {
    Load();
    return m_loaded ? m_document.text : m_failureText;
}

const QVector<Color>& frmStationInfo::BoxColors() {
    Load();
    return m_document.colors;
}

void frmStationInfo::Show() {
    Load();
    WindowModel::Show();
}

// ---------------------------------------------------------------------------
// The readers

int frmStationInfo::DocumentLength() {
    Load();
    return static_cast<int>(m_document.text.size());
}

int frmStationInfo::GetStationBegin(int iStart, int iStop) {
    iStop = std::min(iStop, DocumentLength() - 1);
    const Color* colors = m_document.colors.constData();
    for (int i = std::max(iStart, 0); i <= iStop; ++i)
        if (colors[i] == kColorRed) return i;
    return -1;
}

int frmStationInfo::GetStationNameEnd(int iStart, int iStop) {
    const int length = DocumentLength();
    if (iStart < 0 || iStart >= length) return -1;
    for (int i = iStart; i <= iStop; ++i)
        if (i >= length || ColorAt(i) != kColorRed) return i - 1;
    return -1;
}

int frmStationInfo::GetStationEnd(int iStart, int iStop) {
    const int length = DocumentLength();
    const Color* colors = m_document.colors.constData();
    bool blackBefore = true;
    const int start = std::max(iStart, 0);
    for (int i = start; i <= iStop; ++i) {
        if (i >= length) return length - 1;
        const Color color = colors[i];
        if (color == kColorRed && blackBefore) return i - 1;
        blackBefore = color == kColorBlack;
    }
    return -1;
}

QString frmStationInfo::GetStationText(int iStart, int iStop) {
    const int length = DocumentLength();
    iStart = std::max(iStart, 0);
    iStop = std::min(iStop, length - 1);
    if (iStop < iStart) return {};
    return m_document.text.mid(iStart, iStop - iStart + 1);
}

int frmStationInfo::Find(const QString& what, int from, int to) const {
    // A hit lies whole within [from, to].
    const int length = static_cast<int>(m_document.text.size());
    to = std::min(to, length - 1);
    from = std::max(from, 0);
    if (from > to || what.isEmpty()) return -1;
    // Only the range is searched: a miss costs the range, not the document.
    const qsizetype hit = QStringView(m_document.text).mid(from, to - from + 1).indexOf(what);
    return hit < 0 ? -1 : from + static_cast<int>(hit);
}

int frmStationInfo::GetStationStation(int iStation, int iStart, int iStop) {
    DocumentLength();
    const QString number = QString::number(iStation);
    for (const QString& prefix : {QStringLiteral("Station "), QStringLiteral("Station-")}) {
        const QString what = prefix + number;
        for (int from = iStart;;) {
            const int hit = Find(what, from, iStop);
            if (hit < 0) break;
            const int after = hit + static_cast<int>(what.size());
            if (after >= m_document.text.size() || !m_document.text[after].isDigit()) return hit;
            from = hit + 1;
        }
    }
    return -1;
}

QString frmStationInfo::GetStationFrequency(int iStart, int iStop, int& iNext) {
    const int length = DocumentLength();
    const auto inRun = [this](int i) {
        return ColorAt(i) == kColorBlue && !m_document.text[i].isSpace() &&
               m_document.text[i] != QChar(0);
    };
    iStop = std::min(iStop, length - 1);
    for (int i = std::max(iStart, 0); i <= iStop; ++i) {
        if (!inRun(i)) continue;
        int end = i;
        while (end < length && inRun(end)) ++end;
        iNext = end;
        return m_document.text.mid(i, end - i);
    }
    iNext = -1;
    return {};
}

bool frmStationInfo::DateLastModified(QDateTime& dtDate) {
    const QFileInfo info(m_airmail.NativePath(m_airmail.settings().m_sAirMailDirectoryData +
                                              QLatin1Char('\\') + kFileName));
    if (!info.exists() || !info.isFile()) return false;
    dtDate = info.lastModified().toUTC();
    return dtDate.isValid();
}

// ---------------------------------------------------------------------------
// Showing a station and the beam list

int frmStationInfo::FindStationHeading(const QString& station) {
    const int length = DocumentLength();
    if (station.isEmpty()) return -1;
    // The first occurrence of the call sign and "." that starts a red run:
    // only the red runs' starts (noted once) need a look.
    if (m_redRuns.isEmpty() && length > 0) {
        m_redRuns.append(-1);  // marks the list as made
        for (int i = 0; i < length; ++i)
            if (ColorAt(i) == kColorRed && (i == 0 || ColorAt(i - 1) != kColorRed))
                m_redRuns.append(i);
    }
    const QString what = station + QLatin1Char('.');
    for (const int start : m_redRuns)
        if (start >= 0 && QStringView(m_document.text).mid(start).startsWith(what)) return start;
    return -1;
}

void frmStationInfo::Select(int start, int length) {
    m_selStart = start;
    m_selLength = length;
    ++m_selectionSerial;
}

int frmStationInfo::ShowStation(const QString& sStation) {
    // The end first, then the heading: scrolled up from below, the heading
    // comes to the top of the box.
    const int end = Find(QStringLiteral("- end -"), 0, DocumentLength() - 1);
    if (end >= 0) Select(end, 7);
    const int heading = FindStationHeading(sStation);
    if (heading >= 0) Select(heading, static_cast<int>(sStation.size()));
    const int index = static_cast<int>(cmbBeam.items.indexOf(sStation));
    if (!cmbBeam.items.isEmpty() && index >= 0) {
        cmbBeam.listIndex = index;
        lblRange.caption = QStringLiteral("Range: ");
        lblBearingTo.caption = QStringLiteral("Bearing To: ");
        lblBearingFrom.caption = QStringLiteral("Bearing From: ");
        double range = 0.0, to = 0.0, from = 0.0;
        if (StationBearings(sStation, range, to, from)) {
            lblRange.caption += RangeText(range);
            lblBearingTo.caption += RangeText(to);
            lblBearingFrom.caption += RangeText(from);
        }
    }
    emit changed();
    return heading;
}

bool frmStationInfo::StationBearings(const QString& station, double& range, double& bearingTo,
                                     double& bearingFrom) {
    double lat = 0.0, lon = 0.0, stationLat = 0.0, stationLon = 0.0;
    if (!m_position.LatLonGetCurrent(lat, lon)) return false;
    if (!LatLonGetStation(m_airmail, kHam, station, false, stationLat, stationLon)) return false;
    range = LatLonGetRange(lat, lon, stationLat, stationLon);
    LatLonGetBearing(lat, lon, stationLat, stationLon, bearingTo, bearingFrom);
    return true;
}

void frmStationInfo::ShowBeams() {
    if (!cmbBeam.items.isEmpty()) return;
    IUserInterface& ui = m_main.ui();
    {
        MouseBusy busy(ui);
        UpdateStatusState(ui, QStringLiteral("Working"));
        double lat = 0.0, lon = 0.0;
        QStringList stations;
        if (m_position.LatLonGetCurrent(lat, lon) && StationGetStation(m_airmail, kHam, stations)) {
            struct Beam {
                QString station;
                int range;
            };
            std::vector<Beam> beams;
            for (qsizetype i = stations.size() - 1; i >= 0; --i) {
                const QString& station = stations[i];
                UpdateStatusStatus(ui, QStringLiteral("Antenna, ") + station);
                const int hit = FindStationHeading(station);
                if (hit < 0) continue;
                const int start = hit + static_cast<int>(station.size());
                const int end = GetStationEnd(start, hit + kSectionReach);
                if (end < 0 || Find(QStringLiteral(" B "), hit, end) < 0) continue;
                double stationLat = 0.0, stationLon = 0.0;
                const int range =
                    LatLonGetStation(m_airmail, kHam, station, false, stationLat, stationLon)
                        ? qRound(LatLonGetRange(lat, lon, stationLat, stationLon))
                        : kRangeUnknown;
                beams.push_back({station, range});
            }
            // The entries were taken last to first; back in file order, then
            // nearest first, equal ranges in file order.
            std::reverse(beams.begin(), beams.end());
            std::stable_sort(beams.begin(), beams.end(),
                             [](const Beam& a, const Beam& b) { return a.range < b.range; });
            for (const Beam& beam : beams) {
                cmbBeam.items.append(beam.station);
                cmbBeamItemData.append(beam.range);
            }
        }
        UpdateStatusState(ui, QString());
        UpdateStatusStatus(ui, QString());
    }
    Layout();
    emit changed();
}

void frmStationInfo::cmbBeam_Click(int index) {
    if (index < 0 || index >= cmbBeam.items.size()) return;
    cmbBeam.listIndex = index;
    ShowStation(cmbBeam.items[index]);
}

// ---------------------------------------------------------------------------
// Layout

void frmStationInfo::Form_Resize(int innerWidth, int innerHeight) {
    m_innerWidth = innerWidth;
    m_innerHeight = innerHeight;
    Layout();
    emit changed();
}

void frmStationInfo::Layout() {
    frmBeamVisible = !cmbBeam.items.isEmpty();
    RichTextBox.left = kMargin;
    RichTextBox.width = std::max(0, m_innerWidth - 2 * kMargin);
    if (frmBeamVisible) {
        frmBeam.left = kMargin;
        frmBeam.top = kMargin;
        frmBeam.width = std::max(0, m_innerWidth - 2 * frmBeam.left);
        frmBeam.height = kBeamHeight;
        RichTextBox.top = frmBeam.top + frmBeam.height + 120;
    } else {
        RichTextBox.top = 0;
    }
    RichTextBox.height = std::max(0, m_innerHeight - RichTextBox.top);
}

}  // namespace tw
