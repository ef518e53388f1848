#include "qt/main_frame.h"

#include "app/strings.h"
#include "qt/program_app.h"
#include "qt/program_doc.h"
#include "qt/program_view.h"
#include "link/port_list.h"
#include "link/ports.h"
#include "qt/report_painter.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace strings = varnok::app::strings;

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
    CMainFrame::ID_FILE_NEW,
    CMainFrame::ID_FILE_OPEN,
    CMainFrame::ID_FILE_SAVE,
    0,
    CMainFrame::ID_RADIO_READ,
    CMainFrame::ID_RADIO_WRITE,
    0,
    CMainFrame::ID_FILE_PRINT,
    CMainFrame::ID_APP_ABOUT,
};

QString iconOf(int id) {
    switch (id) {
    case CMainFrame::ID_FILE_NEW:
        return QStringLiteral(":/icons/new.svg");
    case CMainFrame::ID_FILE_OPEN:
        return QStringLiteral(":/icons/open.svg");
    case CMainFrame::ID_FILE_SAVE:
        return QStringLiteral(":/icons/save.svg");
    case CMainFrame::ID_RADIO_READ:
        return QStringLiteral(":/icons/read.svg");
    case CMainFrame::ID_RADIO_WRITE:
        return QStringLiteral(":/icons/write.svg");
    case CMainFrame::ID_FILE_PRINT:
        return QStringLiteral(":/icons/print.svg");
    case CMainFrame::ID_APP_ABOUT:
        return QStringLiteral(":/icons/about.svg");
    default:
        return QString();
    }
}

