// tavrin-cli run as scripts run it, against the simulator (or a scripted analyzer) in a private
// ports folder: exit codes, what it prints, what goes on the line, and the files it writes.
#include "cli_fixture.h"
#include "settings/operation_file.h"
#include "support/pty_peer.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace tavrin::test;

namespace {

// Whether the process holds the lock of the device COMn leads to, as the kernel lists it; looked
// at without taking the lock, which would keep the process from taking it.
bool LockedBy(pid_t pid, const std::string &comLink)
{
    struct stat device {};
    if (stat(comLink.c_str(), &device) != 0)
        return false;
    char wanted[96];
    std::snprintf(wanted, sizeof wanted, " %d %02x:%02x:%lu ", pid, major(device.st_dev), minor(device.st_dev),
                  static_cast<unsigned long>(device.st_ino));
    const std::string locks = Slurp("/proc/locks");
    return locks.find(wanted) != std::string::npos;
}

TEST_F(CliTest, UsageErrorsExitTwoBeforeTheLineIsTouchedAndEachCommandHasItsHelp)
{
    const Strings cases[] = {{},
                             {"frobnicate"},
                             {"info", "--port", "5"},
                             {"info", "--json", "--json"},
                             {"set"},
                             {"set", "--span", "3KHZ/DIV"},
                             {"set", "--ref", "-25"},
                             {"set", "--center", "8O"},
                             {"set", "--rbw"},
                             {"sweep"},
                             {"sweep", "--json", "--count", "0"},
                             {"sweep", "--json", "--interval", "-1"},
                             {"sweep", "--json", "--csv", "-"},
                             {"sweep", "--csv", "x", "--record", "x"},
                             {"tg", "--normalize"},
                             {"tg", "--mode", "off", "--level", "-3"},
                             {"convert"},
                             {"convert", "x.spf"},
                             {"convert", "x.spf", "--json", "--format", "rtl_power"},
                             {"sweep", "--csv", "x", "--format", "xml"},
                             {"sweep", "--mqtt", "http://broker"},
                             {"sweep", "--json", "--mqtt-qos", "1"},
                             {"sweep", "--mqtt", "mqtt://broker", "--mqtt-qos", "2"},
                             {"sweep", "--mqtt", "mqtt://broker", "--mqtt-ca", "ca.crt"},
                             {"sweep", "--mqtt", "mqtt://broker", "--mqtt-interval", "0"}};
    for (const Strings &args : cases) {
        const Ran r = Run(args);
        EXPECT_EQ(r.code, 2) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("tavrin-cli: "), std::string::npos) << r.err;
    }
    for (const char *command : {"info", "set", "sweep", "peak", "tg", "convert"}) {
        const Ran r = Run({command, "--help"});
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.out.rfind("Usage: tavrin-cli " + std::string(command), 0), 0u) << r.out;
    }
    EXPECT_NE(Run({"--help"}).out.find("3  port not available"), std::string::npos);
    // A password for nobody, or one that cannot be read, before the line is touched.
    std::ofstream(Path("password")) << "secret\n";
    const Ran userless = Run({"sweep", "--mqtt", "mqtt://broker", "--mqtt-password-file", Path("password")});
    EXPECT_EQ(userless.code, 2);
    EXPECT_NE(userless.err.find("add --mqtt-user NAME"), std::string::npos) << userless.err;
    const Ran unreadable =
        Run({"sweep", "--mqtt", "mqtt://broker", "--mqtt-user", "me", "--mqtt-password-file", Path("none")});
    EXPECT_EQ(unreadable.code, 5);
    EXPECT_NE(unreadable.err.find(Path("none") + ": No such file"), std::string::npos) << unreadable.err;
}

