#include "editor/program_view.h"

#include "app/program_app.h"
#include "app/program_doc.h"
#include "editor/dialog_units.h"
#include "editor/flex_grid.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QSignalBlocker>

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
    m_cmbTone->addItems(m_app.m_arrTones);

    for (QWidget* editor : CellEditors()) {
        editor->setFont(font());
        editor->hide();
    }
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

void CProgramView::CommitEdit() {}

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
