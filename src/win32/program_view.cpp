#include "win32/program_view.h"

#include "app/form_template.h"
#include "text/texts.h"
#include "win32/flex_grid.h"
#include "win32/program_app.h"
#include "win32/resource.h"
#include "win32/wide.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

using namespace varnok;
using varnok::app::Changes;
using varnok::app::Focus;
using varnok::win32::narrow;
using varnok::win32::widen;

namespace {

/// Light enough that a cell's text reads as well as on white.
constexpr COLORREF kDifferenceColor = RGB(255, 240, 160);

constexpr varnok::CellEditor kEditors[] = {varnok::CellEditor::Text,     varnok::CellEditor::Tone,
                                           varnok::CellEditor::BusyLock, varnok::CellEditor::Bandwidth,
                                           varnok::CellEditor::Scan,     varnok::CellEditor::Power};

/// The entries are the form's Chinese words, shown in the current language.
void fillList(HWND box, const std::vector<std::string>& entries) {
    SendMessageW(box, CB_RESETCONTENT, 0, 0);
    for (const std::string& entry : entries)
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(text::shown(entry)).c_str()));
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool isCombo(HWND window) {
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    return lstrcmpiW(name, WC_COMBOBOXW) == 0;
}

} // namespace

CProgramView::CProgramView(CProgramApp& app) : m_app(app) {}

app::Workspace& CProgramView::Ws() const { return m_app.Workspace(); }

void CProgramView::Apply(const Changes& changes) { m_app.Apply(changes); }

bool CProgramView::Create(HWND parent) {
    CMSFlexGrid::Register(GetModuleHandleW(nullptr));
    m_hWnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_FORM), parent, DialogProc,
                                reinterpret_cast<LPARAM>(this));
    return m_hWnd != nullptr;
}

INT_PTR CALLBACK CProgramView::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* view = reinterpret_cast<CProgramView*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        view->m_hWnd = window;
        view->OnInitDialog();
        return FALSE; // the keyboard goes to the model box with the first document
    }
    auto* view = reinterpret_cast<CProgramView*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!view)
        return FALSE;
    if (message == WM_COMMAND) {
        view->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return TRUE;
    }
    return FALSE;
}

