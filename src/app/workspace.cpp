#include "app/workspace.h"

#include "app/backups.h"
#include "app/strings.h"
#include "app/text.h"
#include "link/diagnosis.h"

#include <algorithm>
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

constexpr const char* kVerifyKey = "Settings/VerifyAfterWrite";
constexpr const char* kBackupFirstKey = "Settings/CloneBackupFirst";

bool remembered(const SettingsStore& settings, const char* key) { return settings.value(key).value_or("0") == "1"; }

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
    : m_prompts(prompts), m_settings(settings), m_recent(settings), m_wake(std::move(wake)),
      m_opener(std::move(opener)), m_clock(&clock), m_table(m_doc.form), m_backupFolder(defaultBackupFolder()) {}

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
    startHistory();
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
    checkpoint();
    changes.form = true;
    return changes;
}

// ---- Channels in and out ----

namespace {

/// "1、2、5"
std::string channelList(const std::vector<int>& channels) {
    std::string text;
    for (int channel : channels)
        text += (text.empty() ? "" : "、") + std::to_string(channel);
    return text;
}

/// A CSV is a few kilobytes; anything far larger is not one.
constexpr std::size_t kCsvLimit = 1 << 20;

} // namespace

Changes Workspace::exportCsv() {
    Changes changes = commitEdit();
    const std::string stem = fsPath(m_doc.path().empty() ? std::string(strings::kNewFileName) : m_doc.path())
                                 .stem()
                                 .u8string();
    const std::optional<std::string> path =
        m_prompts.csvPath(utf8Path(fsPath(lastFolder()) / fsPath(stem + "." + strings::kCsvSuffix)), true);
    if (!path || path->empty())
        return changes;
    if (const auto error = saveFileContent(fsPath(*path), app::exportCsv(m_doc.form)))
        m_prompts.show(titled(Icon::Warning, arg(strings::kExportFailed, nativePath(*path)) + "\n\n" + error->message));
    return changes;
}

Changes Workspace::importCsv() {
    Changes changes = commitEdit();
    if (refuseWhileTransferring())
        return changes;
    const std::optional<std::string> path = m_prompts.csvPath(utf8Path(fsPath(lastFolder()) / ""), false);
    if (!path || path->empty())
        return changes;
    std::string text;
    if (const auto error = loadFileContent(fsPath(*path), kCsvLimit, text)) {
        m_prompts.show(titled(Icon::Warning, arg(strings::kOpenFailed, nativePath(*path)) + "\n\n" + error->message));
        return changes;
    }
    const RowImport rows = app::importCsv(text, m_doc.form.selection(Setting::Band));
    changes += applyRows(rows, arg(strings::kImportFrom, utf8Path(fsPath(*path).filename())), true);
    return changes;
}

Changes Workspace::applyRows(const RowImport& rows, const std::string& headline, bool ask) {
    const ImportChanges plan = importChanges(m_doc.form, rows);
    std::string text = headline;
    if (!plan.added.empty())
        text += "\n" + arg(strings::kRowsAdded, channelList(plan.added));
    if (!plan.replaced.empty())
        text += "\n" + arg(strings::kRowsReplaced, channelList(plan.replaced));
    if (!rows.refusals.empty()) {
        text += "\n" + std::string(strings::kRowsRefused);
        for (std::size_t i = 0; i < rows.refusals.size() && i < 20; ++i)
            text += "\n" + rows.refusals[i].text();
    }
    if (!rows.notice.empty())
        text += "\n" + rows.notice;
    if (plan.added.empty() && plan.replaced.empty()) {
        text += "\n" + std::string(strings::kRowsNothing);
        m_prompts.show(titled(Icon::Warning, text));
        return {};
    }
    if (ask || !plan.replaced.empty() || !rows.refusals.empty()) {
        text += "\n\n" + std::string(strings::kRowsQuestion);
        if (m_prompts.show(titled(Icon::Question, text, {Button::Ok, Button::Cancel}, Button::Ok)) != Button::Ok)
            return {};
    }
    applyImport(m_doc.form, rows);
    checkpoint();
    Changes changes = fromTable(m_table.formReplaced());
    changes.form = true;
    return changes;
}

