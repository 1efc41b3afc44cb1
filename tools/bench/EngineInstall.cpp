#include "EngineInstall.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace tw::bench {

std::optional<RealEngine> FindRealEngine(QString& why) {
    QString program = qEnvironmentVariable("TIDEWELL_VOACAPL");
    if (program.isEmpty()) program = QStandardPaths::findExecutable(QStringLiteral("voacapl"));
    const QFileInfo info(program);
    if (program.isEmpty() || !info.isFile() || !info.isExecutable()) {
        why = program.isEmpty()
                  ? QStringLiteral("no voacapl on the PATH and TIDEWELL_VOACAPL not set")
                  : QStringLiteral("\"%1\" is no executable program").arg(program);
        return std::nullopt;
    }
    program = info.canonicalFilePath();
    const QStringList trees{qEnvironmentVariable("TIDEWELL_VOACAPL_ITSHFBC"),
                            QFileInfo(program).dir().filePath(QStringLiteral("../itshfbc")),
                            QDir::home().filePath(QStringLiteral("itshfbc"))};
    for (const QString& tree : trees) {
        if (!tree.isEmpty() &&
            QFileInfo::exists(tree + QStringLiteral("/antennas/default/const17.voa")))
            return RealEngine{program, QDir(tree).canonicalPath()};
    }
    why = QStringLiteral("voacapl (%1) has no data tree with antennas/default/const17.voa")
              .arg(program);
    return std::nullopt;
}

bool InstallRealEngine(const RealEngine& engine, const QString& driveC, QString& error) {
    const QString itshfbc = driveC + QStringLiteral("/itshfbc");
    if (!QDir().mkpath(itshfbc + QStringLiteral("/bin_linux"))) {
        error = QStringLiteral("cannot create ") + itshfbc + QStringLiteral("/bin_linux");
        return false;
    }
    const auto link = [&](const QString& target, const QString& name) {
        if (QFile::link(target, name)) return true;
        error = QStringLiteral("cannot link ") + name + QStringLiteral(" to ") + target;
        return false;
    };
    if (!link(engine.program, itshfbc + QStringLiteral("/bin_linux/voacapl"))) return false;
    const QDir data(engine.itshfbc);
    for (const QFileInfo& entry : data.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString name = entry.fileName();
        if (name.compare(QStringLiteral("run"), Qt::CaseInsensitive) == 0 ||
            name.startsWith(QStringLiteral("bin"), Qt::CaseInsensitive))
            continue;
        if (!link(entry.absoluteFilePath(), itshfbc + QLatin1Char('/') + name)) return false;
    }
    return true;
}

}  // namespace tw::bench
