#pragma once
// A window's controls as the core sees them: buttons, frames, text boxes, menu
// items, drop-down lists and timers as plain records.  The Qt windows render
// them; headless mode and the tests read and change them directly.

#include <QString>
#include <QStringList>

namespace tw {

// A button, frame, text box or menu item as the window shows it.
struct Control {
    QString caption;
    QString toolTip;
    bool enabled = true;
    bool bold = false;
    // Position and size in twips (relative to the containing frame).
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A drop-down list.
struct ComboControl : Control {
    QStringList items;
    int listIndex = -1;
    QString Text() const { return listIndex >= 0 && listIndex < items.size() ? items[listIndex] : QString(); }
};

// A timer as the window declares it; the app runs a real timer that mirrors it.
struct TimerControl {
    int interval = 1000;
    bool enabled = false;
};

}  // namespace tw
