// The report's layout against positions worked out by hand from the page
// formulas, and the texts it takes from the form.
#include "report/report_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnok::report {
namespace {

// ---------------------------------------------------------------------------
// Positions

/// One page size with its fixed line advances and every value the formulas
/// give for it, worked out by hand.
struct PageCase {
    const char* id;
    PrintArea area;
    int titleAdvance; // Lt
    int bodyAdvance;  // L
    int u, v;
    ReportFont title, body;
    int titleX;
    int titleY, functionY, typeY, bandY, timeY, squelchY, moniY, channelY, headingY, firstRowY;
};

// Letter at 600 dpi, a quarter inch off the sides and a fifth off top and
// bottom: 8.5 in x 600 = 5100 - 300 = 4800 px, 11 in x 600 = 6600 - 240 = 6360 px.
//   u = (6360 / 42 = 151) x 1440 = 217440 / 600 = 362 (362.4 cut)
//   v = ((4800 x 1440 = 6912000 / 600 = 11520) - 900 = 10620) / 60 = 177
//   title font: -362 x 1.4 = -506.8 -> -506, 177 x 1.4 = 247.8 -> 247
//   title x = (4800 / 2 = 2400) x 1440 = 3456000 / 600 = 5760 - 14 x 177 (2478) = 3282
// With Lt = 583 (odd, so -Lt / 2 = -291.5 cuts toward zero to -291) and
// L = 417 (1.2 L = 500.4):
//   title y -291; y = -291 - 583 = -874 ("Function Setting:")
//   y = -874 - 500.4 = -1374.4 -> -1374 (toward zero, not -1375): Type
//   -1791 band, -2208 time limit, -2625 squelch, -3042 monitor, -3459 "Channel Setting:"
//   heading: -3459 - 500.4 = -3959.4 -> -3959; rows: -4376 - 417 (r - 1), row 16 at -10631
// clang-format off
const PageCase kLetter600 = {
    "Letter600", {0, 0, 4800, 6360, 600, 600}, /* Lt, L */ 583, 417, /* u, v */ 362, 177,
    {kReportFontFamily, -506, 247}, {kReportFontFamily, -362, 177}, /* title x */ 3282,
    /* title, function, type, band, time, squelch, moni, channel, heading, row 1 */
    -291, -874, -1374, -1791, -2208, -2625, -3042, -3459, -3959, -4376,
};
// clang-format on

// A4 at 300 dpi less a quarter inch all round:
// 8.27 in x 300 = 2480 - 150 = 2330 px, 11.69 in x 300 = 3508 - 150 = 3358 px.
//   u = (3358 / 42 = 79) x 1440 = 113760 / 300 = 379 (379.2 cut)
//   v = ((2330 x 1440 = 3355200 / 300 = 11184) - 900 = 10284) / 60 = 171 (171.4 cut)
//   title font: -379 x 1.4 = -530.6 -> -530, 171 x 1.4 = 239.4 -> 239
//   title x = (2330 / 2 = 1165) x 1440 = 1677600 / 300 = 5592 - 14 x 171 (2394) = 3198
// With Lt = 600 and L = 433 (1.2 L = 519.6):
//   title y -300; y = -900; -900 - 519.6 = -1419.6 -> -1419; then -1852,
//   -2285, -2718, -3151, -3584; heading -3584 - 519.6 = -4103.6 -> -4103;
//   rows -4536 - 433 (r - 1), row 16 at -11031
// clang-format off
const PageCase kA4At300 = {
    "A4At300", {0, 0, 2330, 3358, 300, 300}, /* Lt, L */ 600, 433, /* u, v */ 379, 171,
    {kReportFontFamily, -530, 239}, {kReportFontFamily, -379, 171}, /* title x */ 3198,
    /* title, function, type, band, time, squelch, moni, channel, heading, row 1 */
    -300, -900, -1419, -1852, -2285, -2718, -3151, -3584, -4103, -4536,
};
// clang-format on

void PrintTo(const PageCase& c, std::ostream* os) { *os << c.id; }

ReportTexts sampleTexts() {
    ReportTexts t;
    t.model = "QX-300";
    t.band = "430 - 500MHZ";
    t.txTimeLimit = "30s";
    t.keyBeep = "关";
    t.squelch = "7";
    t.monitor = "瞬时监听";
    t.bandwidth = "窄带";
    t.headerChannel = "信道";
    t.headerDecode = "QT/DQT解码";
    t.headerEncode = "QT/DQT编码";
    t.headerBusyLock = "繁忙锁定";
    for (int r = 1; r <= 16; ++r) {
        const std::string n = std::to_string(r);
        t.channels[static_cast<std::size_t>(r - 1)] = {n,        "4" + n + ".12500", "1" + n + ".50000", "D0" + n + "N",
                                                       n + ".5", r % 2 ? "是" : "否"};
    }
    return t;
}

/// Line advances that also check they are asked for the report's fonts.
LineAdvance fixedAdvances(const PageCase& c, std::vector<ReportFont>& asked) {
    return [&c, &asked](const ReportFont& font) {
        asked.push_back(font);
        return font == c.title ? c.titleAdvance : c.bodyAdvance;
    };
}

void expectString(const ReportLayout& page, std::size_t i, const ReportString& want) {
    ASSERT_LT(i, page.strings.size());
    const ReportString& got = page.strings[i];
    EXPECT_EQ(got.font, want.font) << "string " << i << " \"" << want.text << "\"";
    EXPECT_EQ(got.x, want.x) << "string " << i << " \"" << want.text << "\"";
    EXPECT_EQ(got.y, want.y) << "string " << i << " \"" << want.text << "\"";
    EXPECT_EQ(got.text, want.text) << "string " << i;
}

class PageSizes : public ::testing::TestWithParam<PageCase> {};

TEST_P(PageSizes, UnitsAndFonts) {
    const PageCase& c = GetParam();
    std::vector<ReportFont> asked;
    const ReportLayout page = layoutReport(sampleTexts(), c.area, fixedAdvances(c, asked));
    EXPECT_EQ(page.lineUnit, c.u);
    EXPECT_EQ(page.columnUnit, c.v);
    EXPECT_EQ(page.title, c.title);
    EXPECT_EQ(page.body, c.body);
    // The title's advance is read with the title font, the body's after it.
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], c.title);
    EXPECT_EQ(asked[1], c.body);
}

