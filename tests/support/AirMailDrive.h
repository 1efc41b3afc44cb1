#pragma once
// A drive C: in a temporary folder, with the AirMail context over it: real
// profile files through the platform backend, a scripted user interface and
// a registry held in memory.  AirMail's folders are the defaults,
// "C:\Program Files\AirMail"; write files there with WriteText / WriteBytes.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "airmail/AirMail.h"
#include "common/ProfileAccess.h"
#include "platform/PathMapper.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "settings/Settings.h"
#include "support/ScriptedUserInterface.h"

namespace tw::test {

class MemoryRegistry : public platform::IRegistry {
public:
    std::map<std::pair<std::string, std::string>, std::string> values;

    bool QueryString(const std::string& keyPath, const std::string& valueName,
                     std::string& value) override {
        const auto it = values.find({keyPath, valueName});
        value = it == values.end() ? std::string() : it->second;
        return it != values.end();
    }
};

struct AirMailDrive {
    QTemporaryDir temp;
    platform::PathMapper paths;
    std::unique_ptr<platform::IProfileFiles> files = platform::MakeProfileFiles(paths);
    ProfileAccess profile{*files};
    Settings settings;
    ScriptedUserInterface ui;
    MemoryRegistry registry;
    AirMail airmail{settings, profile, ui, paths, registry};

    AirMailDrive() {
        paths.SetDrive('C', temp.path().toStdString());
        QDir(temp.path()).mkpath(QStringLiteral("Program Files/AirMail"));
    }

    // The native path of a Windows path of this drive.
    QString Native(const QString& windowsPath) const {
        QString rest = windowsPath.mid(2);
        rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
        return temp.path() + rest;
    }

    void WriteBytes(const QString& windowsPath, const QByteArray& bytes) {
        const QString native = Native(windowsPath);
        QDir().mkpath(QFileInfo(native).absolutePath());
        QFile f(native);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
    }

    // Text in code page 1252 with CRLF line ends, as AirMail writes it.
    void WriteText(const QString& windowsPath, const QString& text) {
        QString crlf = text;
        crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
            .replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        WriteBytes(windowsPath, UnicodeToAnsi(crlf));
    }

    // A file of the AirMail folder.
    void WriteAirMail(const QString& fileName, const QString& text) {
        WriteText(QStringLiteral("C:\\Program Files\\AirMail\\") + fileName, text);
    }
};

}  // namespace tw::test
