// The JSON face of the form: what `show --json` prints and what `build`
// reads. Both use the same keys (settingKey, columnKeys), so the output of
// one is valid input to the other.
#pragma once

#include "image/form.h"

#include <nlohmann/json.hpp>

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace varnok::cli {

/// Version of the JSON shape, printed as "format_version".
constexpr int kFormatVersion = 1;

/// The form as JSON: each setting's selection and text, and the sixteen
/// channels' cell texts in channel order.
nlohmann::ordered_json formToJson(const FormState& form);

/// What a JSON document asks to change; absent values stay as they are.
struct FormPatch {
    struct Channel {
        int number = 0;
        /// Indexed by column; column 0 (the channel number) is never set.
        std::array<std::optional<std::string>, column::kCount> cells{};
    };
    /// A selection of -1 asks for no selection.
    std::array<std::optional<int>, kSettingCount> settings{};
    /// One entry per channel, in the order of first appearance; several
    /// objects for one channel are merged, later keys winning.
    std::vector<Channel> channels;

    const std::optional<int>& setting(Setting s) const { return settings[static_cast<std::size_t>(s)]; }
};

/// Input whose shape or values are not acceptable; the message names the
/// offending place ("settings.model.index: ...").
class BadInput : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Parses and validates a JSON text. Throws BadInput for malformed JSON
/// (including strings that are not UTF-8), a wrong type, an unknown setting
/// or key (at the top level too), a channel outside 1 to 16, an index outside the box's list or a
/// text that is not one of its entries.
FormPatch parseFormPatch(std::string_view text);

} // namespace varnok::cli
