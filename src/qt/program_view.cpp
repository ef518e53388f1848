#include "qt/program_view.h"

#include "app/form_template.h"
#include "app/spoken.h"
#include "qt/dialog_units.h"
#include "qt/flex_grid.h"
#include "qt/program_app.h"
#include "qt/words.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

#include <algorithm>
#include <map>
#include <vector>

using namespace varnok;
using varnok::app::Changes;
using varnok::app::Focus;
using varnok::app::TemplateControl;

namespace {

QStringList toStringList(const std::vector<std::string>& entries) {
    QStringList list;
    for (const std::string& entry : entries)
        list << QString::fromStdString(text::shown(entry));
    return list;
}

Qt::Alignment alignmentOf(const TemplateControl& control) {
    const Qt::Alignment horizontal = control.align == TemplateControl::Align::Right ? Qt::AlignRight : Qt::AlignLeft;
    return horizontal | (control.vcenter ? Qt::AlignVCenter : Qt::AlignTop);
}

/// The template's boxes were sized for the vendor's fonts; a label whose
/// text needs more room with the fonts at hand grows instead of clipping,
/// away from the side it is aligned to (both ways vertically).
QRect fitLabel(const QLabel& label, QRect box) {
    if (label.wordWrap()) {
        const int needed = label.heightForWidth(box.width());
        if (needed > box.height()) {
            const int grow = needed - box.height();
            box.adjust(0, -grow / 2, 0, grow - grow / 2);
        }
        return box;
    }
    const int needed = label.sizeHint().width();
    if (needed > box.width()) {
        if (label.alignment() & Qt::AlignRight)
            box.setLeft(box.right() - needed + 1);
        else
            box.setWidth(needed);
    }
    return box;
}

} // namespace

CProgramView::CProgramView(CProgramApp& app, QWidget* parent) : QWidget(parent), m_app(app) {
    CreateForm();
    CreateCellEditors();
    for (int col = 0; col < column::kCount; ++col)
        m_grid->SetColAlignment(col, CMSFlexGrid::flexAlignCenterCenter);
    SetColumnWidths();
    ConnectEvents();
}

CProgramView::~CProgramView() {
    disconnect(m_focusWatch);
    qApp->removeEventFilter(this);
}

app::Workspace& CProgramView::Ws() const { return m_app.Workspace(); }

void CProgramView::Apply(const Changes& changes) { m_app.Apply(changes); }

void CProgramView::CreateForm() {
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(9);
    font.setWeight(QFont::Normal);
    setFont(font);
    const DialogUnits units(QFontMetrics(font, this));

    std::map<int, QWidget*> byId;
    std::vector<QGroupBox*> groups;
    for (const TemplateControl& control : app::kFormTemplate) {
        const QRect box = units.rect(control.x, control.y, control.width, control.height);
        switch (control.kind) {
        case TemplateControl::Kind::Label: {
            auto* label = new QLabel(this);
            label->setAlignment(alignmentOf(control));
            label->setWordWrap(control.height >= app::kTwoLineHeight);
            m_labels.push_back({label, control.text, box});
            break;
        }
        case TemplateControl::Kind::Group: {
            auto* group = new QGroupBox(this);
            group->setGeometry(box);
            m_groups.push_back({group, control.text});
            groups.push_back(group);
            break;
        }
        case TemplateControl::Kind::Combo: {
            Setting setting{};
            if (!app::settingOfCombo(control.id, setting))
                break;
            auto* combo = new QComboBox(this);
            combo->setObjectName(QStringLiteral("combo%1").arg(control.id));
            combo->setCurrentIndex(-1);
            // The template's height includes the dropped list; the closed
            // box is as high as the style draws it.
            combo->setGeometry(QRect(box.topLeft(), QSize(box.width(), combo->sizeHint().height())));
            m_combos[static_cast<std::size_t>(setting)] = combo;
            byId[control.id] = combo;
            // Only a choice of the user reaches the workspace; the program's
            // own selections never do.
            connect(combo, &QComboBox::activated, this,
                    [this, setting](int index) { Apply(Ws().chooseSetting(setting, index)); });
            break;
        }
        case TemplateControl::Kind::Grid:
            m_grid = new CMSFlexGrid(kTableRows, column::kCount, this);
            m_grid->setObjectName(QStringLiteral("grid%1").arg(control.id));
            m_grid->setFont(font);
            m_grid->setGeometry(box);
            byId[control.id] = m_grid;
            break;
        default:
            break;
        }
    }
    // Group boxes only frame the boxes inside them; below them in the
    // stacking order they cannot take their clicks.
    for (QGroupBox* group : groups)
        group->lower();
    // The label beside a control names it for a screen reader, on
    // platforms that read the name from the label as on those that read the
    // control's own.
    Retranslate();
    for (const LabelText& label : m_labels) {
        const auto named = byId.find(app::labelledControl(*label.words));
        if (named != byId.end())
            label.label->setBuddy(named->second);
    }
    QWidget* previous = nullptr;
    for (int id : app::kFormTabOrder) {
        QWidget* next = byId.at(id);
        if (previous)
            QWidget::setTabOrder(previous, next);
        previous = next;
    }
    setFixedSize(units.x(app::kFormWidth), units.y(app::kFormHeight));
}

