#include "qt/program_app.h"

#include "qt/about_dlg.h"
#include "app/strings.h"
#include "qt/main_frame.h"
#include "qt/program_doc.h"
#include "qt/program_view.h"
#include "image/tones.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QSettings>
#include <QTranslator>

namespace strings = varnok::app::strings;

namespace {

constexpr const char* kRecentGroup = "Recent File List";

QSettings programSettings() {
    return QSettings(QString::fromUtf8(strings::kSettingsOrganisation), QString::fromUtf8(strings::kAppTitle));
}

} // namespace

// Outside any namespace: the resource initialiser is a global function.
static void initResources() { Q_INIT_RESOURCE(varnok); }

CProgramApp::CProgramApp(QObject* parent) : QObject(parent) { initResources(); }

CProgramApp::~CProgramApp() = default;

void CProgramApp::InstallQtTranslations() {
    // Qt's own dialogs (file choosers, print, "Do you want to replace it?")
    // speak the interface's language, not English beside a Chinese window.
    // Without Qt's translation files they stay English; nothing else breaks.
    if (m_pQtTranslator)
        return;
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator.get()))
        m_pQtTranslator = std::move(translator);
}

bool CProgramApp::InitInstance(const QString& fileToOpen) {
    InstallQtTranslations();
    m_arrTones.clear();
    for (const std::string& name : varnok::toneTable())
        m_arrTones << QString::fromStdString(name);
    m_bEditorsCreated = false;
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/varnok.svg")));

    m_pDocument = std::make_unique<CProgramDoc>(*this);
    m_pMainFrame = std::make_unique<CMainFrame>(*this);
    m_pDocument->SetView(GetView());
    GetView()->SetDocument(m_pDocument.get());

    // A file that cannot be opened has been reported; the program goes on
    // with a new document rather than ending.
    if (fileToOpen.isEmpty() || !OpenDocumentFile(fileToOpen))
        NewDocument();

    m_pMainFrame->CenterWindow();
    m_pMainFrame->show();
    return true;
}

QWidget* CProgramApp::GetMainWindow() const { return m_pMainFrame.get(); }

CProgramView* CProgramApp::GetView() const { return m_pMainFrame ? m_pMainFrame->GetActiveView() : nullptr; }

void CProgramApp::NewDocument() {
    m_pDocument->OnNewDocument();
    m_pDocument->SetPathName(QString());
    GetView()->OnInitialUpdate();
    m_pDocument->SetModifiedBaseline();
}

void CProgramApp::OnFileNew() {
    if (RefuseWhileTransferring())
        return;
    if (m_pDocument->SaveModified())
        NewDocument();
}

void CProgramApp::OnFileOpen() {
    if (RefuseWhileTransferring())
        return;
    const QString path = m_prompts.openFileName(GetMainWindow(), LastFolder());
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

bool CProgramApp::OpenDocumentFile(const QString& path) {
    // Also the way of a recent file, a dropped file and the command line.
    if (RefuseWhileTransferring() || !m_pDocument->SaveModified())
        return false;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (!m_pDocument->OnOpenDocument(absolute)) {
        RemoveFromRecentFileList(absolute);
        return false;
    }
    m_pDocument->SetPathName(absolute);
    AddToRecentFileList(absolute);
    GetView()->OnInitialUpdate();
    m_pDocument->SetModifiedBaseline();
    return true;
}

void CProgramApp::OnFileMru(int index) {
    const QStringList files = RecentFiles();
    if (index >= 0 && index < files.size())
        OpenDocumentFile(files.at(index));
}

void CProgramApp::OnAppAbout() {
    CAboutDlg about(GetMainWindow());
    about.exec();
}

bool CProgramApp::RefuseWhileTransferring() {
    const CProgramView* view = GetView();
    if (!view || !view->IsTransferring())
        return false;
    Message(QMessageBox::Information, QString::fromUtf8(strings::kTransferRunning));
    return true;
}

QStringList CProgramApp::RecentFiles() const {
    QSettings settings = programSettings();
    settings.beginGroup(QString::fromUtf8(kRecentGroup));
    QStringList files;
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const QString file = settings.value(QStringLiteral("File%1").arg(i)).toString();
        if (!file.isEmpty())
            files << file;
    }
    return files;
}

void CProgramApp::StoreRecentFiles(const QStringList& files) {
    QSettings settings = programSettings();
    settings.beginGroup(QString::fromUtf8(kRecentGroup));
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= files.size())
            settings.setValue(key, files.at(i - 1));
        else
            settings.remove(key);
    }
    settings.sync();
    emit RecentFilesChanged();
}

void CProgramApp::AddToRecentFileList(const QString& path) {
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > kRecentFileCount)
        files.removeLast();
    StoreRecentFiles(files);
}

void CProgramApp::RemoveFromRecentFileList(const QString& path) {
    QStringList files = RecentFiles();
    if (files.removeAll(path) > 0)
        StoreRecentFiles(files);
}

QString CProgramApp::LastFolder() const {
    if (m_pDocument && !m_pDocument->GetPathName().isEmpty())
        return QFileInfo(m_pDocument->GetPathName()).absolutePath();
    const QStringList files = RecentFiles();
    if (!files.isEmpty())
        return QFileInfo(files.constFirst()).absolutePath();
    return QDir::homePath();
}

QMessageBox::StandardButton CProgramApp::Message(QMessageBox::Icon icon, const QString& text,
                                                 QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton defaultButton) {
    return m_prompts.message(GetMainWindow(), icon, text, buttons, defaultButton);
}
