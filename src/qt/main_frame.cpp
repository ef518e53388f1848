#include "qt/main_frame.h"

#include "app/strings.h"
#include "link/port_list.h"
#include "qt/flex_grid.h"
#include "qt/program_app.h"
#include "qt/program_doc.h"
#include "qt/program_view.h"
#include "qt/progress_dlg.h"
#include "qt/report_painter.h"
#include "qt/words.h"

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QToolBar>

namespace strings = varnok::app::strings;
using namespace strings; // the command ids

namespace {

/// Holds the form at its designed size, and asks for all of it, so the
/// frame can be fitted to the form; a smaller window scrolls the form.
class FormScrollArea : public QScrollArea {
public:
    explicit FormScrollArea(QWidget* parent) : QScrollArea(parent) {
        setFocusPolicy(Qt::NoFocus);
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    QSize sizeHint() const override {
        const int frame = 2 * frameWidth();
        return widget() ? widget()->size() + QSize(frame, frame) : QScrollArea::sizeHint();
    }
};

/// Toolbar buttons in order; 0 is a separator.
constexpr int kToolbarCommands[] = {
    ID_FILE_NEW,
    ID_FILE_OPEN,
    ID_FILE_SAVE,
    0,
    ID_RADIO_READ,
    ID_RADIO_WRITE,
    0,
    ID_FILE_PRINT,
    ID_APP_ABOUT,
};

QString iconOf(int id) {
    switch (id) {
    case ID_FILE_NEW:
        return QStringLiteral(":/icons/new.svg");
    case ID_FILE_OPEN:
        return QStringLiteral(":/icons/open.svg");
    case ID_FILE_SAVE:
        return QStringLiteral(":/icons/save.svg");
    case ID_RADIO_READ:
        return QStringLiteral(":/icons/read.svg");
    case ID_RADIO_WRITE:
        return QStringLiteral(":/icons/write.svg");
    case ID_FILE_PRINT:
        return QStringLiteral(":/icons/print.svg");
    case ID_APP_ABOUT:
        return QStringLiteral(":/icons/about.svg");
    default:
        return QString();
    }
}

/// The four COM ports: their command ids and the port names they choose.
constexpr std::pair<int, const char*> kComPorts[] = {
    {ID_PORT_COM1, "COM1"},
    {ID_PORT_COM2, "COM2"},
    {ID_PORT_COM3, "COM3"},
    {ID_PORT_COM4, "COM4"},
};

/// The port items carry their shortcut label in their own text, blanks
/// included, as the menu has always shown them; the keys are bound too, so
/// that the labels tell the truth.
bool shortcutInText(int id) {
    for (const auto& [port, name] : kComPorts)
        if (port == id)
            return true;
    return false;
}

QString recentFileLabel(int index, const QString& path) {
    constexpr int kLongest = 60;
    QString shown = QDir::toNativeSeparators(path);
    if (shown.size() > kLongest)
        shown = shown.left(kLongest / 2 - 2) + QStringLiteral("...") + shown.right(kLongest / 2 - 1);
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}

/// The first channel data file among dropped URLs, or an empty text.
QString droppedChannelFile(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return QString();
    for (const QUrl& url : data->urls()) {
        const QString path = url.toLocalFile();
        if (!path.isEmpty() &&
            QFileInfo(path).suffix().compare(QString::fromUtf8(strings::kFileSuffix), Qt::CaseInsensitive) == 0)
            return path;
    }
    return QString();
}

} // namespace

CMainFrame::CMainFrame(CProgramApp& app, QWidget* parent) : QMainWindow(parent), m_app(app) {
    // The title names the program, never the open file.
    setWindowTitle(qtr(strings::kAppTitle));
    setWindowIcon(QIcon(QStringLiteral(":/icons/varnok.svg")));
    resize(900, 600);
    setAcceptDrops(true);

    m_pView = new CProgramView(app);
    auto* area = new FormScrollArea(this);
    area->setWidget(m_pView);
    setCentralWidget(area);
    m_pProgressDlg = new CProgressDlg(app, m_pView->Grid(), m_pView);

    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    UpdateRecentFileMenu();
}

QAction* CMainFrame::Action(int id) const {
    const auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

QAction* CMainFrame::NewAction(const strings::CommandText& command) {
    auto* action = new QAction(this);
    action->setObjectName(QString::fromUtf8(command.name));
    if (*command.shortcut)
        action->setShortcut(QKeySequence(QString::fromUtf8(command.shortcut)));
    m_commandTexts.emplace_back(action, &command);
    SetCommandTexts(action, command);
    const QString icon = iconOf(command.id);
    if (!icon.isEmpty()) {
        action->setIcon(QIcon(icon));
        action->setIconVisibleInMenu(false);
    }
    return action;
}

void CMainFrame::SetCommandTexts(QAction* action, const strings::CommandText& command) const {
    QString text = qtr(command.text);
    if (shortcutInText(command.id))
        text += QLatin1Char('\t') + QString::fromUtf8(command.shortcut);
    action->setText(text);
    const QStringList prompt = qtr(command.prompt).split(QLatin1Char('\n'));
    action->setStatusTip(prompt.constFirst());
    action->setToolTip(prompt.size() > 1 ? prompt.at(1) : QString());
}

QMenu* CMainFrame::NewMenu(const varnok::text::Text& title) {
    auto* menu = new QMenu(qtr(title), this);
    m_menuTitles.emplace_back(menu, &title);
    return menu;
}

void CMainFrame::Retranslate() {
    setWindowTitle(qtr(strings::kAppTitle));
    for (const auto& [menu, title] : m_menuTitles)
        menu->setTitle(qtr(*title));
    for (const auto& [action, command] : m_commandTexts)
        SetCommandTexts(action, *command);
    for (int i = 0; i < varnok::app::RecentFiles::kCount; ++i)
        RecentFileAction(i)->setStatusTip(qtr(strings::kRecentFilePrompt));
    m_wndToolBar->setWindowTitle(qtr(strings::kToolbarTitle));
    for (const auto& [pane, words] : m_statusTexts)
        pane->setText(qtr(*words));
    for (QAction* choice : m_languageGroup->actions())
        choice->setChecked(choice->data().toInt() == static_cast<int>(varnok::text::language()));
    RefreshPortMenu();
    m_pView->LanguageChanged();
    m_pProgressDlg->LanguageChanged();
    // The other language's menu bar may stand higher: the window grows as
    // far as needed for the whole form to stay in view without scrolling.
    if (layout())
        layout()->activate();
    QSize wanted = sizeHint();
    if (const QScreen* where = screen())
        wanted = wanted.boundedTo(where->availableGeometry().size());
    if (!isMaximized() && !isFullScreen())
        resize(size().expandedTo(wanted));
}

void CMainFrame::CreateMenus() {
    std::map<const varnok::text::Text*, QMenu*> menus;
    for (const varnok::text::Text* title : strings::kMenuTitles)
        menuBar()->addMenu(menus[title] = NewMenu(*title));

    for (const strings::CommandText& command : strings::kMenuCommands) {
        QMenu* menu = menus.at(command.menu);
        if (!command.text) {
            menu->addSeparator();
            continue;
        }
        QAction* action = NewAction(command);
        menu->addAction(action);

        if (command.id != ID_FILE_MRU_FILE1) {
            m_actions[command.id] = action;
            continue;
        }
        // The placeholder stands, greyed, while the list is empty; the
        // entries, commands 57616 to 57619, take its place.
        m_recentPlaceholder = action;
        action->setObjectName(QStringLiteral("ID_FILE_MRU_EMPTY"));
        action->setEnabled(false);
        for (int i = 0; i < varnok::app::RecentFiles::kCount; ++i) {
            auto* entry = new QAction(this);
            entry->setObjectName(QStringLiteral("ID_FILE_MRU_FILE%1").arg(i + 1));
            entry->setStatusTip(qtr(strings::kRecentFilePrompt));
            connect(entry, &QAction::triggered, this, [this, i] { m_app.OnFileMru(i); });
            menu->addAction(entry);
            m_actions[ID_FILE_MRU_FILE1 + i] = entry;
        }
    }

    connect(Action(ID_FILE_NEW), &QAction::triggered, &m_app, &CProgramApp::OnFileNew);
    connect(Action(ID_FILE_OPEN), &QAction::triggered, &m_app, &CProgramApp::OnFileOpen);
    connect(Action(ID_FILE_SAVE), &QAction::triggered, this, [this] { m_app.GetDocument()->OnFileSave(); });
    connect(Action(ID_FILE_SAVE_AS), &QAction::triggered, this, [this] { m_app.GetDocument()->OnFileSaveAs(); });
    connect(Action(ID_APP_EXIT), &QAction::triggered, this, &QWidget::close);
    connect(Action(ID_APP_ABOUT), &QAction::triggered, &m_app, &CProgramApp::OnAppAbout);
    connect(Action(ID_FILE_PRINT), &QAction::triggered, this, &CMainFrame::OnFilePrint);
    connect(Action(ID_FILE_PRINT_PREVIEW), &QAction::triggered, this, &CMainFrame::OnFilePrintPreview);
    connect(Action(ID_FILE_PRINT_SETUP), &QAction::triggered, this, &CMainFrame::OnFilePrintSetup);
    connect(Action(ID_RADIO_READ), &QAction::triggered, this, [this] { m_app.Apply(m_app.Workspace().read()); });
    connect(Action(ID_RADIO_WRITE), &QAction::triggered, this, [this] { m_app.Apply(m_app.Workspace().write()); });
    CreatePortMenu(menus.at(strings::kMenuTitles[2]));

    // 编辑 goes between 文件 and 编程, as in every program.
    QMenu* radioMenu = menus.at(strings::kMenuTitles[1]);
    m_editMenu = NewMenu(strings::kEditMenuTitle);
    menuBar()->insertMenu(radioMenu->menuAction(), m_editMenu);
    for (const strings::CommandText& command : strings::kEditCommands) {
        if (!command.text)
            m_editMenu->addSeparator();
        else
            m_editMenu->addAction(m_actions[command.id] = NewAction(command));
    }
    // Redo answers to both keys in use for it.
    Action(ID_EDIT_REDO)->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    varnok::app::Workspace& ws = m_app.Workspace();
    connect(Action(ID_EDIT_UNDO), &QAction::triggered, this, [this, &ws] { m_app.Apply(ws.undo()); });
    connect(Action(ID_EDIT_REDO), &QAction::triggered, this, [this, &ws] { m_app.Apply(ws.redo()); });
    connect(Action(ID_EDIT_COPY), &QAction::triggered, this, [this, &ws] {
        // An edit still open goes in, and is repainted, before its row is copied.
        m_app.Apply(ws.commitEdit());
        QGuiApplication::clipboard()->setText(QString::fromStdString(ws.copyRows()));
    });
    connect(Action(ID_EDIT_PASTE), &QAction::triggered, this,
            [this, &ws] { m_app.Apply(ws.pasteRows(QGuiApplication::clipboard()->text().toStdString())); });
    connect(Action(ID_EDIT_CLEAR), &QAction::triggered, this, [this, &ws] { m_app.Apply(ws.clearRows()); });
    UpdateEditActions();

    radioMenu->addSeparator();
    for (const strings::CommandText& command : strings::kRadioExtras)
        radioMenu->addAction(m_actions[command.id] = NewAction(command));
    connect(Action(ID_RADIO_CLONE), &QAction::triggered, this,
            [this] { m_app.Apply(m_app.Workspace().cloneRun()); });
    connect(Action(ID_RADIO_BACKUPS), &QAction::triggered, this, &CMainFrame::OnRadioBackups);

    // Not every platform's print dialog can print to a file, so the report
    // can always be saved as PDF, right below the other print commands.
    QMenu* fileMenu = menus.at(strings::kMenuTitles[0]);
    static constexpr strings::CommandText kExportPdf{0, "ID_FILE_EXPORT_PDF", &strings::kMenuFile,
                                                    &strings::kExportPdfItem, "", &strings::kExportPdfPrompt};
    m_exportPdf = NewAction(kExportPdf);
    const QList<QAction*> items = fileMenu->actions();
    const qsizetype setup = items.indexOf(Action(ID_FILE_PRINT_SETUP));
    fileMenu->insertAction(setup >= 0 && setup + 1 < items.size() ? items.at(setup + 1) : nullptr, m_exportPdf);
    connect(m_exportPdf, &QAction::triggered, this, &CMainFrame::OnFileExportPdf);
    QAction* before = fileMenu->actions().value(fileMenu->actions().indexOf(m_exportPdf) + 1);
    for (const strings::CommandText& command : strings::kFileExtras)
        fileMenu->insertAction(before, m_actions[command.id] = NewAction(command));
    connect(Action(ID_FILE_EXPORT_CSV), &QAction::triggered, this, [this] { m_app.Apply(m_app.Workspace().exportCsv()); });
    connect(Action(ID_FILE_IMPORT_CSV), &QAction::triggered, this, [this] { m_app.Apply(m_app.Workspace().importCsv()); });
    connect(Action(ID_FILE_COMPARE), &QAction::triggered, this,
            [this] { m_app.Apply(m_app.Workspace().compareWithFile()); });

    // The language, switched at once and remembered.
    QMenu* viewMenu = menus.at(strings::kMenuTitles[3]);
    viewMenu->addSeparator();
    QMenu* languageMenu = NewMenu(strings::kLanguageMenu);
    languageMenu->setObjectName(QStringLiteral("languageMenu"));
    viewMenu->addMenu(languageMenu);
    m_languageGroup = new QActionGroup(this);
    for (const strings::CommandText& command : strings::kLanguageCommands) {
        QAction* choice = m_actions[command.id] = NewAction(command);
        const auto language = command.id == strings::ID_VIEW_LANGUAGE_ENGLISH ? varnok::text::Language::English
                                                                               : varnok::text::Language::Chinese;
        choice->setCheckable(true);
        choice->setData(static_cast<int>(language));
        choice->setChecked(language == varnok::text::language());
        m_languageGroup->addAction(choice);
        languageMenu->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, language] { m_app.SetLanguage(language); });
    }

