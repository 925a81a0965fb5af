// The control panel with the display window, against tavrin-sim: start-up, link check,
// acquisition, the running average, the saved texts and Quit.
#include "support/panel_fixture.h"

#include "limits/limit_group.h"
#include "record/record_group.h"

#include "common/date_format.h"
#include "limits/limit_file.h"
#include "settings/program_settings.h"
#include "trace_modes/trace_group.h"

#include <fstream>
#include <sstream>

using namespace tavrin;
using namespace tavrin::test;

namespace {

// Started before the instrument: the message says what is missing, and the next Start opens the
// port afresh.
TEST_F(PanelTest, StartWithoutAnInstrumentShowsTheMessageUntilTheInstrumentIsThere)
{
    fake.silent = true;
    Load();
    for (int click = 0; click < 2; ++click) {
        Click("cmdStart");
        EXPECT_EQ(Find("cmdStart")->text(), "Stop") << "waits for the answer";
        RunUntil([&] { return dialogs.messages.size() == static_cast<size_t>(click + 1); });
        EXPECT_FALSE(session->Line().Running());
        EXPECT_EQ(Find("cmdStart")->text(), "Start");
    }
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].title, "Warring");
    EXPECT_EQ(dialogs.messages[0].text.rfind("Communication Error!", 0), 0u);
    fake.silent = false;
    StartAcquiring();  // asserts the acquisition runs
}

// A block that fails its checks carries no settings: Start keeps what the panel shows.
TEST_F(PanelTest, StartAfterAFailedFetchKeepsThePanel)
{
    OperationFile saved = DefaultOperation();
    saved.SavedCenterFreq = "433.920", saved.SavedSpan = "1MHZ/DIV";
    ASSERT_TRUE(SaveOperation(LogPath(), saved));
    fake.garbled = true;
    Load();
    Click("cmdStart");
    Run(2s);
    EXPECT_EQ(Shown(), "433.920|1MHZ/DIV|0|3KHZ");
}

// Each trace shows the running average of the traces taken since averaging was switched on, point
// by point (a ramp, halves to even).
TEST_F(PanelTest, EachTraceShowsTheAverageSoFar)
{
    fake.level = [](int n, uint64_t k, const AnalyzerSettings &) { return static_cast<int16_t>((k < 1 ? 100 : 201) + n); };
    Load();
    Click("cmdAVG");
    Click("cmdStart");
    std::vector<std::pair<int, int>> shown;  // points 10 and 11
    TraceBus::Connection keep = session->Bus().Connect([&](const TracePtr &t) { shown.emplace_back(t->points[10], t->points[11]); });
    RunUntil([&] { return shown.size() == 3; }, 2s);
    EXPECT_EQ(shown, (std::vector<std::pair<int, int>>{{110, 111}, {160, 162}, {177, 178}}));
    EXPECT_EQ(session->Live()->kind, TraceKind::Averaged);
}

