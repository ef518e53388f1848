#include "qt/report_painter.h"

#include "image/sinfile.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QRawFont>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <vector>

namespace varnok::report {
namespace {

constexpr double kTwipsPerInch = 1440.0;

double toTwips(double pixels, int dpi) { return pixels * kTwipsPerInch / dpi; }
double toPixels(double twips, int dpi) { return twips * dpi / kTwipsPerInch; }

QFont plainFont(const QStringList& families, QFont::StyleHint hint, const ReportFont& font,
                const QPaintDevice& device) {
    QFont f;
    f.setFamilies(families);
    f.setStyleHint(hint);
    f.setWeight(QFont::Normal);
    f.setItalic(false);
    f.setUnderline(false);
    f.setStrikeOut(false);
    // A negative height is the character (em) height, which is what a pixel
    // size sets. A positive one would be the cell height; the layout only
    // asks for one on a page too small to print on, so it is taken as the
    // em height too rather than measured.
    const double pixels = toPixels(std::abs(font.height), device.logicalDpiY());
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    return f;
}

QFont latinFont(const ReportFont& font, const QPaintDevice& device) {
    // Liberation Serif has Times New Roman's advance widths, so the
    // columns fall as planned on machines without the original.
    return plainFont({QString::fromStdString(font.family), QStringLiteral("Liberation Serif")}, QFont::Serif, font,
                     device);
}

/// The average character width a font width is measured against: the
/// advances of the lower-case letters and the blank weighted by their
/// frequency in English text, the classic definition of a TrueType face's
/// average width (about 0.4 em for Times New Roman). Faces that declare an
/// average over all their glyphs (Liberation Serif 2 covers many wide
/// scripts) would otherwise come out about a quarter too narrow.
double latinAverageWidth(const QFontMetricsF& metrics) {
    static constexpr int kWeights[26] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3,  6, 35, 20,
                                         56, 56, 17, 4,  49,  56, 71, 31, 10, 18, 3, 18, 2};
    constexpr int kBlankWeight = 166;
    double sum = kBlankWeight * metrics.horizontalAdvance(QLatin1Char(' '));
    int total = kBlankWeight;
    for (int i = 0; i < 26; ++i) {
        sum += kWeights[i] * metrics.horizontalAdvance(QLatin1Char(static_cast<char>('a' + i)));
        total += kWeights[i];
    }
    return sum / total;
}

/// Scales `f` horizontally so that `natural` device pixels become `wanted`.
void stretchTo(QFont& f, double natural, double wanted) {
    if (natural > 0 && wanted > 0) {
        const int stretch = static_cast<int>(std::lround(100.0 * wanted / natural));
        f.setStretch(std::clamp(stretch, 1, 4000));
    }
}

/// One font's pieces for drawing: which characters the Latin face has, and
/// where the top of its character cell is above the baseline.
struct DeviceFont {
    ReportQFonts fonts;
    QRawFont latinFace;
    double ascent = 0;

    DeviceFont(const ReportFont& font, const QPaintDevice& device)
        : fonts(reportQFonts(font, device)), latinFace(QRawFont::fromFont(fonts.latin)),
          ascent(QFontMetricsF(fonts.latin, &device).ascent()) {}

    bool isLatin(char32_t c) const { return !latinFace.isValid() || latinFace.supportsCharacter(c); }
};

struct Run {
    QString text;
    const QFont* font;
    double width;
};

/// The code point at `i` and how many UTF-16 units it takes.
char32_t codePointAt(const QString& text, qsizetype i, qsizetype& units) {
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        units = 2;
        return QChar::surrogateToUcs4(text[i], text[i + 1]);
    }
    units = 1;
    return text[i].unicode();
}

/// Splits `text` into runs of characters that the same font draws.
std::vector<Run> runsOf(const DeviceFont& font, const QString& text, const QPaintDevice& device) {
    std::vector<Run> runs;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype units = 0;
        const bool latin = font.isLatin(codePointAt(text, i, units));
        const qsizetype begin = i;
        i += units;
        while (i < text.size() && font.isLatin(codePointAt(text, i, units)) == latin)
            i += units;
        const QFont& f = latin ? font.fonts.latin : font.fonts.cjk;
        const QString run = text.mid(begin, i - begin);
        runs.push_back({run, &f, QFontMetricsF(f, &device).horizontalAdvance(run)});
    }
    return runs;
}

