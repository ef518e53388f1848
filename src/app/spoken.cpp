#include "app/spoken.h"

#include "app/differences.h"
#include "app/form_template.h"
#include "app/strings.h"

namespace varnok::app {

std::string settingName(Setting setting) { return strings::kSettingLabels[static_cast<std::size_t>(setting)]; }

int labelledControl(std::string_view labelText) {
    // The template pads some labels with blanks to wrap or align them.
    std::string words;
    for (char ch : labelText)
        if (ch != ' ')
            words += ch;
    if (words == strings::kChannelsTitle)
        return kGridId;
    for (Setting setting : kAllSettings)
        if (words == settingName(setting))
            return comboId(setting);
    return 0;
}

std::string cellPhrase(const FormState& form, int row, int col) {
    if (row <= 0)
        return form.cell(row, col);
    const std::string channel = std::string(strings::kSpokenChannel) + " " + std::to_string(row);
    if (col <= 0)
        return channel;
    const std::string& value = form.cell(row, col);
    return channel + ", " + columnName(col) + ", " + (value.empty() ? strings::kSpokenEmptyCell : value);
}

} // namespace varnok::app
