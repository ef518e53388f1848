// The application layer: everything the main window does, without a window.
// A Workspace holds the document with its form, the table editor, the port
// choice, the progress window's state and a running transfer, and carries
// out every command a user gives. A face (the Qt window, the Windows window)
// maps its menus, keys and widget events to these calls, shows what they
// ask through Prompts, and repaints what the returned Changes name.
#pragma once

#include "app/clone_run.h"
#include "app/csv_exchange.h"
#include "app/document.h"
#include "app/port_choice.h"
#include "app/prompts.h"
#include "app/recent_files.h"
#include "app/transfer_job.h"
#include "editor/table_editor.h"
#include "link/clock.h"
#include "link/ports.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace varnok::app {

/// The progress window of one transfer, as the face shows it.
struct ProgressWindow {
    enum class State {
        NoWindow, ///< before the first transfer and after every end
        Waiting,  ///< shown, Start not yet pressed
        Running,  ///< Start pressed; only the transfer's end closes it
    };
    /// The bar's last position: a read shows 1 to 123, a write 1 to 122.
    static constexpr int kMax = 123;

    State state = State::NoWindow;
    std::string caption; ///< "数据读取进度" or "数据写入进度"
    std::string status;  ///< the status line
    int position = 0;    ///< the bar, 0 to kMax
    bool startEnabled = true;
    /// How the last transfer ended (Failed when its port did not open);
    /// empty before the first.
    std::optional<TransferOutcome> ended;
    /// Transfers ended so far in this run, so a face can tell a new end.
    int endings = 0;
    /// The 写入后校验 check box: shown for a write and a clone run, and
    /// remembered between runs of the program.
    bool verifyShown = false;
    bool verify = false;
    /// The clone run's 写入前读取并备份 check box, remembered too.
    bool backupFirstShown = false;
    bool backupFirst = false;
    /// A clone run's running count ("已完成 7 台，失败 0 台"); empty
    /// outside one.
    std::string tally;

    /// The window's title: the caption, and a clone run's count after it.
    std::string title() const { return tally.empty() ? caption : caption + " - " + tally; }
};

/// Where the face puts the keyboard after a call.
enum class Focus { Stay, Editor, Grid, NextControl, ModelBox };

/// What a call changed, for the face to repaint.
struct Changes {
    bool form = false;        ///< settings selections or channel cells
    bool editor = false;      ///< current cell, open editor, its text or selection
    bool progress = false;    ///< the progress window
    bool recentFiles = false; ///< the recent-file list
    bool port = false;        ///< the chosen port
    Focus focus = Focus::Stay;

    Changes& operator+=(const Changes& later);
};

class Workspace {
public:
    /// Opens a port by name for a transfer; tests hand in a radio in
    /// virtual time.
    using PortOpener = std::function<OpenedPort(const std::string& name, Clock& clock)>;
    /// Called from a transfer's worker thread when the face should call
    /// pump() on its own thread soon (the Qt face posts to its event loop,
    /// the Windows face posts a window message).
    using Wake = std::function<void()>;

    Workspace(Prompts& prompts, SettingsStore& settings, Wake wake, PortOpener opener = {},
              Clock& clock = systemClock());
    /// Abandons a running transfer and waits for its worker.
    ~Workspace();

    const Document& document() const { return m_doc; }
    const FormState& form() const { return m_doc.form; }
    const TableEditor& table() const { return m_table; }
    const ProgressWindow& progress() const { return m_progress; }
    const PortChoice& ports() const { return m_ports; }
    std::vector<std::string> recentFiles() const { return m_recent.list(); }
    /// Where the file choosers start: the document's folder, else the most
    /// recent file's, else the user's home folder.
    std::string lastFolder() const;

    // ---- Start and the File menu ----
    /// Program start: opens `file` (a new document when it is empty or
    /// cannot be opened, after its failure was shown).
    Changes start(const std::string& file);
    /// New, Open (asks for a file), a file by name (the command line, a
    /// dropped file, a recent file), recent entry `index` (0 = most
    /// recent). Each refuses while a transfer runs and asks before changes
    /// are lost. A file that cannot be opened is reported, leaves the
    /// document as it was, and leaves the recent-file list.
    Changes fileNew();
    Changes fileOpen();
    Changes openFile(const std::string& path);
    Changes openRecent(int index);
    /// Save (Save As for a document that has no file) and Save As; both
    /// take an open cell edit in first.
    Changes fileSave();
    Changes fileSaveAs();
    /// The window is closing (close box, Exit): false keeps it open (a
    /// transfer runs, or the user chose to keep the changes).
    bool close();

