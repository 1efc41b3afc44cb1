#include "selection/SystemSelect.h"

#include <QStringList>

#include "airmail/AirMail.h"
#include "selection/MainState.h"

namespace tw {

namespace {
int IndexOf(const QStringList& items, const QString& name) {
    for (int i = 0; i < items.size(); ++i)
        if (items[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}
}  // namespace

bool SystemSelect(AirMail& airmail, MainState& main, const QString& preferred) {
    QStringList systems;
    if (!airmail.AirMailGetSystems(systems)) return false;

    ComboControl& combo = main.cmbSystem;
    if (combo.items.size() == systems.size() && combo.listIndex >= 0) {
        main.m_sSystem = combo.Text();
    } else {
        combo.items = systems;
        combo.listIndex = -1;
        QString wanted = preferred;
        if (wanted.isEmpty())
            wanted = airmail.AirMailGetProfileString(QStringLiteral("\\Airmail.ini"),
                                                     QStringLiteral("Stations"),
                                                     QStringLiteral("Last System"), false);
        if (systems.isEmpty()) return false;
        const int index = wanted.isEmpty() ? 0 : IndexOf(systems, wanted);
        // A system asked for on the command line is never swapped for another:
        // the user is told which systems there are, and the list stays unchosen
        // until one is picked.
        if (index < 0 && !preferred.isEmpty()) {
            main.m_sSystem.clear();
            main.ControlsChanged();
            airmail.ShowMessage(QStringLiteral("AirMail has no system \"%1\". Its systems are %2.")
                                    .arg(preferred, systems.join(QStringLiteral(", "))),
                                MsgIcon::Exclamation);
            return false;
        }
        // A last used system that AirMail no longer has (its file was removed)
        // cannot be shown in the list; the first entry is taken instead.
        combo.listIndex = index >= 0 ? index : 0;
        main.m_sSystem = combo.Text();
    }
    main.ControlsChanged();
    main.ui().ProcessEvents();
    return true;
}

}  // namespace tw
