#include "qt/program_view.h"

#include "qt/program_app.h"
#include "qt/program_doc.h"
#include "qt/dialog_units.h"
#include "qt/flex_grid.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QSignalBlocker>

#include <algorithm>
#include <vector>

using namespace varnok;

namespace {

enum class Kind { Label, Group, Combo, Grid };

/// One control of the form template, in template order (which is also the
/// tab order). Positions are dialog units.
struct Control {
    Kind kind;
    int id;
    const char* text;
    struct {
        int x, y, width, height;
    } at;
    Qt::Alignment alignment;
};

// clang-format off
constexpr Control kTemplate[] = {
    {Kind::Label, 0, "机型", {20, 20, 16, 9}, Qt::AlignLeft | Qt::AlignTop},
    {Kind::Label, 0, "频率", {20, 36, 15, 9}, Qt::AlignLeft | Qt::AlignTop},
    {Kind::Combo, 1011, "", {42, 34, 61, 59}, {}},
    {Kind::Group, 0, "机型设置", {8, 8, 109, 43}, {}},
    {Kind::Combo, 1017, "", {42, 18, 61, 52}, {}},
    {Kind::Group, 0, "功能设置", {8, 54, 109, 160}, {}},
    {Kind::Label, 0, "发射限时", {13, 68, 29, 8}, Qt::AlignRight | Qt::AlignVCenter},
    {Kind::Combo, 1013, "", {48, 66, 64, 52}, {}},
    {Kind::Label, 0, "提示音", {13, 84, 29, 8}, Qt::AlignRight | Qt::AlignVCenter},
    {Kind::Combo, 1014, "", {48, 82, 64, 52}, {}},
    {Kind::Label, 0, "静噪电平", {13, 100, 29, 8}, Qt::AlignRight | Qt::AlignVCenter},
    {Kind::Label, 0, "监听", {29, 197, 13, 8}, Qt::AlignRight | Qt::AlignVCenter},
    {Kind::Combo, 1016, "", {48, 98, 64, 52}, {}},
    {Kind::Combo, 1012, "", {48, 195, 64, 52}, {}},
    {Kind::Label, 0, "扫描", {22, 132, 20, 8}, Qt::AlignRight | Qt::AlignVCenter},
    {Kind::Combo, 1075, "", {48, 130, 64, 42}, {}},
    {Kind::Label, 0, " 报号选择", {13, 147, 29, 8}, Qt::AlignRight | Qt::AlignVCenter},
    {Kind::Combo, 1076, "", {48, 146, 64, 46}, {}},
    {Kind::Label, 0, "紧急呼叫          开关", {13, 161, 29, 15}, Qt::AlignLeft | Qt::AlignTop},
    {Kind::Combo, 1077, "", {48, 162, 64, 57}, {}},
    {Kind::Label, 0, "省电开关", {13, 117, 29, 8}, Qt::AlignRight | Qt::AlignVCenter},
    {Kind::Combo, 1078, "", {48, 114, 64, 30}, {}},
    {Kind::Grid, 1007, "", {124, 33, 352, 167}, {}},
    {Kind::Label, 0, "信道设置", {125, 16, 40, 8}, Qt::AlignLeft | Qt::AlignTop},
    {Kind::Label, 0, "拒绝紧急报警", {11, 177, 31, 17}, Qt::AlignRight | Qt::AlignTop},
    {Kind::Combo, 1015, "", {48, 178, 64, 52}, {}},
};
// clang-format on

/// The form template's size in dialog units.
constexpr int kFormWidth = 485;
constexpr int kFormHeight = 221;
/// A label this many dialog units high holds two lines and wraps.
constexpr int kTwoLineHeight = 15;

constexpr std::pair<Setting, int> kComboIds[] = {
    {Setting::Model, 1017},     {Setting::Band, 1011},      {Setting::TxTimeLimit, 1013}, {Setting::KeyBeep, 1014},
    {Setting::Squelch, 1016},   {Setting::Monitor, 1012},   {Setting::Scan, 1075},        {Setting::Voice, 1076},
    {Setting::Emergency, 1077}, {Setting::PowerSave, 1078}, {Setting::RejectAlarm, 1015},
};

Setting settingOfCombo(int id) {
    for (const auto& [setting, comboId] : kComboIds)
        if (comboId == id)
            return setting;
    return Setting::Model;
}

QStringList toStringList(const std::vector<std::string>& entries) {
    QStringList list;
    for (const std::string& entry : entries)
        list << QString::fromStdString(entry);
    return list;
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

int CProgramView::ComboId(Setting setting) {
    for (const auto& [s, id] : kComboIds)
        if (s == setting)
            return id;
    return 0;
}

CProgramView::CProgramView(CProgramApp& app, QWidget* parent) : QWidget(parent), m_app(app) { CreateForm(); }

void CProgramView::CreateForm() {
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(9);
    font.setWeight(QFont::Normal);
    setFont(font);
    const DialogUnits units(QFontMetrics(font, this));

    std::vector<QWidget*> tabOrder;
    std::vector<QGroupBox*> groups;
    for (const Control& control : kTemplate) {
        const QRect box = units.rect(control.at.x, control.at.y, control.at.width, control.at.height);
        const QString text = QString::fromUtf8(control.text);
        switch (control.kind) {
        case Kind::Label: {
            auto* label = new QLabel(text, this);
            label->setAlignment(control.alignment);
            label->setWordWrap(control.at.height >= kTwoLineHeight);
            label->setGeometry(fitLabel(*label, box));
            break;
        }
        case Kind::Group: {
            auto* group = new QGroupBox(text, this);
            group->setGeometry(box);
            groups.push_back(group);
            break;
        }
        case Kind::Combo: {
            const Setting setting = settingOfCombo(control.id);
            auto* combo = new QComboBox(this);
            combo->setObjectName(QStringLiteral("combo%1").arg(control.id));
            combo->addItems(toStringList(settingEntries(setting)));
            combo->setCurrentIndex(-1);
            // The template's height includes the dropped list; the closed
            // box is as high as the style draws it.
            combo->setGeometry(QRect(box.topLeft(), QSize(box.width(), combo->sizeHint().height())));
            m_combos[static_cast<std::size_t>(setting)] = combo;
            tabOrder.push_back(combo);
            break;
        }
        case Kind::Grid:
            m_grid = new CMSFlexGrid(kTableRows, column::kCount, this);
            m_grid->setObjectName(QStringLiteral("grid%1").arg(control.id));
            m_grid->setFont(font);
            m_grid->setGeometry(box);
            tabOrder.push_back(m_grid);
            break;
        }
    }
    // Group boxes only frame the boxes inside them; below them in the
    // stacking order they cannot take their clicks.
    for (QGroupBox* group : groups)
        group->lower();
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    setFixedSize(units.x(kFormWidth), units.y(kFormHeight));

    // Only a choice of the user runs the model change; the program's own
    // selections (decoding, starting entries) never do.
    connect(Combo(Setting::Model), &QComboBox::activated, this, &CProgramView::OnSelchangeModel);
}

void CProgramView::CreateCellEditors() {
    QWidget* host = m_grid->CellHost();
    m_editText = new QLineEdit(host);
    m_editText->setObjectName(QStringLiteral("edit%1").arg(kTextBoxId));
    m_editText->setFrame(false);

    auto listBox = [&](int id, int col) {
        auto* box = new QComboBox(host);
        box->setObjectName(QStringLiteral("combo%1").arg(id));
        box->addItems(toStringList(columnEntries(col)));
        return box;
    };
    m_cmbBusyLock = listBox(kBusyLockBoxId, column::kBusyLock);
    m_cmbBandwidth = listBox(kBandwidthBoxId, column::kBandwidth);
    m_cmbScanList = listBox(kScanListBoxId, column::kScan);
    m_cmbPower = listBox(kPowerBoxId, column::kPower);

    m_cmbTone = new QComboBox(host);
    m_cmbTone->setObjectName(QStringLiteral("combo%1").arg(kToneBoxId));
    m_cmbTone->setEditable(true);
    // What is typed is what the tone rule judges: no completion may turn
    // "67" into "67.0".
    m_cmbTone->setCompleter(nullptr);
    m_cmbTone->addItems(m_app.m_arrTones);

    for (QWidget* editor : CellEditors()) {
        editor->setFont(font());
        editor->hide();
    }
    ConnectCellEditing();
}

void CProgramView::HideCellEditors() {
    for (QWidget* editor : CellEditors())
        if (editor)
            editor->hide();
}

std::array<QWidget*, 6> CProgramView::CellEditors() const {
    return {m_editText, m_cmbTone, m_cmbBusyLock, m_cmbBandwidth, m_cmbScanList, m_cmbPower};
}

void CProgramView::HideModelChangeEditors() {
    // A model change closes these three unfinished; a bandwidth, scan-list
    // or power box that is open stays open over its cell.
    for (QWidget* editor :
         {static_cast<QWidget*>(m_editText), static_cast<QWidget*>(m_cmbTone), static_cast<QWidget*>(m_cmbBusyLock)})
        if (editor)
            editor->hide();
}

void CProgramView::OnInitialUpdate() {
    ResizeParentToFit();
    if (!m_app.m_bEditorsCreated) {
        CreateCellEditors();
        for (int col = 0; col < column::kCount; ++col)
            m_grid->SetColAlignment(col, CMSFlexGrid::flexAlignCenterCenter);
        m_app.m_bEditorsCreated = true;
        SetColumnWidths();
        ShowSelections(startingForm());
    }
    m_editText->clear();
    HideCellEditors();
    ImageToForm();
    ShowTableFrame();
    Combo(Setting::Model)->setFocus();
}

void CProgramView::SetColumnWidths() {
    // Every width derives from what the grid gives column 2 before any
    // change, so the table keeps its proportions with any font or DPI.
    const long w = m_grid->GetColWidth(column::kTxFrequency);
    const auto wide = static_cast<long>(w * 1.25);
    m_grid->SetColWidth(column::kTxFrequency, wide);
    m_grid->SetColWidth(column::kRxFrequency, wide);
    m_grid->SetColWidth(column::kChannel, static_cast<long>(w * 0.5));
    m_grid->SetColWidth(column::kDecodeTone, wide);
    m_grid->SetColWidth(column::kEncodeTone, wide);
    m_grid->SetColWidth(column::kBandwidth, static_cast<long>(w / 1.4));
    m_grid->SetColWidth(column::kBusyLock, static_cast<long>(w / 1.2));
    m_grid->SetColWidth(column::kScan, static_cast<long>(w / 1.4));
    m_grid->SetColWidth(column::kPower, static_cast<long>(w / 1.4));
}

void CProgramView::ResizeParentToFit() {
    QWidget* frame = window();
    if (frame == this)
        return;
    if (frame->layout())
        frame->layout()->activate();
    const QSize wanted = frame->sizeHint();
    if (!wanted.isValid())
        return;
    frame->resize(std::min(frame->width(), wanted.width()), std::min(frame->height(), wanted.height()));
}

void CProgramView::ImageToForm() {
    if (!m_pDocument)
        return;
    FormState form = CurrentForm();
    decodeImage(m_pDocument->m_image, form);
    HideModelChangeEditors();
    FillBandBox();
    ShowSelections(form);
    ShowChannels(form);
    // The current cell's editor was loaded from the table that was there
    // before; a click on the same cell must not bring that value back.
    OnGridEnterCell();
}

void CProgramView::FormToImage() {
    if (m_pDocument)
        encodeForm(CurrentForm(), m_pDocument->m_image);
}

void CProgramView::OnSelchangeModel() {
    HideModelChangeEditors();
    if (!m_pDocument)
        return;
    FormState form = CurrentForm();
    applyModelChange(form, m_pDocument->m_image);
    FillBandBox();
    ShowSelections(form);
}

void CProgramView::CommitEdit() { OnGridLeaveCell(); }

FormState CProgramView::CurrentForm() const {
    FormState form;
    for (Setting setting : kAllSettings)
        form.select(setting, Combo(setting)->currentIndex());
    for (int row = 0; row < kTableRows; ++row)
        for (int col = 0; col < column::kCount; ++col)
            form.cell(row, col) = m_grid->GetTextMatrix(row, col).toStdString();
    return form;
}

int CProgramView::ModelSelection() const { return Combo(Setting::Model)->currentIndex(); }

void CProgramView::FillBandBox() {
    QComboBox* band = Combo(Setting::Band);
    const QSignalBlocker blocker(band);
    band->clear();
    band->addItems(toStringList(settingEntries(Setting::Band)));
}

void CProgramView::ShowSelections(const FormState& form) {
    for (Setting setting : kAllSettings) {
        QComboBox* combo = Combo(setting);
        const QSignalBlocker blocker(combo);
        combo->setCurrentIndex(form.selection(setting));
    }
}

void CProgramView::ShowChannels(const FormState& form) {
    for (int row = 1; row < kTableRows; ++row)
        for (int col = 1; col < column::kCount; ++col)
            m_grid->SetTextMatrix(row, col, QString::fromStdString(form.cell(row, col)));
}

void CProgramView::ShowTableFrame() {
    FormState frame;
    writeTableFrame(frame);
    for (int col = 0; col < column::kCount; ++col)
        m_grid->SetTextMatrix(0, col, QString::fromStdString(frame.cell(0, col)));
    for (int row = 1; row < kTableRows; ++row)
        m_grid->SetTextMatrix(row, column::kChannel, QString::fromStdString(frame.cell(row, column::kChannel)));
}

// In-place cell editing. The editors are plain widgets laid over the grid,
// as the grid's events and the Enter key open, load and commit them; every
// decision about a value is the entry rules'.

namespace {

/// The last channel's row: Enter in its flag lists leaves the table.
constexpr long kLastChannel = kTableRows - 1;
/// Room below a list editor's field for its dropped list, in pixels.
constexpr int kDroppedListRoom = 100;
/// Editors sit this many pixels up and left of the cell they edit.
constexpr int kEditorInset = 3;

bool isDigitKey(char16_t ch) { return ch >= u'0' && ch <= u'9'; }

} // namespace

void CProgramView::ConnectCellEditing() {
    connect(m_grid, &CMSFlexGrid::DblClick, this, &CProgramView::OnGridDblClick);
    connect(m_grid, &CMSFlexGrid::MouseDown, this, &CProgramView::OnGridMouseDown);
    connect(m_grid, &CMSFlexGrid::KeyPress, this, &CProgramView::OnGridKeyPress);
    connect(m_grid, &CMSFlexGrid::EnterCell, this, &CProgramView::OnGridEnterCell);
    connect(m_grid, &CMSFlexGrid::LeaveCell, this, &CProgramView::OnGridLeaveCell);
    // Enter must reach the form before the focused window does, whichever
    // of the form's windows that is; only the application sees it first.
    qApp->installEventFilter(this);
}

QWidget* CProgramView::GetCellEditor() const {
    switch (m_grid->GetCol()) {
    case column::kDecodeTone:
    case column::kEncodeTone:
        return m_cmbTone;
    case column::kBusyLock:
        return m_cmbBusyLock;
    case column::kBandwidth:
        return m_cmbBandwidth;
    case column::kScan:
        return m_cmbScanList;
    case column::kPower:
        return m_cmbPower;
    default:
        return m_editText;
    }
}

void CProgramView::ShowCellEditor(char16_t ch, QWidget* editor) {
    if (!editor)
        editor = GetCellEditor();
    if (!editor)
        return;
    auto* box = qobject_cast<QComboBox*>(editor);
    // A key the user typed goes straight into the editor: handing it over
    // through the clipboard would destroy what the user had copied.
    const bool typed = ch != 0 && ch != 13;

    // What the text box shows on an empty cell: what it held, and a digit.
    QString s;
    if (ch >= 32) {
        s = m_editText->text();
        if (isDigitKey(ch))
            s += QChar(ch);
        else if (numberKeyWarns(ch, static_cast<int>(m_grid->GetCol())))
            ShowEntryMessage(EntryMessage::InputNumber);
    }

    const QRect cell(static_cast<int>(m_grid->TwipsToPixelsX(m_grid->GetCellLeft())) - kEditorInset,
                     static_cast<int>(m_grid->TwipsToPixelsY(m_grid->GetCellTop())) - kEditorInset,
                     static_cast<int>(m_grid->TwipsToPixelsX(m_grid->GetCellWidth())),
                     static_cast<int>(m_grid->TwipsToPixelsY(m_grid->GetCellHeight())));
    if (box) {
        if (typed)
            box->setEditText(QString(QChar(ch))); // the drop-down lists have no text to set
        else if (box->lineEdit())
            box->lineEdit()->selectAll(); // typing replaces the tone, as in the text box
        // The field covers the cell; the room below it, which a window's
        // own rectangle would hold, is the dropped list's.
        box->setGeometry(cell);
        const int itemHeight = std::max(1, box->view()->sizeHintForRow(0));
        box->setMaxVisibleItems(std::max(1, kDroppedListRoom / itemHeight));
    } else {
        m_editText->setGeometry(cell);
        const QString cellText = m_grid->GetText();
        // A typed key leaves the caret after the text, ready for the next;
        // otherwise the whole text is selected, to be typed over.
        if (typed) {
            m_editText->setText(cellText.isEmpty() ? s : QString(QChar(ch)));
        } else {
            m_editText->setText(cellText.isEmpty() ? s : cellText);
            m_editText->selectAll();
        }
    }
    editor->show();
    editor->raise();
    editor->setFocus(Qt::OtherFocusReason);
    m_grid->viewport()->update();
}

void CProgramView::OnGridDblClick() {
    if (m_grid->GetCol() != 0 && m_grid->GetRow() != 0)
        ShowCellEditor(0);
}

void CProgramView::OnGridMouseDown(short button, short /*shift*/, int /*x*/, int /*y*/) {
    // A press on a header, a channel number or below the table leaves the
    // current cell where it was; it must not open that cell's editor.
    const bool onCurrentCell = m_grid->MouseRow() == m_grid->GetRow() && m_grid->MouseCol() == m_grid->GetCol();
    if (button != CMSFlexGrid::RightButton && onCurrentCell && m_grid->GetCol() != 0 && m_grid->GetRow() != 0)
        ShowCellEditor(0);
}

void CProgramView::OnGridKeyPress(char16_t key) {
    if (keyOpensEditor(key, static_cast<int>(m_grid->GetRow()), static_cast<int>(m_grid->GetCol())))
        ShowCellEditor(key);
}

void CProgramView::OnGridEnterCell() {
    if (!m_editText || m_grid->GetRow() == 0)
        return;
    const QString text = m_grid->GetText();
    QWidget* editor = GetCellEditor();
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        const int found = text.isEmpty() ? 0 : box->findText(text, Qt::MatchStartsWith);
        box->setCurrentIndex(std::max(found, 0));
    } else {
        m_editText->setText(text);
    }
}

void CProgramView::OnGridLeaveCell() {
    const long row = m_grid->GetRow();
    if (!m_editText || row == 0)
        return;
    QWidget* editor = GetCellEditor();
    if (editor->isHidden())
        return;
    if (editor == m_cmbTone) {
        m_grid->SetTextMatrix(row, m_grid->GetColSel(), ToneCellText());
    } else if (auto* box = qobject_cast<QComboBox*>(editor)) {
        const bool taken = rowHasFrequency(CurrentForm(), static_cast<int>(row));
        m_grid->SetText(taken ? box->currentText() : QString());
    } else {
        const FrequencyCheck check = checkFrequencyEntry(m_editText->text().toStdString(), CheckMode::Leave,
                                                         Combo(Setting::Band)->currentIndex());
        for (EntryMessage message : check.messages)
            ShowEntryMessage(message);
        WriteFrequency(static_cast<int>(row), static_cast<int>(m_grid->GetCol()), check.committedText());
    }
    // Hiding a focused editor would hand the keyboard to the next control
    // in the chain, a settings box, where the next keys would silently
    // change a setting; the grid's current cell takes it back instead.
    const QWidget* focus = QApplication::focusWidget();
    if (focus && (focus == editor || editor->isAncestorOf(focus)))
        m_grid->setFocus(Qt::OtherFocusReason);
    editor->hide();
}

bool CProgramView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !m_editText || !watched->isWidgetType())
        return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    auto* target = static_cast<QWidget*>(watched);
    if (key == Qt::Key_Escape) {
        // Escape does nothing to an open editor. The editors do not use it,
        // and passed on it would reach the grid as a typed key.
        for (QWidget* editor : CellEditors())
            if (target == editor || editor->isAncestorOf(target))
                return true;
        return false;
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
            box->setCurrentIndex(highlighted.row());
        box->hidePopup();
        OnEnterKey(box);
        return true;
    }
    return false;
}