TEST_P(PageSizes, EveryStringWhereTheFormulasPutIt) {
    const PageCase& c = GetParam();
    std::vector<ReportFont> asked;
    const ReportLayout page = layoutReport(sampleTexts(), c.area, fixedAdvances(c, asked));
    const int v = c.v;
    const FontRole B = FontRole::Body;

    ASSERT_EQ(page.strings.size(), 11u + 16u * 6u);
    expectString(page, 0, {FontRole::Title, c.titleX, c.titleY, "The Radio Settings"});
    expectString(page, 1, {B, 5 * v, c.functionY, "Function Setting:"});
    expectString(page, 2, {B, 2 * v, c.typeY, "Type:   QX-300"});
    expectString(page, 3, {B, 2 * v, c.bandY, "Frequency Field:430 - 500MHZ"});
    expectString(page, 4, {B, 2 * v, c.timeY, "Tx Total Time: 30s"});
    expectString(page, 5, {B, 31 * v, c.timeY, "Warning Setting: 关"});
    expectString(page, 6, {B, 2 * v, c.squelchY, "Squelch Level: 7"});
    expectString(page, 7, {B, 31 * v, c.squelchY, "W/N: 窄带"});
    expectString(page, 8, {B, 2 * v, c.moniY, "Moni: 瞬时监听"});
    expectString(page, 9, {B, 5 * v, c.channelY, "Channel Setting:"});
    // Header, 4 blanks, Rx(MHz), 2 blanks, Tx(MHz), 5 blanks, decode, 2 blanks, encode, 5 blanks, busy lock.
    expectString(page, 10, {B, v, c.headingY, "信道    Rx(MHz)  Tx(MHz)     QT/DQT解码  QT/DQT编码     繁忙锁定"});

    const int columns[] = {6 * v, 18 * v, 32 * v, 42 * v, 52 * v};
    const ReportTexts texts = sampleTexts();
    for (int r = 1; r <= 16; ++r) {
        SCOPED_TRACE("channel " + std::to_string(r));
        const int y = c.firstRowY - (r - 1) * c.bodyAdvance;
        const std::size_t first = 11 + static_cast<std::size_t>(r - 1) * 6;
        const auto& cells = texts.channels[static_cast<std::size_t>(r - 1)];
        expectString(page, first, {B, v, y, std::to_string(r)});
        for (std::size_t k = 1; k <= 5; ++k)
            expectString(page, first + k, {B, columns[k - 1], y, cells[k] + " "});
    }
}

