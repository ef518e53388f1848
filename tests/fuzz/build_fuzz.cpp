// The JSON that `build` reads, on a new document, checked and --raw. Nothing
// may crash; accepted input must save what the same input saves with each
// channel's objects merged into one; and, for a checked build, what `show
// --json` prints for the saved file must build back to the very same bytes.
// (--raw stores texts no editor lets through, such as a frequency below 10
// MHz, which saves as an empty field: what show prints then differs.)
#include "editor/entry_rules.h"
#include "form_edit.h"
#include "fuzz_check.h"

#include <algorithm>
#include <optional>

using namespace varnok;
using namespace varnok::cli;
using nlohmann::json;

namespace {

/// The bytes `build` would save, or nothing when it refuses the input.
std::optional<RadioImage> build(std::string_view text, Document doc, bool raw) {
    try {
        if (!applyFormPatch(parseFormPatch(text), doc, raw).empty())
            return std::nullopt;
        // Rows begin blank; a frequency brings the four lists, and without one they go.
        for (int row = 1; !raw && row <= layout::kChannelCount; ++row)
            for (int col = column::kBusyLock; col < column::kCount; ++col)
                FUZZ_CHECK(doc.form.cell(row, col).empty() != rowHasFrequency(doc.form, row));
    } catch (const BadInput&) {
        return std::nullopt;
    }
    encodeForm(doc.form, doc.image);
    return doc.image;
}

/// The channels' objects merged by number, later keys winning, in the order
/// each channel first appears.
json merged(json doc) {
    if (!doc.contains("channels"))
        return doc;
    json channels = json::array();
    for (const json& object : doc["channels"]) {
        auto same = std::find_if(channels.begin(), channels.end(),
                                 [&](const json& c) { return c["channel"] == object["channel"]; });
        if (same == channels.end())
            channels.push_back(object);
        else
            same->update(object);
    }
    doc["channels"] = channels;
    return doc;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (bool raw : {false, true}) {
        const std::optional<RadioImage> saved = build(text, newDocument(), raw);
        if (!saved)
            continue;
        FUZZ_CHECK(build(merged(json::parse(text)).dump(), newDocument(), raw) == saved);
        if (raw)
            continue;

        Document reopened; // the saved file, as a new program run opens it
        reopened.image = *saved;
        reopened.form = startingForm();
        decodeImage(reopened.image, reopened.form);
        FUZZ_CHECK(build(formToJson(reopened.form).dump(), reopened, false) == saved);
    }
    return 0;
}
