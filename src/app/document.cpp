#include "app/document.h"

#include "app/strings.h"
#include "app/text.h"
#include "image/defaults.h"

namespace varnok::app {

Document::Document() = default;

std::string Document::title() const {
    return m_path.empty() ? std::string(strings::kNewFileName) : utf8Path(fsPath(m_path).filename());
}

void Document::makeNew() {
    // Until a form has been shown there is no model to follow: UHF.
    image = defaultImage(presetForNewDocument(m_formShown, form.selection(Setting::Model)));
    m_path.clear();
    show();
}

std::optional<FileError> Document::open(const std::string& path) {
    // Loaded into a block of its own, so a failure leaves every byte as it was.
    RadioImage loaded;
    if (auto error = loadChannelFile(fsPath(path), loaded))
        return error;
    image = loaded;
    m_path = path;
    show();
    return std::nullopt;
}

std::optional<FileError> Document::save(const std::string& path) {
    RadioImage encoded = image;
    encodeForm(form, encoded);
    if (auto error = saveChannelFile(fsPath(path), encoded))
        return error;
    image = encoded;
    m_path = path;
    m_baseline = form;
    return std::nullopt;
}

void Document::changeModel(int selection) {
    form.select(Setting::Model, selection);
    applyModelChange(form, image);
}

void Document::takeImage(const RadioImage& radio) {
    image = radio;
    decodeImage(image, form);
}

void Document::show() {
    if (!m_formShown) {
        form = startingForm();
        m_formShown = true;
    }
    decodeImage(image, form);
    m_baseline = form;
}

} // namespace varnok::app
