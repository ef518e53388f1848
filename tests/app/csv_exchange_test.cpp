#include "app/csv_exchange.h"

#include "image/tones.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace varnok::app {
namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line.substr(0, line.find('\r')));
    return out;
}

std::string refusals(const RowImport& import) {
    std::string out;
    for (const RowRefusal& r : import.refusals)
        out += r.text() + "\n";
    return out;
}

RowCells row(const std::array<const char*, 8>& texts) {
    RowCells cells;
    for (std::size_t c = 0; c < texts.size(); ++c)
        cells[c + 1] = texts[c];
    return cells;
}

/// Each Duplex and tone case, both ways: the cells export as the fields from
/// Frequency to Power (then BusyLock), and those fields import as the cells.
/// No band selection: the split case needs both frequencies outside one range.
struct MappingRow {
    std::array<const char*, 8> cells;
    const char* fields;
    const char* busy;
};
const MappingRow kMapping[] = {
    {{"446.00625", "446.00625", "无", "无", "否", "宽带", "添加", "高"},
     "446.006250,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,6.25,,High", "Off"},
    {{"440.00000", "445.00000", "无", "67.0", "是", "窄带", "删除", "中"},
     "440.000000,+,5.000000,Tone,67.0,88.5,023,NN,023,Tone->Tone,NFM,6.25,S,Mid", "On"},
    {{"145.00500", "144.40000", "100.0", "100.0", "否", "宽带", "添加", "低"},
     "145.005000,-,0.605000,TSQL,88.5,100.0,023,NN,023,Tone->Tone,FM,5.00,,Low", "Off"},
    {{"145.50000", "435.00000", "D023N", "D023N", "否", "宽带", "添加", "高"},
     "145.500000,split,435.000000,DTCS,88.5,88.5,023,NN,023,Tone->Tone,FM,6.25,,High", "Off"},
    {{"440.00000", "", "D754I", "D754I", "否", "宽带", "添加", "高"},
     "440.000000,off,0.000000,DTCS,88.5,88.5,754,RR,023,Tone->Tone,FM,6.25,,High", "Off"},
    {{"440.00000", "440.00000", "100.0", "67.0", "否", "宽带", "添加", "高"},
     "440.000000,,0.000000,Cross,67.0,100.0,023,NN,023,Tone->Tone,FM,6.25,,High", "Off"},
    {{"440.00000", "440.00000", "无", "D754I", "否", "宽带", "添加", "高"},
     "440.000000,,0.000000,Cross,88.5,88.5,754,RN,023,DTCS->,FM,6.25,,High", "Off"},
    {{"440.00000", "440.00000", "D025I", "无", "否", "宽带", "添加", "高"},
     "440.000000,,0.000000,Cross,88.5,88.5,023,NR,025,->DTCS,FM,6.25,,High", "Off"},
    {{"440.00000", "440.00000", "D026N", "71.9", "否", "宽带", "添加", "高"},
     "440.000000,,0.000000,Cross,71.9,88.5,023,NN,026,Tone->DTCS,FM,6.25,,High", "Off"},
    {{"440.00000", "440.00000", "254.1", "D031I", "否", "宽带", "添加", "高"},
     "440.000000,,0.000000,Cross,88.5,254.1,031,RN,023,DTCS->Tone,FM,6.25,,High", "Off"},
    {{"440.00000", "440.00000", "67.0", "无", "否", "宽带", "添加", "高"},
     "440.000000,,0.000000,Cross,88.5,67.0,023,NN,023,->Tone,FM,6.25,,High", "Off"},
    {{"440.00000", "440.00000", "D047I", "D043N", "否", "宽带", "添加", "高"},
     "440.000000,,0.000000,Cross,88.5,88.5,043,NR,047,DTCS->DTCS,FM,6.25,,High", "Off"},
    {{"440.00000", "440.00000", "D023I", "D023N", "否", "宽带", "添加", "高"},
     "440.000000,,0.000000,Cross,88.5,88.5,023,NR,023,DTCS->DTCS,FM,6.25,,High", "Off"},
};

