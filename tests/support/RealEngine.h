#pragma once
// The real ITS HF programs built for Linux, for the tests that run them: the
// VOACAP engine (voacapl) and a build of the REC533 program (rec533).
//
// Each is found through its variable (TIDEWELL_VOACAPL, TIDEWELL_REC533: the
// program's path) or by its name on the PATH.  Its data tree (antennas,
// coefficients: what its makeitshfbc lays out) is the variable's value with
// "_ITSHFBC" added (TIDEWELL_VOACAPL_ITSHFBC, TIDEWELL_REC533_ITSHFBC), else
// "itshfbc" in the folder above the program's "bin" folder (an installed
// prefix), else ~/itshfbc (its own default).
//
// voacapl is installed into a drive C: folder the way Tidewell looks for it:
// "itshfbc/bin_linux/voacapl" and the data folders in "itshfbc", as links.
// rec533 is installed for the tests only, in the Windows program's place
// (see InstallRec533): its numbers are not those of the Windows program, and
// Tidewell never offers it as REC533.
//
// Where a program is absent the tests that need it are skipped, saying so;
// under CI=true they fail instead, since the continuous integration builds it.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

#include <optional>

namespace tw::test {

struct RealProgram {
    QString program;
    QString dataTree;
};

// The program `name` found through `variable`, or nothing with `why` saying
// what is missing.
inline std::optional<RealProgram> FindEngine(const char* variable, const char* name, QString& why) {
    QString program = qEnvironmentVariable(variable);
    if (program.isEmpty()) program = QStandardPaths::findExecutable(QLatin1String(name));
    if (program.isEmpty() || !QFileInfo(program).isExecutable()) {
        why = QStringLiteral("the real program %1 is not installed (set %2 to its program or put it "
                             "on the PATH; .ci/run builds it)")
                  .arg(QLatin1String(name), QLatin1String(variable));
        return std::nullopt;
    }
    program = QFileInfo(program).canonicalFilePath();
    const QByteArray treeVariable = QByteArray(variable) + "_ITSHFBC";
    for (const QString& tree : {qEnvironmentVariable(treeVariable.constData()),
                                QFileInfo(program).dir().filePath(QStringLiteral("../itshfbc")),
                                QDir::home().filePath(QStringLiteral("itshfbc"))}) {
        if (!tree.isEmpty() && QFileInfo::exists(tree + QStringLiteral("/antennas/default/const17.voa")))
            return RealProgram {program, QDir(tree).canonicalPath()};
    }
    why = QStringLiteral("%1 (%2) has no data tree with antennas/default/const17.voa (set %3)")
              .arg(QLatin1String(name), program, QLatin1String(treeVariable));
    return std::nullopt;
}

// Links the engine's data folders into `itshfbc`, all but its run folder and `skip`.
inline QString LinkDataTree(const RealProgram& engine, const QString& itshfbc,
                            const QString& skip = QStringLiteral("run")) {
    for (const QString& folder : QDir(engine.dataTree).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (folder.compare(QLatin1String("run"), Qt::CaseInsensitive) == 0 || folder == skip) continue;
        if (!QFile::link(engine.dataTree + QLatin1Char('/') + folder,
                         itshfbc + QLatin1Char('/') + folder))
            return QStringLiteral("cannot link ") + folder + QStringLiteral(" into ") + itshfbc;
    }
    return {};
}

// Installs the engine into `driveC`: empty on success, else what went wrong.
// The data folders are linked, not copied; a test that damages one replaces
// its link.
inline QString InstallVoacapl(const RealProgram& engine, const QString& driveC) {
    const QString itshfbc = driveC + QStringLiteral("/itshfbc");
    if (!QDir().mkpath(itshfbc + QStringLiteral("/bin_linux")) ||
        !QDir().mkpath(itshfbc + QStringLiteral("/RUN")))
        return QStringLiteral("cannot make the itshfbc folders in ") + driveC;
    if (!QFile::link(engine.program, itshfbc + QStringLiteral("/bin_linux/voacapl")))
        return QStringLiteral("cannot link voacapl into ") + itshfbc;
    return LinkDataTree(engine, itshfbc);
}

// Puts the REC533 program of the Linux build where Tidewell runs its REC533
// program, "itshfbc/bin_win/rec533w.exe" (a link; a stand-in there is
// replaced), so that Tidewell's own decks and command line reach it
// unchanged.  It takes the same command line (root, deck, output) but reads
// and writes in "<root>/run", in lower case, of whose path it reads only 50
// characters: the drive's run folder is made so (Tidewell finds "RUN" in any
// letter case), and a drive of a longer path is refused (see ShortDrive).  It
// opens the deck's antenna files by their names as written under
// "<root>/antennas": on Linux "DEFAULT\CONST17.VOA" is one file name, a link
// here to its own "default/const17.voa" (likewise SWWHIP.VOA).  Empty on success.
inline QString InstallRec533(const RealProgram& engine, const QString& driveC) {
    const QString itshfbc = driveC + QStringLiteral("/itshfbc");
    if (QFile::encodeName(itshfbc + QStringLiteral("/run")).size() > 50)
        return itshfbc + QStringLiteral("/run is longer than the 50 characters rec533 reads of it");
    QDir(itshfbc).rename(QStringLiteral("RUN"), QStringLiteral("run"));
    QFile::remove(itshfbc + QStringLiteral("/bin_win/rec533w.exe"));
    const QString antennas = engine.dataTree + QStringLiteral("/antennas/default/");
    for (const QString& folder : {QStringLiteral("/run"), QStringLiteral("/bin_win"), QStringLiteral("/antennas")})
        QDir().mkpath(itshfbc + folder);
    if (!QFile::link(engine.program, itshfbc + QStringLiteral("/bin_win/rec533w.exe")) ||
        !QFile::link(antennas, itshfbc + QStringLiteral("/antennas/default")) ||
        !QFile::link(antennas + QStringLiteral("const17.voa"),
                     itshfbc + QStringLiteral("/antennas/DEFAULT\\CONST17.VOA")) ||
        !QFile::link(antennas + QStringLiteral("swwhip.voa"),
                     itshfbc + QStringLiteral("/antennas/DEFAULT\\SWWHIP.VOA")))
        return QStringLiteral("cannot install rec533 into ") + itshfbc;
    return LinkDataTree(engine, itshfbc, QStringLiteral("antennas"));
}

// A short link to a drive, for rec533 (see InstallRec533), in a folder of its
// own in the temporary folder: Path(driveC) makes it on the first call.
struct ShortDrive {
    QString Path(const QString& driveC) {
        const QString path = m_dir.filePath(QStringLiteral("c"));
        if (!QFileInfo(path).isSymLink()) QFile::link(driveC, path);
        return path;
    }
    QTemporaryDir m_dir {QDir::tempPath() + QStringLiteral("/tw-XXXXXX")};
};

}  // namespace tw::test

// In a test: the program `name` (found through `variable`), or the test ends
// here (skipped, or failed under CI=true).
#define TW_REQUIRE_ENGINE(engine, variable, name)                                   \
    QString engine##Why;                                                            \
    const std::optional<tw::test::RealProgram> engine##Found =                      \
        tw::test::FindEngine(variable, name, engine##Why);                          \
    if (!engine##Found) {                                                           \
        if (qEnvironmentVariable("CI") == QLatin1String("true"))                    \
            FAIL() << "CI=true: " << engine##Why.toStdString();                     \
        GTEST_SKIP() << engine##Why.toStdString();                                  \
    }                                                                               \
    const tw::test::RealProgram& engine = *engine##Found
#define TW_REQUIRE_VOACAPL(engine) TW_REQUIRE_ENGINE(engine, "TIDEWELL_VOACAPL", "voacapl")
#define TW_REQUIRE_REC533(engine) TW_REQUIRE_ENGINE(engine, "TIDEWELL_REC533", "rec533")
