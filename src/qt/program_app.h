// The application object: start-up, the document commands that replace the
// document (New, Open, a recent file), the recent-file list, and what the
// form needs for the whole run (tone table, editors-created flag).
#pragma once

#include "qt/prompts.h"

#include <QObject>
#include <QStringList>

#include <memory>

class CMainFrame;
class CProgramDoc;
class CProgramView;
class QTranslator;
class QWidget;

class CProgramApp : public QObject {
    Q_OBJECT
public:
    /// Entries of the recent-file list.
    static constexpr int kRecentFileCount = 4;

    explicit CProgramApp(QObject* parent = nullptr);
    ~CProgramApp() override;

    /// Builds the window and opens `fileToOpen` (a new document when it is
    /// empty or cannot be opened), then shows the window centred.
    bool InitInstance(const QString& fileToOpen = QString());

    CProgramDoc* GetDocument() const { return m_pDocument.get(); }
    CMainFrame* GetMainFrame() const { return m_pMainFrame.get(); }
    QWidget* GetMainWindow() const;
    CProgramView* GetView() const;

    /// New: asks about unsaved changes, then a new document.
    void OnFileNew();
    /// Open: the user picks a channel file, which is then opened.
    void OnFileOpen();
    /// Opens a file as the document, after asking about unsaved changes.
    /// A file that cannot be opened leaves the document as it was and
    /// leaves the recent-file list.
    bool OpenDocumentFile(const QString& path);
    /// Opens entry `index` (0 = the most recent) of the recent-file list.
    void OnFileMru(int index);
    void OnAppAbout();
    /// While a transfer with the radio runs it still uses the document, the
    /// view and the progress dialog: tells the user that the command has to
    /// wait and returns true. False when no transfer runs.
    bool RefuseWhileTransferring();

    /// The recent-file list, most recent first, as kept between runs.
    QStringList RecentFiles() const;
    void AddToRecentFileList(const QString& path);
    /// Where the file choosers start: the document's folder, else the most
    /// recent file's, else the home folder.
    QString LastFolder() const;

    /// A message box over the main window, answered through m_prompts.
    QMessageBox::StandardButton Message(QMessageBox::Icon icon, const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    /// The tone names the tone box lists.
    QStringList m_arrTones;
    /// Set by the form's first initial update of the run.
    bool m_bEditorsCreated = false;
    /// How the program asks the user; tests answer through it.
    varnok::app::Prompts m_prompts;

signals:
    void RecentFilesChanged();

private:
    void NewDocument();
    void RemoveFromRecentFileList(const QString& path);
    void StoreRecentFiles(const QStringList& files);

    void InstallQtTranslations();

    std::unique_ptr<QTranslator> m_pQtTranslator;
    std::unique_ptr<CProgramDoc> m_pDocument;
    std::unique_ptr<CMainFrame> m_pMainFrame;
};
