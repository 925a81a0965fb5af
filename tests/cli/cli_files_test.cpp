// tavrin-cli with files that are not what they should be, and the waits a stop must end: convert
// and sweep --record against files of any length, links, FIFOs and no record files; COM links to
// what is no serial port; bytes of any value in --json.
#include "cli_fixture.h"
#include "support/pty_peer.h"
#include "support/test_util.h"

#include <filesystem>
#include <sys/stat.h>

using namespace tavrin::test;

namespace {

// A recording of any length converts; the output is never the record file itself (by any name),
// and a file that holds no records, or is none, says so.
TEST_F(CliTest, ConvertReadsAnyLengthButNeverWritesOverItsRecordFile)
{
    const std::string spf = Path("r.spf");
    std::ofstream(spf, std::ios::binary) << HandRecord(150.5) << HandRecord(150.5);
    ASSERT_EQ(truncate(spf.c_str(), 120 << 20), 0);  // past 100 MB, empty entries after the two traces
    const Ran json = Run({"convert", spf, "--json"});
    EXPECT_EQ(json.code, 0) << json.err;
    EXPECT_EQ(Split(json.out, '\n').size(), 2u);
    ASSERT_EQ(symlink(spf.c_str(), Path("link.csv").c_str()), 0);
    ASSERT_EQ(link(spf.c_str(), Path("hard.csv").c_str()), 0);
    for (const std::string &out : {spf, Path("link.csv"), Path("hard.csv")}) {
        const Ran r = Run({"convert", spf, "--csv", out});
        EXPECT_EQ(r.code, 5) << out;
        EXPECT_NE(r.err.find(out + " is the record file " + spf + " itself"), std::string::npos) << r.err;
    }
    const Ran device = Run({"convert", spf, "--csv", "/dev/null"});
    EXPECT_EQ(device.code, 5);
    EXPECT_NE(device.err.find("/dev/null is not a plain file; --csv - writes to standard output"), std::string::npos);
    EXPECT_EQ(std::filesystem::file_size(spf), 120u << 20);
    std::string head(2120, '\0');
    std::ifstream(spf, std::ios::binary).read(head.data(), 2120);
    EXPECT_EQ(head, HandRecord(150.5) + HandRecord(150.5));

    std::ofstream(Path("empty.spf"));
    std::ofstream(Path("short.spf")) << std::string(1059, 'x');
    const std::pair<std::string, std::pair<int, std::string>> cases[] = {
        {"empty.spf", {0, "note: " + Path("empty.spf") + " holds no records."}},
        {"short.spf", {5, Path("short.spf") + " is 1059 bytes long, less than one record (1060 bytes): it is not a record file"}}};
    for (const auto &[name, expected] : cases) {
        const Ran r = Run({"convert", Path(name), "--csv", Path("out.csv")});
        EXPECT_EQ(r.code, expected.first) << name;
        EXPECT_NE(r.err.find(expected.second), std::string::npos) << r.err;
    }
}

// A sweep appends to record files only, never to another file, nor to one by another name.
TEST_F(CliTest, SweepAppendsToRecordFilesOnly)
{
    StartSim({});
    const std::string table = "time,center_mhz,span\r\n" + std::string(3000, '1');
    std::ofstream(Path("data.csv")) << table;
    const Ran refused = Run({"sweep", "--count", "1", "--record", Path("data.csv")});
    EXPECT_EQ(refused.code, 5);
    EXPECT_NE(refused.err.find(" is not a record file: "), std::string::npos) << refused.err;
    EXPECT_EQ(Slurp(Path("data.csv")), table);
    ASSERT_EQ(Run({"sweep", "--count", "3", "--record", Path("r.spf")}).code, 0);
    ASSERT_EQ(symlink(Path("r.spf").c_str(), Path("same.csv").c_str()), 0);
    const Ran same = Run({"sweep", "--count", "1", "--record", Path("r.spf"), "--csv", Path("same.csv")});
    EXPECT_EQ(same.code, 5);
    EXPECT_EQ(Slurp(Path("r.spf")).size(), 3 * 1060u);
}

// A COM link to what is no serial port, and a port another program reads without a lock, are
// told for what they are, with exit 3.
TEST_F(CliTest, APortThatIsNoSerialPortOrIsSharedSaysSo)
{
    home.LinkPort(2, "/dev/null");
    const Ran null = Run({"info", "--port", "2"});
    EXPECT_EQ(null.code, 3);
    EXPECT_NE(null.err.find("COM2 leads to /dev/null, which is a device of another kind, not a serial port.\n"),
              std::string::npos) << null.err;
    StartSim({});
    const pid_t cat = Spawn({}, "/bin/cat", std::filesystem::canonical(home.PortsFolder() + "/COM1"));
    const Ran shared = Run({"info", "--port", "1"});
    EXPECT_EQ(shared.code, 3);
    EXPECT_NE(shared.err.find("is open in another program: cat (pid " + std::to_string(cat) + "). It does not lock"),
              std::string::npos) << shared.err;
}

// Waiting for a program to read the --csv FIFO ends at the first Ctrl+C or SIGTERM; a sweep
// stalled in a write ends within a second of the second Ctrl+C.
TEST_F(CliTest, AStopEndsTheWaitForAFifoReader)
{
    StartSim({});
    ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
    for (const int signal : {SIGINT, SIGTERM}) {
        const pid_t pid = Spawn({"sweep", "--count", "1", "--csv", Path("fifo")});
        const std::string err = Err();
        ASSERT_TRUE(WaitFor([&] { return Slurp(err).find("waiting for a program to read the FIFO") != std::string::npos; }));
        const auto stopped = std::chrono::steady_clock::now();
        kill(pid, signal);
        const Ran r = Finish(pid);
        EXPECT_EQ(r.code, 0) << signal << r.err;
        EXPECT_LT(MsSince(stopped), 1000) << signal;
    }
    // A reader that takes nothing stalls the sweep in a write; the second Ctrl+C still ends it.
    const pid_t pid = Spawn({"sweep", "--csv", Path("fifo")});
    const int reader = open(Path("fifo").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const std::string proc = "/proc/" + std::to_string(pid);
    EXPECT_TRUE(WaitFor([&] { return Slurp(proc + "/wchan").find("pipe_write") != std::string::npos; }));
    kill(pid, SIGINT);
    EXPECT_TRUE(WaitFor([&] { return Slurp(proc + "/status").find("ShdPnd:\t0000000000000000") != std::string::npos; }));
    const auto second = std::chrono::steady_clock::now();
    kill(pid, SIGINT);
    const Ran ended = Finish(pid);
    close(reader);
    EXPECT_EQ(ended.code, 130) << ended.err;
    EXPECT_LT(MsSince(second), 1000);
}

// Whatever bytes the analyzer puts in its captions, --json writes valid JSON: a byte from 0x7F
// as \u00XX (its Latin-1 character).
TEST_F(CliTest, AnyBytesOfTheAnalyzerComeOutAsValidJson)
{
    PtyPeer analyzer;
    BlockHeader header;
    header.rbw = "\xB5\x7F\"\\\x01";
    analyzer.SetResponder([traces = PtyPeer::Traces({TraceBlock([](int) { return 500; }, header)})](
                              uint8_t b, const Bytes &so_far) { return b == 'j' ? ToBytes("12345") : traces(b, so_far); });
    home.LinkPort(1, analyzer.DevicePath());
    const Ran info = Run({"info", "--json", "--port", "1"});
    ASSERT_EQ(info.code, 0) << info.err;
    std::ofstream(Path("info.json")) << info.out;
    const Ran parsed = Run({"-c", R"(import json, sys; sys.exit(json.load(open(sys.argv[1], 'rb'))['rbw'] != '\u00b5\u007f"\\\u0001'))",
                            Path("info.json")},
                           "/usr/bin/python3");
    EXPECT_EQ(parsed.code, 0) << info.out << parsed.err;
}

}  // namespace
