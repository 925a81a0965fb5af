#include "options.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string_view>

namespace tavrin::sim {

const char *UsageText()
{
    return "Usage: tavrin-sim [options]\n"
           "Simulates the Tavrin spectrum analyzer on a pseudo-terminal registered as a COM port\n"
           "(a link COMn in $XDG_CONFIG_HOME/tavrin/ports, else ~/.config/tavrin/ports). The link is\n"
           "removed when the simulator exits (Ctrl+C, SIGTERM).\n"
           "\n"
           "  --port N              register as COMN, N = 1..4 (default 1); COM3 is also accepted\n"
           "  --no-pace             send as fast as possible instead of at 57600 baud (~5760 bytes/s)\n"
           "  --no-echo             do not echo setting frames and text commands\n"
           "  --silent              receive everything, answer nothing\n"
           "  --corrupt-checksum N  every Nth trace block has a wrong checksum\n"
           "  --bad-points N        every Nth trace block has a point above 1023\n"
           "  --short-block N       every Nth trace block is cut short (see --short-length)\n"
           "  --short-length L      bytes sent of a short block (default 600)\n"
           "  --disconnect-after N  hang up the line after N trace blocks and exit\n"
           "  --silent-after N      answer N trace blocks, then nothing at all (the line stays up)\n"
           "  --hangup-after N      hang up the line after N trace blocks (needs --return-after)\n"
           "  --return-after S      S seconds (fractions allowed) later: after --hangup-after,\n"
           "                        register a fresh line as the same COM port and answer again;\n"
           "                        after --silent-after, answer again on the same line. Goes with\n"
           "                        one of the two, which then happens only once\n"
           "  --appear-after S      register the COM port only S seconds after start (fractions\n"
           "                        allowed): until then the COM name does not exist (an entry\n"
           "                        left there is removed at start), as with a device plugged in\n"
           "                        later\n"
           "  --moving-carrier R    add a -20 dBm carrier that moves across the screen at R MHz/s:\n"
           "                        from the left edge (centre - 5 divisions) to the right edge,\n"
           "                        then from the left again; at the left edge when the simulator\n"
           "                        starts, and absent at zero span\n"
           "  --intermittent-carrier ON,OFF\n"
           "                        add a -30 dBm carrier at centre + 2 divisions (the centre at\n"
           "                        zero span) that is there for ON seconds, then away for OFF\n"
           "                        seconds, and so on, from the simulator's start (e.g. 5,10);\n"
           "                        neither added carrier is there in tracking-generator mode\n"
           "  --serial DIGITS       the five characters answered to the serial-number query\n"
           "                        (default 12345)\n"
           "  --seed N              seed of the trace noise (default 1)\n"
           "  --log FILE            append every received byte to FILE (time, hex)\n"
           "  --help                show this text\n"
           "\n"
           "Answers: echo of setting frames (U F/S/L/R ...) and text commands; 'j' -> serial number;\n"
           "0xA5 -> 1017-byte trace block (header = settings last set); 0xAA 0x55 -> streaming;\n"
           "MKR:LEV, OPT:VER, OPT:FPGA queries; GEN:... tracking-generator commands.\n";
}

namespace {

bool ParseCount(const char *text, long min, long max, long &out)
{
    char *end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < min || v > max)
        return false;
    out = v;
    return true;
}

bool ParseNumber(const char *text, double &out)
{
    char *end = nullptr;
    out = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(out);
}

struct Flag {
    std::string_view name;
    bool Options::*field;
    bool value;
};
constexpr Flag kFlags[] = {{"--no-pace", &Options::pace, false},
                           {"--no-echo", &Options::echo, false},
                           {"--silent", &Options::silent, true}};

struct Count {
    std::string_view name;
    int Options::*field;
    int min, max;
};
constexpr Count kCounts[] = {{"--corrupt-checksum", &Options::corruptEvery, 1, 1000000},
                             {"--bad-points", &Options::badPointsEvery, 1, 1000000},
                             {"--short-block", &Options::shortEvery, 1, 1000000},
                             {"--short-length", &Options::shortLength, 0, 1016},
                             {"--disconnect-after", &Options::disconnectAfter, 1, 100000000},
                             {"--silent-after", &Options::silentAfter, 1, 100000000},
                             {"--hangup-after", &Options::hangupAfter, 1, 100000000}};

// A number from min (excluded when it must be above it) to max.
struct Amount {
    std::string_view name;
    double Options::*field;
    double min, max;
    bool above;
    const char *what;
};
constexpr Amount kAmounts[] = {{"--return-after", &Options::returnAfter, 0, 86400, false, "seconds"},
                               {"--appear-after", &Options::appearAfter, 0, 86400, false, "seconds"},
                               {"--moving-carrier", &Options::movingCarrier, 0, 100000, true, "MHz per second"}};

constexpr std::string_view kOthersWithValue[] = {"--port", "--seed", "--serial", "--log", "--intermittent-carrier"};

template <typename T, size_t N>
const T *Find(const T (&table)[N], std::string_view name)
{
    for (const T &row : table)
        if (row.name == name)
            return &row;
    return nullptr;
}

bool TakesValue(std::string_view name)
{
    for (std::string_view other : kOthersWithValue)
        if (other == name)
            return true;
    return Find(kCounts, name) || Find(kAmounts, name);
}

bool ParseAmount(const Amount &a, const char *v, Options &o, std::string &error)
{
    double x = 0;
    if (!ParseNumber(v, x) || x < a.min || (a.above && x == a.min) || x > a.max) {
        std::ostringstream s;
        s << a.name << ": expected " << a.what << (a.above ? " above " : " from ") << a.min
          << (a.above ? " up to " : " to ") << a.max << ", got '" << v << "'";
        error = s.str();
        return false;
    }
    o.*(a.field) = x;
    return true;
}

// "ON,OFF": seconds there and seconds away, each above 0.
bool ParseOnOff(const char *v, Options &o, std::string &error)
{
    const std::string text = v;
    const size_t comma = text.find(',');
    double on = 0, off = 0;
    if (comma == std::string::npos || !ParseNumber(text.substr(0, comma).c_str(), on) ||
        !ParseNumber(text.substr(comma + 1).c_str(), off) || !(on > 0 && on <= 86400 && off > 0 && off <= 86400)) {
        error = std::string("--intermittent-carrier: expected ON,OFF in seconds, each above 0 up to 86400 "
                            "(e.g. 5,10), got '") + v + "'";
        return false;
    }
    o.intermittentOn = on;
    o.intermittentOff = off;
    return true;
}

// One option that takes a value.
bool ApplyValue(std::string_view name, const char *v, Options &o, std::string &error)
{
    long n = 0;
    if (const Count *c = Find(kCounts, name)) {
        if (!ParseCount(v, c->min, c->max, n)) {
            error = std::string(name) + ": expected a whole number from " + std::to_string(c->min) + " to " +
                    std::to_string(c->max) + ", got '" + v + "'";
            return false;
        }
        o.*(c->field) = static_cast<int>(n);
    } else if (const Amount *a = Find(kAmounts, name)) {
        return ParseAmount(*a, v, o, error);
    } else if (name == "--port") {
        std::string_view p = v;
        if (p.size() > 3 && (p.substr(0, 3) == "COM" || p.substr(0, 3) == "com"))
            p.remove_prefix(3);
        if (!ParseCount(std::string(p).c_str(), 1, 4, n)) {
            error = std::string("--port: expected 1..4 or COM1..COM4, got '") + v + "'";
            return false;
        }
        o.port = static_cast<int>(n);
    } else if (name == "--seed") {
        if (!ParseCount(v, 0, 2147483647, n)) {
            error = std::string("--seed: expected a whole number from 0 to 2147483647, got '") + v + "'";
            return false;
        }
        o.seed = static_cast<uint32_t>(n);
    } else if (name == "--serial") {
        if (std::strlen(v) != 5) {
            error = "--serial: expected exactly five characters";
            return false;
        }
        o.serial = v;
    } else if (name == "--log") {
        o.logPath = v;
    } else {
        return ParseOnOff(v, o, error);
    }
    return true;
}

// Options that only make sense together, or not at all together.
bool CheckCombination(const Options &o, std::string &error)
{
    const bool hangup = o.hangupAfter > 0, silentAfter = o.silentAfter > 0, returns = o.returnAfter >= 0;
    if (hangup && !returns)
        error = "--hangup-after needs --return-after";
    else if (returns && hangup == silentAfter)
        error = "--return-after goes with exactly one of --hangup-after and --silent-after";
    else if (hangup && o.disconnectAfter > 0)
        error = "--hangup-after and --disconnect-after exclude each other";
    return error.empty();
}

}  // namespace

bool ParseOptions(int argc, char **argv, Options &o, bool &help, std::string &error)
{
    help = false;
    error.clear();
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--help" || a == "-h") {
            help = true;
        } else if (const Flag *f = Find(kFlags, a)) {
            o.*(f->field) = f->value;
        } else if (!TakesValue(a)) {
            error = "unknown option '" + std::string(a) + "' (see --help)";
            return false;
        } else if (i + 1 >= argc) {
            error = std::string(a) + " needs a value";
            return false;
        } else if (!ApplyValue(a, argv[++i], o, error)) {
            return false;
        }
    }
    return CheckCombination(o, error);
}

}  // namespace tavrin::sim
