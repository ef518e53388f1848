#include "app/workspace.h"

#include "app/strings.h"
#include "app/text.h"
#include "link/diagnosis.h"

#include <cstdlib>
#include <system_error>

namespace varnok::app {
namespace {

Focus focusOf(FocusMove move) {
    switch (move) {
    case FocusMove::Editor:
        return Focus::Editor;
    case FocusMove::Grid:
        return Focus::Grid;
    case FocusMove::NextControl:
        return Focus::NextControl;
    default:
        return Focus::Stay;
    }
}

/// The user's home folder, where the choosers start before any file.
std::string homeFolder() {
#ifdef _WIN32
    if (const wchar_t* profile = _wgetenv(L"USERPROFILE"); profile && *profile)
        return utf8Path(std::filesystem::path(profile));
#else
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
#endif
    std::error_code error;
    return utf8Path(std::filesystem::current_path(error));
}

/// The absolute, tidied form of a path, so that the recent-file list holds
/// every file once.
std::string absolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(fsPath(path), error);
    return utf8Path((error ? fsPath(path) : absolute).lexically_normal());
}

} // namespace

Changes& Changes::operator+=(const Changes& later) {
    form = form || later.form;
    editor = editor || later.editor;
    progress = progress || later.progress;
    recentFiles = recentFiles || later.recentFiles;
    port = port || later.port;
    if (later.focus != Focus::Stay)
        focus = later.focus;
    return *this;
}

Workspace::Workspace(Prompts& prompts, SettingsStore& settings, Wake wake, PortOpener opener, Clock& clock)
    : m_prompts(prompts), m_recent(settings), m_wake(std::move(wake)), m_opener(std::move(opener)), m_clock(&clock),
      m_table(m_doc.form) {}

Workspace::~Workspace() { m_job.reset(); }

std::string Workspace::lastFolder() const {
    if (!m_doc.path().empty())
        return utf8Path(fsPath(m_doc.path()).parent_path());
    const std::vector<std::string> files = m_recent.list();
    if (!files.empty())
        return utf8Path(fsPath(absolutePath(files.front())).parent_path());
    return homeFolder();
}

// ---- Start and the File menu ----

Changes Workspace::start(const std::string& file) {
    // A file that cannot be opened has been reported; the program goes on
    // with a new document rather than ending.
    Changes changes;
    if (!file.empty() && openDocument(file, changes))
        return changes;
    changes += newDocument();
    return changes;
}

Changes Workspace::fileNew() {
    Changes changes;
    if (refuseWhileTransferring() || !saveModified(changes))
        return changes;
    changes += newDocument();
    return changes;
}

Changes Workspace::fileOpen() {
    if (refuseWhileTransferring())
        return {};
    const std::optional<std::string> path = m_prompts.openPath(lastFolder());
    if (!path || path->empty())
        return {};
    return openFile(*path);
}

Changes Workspace::openFile(const std::string& path) {
    Changes changes;
    if (path.empty() || refuseWhileTransferring() || !saveModified(changes))
        return changes;
    openDocument(path, changes);
    return changes;
}

Changes Workspace::openRecent(int index) {
    const std::vector<std::string> files = m_recent.list();
    if (index < 0 || static_cast<std::size_t>(index) >= files.size())
        return {};
    return openFile(files[static_cast<std::size_t>(index)]);
}

Changes Workspace::fileSave() {
    Changes changes = commitEdit();
    saveTo(m_doc.path(), changes);
    return changes;
}

Changes Workspace::fileSaveAs() {
    Changes changes = commitEdit();
    saveTo(std::string(), changes);
    return changes;
}

bool Workspace::close() {
    Changes ignored;
    return !refuseWhileTransferring() && saveModified(ignored);
}

bool Workspace::refuseWhileTransferring() {
    if (!transferring())
        return false;
    m_prompts.show(titled(Icon::Information, strings::kTransferRunning));
    return true;
}

bool Workspace::saveModified(Changes& changes) {
    changes += commitEdit();
    if (!m_doc.modified())
        return true;
    const Button answer = m_prompts.show(titled(Icon::Question, arg(strings::kSaveChangesQuestion, m_doc.title()),
                                                {Button::Save, Button::Discard, Button::Cancel}, Button::Save));
    switch (answer) {
    case Button::Save:
        return saveTo(m_doc.path(), changes);
    case Button::Discard:
        return true;
    default:
        return false;
    }
}

