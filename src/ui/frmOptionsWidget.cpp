#include "ui/frmOptionsWidget.h"

#include <algorithm>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/GridWidget.h"

namespace tw {

frmOptionsWidget::frmOptionsWidget(frmOptions& model, const ITextMetrics& metrics, QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(model), m_metrics(metrics) {
    setWindowTitle(QString::fromLatin1(frmOptions::kCaption));
    m_tabs = new QTabWidget(this);
    BuildGeneralTabs();
    m_tabs->insertTab(frmOptions::TabAntenna, BuildAntennaTab(), frmOptions::TabCaptions()[frmOptions::TabAntenna]);
    m_tabs->insertTab(frmOptions::TabHamStation, new QWidget, frmOptions::TabCaptions()[frmOptions::TabHamStation]);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (m_syncing) return;
        m_model.tab = index;
        m_shownTab = index;
    });

    const QMap<QString, Control*> buttons = {{QStringLiteral("cmdDefault"), &m_model.cmdDefault},
                                             {QStringLiteral("cmdOK"), &m_model.cmdOK},
                                             {QStringLiteral("cmdCancel"), &m_model.cmdCancel},
                                             {QStringLiteral("cmdApply"), &m_model.cmdApply}};
    for (auto it = buttons.begin(); it != buttons.end(); ++it) {
        auto* b = new QPushButton(it.value()->caption, this);
        b->setToolTip(it.value()->toolTip);
        m_buttons.insert(it.key(), b);
    }
    connect(m_buttons["cmdDefault"], &QPushButton::clicked, &m_model, &frmOptions::cmdDefault_Click);
    connect(m_buttons["cmdOK"], &QPushButton::clicked, &m_model, &frmOptions::cmdOK_Click);
    connect(m_buttons["cmdCancel"], &QPushButton::clicked, &m_model, &frmOptions::cmdCancel_Click);
    connect(m_buttons["cmdApply"], &QPushButton::clicked, &m_model, &frmOptions::cmdApply_Click);

    m_model.FolderBrowse = [this](const QString& path, const QString& title) {
        return QFileDialog::getExistingDirectory(this, title, path);
    };
    connect(&m_model, &frmOptions::changed, this, &frmOptionsWidget::Sync);
    connect(&m_model.offsets.grdOffset, &Grid::changed, this, [this] { m_grid->viewport()->update(); });
    connect(&m_model, &frmOptions::showRequested, this, &frmOptionsWidget::ShowCenter);
    connect(&m_model, &frmOptions::unloadRequested, this, &QWidget::hide);
    connect(&m_model, &frmOptions::focusRequested, this, [this](const QString& name) {
        if (QWidget* w = m_controls.value(name)) w->setFocus();
    });
    const int tx = m_metrics.TwipsPerPixelX(), ty = m_metrics.TwipsPerPixelY();
    // At least the size the general tabs need in this window system's fonts.
    resize(QSize(frmOptions::kDesignWidth / tx, frmOptions::kDesignHeight / ty)
               .expandedTo(m_tabs->sizeHint() + QSize(0, 2 * m_buttons["cmdOK"]->sizeHint().height())));
    Sync();
}

void frmOptionsWidget::SetHamStationPage(QWidget* page) {
    const int current = m_tabs->currentIndex();
    QWidget* old = m_tabs->widget(frmOptions::TabHamStation);
    m_tabs->removeTab(frmOptions::TabHamStation);
    delete old;
    m_tabs->insertTab(frmOptions::TabHamStation, page, frmOptions::TabCaptions()[frmOptions::TabHamStation]);
    m_tabs->setCurrentIndex(current);
}

