// Limit lines that judge: the verdict on a trace, the counters and alarms, lines made from a
// trace and from CSV files, the names they may take, where their points fall, and limit files.
#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <tuple>

#include <gtest/gtest.h>

#include "limits/limit_file.h"
#include "limits/limit_lines.h"
#include "limits/limit_making.h"
#include "limits/limit_watch.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

using Points = std::vector<std::pair<double, double>>;
constexpr auto Upper = LimitKind::Upper, Lower = LimitKind::Lower;
constexpr auto Pass = LimitOutcome::Pass, Fail = LimitOutcome::Fail, None = LimitOutcome::None;

Points Pairs(const std::vector<LimitPoint> &points)
{
    Points pairs;
    for (const LimitPoint &p : points)
        pairs.emplace_back(p.freqMHz, p.levelDbm);
    return pairs;
}

LimitLine Line(const Points &points, LimitKind kind)
{
    LimitLine line;
    line.points.clear();
    for (auto [f, l] : points)
        line.points.push_back({f, l});
    line.kind = kind;
    IndexLimitLine(line);
    return line;
}

// Every point at level step `base` (dBm = (step - 1023) x 0.078125 at 0 dBm), one point another.
TracePoints Trace(int base, int point = 0, int step = -1)
{
    TracePoints t;
    t.fill(static_cast<int16_t>(base));
    if (step >= 0)
        t[static_cast<size_t>(point)] = static_cast<int16_t>(step);
    return t;
}

// Centre 100 MHz, 10MHZ/DIV: 0.2 MHz a point, point 201 is 90 MHz, 251 is 100, 276 is 105, 301
// is 110; reference level 0 dBm. The line rises from -30 dBm at 90 MHz to -10 at 110: -15 at 105.
class LimitVerdicts : public ::testing::Test {
protected:
    LimitVerdicts() { state.centerFreqMHz = "100.000", state.spanCaption = "10MHZ/DIV", state.refLevelDbm = "0"; }
    MeasurementState state;
    Points rising = {{90, -30}, {110, -10}};
};

// Step 831 is -15 dBm, on the line; 844 is -13.984375, 1.015625 dB above; 818 below by as much.
// The rest of the trace lies far below an upper line (step 0) or far above a lower one (1023).
TEST_F(LimitVerdicts, TouchingPassesCrossingFailsAndTheWorstPointIsNamed)
{
    const std::tuple<LimitKind, int, int, LimitOutcome, double> cases[] = {
        {Upper, 0, 831, Pass, 0},    {Upper, 0, 844, Fail, -1.015625},   {Upper, 0, 818, Pass, 1.015625},
        {Lower, 1023, 831, Pass, 0}, {Lower, 1023, 818, Fail, -1.015625}, {Lower, 1023, 844, Pass, 1.015625}};
    for (const auto &[kind, base, step, outcome, margin] : cases) {
        const LimitVerdict v = JudgeTrace(Line(rising, kind), state, Trace(base, 276, step));
        EXPECT_EQ(v.outcome, outcome) << step;
        EXPECT_EQ(v.worstMarginDb, margin) << step;
        EXPECT_EQ(v.worstFreqMHz, 105) << step;
        EXPECT_EQ(v.pointsJudged, 101) << "90 to 110 MHz, both ends";
    }
    // 6401 points 1/64 MHz apart from 40 to 140 MHz, falling 0.5 dB a MHz with every third point
    // 10 dB lower, found through their blocks of 64: the trace touches the line at 105 MHz (-32.5
    // dBm) and stays at least 19.9 dB under it elsewhere.
    Points many;
    for (int k = 0; k <= 6400; ++k)
        many.emplace_back(40 + k / 64.0, -k / 128.0 - (k % 3 == 1 ? 10 : 0));
    const LimitVerdict touched = JudgeTrace(Line(many, Upper), state, Trace(0, 276, 607));
    EXPECT_EQ(std::tie(touched.outcome, touched.worstMarginDb, touched.worstFreqMHz), std::tuple(Pass, 0.0, 105.0));
    // A step of the line straight down at 100 MHz: the trace there touches it at -20 dBm, wherever
    // the two points of the step come in the file; the next point, -40 dBm under -30, is as close.
    for (const Points &step : {Points{{90, -10}, {100, -10}, {100, -30}, {110, -30}},
                               Points{{90, -10}, {100, -30}, {100, -10}, {110, -30}}}) {
        const LimitVerdict v = JudgeTrace(Line(step, Upper), state, Trace(511, 251, 767));
        EXPECT_EQ(std::tie(v.outcome, v.worstMarginDb, v.worstFreqMHz), std::tuple(Pass, 10.0, 100.0));
    }
}

