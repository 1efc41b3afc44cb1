#include "selection/BestList.h"

#include <QStringList>
#include <QVector>

#include <algorithm>
#include <vector>

#include "airmail/AirMail.h"
#include "airmail/CallLog.h"
#include "airmail/Position.h"
#include "airmail/Stations.h"
#include "selection/BestGrid.h"
#include "common/Grid.h"
#include "selection/MainState.h"
#include "selection/SystemSelect.h"

namespace tw {

namespace {

const QString kFrequencyList = QStringLiteral("Frequency List");
const QString kStationInfo = QStringLiteral("Station Info");
const QString kPactor3Text = QStringLiteral("(p3)");
const QString kPactor3Marker = QStringLiteral(" ");

bool IsHam(const QString& system) { return system.toUpper() == QStringLiteral("HAM"); }

// Redrawing off while it lives, on again on every way out.
class RedrawOff {
public:
    explicit RedrawOff(Grid& grid) : m_grid(grid) { m_grid.SetRedraw(false); }
    ~RedrawOff() { m_grid.SetRedraw(true); }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

private:
    Grid& m_grid;
};

}  // namespace

double ConnectionChance(std::optional<double> reliability, int connected, int calls) {
    return (4.0 * reliability.value_or(0.5) + connected) / (4.0 + calls);
}

BestList::BestList(MainState& main, AirMail& airmail, Position& position, Propagation& propagation,
                   std::function<void()> terminalActivate)
    : BestList(main, airmail, position, PropagationGetOf(propagation), std::move(terminalActivate)) {
    PropagationPrepare = PropagationPrepareOf(propagation);
}

BestList::BestList(MainState& main, AirMail& airmail, Position& position, PropagationGetFunction propagationGet,
                   std::function<void()> terminalActivate)
    : TerminalActivate(std::move(terminalActivate)),
      m_main(main),
      m_airmail(airmail),
      m_position(position),
      m_evaluation(main, airmail, position, std::move(propagationGet)) {}

// ---- The build --------------------------------------------------------------

bool BestList::BestListBuild() {
    // AirMail's files cannot change in a way that counts during the build:
    // each is read once.
    const ProfileReadsHeld held(m_airmail.profile());
    MainState& main = m_main;
    const Settings& settings = main.settings;
    BestGrid& best = main.best;
    Grid& grid = best.grdFrequency;

    // The systems into the system list, and the one in use.
    if (!SystemSelect(m_airmail, main, preferredSystem)) return false;
    main.m_sListSystem = main.m_sSystem;

    // AirMail up at the first update of the run.
    if (!main.m_bActivated && settings.m_bAirMailStartup && TerminalActivate) TerminalActivate();

    QStringList stations;
    const CurrentPositionSource here = [this](double& latitude, double& longitude) {
        return m_position.LatLonGetCurrent(latitude, longitude);
    };
    main.m_listPredictions.clear();
    if (!StationGetStations(m_airmail, main.m_sSystem, here, stations)) return false;
    main.m_listClockTime = main.TimeGetZulu();
    const QDateTime now = main.m_listClockTime;

    // With a model whose runs are combined, every station's circuit goes into
    // one program run first; the evaluation below then takes its results.
    // A combined run gives every value of a station's own run but the LUF,
    // which only the additional data show: with them each station runs alone.
    struct PreparedDrop {
        BestList& list;
        int model;
        ~PreparedDrop() {
            if (list.PropagationPrepare) list.PropagationPrepare(model, QDateTime(), 0.0f, {});
        }
    } preparedDrop {*this, settings.m_iPropagationModel};
    if (PropagationPrepare && !settings.m_bPropagationAdditionalData) {
        const QDateTime time = m_evaluation.PropagationTime(now);
        PropagationPrepare(settings.m_iPropagationModel, time, m_position.SunSpotNumberGet(), [&] {
            PropagationPositions own;
            if (const std::optional<PositionFix> fix = m_position.LatLonGetCurrent(false)) {
                own.OwnLatitude = fix->latitude;
                own.OwnLongitude = fix->longitude;
                return StationRequests(stations, own);
            }
            return std::vector<PropagationRequest>();
        });
    }

    bool anyRows = false;  // some station gave rows to choose from
    {
        const RedrawOff redrawOff(grid);
        int next = 1;
        int done = 0;
        for (const QString& station : stations) {
            main.UpdateProgress(++done, static_cast<int>(stations.size()));
            main.m_sStation = station;
            main.m_sStationName = StationNameFromStation(m_airmail, main.m_sSystem, station);
            main.UpdateStatusStatus(QStringLiteral("Propagation, ") + main.m_sStationName);

            // A station whose own data fail (no frequency list, no position) is
            // left out after its message, and the list is built from the
            // others; a failure no station escapes (the vessel's position, the
            // propagation program) ends the build.  Either way none of the
            // station's rows stay behind half built.
            int last = next - 1;
            main.m_listPredictions.push_back({station, main.m_sStationName, false, {}, 0.0, -1.0});
            if (!StationGetFrequencies(grid, next, last)) {
                grid.SetRows(next);
                continue;
            }
            const StationOutcome outcome = m_evaluation.StationEvaluate(
                grid, next, last, now, settings.m_bPropagationAdditionalData);
            if (outcome != StationOutcome::Evaluated) {
                grid.SetRows(next);
                if (outcome == StationOutcome::Failed) return false;
                continue;
            }
            anyRows = anyRows || last >= next;
            FrequencyPactorFilter(grid, next, last);  // amateur stations only
            ListPredictionBest(grid, next, last, main.m_listPredictions.back());
            if (settings.m_bStationHighestFrequency)
                FrequencyHighestSelect(grid, next, last);
            else
                FrequencyTopSelect(grid, next, last);
            FrequencyTrimList(grid, next, last);
            next = last + 1;
        }

        LogRecordFill(grid, 1, grid.Rows() - 1, now, settings.m_bPropagationAdditionalData);
        StationTopSelect(grid, best.m_iColSnr);
        FrequencyMarkShared(grid);
        // Painting cells scrolls to them; the list is shown from its best station.
        grid.SetTopRow(grid.FixedRows());
    }
    main.UpdateStatusStatus(QString());

    // Tells the user when nothing is left to connect to, and why where a
    // cause is plain; the build is done all the same.
    best.FrequencyAnyChecked(EmptyListCause(settings, main.m_sSystem, !stations.isEmpty(), anyRows));
    return true;
}

QString BestList::EmptyListCause(const Settings& settings, const QString& system, bool anyStation,
                                 bool anyFrequency) {
    const QString tab = QStringLiteral(" in Options, Station, Display Options");
    if (!anyStation) return QStringLiteral("The system ") + system + QStringLiteral(" has no stations.");
    if (!anyFrequency)
        return QStringLiteral("None of the stations of the system ") + system +
               QStringLiteral(" has a frequency to connect to.");
    if (settings.m_iStationTopStations < 1)
        return QStringLiteral("Top Stations is ") + QString::number(settings.m_iStationTopStations) + tab +
               QStringLiteral(": at least one station must be listed.");
    if (!settings.m_bStationHighestFrequency && settings.m_iStationTopFrequencies < 1)
        return QStringLiteral("Top Frequencies is ") + QString::number(settings.m_iStationTopFrequencies) +
               tab + QStringLiteral(": at least one frequency of each station must be listed.");
    return QString();
}

std::vector<PropagationRequest> BestList::StationRequests(const QStringList& stations,
                                                          const PropagationPositions& own) {
    const QString& system = m_main.m_sSystem;
    const QString file = SystemFileName(system);
    std::vector<PropagationRequest> requests;
    for (const QString& station : stations) {
        PropagationRequest request;
        request.Positions = own;
        // The frequencies as StationGetFrequencies puts them into the rows.
        const QString value = m_airmail.AirMailGetProfileString(file, kFrequencyList, station, false);
        for (const StationFrequency& frequency : FrequencyListParse(value)) {
            if (PropagationFrequencyInRange(frequency.kHz))
                request.Frequencies.push_back(static_cast<float>(FrequencyFromText(frequency.text)));
        }
        if (request.Frequencies.empty() ||
            !LatLonGetStation(m_airmail, system, station, false, request.Positions.StationLatitude,
                              request.Positions.StationLongitude))
            continue;
        requests.push_back(std::move(request));
    }
    return requests;
}

bool BestList::StationGetFrequencies(Grid& grid, int first, int& last) {
    MainState& main = m_main;
    BestGrid& best = main.best;
    const QString file = SystemFileName(main.m_sSystem);
    const QString value = m_airmail.AirMailGetProfileString(file, kFrequencyList, main.m_sStation, true);
    if (value.isEmpty()) return false;

    grid.SetRows(first);
    const int colFrequency = best.m_iColFrequency;
    // Empty tokens (two separators in a row, one at the end) and tokens that
    // hold no frequency are skipped; so, after one message, are frequencies the
    // propagation programs do not predict for.  A station left without
    // frequencies adds no rows and drops out of the list like one whose rows
    // were all unchecked.
    QStringList outside;
    int row = first;
    for (const StationFrequency& frequency : FrequencyListParse(value)) {
        if (!PropagationFrequencyInRange(frequency.kHz)) {
            outside << frequency.text;
            continue;
        }
        grid.SetRows(row + 1);
        best.GridSetStation(grid, row, main.m_sStation);
        best.GridSetChecked(grid, row, colFrequency, true);
        best.GridSetCell(grid, row, colFrequency, frequency.text, AlignLeft, false);
        ++row;
    }
    last = row - 1;
    if (!outside.isEmpty()) {
        m_airmail.ShowMessage(
            QStringLiteral("The frequencies %1 of %2 in \"%3\" lie outside %4 to %5 kHz, the band "
                           "the propagation programs predict for; they are left out of the list.")
                .arg(outside.join(QStringLiteral(", ")), main.m_sStation, file)
                .arg(kPropagationMinKHz, 0, 'f', 0)
                .arg(kPropagationMaxKHz, 0, 'f', 0),
            MsgIcon::Exclamation);
    }

    for (int r = first; r <= last; ++r) {
        const bool pactor3 = best.GridGetText(grid, r, colFrequency).contains(kPactor3Text);
        best.GridSetCell(grid, r, best.m_iColP3, pactor3 ? kPactor3Marker : QString(), AlignCenter, false);
    }

    if (IsSailMail(main.m_sSystem)) {
        const QString info = m_airmail.AirMailGetProfileString(file, kStationInfo, main.m_sStation, false);
        if (info.contains(QLatin1Char(':'))) {
            main.m_sStationName = StationDisplayName(info);
            if (info.contains(QStringLiteral(";P3"))) {
                for (int r = first; r <= last; ++r)
                    best.GridSetCell(grid, r, best.m_iColP3, kPactor3Marker, AlignCenter, false);
            }
        }
    } else {
        main.m_sStationName.clear();
    }

    if (main.settings.m_bRadioFrequency) {
        for (int r = first; r <= last; ++r)
            best.GridSetCell(grid, r, colFrequency - 1, FrequencyDialText(best, m_airmail, grid, r), AlignRight,
                             false);
    }
    return true;
}

void BestList::ListPredictionBest(Grid& grid, int first, int last, ListStationPrediction& prediction) {
    BestGrid& best = m_main.best;
    const std::vector<double>& reliabilities = m_evaluation.LastReliabilities();
    prediction.name = m_main.m_sStationName.isEmpty() ? prediction.station : m_main.m_sStationName;
    // Among the rows the Pactor mode leaves checked; all of them when it leaves none.
    bool anyChecked = false;
    for (int r = first; r <= last; ++r) anyChecked = anyChecked || best.GridGetChecked(grid, r, best.m_iColFrequency);
    for (int r = first; r <= last; ++r) {
        if (anyChecked && !best.GridGetChecked(grid, r, best.m_iColFrequency)) continue;
        const std::size_t i = static_cast<std::size_t>(r - first);
        const double reliability = i < reliabilities.size() ? reliabilities[i] : -1.0;
        const double snr = LeadingNumber(best.GridGetText(grid, r, best.m_iColSnr));
        if (prediction.predicted && (reliability < prediction.reliability ||
                                     (reliability == prediction.reliability && snr <= prediction.snr)))
            continue;
        prediction.predicted = true;
        prediction.frequency = best.GridGetText(grid, r, best.m_iColFrequency);
        prediction.snr = snr;
        prediction.reliability = reliability;
    }
}

// ---- Per-station rules ------------------------------------------------------

void BestList::FrequencyPactorFilter(Grid& grid, int first, int last) {
    // Only the amateur stations list Pactor modes per frequency; the other
    // systems keep all their frequencies whatever the mode.
    if (!IsHam(m_main.m_sSystem)) return;
    const int mode = m_main.settings.m_iStationPactorMode;
    if (mode != 0 && mode != 1) return;
    BestGrid& best = m_main.best;
    for (int r = first; r <= last; ++r) {
        if (!best.GridGetChecked(grid, r, best.m_iColFrequency)) continue;
        const bool pactor3 = !best.GridGetText(grid, r, best.m_iColP3).isEmpty();
        if ((mode == 0 && !pactor3) || (mode == 1 && pactor3))
            best.GridSetChecked(grid, r, best.m_iColFrequency, false);
    }
}

void BestList::FrequencyTopSelect(Grid& grid, int first, int last) {
    BestGrid& best = m_main.best;
    const int colFrequency = best.m_iColFrequency;
    if (last > first) {
        best.SortKeysSet({{best.m_iColSnr, BestGrid::OrderNumericDescending},
                          {colFrequency, BestGrid::OrderNumericDescending}});
        grid.Sort(first, last, colFrequency, SortCustom);
    }
    int kept = 0;
    for (int r = first; r <= last; ++r) {
        if (!best.GridGetChecked(grid, r, colFrequency)) continue;
        if (kept < m_main.settings.m_iStationTopFrequencies)
            ++kept;
        else
            best.GridSetChecked(grid, r, colFrequency, false);
    }
}

void BestList::FrequencyHighestSelect(Grid& grid, int first, int last) {
    BestGrid& best = m_main.best;
    const Settings& settings = m_main.settings;
    const int colFrequency = best.m_iColFrequency;
    const int colSnr = best.m_iColSnr;
    constexpr int kOutside = 1000;

    double bestSnr = -1.0e30;
    for (int r = first; r <= last; ++r) {
        if (!best.GridGetChecked(grid, r, colFrequency)) continue;
        bestSnr = std::max(bestSnr, LeadingNumber(best.GridGetText(grid, r, colSnr)));
    }

    if (last > first) grid.Sort(first, last, colFrequency, SortNumericDescending);

    // A temporary last column numbers the rows within the range from the
    // highest frequency down.
    const int cols = grid.Cols();
    grid.SetCols(cols + 1);
    const int colKey = cols;
    int n = 0;
    for (int r = first; r <= last; ++r) {
        int key = kOutside;
        if (best.GridGetChecked(grid, r, colFrequency) &&
            bestSnr - LeadingNumber(best.GridGetText(grid, r, colSnr)) <= static_cast<double>(settings.m_fStationHighestSnrRange))
            key = ++n;
        best.GridSetCell(grid, r, colKey, QString::number(key), AlignRight, false);
    }

    if (last > first) {
        best.SortKeysSet({{colKey, BestGrid::OrderNumericAscending},
                          {colSnr, BestGrid::OrderNumericDescending},
                          {colFrequency, BestGrid::OrderNumericDescending}});
        grid.Sort(first, last, colFrequency, SortCustom);
    }

    int c = 1;
    for (int r = first; r <= last; ++r) {
        if (!best.GridGetChecked(grid, r, colFrequency)) continue;
        if (c > settings.m_iStationTopFrequencies) {
            best.GridSetChecked(grid, r, colFrequency, false);
            continue;
        }
        ++c;
        const double snr = LeadingNumber(best.GridGetText(grid, r, colSnr));
        const double key = LeadingNumber(best.GridGetText(grid, r, colKey));
        // A frequency chosen although another one of the station has a better SNR.
        if (snr != bestSnr && key != kOutside) best.GridSetCellColor(grid, r, colFrequency, best.m_lColorHigher);
    }

    grid.SetCols(cols);
}

void BestList::FrequencyTrimList(Grid& grid, int first, int& last) {
    BestGrid& best = m_main.best;
    const Settings& settings = m_main.settings;
    if (!settings.m_bPropagationAdditionalData) {
        int count = 0;
        for (int r = last; r >= first; --r) {
            if (best.GridGetChecked(grid, r, best.m_iColFrequency))
                ++count;
            else
                grid.RemoveRow(r);
        }
        last = first + count - 1;
    } else if (settings.m_iStationTopFrequencies == 1 && last > first) {
        // The unchecked frequencies stay visible with their predictions, in
        // frequency order.
        grid.Sort(first, last, best.m_iColFrequency, SortNumericAscending);
    }
}

// ---- Ranking ----------------------------------------------------------------

void BestList::LogRecordFill(Grid& grid, int first, int last, const QDateTime& t, bool additionalData) {
    BestGrid& best = m_main.best;
    if (!best.LogShown(additionalData) || last < first) return;
    const int days = m_main.settings.m_iStationHistoryDays;
    const LogCalls calls = LogCallsRead(m_airmail, t, days);
    for (int r = first; r <= last; ++r) {
        const LogRecord record =
            LogRecordAt(calls, best.GridGetStation(grid, r),
                        FrequencyFromText(best.GridGetText(grid, r, best.m_iColFrequency)), t, days);
        best.GridSetCell(grid, r, best.m_iColLog, LogRecordText(record), AlignRight, false);
        best.GridSetCell(grid, r, best.m_iColLogLast, LogConnectionTimeText(record.lastConnected), AlignLeft,
                         false);
    }
}

void BestList::StationTopSelect(Grid& grid, int colSnr) {
    BestGrid& best = m_main.best;
    const Settings& settings = m_main.settings;
    // With the ranking by the chance of a connection a temporary last column
    // holds each row's chance.
    const bool byChance = settings.m_bStationHistoryRanking;
    const int cols = grid.Cols();
    int colKey = colSnr;
    if (byChance) {
        grid.SetCols(cols + 1);
        colKey = cols;
        for (int r = 1; r < grid.Rows(); ++r) {
            const QString rel = best.GridGetText(grid, r, best.m_iColRel);
            const LogRecord record = LogRecordFromText(best.GridGetText(grid, r, best.m_iColLog));
            const std::optional<double> reliability =
                rel.trimmed().isEmpty() ? std::nullopt : std::optional(LeadingNumber(rel) / 100.0);
            const double chance = ConnectionChance(reliability, record.connected, record.calls);
            best.GridSetCell(grid, r, colKey, QString::number(chance, 'f', 9), AlignRight, false);
        }
    }
    int last = grid.Rows() - 1;
    int count = 0;
    // The chosen blocks pile up below the rows still to rank, best first.
    while (last >= 1) {
        const auto [s, e] = StationFindBest(grid, 1, last, colKey, byChance ? colSnr : -1);
        ++count;
        if (s == -1 || count > settings.m_iStationTopStations) break;
        GridMoveRowsToEnd(grid, s, e);
        for (int r = s; r <= e; ++r) grid.RemoveRow(s);
        last -= e - s + 1;
    }
    // The stations not chosen, among them every one without a checked row.
    for (int r = last; r >= 1; --r) grid.RemoveRow(r);

    if (settings.m_iStationTopFrequencies == 1 && grid.Rows() > 1) {
        const int colFrequency = best.m_iColFrequency, colRange = best.m_iColStation + 1;
        if (byChance)
            best.SortKeysSet({{colKey, BestGrid::OrderNumericDescending},
                              {colSnr, BestGrid::OrderNumericDescending},
                              {colFrequency, BestGrid::OrderNumericDescending},
                              {colRange, BestGrid::OrderNumericAscending}});
        else
            best.SortKeysSet({{colSnr, BestGrid::OrderNumericDescending},
                              {colFrequency, BestGrid::OrderNumericDescending},
                              {colRange, BestGrid::OrderNumericAscending}});
        StationBlocksSort(grid);
    }
    if (byChance) grid.SetCols(cols);
}

// With one frequency per station the list is ordered by SNR, then the higher
// frequency, then the shorter range.  Without additional data every station
// has a single row and this is a sort of the rows.  With additional data a
// station keeps its unchecked rows too; sorting all rows would tear its block
// apart (its unchecked rows scattered among the other stations), so whole
// blocks are ordered by their checked row, each block keeping its own order.
void BestList::StationBlocksSort(Grid& grid) {
    BestGrid& best = m_main.best;
    struct Block {
        int first;
        int last;
        int key;  // the row the block is compared by
    };
    std::vector<Block> blocks;
    const int rows = grid.Rows();
    for (int r = 1; r < rows; ++r) {
        const QString station = best.GridGetStation(grid, r);
        if (blocks.empty() || station != best.GridGetStation(grid, blocks.back().first))
            blocks.push_back({r, r, -1});
        else
            blocks.back().last = r;
        if (blocks.back().key < 0 && best.GridGetChecked(grid, r, best.m_iColFrequency)) blocks.back().key = r;
    }
    for (Block& block : blocks)
        if (block.key < 0) block.key = block.first;

    if (blocks.size() == static_cast<std::size_t>(rows - 1)) {
        grid.Sort(1, rows - 1, best.m_iColFrequency, SortCustom);
        return;
    }
    std::vector<Block> sorted = blocks;
    std::stable_sort(sorted.begin(), sorted.end(), [&](const Block& a, const Block& b) {
        return best.SortCompare(grid, a.key, b.key) < 0;
    });
    bool moved = false;
    for (std::size_t i = 0; i < sorted.size(); ++i) moved = moved || sorted[i].first != blocks[i].first;
    if (!moved) return;
    for (const Block& block : sorted) GridMoveRowsToEnd(grid, block.first, block.last);
    for (int r = rows - 1; r >= 1; --r) grid.RemoveRow(r);
}

std::pair<int, int> BestList::StationFindBest(Grid& grid, int first, int last, int colKey, int colTie) {
    BestGrid& best = m_main.best;
    double bestKey = -1000.0;
    double bestTie = 0.0;
    QString bestName;
    QString currentName;
    int blockStart = first;
    int s = -1;
    int e = -1;
    for (int r = first; r <= last; ++r) {
        // Stations by identifier: two may show the same name.
        const QString name = best.GridGetStation(grid, r);
        if (r == first || name != currentName) {
            currentName = name;
            blockStart = r;
        }
        const double key = LeadingNumber(best.GridGetText(grid, r, colKey));
        const double tie = colTie >= 0 ? LeadingNumber(best.GridGetText(grid, r, colTie)) : 0.0;
        const bool better = key > bestKey || (colTie >= 0 && s != -1 && key == bestKey && tie > bestTie);
        if (better && best.GridGetChecked(grid, r, best.m_iColFrequency)) {
            bestKey = key;
            bestTie = tie;
            if (s == -1 || name != bestName) {
                bestName = name;
                s = blockStart;
            }
            e = r;
        } else if (s != -1 && name == bestName) {
            e = r;
        }
    }
    return {s, e};
}

void BestList::GridMoveRowsToEnd(Grid& grid, int first, int last) {
    BestGrid& best = m_main.best;
    for (int r = first; r <= last; ++r) {
        grid.AddRow();
        const int to = grid.Rows() - 1;
        grid.SetRowData(to, grid.RowData(r));
        for (int c = 0; c < grid.Cols(); ++c) {
            const QString text = best.GridGetText(grid, r, c);
            best.GridSetCell(grid, to, c, text, grid.CellAlignment(r, c), grid.Bold(r, c));
            const Color color = grid.BackColor(r, c);
            if (color != grid.BackColor(to, c)) best.GridSetCellColor(grid, to, c, color);
            if (c == best.m_iColFrequency) best.GridSetChecked(grid, to, c, best.GridGetChecked(grid, r, c));
        }
    }
}

void BestList::FrequencyMarkShared(Grid& grid) {
    BestGrid& best = m_main.best;
    const int colFrequency = best.m_iColFrequency;
    const int rows = grid.Rows();
    QVector<QString> texts(rows);
    for (int r = 1; r < rows; ++r) {
        texts[r] = best.GridGetText(grid, r, colFrequency);
        texts[r].remove(QLatin1Char(' '));
    }
    for (int r1 = 1; r1 < rows; ++r1) {
        if (texts[r1].isEmpty()) continue;
        for (int r2 = r1 + 1; r2 < rows; ++r2) {
            if (texts[r1] != texts[r2]) continue;
            best.GridSetCellColor(grid, r1, colFrequency, best.m_lColorShared);
            best.GridSetCellColor(grid, r2, colFrequency, best.m_lColorShared);
        }
    }
}

}  // namespace tw