/// Draws `text` with its baseline at `origin`, run after run. A string
/// that would run past the right edge is drawn narrower to end there: the
/// table heading is one string whose English words are wider than the
/// columns below them, and cutting it off would lose the last header.
void drawString(QPainter& painter, const DeviceFont& font, QPointF origin, const QString& text) {
    const std::vector<Run> runs = runsOf(font, text, *painter.device());
    double width = 0;
    for (const Run& run : runs)
        width += run.width;
    const double room = painter.device()->width() - origin.x();
    painter.save();
    painter.translate(origin);
    if (width > room && room > 0)
        painter.scale(room / width, 1.0);
    double x = 0;
    for (const Run& run : runs) {
        painter.setFont(*run.font);
        painter.drawText(QPointF(x, 0), run.text);
        x += run.width;
    }
    painter.restore();
}

} // namespace

PrintArea printAreaOf(const QPaintDevice& device) {
    return PrintArea{0, 0, device.width(), device.height(), device.logicalDpiX(), device.logicalDpiY()};
}

ReportQFonts reportQFonts(const ReportFont& font, const QPaintDevice& device) {
    const double wanted = toPixels(font.width, device.logicalDpiX());
    ReportQFonts fonts{
        latinFont(font, device),
        plainFont({QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("SimSun")}, QFont::SansSerif, font, device)};
    stretchTo(fonts.latin, latinAverageWidth(QFontMetricsF(fonts.latin, &device)), wanted);
    stretchTo(fonts.cjk, QFontMetricsF(fonts.cjk, &device).horizontalAdvance(QChar(0x4E2D)), 2 * wanted);
    return fonts;
}

int reportLineAdvance(const ReportFont& font, const QPaintDevice& device) {
    const QFontMetricsF metrics(latinFont(font, device), &device);
    // External leading is never negative on the original devices; a face
    // with a negative line gap would make the lines overlap.
    const double pixels = metrics.height() + std::max(0.0, metrics.leading());
    return static_cast<int>(std::lround(toTwips(pixels, device.logicalDpiY())));
}

void drawReport(QPainter& painter, const FormState& form) {
    const QPaintDevice& device = *painter.device();
    const PrintArea area = printAreaOf(device);
    const ReportLayout page = layoutReport(
        reportTextsFromForm(form), area, [&device](const ReportFont& font) { return reportLineAdvance(font, device); });
    if (page.strings.empty())
        return;
    const DeviceFont title(page.title, device);
    const DeviceFont body(page.body, device);

    painter.save();
    for (const ReportString& s : page.strings) {
        const DeviceFont& font = s.font == FontRole::Title ? title : body;
        // Twips have y up, device pixels y down; QPainter places text by its
        // baseline, the report by the top of the character cell.
        const QPointF origin(toPixels(s.x, area.dpiX), toPixels(-s.y, area.dpiY) + font.ascent);
        drawString(painter, font, origin, QString::fromStdString(s.text));
    }
    painter.restore();
}

bool printReport(QPrinter& printer, const FormState& form) {
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    drawReport(painter, form);
    return painter.end();
}

bool renderReportPdf(const FormState& form, const std::string& path, std::string& error) {
    // Drawn into memory and saved as a channel file is, so the PDF gets the
    // same care: links followed, devices and read-only files refused, every
    // write error reported and an earlier file intact after a failure.
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setTitle(QString::fromUtf8(kReportTitle));
        writer.setCreator(QStringLiteral("Varnok"));
        writer.setResolution(300);
        // A quarter inch all round, about what a desktop printer cannot
        // reach, so the PDF and a print of it look alike.
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch));
        QPainter painter;
        if (!painter.begin(&writer)) {
            error = "cannot write \"" + path + "\": the PDF could not be started";
            return false;
        }
        drawReport(painter, form);
        painter.end();
    }
    if (const std::optional<FileError> failed = saveFileContent(path, {pdf.constData(), static_cast<std::size_t>(pdf.size())})) {
        error = failed->message;
        return false;
    }
    return true;
}

} // namespace varnok::report
