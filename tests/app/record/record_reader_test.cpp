// A record file read a record at a time whatever its length, and the one writer that appends to
// it: what each makes of files that are no record files, torn records, and a disk that fills up.
#include "record/record_appender.h"
#include "record/record_reader.h"
#include "support/temp_dir.h"
#include "support/test_util.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace tavrin;
namespace fs = std::filesystem;

namespace {

TraceRecord Made(double time, double mhz = 433.92)
{
    TraceRecord r{time, mhz, FixedText<12>("10MHZ/DIV"), -20, FixedText<8>("30KHZ")};
    r.points.fill(600);
    return r;
}

class RecordReaderTest : public testing::Test {
protected:
    void Write(const std::vector<TraceRecord> &records, const std::string &tail = {}) const
    {
        std::ofstream out(path, std::ios::binary);
        for (const TraceRecord &r : records)
            out.write(reinterpret_cast<const char *>(EncodeRecord(r).data()), kRecordBytes);
        out << tail;
    }
    std::vector<double> Times() const
    {
        RecordReader reader;
        std::vector<double> times;
        reader.Open(path);
        WalkRecords(reader, [&](const TraceRecord &r) { return times.push_back(r.time), true; });
        return times;
    }

    test::TempConfigHome home;
    std::string path = home.Path() + "/r.spf";
};

// Whether a file is a record file (convert shows the refusals of files too short or of another
// kind), and records read in any order.
TEST_F(RecordReaderTest, TellsWhatAFileIsAndReadsAnyRecordByIndex)
{
    TraceRecord damaged = Made(1);
    damaged.time = std::nan("");
    const std::tuple<std::vector<TraceRecord>, std::string, RecordFileKind, int64_t> cases[] = {
        {{}, std::string(3000, '7'), RecordFileKind::NotRecords, 3},
        {{Made(1), Made(2), Made(3)}, std::string(600, 'x'), RecordFileKind::Records, 4},  // a torn fourth
        {{damaged, Made(2)}, "", RecordFileKind::Records, 2},                              // damage inside
        {{TraceRecord{}, Made(2)}, "", RecordFileKind::Records, 2}};                       // the end at once
    for (const auto &[records, tail, kind, count] : cases) {
        Write(records, tail);
        RecordReader reader;
        const RecordFileKind judged = reader.Open(path);
        EXPECT_EQ(std::tuple(judged, reader.Count()), std::tuple(kind, count)) << count;
    }
    std::vector<TraceRecord> many;
    for (int i = 0; i < 200; ++i)
        many.push_back(Made(1000 + i));
    Write(many);
    RecordReader reader;
    ASSERT_EQ(reader.Open(path), RecordFileKind::Records);
    TraceRecord r;
    for (int64_t i : {199, 0, 130, 64, 63, 65}) {
        ASSERT_TRUE(reader.Read(i, r));
        EXPECT_EQ(r.time, 1000 + i);
    }
    EXPECT_FALSE(reader.Read(200, r));
    // A walk ends at the first empty entry and leaves out what the analyzer cannot give.
    Write({Made(1), Made(2, 2000), Made(3), TraceRecord{}, Made(5)});
    EXPECT_EQ(Times(), (std::vector<double>{1, 3}));
}

// Load holds what it reads in memory: past its bound it says so and names what reads any length.
TEST_F(RecordReaderTest, LoadKeepsItsBoundAndSaysSo)
{
    Write({Made(1)});
    ASSERT_EQ(truncate(path.c_str(), (kMaxLoadedRecords + 1) * 1060), 0);
    RecordTable table(7);
    const RecordFileResult loaded = LoadRecordFile(path, table);
    EXPECT_FALSE(loaded.ok);
    EXPECT_EQ(loaded.error, path + " holds 1000001 records; the program plays at most 1000000 (about 1 GB) from "
                                   "memory. tavrin-cli convert turns a record file of any length into CSV or JSON lines");
    EXPECT_EQ(table.size(), 7u);
}

TEST_F(RecordReaderTest, AnAppenderTakesRecordFilesOnlyAndCutsOffATornRecord)
{
    Write({}, std::string(500, 'x'));
    RecordAppender refused;
    EXPECT_EQ(refused.Open(path, RecordAppender::Mode::Append), RecordAppender::Opened::NotRecords);
    EXPECT_EQ(fs::file_size(path), 500u) << "untouched";
    Write({Made(1), Made(2)}, std::string(300, 'x'));
    RecordAppender appender;
    ASSERT_EQ(appender.Open(path, RecordAppender::Mode::Append), RecordAppender::Opened::Ok);
    EXPECT_EQ(appender.Note(), "the last 300 bytes of " + path +
                                   " were a record cut short (a write that was interrupted); they were cut off");
    EXPECT_EQ(fs::file_size(path), 2120u);
    ASSERT_EQ(appender.Append(Made(3)), "");
    EXPECT_EQ(Times(), (std::vector<double>{1, 2, 3}));
    RecordAppender second;
    EXPECT_EQ(second.Open(path, RecordAppender::Mode::Append), RecordAppender::Opened::Busy);
    EXPECT_EQ(second.Error(), path + " is being written by another recording (a sweep of tavrin-cli, or "
                                     "TavrinRemote's continuous recording)");
}

TEST_F(RecordReaderTest, ARecordFileMadeAgainOverALongerOneHoldsOnlyTheNewRecords)
{
    Write({Made(1), Made(2), Made(3), Made(4), Made(5)});
    RecordAppender appender;
    ASSERT_EQ(appender.Open(path, RecordAppender::Mode::Replace), RecordAppender::Opened::Ok);
    ASSERT_EQ(appender.Append(Made(7)), "");
    EXPECT_EQ(Times(), std::vector<double>{7});
    EXPECT_EQ(fs::file_size(path), 1060u);
}

TEST_F(RecordReaderTest, AFailedAppendIsCutBackAndADeletedFileIsNoPlaceToWrite)
{
    RecordAppender appender;
    ASSERT_EQ(appender.Open(path, RecordAppender::Mode::Append), RecordAppender::Opened::Ok);
    ASSERT_EQ(appender.Append(Made(1)), "");
    EXPECT_TRUE(test::WithFileSizeLimit(1060 + 500, [&] { return appender.Append(Made(2)) == path + ": File too large"; }));
    EXPECT_EQ(fs::file_size(path), 1060u) << "the half-written record is gone";
    ASSERT_EQ(appender.Append(Made(3)), "");
    EXPECT_EQ(Times(), (std::vector<double>{1, 3}));
    fs::remove(path);
    EXPECT_EQ(appender.Append(Made(4)), path + " was deleted while it was being written");
    EXPECT_FALSE(fs::exists(path));
}

}  // namespace
