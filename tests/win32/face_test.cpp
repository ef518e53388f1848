// The Windows face against its resources and the application layer: the
// templates' ids and tab order, events reaching the workspace, editors over
// their cells, transfer wake-ups as posted messages, and the report's
// drawing calls.
#include "app/form_template.h"
#include "app/strings.h"
#include "link/demo_radio.h"
#include "link/ports.h"
#include "win32/flex_grid.h"
#include "win32/main_frame.h"
#include "win32/program_app.h"
#include "win32/program_view.h"
#include "win32/progress_dlg.h"
#include "win32/registry_settings.h"
#include "win32/report_print.h"
#include "win32/resource.h"
#include "win32/string_tables.h"
#include "win32/wide.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

using namespace varnok;
using namespace varnok::app::strings; // the command ids
using app::TemplateControl;

namespace {

/// Answers with `answer` where a message offers it, else its last button;
/// the file choosers answer `file`, and cancel while it is empty.
struct QuietPrompts : app::Prompts {
    std::vector<std::string> shown;
    app::Button answer = app::Button::Cancel;
    std::string file;
    app::Button show(const app::Message& m) override {
        shown.push_back(m.text);
        return std::find(m.buttons.begin(), m.buttons.end(), answer) != m.buttons.end() ? answer : m.buttons.back();
    }
    std::optional<std::string> chosen() const { return file.empty() ? std::nullopt : std::optional(file); }
    std::optional<std::string> openPath(const std::string&) override { return chosen(); }
    std::optional<std::string> savePath(const std::string&) override { return chosen(); }
    std::optional<std::string> csvPath(const std::string&, bool) override { return chosen(); }
    std::optional<std::string> portName(const std::string&) override { return std::nullopt; }
};

class Face : public ::testing::Test {
public:
    void SetUp() override {
        HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        if (!probe)
            GTEST_SKIP() << "no display for windows";
        DestroyWindow(probe);
        // The cases name the Chinese words, whatever the machine's language.
        settings.setValue(kLanguageKey, std::string("zh"));
        ASSERT_TRUE(program.InitInstance(L"", SW_SHOWNOACTIVATE));
    }
    app::Workspace& ws() { return program.Workspace(); }
    CProgramView& view() { return *program.GetView(); }
    CMSFlexGrid& grid() { return *view().Grid(); }
    void pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            program.ProcessMessage(msg);
    }
    /// A message as the loop gets it, through the form's key handling.
    void post(HWND window, UINT message, WPARAM wParam, LPARAM lParam = 0) {
        MSG msg{window, message, wParam, lParam, 0, {}};
        program.ProcessMessage(msg);
    }
    /// Client coordinates of the centre of cell (row, col).
    LPARAM cellCentre(int row, int col) {
        RECT cell{0, 0, 0, 0};
        for (int c = 0; c < col; ++c)
            cell.left += static_cast<LONG>(grid().TwipsToPixelsX(grid().GetColWidth(c)));
        const long height = grid().TwipsToPixelsY(grid().GetCellHeight());
        const long width = grid().TwipsToPixelsX(grid().GetColWidth(col));
        return MAKELPARAM(cell.left + width / 2, row * height + height / 2);
    }
    HWND frame() { return program.GetMainFrame()->GetSafeHwnd(); }
    HMENU menu(int position) { return GetSubMenu(GetMenu(frame()), position); }
    void command(int id) {
        post(frame(), WM_COMMAND, static_cast<WPARAM>(id));
        pump();
    }
    /// A key press with Ctrl held or not, through the accelerators.
    void key(HWND window, WPARAM vk, bool ctrl = false) {
        BYTE state[256] = {};
        GetKeyboardState(state);
        state[VK_CONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(state);
        post(window, WM_KEYDOWN, vk);
        state[VK_CONTROL] = 0;
        SetKeyboardState(state);
        pump();
    }
    void press(int row, int col) {
        post(grid().GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, cellCentre(row, col));
        pump();
    }
    void typeCell(int row, int col, const std::wstring& text) {
        press(row, col);
        for (wchar_t c : text)
            post(view().CellEditor(CellEditor::Text), WM_CHAR, c);
        post(view().CellEditor(CellEditor::Text), WM_KEYDOWN, VK_RETURN);
        pump();
    }
    std::wstring statusText() {
        wchar_t text[128] = {};
        SendMessageW(GetDlgItem(frame(), 59393), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
        return text;
    }
    void select(Setting setting, int index) {
        HWND combo = view().Combo(setting);
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(view().GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(app::comboId(setting), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
    }

    QuietPrompts prompts;
    app::MemorySettings settings;
    CProgramApp program{&prompts, &settings};
};

/// The controls of a dialog match its template: ids and positions in dialog
/// units, and Tab goes through the combo boxes and the grid in `tabOrder`
/// (the template's order when it is empty).
void expectTemplate(HWND dialog, const TemplateControl* controls, std::size_t count, std::vector<int> tabOrder = {}) {
    HWND child = GetWindow(dialog, GW_CHILD);
    const bool templateOrder = tabOrder.empty();
    for (std::size_t i = 0; i < count; ++i, child = GetWindow(child, GW_HWNDNEXT)) {
        const TemplateControl& c = controls[i];
        // The form puts its Tab stops first among its windows: there each
        // control is found by its id, and the labels without one are left.
        if (!templateOrder && c.id == 0)
            continue;
        HWND control = templateOrder ? child : GetDlgItem(dialog, c.id);
        ASSERT_NE(control, nullptr) << "control " << i;
        EXPECT_EQ(GetDlgCtrlID(control) & 0xFFFF, c.id == 0 ? 0xFFFF : c.id) << "control " << i;
        RECT wanted{c.x, c.y, c.width, c.height}; // as the dialog maps them: corner and size
        MapDialogRect(dialog, &wanted);
        RECT actual{};
        GetWindowRect(control, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        // Labels may grow to fit their text, a closed combo box is lower
        // than its template, an icon takes its own size.
        if (c.kind != TemplateControl::Kind::Label && c.kind != TemplateControl::Kind::Icon) {
            EXPECT_EQ(actual.left, wanted.left) << "control " << i;
            EXPECT_EQ(actual.top, wanted.top) << "control " << i;
            EXPECT_EQ(actual.right - actual.left, wanted.right) << "control " << i;
        }
        if (templateOrder && (c.kind == TemplateControl::Kind::Combo || c.kind == TemplateControl::Kind::Grid))
            tabOrder.push_back(c.id);
    }
    std::vector<int> tabbed;
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    for (HWND item = first; item && tabbed.size() < tabOrder.size(); item = GetNextDlgTabItem(dialog, item, FALSE))
        tabbed.push_back(GetDlgCtrlID(item));
    if (!tabOrder.empty()) {
        EXPECT_EQ(tabbed, tabOrder);
    }
}

INT_PTR CALLBACK idleProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST_F(Face, DialogTemplatesHaveTheTemplatesIdsPositionsAndTabOrder) {
    expectTemplate(view().GetSafeHwnd(), app::kFormTemplate, std::size(app::kFormTemplate),
                   std::vector<int>(std::begin(app::kFormTabOrder), std::end(app::kFormTabOrder)));
    for (auto [id, controls, count] :
         {std::tuple{IDD_PROGRESS, app::kProgressTemplate, std::size(app::kProgressTemplate)},
          std::tuple{IDD_ABOUTBOX, app::kAboutTemplate, std::size(app::kAboutTemplate)}}) {
        HWND dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(id), nullptr, idleProc, 0);
        ASSERT_NE(dialog, nullptr);
        expectTemplate(dialog, controls, count);
        DestroyWindow(dialog);
    }
}

TEST_F(Face, EventsReachTheWorkspace) {
    HWND gridWindow = grid().GetSafeHwnd();
    const struct {
        const char* name;
        std::function<void(Face&)> act;
        std::function<bool(Face&)> holds;
    } cases[] = {
        {"COM3 item", [](Face& f) { f.post(f.program.GetMainFrame()->GetSafeHwnd(), WM_COMMAND, 32776); },
         [](Face& f) { return f.ws().ports().port() == "COM3"; }},
        {"key beep box", [](Face& f) { f.select(Setting::KeyBeep, 0); },
         [](Face& f) { return f.ws().form().selection(Setting::KeyBeep) == 0; }},
        {"model box", [](Face& f) { f.select(Setting::Model, 2); },
         [](Face& f) { return f.ws().form().selection(Setting::Model) == 2; }},
        {"press", [&](Face& f) { f.post(gridWindow, WM_LBUTTONDOWN, MK_LBUTTON, f.cellCentre(3, 2)); },
         [](Face& f) {
             return f.ws().table().row() == 3 && f.ws().table().col() == 2 && f.ws().table().open() == CellEditor::Text;
         }},
        {"right press", [&](Face& f) { f.post(gridWindow, WM_RBUTTONDOWN, MK_RBUTTON, f.cellCentre(4, 5)); },
         [](Face& f) { return f.ws().table().row() == 4 && f.ws().table().open() == CellEditor::None; }},
        {"arrow key", [&](Face& f) { f.post(gridWindow, WM_KEYDOWN, VK_RIGHT); },
         [](Face& f) { return f.ws().table().row() == 4 && f.ws().table().col() == 6; }},
        {"typed digits and Enter",
         [&](Face& f) {
             f.post(gridWindow, WM_LBUTTONDOWN, MK_LBUTTON, f.cellCentre(2, 1));
             f.post(f.view().CellEditor(CellEditor::Text), WM_CHAR, L'1');
             for (wchar_t key : std::wstring(L"45"))
                 f.post(f.view().CellEditor(CellEditor::Text), WM_CHAR, key);
             f.post(f.view().CellEditor(CellEditor::Text), WM_KEYDOWN, VK_RETURN);
         },
         [](Face& f) {
             return f.ws().form().cell(2, 1) == "145.00000" && f.ws().table().col() == 2 &&
                    f.grid().GetTextMatrix(2, 2) == L"145.00000";
         }},
        {"key on the grid", [&](Face& f) { f.post(gridWindow, WM_CHAR, L'7'); },
         [](Face& f) { return f.ws().table().open() == CellEditor::Text && f.ws().table().text() == "7"; }},
        {"Enter in a dropped settings list",
         [](Face& f) {
             HWND model = f.view().Combo(Setting::Model);
             SetFocus(model);
             SendMessageW(model, CB_SHOWDROPDOWN, TRUE, 0);
             f.post(model, WM_KEYDOWN, VK_RETURN);
         },
         [](Face& f) { return !SendMessageW(f.view().Combo(Setting::Model), CB_GETDROPPEDSTATE, 0, 0); }},
        {"Read", [](Face& f) { f.post(f.program.GetMainFrame()->GetSafeHwnd(), WM_COMMAND, 32771); },
         [](Face& f) {
             HWND dlg = f.program.GetMainFrame()->ProgressDlg()->GetSafeHwnd();
             return dlg && IsWindowVisible(dlg) && f.ws().progress().caption == "数据读取进度";
         }},
    };
    for (const auto& c : cases) {
        c.act(*this);
        pump();
        EXPECT_TRUE(c.holds(*this)) << c.name;
    }
}

TEST_F(Face, TheStatusBarAndTooltipsShowTheCommandsTexts) {
    HWND frame = program.GetMainFrame()->GetSafeHwnd();
    SendMessageW(frame, WM_MENUSELECT, MAKEWPARAM(57600, MF_STRING), reinterpret_cast<LPARAM>(GetMenu(frame)));
    wchar_t prompt[64] = {};
    SendMessageW(GetDlgItem(frame, 59393), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(prompt));
    EXPECT_STREQ(prompt, L"建立新文档");
    NMTTDISPINFOW tip{};
    tip.hdr.idFrom = 57600;
    tip.hdr.code = TTN_GETDISPINFOW;
    SendMessageW(frame, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
    EXPECT_STREQ(tip.lpszText, L"新建");
}

TEST_F(Face, TheMenusHoldTheExchangeAndEditCommandsWithTheirShortcutsAndPrompts) {
    const std::pair<int, const CommandText*> items[] = {
        {0, kFileExtras}, {0, kFileExtras + 2}, {1, kEditCommands}, {1, kEditCommands + 1}, {1, kEditCommands + 5}};
    for (const auto& [position, c] : items) {
        wchar_t text[64] = {};
        GetMenuStringW(menu(position), static_cast<UINT>(c->id), text, 64, MF_BYCOMMAND);
        EXPECT_EQ(win32::narrow(text), std::string(*c->text) + (*c->shortcut ? "\t" + std::string(c->shortcut) : ""));
        SendMessageW(frame(), WM_MENUSELECT, MAKEWPARAM(c->id, MF_STRING), reinterpret_cast<LPARAM>(menu(position)));
        const std::string prompt = *c->prompt;
        EXPECT_EQ(win32::narrow(statusText()), prompt.substr(0, prompt.find('\n'))) << c->name;
    }
    // 打印设置 at 7, a separator, the three, a separator, the recent files;
    // the menus after 编辑 moved along.
    EXPECT_EQ(GetMenuItemID(menu(0), 9), static_cast<UINT>(ID_FILE_EXPORT_CSV));
    EXPECT_EQ(GetMenuItemID(menu(0), 13), static_cast<UINT>(ID_FILE_MRU_FILE1));
    command(32776);
    EXPECT_TRUE(GetMenuState(menu(3), 32776, MF_BYCOMMAND) & MF_CHECKED);
    SendMessageW(frame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu(4)), 4);
    EXPECT_TRUE(GetMenuState(menu(4), ID_VIEW_TOOLBAR, MF_BYCOMMAND) & MF_CHECKED);
}

TEST_F(Face, PressesAndDragsOnChannelNumbersSelectChannelsAndPaintTheirRows) {
    const struct {
        UINT message;
        WPARAM keys;
        int row, col;
        std::vector<int> selected;
    } steps[] = {
        {WM_LBUTTONDOWN, MK_LBUTTON, 3, 0, {3}},
        {WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, 6, 0, {3, 4, 5, 6}},
        {WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, 4, 0, {3, 5, 6}},
        {WM_MOUSEMOVE, MK_LBUTTON, 8, 0, {4, 5, 6, 7, 8}}, // from the last click
        {WM_MOUSEMOVE, 0, 10, 0, {4, 5, 6, 7, 8}},
        {WM_LBUTTONDOWN, MK_LBUTTON, 2, 3, {}},
        {WM_MOUSEMOVE, MK_LBUTTON, 5, 0, {}}, // a drag from a cell selects nothing
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        post(grid().GetSafeHwnd(), steps[i].message, steps[i].keys, cellCentre(steps[i].row, steps[i].col));
        pump();
        EXPECT_EQ(ws().selectedChannels(), steps[i].selected) << i;
        for (int row = 1; row < kTableRows; ++row) {
            const bool selected = std::count(steps[i].selected.begin(), steps[i].selected.end(), row) > 0;
            EXPECT_EQ(grid().GetCellBackColor(row, 5) == GetSysColor(COLOR_HIGHLIGHT), selected) << i << " " << row;
        }
    }
}

TEST_F(Face, RowsGoThroughTheClipboardStepByStepWhileTheCellEditorKeepsItsOwnKeys) {
    HWND gridWindow = grid().GetSafeHwnd();
    const auto greyed = [this](int id) {
        SendMessageW(frame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu(1)), 1);
        return (GetMenuState(menu(1), static_cast<UINT>(id), MF_BYCOMMAND) & MF_GRAYED) != 0;
    };
    EXPECT_TRUE(greyed(ID_EDIT_UNDO));
    typeCell(1, 1, L"146.52");
    press(1, 0);
    key(gridWindow, 'C', true);
    press(5, 0);
    key(gridWindow, 'V', true);
    EXPECT_EQ(grid().GetTextMatrix(5, 1), L"146.52000");
    EXPECT_TRUE(greyed(ID_EDIT_REDO));
    prompts.answer = app::Button::Ok;
    key(gridWindow, VK_DELETE);
    EXPECT_EQ(ws().form().cell(5, 1), "");
    key(gridWindow, 'Z', true);
    key(gridWindow, 'Z', true);
    key(gridWindow, 'Y', true);
    EXPECT_FALSE(greyed(ID_EDIT_REDO));
    EXPECT_EQ(grid().GetTextMatrix(5, 1), L"146.52000");

    // In the open text box the keys edit its text, never the channels.
    typeCell(7, 1, L"145");
    press(7, 1);
    HWND box = GetFocus();
    ASSERT_EQ(box, view().CellEditor(CellEditor::Text));
    program.Apply(ws().selectChannel(5, false, false));
    const auto boxText = [box] {
        wchar_t text[32] = {};
        GetWindowTextW(box, text, 32);
        return std::wstring(text);
    };
    const std::size_t asked = prompts.shown.size();
    const struct {
        int from, to; // the selection before the key; -2 leaves it
        WPARAM vk;
        bool ctrl;
        const wchar_t* text;
    } keys[] = {{0, 3, 'C', true, L"145.00000"},
                {0, -1, 'V', true, L"145"},
                {0, 0, VK_DELETE, false, L"45"},
                {-2, -2, 'Z', true, L"145"}};
    for (const auto& k : keys) {
        if (k.from > -2)
            SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(k.from), k.to);
        key(box, k.vk, k.ctrl);
        EXPECT_EQ(boxText(), k.text) << k.vk;
    }
    EXPECT_EQ(prompts.shown.size(), asked);
    EXPECT_EQ(ws().table().text(), "145");
    EXPECT_EQ(ws().form().cell(5, 1), "146.52000");
}

TEST_F(Face, TheGridShowsWhatAComparisonWithAFileFound) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    prompts.file = win32::narrow(folder) + "varnok-face-" + std::to_string(GetCurrentProcessId()) + ".sin";
    command(ID_FILE_SAVE_AS);
    typeCell(3, 1, L"146.52"); // every column of channel 3 gets a value
    command(ID_FILE_COMPARE);
    DeleteFileW(win32::widen(prompts.file).c_str());
    for (int row = 1; row < kTableRows; ++row)
        for (int col = 1; col < column::kCount; ++col)
            EXPECT_EQ(grid().GetCellBackColor(row, col) == RGB(255, 240, 160), row == 3) << row << "," << col;
    command(ID_EDIT_UNDO); // the marks describe the form as it was
    EXPECT_EQ(grid().GetCellBackColor(3, 1), CMSFlexGrid::kDefaultColor);
}

TEST_F(Face, TheOpenEditorLiesOverTheCurrentCell) {
    for (auto [row, col] : {std::pair{1, 1}, std::pair{5, 3}, std::pair{9, 5}, std::pair{16, 8}}) {
        post(grid().GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, cellCentre(row, col));
        pump();
        HWND editor = view().CellEditor(editorOfColumn(col));
        ASSERT_TRUE(IsWindowVisible(editor)) << row << "," << col;
        RECT box{};
        GetWindowRect(editor, &box);
        MapWindowPoints(nullptr, grid().GetSafeHwnd(), reinterpret_cast<POINT*>(&box), 2);
        const auto px = [this](long twips) { return static_cast<LONG>(grid().TwipsToPixelsX(twips)); };
        const auto py = [this](long twips) { return static_cast<LONG>(grid().TwipsToPixelsY(twips)); };
        EXPECT_EQ(box.left, px(grid().GetCellLeft()) - app::kEditorInset);
        EXPECT_EQ(box.top, py(grid().GetCellTop()) - app::kEditorInset);
        EXPECT_EQ(box.right - box.left, px(grid().GetCellWidth()));
        EXPECT_EQ(box.top + py(grid().GetCellHeight()) / 2, HIWORD(cellCentre(row, col)) - app::kEditorInset);
        for (CellEditor other : {CellEditor::Text, CellEditor::Tone, CellEditor::Power})
            if (other != editorOfColumn(col)) {
                EXPECT_FALSE(IsWindowVisible(view().CellEditor(other)));
            }
    }
}

TEST_F(Face, ATransfersEventsArriveAsPostedMessages) {
    VirtualClock clock;
    ws().setTransferLink([](const std::string&, Clock& c) { return openPort(kDemoPortName, c); }, clock);
    program.Apply(ws().read());
    program.Apply(ws().startTransfer());
    // Only the posted wake-ups take the worker's events in; a face that
    // ignored them would wait here until the time is up.
    for (const DWORD start = GetTickCount(); ws().progress().endings == 0 && GetTickCount() - start < 20000;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        pump();
    }
    ASSERT_EQ(ws().progress().ended, TransferOutcome::Complete);
    // All but the auxiliary records, which the model change rewrites.
    const auto& read = ws().document().image.bytes();
    const auto& radio = sharedDemoRadio()->memory().bytes();
    EXPECT_TRUE(std::equal(read.begin(), read.begin() + 17 * 16, radio.begin()));
    EXPECT_TRUE(std::equal(read.begin() + 25 * 16, read.end(), radio.begin() + 25 * 16));
    EXPECT_EQ(program.GetMainFrame()->ProgressDlg()->GetSafeHwnd(), nullptr);
    EXPECT_EQ(grid().GetTextMatrix(1, 1), win32::widen(ws().form().cell(1, 1)));
}

/// Every item text of `menu` and of the menus inside it, depth first.
std::vector<std::wstring> menuTexts(HMENU menu) {
    std::vector<std::wstring> texts;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        texts.push_back(text);
        if (HMENU inner = GetSubMenu(menu, i))
            for (std::wstring& item : menuTexts(inner))
                texts.push_back(std::move(item));
    }
    return texts;
}

