// Which language the interface speaks: the one the user chose last, else
// the system's when it is one of the program's two, else Chinese, the
// language the program first spoke.
#pragma once

#include "app/settings_store.h"
#include "text/texts.h"

#include <string>

namespace varnok::app {

/// The language a run starts in; `systemLocale` is the locale's name as the
/// system gives it ("en_US", "zh_CN.UTF-8", "C").
text::Language startingLanguage(const SettingsStore& settings, const std::string& systemLocale);
/// The locale the environment names for messages: LC_ALL, else
/// LC_MESSAGES, else LANG, as the C library reads them; "" when none is set
/// (null stands for an unset variable).
std::string environmentLocale(const char* lcAll, const char* lcMessages, const char* lang);
#ifdef _WIN32
/// A Windows language id as a locale name ("en", "zh"; "" for any other).
std::string localeOfLanguageId(unsigned short languageId);
/// The user's interface language as a locale name: Windows keeps it in its
/// settings, not in the environment.
std::string userInterfaceLocale();
#endif

/// Shows every text in `language` from now on and remembers the choice.
void chooseLanguage(SettingsStore& settings, text::Language language);

} // namespace varnok::app
