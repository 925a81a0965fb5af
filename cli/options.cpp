#include "cli/options.h"

#include "cli/serve.h"

#include "common/text_number.h"
#include "measure/measurement_state.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace tavrin::cli {

namespace {

struct Option {
    std::string_view name;
    std::string_view argument;  // empty for a switch
    std::string_view help;
};

struct Command {
    std::string_view name;
    std::string_view synopsis;
    std::string_view about;
    std::vector<Option> options;
};

const Option kPort{"port", "N", "the analyzer on COM N, 1..4 (default: the port saved in Tavrin.Log, else 1)"};
const Option kFolder{"folder", "DIR", "read Tavrin.Log from DIR instead of the program's folder"};
const Option kJson{"json", "", "one JSON object on standard output instead of text"};
const Option kFormat{"format", "csv|rtl_power",
                     "the layout of --csv: csv (default) or rtl_power, survey lines for heat-map tools"};

const std::vector<Command> &Commands()
{
    static const std::vector<Command> commands = {
        {"info", "info [--json] [--setups]",
         "The analyzer's serial number, software and FPGA versions, and the settings it reports.\n"
         "With --setups the named setups of Working/setups instead, without the analyzer.",
         {kJson, {"setups", "", "list the named setups, one a line (--json: an array of names)"}, kPort, kFolder}},
        {"set", "set [--center MHZ] [--span CAPTION] [--ref DBM] [--rbw CAPTION] [--setup NAME]",
         "Sends settings, each confirmed from the analyzer's reports (exit 4 when one is not), then shows\n"
         "the settings it reports. A centre and span whose window would leave 0..1150 MHz are fitted as\n"
         "the control panel fits them (the other setting gives way), with a note on standard error.",
         {{"center", "MHZ", "centre frequency in MHz, three decimals, 0..1150"},
          {"span", "CAPTION", "span per division: 0HZ/DIV (zero span), 2KHZ/DIV .. 100MHZ/DIV"},
          {"ref", "DBM", "reference level: -30, -20, -10, 0, 10 or 20"},
          {"rbw", "CAPTION", "resolution bandwidth at zero span: 3KHZ, 30KHZ, 220KHZ or 4MHZ"},
          {"setup", "NAME", "the centre, span, reference level (and RBW at zero span) of a named setup;\n"
                            "                      the options above win over the setup's"},
          kJson, kPort, kFolder}},
        {"sweep",
         "sweep [--count N | --duration SECONDS] [--interval SECONDS] [--csv FILE [--format F]] [--record FILE]\n"
         "       [--json] [--mqtt URL [--mqtt-topic PREFIX] [--mqtt-qos 0|1] [--mqtt-user NAME]\n"
         "       [--mqtt-password-file FILE] [--mqtt-ca FILE] [--mqtt-interval SECONDS]]",
         "Takes traces as fast as the line allows, or one every --interval, until --count or --duration\n"
         "is reached or Ctrl+C (SIGINT, SIGTERM) ends it; every record and row is written whole. The\n"
         "first Ctrl+C says what the sweep still waits for; after a second one it ends within a second.\n"
         "With --mqtt every trace is also published (PREFIX/SERIAL/trace and /peak, and the retained\n"
         "/status); a broker that is away or refuses the login is told once on standard error and the\n"
         "sweep goes on: exit status 6 at the end says that not everything was published.",
         {{"count", "N", "stop after N traces"},
          {"duration", "SECONDS", "stop after this time"},
          {"interval", "SECONDS", "one trace every SECONDS (default: back to back, about 5.6 a second)"},
          {"csv", "FILE", "write the traces as CSV, the columns of File > Export CSV (FILE - : standard output)"},
          {"record", "FILE", "append the traces to a record file (.spf), each flushed to the disk"},
          {"json", "", "one JSON object per trace on standard output (JSON lines)"},
          kFormat,
          {"mqtt", "URL", "publish to an MQTT broker: mqtt://HOST[:PORT] (1883) or mqtts://HOST[:PORT] (8883)"},
          {"mqtt-topic", "PREFIX", "topics PREFIX/SERIAL/trace, peak, status (default: tavrin/HOSTNAME)"},
          {"mqtt-qos", "0|1", "0 (default): fire and forget; 1: acknowledged, kept while the broker is away"},
          {"mqtt-user", "NAME", "the broker's user name"},
          {"mqtt-password-file", "FILE", "the password, first line of FILE (else from TAVRIN_MQTT_PASSWORD)"},
          {"mqtt-ca", "FILE", "the CA certificates an mqtts:// broker is checked against (default: the system's)"},
          {"mqtt-interval", "SECONDS", "publish at most one trace per interval; the files still get every trace"},
          kPort, kFolder}},
        {"peak", "peak [--count N] [--threshold DBM] [--excursion DB] [--json]",
         "The frequency and level of the highest point of a fresh trace, as Peak finds it.\n"
         "With --count, --threshold or --excursion a table of its peaks instead, highest first. A peak\n"
         "rises at least the excursion above the trace on both sides; a top on the screen's first or\n"
         "last point is none.",
         {{"count", "N", "up to N peaks in the table (default 10)"},
          {"threshold", "DBM", "only peaks at or above this level"},
          {"excursion", "DB", "how far a peak rises above the lowest point on each side before a\n"
                              "                      higher one, 0..80 (default 6)"},
          {"json", "", "a JSON object (with the table: an array of them) on standard output"},
          kPort, kFolder}},
        {"tg", "tg [--mode on|off] [--output on|off] [--level DBM] [--offset KHZ] [--normalize]",
         "Tracking generator. Any option but --mode off puts the analyzer in generator mode and sends the\n"
         "generator's settings in the panel's order; --mode off switches the output off and leaves it.\n"
         "Level and offset are fitted into their ranges and rounded as the panel does (with a note).",
         {{"mode", "on|off", "generator mode on, or back to analyzer mode"},
          {"output", "on|off", "the generator's output"},
          {"level", "DBM", "output level, -59..0 dBm (-50 when --output on comes without it)"},
          {"offset", "KHZ", "frequency offset, -99..99 kHz (0 when --output on comes without it)"},
          {"normalize", "", "normalise the response (needs --output on)"},
          kPort, kFolder}},
        {"serve", "serve [--listen ADDRESS:PORT] [--allow LIST]",
         "Remote control over the network: SCPI on a TCP socket (PyVISA, LabVIEW, nc) until Ctrl+C, each\n"
         "client with its own error queue. Settings are sent and confirmed as on the panel.",
         {{"listen", "ADDRESS:PORT", "where to listen (default 127.0.0.1:5025; [::1]:5025; port 0: a free one)"},
          {"allow", "LIST", "the only clients let in: addresses and networks, e.g. 192.168.1.0/24,10.0.0.7"},
          kPort, kFolder}},
        {"convert", "convert FILE [--csv OUT [--format csv|rtl_power]] [--json]",
         "A record file (.spf) of any length as CSV or JSON lines, with no analyzer at all. The output is\n"
         "never the record file itself.",
         {{"csv", "OUT", "the CSV file to write, replaced whole (OUT - : standard output)"},
          {"json", "", "one JSON object per record on standard output (JSON lines)"},
          kFormat}},
    };
    return commands;
}

const Command *FindCommand(std::string_view name)
{
    for (const Command &c : Commands())
        if (c.name == name)
            return &c;
    return nullptr;
}

const Option *FindOption(const Command &command, std::string_view name)
{
    for (const Option &o : command.options)
        if (o.name == name)
            return &o;
    return nullptr;
}

std::string Padded(std::string text, size_t width)
{
    text.resize(std::max(width, text.size() + 2), ' ');
    return text;
}

// Reads the options and operands of a command; "" or the usage error.
std::string ParseOptions(const Command &command, const std::vector<std::string> &args, size_t from, CommandLine &line)
{
    for (size_t i = from; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--help" || arg == "-h") {
            line.help = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0 || arg.size() == 2) {
            line.operands.push_back(arg);
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        const Option *option = FindOption(command, name);
        if (!option)
            return "unknown option --" + name + " for " + std::string(command.name);
        if (line.Has(name))
            return "--" + name + " is given twice";
        if (option->argument.empty()) {
            if (equals != std::string::npos)
                return "--" + name + " takes no value";
            line.values[name] = "";
        } else if (equals != std::string::npos) {
            line.values[name] = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            line.values[name] = args[++i];
        } else {
            return "--" + name + " needs a value (" + std::string(option->argument) + ")";
        }
    }
    return {};
}

}  // namespace

