// tavrin-cli serve run as users run it, against the simulator: the PyVISA example of the manual
// measures through it, a second client meanwhile; bad options and a missing analyzer end it as
// the other commands end.
#include "support/sim_process.h"
#include "support/temp_dir.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

using namespace tavrin::test;
using Strings = std::vector<std::string>;

namespace {

std::string Slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

pid_t Spawn(const char *program, Strings args, const std::string &out, const std::string &err)
{
    args.insert(args.begin(), program);
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, program, &files, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&files);
    return pid;
}

// The exit status, once the process ended within the time; killed and -1 otherwise.
int Finish(pid_t pid, std::chrono::seconds within = std::chrono::seconds(60))
{
    const auto until = std::chrono::steady_clock::now() + within;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > until) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// An upper limit line, flat at the level across the band.
void WriteLimitFile(const std::string &path, double dbm)
{
    std::ofstream out(path, std::ios::binary);
    for (const std::array<double, 2> point : {std::array{0.0, dbm}, std::array{1150.0, dbm}})
        out.write(reinterpret_cast<const char *>(point.data()), 16);  // little-endian doubles, as x86 holds them
}

class ServeTest : public testing::Test {
protected:
    std::string Path(const std::string &name) const { return home.Path() + "/" + name; }

    // Starts the simulator on COM3 and serve on a free loopback port; the port, 0 when it failed.
    int StartServe()
    {
        std::string error;
        EXPECT_TRUE(sim.Start(3, {"--no-pace"}, error)) << error;
        std::filesystem::create_directories(Path("folder/Working"));
        serve = Spawn(TAVRIN_CLI_PATH, {"serve", "--port", "3", "--folder", Path("folder"), "--listen", "127.0.0.1:0"},
                      Path("serve.out"), Path("serve.err"));
        const std::string announced = "SCPI server on 127.0.0.1:";
        for (int i = 0; i < 1000; ++i) {
            const std::string out = Slurp(Path("serve.out"));
            if (const size_t at = out.find(announced); at != std::string::npos && out.find('\n', at) != std::string::npos)
                return std::stoi(out.substr(at + announced.size()));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ADD_FAILURE() << Slurp(Path("serve.err"));
        return 0;
    }
    void TearDown() override
    {
        if (serve > 0) {
            kill(serve, SIGTERM);
            EXPECT_EQ(Finish(serve), 0) << Slurp(Path("serve.err"));
        }
    }

    TempConfigHome home;
    SimProcess sim;
    pid_t serve = -1;
};

// One line sent on a plain socket, the answer's first line back.
std::string AskRaw(int port, const std::string &line)
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{20, 0};
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string answer;
    if (connect(s, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        send(s, line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size())) {
        char c = 0;
        while (recv(s, &c, 1, 0) == 1 && c != '\n')
            answer += c;
    }
    close(s);
    return answer;
}

TEST_F(ServeTest, ThePyvisaExampleMeasuresThroughIt)
{
    const int port = StartServe();
    ASSERT_GT(port, 0);
    // The simulator's carrier at 100.5 MHz stands at -36 dBm.
    WriteLimitFile(Path("folder/Working/tight.lim"), -40);
    WriteLimitFile(Path("folder/Working/loose.lim"), -30);
    const pid_t python = Spawn("/usr/bin/python3", {TAVRIN_SCPI_EXAMPLE, "127.0.0.1", std::to_string(port), "tight"},
                               Path("py.out"), Path("py.err"));
    // A second client meanwhile, with its own line.
    EXPECT_EQ(AskRaw(port, "*IDN?\n"), "Tavrin,Spectrum Analyzer,12345,SW2.07 FPGA1.4");
    ASSERT_EQ(Finish(python), 0) << Slurp(Path("py.out")) << Slurp(Path("py.err"));
    const std::string out = Slurp(Path("py.out"));
    std::cout << out;
    for (const char *said : {"*IDN? Tavrin,Spectrum Analyzer,12345,SW2.07 FPGA1.4", "centre 100.000 MHz, span 20 MHz",
                             "500 levels as ASCII, 500 as REAL,32; 89.960 .. 109.920 MHz", "marker 1 at ",
                             "limit line 1 (tight): FAIL", "SYST:ERR? 0,\"No error\""})
        EXPECT_NE(out.find(said), std::string::npos) << said << "\n" << out;
    EXPECT_EQ(AskRaw(port, "CALC:LIM2:NAME \"loose\";STAT ON;*OPC?;:INIT;*OPC?;:CALC:LIM2:FAIL?\n"), "1;1;0");
    const std::string missing = AskRaw(port, "CALC:LIM2:NAME \"absent\";*OPC?;:SYST:ERR?\n");
    EXPECT_EQ(missing.substr(0, 24), "1;-200,\"Execution error;") << missing;
    EXPECT_NE(missing.find("absent.lim"), std::string::npos) << missing;
}

TEST_F(ServeTest, BadOptionsAndAMissingAnalyzerEndItAsTheOtherCommands)
{
    const std::pair<Strings, int> cases[] = {
        {{"serve", "--listen", "localhost"}, 2},
        {{"serve", "--listen", "192.168.1.1:99999"}, 2},
        {{"serve", "--allow", "friends"}, 2},
        {{"serve", "--port", "2", "--listen", "127.0.0.1:0"}, 3},  // nothing on COM2
    };
    for (const auto &[args, code] : cases) {
        EXPECT_EQ(Finish(Spawn(TAVRIN_CLI_PATH, args, Path("out"), Path("err"))), code) << args[1];
        EXPECT_EQ(Slurp(Path("err")).rfind("tavrin-cli: ", 0), 0u) << Slurp(Path("err"));
    }
    const pid_t help = Spawn(TAVRIN_CLI_PATH, {"serve", "--help"}, Path("out"), Path("err"));
    EXPECT_EQ(Finish(help), 0);
    EXPECT_NE(Slurp(Path("out")).find("CALCulate:LIMit<1-2>:FAIL?"), std::string::npos);
}

}  // namespace
