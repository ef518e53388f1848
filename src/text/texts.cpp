#include "text/texts.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <map>
#include <memory>
#include <mutex>

namespace varnok::text {
namespace {

std::atomic<Language> g_language{Language::Chinese};
std::atomic<const Translator*> g_translator{nullptr};

// The transfer's worker thread asks for texts too, so the answers kept are
// guarded; each is made once and never freed, so its pointer stays valid.
std::mutex g_cacheMutex;
std::array<std::array<std::unique_ptr<std::string>, kTextCount>, 2> g_cache;

std::string lowered(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

} // namespace

Text::operator const char*() const { return tr(*this); }
Text::operator std::string() const { return tr(*this); }

Language language() { return g_language.load(); }
void setLanguage(Language language) { g_language.store(language); }
void setTranslator(const Translator* translator) { g_translator.store(translator); }

const char* tr(const Text& text) {
    const Language lang = g_language.load();
    const Translator* translator = g_translator.load();
    if (!translator)
        return text.in(lang);
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    auto& kept = g_cache[static_cast<std::size_t>(lang)][static_cast<std::size_t>(text.id)];
    if (!kept) {
        std::string words = translator->translate(text, lang);
        // A translation the face does not have shows the text as texts.def
        // has it, never nothing.
        kept = std::make_unique<std::string>(words.empty() ? text.in(lang) : std::move(words));
    }
    return kept->c_str();
}

bool languageOfLocale(const std::string& locale, Language& language) {
    // "zho" or "eng" are not asked for here; "en_GB", "zh-CN" and "en" are.
    if (locale.size() > 2 && std::isalpha(static_cast<unsigned char>(locale[2])))
        return false;
    return languageOfCode(lowered(locale.substr(0, 2)), language);
}

const char* languageCode(Language language) { return language == Language::English ? "en" : "zh"; }

bool languageOfCode(const std::string& code, Language& language) {
    if (code == "zh")
        language = Language::Chinese;
    else if (code == "en")
        language = Language::English;
    else
        return false;
    return true;
}

std::string shown(const std::string& stored) {
    // Only texts the form holds are looked up: the others (messages,
    // menus) are never cell or box values, and a value such as "扫描" is
    // also a label with the same words.
    static const std::map<std::string, const Text*> values = [] {
        std::map<std::string, const Text*> byWords;
        for (const Text* value : {&kValueOff,
                                  &kValueOffShort,
                                  &kValueOn,
                                  &kValueOpen,
                                  &kValueMonitorMomentary,
                                  &kValueMonitorLocked,
                                  &kValueMonitorSquelchOff,
                                  &kValueVoiceEnglish,
                                  &kValueVoiceChinese,
                                  &kValueAlarmLocal,
                                  &kValueAlarmLocalSend,
                                  &kValueAlarmSend,
                                  &kHeaderChannel,
                                  &kHeaderRx,
                                  &kHeaderTx,
                                  &kHeaderDecode,
                                  &kHeaderEncode,
                                  &kHeaderBusyLock,
                                  &kHeaderBandwidth,
                                  &kHeaderScan,
                                  &kHeaderPower,
                                  &kCellBusyOn,
                                  &kCellBusyOff,
                                  &kCellWide,
                                  &kCellNarrow,
                                  &kCellScanAdd,
                                  &kCellScanDelete,
                                  &kCellPowerHigh,
                                  &kCellPowerMedium,
                                  &kCellPowerLow,
                                  &kToneNone})
            byWords.emplace(value->zh, value);
        return byWords;
    }();
    const auto found = values.find(stored);
    return found == values.end() ? stored : std::string(tr(*found->second));
}

std::string arg(const std::string& pattern, const std::string& value, const char* mark) {
    const std::string marker = mark;
    std::string out;
    std::size_t from = 0;
    for (std::size_t at = pattern.find(marker); at != std::string::npos; at = pattern.find(marker, from)) {
        out.append(pattern, from, at - from);
        out += value;
        from = at + marker.size();
    }
    out.append(pattern, from, std::string::npos);
    return out;
}

} // namespace varnok::text
