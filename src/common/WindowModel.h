#pragma once
// The model of a window that is made once and lives on hidden: the core
// shows and hides it, a thin widget renders it and follows `changed()`.

#include <QObject>

namespace tw {

class WindowModel : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    bool Visible() const { return m_visible; }
    // `changed()` only when the visibility changes.
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }

signals:
    // Anything the widget shows changed: the caption, the visibility, the
    // controls, a grid's size.
    void changed();

private:
    void SetVisible(bool visible) {
        if (m_visible == visible) return;
        m_visible = visible;
        emit changed();
    }

    bool m_visible = false;
};

}  // namespace tw
