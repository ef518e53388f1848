#include "document.h"

#include "cli_error.h"

namespace varnok::cli {

Document newDocument() {
    Document doc;
    doc.makeNew();
    return doc;
}

Document openDocument(const std::string& path) {
    Document doc;
    if (const auto error = doc.open(path)) {
        const int status = error->kind == FileError::Kind::Format ? kExitBadInput : kExitFailed;
        throw CommandError(status, error->message);
    }
    return doc;
}

void saveDocument(Document& doc, const std::string& path) {
    if (const auto error = doc.save(path))
        throw CommandError(kExitFailed, error->message);
}

} // namespace varnok::cli
