#pragma once
// The station information window on screen: renders the core's
// frmStationInfo (caption, the document with its colours, the beam frame with
// its list and labels, the layout, visibility) and scrolls to the model's
// selection.  The document is built from the model's text and colour arrays,
// not read a second time.  A station chosen in the beam list by the user goes
// to the model.

#include <QWidget>

#include "common/UserInterface.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QTextEdit;

namespace tw {

class frmStationInfo;

class frmStationInfoWidget : public QWidget {
    Q_OBJECT
public:
    frmStationInfoWidget(frmStationInfo& model, const ITextMetrics& metrics,
                         QWidget* parent = nullptr);

    // For tests.
    QTextEdit* RichTextBox() const { return m_text; }
    QComboBox* cmbBeam() const { return m_cmbBeam; }
    QGroupBox* frmBeam() const { return m_frmBeam; }
    QLabel* lblRange() const { return m_lblRange; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Sync();
    void BuildDocument();
    void Place(QWidget* widget, int left, int top, int width, int height) const;

    frmStationInfo& m_model;
    const ITextMetrics& m_metrics;
    QTextEdit* m_text = nullptr;
    QGroupBox* m_frmBeam = nullptr;
    QLabel* m_label1 = nullptr;
    QComboBox* m_cmbBeam = nullptr;
    QLabel* m_lblRange = nullptr;
    QLabel* m_lblBearingTo = nullptr;
    QLabel* m_lblBearingFrom = nullptr;
    bool m_documentBuilt = false;
    int m_selectionShown = -1;
    bool m_shownBefore = false;
};

}  // namespace tw
