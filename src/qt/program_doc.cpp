#include "qt/program_doc.h"

#include "qt/program_app.h"

const varnok::app::Document& CProgramDoc::Document() const { return m_app.Workspace().document(); }

QString CProgramDoc::GetPathName() const { return QString::fromStdString(Document().path()); }

QString CProgramDoc::GetTitle() const { return QString::fromStdString(Document().title()); }

bool CProgramDoc::IsModified() const { return Document().modified(); }

void CProgramDoc::OnFileSave() { m_app.Apply(m_app.Workspace().fileSave()); }

void CProgramDoc::OnFileSaveAs() { m_app.Apply(m_app.Workspace().fileSaveAs()); }
