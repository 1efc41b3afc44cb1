#include "EngineInstall.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace tw::bench {

std::optional<RealEngine> FindRealEngine(QString& why) {
    RealEngine engine;
    engine.program = qEnvironmentVariable("TIDEWELL_VOACAPL");
    if (engine.program.isEmpty())
        engine.program = QStandardPaths::findExecutable(QStringLiteral("voacapl"));
    const QFileInfo program(engine.program);
    if (engine.program.isEmpty() || !program.isFile() || !program.isExecutable()) {
        why = engine.program.isEmpty()
                  ? QStringLiteral("no voacapl on the PATH and TIDEWELL_VOACAPL not set")
                  : QStringLiteral("\"%1\" is no executable program").arg(engine.program);
        return std::nullopt;
    }
    engine.program = program.absoluteFilePath();
    engine.itshfbc = qEnvironmentVariable("TIDEWELL_VOACAPL_ITSHFBC");
    if (engine.itshfbc.isEmpty())
        engine.itshfbc = QDir::cleanPath(program.absolutePath() + QStringLiteral("/../itshfbc"));
    if (!QFileInfo(engine.itshfbc + QStringLiteral("/coeffs")).isDir()) {
        why = QStringLiteral("the data tree \"%1\" has no coeffs folder").arg(engine.itshfbc);
        return std::nullopt;
    }
    return engine;
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
