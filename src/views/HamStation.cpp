#include "views/HamStation.h"

#include "airmail/AirMail.h"
#include "airmail/Stations.h"
#include "common/FileRead.h"
#include "common/ProfileAccess.h"
#include "selection/MainState.h"
#include "views/StationInfo.h"

namespace tw {

namespace {
const QString kNoErrors = QStringLiteral("No Errors");
}  // namespace

QString HamStationDateText(const QDateTime& date) {
    return QStringLiteral("Last Modified:  ") +
           (date.isValid() ? date.toString(QStringLiteral("MM/dd/yyyy")) : QStringLiteral("N/A"));
}

HamStation::HamStation(MainState& main, const ITextMetrics& metrics, AirMail& airmail,
                       frmStationInfo& stationInfo)
    : m_main(main), m_metrics(metrics), m_airmail(airmail), m_stationInfo(stationInfo) {
    lblHamStation.caption = HamStationDateText({});
    cmdHamStationCheck = {QStringLiteral("Check"), QStringLiteral("Check Ham Station Frequency Data")};
    cmdHamStationInfo = {QStringLiteral("Info"), QStringLiteral("Display Station Info")};
    grdHamStationAirMail.SetToolTipText(
        QStringLiteral("AirMail's \"System.HAM.ini\" Station File"));
    grdHamStationFile.SetToolTipText(QStringLiteral("AirMail's \"FreqList.rtf\" Station File"));
    GridReset(grdHamStationAirMail);
    GridReset(grdHamStationFile);
}

void HamStation::GridReset(Grid& grid) {
    grid.SetRows(0);
    grid.SetCols(3);
    grid.SetRows(1);
    grid.SetFixedRows(1);
    struct Column {
        const char* header;
        const char* sample;
    };
    static constexpr Column kColumns[] = {
        {"Station", "-----Station-"}, {"Tx Rc", "-Tx Rc-"}, {"Frequency", "---------Frequency-"}};
    for (int col = 0; col < 3; ++col) {
        grid.SetText(0, col, QString::fromLatin1(kColumns[col].header));
        grid.SetCellAlignment(0, col, AlignCenter);
        grid.SetColWidth(col, m_metrics.TextWidthTwips(QString::fromLatin1(kColumns[col].sample)));
    }
    grid.SetMergeCol(kColStation, true);
}

void HamStation::WidenFrequency(Grid& grid, const QString& text) {
    const int width = m_metrics.TextWidthTwips(QStringLiteral("--") + text);
    if (width > grid.ColWidth(kColFrequency)) grid.SetColWidth(kColFrequency, width);
}

void HamStation::AppendRow(Grid& grid, const QString& station, int group,
                           const QString& frequencies) {
    const int row = grid.Rows();
    grid.AddRow();
    grid.SetText(row, kColStation, station);
    grid.SetCellAlignment(row, kColStation, AlignLeft);
    grid.SetText(row, kColTxRc, QString::number(group));
    grid.SetCellAlignment(row, kColTxRc, AlignCenter);
    grid.SetText(row, kColFrequency, frequencies);
    grid.SetCellAlignment(row, kColFrequency, AlignLeft);
    WidenFrequency(grid, frequencies);
}

bool HamStation::HamStationLoad(bool headerOnly) {
    QDateTime date;
    lblHamStation.caption = HamStationDateText(m_stationInfo.DateLastModified(date) ? date : QDateTime());
    emit changed();
    if (headerOnly) return true;
    cmdHamStationInfoVisible = false;
    bool ok = true;
    IUserInterface& ui = m_main.ui();
    UpdateStatusState(ui, QStringLiteral("Working"));
    UpdateStatusStatus(ui, QString());
    {
        MouseBusy busy(ui);
        for (Grid* grid : {&grdHamStationAirMail, &grdHamStationFile}) {
            grid->SetRedraw(false);
            GridReset(*grid);
        }
        ok = HamStationGetAirmail(grdHamStationAirMail, QStringLiteral("HAM"));
        HamStationGetFile(grdHamStationFile);
        // Station, then group, as text: group "10" sorts before "2".
        for (Grid* grid : {&grdHamStationAirMail, &grdHamStationFile}) {
            grid->SetCompare([grid](int r1, int r2) {
                for (int col : {kColStation, kColTxRc}) {
                    const int c = grid->Text(r1, col).compare(grid->Text(r2, col), Qt::CaseSensitive);
                    if (c != 0) return c < 0 ? -1 : 1;
                }
                return 0;
            });
            if (grid->Rows() > 2) grid->Sort(1, grid->Rows() - 1, kColStation, SortCustom);
        }
        HamStationCompare(grdHamStationAirMail, grdHamStationFile);
        for (Grid* grid : {&grdHamStationAirMail, &grdHamStationFile}) grid->SetRedraw(true);
    }
    UpdateStatusState(ui, QString());
    UpdateStatusStatus(ui, QString());
    emit changed();
    return ok;
}

bool HamStation::HamStationGetAirmail(Grid& grid, const QString& system) {
    QByteArray bytes;
    QString error;
    const QString path = m_airmail.NativePath(m_airmail.settings().m_sAirMailDirectoryData +
                                              QLatin1Char('\\') + SystemFileName(system));
    bool opened = false;
    if (!ReadFileBounded(path, bytes, error, kFileReadLimit, &opened)) {
        // Not opened: the folder may be wrong, so the hint follows.  Opened
        // but not read through: the reason alone.
        if (opened)
            m_airmail.ShowMessage(WithCause(QStringLiteral("HamStationGetAirmail, Unable to read AirMail \"") +
                                                system + QStringLiteral("\" Station data."),
                                            error),
                                  MsgIcon::Exclamation);
        else
            m_airmail.ShowMessage(QStringLiteral("HamStationGetAirmail, Unable to open AirMail \"") +
                                      system + QStringLiteral("\" Station data.") +
                                      m_airmail.AirMailErrorDataMessage() + QLatin1Char('\r') + error,
                                  MsgIcon::Exclamation);
        return false;
    }
    bool inList = false;
    for (const QByteArray& raw : bytes.split('\n')) {
        QString line = AnsiToUnicode(raw);
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        if (!inList) {
            inList = line == QLatin1String("[Frequency List]");
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) break;
        const QString station = line.left(eq);
        QString value = line.mid(eq + 1);
        // A ";" at the very end adds no empty group; an empty value no group.
        if (value.endsWith(QLatin1Char(';'))) value.chop(1);
        if (value.isEmpty()) continue;
        const QStringList groups = value.split(QLatin1Char(';'));
        for (qsizetype g = 0; g < groups.size(); ++g) {
            QStringList texts;
            for (QString token : groups[g].split(QLatin1Char(','))) {
                FrequencyReformat(token);
                texts << token;
            }
            AppendRow(grid, station, static_cast<int>(g) + 1, texts.join(QStringLiteral(", ")));
        }
    }
    return true;
}

void HamStation::HamStationGetFile(Grid& grid) {
    frmStationInfo& info = m_stationInfo;
    const int length = info.DocumentLength();
    const auto frequencies = [&info](int start, int stop) {
        QStringList texts;
        for (int p = start;;) {
            int next = -1;
            QString text = info.GetStationFrequency(p, stop, next);
            if (next < 0) break;
            // "7070." is read as "7070.0": the "0" goes right after a "." that is
            // the fifth character and has no digit after it (before a "#", say).
            const qsizetype dot = text.indexOf(QLatin1Char('.'));
            if (dot == 4 && (dot + 1 == text.size() || !text[dot + 1].isDigit()))
                text.insert(dot + 1, QLatin1Char('0'));
            FrequencyReformat(text);
            texts << text;
            p = next;
        }
        return texts.join(QStringLiteral(", "));
    };
    for (int pos = 0; pos < length;) {
        const int begin = info.GetStationBegin(pos, length - 1);
        if (begin < 0) break;
        const int nameEnd = info.GetStationNameEnd(begin, begin + 10);
        if (nameEnd < 0) break;
        const QString name = info.GetStationText(begin, nameEnd);
        UpdateStatusStatus(m_main.ui(), QStringLiteral("FreqList - ") + name);
        const int next = info.GetStationBegin(nameEnd + 1, length - 1);
        const int blockEnd = next < 0 ? length - 1 : next - 1;
        int heading = info.GetStationStation(1, nameEnd + 1, blockEnd);
        if (heading < 0) {
            AppendRow(grid, name, 1, frequencies(nameEnd + 1, blockEnd));
        } else {
            for (int k = 1; heading >= 0; ++k) {
                const int following = info.GetStationStation(k + 1, heading + 1, blockEnd);
                AppendRow(grid, name, k,
                          frequencies(heading, following < 0 ? blockEnd : following - 1));
                heading = following;
            }
        }
        if (next < 0) break;
        pos = next;
    }
}

void HamStation::HamStationCompare(Grid& a, Grid& b) {
    UpdateStatusStatus(m_main.ui(), QStringLiteral("Check for Difference"));
    const auto same = [&a, &b](int i, int j) {
        for (int col : {kColStation, kColTxRc, kColFrequency})
            if (a.Text(i, col) != b.Text(j, col)) return false;
        return true;
    };
    for (int i = 1; i < a.Rows();) {
        int match = -1;
        for (int j = 1; j < b.Rows() && match < 0; ++j)
            if (same(i, j)) match = j;
        if (match < 0) {
            ++i;
            continue;
        }
        a.RemoveRow(i);
        b.RemoveRow(match);
    }
    if (a.Rows() <= 1 && b.Rows() <= 1) {
        for (Grid* grid : {&a, &b}) {
            grid->AddRow();
            grid->SetText(1, kColFrequency, kNoErrors);
            grid->SetCellAlignment(1, kColFrequency, AlignCenter);
            grid->SetBold(1, kColFrequency, true);
        }
        return;
    }
    for (Grid* grid : {&a, &b})
        for (int row = 1; row < grid->Rows(); ++row)
            WidenFrequency(*grid, grid->Text(row, kColFrequency));
}

// ---------------------------------------------------------------------------
// Opening a station

void HamStation::StationClick(Grid& grid, int row, int col) {
    if (row < 1 || row >= grid.Rows() || col != kColStation) return;
    m_station = grid.Text(row, kColStation);
    if (!m_station.isEmpty()) cmdHamStationInfoVisible = true;
    emit changed();
}

void HamStation::grdHamStation_Click(Grid& grid, int x, int y) {
    const GridRowCol cell = m_main.best.GridGetRowCol(grid, x, y);
    StationClick(grid, cell.iRow, cell.iCol);
}

void HamStation::grdHamStation_DblClick(Grid& grid, int x, int y) {
    const GridRowCol cell = m_main.best.GridGetRowCol(grid, x, y);
    if (cell.iRow < 1 || cell.iRow >= grid.Rows() || cell.iCol != kColStation) return;
    StationClick(grid, cell.iRow, cell.iCol);
    OpenStation();
}

void HamStation::cmdHamStationInfo_Click() { OpenStation(); }

void HamStation::OpenStation() {
    if (m_station.isEmpty()) return;
    if (!m_stationInfo.Visible()) m_stationInfo.Show();
    m_stationInfo.ShowStation(m_station);
}

}  // namespace tw
