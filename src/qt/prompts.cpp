#include "qt/prompts.h"

#include "app/strings.h"

#include <QFileDialog>
#include <QPushButton>

namespace varnok::app {
namespace {

QFileDialog* channelFileDialog(QWidget* parent, const QString& suggested, QFileDialog::AcceptMode mode) {
    auto* dialog = new QFileDialog(parent, QString(), suggested, strings::kFileFilter);
    dialog->setAcceptMode(mode);
    dialog->setDefaultSuffix(strings::kFileSuffix);
    dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    return dialog;
}

QString runFileDialog(QWidget* parent, const QString& suggested, QFileDialog::AcceptMode mode) {
    QFileDialog* dialog = channelFileDialog(parent, suggested, mode);
    QString chosen;
    if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
        chosen = dialog->selectedFiles().constFirst();
    delete dialog;
    return chosen;
}

} // namespace

QString messageCaption() { return strings::kAppTitle; }

QMessageBox* createMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                              QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
    auto* box = new QMessageBox(icon, messageCaption(), text, buttons, parent);
    const std::pair<QMessageBox::StandardButton, QString> labels[] = {
        {QMessageBox::Ok, strings::kButtonOk},       {QMessageBox::Cancel, strings::kButtonCancel},
        {QMessageBox::Save, strings::kButtonSave},   {QMessageBox::Discard, strings::kButtonDiscard},
        {QMessageBox::Yes, strings::kButtonYes},     {QMessageBox::No, strings::kButtonNo},
        {QMessageBox::Retry, strings::kButtonRetry},
    };
    for (const auto& [which, label] : labels)
        if (QAbstractButton* button = box->button(which))
            button->setText(label);
    if (defaultButton != QMessageBox::NoButton)
        box->setDefaultButton(defaultButton);
    return box;
}

Prompts::Prompts()
    : message([](QWidget* parent, QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
                 QMessageBox::StandardButton defaultButton) {
          QMessageBox* box = createMessageBox(parent, icon, text, buttons, defaultButton);
          box->exec();
          const auto pressed = box->standardButton(box->clickedButton());
          delete box;
          // Closing the box with Escape or its close button counts as its
          // escape button, or as cancelling when it has none.
          return pressed == QMessageBox::NoButton ? QMessageBox::Cancel : pressed;
      }),
      captionedMessage([](QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text) {
          QMessageBox* box = createMessageBox(parent, icon, text, QMessageBox::Ok);
          box->setWindowTitle(caption);
          box->exec();
          delete box;
          return QMessageBox::Ok;
      }),
      openFileName([](QWidget* parent, const QString& suggested) {
          return runFileDialog(parent, suggested, QFileDialog::AcceptOpen);
      }),
      saveFileName([](QWidget* parent, const QString& suggested) {
          return runFileDialog(parent, suggested, QFileDialog::AcceptSave);
      }),
      pdfFileName([](QWidget* parent, const QString& suggested) {
          return QFileDialog::getSaveFileName(parent, QString(), suggested, QStringLiteral("PDF (*.pdf)"));
      }) {}

} // namespace varnok::app
