// The report drawn with Qt: the fonts on a device of known resolution, the
// page a printer gets, and `varnok-cli report` end to end, read back with
// pdftotext and pdffonts.
#include "image/form.h"
#include "image/image.h"
#include "qt/report_painter.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPrinter>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace varnok::report {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string quoted(const std::string& arg) {
    std::string out = "'";
    for (char c : arg)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

/// Runs a program with `args` in `dir`, capturing its output.
RunResult run(const fs::path& dir, const std::string& program, const std::vector<std::string>& args) {
    std::string command = "cd " + quoted(dir.string()) + " && " + quoted(program);
    for (const std::string& a : args)
        command += " " + quoted(a);
    command += " >run.out 2>run.err </dev/null";
    const int raw = std::system(command.c_str());
    RunResult r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = readAll(dir / "run.out");
    r.err = readAll(dir / "run.err");
    return r;
}

/// The PDF's text as pdftotext lays it out, one entry per non-empty line
/// with runs of blanks made one: where the words fall across the page is
/// pdftotext's guess, which words share a line and in what order is not.
std::vector<std::string> pdfLines(const fs::path& pdf, int* pages = nullptr) {
    const fs::path dir = pdf.parent_path();
    const RunResult r = run(dir, VARNOK_PDFTOTEXT, {"-layout", "-enc", "UTF-8", pdf.string(), "text.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string text = readAll(dir / "text.txt");
    if (pages) {
        *pages = 0;
        for (char c : text)
            *pages += c == '\f';
    }
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string raw; std::getline(in, raw);) {
        std::string line;
        for (char c : raw) {
            const bool blank = c == ' ' || c == '\t' || c == '\f' || c == '\r';
            if (!blank)
                line += c;
            else if (!line.empty() && line.back() != ' ')
                line += ' ';
        }
        if (!line.empty() && line.back() == ' ')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

fs::path scratchDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const fs::path dir = fs::path(VARNOK_REPORT_TEST_TMP) / (std::string(info->test_suite_name()) + "." + info->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

/// A device of `dpi` both ways, as a printer at that resolution.
QImage deviceAt(int dpi) {
    QImage image(16, 16, QImage::Format_RGB32);
    const int dotsPerMeter = static_cast<int>(dpi / 0.0254 + 0.5);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

// ---------------------------------------------------------------------------
// Fonts on the device

TEST(ReportFonts, SizesAndWidthsOnA600DpiDevice) {
    // The letter page's body font: height -362 twips, width 177 twips.
    const QImage device = deviceAt(600);
    ASSERT_EQ(device.logicalDpiX(), 600);
    const ReportFont body{kReportFontFamily, -362, 177};
    const ReportQFonts fonts = reportQFonts(body, device);

    // 362 x 600 / 1440 = 150.83 px of character height.
    EXPECT_EQ(fonts.latin.pixelSize(), 151);
    EXPECT_EQ(fonts.cjk.pixelSize(), 151);

    // Times New Roman (and Liberation Serif, which copies its widths) has a
    // weighted average width of about 821/2048 em (lower-case letters and
    // the blank, weighted as in English text) and draws "x" 1024/2048 em
    // wide. The average is to be 177 x 600 / 1440 = 73.75 px against
    // 0.4009 x 151 = 60.53 px, a stretch of 1.2184, so "x" is
    // 0.5 x 151 x 1.2184 = 92.0 px.
    const QFontMetricsF latin(fonts.latin, &device);
    EXPECT_NEAR(latin.horizontalAdvance(QStringLiteral("x")), 92.0, 2.0);
    EXPECT_NEAR(latin.horizontalAdvance(QStringLiteral("xxxxxxxxxx")), 920.0, 15.0);

    // A full-width Chinese character is two average widths: 147.5 px.
    const QFontMetricsF cjk(fonts.cjk, &device);
    EXPECT_NEAR(cjk.horizontalAdvance(QString::fromUtf8("信")), 147.5, 2.0);

    // Ascent 1825, descent 443 and line gap 87 per 2048 em: 1.1499 x 151 =
    // 173.6 px = 173.6 x 1440 / 600 = 416.7 twips, give or take the pixel
    // rounding of the three.
    EXPECT_NEAR(reportLineAdvance(body, device), 417, 4);
}

TEST(ReportFonts, TheTitleIsLargerByItsOwnSizes) {
    // A4 at 300 dpi: title height -530, width 239 twips. 530 x 300 / 1440 =
    // 110.4 px; "x" at 239 x 300 / 1440 = 49.79 px of average width against
    // 0.4009 x 110 = 44.10 px is 0.5 x 110 x 1.129 = 62.1 px.
    const QImage device = deviceAt(300);
    const ReportQFonts fonts = reportQFonts({kReportFontFamily, -530, 239}, device);
    EXPECT_EQ(fonts.latin.pixelSize(), 110);
    EXPECT_NEAR(QFontMetricsF(fonts.latin, &device).horizontalAdvance(QStringLiteral("x")), 62.1, 1.5);
}

// ---------------------------------------------------------------------------
// Printer and PDF

FormState sampleForm() {
    FormState form = startingForm();
    form.select(Setting::Model, 2);
    form.cell(1, column::kRxFrequency) = "460.12500";
    form.cell(1, column::kTxFrequency) = "162.55000";
    form.cell(1, column::kDecodeTone) = "88.5";
    form.cell(1, column::kEncodeTone) = "D023I";
    form.cell(1, column::kBusyLock) = "否";
    form.cell(1, column::kBandwidth) = "窄带";
    return form;
}

TEST(ReportPages, APrinterGetsTheSamePageAsThePdf) {
    const fs::path dir = scratchDir();
    const FormState form = sampleForm();

    std::string error;
    ASSERT_TRUE(renderReportPdf(form, (dir / "writer.pdf").string(), error)) << error;

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString((dir / "printer.pdf").string()));
    printer.setPageSize(QPageSize(QPageSize::Letter));
    ASSERT_TRUE(printReport(printer, form));

    int writerPages = 0;
    int printerPages = 0;
    const std::vector<std::string> fromWriter = pdfLines(dir / "writer.pdf", &writerPages);
    const std::vector<std::string> fromPrinter = pdfLines(dir / "printer.pdf", &printerPages);
    EXPECT_EQ(writerPages, 1);
    EXPECT_EQ(printerPages, 1);
    // Other paper and resolution, the same lines.
    EXPECT_EQ(fromPrinter, fromWriter);
    ASSERT_EQ(fromWriter.size(), 9u + 16u);
    EXPECT_EQ(fromWriter[0], "The Radio Settings");
    EXPECT_EQ(fromWriter[2], "Type: QX-300");
    EXPECT_EQ(fromWriter[5], "Squelch Level: 4 W/N: 窄带");
    EXPECT_EQ(fromWriter[9], "1 460.12500 162.55000 88.5 D023I 否");
    EXPECT_EQ(fromWriter[10], "2");
}

TEST(ReportPages, AnUnwritablePdfIsReported) {
    const fs::path dir = scratchDir();
    std::string error;
    const std::string target = (dir / "missing" / "r.pdf").string();
    EXPECT_FALSE(renderReportPdf(sampleForm(), target, error));
    EXPECT_EQ(error.rfind("cannot write \"" + target + "\": ", 0), 0u) << error;
    EXPECT_FALSE(fs::exists(target));
}

#ifdef VARNOK_CLI_PATH
// ---------------------------------------------------------------------------
// varnok-cli report

struct ChannelRow {
    const char* rx;
    const char* tx;
    const char* decode;
    const char* encode;
    const char* busy;
    const char* bandwidth;
};

const ChannelRow kChannels[16] = {
    {"403.12500", "408.12500", "88.5", "D754I", "是", "宽带"},
    {"406.25000", "406.25000", "D023N", "无", "是", "宽带"},
    {"409.37500", "414.37500", "D754I", "151.4", "否", "宽带"},
    {"412.50000", "412.50000", "无", "67.0", "是", "宽带"},
    {"415.62500", "420.62500", "151.4", "88.5", "是", "宽带"},
    {"418.75000", "418.75000", "67.0", "D023N", "否", "宽带"},
    {"421.87500", "426.87500", "88.5", "D754I", "是", "宽带"},
    {"425.00000", "425.00000", "D023N", "无", "是", "宽带"},
    {"428.12500", "433.12500", "D754I", "151.4", "否", "窄带"},
    {"431.25000", "431.25000", "无", "67.0", "是", "窄带"},
    {"434.37500", "439.37500", "151.4", "88.5", "是", "窄带"},
    {"437.50000", "437.50000", "67.0", "D023N", "否", "窄带"},
    {"440.62500", "445.62500", "88.5", "D754I", "是", "窄带"},
    {"443.75000", "443.75000", "D023N", "无", "是", "窄带"},
    {"446.87500", "451.87500", "D754I", "151.4", "否", "窄带"},
    {"450.00000", "450.00000", "无", "67.0", "是", "窄带"},
};

class CliReport : public ::testing::Test {
protected:
    void SetUp() override { m_dir = scratchDir(); }

    RunResult cli(const std::vector<std::string>& args) const { return run(m_dir, VARNOK_CLI_PATH, args); }
    fs::path file(const std::string& name) const { return m_dir / name; }

    /// A channel file made by `build`: QX-200, band 400 - 470 MHz, 120 s,
    /// key beep on, squelch 3, monitor lock, and the table's channels but
    /// `skip`; every channel's bandwidth is wide when `allWide`.
    void makeFile(const std::string& name, int skip, bool allWide) const {
        std::string json = R"({"settings": {"model": {"index": 1}, "band": {"index": 2},
            "tx_time_limit": {"text": "120s"}, "key_beep": {"text": "开"}, "squelch": {"index": 3},
            "monitor": {"text": "监听锁定"}}, "channels": [)";
        bool first = true;
        for (int n = 1; n <= 16; ++n) {
            if (n == skip)
                continue;
            const ChannelRow& c = kChannels[n - 1];
            json += std::string(first ? "" : ",") + R"({"channel": )" + std::to_string(n) + R"(, "rx": ")" + c.rx +
                    R"(", "tx": ")" + c.tx + R"(", "decode": ")" + c.decode + R"(", "encode": ")" + c.encode +
                    R"(", "busy_lock": ")" + c.busy + R"(", "bandwidth": ")" + (allWide ? "宽带" : c.bandwidth) +
                    R"("})";
            first = false;
        }
        json += "]}";
        writeAll(file("form.json"), json);
        const RunResult r = cli({"build", "form.json", "-o", name});
        ASSERT_EQ(r.status, 0) << r.err;
    }

    static std::string row(int n) {
        const ChannelRow& c = kChannels[n - 1];
        return std::to_string(n) + " " + c.rx + " " + c.tx + " " + c.decode + " " + c.encode + " " + c.busy;
    }

private:
    fs::path m_dir;
};