TEST(CsvExchange, EachDuplexAndToneCaseMapsBothWays) {
    FormState form;
    writeTableFrame(form);
    for (std::size_t i = 0; i < std::size(kMapping); ++i) {
        RowCells cells;
        ASSERT_TRUE(enterRow(row(kMapping[i].cells), -1, cells).empty()) << i;
        form.cells[i + 1] = cells;
    }
    const std::vector<std::string> exported = lines(exportCsv(form));
    ASSERT_EQ(exported.size(), std::size(kMapping) + 1);
    EXPECT_EQ(exported[0], "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
                           "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE,BusyLock");
    for (std::size_t i = 0; i < std::size(kMapping); ++i) {
        const std::string number = std::to_string(i + 1);
        EXPECT_EQ(exported[i + 1], number + ",," + kMapping[i].fields + ",,,,,," + kMapping[i].busy);
        // The other way from the fields alone, as another program would write them.
        const RowImport import = importCsv(std::string("Location,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,"
                                                       "DtcsCode,DtcsPolarity,RxDtcsCode,CrossMode,Mode,TStep,Skip,"
                                                       "Power,BusyLock\n") +
                                               number + "," + kMapping[i].fields + "," + kMapping[i].busy,
                                           -1);
        ASSERT_EQ(import.rows.size(), 1u) << refusals(import);
        EXPECT_EQ(import.rows[0].cells, form.cells[i + 1]) << number;
    }
}

TEST(CsvExchange, AHandWrittenFileImportsAsTheRulesSay) {
    const std::string csv = "\xEF\xBB\xBF# written by hand\r\n"
                            "Location;Frequency;Duplex;Offset;Tone;rToneFreq;cToneFreq;DtcsCode;DtcsPolarity;"
                            "RxDtcsCode;CrossMode;Mode;Skip;Power;Name;BusyLock;Extra\r\n"
                            "1;446.006250;;0;;88.5;88.5;023;NN;023;Tone->Tone;NFM;;Low;\"PMR; \"\"1\"\"\";On;x\r\n"
                            "# a comment between rows\r\n"
                            "2;440.000000;split;465.500000;Tone;\"71.9 Hz\";88.5;023;NN;023;;FM;S;Mid;;Off;\r\n"
                            "\r\n"
                            "3;430.0;off;0;TSQL;88.5;123.0;023;NN;023;;FM;;High;;;\n"
                            "4;450;+;5;DTCS;;;23;rr;;;fm;;;;;\n"
                            "5;460;-;0.0125;Cross;67.0;254.1;754;NR;025;DTCS->Tone;;;high;;off;\n"
                            "6;410.00500;;;Cross;;;;RN;\"065\";->DTCS;;;;;;";
    const RowImport import = importCsv(csv, 2);
    EXPECT_EQ(refusals(import), "");
    EXPECT_EQ(import.notice, "the radio has no place for these columns, their values were dropped: Name");
    const std::vector<std::pair<int, RowCells>> expected = {
        {1, row({"446.00625", "446.00625", "无", "无", "是", "窄带", "添加", "低"})},
        {2, row({"440.00000", "465.50000", "无", "71.9", "否", "宽带", "删除", "中"})},
        {3, row({"430.00000", "", "123.0", "123.0", "否", "宽带", "添加", "高"})},
        {4, row({"450.00000", "455.00000", "D023I", "D023I", "否", "宽带", "添加", "高"})},
        {5, row({"460.00000", "459.98750", "254.1", "D754N", "否", "宽带", "添加", "高"})},
        {6, row({"410.00500", "410.00500", "D065N", "无", "否", "宽带", "添加", "高"})},
    };
    ASSERT_EQ(import.rows.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(import.rows[i].channel, expected[i].first);
        EXPECT_EQ(import.rows[i].cells, expected[i].second) << expected[i].first;
    }
    // Channel 1 holds something else, channel 2 the same, the rest nothing.
    FormState form;
    form.cells[1] = row({"400.00000", "400.00000", "无", "无", "否", "宽带", "添加", "高"});
    form.cells[2] = expected[1].second;
    const ImportChanges changes = applyImport(form, import);
    EXPECT_EQ(changes.replaced, std::vector<int>{1});
    EXPECT_EQ(changes.unchanged, std::vector<int>{2});
    EXPECT_EQ(changes.added, (std::vector<int>{3, 4, 5, 6}));
    EXPECT_EQ(form.cells[1], expected[0].second);
}