// One simulator through a session of commands: each command's output on the settings it reached,
// and what went on the line (range rules included).
TEST_F(CliTest, InfoSetAndTgSayAndSendWhatThePanelWould)
{
    StartSim({});
    struct Case { Strings args; int code; std::string out; Strings sent; };
    const Case cases[] = {
        {{"info", "--json"}, 0,
         R"({"serial":"12345","software_version":"2.07","fpga_version":"1.4","center_mhz":80,"span":"10MHZ/DIV",)"
         R"("ref_level_dbm":0,"rbw":"4MHZ"})" "\n", {}},
        {{"set", "--center", "100", "--ref", "-10", "--json"}, 0,
         R"({"center_mhz":100,"span":"10MHZ/DIV","ref_level_dbm":-10,"rbw":"4MHZ"})" "\n", {"F0100000", "L2"}},
        // Beyond the range: the centre to its end, where only zero span fits, sent first.
        {{"set", "--center", "2000", "--json"}, 0,
         R"({"center_mhz":1150,"span":"0HZ/DIV","ref_level_dbm":-10,"rbw":"3KHZ"})" "\n", {"S0", "F1150000"}},
        // A span too wide around the centre moves the centre first.
        {{"set", "--span", "100mhz/div"}, 0,
         "Centre:          650.000 MHz\nSpan:            100MHZ/DIV\nReference level: -10 dBm\nRBW:             4MHZ\n",
         {"F0650000", "S15"}},
        {{"set", "--rbw", "30KHZ"}, 2, "", {}},
        {{"set", "--span", "0HZ/DIV", "--rbw", "220khz", "--json"}, 0,
         R"({"center_mhz":650,"span":"0HZ/DIV","ref_level_dbm":-10,"rbw":"220KHZ"})" "\n", {"S0", "R2"}},
        {{"tg", "--output", "on"}, 0, "", {"GEN:DISP", "GEN:MDE ON", "GEN:LEV -50", "GEN:OFF +00"}},
        {{"tg", "--level", "5", "--offset", "-7.5"}, 0, "", {"GEN:DISP", "GEN:LEV -00", "GEN:OFF -08"}},
        {{"tg", "--mode", "off"}, 0, "", {"GEN:MDE OFF", "GEN:EXIT"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const Ran r = Run(c.args);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(Sent(), c.sent);
    }
    // The analyzer takes frames without echoing them (each byte then waits out its read-back):
    // its reports still confirm them.
    sim.Stop();
    StartSim({"--no-echo"});
    EXPECT_EQ(Run({"set", "--ref", "10"}).code, 0);
    EXPECT_EQ(Sent(), Strings{"L4"});
}

// A scripted analyzer whose reports never change: Peak's point on a known trace, and a setting
// that is read six times and then refused.
TEST_F(CliTest, PeakReadsTheHighestPointAndAnUnconfirmedSettingExitsFour)
{
    for (uint8_t span : {12, 0}) {
        PtyPeer analyzer;
        BlockHeader header;
        header.span = span;
        analyzer.SetResponder([traces = PtyPeer::Traces({TraceBlock([](int n) { return n == 300 ? 900 : 100 + n % 7; },
                                                                    header)})](uint8_t b, const Bytes &so_far) {
            return b == 'j' ? ToBytes("12345") : traces(b, so_far);
        });
        home.LinkPort(1, analyzer.DevicePath());
        // Point 300 is 49 points (0.98 divisions of 10 MHz) right of 80 MHz, 123 steps below 0 dBm.
        EXPECT_EQ(Run({"peak", "--json"}).out, span ? "{\"freq_mhz\":89.8,\"level_dbm\":-9.609375}\n"
                                                    : "{\"freq_mhz\":80,\"level_dbm\":-9.609375}\n");
        if (!span)
            continue;
        EXPECT_EQ(Run({"peak"}).out, "Peak: 89.8000 MHz, -9.609375 dBm\n");
        analyzer.ClearReceived();
        const Ran r = Run({"set", "--center", "100"});
        EXPECT_EQ(r.code, 4);
        EXPECT_NE(r.err.find("did not confirm the centre frequency 100.000 MHz: after 6 traces it still reports 80.000"),
                  std::string::npos) << r.err;
        const Bytes got = analyzer.Received();
        const Bytes frame = ToBytes("UF0100000");
        const auto at = std::search(got.begin(), got.end(), frame.begin(), frame.end());
        ASSERT_NE(at, got.end());
        EXPECT_EQ(Bytes(at + 9, got.end()), Bytes(6, 0xA5));
    }
}

// A scripted analyzer at 80 MHz, 10MHZ/DIV (0.2 MHz a point), 0 dBm: peaks of 900, 800 and 700
// (-9.609375, -17.421875 and -25.234375 dBm) at points 300, 200 and 100, a top on the screen's last
// point, and a bump of 60 steps (4.6875 dB) at point 400.
TEST_F(CliTest, PeakTablesTakeTheCountThresholdAndExcursion)
{
    PtyPeer analyzer;
    const auto level = [](int n) { return n == 300 ? 900 : n == 200 ? 800 : n == 100 ? 700 : n == 400 ? 160 : n == 498 ? 1000 : 100; };
    analyzer.SetResponder([traces = PtyPeer::Traces({TraceBlock(level, BlockHeader{})})](uint8_t b, const Bytes &so_far) {
        return b == 'j' ? ToBytes("12345") : traces(b, so_far);
    });
    home.LinkPort(1, analyzer.DevicePath());
    struct Case { Strings args; std::string out; };
    const Case cases[] = {
        {{"peak", "--count", "2", "--json"},
         R"([{"freq_mhz":89.8,"level_dbm":-9.609375},{"freq_mhz":69.8,"level_dbm":-17.421875}])" "\n"},
        {{"peak", "--threshold", "-17.421875"}, "1: 89.8000 MHz, -9.609375 dBm\n2: 69.8000 MHz, -17.421875 dBm\n"},
        {{"peak", "--excursion", "4.6875", "--threshold=-70"},
         "1: 89.8000 MHz, -9.609375 dBm\n2: 69.8000 MHz, -17.421875 dBm\n3: 49.8000 MHz, -25.234375 dBm\n"
         "4: 109.8000 MHz, -67.421875 dBm\n"},
        {{"peak", "--excursion", "80", "--json"}, "[]\n"},
    };
    for (const Case &c : cases) {
        const Ran r = Run(c.args);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, c.out) << testing::PrintToString(c.args);
    }
    EXPECT_EQ(Run({"peak", "--excursion", "80"}).err, "tavrin-cli: note: no peak rises 80 dB above the trace on both sides.\n");
    for (const Strings &args : {Strings{"peak", "--count", "0"}, Strings{"peak", "--excursion", "-1"},
                                Strings{"peak", "--threshold", "low"}, Strings{"set", "--setup", "../x"}})
        EXPECT_EQ(Run(args).code, 2) << testing::PrintToString(args);
}

// Setups written as a user (or the program) leaves them in Working/setups: listed, and applied
// through set as if their settings were typed, with the command line's options first; one that
// cannot be read is exit 5 (what a missing one says is setup_test's).
TEST_F(CliTest, SetupsAreListedAndAppliedAsTheirSettingsTyped)
{
    std::filesystem::create_directories(Path("Working/setups"));
    std::ofstream(Path("Working/setups/433 MHz test.ini"))
        << "[Analyzer]\nCenter=433.920\nSpan=100KHZ/DIV\nRefLevel=-20\nRBW=30KHZ\n[Marker1]\nOn=true\n";
    std::ofstream(Path("Working/setups/zero.ini")) << "[Analyzer]\nCenter=100\nSpan=0hz/div\nRefLevel=-25\nRBW=220KHZ\n";
    std::ofstream(Path("Working/setups/none.ini")) << "[Analyzer]\nSpan=wide\n";
    EXPECT_EQ(Run({"info", "--setups", "--folder", home.Path()}).out, "433 MHz test\nnone\nzero\n");
    EXPECT_EQ(Run({"info", "--setups", "--json", "--folder", home.Path()}).out, R"(["433 MHz test","none","zero"])" "\n");
    EXPECT_EQ(Run({"info", "--setups", "--folder", Path("elsewhere")}).out, "");

    StartSim({});
    Ran r = Run({"set", "--setup", "433 MHz test", "--json", "--folder", home.Path()});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, R"({"center_mhz":433.92,"span":"100KHZ/DIV","ref_level_dbm":-20,"rbw":"30KHZ"})" "\n");
    EXPECT_EQ(Sent(), (Strings{"F0433920", "S6", "L1"})) << "the RBW is the analyzer's own at this span";
    r = Run({"set", "--setup", "zero.ini", "--ref", "10", "--folder", home.Path()});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Sent(), (Strings{"F0100000", "S0", "L4", "R2"}));
    EXPECT_NE(r.err.find("note: the setup's RefLevel is not applied: \"-25\" is not a reference level of the list"),
              std::string::npos) << r.err;
    r = Run({"set", "--setup", "none", "--folder", home.Path()});
    EXPECT_EQ(r.code, 5);
    EXPECT_NE(r.err.find("the setup \"none\" holds no analyzer setting that can be read."), std::string::npos) << r.err;
    EXPECT_TRUE(Sent().empty());
}

