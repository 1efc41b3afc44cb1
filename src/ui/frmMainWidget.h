#pragma once
// The main window on screen: renders the core's frmMain (controls, menus,
// status bar, best grid) and forwards the user's actions to it.

#include <QMainWindow>
#include <QMap>
#include <QPointer>

#include <array>

#include "app/frmMain.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tw {

class GridWidget;
class frmPropagationBestWidget;
class frmPropagationHoursWidget;
class frmPropagationDetailsWidget;
class frmStationInfoWidget;
class frmStationMapWidget;
class frmOptionsWidget;
class LatLonEdit;
class QtUserInterface;
class frmSummaryWidget;
class frmDiagramWidget;
class frmOverviewWidget;
class frmAboutWidget;

class frmMainWidget : public QMainWindow {
    Q_OBJECT
public:
    frmMainWidget(frmMain& model, QtUserInterface& ui, const ITextMetrics& metrics,
                  QWidget* parent = nullptr);
    ~frmMainWidget() override;

    frmMain& model() { return m_model; }

    // A request from outside to end the program (a signal): an open message
    // box closes first, as if closed without a button, no other opens, and
    // nothing starts on its answer; then the window closes as File > Exit
    // closes it, once the event that was running has ended.
    void CloseRequested();

    // For tests: the widgets by their control names.
    QPushButton* cmdUpdate() const { return m_cmdUpdate; }
    QPushButton* cmdStart() const { return m_cmdStart; }
    QPushButton* cmdStop() const { return m_cmdStop; }
    QPushButton* cmdBestTime() const { return m_cmdBestTime; }
    QComboBox* cmbSystem() const { return m_cmbSystem; }
    LatLonEdit* txtLat() const { return m_txtLat; }
    LatLonEdit* txtLon() const { return m_txtLon; }
    GridWidget* grdFrequency() const { return m_grid; }
    QGroupBox* frmFrequency() const { return m_frmFrequency; }
    QLabel* panel(int index) const { return index >= 1 && index <= 5 ? m_panels[index - 1] : nullptr; }
    // How far an update is ("3 of 20"), beside panel 2; hidden outside a build.
    QProgressBar* progress() const { return m_progress; }
    QTimer* tmrTime() const { return m_tmrTime; }
    QTimer* tmrBlink() const { return m_tmrBlink; }
    QTimer* tmrProcess() const { return m_tmrProcess; }
    QAction* action(const QString& name) const { return m_actions.value(name); }
    QMenu* menu(const QString& name) const { return m_menus.value(name); }
    // The connection history window, made when it is first shown.
    frmSummaryWidget* summaryWindow() const { return m_summary; }
    // The 24-hour propagation window (nullptr without its model).
    frmPropagationHoursWidget* propagationHours() const { return m_propagationHours; }
    frmPropagationBestWidget* propagationBest() const { return m_propagationBest; }
    frmPropagationDetailsWidget* propagationDetails() const { return m_propagationDetails; }
    frmStationInfoWidget* stationInfo() const { return m_stationInfo; }
    frmStationMapWidget* stationMap() const { return m_stationMap; }
    // The options dialog (nullptr without its model); hidden until an Options item opens it.
    frmOptionsWidget* optionsWindow() const { return m_options; }
    // The help windows (nullptr without their models).
    frmDiagramWidget* diagramWindow() const { return m_diagram; }
    frmOverviewWidget* overviewWindow() const { return m_overview; }
    frmAboutWidget* aboutWindow() const { return m_about; }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    void BuildStatusBar();
    void SyncControls();
    void SyncProgress();
    void SyncGeometry();
    void FrameChanged();
    void ReportGeometry();
    void ReportResize();
    void Place(QWidget* widget, const Control& control);
    int PixelsX(int twips) const;
    int PixelsY(int twips) const;
    int TwipsX(int pixels) const;
    int TwipsY(int pixels) const;

    frmMain& m_model;
    QtUserInterface& m_ui;
    const ITextMetrics& m_metrics;
    bool m_syncingGeometry = false;
    bool m_syncingControls = false;
    bool m_unloaded = false;
    bool m_placed = false;
    QSize m_syncedFrame;  // the frame's size when the geometry was last applied

    QGroupBox* m_frmPosition = nullptr;
    QGroupBox* m_frmConnect = nullptr;
    QGroupBox* m_frmFrequency = nullptr;
    QLabel* m_lblLat = nullptr;
    QLabel* m_lblLon = nullptr;
    LatLonEdit* m_txtLat = nullptr;
    LatLonEdit* m_txtLon = nullptr;
    QPushButton* m_cmdStart = nullptr;
    QPushButton* m_cmdStop = nullptr;
    QPushButton* m_cmdUpdate = nullptr;
    QPushButton* m_cmdBestTime = nullptr;
    QComboBox* m_cmbSystem = nullptr;
    GridWidget* m_grid = nullptr;
    std::array<QLabel*, 5> m_panels{};
    QProgressBar* m_progress = nullptr;
    QTimer* m_tmrTime = nullptr;
    QTimer* m_tmrBlink = nullptr;
    QTimer* m_tmrProcess = nullptr;
    QMap<QString, QAction*> m_actions;
    QMap<QString, QMenu*> m_menus;
    frmSummaryWidget* m_summary = nullptr;
    frmPropagationHoursWidget* m_propagationHours = nullptr;
    frmPropagationBestWidget* m_propagationBest = nullptr;
    frmPropagationDetailsWidget* m_propagationDetails = nullptr;
    frmStationInfoWidget* m_stationInfo = nullptr;
    frmStationMapWidget* m_stationMap = nullptr;
    frmOptionsWidget* m_options = nullptr;
    frmDiagramWidget* m_diagram = nullptr;
    frmOverviewWidget* m_overview = nullptr;
    frmAboutWidget* m_about = nullptr;
};

}  // namespace tw
