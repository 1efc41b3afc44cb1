#include "ui/LatLonEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace tw {

LatLonEdit::LatLonEdit(frmMain& model, LatLonBox box, QWidget* parent)
    : QLineEdit(parent), m_model(model), m_box(box) {
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    setDragEnabled(false);
}

void LatLonEdit::Show(const LatLonEditResult& result) {
    if (text() != result.text) setText(result.text);
    if (result.caret >= 0 && result.caret < text().size()) setSelection(result.caret, 1);
    if (result.beep) QApplication::beep();
}

void LatLonEdit::keyPressEvent(QKeyEvent* event) {
    // Focus moves between controls as usual.
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    LatLonKey key = LatLonKey::Other;
    switch (event->key()) {
        case Qt::Key_Left: key = LatLonKey::Left; break;
        case Qt::Key_Right: key = LatLonKey::Right; break;
        case Qt::Key_Up: key = LatLonKey::Up; break;
        case Qt::Key_Down: key = LatLonKey::Down; break;
        case Qt::Key_Delete: key = LatLonKey::Delete; break;
        default: break;
    }
    const int caret = hasSelectedText() ? selectionStart() : cursorPosition();
    const LatLonEditResult down = m_model.LatLonBoxKeyDown(m_box, caret, key);
    if (down.swallow) {
        Show(down);
        return;
    }
    const QString typed = event->text();
    if (typed.isEmpty()) return;  // a modifier alone: nothing to enter
    Show(m_model.LatLonBoxKeyPress(m_box, caret, typed.front()));
}

void LatLonEdit::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    const int caret = m_model.LatLonBoxClick(m_box, cursorPosition());
    if (caret >= 0) setSelection(caret, 1);
    else deselect();
}

void LatLonEdit::mouseMoveEvent(QMouseEvent*) {
    // Dragging would select more than the one character being overtyped.
}

void LatLonEdit::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void LatLonEdit::inputMethodEvent(QInputMethodEvent* event) { event->ignore(); }

}  // namespace tw
