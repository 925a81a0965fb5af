// The record file: its byte layout, the record count of any file length, the timed recording's
// entry count, appends that survive a kill, and the CSV export. The "Trace Record" group on the
// panel with the fake analyzer: what it refuses, a file that fails under a continuous recording or
// a save, empty and damaged files, long file work beside the window, and playback.
#include "common/date_format.h"
#include "record/record_appender.h"
#include "record/record_csv.h"
#include "record/record_file.h"
#include "record_panel_fixture.h"

#include <QElapsedTimer>
#include <bit>
#include <cmath>
#include <csignal>
#include <fstream>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

using namespace tavrin;
using namespace tavrin::test;
namespace fs = std::filesystem;

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

class RecordFileTest : public ::testing::Test {
protected:
    TempConfigHome home;
    std::string path = home.Path() + "/r.spf";
};

TEST_F(RecordFileTest, ARecordLoadsFieldByFieldAndIsWrittenBackByteForByte)
{
    const std::vector<uint8_t> hand = HandRecord();
    const TraceRecord r = DecodeRecord(hand.data());
    EXPECT_EQ(FormatScreenTime(FromRecordTime(r.time)), "Jan. 01 / 2025  12:00:00");
    EXPECT_EQ(ToRecordTime(FromRecordTime(r.time)), 45658.5);
    EXPECT_EQ(r.centerFreqMHz, 433.92);
    EXPECT_EQ(FieldText(r.spanCaption) + FieldText(r.rbwCaption), "10MHZ/DIV   30KHZ   ");
    EXPECT_EQ(r.refLevelDbm, -20);
    EXPECT_EQ(r.points[0], -300);
    EXPECT_EQ(r.points[499], 3193);
    const RecordBytes written = EncodeRecord(r);
    EXPECT_TRUE(std::equal(hand.begin(), hand.begin() + kRecordDataBytes, written.begin()));
    EXPECT_EQ(FieldText(FixedText<12>("10MHZ/DIV")), "10MHZ/DIV   ") << "a 10-character caption keeps 2 blanks";
}

TEST_F(RecordFileTest, AnyFileLengthGivesTheRoundedRecordCount)
{
    const std::vector<uint8_t> hand = HandRecord();
    struct Case { size_t bytes, records; };  // records 0: the table stays as it was
    const Case cases[] = {{0, 0}, {529, 0}, {530, 0}, {531, 1}, {1590, 2}, {2650, 2}, {3180, 3}};
    for (const auto &c : cases) {
        std::vector<uint8_t> bytes;
        while (bytes.size() < c.bytes)
            bytes.insert(bytes.end(), hand.begin(), hand.end());
        bytes.resize(c.bytes);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), c.bytes);
        RecordTable table(7);
        ASSERT_TRUE(LoadRecordFile(path, table).ok) << c.bytes;
        EXPECT_EQ(table.size(), c.records ? c.records : 7) << c.bytes;
        if (c.bytes == 1590) {  // the second record is cut in its points: the rest reads as 0
            EXPECT_EQ(table[1].points[0], -300);
            EXPECT_EQ(table[1].points[499], 0);
        }
    }
}

TEST(RecordCountTest, TimedEntriesAndRefusedSettings)
{
    struct Case { double minutes, interval; std::optional<int32_t> entries; };
    const auto none = std::nullopt;
    const Case cases[] = {{1, 0.2, 301},     {0.5, 0.7, 44}, {30, 0.2, 9001},     {546.1, 1, 32767},
                          {546.12, 1, none}, {1, 0, none},   {1, 0.0004, none}, {-1, 1, none}};
    for (const auto &c : cases)
        EXPECT_EQ(TimedEntryCount(c.minutes, c.interval), c.entries) << c.minutes << " min, " << c.interval << " s";
}

