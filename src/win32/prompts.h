// The application layer's questions as Windows' own dialogs: message boxes
// (their buttons labelled with the interface's texts), the file choosers
// and a small dialog for a port typed by hand.
#pragma once

#include "app/prompts.h"

#include <windows.h>

namespace varnok::win32 {

class Win32Prompts : public app::Prompts {
public:
    /// The window the dialogs belong to; set once the main window exists.
    HWND m_hOwner = nullptr;

    app::Button show(const app::Message& message) override;
    std::optional<std::string> openPath(const std::string& folder) override;
    std::optional<std::string> savePath(const std::string& suggested) override;
    std::optional<std::string> portName(const std::string& current) override;
    std::optional<std::string> csvPath(const std::string& suggested, bool save) override;
};

} // namespace varnok::win32