bool Workspace::saveTo(const std::string& path, Changes& changes) {
    std::string target = path;
    if (target.empty()) {
        const std::string suggested =
            m_doc.path().empty() ? utf8Path(fsPath(lastFolder()) /
                                            fsPath(std::string(strings::kNewFileName) + "." + strings::kFileSuffix))
                                 : m_doc.path();
        const std::optional<std::string> chosen = m_prompts.savePath(suggested);
        if (!chosen || chosen->empty())
            return false;
        target = *chosen;
    }
    target = absolutePath(target);
    if (const std::optional<FileError> error = m_doc.save(target)) {
        m_prompts.show(titled(Icon::Warning, arg(strings::kSaveFailed, nativePath(target)) + "\n\n" + error->message));
        return false;
    }
    m_recent.add(target);
    changes.recentFiles = true;
    return true;
}

Changes Workspace::newDocument() {
    m_doc.makeNew();
    return afterDocumentReplaced();
}

bool Workspace::openDocument(const std::string& path, Changes& changes) {
    const std::string absolute = absolutePath(path);
    if (const std::optional<FileError> error = m_doc.open(absolute)) {
        const char* headline =
            error->kind == FileError::Kind::Format ? strings::kNotAChannelFile : strings::kOpenFailed;
        m_prompts.show(titled(Icon::Warning, arg(headline, nativePath(absolute)) + "\n\n" + error->message));
        m_recent.remove(absolute);
        changes.recentFiles = true;
        return false;
    }
    m_recent.add(absolute);
    changes.recentFiles = true;
    changes += afterDocumentReplaced();
    return true;
}

Changes Workspace::afterDocumentReplaced() {
    // The document has been decoded into the form; the editor starts afresh
    // on it, and the cell it stands on must not bring back the old value.
    Changes changes = fromTable(m_table.reset());
    changes += fromTable(m_table.formReplaced());
    changes.form = true;
    changes.focus = Focus::ModelBox;
    return changes;
}

// ---- The form ----

Changes Workspace::chooseSetting(Setting setting, int index) {
    Changes changes;
    if (setting == Setting::Model) {
        m_doc.changeModel(index);
        changes = fromTable(m_table.modelChanged());
    } else {
        m_doc.form.select(setting, index);
    }
    changes.form = true;
    return changes;
}

Changes Workspace::moveTo(int row, int col) { return fromTable(m_table.moveTo(row, col)); }
Changes Workspace::press(int row, int col, bool rightButton) { return fromTable(m_table.press(row, col, rightButton)); }
Changes Workspace::doubleClick(int row, int col) { return fromTable(m_table.doubleClick(row, col)); }
Changes Workspace::typed(char32_t key) { return fromTable(m_table.typed(key)); }
Changes Workspace::enter() { return fromTable(m_table.enter()); }
Changes Workspace::escape() { return fromTable(m_table.escape()); }
void Workspace::edit(const std::string& text) { m_table.edit(text); }
void Workspace::choose(int index) { m_table.choose(index); }
void Workspace::setFocus(FocusPlace place) { m_table.setFocus(place); }
Changes Workspace::commitEdit() { return fromTable(m_table.commit()); }

Changes Workspace::fromTable(const TableEffects& effects) {
    for (EntryMessage message : effects.messages)
        m_prompts.show(entryMessage(message));
    Changes changes;
    changes.form = effects.cellsChanged;
    changes.editor = effects.currentChanged || effects.editorChanged;
    changes.focus = focusOf(effects.focus);
    return changes;
}

// ---- Transfers ----

Changes Workspace::read() { return showProgress(false); }

Changes Workspace::write() { return showProgress(true); }

Changes Workspace::showProgress(bool write) {
    Changes changes = commitEdit();
    // The direction of a running transfer was fixed at Start; the caption
    // keeps saying which it is.
    if (m_progress.state != ProgressWindow::State::Running) {
        m_write = write;
        m_progress.caption = write ? strings::kWriteCaption : strings::kReadCaption;
    }
    if (m_progress.state == ProgressWindow::State::NoWindow) {
        m_progress.state = ProgressWindow::State::Waiting;
        m_progress.position = 0;
        m_progress.status = strings::kProgressWaiting;
        m_progress.startEnabled = true;
    }
    changes.progress = true;
    return changes;
}