TEST_F(RecordFileTest, AppendsLandInTickOrderAndSurviveAKill)
{
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    if (child == 0) {
        RecordAppender file;
        if (file.Open(path, RecordAppender::Mode::Replace) != RecordAppender::Opened::Ok)
            _exit(1);
        for (int32_t i = 0; i < 10000; ++i) {
            TraceRecord r = DecodeRecord(HandRecord(1000 + i).data());
            if (!file.Append(r).empty() || write(pipeFds[1], &i, sizeof i) != sizeof i)
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

    // A hold row: its name in place of the time, its own settings; dBu 107 above dBm.
    TracePoints held{};
    held[0] = 1023, held[1] = 767;
    const std::string holds = CsvHoldRows({{"min_hold", nullptr, {}}, {"max_hold", &held, {100.5, "1MHZ/DIV", -10, "3KHZ"}}}, true);
    EXPECT_EQ(holds.rfind("max_hold,100.5,1MHZ/DIV,-10,3KHZ,97,77,17.078125,", 0), 0u) << holds.substr(0, 60);
    EXPECT_EQ(std::count(holds.begin(), holds.end(), '\n'), 1);
    // Points and levels at the ends of 16 bits come out whole, without overflow (dBu).
    TraceRecord wild = table[0];
    wild.refLevelDbm = -32768, wild.points.fill(-32768);
    EXPECT_NE(RecordCsv({wild}, true).find(",-32768,30KHZ,-35300.921875,-35300.921875,"), std::string::npos);
    wild.refLevelDbm = 32767, wild.points.fill(32767);
    EXPECT_NE(RecordCsv({wild}, true).find(",32767,30KHZ,35354,35354,"), std::string::npos);
}

TEST_F(RecordPanelTest, StartsWithUnusableSettingsAreRefused)
{
    StartAcquiring();
    struct Case { const char *interval, *time, *says; };
    const Case cases[] = {{"0", "1", "interval \"0\""}, {"0", "Continuous", "interval \"0\""}, {"0.01", "30", "32767"},
                          {"1", "-1", "time \"-1\""}};
    for (const auto &c : cases) {
        settings.RecordInterval = c.interval, settings.RecordTime = c.time;
        Click("cmdRecord");
        EXPECT_FALSE(recorder().Recording()) << c.interval << " s, " << c.time;
        EXPECT_TRUE(Find("cmdLoadRecord")->isEnabled());
        ASSERT_FALSE(dialogs.messages.empty());
        EXPECT_NE(dialogs.messages.back().text.find(c.says), std::string::npos) << dialogs.messages.back().text;
    }
    EXPECT_EQ(dialogs.messages.size(), 4u);
    EXPECT_TRUE(dialogs.filters.empty()) << "no file was asked for";
}

// Every 0.2 s the newest trace is one record, flushed (none while no trace comes: the session's
// recorder test); a file that goes away stops the recording with the count of what it holds.
TEST_F(RecordPanelTest, AContinuousRecordingWritesEachNewTraceAndStopsWhenItsFileFails)
{
    StartAcquiring();
    settings.RecordTime = "Continuous";
    const std::string file = home.Path() + "/run.spf";
    dialogs.files = {home.Path() + "/run"};
    Click("cmdRecord");
    ASSERT_TRUE(recorder().Recording());
    Run(2100ms);
    const int32_t written = recorder().FileCount();
    EXPECT_GE(written, 9);
    Click("cmdRecord");
    Run(1s);
    EXPECT_EQ(fs::file_size(file), static_cast<uintmax_t>(written) * kRecordBytes) << "flushed; nothing after the stop";

    dialogs.files = {file};
    dialogs.yesNo = {true};
    Click("cmdRecord");
    ASSERT_TRUE(recorder().Recording());
    Run(300ms);
    fs::remove(file);
    Run(300ms);
    EXPECT_FALSE(recorder().Recording());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find(file + " was deleted while it was being written). Records written to it "
                                                   "before: 1."),
              std::string::npos)
        << dialogs.messages[0].text;
    // A file a sweep appends to is left to the sweep.
    RecordAppender sweep;
    ASSERT_EQ(sweep.Open(file, RecordAppender::Mode::Append), RecordAppender::Opened::Ok);
    dialogs.files = {file};
    dialogs.yesNo = {true};
    Click("cmdRecord");
    EXPECT_FALSE(recorder().Recording());
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_NE(dialogs.messages[1].text.find("The recording cannot start: the record file could not be created (" + file +
                                            " is being written by another recording"),
              std::string::npos)
        << dialogs.messages[1].text;
}

TEST_F(RecordPanelTest, SaveAsksBeforeReplacingAndTellsWhenItFails)
{
    LoadFile({Made(150.5), Made(151.5), TraceRecord{}});
    Click("cmdPlayRecord"), Click("cmdPlayRecord");  // Save comes with a pause
    const std::string b = home.Path() + "/b.spf";
    std::ofstream(b) << "old";
    dialogs.files = {b, home.Path() + "/c"};  // No, then another name
    Press("cmdSaveRecord");
    EXPECT_EQ(fs::file_size(b), 3u);
    EXPECT_EQ(dialogs.questions.back().text, b + " existed!\r\nReplace it?");
    EXPECT_EQ(fs::file_size(home.Path() + "/c.spf"), 2120u);
    dialogs.files = {b};
    dialogs.yesNo = {true};
    Press("cmdSaveRecord");
    EXPECT_EQ(fs::file_size(b), 2120u);
    EXPECT_TRUE(dialogs.messages.empty());

    dialogs.files = {home.Path() + "/gone/d.spf", home.Path() + "/gone/e.csv"};
    Press("cmdSaveRecord");
    rec().ExportCsv();
    Finish();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_NE(dialogs.messages[0].text.find("No such file or directory"), std::string::npos);
    EXPECT_NE(dialogs.messages[1].text.find("The CSV file was not written"), std::string::npos);
    EXPECT_EQ(recorder().Table().size(), 2u);
}

// An empty file holds no record and leaves Play off; a damaged file's impossible records (up to
// an empty entry, which ends the record) are counted once and the rest is loaded if the user wants.
TEST_F(RecordPanelTest, EmptyRandomAndDamagedFilesAreReported)
{
    LoadFile({});
    const std::string made = home.Path() + "/made.spf";
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, made + " holds no record.");
    std::mt19937 random(7);
    std::string noise(10 * kRecordBytes, '\0');
    for (char &c : noise)
        c = static_cast<char>(random());
    std::ofstream(made, std::ios::binary) << noise;
    dialogs.files = {made};
    Press("cmdLoadRecord");
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text.find("None of the 10 records in " + made + " can be real"), 0u);
    EXPECT_FALSE(Find("cmdPlayRecord")->isEnabled());

    const std::function<void(TraceRecord &)> damage[] = {
        [](TraceRecord &r) { r.centerFreqMHz = 1150.001; }, [](TraceRecord &r) { r.centerFreqMHz = -1; },
        [](TraceRecord &r) { r.time = std::nan(""); },      [](TraceRecord &r) { r.spanCaption = FixedText<12>("3MHZ/DIV"); },
        [](TraceRecord &r) { r.rbwCaption = FixedText<8>("3 KHZ"); }, [](TraceRecord &r) { r.refLevelDbm = 5; },
        [](TraceRecord &r) { r.points[499] = 1024; },       [](TraceRecord &r) { r.points[0] = -1; }};
    RecordTable entries = {Made(150.5)};
    for (const auto &spoil : damage)
        spoil(entries.emplace_back(Made(151)));
    entries.push_back(Made(1150));
    entries.back().spanCaption = FixedText<12>(""), entries.back().rbwCaption = FixedText<8>("4mhz");
    entries.insert(entries.end(), {TraceRecord{}, Made(152)});  // beyond the end
    for (bool yes : {false, true}) {
        dialogs.yesNo = {yes};
        LoadFile(entries);
        ASSERT_EQ(dialogs.questions.size(), yes ? 2u : 1u);
        EXPECT_EQ(dialogs.questions.back().text.find("8 of the 10 records in " + made + " cannot be real"), 0u);
        EXPECT_NE(dialogs.questions.back().text.find("Load the other 2 to play them?"), std::string::npos);
        EXPECT_EQ(Find("cmdPlayRecord")->isEnabled(), yes);
        EXPECT_EQ(recorder().Table().size(), yes ? 2u : 0u);
    }
    EXPECT_EQ(recorder().Table()[1].centerFreqMHz, 1150);
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