void CProgramView::OnInitDialog() {
    m_templateWindows = win32::templateWindows(m_hWnd, app::kFormTemplate);
    win32::showTemplateTexts(m_templateWindows);
    FitLabels();
    for (Setting setting : kAllSettings)
        m_combos[static_cast<std::size_t>(setting)] = GetDlgItem(m_hWnd, app::comboId(setting));
    m_grid = CMSFlexGrid::FromHandle(GetDlgItem(m_hWnd, app::kGridId));
    CreateCellEditors();
    FillLists();
    // Tab follows the form as a user reads it down the page, which is the
    // order of the windows, not the template's.
    HWND after = HWND_TOP;
    for (int id : app::kFormTabOrder) {
        HWND control = GetDlgItem(m_hWnd, id);
        SetWindowPos(control, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = control;
    }

    // Every width derives from what the grid gives column 2 before any
    // change, so the table keeps its proportions with any font or DPI.
    const auto widths = app::columnWidths(m_grid->GetColWidth(column::kTxFrequency));
    for (int col = 0; col < column::kCount; ++col)
        m_grid->SetColWidth(col, widths[static_cast<std::size_t>(col)]);

    m_grid->EnterCell = [this] {
        if (!m_painting)
            Apply(Ws().moveTo(static_cast<int>(m_grid->GetRow()), static_cast<int>(m_grid->GetCol())));
    };
    m_grid->MouseDown = [this](short button, short shift) {
        const int row = static_cast<int>(m_grid->MouseRow());
        const int col = static_cast<int>(m_grid->MouseCol());
        m_selecting = button == CMSFlexGrid::LeftButton && col == column::kChannel && row >= 1 && row < kTableRows;
        if (m_selecting) {
            Apply(Ws().selectChannel(row, (shift & CMSFlexGrid::ShiftMask) != 0, (shift & CMSFlexGrid::CtrlMask) != 0));
            m_dragRow = row;
            return;
        }
        Apply(Ws().clearChannelSelection());
        Apply(Ws().press(row, col, button == CMSFlexGrid::RightButton));
    };
    m_grid->MouseMove = [this](short buttons, short) {
        // Only a drag that started on a channel number selects, and only a
        // new row changes the selection.
        const int row = static_cast<int>(m_grid->MouseRow());
        if (!(buttons & CMSFlexGrid::LeftButton))
            m_selecting = false;
        if (!m_selecting || m_grid->MouseCol() != column::kChannel || row < 1 || row >= kTableRows || row == m_dragRow)
            return;
        m_dragRow = row;
        Apply(Ws().selectChannel(row, true, false));
    };
    m_grid->DblClick = [this] {
        Apply(Ws().doubleClick(static_cast<int>(m_grid->MouseRow()), static_cast<int>(m_grid->MouseCol())));
    };
    m_grid->KeyPress = [this](char32_t key) { Apply(Ws().typed(key)); };
}

void CProgramView::FitLabels() {
    // The template's boxes were sized for the vendor's fonts; a label whose
    // text needs more room with the fonts at hand grows instead of clipping,
    // away from the side it is aligned to (both ways vertically). Each fit
    // starts from the template's box, so a label fitted to longer words
    // shrinks back with shorter ones.
    HDC dc = GetDC(m_hWnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
    for (const auto& [control, child] : m_templateWindows) {
        if (control->kind == app::TemplateControl::Kind::Label) {
            RECT box{control->x, control->y, control->width, control->height}; // corner and size, as dialogs map them
            MapDialogRect(m_hWnd, &box);
            box.right += box.left;
            box.bottom += box.top;
            const std::wstring text = windowText(child);
            RECT needed{0, 0, box.right - box.left, 0};
            const bool twoLines = control->height >= app::kTwoLineHeight;
            DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_NOPREFIX | (twoLines ? DT_WORDBREAK : 0));
            if (twoLines && needed.bottom > box.bottom - box.top) {
                const LONG grow = needed.bottom - (box.bottom - box.top);
                box.top -= grow / 2;
                box.bottom += grow - grow / 2;
            } else if (!twoLines && needed.right > box.right - box.left) {
                if (control->align == app::TemplateControl::Align::Right)
                    box.left = box.right - needed.right;
                else
                    box.right = box.left + needed.right;
            }
            SetWindowPos(child, nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    SelectObject(dc, old);
    ReleaseDC(m_hWnd, dc);
}

void CProgramView::CreateCellEditors() {
    HWND grid = m_grid->GetSafeHwnd();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const auto font = static_cast<WPARAM>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    auto make = [&](const wchar_t* cls, DWORD style, int id) {
        HWND window = CreateWindowExW(0, cls, L"", WS_CHILD | style, 0, 0, 100, 100, grid,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        SendMessageW(window, WM_SETFONT, font, FALSE);
        return window;
    };
    // Single line, no border, no scrolling: it takes as much text as fits.
    m_editText = make(WC_EDITW, ES_LEFT, app::kTextBoxId);
    const auto list = [&](int id) { return make(WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL, id); };
    m_cmbBusyLock = list(app::kBusyLockBoxId);
    m_cmbBandwidth = list(app::kBandwidthBoxId);
    m_cmbScanList = list(app::kScanListBoxId);
    m_cmbPower = list(app::kPowerBoxId);
    m_cmbTone = make(WC_COMBOBOXW, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, app::kToneBoxId);
}

void CProgramView::FillLists() {
    for (Setting setting : kAllSettings)
        fillList(Combo(setting), settingEntries(setting));
    for (varnok::CellEditor kind : kEditors)
        if (kind != varnok::CellEditor::Text)
            fillList(CellEditor(kind), editorEntries(kind));
}

void CProgramView::ShowTexts() {
    win32::showTemplateTexts(m_templateWindows);
    FitLabels();
    m_painting = true;
    FillLists();
    PaintForm(); // the boxes' selections too, which the new entries cleared
    if (GetCellEditor())
        PaintEditors();
    m_painting = false;
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CProgramView::OnCommand(int id, int code, HWND control) {
    if (m_painting || !control)
        return;
    Setting setting{};
    if (app::settingOfCombo(id, setting)) {
        // Only a choice of the user reaches the workspace; the program's
        // own selections send no notification.
        if (code == CBN_SELCHANGE)
            Apply(Ws().chooseSetting(setting, static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0))));
        return;
    }
    if (id == app::kTextBoxId && code == EN_CHANGE) {
        Ws().edit(narrow(windowText(control)));
    } else if (id == app::kToneBoxId && code == CBN_EDITCHANGE) {
        Ws().edit(narrow(windowText(control)));
    } else if (code == CBN_SELCHANGE && GetParent(control) == m_grid->GetSafeHwnd()) {
        const auto index = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
        if (index >= 0)
            Ws().choose(index);
    }
}

HWND CProgramView::CellEditor(varnok::CellEditor editor) const {
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

HWND CProgramView::GetCellEditor() const { return CellEditor(Ws().table().open()); }

// ---- Painting ---------------------------------------------------------------

void CProgramView::Paint(const Changes& changes) {
    // Where the keyboard was when the event came: Tab-like moves start there,
    // even when the editor that had it is about to hide.
    HWND had = GetFocus();
    m_painting = true;
    if (changes.form)
        PaintForm();
    // Before an editor that has the keyboard hides, or Windows would leave
    // the keyboard with a hidden window.
    if (changes.focus == Focus::Grid)
        SetFocus(m_grid->GetSafeHwnd());
    if (changes.editor) {
        PaintCurrentCell();
        PaintEditors();
    }
    m_painting = false;
    switch (changes.focus) {
    case Focus::Editor:
        if (HWND editor = GetCellEditor())
            SetFocus(editor);
        break;
    case Focus::NextControl:
        FocusNextControl(had);
        break;
    case Focus::ModelBox:
        SetFocus(Combo(Setting::Model));
        break;
    default:
        break;
    }
    OnFocusChanged(GetFocus());
}

void CProgramView::PaintForm() {
    const FormState& form = Ws().form();
    for (Setting setting : kAllSettings)
        SendMessageW(Combo(setting), CB_SETCURSEL, static_cast<WPARAM>(form.selection(setting)), 0);
    for (int row = 0; row < kTableRows; ++row)
        for (int col = 0; col < column::kCount; ++col)
            m_grid->SetTextMatrix(row, col, widen(text::shown(form.cell(row, col))));
    // A comparison's differing cells, with the selected channels' rows over
    // them: the selection is what the next command works on.
    const std::vector<int>& selected = Ws().selectedChannels();
    const std::vector<std::pair<int, int>>& marked = Ws().highlighted();
    for (int row = 0; row < kTableRows; ++row) {
        const bool rowSelected = std::find(selected.begin(), selected.end(), row) != selected.end();
        for (int col = 0; col < column::kCount; ++col) {
            COLORREF back = CMSFlexGrid::kDefaultColor;
            COLORREF fore = CMSFlexGrid::kDefaultColor;
            if (rowSelected) {
                back = GetSysColor(COLOR_HIGHLIGHT);
                fore = GetSysColor(COLOR_HIGHLIGHTTEXT);
            } else if (std::find(marked.begin(), marked.end(), std::pair{row, col}) != marked.end()) {
                back = kDifferenceColor;
            }
            m_grid->SetCellColors(row, col, back, fore);
        }
    }
}

void CProgramView::PaintCurrentCell() {
    const TableEditor& table = Ws().table();
    m_grid->SetCurrentCell(table.row(), table.col());
}

void CProgramView::PaintEditors() {
    const TableEditor& table = Ws().table();
    HWND open = CellEditor(table.open());
    for (varnok::CellEditor kind : kEditors) {
        HWND editor = CellEditor(kind);
        if (editor != open && IsWindowVisible(editor))
            ShowWindow(editor, SW_HIDE);
    }
    if (!open)
        return;

    const int left = static_cast<int>(m_grid->TwipsToPixelsX(m_grid->GetCellLeft())) - app::kEditorInset;
    const int top = static_cast<int>(m_grid->TwipsToPixelsY(m_grid->GetCellTop())) - app::kEditorInset;
    const int width = static_cast<int>(m_grid->TwipsToPixelsX(m_grid->GetCellWidth()));
    const int height = static_cast<int>(m_grid->TwipsToPixelsY(m_grid->GetCellHeight()));
    if (open == m_editText) {
        SetWindowPos(open, HWND_TOP, left, top, width, height, SWP_SHOWWINDOW);
        const std::wstring text = widen(table.text());
        SetWindowTextW(open, text.c_str());
        const auto end = static_cast<LPARAM>(text.size());
        SendMessageW(open, EM_SETSEL, table.textSelected() ? 0 : static_cast<WPARAM>(end), end);
    } else {
        // The field covers the cell; the room below it is the dropped
        // list's, and the field is a little lower than a list item. The box
        // is placed first: it lays out its field from its size.
        const auto item = static_cast<int>(SendMessageW(open, CB_GETITEMHEIGHT, 0, 0));
        SendMessageW(open, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), static_cast<LPARAM>(item * 95 / 100));
        SetWindowPos(open, HWND_TOP, left, top, width, height + app::kDroppedListRoom, SWP_SHOWWINDOW);
        SendMessageW(open, CB_SETCURSEL, static_cast<WPARAM>(table.entry(table.open())), 0);
        if (open == m_cmbTone) {
            const std::wstring text = widen(text::shown(table.toneText()));
            SetWindowTextW(open, text.c_str());
            const auto end = static_cast<WORD>(text.size());
            SendMessageW(open, CB_SETEDITSEL, 0, MAKELPARAM(table.textSelected() ? 0 : end, end));
        }
    }
    RedrawWindow(m_grid->GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

// ---- The keyboard -------------------------------------------------------------

varnok::FocusPlace CProgramView::PlaceOf(HWND window) const {
    if (!window)
        return FocusPlace::Elsewhere;
    if (window == m_grid->GetSafeHwnd())
        return FocusPlace::Grid;
    for (varnok::CellEditor kind : kEditors) {
        HWND editor = CellEditor(kind);
        if (window == editor || IsChild(editor, window))
            return FocusPlace::Editor;
    }
    return FocusPlace::Elsewhere;
}

void CProgramView::OnFocusChanged(HWND window) { Ws().setFocus(PlaceOf(window)); }

bool CProgramView::PreTranslateMessage(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.hwnd != m_hWnd && !IsChild(m_hWnd, msg.hwnd)))
        return false;
    HWND editor =
        PlaceOf(msg.hwnd) == FocusPlace::Editor ? (isCombo(msg.hwnd) ? msg.hwnd : GetParent(msg.hwnd)) : nullptr;
    if (editor == m_grid->GetSafeHwnd()) // the text box's parent
        editor = msg.hwnd;
    if (msg.wParam == VK_ESCAPE) {
        // The editors do not use Escape; passed on it would reach the form.
        if (!editor)
            return false;
        if (isCombo(editor) && SendMessageW(editor, CB_GETDROPPEDSTATE, 0, 0))
            SendMessageW(editor, CB_SHOWDROPDOWN, FALSE, 0);
        Apply(Ws().escape());
        return true;
    }
    if (msg.wParam != VK_RETURN)
        return false;
    HWND box = isCombo(msg.hwnd) ? msg.hwnd : (isCombo(GetParent(msg.hwnd)) ? GetParent(msg.hwnd) : nullptr);
    if (box && SendMessageW(box, CB_GETDROPPEDSTATE, 0, 0)) {
        if (!editor)
            return false; // a settings box takes the entry and closes its list itself
        // Enter in a dropped list takes the highlighted entry, then goes on
        // as Enter in its box.
        const auto index = static_cast<int>(SendMessageW(box, CB_GETCURSEL, 0, 0));
        m_painting = true;
        SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0);
        m_painting = false;
        if (index >= 0)
            Ws().choose(index);
    }
    OnEnterKey(msg.hwnd);
    return true;
}

void CProgramView::OnEnterKey(HWND target) {
    Ws().setFocus(PlaceOf(target));
    Apply(Ws().enter());
}

void CProgramView::FocusNextControl(HWND from) {
    // The form's controls take the keyboard in template order; a window
    // inside a control (an editor over the grid) counts as that control.
    HWND control = from;
    while (control && GetParent(control) != m_hWnd)
        control = GetParent(control);
    if (!control)
        return;
    if (HWND next = GetNextDlgTabItem(m_hWnd, control, FALSE))
        SetFocus(next);
}