TEST_F(LimitVerdicts, NoVerdictRatherThanAWrongPass)
{
    MeasurementState zero = state;
    zero.spanCaption = "0HZ/DIV";
    const std::tuple<Points, MeasurementState, std::string> cases[] = {
        {{{100, -90}}, state, "the limit file holds a single point"},
        {{{90, -90}, {110, -90}, {100, -90}}, state, "its points are out of order: point 3 (100 MHz) lies below point 2 (110 MHz)"},
        {rising, zero, "the screen shows no frequencies at this span"},
        {{{10, -90}, {20, -90}}, state, "no point of the screen lies within its frequencies (10 to 20 MHz)"}};
    for (const auto &[points, at, reason] : cases) {
        const LimitVerdict v = JudgeTrace(Line(points, Upper), at, Trace(1023));
        EXPECT_EQ(std::tie(v.outcome, v.reason), std::tie(None, reason));
    }
    const LimitVerdict wide = JudgeTrace(Line({{0, -90}, {1000, -90}}, Upper), state, Trace(1023));
    EXPECT_EQ(std::tuple(wide.outcome, wide.pointsJudged, wide.worstFreqMHz), std::tuple(Fail, 499, 49.8));
}

// Limit 1's verdicts trace by trace (limit 2 not judged), with every alarm on.
TEST(LimitWatching, AlarmsAnswerEachTurnToFailTheCaptureAtMostEveryFiveSecondsTheLogEveryMinute)
{
    struct Step {
        double seconds;
        std::optional<LimitOutcome> outcome;
        LimitActions expected;  // beep, capture, log
        LimitCount count;
    };
    const Step steps[] = {{0, Pass, {}, {0, 1}},
                          {1, Fail, {true, true, {true, false}}, {1, 2}},
                          {2, Fail, {}, {2, 3}},
                          {3, Pass, {}, {2, 4}},
                          {4, Fail, {true, false, {true, false}}, {3, 5}},  // captured 3 s before
                          {5, None, {}, {3, 5}},
                          {6, Fail, {}, {4, 6}},  // still failing
                          {63.9, Fail, {}, {5, 7}},
                          {64, Fail, {false, false, {true, false}}, {6, 8}},  // a minute after the last line
                          {65, std::nullopt, {}, {6, 8}},
                          {70, Pass, {}, {6, 9}},
                          {71, Fail, {true, true, {true, false}}, {7, 10}}};
    LimitWatch watch;
    const LimitAlarms all{true, true, true};
    for (const Step &s : steps) {
        std::optional<LimitVerdict> v;
        if (s.outcome)
            v = LimitVerdict{*s.outcome, "", 0, 0, 0};
        EXPECT_EQ(watch.Judged({v, std::nullopt}, s.seconds, all), s.expected) << s.seconds;
        EXPECT_EQ(watch.Count(0), s.count) << s.seconds;
    }
    // Both lines turning at once beep and capture once; switched off, nothing; restarted, news again.
    const LimitVerdict fail{Fail, "", -1, 100, 1};
    EXPECT_EQ(watch.Judged({fail, fail}, 100, all), (LimitActions{true, true, {false, true}}));
    EXPECT_EQ(watch.Judged({fail, fail}, 200, {false, false, false}), (LimitActions{false, false, {false, false}}));
    watch.Restart(0);
    EXPECT_EQ(watch.Count(0), (LimitCount{0, 0}));
    EXPECT_EQ(watch.Judged({fail, fail}, 201, {true, false, true}), (LimitActions{true, false, {true, false}}));
}