    // 编程 has no mnemonic, and whether Alt alone reaches the menu bar is the
    // style's choice; this key opens the first menu, and the arrows go on
    // from there to any.
    auto* menuKey = new QShortcut(QKeySequence(QString::fromUtf8(strings::kMenuBarKey)), this);
    connect(menuKey, &QShortcut::activated, this, [this] {
        const QList<QAction*> titles = menuBar()->actions();
        if (!titles.isEmpty())
            menuBar()->setActiveAction(titles.constFirst());
    });
}

void CMainFrame::CreatePortMenu(QMenu* menu) {
    m_portMenu = menu;
    // COM1 to COM4 are actions of their own, so that their keys work while
    // the menu is closed; the rest of the menu is built each time it opens.
    for (const auto& [id, name] : kComPorts)
        PreparePortItem(Action(id), QString::fromUtf8(name));
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::RefreshPortMenu);
    RefreshPortMenu();
}

void CMainFrame::PreparePortItem(QAction* item, const QString& port) {
    item->setCheckable(true);
    item->setData(port);
    connect(item, &QAction::triggered, this, [this, port] {
        m_app.Apply(m_app.Workspace().selectPort(port.toStdString()));
        UpdatePortChecks();
    });
}

void CMainFrame::RefreshPortMenu() {
    // The four COM actions stay. The others go later, as one of them may be
    // the item whose trigger is running now.
    for (QAction* item : m_portItems) {
        m_portMenu->removeAction(item);
        item->deleteLater();
    }
    m_portItems.clear();

    using Kind = varnok::app::PortItem::Kind;
    for (const varnok::app::PortItem& port : m_app.Workspace().portMenu()) {
        if (port.kind == Kind::Com)
            continue;
        QAction* item = nullptr;
        if (port.kind == Kind::Separator) {
            item = m_portMenu->addSeparator();
        } else {
            item = m_portMenu->addAction(QString::fromStdString(port.text));
            item->setStatusTip(QString::fromStdString(port.prompt));
            if (port.kind == Kind::Other) {
                item->setObjectName(QStringLiteral("ID_PORT_OTHER"));
                connect(item, &QAction::triggered, this, [this] {
                    m_app.Apply(m_app.Workspace().askPort());
                    RefreshPortMenu(); // a port typed by hand gets an item of its own
                });
            } else {
                item->setObjectName(port.kind == Kind::Demo ? QStringLiteral("ID_PORT_DEMO")
                                                            : QStringLiteral("ID_PORT_FOUND"));
                PreparePortItem(item, QString::fromStdString(port.port));
            }
        }
        m_portItems.push_back(item);
    }
    UpdatePortChecks();
}

