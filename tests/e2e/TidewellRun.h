#pragma once
// Runs the real tidewell executable as a process and collects its exit code
// and output.  The stand-ins' test switches are cleared and they use their
// own sky model (no voacapl hand-over); `environment` adds to that.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <map>

namespace tw::test {

struct ProcessRun {
    int exitCode = -1;  // -1 when it crashed or did not end within a minute
    QString out;
    QString err;
};

inline ProcessRun RunTidewell(const QStringList& arguments, const std::map<QString, QString>& environment = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"ITSHF_STANDIN_FAIL", "ITSHF_STANDIN_LOG", "ITSHF_STANDIN_SLEEP_MS"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("ITSHF_STANDIN_NO_VOACAPL"), QStringLiteral("1"));
    for (const auto& [name, value] : environment) env.insert(name, value);
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TIDEWELL_EXE), arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

}  // namespace tw::test