// Each tab holds its framed boxes in order; a box lists its controls one to a
// line, a label before the control when it has one.  A text box without a
// label of its own follows the control before it on the same line ("Check
// Days" and its days).
void frmOptionsWidget::BuildGeneralTabs() {
    QMap<int, QVBoxLayout*> pages;
    QMap<QString, QGridLayout*> boxes;
    QMap<QString, QButtonGroup*> groups;
    QMap<QString, int> lastRow;
    const QStringList captions = frmOptions::TabCaptions();
    for (int tab : {frmOptions::TabAirMail, frmOptions::TabPropagation, frmOptions::TabStation,
                    frmOptions::TabRadio}) {
        auto* page = new QWidget;
        pages[tab] = new QVBoxLayout(page);
        m_tabs->addTab(page, captions[tab]);
    }
    for (const frmOptions::Field& f : m_model.Fields()) {
        const QString boxKey = QString::number(f.tab) + QLatin1Char('/') + f.box;
        if (!boxes.contains(boxKey)) {
            auto* box = new QGroupBox(f.box);
            boxes[boxKey] = new QGridLayout(box);
            boxes[boxKey]->setColumnStretch(1, 1);
            pages[f.tab]->addWidget(box);
            lastRow[boxKey] = -1;
        }
        QGridLayout* grid = boxes[boxKey];
        OptionControl* c = f.control;
        QWidget* w = nullptr;
        switch (f.kind) {
        case frmOptions::Kind::Check: {
            auto* check = new QCheckBox(c->caption);
            connect(check, &QCheckBox::toggled, this, [this, c](bool on) {
                if (!m_syncing) m_model.SetChecked(*c, on);
            });
            w = check;
            break;
        }
        case frmOptions::Kind::Option: {
            auto* option = new QRadioButton(c->caption);
            if (!groups.contains(boxKey)) groups[boxKey] = new QButtonGroup(this);
            groups[boxKey]->addButton(option);
            connect(option, &QRadioButton::toggled, this, [this, c](bool on) {
                if (!m_syncing && on) m_model.SelectOption(*c);
            });
            w = option;
            break;
        }
        case frmOptions::Kind::Text: {
            auto* edit = new QLineEdit;
            connect(edit, &QLineEdit::textEdited, this, [this, c](const QString& text) { m_model.SetText(*c, text); });
            // The folder boxes take the width; number boxes hold a few digits.
            if (c == &m_model.txtAirMailDirectoryData || c == &m_model.txtAirMailDirectoryProgram)
                edit->installEventFilter(this);
            else
                edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("-000000.00")) + 16);
            w = edit;
            break;
        }
        case frmOptions::Kind::Label:
            w = new QLabel;
            break;
        case frmOptions::Kind::Combo: {
            auto* combo = new QComboBox;
            combo->addItems(c->items);
            connect(combo, &QComboBox::activated, this, [this, c](int index) { m_model.SetListIndex(*c, index); });
            w = combo;
            break;
        }
        }
        w->setObjectName(f.name);
        w->setToolTip(c->toolTip);
        m_controls.insert(f.name, w);
        const bool follows = f.kind == frmOptions::Kind::Text && f.label.isEmpty() && lastRow[boxKey] >= 0 &&
                             c != &m_model.txtAirMailDirectoryData;
        if (follows) {
            grid->addWidget(w, lastRow[boxKey], 2);
            continue;
        }
        const int row = ++lastRow[boxKey];
        if (!f.label.isEmpty()) {
            auto* label = new QLabel(f.label);
            grid->addWidget(label, row, 0);
            m_labels.insert(f.name, label);
        }
        if (f.kind == frmOptions::Kind::Label && f.label.isEmpty() && c->caption.isEmpty())
            grid->addWidget(w, row, 0, 1, 4);
        else
            grid->addWidget(w, row, 1);
    }
    for (QVBoxLayout* page : pages) page->addStretch(1);
}

