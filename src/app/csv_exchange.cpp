#include "app/csv_exchange.h"

#include "editor/entry_rules.h"
#include "image/number.h"
#include "image/tones.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>

namespace varnok::app {
namespace {

std::size_t at(int col) { return static_cast<std::size_t>(col); }

// ---------------------------------------------------------------- text

struct Record {
    int line = 0;
    std::vector<std::string> fields;
};

/// Splits delimited text into records. A quote opens a quoted field only
/// at the start of a field, so a stray quote inside a value stays a quote;
/// "" inside a quoted field is one quote, and line breaks there belong to
/// the value. A record that starts with '#' is a comment; blank lines are
/// skipped.
std::vector<Record> readRecords(std::string_view text, char separator) {
    std::vector<Record> records;
    const std::size_t n = text.size();
    std::size_t i = 0;
    int line = 1;
    while (i < n) {
        if (text[i] == '#') {
            while (i < n && text[i] != '\n')
                ++i;
            ++i;
            ++line;
            continue;
        }
        Record record{line, {}};
        std::string field;
        bool quoted = false;
        bool fieldStart = true;
        while (i < n) {
            const char c = text[i++];
            if (quoted) {
                if (c == '"' && i < n && text[i] == '"') {
                    field += '"';
                    ++i;
                } else if (c == '"') {
                    quoted = false;
                } else {
                    if (c == '\n')
                        ++line;
                    field += c;
                }
            } else if (c == '"' && fieldStart) {
                quoted = true;
                fieldStart = false;
            } else if (c == separator) {
                record.fields.push_back(std::move(field));
                field.clear();
                fieldStart = true;
            } else if (c == '\n') {
                ++line;
                break;
            } else if (c != '\r' || (i < n && text[i] != '\n')) {
                field += c;
                fieldStart = false;
            }
        }
        record.fields.push_back(std::move(field));
        if (record.fields.size() > 1 || !record.fields[0].empty())
            records.push_back(std::move(record));
    }
    return records;
}

std::string trimmed(std::string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isCSpace(text[first]))
        ++first;
    while (last > first && isCSpace(text[last - 1]))
        --last;
    return std::string(text.substr(first, last - first));
}

std::string lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

/// A value as a message quotes it, cut so that one line stays readable.
std::string quoted(const std::string& value) {
    constexpr std::size_t kLongest = 40;
    return "\"" + (value.size() > kLongest ? value.substr(0, kLongest) + "..." : value) + "\"";
}

/// A whole text that is a decimal number, nothing before or after it:
/// a CSV value is not typed, so "145abc" is a mistake, not 145.
std::optional<double> strictNumber(const std::string& text) {
    if (text.empty() || isCSpace(text[0]))
        return std::nullopt;
    std::size_t digits = 0;
    std::size_t points = 0;
    for (std::size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9')
            ++digits;
        else if (text[i] == '.')
            ++points;
        else
            return std::nullopt;
    }
    if (digits == 0 || points > 1)
        return std::nullopt;
    return readNumber(text);
}

std::optional<int> strictInteger(const std::string& text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits)
        return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9')
            return std::nullopt;
    return readInteger(text);
}

std::string joined(const std::vector<std::string>& items, const std::string& separator) {
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : separator) + item;
    return out;
}

// ---------------------------------------------------------------- tones

/// A tone as the radio stores it, read from a cell the way encoding does.
struct Tone {
    enum class Kind { None, Ctcss, Dcs } kind = Kind::None;
    int value = 0;        ///< tenths of a hertz, or the DCS code digits
    bool inverted = false;

    friend bool operator==(const Tone& a, const Tone& b) {
        return a.kind == b.kind && a.value == b.value && a.inverted == b.inverted;
    }
};

Tone toneOfCell(const std::string& cell) {
    const ToneCode code = toneCode(cell);
    if (code.high == 0x00 || code.high == 0xFF)
        return {};
    if (code.high >= 0x80) {
        const bool inverted = code.high >= 0xC0;
        return {Tone::Kind::Dcs, 100 * (code.high - (inverted ? 0xC0 : 0x80)) + fromBcd(code.low), inverted};
    }
    return {Tone::Kind::Ctcss, 100 * fromBcd(code.high) + fromBcd(code.low), false};
}

