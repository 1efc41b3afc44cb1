#pragma once
// The options dialog on screen: renders the core's frmOptions (six tabs, the
// general tabs' framed boxes, the antenna offset grid with its in-cell
// editors, Default/OK/Cancel/Apply) and forwards the user's actions.  It is a
// window of its own, not modal; closing it (or Esc outside a cell editor) is
// Cancel.

#include <QMap>
#include <QWidget>

#include "app/frmOptions.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace tw {

class GridWidget;

class frmOptionsWidget : public QWidget {
    Q_OBJECT
public:
    frmOptionsWidget(frmOptions& model, const ITextMetrics& metrics, QWidget* parent = nullptr);

    // The Ham Station tab's page (tab 5); until one is given it is empty.
    void SetHamStationPage(QWidget* page);

    // For tests: the widgets.
    QTabWidget* tabs() const { return m_tabs; }
    QWidget* control(const QString& name) const { return m_controls.value(name); }
    QPushButton* button(const QString& name) const { return m_buttons.value(name); }
    GridWidget* grdOffset() const { return m_grid; }
    QComboBox* cmbOffset() const { return m_cmbOffset; }
    QListWidget* lstOffset() const { return m_lstOffset; }
    QLineEdit* txtOffset() const { return m_txtOffset; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildGeneralTabs();
    QWidget* BuildAntennaTab();
    void Sync();
    void SyncEditors();
    void ShowCenter();
    QRect Pixels(const Control& c) const;

    frmOptions& m_model;
    const ITextMetrics& m_metrics;
    bool m_syncing = false;
    int m_shownTab = -1;  // the model's tab last shown
    QTabWidget* m_tabs = nullptr;
    QMap<QString, QWidget*> m_controls;  // by control name
    QMap<QString, QWidget*> m_labels;    // the label beside a control, by its name
    QMap<QString, QPushButton*> m_buttons;
    QCheckBox* m_chkStationOffset = nullptr;
    GridWidget* m_grid = nullptr;
    QComboBox* m_cmbOffset = nullptr;
    QListWidget* m_lstOffset = nullptr;
    QLineEdit* m_txtOffset = nullptr;
};

}  // namespace tw
