// tavrin-sim as the program meets it: a separate process on a registered COM port, answered
// through libTavrin.so.
#include "instrument/tavrin_library.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <thread>

using namespace tavrin::test;
using namespace std::chrono;

namespace {

class SimE2E : public ::testing::Test {
protected:
    void StartSim(std::vector<std::string> args)
    {
        args.insert(args.end(), {"--no-pace", "--log", log});
        home.LinkPort(1, home.Path() + "/absent");
        std::string error;
        ASSERT_TRUE(sim.Start(2, args, error)) << error;
        ASSERT_TRUE(library.Load()) << library.Error();
        lib = library.Exports();
        ASSERT_EQ(lib.CHANGECOMPORT(2), 1);
    }
    void TearDown() override
    {
        TavrinByteArrayRelease(array);
        library.Unload();
        const int status = sim.Stop();  // a sanitizer report in the simulator shows as a failed exit
        EXPECT_TRUE(status == -1 || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << "status " << status;
    }
    // Waits up to 3 s for COM2 to be unregistered.
    bool PortGone() const
    {
        const auto t0 = steady_clock::now();
        while (std::filesystem::is_symlink(link) && MsSince(t0) < 3000)
            std::this_thread::sleep_for(milliseconds(5));
        return !std::filesystem::is_symlink(link);
    }

    TempConfigHome home;
    const std::string log = home.Path() + "/rx.log";
    const std::string link = home.PortsFolder() + "/COM2";
    SimProcess sim;
    tavrin::TavrinLibrary library{TAVRIN_LIBRARY_PATH};
    tavrin::TavrinExports lib;
    TavrinByteArray *array = nullptr;
};

TEST_F(SimE2E, AnswersTheLibraryLogsEveryByteItReceivedAndUnregistersOnTermination)
{
    StartSim({"--serial", "04711"});
    EXPECT_EQ(lib.GETSERIALNUM(), 4711);
    EXPECT_EQ(lib.SETFREQ(433920), 1);
    EXPECT_EQ(lib.SETSPAN(0), 1);
    ASSERT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);
    EXPECT_EQ(Bytes(array->data, array->data + 16), HeaderBytes({"0433920", 0, 3, "3KHZ"}));
    EXPECT_EQ(lib.SWVERSION(), 207);
    EXPECT_EQ(lib.TGLEVEL(-30), 1);
    sim.Stop();
    EXPECT_TRUE(PortGone()) << "a terminated simulator unregisters its port";
    EXPECT_EQ(LoggedBytes(log), Join({{'j'}, ToBytes("UF0433920"), SettingFrame('S', 1), {0xA5},
                                      ToBytes("OPT:VER\rGEN:LEV -30\n\r")}));
}

TEST_F(SimE2E, HangingUpRemovesThePortAndTheLibraryFailsWithoutHanging)
{
    StartSim({"--disconnect-after", "1"});
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);
    const auto t0 = steady_clock::now();
    while (!sim.Exited() && MsSince(t0) < 3000)
        std::this_thread::sleep_for(milliseconds(5));
    EXPECT_TRUE(PortGone());
    const auto t1 = steady_clock::now();
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 0);
    EXPECT_EQ(lib.GETSERIALNUM(), 999999);
    EXPECT_EQ(lib.SETFREQ(100000), 0) << "the purge of a hung-up line fails";
    EXPECT_LT(MsSince(t1), 200);
    EXPECT_EQ(lib.CHANGECOMPORT(2), 0);
}

TEST_F(SimE2E, ALatePortIsAbsentUntilItsTimeAndThenAnswers)
{
    StartSim({"--appear-after", "0.8"});  // returns once COM2 exists
    // The log is made at start and nothing has been received yet: its time is the start's.
    struct stat started {}, appeared {};
    ASSERT_EQ(stat(log.c_str(), &started), 0);
    ASSERT_EQ(lstat(link.c_str(), &appeared), 0);
    const auto seconds = [](const timespec &t) { return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9; };
    EXPECT_GE(seconds(appeared.st_mtim) - seconds(started.st_mtim), 0.75);
    EXPECT_EQ(lib.GETSERIALNUM(), 12345);
}

}  // namespace
