// tavrin-cli serve run as users run it, against the simulator: the PyVISA example of the manual
// measures through it, a second client meanwhile; bad options and a missing analyzer end it as
// the other commands end.
#include "cli_fixture.h"

#include <arpa/inet.h>
#include <array>
#include <filesystem>
#include <sys/socket.h>

using namespace tavrin::test;

namespace {

// An upper limit line, flat at the level across the band.
void WriteLimitFile(const std::string &path, double dbm)
{
    std::ofstream out(path, std::ios::binary);
    for (const std::array<double, 2> point : {std::array{0.0, dbm}, std::array{1150.0, dbm}})
        out.write(reinterpret_cast<const char *>(point.data()), 16);  // little-endian doubles, as x86 holds them
}

class ServeTest : public CliTest {
protected:
    // Starts the simulator on COM3 and serve on a free loopback port; the port, 0 when it failed.
    int StartServe()
    {
        std::string error;
        EXPECT_TRUE(sim.Start(3, {"--no-pace"}, error)) << error;
        std::filesystem::create_directories(Path("folder/Working"));
        serve = Spawn({"serve", "--port", "3", "--folder", Path("folder"), "--listen", "127.0.0.1:0"});
        serveOut = Out(), serveErr = Err();
        const std::string announced = "SCPI server on 127.0.0.1:";
        int port = 0;
        WaitFor([&] {
            const std::string out = Slurp(serveOut);
            if (const size_t at = out.find(announced); at != std::string::npos && out.find('\n', at) != std::string::npos)
                port = std::stoi(out.substr(at + announced.size()));
            return port > 0;
        });
        EXPECT_GT(port, 0) << Slurp(serveErr);
        return port;
    }
    void TearDown() override
    {
        if (serve > 0) {
            kill(serve, SIGTERM);
            EXPECT_EQ(Finish(serve).code, 0) << Slurp(serveErr);
        }
    }

    pid_t serve = -1;
    std::string serveOut, serveErr;
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
    const pid_t python = Spawn({TAVRIN_SCPI_EXAMPLE, "127.0.0.1", std::to_string(port), "tight"}, "/usr/bin/python3");
    // A second client meanwhile, with its own line.
    EXPECT_EQ(AskRaw(port, "*IDN?\n"), "Tavrin,Spectrum Analyzer,12345,SW2.07 FPGA1.4");
    const Ran py = Finish(python);
    ASSERT_EQ(py.code, 0) << py.out << py.err;
    const std::string &out = py.out;
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
        const Ran r = Run(args);
        EXPECT_EQ(r.code, code) << args[1];
        EXPECT_EQ(r.err.rfind("tavrin-cli: ", 0), 0u) << r.err;
    }
    const Ran help = Run({"serve", "--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("CALCulate:LIMit<1-2>:FAIL?"), std::string::npos);
}

}  // namespace