QWidget* frmOptionsWidget::BuildAntennaTab() {
    OffsetEditor& e = m_model.offsets;
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* row = new QHBoxLayout;
    m_chkStationOffset = new QCheckBox(e.chkStationOffset.caption);
    m_chkStationOffset->setObjectName(QStringLiteral("chkStationOffset"));
    connect(m_chkStationOffset, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_syncing) m_model.offsets.useOffsets = on;
    });
    row->addWidget(m_chkStationOffset);
    row->addStretch(1);
    const QList<std::pair<const char*, Control*>> buttons = {{"cmdOffsetInsert", &e.cmdOffsetInsert},
                                                             {"cmdOffsetDelete", &e.cmdOffsetDelete},
                                                             {"cmdOffsetSort", &e.cmdOffsetSort},
                                                             {"cmdOffsetCheck", &e.cmdOffsetCheck},
                                                             {"cmdOffsetInfo", &e.cmdOffsetInfo}};
    for (const auto& [name, control] : buttons) {
        auto* b = new QPushButton(control->caption);
        b->setToolTip(control->toolTip);
        m_buttons.insert(QString::fromLatin1(name), b);
        row->addWidget(b);
    }
    // Delete takes no focus and acts on the press, so the open editor (the
    // row to delete) is still open then.
    m_buttons["cmdOffsetDelete"]->setFocusPolicy(Qt::NoFocus);
    connect(m_buttons["cmdOffsetDelete"], &QPushButton::pressed, &e, &OffsetEditor::cmdOffsetDelete_MouseDown);
    connect(m_buttons["cmdOffsetInsert"], &QPushButton::clicked, &e, &OffsetEditor::cmdOffsetInsert_Click);
    connect(m_buttons["cmdOffsetSort"], &QPushButton::clicked, &e, &OffsetEditor::cmdOffsetSort_Click);
    connect(m_buttons["cmdOffsetCheck"], &QPushButton::clicked, &e, &OffsetEditor::cmdOffsetCheck_Click);
    connect(m_buttons["cmdOffsetInfo"], &QPushButton::clicked, &e, &OffsetEditor::cmdOffsetInfo_Click);
    layout->addLayout(row);

    m_grid = new GridWidget(e.grdOffset, m_metrics, page);
    m_grid->setObjectName(QStringLiteral("grdOffset"));
    layout->addWidget(m_grid, 1);
    m_grid->onClick = [this](int x, int y) {
        int r = -1, c = -1;
        if (m_model.offsets.CellAt(x, y, r, c)) m_model.offsets.GridClick(r, c);
    };
    m_grid->onMouseMove = [this](int, int, int x, int y) { m_model.offsets.GridMouseMove(x, y); };
    for (QScrollBar* bar : {m_grid->verticalScrollBar(), m_grid->horizontalScrollBar()})
        connect(bar, &QScrollBar::valueChanged, &e, &OffsetEditor::HideEditors);

    m_cmbOffset = new QComboBox(page);
    m_lstOffset = new QListWidget(page);
    m_lstOffset->setSelectionMode(QAbstractItemView::MultiSelection);
    m_txtOffset = new QLineEdit(page);
    for (QWidget* w : {static_cast<QWidget*>(m_cmbOffset), static_cast<QWidget*>(m_lstOffset),
                       static_cast<QWidget*>(m_txtOffset)}) {
        w->hide();
        w->installEventFilter(this);
    }
    connect(m_cmbOffset, &QComboBox::activated, &e, &OffsetEditor::ComboChoose);
    connect(m_txtOffset, &QLineEdit::textEdited, &e, &OffsetEditor::TextChanged);
    connect(m_lstOffset, &QListWidget::itemSelectionChanged, this, [this] {
        if (m_syncing) return;
        OffsetEditor& ed = m_model.offsets;
        for (int i = 0; i < m_lstOffset->count() && i < ed.lstSelected.size(); ++i)
            if (m_lstOffset->item(i)->isSelected() != ed.lstSelected[i])
                ed.ListSetSelected(i, m_lstOffset->item(i)->isSelected());
    });
    return page;
}

