#include "document.h"

#include "cli_error.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

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

std::string readTextInput(const std::string& path) {
    if (path == "-") {
        std::string text{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
        if (std::cin.bad())
            throw CommandError(kExitFailed, "cannot read standard input");
        return text;
    }
    const std::string name = "\"" + path + "\"";
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw CommandError(kExitFailed, "cannot read " + name + ": it is a folder");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw CommandError(kExitFailed, "cannot open " + name + ": " + std::strerror(errno));
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        throw CommandError(kExitFailed, "cannot read " + name);
    return text;
}

} // namespace varnok::cli