void CProgramView::OnEnterKey(QWidget* focus) {
    const long row = m_grid->GetRow();
    const long col = m_grid->GetCol();
    // Each path hides its editor before it moves the current cell, so the
    // leave that the move raises finds nothing open to commit again.
    if (focus == m_editText) {
        if (col == column::kBandwidth) {
            FocusNextControl(focus);
            return;
        }
        const FrequencyCheck check = checkFrequencyEntry(m_editText->text().toStdString(), CheckMode::Enter,
                                                         Combo(Setting::Band)->currentIndex());
        for (EntryMessage message : check.messages)
            ShowEntryMessage(message);
        using Outcome = FrequencyCheck::Outcome;
        if (check.outcome == Outcome::RefusedRange || check.outcome == Outcome::RefusedStep) {
            // The cell keeps its text; the user tries again in place.
            m_editText->clear();
            m_editText->setFocus(Qt::OtherFocusReason);
            return;
        }
        WriteFrequency(static_cast<int>(row), static_cast<int>(col), check.committedText());
        m_editText->hide();
        m_grid->SetCol(col + 1);
        ShowCellEditor(13);
        return;
    }
    if (focus == m_cmbBusyLock || focus == m_cmbBandwidth || focus == m_cmbScanList || focus == m_cmbPower) {
        auto* box = static_cast<QComboBox*>(focus);
        TakeListValue(box);
        box->hide();
        if (row >= kLastChannel) {
            FocusNextControl(m_grid);
        } else if (box == m_cmbPower) {
            // The next channel's receive frequency.
            m_grid->SetRow(row + 1);
            m_grid->SetCol(column::kRxFrequency);
            ShowCellEditor(13);
        } else {
            m_grid->SetCol(col + 1);
            ShowCellEditor(13);
        }
        return;
    }
    if (focus == m_grid) {
        if (col == column::kBandwidth)
            FocusNextControl(m_grid);
        else if (col + 1 < column::kCount)
            m_grid->SetCol(col + 1);
        return;
    }
    if (m_cmbTone->isHidden()) {
        FocusNextControl(focus);
        return;
    }
    m_grid->SetText(ToneCellText());
    m_cmbTone->hide();
    m_grid->SetCol(col + 1);
    ShowCellEditor(13);
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

void CProgramView::TakeListValue(QComboBox* box) {
    // A row without a frequency keeps its cell as it was.
    if (rowHasFrequency(CurrentForm(), static_cast<int>(m_grid->GetRow())))
        m_grid->SetText(box->currentText());
}

QString CProgramView::ToneCellText() const {
    if (!rowHasFrequency(CurrentForm(), static_cast<int>(m_grid->GetRow())))
        return QString();
    return QString::fromStdString(normalizeToneName(m_cmbTone->currentText().toStdString()));
}

void CProgramView::WriteFrequency(int row, int col, const std::string& text) {
    FormState form = CurrentForm();
    writeFrequency(form, row, col, text);
    for (int c = column::kRxFrequency; c < column::kCount; ++c)
        m_grid->SetTextMatrix(row, c, QString::fromStdString(form.cell(row, c)));
}

void CProgramView::ShowEntryMessage(EntryMessage message) {
    const QString text = QString::fromUtf8(entryMessageText(message));
    if (message == EntryMessage::OutOfRange)
        m_app.m_prompts.captionedMessage(this, QMessageBox::Information, QStringLiteral("Prompt"), text);
    else
        m_app.Message(QMessageBox::Warning, text);
}