constexpr const char* kDefaultCtcss = "88.5";
constexpr const char* kDefaultDcs = "023";

std::string ctcssText(int tenths) { return formatFixed(tenths / 10.0, 1); }

std::string dcsText(int code) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%03d", code);
    return buffer;
}

const char* modeSide(const Tone& t) {
    return t.kind == Tone::Kind::Ctcss ? "Tone" : t.kind == Tone::Kind::Dcs ? "DTCS" : "";
}

// ---------------------------------------------------------------- CSV columns

enum CsvColumn {
    kLocation,
    kName,
    kFrequency,
    kDuplex,
    kOffset,
    kToneMode,
    kRToneFreq,
    kCToneFreq,
    kDtcsCode,
    kDtcsPolarity,
    kRxDtcsCode,
    kCrossMode,
    kMode,
    kTStep,
    kSkip,
    kPower,
    kComment,
    kUrCall,
    kRpt1Call,
    kRpt2Call,
    kDvCode,
    kBusyLock,
    kCsvColumnCount,
};

/// Columns the radio has no place for: values there are dropped, with a notice.
constexpr CsvColumn kDropped[] = {kName, kComment, kUrCall, kRpt1Call, kRpt2Call, kDvCode};

/// The list texts of the grid and their CSV spellings, grid entry order.
struct Spelling {
    int col;
    std::vector<std::pair<const char*, std::string>> values; ///< CSV text (compared ignoring case), cell text
};
const std::vector<Spelling>& spellings() {
    static const std::vector<Spelling> list = {
        {column::kBusyLock, {{"On", cellText::kBusyOn}, {"Off", cellText::kBusyOff}}},
        {column::kBandwidth, {{"FM", cellText::kWide}, {"NFM", cellText::kNarrow}}},
        {column::kScan, {{"", cellText::kScanAdd}, {"S", cellText::kScanDelete}}},
        {column::kPower, {{"High", cellText::kPowerHigh}, {"Mid", cellText::kPowerMedium}, {"Low", cellText::kPowerLow}}},
    };
    return list;
}

constexpr CsvColumn csvColumnOf(int gridCol) {
    switch (gridCol) {
    case column::kBusyLock:
        return kBusyLock;
    case column::kBandwidth:
        return kMode;
    case column::kScan:
        return kSkip;
    default:
        return kPower;
    }
}

/// The CSV text for a list cell as encoding reads it: one exact text sets
/// the bit, any other clears it (power: anything but 低 and 中 is high).
std::string csvListValue(const Spelling& s, const std::string& cell) {
    for (const auto& [csv, text] : s.values)
        if (cell == text)
            return csv;
    if (s.col == column::kScan)
        return "S";
    return s.col == column::kPower ? "High" : s.values.back().first;
}

std::string mhz(Frequency f) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%u.%06u", static_cast<unsigned>(f / 100000),
                  static_cast<unsigned>(f % 100000 * 10));
    return buffer;
}

/// +/- needs both frequencies in one band range; anything wider is a split.
bool oneBand(Frequency a, Frequency b) {
    return std::any_of(kBandRanges.begin(), kBandRanges.end(), [&](const BandRange& r) {
        return a >= r.lowest && a <= r.highest && b >= r.lowest && b <= r.highest;
    });
}

// ---------------------------------------------------------------- CSV import

/// One record read by header name.
class CsvRow {
public:
    CsvRow(const Record& record, const std::array<int, kCsvColumnCount>& index) : m_record(record), m_index(index) {}

    bool has(CsvColumn c) const { return m_index[at(c)] >= 0; }
    std::string operator[](CsvColumn c) const {
        const int i = m_index[at(c)];
        return i >= 0 && at(i) < m_record.fields.size() ? trimmed(m_record.fields[at(i)]) : std::string();
    }

private:
    const Record& m_record;
    const std::array<int, kCsvColumnCount>& m_index;
};

