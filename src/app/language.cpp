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

text::Language environmentLanguage(const char* lcAll, const char* lcMessages, const char* lang) {
    text::Language language = text::Language::Chinese;
    for (const char* locale : {lcAll, lcMessages, lang})
        if (locale && *locale) {
            // The first one set decides, even when it names neither language.
            text::languageOfLocale(locale, language);
            return language;
        }
    return language;
}

void chooseLanguage(SettingsStore& settings, text::Language language) {
    text::setLanguage(language);
    settings.setValue(strings::kLanguageKey, std::string(text::languageCode(language)));
}

} // namespace varnok::app
