// The main window: menus, shortcuts, toolbar and status bar around the form.
#pragma once

#include "app/strings.h"
#include "image/form.h"

#include <QMainWindow>
#include <QPrinter>

#include <map>
#include <memory>
#include <utility>
#include <vector>

class CProgramApp;
class CProgramView;
class CProgressDlg;
class QAction;
class QActionGroup;
class QLabel;
class QMenu;

class QToolBar;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(CProgramApp& app, QWidget* parent = nullptr);

    CProgramView* GetActiveView() const { return m_pView; }
    /// The progress window of Read and Write.
    CProgressDlg* ProgressDlg() const { return m_pProgressDlg; }
    /// The action of a command id.
    QAction* Action(int id) const;
    /// Entry `index` (0 = most recent) of the recent-file list.
    QAction* RecentFileAction(int index) const { return Action(varnok::app::strings::ID_FILE_MRU_FILE1 + index); }
    /// The greyed item that stands in the menu while the list is empty.
    QAction* RecentFilePlaceholder() const { return m_recentPlaceholder; }
    QToolBar* ToolBar() const { return m_wndToolBar; }
    /// The menu "端口(&C)".
    QMenu* PortMenu() const { return m_portMenu; }

    /// Puts the window in the middle of its screen's free area.
    void CenterWindow();
    /// Shrinks the window, never grows it, to fit the whole form.
    void FitToForm();
    void UpdateRecentFileMenu();
    /// The check mark on the item of the chosen port.
    void UpdatePortChecks();

    /// The settings report: print, preview, printer set-up, and a PDF file
    /// for machines whose print dialog offers none.
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnFilePrintSetup();
    void OnFileExportPdf();
    /// Undo and Redo are offered only when there is a step to take, 清除信道
    /// only while channels are chosen (as in the Windows window).
    void UpdateEditActions();
    QMenu* EditMenu() const { return m_editMenu; }
    /// Shows every text of the window again, in the language now chosen.
    void Retranslate();
    /// Shows the backup folder in the system's file manager.
    void OnRadioBackups();
    /// Takes an open cell edit in and gives the form the report shows.
    const varnok::FormState& CommittedForm();
    /// The printer the report goes to; kept for the run so that the set-up
    /// chosen once holds for the next print.
    QPrinter& Printer();
    /// The item that saves the report as PDF.
    QAction* ExportPdfAction() const { return m_exportPdf; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateMenus();
    /// The menu item of a command, with its shortcut, tips and icon.
    QAction* NewAction(const varnok::app::strings::CommandText& command);
    /// The item's words, shortcut label and tips in the current language.
    void SetCommandTexts(QAction* action, const varnok::app::strings::CommandText& command) const;
    QMenu* NewMenu(const varnok::text::Text& title);
    void CreateToolBar();
    void CreateStatusBar();
    void CreatePortMenu(QMenu* menu);
    /// Makes `item` a checkable choice of `port`.
    void PreparePortItem(QAction* item, const QString& port);
    /// Lists the ports found now, then sets the check marks.
    void RefreshPortMenu();

    CProgramApp& m_app;
    CProgramView* m_pView = nullptr;
    CProgressDlg* m_pProgressDlg = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    std::map<int, QAction*> m_actions;
    QAction* m_recentPlaceholder = nullptr;
    QMenu* m_portMenu = nullptr;
    QMenu* m_editMenu = nullptr;
    /// The port menu's items below COM4, rebuilt each time it opens.
    std::vector<QAction*> m_portItems;
    std::unique_ptr<QPrinter> m_printer;
    QAction* m_exportPdf = nullptr;
    QActionGroup* m_languageGroup = nullptr;
    /// Everything whose words a change of language shows again.
    std::vector<std::pair<QMenu*, const varnok::text::Text*>> m_menuTitles;
    std::vector<std::pair<QAction*, const varnok::app::strings::CommandText*>> m_commandTexts;
    std::vector<std::pair<QLabel*, const varnok::text::Text*>> m_statusTexts;
};
