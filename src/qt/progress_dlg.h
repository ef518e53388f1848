// The small modeless window of one transfer with the radio: Start, Cancel,
// a progress bar and a status line. It paints the workspace's progress
// window and hands its buttons to the workspace.
#pragma once

#include "app/workspace.h"

#include <QDialog>

#include <utility>
#include <vector>

class CProgramApp;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

class CProgressDlg : public QDialog {
    Q_OBJECT
public:
    /// `centreOver` is the window the dialog appears centred on (the grid).
    CProgressDlg(CProgramApp& app, QWidget* centreOver, QWidget* parent);

    void Paint(const varnok::app::ProgressWindow& state);

    QPushButton* StartButton() const { return m_start; }
    QPushButton* CancelButton() const { return m_cancel; }
    QProgressBar* ProgressBar() const { return m_progress; }
    QLabel* StatusLine() const { return m_status; }
    QCheckBox* VerifyBox() const { return m_verify; }
    QCheckBox* BackupFirstBox() const { return m_backupFirst; }
    /// The window's own words in the language now chosen.
    void LanguageChanged();

public slots:
    /// Enter and the Start button.
    void accept() override;
    /// Cancel, Escape and the close box.
    void reject() override;

private:
    CProgramApp& m_app;
    QWidget* m_centreOver;
    QPushButton* m_start = nullptr;
    QPushButton* m_cancel = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QCheckBox* m_verify = nullptr;
    QCheckBox* m_backupFirst = nullptr;
    std::vector<std::pair<QWidget*, const varnok::text::Text*>> m_texts;
};