ParseResult ParseCommandLine(const std::vector<std::string> &args)
{
    ParseResult r;
    if (args.empty())
        return {{}, "no command given"};
    const std::string &first = args[0];
    if (first == "--help" || first == "-h" || first == "help") {
        r.line.help = true;
        if (first == "help" && args.size() > 1)
            r.line.command = args[1];
        if (!r.line.command.empty() && !FindCommand(r.line.command))
            r.error = "unknown command " + r.line.command;
        return r;
    }
    if (first == "--version") {
        r.line.version = true;
        return r;
    }
    const Command *command = FindCommand(first);
    if (!command)
        return {{}, "unknown command " + first};
    r.line.command = first;
    r.error = ParseOptions(*command, args, 1, r.line);
    const size_t operands = command->name == "convert" ? 1 : 0;
    if (r.error.empty() && !r.line.help && r.line.operands.size() != operands)
        r.error = operands ? "convert needs one record file" : "unexpected argument " + r.line.operands.front();
    return r;
}

std::string HelpText(std::string_view name)
{
    if (const Command *c = FindCommand(name)) {
        std::string text = "Usage: tavrin-cli " + std::string(c->synopsis) + "\n" + std::string(c->about) + "\n\n";
        for (const Option &o : c->options)
            text.append("  ")
                .append(Padded(std::string("--").append(o.name).append(o.argument.empty() ? "" : " ").append(o.argument), 20))
                .append(o.help)
                .append("\n");
        text += "  --help              this text\n";
        return c->name == "serve" ? text + ServeCommandTable() : text;
    }
    std::string text = "Usage: tavrin-cli COMMAND [OPTIONS]\n"
                       "Measures with the Tavrin spectrum analyzer from scripts, without a display.\n\nCommands:\n";
    for (const Command &c : Commands())
        text += "  " + Padded(std::string(c.name), 10) + std::string(c.about.substr(0, c.about.find('\n'))) + "\n";
    return text + "\n"
                  "Every command but convert takes --port N (COM N, default: the port saved in Tavrin.Log, else 1)\n"
                  "and --folder DIR. tavrin-cli COMMAND --help tells a command's options; --version the version.\n"
                  "Messages go to standard error.\n\n"
                  "Exit status:\n"
                  "  0  success\n"
                  "  2  usage error\n"
                  "  3  port not available: missing, not a serial port, no permission, or held by another program\n"
                  "  4  the analyzer does not answer, or does not confirm a setting\n"
                  "  5  file error\n"
                  "  6  a sweep's files are complete, but not all its messages reached the MQTT broker\n"
                  "  130  ended at once by a second Ctrl+C\n";
}

