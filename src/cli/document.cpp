#include "document.h"

#include "cli_error.h"
#include "image/defaults.h"
#include "image/sinfile.h"

namespace varnok::cli {

Document newDocument() {
    // A program run starts with no form yet, so a New always takes the UHF
    // presets; the starting selections then show QX-100 again.
    Document doc{defaultImage(presetForNewDocument(false, 0)), startingForm()};
    decodeImage(doc.image, doc.form);
    return doc;
}

Document openDocument(const std::string& path) {
    Document doc{RadioImage(), startingForm()};
    if (const auto error = loadChannelFile(path, doc.image)) {
        const int status = error->kind == FileError::Kind::Format ? kExitBadInput : kExitFailed;
        throw CommandError(status, error->message);
    }
    decodeImage(doc.image, doc.form);
    return doc;
}

void saveDocument(Document& doc, const std::string& path) {
    encodeForm(doc.form, doc.image);
    if (const auto error = saveChannelFile(path, doc.image))
        throw CommandError(kExitFailed, error->message);
}

} // namespace varnok::cli
