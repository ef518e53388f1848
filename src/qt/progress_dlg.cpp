#include "qt/progress_dlg.h"

#include "app/strings.h"
#include "qt/dialog_units.h"
#include "qt/program_view.h"

#include <QFontDatabase>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace strings = varnok::app::strings;

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

CProgressDlg::CProgressDlg(CProgramView* view) : QDialog(view), m_pView(view) {
    setObjectName(QStringLiteral("progress133"));
    setModal(false);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QString::fromUtf8(strings::kProgressTemplateCaption));
    setFont(dialogFont());
    const DialogUnits units(QFontMetrics(font(), this));

    m_start = new QPushButton(QString::fromUtf8(strings::kProgressStart), this);
    m_start->setObjectName(QStringLiteral("button%1").arg(kStartId));
    m_start->setDefault(true);
    m_start->setGeometry(units.rect(7, 7, 40, 15));
    connect(m_start, &QPushButton::clicked, this, &CProgressDlg::accept);

    m_cancel = new QPushButton(QString::fromUtf8(strings::kButtonCancel), this);
    m_cancel->setObjectName(QStringLiteral("button%1").arg(kCancelId));
    m_cancel->setAutoDefault(false);
    m_cancel->setGeometry(units.rect(205, 48, 40, 15));
    connect(m_cancel, &QPushButton::clicked, this, &CProgressDlg::reject);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress%1").arg(kProgressId));
    m_progress->setTextVisible(false);
    m_progress->setGeometry(units.rect(7, 28, 239, 11));

    auto* label = new QLabel(QString::fromUtf8(strings::kProgressLabel), this);
    label->setObjectName(QStringLiteral("label%1").arg(kLabelId));
    label->setGeometry(units.rect(8, 46, 32, 10));

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("label%1").arg(kStatusId));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setGeometry(units.rect(43, 46, 158, 10));

    setFixedSize(units.x(262), units.y(70));
    OnInitDialog();
}

void CProgressDlg::OnInitDialog() {
    m_progress->setRange(0, kProgressMax);
    m_progress->setValue(0);
    m_status->setText(QString::fromUtf8(strings::kProgressWaiting));
    m_bCancel = false;
    m_start->setEnabled(true);
    m_start->setFocus();
    setWindowTitle(m_strCaption);
}

void CProgressDlg::Create() {
    OnInitDialog();
    m_state = State::Waiting;
    show();
}

void CProgressDlg::DestroyWindow() {
    m_state = State::NoWindow;
    hide();
}

void CProgressDlg::SetCaption(const QString& caption) {
    m_strCaption = caption;
    if (m_state == State::Waiting)
        setWindowTitle(caption);
}

void CProgressDlg::SetStatusText(const QString& text) { m_status->setText(text); }

void CProgressDlg::ProgressStep(bool write) {
    const int position = m_progress->value();
    if (position > (write ? kProgressMax - 2 : kProgressMax - 1))
        return;
    m_progress->setValue(position + 1);
    m_status->setText(QString::number(position + 1));
}

void CProgressDlg::SetProgressPos(int position) { m_progress->setValue(position); }

int CProgressDlg::GetProgressPos() const { return m_progress->value(); }

void CProgressDlg::OnOK() {
    // Enter on a disabled Start, or a start asked for twice, starts nothing.
    if (m_state != State::Waiting)
        return;
    m_state = State::Running;
    m_start->setEnabled(false);
    // Posted, as a click must return before the transfer begins.
    QMetaObject::invokeMethod(
        m_pView, [view = m_pView] { view->OnTransfer(); }, Qt::QueuedConnection);
}

void CProgressDlg::OnCancel() {
    m_bCancel = true;
    // A running transfer sees the request within one block and then closes
    // the window itself; before Start there is nothing to stop.
    if (m_state == State::Waiting)
        DestroyWindow();
}
