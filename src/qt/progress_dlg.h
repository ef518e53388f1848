// The small modeless window of one transfer with the radio: Start, Cancel,
// a progress bar and a status line. The object lives as long as the view;
// its window is created for each transfer and destroyed at each end.
#pragma once

#include <QDialog>
#include <QString>

#include <atomic>

class CProgramView;
class QLabel;
class QProgressBar;
class QPushButton;

class CProgressDlg : public QDialog {
    Q_OBJECT
public:
    /// Control ids of the dialog template, used as object names
    /// ("button1", "progress1003", "label1005").
    static constexpr int kStartId = 1;
    static constexpr int kCancelId = 2;
    static constexpr int kProgressId = 1003;
    static constexpr int kLabelId = 1004;
    static constexpr int kStatusId = 1005;
    /// The bar's last position: a read shows 1 to 123, a write 1 to 122.
    static constexpr int kProgressMax = 123;

    enum class State {
        NoWindow, ///< before the first transfer and after every end
        Waiting,  ///< shown, Start not yet pressed
        Running,  ///< Start pressed; only the transfer's end closes it
    };

    /// `view` receives the start request; the dialog is its child, so it
    /// cannot outlive it.
    explicit CProgressDlg(CProgramView* view);

    /// Shows a fresh window: bar at 0, "等待中......", Start enabled, no
    /// cancel request, `m_strCaption` as caption.
    void Create();
    /// Closes the window; the object stays for the next transfer.
    void DestroyWindow();
    State GetState() const { return m_state; }
    bool IsWindow() const { return m_state != State::NoWindow; }

    /// Changes the caption, in the window too while it waits for Start.
    void SetCaption(const QString& caption);
    void SetStatusText(const QString& text);
    /// One block done: advances the bar and shows its position while it is
    /// at most 122 in a read or 121 in a write; otherwise nothing changes.
    void ProgressStep(bool write);
    void SetProgressPos(int position);
    int GetProgressPos() const;

    QPushButton* StartButton() const { return m_start; }
    QPushButton* CancelButton() const { return m_cancel; }
    QProgressBar* ProgressBar() const { return m_progress; }
    QLabel* StatusLine() const { return m_status; }

    /// The cancel request, read by the transfer's worker thread at every
    /// yield step.
    std::atomic<bool> m_bCancel{false};
    QString m_strCaption;
    CProgramView* m_pView;

public slots:
    /// Enter and the Start button.
    void accept() override { OnOK(); }
    /// Cancel, Escape and the close box.
    void reject() override { OnCancel(); }

private:
    void OnInitDialog();
    void OnOK();
    void OnCancel();

    State m_state = State::NoWindow;
    QPushButton* m_start = nullptr;
    QPushButton* m_cancel = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
};
