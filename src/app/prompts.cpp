#include "app/prompts.h"

#include "app/strings.h"

namespace varnok::app {

Message titled(Icon icon, std::string text, std::vector<Button> buttons, Button defaultButton) {
    return Message{icon, strings::kAppTitle, std::move(text), std::move(buttons), defaultButton};
}

Message entryMessage(EntryMessage message) {
    if (message == EntryMessage::OutOfRange)
        return Message{Icon::Information, "Prompt", entryMessageText(message), {Button::Ok}, Button::None};
    return titled(Icon::Warning, entryMessageText(message));
}

} // namespace varnok::app