// A long export runs beside the window: its timers keep firing, a cancel part-way leaves the old
// file as it was and nothing else, and an export in full holds every row. A name of 255 bytes is
// saved and read back.
TEST_F(RecordPanelTest, LongFileWorkKeepsTheWindowAnsweringAndLeavesNoPartialFile)
{
    LoadFile(RecordTable(10000, Made(150.5)));
    const std::string csv = home.Path() + "/big.csv";
    std::ofstream(csv) << "old";
    const auto before = std::distance(fs::directory_iterator(home.Path()), fs::directory_iterator());
    QElapsedTimer clock;
    int beats = 0;
    qint64 last = 0, worst = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] {
        worst = std::max(worst, clock.elapsed() - last), last = clock.elapsed(), ++beats;
    });
    for (bool cancel : {true, false}) {
        dialogs.files = {csv}, dialogs.yesNo = {true}, dialogs.progressSeen = 0;
        dialogs.cancelAt = cancel ? std::optional(0.01) : std::nullopt;  // once some is written
        beats = 0, last = 0, worst = 0;
        clock.start(), beat.start(5);
        rec().ExportCsv();
        Finish();
        beat.stop();
        EXPECT_GE(beats, cancel ? 1 : 5) << "the window answered all along";
        EXPECT_LT(worst, 100) << "ms between two beats";
        if (cancel) {
            EXPECT_TRUE(dialogs.progressSeen > 0 && dialogs.progressSeen < 1) << dialogs.progressSeen;
            EXPECT_EQ(fs::file_size(csv), 3u) << "the old file";
        }
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(home.Path()), fs::directory_iterator()), before);
    std::ifstream in(csv, std::ios::binary);
    std::string row, lastRow;
    int rows = 0;
    while (std::getline(in, row))
        ++rows, lastRow = row;
    EXPECT_EQ(rows, 10001);
    EXPECT_EQ(lastRow.substr(0, 54), "2025-01-01T12:00:00,150.5,2MHZ/DIV,0,30KHZ,-40.859375,");
    EXPECT_EQ(lastRow.size(), 42 + 500 * 11 + 1u) << "and the CR";
    EXPECT_TRUE(dialogs.messages.empty());

    const std::string longName = home.Path() + "/" + std::string(251, 'n') + ".spf";
    Click("cmdPlayRecord"), Click("cmdPlayRecord");  // Save comes with a pause
    dialogs.files = {longName};
    Press("cmdSaveRecord");
    EXPECT_EQ(fs::file_size(longName), 10000 * kRecordBytes);
    LoadFile({Made(1)});
    dialogs.files = {longName};
    Press("cmdLoadRecord");
    EXPECT_EQ(recorder().Table().size(), 10000u);
    EXPECT_TRUE(dialogs.messages.empty());
}