// Saved texts are trimmed, the reference level rounded and saturated, unknown captions show the
// first row; each spinner stands on the row its box shows, so the first click moves from there.
TEST_F(PanelTest, SavedTextsAreShownAndTheSpinnersStandOnTheirRows)
{
    struct Case { const char *center, *span, *ref, *rbw, *shown; int spanRow, refRow; };
    const Case cases[] = {{"  433.920 ", "0HZ/DIV", "-20", "30KHZ", "433.920|0HZ/DIV|-20|30KHZ", 0, 1},
                          {"1", "", "", "", "1|10MHZ/DIV|0|3KHZ", 12, 3},
                          {"1", "1MHZ/DIV", "19.9", "4MHZ", "1|1MHZ/DIV|20|4MHZ", 9, 5},
                          {"1", "1MHZ/DIV", "-10.4", "", "1|1MHZ/DIV|-10|3KHZ", 9, 2},
                          {"1", "1MHZ/DIV", "99999999999", "", "1|1MHZ/DIV|-30|3KHZ", 9, 0},
                          {"", "XYZ", "7", "220khz", "80.000|0HZ/DIV|-30|220KHZ", 0, 0}};
    for (const auto &c : cases) {
        OperationFile saved = DefaultOperation();
        saved.SavedCenterFreq = c.center, saved.SavedSpan = c.span;
        saved.SavedRefLevel = c.ref, saved.SavedRbw = c.rbw;
        saved.SavedMarkers[2] = " 434.000";
        ASSERT_TRUE(SaveOperation(LogPath(), saved));
        Load();
        EXPECT_EQ(Shown(), c.shown);
        EXPECT_EQ(Find<Spinner>("updSpan")->Position(), c.spanRow) << c.shown;
        EXPECT_EQ(Find<Spinner>("updRefLevel")->Position(), c.refRow) << c.shown;
        EXPECT_EQ(Find<Spinner>("updRBW")->isEnabled(), c.spanRow == 0) << c.shown;
        EXPECT_EQ(Find<QLineEdit>("txtMKR", 2)->text(), "434.000");
    }
    Find<Spinner>("updRBW")->ClickDown();
    EXPECT_EQ(Find<QComboBox>("cboRBW")->currentText(), "30KHZ") << "one row down from the shown 220KHZ";
    EXPECT_EQ(settings.CaptureDir, folder) << "captures go to the program's folder";
}

TEST_F(PanelTest, QuitAndClosingWriteEveryTextOfThePanel)
{
    Load();
    session->Settings().ShowRecorded({123.456, "1MHZ/DIV", -20, "220KHZ"});
    for (int i = 0; i < 5; ++i)
        session->Markers().SetFrequencyText(i, "10" + std::to_string(i + 1) + ".5");
    panel->Quit();
    EXPECT_EQ(quits, 1);
    OperationFile read;
    ASSERT_EQ(LoadOperation(LogPath(), read).status, LoadStatus::Loaded);
    EXPECT_EQ(read.SavedCenterFreq + "|" + read.SavedSpan + "|" + read.SavedRefLevel + "|" + read.SavedRbw,
              "123.456|1MHZ/DIV|-20|220KHZ");
    EXPECT_EQ(read.SavedMarkers, (std::array<std::string, 5>{"101.5", "102.5", "103.5", "104.5", "105.5"}));
    EXPECT_EQ(read.AverageCount, 4) << "first-start defaults are written";

    std::filesystem::remove(LogPath());
    Load();
    Enter("txtCenterFreq", "7");
    panel->close();
    EXPECT_EQ(quits, 2);
    ASSERT_EQ(LoadOperation(LogPath(), read).status, LoadStatus::Loaded);
    EXPECT_EQ(read.SavedCenterFreq, "7.000");
}

// Three traces whose peaks cross, then one at another span: the max hold keeps the highest of the
// three, Peak and the CSV file take it, and the reported span change starts it afresh. The
// measurements switched on come back at the next start, the holds do not.
TEST_F(PanelTest, MaxHoldKeepsTheShownTracesUntilTheAnalyzerReportsOtherSettings)
{
    const std::pair<int, int> peaks[] = {{100, 900}, {300, 800}, {200, 700}, {400, 600}};
    fake.level = [&](int n, uint64_t k, const AnalyzerSettings &) {
        return static_cast<int16_t>(n == peaks[std::min<uint64_t>(k, 3)].first ? peaks[std::min<uint64_t>(k, 3)].second : 100);
    };
    Load();
    Find<QCheckBox>("chkMaxHold")->click();
    Click("cmdStart");
    RunUntil([&] { return fake.TracesSent() == 3; }, 2s);
    session->Stop();
    const TracePoints &held = *session->Holds().Held(HoldKind::Max);
    EXPECT_EQ(std::vector<int>({held[100], held[300], held[200], held[0]}), std::vector<int>({900, 800, 700, 100}));
    Click("cmdPeak");
    EXPECT_EQ(Find<QLineEdit>("txtMKR", 0)->text(), "49.8000") << "point 100, not the live trace's 200";
    dialogs.files = {home.Path() + "/t.csv"};
    panel->Record().ExportCsv();
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(home.Path() + "/t.csv"); }, 5000));
    std::stringstream csv;
    csv << std::ifstream(home.Path() + "/t.csv").rdbuf();
    EXPECT_NE(csv.str().find("\r\nmax_hold,80,10MHZ/DIV,0,4MHZ,-72.109375,"), std::string::npos);  // 923 steps below 0 dBm

    fake.settings.span = "5MHZ/DIV";
    StartAcquiring();
    session->Stop();
    EXPECT_EQ((std::pair<int, int>(held[100], held[400])), std::pair(100, 600));
    Find<QCheckBox>("chkOccupiedBW")->click();
    EXPECT_EQ(display.Bottom(), -480) << "a row for the table";
    panel->Quit();
    EXPECT_TRUE(LoadProgramSettings(folder + "/TavrinRemote.ini").traceModes.occupiedBandwidth);
    Load();
    EXPECT_TRUE(Find<QCheckBox>("chkOccupiedBW")->isChecked() && !Find<QCheckBox>("chkMaxHold")->isChecked());
    EXPECT_EQ(display.Bottom(), -480);
}

}  // namespace

