// tavrin-sim as the program meets it: a separate process on a registered COM port, answered
// through libTavrin.so.
#include "serial_channel.h"
#include "support/sim_process.h"
#include "support/tavrin_lib.h"
#include "support/temp_dir.h"

#include "support/test_util.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

using namespace tavrin::test;
using namespace std::chrono;

namespace {

bool Exists(const std::string &path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

class SimE2E : public ::testing::Test {
protected:
    void StartSim(const std::vector<std::string> &args)
    {
        home.LinkPort(1, home.Path() + "/absent");
        std::string error;
        ASSERT_TRUE(sim.Start(2, args, error)) << error;
        ASSERT_TRUE(lib.Load(error)) << error;
        ASSERT_EQ(lib.CHANGECOMPORT(2), 1);
    }
    void TearDown() override
    {
        TavrinByteArrayRelease(array);
        lib.Unload();
        // A sanitizer report in the simulator shows as a failed exit.
        const int status = sim.Stop();
        if (status != -1) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "tavrin-sim status " << status;
        }
    }
    TempConfigHome home;
    SimProcess sim;
    TavrinLib lib;
    TavrinByteArray *array = nullptr;
};

TEST_F(SimE2E, AnswersSerialNumberTraceAndSettings)
{
    StartSim({"--no-pace", "--serial", "04711"});
    EXPECT_EQ(lib.GETSERIALNUM(), 4711);
    ASSERT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(array->data), 7), "0080000");
    EXPECT_EQ(lib.SETFREQ(433920), 1);
    EXPECT_EQ(lib.SETSPAN(6), 1);
    EXPECT_EQ(lib.SETREFLVL(1), 1);
    ASSERT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(array->data), 7), "0433920");
    EXPECT_EQ(array->data[7], 6);
    EXPECT_EQ(array->data[8], 1);
    for (int i = 16; i < 1016; i += 2)
        ASSERT_LE(array->data[i + 1], 3) << i;
    EXPECT_EQ(lib.SWVERSION(), 207);
    EXPECT_EQ(lib.STARTTG(), 1);
    EXPECT_EQ(lib.TGLEVEL(-30), 1);
    EXPECT_EQ(lib.EXITTG(), 1);
}

TEST_F(SimE2E, CorruptChecksumIsRetriedOnce)
{
    const std::string log = home.Path() + "/rx.log";
    StartSim({"--no-pace", "--corrupt-checksum", "2", "--log", log});
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);  // block 1 good
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);  // block 2 bad, the retry's block 3 good
    sim.Stop();
    EXPECT_EQ(LoggedHex(log), " A5 A5 A5");

    std::string error;
    ASSERT_TRUE(sim.Start(2, {"--no-pace", "--corrupt-checksum", "1"}, error)) << error;
    ASSERT_EQ(lib.CHANGECOMPORT(2), 1);
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 0);
}

TEST_F(SimE2E, HangingUpRemovesThePortAndTheLibraryFailsWithoutHanging)
{
    StartSim({"--no-pace", "--disconnect-after", "1"});
    const std::string link = home.PortsFolder() + "/COM2";
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);
    const auto t0 = steady_clock::now();
    while (!sim.Exited() && MsSince(t0) < 3000)
        std::this_thread::sleep_for(milliseconds(5));
    EXPECT_FALSE(Exists(link));
    auto t1 = steady_clock::now();
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 0);
    EXPECT_EQ(lib.GETSERIALNUM(), 999999);
    EXPECT_EQ(lib.SETFREQ(100000), 0) << "the purge of a hung-up line fails";
    EXPECT_LT(MsSince(t1), 200);
    EXPECT_EQ(lib.CHANGECOMPORT(2), 0);
}

TEST_F(SimE2E, SilentAfterAnswersThatManyBlocksThenNothingOnALineThatStaysUp)
{
    const std::string log = home.Path() + "/rx.log";
    StartSim({"--no-pace", "--silent-after", "2", "--log", log});
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);
    EXPECT_EQ(lib.GETSERIALNUM(), 12345);
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);
    EXPECT_EQ(lib.GETSERIALNUM(), 999999);
    EXPECT_TRUE(Exists(home.PortsFolder() + "/COM2"));
    sim.Stop();
    EXPECT_EQ(LoggedCommands(log), (std::vector<std::string>{"T", "j", "T", "j"})) << "still listening";
}

TEST_F(SimE2E, ALineThatHungUpAndCameBackIsReopenedByChangeComPort)
{
    StartSim({"--no-pace", "--hangup-after", "1", "--return-after", "0.3"});
    const std::string link = home.PortsFolder() + "/COM2";
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);
    auto waitFor = [&](bool present) {
        const auto t0 = steady_clock::now();
        while (Exists(link) != present && MsSince(t0) < 3000)
            std::this_thread::sleep_for(milliseconds(5));
        return Exists(link) == present;
    };
    ASSERT_TRUE(waitFor(false));
    EXPECT_EQ(lib.GETSERIALNUM(), 999999);
    ASSERT_TRUE(waitFor(true));
    ASSERT_EQ(lib.CHANGECOMPORT(2), 1);
    EXPECT_EQ(lib.GETSERIALNUM(), 12345);
    EXPECT_EQ(lib.GETANALYZERTRACEDATA(&array), 1);
    tavrin::SerialChannel other;
    EXPECT_FALSE(other.ChangePort(2)) << "reopened exclusively";
}

TEST_F(SimE2E, TerminatingTheSimulatorUnregistersItsPort)
{
    StartSim({"--no-pace"});
    const std::string link = home.PortsFolder() + "/COM2";
    ASSERT_TRUE(Exists(link));
    const int status = sim.Stop();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(Exists(link));
}

TEST_F(SimE2E, LogRecordsTheBytesReceived)
{
    const std::string log = home.Path() + "/rx.log";
    StartSim({"--no-pace", "--log", log});
    lib.SETSPAN(0);
    sim.Stop();
    EXPECT_EQ(LoggedHex(log), " 55 53 01 30 30 30 30 30 30");
}

}  // namespace
