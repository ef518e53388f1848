#include "qt/prompts.h"
#include "qt/words.h"

#include "app/strings.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QPushButton>

namespace varnok::qt {
namespace {

namespace strings = app::strings;

QString channelFilter() { return qtr(strings::kFileFilter); }

QString runFileDialog(QWidget* parent, const QString& suggested, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, QString(), suggested, channelFilter());
    dialog.setAcceptMode(mode);
    dialog.setDefaultSuffix(QString::fromUtf8(strings::kFileSuffix));
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        return dialog.selectedFiles().constFirst();
    return QString();
}

QMessageBox::Icon qtIcon(app::Icon icon) {
    switch (icon) {
    case app::Icon::Information:
        return QMessageBox::Information;
    case app::Icon::Warning:
        return QMessageBox::Warning;
    case app::Icon::Question:
        return QMessageBox::Question;
    default:
        return QMessageBox::NoIcon;
    }
}

constexpr std::pair<app::Button, QMessageBox::StandardButton> kButtons[] = {
    {app::Button::Ok, QMessageBox::Ok},       {app::Button::Cancel, QMessageBox::Cancel},
    {app::Button::Save, QMessageBox::Save},   {app::Button::Discard, QMessageBox::Discard},
    {app::Button::Retry, QMessageBox::Retry},
};

QMessageBox::StandardButton qtButton(app::Button button) {
    for (const auto& [ours, theirs] : kButtons)
        if (ours == button)
            return theirs;
    return QMessageBox::NoButton;
}

app::Button ourButton(QMessageBox::StandardButton button) {
    for (const auto& [ours, theirs] : kButtons)
        if (theirs == button)
            return ours;
    return app::Button::Cancel;
}

std::optional<std::string> answered(const QString& text) {
    if (text.isEmpty())
        return std::nullopt;
    return text.toStdString();
}

} // namespace

QString messageCaption() { return qtr(strings::kAppTitle); }

QMessageBox* createMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                              QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
    auto* box = new QMessageBox(icon, messageCaption(), text, buttons, parent);
    const std::pair<QMessageBox::StandardButton, const char*> labels[] = {
        {QMessageBox::Ok, strings::kButtonOk},       {QMessageBox::Cancel, strings::kButtonCancel},
        {QMessageBox::Save, strings::kButtonSave},   {QMessageBox::Discard, strings::kButtonDiscard},
        {QMessageBox::Yes, strings::kButtonYes},     {QMessageBox::No, strings::kButtonNo},
        {QMessageBox::Retry, strings::kButtonRetry},
    };
    for (const auto& [which, label] : labels)
        if (QAbstractButton* button = box->button(which))
            button->setText(QString::fromUtf8(label));
    if (defaultButton != QMessageBox::NoButton)
        box->setDefaultButton(defaultButton);
    return box;
}

QtPrompts::QtPrompts()
    : message([](QWidget* parent, QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
                 QMessageBox::StandardButton defaultButton) {
          std::unique_ptr<QMessageBox> box(createMessageBox(parent, icon, text, buttons, defaultButton));
          box->exec();
          const auto pressed = box->standardButton(box->clickedButton());
          // Closing the box with Escape or its close button counts as its
          // escape button, or as cancelling when it has none.
          return pressed == QMessageBox::NoButton ? QMessageBox::Cancel : pressed;
      }),
      captionedMessage([](QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text) {
          std::unique_ptr<QMessageBox> box(createMessageBox(parent, icon, text, QMessageBox::Ok));
          box->setWindowTitle(caption);
          box->exec();
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
      }),
      openCsvName([](QWidget* parent, const QString& suggested) {
          return QFileDialog::getOpenFileName(parent, QString(), suggested, qtr(strings::kCsvFilter));
      }),
      saveCsvName([](QWidget* parent, const QString& suggested) {
          return QFileDialog::getSaveFileName(parent, QString(), suggested, qtr(strings::kCsvFilter));
      }),
      askPortName([](QWidget* parent, const QString& current) {
          QInputDialog dialog(parent);
          dialog.setWindowTitle(messageCaption());
          dialog.setLabelText(qtr(strings::kOtherPortQuestion));
          dialog.setTextValue(current);
          dialog.setOkButtonText(qtr(strings::kButtonOk));
          dialog.setCancelButtonText(qtr(strings::kButtonCancel));
          return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
      }) {}

app::Button QtPrompts::show(const app::Message& m) {
    const QString text = QString::fromStdString(m.text);
    const QString caption = QString::fromStdString(m.caption);
    if (caption != messageCaption())
        return ourButton(captionedMessage(m_pParent, qtIcon(m.icon), caption, text));
    QMessageBox::StandardButtons buttons;
    for (app::Button button : m.buttons)
        buttons |= qtButton(button);
    return ourButton(message(m_pParent, qtIcon(m.icon), text, buttons, qtButton(m.defaultButton)));
}

std::optional<std::string> QtPrompts::openPath(const std::string& folder) {
    return answered(openFileName(m_pParent, QString::fromStdString(folder)));
}

std::optional<std::string> QtPrompts::savePath(const std::string& suggested) {
    return answered(saveFileName(m_pParent, QString::fromStdString(suggested)));
}

std::optional<std::string> QtPrompts::csvPath(const std::string& suggested, bool save) {
    return answered((save ? saveCsvName : openCsvName)(m_pParent, QString::fromStdString(suggested)));
}

std::optional<std::string> QtPrompts::portName(const std::string& current) {
    return answered(askPortName(m_pParent, QString::fromStdString(current)));
}

} // namespace varnok::qt
