#pragma once
// The AirMail system the list is built for: AirMail's systems fill the main
// window's system list, and the one in use is taken from that list, from
// AirMail's last used system, or from the first entry.

#include <QString>

namespace tw {

class AirMail;
class MainState;

// Fills main.cmbSystem when it does not hold exactly AirMail's systems and sets
// main.m_sSystem.  `preferred` (the command line's --system) wins over
// AirMail's last used system when the list is filled.  A last used system
// that AirMail names but no longer has (its file was removed) gives way to
// the first entry without a message, as an empty one does: the list cannot
// show it, and a list is still built.  False when AirMail has
// no systems, or not the preferred one (the user has been told, with the
// systems there are; the list is filled but none chosen).
bool SystemSelect(AirMail& airmail, MainState& main, const QString& preferred = QString());

}  // namespace tw
