#include "app/language.h"

#include "app/strings.h"

namespace varnok::app {

text::Language startingLanguage(const SettingsStore& settings, const std::string& systemLocale) {
    text::Language language = text::Language::Chinese;
    if (const auto stored = settings.value(strings::kLanguageKey); stored && text::languageOfCode(*stored, language))
        return language;
    if (text::languageOfLocale(systemLocale, language))
        return language;
    return text::Language::Chinese;
}

void chooseLanguage(SettingsStore& settings, text::Language language) {
    text::setLanguage(language);
    settings.setValue(strings::kLanguageKey, std::string(text::languageCode(language)));
}

} // namespace varnok::app