std::wstring textOf(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

TEST_F(Face, EnglishLeavesNoChineseWordAndChineseComesBackAsItWas) {
    HWND tone = view().CellEditor(CellEditor::Tone);
    const std::vector<std::wstring> chinese = menuTexts(GetMenu(frame()));
    command(ID_VIEW_LANGUAGE_ENGLISH);
    EXPECT_EQ(settings.value(kLanguageKey), std::optional<std::string>("en"));
    std::vector<std::wstring> shown = menuTexts(GetMenu(frame()));
    ASSERT_EQ(shown.size(), chinese.size());
    for (std::size_t i = 0; i < shown.size(); ++i)
        EXPECT_EQ(shown[i].empty(), chinese[i].empty()) << i; // only separators are empty

    // The shown name of no tone, typed, is the form's word for it.
    typeCell(2, column::kRxFrequency, L"146.52");
    for (const std::wstring typed : {L"67.0", L"None"}) {
        press(2, column::kDecodeTone);
        for (wchar_t c : typed)
            post(GetWindow(tone, GW_CHILD), WM_CHAR, c);
        post(GetWindow(tone, GW_CHILD), WM_KEYDOWN, VK_RETURN);
        pump();
    }
    EXPECT_EQ(ws().form().cell(2, column::kDecodeTone), kToneNone.zh);
    EXPECT_EQ(grid().GetTextMatrix(2, column::kDecodeTone), L"None");

    command(ID_RADIO_READ); // a window that opens now opens in English
    HWND progress = program.GetMainFrame()->ProgressDlg()->GetSafeHwnd();
    ASSERT_NE(progress, nullptr);
    shown.push_back(textOf(frame()));
    shown.push_back(textOf(progress));
    for (HWND parent : {view().GetSafeHwnd(), progress})
        for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            shown.push_back(textOf(child));
    for (HWND box :
         {view().Combo(Setting::Model), view().Combo(Setting::Monitor), tone, view().CellEditor(CellEditor::Power)})
        for (int i = 0; i < SendMessageW(box, CB_GETCOUNT, 0, 0); ++i) {
            wchar_t entry[64] = {};
            SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry));
            shown.push_back(entry);
        }
    for (int row = 0; row < kTableRows; ++row)
        for (int col = 0; col < column::kCount; ++col)
            shown.push_back(grid().GetTextMatrix(row, col));
    for (const std::wstring& text : shown)
        EXPECT_TRUE(std::none_of(text.begin(), text.end(), [](wchar_t c) {
            return (c >= 0x3000 && c <= 0x9FFF) || (c >= 0xFF00 && c <= 0xFFEF);
        })) << win32::narrow(text);
    EXPECT_EQ(grid().GetTextMatrix(0, column::kRxFrequency), win32::widen(kHeaderRx.en));
    EXPECT_EQ(statusText(), win32::widen(kIdle.en));

    command(ID_VIEW_LANGUAGE_CHINESE);
    EXPECT_EQ(menuTexts(GetMenu(frame())), chinese);
    EXPECT_EQ(settings.value(kLanguageKey), std::optional<std::string>("zh"));
    HMENU languages = GetSubMenu(menu(4), GetMenuItemCount(menu(4)) - 1);
    EXPECT_TRUE(GetMenuState(languages, ID_VIEW_LANGUAGE_CHINESE, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(languages, ID_VIEW_LANGUAGE_ENGLISH, MF_BYCOMMAND) & MF_CHECKED);
}

