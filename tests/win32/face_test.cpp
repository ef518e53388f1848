// The Windows face against its resources and the application layer: the
// templates' ids and tab order, events reaching the workspace, editors over
// their cells, transfer wake-ups as posted messages, and the report's
// drawing calls.
#include "app/form_template.h"
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
#include "win32/wide.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

using namespace varnok;
using app::TemplateControl;

namespace {

struct QuietPrompts : app::Prompts {
    std::vector<std::string> shown;
    app::Button show(const app::Message& m) override {
        shown.push_back(m.text);
        return m.buttons.back();
    }
    std::optional<std::string> openPath(const std::string&) override { return std::nullopt; }
    std::optional<std::string> savePath(const std::string&) override { return std::nullopt; }
    std::optional<std::string> portName(const std::string&) override { return std::nullopt; }
};

class Face : public ::testing::Test {
public:
    void SetUp() override {
        HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        if (!probe)
            GTEST_SKIP() << "no display for windows";
        DestroyWindow(probe);
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

/// The controls of a dialog in creation order match its template: ids,
/// positions in dialog units, and the tab stops in template order.
void expectTemplate(HWND dialog, const TemplateControl* controls, std::size_t count) {
    HWND child = GetWindow(dialog, GW_CHILD);
    std::vector<int> tabOrder;
    for (std::size_t i = 0; i < count; ++i, child = GetWindow(child, GW_HWNDNEXT)) {
        const TemplateControl& c = controls[i];
        ASSERT_NE(child, nullptr) << "control " << i;
        EXPECT_EQ(GetDlgCtrlID(child) & 0xFFFF, c.id == 0 ? 0xFFFF : c.id) << "control " << i;
        RECT wanted{c.x, c.y, c.width, c.height}; // as the dialog maps them: corner and size
        MapDialogRect(dialog, &wanted);
        RECT actual{};
        GetWindowRect(child, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        // Labels may grow to fit their text, a closed combo box is lower
        // than its template, an icon takes its own size.
        if (c.kind != TemplateControl::Kind::Label && c.kind != TemplateControl::Kind::Icon) {
            EXPECT_EQ(actual.left, wanted.left) << "control " << i;
            EXPECT_EQ(actual.top, wanted.top) << "control " << i;
            EXPECT_EQ(actual.right - actual.left, wanted.right) << "control " << i;
        }
        if (c.kind == TemplateControl::Kind::Combo || c.kind == TemplateControl::Kind::Grid)
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
    expectTemplate(view().GetSafeHwnd(), app::kFormTemplate, std::size(app::kFormTemplate));
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
