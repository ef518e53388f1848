// The window's modal questions and file choosers. The application layer
// asks through varnok::app::Prompts; this face answers with Qt's dialogs,
// behind functions a test can replace so that every path through them runs
// without a person.
#pragma once

#include "app/prompts.h"

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

namespace varnok::qt {

/// The caption of every message box: the application title.
QString messageCaption();

/// A message box with the application title as caption and the buttons
/// labelled in the interface's language.
QMessageBox* createMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                              QMessageBox::StandardButtons buttons,
                              QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

class QtPrompts : public app::Prompts {
public:
    /// Shows a message under the application title; returns the button
    /// pressed.
    using Message = std::function<QMessageBox::StandardButton(QWidget* parent, QMessageBox::Icon icon,
                                                              const QString& text, QMessageBox::StandardButtons buttons,
                                                              QMessageBox::StandardButton defaultButton)>;
    /// Shows a message under a caption of its own.
    using CaptionedMessage = std::function<QMessageBox::StandardButton(QWidget* parent, QMessageBox::Icon icon,
                                                                       const QString& caption, const QString& text)>;
    /// Asks for a file name, starting from `suggested`; empty means the user
    /// cancelled.
    using FileName = std::function<QString(QWidget* parent, const QString& suggested)>;
    /// Asks for a port typed by hand, starting from `current`; empty keeps
    /// the port.
    using PortName = std::function<QString(QWidget* parent, const QString& current)>;

    QtPrompts();

    /// The window the dialogs belong to.
    QWidget* m_pParent = nullptr;

    Message message;
    CaptionedMessage captionedMessage;
    FileName openFileName;
    FileName saveFileName;
    /// Asks where to save the settings report as PDF.
    FileName pdfFileName;
    /// Ask for a CSV file to read, and where to write one.
    FileName openCsvName;
    FileName saveCsvName;
    PortName askPortName;

    app::Button show(const app::Message& message) override;
    std::optional<std::string> openPath(const std::string& folder) override;
    std::optional<std::string> savePath(const std::string& suggested) override;
    std::optional<std::string> portName(const std::string& current) override;
    std::optional<std::string> csvPath(const std::string& suggested, bool save) override;
};

} // namespace varnok::qt
