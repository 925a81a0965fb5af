#include "cli/peak_setup_commands.h"

#include "cli/commands.h"
#include "cli/output.h"
#include "cli/session.h"
#include "common/number_format.h"
#include "common/safe_file.h"
#include "common/text_number.h"
#include "markers/peak_tools.h"
#include "settings/setup_store.h"

#include <unistd.h>

namespace tavrin::cli {

namespace {

// The peak options; "" or the usage error.
std::string ReadPeakOptions(const CommandLine &line, size_t &count, PeakRules &rules)
{
    if (line.Has("count")) {
        const std::optional<long> n = ParseInteger(line.Value("count"), 1, kLastScreenPoint);
        if (!n)
            return "--count takes a number of peaks from 1 to 498, not \"" + line.Value("count") + "\"";
        count = static_cast<size_t>(*n);
    }
    if (line.Has("threshold")) {
        const std::optional<double> dbm = ParseNumber(line.Value("threshold"));
        if (!dbm)
            return "--threshold takes a level in dBm, not \"" + line.Value("threshold") + "\"";
        rules.thresholdDbm = *dbm;
    }
    if (line.Has("excursion")) {
        const std::optional<double> db = ParseNumber(line.Value("excursion"));
        if (!db || *db < 0 || *db > 80)
            return "--excursion takes 0 to 80 (dB), not \"" + line.Value("excursion") + "\"";
        rules.excursionDb = *db;
    }
    return {};
}

std::string PeakText(const std::vector<Peak> &table, bool json)
{
    std::string text = json ? "[" : "";
    for (size_t i = 0; i < table.size(); ++i) {
        // Four decimals, as Peak writes marker 1's frequency.
        const std::string freq = FormatFixed(table[i].freqMHz, 4, 4);
        if (json)
            text += (i ? ",{\"freq_mhz\":" : "{\"freq_mhz\":") + JsonNumber(NumericValue(freq)) +
                    ",\"level_dbm\":" + JsonNumber(table[i].levelDbm) + "}";
        else
            text += std::to_string(i + 1) + ": " + freq + " MHz, " + PlainDecimal(table[i].levelDbm) + " dBm\n";
    }
    return json ? text + "]\n" : text;
}

int PeakTableCommand(const CommandLine &line)
{
    size_t count = kPeakTableRows;
    PeakRules rules;
    if (const std::string error = ReadPeakOptions(line, count, rules); !error.empty())
        return Usage(error);
    CliLink link;
    if (const int opened = OpenAnalyzer(link, ChosenPort(line)); opened != kExitOk)
        return opened;
    const TracePtr trace = link.S().Live();
    const AnalyzerSettings &r = trace->settings;
    const MeasurementState state = StateOf(r);
    const std::vector<Peak> table = PeakTable(FindPeaks(state, trace->points, rules), count);
    if (table.empty())
        Complain("note: no peak rises " + PlainDecimal(rules.excursionDb) + " dB above the trace on both sides" +
                 (line.Has("threshold") ? " and reaches " + PlainDecimal(rules.thresholdDbm) + " dBm." : "."));
    return WriteStdout(PeakText(table, line.Has("json"))) ? kExitOk : kExitFile;
}

int SetupsCommand(const CommandLine &line)
{
    const std::vector<std::string> names = ListSetups(SetupsFolder());
    std::string text = line.Has("json") ? "[" : "";
    for (size_t i = 0; i < names.size(); ++i) {
        if (line.Has("json"))
            text.append(i ? "," : "").append(JsonString(names[i]));
        else
            text.append(names[i]).append("\n");
    }
    return WriteStdout(line.Has("json") ? text + "]\n" : text) ? kExitOk : kExitFile;
}

int SetFromSetup(const CommandLine &line)
{
    const std::string name = CleanSetupName(line.Value("setup"));
    if (const std::string problem = SetupNameProblem(name); !problem.empty())
        return Usage("--setup: " + problem);
    const SetupRecall recall = RecallSetup(SetupsFolder(), name);
    if (!recall.read) {
        Complain(recall.error + " (tavrin-cli info --setups lists the setups)");
        return kExitFile;
    }
    for (const SetupProblem &p : recall.unread) {
        if (p.field.rfind("Analyzer/", 0) != 0 || p.field == "Analyzer/RBW")
            continue;
        const std::string key = p.field.substr(9);
        Complain(p.why == "missing" ? "note: the setup has no " + key + "; the analyzer keeps its own."
                                    : "note: the setup's " + key + " is not applied: " + p.why + ".");
    }
    const CommandLine set = SetLineFromSetup(line, recall);
    if (!set.Has("center") && !set.Has("span") && !set.Has("ref") && !set.Has("rbw")) {
        Complain("the setup \"" + name + "\" holds no analyzer setting that can be read.");
        return kExitFile;
    }
    return SetCommand(set);
}

}  // namespace

CommandLine SetLineFromSetup(const CommandLine &line, const SetupRecall &recall)
{
    CommandLine set = line;
    set.values.erase("setup");
    const Setup &s = recall.setup;
    if (s.centerMHz && !set.Has("center"))
        set.values["center"] = FormatFixed(*s.centerMHz, 3, 3);
    if (s.span && !set.Has("span"))
        set.values["span"] = *s.span;
    if (s.refLevelDbm && !set.Has("ref"))
        set.values["ref"] = std::to_string(*s.refLevelDbm);
    // Only at zero span is the RBW chosen; at any other it is the analyzer's own, as it was saved.
    const std::optional<std::string> span = ParseSpanCaption(set.Has("span") ? set.Value("span") : "");
    if (s.rbw && !set.Has("rbw") && span && IsZeroSpan(*span))
        set.values["rbw"] = *s.rbw;
    return set;
}

int PeakOrTableCommand(const CommandLine &line)
{
    return line.Has("count") || line.Has("threshold") || line.Has("excursion") ? PeakTableCommand(line) : PeakCommand(line);
}

int InfoOrSetupsCommand(const CommandLine &line) { return line.Has("setups") ? SetupsCommand(line) : InfoCommand(line); }

int SetOrSetupCommand(const CommandLine &line) { return line.Has("setup") ? SetFromSetup(line) : SetCommand(line); }

}  // namespace tavrin::cli