/// Maps one CSV row to the texts a user would type into the grid, noting
/// which CSV column each grid cell came from for the messages.
class RowMapper {
public:
    RowMapper(const CsvRow& row, int band) : m_row(row), m_band(band) {}

    std::vector<RowRefusal> refusals;
    RowCells typed;
    std::array<CsvColumn, column::kCount> source{};

    void map(int line) {
        m_line = line;
        mapFrequencies();
        mapTones();
        for (const Spelling& s : spellings())
            mapList(s);
    }

private:
    void refuse(CsvColumn c, const std::string& reason) {
        // TSQL and DTCS read one field for both sides: one fault, one line.
        if (refusals.empty() || refusals.back().reason != reason)
            refusals.push_back({m_line, csvColumns()[at(c)], reason});
    }

    void mapFrequencies() {
        const std::string rx = m_row[kFrequency];
        source[at(column::kRxFrequency)] = source[at(column::kTxFrequency)] = kFrequency;
        if (rx.empty())
            return refuse(kFrequency, "no receive frequency");
        typed[at(column::kRxFrequency)] = rx;
        const std::string duplex = lower(m_row[kDuplex]);
        const std::string offset = m_row[kOffset];
        if (duplex.empty()) {
            typed[at(column::kTxFrequency)] = rx;
        } else if (duplex == "split") {
            source[at(column::kTxFrequency)] = kOffset;
            typed[at(column::kTxFrequency)] = offset;
            if (offset.empty())
                refuse(kOffset, "a split needs the transmit frequency");
        } else if (duplex == "+" || duplex == "-") {
            source[at(column::kTxFrequency)] = kOffset;
            const FrequencyCheck check = checkFrequencyEntry(rx, CheckMode::Leave, m_band);
            const std::optional<double> mhzOffset = strictNumber(offset);
            if (!mhzOffset || *mhzOffset < 0)
                return refuse(kOffset, quoted(offset) + ": not an offset in MHz");
            if (check.outcome != FrequencyCheck::Outcome::Accepted)
                return; // the check of the receive frequency names the fault
            const double tx = static_cast<double>(cellFrequency(check.text)) +
                              (duplex == "+" ? 1.0 : -1.0) * std::round(*mhzOffset * 100000.0);
            typed[at(column::kTxFrequency)] = tx > 0 && tx < 4.0e9 ? frequencyText(static_cast<Frequency>(tx)) : "-1";
        } else if (duplex != "off") {
            refuse(kDuplex, quoted(m_row[kDuplex]) + ": not one of \"\", +, -, split, off");
        }
    }

    /// One side's tone: CTCSS from `freq`, DCS from `code` with polarity
    /// letter `polarity` (N normal, R inverted), as a tone table name.
    std::string tone(const std::string& side, CsvColumn freq, CsvColumn code, char polarity, int col) {
        if (side == "tone") {
            source[at(col)] = freq;
            std::string value = m_row[freq];
            if (value.size() > 2 && lower(value.substr(value.size() - 2)) == "hz")
                value = trimmed(value.substr(0, value.size() - 2));
            const std::optional<double> hz = strictNumber(value);
            const std::string name = hz ? formatFixed(*hz, 1) : value;
            if (!hz || findTone(name) < 1)
                refuse(freq, quoted(m_row[freq]) + ": not a CTCSS tone of the radio");
            return name;
        }
        if (side == "dtcs") {
            source[at(col)] = code;
            const std::optional<int> digits = strictInteger(m_row[code], 3);
            const std::string name = digits ? "D" + dcsText(*digits) + (polarity == 'R' ? "I" : "N") : "";
            if (!digits || findTone(name) < 0)
                refuse(code, quoted(m_row[code]) + ": not a DCS code of the radio");
            return name;
        }
        return kNoTone;
    }

