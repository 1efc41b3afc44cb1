#pragma once
// A main window over a temporary drive C: with AirMail's folder, the AirMail
// context and position readers on the window's own settings, and a stand-in
// for the propagation driver that answers per station and frequency from a
// table and records what it was asked.  Rows of the best grid are written
// directly for the ranking rules.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QMap>
#include <QString>

#include <functional>
#include <string>
#include <vector>

#include "airmail/AirMail.h"
#include "airmail/Position.h"
#include "app/frmMain.h"
#include "platform/Clock.h"
#include "selection/BestList.h"
#include "support/AirMailDrive.h"

namespace tw::test {

constexpr platform::UtcSeconds kNoonUtc = 1780747200;  // 2026-06-06 12:00:00 UTC

using Strings = std::vector<std::string>;

class FakePropagation {
public:
    struct Call {
        QDateTime time;
        PropagationPositions positions;
        float sunspotNumber = 0.0f;
        bool redraw = true;  // grdFrequency's redraw switch at the call
    };

    explicit FakePropagation(frmMain& main) : m_main(main) {}

    // Per station identifier: frequency (kHz, one decimal as text) -> prediction.
    QMap<QString, QMap<QString, PropagationResult>> predictions;
    PropagationPath path{.Range = 1234.4f, .StationToShipAzimuth = 120.0f, .StationAzimuth = 301.6f,
                         .Muf = {12000.0f}, .Luf = {5000.0f}, .Valid = true};
    bool fail = false;
    std::vector<Call> calls;
    std::function<void()> during;  // what happens while a prediction runs

    void Set(const QString& station, const QString& frequency, float snr) {
        predictions[station][frequency].Snr = snr;
    }

    PropagationGetFunction Function() {
        return [this](int, const QDateTime& time, const PropagationPositions& positions,
                      const std::vector<float>& frequencies, float sunspotNumber,
                      std::vector<PropagationResult>& results, PropagationPath& out) {
            calls.push_back({time, positions, sunspotNumber, m_main.best.grdFrequency.Redraw()});
            if (during) during();
            if (fail) return false;
            results.clear();
            for (const float f : frequencies) {
                const QString key = QString::number(static_cast<double>(f), 'f', 1);
                results.push_back(predictions.value(m_main.m_sStation).value(key));
                results.back().Frequency = f;
                results.back().Valid = true;
            }
            out = path;
            return true;
        };
    }

private:
    frmMain& m_main;
};

// A main window over the drive, with the AirMail context on its settings and
// the best grid's header written; rows of the grid are written directly.
class MainWindowFixture : public ::testing::Test {
protected:
    MainWindowFixture()
        : clock(kNoonUtc),
          main(frmMain::Services{
              drive.ui, metrics, drive.profile, clock, QStringLiteral("C:\\Tidewell"), {}}),
          airmail(main.settings, drive.profile, drive.ui, drive.paths, drive.registry) {
        main.Initialize();
        Header();
    }

    void Header() {
        main.best.GridFrequencyHeader(grid(), main.settings.m_bPropagationAdditionalData);
    }
    Grid& grid() { return main.best.grdFrequency; }
    BestGrid& best() { return main.best; }

    // A data row written as the build writes it; returns its row number.
    int AddRow(const QString& station, const QString& frequency, double snr = 20,
               bool checked = true, bool pactor3 = false, int range = 1000) {
        const int row = grid().Rows();
        grid().SetRows(row + 1);
        const int f = best().m_iColFrequency;
        best().GridSetChecked(grid(), row, f, checked);
        best().GridSetCell(grid(), row, f, frequency, AlignLeft, false);
        best().GridSetCell(grid(), row, best().m_iColP3, pactor3 ? QStringLiteral(" ") : QString(),
                           AlignCenter, false);
        best().GridSetCell(grid(), row, best().m_iColStation, station, AlignLeft, false);
        best().GridSetCell(grid(), row, best().m_iColStation + 1, QString::number(range),
                           AlignRight, false);
        best().GridSetCell(grid(), row, best().m_iColSnr, QString::number(snr), AlignRight, true);
        return row;
    }
    struct RowCells {
        const char* station;
        const char* frequency;
        double snr;
        bool checked = true;
        bool pactor3 = false;
        int range = 1000;
    };
    void AddRows(std::initializer_list<RowCells> rows) {
        for (const RowCells& r : rows)
            AddRow(QString::fromLatin1(r.station), QString::fromLatin1(r.frequency), r.snr,
                   r.checked, r.pactor3, r.range);
    }

    QString Text(int row, int col) { return best().GridGetText(grid(), row, col); }
    QString Frequency(int row) { return Text(row, best().m_iColFrequency); }
    QString Snr(int row) { return Text(row, best().m_iColSnr); }
    bool Checked(int row) { return best().GridGetChecked(grid(), row, best().m_iColFrequency); }
    Color FrequencyColor(int row) { return grid().BackColor(row, best().m_iColFrequency); }

    // "station frequency [x]" per data row, for whole-list comparisons.
    Strings Rows() { return Rows(grid()); }
    Strings Rows(Grid& g) {
        Strings out;
        const int f = best().m_iColFrequency;
        for (int r = 1; r < g.Rows(); ++r)
            out.push_back((best().GridGetText(g, r, best().m_iColStation) + QLatin1Char(' ') +
                           best().GridGetText(g, r, f) +
                           (best().GridGetChecked(g, r, f) ? QStringLiteral(" x") : QString()))
                              .toStdString());
        return out;
    }

    AirMailDrive drive;
    FixedTextMetrics metrics;
    platform::ManualClock clock;
    frmMain main;
    AirMail airmail;
};

// The best list's rules and builds: position readers and the list over the
// stand-in prediction, the vessel off the coast of Portugal, reported an hour ago.
class SelectionTest : public MainWindowFixture {
protected:
    SelectionTest()
        : position(airmail, clock), fake(main), list(main, airmail, position, fake.Function()) {
        WriteAirMailIni(QString());
    }

    // The texts of a column in the data rows.
    Strings Column(int col) { return Column(grid(), col); }
    static Strings Column(const Grid& g, int col) {
        Strings out;
        for (int r = 1; r < g.Rows(); ++r) out.push_back(g.Text(r, col).toStdString());
        return out;
    }

    // Airmail.ini with the position report and `more` after it.
    void WriteAirMailIni(const QString& more) {
        drive.WriteAirMail(QStringLiteral("Airmail.ini"),
                           QStringLiteral("[Position Report]\nCurrent Latitude=38\u00B036.00'N\n"
                                          "Current Longitude=010\u00B020.00'W\n"
                                          "Current Time=2026/06/06 11:00:00\n"
                                          "[Propagation]\nSSN=88\n") + more);
    }

    Position position;
    FakePropagation fake;
    BestList list;
};

}  // namespace tw::test
