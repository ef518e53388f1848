#include "image/form.h"
#include "image/tones.h"
#include "text/texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>

namespace varnok::text {
namespace {

/// A UTF-8 lead byte of U+3000 or above: CJK and the full-width forms (the
/// English words use no more than quotation marks and arrows below it).
bool hasChinese(const std::string& s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0xE3; });
}

/// What a text's words must keep in every language: the value marks, the
/// line breaks that part prompt from tooltip, whether it has a mnemonic.
std::multiset<std::string> marks(const std::string& words) {
    std::multiset<std::string> found;
    static const std::regex mark(R"(%[1-9]|\n|&[^&])");
    for (std::sregex_iterator it(words.begin(), words.end(), mark), end; it != end; ++it)
        found.insert(it->str()[0] == '&' ? "&" : it->str());
    return found;
}

class TextLanguage : public ::testing::Test {
protected:
    void TearDown() override {
        setLanguage(text::Language::Chinese);
        setTranslator(nullptr);
    }
};

TEST(Texts, EveryTextHasBothLanguagesWithTheSameMarks) {
    for (std::size_t i = 0; i < kTextCount; ++i) {
        const Text& t = kAllTexts[i];
        SCOPED_TRACE(t.zh);
        EXPECT_EQ(static_cast<std::size_t>(t.id), i);
        EXPECT_STRNE(t.zh, "");
        EXPECT_STRNE(t.en, "");
        EXPECT_FALSE(hasChinese(t.en)) << t.en;
        EXPECT_EQ(marks(t.zh), marks(t.en)) << t.en;
    }
}

TEST_F(TextLanguage, EveryWordTheFormHoldsIsShownInEnglish) {
    setLanguage(text::Language::English);
    std::vector<std::string> held(columnHeaders().begin(), columnHeaders().end());
    for (Setting s : kAllSettings)
        held.insert(held.end(), settingEntries(s).begin(), settingEntries(s).end());
    for (int col = column::kBusyLock; col <= column::kPower; ++col)
        held.insert(held.end(), columnEntries(col).begin(), columnEntries(col).end());
    held.push_back(toneTable().front());
    for (const std::string& words : held)
        EXPECT_FALSE(hasChinese(shown(words))) << words << " shows as " << shown(words);
    EXPECT_EQ(shown("30s"), "30s");
    setLanguage(text::Language::Chinese);
    EXPECT_EQ(shown(kCellWide.zh), kCellWide.zh);
}

struct HalfTranslator : Translator {
    mutable int asked = 0;
    std::string translate(const Text& t, text::Language language) const override {
        ++asked;
        return t.id == TextId::kIdle ? std::string() : std::string("[") + t.in(language) + "]";
    }
};

TEST_F(TextLanguage, TextsFollowTheLanguageAndAFacesTranslatorOnceEach) {
    EXPECT_STREQ(tr(kIdle), "就绪");
    setLanguage(text::Language::English);
    EXPECT_STREQ(static_cast<const char*>(kIdle), "Ready");
    EXPECT_EQ(arg(arg(kCompareDifferent, "a.sin"), "3", "%2"),
              "The data differs from “a.sin” in 3 places (now → file):");

    HalfTranslator faces;
    setTranslator(&faces);
    const char* before = tr(kButtonOk);
    EXPECT_STREQ(before, "[OK]");
    EXPECT_STREQ(tr(kIdle), "Ready"); // nothing from the face: the list's words
    setLanguage(text::Language::Chinese);
    EXPECT_STREQ(tr(kButtonOk), "[确定]");
    setLanguage(text::Language::English);
    EXPECT_EQ(tr(kButtonOk), before); // kept, and still valid
    EXPECT_EQ(faces.asked, 3);
}

TEST(Texts, LocaleNamesAskForTheirLanguage) {
    const struct {
        const char* locale;
        bool known;
        text::Language language;
    } rows[] = {
        {"en_US.UTF-8", true, text::Language::English},
        {"en", true, text::Language::English},
        {"EN_gb", true, text::Language::English},
        {"zh_CN.UTF-8", true, text::Language::Chinese},
        {"zh-TW", true, text::Language::Chinese},
        {"C", false, {}},
        {"C.UTF-8", false, {}},
        {"eng", false, {}},
        {"de_DE", false, {}},
        {"", false, {}},
    };
    for (const auto& row : rows) {
        text::Language found =
            text::Language::English == row.language ? text::Language::Chinese : text::Language::English;
        EXPECT_EQ(languageOfLocale(row.locale, found), row.known) << row.locale;
        if (row.known) {
            EXPECT_EQ(found, row.language) << row.locale;
        }
    }
}

} // namespace
} // namespace varnok::text
