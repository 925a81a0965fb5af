// The record file: its byte layout, the record count of any file length, the timed recording's
// entry count, a continuous recording's appends, and the CSV export.
#include "common/date_format.h"
#include "record/record_csv.h"
#include "record/record_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <bit>
#include <csignal>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace tavrin;

namespace {

// One record laid out by hand from the format's table, with the filler made visible.
std::vector<uint8_t> HandRecord(double time = 45658.5)
{
    std::vector<uint8_t> b(kRecordBytes, 0xEE);
    auto put = [&](size_t at, uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    put(0, std::bit_cast<uint64_t>(time), 8);  // 1 Jan 2025 12:00
    put(8, std::bit_cast<uint64_t>(433.92), 8);
    std::copy_n("10MHZ/DIV   ", 12, &b[16]);
    put(28, 0xFFEC, 2);  // -20
    std::copy_n("30KHZ   ", 8, &b[30]);
    for (int i = 0; i < 500; ++i)
        put(38 + 2 * i, static_cast<uint16_t>(i * 7 - 300), 2);
    return b;
}

void WriteBytes(const std::string &path, const std::vector<uint8_t> &bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), bytes.size());
}

class RecordFileTest : public ::testing::Test {
protected:
    test::TempConfigHome home;
    std::string path = home.Path() + "/r.spf";
};

TEST_F(RecordFileTest, ARecordLoadsFieldByFieldAndIsWrittenBackByteForByte)
{
    const std::vector<uint8_t> hand = HandRecord();
    const TraceRecord r = DecodeRecord(hand.data());
    EXPECT_EQ(FormatScreenTime(FromRecordTime(r.time)), "Jan. 01 / 2025  12:00:00");
    EXPECT_EQ(ToRecordTime(FromRecordTime(r.time)), 45658.5);
    EXPECT_EQ(r.centerFreqMHz, 433.92);
    EXPECT_EQ(FieldText(r.spanCaption), "10MHZ/DIV   ");
    EXPECT_EQ(r.refLevelDbm, -20);
    EXPECT_EQ(FieldText(r.rbwCaption), "30KHZ   ");
    EXPECT_EQ(r.points[0], -300);
    EXPECT_EQ(r.points[499], 3193);
    const RecordBytes written = EncodeRecord(r);
    EXPECT_TRUE(std::equal(hand.begin(), hand.begin() + kRecordDataBytes, written.begin()));
    EXPECT_EQ(FieldText(FixedText<12>("10MHZ/DIV")), "10MHZ/DIV   ") << "a 10-character caption keeps 2 blanks";
}

TEST_F(RecordFileTest, AnyFileLengthGivesTheRoundedRecordCount)
{
    const std::vector<uint8_t> hand = HandRecord();
    struct Case {
        size_t bytes;
        size_t records;  // 0: the table stays as it was
    } cases[] = {{0, 0}, {529, 0}, {530, 0}, {531, 1}, {1590, 2}, {2650, 2}, {3180, 3}};
    for (const Case &c : cases) {
        std::vector<uint8_t> bytes;
        while (bytes.size() < c.bytes)
            bytes.insert(bytes.end(), hand.begin(), hand.end());
        bytes.resize(c.bytes);
        WriteBytes(path, bytes);
        RecordTable table(7);
        ASSERT_TRUE(LoadRecordFile(path, table).ok) << c.bytes;
        EXPECT_EQ(table.size(), c.records ? c.records : 7) << c.bytes;
        if (c.bytes == 1590) {  // the second record is cut in its points: the rest reads as 0
            EXPECT_EQ(table[1].points[0], -300);
            EXPECT_EQ(table[1].points[499], 0);
        }
    }
    ASSERT_EQ(truncate(path.c_str(), 100 * 1024 * 1024 + 1), 0);
    RecordTable table(7);
    const RecordFileResult huge = LoadRecordFile(path, table);
    EXPECT_FALSE(huge.ok);
    EXPECT_NE(huge.error.find("more than 100 MB"), std::string::npos) << huge.error;
    EXPECT_EQ(table.size(), 7u);
}

TEST(RecordCountTest, TimedEntriesAndRefusedSettings)
{
    struct Case {
        double minutes, interval;
        std::optional<int32_t> entries;
    } cases[] = {{1, 0.2, 301},      {0.5, 0.7, 44},        {30, 0.2, 9001},
                 {546.1, 1, 32767}, {546.12, 1, std::nullopt}, {1, 0, std::nullopt},
                 {1, 0.0004, std::nullopt}, {-1, 1, std::nullopt}};
    for (const Case &c : cases)
        EXPECT_EQ(TimedEntryCount(c.minutes, c.interval), c.entries) << c.minutes << " min, " << c.interval << " s";
}

TEST_F(RecordFileTest, AppendsLandInTickOrderAndSurviveAKill)
{
    ASSERT_EQ(CreateRecordFile(path), "");
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    if (child == 0) {
        for (int32_t i = 0; i < 10000; ++i) {
            TraceRecord r = DecodeRecord(HandRecord(1000 + i).data());
            if (!AppendRecord(path, i, r).empty() || write(pipeFds[1], &i, sizeof i) != sizeof i)
                _exit(1);
        }
        _exit(0);
    }
    close(pipeFds[1]);  // a child that ends early ends the reads
    int32_t done = -1;
    while (done < 40)
        ASSERT_EQ(read(pipeFds[0], &done, sizeof done), static_cast<ssize_t>(sizeof done));
    kill(child, SIGKILL);  // mid-run, wherever it is (a child left alone stops after 10,000)
    waitpid(child, nullptr, 0);
    RecordTable table;
    ASSERT_TRUE(LoadRecordFile(path, table).ok);
    ASSERT_GE(table.size(), static_cast<size_t>(done + 1));
    for (int32_t i = 0; i <= done; ++i) {
        EXPECT_EQ(table[i].time, 1000 + i);
        EXPECT_EQ(table[i].points[499], 3193) << i;
    }
    EXPECT_NE(AppendRecord(home.Path() + "/gone.spf", 0, table[0]).find("gone.spf: No such file"), std::string::npos);
    EXPECT_NE(AppendRecord("/dev/full", 0, table[0]).find("No space left on device"), std::string::npos);
}

TEST(RecordCsvTest, OneRowPerTraceWithLevelsUnderTheirFrequencies)
{
    RecordTable table(3);
    table[0] = DecodeRecord(HandRecord().data());
    table[0].points[0] = 1023;
    table[0].points[1] = 0;
    table[1] = table[0];
    table[1].spanCaption = FixedText<12>("2MHZ,DIV");
    const std::string csv = RecordCsv(table, false);
    EXPECT_EQ(csv.rfind("time,center_mhz,span,ref_level_dbm,rbw,383.72,383.92,", 0), 0u);
    EXPECT_NE(csv.find(",433.72,433.92,434.12,"), std::string::npos) << "point 251 is the centre";
    EXPECT_NE(csv.find("\r\n2025-01-01T12:00:00,433.92,10MHZ/DIV,-20,30KHZ,-20,-99.921875,"), std::string::npos);
    EXPECT_NE(csv.find(",\"2MHZ,DIV\",-20,"), std::string::npos);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 3) << "the empty third entry ends the record";
    EXPECT_NE(RecordCsv(table, true).find(",87,7.078125,"), std::string::npos) << "dBu";
}

}  // namespace
