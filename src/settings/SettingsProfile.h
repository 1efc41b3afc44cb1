#pragma once
// Defaults, and the profile file "Tidewell.Ini": reading at start, writing at exit.

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVector>

#include "common/ProfileAccess.h"
#include "common/UserInterface.h"
#include "settings/NumberText.h"
#include "settings/OffsetTable.h"
#include "settings/Settings.h"

namespace tw {

// The main window's outer geometry in twips, as the profile stores it.
class IWindowGeometry {
public:
    virtual ~IWindowGeometry() = default;
    virtual int WindowHeight() const = 0;
    virtual int WindowLeft() const = 0;
    virtual int WindowTop() const = 0;
    virtual int WindowWidth() const = 0;
    virtual void SetWindowHeight(int twips) = 0;
    virtual void SetWindowLeft(int twips) = 0;
    virtual void SetWindowTop(int twips) = 0;
    virtual void SetWindowWidth(int twips) = 0;
    // False while minimised or maximised.
    virtual bool WindowStateNormal() const = 0;
};

// Another window whose frame the profile keeps in [Window Data], under the
// main window's keys with a prefix ("Map Height", "Map Left", ...).
struct ProfileWindow {
    QString prefix;
    IWindowGeometry* window = nullptr;
};

// The profile file's name in the program folder.
inline constexpr const char* kProfileFileName = "Tidewell.Ini";

// Every member to its default; m_sProfileFile = programFolder + "\Tidewell.Ini"
// (with "/" for a native POSIX folder).  The main window's own state (colour
// set, selected grid row, first-activation flag, the connection process's
// waiting flag) is reset by the main window beside this call.
void Initialize(Settings& settings, const QString& programFolder);

// Reads the profile into the settings and applies the stored window geometry
// (Height, Left, Top, Width, each as it is read).  A missing or empty value,
// or one that does not convert to the member's type, leaves the member as it
// is (its default after Initialize); so does a height or width that is not
// positive.  Values are read whole.
void ProfileRecall(Settings& settings, const ProfileAccess& profile, IWindowGeometry& window,
                   const QLocale& locale = QLocale::system());
// The same, and the frames of `others`.
void ProfileRecall(Settings& settings, const ProfileAccess& profile, IWindowGeometry& window,
                   const QVector<ProfileWindow>& others, const QLocale& locale = QLocale::system());

// Writes the settings and (in the normal window state) the geometry in one
// replace of the file; a failure is reported once and leaves the file as it
// was.  Returns true when all was written.
bool ProfileSave(const Settings& settings, ProfileAccess& profile, const IWindowGeometry& window,
                 IUserInterface& ui, const QLocale& locale = QLocale::system());
// The same, with the frames of `others` that have one (normal state) in the same write.
bool ProfileSave(const Settings& settings, ProfileAccess& profile, const IWindowGeometry& window,
                 IUserInterface& ui, const QVector<ProfileWindow>& others,
                 const QLocale& locale = QLocale::system());

// Where the profile keeps a member, "Propagation Data" and "Takeoff Angle"
// for m_fPropagationTakeoffAngle; false for a member it does not keep.
bool ProfileKeyOf(float Settings::*member, QString& section, QString& key);

// "Problem with initialization file " + profile file + ", " + the system's text
// of the last failed write.
void ProfileSaveError(const Settings& settings, const ProfileAccess& profile, IUserInterface& ui);

// The settings for `tidewell --print-settings`: one line per member in
// declaration order, "m_sAirMailDirectoryData=C:\Program Files\AirMail"
// (booleans "True"/"False", numbers in the profile's encoding, strings as they
// are), then one line per offset table row, "OffsetRow=" and the eight fields
// joined by "," (frequencies as stored, numbers in the profile's encoding).
QStringList PrintSettings(const Settings& settings, const QVector<OffsetRow>& rows,
                          const QLocale& locale = QLocale::system());

// The value encodings (BooleanText, BooleanFromText, FloatToText, ...) are in
// settings/NumberText.h.

}  // namespace tw
