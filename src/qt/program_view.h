// The form that shows one channel file: eleven settings boxes and the
// channel grid, laid out from the form template. The view only moves values
// between its widgets and the core's FormState; every rule is the core's.
#pragma once

#include "editor/entry_rules.h"
#include "image/form.h"
#include "link/ports.h"
#include "link/transfer.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QComboBox;
class QLineEdit;
class CMSFlexGrid;
class CProgramApp;
class CProgramDoc;
class CProgressDlg;

class CProgramView : public QWidget {
    Q_OBJECT
public:
    /// Control ids of the form template, used as the widgets' object names
    /// ("combo1017", "grid1007", "edit61446").
    static constexpr int kGridId = 1007;
    static constexpr int kTextBoxId = 61446;
    static constexpr int kToneBoxId = 1000;
    static constexpr int kBusyLockBoxId = 61448;
    static constexpr int kBandwidthBoxId = 61449;
    static constexpr int kScanListBoxId = 61450;
    static constexpr int kPowerBoxId = 61451;
    /// The settings box of a setting and its control id.
    static int ComboId(varnok::Setting setting);

    CProgramView(CProgramApp& app, QWidget* parent = nullptr);

    void SetDocument(CProgramDoc* document) { m_pDocument = document; }
    CProgramDoc* GetDocument() const { return m_pDocument; }

    /// Runs after every New or Open: the first time in a program run it
    /// creates the cell editors, sets the column widths and the starting
    /// selections; every time it decodes the document into the form, writes
    /// the headers and channel numbers and puts the focus on the model box.
    void OnInitialUpdate();
    /// Decodes the document's image into the form (which runs the model
    /// change on the image).
    void ImageToForm();
    /// Encodes the form into the document's image.
    void FormToImage();
    /// The user chose a model: the band box goes back to its first entry and
    /// the auxiliary records are rewritten at once.
    void OnSelchangeModel();
    /// Takes an edit still open in a cell into the grid, with the entry
    /// checks, so that commands that read the table see what the user typed.
    void CommitEdit();

    /// The in-place editor of the current column: the text box for the
    /// frequency columns, the tone box, or the list of a flag column.
    QWidget* GetCellEditor() const;
    /// Lays `editor` (GetCellEditor() when null) over the current cell, shows
    /// and focuses it. `ch` is 0 when opened without a key, 13 by the Enter
    /// navigation, else the key typed on the grid, which the editor starts
    /// with.
    void ShowCellEditor(char16_t ch, QWidget* editor = nullptr);
    /// The grid's events.
    void OnGridDblClick();
    void OnGridMouseDown(short button, short shift, int x, int y);
    void OnGridKeyPress(char16_t key);
    void OnGridEnterCell();
    /// Commits the open editor of the current cell into the grid and hides it.
    void OnGridLeaveCell();

    /// What the widgets show, as the core's form.
    varnok::FormState CurrentForm() const;
    /// The model box's selection, -1 for none.
    int ModelSelection() const;

    QComboBox* Combo(varnok::Setting setting) const { return m_combos[static_cast<std::size_t>(setting)]; }
    CMSFlexGrid* Grid() const { return m_grid; }

protected:
    /// The Enter key of every window of the form, before that window sees it.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateForm();
    void CreateCellEditors();
    std::array<QWidget*, 6> CellEditors() const;
    void HideCellEditors();
    void HideModelChangeEditors();
    void FillBandBox();
    void ShowSelections(const varnok::FormState& form);
    void ShowChannels(const varnok::FormState& form);
    void ShowTableFrame();
    void SetColumnWidths();
    void ResizeParentToFit();

    void ConnectCellEditing();
    void OnEnterKey(QWidget* focus);
    void FocusNextControl(QWidget* from);
    void TakeListValue(QComboBox* box);
    QString ToneCellText() const;
    void WriteFrequency(int row, int col, const std::string& text);
    void ShowEntryMessage(varnok::EntryMessage message);

    CProgramApp& m_app;
    CProgramDoc* m_pDocument = nullptr;
    std::array<QComboBox*, varnok::kSettingCount> m_combos{};
    CMSFlexGrid* m_grid = nullptr;

    // The in-place cell editors, hidden children of the grid.
    QLineEdit* m_editText = nullptr;
    QComboBox* m_cmbTone = nullptr;
    QComboBox* m_cmbBusyLock = nullptr;
    QComboBox* m_cmbBandwidth = nullptr;
    QComboBox* m_cmbScanList = nullptr;
    QComboBox* m_cmbPower = nullptr;

    // ---- Transfers with the radio and the port choice -------------------
    // Defined in program_view_transfer.cpp; kept apart from the form and
    // the cell editing above.
public:
    /// Read (Ctrl+R) and Write (Ctrl+W): commit the open edit, then show the
    /// progress dialog for that direction, or bring the shown one to the
    /// front. A dialog still waiting for Start takes the new direction and
    /// caption; a running transfer keeps both.
    void OnRead();
    void OnWrite();
    /// Start in the progress dialog: encodes the form for a write, opens the
    /// port and runs the transfer on a worker thread, which only ever talks
    /// to this thread through posted calls. A start while one runs does
    /// nothing.
    void OnTransfer();
    /// True from Start until the transfer has ended and its window closed;
    /// meanwhile nothing may replace or close the document.
    bool IsTransferring() const;
    CProgressDlg* GetProgressDlg() const { return m_pProgressDlg; }

    /// The port of the next transfer: "COM1" to "COM4", "demo", a device
    /// path or any name the system knows. Nothing is opened here.
    void SelectPort(const QString& name);
    /// Asks for a port name or device path typed by hand.
    void OnPortOther();

    /// How a transfer opens its port and what clock paces it; tests put in a
    /// radio in virtual time. Empty: openPort on the machine's clock.
    std::function<varnok::OpenedPort(const std::string& name, varnok::Clock& clock)> m_portOpener;
    varnok::Clock* m_pTransferClock = nullptr;
    /// Asks for a port typed by hand, starting from `current`; an empty
    /// answer keeps the port. Empty: an input dialog.
    std::function<QString(QWidget* parent, const QString& current)> m_askPortName;

    /// Port name, COM1 at every start of the program.
    QString m_strPort = QStringLiteral("COM1");
    /// Direction of the next transfer: false read, true write.
    bool m_bWrite = false;

signals:
    /// A transfer has ended: its window is closed and, after a complete
    /// read, the form shows the radio's data. `outcome` is a
    /// varnok::TransferOutcome.
    void TransferFinished(int outcome);

private:
    struct TransferJob;
    void ShowProgressDlg(bool write);
    void FinishTransfer(varnok::TransferOutcome outcome, const varnok::RadioImage& image, bool blocksStarted);

    CProgressDlg* m_pProgressDlg = nullptr;
    std::shared_ptr<TransferJob> m_pTransfer;
    bool m_bTransferWrite = false;
    // ---- end of transfers ------------------------------------------------
};