TEST_F(CliReport, TheReportOfAKnownFile) {
    makeFile("radio.sin", 0, false);
    const RunResult r = cli({"report", "radio.sin", "-o", "report.pdf"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");

    int pages = 0;
    const std::vector<std::string> lines = pdfLines(file("report.pdf"), &pages);
    EXPECT_EQ(pages, 1);
    std::vector<std::string> expected = {
        "The Radio Settings",
        "Function Setting:",
        "Type: QX-200",
        "Frequency Field:400 - 470MHZ",
        "Tx Total Time: 120s Warning Setting: 开",
        "Squelch Level: 3 W/N: mixed",
        "Moni: 监听锁定",
        "Channel Setting:",
        "信道 Rx(MHz) Tx(MHz) QT/DQT解码 QT/DQT编码 繁忙锁定",
    };
    for (int n = 1; n <= 16; ++n)
        expected.push_back(row(n));
    EXPECT_EQ(lines, expected);

    // Latin text in Times New Roman or its metric twin, Chinese in a CJK face.
    const RunResult fonts = run(file(""), VARNOK_PDFFONTS, {"report.pdf"});
    ASSERT_EQ(fonts.status, 0) << fonts.err;
    EXPECT_TRUE(fonts.out.find("LiberationSerif") != std::string::npos ||
                fonts.out.find("TimesNewRoman") != std::string::npos)
        << fonts.out;
    EXPECT_NE(fonts.out.find("WenQuanYiZenHei"), std::string::npos) << fonts.out;
}

/// A word of the PDF with its box in points, y down from the top of the page.
struct Word {
    std::string text;
    double xMin, yMin, xMax, yMax;
};

std::vector<Word> pdfWords(const fs::path& pdf) {
    const fs::path dir = pdf.parent_path();
    const RunResult r = run(dir, VARNOK_PDFTOTEXT, {"-bbox", "-enc", "UTF-8", pdf.string(), "words.html"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string html = readAll(dir / "words.html");
    static const std::regex word(
        R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)">([^<]*)</word>)re");
    std::vector<Word> words;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), word); it != std::sregex_iterator(); ++it)
        words.push_back({(*it)[5], std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4])});
    return words;
}

