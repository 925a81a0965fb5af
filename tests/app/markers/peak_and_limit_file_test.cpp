// Peak search and limit files.
#include "markers/limit_file.h"
#include "markers/peak.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

using namespace tavrin;

namespace {

TEST(PeakPoint, FirstHighestPointThenTheMiddleOfItsFlatTop)
{
    struct Case {
        const char *name;
        std::vector<int> maxima;  // points set to 900 over a floor of 100
        int expected;
    };
    const Case cases[] = {
        {"three adjacent", {100, 101, 102}, 101},
        {"two adjacent", {100, 101}, 100},
        {"apart", {100, 300}, 100},
        {"flat top at the end", {497, 498, 499}, 498},
        {"single", {42}, 42},
        {"point 0", {0}, 0},
    };
    for (const Case &c : cases) {
        LiveTrace t{};
        t.fill(100);
        for (int p : c.maxima)
            t[static_cast<size_t>(p)] = 900;
        EXPECT_EQ(PeakPoint(t), c.expected) << c.name;
    }
    LiveTrace flat{};
    flat.fill(512);
    EXPECT_EQ(PeakPoint(flat), 249);
}

class LimitFiles : public ::testing::Test {
protected:
    LimitFiles()
    {
        folder = std::filesystem::temp_directory_path() / ("limits-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
    }
    ~LimitFiles() override { std::filesystem::remove_all(folder); }

    std::string Write(const std::string &name, const std::vector<std::pair<double, double>> &records,
                      size_t extraBytes = 0)
    {
        const std::string path = (folder / name).string();
        std::ofstream out(path, std::ios::binary);
        for (auto [f, l] : records) {
            for (double v : {f, l}) {
                unsigned char b[8];
                uint64_t bits;
                std::memcpy(&bits, &v, 8);
                for (int i = 0; i < 8; ++i)
                    b[i] = static_cast<unsigned char>(bits >> (8 * i));  // little-endian on any host
                out.write(reinterpret_cast<char *>(b), 8);
            }
        }
        out.write("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F", static_cast<std::streamsize>(extraBytes));
        return path;
    }
    std::filesystem::path folder;
};

TEST_F(LimitFiles, WholeRecordsInFileOrderAndNothingUnsafe)
{
    const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char *name;
        std::vector<std::pair<double, double>> records;
        size_t extra;
        size_t points;
        int skipped;
    };
    const Case cases[] = {
        {"48 bytes", {{100, -20}, {110, -30}, {120, -25}}, 0, 3, 0},
        {"16 bytes", {{100, -20}}, 0, 1, 0},
        {"50 bytes: the tail is ignored", {{100, -20}, {110, -30}, {120, -25}}, 2, 3, 0},
        {"NaN and infinities skipped", {{100, -20}, {nan, -30}, {120, inf}, {130, -40}}, 0, 2, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        LimitFileResult r = ReadLimitFile(Write("x.lim", c.records, c.extra));
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.points.size(), c.points);
        EXPECT_EQ(r.skipped, c.skipped);
        EXPECT_EQ(r.tailBytes, static_cast<int>(c.extra));
        EXPECT_DOUBLE_EQ(r.points[0].freqMHz, 100);
        EXPECT_DOUBLE_EQ(r.points[0].levelDbm, -20);
        EXPECT_DOUBLE_EQ(r.points.back().freqMHz, c.records.back().first);
    }
}

TEST_F(LimitFiles, EmptyShortMissingAndAllInvalidFilesAreRefusedWithAReason)
{
    const double nan = std::nan("");
    const std::string paths[] = {Write("empty.lim", {}), Write("short.lim", {}, 15),
                                 Write("bad.lim", {{nan, nan}}), (folder / "missing.lim").string(),
                                 folder.string()};
    for (const std::string &p : paths) {
        LimitFileResult r = ReadLimitFile(p);
        EXPECT_FALSE(r.ok) << p;
        EXPECT_TRUE(r.points.empty());
        EXPECT_NE(r.error.find(p), std::string::npos) << r.error;
    }
}

TEST_F(LimitFiles, TheSelectorListsLimitNamesOnly)
{
    Write("b.lim", {{1, 1}});
    Write("a.lim", {{1, 1}});
    Write("notes.txt", {});
    Write(".lim", {});
    std::filesystem::create_directories(folder / "dir.lim");
    EXPECT_EQ(ListLimitNames(folder.string()), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(ListLimitNames((folder / "nowhere").string()).empty());
}

}  // namespace
