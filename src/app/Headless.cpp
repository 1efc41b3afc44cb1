#include "app/Headless.h"

#include "app/Application.h"
#include "app/BestGrid.h"
#include "app/ConsoleUserInterface.h"
#include "settings/OffsetTable.h"
#include "settings/SettingsProfile.h"

namespace tw {

QStringList GridPrintLines(BestGrid& best) {
    Grid& grid = best.grdFrequency;
    QStringList lines;
    for (int row = 0; row < grid.Rows(); ++row) {
        QStringList cells;
        for (int col = 0; col < grid.Cols(); ++col) {
            if (grid.ColWidth(col) == 0) continue;
            QString text = best.GridGetText(grid, row, col);
            if (col == best.m_iColFrequency && row >= grid.FixedRows())
                text += best.GridGetChecked(grid, row, col) ? QStringLiteral(" [x]")
                                                             : QStringLiteral(" [ ]");
            cells << text;
        }
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines;
}

int RunHeadless(const CommandLine& line, const QString& programFolder, QTextStream& out,
                QTextStream& err) {
    ConsoleUserInterface ui(err);
    const FixedTextMetrics metrics;
    Application app(line, ui, metrics, programFolder);
    frmMain& main = app.main();
    main.Form_Load();

    switch (line.command) {
        case CommandLine::Command::PrintSettings: {
            const QVector<OffsetRow> rows =
                OffsetTableReadRows(app.profile(), main.settings.m_sProfileFile);
            for (const QString& text : PrintSettings(main.settings, rows)) out << text << '\n';
            out.flush();
            return 0;
        }
        case CommandLine::Command::BestList: {
            main.Form_Activate();
            for (const QString& text : GridPrintLines(main.best)) out << text << '\n';
            out.flush();
            // A good build leaves Start enabled.
            return main.cmdStart.enabled ? 0 : 1;
        }
        default:
            return 2;
    }
}

}  // namespace tw