/// Rows after the header below, under band 2 (400 to 470 MHz), and the
/// refusals and number of rows taken.
const char* const kHeader = "Location,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
                            "RxDtcsCode,CrossMode,Mode,Skip,Power,BusyLock\n";
const std::string kStep = "Error data Value，Please input according the step value(6.25K/5k)";
struct RefusalRow {
    std::string rows, refused;
    std::size_t taken = 0;
};
const RefusalRow kRefusals[] = {
    {"17,440\n0,440\nx,440", "line 2, Location: \"17\": not a channel 1 to 16\nline 3, Location: \"0\": not a "
                             "channel 1 to 16\nline 4, Location: \"x\": not a channel 1 to 16\n"},
    {"1,440\n1,441", "line 3, Location: channel 1 is given on line 2 already\n", 1},
    {"2,", "line 2, Frequency: no receive frequency\n"},
    {"1,480\n2,440.003", "line 2, Frequency: \"480\": Out of range!\nline 3, Frequency: \"440.003\": " + kStep + "\n"},
    {"1,440,+,abc\n2,440,+,40\n3,440,up\n4,440,split", "line 2, Offset: \"abc\": not an offset in MHz\n"
     "line 3, Offset: \"480.00000\": Out of range!\nline 4, Duplex: \"up\": not one of \"\", +, -, split, off\n"
     "line 5, Offset: a split needs the transmit frequency\n"},
    {"1,440,,,Tone,66.9\n2,440,,,TSQL,,D023N\n3,440,,,DTCS,,,024\n4,440,,,DTCS,,,023,NX",
     "line 2, rToneFreq: \"66.9\": not a CTCSS tone of the radio\nline 3, cToneFreq: \"D023N\": not a CTCSS tone of "
     "the radio\nline 4, DtcsCode: \"024\": not a DCS code of the radio\nline 5, DtcsPolarity: \"NX\": not two "
     "letters N or R\n"},
    {"1,440,,,Cross,,,,,,Tone->X\n2,440,,,Cross,,,,,,->\n3,440,,,Sql",
     "line 2, CrossMode: \"Tone->X\": not a cross mode the radio has\nline 3, CrossMode: \"->\": not a cross mode "
     "the radio has\nline 4, Tone: \"Sql\": not one of \"\", Tone, TSQL, DTCS, Cross\n"},
    {"1,440,,,,,,,,,,AM\n2,440,,,,,,,,,,,P\n3,440,,,,,,,,,,,,5W\n4,440,,,,,,,,,,,,,Yes\n5,440,,,,,,,,,,,,Med",
     "line 2, Mode: \"AM\": not one of FM, NFM\nline 3, Skip: \"P\": not one of \"\", S\nline 4, Power: \"5W\": not "
     "one of High, Mid, Low\nline 5, BusyLock: \"Yes\": not one of On, Off\n", 1},
};

TEST(CsvExchange, RefusedRowsAreListedAndTheOthersTaken) {
    for (const RefusalRow& r : kRefusals) {
        const RowImport import = importCsv(kHeader + r.rows, 2);
        EXPECT_EQ(refusals(import), r.refused) << r.rows;
        EXPECT_EQ(import.rows.size(), r.taken) << r.rows;
        EXPECT_TRUE(import.readable);
    }
    for (const char* text : {"", "# only a comment\n", "Name,Frequency\n1,440", "Location;Freq\n"}) {
        const RowImport import = importCsv(text, 2);
        EXPECT_FALSE(import.readable) << text;
        EXPECT_EQ(import.refusals.size(), 1u) << text;
    }
}