// The in-cell editors: Tab and Shift+Tab walk the cells, Esc ends the cell
// edit (the dialog stays open), and losing the focus hides the editor, but
// not when the focus goes to the drop-down's own list.
bool frmOptionsWidget::eventFilter(QObject* watched, QEvent* event) {
    const bool editor = watched == m_cmbOffset || watched == m_lstOffset || watched == m_txtOffset;
    if (editor && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            m_model.offsets.EditorTab(key->key() == Qt::Key_Backtab);
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            m_grid->setFocus();
            m_model.offsets.HideEditors();
            return true;
        }
    } else if (editor && event->type() == QEvent::FocusOut && !m_syncing) {
        // The drop-down's list opening (a popup), then taking the focus
        // itself (a child of the drop-down), is no loss of the focus.
        bool inside = static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason;
        for (const QWidget* to = QApplication::focusWidget(); to && !inside; to = to->parentWidget())
            inside = to == watched;
        if (inside) return QWidget::eventFilter(watched, event);
        m_model.offsets.HideEditors();
    } else if (!editor && event->type() == QEvent::MouseButtonRelease) {
        if (watched == m_controls.value(QStringLiteral("txtAirMailDirectoryData")))
            m_model.FolderClick(m_model.txtAirMailDirectoryData);
        else if (watched == m_controls.value(QStringLiteral("txtAirMailDirectoryProgram")))
            m_model.FolderClick(m_model.txtAirMailDirectoryProgram);
    }
    return QWidget::eventFilter(watched, event);
}

QRect frmOptionsWidget::Pixels(const Control& c) const {
    const int tx = m_metrics.TwipsPerPixelX(), ty = m_metrics.TwipsPerPixelY();
    return {c.left / tx, c.top / ty, c.width / tx, c.height / ty};
}

void frmOptionsWidget::Sync() {
    m_syncing = true;
    for (const frmOptions::Field& f : m_model.Fields()) {
        QWidget* w = m_controls.value(f.name);
        const OptionControl& c = *f.control;
        if (auto* check = qobject_cast<QCheckBox*>(w)) check->setChecked(c.value);
        else if (auto* option = qobject_cast<QRadioButton*>(w)) {
            // A stored value without a button leaves the group without a choice.
            if (option->group()) option->group()->setExclusive(false);
            option->setChecked(c.value);
            if (option->group()) option->group()->setExclusive(true);
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            if (edit->text() != c.text) edit->setText(c.text);
        } else if (auto* label = qobject_cast<QLabel*>(w)) label->setText(c.text);
        else if (auto* combo = qobject_cast<QComboBox*>(w)) combo->setCurrentIndex(c.listIndex);
        w->setEnabled(c.enabled);
        // Hidden controls keep their place, so the boxes do not jump.
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
        w->setVisible(c.visible);
    }
    m_chkStationOffset->setChecked(m_model.offsets.useOffsets);
    m_buttons["cmdOffsetInfo"]->setEnabled(m_model.offsets.cmdOffsetInfo.enabled);
    for (const char* name : {"cmdDefault", "cmdOK", "cmdApply"}) {
        const Control& c = QLatin1String(name) == QLatin1String("cmdOK")      ? m_model.cmdOK
                           : QLatin1String(name) == QLatin1String("cmdApply") ? m_model.cmdApply
                                                                               : m_model.cmdDefault;
        m_buttons[QString::fromLatin1(name)]->setEnabled(c.enabled);
    }
    // Only a tab the model chose is shown here; a page the user is switching
    // to (the editor closing on the way) is not turned back.
    if (m_model.tab != m_shownTab) {
        m_shownTab = m_model.tab;
        m_tabs->setCurrentIndex(m_model.tab);
    }
    SyncEditors();
    m_syncing = false;
}

