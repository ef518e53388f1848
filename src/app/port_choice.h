// The port the next transfer opens, and the port menu that chooses it, as
// data: a face only builds its menu from the items and reports the choice.
#pragma once

#include "link/port_list.h"

#include <string>
#include <vector>

namespace varnok::app {

/// One item of the port menu, in menu order.
struct PortItem {
    enum class Kind {
        Com,       ///< COM1 to COM4, with their command ids and Ctrl+1 to Ctrl+4
        Found,     ///< a port present on this machine now
        Current,   ///< the chosen port when no other item names it (typed by hand, now absent)
        Separator, ///< after COM4
        Demo,      ///< the built-in demo radio
        Other,     ///< "其他端口(&O)...": a port typed by hand
    };
    Kind kind;
    std::string port;     ///< what choosing the item selects; empty for Separator and Other
    std::string text;     ///< the item's text, "&" doubled where it is not a mnemonic
    std::string shortcut; ///< "Ctrl+1" for COM1; empty for none
    std::string prompt;   ///< status-bar prompt
    int commandId = 0;    ///< ID_PORT_COM1 ... for the four COM items, else 0
    bool checked = false; ///< the chosen port (exact, case-sensitive comparison)
};

class PortChoice {
public:
    /// "COM1" at every start of the program.
    const std::string& port() const { return m_port; }
    /// Chooses a port; an empty name (after trimming blanks) keeps the port.
    /// Nothing is opened here.
    void select(const std::string& name);
    /// The menu for the ports `present` now (listSerialPorts()): COM1 to
    /// COM4, a separator, the present ports that are not one of those four
    /// under another name, the chosen port if no item names it, the demo
    /// radio, the item to type a port by hand.
    std::vector<PortItem> menu(const std::vector<PortInfo>& present) const;

private:
    std::string m_port = "COM1";
};

} // namespace varnok::app
