// The application object: builds the window over the application layer's
// workspace, answers its questions with Qt's dialogs, keeps its settings in
// QSettings and repaints what each command changed.
#pragma once

#include "app/settings_store.h"
#include "app/workspace.h"
#include "qt/prompts.h"
#include "text/texts.h"

#include <QObject>
#include <QString>

#include <memory>

class CMainFrame;
class CProgramDoc;
class CProgramView;
class QTranslator;
class QWidget;

class CProgramApp : public QObject {
    Q_OBJECT
public:
    explicit CProgramApp(QObject* parent = nullptr);
    ~CProgramApp() override;

    /// Builds the window and opens `fileToOpen` (a new document when it is
    /// empty or cannot be opened), then shows the window centred.
    bool InitInstance(const QString& fileToOpen = QString());

    varnok::app::Workspace& Workspace() const { return *m_pWorkspace; }
    CProgramDoc* GetDocument() const { return m_pDocument.get(); }
    CMainFrame* GetMainFrame() const { return m_pMainFrame.get(); }
    QWidget* GetMainWindow() const;
    CProgramView* GetView() const;

    /// Repaints what a call of the workspace changed.
    void Apply(const varnok::app::Changes& changes);

    void OnFileNew();
    void OnFileOpen();
    /// Opens a file as the document (the command line, a dropped file, a
    /// recent file), after asking about unsaved changes; false when the
    /// document stayed.
    bool OpenDocumentFile(const QString& path);
    /// Opens entry `index` (0 = the most recent) of the recent-file list.
    void OnFileMru(int index);
    void OnAppAbout();
    /// Shows the program in `language` at once and remembers the choice.
    void SetLanguage(varnok::text::Language language);

    /// How a transfer opens its port and what clock paces it; tests put in a
    /// radio in virtual time. Takes effect at the next Start.
    void SetTransferLink(varnok::app::Workspace::PortOpener opener, varnok::Clock& clock);

    /// How the program asks the user; tests answer through it.
    varnok::qt::QtPrompts m_prompts;

signals:
    /// A transfer has ended and its window closed; `outcome` is a
    /// varnok::TransferOutcome.
    void TransferFinished(int outcome);

private:
    void InstallQtTranslations();

    std::unique_ptr<QTranslator> m_pQtTranslator;
    /// Where the program's words come from: Qt's translator.
    std::unique_ptr<varnok::text::Translator> m_pTexts;
    std::unique_ptr<varnok::app::SettingsStore> m_pSettings;
    std::unique_ptr<varnok::app::Workspace> m_pWorkspace;
    std::unique_ptr<CProgramDoc> m_pDocument;
    std::unique_ptr<CMainFrame> m_pMainFrame;
    int m_nTransfersEnded = 0;
};
