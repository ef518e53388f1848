// Channels coming in as CSV or pasted rows: whatever the text, the reader
// ends, and what it accepts survives an export and a second import intact.
#include "app/csv_exchange.h"
#include "fuzz_check.h"

#include <cstdint>
#include <string>

using namespace varnok;
using namespace varnok::app;

namespace {

/// The cells `import` leaves in a form of band `band`, read back through
/// the other format's round trip.
void roundTrips(const RowImport& import, int band, bool csv) {
    FormState form;
    form.select(Setting::Band, band);
    applyImport(form, import);
    std::vector<int> all;
    for (int channel = 1; channel <= 16; ++channel)
        all.push_back(channel);
    const RowImport again = csv ? importCsv(exportCsv(form), band) : parseTsvRows(rowsToTsv(form, all), 1, band);
    FUZZ_CHECK(again.refusals.empty());
    FormState back;
    back.select(Setting::Band, band);
    applyImport(back, again);
    for (int channel = 1; channel <= 16; ++channel)
        for (int col = column::kRxFrequency; col < column::kCount; ++col)
            if (!form.cell(channel, column::kRxFrequency).empty() || !csv)
                FUZZ_CHECK(back.cell(channel, col) == form.cell(channel, col));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const int band = data[0] % 4;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    roundTrips(importCsv(text, band), band, true);
    roundTrips(parseTsvRows(text, 1 + data[0] % 16, band), band, false);
    return 0;
}