Changes Workspace::compareWithFile() {
    Changes changes = commitEdit();
    const std::optional<std::string> path = m_prompts.openPath(lastFolder());
    if (!path || path->empty())
        return changes;
    RadioImage other;
    if (const std::optional<FileError> error = loadChannelFile(fsPath(*path), other)) {
        const char* headline =
            error->kind == FileError::Kind::Format ? strings::kNotAChannelFile : strings::kOpenFailed;
        m_prompts.show(titled(Icon::Warning, arg(headline, nativePath(*path)) + "\n\n" + error->message));
        return changes;
    }
    // Both as a save would write them: the document now, and the file once
    // opened, so that opening alone (which rewrites the auxiliary records
    // and tidies empty channels) counts as no difference.
    RadioImage current = m_doc.image;
    encodeForm(m_doc.form, current);
    FormState shown;
    decodeImage(other, shown);
    encodeForm(shown, other);
    const std::vector<Difference> differences = compareImages(current, other);
    const std::string name = utf8Path(fsPath(*path).filename());
    m_highlighted.clear();
    for (const Difference& difference : differences)
        if (difference.kind == Difference::Kind::Cell)
            m_highlighted.emplace_back(difference.channel, difference.column);
    changes.form = true;
    if (differences.empty()) {
        m_prompts.show(titled(Icon::Information, arg(strings::kCompareSame, name)));
        return changes;
    }
    std::string text = arg(arg(strings::kCompareDifferent, name), std::to_string(differences.size()), "%2");
    constexpr std::size_t kShown = 40;
    for (std::size_t i = 0; i < differences.size() && i < kShown; ++i)
        text += "\n" + differences[i].line();
    if (differences.size() > kShown)
        text += "\n" + arg(strings::kCompareMore, std::to_string(differences.size() - kShown));
    m_prompts.show(titled(Icon::Information, text));
    return changes;
}

Changes Workspace::selectChannel(int channel, bool extend, bool toggle) {
    if (channel < 1 || channel >= kTableRows)
        return {};
    if (extend && m_selectionAnchor > 0) {
        m_selected.clear();
        for (int c = std::min(channel, m_selectionAnchor); c <= std::max(channel, m_selectionAnchor); ++c)
            m_selected.push_back(c);
    } else if (toggle) {
        const auto found = std::find(m_selected.begin(), m_selected.end(), channel);
        if (found != m_selected.end())
            m_selected.erase(found);
        else
            m_selected.insert(std::upper_bound(m_selected.begin(), m_selected.end(), channel), channel);
        m_selectionAnchor = channel;
    } else {
        m_selected = {channel};
        m_selectionAnchor = channel;
    }
    Changes changes;
    changes.form = true;
    return changes;
}

Changes Workspace::clearChannelSelection() {
    if (m_selected.empty())
        return {};
    m_selected.clear();
    m_selectionAnchor = 0;
    Changes changes;
    changes.form = true;
    return changes;
}

std::vector<int> Workspace::targetChannels() const {
    if (!m_selected.empty())
        return m_selected;
    const int row = m_table.row();
    return row >= 1 && row < kTableRows ? std::vector<int>{row} : std::vector<int>{};
}

std::string Workspace::copyRows() {
    commitEdit();
    return rowsToTsv(m_doc.form, targetChannels());
}

Changes Workspace::pasteRows(const std::string& text) {
    Changes changes = commitEdit();
    const std::vector<int> channels = targetChannels();
    if (refuseWhileTransferring() || channels.empty())
        return changes;
    const RowImport rows = parseTsvRows(text, channels.front(), m_doc.form.selection(Setting::Band));
    changes += applyRows(rows, strings::kPasteRows, false);
    return changes;
}

Changes Workspace::clearRows() {
    Changes changes = commitEdit();
    if (refuseWhileTransferring() || m_selected.empty())
        return changes;
    if (m_prompts.show(titled(Icon::Question, arg(strings::kClearQuestion, channelList(m_selected)),
                              {Button::Ok, Button::Cancel}, Button::Cancel)) != Button::Ok)
        return changes;
    for (int channel : m_selected)
        for (int col = column::kRxFrequency; col < column::kCount; ++col)
            m_doc.form.cell(channel, col).clear();
    checkpoint();
    changes += fromTable(m_table.formReplaced());
    changes.form = true;
    return changes;
}