const Word* findWord(const std::vector<Word>& words, const std::string& text) {
    for (const Word& w : words)
        if (w.text == text)
            return &w;
    ADD_FAILURE() << "no word \"" << text << "\" in the PDF";
    return nullptr;
}

TEST_F(CliReport, EveryLineWhereTheFormulasPutIt) {
    // The PDF is A4, 595 x 842 pt, with 18 pt (a quarter inch) margins: at
    // 300 dpi the print area is 2329 x 3358 px (559 x 806 pt).
    //   u = (3358 / 42 = 79) x 1440 / 300 = 379; v = ((2329 x 1440 / 300 =
    //   11179) - 900) / 60 = 171.
    // The fonts are Times New Roman's metrics (ascent 1825, descent 443,
    // line gap 87 per 2048 em = 1.1499 em a line):
    //   body 379 x 300 / 1440 = 79 px -> 90.85 px = 436 twips (L);
    //   title 530 x 300 / 1440 = 110 px -> 126.5 px = 607 twips (Lt).
    // Line tops in twips: title -607 / 2 = -303; y = -910 "Function Setting:";
    // -910 - 523.2 -> -1433 Type; -1869, -2305, -2741, -3177; -3613
    // "Channel Setting:"; heading -3613 - 523.2 -> -4136; row r at -4136 - 436 r.
    // In points: 18 + twips / 20 down from the top, 18 + twips / 20 across.
    // Title x = (2329 / 2 = 1164) x 1440 / 300 = 5587 - 14 x 171 = 3193.
    makeFile("radio.sin", 0, false);
    ASSERT_EQ(cli({"report", "radio.sin", "-o", "report.pdf"}).status, 0);
    const std::vector<Word> words = pdfWords(file("report.pdf"));
    ASSERT_FALSE(words.empty());

    const auto pt = [](int twips) { return 18 + twips / 20.0; };
    struct Place {
        const char* word;
        int x, top; // twips, top as a positive depth
    };
    const Place places[] = {
        {"The", 3193, 303},   {"Function", 5 * 171, 910},  {"Type:", 2 * 171, 1433}, {"Frequency", 342, 1869},
        {"Tx", 342, 2305},    {"Warning", 31 * 171, 2305}, {"Squelch", 342, 2741},   {"W/N:", 31 * 171, 2741},
        {"Moni:", 342, 3177}, {"Channel", 855, 3613},      {"信道", 171, 4136},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.word);
        const Word* w = findWord(words, p.word);
        if (!w)
            continue;
        EXPECT_NEAR(w->xMin, pt(p.x), 0.05);
        // Chinese words come from a face with other vertical metrics.
        if (static_cast<unsigned char>(p.word[0]) < 0x80) {
            EXPECT_NEAR(w->yMin, pt(p.top), 0.3);
        }
    }

    const double columns[] = {pt(171), pt(6 * 171), pt(18 * 171), pt(32 * 171), pt(42 * 171), pt(52 * 171)};
    for (int n = 1; n <= 16; ++n) {
        SCOPED_TRACE("channel " + std::to_string(n));
        const double top = pt(4136 + 436 * n);
        const double bottom = pt(4136 + 436 * (n + 1));
        std::vector<const Word*> row;
        for (const Word& w : words)
            if ((w.yMin + w.yMax) / 2 > top && (w.yMin + w.yMax) / 2 < bottom)
                row.push_back(&w);
        ASSERT_EQ(row.size(), 6u);
        EXPECT_EQ(row[0]->text, std::to_string(n));
        EXPECT_EQ(row[1]->text, kChannels[n - 1].rx);
        for (std::size_t k = 0; k < 6; ++k)
            EXPECT_NEAR(row[k]->xMin, columns[k], 0.05) << row[k]->text;
        EXPECT_NEAR(row[0]->yMin, top, 0.3);
    }

    // Nothing runs past the print area's right edge, 595 - 18 = 577 pt; the
    // heading is the one string long enough to.
    for (const Word& w : words)
        EXPECT_LE(w.xMax, 577.1) << w.text;
}

