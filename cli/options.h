// The command line of tavrin-cli: its subcommands, their options and help texts, and the reading
// of option values. Plain functions, no instrument.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin::cli {

// The exit codes scripts rely on.
enum Exit : int {
    kExitOk = 0,
    kExitUsage = 2,
    kExitPort = 3,      // the port is missing, not permitted or held by another program
    kExitNoAnswer = 4,  // the analyzer does not answer or does not confirm a setting
    kExitFile = 5,
    kExitPublish = 6,  // a sweep's files are complete, but not all its messages reached the broker
};

struct CommandLine {
    std::string command;                        // "" for tavrin-cli alone
    std::map<std::string, std::string> values;  // option name without "--" -> value ("" for a switch)
    std::vector<std::string> operands;
    bool help = false;
    bool version = false;

    bool Has(const std::string &name) const { return values.count(name) != 0; }
    const std::string &Value(const std::string &name) const { return values.at(name); }
};

struct ParseResult {
    CommandLine line;
    std::string error;  // a usage error, for the user
};

// Reads argv[1..]: a subcommand, then its options as "--name value" or "--name=value" (a value may
// start with '-', as "--ref -10" does) and operands. Each option may be given once.
ParseResult ParseCommandLine(const std::vector<std::string> &args);

// The general help, or one subcommand's.
std::string HelpText(std::string_view command = {});

// Strict readers of option values: the whole text must be the value. Nothing for anything else.
std::optional<long> ParseInteger(std::string_view text, long lowest, long highest);
// A finite decimal number; no exponent, no blanks.
std::optional<double> ParseNumber(std::string_view text);
// "on" or "off".
std::optional<bool> ParseOnOff(std::string_view text);
// --format of a command's --csv: csv (the columns of File > Export CSV) or rtl_power (survey
// lines); survey tells which. "" or the usage error.
std::string ReadCsvFormat(const CommandLine &line, bool &survey);
// A caption of the span or RBW table, case ignored: the table's own spelling.
std::optional<std::string> ParseSpanCaption(std::string_view text);
std::optional<std::string> ParseRbwCaption(std::string_view text);

}  // namespace tavrin::cli
