// The radio's 1024-byte programming memory and typed views of its records.
//
// Offset n of the image is address n of the radio's memory. Every offset and
// mask that any code needs is named here, once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace varnok {

namespace layout {

constexpr std::size_t kImageSize = 1024;
constexpr std::size_t kRowSize = 16;
constexpr std::size_t kRowCount = kImageSize / kRowSize;

constexpr int kChannelCount = 16;
constexpr int kFirstChannelRow = 1; ///< channel n lives in row n
constexpr int kAuxCount = 8;
constexpr int kFirstAuxRow = 17;

/// A read from the radio covers the whole image; a write stops before the
/// last 40 bytes, so the constant block never reaches the radio.
constexpr std::size_t kReadEnd = kImageSize;
constexpr std::size_t kWriteEnd = 984;

/// Byte positions within a channel (or auxiliary) record.
namespace record {
constexpr std::size_t kRxFrequency = 0; ///< 4 bytes, BCD, low pair first
constexpr std::size_t kTxFrequency = 4;
constexpr std::size_t kRxToneLow = 8;
constexpr std::size_t kRxToneHigh = 9;
constexpr std::size_t kTxToneLow = 10;
constexpr std::size_t kTxToneHigh = 11;
constexpr std::size_t kFlags = 12;
constexpr std::size_t kRxStep = 13;
constexpr std::size_t kTxStep = 14;
constexpr std::size_t kFrequencySize = 4;
} // namespace record

/// Bits of the channel flags byte. Bits 1, 3 and 7 are the radio's own.
namespace channelFlag {
constexpr std::uint8_t kBusyLockOff = 0x01;
constexpr std::uint8_t kNarrow = 0x04;
constexpr std::uint8_t kScanAdd = 0x10;
constexpr std::uint8_t kPowerMask = 0x60;
constexpr std::uint8_t kPowerLow = 0x00;
constexpr std::uint8_t kPowerMedium = 0x20;
constexpr std::uint8_t kPowerHigh = 0x40;
} // namespace channelFlag

/// Radio-wide settings (row 60).
constexpr std::size_t kFunctionFlags = 960;
constexpr std::size_t kSquelch = 961;
constexpr std::size_t kMonitor = 962;
constexpr std::size_t kTxTimeLimit = 963;

namespace functionFlag {
constexpr std::uint8_t kKeyBeep = 0x01;
constexpr std::uint8_t kPowerSave = 0x02;
constexpr std::uint8_t kScan = 0x04;
constexpr std::uint8_t kRejectAlarmOff = 0x08;
constexpr std::uint8_t kVoiceMask = 0x30;
constexpr std::uint8_t kVoiceEnglish = 0x10;
constexpr std::uint8_t kVoiceChinese = 0x30;
constexpr std::uint8_t kEmergencyMask = 0xC0;
constexpr int kEmergencyShift = 6;
} // namespace functionFlag

/// Model identification block (row 61).
constexpr std::size_t kModelBlock = 976;
constexpr std::size_t kBandCode = 978;
constexpr std::size_t kModelCode = 982;
constexpr std::uint8_t kBandCodeBase = 0xF0;
constexpr std::uint8_t kModelCodeFirst = 0x32;  ///< ASCII '2': QX-100
constexpr std::uint8_t kModelCodeSecond = 0x33; ///< ASCII '3': any other model

/// Rows 40 and 63 hold fixed blocks in a new image; see defaults.
constexpr std::size_t kSequenceBlock = 640;
constexpr std::size_t kConstantBlock = 1008;

} // namespace layout

/// Binary-coded decimal of 0-99, tens in the high nibble. Larger or negative
/// values keep the low byte of the vendor's arithmetic, (x / 10) * 16 + x % 10.
constexpr std::uint8_t toBcd(long long x) { return static_cast<std::uint8_t>((x / 10) * 16 + x % 10); }

/// Inverse of toBcd for any byte: nibbles that are not digits still count
/// (FE reads as 164), so garbage shows as odd numbers but never fails.
constexpr int fromBcd(std::uint8_t b) { return 10 * (b >> 4) + (b & 0x0F); }

