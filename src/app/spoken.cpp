#include "app/spoken.h"

#include "app/differences.h"
#include "app/form_template.h"
#include "app/strings.h"

namespace varnok::app {

std::string settingName(Setting setting) { return *strings::kSettingLabels[static_cast<std::size_t>(setting)]; }

namespace {

/// The words without the blanks the template pads some labels with to wrap
/// or align them.
std::string unpadded(std::string_view label) {
    std::string words;
    for (char ch : label)
        if (ch != ' ')
            words += ch;
    return words;
}

} // namespace

int labelledControl(const text::Text& label) {
    const std::string words = unpadded(label.zh);
    if (words == strings::kChannelsTitle.zh)
        return kGridId;
    for (Setting setting : kAllSettings)
        if (words == unpadded(strings::kSettingLabels[static_cast<std::size_t>(setting)]->zh))
            return comboId(setting);
    return 0;
}

std::string cellPhrase(const FormState& form, int row, int col) {
    if (row <= 0)
        return text::shown(form.cell(row, col));
    const std::string channel = std::string(strings::kSpokenChannel) + " " + std::to_string(row);
    if (col <= 0)
        return channel;
    const std::string& value = form.cell(row, col);
    return channel + ", " + columnName(col) + ", " +
           (value.empty() ? std::string(strings::tr(strings::kSpokenEmptyCell)) : text::shown(value));
}

} // namespace varnok::app
