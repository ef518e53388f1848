#include "app/language.h"

#include "app/strings.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace varnok::app {

text::Language startingLanguage(const SettingsStore& settings, const std::string& systemLocale) {
    text::Language language = text::Language::Chinese;
    if (const auto stored = settings.value(strings::kLanguageKey); stored && text::languageOfCode(*stored, language))
        return language;
    if (text::languageOfLocale(systemLocale, language))
        return language;
    return text::Language::Chinese;
}

std::string environmentLocale(const char* lcAll, const char* lcMessages, const char* lang) {
    // The first one set decides, even when it names neither language.
    for (const char* locale : {lcAll, lcMessages, lang})
        if (locale && *locale)
            return locale;
    return "";
}

#ifdef _WIN32
std::string localeOfLanguageId(unsigned short languageId) {
    switch (PRIMARYLANGID(languageId)) {
    case LANG_ENGLISH:
        return "en";
    case LANG_CHINESE:
        return "zh";
    default:
        return "";
    }
}

std::string userInterfaceLocale() { return localeOfLanguageId(GetUserDefaultUILanguage()); }
#endif

void chooseLanguage(SettingsStore& settings, text::Language language) {
    text::setLanguage(language);
    settings.setValue(strings::kLanguageKey, std::string(text::languageCode(language)));
}

} // namespace varnok::app
