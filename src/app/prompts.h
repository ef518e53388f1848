// How the application layer asks the user. Each face implements Prompts
// with its own modal dialogs; tests answer from a script. The layer decides
// every text, caption, icon and button; a face only shows them.
#pragma once

#include "editor/entry_rules.h"

#include <optional>
#include <string>
#include <vector>

namespace varnok::app {

enum class Icon { None, Information, Warning, Question };
enum class Button { None, Ok, Cancel, Save, Discard, Retry };

/// One modal message box.
struct Message {
    Icon icon = Icon::None;
    std::string caption; ///< the application title unless said otherwise
    std::string text;
    std::vector<Button> buttons{Button::Ok};
    Button defaultButton = Button::None; ///< None: the face's usual choice
};

/// A message under the application title.
Message titled(Icon icon, std::string text, std::vector<Button> buttons = {Button::Ok},
               Button defaultButton = Button::None);

/// An entry-check message as the user sees it: "Out of range!" under the
/// caption "Prompt" with the information icon, the other three under the
/// application title with the warning icon.
Message entryMessage(EntryMessage message);

class Prompts {
public:
    virtual ~Prompts() = default;
    /// Shows a message and waits for it; returns the button pressed. A box
    /// closed with Escape or its close box answers Cancel when it has that
    /// button, else its only button.
    virtual Button show(const Message& message) = 0;
    /// Asks for a channel file to open, the chooser starting in `folder`;
    /// nullopt when the user cancelled.
    virtual std::optional<std::string> openPath(const std::string& folder) = 0;
    /// Asks where to save a channel file, starting from `suggested` (a full
    /// path); nullopt when the user cancelled. A face that asks before
    /// replacing an existing file does so here.
    virtual std::optional<std::string> savePath(const std::string& suggested) = 0;
    /// Asks for a CSV file to read (`save` false, starting in the folder of
    /// `suggested`) or where to write one (starting from `suggested`, asking
    /// before replacing); nullopt when the user cancelled.
    virtual std::optional<std::string> csvPath(const std::string& suggested, bool save) = 0;
    /// Asks for a port name or device path typed by hand, starting from
    /// `current`; nullopt when the user cancelled.
    virtual std::optional<std::string> portName(const std::string& current) = 0;
};

} // namespace varnok::app
