#include "ui/frmStationInfoWidget.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include "ui/ScreenPlacement.h"
#include "views/StationInfo.h"

namespace tw {

frmStationInfoWidget::frmStationInfoWidget(frmStationInfo& model, const ITextMetrics& metrics,
                                           QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(model), m_metrics(metrics) {
    setObjectName(QStringLiteral("frmStationInfo"));
    m_frmBeam = new QGroupBox(this);
    m_label1 = new QLabel(model.Label1.caption, m_frmBeam);
    m_cmbBeam = new QComboBox(m_frmBeam);
    m_cmbBeam->setObjectName(QStringLiteral("cmbBeam"));
    m_cmbBeam->setToolTip(model.cmbBeam.toolTip);
    m_lblRange = new QLabel(m_frmBeam);
    m_lblBearingTo = new QLabel(m_frmBeam);
    m_lblBearingFrom = new QLabel(m_frmBeam);
    m_text = new QTextEdit(this);
    m_text->setObjectName(QStringLiteral("RichTextBox"));
    m_text->setReadOnly(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Only the user's choice comes through: the model's own selections are
    // made with setCurrentIndex, which does not activate.
    connect(m_cmbBeam, &QComboBox::activated, this, [this](int index) { m_model.cmbBeam_Click(index); });
    connect(&m_model, &frmStationInfo::changed, this, &frmStationInfoWidget::Sync);
    resize(760, 560);
    Sync();
}

void frmStationInfoWidget::Place(QWidget* widget, int left, int top, int width, int height) const {
    widget->setGeometry(left / m_metrics.TwipsPerPixelX(), top / m_metrics.TwipsPerPixelY(),
                        width / m_metrics.TwipsPerPixelX(), height / m_metrics.TwipsPerPixelY());
}

// The document in runs of one colour each.
void frmStationInfoWidget::BuildDocument() {
    const QString& text = m_model.BoxText();
    const QVector<Color>& colors = m_model.BoxColors();
    auto* document = new QTextDocument(m_text);
    document->setUndoRedoEnabled(false);
    QTextCursor cursor(document);
    QTextCharFormat format;
    const qsizetype length = text.size();
    for (qsizetype start = 0; start < length;) {
        const Color color = start < colors.size() ? colors[start] : 0;
        qsizetype end = start + 1;
        while (end < length && (end < colors.size() ? colors[end] : 0) == color) ++end;
        format.setForeground(QColor(ColorRed(color), ColorGreen(color), ColorBlue(color)));
        cursor.insertText(text.mid(start, end - start), format);
        start = end;
    }
    m_text->setDocument(document);
    m_documentBuilt = true;
}

void frmStationInfoWidget::Sync() {
    setWindowTitle(m_model.caption);
    if (m_model.Visible() && !m_documentBuilt) BuildDocument();

    const ComboControl& combo = m_model.cmbBeam;
    QStringList shown;
    for (int i = 0; i < m_cmbBeam->count(); ++i) shown << m_cmbBeam->itemText(i);
    if (shown != combo.items) {
        m_cmbBeam->clear();
        for (qsizetype i = 0; i < combo.items.size(); ++i)
            m_cmbBeam->addItem(combo.items[i], m_model.cmbBeamItemData.value(i));
    }
    if (m_cmbBeam->currentIndex() != combo.listIndex) m_cmbBeam->setCurrentIndex(combo.listIndex);
    for (auto [label, control] : {std::pair{m_lblRange, &m_model.lblRange},
                                  std::pair{m_lblBearingTo, &m_model.lblBearingTo},
                                  std::pair{m_lblBearingFrom, &m_model.lblBearingFrom}}) {
        label->setText(control->caption);
        label->setToolTip(control->toolTip);
    }

    m_frmBeam->setVisible(m_model.frmBeamVisible);
    const Control& frame = m_model.frmBeam;
    Place(m_frmBeam, frame.left, frame.top, frame.width, frame.height);
    const int row = 180;
    const int height = frame.height - 2 * row + 120;
    Place(m_label1, 120, row, 1400, height);
    Place(m_cmbBeam, 1560, row, 1800, height);
    Place(m_lblRange, 3500, row, 1700, height);
    Place(m_lblBearingTo, 5250, row, 2000, height);
    Place(m_lblBearingFrom, 7300, row, 2200, height);
    const Control& box = m_model.RichTextBox;
    Place(m_text, box.left, box.top, box.width, box.height);

    if (m_model.Visible() && !isVisible()) PlaceOnShow(this, nullptr, m_shownBefore);
    if (m_model.Visible() != isVisible()) setVisible(m_model.Visible());
    // A new selection: the end first, then the selection, so that it comes to
    // the top of the box when it was below.
    if (m_documentBuilt && m_selectionShown != m_model.SelectionSerial()) {
        m_selectionShown = m_model.SelectionSerial();
        QTextCursor cursor(m_text->document());
        cursor.movePosition(QTextCursor::End);
        m_text->setTextCursor(cursor);
        m_text->ensureCursorVisible();
        cursor.setPosition(m_model.SelStart());
        cursor.setPosition(m_model.SelStart() + m_model.SelLength(), QTextCursor::KeepAnchor);
        m_text->setTextCursor(cursor);
        m_text->ensureCursorVisible();
    }
}

void frmStationInfoWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_model.Form_Resize(width() * m_metrics.TwipsPerPixelX(), height() * m_metrics.TwipsPerPixelY());
}

// Closing only hides: the window lives on for the next time.
void frmStationInfoWidget::closeEvent(QCloseEvent* event) {
    m_model.Hide();
    event->accept();
}

}  // namespace tw
