#pragma once
// Defaults, and the profile file "Tidewell.Ini": reading at start, writing at exit.

#include <QString>

#include "app/ProfileAccess.h"
#include "app/UserInterface.h"
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

// Every member to its default; m_sProfileFile = programFolder + "\Tidewell.Ini".
void Initialize(Settings& settings, const QString& programFolder);

// Reads the profile into the settings and applies the stored window geometry.
void ProfileRecall(Settings& settings, const ProfileAccess& profile, IWindowGeometry& window);

// Writes the settings and (in the normal window state) the geometry; at the
// first failed write reports it once and stops.  Returns true when all was written.
bool ProfileSave(const Settings& settings, ProfileAccess& profile, const IWindowGeometry& window,
                 IUserInterface& ui);

// "Problem with initialization file " + profile file + ", " + the system's text
// of the last failed write.
void ProfileSaveError(const Settings& settings, const ProfileAccess& profile, IUserInterface& ui);

// Encodings of the profile values.
QString BooleanText(bool value);                       // "True" / "False"
bool BooleanFromText(const QString& text, bool& ok);   // any case, or a number (0 false)

}  // namespace tw
