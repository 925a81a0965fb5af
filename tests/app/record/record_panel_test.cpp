// The "Trace Record" group on the control panel, against tavrin-sim: its buttons, timed and
// continuous recording, the save question, playback offline and over the live trace.
#include "panel_fixture.h"
#include "record/record_file.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

using namespace tavrin;
using namespace tavrin::test;
namespace fs = std::filesystem;

namespace {

class RecordPanelTest : public PanelTest {
protected:
    void SetUp() override
    {
        StartSim({"--no-pace"});
        dll.SetMsCounter([this] { return fakeMs += 600; });  // the replace question's pause passes at once
        Load();
        settings.RecordInterval = "0.2";
        settings.RecordTime = "1";
    }
    RecordGroup &rec() { return panel->Record(); }
    const RecordControls &ui() { return rec().Controls(); }
    // Record, Play, Load, Save: its letter when enabled.
    std::string Enabled()
    {
        std::string s;
        for (auto [b, c] : {std::pair{ui().cmdRecord, 'R'}, {ui().cmdPlayRecord, 'P'}, {ui().cmdLoadRecord, 'L'},
                            {ui().cmdSaveRecord, 'S'}})
            s += b->isEnabled() ? c : '-';
        return s;
    }
    void Start()
    {
        acq().cmdStart_Click();
        ASSERT_TRUE(acq().Running());
    }
    static TraceRecord Made(int i)
    {
        TraceRecord r;
        r.time = 45658.5 + i / 86400.0;
        r.centerFreqMHz = 150.5 + i;
        r.spanCaption = FixedText<12>("2MHZ/DIV");
        r.refLevelDbm = -10;
        r.rbwCaption = FixedText<8>("30KHZ");
        r.points.fill(static_cast<int16_t>(100 * (i + 1)));
        r.points[10] = 5000;
        r.points[11] = -5;
        return r;
    }
    void LoadFile(const RecordTable &entries)
    {
        const std::string path = home.Path() + "/made.spf";
        std::ofstream out(path, std::ios::binary);
        for (const TraceRecord &entry : entries)
            out.write(reinterpret_cast<const char *>(EncodeRecord(entry).data()), kRecordBytes);
        out.close();
        dialogs.files = {path};
        rec().cmdLoadRecord_Click();
    }
    // A file of `filled` made entries followed by empty ones.
    void LoadMade(int filled, int size)
    {
        RecordTable entries(static_cast<size_t>(size));
        for (int i = 0; i < filled; ++i)
            entries[static_cast<size_t>(i)] = Made(i);
        LoadFile(entries);
    }
    uint32_t fakeMs = 0;
};

TEST_F(RecordPanelTest, ButtonsFollowRecordingPlaybackAndLoad)
{
    EXPECT_EQ(Enabled(), "R-L-");
    rec().cmdRecord_Click();  // the acquisition is stopped: nothing to record
    EXPECT_FALSE(rec().Recording());
    EXPECT_EQ(Enabled(), "R-L-");
    Start();
    rec().cmdRecord_Click();
    EXPECT_EQ(ui().cmdRecord->text(), "Stop");
    EXPECT_EQ(rec().TimerPlay().interval(), 200);
    EXPECT_EQ(rec().Table().size(), 301u);
    EXPECT_EQ(Enabled(), "R---");
    rec().cmdRecord_Click();
    EXPECT_EQ(Enabled(), "RPL-");
    rec().cmdPlayRecord_Click();
    EXPECT_EQ(ui().cmdPlayRecord->text(), "Pause");
    EXPECT_EQ(Enabled(), "-P--");
    rec().cmdPlayRecord_Click();
    EXPECT_EQ(Enabled(), "RPLS");
    settings.RecordTime = "Continuous";
    rec().cmdRecord_Click();  // the file question is cancelled
    EXPECT_FALSE(rec().Recording());
    EXPECT_EQ(Enabled(), "R-L-");
    rec().cmdLoadRecord_Click();  // cancelled too
    EXPECT_EQ(Enabled(), "RPL-");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RecordPanelTest, StartsWithUnusableSettingsAreRefused)
{
    Start();
    struct Case {
        const char *interval, *time, *says;
    } cases[] = {{"0", "1", "interval \"0\""}, {"0", "Continuous", "interval \"0\""}, {"0.01", "30", "32767"},
                 {"1", "-1", "time \"-1\""}};
    for (const Case &c : cases) {
        settings.RecordInterval = c.interval;
        settings.RecordTime = c.time;
        const size_t before = dialogs.messages.size();
        rec().cmdRecord_Click();
        EXPECT_FALSE(rec().Recording()) << c.interval << " s, " << c.time;
        EXPECT_EQ(Enabled(), "R-L-");
        ASSERT_EQ(dialogs.messages.size(), before + 1);
        EXPECT_NE(dialogs.messages.back().text.find(c.says), std::string::npos) << dialogs.messages.back().text;
    }
    EXPECT_TRUE(dialogs.filters.empty()) << "no file was asked for";
}

TEST_F(RecordPanelTest, ATimedRecordingEndsAtItsTimeOrWhenItsTableIsFull)
{
    Start();
    rec().cmdRecord_Click();
    const std::time_t t0 = std::time(nullptr);
    for (std::time_t screen : {t0, t0 + 58, t0 + 60}) {
        acq().ScreenTime() = screen;
        rec().TimerPlay_Timer();
    }
    EXPECT_FALSE(rec().Recording());
    EXPECT_EQ(ui().cmdRecord->text(), "Record");
    EXPECT_EQ(rec().Position(), 3);
    const TraceRecord &first = rec().Table()[0];
    EXPECT_EQ(FromRecordTime(first.time), t0);
    EXPECT_EQ(first.centerFreqMHz, 80);
    EXPECT_EQ(FieldText(first.spanCaption), "10MHZ/DIV   ");
    EXPECT_EQ(FieldText(first.rbwCaption), "4MHZ    ");
    EXPECT_EQ(first.points, acq().Live());
    EXPECT_FALSE(rec().Table()[3].Filled());

    settings.RecordTime = "0.01";  // 0.6 s at 0.2 s: 4 entries
    acq().ScreenTime() = std::time(nullptr);
    rec().cmdRecord_Click();
    acq().cmdStart_Click();  // the screen time stands still from here
    for (int tick = 0; tick < 5; ++tick)
        rec().TimerPlay_Timer();
    EXPECT_FALSE(rec().Recording());
    EXPECT_EQ(rec().Position(), 4);
    EXPECT_EQ(rec().Table().size(), 4u);
    EXPECT_TRUE(rec().Table()[3].Filled());
}

TEST_F(RecordPanelTest, AContinuousRecordingWritesEveryTickAndStopsWhenItsFileFails)
{
    Start();
    settings.RecordTime = "Continuous";
    const std::string file = home.Path() + "/run.spf";
    dialogs.files = {home.Path() + "/run"};
    rec().cmdRecord_Click();
    ASSERT_TRUE(rec().Recording());
    for (int i = 0; i < 10; ++i) {
        acq().ScreenTime() = 1'800'000'000 + i;
        rec().TimerPlay_Timer();
    }
    rec().cmdRecord_Click();
    EXPECT_EQ(fs::file_size(file), 10600u) << "stopping writes nothing more";
    RecordTable table;
    ASSERT_TRUE(LoadRecordFile(file, table).ok);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(FromRecordTime(table[i].time), 1'800'000'000 + i);
    EXPECT_EQ(rec().Table().size(), 100u);

    dialogs.files = {file};
    dialogs.yesNo = {true};
    rec().cmdRecord_Click();
    ASSERT_TRUE(rec().Recording());
    rec().TimerPlay_Timer();
    fs::remove(file);
    rec().TimerPlay_Timer();
    EXPECT_FALSE(rec().Recording());
    EXPECT_FALSE(rec().TimerPlay().isActive());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find(file + ": No such file or directory). Records written to it before: 1."),
              std::string::npos)
        << dialogs.messages[0].text;
}

TEST_F(RecordPanelTest, SaveAsksBeforeReplacingAndTellsWhenItFails)
{
    LoadMade(2, 3);
    const std::string b = home.Path() + "/b.spf";
    std::ofstream(b) << "old";
    dialogs.files = {b, std::nullopt};  // No, then cancel
    rec().cmdSaveRecord_Click();
    EXPECT_EQ(fs::file_size(b), 3u);
    EXPECT_EQ(dialogs.questions.back().text, b + " existed!\r\nReplace it?");
    dialogs.files = {b, home.Path() + "/c"};  // No, then another name
    rec().cmdSaveRecord_Click();
    EXPECT_EQ(fs::file_size(b), 3u);
    EXPECT_EQ(fs::file_size(home.Path() + "/c.spf"), 2120u);
    dialogs.files = {b};
    dialogs.yesNo = {true};
    rec().cmdSaveRecord_Click();
    EXPECT_EQ(fs::file_size(b), 2120u);
    EXPECT_EQ(rec().Position(), 2);
    EXPECT_TRUE(dialogs.messages.empty());

    dialogs.files = {home.Path() + "/gone/d.spf"};
    rec().cmdSaveRecord_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find("No such file or directory"), std::string::npos);
    EXPECT_EQ(rec().Table().size(), 3u);
}

