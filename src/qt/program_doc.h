// The document: one radio memory image, the file it came from, and the
// form it showed when it was last created, opened or saved.
#pragma once

#include "image/form.h"
#include "image/image.h"

#include <QObject>
#include <QString>

class CProgramApp;
class CProgramView;

class CProgramDoc : public QObject {
    Q_OBJECT
public:
    explicit CProgramDoc(CProgramApp& app, QObject* parent = nullptr);

    void SetView(CProgramView* view) { m_pView = view; }
    CProgramView* GetView() const { return m_pView; }

    /// Fills the image with the default image. Its preset set follows the
    /// model box once the form exists (the core decides which).
    bool OnNewDocument();
    /// Reads a channel file. On failure the user is told why, naming the
    /// file, and the image is left exactly as it was.
    bool OnOpenDocument(const QString& path);
    /// Takes any open cell edit into the grid, encodes the form into the
    /// image and writes the file atomically; on failure the user is told.
    bool OnSaveDocument(const QString& path);

    /// Save: to the document's file, or through Save As when it has none.
    bool DoFileSave();
    /// Save As when `path` is empty (the user picks a file), else a save to
    /// `path`. Success makes `path` the document's file.
    bool DoSave(const QString& path);
    void OnFileSave() { DoFileSave(); }
    void OnFileSaveAs() { DoSave(QString()); }

    /// True when the form differs from what it showed after the last New,
    /// Open or Save.
    bool IsModified() const;
    /// Remembers what the form shows now as the unchanged state.
    void SetModifiedBaseline();
    /// Before the document is replaced or the program ends: when it has
    /// changes, asks whether to save them. False means the user chose to
    /// keep the document (Cancel, or a save that did not happen).
    bool SaveModified();

    QString GetPathName() const { return m_strPathName; }
    void SetPathName(const QString& path) { m_strPathName = path; }
    /// The file's name, or the name of a document never saved.
    QString GetTitle() const;

    varnok::RadioImage m_image;

private:
    CProgramApp& m_app;
    CProgramView* m_pView = nullptr;
    QString m_strPathName;
    bool m_bHasBaseline = false;
    varnok::FormState m_baseline;
};
