// The form that shows one channel file: eleven settings boxes and the
// channel grid, laid out from the form template. The view only moves values
// between its widgets and the core's FormState; every rule is the core's.
#pragma once

#include "image/form.h"

#include <QWidget>

#include <array>

class QComboBox;
class QLineEdit;
class CMSFlexGrid;
class CProgramApp;
class CProgramDoc;

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
    /// Takes an edit still open in a cell into the grid, so that commands
    /// that read the table see what the user typed. Cells are not edited in
    /// place yet, so there is never an open edit to take.
    void CommitEdit();

    /// What the widgets show, as the core's form.
    varnok::FormState CurrentForm() const;
    /// The model box's selection, -1 for none.
    int ModelSelection() const;

    QComboBox* Combo(varnok::Setting setting) const { return m_combos[static_cast<std::size_t>(setting)]; }
    CMSFlexGrid* Grid() const { return m_grid; }

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
};