/// A frequency in units of 10 Hz (145.0125 MHz is 14501250).
using Frequency = std::uint32_t;

/// A view of one 16-byte record (channel or auxiliary) inside an image.
class RecordView {
public:
    explicit RecordView(std::uint8_t* bytes) : m_bytes(bytes) {}

    std::uint8_t& operator[](std::size_t k) { return m_bytes[k]; }
    std::uint8_t operator[](std::size_t k) const { return m_bytes[k]; }

    /// Empty (nullopt) when the field's top byte is 00 or FF.
    std::optional<Frequency> rxFrequency() const { return frequencyAt(layout::record::kRxFrequency); }
    std::optional<Frequency> txFrequency() const { return frequencyAt(layout::record::kTxFrequency); }
    /// Writes the frequency and its step flag; nullopt writes FF FF FF FF
    /// and leaves the step flag alone.
    void setRxFrequency(std::optional<Frequency> f) {
        setFrequencyAt(layout::record::kRxFrequency, layout::record::kRxStep, f);
    }
    void setTxFrequency(std::optional<Frequency> f) {
        setFrequencyAt(layout::record::kTxFrequency, layout::record::kTxStep, f);
    }

    /// A channel is present when either frequency field is non-empty.
    bool present() const { return rxFrequency().has_value() || txFrequency().has_value(); }

    std::uint8_t flags() const { return m_bytes[layout::record::kFlags]; }
    void setFlags(std::uint8_t v) { m_bytes[layout::record::kFlags] = v; }

private:
    std::optional<Frequency> frequencyAt(std::size_t at) const;
    void setFrequencyAt(std::size_t at, std::size_t stepAt, std::optional<Frequency> f);

    std::uint8_t* m_bytes;
};

/// The 1024-byte memory image, seen as 64 rows of 16 bytes.
class RadioImage {
public:
    using Bytes = std::array<std::uint8_t, layout::kImageSize>;

    RadioImage() { m_bytes.fill(0xFF); }
    explicit RadioImage(const Bytes& bytes) : m_bytes(bytes) {}

    std::uint8_t& operator[](std::size_t offset) { return m_bytes[offset]; }
    std::uint8_t operator[](std::size_t offset) const { return m_bytes[offset]; }

    Bytes& bytes() { return m_bytes; }
    const Bytes& bytes() const { return m_bytes; }
    std::uint8_t* row(std::size_t r) { return m_bytes.data() + r * layout::kRowSize; }
    const std::uint8_t* row(std::size_t r) const { return m_bytes.data() + r * layout::kRowSize; }

    /// Channel records 1 to 16.
    RecordView channel(int n) { return RecordView(row(static_cast<std::size_t>(layout::kFirstChannelRow + n - 1))); }
    const RecordView channel(int n) const { return const_cast<RadioImage*>(this)->channel(n); }
    /// Auxiliary records 1 to 8.
    RecordView aux(int n) { return RecordView(row(static_cast<std::size_t>(layout::kFirstAuxRow + n - 1))); }
    const RecordView aux(int n) const { return const_cast<RadioImage*>(this)->aux(n); }

    friend bool operator==(const RadioImage& a, const RadioImage& b) { return a.m_bytes == b.m_bytes; }
    friend bool operator!=(const RadioImage& a, const RadioImage& b) { return !(a == b); }

private:
    Bytes m_bytes;
};

/// Reads a 4-byte BCD frequency field (low pair first) whatever its top byte.
Frequency readFrequencyField(const std::uint8_t* field);
/// Writes f as eight BCD digits, top pair first in the vendor's order.
void writeFrequencyField(std::uint8_t* field, Frequency f);
/// The step flag that goes with a present frequency: 0 only below 300 MHz
/// off the 6.25 kHz grid, 1 otherwise.
std::uint8_t stepFlagFor(Frequency f);
/// True when a field's top byte marks it empty (00 or FF).
constexpr bool isEmptyTopByte(std::uint8_t top) { return top == 0x00 || top == 0xFF; }

} // namespace varnok
