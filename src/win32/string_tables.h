// The texts' words from the resource script's string tables, one table per
// language, the language the program starts in, and the texts a dialog's
// controls take from its template.
#pragma once

#include "app/form_template.h"
#include "text/texts.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace varnok::win32 {

/// Loads a text from the table of the language asked for. LoadString would
/// take the table of the thread's interface language instead, and an
/// English Windows would then show the Chinese window in English or back.
class StringTableTranslator : public text::Translator {
public:
    explicit StringTableTranslator(HMODULE module) : m_module(module) {}
    std::string translate(const text::Text& text, text::Language language) const override;

private:
    HMODULE m_module;
};

/// Makes the program's own string tables the texts' translator; once, before
/// any text is shown.
void useStringTables();

/// A dialog's controls in template order, each with its template line.
using TemplateWindows = std::vector<std::pair<const app::TemplateControl*, HWND>>;
/// Read as the dialog made them, before anything reorders its windows.
TemplateWindows templateWindows(HWND dialog, const app::TemplateControl* controls, std::size_t count);
template <std::size_t N> TemplateWindows templateWindows(HWND dialog, const app::TemplateControl (&controls)[N]) {
    return templateWindows(dialog, controls, N);
}
/// Gives each control that has a text in its template that text in the
/// current language; the dialog's resource holds only the Chinese.
void showTemplateTexts(const TemplateWindows& windows);

} // namespace varnok::win32
