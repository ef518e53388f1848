// The document the window would hold, opened, created and saved through the
// application layer, with failures turned into the tool's exit statuses.
#pragma once

#include "app/document.h"

#include <string>

namespace varnok::cli {

using Document = app::Document;

/// A new document of a fresh program run: the UHF default image, decoded
/// into the starting form.
Document newDocument();

/// A channel file as a fresh program run shows it after opening it.
/// Throws CommandError: a missing or unreadable file fails (exit 1), a file
/// that is not a channel file is bad input (exit 2).
Document openDocument(const std::string& path);

/// The whole text of a file, or of standard input for "-". Throws
/// CommandError (exit 1) when it cannot be read.
std::string readTextInput(const std::string& path);

/// The window's Save: encode the form into the image, then write the file.
/// Throws CommandError (exit 1) when the file cannot be written.
void saveDocument(Document& doc, const std::string& path);

} // namespace varnok::cli