TEST(StringTables, EveryTextLoadsFromEachLanguagesTableAsTextsDefHasIt) {
    const win32::StringTableTranslator tables(GetModuleHandleW(nullptr));
    for (const text::Text& t : text::kAllTexts)
        for (text::Language language : {text::Language::Chinese, text::Language::English}) {
            const std::string words = tables.translate(t, language);
            EXPECT_FALSE(words.empty()) << static_cast<int>(t.id);
            EXPECT_EQ(words, t.in(language)) << static_cast<int>(t.id);
        }
}

struct RecordingCanvas : win32::ReportCanvas {
    report::PrintArea area() const override { return {0, 0, 4800, 6600, 600, 600}; }
    void selectFont(const report::ReportFont& font) override { current = font; }
    int lineAdvance() override { return current.height < 0 ? -current.height * 6 / 5 : current.height; }
    void text(int x, int y, const std::wstring& text) override { drawn.push_back({current, x, y, text}); }
    struct Text {
        report::ReportFont font;
        int x, y;
        std::wstring text;
    };
    report::ReportFont current;
    std::vector<Text> drawn;
};

TEST(Report, EveryStringOfTheLayoutIsDrawnInItsFontAtItsPlace) {
    FormState form = startingForm();
    form.cell(3, 1) = "145.00000";
    form.cell(3, 3) = "无";
    RecordingCanvas canvas;
    win32::drawReport(canvas, form);
    const report::ReportLayout page =
        report::layoutReport(report::reportTextsFromForm(form), canvas.area(), [&canvas](const report::ReportFont& f) {
            return canvas.selectFont(f), canvas.lineAdvance();
        });
    ASSERT_EQ(canvas.drawn.size(), page.strings.size());
    for (std::size_t i = 0; i < page.strings.size(); ++i) {
        const report::ReportString& s = page.strings[i];
        EXPECT_EQ(canvas.drawn[i].font, s.font == report::FontRole::Title ? page.title : page.body) << i;
        EXPECT_EQ(canvas.drawn[i].x, s.x) << i;
        EXPECT_EQ(canvas.drawn[i].y, s.y) << i;
        EXPECT_EQ(canvas.drawn[i].text, win32::widen(s.text)) << i;
    }
}

TEST(Registry, SettingsLiveUnderTheirGroupsKey) {
    win32::RegistrySettings store(L"Software\\VarnokTest");
    store.setValue("Recent File List/File1", std::string("C:\\信道\\a.sin"));
    EXPECT_EQ(win32::RegistrySettings(L"Software\\VarnokTest\\Recent File List").value("File1"),
              std::optional<std::string>("C:\\信道\\a.sin"));
    store.setValue("Recent File List/File1", std::nullopt);
    EXPECT_EQ(store.value("Recent File List/File1"), std::nullopt);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VarnokTest");
}

} // namespace
