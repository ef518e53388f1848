#include "app/port_choice.h"

#include "app/strings.h"
#include "app/text.h"
#include "link/ports.h"

#include <algorithm>

namespace varnok::app {
namespace {

/// A port name as a menu item shows it: "&" would mark a mnemonic.
std::string itemText(const std::string& name, const std::string& description) {
    const std::string text = description.empty() ? name : name + " - " + description;
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '&')
            out += '&';
    }
    return out;
}

/// The status-bar half of a string table entry.
std::string statusPrompt(const char* entry) {
    const std::string text = entry;
    return text.substr(0, text.find('\n'));
}

} // namespace

void PortChoice::select(const std::string& name) {
    const char* const blanks = " \t\r\n\v\f";
    const std::size_t first = name.find_first_not_of(blanks);
    if (first == std::string::npos)
        return;
    m_port = name.substr(first, name.find_last_not_of(blanks) - first + 1);
}

std::vector<PortItem> PortChoice::menu(const std::vector<PortInfo>& present) const {
    std::vector<PortItem> items;
    std::vector<std::string> listed{kDemoPortName};
    int comCount = 0;
    for (const strings::CommandText& command : strings::kMenuCommands) {
        if (command.id < strings::ID_PORT_COM1 || command.id > strings::ID_PORT_COM4)
            continue;
        const std::string port = "COM" + std::to_string(++comCount);
        items.push_back({PortItem::Kind::Com, port, *command.text, command.shortcut, statusPrompt(*command.prompt),
                         command.id, false});
        listed.push_back(port);
    }
    items.push_back({PortItem::Kind::Separator, "", "", "", "", 0, false});

    const auto add = [&](PortItem::Kind kind, const std::string& port, const std::string& description) {
        items.push_back({kind, port, itemText(port, description), "", arg(strings::kFoundPortPrompt, port), 0, false});
        listed.push_back(port);
    };
    for (const PortInfo& found : portsBesidesCom(present))
        if (std::find(listed.begin(), listed.end(), found.name) == listed.end())
            add(PortItem::Kind::Found, found.name, found.description);
    // A port typed by hand that is not there now still shows as the choice.
    if (std::find(listed.begin(), listed.end(), m_port) == listed.end())
        add(PortItem::Kind::Current, m_port, "");

    items.push_back(
        {PortItem::Kind::Demo, kDemoPortName, strings::kDemoPortItem, "", strings::kDemoPortPrompt, 0, false});
    items.push_back({PortItem::Kind::Other, "", strings::kOtherPortItem, "", strings::kOtherPortPrompt, 0, false});
    // An exact comparison: "com1" typed by hand is not the COM1 item.
    for (PortItem& item : items)
        item.checked = !item.port.empty() && item.port == m_port;
    return items;
}

} // namespace varnok::app