// ---- Undo ----

void Workspace::checkpoint(bool step) {
    if (m_doc.form == m_current.form && !(step && m_doc.image != m_current.image)) {
        m_current.image = m_doc.image;
        return;
    }
    m_undo.push_back(std::move(m_current));
    m_redo.clear();
    m_current = Snapshot{m_doc.form, m_doc.image};
    // A comparison's marks describe the form as it was.
    m_highlighted.clear();
}

void Workspace::startHistory() {
    m_highlighted.clear();
    m_selected.clear();
    m_selectionAnchor = 0;
    m_undo.clear();
    m_redo.clear();
    m_current = Snapshot{m_doc.form, m_doc.image};
}

Changes Workspace::undo() { return travel(m_undo, m_redo); }

Changes Workspace::redo() { return travel(m_redo, m_undo); }

Changes Workspace::travel(std::vector<Snapshot>& from, std::vector<Snapshot>& to) {
    Changes changes = commitEdit();
    if (transferring() || from.empty())
        return changes;
    to.push_back(std::move(m_current));
    m_current = std::move(from.back());
    from.pop_back();
    changes += restore();
    return changes;
}

Changes Workspace::restore() {
    m_highlighted.clear();
    m_doc.form = m_current.form;
    m_doc.image = m_current.image;
    // The model box may have changed its entries, and the editor must not
    // bring back a value from before.
    Changes changes = fromTable(m_table.modelChanged());
    changes += fromTable(m_table.formReplaced());
    changes.form = true;
    return changes;
}

Changes Workspace::moveTo(int row, int col) { return fromTable(m_table.moveTo(row, col)); }
Changes Workspace::press(int row, int col, bool rightButton) { return fromTable(m_table.press(row, col, rightButton)); }
Changes Workspace::doubleClick(int row, int col) { return fromTable(m_table.doubleClick(row, col)); }
Changes Workspace::typed(char32_t key) { return fromTable(m_table.typed(key)); }
Changes Workspace::enter() { return fromTable(m_table.enter()); }
Changes Workspace::escape() { return fromTable(m_table.escape()); }
void Workspace::edit(const std::string& text) {
    // The tone box shows the no-tone name in the window's language; typed,
    // it means the name the tone table holds.
    if (m_table.open() == CellEditor::Tone && text == strings::tr(strings::kToneNone))
        m_table.edit(strings::kToneNone.zh);
    else
        m_table.edit(text);
}
void Workspace::choose(int index) { m_table.choose(index); }
void Workspace::setFocus(FocusPlace place) { m_table.setFocus(place); }
Changes Workspace::commitEdit() { return fromTable(m_table.commit()); }

Changes Workspace::fromTable(const TableEffects& effects) {
    if (effects.cellsChanged)
        checkpoint();
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
    // A clone run's window is its own; Read and Write leave it alone.
    if (m_clone)
        return changes;
    // The direction of a running transfer was fixed at Start; the caption
    // keeps saying which it is.
    if (m_progress.state != ProgressWindow::State::Running) {
        m_write = write;
        m_progress.caption = strings::tr(write ? strings::kWriteCaption : strings::kReadCaption);
        m_progress.verifyShown = write;
    }
    if (m_progress.state == ProgressWindow::State::NoWindow) {
        m_progress.state = ProgressWindow::State::Waiting;
        m_progress.position = 0;
        m_progress.status = strings::tr(strings::kProgressWaiting);
        m_progress.startEnabled = true;
        m_progress.verify = remembered(m_settings, kVerifyKey);
        m_progress.backupFirstShown = false;
        m_progress.tally.clear();
    }
    changes.progress = true;
    return changes;
}

