#include "form_json.h"

#include "text.h"

#include <algorithm>
#include <cstdint>

namespace varnok::cli {
namespace {

using nlohmann::json;

std::string describe(const json& v) {
    if (v.is_string())
        return quoteValue(v.get_ref<const std::string&>());
    if (v.is_number() || v.is_boolean())
        return v.dump();
    return v.type_name();
}

std::string listOf(const std::vector<std::string>& entries) {
    std::string out;
    for (const std::string& e : entries)
        out += (out.empty() ? "" : ", ") + e;
    return out;
}

[[noreturn]] void refuse(const std::string& where, const std::string& what) { throw BadInput(where + ": " + what); }

const json& expectObject(const json& v, const std::string& where) {
    if (!v.is_object())
        refuse(where, "expected an object, got " + describe(v));
    return v;
}

/// An integer within [lowest, highest]. Integers too large for 64 bits
/// arrive as floating-point numbers and are refused as not integers.
int readBoundedInteger(const json& v, std::int64_t lowest, std::int64_t highest, const std::string& where) {
    if (!v.is_number_integer())
        refuse(where, "expected an integer, got " + describe(v));
    // The parser stores every non-negative integer as unsigned, and one
    // above INT64_MAX must not wrap when read as signed.
    const bool inRange = v.is_number_unsigned() ? v.get<std::uint64_t>() <= static_cast<std::uint64_t>(highest) &&
                                                      static_cast<std::int64_t>(v.get<std::uint64_t>()) >= lowest
                                                : v.get<std::int64_t>() >= lowest && v.get<std::int64_t>() <= highest;
    if (!inRange)
        refuse(where, v.dump() + " is outside " + std::to_string(lowest) + " to " + std::to_string(highest));
    return static_cast<int>(v.get<std::int64_t>());
}

const std::string& readString(const json& v, const std::string& where) {
    if (!v.is_string())
        refuse(where, "expected a string, got " + describe(v));
    return v.get_ref<const std::string&>();
}

std::optional<int> readSetting(Setting s, const json& value, const std::string& where) {
    expectObject(value, where);
    const auto& entries = settingEntries(s);
    std::optional<int> byIndex;
    std::optional<int> byText;
    for (const auto& [key, v] : value.items()) {
        if (key == "index") {
            byIndex = readBoundedInteger(v, -1, static_cast<std::int64_t>(entries.size()) - 1, where + ".index");
        } else if (key == "text") {
            const std::string& text = readString(v, where + ".text");
            if (text.empty()) {
                byText = -1;
                continue;
            }
            for (std::size_t i = 0; i < entries.size() && !byText; ++i)
                if (entries[i] == text)
                    byText = static_cast<int>(i);
            if (!byText)
                refuse(where + ".text", quoteValue(text) + " is not one of " + listOf(entries));
        } else {
            refuse(where, "unknown key " + quoteValue(key) + " (allowed: index, text)");
        }
    }
    // The index is the selection itself; the text is the readable way to
    // give one and counts only without an index.
    // An empty object asks for nothing.
    return byIndex ? byIndex : byText;
}

void readSettings(const json& settings, FormPatch& patch) {
    expectObject(settings, "settings");
    for (const auto& [key, value] : settings.items()) {
        const std::string where = "settings." + key;
        bool known = false;
        for (Setting s : kAllSettings) {
            if (key != settingKey(s))
                continue;
            known = true;
            patch.settings[static_cast<std::size_t>(s)] = readSetting(s, value, where);
        }
        if (!known)
            refuse("settings", "unknown setting " + quoteValue(key));
    }
}

int columnOfKey(const std::string& key) {
    for (int col = column::kRxFrequency; col < column::kCount; ++col)
        if (key == columnKeys()[static_cast<std::size_t>(col)])
            return col;
    return -1;
}

FormPatch::Channel readChannel(const json& value, const std::string& where) {
    expectObject(value, where);
    FormPatch::Channel channel;
    const auto number = value.find(columnKeys()[column::kChannel]);
    if (number == value.end())
        refuse(where, "\"channel\" is missing");
    channel.number = readBoundedInteger(*number, 1, layout::kChannelCount, where + ".channel");
    for (const auto& [key, v] : value.items()) {
        if (key == columnKeys()[column::kChannel])
            continue;
        const int col = columnOfKey(key);
        if (col < 0)
            refuse(where, "unknown key " + quoteValue(key) +
                              " (allowed: channel, rx, tx, decode, encode, busy_lock, bandwidth, scan, power)");
        channel.cells[static_cast<std::size_t>(col)] = readString(v, where + "." + key);
    }
    return channel;
}

void readChannels(const json& channels, FormPatch& patch) {
    if (!channels.is_array())
        refuse("channels", "expected an array, got " + describe(channels));
    for (std::size_t i = 0; i < channels.size(); ++i) {
        FormPatch::Channel read = readChannel(channels[i], "channels[" + std::to_string(i) + "]");
        // A first frequency brings the row defaults only into an empty row,
        // so applying the objects of one channel one by one would make a
        // tone given before the frequency lose the defaults. Merged, the
        // same values give the same row however they are split.
        const auto same = std::find_if(patch.channels.begin(), patch.channels.end(),
                                       [&](const FormPatch::Channel& c) { return c.number == read.number; });
        if (same == patch.channels.end()) {
            patch.channels.push_back(std::move(read));
            continue;
        }
        for (std::size_t col = 0; col < read.cells.size(); ++col)
            if (read.cells[col])
                same->cells[col] = std::move(read.cells[col]);
    }
}

/// nlohmann's messages start with "[json.exception.parse_error.101] ",
/// which says nothing to a user.
std::string withoutExceptionTag(const std::string& message) {
    if (message.rfind("[json.exception.", 0) == 0) {
        const auto end = message.find("] ");
        if (end != std::string::npos)
            return message.substr(end + 2);
    }
    return message;
}

} // namespace

nlohmann::ordered_json formToJson(const FormState& form) {
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    out["format_version"] = kFormatVersion;
    nlohmann::ordered_json& settings = out["settings"] = nlohmann::ordered_json::object();
    for (Setting s : kAllSettings) {
        nlohmann::ordered_json box = nlohmann::ordered_json::object();
        box["index"] = form.selection(s);
        box["text"] = form.selectedText(s);
        settings[settingKey(s)] = std::move(box);
    }
    nlohmann::ordered_json& channels = out["channels"] = nlohmann::ordered_json::array();
    for (int row = 1; row <= layout::kChannelCount; ++row) {
        nlohmann::ordered_json channel = nlohmann::ordered_json::object();
        channel[columnKeys()[column::kChannel]] = row;
        for (int col = column::kRxFrequency; col < column::kCount; ++col)
            channel[columnKeys()[static_cast<std::size_t>(col)]] = form.cell(row, col);
        channels.push_back(std::move(channel));
    }
    return out;
}

FormPatch parseFormPatch(std::string_view text) {
    json doc;
    try {
        // The parser validates UTF-8 inside strings, works without recursion
        // however deep the nesting, and refuses numbers beyond a double.
        doc = json::parse(text.begin(), text.end());
    } catch (const json::exception& e) {
        throw BadInput("not valid JSON: " + withoutExceptionTag(e.what()));
    }
    if (!doc.is_object())
        throw BadInput("expected a JSON object at the top level, got " + describe(doc));
    // A misspelt key would otherwise ask for nothing and pass unnoticed.
    for (const auto& [key, value] : doc.items())
        if (key != "format_version" && key != "settings" && key != "channels")
            throw BadInput("unknown key " + quoteValue(key) +
                           " at the top level (allowed: format_version, settings, channels)");
    FormPatch patch;
    if (const auto settings = doc.find("settings"); settings != doc.end())
        readSettings(*settings, patch);
    if (const auto channels = doc.find("channels"); channels != doc.end())
        readChannels(*channels, patch);
    return patch;
}

} // namespace varnok::cli
