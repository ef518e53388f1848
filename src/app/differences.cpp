#include "app/differences.h"

#include "app/strings.h"

#include <cstdio>

namespace varnok::app {
namespace {

/// A form decoded as a fresh run shows the image (the decode's model change
/// touches only the copy).
FormState shown(RadioImage image) {
    FormState form = startingForm();
    decodeImage(image, form);
    return form;
}

std::string text(const FormState& form, Setting setting) {
    const std::string selected = form.selectedText(setting);
    return selected.empty() ? "(none)" : selected;
}

std::string cellText(const std::string& cell) { return cell.empty() ? "(empty)" : cell; }

std::string hex(const RadioImage& image, std::size_t first, std::size_t last) {
    std::string out;
    for (std::size_t at = first; at <= last; ++at) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02X", image[at]);
        out += (out.empty() ? "" : " ") + std::string(byte);
    }
    return out;
}

/// Which part of the form shows the byte at `offset`: a channel (1 to 16),
/// -1 for the settings bytes, 0 for a byte the form does not show.
int shownBy(std::size_t offset) {
    const std::size_t row = offset / layout::kRowSize;
    const std::size_t k = offset % layout::kRowSize;
    if (row >= static_cast<std::size_t>(layout::kFirstChannelRow) &&
        row < static_cast<std::size_t>(layout::kFirstChannelRow + layout::kChannelCount) && k <= layout::record::kFlags)
        return static_cast<int>(row);
    if ((offset >= layout::kFunctionFlags && offset <= layout::kTxTimeLimit) || offset == layout::kBandCode ||
        offset == layout::kModelCode)
        return -1;
    return 0;
}

} // namespace

std::string columnName(int col) {
    std::string name = text::shown(columnHeaders()[static_cast<std::size_t>(col)]);
    const std::size_t unit = name.find("(MHz)");
    if (unit == std::string::npos)
        return name;
    return name.substr(0, name.find_last_not_of(' ', unit - 1) + 1);
}

std::string Difference::line() const {
    const std::string change = text::shown(before) + " → " + text::shown(after);
    switch (kind) {
    case Kind::Cell:
        return "channel " + std::to_string(channel) + ", " + columnName(column) + ": " + change;
    case Kind::Setting:
        return std::string(strings::tr(*strings::kSettingLabels[static_cast<std::size_t>(setting)])) + ": " + change;
    case Kind::Bytes:
        break;
    }
    return (first == last ? "offset " + std::to_string(first)
                          : "offsets " + std::to_string(first) + "–" + std::to_string(last)) +
           ": " + change;
}

std::vector<Difference> compareImages(const RadioImage& a, const RadioImage& b, std::size_t end) {
    std::vector<Difference> out;
    const FormState formA = shown(a);
    const FormState formB = shown(b);
    bool channelShown[kTableRows] = {};
    bool settingsShown = false;
    for (int row = 1; row < kTableRows; ++row) {
        for (int col = column::kRxFrequency; col < column::kCount; ++col) {
            if (formA.cell(row, col) == formB.cell(row, col))
                continue;
            Difference d;
            d.kind = Difference::Kind::Cell;
            d.channel = row;
            d.column = col;
            d.before = cellText(formA.cell(row, col));
            d.after = cellText(formB.cell(row, col));
            out.push_back(d);
            channelShown[row] = true;
        }
    }
    for (Setting setting : kAllSettings) {
        if (formA.selection(setting) == formB.selection(setting))
            continue;
        Difference d;
        d.kind = Difference::Kind::Setting;
        d.setting = setting;
        d.before = text(formA, setting);
        d.after = text(formB, setting);
        out.push_back(d);
        settingsShown = true;
    }
    // Bytes no line above accounts for, in runs of neighbouring offsets.
    const auto unexplained = [&](std::size_t at) {
        if (a[at] == b[at])
            return false;
        const int by = shownBy(at);
        return by == 0 || (by < 0 ? !settingsShown : !channelShown[by]);
    };
    const std::size_t stop = end < layout::kImageSize ? end : layout::kImageSize;
    for (std::size_t at = 0; at < stop; ++at) {
        if (!unexplained(at))
            continue;
        std::size_t last = at;
        while (last + 1 < stop && unexplained(last + 1) && shownBy(last + 1) == shownBy(at))
            ++last;
        Difference d;
        d.kind = Difference::Kind::Bytes;
        d.first = at;
        d.last = last;
        d.before = hex(a, at, last);
        d.after = hex(b, at, last);
        out.push_back(d);
        at = last;
    }
    return out;
}

} // namespace varnok::app