Changes Workspace::cloneRun() {
    Changes changes = commitEdit();
    if (refuseWhileTransferring() || m_progress.state != ProgressWindow::State::NoWindow)
        return changes;
    // The master is what a write of the document would send now.
    RadioImage master = m_doc.image;
    encodeForm(m_doc.form, master);
    CloneRun run(master, m_ports.port(), remembered(m_settings, kVerifyKey), cloneLog());
    std::error_code ec; // a folder that cannot be made is named by the check
    std::filesystem::create_directories(fsPath(cloneLog()).parent_path(), ec);
    if (const auto error = run.checkLog()) {
        m_prompts.show(titled(Icon::Warning, arg(strings::kCloneLogFailed, nativePath(run.log())) + "\n\n" + *error));
        return changes;
    }
    m_clone.emplace(std::move(run));
    m_write = true;
    m_progress.state = ProgressWindow::State::Waiting;
    m_progress.caption = strings::tr(strings::kCloneCaption);
    m_progress.position = 0;
    m_progress.status = m_clone->connectPrompt(false);
    m_progress.startEnabled = true;
    m_progress.verifyShown = true;
    m_progress.verify = m_clone->verify();
    m_progress.backupFirstShown = true;
    m_progress.backupFirst = remembered(m_settings, kBackupFirstKey);
    m_progress.tally = m_clone->tally();
    changes.progress = true;
    return changes;
}

Changes Workspace::setVerify(bool on) {
    return setCheckBox(m_progress.verifyShown, m_progress.verify, kVerifyKey, on);
}

Changes Workspace::setBackupFirst(bool on) {
    return setCheckBox(m_progress.backupFirstShown, m_progress.backupFirst, kBackupFirstKey, on);
}

Changes Workspace::setCheckBox(bool shown, bool& box, const char* key, bool on) {
    // Only a waiting window's boxes change: a running transfer keeps the
    // choices it started with.
    if (m_progress.state != ProgressWindow::State::Waiting || !shown)
        return {};
    box = on;
    m_settings.setValue(key, std::string(on ? "1" : "0"));
    Changes changes;
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
    m_plan.clear();
    if (m_clone) {
        m_sent = m_clone->master();
        if (m_progress.backupFirst)
            m_plan.push_back(Step::BackupRead);
        m_plan.push_back(Step::Write);
    } else if (m_write) {
        // Every write encodes the form, whether or not the port then opens.
        encodeForm(m_doc.form, m_doc.image);
        m_sent = m_doc.image;
        m_plan.push_back(Step::Write);
    } else {
        m_plan.push_back(Step::Read);
    }
    if (m_progress.verifyShown && m_progress.verify)
        m_plan.push_back(Step::VerifyRead);

    if (!startStep()) {
        // Nothing reached the radio: a clone run waits for the same radio
        // again, as the user may pick another port first.
        if (m_clone) {
            m_progress.state = ProgressWindow::State::Waiting;
            m_progress.startEnabled = true;
            m_progress.status = m_clone->connectPrompt(false);
        } else {
            closeProgress(TransferOutcome::Failed);
        }
    }
    return changes;
}

bool Workspace::startStep() {
    const Step step = m_plan.front();
    OpenedPort opened = m_opener ? m_opener(m_ports.port(), *m_clock) : openPort(m_ports.port(), *m_clock);
    if (!opened.port) {
        std::string text = transferText::kCannotOpenPort;
        if (const std::string detail = diagnoseOpen(m_ports.port(), opened); !detail.empty())
            text += "\n\n" + detail;
        m_prompts.show(titled(Icon::Warning, text));
        return false;
    }
    if (step == Step::VerifyRead && !m_clone)
        m_progress.caption = strings::tr(strings::kVerifyCaption);
    m_progress.position = 0;
    const bool write = step == Step::Write;
    m_job = std::make_unique<TransferJob>(std::move(opened.port), write ? Direction::Write : Direction::Read,
                                          write ? m_sent : m_doc.image, *m_clock, m_wake);
    return true;
}