namespace {

// An upper line at -40 dBm across the screen and beyond; step 511 is -40 dBm (touching), 600 is
// -33.046875, 6.953125 dB over it. Each trace is judged once, at the clock's seconds: pass, fail
// (news), fail, pass, fail 2.5 s after the first capture (news, but no capture), fail a minute
// after the last log line (logged).
TEST_F(PanelTest, ALimitLineJudgesEachTraceCountsBeepsCapturesAndLogsItsFailures)
{
    std::filesystem::create_directories(folder + "/Working");
    std::ofstream(folder + "/Working/mask.lim", std::ios::binary)
        << std::string("\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x44\xC0\0\0\0\0\0\0\x69\x40\0\0\0\0\0\0\x44\xC0", 32);  // 0, 200 MHz
    const bool fails[] = {false, true, true, false, true, true};
    fake.level = [&](int, uint64_t k, const AnalyzerSettings &) { return static_cast<int16_t>(fails[k % 6] ? 600 : 511); };
    now = 1700000000;
    Load();
    for (const char *name : {"chkLimBeep", "chkLimCapture", "chkLim0"})
        Find<QCheckBox>(name)->click();
    auto choose = [&] {
        auto *box = Find<QComboBox>("cboLim0");
        box->setCurrentIndex(1);
        emit box->activated(1);
        ASSERT_TRUE(QTest::qWaitFor([&] { return box->isEnabled(); }, 5000));
    };
    choose();
    // One trace at each of these seconds after the first.
    auto judge = [&](std::initializer_list<double> at) {
        const long long start = clock.Ms();
        for (double s : at) {
            clock.Advance(std::chrono::milliseconds(start + static_cast<long long>(s * 1000) - clock.Ms()));
            bool done = false;
            session->Single([&](const TracePtr &, const std::string &) { done = true; });
            RunUntil([&] { return done; }, 2s);
        }
    };
    judge({0.0, 1.0, 2.0, 3.0, 3.5, 64.0});
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(session->Limits().Count(0), (LimitCount{4, 6}));
    std::stringstream log;
    log << std::ifstream(folder + "/Working/limit_failures.csv").rdbuf();
    const std::string row = FormatIsoTime(now) + ",1,mask,upper,-6.95,29.800000,80.000,10MHZ/DIV,0,4MHZ\r\n";
    EXPECT_EQ(log.str(), std::string(kFailureLogHeading) + row + row + row);
    int captures = 0;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        captures += entry.path().extension() == ".jpg";
    EXPECT_EQ(captures, 1);

    // The kinds and the alarms are kept; a capture that cannot be saved is said once and stops.
    emit Find<QComboBox>("cboLimKind1")->activated(1);
    panel->Quit();
    EXPECT_EQ(LoadProgramSettings(folder + "/TavrinRemote.ini").limits, (LimitSettings{{false, true}, true, true, true}));
    Load();
    EXPECT_EQ(Find<QComboBox>("cboLimKind1")->currentText(), "Lower");
    settings.CaptureDir = folder + "/gone";
    Find<QCheckBox>("chkLim0")->click();
    choose();
    judge({100.0, 200.0, 300.0});
        EXPECT_FALSE(Find<QCheckBox>("chkLimCapture")->isChecked());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.rfind("The screen of a limit failure could not be saved: Directory Error!", 0), 0u);
}