TEST_F(CliReport, AnEmptyChannelAndASquelchWithoutSelection) {
    makeFile("radio.sin", 7, true);
    // Squelch 10 is past the box's ten entries, so the box shows nothing.
    std::string bytes = readAll(file("radio.sin"));
    ASSERT_EQ(bytes.size(), 1024u);
    bytes[layout::kSquelch] = 10;
    writeAll(file("radio.sin"), bytes);

    const RunResult r = cli({"report", "radio.sin", "-o", "report.pdf"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = pdfLines(file("report.pdf"));
    ASSERT_EQ(lines.size(), 9u + 16u);
    EXPECT_EQ(lines[5], "Squelch Level: W/N: 宽带");
    EXPECT_EQ(lines[9 + 5], row(6));
    EXPECT_EQ(lines[9 + 6], "7");
    EXPECT_EQ(lines[9 + 7], row(8));
}

TEST_F(CliReport, ExitStatuses) {
    writeAll(file("report.pdf"), "an earlier report");
    writeAll(file("short.sin"), std::string(100, '\xFF'));

    RunResult r = cli({"report", "missing.sin", "-o", "report.pdf"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "varnok-cli: cannot open \"missing.sin\": No such file or directory\n");

    r = cli({"report", "short.sin", "-o", "report.pdf"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("is not a channel file"), std::string::npos) << r.err;
    // A file that cannot be read leaves the earlier report alone.
    EXPECT_EQ(readAll(file("report.pdf")), "an earlier report");

    makeFile("radio.sin", 0, false);
    r = cli({"report", "radio.sin", "-o", "no-such-folder/report.pdf"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("varnok-cli: cannot write \"no-such-folder/report.pdf\": ", 0), 0u) << r.err;

    r = cli({"report", "radio.sin"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.rfind("varnok-cli: ", 0), 0u) << r.err;
}
#endif

} // namespace
} // namespace varnok::report

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Fonts are measured through a GUI application, which needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