Changes Workspace::startTransfer() {
    if (m_progress.state != ProgressWindow::State::Waiting || m_job)
        return {};
    Changes changes;
    changes.progress = true;
    m_progress.state = ProgressWindow::State::Running;
    m_progress.startEnabled = false;
    // Every write encodes the form, whether or not the port then opens.
    if (m_write)
        encodeForm(m_doc.form, m_doc.image);

    OpenedPort opened = m_opener ? m_opener(m_ports.port(), *m_clock) : openPort(m_ports.port(), *m_clock);
    if (!opened.port) {
        std::string text = transferText::kCannotOpenPort;
        if (const std::string detail = diagnoseOpen(m_ports.port(), opened); !detail.empty())
            text += "\n\n" + detail;
        m_prompts.show(titled(Icon::Warning, text));
        m_progress.state = ProgressWindow::State::NoWindow;
        m_progress.ended = TransferOutcome::Failed;
        ++m_progress.endings;
        return changes;
    }
    m_job = std::make_unique<TransferJob>(std::move(opened.port), m_write ? Direction::Write : Direction::Read,
                                          m_doc.image, *m_clock, m_wake);
    return changes;
}

Changes Workspace::cancelTransfer() {
    Changes changes;
    if (m_progress.state == ProgressWindow::State::Waiting) {
        // Before Start there is nothing to stop.
        m_progress.state = ProgressWindow::State::NoWindow;
        changes.progress = true;
    } else if (m_job) {
        // The worker sees the request within one block; the end closes the
        // window.
        m_job->cancel();
    }
    return changes;
}

Changes Workspace::pump() {
    // A question runs a nested event loop in which the face may pump again;
    // the outer call goes on taking the events once the answer is in.
    if (m_pumping)
        return {};
    m_pumping = true;
    Changes changes;
    while (m_job) {
        std::optional<TransferEvent> event = m_job->next();
        if (!event)
            break;
        changes.progress = true;
        switch (event->kind) {
        case TransferEvent::Kind::Status:
            m_progress.status = event->text;
            break;
        case TransferEvent::Kind::BlockDone:
            stepProgress();
            break;
        case TransferEvent::Kind::Question: {
            // Only Cancel abandons; Escape and the close box count as Cancel.
            const Button answer = m_prompts.show(
                Message{Icon::None, strings::kAppTitle, event->text, {Button::Retry, Button::Cancel}, Button::Retry});
            m_job->answer(answer != Button::Cancel);
            break;
        }
        case TransferEvent::Kind::Report:
            m_prompts.show(titled(Icon::Warning, event->text, {Button::Ok}, Button::Ok));
            m_job->answer(false);
            break;
        case TransferEvent::Kind::Finished:
            changes += finish(*event);
            break;
        }
    }
    m_pumping = false;
    return changes;
}

void Workspace::stepProgress() {
    // The bar has 123 steps: a read's last 5 blocks and a write's last one
    // leave it where it is.
    const bool write = m_job->direction() == Direction::Write;
    if (m_progress.position > (write ? ProgressWindow::kMax - 2 : ProgressWindow::kMax - 1))
        return;
    ++m_progress.position;
    m_progress.status = std::to_string(m_progress.position);
}

Changes Workspace::finish(const TransferEvent& end) {
    const bool write = m_job->direction() == Direction::Write;
    m_job.reset(); // the worker has queued its last event and is ending
    Changes changes;
    changes.progress = true;
    const bool complete = end.outcome == TransferOutcome::Complete;
    if (complete)
        m_progress.position = ProgressWindow::kMax;
    m_progress.state = ProgressWindow::State::NoWindow;
    m_progress.ended = end.outcome;
    ++m_progress.endings;
    if (complete && !write) {
        m_doc.takeImage(end.image);
        changes += fromTable(m_table.modelChanged());
        changes += fromTable(m_table.formReplaced());
        changes.form = true;
    }
    // A cancel says nothing and a failure names only the block that failed;
    // neither tells that the radio now holds part of the new data.
    if (write && !complete && end.blocksStarted)
        m_prompts.show(titled(Icon::Warning, transferText::kWriteIncomplete));
    return changes;
}

bool Workspace::transferring() const { return m_job || m_progress.state == ProgressWindow::State::Running; }

// ---- Ports ----

std::vector<PortItem> Workspace::portMenu() const { return m_ports.menu(listSerialPorts()); }

Changes Workspace::selectPort(const std::string& name) {
    const std::string before = m_ports.port();
    m_ports.select(name);
    Changes changes;
    changes.port = m_ports.port() != before;
    return changes;
}

Changes Workspace::askPort() {
    const std::optional<std::string> answer = m_prompts.portName(m_ports.port());
    if (!answer)
        return {};
    return selectPort(*answer);
}

} // namespace varnok::app
