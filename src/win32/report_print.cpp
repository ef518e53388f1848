#include "win32/report_print.h"

#include "win32/wide.h"

#include <algorithm>

namespace varnok::win32 {
namespace {

constexpr int kTwipsPerInch = 1440;

/// A4 at 600 pixels per inch with a quarter inch lost all round, about
/// what a desktop printer prints on.
constexpr report::PrintArea kMetafilePage{0, 0, 4660, 6716, 600, 600};

} // namespace

void drawReport(ReportCanvas& canvas, const FormState& form) {
    const report::ReportLayout page =
        report::layoutReport(report::reportTextsFromForm(form), canvas.area(), [&canvas](const report::ReportFont& f) {
            canvas.selectFont(f);
            return canvas.lineAdvance();
        });
    for (const report::ReportString& s : page.strings) {
        canvas.selectFont(s.font == report::FontRole::Title ? page.title : page.body);
        canvas.text(s.x, s.y, widen(s.text));
    }
}

GdiCanvas::GdiCanvas(HDC dc, const report::PrintArea& area, POINT origin) : m_dc(dc), m_area(area), m_origin(origin) {
    SetTextAlign(m_dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
    SetBkMode(m_dc, TRANSPARENT);
    SetTextColor(m_dc, RGB(0, 0, 0));
}

GdiCanvas::~GdiCanvas() {
    if (m_oldFont)
        SelectObject(m_dc, m_oldFont);
    if (m_font)
        DeleteObject(m_font);
}

void GdiCanvas::selectFont(const report::ReportFont& font) {
    LOGFONTW lf{};
    // Twips to this device's pixels; a negative height stays the character
    // height.
    lf.lfHeight = static_cast<LONG>(static_cast<long long>(font.height) * m_area.dpiY / kTwipsPerInch);
    lf.lfWidth = static_cast<LONG>(static_cast<long long>(font.width) * m_area.dpiX / kTwipsPerInch);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfPitchAndFamily = FF_MODERN | DEFAULT_PITCH;
    const std::wstring family = widen(font.family);
    lstrcpynW(lf.lfFaceName, family.c_str(), LF_FACESIZE);
    HFONT created = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(m_dc, created);
    if (!m_oldFont)
        m_oldFont = old;
    if (m_font)
        DeleteObject(m_font);
    m_font = created;
}

int GdiCanvas::lineAdvance() {
    TEXTMETRICW metrics{};
    GetTextMetricsW(m_dc, &metrics);
    return static_cast<int>(static_cast<long long>(metrics.tmHeight + metrics.tmExternalLeading) * kTwipsPerInch /
                            std::max(1, m_area.dpiY));
}

void GdiCanvas::text(int x, int y, const std::wstring& text) {
    const int px = m_origin.x + static_cast<int>(static_cast<long long>(x) * m_area.dpiX / kTwipsPerInch);
    const int py = m_origin.y + static_cast<int>(static_cast<long long>(-y) * m_area.dpiY / kTwipsPerInch);
    TextOutW(m_dc, px, py, text.c_str(), static_cast<int>(text.size()));
}

report::PrintArea printAreaOf(HDC printer) {
    return report::PrintArea{0,
                             0,
                             GetDeviceCaps(printer, HORZRES),
                             GetDeviceCaps(printer, VERTRES),
                             GetDeviceCaps(printer, LOGPIXELSX),
                             GetDeviceCaps(printer, LOGPIXELSY)};
}

bool printReport(HDC printer, const FormState& form, bool toFile) {
    const std::wstring name = widen(report::kReportTitle);
    DOCINFOW doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = name.c_str();
    doc.lpszOutput = toFile ? L"FILE:" : nullptr;
    if (StartDocW(printer, &doc) <= 0)
        return false;
    if (StartPage(printer) <= 0) {
        AbortDoc(printer);
        return false;
    }
    {
        GdiCanvas canvas(printer, printAreaOf(printer));
        drawReport(canvas, form);
    }
    if (EndPage(printer) <= 0) {
        AbortDoc(printer);
        return false;
    }
    return EndDoc(printer) > 0;
}

bool writeReportMetafile(const std::wstring& path, const FormState& form) {
    HDC dc = CreateEnhMetaFileW(nullptr, path.c_str(), nullptr, L"Varnok\0The Radio Settings\0");
    if (!dc)
        return false;
    {
        GdiCanvas canvas(dc, kMetafilePage);
        drawReport(canvas, form);
    }
    HENHMETAFILE metafile = CloseEnhMetaFile(dc);
    if (!metafile)
        return false;
    DeleteEnhMetaFile(metafile);
    return true;
}

} // namespace varnok::win32
