// tavrin-cli run as scripts run it, in a private ports folder: the programs it starts (each
// with its output in files of its own), the simulator, and what the tests read back.
#pragma once

#include "support/sim_process.h"
#include "support/temp_dir.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

extern char **environ;

namespace tavrin::test {

using Strings = std::vector<std::string>;

inline std::string Slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline Strings Split(const std::string &text, char at)
{
    Strings parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, at);)
        parts.push_back(part);
    return parts;
}

inline size_t Count(const std::string &text, const std::string &what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

inline bool WaitFor(const std::function<bool()> &done)
{
    for (int i = 0; i < 2000 && !done(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return done();
}

class CliTest : public testing::Test {
protected:
    struct Ran {
        int code = -1;
        std::string out, err;
    };

    std::string Path(const std::string &name) const { return home.Path() + "/" + name; }

    ~CliTest() override
    {
        for (const pid_t pid : started) {  // whatever a failed check left running
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    // Starts a program with its output in out/err files of its own (and its input from a file).
    pid_t Spawn(Strings args, const char *program = TAVRIN_CLI_PATH, const std::string &input = {})
    {
        args.insert(args.begin(), program);
        std::vector<char *> argv;
        for (std::string &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        ++runs;
        if (!input.empty())
            posix_spawn_file_actions_addopen(&files, 0, input.c_str(), O_RDONLY | O_NOCTTY, 0);
        posix_spawn_file_actions_addopen(&files, 1, Out().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&files, 2, Err().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, program, &files, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&files);
        if (pid > 0)
            started.push_back(pid);
        return pid;
    }
    Ran Finish(pid_t pid)
    {
        int status = 0;
        waitpid(pid, &status, 0);
        std::erase(started, pid);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), Slurp(Out()), Slurp(Err())};
    }
    Ran Run(const Strings &args, const char *program = TAVRIN_CLI_PATH) { return Finish(Spawn(args, program)); }
    std::string Out() const { return Path("out" + std::to_string(runs)); }
    std::string Err() const { return Path("err" + std::to_string(runs)); }

    void StartSim(Strings args, bool paced = false)
    {
        if (!paced)
            args.push_back("--no-pace");
        args.insert(args.end(), {"--log", Path("line.log")});
        std::string error;
        ASSERT_TRUE(sim.Start(1, args, error)) << error;
    }
    // The commands the simulator took since the last call, without trace requests and queries.
    Strings Sent()
    {
        Strings all = LoggedCommands(Path("line.log")), recent(all.begin() + std::min(mark, all.size()), all.end());
        mark = all.size();
        std::erase_if(recent, [](const std::string &c) { return c == "T" || c == "j" || c.rfind("OPT:", 0) == 0; });
        return recent;
    }

    TempConfigHome home;
    SimProcess sim;
    int runs = 0;
    size_t mark = 0;
    std::vector<pid_t> started;
};

// One record laid out by hand: 1 Jan 2025 12:00, 1MHZ/DIV, -20 dBm, 220KHZ, points at 512 but
// point 0 at 1023.
inline std::string HandRecord(double center)
{
    std::string rec(1060, '\0');
    const double day = 45658.5;  // 1 Jan 2025, 12:00
    std::memcpy(&rec[0], &day, 8);
    std::memcpy(&rec[8], &center, 8);
    rec.replace(16, 12, "1MHZ/DIV    ");
    rec[28] = char(0xEC), rec[29] = char(0xFF);  // -20 dBm
    rec.replace(30, 8, "220KHZ  ");
    for (int k = 0; k < 500; ++k)
        rec[38 + 2 * k] = 0, rec[39 + 2 * k] = 2;  // 512
    rec[38] = char(0xFF), rec[39] = 3;              // point 0: 1023
    return rec;
}

}  // namespace tavrin::test
