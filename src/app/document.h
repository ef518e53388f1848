// The document: one radio memory image, the form that shows it, the file it
// came from, and the form as it was when last created, opened or saved, which
// tells whether there are changes to lose.
#pragma once

#include "image/form.h"
#include "image/image.h"
#include "image/sinfile.h"

#include <optional>
#include <string>

namespace varnok::app {

class Document {
public:
    /// Before the first New or Open: an empty image and no form shown yet.
    Document();

    RadioImage image;
    /// What the form shows: the settings selections and the channel table.
    /// The image changes only when the form is encoded (save, write) and by
    /// the model change; the form changes as the user edits.
    FormState form;

    /// The file the document came from or was saved to; empty for a new one.
    const std::string& path() const { return m_path; }
    /// The file's name, or "Write Data" for a document never saved.
    std::string title() const;
    /// True once a New or Open has shown a form (the first one sets the
    /// starting selections; a New after it takes its preset set from the
    /// model the form shows).
    bool formShown() const { return m_formShown; }

    /// New: the default image, decoded into the form; no file; unchanged.
    void makeNew();
    /// Open: reads `path` (absolute) and decodes it. On failure the image,
    /// the form and the path stay exactly as they were.
    std::optional<FileError> open(const std::string& path);
    /// Save: encodes the form into the image and writes the file. Success
    /// makes `path` the document's file and the form its unchanged state; a
    /// failure leaves the document changed as it was.
    std::optional<FileError> save(const std::string& path);

    /// The user chose another model: the band box goes back to its first
    /// entry and the auxiliary records are rewritten at once.
    void changeModel(int selection);
    /// A complete read from the radio: its image replaces the document's and
    /// is decoded. The path stays; the form is changed.
    void takeImage(const RadioImage& radio);

    /// The form differs from the state after the last New, Open or Save.
    bool modified() const { return m_formShown && form != m_baseline; }

private:
    void show();

    std::string m_path;
    bool m_formShown = false;
    FormState m_baseline;
};

} // namespace varnok::app