void CProgramView::CreateCellEditors() {
    QWidget* host = m_grid->CellHost();
    m_editText = new QLineEdit(host);
    m_editText->setObjectName(QStringLiteral("edit%1").arg(app::kTextBoxId));
    m_editText->setFrame(false);

    auto listBox = [&](int id, varnok::CellEditor editor) {
        auto* box = new QComboBox(host);
        box->setObjectName(QStringLiteral("combo%1").arg(id));
        m_listEditors.push_back({box, editor});
        return box;
    };
    m_cmbBusyLock = listBox(app::kBusyLockBoxId, varnok::CellEditor::BusyLock);
    m_cmbBandwidth = listBox(app::kBandwidthBoxId, varnok::CellEditor::Bandwidth);
    m_cmbScanList = listBox(app::kScanListBoxId, varnok::CellEditor::Scan);
    m_cmbPower = listBox(app::kPowerBoxId, varnok::CellEditor::Power);
    m_cmbTone = listBox(app::kToneBoxId, varnok::CellEditor::Tone);
    m_cmbTone->setEditable(true);
    m_cmbTone->setInsertPolicy(QComboBox::NoInsert);
    // What is typed is what the tone rule judges: no completion may turn
    // "67" into "67.0".
    m_cmbTone->setCompleter(nullptr);
    for (QWidget* editor : {static_cast<QWidget*>(m_editText), static_cast<QWidget*>(m_cmbTone),
                            static_cast<QWidget*>(m_cmbBusyLock), static_cast<QWidget*>(m_cmbBandwidth),
                            static_cast<QWidget*>(m_cmbScanList), static_cast<QWidget*>(m_cmbPower)}) {
        editor->setFont(font());
        editor->hide();
    }
    RetranslateEditors();
}

void CProgramView::Retranslate() {
    for (const auto& [label, words, box] : m_labels) {
        label->setText(QString::fromUtf8(text::tr(*words)));
        label->setGeometry(fitLabel(*label, box));
    }
    for (const auto& [group, words] : m_groups)
        group->setTitle(QString::fromUtf8(text::tr(*words)));
    for (Setting setting : kAllSettings) {
        QComboBox* combo = Combo(setting);
        const QSignalBlocker blocker(combo);
        const int chosen = combo->currentIndex();
        combo->clear();
        combo->addItems(toStringList(settingEntries(setting)));
        combo->setCurrentIndex(chosen);
        combo->setAccessibleName(QString::fromStdString(app::settingName(setting)));
    }
    m_grid->setAccessibleName(QString::fromUtf8(text::tr(app::strings::kChannelsTitle)));
}

void CProgramView::RetranslateEditors() {
    for (const auto& [box, editor] : m_listEditors) {
        const QSignalBlocker blocker(box);
        box->clear();
        box->addItems(toStringList(editorEntries(editor)));
    }
}

void CProgramView::LanguageChanged() {
    Retranslate();
    RetranslateEditors();
    PaintForm();
    PaintEditors();
}

void CProgramView::SetColumnWidths() {
    // Every width derives from what the grid gives column 2 before any
    // change, so the table keeps its proportions with any font or DPI.
    const auto widths = app::columnWidths(m_grid->GetColWidth(column::kTxFrequency));
    for (int col = 0; col < column::kCount; ++col)
        m_grid->SetColWidth(col, widths[static_cast<std::size_t>(col)]);
}

