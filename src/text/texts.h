// The program's texts in its two languages, and the language they are shown
// in. A text converts to the current language's words wherever a C string
// is taken, so a face that switches the language only has to show its texts
// again.
#pragma once

#include <cstddef>
#include <string>

namespace varnok::text {

enum class Language { Chinese, English };

/// Position of a text in texts.def; the Windows string tables number their
/// entries from it.
enum class TextId : int {
#define VARNOK_TEXT(name, zh, en) name,
#include "text/texts.def"
#undef VARNOK_TEXT
};

struct Text {
    TextId id;
    const char* name; ///< as in texts.def: what tells apart texts of the same Chinese words
    const char* zh;
    const char* en;
    /// The words in the current language.
    operator const char*() const;
    operator std::string() const;
    const char* in(Language language) const { return language == Language::English ? en : zh; }
};

#define VARNOK_TEXT(name, zh, en) inline constexpr Text name{TextId::name, #name, zh, en};
#include "text/texts.def"
#undef VARNOK_TEXT

/// Every text, in texts.def order (kAllTexts[i].id is TextId(i)).
inline constexpr Text kAllTexts[] = {
#define VARNOK_TEXT(name, zh, en) name,
#include "text/texts.def"
#undef VARNOK_TEXT
};
inline constexpr std::size_t kTextCount = sizeof kAllTexts / sizeof kAllTexts[0];

/// Where a face takes its translations from (Qt's translator, the Windows
/// string tables). Called once per text and language; the answer is kept.
class Translator {
public:
    virtual ~Translator() = default;
    virtual std::string translate(const Text& text, Language language) const = 0;
};

/// The language texts are shown in; Chinese until a face or the command
/// line chooses.
Language language();
void setLanguage(Language language);
/// Installs the face's translator (nullptr: the words of texts.def). Done
/// once at start, before any text is shown: answers already given are kept.
void setTranslator(const Translator* translator);

/// `text` in the current language. The pointer stays valid for the run.
const char* tr(const Text& text);

/// The language a locale name such as "en_GB.UTF-8" or "zh-CN" asks for;
/// false for any other language.
bool languageOfLocale(const std::string& locale, Language& language);
/// The stored name of a language ("zh", "en"), and back.
const char* languageCode(Language language);
bool languageOfCode(const std::string& code, Language& language);

/// A text the form holds in Chinese (a settings entry, a cell's flag word, a
/// header, the tone name "无") as the current language shows it; any other
/// text (a frequency, "30s") as it is.
std::string shown(const std::string& stored);

/// `pattern` with every "%1" (or `mark`, such as "%2") replaced by `value`,
/// as the texts mark where a value goes.
std::string arg(const std::string& pattern, const std::string& value, const char* mark = "%1");

} // namespace varnok::text