// The open in-cell editor over its cell, with the focus; the others hidden.
void frmOptionsWidget::SyncEditors() {
    OffsetEditor& e = m_model.offsets;
    const QPoint origin = m_grid->viewport()->mapTo(m_grid->parentWidget(), QPoint(0, 0));
    QWidget* open = nullptr;
    switch (e.OpenEditor()) {
    case OffsetEditor::Editor::Combo: {
        // Filled anew only when the entries change, so an open list stays open.
        QStringList items;
        for (int i = 0; i < m_cmbOffset->count(); ++i) items << m_cmbOffset->itemText(i);
        if (items != e.cmbOffset.items) {
            m_cmbOffset->clear();
            m_cmbOffset->addItems(e.cmbOffset.items);
        }
        m_cmbOffset->setCurrentIndex(e.cmbOffset.listIndex);
        m_cmbOffset->setGeometry(Pixels(e.cmbOffset).translated(origin));
        m_cmbOffset->resize(m_cmbOffset->width(), m_cmbOffset->sizeHint().height());
        open = m_cmbOffset;
        break;
    }
    case OffsetEditor::Editor::List:
        m_lstOffset->clear();
        m_lstOffset->addItems(e.lstItems);
        for (int i = 0; i < e.lstSelected.size(); ++i) m_lstOffset->item(i)->setSelected(e.lstSelected[i]);
        m_lstOffset->setGeometry(Pixels(e.lstOffset).translated(origin));
        open = m_lstOffset;
        break;
    case OffsetEditor::Editor::Text:
        if (m_txtOffset->text() != e.txtOffset.caption) m_txtOffset->setText(e.txtOffset.caption);
        m_txtOffset->setToolTip(e.txtOffset.toolTip);
        m_txtOffset->setGeometry(Pixels(e.txtOffset).translated(origin));
        open = m_txtOffset;
        break;
    case OffsetEditor::Editor::None:
        break;
    }
    for (QWidget* w : {static_cast<QWidget*>(m_cmbOffset), static_cast<QWidget*>(m_lstOffset),
                       static_cast<QWidget*>(m_txtOffset)})
        if (w != open) w->hide();
    if (open) {
        open->show();
        open->raise();
        if (!open->hasFocus()) open->setFocus();
    }
}

void frmOptionsWidget::ShowCenter() {
    if (const std::optional<QPoint> at = m_model.PlaceAt()) {
        const int tx = m_metrics.TwipsPerPixelX(), ty = m_metrics.TwipsPerPixelY();
        move(at->x() / tx, at->y() / ty);
    } else if (QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - frameGeometry().width()) / 2,
             area.y() + (area.height() - frameGeometry().height()) / 2);
    }
    show();
    if (m_model.PlaceAt() && screen()) {
        // The size is final once shown: kept on the screen with it.
        const QRect area = screen()->availableGeometry();
        const QRect frame = frameGeometry();
        const int left = std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width()));
        const int top = std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height()));
        move(pos() + QPoint(left - frame.left(), top - frame.top()));
    }
    raise();
    activateWindow();
}

void frmOptionsWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int tx = m_metrics.TwipsPerPixelX(), ty = m_metrics.TwipsPerPixelY();
    m_model.Form_Resize(width() * tx, height() * ty, isMinimized());
    m_tabs->setGeometry(Pixels(m_model.tabBox));
    const QMap<QString, const Control*> buttons = {{QStringLiteral("cmdDefault"), &m_model.cmdDefault},
                                                   {QStringLiteral("cmdOK"), &m_model.cmdOK},
                                                   {QStringLiteral("cmdCancel"), &m_model.cmdCancel},
                                                   {QStringLiteral("cmdApply"), &m_model.cmdApply}};
    for (auto it = buttons.begin(); it != buttons.end(); ++it) m_buttons[it.key()]->setGeometry(Pixels(*it.value()));
    m_model.offsets.HideEditors();
}

// Esc is Cancel wherever the focus is in the dialog, except in a cell editor
// (there it ends the cell edit).
void frmOptionsWidget::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_model.cmdCancel_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

// The user closing the window is Cancel.
void frmOptionsWidget::closeEvent(QCloseEvent* event) {
    if (m_model.Loaded()) m_model.cmdCancel_Click();
    event->accept();
}

}  // namespace tw