TEST(CsvExchange, RandomFormsComeBackThroughExportAndImport) {
    std::mt19937 random(7);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 40; ++round) {
        const int band = pick(4);
        const BandRange range = kBandRanges[static_cast<std::size_t>(band)];
        const auto frequency = [&] {
            const Frequency step = pick(2) ? 625 : 500;
            return frequencyText((range.lowest + step - 1) / step * step + step * static_cast<Frequency>(pick(
                                     static_cast<int>((range.highest - range.lowest) / step))));
        };
        FormState form;
        form.select(Setting::Band, band);
        for (int channel = 1; channel < kTableRows; ++channel) {
            if (pick(4) == 0)
                continue;
            const int txKind = pick(3);
            RowCells typed;
            typed[1] = frequency();
            typed[2] = txKind == 0 ? typed[1] : txKind == 1 ? frequency() : "";
            for (int col : {3, 4})
                typed[static_cast<std::size_t>(col)] = toneTable()[static_cast<std::size_t>(pick(261))];
            for (int col = 5; col < column::kCount; ++col)
                typed[static_cast<std::size_t>(col)] =
                    columnEntries(col)[static_cast<std::size_t>(pick(static_cast<int>(columnEntries(col).size())))];
            ASSERT_TRUE(enterRow(typed, band, form.cells[static_cast<std::size_t>(channel)]).empty());
        }
        FormState back;
        const RowImport import = importCsv(exportCsv(form), band);
        EXPECT_EQ(refusals(import), "");
        applyImport(back, import);
        EXPECT_EQ(back.cells, form.cells) << round;
    }
}

/// Pasted text, the channel it goes to, and the first cells of the rows
/// taken (channel, rx, tx, power), then the refusals.
struct PasteRow {
    std::string text;
    int first;
    std::string taken, refused;
};
const PasteRow kPastes[] = {
    // Varnok's own rows, then the same rows by a spreadsheet without the
    // channel column and header, with quotes and CRLF.
    {"*", 15, "15 440.00000 440.00000 低|16 450.00000 455.00000 高|", ""},
    {"440\t\t无\t\"88.5\"\t是\t宽带\t添加\t中\r\n\t\t\t\t\t\t\t\r\n", 1, "1 440.00000 (empty) 中|2 (empty) (empty) (empty)|", ""},
    // Columns by the header, in any order, the missing ones taking the row defaults.
    {"功率\t接收频率(MHz)\n低\t460\n", 3, "3 460.00000 460.00000 低|", ""},
    {"*", 16, "16 440.00000 440.00000 低|", "line 3: beyond channel 16\n"},
    {"470.1\n\t\t\t67.0\n460\t\tD999N\n", 1, "",
     "line 1, 接收频率(MHz): \"470.1\": Out of range!\nline 2, QT/DQT编码: \"67.0\": no frequency in this row\n"
     "line 3, QT/DQT解码: \"D999N\": not a tone name\n"},
};

TEST(CsvExchange, ClipboardRowsCarryTheGridsColumns) {
    FormState form;
    writeTableFrame(form);
    form.cells[2] = row({"440.00000", "440.00000", "D023N", "88.5", "是", "窄带", "删除", "低"});
    form.cells[5] = row({"450.00000", "455.00000", "无", "无", "否", "宽带", "添加", "高"});
    const std::string copied = rowsToTsv(form, {2, 5});
    EXPECT_EQ(copied, "信道\t接收频率(MHz)\t发射频率(MHz)\tQT/DQT解码\tQT/DQT编码\t繁忙锁定\t宽/窄带\t扫描\t功率\n"
                      "2\t440.00000\t440.00000\tD023N\t88.5\t是\t窄带\t删除\t低\n"
                      "5\t450.00000\t455.00000\t无\t无\t否\t宽带\t添加\t高\n");
    const RowImport own = parseTsvRows(copied, 9, 2);
    ASSERT_EQ(own.rows.size(), 2u);
    EXPECT_EQ(own.rows[0].cells, form.cells[2]);
    EXPECT_EQ(own.rows[1].cells, form.cells[5]);
    for (const PasteRow& p : kPastes) {
        const RowImport pasted = parseTsvRows(p.text == "*" ? copied : p.text, p.first, 2);
        std::string taken;
        for (const RowImport::Row& r : pasted.rows) {
            taken += std::to_string(r.channel);
            for (int col : {1, 2, 8})
                taken += " " + (r.cells[static_cast<std::size_t>(col)].empty() ? "(empty)" : r.cells[static_cast<std::size_t>(col)]);
            taken += "|";
        }
        EXPECT_EQ(taken, p.taken) << p.text;
        EXPECT_EQ(refusals(pasted), p.refused) << p.text;
    }
}

} // namespace
} // namespace varnok::app