    // ---- The form ----
    /// The user picked entry `index` of a settings box; for the model box
    /// this is the model change.
    Changes chooseSetting(Setting setting, int index);
    /// The grid's and the editors' events: see TableEditor.
    Changes moveTo(int row, int col);
    Changes press(int row, int col, bool rightButton);
    Changes doubleClick(int row, int col);
    Changes typed(char32_t key);
    Changes enter();
    Changes escape();
    void edit(const std::string& text);
    void choose(int index);
    void setFocus(FocusPlace place);
    /// Takes an open cell edit into the table, with its checks, before a
    /// command reads the form (printing, the report).
    Changes commitEdit();

    // ---- Undo ----
    /// Every change of the document is one step: a committed cell, a
    /// settings box (the model change with the records it rewrites), a read
    /// from the radio. Undo takes an open edit in first, so that it is the
    /// step undone. New and Open start afresh; nothing is undone while a
    /// transfer runs.
    Changes undo();
    Changes redo();
    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }

    // ---- Transfers ----
    /// Read (Ctrl+R) and Write (Ctrl+W): commit the open edit, then show
    /// the progress window for that direction, or leave the shown one where
    /// it is. A window still waiting for Start takes the new direction and
    /// caption; a running transfer keeps both.
    Changes read();
    Changes write();
    /// Start in the progress window: encodes the form for a write, opens the
    /// port and starts the worker. Does nothing unless the window waits.
    Changes startTransfer();
    /// Cancel, Escape or the close box of the progress window. Between two
    /// radios of a clone run it ends the run.
    Changes cancelTransfer();
    /// The check boxes of the progress window; they take effect at the
    /// next Start and are remembered.
    Changes setVerify(bool on);
    Changes setBackupFirst(bool on);
    /// 批量写频: the document, as a write would send it, becomes the master
    /// that each Start writes into the radio connected then. The window
    /// stays between radios and shows the running count; a radio that fails
    /// ends the run, and so does Cancel between radios. Each radio gets a
    /// line in the clone log next to the backup folder.
    Changes cloneRun();
    /// True while a clone run lasts, between radios included.
    bool cloning() const { return m_clone.has_value(); }
    /// Takes the worker's events on the face's thread: status, progress, the
    /// retry question and failure reports (through Prompts), and the end.
    Changes pump();
    /// True from Start until the transfer has ended and its window closed;
    /// meanwhile nothing may replace or close the document.
    bool transferring() const;
    /// How the next Start opens its port and what clock paces it; tests put
    /// in a radio in virtual time.
    void setTransferLink(PortOpener opener, Clock& clock) {
        m_opener = std::move(opener);
        m_clock = &clock;
    }

    // ---- Channels in and out ----
    /// 导出CSV: the channels, as other radio programmers read them.
    Changes exportCsv();
    /// 导入CSV: the file's rows with the entry checks; shows what would be
    /// added and replaced and what was refused, and applies them, as one
    /// undo step, only when the user agrees.
    Changes importCsv();
    /// 与文件比较: every difference between the document and a channel
    /// file, in the form's terms; the differing cells stay highlighted
    /// until the next change.
    Changes compareWithFile();
    /// The whole channels the user selected on the channel numbers: a click
    /// selects one, Shift (or a drag) extends from the last click, Ctrl
    /// adds or removes one. Any other click clears the selection.
    Changes selectChannel(int channel, bool extend, bool toggle);
    Changes clearChannelSelection();
    const std::vector<int>& selectedChannels() const { return m_selected; }
    /// Ctrl+C: the selected channels, or the current cell's, as
    /// tab-separated text with a header line.
    std::string copyRows();
    /// Ctrl+V: tab-separated rows from the first selected channel (or the
    /// current cell's) on, with the entry checks; asks before it replaces
    /// channels that hold data or leaves rows out.
    Changes pasteRows(const std::string& text);
    /// Delete: clears the selected channels after a question.
    Changes clearRows();
    /// Cells (row, column) that differed in the last comparison.
    const std::vector<std::pair<int, int>>& highlighted() const { return m_highlighted; }

    // ---- Backups ----
    /// Where every complete read is kept; tests put it in a folder of their
    /// own.
    const std::string& backupFolder() const { return m_backupFolder; }
    void setBackupFolder(std::string folder) { m_backupFolder = std::move(folder); }
    /// The backup of the last complete read; empty before one.
    const std::string& lastBackup() const { return m_lastBackup; }
    /// Makes the backup folder when missing, for the face to open in the
    /// system's file manager; false after telling the user it cannot.
    bool prepareBackupFolder();
    /// Tells the user the system could not show the folder.
    void backupFolderNotShown();
    /// The clone log of the window's runs, next to the backup folder.
    std::string cloneLog() const;

    // ---- Ports ----
    /// The port menu for the ports present now.
    std::vector<PortItem> portMenu() const;
    Changes selectPort(const std::string& name);
    /// "其他端口(&O)...": asks for a port name typed by hand.
    Changes askPort();

