// The report as Qt paints it, read back from its PDF with poppler-utils:
// where each string goes is the layout's and is tested there; here, that
// the painter draws every string on one page, in a face that has its
// characters, and embeds those faces.
#include "image/form.h"
#include "qt/report_painter.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace varnok::report {
namespace {

namespace fs = std::filesystem;

/// The standard output of a command.
std::string output(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string out;
    char buffer[4096];
    for (std::size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        out.append(buffer, n);
    return out;
}

/// The lines of the PDF's text with runs of blanks made one, and its pages.
std::vector<std::string> pdfLines(const fs::path& pdf, int& pages) {
    std::istringstream text(output(std::string(VARNOK_PDFTOTEXT) + " -layout -enc UTF-8 '" + pdf.string() + "' -"));
    std::vector<std::string> lines;
    pages = 0;
    for (std::string raw; std::getline(text, raw);) {
        std::string line;
        for (char c : raw) {
            pages += c == '\f';
            if (c != ' ' && c != '\f')
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

TEST(ReportPdf, EveryStringOnOnePageInFacesThatDrawIt) {
    FormState form = startingForm();
    form.select(Setting::Model, 2);
    form.cell(1, column::kRxFrequency) = "460.12500";
    form.cell(1, column::kTxFrequency) = "162.55000";
    form.cell(1, column::kDecodeTone) = "88.5";
    form.cell(1, column::kEncodeTone) = "D023I";
    form.cell(1, column::kBusyLock) = "否";
    form.cell(1, column::kBandwidth) = "窄带";
    const fs::path pdf = fs::path(VARNOK_REPORT_TEST_TMP) / "report.pdf";
    fs::create_directories(pdf.parent_path());
    std::string error;
    ASSERT_TRUE(renderReportPdf(form, pdf.string(), error)) << error;

    int pages = 0;
    const std::vector<std::string> lines = pdfLines(pdf, pages);
    EXPECT_EQ(pages, 1);
    std::vector<std::string> expected = {
        "The Radio Settings",
        "Function Setting:",
        "Type: " + form.selectedText(Setting::Model),
        "Frequency Field:" + form.selectedText(Setting::Band),
        "Tx Total Time: " + form.selectedText(Setting::TxTimeLimit) +
            " Warning Setting: " + form.selectedText(Setting::KeyBeep),
        "Squelch Level: " + form.selectedText(Setting::Squelch) + " W/N: 窄带",
        "Moni: " + form.selectedText(Setting::Monitor),
        "Channel Setting:",
        "信道 Rx(MHz) Tx(MHz) QT/DQT解码 QT/DQT编码 繁忙锁定",
        "1 460.12500 162.55000 88.5 D023I 否",
    };
    for (int n = 2; n <= 16; ++n)
        expected.push_back(std::to_string(n));
    EXPECT_EQ(lines, expected);

    // Latin text in Times New Roman or its metric twin, Chinese in a CJK
    // face; both embedded, as the reader may have neither.
    std::istringstream fonts(output(std::string(VARNOK_PDFFONTS) + " '" + pdf.string() + "'"));
    bool latin = false, cjk = false;
    for (std::string line; std::getline(fonts, line);) {
        const bool embedded = line.find(" yes ") != std::string::npos;
        latin |= embedded && (line.find("LiberationSerif") != std::string::npos ||
                              line.find("TimesNewRoman") != std::string::npos);
        cjk |= embedded && line.find("WenQuanYiZenHei") != std::string::npos;
    }
    EXPECT_TRUE(latin && cjk) << output(std::string(VARNOK_PDFFONTS) + " '" + pdf.string() + "'");
}

TEST(ReportPdf, LinesNeverOverlap) {
    // A printer of 300 dpi; the line advance is the face's whole height and
    // its gap, which the layout cannot know.
    QImage device(16, 16, QImage::Format_RGB32);
    device.setDotsPerMeterX(11811);
    device.setDotsPerMeterY(11811);
    const ReportFont body{kReportFontFamily, -379, 171};
    const double height = QFontMetricsF(reportQFonts(body, device).latin, &device).height();
    EXPECT_GE(reportLineAdvance(body, device), std::lround(height * 1440 / 300));
}

TEST(ReportPdf, AnUnwritableFileIsReported) {
    const fs::path folder = fs::path(VARNOK_REPORT_TEST_TMP) / "missing";
    std::string error;
    EXPECT_FALSE(renderReportPdf(startingForm(), (folder / "r.pdf").string(), error));
    EXPECT_EQ(error.rfind("cannot create a file in folder \"" + folder.string() + "\": ", 0), 0u) << error;
}

} // namespace
} // namespace varnok::report

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Fonts are measured through a GUI application, which needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