TEST_F(RecordPanelTest, PlaybackShowsTheEntriesInOrderOfflineAndOverTheLiveTrace)
{
    struct Case {
        bool running;
        int filled, size;
        std::vector<int> shown;  // -1: the tick shows nothing and goes back to the first entry
    } cases[] = {{false, 3, 5, {0, 1, 2, -1, 0}}, {false, 3, 3, {0, 1, 2, -1, 0}}, {true, 3, 5, {0, 1, 2, -1, 0}},
                 {true, 3, 3, {0, 1, 2, 0}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << (c.running ? "overlay " : "offline ") << c.filled << " of " << c.size);
        Load();
        LoadMade(c.filled, c.size);
        if (c.running)
            Start();
        rec().cmdPlayRecord_Click();
        EXPECT_EQ(acq().TraceDrawColor(), c.running ? settings.Colors.Trace : settings.Colors.Play);
        for (int expected : c.shown) {
            const int redraws = display.RedrawCount();
            const LiveTrace before = rec().PlayTrace();
            rec().TimerPlay_Timer();
            const PlaybackView view = rec().Playback();
            if (expected < 0) {
                EXPECT_EQ(rec().Position(), 0);
                EXPECT_EQ(display.RedrawCount(), redraws);
                EXPECT_EQ(rec().PlayTrace(), before);
                continue;
            }
            EXPECT_EQ(rec().ShownIndex(), expected);
            const LiveTrace *shown = c.running ? &rec().PlayTrace() : view.liveTrace;
            ASSERT_NE(shown, nullptr);
            EXPECT_EQ((*shown)[0], 100 * (expected + 1));
            EXPECT_EQ((*shown)[10], 1023) << "clamped to the screen";
            EXPECT_EQ((*shown)[11], 0);
            if (!c.running) {
                EXPECT_EQ(acq().ScreenTime(), FromRecordTime(Made(expected).time));
                EXPECT_EQ(basicUi().txtCenterFreq->text().toStdString(), std::to_string(150 + expected) + ".5");
                EXPECT_EQ(basicUi().cboSpan->currentText(), "2MHZ/DIV    ");
                EXPECT_EQ(basicUi().cboRefLevel->currentText(), "-10");
                EXPECT_EQ(basicUi().cboRBW->currentText(), "30KHZ   ");
            } else {
                EXPECT_EQ(view.secondTrace->centerFreqMHz, 150.5 + expected);
            }
        }
        rec().cmdPlayRecord_Click();  // pause after entry 0, play on: entry 1 comes next
        rec().cmdPlayRecord_Click();
        rec().TimerPlay_Timer();
        EXPECT_EQ(rec().ShownIndex(), 1);
        if (!c.running) {  // the analyzer's own settings come back with the acquisition
            Start();
            EXPECT_EQ(basicUi().cboSpan->currentText(), "10MHZ/DIV");
            EXPECT_EQ(basicUi().cboRefLevel->currentText(), "0");
        }
    }
}