double LE(const std::string &bytes, size_t at, size_t size)
{
    uint64_t v = 0;
    for (size_t i = 0; i < size; ++i)
        v |= uint64_t(uint8_t(bytes[at + i])) << (8 * i);
    if (size == 2)
        return int16_t(v);
    double d;
    std::memcpy(&d, &v, 8);
    return d;
}

// The same traces in the three forms: the record file's bytes, the CSV file (as "Export CSV" and
// convert write it) and the JSON lines, with the levels worked out from the stored points.
TEST_F(CliTest, SweepWritesTheSameTracesAsRecordsCsvRowsAndJsonLines)
{
    StartSim({});
    const Ran r = Run({"sweep", "--count", "3", "--record", Path("r.spf"), "--csv", Path("a.csv"), "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string spf = Slurp(Path("r.spf"));
    ASSERT_EQ(spf.size(), 3 * 1060u);
    const Strings csv = Split(Slurp(Path("a.csv")), '\n'), json = Split(r.out, '\n');
    ASSERT_EQ(csv.size(), 4u);
    ASSERT_EQ(json.size(), 3u);
    for (size_t n = 0; n < 3; ++n) {
        const std::string rec = spf.substr(n * 1060, 1060);
        EXPECT_EQ(LE(rec, 8, 8), 80.0);
        EXPECT_EQ(rec.substr(16, 12) + "|" + rec.substr(30, 8), "10MHZ/DIV   |4MHZ    ");
        EXPECT_EQ(LE(rec, 28, 2), 0);
        EXPECT_EQ(rec.substr(1038), std::string(22, '\0'));
        const std::string head = "{\"time\":\"" + Split(csv[n + 1], ',')[0] +
                                 R"(","center_mhz":80,"span":"10MHZ/DIV","ref_level_dbm":0,"rbw":"4MHZ","levels_dbm":[)";
        ASSERT_EQ(json[n].rfind(head, 0), 0u) << json[n].substr(0, 200);
        const Strings levels = Split(json[n].substr(head.size(), json[n].size() - head.size() - 2), ',');
        ASSERT_EQ(levels.size(), 500u);
        for (size_t k = 0; k < 500; ++k) {
            const double level = 0 - (1023 - LE(rec, 38 + 2 * k, 2)) * 0.078125;
            ASSERT_EQ(std::stod(levels[k]), level) << k;
        }
    }
    // The export's own writer gives the same CSV file (its columns: RecordCsvTest, and the rows'
    // length the Ctrl+C test below); a second sweep appends.
    EXPECT_EQ(Run({"convert", Path("r.spf"), "--csv", Path("b.csv")}).code, 0);
    EXPECT_EQ(Slurp(Path("b.csv")), Slurp(Path("a.csv")));
    EXPECT_EQ(Run({"sweep", "--count", "2", "--record", Path("r.spf")}).code, 0);
    EXPECT_EQ(Slurp(Path("r.spf")).substr(0, spf.size()), spf);
    EXPECT_EQ(Slurp(Path("r.spf")).size(), 5 * 1060u);
    // As survey lines (their fields are survey_csv_test's); at zero span there are none, with one note.
    const Ran survey = Run({"sweep", "--count", "2", "--csv", "-", "--format", "rtl_power"});
    ASSERT_EQ(Split(survey.out, '\n').size(), 2u);
    EXPECT_EQ(survey.out.substr(20, 35), ", 29800000, 129800000, 200000.00, 1");
    ASSERT_EQ(Run({"set", "--span", "0HZ/DIV"}).code, 0);
    const Ran zero = Run({"sweep", "--count", "2", "--csv", "-", "--format", "rtl_power"});
    EXPECT_EQ(zero.code, 0);
    EXPECT_EQ(zero.out, "");
    EXPECT_EQ(Count(zero.err, "left out of the survey CSV"), 1u) << zero.err;
}

TEST_F(CliTest, CtrlCEndsASweepWithOnlyWholeRecordsRowsAndLines)
{
    StartSim({});
    const pid_t pid = Spawn({"sweep", "--record", Path("r.spf"), "--csv", Path("a.csv"), "--json"});
    ASSERT_TRUE(WaitFor([&] { return Slurp(Path("r.spf")).size() >= 20 * 1060; }));
    kill(pid, SIGINT);
    const Ran r = Finish(pid);
    EXPECT_EQ(r.code, 0) << r.err;
    const size_t bytes = Slurp(Path("r.spf")).size(), records = bytes / 1060;
    EXPECT_EQ(bytes % 1060, 0u);
    const std::string csv = Slurp(Path("a.csv"));
    EXPECT_EQ(csv.substr(csv.size() - 2), "\r\n");
    const Strings rows = Split(csv, '\n'), lines = Split(r.out, '\n');
    EXPECT_EQ(rows.size(), records + 1);
    EXPECT_EQ(lines.size(), records);
    for (const std::string &row : rows)
        EXPECT_EQ(std::count(row.begin(), row.end(), ','), 504);
    for (const std::string &line : lines)  // five fields before the 500 levels
        EXPECT_EQ(std::count(line.begin(), line.end(), ',') * 10 + (line.substr(line.size() - 2) == "]}"), 5041);
}

// Blocks lost on the line slow a sweep without failing it; the summary tells them.
TEST_F(CliTest, TheSweepSummaryCountsTheBlocksTheLineLost)
{
    // At the line's pace, where a block fetched again inside one library call shows in its time.
    StartSim({"--corrupt-checksum", "2"}, true);
    const Ran lossy = Run({"sweep", "--count", "4", "--json"});
    ASSERT_EQ(lossy.code, 0) << lossy.err;
    EXPECT_EQ(Split(lossy.out, '\n').size(), 4u);
    const size_t at = lossy.err.find("{\"traces\":4,");
    ASSERT_NE(at, std::string::npos) << lossy.err;
    const size_t lost = lossy.err.find("\"lost_blocks\":", at);
    ASSERT_NE(lost, std::string::npos) << lossy.err;
    EXPECT_GE(std::stoi(lossy.err.substr(lost + 14)), 2) << lossy.err;
    sim.Stop();
    StartSim({});
    const Ran clean = Run({"sweep", "--count", "2", "--csv", Path("c.csv")});
    EXPECT_EQ(clean.code, 0);
    EXPECT_EQ(clean.err, "");
}

// A port that cannot be had is exit 3, with what holds it; a port where nothing answers is exit 4.
// The holder is waited for until it holds the port for good: TavrinRemote on COM2 once its
// library is loaded (the library first opens COM1), the sweep once a trace came.
TEST_F(CliTest, APortHeldMissingOrSilentSaysWhyAndExitsThreeOrFour)
{
    StartSim({});
    SimProcess second;
    std::string error;
    ASSERT_TRUE(second.Start(2, {"--no-pace"}, error)) << error;
    tavrin::OperationFile saved = tavrin::DefaultOperation();
    saved.ComPortSetting = 2;
    ASSERT_TRUE(tavrin::SaveOperation(Path("Tavrin.Log"), saved));
    const std::string com2 = home.PortsFolder() + "/COM2";
    const pid_t gui = Spawn({"--folder", home.Path()}, TAVRIN_GUI_PATH);
    ASSERT_TRUE(WaitFor([&] {
        return Slurp("/proc/" + std::to_string(gui) + "/maps").find("libTavrin.so") != std::string::npos &&
               LockedBy(gui, com2);
    }));
    const Ran byGui = Run({"info", "--port", "2"});
    EXPECT_EQ(byGui.code, 3);
    EXPECT_NE(byGui.err.find("is in use by another program: TavrinRemote (pid "), std::string::npos) << byGui.err;
    kill(gui, SIGTERM);
    EXPECT_EQ(Finish(gui).code, 128 + SIGTERM);

    const pid_t sweep = Spawn({"sweep", "--json", "--port", "1"});
    const std::string lines = Out();
    ASSERT_TRUE(WaitFor([&] { return Slurp(lines).find('\n') != std::string::npos; }));
    const Ran bySweep = Run({"info", "--port", "1"});
    EXPECT_EQ(bySweep.code, 3);
    EXPECT_NE(bySweep.err.find("is in use by another program: tavrin-cli (pid "), std::string::npos) << bySweep.err;
    kill(sweep, SIGTERM);
    EXPECT_EQ(Finish(sweep).code, 0);

    home.LinkPort(2, Path("unplugged"));
    const Ran missing = Run({"peak", "--port", "2"});
    EXPECT_EQ(missing.code, 3);
    EXPECT_NE(missing.err.find("COM2 leads to " + Path("unplugged") + ", which is not there"), std::string::npos);
    sim.Stop();
    StartSim({"--silent"});
    const Ran silent = Run({"info"});
    EXPECT_EQ(silent.code, 4);
    EXPECT_NE(silent.err.find("opens, but the analyzer does not answer"), std::string::npos) << silent.err;
}

TEST_F(CliTest, ThePortSavedByTheProgramIsTheDefault)
{
    tavrin::OperationFile saved = tavrin::DefaultOperation();
    saved.ComPortSetting = 3;
    ASSERT_TRUE(tavrin::SaveOperation(Path("Tavrin.Log"), saved));
    std::string error;
    ASSERT_TRUE(sim.Start(3, {"--no-pace"}, error)) << error;
    EXPECT_EQ(Run({"info", "--folder", home.Path()}).code, 0);
    home.LinkPort(1, Path("unplugged"));  // no Tavrin.Log there: COM1
    const Ran port1 = Run({"info", "--folder", Path("elsewhere")});
    EXPECT_EQ(port1.code, 3);
    EXPECT_NE(port1.err.find("COM1 leads to"), std::string::npos) << port1.err;
}

// A record file as the program saves it (1060-byte records, an empty entry ends the record), to
// CSV and JSON lines without an analyzer; the fields are record_test's and the sweep's above.
TEST_F(CliTest, ConvertTurnsAProgramsRecordFileIntoCsvAndJsonLines)
{
    std::string file;
    for (double center : {150.5, 150.5, 0.0})
        file += HandRecord(center);
    std::ofstream(Path("gui.spf"), std::ios::binary) << file;
    const Ran csv = Run({"convert", Path("gui.spf"), "--csv", "-"});
    ASSERT_EQ(csv.code, 0) << csv.err;
    const Strings rows = Split(csv.out, '\n');
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].substr(0, 75), "2025-01-01T12:00:00,150.5,1MHZ/DIV,-20,220KHZ,-20,-59.921875,-59.921875,-59");
    EXPECT_EQ(Split(Run({"convert", Path("gui.spf"), "--json"}).out, '\n').size(), 2u);
    // The survey lines: the zero-span record and the empty one that ends the file give none.
    std::ofstream(Path("survey.spf"), std::ios::binary)
        << file.substr(0, 1060) + file.substr(1060, 1060).replace(16, 12, "0HZ/DIV     ") + file.substr(2120);
    const Ran survey = Run({"convert", Path("survey.spf"), "--csv", "-", "--format", "RTL_power"});
    EXPECT_EQ(survey.code, 0);
    EXPECT_EQ(survey.out.rfind("2025-01-01, 12:00:00, 145480000, 155480000, 20000.00, 1, -20, -59.921875,", 0), 0u);
    EXPECT_EQ(Count(survey.out, "\n"), 1u);
    EXPECT_NE(survey.err.find("no frequency axis: 1 left out of the survey CSV"), std::string::npos) << survey.err;
    const Ran none = Run({"convert", Path("none.spf"), "--json"});
    EXPECT_EQ(none.code, 5);
    EXPECT_NE(none.err.find("none.spf"), std::string::npos);
}

}  // namespace
