// The document as the window's commands see it: the application layer's
// document, with the Save commands of the File menu.
#pragma once

#include "app/document.h"

#include <QString>

class CProgramApp;

class CProgramDoc {
public:
    explicit CProgramDoc(CProgramApp& app) : m_app(app) {}

    const varnok::app::Document& Document() const;
    const varnok::RadioImage& Image() const { return Document().image; }
    QString GetPathName() const;
    /// The file's name, or the name of a document never saved.
    QString GetTitle() const;
    /// True when the form differs from what it showed after the last New,
    /// Open or Save.
    bool IsModified() const;

    void OnFileSave();
    void OnFileSaveAs();

private:
    CProgramApp& m_app;
};