Changes Workspace::cancelTransfer() {
    Changes changes;
    if (m_progress.state == ProgressWindow::State::Waiting) {
        // Before Start there is nothing to stop; between the radios of a
        // clone run, the run ends.
        m_progress.state = ProgressWindow::State::NoWindow;
        if (m_clone)
            endClone();
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

void Workspace::closeProgress(TransferOutcome outcome) {
    m_plan.clear();
    m_progress.state = ProgressWindow::State::NoWindow;
    m_progress.ended = outcome;
    ++m_progress.endings;
}

Changes Workspace::finish(const TransferEvent& end) {
    const Step step = m_plan.front();
    m_plan.pop_front();
    m_job.reset(); // the worker has queued its last event and is ending
    Changes changes;
    changes.progress = true;
    const bool complete = end.outcome == TransferOutcome::Complete;
    if (complete)
        m_progress.position = ProgressWindow::kMax;

    if (step == Step::Read && complete) {
        m_doc.takeImage(end.image);
        checkpoint(true);
        backUp(end.image);
        changes += fromTable(m_table.modelChanged());
        changes += fromTable(m_table.formReplaced());
        changes.form = true;
    }
    if (step == Step::BackupRead && complete)
        backUp(end.image);
    // A cancel says nothing and a failure names only the block that failed;
    // neither tells that the radio now holds part of the new data.
    if (step == Step::Write && !complete && end.blocksStarted)
        m_prompts.show(titled(Icon::Warning, transferText::kWriteIncomplete));

    std::vector<Difference> differences;
    if (step == Step::VerifyRead && complete)
        differences = verifyDifferences(m_sent, end.image);

    if (complete && !m_plan.empty()) {
        if (startStep())
            return changes;
        // The port went away between two steps of one radio.
        if (m_clone)
            radioEnded(CloneOutcome::Failed, {});
        else
            closeProgress(TransferOutcome::Failed);
        return changes;
    }

    if (m_clone) {
        CloneOutcome outcome = CloneOutcome::Written;
        if (end.outcome == TransferOutcome::Cancelled)
            outcome = CloneOutcome::Cancelled;
        else if (!complete)
            outcome = CloneOutcome::Failed;
        else if (step == Step::VerifyRead)
            outcome = differences.empty() ? CloneOutcome::Verified : CloneOutcome::VerifyFailed;
        radioEnded(outcome, differences);
        return changes;
    }

    closeProgress(end.outcome);
    if (step == Step::VerifyRead && complete)
        m_prompts.show(differences.empty() ? titled(Icon::Information, strings::kVerifyPassed)
                                           : titled(Icon::Warning, verifyReport(differences)));
    return changes;
}

void Workspace::backUp(const RadioImage& image) {
    const Backup backup = storeBackup(image, m_backupFolder);
    if (!backup.ok()) {
        m_prompts.show(titled(Icon::Warning, arg(strings::kBackupFailed, backup.error)));
        return;
    }
    m_lastBackup = backup.path;
}

void Workspace::radioEnded(CloneOutcome outcome, const std::vector<Difference>& differences) {
    const int radio = m_clone->next();
    const std::optional<std::string> logError = m_clone->record(outcome, differences.size());
    m_progress.tally = m_clone->tally();
    if (logError)
        m_prompts.show(titled(Icon::Warning, *logError));
    if (outcome == CloneOutcome::Written || outcome == CloneOutcome::Verified) {
        m_progress.state = ProgressWindow::State::Waiting;
        m_progress.startEnabled = true;
        m_progress.position = 0;
        m_progress.status = m_clone->connectPrompt(false);
        m_progress.ended = TransferOutcome::Complete;
        ++m_progress.endings;
        return;
    }
    std::string text = m_clone->failureText(radio, outcome);
    if (outcome == CloneOutcome::VerifyFailed)
        text += "\n\n" + verifyReport(differences);
    closeProgress(outcome == CloneOutcome::Cancelled ? TransferOutcome::Cancelled : TransferOutcome::Failed);
    m_clone.reset();
    m_prompts.show(titled(Icon::Warning, text));
}

void Workspace::endClone() {
    std::string text = arg(strings::kCloneEnded, m_clone->tally());
    if (m_clone->next() > 1)
        text += "\n" + nativePath(m_clone->log());
    m_clone.reset();
    m_progress.tally.clear();
    m_prompts.show(titled(Icon::Information, text));
}

bool Workspace::prepareBackupFolder() {
    std::error_code ec;
    std::filesystem::create_directories(fsPath(m_backupFolder), ec);
    if (!ec)
        return true;
    backupFolderNotShown();
    return false;
}

void Workspace::backupFolderNotShown() {
    m_prompts.show(titled(Icon::Warning, arg(strings::kBackupFolderFailed, nativePath(m_backupFolder))));
}

std::string Workspace::cloneLog() const {
    return utf8Path(fsPath(m_backupFolder).parent_path() / "clone-log.csv");
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
