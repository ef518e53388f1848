// A few documents and the report page they give: the key strings with their
// fonts and places, worked out by hand from the page formulas.
#include "report/report_layout.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace varnok::report {
namespace {

struct Doc {
    const char* name;
    std::function<void(FormState&)> edit;
    PrintArea area;
    int titleAdvance, bodyAdvance; // what the fonts measure on the device
    int u, v;
    ReportFont title;                  // the body font is {-u, v}
    std::size_t count;                 // strings on the page
    std::vector<ReportString> strings; // some of them, each where it must be
};

constexpr FontRole T = FontRole::Title, B = FontRole::Body;
const std::string kHeading = "信道    Rx(MHz)  Tx(MHz)     QT/DQT解码  QT/DQT编码     繁忙锁定";

// Letter at 600 dpi less margins, 4800 x 6360 px: u = 6360 / 42 x 1440 / 600 = 362,
// v = (4800 x 1440 / 600 - 900) / 60 = 177; title font -362 x 1.4 = -506.8 -> -506,
// 177 x 1.4 = 247.8 -> 247; title x = 2400 x 1440 / 600 - 14 v.
// An odd title advance halves toward zero (-291), and 1.2 x 417 = 500.4 takes
// y from -874 to -1374, not -1375. Rows go down from -4376 by 417.
// A4 at 300 dpi, 2330 x 3358 px: u = 379, v = 171, title font -530 and 239, rows from -4536 by 433.
const Doc kDocs[] = {
    {"the starting form on letter; no bandwidth leaves the W/N label out",
     [](FormState&) {},
     {0, 0, 4800, 6360, 600, 600},
     583,
     417,
     362,
     177,
     {kReportFontFamily, -506, 247},
     10 + 16 * 6,
     {{T, 3282, -291, kReportTitle},
      {B, 885, -874, "Function Setting:"},
      {B, 354, -1374, "Type:   QX-100"},
      {B, 354, -1791, "Frequency Field:400 - 470MHZ"},
      {B, 354, -2208, "Tx Total Time: 60s"},
      {B, 5487, -2208, "Warning Setting: 关"},
      {B, 354, -2625, "Squelch Level: 4"},
      {B, 354, -3042, "Moni: SQ-Off 瞬时"},
      {B, 885, -3459, "Channel Setting:"},
      {B, 177, -3959, kHeading},
      {B, 177, -10631, "16"},
      {B, 9204, -10631, " "}}},
    {"a channel on A4 prints up to its busy lock; bandwidths differing at channel 16 are mixed",
     [](FormState& f) {
         f.cells[9] = {"9", "460.12500", "162.55000", "88.5", "D023I", "否", "窄带", "添加", "中"};
         f.cell(16, column::kBandwidth) = "宽带";
     },
     {0, 0, 2330, 3358, 300, 300},
     600,
     433,
     379,
     171,
     {kReportFontFamily, -530, 239},
     11 + 16 * 6,
     {{T, 3198, -300, kReportTitle},
      {B, 342, -1419, "Type:   QX-100"},
      {B, 342, -2718, "Squelch Level: 4"},
      {B, 5301, -2718, "W/N: mixed"},
      {B, 171, -4103, kHeading},
      {B, 171, -8000, "9"},
      {B, 1026, -8000, "460.12500 "},
      {B, 3078, -8000, "162.55000 "},
      {B, 5472, -8000, "88.5 "},
      {B, 7182, -8000, "D023I "},
      {B, 8892, -8000, "否 "}}},
    {"boxes without a selection print their bare labels; a moved rectangle keeps its size "
     "and the title halves its right edge",
     [](FormState& f) {
         f.select(Setting::Squelch, -1);
         f.select(Setting::Model, -1);
         // Selections past the list come only from a hand-made state.
         f.selections[static_cast<std::size_t>(Setting::Band)] = 4;
         f.selections[static_cast<std::size_t>(Setting::Monitor)] = 99;
         f.cell(5, column::kBandwidth) = "窄带";
         f.cell(9, column::kBandwidth) = "窄带";
     },
     {10, 20, 4810, 6380, 600, 600},
     400,
     400,
     362,
     177,
     {kReportFontFamily, -506, 247},
     11 + 16 * 6,
     {{T, 3294, -200, kReportTitle},
      {B, 354, -1080, "Type:   "},
      {B, 354, -1480, "Frequency Field:"},
      {B, 354, -2280, "Squelch Level: "},
      {B, 5487, -2280, "W/N: 窄带"},
      {B, 354, -2680, "Moni: "}}},
    // Swapping the resolutions would give u = 724 and v = 81.
    {"resolutions differing across and down",
     [](FormState&) {},
     {0, 0, 2400, 6360, 300, 600},
     400,
     400,
     362,
     177,
     {kReportFontFamily, -506, 247},
     10 + 16 * 6,
     {{B, 885, -600, "Function Setting:"}}},
    {"no resolution across", [](FormState&) {}, {0, 0, 4800, 6360, 0, 600}, 0, 0, 0, 0, {}, 0, {}},
    {"no resolution down", [](FormState&) {}, {0, 0, 4800, 6360, 600, 0}, 0, 0, 0, 0, {}, 0, {}},
};

TEST(ReportLayout, DocumentsGiveTheirPages) {
    for (const Doc& d : kDocs) {
        SCOPED_TRACE(d.name);
        FormState form = startingForm();
        d.edit(form);
        // The title font is measured first, the body's after it.
        std::vector<ReportFont> asked;
        const ReportFont& title = d.title;
        const ReportFont body{kReportFontFamily, -d.u, d.v};
        const ReportLayout page = layoutReport(reportTextsFromForm(form), d.area, [&](const ReportFont& font) {
            asked.push_back(font);
            return font == title ? d.titleAdvance : d.bodyAdvance;
        });
        EXPECT_EQ(page.lineUnit, d.u);
        EXPECT_EQ(page.columnUnit, d.v);
        EXPECT_EQ(page.strings.size(), d.count);
        if (d.count == 0) {
            EXPECT_TRUE(asked.empty());
            continue;
        }
        EXPECT_EQ(page.title, title);
        EXPECT_EQ(page.body, body);
        EXPECT_EQ(asked, (std::vector<ReportFont>{title, body}));
        for (const ReportString& s : d.strings) {
            bool found = false;
            for (const ReportString& got : page.strings)
                found = found || got == s;
            EXPECT_TRUE(found) << "missing \"" << s.text << "\" at " << s.x << ", " << s.y;
        }
    }
}

} // namespace
} // namespace varnok::report