void CMainFrame::UpdatePortChecks() {
    // An exact comparison: "com1" typed by hand is not the COM1 item.
    const QString chosen = QString::fromStdString(m_app.Workspace().ports().port());
    for (QAction* item : m_portMenu->actions())
        if (item->isCheckable())
            item->setChecked(item->data().toString() == chosen);
}

void CMainFrame::CreateToolBar() {
    m_wndToolBar = new QToolBar(qtr(strings::kToolbarTitle), this);
    m_wndToolBar->setObjectName(QStringLiteral("toolbar%1").arg(ID_VIEW_TOOLBAR));
    m_wndToolBar->setIconSize(QSize(16, 16));
    m_wndToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_wndToolBar->setMovable(true);
    for (int id : kToolbarCommands) {
        if (id == 0)
            m_wndToolBar->addSeparator();
        else
            m_wndToolBar->addAction(Action(id));
    }
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);

    QAction* toggle = Action(ID_VIEW_TOOLBAR);
    toggle->setCheckable(true);
    toggle->setChecked(true);
    connect(toggle, &QAction::toggled, m_wndToolBar, &QWidget::setVisible);
    connect(m_wndToolBar, &QToolBar::visibilityChanged, toggle, &QAction::setChecked);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusbar%1").arg(ID_VIEW_STATUS_BAR));
    // A normal (not permanent) widget: prompts cover it while they show.
    auto* idle = new QLabel(qtr(strings::kIdle), bar);
    idle->setObjectName(QStringLiteral("idle"));
    m_statusTexts.emplace_back(idle, &strings::kIdle);
    bar->addWidget(idle, 1);
    // The lock states cannot be read portably, so the indicator panes stand
    // greyed, as the lock-off state shows them.
    for (const varnok::text::Text* indicator : {&strings::kCapsLock, &strings::kNumLock, &strings::kScrollLock}) {
        auto* pane = new QLabel(qtr(*indicator), bar);
        m_statusTexts.emplace_back(pane, indicator);
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pane->setEnabled(false);
        bar->addPermanentWidget(pane);
    }

    QAction* toggle = Action(ID_VIEW_STATUS_BAR);
    toggle->setCheckable(true);
    toggle->setChecked(true);
    connect(toggle, &QAction::toggled, bar, &QWidget::setVisible);
}