std::string ReadCsvFormat(const CommandLine &line, bool &survey)
{
    survey = false;
    if (!line.Has("format"))
        return {};
    if (!line.Has("csv"))
        return "--format is the layout of the --csv file: add --csv FILE";
    const std::string format = ToUpperAscii(line.Value("format"));
    if (format != "CSV" && format != "RTL_POWER")
        return "--format takes csv or rtl_power, not \"" + line.Value("format") + "\"";
    survey = format == "RTL_POWER";
    return {};
}

std::optional<long> ParseInteger(std::string_view text, long lowest, long highest)
{
    const std::string s(text);
    char *end = nullptr;
    errno = 0;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || s[0] == ' ' || *end != '\0' || errno != 0 || v < lowest || v > highest)
        return std::nullopt;
    return v;
}

std::optional<double> ParseNumber(std::string_view text)
{
    // The leading-number rule of the panel, but the whole text must be that number.
    const std::string s(text);
    const size_t digits = s.find_first_of("0123456789");
    const bool shape = !s.empty() && digits != std::string::npos &&
                       s.find_first_not_of("+-0123456789.") == std::string::npos &&
                       s.find_last_of("+-") == (s[0] == '+' || s[0] == '-' ? 0 : std::string::npos) &&
                       std::count(s.begin(), s.end(), '.') <= 1;
    const double v = NumericValue(s);
    if (!shape || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<bool> ParseOnOff(std::string_view text)
{
    const std::string t = ToUpperAscii(text);
    if (t == "ON")
        return true;
    if (t == "OFF")
        return false;
    return std::nullopt;
}

namespace {

template <size_t N>
std::optional<std::string> TableCaption(const std::array<std::string_view, N> &table, std::string_view text)
{
    const std::string wanted = ToUpperAscii(TrimSpaces(text));
    for (std::string_view caption : table)
        if (caption == wanted)
            return std::string(caption);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> ParseSpanCaption(std::string_view text) { return TableCaption(kSpanCaptions, text); }
std::optional<std::string> ParseRbwCaption(std::string_view text) { return TableCaption(kRbwCaptions, text); }

}  // namespace tavrin::cli
