#include "qt/program_app.h"

#include "app/language.h"
#include "app/strings.h"
#include "qt/about_dlg.h"
#include "qt/main_frame.h"
#include "qt/program_doc.h"
#include "qt/program_view.h"
#include "qt/progress_dlg.h"
#include "qt/words.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QSettings>
#include <QTranslator>

namespace strings = varnok::app::strings;

namespace {

/// The program's settings in QSettings, under the names the program has
/// always used ("Recent File List/File1" ...).
class QtSettings : public varnok::app::SettingsStore {
public:
    std::optional<std::string> value(const std::string& key) const override {
        const QVariant stored = settings().value(QString::fromStdString(key));
        if (!stored.isValid())
            return std::nullopt;
        return stored.toString().toStdString();
    }
    void setValue(const std::string& key, const std::optional<std::string>& value) override {
        QSettings stored = settings();
        if (value)
            stored.setValue(QString::fromStdString(key), QString::fromStdString(*value));
        else
            stored.remove(QString::fromStdString(key));
        stored.sync();
    }

private:
    static QSettings settings() {
        return QSettings(QString::fromUtf8(strings::kSettingsOrganisation),
                         QString::fromUtf8(strings::kSettingsApplication));
    }
};

/// The program's words through Qt's translation system: the English ones
/// from the translation built out of the list of texts, the Chinese ones as
/// they stand, since they are the source.
class QtTexts : public varnok::text::Translator {
public:
    // Without the translation (a broken build), the list's own English
    // words show: never an empty menu.
    QtTexts() { m_loaded = m_english.load(QStringLiteral(":/i18n/varnok_en.qm")); }
    std::string translate(const varnok::text::Text& words, varnok::text::Language language) const override {
        if (language == varnok::text::Language::Chinese || !m_loaded)
            return words.in(language);
        return m_english.translate("varnok", words.zh, words.name).toStdString();
    }

private:
    QTranslator m_english;
    bool m_loaded = false;
};

} // namespace

// Outside any namespace: the resource initialiser is a global function.
static void initResources() { Q_INIT_RESOURCE(varnok); }

CProgramApp::CProgramApp(QObject* parent) : QObject(parent) { initResources(); }

// The workspace goes first: it ends a transfer's worker, which may still
// post to this object.
CProgramApp::~CProgramApp() {
    m_pWorkspace.reset();
    if (m_pTexts)
        varnok::text::setTranslator(nullptr);
}

void CProgramApp::InstallQtTranslations() {
    // Qt's own dialogs (file choosers, print, "Do you want to replace it?")
    // speak the interface's language, not English beside a Chinese window.
    // Without Qt's translation files they stay English; nothing else breaks.
    const bool chinese = varnok::text::language() == varnok::text::Language::Chinese;
    if (m_pQtTranslator && !chinese) {
        QCoreApplication::removeTranslator(m_pQtTranslator.get());
        m_pQtTranslator.reset();
    }
    if (m_pQtTranslator || !chinese)
        return;
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator.get()))
        m_pQtTranslator = std::move(translator);
}

void CProgramApp::SetLanguage(varnok::text::Language language) {
    varnok::app::chooseLanguage(*m_pSettings, language);
    InstallQtTranslations();
    // A change of Qt's translators posts a language change to every window;
    // delivered later, it would put Qt's own button words back on the next
    // message box over the program's.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    m_pMainFrame->Retranslate();
}

bool CProgramApp::InitInstance(const QString& fileToOpen) {
    m_pSettings = std::make_unique<QtSettings>();
    m_pTexts = std::make_unique<QtTexts>();
    varnok::text::setTranslator(m_pTexts.get());
    varnok::text::setLanguage(varnok::app::startingLanguage(*m_pSettings, QLocale::system().name().toStdString()));
    InstallQtTranslations();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/varnok.svg")));

    // The worker of a transfer wakes this thread; the call is dropped when
    // this object is gone.
    auto wake = [this] {
        QMetaObject::invokeMethod(
            this, [this] { Apply(m_pWorkspace->pump()); }, Qt::QueuedConnection);
    };
    m_pWorkspace = std::make_unique<varnok::app::Workspace>(m_prompts, *m_pSettings, wake);
    m_pDocument = std::make_unique<CProgramDoc>(*this);
    m_pMainFrame = std::make_unique<CMainFrame>(*this);
    m_prompts.m_pParent = m_pMainFrame.get();

    // A file that cannot be opened has been reported; the program goes on
    // with a new document rather than ending.
    Apply(m_pWorkspace->start(fileToOpen.isEmpty() ? std::string()
                                                   : QFileInfo(fileToOpen).absoluteFilePath().toStdString()));
    m_pMainFrame->FitToForm();
    m_pMainFrame->CenterWindow();
    m_pMainFrame->show();
    return true;
}

QWidget* CProgramApp::GetMainWindow() const { return m_pMainFrame.get(); }

CProgramView* CProgramApp::GetView() const { return m_pMainFrame ? m_pMainFrame->GetActiveView() : nullptr; }

void CProgramApp::Apply(const varnok::app::Changes& changes) {
    if (!m_pMainFrame)
        return;
    GetView()->Paint(changes);
    if (changes.progress) {
        const varnok::app::ProgressWindow& progress = m_pWorkspace->progress();
        m_pMainFrame->ProgressDlg()->Paint(progress);
        if (progress.endings != m_nTransfersEnded && progress.ended) {
            m_nTransfersEnded = progress.endings;
            emit TransferFinished(static_cast<int>(*progress.ended));
        }
    }
    if (changes.form || changes.progress)
        m_pMainFrame->UpdateEditActions();
    if (changes.recentFiles)
        m_pMainFrame->UpdateRecentFileMenu();
    if (changes.port)
        m_pMainFrame->UpdatePortChecks();
}

void CProgramApp::OnFileNew() { Apply(m_pWorkspace->fileNew()); }

void CProgramApp::OnFileOpen() { Apply(m_pWorkspace->fileOpen()); }

bool CProgramApp::OpenDocumentFile(const QString& path) {
    const std::string absolute = QFileInfo(path).absoluteFilePath().toStdString();
    Apply(m_pWorkspace->openFile(absolute));
    return m_pWorkspace->document().path() == absolute;
}

void CProgramApp::OnFileMru(int index) { Apply(m_pWorkspace->openRecent(index)); }

void CProgramApp::OnAppAbout() {
    CAboutDlg about(GetMainWindow());
    about.exec();
}

void CProgramApp::SetTransferLink(varnok::app::Workspace::PortOpener opener, varnok::Clock& clock) {
    m_pWorkspace->setTransferLink(std::move(opener), clock);
}