void CProgramView::ConnectEvents() {
    connect(m_grid, &CMSFlexGrid::EnterCell, this, [this] {
        if (!m_painting)
            Apply(Ws().moveTo(static_cast<int>(m_grid->GetRow()), static_cast<int>(m_grid->GetCol())));
    });
    connect(m_grid, &CMSFlexGrid::ChannelPressed, this,
            [this](int row, bool extend, bool toggle) { Apply(Ws().selectChannel(row, extend, toggle)); });
    connect(m_grid, &CMSFlexGrid::MouseDown, this, [this](short button, short, int, int) {
        if (m_grid->MouseCol() != 0)
            Apply(Ws().clearChannelSelection());
        Apply(Ws().press(static_cast<int>(m_grid->MouseRow()), static_cast<int>(m_grid->MouseCol()),
                         button == CMSFlexGrid::RightButton));
    });
    connect(m_grid, &CMSFlexGrid::DblClick, this, [this] {
        Apply(Ws().doubleClick(static_cast<int>(m_grid->MouseRow()), static_cast<int>(m_grid->MouseCol())));
    });
    connect(m_grid, &CMSFlexGrid::KeyPress, this, [this](char16_t key) { Apply(Ws().typed(key)); });

    // Any change the user makes, the box's own undo and redo included (they
    // are no "edits" to Qt); a text the program set is already the table's.
    for (QLineEdit* box : {m_editText, m_cmbTone->lineEdit()})
        connect(box, &QLineEdit::textChanged, this, [this, box](const QString& text) {
            if (box->hasFocus() && text.toStdString() != Ws().table().text())
                Ws().edit(text.toStdString());
        });
    for (QComboBox* box : {m_cmbTone, m_cmbBusyLock, m_cmbBandwidth, m_cmbScanList, m_cmbPower})
        connect(box, &QComboBox::activated, this, [this](int index) { Ws().choose(index); });

    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
    // Enter and Escape must reach the form before the focused window does,
    // whichever of the form's windows that is; only the application sees
    // them first.
    qApp->installEventFilter(this);
}

QWidget* CProgramView::CellEditor(varnok::CellEditor editor) const {
    switch (editor) {
    case varnok::CellEditor::Text:
        return m_editText;
    case varnok::CellEditor::Tone:
        return m_cmbTone;
    case varnok::CellEditor::BusyLock:
        return m_cmbBusyLock;
    case varnok::CellEditor::Bandwidth:
        return m_cmbBandwidth;
    case varnok::CellEditor::Scan:
        return m_cmbScanList;
    case varnok::CellEditor::Power:
        return m_cmbPower;
    default:
        return nullptr;
    }
}

QWidget* CProgramView::GetCellEditor() const { return CellEditor(Ws().table().open()); }

// ---- Painting ---------------------------------------------------------------

void CProgramView::Paint(const Changes& changes) {
    // Where the keyboard was when the event came: Tab-like moves start there,
    // even when the editor that had it is about to hide.
    QWidget* had = QApplication::focusWidget();
    if (changes.form)
        PaintForm();
    // Before an editor that has the keyboard hides, or Qt would hand the
    // keyboard to the next control in the chain.
    if (changes.focus == Focus::Grid)
        m_grid->setFocus(Qt::OtherFocusReason);
    if (changes.editor) {
        PaintCurrentCell();
        PaintEditors();
    }
    switch (changes.focus) {
    case Focus::Editor:
        if (QWidget* editor = GetCellEditor())
            editor->setFocus(Qt::OtherFocusReason);
        break;
    case Focus::NextControl:
        FocusNextControl(had);
        break;
    case Focus::ModelBox:
        Combo(Setting::Model)->setFocus(Qt::OtherFocusReason);
        break;
    default:
        break;
    }
}

void CProgramView::PaintForm() {
    const FormState& form = Ws().form();
    for (Setting setting : kAllSettings) {
        QComboBox* combo = Combo(setting);
        const QSignalBlocker blocker(combo);
        combo->setCurrentIndex(form.selection(setting));
    }
    for (int row = 0; row < kTableRows; ++row) {
        for (int col = 0; col < column::kCount; ++col) {
            m_grid->SetTextMatrix(row, col, QString::fromStdString(text::shown(form.cell(row, col))));
            m_grid->SetCellSpoken(row, col, QString::fromStdString(app::cellPhrase(form, row, col)));
        }
    }

    // Chosen channels as a selection looks; cells a comparison found
    // different in a colour of their own until the next change.
    const std::vector<int>& chosen = Ws().selectedChannels();
    const auto& marked = Ws().highlighted();
    const QBrush mark(QColor(255, 240, 160));
    for (int row = 1; row < kTableRows; ++row) {
        const bool selected = std::find(chosen.begin(), chosen.end(), row) != chosen.end();
        for (int col = 1; col < column::kCount; ++col) {
            const bool different = std::find(marked.begin(), marked.end(), std::make_pair(row, col)) != marked.end();
            m_grid->SetCellColors(row, col,
                                  selected ? palette().highlight() : different ? mark : QBrush(),
                                  selected ? palette().highlightedText() : QBrush());
        }
    }
}

void CProgramView::PaintCurrentCell() {
    const TableEditor& table = Ws().table();
    if (m_grid->GetRow() == table.row() && m_grid->GetCol() == table.col())
        return;
    m_painting = true;
    m_grid->SetCurrentCell(table.row(), table.col());
    m_painting = false;
}

