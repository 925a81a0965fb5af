#include <atomic>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>
#include <tuple>

#include <gtest/gtest.h>

#include "common/date_format.h"
#include "common/number_format.h"
#include "common/program_folder.h"
#include "common/safe_file.h"
#include "common/text_number.h"
#include "common/work_thread.h"
#include "support/temp_dir.h"
#include "support/test_util.h"

namespace tavrin {
namespace {

TEST(CommonNumericValue, ReadsTheLeadingDecimalNumber)
{
    const std::pair<const char *, double> cases[] = {
        {"80.5", 80.5}, {" \t7abc", 7}, {"", 0},      {"abc", 0},    {"-.5", -0.5},        {"+5", 5},
        {"1.2.3", 1.2}, {".", 0},      {"-", 0},     {"5.", 5},     {"1e3", 1},           {"- 5", 0},
        {"1,5", 1},     {"-30", -30},  {"7 8", 7},   {"0001.500", 1.5}, {"500KHZ/DIV", 500}, {"100.019", 100.019},
    };
    for (auto [text, value] : cases)
        EXPECT_EQ(NumericValue(text), value) << '"' << text << '"';
    EXPECT_EQ(NumericValue("-" + std::string(400, '9')), -HUGE_VAL);
    EXPECT_EQ(NumericValue("0." + std::string(400, '0') + "1"), 0.0);
    // A whole number, or none: what a form field must hold.
    const std::pair<const char *, std::optional<double>> whole[] = {
        {" 3 ", 3}, {"+2.5", 2.5}, {"-1e1", -10}, {"", std::nullopt}, {"3 dB", std::nullopt},
        {"1,5", std::nullopt}, {"inf", std::nullopt}, {"1e999", std::nullopt}, {"--1", std::nullopt}};
    for (auto [text, value] : whole)
        EXPECT_EQ(WholeNumber(text), value) << '"' << text << '"';
}

// The visible decimal is rounded, halves away from zero, although 0.0005 and 0.15 lie a hair below.
TEST(CommonFormat, PicturesRoundTheVisibleDecimalAndPlainDecimalsAreShortest)
{
    const std::tuple<double, const char *, const char *> cases[] = {
        {0.0005, "#0.000", "0.001"},    {-0.0005, "#0.000", "-0.001"}, {-0.0004, "#0.000", "0.000"},
        {0.15, "#0.0", "0.2"},          {9.96, "#0.0", "10.0"},        {-79.921875, "#0.0", "-79.9"},
        {0.1 + 0.2, "#0.000", "0.300"}, {1e20, "#0.0", "100000000000000000000.0"},
        {100.5, "#0.000##", "100.500"}, {100.123456, "#0.000##", "100.12346"}, {100.1234, "#0.000##", "100.1234"},
        {-30, "@@@@", " -30"},          {-1000, "@@@@", "-1000"},      {std::nan(""), "#0.0", "nan"},
    };
    for (auto [value, pattern, text] : cases)
        EXPECT_EQ(FormatPicture(value, pattern), text) << value << " " << pattern;
    EXPECT_EQ(FormatAt("3KHZ", "@@@@@@@@@@@@@"), "         3KHZ");
    EXPECT_EQ(FormatFixed(2.5, 0, 0), "3");
    // The shortest plain decimal: no exponent, no trailing zeros, 15 digits.
    for (auto [value, text] : {std::pair{0.1 + 0.2, "0.3"}, {1e20, "100000000000000000000"}, {1e-7, "0.0000001"},
                               {-0.0, "0"}, {123456789012345678.0, "123456789012346000"}})
        EXPECT_EQ(PlainDecimal(value), text) << text;
}

TEST(CommonFormat, ScreenAndFileTimesInLocalTime)
{
    test::ScopedEnv zone("TZ", "XST-2");  // two hours east of UTC
    tzset();
    EXPECT_EQ(FormatScreenTime(std::time_t{0}), "Jan. 01 / 1970  02:00:00");
    EXPECT_EQ(FormatFileTime(std::time_t{1796501580}), "20261205_221300");
    EXPECT_EQ(FormatIsoTime(std::time_t{1796501580}), "2026-12-05T22:13:00");
}

// An installed program's folder is not writable: then $XDG_DATA_HOME when absolute, else ~/.local/share.
TEST(CommonProgramFolder, TheOverrideAndTheUserDataFolder)
{
    test::TempConfigHome base;  // a private folder to play in
    const std::pair<std::string, const char *> cases[] = {{base.Path() + "/data", "/data/TavrinRemote"},
                                                          {"relative", "/.local/share/TavrinRemote"}};
    for (const auto &[xdg, folder] : cases) {
        test::ScopedEnv data("XDG_DATA_HOME", xdg.c_str()), home("HOME", base.Path().c_str());
        EXPECT_EQ(UserDataFolder(), base.Path() + folder);
        EXPECT_TRUE(std::filesystem::is_directory(base.Path() + folder));
    }
    SetProgramFolderOverride("/some/where//");
    EXPECT_EQ(ProgramFolder(), "/some/where");
    SetProgramFolderOverride("");
}

// Only regular files are opened, at once and with no waiting; a replacement of a name of any legal
// length keeps the old file whole until it is committed, and leaves nothing when it is not.
TEST(CommonFiles, OnlyRegularFilesAreReadAndAnyNameIsReplacedWhole)
{
    test::TempConfigHome base;
    const std::string fifo = base.Path() + "/fifo", file = base.Path() + "/" + std::string(255, 'f');
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_TRUE(ReplaceFileDurably(file, reinterpret_cast<const uint8_t *>("old"), 3));
    const std::pair<std::string, const char *> cases[] = {{fifo, " is a FIFO (named pipe), not a file"},
                                                          {"/dev/null", " is a device, not a file"},
                                                          {base.Path(), " is a folder, not a file"},
                                                          {fifo + "x", ": No such file or directory"},
                                                          {file, ""}};
    for (const auto &[path, says] : cases) {
        std::string error;
        const int fd = OpenForReading(path, error);
        EXPECT_EQ(error, *says ? path + says : "");
        EXPECT_EQ(fd >= 0, !*says) << path;
        if (fd >= 0)
            close(fd);
        // Appending waits on nothing either; a missing file is made with its heading first.
        EXPECT_EQ(path == file || AppendDurably(path, "h\n", "row\n", error), !*says || path == fifo + "x") << path;
    }
    std::ifstream appended(fifo + "x");
    EXPECT_EQ((std::ostringstream() << appended.rdbuf()).str(), "h\nrow\n");
    auto content = [&] { return (std::ostringstream() << std::ifstream(file).rdbuf()).str(); };
    auto entries = [&] { return std::distance(std::filesystem::directory_iterator(base.Path()), {}); };
    const auto before = entries();
    {
        FileReplacement abandoned(file);
        ASSERT_TRUE(abandoned.Open() && abandoned.Write("new", 3));
        EXPECT_EQ(content(), "old");
    }
    EXPECT_EQ(entries(), before) << "no temporary file left";
    FileReplacement replaced(file);
    ASSERT_TRUE(replaced.Open() && replaced.Write("new!", 4) && replaced.Commit());
    EXPECT_EQ(content(), "new!");
}

// A row is written whole or not at all: a disk that fills up in the middle of one leaves the log
// as it was, and a row cut short before (a crash) is not glued to the next one.
TEST(CommonFiles, AnAppendedRowIsWholeOrAbsent)
{
    test::TempConfigHome base;
    const std::string log = base.Path() + "/log.csv";
    auto content = [&] { return (std::ostringstream() << std::ifstream(log).rdbuf()).str(); };
    std::string error;
    ASSERT_TRUE(AppendDurably(log, "h\n", "row 1\n", error));
    EXPECT_TRUE(test::WithFileSizeLimit(content().size() + 10, [&] {
        return !AppendDurably(log, "h\n", "row 2 " + std::string(100, 'x') + "\n", error) &&
               error == log + ": File too large";
    }));
    EXPECT_EQ(content(), "h\nrow 1\n");
    std::ofstream(log, std::ios::app) << "row 3 cut sh";
    ASSERT_TRUE(AppendDurably(log, "h\n", "row 4\n", error));
    EXPECT_EQ(content(), "h\nrow 1\nrow 3 cut sh\nrow 4\n");
}

// Jobs run off the posting thread in the order posted, and none is dropped when the thread ends
// with jobs still queued (the last records of a recording at quit).
TEST(CommonWorkThread, RunsEveryJobInOrderOffTheCallerEvenWhenEnding)
{
    std::vector<int> done;
    std::atomic<bool> elsewhere{true};
    const auto caller = std::this_thread::get_id();
    {
        WorkThread thread;
        for (int i = 0; i < 50; ++i)
            thread.Post([&, i] {
                if (i == 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the rest queue up
                elsewhere = elsewhere && std::this_thread::get_id() != caller;
                done.push_back(i);
            });
    }
    std::vector<int> expected(50);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(done, expected);
    EXPECT_TRUE(elsewhere);
}

}  // namespace
}  // namespace tavrin
