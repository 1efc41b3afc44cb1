#pragma once
// What the end-to-end tests share: the real tidewell executable run as a
// process, and a copy of the demo drive with the stand-ins installed.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <map>

#include "support/Standins.h"

namespace tw::test {

// The run of the real tidewell executable.  The stand-ins' test switches are
// cleared; `environment` adds to that.
struct ProcessRun {
    int exitCode = -1;  // -1 when it crashed or did not end within a minute
    QString out;
    QString err;
};

inline QProcessEnvironment TidewellEnvironment(const std::map<QString, QString>& environment) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"ITSHF_STANDIN_FAIL", "ITSHF_STANDIN_LOG", "ITSHF_STANDIN_SLEEP_MS"})
        env.remove(QLatin1String(name));
    for (const auto& [name, value] : environment) env.insert(name, value);
    return env;
}

inline ProcessRun RunTidewell(const QStringList& arguments,
                       const std::map<QString, QString>& environment = {}) {
    QProcess process;
    process.setProcessEnvironment(TidewellEnvironment(environment));
    process.start(QStringLiteral(TIDEWELL_EXE), arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// Writes a file whole (a profile of the test's own).
inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

// A copy of the demo drive (drive_c and user.reg) with the stand-ins
// installed, and a profile of the test's own beside it.
class DemoDrive : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        NewCopy();
    }

    // A fresh copy, in a folder of its own, for the next run.
    void NewCopy() {
        ++m_copy;
        const QString demo = QStringLiteral(TIDEWELL_SOURCE_DIR "/data/demo");
        QDirIterator it(demo, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString source = it.next();
            const QString target = Root() + source.mid(demo.size());
            ASSERT_TRUE(it.fileInfo().isDir() ? QDir().mkpath(target) : QFile::copy(source, target))
                << target.toStdString();
        }
        ASSERT_EQ(tw::test::InstallStandins(DriveC()), QString());
    }

    QString Root() const { return m_dir.filePath(QString::number(m_copy)); }
    QString DriveC() const { return Root() + QStringLiteral("/drive_c"); }
    QString Profile() const { return Root() + QStringLiteral("/Tidewell.Ini"); }

    // Replaces text in a file of the copy's AirMail folder (lines end in CR LF).
    void Edit(const char* name, const QByteArray& from, const QByteArray& to) {
        QFile file(DriveC() + QStringLiteral("/Program Files/AirMail/") + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        ASSERT_TRUE(bytes.contains(from)) << name << ": " << from.toStdString();
        bytes.replace(from, to);
        ASSERT_TRUE(file.resize(0));
        file.write(bytes);
    }

    // Runs a command of tidewell on this drive and profile at a time, with a system.
    ProcessRun Tidewell(const QStringList& command, const QString& utc, const QString& system,
                        const std::map<QString, QString>& environment = {}) const {
        return RunTidewell(command + QStringList{"--drive-c", DriveC(), "--profile", Profile(), "--utc", utc,
                                                 "--system", system},
                           environment);
    }
    ProcessRun Tidewell(const char* command, const QString& utc, const QString& system,
                        const std::map<QString, QString>& environment = {}) const {
        return Tidewell(QStringList{QLatin1String(command)}, utc, system, environment);
    }

    QTemporaryDir m_dir;
    int m_copy = 0;
};

}  // namespace tw::test