/// The four COM ports: their command ids and the port names they choose.
constexpr std::pair<int, const char*> kComPorts[] = {
    {CMainFrame::ID_PORT_COM1, "COM1"},
    {CMainFrame::ID_PORT_COM2, "COM2"},
    {CMainFrame::ID_PORT_COM3, "COM3"},
    {CMainFrame::ID_PORT_COM4, "COM4"},
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

/// A port name as a menu item shows it: "&" would mark a mnemonic.
QString portItemText(const QString& name, const QString& description) {
    QString text = description.isEmpty() ? name : QStringLiteral("%1 - %2").arg(name, description);
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
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
    setWindowTitle(QString::fromUtf8(strings::kAppTitle));
    setWindowIcon(QIcon(QStringLiteral(":/icons/varnok.svg")));
    resize(900, 600);
    setAcceptDrops(true);

    m_pView = new CProgramView(app);
    auto* area = new FormScrollArea(this);
    area->setWidget(m_pView);
    setCentralWidget(area);

    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    connect(&m_app, &CProgramApp::RecentFilesChanged, this, &CMainFrame::UpdateRecentFileMenu);
    UpdateRecentFileMenu();
}

QAction* CMainFrame::Action(int id) const {
    const auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

void CMainFrame::CreateMenus() {
    std::map<QString, QMenu*> menus;
    for (const char* title : strings::kMenuTitles)
        menus[QString::fromUtf8(title)] = menuBar()->addMenu(QString::fromUtf8(title));

    for (const strings::CommandText& command : strings::kMenuCommands) {
        QMenu* menu = menus.at(QString::fromUtf8(command.menu));
        if (!command.text) {
            menu->addSeparator();
            continue;
        }
        QString text = QString::fromUtf8(command.text);
        if (shortcutInText(command.id))
            text += QLatin1Char('\t') + QString::fromUtf8(command.shortcut);
        auto* action = new QAction(text, this);
        action->setObjectName(QString::fromUtf8(command.name));
        if (*command.shortcut)
            action->setShortcut(QKeySequence(QString::fromUtf8(command.shortcut)));
        const QStringList prompt = QString::fromUtf8(command.prompt).split(QLatin1Char('\n'));
        if (!prompt.constFirst().isEmpty())
            action->setStatusTip(prompt.constFirst());
        if (prompt.size() > 1)
            action->setToolTip(prompt.at(1));
        const QString icon = iconOf(command.id);
        if (!icon.isEmpty()) {
            action->setIcon(QIcon(icon));
            action->setIconVisibleInMenu(false);
        }
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
        for (int i = 0; i < CProgramApp::kRecentFileCount; ++i) {
            auto* entry = new QAction(this);
            entry->setObjectName(QStringLiteral("ID_FILE_MRU_FILE%1").arg(i + 1));
            entry->setStatusTip(QString::fromUtf8(strings::kRecentFilePrompt));
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
    connect(Action(ID_RADIO_READ), &QAction::triggered, m_pView, &CProgramView::OnRead);
    connect(Action(ID_RADIO_WRITE), &QAction::triggered, m_pView, &CProgramView::OnWrite);
    CreatePortMenu(menus.at(QString::fromUtf8(strings::kMenuTitles[2])));

    // Not every platform's print dialog can print to a file, so the report
    // can always be saved as PDF, right below the other print commands.
    QMenu* fileMenu = menus.at(QString::fromUtf8(strings::kMenuTitles[0]));
    m_exportPdf = new QAction(QString::fromUtf8("导出PDF(&D)..."), this);
    m_exportPdf->setObjectName(QStringLiteral("ID_FILE_EXPORT_PDF"));
    m_exportPdf->setStatusTip(QString::fromUtf8("将设置报告保存为PDF文件"));
    const QList<QAction*> items = fileMenu->actions();
    const qsizetype setup = items.indexOf(Action(ID_FILE_PRINT_SETUP));
    fileMenu->insertAction(setup >= 0 && setup + 1 < items.size() ? items.at(setup + 1) : nullptr, m_exportPdf);
    connect(m_exportPdf, &QAction::triggered, this, &CMainFrame::OnFileExportPdf);
}

void CMainFrame::CreatePortMenu(QMenu* menu) {
    m_portMenu = menu;
    for (const auto& [id, name] : kComPorts)
        PreparePortItem(Action(id), QString::fromUtf8(name));
    // Below the four ports: those found on this machine (filled in each
    // time the menu opens), the demo radio and a port typed by hand.
    menu->addSeparator();
    m_demoPort = menu->addAction(QString::fromUtf8(strings::kDemoPortItem));
    m_demoPort->setObjectName(QStringLiteral("ID_PORT_DEMO"));
    m_demoPort->setStatusTip(QString::fromUtf8(strings::kDemoPortPrompt));
    PreparePortItem(m_demoPort, QString::fromUtf8(varnok::kDemoPortName));
    m_otherPort = menu->addAction(QString::fromUtf8(strings::kOtherPortItem));
    m_otherPort->setObjectName(QStringLiteral("ID_PORT_OTHER"));
    m_otherPort->setStatusTip(QString::fromUtf8(strings::kOtherPortPrompt));
    connect(m_otherPort, &QAction::triggered, this, [this] {
        m_pView->OnPortOther();
        RefreshPortMenu();
    });
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::RefreshPortMenu);
    RefreshPortMenu();
}

void CMainFrame::PreparePortItem(QAction* item, const QString& port) {
    item->setCheckable(true);
    item->setData(port);
    // Only the check marks are updated here: the found ports' items are
    // rebuilt when the menu opens, never under their own trigger.
    connect(item, &QAction::triggered, this, [this, port] {
        m_pView->SelectPort(port);
        UpdatePortChecks();
    });
}

void CMainFrame::RefreshPortMenu() {
    for (QAction* item : m_foundPorts)
        delete item;
    m_foundPorts.clear();

    QStringList listed;
    for (const auto& [id, name] : kComPorts)
        listed << QString::fromUtf8(name);
    listed << QString::fromUtf8(varnok::kDemoPortName);
    auto addItem = [&](const QString& port, const QString& description) {
        auto* item = new QAction(portItemText(port, description), this);
        item->setObjectName(QStringLiteral("ID_PORT_FOUND"));
        item->setStatusTip(QString::fromUtf8(strings::kFoundPortPrompt).arg(port));
        PreparePortItem(item, port);
        m_portMenu->insertAction(m_demoPort, item);
        m_foundPorts.push_back(item);
        listed << port;
    };
    for (const varnok::PortInfo& found : varnok::portsBesidesCom(varnok::listSerialPorts())) {
        const QString port = QString::fromStdString(found.name);
        if (!listed.contains(port))
            addItem(port, QString::fromStdString(found.description));
    }
    // A port typed by hand that is not there now still shows as the choice.
    if (!listed.contains(m_pView->m_strPort))
        addItem(m_pView->m_strPort, QString());
    UpdatePortChecks();
}

void CMainFrame::UpdatePortChecks() {
    // An exact comparison: "com1" typed by hand is not the COM1 item.
    for (QAction* item : m_portMenu->actions())
        if (item->isCheckable())
            item->setChecked(item->data().toString() == m_pView->m_strPort);
}

void CMainFrame::CreateToolBar() {
    m_wndToolBar = new QToolBar(QString::fromUtf8(strings::kToolbarTitle), this);
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
    auto* idle = new QLabel(QString::fromUtf8(strings::kIdle), bar);
    idle->setObjectName(QStringLiteral("idle"));
    bar->addWidget(idle, 1);
    // The lock states cannot be read portably, so the indicator panes stand
    // greyed, as the lock-off state shows them.
    for (const char* indicator : {strings::kCapsLock, strings::kNumLock, strings::kScrollLock}) {
        auto* pane = new QLabel(QString::fromUtf8(indicator), bar);
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
    const QStringList files = m_app.RecentFiles();
    m_recentPlaceholder->setVisible(files.isEmpty());
    for (int i = 0; i < CProgramApp::kRecentFileCount; ++i) {
        QAction* entry = RecentFileAction(i);
        const bool used = i < files.size();
        entry->setVisible(used);
        entry->setText(used ? recentFileLabel(i, files.at(i)) : QString());
    }
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
    if (!m_app.RefuseWhileTransferring() && m_app.GetDocument()->SaveModified())
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

void CMainFrame::OnFilePrint() {
    // The report shows the table as the user sees it, so a value still being
    // typed goes in first, as it does for Save.
    m_pView->CommitEdit();
    QPrintDialog dialog(&Printer(), this);
    dialog.setMinMax(1, varnok::report::kReportPages);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!varnok::report::printReport(Printer(), m_pView->CurrentForm()))
        m_app.Message(QMessageBox::Warning, QString::fromUtf8("无法打印设置报告。"));
}

void CMainFrame::OnFilePrintPreview() {
    m_pView->CommitEdit();
    const varnok::FormState form = m_pView->CurrentForm();
    QPrintPreviewDialog preview(&Printer(), this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [&form](QPrinter* printer) { varnok::report::printReport(*printer, form); });
    preview.exec();
}

void CMainFrame::OnFilePrintSetup() {
    QPageSetupDialog dialog(&Printer(), this);
    dialog.exec();
}

void CMainFrame::OnFileExportPdf() {
    m_pView->CommitEdit();
    const QString path = m_app.m_prompts.pdfFileName(this, m_app.LastFolder());
    if (path.isEmpty())
        return;
    std::string error;
    if (!varnok::report::renderReportPdf(m_pView->CurrentForm(), path.toStdString(), error))
        m_app.Message(QMessageBox::Warning, QString::fromStdString(error));
}
