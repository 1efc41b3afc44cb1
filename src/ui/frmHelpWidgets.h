#pragma once
// The help windows on screen: the block diagram drawn from the core's
// frmDiagram (its boxes, lines and arrowheads painted, its labels and buttons
// as widgets), the overview text and the about box.  Closing one only hides
// it; the main window closes them when it closes.

#include <QMap>
#include <QWidget>

#include "common/UserInterface.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tw {

class frmAbout;
class frmDiagram;
class frmOverview;

class frmDiagramWidget : public QWidget {
    Q_OBJECT
public:
    frmDiagramWidget(frmDiagram& model, const ITextMetrics& metrics, QWidget* parent = nullptr);

    // For tests: a button by its control name.
    QPushButton* button(const QString& name) const { return m_buttons.value(name); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Sync();
    void Clicked(const QString& name);
    int PixelsX(int twips) const { return twips / m_metrics.TwipsPerPixelX(); }
    int PixelsY(int twips) const { return twips / m_metrics.TwipsPerPixelY(); }

    frmDiagram& m_model;
    const ITextMetrics& m_metrics;
    QMap<QString, QPushButton*> m_buttons;
    bool m_shownBefore = false;
};

class frmOverviewWidget : public QWidget {
    Q_OBJECT
public:
    explicit frmOverviewWidget(frmOverview& model, QWidget* parent = nullptr);

    QPlainTextEdit* txtOverview() const { return m_text; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Sync();

    frmOverview& m_model;
    QPlainTextEdit* m_text = nullptr;
    bool m_shownBefore = false;
};

class frmAboutWidget : public QWidget {
    Q_OBJECT
public:
    explicit frmAboutWidget(frmAbout& model, QWidget* parent = nullptr);

    QLabel* lblDescription() const { return m_description; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Sync();

    frmAbout& m_model;
    QLabel* m_description = nullptr;
};

}  // namespace tw