void CProgramView::PaintEditors() {
    const TableEditor& table = Ws().table();
    QWidget* open = CellEditor(table.open());
    for (auto kind : {varnok::CellEditor::Text, varnok::CellEditor::Tone, varnok::CellEditor::BusyLock,
                      varnok::CellEditor::Bandwidth, varnok::CellEditor::Scan, varnok::CellEditor::Power}) {
        QWidget* editor = CellEditor(kind);
        if (editor != open)
            editor->hide();
    }
    if (!open)
        return;

    const QRect cell(static_cast<int>(m_grid->TwipsToPixelsX(m_grid->GetCellLeft())) - app::kEditorInset,
                     static_cast<int>(m_grid->TwipsToPixelsY(m_grid->GetCellTop())) - app::kEditorInset,
                     static_cast<int>(m_grid->TwipsToPixelsX(m_grid->GetCellWidth())),
                     static_cast<int>(m_grid->TwipsToPixelsY(m_grid->GetCellHeight())));
    const QSignalBlocker blocker(open);
    if (open == m_editText) {
        m_editText->setGeometry(cell);
        m_editText->setText(QString::fromStdString(table.text()));
        if (table.textSelected())
            m_editText->selectAll();
        else
            m_editText->end(false);
    } else {
        auto* box = static_cast<QComboBox*>(open);
        box->setCurrentIndex(table.entry(table.open()));
        if (box->isEditable()) {
            const QSignalBlocker fieldBlocker(box->lineEdit());
            box->setEditText(QString::fromStdString(text::shown(table.toneText())));
            if (table.textSelected())
                box->lineEdit()->selectAll();
            else
                box->lineEdit()->end(false);
        }
        // The field covers the cell; the room below it, which a window's
        // own rectangle would hold, is the dropped list's.
        box->setGeometry(cell);
        const int itemHeight = std::max(1, box->view()->sizeHintForRow(0));
        box->setMaxVisibleItems(std::max(1, app::kDroppedListRoom / itemHeight));
    }
    open->show();
    open->raise();
    m_grid->viewport()->update();
}

// ---- The keyboard -------------------------------------------------------------

varnok::FocusPlace CProgramView::PlaceOf(const QWidget* widget) const {
    if (!widget)
        return FocusPlace::Elsewhere;
    if (widget == m_grid || widget == m_grid->viewport())
        return FocusPlace::Grid;
    for (QComboBox* box : {m_cmbTone, m_cmbBusyLock, m_cmbBandwidth, m_cmbScanList, m_cmbPower}) {
        const QWidget* popup = box->view()->window();
        if (widget == box || box->isAncestorOf(widget) || widget == popup || popup->isAncestorOf(widget))
            return FocusPlace::Editor;
    }
    if (widget == m_editText)
        return FocusPlace::Editor;
    return FocusPlace::Elsewhere;
}

void CProgramView::OnFocusChanged(QWidget* now) {
    // A window losing the keyboard to another program leaves no focus
    // widget; the place the keyboard comes back to is reported then.
    if (now)
        Ws().setFocus(PlaceOf(now));
}

bool CProgramView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    auto* target = static_cast<QWidget*>(watched);
    if (key == Qt::Key_Escape) {
        // The editors do not use Escape; passed on it would reach the grid.
        if (PlaceOf(target) != FocusPlace::Editor || target->window() != window())
            return false;
        Apply(Ws().escape());
        return true;
    }
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    if (target == this || isAncestorOf(target)) {
        OnEnterKey(target);
        return true;
    }
    // A dropped list holds the keyboard itself. Enter there takes the
    // highlighted entry and then goes on as Enter in its box. The list may
    // already have closed itself, when the key was offered as a shortcut.
    for (QComboBox* box : {m_cmbTone, m_cmbBusyLock, m_cmbBandwidth, m_cmbScanList, m_cmbPower}) {
        QWidget* popup = box->view()->window();
        if (target != popup && !popup->isAncestorOf(target))
            continue;
        const QModelIndex highlighted = box->view()->currentIndex();
        if (highlighted.isValid())
            Ws().choose(highlighted.row());
        box->hidePopup();
        OnEnterKey(box);
        return true;
    }
    return false;
}

void CProgramView::OnEnterKey(QWidget* target) {
    Ws().setFocus(PlaceOf(target));
    Apply(Ws().enter());
}

void CProgramView::FocusNextControl(QWidget* from) {
    // The form's controls take the focus in template order; a window inside
    // a control (an editor over the grid) counts as that control.
    QWidget* control = from;
    while (control && control->parentWidget() != this)
        control = control->parentWidget();
    if (!control)
        return;
    for (QWidget* next = control->nextInFocusChain(); next && next != control; next = next->nextInFocusChain()) {
        if (!isAncestorOf(next) || control->isAncestorOf(next) || next->focusProxy())
            continue;
        if ((next->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && next->isEnabled() && next->isVisibleTo(this)) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}
