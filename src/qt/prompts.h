// The window's modal questions and file choosers, behind functions a test
// can replace so that every path through them runs without a person.
#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

namespace varnok::app {

/// The caption of every message box: the application title.
QString messageCaption();

/// A message box with the application title as caption and the buttons
/// labelled in the interface's language.
QMessageBox* createMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                              QMessageBox::StandardButtons buttons,
                              QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

/// How the window asks. The defaults show real dialogs.
struct Prompts {
    /// Shows a message; returns the button pressed.
    using Message = std::function<QMessageBox::StandardButton(QWidget* parent, QMessageBox::Icon icon,
                                                              const QString& text, QMessageBox::StandardButtons buttons,
                                                              QMessageBox::StandardButton defaultButton)>;
    /// Asks for a channel file name, starting from `suggested`; empty means
    /// the user cancelled.
    using FileName = std::function<QString(QWidget* parent, const QString& suggested)>;

    /// Shows a message under a caption of its own rather than the
    /// application title; returns the button pressed.
    using CaptionedMessage = std::function<QMessageBox::StandardButton(QWidget* parent, QMessageBox::Icon icon,
                                                                       const QString& caption, const QString& text)>;

    Message message;
    CaptionedMessage captionedMessage;
    FileName openFileName;
    FileName saveFileName;
    /// Asks where to save the settings report as PDF.
    FileName pdfFileName;

    Prompts();
};

} // namespace varnok::app
