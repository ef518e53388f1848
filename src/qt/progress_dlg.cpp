#include "qt/progress_dlg.h"

#include "app/form_template.h"
#include "qt/dialog_units.h"
#include "qt/program_app.h"
#include "qt/words.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace strings = varnok::app::strings;
using varnok::app::ProgressWindow;
using varnok::app::TemplateControl;

namespace {

/// The template's font, then fonts that draw its Chinese texts where it is
/// missing; the dialog units, and so the whole layout, follow the font that
/// is found.
QFont dialogFont() {
    QStringList families;
    for (const char* name : strings::kDialogFonts)
        families << QString::fromUtf8(name);
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    if (!chinese.isEmpty())
        families << chinese.constFirst();
    QFont font(families.constFirst());
    font.setFamilies(families);
    font.setPointSize(10);
    return font;
}

} // namespace

CProgressDlg::CProgressDlg(CProgramApp& app, QWidget* centreOver, QWidget* parent)
    : QDialog(parent), m_app(app), m_centreOver(centreOver) {
    setObjectName(QStringLiteral("progress133"));
    setModal(false);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(qtr(strings::kProgressTemplateCaption));
    setFont(dialogFont());
    const DialogUnits units(QFontMetrics(font(), this));

    for (const TemplateControl& control : varnok::app::kProgressTemplate) {
        const QRect box = units.rect(control.x, control.y, control.width, control.height);
        const QString text = qtr(control.text);
        QWidget* widget = nullptr;
        switch (control.kind) {
        case TemplateControl::Kind::Button: {
            auto* button = new QPushButton(text, this);
            button->setObjectName(QStringLiteral("button%1").arg(control.id));
            (control.id == 1 ? m_start : m_cancel) = button;
            widget = button;
            break;
        }
        case TemplateControl::Kind::Check: {
            auto* check = new QCheckBox(text, this);
            check->setObjectName(QStringLiteral("check%1").arg(control.id));
            check->hide();
            (control.id == 1006 ? m_verify : m_backupFirst) = check;
            widget = check;
            break;
        }
        case TemplateControl::Kind::Progress:
            m_progress = new QProgressBar(this);
            m_progress->setObjectName(QStringLiteral("progress%1").arg(control.id));
            m_progress->setTextVisible(false);
            m_progress->setRange(0, ProgressWindow::kMax);
            widget = m_progress;
            break;
        default: {
            auto* label = new QLabel(text, this);
            label->setObjectName(QStringLiteral("label%1").arg(control.id));
            label->setTextFormat(Qt::PlainText);
            if (control.id == 1005)
                m_status = label;
            widget = label;
            break;
        }
        }
        widget->setGeometry(box);
        if (control.text && control.id != 1005)
            m_texts.emplace_back(widget, control.text);
    }
    m_start->setDefault(true);
    m_cancel->setAutoDefault(false);
    connect(m_start, &QPushButton::clicked, this, &CProgressDlg::accept);
    // A click on a box the workspace refuses (a transfer runs) is undone by
    // the repaint that follows.
    connect(m_verify, &QCheckBox::clicked, this,
            [this](bool on) { m_app.Apply(m_app.Workspace().setVerify(on)); Paint(m_app.Workspace().progress()); });
    connect(m_backupFirst, &QCheckBox::clicked, this, [this](bool on) {
        m_app.Apply(m_app.Workspace().setBackupFirst(on));
        Paint(m_app.Workspace().progress());
    });
    connect(m_cancel, &QPushButton::clicked, this, &CProgressDlg::reject);
    setFixedSize(units.x(varnok::app::kProgressWidth), units.y(varnok::app::kProgressHeight));
}

void CProgressDlg::Paint(const ProgressWindow& state) {
    setWindowTitle(QString::fromStdString(state.title()));
    m_progress->setValue(state.position);
    const bool waiting = state.state == ProgressWindow::State::Waiting;
    m_verify->setVisible(state.verifyShown);
    m_verify->setChecked(state.verify);
    m_verify->setEnabled(waiting);
    m_backupFirst->setVisible(state.backupFirstShown);
    m_backupFirst->setChecked(state.backupFirst);
    m_backupFirst->setEnabled(waiting);
    const QString status = QString::fromStdString(state.status);
    if (m_status->text() != status) {
        // The line is no control the keyboard visits; a screen reader learns
        // of each new status from the name change this announces. Named
        // first, so that the label does not announce its new text a second
        // time.
        m_status->setAccessibleName(status);
        m_status->setText(status);
    }
    m_start->setEnabled(state.startEnabled);
    if (state.state == ProgressWindow::State::NoWindow) {
        hide();
        return;
    }
    if (isVisible())
        return;
    show();
    QRect frame = frameGeometry();
    frame.moveCenter(m_centreOver->mapToGlobal(m_centreOver->rect().center()));
    move(frame.topLeft());
    raise();
    activateWindow();
    m_start->setFocus();
}

void CProgressDlg::LanguageChanged() {
    for (const auto& [widget, words] : m_texts) {
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            button->setText(qtr(*words));
        else if (auto* label = qobject_cast<QLabel*>(widget))
            label->setText(qtr(*words));
    }
    // An open window shows the workspace's words, which follow the language
    // from its next change on.
    if (!isVisible()) {
        setWindowTitle(qtr(strings::kProgressTemplateCaption));
        m_status->setText(qtr(strings::kProgressWaiting));
    }
}

void CProgressDlg::accept() { m_app.Apply(m_app.Workspace().startTransfer()); }

void CProgressDlg::reject() { m_app.Apply(m_app.Workspace().cancelTransfer()); }