// Limit files made from the trace the markers read, from CSV files, and written as CSV files.
TEST_F(PanelTest, LimitLinesAreMadeInTheWorkingFolderAndListedAtOnce)
{
    fake.level = [](int n, uint64_t, const AnalyzerSettings &) { return static_cast<int16_t>(n == 100 ? 767 : 511); };
    Load();
    const std::vector<std::string> made = {"made", "Upper", "3", "0", "2"};
    dialogs.forms = {made};
    panel->Limits().NewFromTrace();
    EXPECT_EQ(dialogs.messages.back().text.rfind("There is no trace on the screen", 0), 0u);
    EXPECT_TRUE(dialogs.forms.size() == 1 && !std::filesystem::exists(folder + "/Working"));
    StartAcquiring();
    session->Stop();
    panel->Limits().NewFromTrace();
    // Two points a flat 3 dB above the peak of -20 dBm, at 29.8 and 129.4 MHz.
    const std::vector<LimitPoint> got = ReadLimitFile(folder + "/Working/made.lim").points;
    ASSERT_EQ(got.size(), 2u);
    EXPECT_TRUE(std::abs(got[0].freqMHz - 29.8) < 1e-9 && std::abs(got[1].freqMHz - 129.4) < 1e-9);
    EXPECT_TRUE(got[0].levelDbm == -17 && got[1].levelDbm == -17);
    for (const char *name : {"cboLim0", "cboLim1"})
        EXPECT_EQ(Find<QComboBox>(name)->itemText(1), "made");

    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"../made", "Upper", "3", "0", "499"}, "The name \"../made\" would leave the Working folder"},
        {{"x", "Lower", "three", "0", "499"}, "The margin \"three\" is not a number of dB"},
        {{"x", "Lower", "3", "1.5", "499"}, "The widening \"1.5\" is not a whole number"},
        {{"x", "Lower", "3", "0", "1"}, "The number of points \"1\" is not a whole number from 2 to 499."}};
    for (const auto &[form, message] : refused) {
        dialogs.forms = {form};
        panel->Limits().NewFromTrace();
        EXPECT_EQ(dialogs.messages.back().text.rfind(message, 0), 0u) << dialogs.messages.back().text;
    }
    EXPECT_EQ(ListLimitNames(folder + "/Working"), std::vector<std::string>{"made"});

    const std::string csv = home.Path() + "/mask.csv", out = home.Path() + "/out.csv";
    std::ofstream(csv) << "MHz,dBm\n30,-50\n40,x\n";
    dialogs.files = {csv};
    const size_t told = dialogs.messages.size();
    panel->Limits().ImportCsv();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs.messages.size() > told; }, 5000));
    EXPECT_EQ(dialogs.messages.back().text, "Line 3 of " + csv + ": the level \"x\" is not a number.");
    std::ofstream(csv) << "MHz,dBm\n30,-50\n40,-60.25\n";
    dialogs.files = {csv, out};
    dialogs.forms = {{{"mask"}}};
    dialogs.chooseItem = [](const std::vector<std::string> &names) { return names == std::vector<std::string>{"made", "mask"} ? 1 : 0; };
    panel->Limits().ImportCsv();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs.forms.empty(); }, 5000));
    panel->Limits().ExportCsv();
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(out); }, 5000));
    std::stringstream text;
    text << std::ifstream(out).rdbuf();
    EXPECT_EQ(text.str(), "frequency_mhz,level_dbm\r\n30,-50\r\n40,-60.25\r\n");
    EXPECT_EQ(Find<QComboBox>("cboLim1")->count(), 3);
    dialogs.forms = {made};
    panel->Limits().NewFromTrace();
    EXPECT_EQ(dialogs.questions.back().text, "made.lim is in the Working folder already. Replace it?");
}

}  // namespace