INSTANTIATE_TEST_SUITE_P(Report, PageSizes, ::testing::Values(kLetter600, kA4At300),
                         [](const auto& info) { return std::string(info.param.id); });

TEST(ReportUnits, HeightAndWidthComeFromTheRectangleTitleFromItsRightEdge) {
    // The letter rectangle moved 10 px right and 20 px down keeps its size,
    // so u = 362 and v = 177 as for letter; the title's x halves the right
    // edge itself: (4810 / 2 = 2405) x 1440 = 3463200 / 600 = 5772 - 2478 = 3294.
    const PrintArea moved{10, 20, 4810, 6380, 600, 600};
    const ReportLayout page = layoutReport(sampleTexts(), moved, [](const ReportFont&) { return 400; });
    EXPECT_EQ(page.lineUnit, 362);
    EXPECT_EQ(page.columnUnit, 177);
    ASSERT_FALSE(page.strings.empty());
    EXPECT_EQ(page.strings[0].x, 3294);
}

TEST(ReportUnits, DifferentResolutionsAcrossAndDown) {
    // 300 x 600 dpi, 2400 x 6360 px: u = (6360 / 42 = 151) x 1440 / 600 = 362;
    // v = ((2400 x 1440 / 300 = 11520) - 900) / 60 = 177. Swapping the two
    // resolutions would give u = 151 x 1440 / 300 = 724 and v = (5760 - 900) / 60 = 81.
    const PrintArea area{0, 0, 2400, 6360, 300, 600};
    const ReportLayout page = layoutReport(sampleTexts(), area, [](const ReportFont&) { return 400; });
    EXPECT_EQ(page.lineUnit, 362);
    EXPECT_EQ(page.columnUnit, 177);
}

TEST(ReportUnits, NoResolutionGivesAnEmptyPage) {
    bool asked = false;
    const LineAdvance advance = [&asked](const ReportFont&) {
        asked = true;
        return 400;
    };
    EXPECT_TRUE(layoutReport(sampleTexts(), {0, 0, 4800, 6360, 0, 600}, advance).strings.empty());
    EXPECT_TRUE(layoutReport(sampleTexts(), {0, 0, 4800, 6360, 600, 0}, advance).strings.empty());
    EXPECT_FALSE(asked);
}

// ---------------------------------------------------------------------------
// Empty cells and the optional W/N label

/// The strings on the line at `y`, in drawing order.
std::vector<std::string> line(const ReportLayout& page, int y) {
    std::vector<std::string> texts;
    for (const ReportString& s : page.strings)
        if (s.y == y)
            texts.push_back(s.text);
    return texts;
}

TEST(ReportCells, AnEmptyCellPrintsOneBlankAndTheRowStillAdvances) {
    ReportTexts texts = sampleTexts();
    texts.channels[2] = {"3", "", "", "", "", ""};
    std::vector<ReportFont> asked;
    const ReportLayout page = layoutReport(texts, kLetter600.area, fixedAdvances(kLetter600, asked));
    // Rows at -4376 - 417 (r - 1): row 3 at -5210, row 4 at -5627.
    EXPECT_EQ(line(page, -5210), (std::vector<std::string>{"3", " ", " ", " ", " ", " "}));
    EXPECT_EQ(line(page, -5627), (std::vector<std::string>{"4", "44.12500 ", "14.50000 ", "D04N ", "4.5 ", "否 "}));
    EXPECT_EQ(page.strings.size(), 11u + 16u * 6u);
}

TEST(ReportCells, WithoutABandwidthSummaryTheLabelIsLeftOut) {
    ReportTexts texts = sampleTexts();
    texts.bandwidth.clear();
    std::vector<ReportFont> asked;
    const ReportLayout page = layoutReport(texts, kLetter600.area, fixedAdvances(kLetter600, asked));
    EXPECT_EQ(line(page, kLetter600.squelchY), (std::vector<std::string>{"Squelch Level: 7"}));
    // The lines below keep their places.
    EXPECT_EQ(line(page, kLetter600.moniY), (std::vector<std::string>{"Moni: 瞬时监听"}));
    EXPECT_EQ(page.strings.size(), 10u + 16u * 6u);
}