TEST_F(RecordPanelTest, DamagedRecordsPlayWithoutHarmAndNaNEndsTheRecord)
{
    markerUi().chkMKR[0]->setChecked(true);
    markerUi().txtMKR[0]->setText("150");
    TraceRecord absurd = Made(0);
    absurd.centerFreqMHz = 1e300;
    absurd.spanCaption = {'\0', '\x1b', '5', 'M', 'H', 'Z', '/', 'D', 'I', 'V', '\xff', '\0'};
    absurd.refLevelDbm = -32768;
    absurd.points.fill(-32768);
    TraceRecord nan = Made(1);
    nan.centerFreqMHz = std::nan("");
    LoadFile({absurd, nan, Made(2)});
    for (bool running : {false, true}) {
        if (running)
            Start();
        rec().cmdPlayRecord_Click();
        rec().TimerPlay_Timer();
        EXPECT_EQ(rec().ShownIndex(), 0);
        if (!running) {
            EXPECT_EQ(basicUi().cboSpan->currentText(), QString::fromLatin1(" ?5MHZ/DIV\xff "));
        }
        acq().Timer1_Timer();
        rec().TimerPlay_Timer();  // the NaN entry ends the record
        EXPECT_EQ(rec().Position(), 0);
        rec().cmdPlayRecord_Click();
    }
    EXPECT_EQ(rec().Playback().secondTrace->spanCaption, " ?5MHZ/DIV\xff ");
}

// As a person uses it, with the real timers: record, play over the live trace, save, load, play.
TEST_F(RecordPanelTest, RecordSaveLoadAndPlayBackAgainstTheSimulator)
{
    settings.RecordTime = "0.02";  // 1.2 s at 0.2 s
    acqUi().cmdStart->click();
    ui().cmdRecord->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rec().Recording(); }, 5000));
    const int recorded = rec().Position();
    EXPECT_GE(recorded, 3);
    EXPECT_LE(recorded, 7);
    ui().cmdPlayRecord->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rec().PlayTrace()[100] != 0; }, 2000));
    ui().cmdPlayRecord->click();
    const std::string path = home.Path() + "/e2e.spf";
    dialogs.files = {path, path, home.Path() + "/e2e.csv"};
    ui().cmdSaveRecord->click();
    acqUi().cmdStart->click();
    ui().cmdLoadRecord->click();
    EXPECT_EQ(rec().Table().size(), static_cast<size_t>(recorded));
    ui().cmdPlayRecord->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rec().Playback().liveTrace != nullptr; }, 2000));
    EXPECT_EQ(basicUi().cboSpan->currentText(), "10MHZ/DIV   ");
    rec().ExportCsv();
    std::ifstream csv(home.Path() + "/e2e.csv");
    EXPECT_EQ(std::count(std::istreambuf_iterator<char>(csv), {}, '\n'), recorded + 1);
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
