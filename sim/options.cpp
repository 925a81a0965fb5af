#include "options.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace tavrin::sim {

namespace {

bool ParseCount(const char *text, int min, int max, int &out)
{
    char *end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < min || v > max)
        return false;
    out = static_cast<int>(v);
    return true;
}

bool ParseSeconds(const char *text, double &out)
{
    char *end = nullptr;
    double v = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(v >= 0 && v <= 86400))
        return false;
    out = v;
    return true;
}

}  // namespace

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
           "  --hangup-after N      hang up the line after N trace blocks, and after\n"
           "  --return-after S      S seconds (fractions allowed) register a fresh line as the same\n"
           "                        COM port and answer again; the two go together\n"
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

bool ParseOptions(int argc, char **argv, Options &o, bool &help, std::string &error)
{
    help = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view a = argv[i];
        auto value = [&](const char *&out) {
            if (i + 1 >= argc) {
                error = std::string(a) + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        auto count = [&](int min, int max, int &out) {
            const char *v = nullptr;
            if (!value(v))
                return false;
            if (!ParseCount(v, min, max, out)) {
                error = std::string(a) + ": expected a whole number from " + std::to_string(min) + " to " +
                        std::to_string(max) + ", got '" + v + "'";
                return false;
            }
            return true;
        };
        const char *v = nullptr;
        if (a == "--help" || a == "-h") {
            help = true;
        } else if (a == "--port") {
            if (!value(v))
                return false;
            std::string_view p = v;
            if (p.size() > 3 && (p.substr(0, 3) == "COM" || p.substr(0, 3) == "com"))
                p.remove_prefix(3);
            std::string digits(p);
            if (!ParseCount(digits.c_str(), 1, 4, o.port)) {
                error = std::string("--port: expected 1..4 or COM1..COM4, got '") + v + "'";
                return false;
            }
        } else if (a == "--no-pace") {
            o.pace = false;
        } else if (a == "--no-echo") {
            o.echo = false;
        } else if (a == "--silent") {
            o.silent = true;
        } else if (a == "--corrupt-checksum") {
            if (!count(1, 1000000, o.corruptEvery))
                return false;
        } else if (a == "--bad-points") {
            if (!count(1, 1000000, o.badPointsEvery))
                return false;
        } else if (a == "--short-block") {
            if (!count(1, 1000000, o.shortEvery))
                return false;
        } else if (a == "--short-length") {
            if (!count(0, 1016, o.shortLength))
                return false;
        } else if (a == "--disconnect-after") {
            if (!count(1, 100000000, o.disconnectAfter))
                return false;
        } else if (a == "--silent-after") {
            if (!count(1, 100000000, o.silentAfter))
                return false;
        } else if (a == "--hangup-after") {
            if (!count(1, 100000000, o.hangupAfter))
                return false;
        } else if (a == "--return-after") {
            if (!value(v))
                return false;
            if (!ParseSeconds(v, o.returnAfter)) {
                error = std::string("--return-after: expected seconds from 0 to 86400, got '") + v + "'";
                return false;
            }
        } else if (a == "--seed") {
            int s = 0;
            if (!count(0, 2147483647, s))
                return false;
            o.seed = static_cast<uint32_t>(s);
        } else if (a == "--serial") {
            if (!value(v))
                return false;
            if (std::strlen(v) != 5) {
                error = "--serial: expected exactly five characters";
                return false;
            }
            o.serial = v;
        } else if (a == "--log") {
            if (!value(v))
                return false;
            o.logPath = v;
        } else {
            error = "unknown option '" + std::string(a) + "' (see --help)";
            return false;
        }
    }
    if ((o.hangupAfter > 0) != (o.returnAfter >= 0)) {
        error = "--hangup-after and --return-after go together";
        return false;
    }
    if (o.hangupAfter > 0 && o.disconnectAfter > 0) {
        error = "--hangup-after and --disconnect-after exclude each other";
        return false;
    }
    return true;
}

}  // namespace tavrin::sim