void CMainFrame::UpdateRecentFileMenu() {
    const std::vector<std::string> files = m_app.Workspace().recentFiles();
    m_recentPlaceholder->setVisible(files.empty());
    for (int i = 0; i < varnok::app::RecentFiles::kCount; ++i) {
        QAction* entry = RecentFileAction(i);
        const bool used = static_cast<std::size_t>(i) < files.size();
        entry->setVisible(used);
        entry->setText(used ? recentFileLabel(i, QString::fromStdString(files[static_cast<std::size_t>(i)]))
                            : QString());
    }
}

void CMainFrame::FitToForm() {
    if (layout())
        layout()->activate();
    const QSize wanted = sizeHint();
    if (wanted.isValid())
        resize(std::min(width(), wanted.width()), std::min(height(), wanted.height()));
}

void CMainFrame::CenterWindow() {
    const QScreen* where = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!where)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(where->availableGeometry().center());
    move(frame.topLeft());
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_app.Workspace().close())
        event->accept();
    else
        event->ignore();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedChannelFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QString path = droppedChannelFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // Opened after the drop has finished, so that a question or a failure
    // message does not hold up the program the file came from.
    QTimer::singleShot(0, this, [this, path] { m_app.OpenDocumentFile(path); });
}

QPrinter& CMainFrame::Printer() {
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

const varnok::FormState& CMainFrame::CommittedForm() {
    // The report shows the table as the user sees it, so a value still being
    // typed goes in first, as it does for Save.
    m_app.Apply(m_app.Workspace().commitEdit());
    return m_app.Workspace().form();
}

void CMainFrame::OnFilePrint() {
    const varnok::FormState form = CommittedForm();
    QPrintDialog dialog(&Printer(), this);
    dialog.setMinMax(1, varnok::report::kReportPages);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!varnok::report::printReport(Printer(), form))
        m_app.m_prompts.show(varnok::app::titled(varnok::app::Icon::Warning, strings::kPrintFailed));
}

