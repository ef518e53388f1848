#include "commands.h"

#include "document.h"

namespace varnok::cli {

void runNew(const NewOptions& options) {
    // New followed at once by Save: the decoding and encoding in between are
    // what turn the default image into the file the window writes.
    Document doc = newDocument();
    saveDocument(doc, options.output);
}

} // namespace varnok::cli