    void mapTones() {
        const std::string mode = lower(m_row[kToneMode]);
        source[at(column::kDecodeTone)] = source[at(column::kEncodeTone)] = kToneMode;
        std::string tx, rx; // sides: "", "tone", "dtcs"
        CsvColumn rxFreq = kCToneFreq;
        CsvColumn rxCode = kRxDtcsCode;
        if (mode == "tone") {
            tx = "tone";
        } else if (mode == "tsql") {
            tx = rx = "tone";
            m_txFreq = kCToneFreq;
        } else if (mode == "dtcs") {
            tx = rx = "dtcs";
            rxCode = kDtcsCode;
        } else if (mode == "cross") {
            const std::string cross = lower(m_row[kCrossMode]);
            const std::size_t arrow = cross.find("->");
            tx = cross.substr(0, std::min(arrow, cross.size()));
            rx = arrow == std::string::npos ? "?" : cross.substr(arrow + 2);
            const auto side = [](const std::string& s) { return s.empty() || s == "tone" || s == "dtcs"; };
            if (!side(tx) || !side(rx) || (tx.empty() && rx.empty()))
                return refuse(kCrossMode, quoted(m_row[kCrossMode]) + ": not a cross mode the radio has");
        } else if (!mode.empty()) {
            return refuse(kToneMode, quoted(m_row[kToneMode]) + ": not one of \"\", Tone, TSQL, DTCS, Cross");
        }
        std::string polarity = m_row[kDtcsPolarity];
        for (char& c : polarity)
            c = c == 'n' ? 'N' : c == 'r' ? 'R' : c;
        if (polarity.empty())
            polarity = "NN";
        if ((tx == "dtcs" || rx == "dtcs") &&
            (polarity.size() != 2 || polarity.find_first_not_of("NR") != std::string::npos))
            return refuse(kDtcsPolarity, quoted(m_row[kDtcsPolarity]) + ": not two letters N or R");
        typed[at(column::kEncodeTone)] = tone(tx, m_txFreq, kDtcsCode, polarity[0], column::kEncodeTone);
        typed[at(column::kDecodeTone)] = tone(rx, rxFreq, rxCode, polarity.size() > 1 ? polarity[1] : 'N',
                                              column::kDecodeTone);
    }

    void mapList(const Spelling& s) {
        const CsvColumn c = csvColumnOf(s.col);
        source[at(s.col)] = c;
        if (!m_row.has(c))
            return; // the row default
        const std::string value = lower(m_row[c]);
        if (value.empty() && s.col != column::kScan)
            return;
        std::vector<std::string> names;
        for (const auto& [csv, text] : s.values) {
            if (value == lower(csv) || (s.col == column::kPower && value == "med" && text == cellText::kPowerMedium)) {
                typed[at(s.col)] = text;
                return;
            }
            names.push_back(*csv ? csv : "\"\"");
        }
        refuse(c, quoted(m_row[c]) + ": not one of " + joined(names, ", "));
    }

    const CsvRow& m_row;
    int m_band;
    int m_line = 0;
    CsvColumn m_txFreq = kRToneFreq;
};

char headerSeparator(std::string_view text) {
    // The first line that is neither blank nor a comment is the header.
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(start, end - start);
        if (!trimmed(line).empty() && line[0] != '#')
            return std::count(line.begin(), line.end(), ';') > std::count(line.begin(), line.end(), ',') ? ';' : ',';
        start = end + 1;
    }
    return ',';
}

std::string_view withoutBom(std::string_view text) {
    return text.substr(0, 3) == "\xEF\xBB\xBF" ? text.substr(3) : text;
}

} // namespace

// ---------------------------------------------------------------- rows