TEST(LimitWatching, TheFailureLogRowTellsTimeLineFileKindMarginFrequencyAndSettings)
{
    std::tm local{};
    local.tm_year = 126, local.tm_mon = 11, local.tm_mday = 5, local.tm_hour = 22, local.tm_min = 13;
    local.tm_isdst = -1;
    MeasurementState state;
    state.centerFreqMHz = " 433.920 ", state.spanCaption = "100KHZ/DIV", state.refLevelDbm = "-20";
    const LimitVerdict v{Fail, "", -1.015625, 433.9204, 499};
    EXPECT_EQ(FailureLogRow(std::mktime(&local), 1, "my \"mask\", 2", Lower, v, state),
              "2026-12-05T22:13:00,2,\"my \"\"mask\"\", 2\",lower,-1.02,433.920400,433.920,100KHZ/DIV,-20,3KHZ\r\n");
}

// A peak of -20 dBm at point 100 (69.8 MHz) on a floor of -40, or a dip to -60 under a floor of -40.
TEST_F(LimitVerdicts, ALineMadeFromTheTraceKeepsItsMarginAndReadsBackByteForByte)
{
    struct Case {
        LimitRecipe recipe;
        int base, step;
        Points expected;  // all points when there are few, else points 0, 97..103 and 498
    };
    const Case cases[] = {
        {{Upper, 3, 2, 499}, 511, 767, {{49.8, -37}, {69.2, -37}, {69.4, -17}, {69.6, -17}, {69.8, -17}, {70, -17}, {70.2, -17}, {70.4, -37}, {149.4, -37}}},
        {{Lower, 3, 0, 499}, 511, 255, {{49.8, -43}, {69.2, -43}, {69.4, -43}, {69.6, -43}, {69.8, -63}, {70, -43}, {70.2, -43}, {70.4, -43}, {149.4, -43}}},
        {{Upper, 3, 0, 5}, 511, 767, {{49.8, -17}, {99.4, -17}, {99.6, -37}, {149.4, -37}}},
        {{Lower, 0, 0, 2}, 511, 255, {{49.8, -60}, {149.4, -60}}}};
    for (const Case &c : cases) {
        const TracePoints trace = Trace(c.base, 100, c.step);
        const std::vector<LimitPoint> made = LimitFromTrace(state, trace, c.recipe);
        Points got = Pairs(made);
        if (got.size() == 499)
            got = {got[0], got[97], got[98], got[99], got[100], got[101], got[102], got[103], got[498]};
        ASSERT_EQ(got.size(), c.expected.size());
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_NEAR(got[i].first, c.expected[i].first, 1e-9) << i;
            EXPECT_EQ(got[i].second, c.expected[i].second) << i;
        }
        const LimitVerdict v = JudgeTrace(Line(got = Pairs(made), c.recipe.kind), state, trace);
        EXPECT_EQ(std::tuple(v.outcome, v.worstMarginDb), std::tuple(Pass, c.recipe.marginDb));
    }
    MeasurementState zero = state;
    zero.spanCaption = "0HZ/DIV";
    EXPECT_TRUE(LimitFromTrace(zero, Trace(511), {}).empty());

    test::TempConfigHome home;
    const std::string path = home.Path() + "/made.lim";
    const std::vector<LimitPoint> made = LimitFromTrace(state, Trace(511, 100, 767), {});
    std::string error;
    ASSERT_TRUE(WriteLimitFile(path, made, error)) << error;
    EXPECT_EQ(Pairs(ReadLimitFile(path).points), Pairs(made));
    ASSERT_TRUE(WriteLimitFile(path, {{100, -20}}, error));
    std::stringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    EXPECT_EQ(bytes.str(), std::string("\0\0\0\0\0\0\x59\x40\0\0\0\0\0\0\x34\xC0", 16)) << "100.0, -20.0";
}

