#pragma once
// The best list: the system's stations put into the best grid one frequency
// per row, each station evaluated, its frequencies filtered by Pactor mode and
// chosen by SNR (or the highest frequency near the best SNR), the stations
// ranked by their best checked SNR and cut to the number wanted, and the
// frequencies that several stations share marked.  The grid is the list: its
// checked rows, from the top, are the connect list.
//
// The ranking procedures work on any grid of the best grid's layout (the
// detailed view runs them on its own); they read the settings, the column
// indexes, the colours and the sort key table of the main window.

#include <QString>

#include <functional>
#include <optional>
#include <utility>

#include "selection/Evaluate.h"

namespace tw {

class AirMail;
class Grid;
class Position;
class Propagation;
class MainState;
struct ListStationPrediction;

// The chance of a connection on a row, the ranking's measure with "History
// Ranking": the predicted reliability r (0 to 1; 0.5 without one) counts as
// four calls beside the user's own c connections in n calls at this time of
// day, (4 r + c) / (4 + n).
double ConnectionChance(std::optional<double> reliability, int connected, int calls);

class BestList {
public:
    // `terminalActivate` starts AirMail or brings its Terminal window up at
    // the first update of the run when m_bAirMailStartup is set; without it
    // the build goes on without.
    BestList(MainState& main, AirMail& airmail, Position& position, Propagation& propagation,
             std::function<void()> terminalActivate = {});
    BestList(MainState& main, AirMail& airmail, Position& position, PropagationGetFunction propagationGet,
             std::function<void()> terminalActivate = {});

    std::function<void()> TerminalActivate;
    // Runs every station's circuit at once before the stations are evaluated
    // (the run driver's combined run); set by the constructor that takes the
    // run driver, empty otherwise.
    PropagationPrepareFunction PropagationPrepare;
    // The system to show when the system list is filled (the command line's
    // choice); empty for AirMail's last used system.
    QString preferredSystem;

    // Builds the list into the main window's grdFrequency.  False when there
    // are no systems or stations, or a station's frequencies or prediction
    // cannot be had (the user has been told); the rows built so far stay.
    bool BestListBuild();

    // Appends the frequency rows of station m_sStation from row `first` on,
    // every one checked; `last` is the last row added.  False (after the
    // profile reader's message) when the station has no [Frequency List] entry.
    // Frequencies outside the programs' band are left out after one message.
    bool StationGetFrequencies(Grid& grid, int first, int& last);

    // The per-station rules, on rows first..last of one station.
    void FrequencyPactorFilter(Grid& grid, int first, int last);
    void FrequencyTopSelect(Grid& grid, int first, int last);
    void FrequencyHighestSelect(Grid& grid, int first, int last);
    // Without additional data the unchecked rows go (`last` moves up; a station
    // with none checked ends with last = first - 1).
    void FrequencyTrimList(Grid& grid, int first, int& last);

    // The user's own calls at the time t into the Log column of rows
    // first..last, AirMail's log read once, when the column is shown (with
    // `additionalData` or the ranking by the chance of a connection).
    void LogRecordFill(Grid& grid, int first, int last, const QDateTime& t, bool additionalData);

    // Ranks the station blocks of the whole grid by their best checked SNR and
    // keeps the best m_iStationTopStations, best first.  With "History
    // Ranking" the best checked ConnectionChance of a station ranks it, its
    // SNR on equal chances.
    void StationTopSelect(Grid& grid, int colSnr);
    // The block (first row, last row) of the station holding the highest
    // checked value of column colKey among rows first..last (on equal values
    // the higher one of colTie, when given); (-1, -1) when no row is checked.
    std::pair<int, int> StationFindBest(Grid& grid, int first, int last, int colKey, int colTie = -1);
    // Copies rows first..last to the end of the grid (texts, alignment, bold,
    // colours, check marks); the originals stay.
    void GridMoveRowsToEnd(Grid& grid, int first, int last);
    // Paints the frequency cells of frequencies listed in more than one row.
    void FrequencyMarkShared(Grid& grid);

    Evaluation& evaluation() { return m_evaluation; }

    // Why a build left no row to connect to, when one cause is plain: the
    // system has no stations, none has a frequency, or Top Stations or Top
    // Frequencies leaves nothing; empty otherwise.
    static QString EmptyListCause(const Settings& settings, const QString& system, bool anyStation,
                                  bool anyFrequency);

private:
    // The circuits of the stations for a combined run, read without messages:
    // a station whose frequency list or position cannot be had is left out
    // (its own evaluation reports it).
    std::vector<PropagationRequest> StationRequests(const QStringList& stations,
                                                    const PropagationPositions& own);

    // The station's best prediction among rows first..last (just evaluated,
    // in their order then): the highest reliability, then the highest SNR.
    void ListPredictionBest(Grid& grid, int first, int last, ListStationPrediction& prediction);

    // The final order of the stations when each shows one frequency.
    void StationBlocksSort(Grid& grid);

    MainState& m_main;
    AirMail& m_airmail;
    Position& m_position;
    Evaluation m_evaluation;
};

}  // namespace tw
