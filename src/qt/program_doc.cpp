#include "qt/program_doc.h"

#include "app/strings.h"
#include "qt/program_app.h"
#include "qt/program_view.h"
#include "image/defaults.h"
#include "image/sinfile.h"

#include <QDir>
#include <QFileInfo>

using namespace varnok;
namespace strings = varnok::app::strings;

CProgramDoc::CProgramDoc(CProgramApp& app, QObject* parent) : QObject(parent), m_app(app) {}

bool CProgramDoc::OnNewDocument() {
    const int model = m_pView ? m_pView->ModelSelection() : -1;
    m_image = defaultImage(presetForNewDocument(m_app.m_bEditorsCreated, model));
    return true;
}

bool CProgramDoc::OnOpenDocument(const QString& path) {
    RadioImage loaded;
    if (const auto error = loadChannelFile(path.toStdString(), loaded)) {
        const QString name = QDir::toNativeSeparators(path);
        const QString headline = error->kind == FileError::Kind::Format
                                     ? QString::fromUtf8(strings::kNotAChannelFile).arg(name)
                                     : QString::fromUtf8(strings::kOpenFailed).arg(name);
        m_app.Message(QMessageBox::Warning, headline + QStringLiteral("\n\n") + QString::fromStdString(error->message));
        return false;
    }
    m_image = loaded;
    return true;
}

bool CProgramDoc::OnSaveDocument(const QString& path) {
    if (m_pView) {
        m_pView->CommitEdit();
        m_pView->FormToImage();
    }
    if (const auto error = saveChannelFile(path.toStdString(), m_image)) {
        m_app.Message(QMessageBox::Warning,
                      QString::fromUtf8(strings::kSaveFailed).arg(QDir::toNativeSeparators(path)) +
                          QStringLiteral("\n\n") + QString::fromStdString(error->message));
        return false;
    }
    return true;
}

bool CProgramDoc::DoFileSave() { return DoSave(m_strPathName); }

bool CProgramDoc::DoSave(const QString& path) {
    QString target = path;
    if (target.isEmpty()) {
        const QString suggested = m_strPathName.isEmpty()
                                      ? QDir(m_app.LastFolder())
                                            .filePath(QString::fromUtf8(strings::kNewFileName) + QStringLiteral(".") +
                                                      QString::fromUtf8(strings::kFileSuffix))
                                      : m_strPathName;
        target = m_app.m_prompts.saveFileName(m_app.GetMainWindow(), suggested);
        if (target.isEmpty())
            return false;
    }
    target = QFileInfo(target).absoluteFilePath();
    if (!OnSaveDocument(target))
        return false;
    m_strPathName = target;
    m_app.AddToRecentFileList(target);
    SetModifiedBaseline();
    return true;
}

bool CProgramDoc::IsModified() const { return m_bHasBaseline && m_pView && m_pView->CurrentForm() != m_baseline; }

void CProgramDoc::SetModifiedBaseline() {
    if (!m_pView)
        return;
    m_baseline = m_pView->CurrentForm();
    m_bHasBaseline = true;
}

bool CProgramDoc::SaveModified() {
    if (m_pView)
        m_pView->CommitEdit();
    if (!IsModified())
        return true;
    const auto answer =
        m_app.Message(QMessageBox::Question, QString::fromUtf8(strings::kSaveChangesQuestion).arg(GetTitle()),
                      QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    switch (answer) {
    case QMessageBox::Save:
        return DoFileSave();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

QString CProgramDoc::GetTitle() const {
    return m_strPathName.isEmpty() ? QString::fromUtf8(strings::kNewFileName) : QFileInfo(m_strPathName).fileName();
}