TEST(LimitCsv, RoundTripsExactlyAndNamesTheLineItRefuses)
{
    const std::vector<LimitPoint> points = {{433.92, -30.5}, {0.1, 1e-7}, {1100, 0.1 + 0.2}};
    const std::string text = LimitCsvText(points);
    EXPECT_EQ(text, "frequency_mhz,level_dbm\r\n433.92,-30.5\r\n0.1,1e-07\r\n1100,0.30000000000000004\r\n");
    EXPECT_EQ(Pairs(ParseLimitCsv(text, "x.csv").points), Pairs(points));
    const std::pair<const char *, Points> read[] = {
        {"100,-20\n110,-30", {{100, -20}, {110, -30}}},
        {"\xEF\xBB\xBF" "MHz;dBm\r\n\r\n 100 ; -20 \r\n110\t+1e1\r\n", {{100, -20}, {110, 10}}},
        {"\"100\",\"-20\"\n", {{100, -20}}},
        {"0,-110\n1150,20\n", {{0, -110}, {1150, 20}}}};
    for (const auto &[csv, expected] : read)
        EXPECT_EQ(Pairs(ParseLimitCsv(csv, "x.csv").points), expected) << csv;
    // Only a line without a digit is a heading; the messages name the line and the value, with
    // control bytes shown (a NUL would end the message there).
    const std::pair<std::string, std::string> refused[] = {
        {"100,-20\n110,abc\n", "Line 2 of x.csv: the level \"abc\" is not a number."},
        {"100,-20,5\n", "Line 1 of x.csv is not a frequency in MHz and a level in dBm separated by a comma: \"100,-20,5\"."},
        {"f,l\n\nf,l\n", "Line 3 of x.csv: the frequency \"f\" is not a number."},
        {"0x10,-30\n100,-20\n", "Line 1 of x.csv: the frequency \"0x10\" is not a number."},
        {"nan,-30\n100,-20\n", "Line 1 of x.csv: the frequency \"nan\" is not a number."},
        {"100,nan\n", "Line 1 of x.csv: the level \"nan\" is not a number."},
        {"100,1e999\n", "Line 1 of x.csv: the level \"1e999\" is not a number."},
        {"100,-20\n1e308,-20\n", "Line 2 of x.csv: the frequency \"1e308\" MHz is outside what the analyzer tunes (0 to 1150 MHz)."},
        {"-0.001,-20\n", "Line 1 of x.csv: the frequency \"-0.001\" MHz is outside"},
        {"1150.001,-20\n", "Line 1 of x.csv: the frequency \"1150.001\" MHz is outside"},
        {"100,1e308\n", "Line 1 of x.csv: the level \"1e308\" dBm is outside what the analyzer's screen shows (-110 to +20 dBm"},
        {"100,-110.5\n", "Line 1 of x.csv: the level \"-110.5\" dBm is outside"},
        {std::string("100,-20\n1\0\x1B,-20\n", 16), "Line 2 of x.csv: the frequency \"1\\x00\\x1B\" is not a number."},
        {"", "x.csv holds no limit points"},
        {"frequency,level\r\n", "x.csv holds no limit points"}};
    for (const auto &[csv, error] : refused) {
        const LimitCsvResult r = ParseLimitCsv(csv, "x.csv");
        EXPECT_EQ(r.error.substr(0, error.size()), error) << csv;
        EXPECT_TRUE(r.points.empty()) << csv;
    }
}

TEST(LimitNames, StayInTheWorkingFolder)
{
    EXPECT_EQ(CleanLimitName("  mask.lim "), "mask");
    EXPECT_EQ(CleanLimitName(".lim"), ".lim");
    const std::pair<std::string, std::string> names[] = {
        {"mask", ""}, {"Prüfmaske 2", ""}, {".hidden", ""},
        {"../mask", "would leave the Working folder"}, {"a/b", "would leave"}, {"..", "would leave"},
        {"", "Give the limit line a name."}, {"NONE", "\"NONE\" stands for no limit line"},
        {"tab\there", "control character"}, {std::string(252, 'a'), "The name is 252 bytes long"}};
    for (const auto &[name, problem] : names) {
        const std::string said = LimitNameProblem(name);
        EXPECT_EQ(said.empty(), problem.empty()) << name;
        EXPECT_NE(said.find(problem), std::string::npos) << said;
    }
}