void CMainFrame::OnFilePrintPreview() {
    const varnok::FormState form = CommittedForm();
    QPrintPreviewDialog preview(&Printer(), this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [&form](QPrinter* printer) { varnok::report::printReport(*printer, form); });
    preview.exec();
}

void CMainFrame::OnFilePrintSetup() {
    QPageSetupDialog dialog(&Printer(), this);
    dialog.exec();
}

void CMainFrame::UpdateEditActions() {
    const varnok::app::Workspace& ws = m_app.Workspace();
    Action(ID_EDIT_UNDO)->setEnabled(ws.canUndo());
    Action(ID_EDIT_REDO)->setEnabled(ws.canRedo());
    Action(ID_EDIT_CLEAR)->setEnabled(!ws.selectedChannels().empty());
}

void CMainFrame::OnRadioBackups() {
    varnok::app::Workspace& ws = m_app.Workspace();
    if (!ws.prepareBackupFolder())
        return;
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(ws.backupFolder()))))
        ws.backupFolderNotShown();
}

void CMainFrame::OnFileExportPdf() {
    const varnok::FormState form = CommittedForm();
    const QString path = m_app.m_prompts.pdfFileName(this, QString::fromStdString(m_app.Workspace().lastFolder()));
    if (path.isEmpty())
        return;
    std::string error;
    if (!varnok::report::renderReportPdf(form, path.toStdString(), error))
        m_app.m_prompts.show(varnok::app::titled(varnok::app::Icon::Warning, error));
}