// ---------------------------------------------------------------------------
// Texts read from the form

TEST(ReportTextsFromForm, TheStartingFormAsTheWindowShowsIt) {
    const ReportTexts t = reportTextsFromForm(startingForm());
    EXPECT_EQ(t.model, "QX-100");
    EXPECT_EQ(t.band, "400 - 470MHZ");
    EXPECT_EQ(t.txTimeLimit, "60s");
    EXPECT_EQ(t.keyBeep, "关");
    EXPECT_EQ(t.squelch, "4");
    EXPECT_EQ(t.monitor, "SQ-Off 瞬时");
    EXPECT_EQ(t.headerChannel, "信道");
    EXPECT_EQ(t.headerDecode, "QT/DQT解码");
    EXPECT_EQ(t.headerEncode, "QT/DQT编码");
    EXPECT_EQ(t.headerBusyLock, "繁忙锁定");
    EXPECT_EQ(t.channels[0][0], "1");
    EXPECT_EQ(t.channels[15][0], "16");
    EXPECT_EQ(t.channels[15][1], "");
    // No channel has a bandwidth, so nothing follows "W/N: ".
    EXPECT_EQ(t.bandwidth, "");
}

TEST(ReportTextsFromForm, ChannelCellsUpToTheBusyLockColumn) {
    FormState form = startingForm();
    const std::array<std::string, column::kCount> row = {"9",  "460.12500", "162.55000", "88.5", "D023I",
                                                         "否", "窄带",      "添加",      "中"};
    form.cells[9] = row;
    const ReportTexts t = reportTextsFromForm(form);
    EXPECT_EQ(t.channels[8], (std::array<std::string, 6>{"9", "460.12500", "162.55000", "88.5", "D023I", "否"}));

    // The scan and power columns are not printed anywhere.
    const ReportLayout page = layoutReport(t, kA4At300.area, [](const ReportFont&) { return 400; });
    for (const ReportString& s : page.strings) {
        EXPECT_EQ(s.text.find("添加"), std::string::npos) << s.text;
        EXPECT_EQ(s.text.find("中"), std::string::npos) << s.text;
    }
}

TEST(ReportTextsFromForm, ABoxWithoutASelectionPrintsNothingAfterItsLabel) {
    FormState form = startingForm();
    form.select(Setting::Squelch, -1);
    form.select(Setting::Model, -1);
    // A selection past the list can only come from a hand-made state; it
    // must not read past the entries either (the band box has four).
    form.selections[static_cast<std::size_t>(Setting::Band)] = 4;
    form.selections[static_cast<std::size_t>(Setting::Monitor)] = 99;
    const ReportTexts t = reportTextsFromForm(form);
    EXPECT_EQ(t.squelch, "");
    EXPECT_EQ(t.model, "");
    EXPECT_EQ(t.band, "");
    EXPECT_EQ(t.monitor, "");
    EXPECT_EQ(t.txTimeLimit, "60s");

    const ReportLayout page = layoutReport(t, kLetter600.area, [](const ReportFont&) { return 400; });
    ASSERT_GE(page.strings.size(), 9u);
    EXPECT_EQ(page.strings[2].text, "Type:   ");
    EXPECT_EQ(page.strings[3].text, "Frequency Field:");
    EXPECT_EQ(page.strings[6].text, "Squelch Level: ");
    EXPECT_EQ(page.strings[7].text, "Moni: ");
}

TEST(ReportTextsFromForm, BandwidthSummary) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, std::string>> cells; // channel, bandwidth text
        std::string summary;
    };
    const Case cases[] = {
        {"no channel", {}, ""},
        {"all wide", {{1, "宽带"}, {2, "宽带"}, {16, "宽带"}}, "宽带"},
        {"all narrow, others empty", {{5, "窄带"}, {9, "窄带"}}, "窄带"},
        {"one narrow among wide", {{1, "宽带"}, {2, "宽带"}, {3, "窄带"}}, kMixedBandwidth},
        {"differ at the last channel", {{1, "窄带"}, {16, "宽带"}}, kMixedBandwidth},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FormState form = startingForm();
        for (const auto& [channel, text] : c.cells)
            form.cell(channel, column::kBandwidth) = text;
        EXPECT_EQ(reportTextsFromForm(form).bandwidth, c.summary);
    }
}

} // namespace
} // namespace varnok::report
