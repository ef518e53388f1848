#include "image/form.h"

#include "image/number.h"
#include "image/tones.h"
#include "text/texts.h"

#include <cmath>

namespace varnok {
namespace {

namespace L = layout;
namespace T = text;
namespace FF = layout::functionFlag;
namespace CF = layout::channelFlag;

std::size_t idx(Setting s) { return static_cast<std::size_t>(s); }

const std::array<std::vector<std::string>, kSettingCount>& allEntries() {
    static const std::array<std::vector<std::string>, kSettingCount> entries = {{
        {"QX-100", "QX-200", "QX-300"},
        {"136 - 174MHZ", "350 - 400MHZ", "400 - 470MHZ", "430 - 500MHZ"},
        {T::kValueOff.zh, "30s", "60s", "90s", "120s", "150s", "180s", "210s", "240s", "270s", "300s"},
        {T::kValueOn.zh, T::kValueOffShort.zh},
        {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"},
        {T::kValueOff.zh, T::kValueMonitorMomentary.zh, T::kValueMonitorLocked.zh, T::kValueMonitorSquelchOff.zh},
        {T::kValueOffShort.zh, T::kValueOn.zh},
        {T::kValueOff.zh, T::kValueVoiceEnglish.zh, T::kValueVoiceChinese.zh},
        {T::kValueOff.zh, T::kValueAlarmLocal.zh, T::kValueAlarmLocalSend.zh, T::kValueAlarmSend.zh},
        {T::kValueOff.zh, T::kValueOpen.zh},
        {T::kValueOn.zh, T::kValueOffShort.zh},
    }};
    return entries;
}

void setBit(std::uint8_t& byte, std::uint8_t mask, bool on) {
    byte = static_cast<std::uint8_t>(on ? (byte | mask) : (byte & ~mask));
}

void setField(std::uint8_t& byte, std::uint8_t mask, std::uint8_t value) {
    byte = static_cast<std::uint8_t>((byte & ~mask) | (value & mask));
}

std::string flagCell(bool present, bool condition, const char* whenSet, const char* whenClear) {
    if (!present)
        return "";
    return condition ? whenSet : whenClear;
}

std::string powerCell(std::uint8_t flags) {
    switch (flags & CF::kPowerMask) {
    case CF::kPowerLow:
        return cellText::kPowerLow;
    case CF::kPowerMedium:
        return cellText::kPowerMedium;
    case CF::kPowerHigh:
    default:
        // Both power bits set is no level the radio's menu names. Encoding
        // stores any text but "低" and "中" as high, so showing "高" shows
        // what the radio will get after the next save or write.
        return cellText::kPowerHigh;
    }
}

std::string frequencyCell(std::optional<Frequency> f) { return f ? frequencyText(*f) : std::string(); }

void decodeChannel(const RecordView rec, std::array<std::string, column::kCount>& row) {
    const bool present = rec.present();
    const std::uint8_t flags = rec.flags();
    row[column::kRxFrequency] = frequencyCell(rec.rxFrequency());
    row[column::kTxFrequency] = frequencyCell(rec.txFrequency());
    row[column::kDecodeTone] = toneName(ToneCode{rec[L::record::kRxToneLow], rec[L::record::kRxToneHigh]}, present);
    row[column::kEncodeTone] = toneName(ToneCode{rec[L::record::kTxToneLow], rec[L::record::kTxToneHigh]}, present);
    row[column::kBusyLock] = flagCell(present, flags & CF::kBusyLockOff, cellText::kBusyOff, cellText::kBusyOn);
    row[column::kBandwidth] = flagCell(present, flags & CF::kNarrow, cellText::kNarrow, cellText::kWide);
    row[column::kScan] = flagCell(present, flags & CF::kScanAdd, cellText::kScanAdd, cellText::kScanDelete);
    row[column::kPower] = present ? powerCell(flags) : "";
}

void encodeChannel(const std::array<std::string, column::kCount>& row, RecordView rec) {
    const Frequency rx = cellFrequency(row[column::kRxFrequency]);
    const Frequency tx = cellFrequency(row[column::kTxFrequency]);
    rec.setRxFrequency(rx);
    rec.setTxFrequency(tx);
    const ToneCode decode = toneCode(row[column::kDecodeTone]);
    rec[L::record::kRxToneLow] = decode.low;
    rec[L::record::kRxToneHigh] = decode.high;
    const ToneCode encode = toneCode(row[column::kEncodeTone]);
    rec[L::record::kTxToneLow] = encode.low;
    rec[L::record::kTxToneHigh] = encode.high;

    std::uint8_t flags = rec.flags();
    setBit(flags, CF::kBusyLockOff, row[column::kBusyLock] != cellText::kBusyOn);
    setBit(flags, CF::kNarrow, row[column::kBandwidth] != cellText::kWide);
    setBit(flags, CF::kScanAdd, row[column::kScan] == cellText::kScanAdd);
    const std::string& power = row[column::kPower];
    const std::uint8_t level = power == cellText::kPowerLow      ? CF::kPowerLow
                               : power == cellText::kPowerMedium ? CF::kPowerMedium
                                                                 : CF::kPowerHigh;
    setField(flags, CF::kPowerMask, level);
    rec.setFlags(flags);
}

} // namespace

const char* settingKey(Setting s) {
    static const char* const keys[kSettingCount] = {
        "model", "band",  "tx_time_limit", "key_beep",   "squelch",      "monitor",
        "scan",  "voice", "emergency",     "power_save", "reject_alarm",
    };
    return keys[idx(s)];
}

const std::vector<std::string>& settingEntries(Setting s) { return allEntries()[idx(s)]; }

const std::array<std::string, column::kCount>& columnHeaders() {
    static const std::array<std::string, column::kCount> headers = {
        T::kHeaderChannel.zh,  T::kHeaderRx.zh,        T::kHeaderTx.zh,   T::kHeaderDecode.zh, T::kHeaderEncode.zh,
        T::kHeaderBusyLock.zh, T::kHeaderBandwidth.zh, T::kHeaderScan.zh, T::kHeaderPower.zh,
    };
    return headers;
}

const std::array<const char*, column::kCount>& columnKeys() {
    static const std::array<const char*, column::kCount> keys = {
        "channel", "rx", "tx", "decode", "encode", "busy_lock", "bandwidth", "scan", "power",
    };
    return keys;
}

const std::vector<std::string>& columnEntries(int col) {
    static const std::vector<std::string> none;
    static const std::vector<std::string> busy = {cellText::kBusyOn, cellText::kBusyOff};
    static const std::vector<std::string> bandwidth = {cellText::kWide, cellText::kNarrow};
    static const std::vector<std::string> scan = {cellText::kScanAdd, cellText::kScanDelete};
    static const std::vector<std::string> power = {cellText::kPowerHigh, cellText::kPowerMedium, cellText::kPowerLow};
    switch (col) {
    case column::kBusyLock:
        return busy;
    case column::kBandwidth:
        return bandwidth;
    case column::kScan:
        return scan;
    case column::kPower:
        return power;
    default:
        return none;
    }
}

void FormState::select(Setting s, int index) {
    const int size = static_cast<int>(settingEntries(s).size());
    selections[idx(s)] = (index >= 0 && index < size) ? index : -1;
}

std::string FormState::selectedText(Setting s) const {
    // The selections are a plain array anyone may fill, so an index outside
    // the list reads as no selection instead of past the entries.
    const int i = selection(s);
    const auto& entries = settingEntries(s);
    return (i < 0 || static_cast<std::size_t>(i) >= entries.size()) ? std::string()
                                                                    : entries[static_cast<std::size_t>(i)];
}

void writeTableFrame(FormState& form) {
    form.cells[0] = columnHeaders();
    for (int r = 1; r < kTableRows; ++r)
        form.cell(r, column::kChannel) = std::to_string(r);
}

FormState startingForm() {
    FormState form;
    form.select(Setting::TxTimeLimit, 2);
    form.select(Setting::Model, 0);
    form.select(Setting::KeyBeep, 1);
    form.select(Setting::Squelch, 4);
    form.select(Setting::Monitor, 3);
    form.select(Setting::Band, 2);
    form.select(Setting::Voice, 1);
    writeTableFrame(form);
    return form;
}

void applyModelChange(FormState& form, RadioImage& image) {
    form.select(Setting::Band, 0);
    const std::uint8_t step = form.selection(Setting::Model) == 0 ? 1 : 0;
    for (int n = 1; n <= L::kAuxCount; ++n) {
        RecordView aux = image.aux(n);
        for (std::size_t k = 0; k < 2 * L::record::kFrequencySize; ++k)
            aux[L::record::kRxFrequency + k] = 0x00;
        aux[L::record::kRxStep] = step;
        aux[L::record::kTxStep] = step;
    }
}

void decodeImage(RadioImage& image, FormState& form) {
    for (int n = 1; n <= L::kChannelCount; ++n)
        decodeChannel(image.channel(n), form.cells[static_cast<std::size_t>(n)]);

    const std::uint8_t f = image[L::kFunctionFlags];
    form.select(Setting::KeyBeep, (f & FF::kKeyBeep) ? 0 : 1);
    form.select(Setting::Scan, (f & FF::kScan) ? 1 : 0);
    const std::uint8_t voice = f & FF::kVoiceMask;
    form.select(Setting::Voice, voice == FF::kVoiceChinese ? 2 : voice == FF::kVoiceEnglish ? 1 : 0);
    form.select(Setting::PowerSave, (f & FF::kPowerSave) ? 1 : 0);
    form.select(Setting::Emergency, (f & FF::kEmergencyMask) >> FF::kEmergencyShift);
    const std::uint8_t squelch = image[L::kSquelch];
    form.select(Setting::Squelch, squelch <= 10 ? squelch : 0);
    const std::uint8_t limit = image[L::kTxTimeLimit];
    form.select(Setting::TxTimeLimit, limit <= 10 ? limit : 0);
    const std::uint8_t monitor = image[L::kMonitor];
    form.select(Setting::Monitor, monitor <= 3 ? monitor : 3);
    form.select(Setting::RejectAlarm, (f & FF::kRejectAlarmOff) ? 1 : 0);

    const std::uint8_t model = image[L::kModelCode];
    if (model == L::kModelCodeFirst)
        form.select(Setting::Model, 0);
    else if (model == L::kModelCodeSecond)
        form.select(Setting::Model, 1);
    // The band list is refilled by the model change, so the band can only be
    // selected after it.
    applyModelChange(form, image);
    const int band = static_cast<int>(image[L::kBandCode]) - L::kBandCodeBase;
    form.select(Setting::Band, (band >= 0 && band <= 4) ? band : 0);
}

void encodeForm(const FormState& form, RadioImage& image) {
    for (int n = 1; n <= L::kChannelCount; ++n)
        encodeChannel(form.cells[static_cast<std::size_t>(n)], image.channel(n));

    // A box without a selection keeps the radio's byte (or bits): writing a
    // made-up value there would corrupt settings the form cannot show.
    std::uint8_t f = image[L::kFunctionFlags];
    auto withSelection = [&](Setting s, auto apply) {
        const int sel = form.selection(s);
        if (sel >= 0)
            apply(sel);
    };
    withSelection(Setting::KeyBeep, [&](int s) { setBit(f, FF::kKeyBeep, s != 1); });
    withSelection(Setting::Scan, [&](int s) { setBit(f, FF::kScan, s != 0); });
    withSelection(Setting::Voice, [&](int s) {
        setField(f, FF::kVoiceMask, s == 0 ? 0 : s == 1 ? FF::kVoiceEnglish : FF::kVoiceChinese);
    });
    withSelection(Setting::PowerSave, [&](int s) { setBit(f, FF::kPowerSave, s == 1); });
    withSelection(Setting::Emergency, [&](int s) {
        const int code = s == 0 ? 0 : s == 3 ? 3 : s == 1 ? 1 : 2;
        setField(f, FF::kEmergencyMask, static_cast<std::uint8_t>(code << FF::kEmergencyShift));
    });
    withSelection(Setting::Squelch, [&](int s) { image[L::kSquelch] = static_cast<std::uint8_t>(s); });
    withSelection(Setting::TxTimeLimit, [&](int s) { image[L::kTxTimeLimit] = static_cast<std::uint8_t>(s); });
    withSelection(Setting::Monitor, [&](int s) { image[L::kMonitor] = static_cast<std::uint8_t>(s); });
    withSelection(Setting::RejectAlarm, [&](int s) { setBit(f, FF::kRejectAlarmOff, s != 0); });
    image[L::kFunctionFlags] = f;
    withSelection(Setting::Model,
                  [&](int s) { image[L::kModelCode] = s != 0 ? L::kModelCodeSecond : L::kModelCodeFirst; });
    withSelection(Setting::Band, [&](int s) { image[L::kBandCode] = static_cast<std::uint8_t>(s + L::kBandCodeBase); });
}

Frequency cellFrequency(const std::string& text) {
    const double scaled = std::round(readNumber(text) * 100000.0);
    // Only 32 bits reach the record; texts that no entry check would let
    // through still convert deterministically instead of overflowing.
    if (!(std::fabs(scaled) < 9.2e18))
        return 0;
    return static_cast<Frequency>(static_cast<std::uint64_t>(static_cast<long long>(scaled)));
}

std::string frequencyText(Frequency f) { return formatFixed(f / 100000.0, 5); }

} // namespace varnok
