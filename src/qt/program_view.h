// The form that shows one channel file: eleven settings boxes and the
// channel grid with its six in-place editors, laid out from the form
// template. The view only maps widget events to the workspace's calls and
// paints what the workspace holds; every rule is the application layer's.
#pragma once

#include "app/workspace.h"

#include <QRect>
#include <QWidget>

#include <array>
#include <utility>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class CMSFlexGrid;
class CProgramApp;

class CProgramView : public QWidget {
    Q_OBJECT
public:
    CProgramView(CProgramApp& app, QWidget* parent = nullptr);
    ~CProgramView() override;

    /// Shows what `changes` names of the workspace: selections and cells,
    /// the current cell and the open editor, the keyboard's place.
    void Paint(const varnok::app::Changes& changes);

    /// The in-place editor widget of an editor kind (none for None).
    QWidget* CellEditor(varnok::CellEditor editor) const;
    /// The editor widget shown over the current cell, or null.
    QWidget* GetCellEditor() const;

    QComboBox* Combo(varnok::Setting setting) const { return m_combos[static_cast<std::size_t>(setting)]; }
    CMSFlexGrid* Grid() const { return m_grid; }
    /// Shows every word of the form again, in the language now chosen.
    void LanguageChanged();

protected:
    /// The Enter and Escape keys of every window of the form, before that
    /// window sees them.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    varnok::app::Workspace& Ws() const;
    void Apply(const varnok::app::Changes& changes);
    void CreateForm();
    void CreateCellEditors();
    /// Shows the form's words in the current language.
    void Retranslate();
    void RetranslateEditors();
    void SetColumnWidths();
    void ConnectEvents();

    void PaintForm();
    void PaintCurrentCell();
    void PaintEditors();
    void OnFocusChanged(QWidget* now);
    void OnEnterKey(QWidget* target);
    void FocusNextControl(QWidget* from);
    /// Which widget of the form holds `widget`: an editor or its dropped
    /// list counts as that editor.
    varnok::FocusPlace PlaceOf(const QWidget* widget) const;

    CProgramApp& m_app;
    struct LabelText {
        QLabel* label;
        const varnok::text::Text* words;
        QRect box; ///< the template's rectangle, before the words fit it
    };
    std::vector<LabelText> m_labels;
    std::vector<std::pair<QGroupBox*, const varnok::text::Text*>> m_groups;
    std::vector<std::pair<QComboBox*, varnok::CellEditor>> m_listEditors;
    std::array<QComboBox*, varnok::kSettingCount> m_combos{};
    CMSFlexGrid* m_grid = nullptr;

    // The in-place cell editors, hidden children of the grid.
    QLineEdit* m_editText = nullptr;
    QComboBox* m_cmbTone = nullptr;
    QComboBox* m_cmbBusyLock = nullptr;
    QComboBox* m_cmbBandwidth = nullptr;
    QComboBox* m_cmbScanList = nullptr;
    QComboBox* m_cmbPower = nullptr;
    /// Set while the view moves the grid's current cell itself, so the move
    /// is not reported back as the user's.
    bool m_painting = false;
    /// The application-wide focus signal; cut before the children go, as
    /// their destruction moves the focus while this is only a QWidget.
    QMetaObject::Connection m_focusWatch;
};
