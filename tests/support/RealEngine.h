#pragma once
// The real VOACAP engine for Linux (voacapl), for the tests that run it.
//
// Found through TIDEWELL_VOACAPL (the program's path) or as "voacapl" on the
// PATH.  Its data tree (antennas, coefficients: what its makeitshfbc lays
// out) is TIDEWELL_VOACAPL_ITSHFBC, else "itshfbc" in the folder above the
// program's "bin" folder (an installed prefix), else ~/itshfbc (its own
// default).  Installed into a drive C: folder the way Tidewell looks for it:
// "itshfbc/bin_linux/voacapl" and the data folders in "itshfbc", as links.
//
// Where the engine is absent the tests that need it are skipped, saying so;
// under CI=true they fail instead, since the continuous integration builds it.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>

#include <optional>

namespace tw::test {

struct Voacapl {
    QString program;
    QString dataTree;
};

// The engine, or nothing with `why` saying what is missing.
inline std::optional<Voacapl> FindVoacapl(QString& why) {
    QString program = qEnvironmentVariable("TIDEWELL_VOACAPL");
    if (program.isEmpty()) program = QStandardPaths::findExecutable(QStringLiteral("voacapl"));
    if (program.isEmpty() || !QFileInfo(program).isExecutable()) {
        why = QStringLiteral("the real VOACAP engine voacapl is not installed (set TIDEWELL_VOACAPL "
                             "to its program or put it on the PATH; scripts/install-voacapl.sh "
                             "builds it)");
        return std::nullopt;
    }
    program = QFileInfo(program).canonicalFilePath();
    QStringList trees {qEnvironmentVariable("TIDEWELL_VOACAPL_ITSHFBC"),
                       QFileInfo(program).dir().filePath(QStringLiteral("../itshfbc")),
                       QDir::home().filePath(QStringLiteral("itshfbc"))};
    for (const QString& tree : trees) {
        if (!tree.isEmpty() && QFileInfo::exists(tree + QStringLiteral("/antennas/default/const17.voa")))
            return Voacapl {program, QDir(tree).canonicalPath()};
    }
    why = QStringLiteral("voacapl (%1) has no data tree with antennas/default/const17.voa (set "
                         "TIDEWELL_VOACAPL_ITSHFBC)")
              .arg(program);
    return std::nullopt;
}

// Installs the engine into `driveC`: empty on success, else what went wrong.
// The data folders are linked, not copied; a test that damages one replaces
// its link.
inline QString InstallVoacapl(const Voacapl& engine, const QString& driveC) {
    const QString itshfbc = driveC + QStringLiteral("/itshfbc");
    if (!QDir().mkpath(itshfbc + QStringLiteral("/bin_linux")) ||
        !QDir().mkpath(itshfbc + QStringLiteral("/RUN")))
        return QStringLiteral("cannot make the itshfbc folders in ") + driveC;
    if (!QFile::link(engine.program, itshfbc + QStringLiteral("/bin_linux/voacapl")))
        return QStringLiteral("cannot link voacapl into ") + itshfbc;
    const QStringList folders =
        QDir(engine.dataTree).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& folder : folders) {
        if (folder.compare(QLatin1String("run"), Qt::CaseInsensitive) == 0) continue;
        if (!QFile::link(engine.dataTree + QLatin1Char('/') + folder,
                         itshfbc + QLatin1Char('/') + folder))
            return QStringLiteral("cannot link ") + folder + QStringLiteral(" into ") + itshfbc;
    }
    return {};
}

}  // namespace tw::test

// In a test: the engine, or the test ends here (skipped, or failed under CI=true).
#define TW_REQUIRE_VOACAPL(engine)                                                  \
    QString engine##Why;                                                            \
    const std::optional<tw::test::Voacapl> engine##Found = tw::test::FindVoacapl(engine##Why); \
    if (!engine##Found) {                                                           \
        if (qEnvironmentVariable("CI") == QLatin1String("true"))                    \
            FAIL() << "CI=true: " << engine##Why.toStdString();                     \
        GTEST_SKIP() << engine##Why.toStdString();                                  \
    }                                                                               \
    const tw::test::Voacapl& engine = *engine##Found