private:
    /// Tells the user that a transfer still uses the document; true then.
    bool refuseWhileTransferring();
    /// Before the document is replaced or closed: takes in the open edit
    /// and, when there are changes, asks whether to save them. False keeps
    /// the document (Cancel, or a save that did not happen).
    bool saveModified(Changes& changes);
    /// Saves to `path`, or through Save As when it is empty.
    bool saveTo(const std::string& path, Changes& changes);
    /// The document as one undo step sees it.
    struct Snapshot {
        FormState form;
        RadioImage image;
    };
    /// After anything that may have changed the document: a change of the
    /// form becomes an undo step; an image changed alone (encoded for a save
    /// or a write) is no step of the user's and is taken in silently,
    /// unless `step` says it is (a read).
    void checkpoint(bool step = false);
    /// Forgets every step: the document was replaced.
    void startHistory();
    /// Shows what rows would change, with the refused ones; applies them as
    /// one step when the user agrees (or, with `ask` false, when nothing
    /// is replaced or refused).
    Changes applyRows(const RowImport& rows, const std::string& headline, bool ask);
    /// The channels a row command works on: the selection, else the
    /// current cell's channel.
    std::vector<int> targetChannels() const;
    /// A check box of the progress window, remembered under `key`.
    Changes setCheckBox(bool shown, bool& box, const char* key, bool on);
    /// Undo (from the undo steps to the redo steps) or redo.
    Changes travel(std::vector<Snapshot>& from, std::vector<Snapshot>& to);
    /// Shows the snapshot that undo or redo made current.
    Changes restore();
    Changes newDocument();
    /// Opens `path` as the document; a failure is shown and the path leaves
    /// the recent-file list.
    bool openDocument(const std::string& path, Changes& changes);
    Changes afterDocumentReplaced();
    Changes fromTable(const TableEffects& effects);
    /// One transfer of what Start set off: a plain read or write, or one
    /// step of a verified write or of a clone run's radio.
    enum class Step { Read, BackupRead, Write, VerifyRead };
    Changes showProgress(bool write);
    void stepProgress();
    /// Opens the port and starts the job of m_plan's first step; false
    /// after the port's failure was shown.
    bool startStep();
    Changes finish(const TransferEvent& end);
    /// A complete read: its backup, and the warning when that failed.
    void backUp(const RadioImage& image);
    /// The radio of a clone run ended: counted, logged, and the window
    /// waits for the next radio unless this one stops the run.
    void radioEnded(CloneOutcome outcome, const std::vector<Difference>& differences);
    void endClone();
    void closeProgress(TransferOutcome outcome);

    Prompts& m_prompts;
    SettingsStore& m_settings;
    RecentFiles m_recent;
    Wake m_wake;
    PortOpener m_opener;
    Clock* m_clock;
    Document m_doc;
    TableEditor m_table;
    PortChoice m_ports;
    ProgressWindow m_progress;
    bool m_write = false;
    std::deque<Step> m_plan;
    /// What the write of this Start sends, for its verify.
    RadioImage m_sent;
    std::optional<CloneRun> m_clone;
    std::string m_backupFolder;
    std::string m_lastBackup;
    std::unique_ptr<TransferJob> m_job;
    bool m_pumping = false;
    std::vector<int> m_selected;
    int m_selectionAnchor = 0;
    std::vector<std::pair<int, int>> m_highlighted;
    Snapshot m_current;
    std::vector<Snapshot> m_undo;
    std::vector<Snapshot> m_redo;
};

} // namespace varnok::app
