#include "image/image.h"

namespace varnok {

Frequency readFrequencyField(const std::uint8_t* field) {
    Frequency f = 0;
    for (int k = 3; k >= 0; --k)
        f = f * 100 + static_cast<Frequency>(fromBcd(field[k]));
    return f;
}

void writeFrequencyField(std::uint8_t* field, Frequency f) {
    Frequency q = 1000000;
    for (int k = 3; k >= 0; --k) {
        field[k] = toBcd(f / q);
        f %= q;
        q /= 100;
    }
}

std::uint8_t stepFlagFor(Frequency f) { return (f < 30000000 && f % 625 != 0) ? 0 : 1; }

std::optional<Frequency> RecordView::frequencyAt(std::size_t at) const {
    if (isEmptyTopByte(m_bytes[at + 3]))
        return std::nullopt;
    return readFrequencyField(m_bytes + at);
}

void RecordView::setFrequencyAt(std::size_t at, std::size_t stepAt, std::optional<Frequency> f) {
    if (!f || *f == 0) {
        for (std::size_t k = 0; k < layout::record::kFrequencySize; ++k)
            m_bytes[at + k] = 0xFF;
        return;
    }
    m_bytes[stepAt] = stepFlagFor(*f);
    writeFrequencyField(m_bytes + at, *f);
}

} // namespace varnok