// Centre 100 MHz: 10 MHz/div puts 50 MHz on the left edge; the row divisor is a hair above 80/1023.
TEST(LimitLines, FrequencyToColumnAndLevelToRow)
{
    MeasurementState state;
    state.centerFreqMHz = "100.000", state.spanCaption = "10MHZ/DIV", state.refLevelDbm = "-20";
    const std::pair<double, double> columns[] = {{100, 251}, {110, 301}, {50, 1}, {49, -4}};
    for (auto [mhz, x] : columns)
        EXPECT_EQ(LimiterX(state, mhz), x) << mhz;
    const std::pair<double, double> rows[] = {{-20, 1022.9999999999997}, {-100, 0}, {-60, 511.49999999999983}};
    for (auto [dBm, y] : rows)
        EXPECT_EQ(LimiterY(state, dBm), y) << dBm;
    EXPECT_LT(LimiterY(state, -120), 0.0);  // not limited to the screen
    state.spanCaption = "1MHZ/DIV";
    EXPECT_EQ(LimiterX(state, 104.94), 498.0) << "497.9999999999999 held in single precision";
    state.spanCaption = "0HZ/DIV";
    EXPECT_EQ(LimiterX(state, 100), 0.0);
    EXPECT_EQ(LimiterX(state, -1e300), 0.0);
}

class LimitFiles : public ::testing::Test {
protected:
    // Records as two little-endian doubles, whatever the host.
    std::string Write(const std::string &name, const Points &records, size_t extraBytes = 0)
    {
        std::string bytes;
        for (auto [f, l] : records)
            for (double v : {f, l})
                for (int i = 0; i < 8; ++i)
                    bytes += static_cast<char>(std::bit_cast<uint64_t>(v) >> (8 * i));
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << bytes << std::string(extraBytes, '\x07');
        return path;
    }
    test::TempConfigHome home;
    std::filesystem::path folder = home.Path();
};

// Whole records in file order; a file without a usable record is refused with its name in the reason.
TEST_F(LimitFiles, WholeRecordsInFileOrderAndNothingUnsafe)
{
    const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
    const std::tuple<const char *, Points, size_t, Points> cases[] = {
        {"48 bytes", {{100, -20}, {110, -30}, {120, -25}}, 0, {{100, -20}, {110, -30}, {120, -25}}},
        {"16 bytes", {{100, -20}}, 0, {{100, -20}}},
        {"50 bytes: the tail is ignored", {{100, -20}, {110, -30}}, 2, {{100, -20}, {110, -30}}},
        {"NaN and infinities skipped", {{100, -20}, {nan, -30}, {120, inf}, {130, -40}}, 0, {{100, -20}, {130, -40}}},
        {"empty", {}, 0, {}}, {"short", {}, 15, {}}, {"nothing usable", {{nan, 1}}, 0, {}},
    };
    for (const auto &[name, records, extra, expected] : cases) {
        const std::string path = Write("x.lim", records, extra);
        LimitFileResult r = ReadLimitFile(path);
        EXPECT_EQ(Pairs(r.points), expected) << name;
        EXPECT_EQ(r.ok, !expected.empty()) << name;
        if (r.ok) {
            EXPECT_EQ(r.tailBytes, static_cast<int>(extra)) << name;
        } else {
            EXPECT_NE(r.error.find(path), std::string::npos) << r.error;
        }
    }
    for (const std::string &p : {(folder / "missing.lim").string(), folder.string()})
        EXPECT_NE(ReadLimitFile(p).error.find(p), std::string::npos) << p;
}

TEST_F(LimitFiles, TheSelectorListsLimitNamesOnly)
{
    for (const char *name : {"b.lim", "a.lim", "notes.txt", ".lim"})
        Write(name, {{1, 1}});
    std::filesystem::create_directories(folder / "dir.lim");
    EXPECT_EQ(ListLimitNames(folder.string()), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(ListLimitNames((folder / "nowhere").string()).empty());
}

}  // namespace
}  // namespace tavrin