std::string csvField(const std::string& value, char separator) {
    if (value.find_first_of(std::string("\"\r\n") + separator) == std::string::npos)
        return value;
    std::string out = "\"";
    for (char c : value)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

std::string RowRefusal::text() const {
    return "line " + std::to_string(line) + (column.empty() ? "" : ", " + column) + ": " + reason;
}

std::vector<CellRefusal> enterRow(const RowCells& typed, int bandSelection, RowCells& cells) {
    constexpr int kRow = 1;
    FormState scratch;
    std::vector<CellRefusal> refusals;
    for (int col : {column::kRxFrequency, column::kTxFrequency}) {
        const std::string& text = typed[at(col)];
        std::string committed;
        // A transmit text equal to a refused receive text is the same fault.
        if (col == column::kTxFrequency && !refusals.empty() && text == typed[at(column::kRxFrequency)])
            continue;
        if (!text.empty()) {
            const FrequencyCheck check = checkFrequencyEntry(text, CheckMode::Leave, bandSelection);
            if (check.outcome != FrequencyCheck::Outcome::Accepted) {
                std::vector<std::string> messages;
                for (EntryMessage m : check.messages)
                    messages.emplace_back(entryMessageText(m));
                refusals.push_back({col, quoted(text) + ": " + joined(messages, "; ")});
                continue;
            }
            committed = check.text;
        }
        // A first receive frequency is copied to transmit; an empty transmit
        // text then takes it out again, as clearing the cell does.
        if (committed != scratch.cell(kRow, col))
            writeFrequency(scratch, kRow, col, committed);
    }
    // The other cells' row rule would only repeat a refused frequency.
    if (!refusals.empty())
        return refusals;
    const bool hasFrequency = rowHasFrequency(scratch, kRow);
    for (int col = column::kDecodeTone; col < column::kCount; ++col) {
        const std::string& text = typed[at(col)];
        std::string& cell = scratch.cell(kRow, col);
        if (text.empty()) {
            cell = hasFrequency ? rowDefaults()[at(col)] : "";
        } else if (!hasFrequency) {
            refusals.push_back({col, quoted(text) + ": no frequency in this row"});
        } else if (col == column::kDecodeTone || col == column::kEncodeTone) {
            if (findTone(text) < 0)
                refusals.push_back({col, quoted(text) + ": not a tone name"});
            else
                cell = normalizeToneName(text);
        } else {
            const std::vector<std::string>& entries = columnEntries(col);
            if (std::find(entries.begin(), entries.end(), text) == entries.end())
                refusals.push_back({col, quoted(text) + ": not one of " + joined(entries, ", ")});
            else
                cell = text;
        }
    }
    if (refusals.empty()) {
        cells = scratch.cells[kRow];
        cells[at(column::kChannel)].clear();
    }
    return refusals;
}

ImportChanges importChanges(const FormState& form, const RowImport& import) {
    ImportChanges changes;
    for (const RowImport::Row& row : import.rows) {
        bool empty = true;
        bool same = true;
        for (int col = column::kRxFrequency; col < column::kCount; ++col) {
            empty = empty && form.cell(row.channel, col).empty();
            same = same && form.cell(row.channel, col) == row.cells[at(col)];
        }
        (same ? changes.unchanged : empty ? changes.added : changes.replaced).push_back(row.channel);
    }
    return changes;
}

ImportChanges applyImport(FormState& form, const RowImport& import) {
    ImportChanges changes = importChanges(form, import);
    for (const RowImport::Row& row : import.rows)
        for (int col = column::kRxFrequency; col < column::kCount; ++col)
            form.cell(row.channel, col) = row.cells[at(col)];
    return changes;
}

// ---------------------------------------------------------------- CSV

const std::vector<std::string>& csvColumns() {
    static const std::vector<std::string> names = {
        "Location", "Name",  "Frequency", "Duplex", "Offset",  "Tone",     "rToneFreq", "cToneFreq",
        "DtcsCode", "DtcsPolarity", "RxDtcsCode", "CrossMode", "Mode", "TStep",   "Skip",      "Power",
        "Comment",  "URCALL", "RPT1CALL", "RPT2CALL", "DVCODE", "BusyLock",
    };
    return names;
}

std::string exportCsv(const FormState& form) {
    std::string out = joined(csvColumns(), ",") + "\r\n";
    for (int row = 1; row < kTableRows; ++row) {
        const Frequency rx = cellFrequency(form.cell(row, column::kRxFrequency));
        if (rx == 0)
            continue;
        const Frequency tx = cellFrequency(form.cell(row, column::kTxFrequency));
        std::array<std::string, kCsvColumnCount> v;
        v[kLocation] = std::to_string(row);
        v[kFrequency] = mhz(rx);
        v[kDuplex] = tx == 0 ? "off" : tx == rx ? "" : oneBand(rx, tx) ? (tx > rx ? "+" : "-") : "split";
        v[kOffset] = mhz(v[kDuplex] == "split" ? tx : tx > rx ? tx - rx : tx == 0 ? 0 : rx - tx);

        const Tone txTone = toneOfCell(form.cell(row, column::kEncodeTone));
        const Tone rxTone = toneOfCell(form.cell(row, column::kDecodeTone));
        v[kRToneFreq] = v[kCToneFreq] = kDefaultCtcss;
        v[kDtcsCode] = v[kRxDtcsCode] = kDefaultDcs;
        v[kCrossMode] = "Tone->Tone";
        std::string polarity = "NN";
        using K = Tone::Kind;
        if (txTone.kind == K::Ctcss && rxTone.kind == K::None) {
            v[kToneMode] = "Tone";
        } else if (txTone.kind == K::Ctcss && txTone == rxTone) {
            v[kToneMode] = "TSQL";
        } else if (txTone.kind == K::Dcs && txTone == rxTone) {
            v[kToneMode] = "DTCS";
        } else if (txTone.kind != K::None || rxTone.kind != K::None) {
            v[kToneMode] = "Cross";
            v[kCrossMode] = std::string(modeSide(txTone)) + "->" + modeSide(rxTone);
        }
        if (txTone.kind == K::Ctcss)
            v[v[kToneMode] == "TSQL" ? kCToneFreq : kRToneFreq] = ctcssText(txTone.value);
        if (rxTone.kind == K::Ctcss)
            v[kCToneFreq] = ctcssText(rxTone.value);
        if (txTone.kind == K::Dcs) {
            v[kDtcsCode] = dcsText(txTone.value);
            polarity[0] = txTone.inverted ? 'R' : 'N';
        }
        if (rxTone.kind == K::Dcs) {
            v[v[kToneMode] == "DTCS" ? kDtcsCode : kRxDtcsCode] = dcsText(rxTone.value);
            polarity[1] = rxTone.inverted ? 'R' : 'N';
        }
        v[kDtcsPolarity] = polarity;
        for (const Spelling& s : spellings())
            v[csvColumnOf(s.col)] = csvListValue(s, form.cell(row, s.col));
        // The radio stores a 5 kHz step only for what 6.25 kHz does not divide.
        v[kTStep] = rx % 625 == 0 ? "6.25" : "5.00";

        std::string line;
        for (std::size_t c = 0; c < v.size(); ++c)
            line += (c ? "," : "") + csvField(v[c]);
        out += line + "\r\n";
    }
    return out;
}

RowImport importCsv(std::string_view text, int bandSelection) {
    RowImport result;
    text = withoutBom(text);
    const std::vector<Record> records = readRecords(text, headerSeparator(text));
    if (records.empty()) {
        result.refusals.push_back({1, "", "no header line"});
        result.readable = false;
        return result;
    }
    std::array<int, kCsvColumnCount> index;
    index.fill(-1);
    const Record& header = records.front();
    for (std::size_t f = 0; f < header.fields.size(); ++f)
        for (std::size_t c = 0; c < csvColumns().size(); ++c)
            if (lower(trimmed(header.fields[f])) == lower(csvColumns()[c]) && index[c] < 0)
                index[c] = static_cast<int>(f);
    for (CsvColumn needed : {kLocation, kFrequency})
        if (index[needed] < 0)
            result.refusals.push_back({header.line, "", "no " + csvColumns()[at(needed)] + " column in the header"});
    if (!result.refusals.empty()) {
        result.readable = false;
        return result;
    }

    std::map<int, int> lineOfChannel;
    std::set<std::string> dropped;
    for (std::size_t r = 1; r < records.size(); ++r) {
        const Record& record = records[r];
        const CsvRow row(record, index);
        const std::optional<int> location = strictInteger(row[kLocation], 2);
        if (!location || *location < 1 || *location >= kTableRows) {
            result.refusals.push_back({record.line, "Location", quoted(row[kLocation]) + ": not a channel 1 to 16"});
            continue;
        }
        if (const auto seen = lineOfChannel.find(*location); seen != lineOfChannel.end()) {
            result.refusals.push_back({record.line, "Location",
                                       "channel " + std::to_string(*location) + " is given on line " +
                                           std::to_string(seen->second) + " already"});
            continue;
        }
        lineOfChannel[*location] = record.line;
        RowMapper mapper(row, bandSelection);
        mapper.map(record.line);
        if (!mapper.refusals.empty()) {
            result.refusals.insert(result.refusals.end(), mapper.refusals.begin(), mapper.refusals.end());
            continue;
        }
        RowImport::Row taken{*location, {}};
        const std::vector<CellRefusal> cells = enterRow(mapper.typed, bandSelection, taken.cells);
        for (const CellRefusal& cell : cells)
            result.refusals.push_back({record.line, csvColumns()[at(mapper.source[at(cell.col)])], cell.reason});
        if (!cells.empty())
            continue;
        result.rows.push_back(taken);
        for (CsvColumn c : kDropped)
            if (!row[c].empty())
                dropped.insert(csvColumns()[at(c)]);
    }
    if (!dropped.empty())
        result.notice = "the radio has no place for these columns, their values were dropped: " +
                        joined(std::vector<std::string>(dropped.begin(), dropped.end()), ", ");
    return result;
}

// ---------------------------------------------------------------- clipboard

std::string rowsToTsv(const FormState& form, const std::vector<int>& channels) {
    const auto line = [](std::array<std::string, column::kCount> cells) {
        std::string out;
        for (std::size_t col = 0; col < cells.size(); ++col) {
            std::string& clean = cells[col];
            // A tab or line break inside a cell would shift every column after it.
            std::replace_if(clean.begin(), clean.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
            out += (col ? "\t" : "") + clean;
        }
        return out + "\n";
    };
    std::string out = line(columnHeaders());
    for (int channel : channels) {
        if (channel < 1 || channel >= kTableRows)
            continue;
        std::array<std::string, column::kCount> cells = form.cells[at(channel)];
        cells[at(column::kChannel)] = std::to_string(channel);
        out += line(cells);
    }
    return out;
}

RowImport parseTsvRows(std::string_view text, int firstChannel, int bandSelection) {
    RowImport result;
    std::vector<Record> records = readRecords(withoutBom(text), '\t');
    // Which field holds which grid column: by the header when there is one.
    std::array<int, column::kCount> field;
    field.fill(-1);
    const auto isHeader = [](const std::string& name) {
        const auto& headers = columnHeaders();
        return std::find(headers.begin() + 1, headers.end(), trimmed(name)) != headers.end();
    };
    const bool byHeader =
        !records.empty() && std::any_of(records[0].fields.begin(), records[0].fields.end(), isHeader);
    if (byHeader) {
        for (std::size_t f = 0; f < records[0].fields.size(); ++f)
            for (int col = column::kRxFrequency; col < column::kCount; ++col)
                if (trimmed(records[0].fields[f]) == columnHeaders()[at(col)] && field[at(col)] < 0)
                    field[at(col)] = static_cast<int>(f);
        records.erase(records.begin());
    }
    int channel = firstChannel;
    for (const Record& record : records) {
        RowCells typed;
        const int skip = record.fields.size() >= column::kCount ? 1 : 0;
        for (int col = column::kRxFrequency; col < column::kCount; ++col) {
            const int f = byHeader ? field[at(col)] : col - 1 + skip;
            if (f >= 0 && at(f) < record.fields.size())
                typed[at(col)] = trimmed(record.fields[at(f)]);
        }
        // A header without the transmit column leaves transmit as a first
        // receive frequency sets it, not emptied.
        if (byHeader && field[at(column::kTxFrequency)] < 0)
            typed[at(column::kTxFrequency)] = typed[at(column::kRxFrequency)];
        const int target = channel++;
        if (target < 1 || target >= kTableRows) {
            result.refusals.push_back({record.line, "", "beyond channel 16"});
            continue;
        }
        RowImport::Row taken{target, {}};
        const std::vector<CellRefusal> cells = enterRow(typed, bandSelection, taken.cells);
        for (const CellRefusal& cell : cells)
            result.refusals.push_back({record.line, columnHeaders()[at(cell.col)], cell.reason});
        if (cells.empty())
            result.rows.push_back(taken);
    }
    return result;
}

} // namespace varnok::app
