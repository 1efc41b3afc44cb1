#pragma once
// A position box of the main window: fixed-format overtype editing with one
// character selected, arrow-key stepping and key filtering.  The rules are the
// core's (frmMain::LatLonBox*); this widget only forwards keys and clicks and
// shows the result.

#include <QLineEdit>

#include "app/frmMain.h"

namespace tw {

class LatLonEdit : public QLineEdit {
    Q_OBJECT
public:
    LatLonEdit(frmMain& model, LatLonBox box, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void Show(const LatLonEditResult& result);

    frmMain& m_model;
    LatLonBox m_box;
};

}  // namespace tw
