// Trace memories as files of one record: stored and read back, replaced, refused when missing,
// empty or damaged, and their CSV rows beside the holds'.
#include "record/record_csv.h"
#include "record/trace_memory.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tavrin {
namespace {

namespace fs = std::filesystem;

class TraceMemoryTest : public ::testing::Test {
protected:
    std::string Write(const std::string &name, const std::string &bytes)
    {
        const std::string path = home.Path() + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    test::TempConfigHome home;
    const AnalyzerSettings settings{433.92, "100KHZ/DIV", -20, "30KHZ"};
    TracePoints points = [] {
        TracePoints p;
        for (size_t i = 0; i < p.size(); ++i)
            p[i] = static_cast<int16_t>(i * 2);
        return p;
    }();
};

TEST_F(TraceMemoryTest, AStoredMemoryIsOneRecordThatLoadsBackAndIsReplacedWhole)
{
    const std::string path = home.Path() + "/Working/" + MemoryFileName(MemorySlot::A);
    EXPECT_EQ(MemoryFileName(MemorySlot::B), "memory_b.spf");
    const TraceRecord stored = MakeRecord(1735732800, settings, points);  // 1 Jan 2025 12:00 UTC
    std::string error;
    ASSERT_TRUE(StoreMemory(path, stored, error)) << error << " (the Working folder is made)";
    EXPECT_EQ(fs::file_size(path), 1060u);
    RecordTable asRecord;
    ASSERT_TRUE(LoadRecordFile(path, asRecord).ok) << "Load reads it as a record file";
    ASSERT_EQ(asRecord.size(), 1u);
    EXPECT_EQ(EncodeRecord(asRecord[0]), EncodeRecord(stored));

    const MemoryLoad load = LoadMemory(path);
    ASSERT_TRUE(load.memory) << load.reason;
    EXPECT_EQ(load.memory->points, points);
    EXPECT_EQ(FromRecordTime(load.memory->time), 1735732800);
    const AnalyzerSettings back = RecordSettings(*load.memory);
    EXPECT_EQ(back.centerMHz, 433.92);
    EXPECT_EQ(back.span + "|" + back.rbw, "100KHZ/DIV|30KHZ");
    EXPECT_EQ(back.refLevelDbm, -20);

    TracePoints other = points;
    other[7] = 1000;
    ASSERT_TRUE(StoreMemory(path, MakeRecord(1735732801, settings, other), error)) << error;
    EXPECT_EQ(fs::file_size(path), 1060u);
    EXPECT_EQ(LoadMemory(path).memory->points[7], 1000);

    ASSERT_TRUE(ForgetMemory(path, error)) << error;
    EXPECT_TRUE(LoadMemory(path).missing);
    EXPECT_TRUE(ForgetMemory(path, error)) << "forgetting nothing is no failure";
}

TEST_F(TraceMemoryTest, AMissingEmptyOrDamagedFileIsNoMemoryWithTheReason)
{
    const RecordBytes good = EncodeRecord(MakeRecord(1735732800, settings, points));
    const std::string one(good.begin(), good.end());
    std::string farPoint = one, noCentre = one;
    farPoint[38] = char(0xD0), farPoint[39] = 0x07;  // point 0: 2000
    std::fill_n(&noCentre[8], 8, '\0');
    const std::string fifo = home.Path() + "/fifo.spf";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::pair<std::string, std::string> cases[] = {
        {Write("empty.spf", ""), " is empty"},
        {Write("short.spf", one.substr(0, 1059)), " is 1059 bytes long, not one record of 1060"},
        {Write("long.spf", one + one), " is 2120 bytes long, not one record of 1060"},
        {Write("point.spf", farPoint), " holds values the analyzer cannot give (a damaged file?)"},
        {Write("centre.spf", noCentre), " holds values the analyzer cannot give (a damaged file?)"},
        {fifo, " is a FIFO (named pipe), not a file"},
        {home.Path(), " is a folder, not a file"},
    };
    for (const auto &[path, reason] : cases) {
        const MemoryLoad load = LoadMemory(path);
        EXPECT_FALSE(load.memory || load.missing) << path;
        EXPECT_EQ(load.reason, path + reason);
    }
    const MemoryLoad missing = LoadMemory(home.Path() + "/none.spf");
    EXPECT_TRUE(missing.missing && !missing.memory);
    EXPECT_EQ(missing.reason, "nothing is stored: there is no " + home.Path() + "/none.spf");
}

// Levels are ref - (1023 - point) x 0.078125: point 0 at -20 dBm is -99.921875, point 1 (2) -99.765625.
TEST_F(TraceMemoryTest, MemoriesAreCsvRowsAfterTheHolds)
{
    const TraceRecord a = MakeRecord(0, settings, points), b = MakeRecord(0, {80, "10MHZ/DIV", 0, "4MHZ"}, points);
    const std::string rows =
        CsvHoldRows({{"max_hold", &points, settings}, MemoryCsvRow(MemorySlot::A, a), MemoryCsvRow(MemorySlot::B, b)}, false);
    std::vector<std::string> starts;  // the name, the settings and two levels of each row
    for (size_t at = 0; at < rows.size(); at = rows.find("\r\n", at) + 2) {
        size_t end = at;
        for (int field = 0; field < 7; ++field)
            end = rows.find(',', end) + 1;
        starts.push_back(rows.substr(at, end - 1 - at));
    }
    EXPECT_EQ(starts, (std::vector<std::string>{"max_hold,433.92,100KHZ/DIV,-20,30KHZ,-99.921875,-99.765625",
                                                "memory_a,433.92,100KHZ/DIV,-20,30KHZ,-99.921875,-99.765625",
                                                "memory_b,80,10MHZ/DIV,0,4MHZ,-79.921875,-79.765625"}));
}

}  // namespace
}  // namespace tavrin
