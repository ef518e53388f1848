// The form that shows one channel file, a child dialog made from the form's
// template: eleven settings boxes, the channel grid and its six in-place
// editors. The view maps their events to the workspace's calls and paints
// what the workspace holds; every rule is the application layer's.
#pragma once

#include "app/workspace.h"
#include "win32/string_tables.h"

#include <windows.h>

#include <array>

class CMSFlexGrid;
class CProgramApp;

class CProgramView {
public:
    explicit CProgramView(CProgramApp& app);
    /// Makes the form window inside `parent`.
    bool Create(HWND parent);
    HWND GetSafeHwnd() const { return m_hWnd; }

    /// Shows what `changes` names of the workspace: selections and cells,
    /// the current cell and the open editor, the keyboard's place.
    void Paint(const varnok::app::Changes& changes);
    /// Every label, box entry and cell again, in the current language.
    void ShowTexts();

    /// The in-place editor window of an editor kind (none for None).
    HWND CellEditor(varnok::CellEditor editor) const;
    /// The editor window shown over the current cell, or null.
    HWND GetCellEditor() const;
    HWND Combo(varnok::Setting setting) const { return m_combos[static_cast<std::size_t>(setting)]; }
    CMSFlexGrid* Grid() const { return m_grid; }

    /// The keys the form takes before the window that has the keyboard:
    /// Enter anywhere in the form, Escape in an editor. True when `msg` was
    /// used up.
    bool PreTranslateMessage(const MSG& msg);
    /// The keyboard moved to `window`, which may be outside the form.
    void OnFocusChanged(HWND window);
    /// Which part of the form holds `window`: an editor's own child (the
    /// tone box's field) counts as that editor.
    varnok::FocusPlace PlaceOf(HWND window) const;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    void OnCommand(int id, int code, HWND control);
    void FitLabels();
    void CreateCellEditors();
    void FillLists();
    varnok::app::Workspace& Ws() const;
    void Apply(const varnok::app::Changes& changes);
    void PaintForm();
    void PaintCurrentCell();
    void PaintEditors();
    void OnEnterKey(HWND target);
    void FocusNextControl(HWND from);

    CProgramApp& m_app;
    HWND m_hWnd = nullptr;
    /// The form's controls as its template made them; Tab order moves the
    /// windows themselves.
    varnok::win32::TemplateWindows m_templateWindows;
    std::array<HWND, varnok::kSettingCount> m_combos{};
    CMSFlexGrid* m_grid = nullptr;
    HWND m_editText = nullptr;
    HWND m_cmbTone = nullptr;
    HWND m_cmbBusyLock = nullptr;
    HWND m_cmbBandwidth = nullptr;
    HWND m_cmbScanList = nullptr;
    HWND m_cmbPower = nullptr;
    /// Set while the view changes its windows itself, so that their
    /// notifications are not taken for the user's.
    bool m_painting = false;
    /// A left press on a channel number, held: moves over channel numbers
    /// extend the selection; m_dragRow is the row it last reached.
    bool m_selecting = false;
    int m_dragRow = 0;
};
