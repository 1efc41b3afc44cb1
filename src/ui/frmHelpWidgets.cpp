#include "ui/frmHelpWidgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include "ui/ScreenPlacement.h"
#include "views/HelpWindows.h"

namespace tw {

namespace {

// Shows, hides or brings forward a help window as its model says.
void ShowAsModel(QWidget* window, bool visible) {
    if (!visible) {
        window->hide();
        return;
    }
    window->show();
    window->raise();
    window->activateWindow();
}

QRect AvailableScreen(const QWidget* widget) {
    const QScreen* screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

}  // namespace

// ---------------------------------------------------------------------------

frmDiagramWidget::frmDiagramWidget(frmDiagram& model, const ITextMetrics& metrics, QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(model), m_metrics(metrics) {
    setObjectName(QStringLiteral("frmDiagram"));
    setFixedSize(PixelsX(model.clientWidth), PixelsY(model.clientHeight));
    const auto place = [this](QWidget* widget, const Control& c) {
        widget->setGeometry(PixelsX(c.left), PixelsY(c.top), PixelsX(c.width), PixelsY(c.height));
        widget->setToolTip(c.toolTip);
    };
    for (const Control& c : model.labels) {
        auto* label = new QLabel(c.caption, this);
        label->setAlignment(Qt::AlignCenter);
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        place(label, c);
    }
    for (const DiagramButton& b : model.buttons) {
        auto* button = new QPushButton(b.control.caption, this);
        button->setObjectName(b.name);
        place(button, b.control);
        m_buttons.insert(b.name, button);
        connect(button, &QPushButton::clicked, this, [this, name = b.name] { Clicked(name); });
    }
    connect(&m_model, &frmDiagram::changed, this, &frmDiagramWidget::Sync);
    Sync();
}

void frmDiagramWidget::Sync() {
    setWindowTitle(m_model.caption);
    if (m_model.Visible() && !isVisible()) PlaceOnShow(this, nullptr, m_shownBefore);
    ShowAsModel(this, m_model.Visible());
}

// The button and the screen go to the model in twips, screen coordinates.
void frmDiagramWidget::Clicked(const QString& name) {
    const QPushButton* b = m_buttons.value(name);
    const QRect onScreen(b->mapToGlobal(QPoint(0, 0)), b->size());
    const QRect screen = AvailableScreen(this);
    const int tx = m_metrics.TwipsPerPixelX(), ty = m_metrics.TwipsPerPixelY();
    const auto twips = [tx, ty](const QRect& r) {
        return QRect(r.x() * tx, r.y() * ty, r.width() * tx, r.height() * ty);
    };
    m_model.ButtonClick(name, twips(onScreen), twips(screen));
}

void frmDiagramWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    const int margin = PixelsY(120);
    for (const DiagramBox& box : m_model.boxes) {
        const QRect r(PixelsX(box.left), PixelsY(box.top), PixelsX(box.width), PixelsY(box.height));
        painter.drawRect(r);
        painter.drawText(r.adjusted(0, margin, 0, 0), Qt::AlignHCenter | Qt::AlignTop, box.caption);
    }
    const auto line = [&](int x1, int y1, int x2, int y2) {
        painter.drawLine(PixelsX(x1), PixelsY(y1), PixelsX(x2), PixelsY(y2));
    };
    for (const DiagramLine& l : m_model.lnArrow) line(l.x1, l.y1, l.x2, l.y2);
    for (const DiagramStroke& s : m_model.Arrowheads()) line(s.x1, s.y1, s.x2, s.y2);
}

void frmDiagramWidget::closeEvent(QCloseEvent* event) {
    m_model.Hide();
    event->accept();
}

// ---------------------------------------------------------------------------

frmOverviewWidget::frmOverviewWidget(frmOverview& model, QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(model) {
    setObjectName(QStringLiteral("frmOverview"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("txtOverview"));
    m_text->setReadOnly(true);
    // The overview is laid out in lines of up to 78 characters: a fixed font
    // and room for them.
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    layout->addWidget(m_text);
    const QFontMetrics fm(m_text->font());
    resize(fm.horizontalAdvance(QLatin1Char('M')) * 82 + m_text->verticalScrollBar()->sizeHint().width(),
           fm.lineSpacing() * 36);
    connect(&m_model, &frmOverview::changed, this, &frmOverviewWidget::Sync);
    Sync();
}

void frmOverviewWidget::Sync() {
    setWindowTitle(m_model.caption);
    QString text = m_model.txtOverview;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (m_text->toPlainText() != text) m_text->setPlainText(text);
    if (m_model.Visible() && !isVisible()) PlaceOnShow(this, nullptr, m_shownBefore);
    ShowAsModel(this, m_model.Visible());
}

void frmOverviewWidget::closeEvent(QCloseEvent* event) {
    m_model.Hide();
    event->accept();
}

// ---------------------------------------------------------------------------

// Besides the picture, the title, the description and the disclaimer between
// their two lines, the box has the licence note and an OK button that closes it.
frmAboutWidget::frmAboutWidget(frmAbout& model, QWidget* parent)
    : QWidget(parent, Qt::Dialog), m_model(model) {
    setObjectName(QStringLiteral("frmAbout"));
    auto* picIcon = new QLabel(this);
    const QIcon icon = QApplication::windowIcon().isNull()
                           ? style()->standardIcon(QStyle::SP_MessageBoxInformation)
                           : QApplication::windowIcon();
    picIcon->setPixmap(icon.pixmap(48, 48));
    picIcon->setAlignment(Qt::AlignTop);
    auto* title = new QLabel(model.lblTitle, this);
    QFont big = title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    title->setFont(big);
    m_description = new QLabel(model.lblDescription, this);
    m_description->setWordWrap(true);
    auto* disclaimer = new QLabel(model.lblDisclaimer, this);
    disclaimer->setWordWrap(true);
    auto* license = new QLabel(model.lblLicense, this);
    license->setWordWrap(true);
    const auto separator = [this] {
        auto* line = new QFrame(this);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        return line;
    };
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QWidget::close);

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(m_description);
    auto* top = new QHBoxLayout;
    top->addWidget(picIcon);
    top->addLayout(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(separator());
    layout->addWidget(disclaimer);
    layout->addWidget(separator());
    layout->addWidget(license);
    layout->addWidget(ok, 0, Qt::AlignRight);
    // Word-wrapped texts of a fixed width; the box takes the height they need.
    const int textWidth = fontMetrics().horizontalAdvance(QLatin1Char('M')) * 36;
    m_description->setFixedWidth(textWidth);
    const int fullWidth = textWidth + picIcon->sizeHint().width() + layout->spacing();
    disclaimer->setFixedWidth(fullWidth);
    license->setFixedWidth(fullWidth);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(&m_model, &frmAbout::changed, this, &frmAboutWidget::Sync);
    Sync();
}

void frmAboutWidget::Sync() {
    setWindowTitle(m_model.caption);
    if (m_model.Visible() && !isVisible()) {
        // Centred on the screen each time it opens.
        adjustSize();
        move(frmAbout::CenterOnScreen(frameGeometry().size(), AvailableScreen(this)));
    }
    ShowAsModel(this, m_model.Visible());
}

void frmAboutWidget::closeEvent(QCloseEvent* event) {
    m_model.Hide();
    event->accept();
}

}  // namespace tw