// Offline the entries come in order, with one empty step at the end before the first again, and
// a pause keeps the position; the screen's time is the entry's; over the live trace the boxes keep
// the live settings.
TEST_F(RecordPanelTest, PlaybackGoesInOrderOfflineAndOverTheLiveTrace)
{
    EXPECT_FALSE(Find("cmdPlayRecord")->isEnabled());
    RecordTable entries = {Made(150.5), Made(151.5), Made(152.5)};
    entries[1].time += 1.0 / 1440;  // a minute later
    LoadFile(entries);
    ASSERT_TRUE(Find("cmdPlayRecord")->isEnabled());
    Click("cmdPlayRecord");
    EXPECT_EQ(Find("cmdPlayRecord")->text(), "Pause");
    auto enabled = [&](const char *button) { return Find(button)->isEnabled(); };
    EXPECT_FALSE(enabled("cmdRecord") || enabled("cmdLoadRecord") || enabled("cmdSaveRecord"));
    std::vector<std::string> shown;
    std::time_t shownAt = 0;
    for (int step = 0; step < 6; ++step) {
        if (step == 2) {  // paused and played again
            Click("cmdPlayRecord");
            EXPECT_TRUE(enabled("cmdRecord") && enabled("cmdLoadRecord") && enabled("cmdSaveRecord"));
            Click("cmdPlayRecord");
        }
        Run(200ms);
        shown.push_back(Find<QLineEdit>("txtCenterFreq")->text().toStdString());
        if (step == 1)
            shownAt = session->Shown()->time;
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"150.5", "151.5", "152.5", "152.5", "150.5", "151.5"}));
    EXPECT_EQ(FormatScreenTime(shownAt), "Jan. 01 / 2025  12:01:00") << "the entry shown";
    StartAcquiring();
    const std::string live = Find<QLineEdit>("txtCenterFreq")->text().toStdString();
    Run(200ms);
    EXPECT_EQ(Find<QLineEdit>("txtCenterFreq")->text().toStdString(), live);
    EXPECT_EQ(recorder().PlayTrace()[0], 500);
}

}  // namespace
