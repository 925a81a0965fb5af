// info, set and peak: one analyzer report, settings confirmed, and the highest point.
#include "cli/commands.h"

#include "cli/output.h"
#include "cli/session.h"
#include "common/number_format.h"
#include "common/safe_file.h"
#include "common/text_number.h"
#include "markers/peak.h"
#include "measure/frequency_step.h"
#include "measure/range_rules.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace tavrin::cli {

namespace {

// Settings as text or as the fields of a JSON object.
int ShowReport(const AnalyzerSettings &r, bool json, const std::string &extraJson = {}, const std::string &extraText = {})
{
    const bool ok = json ? WriteStdout("{" + extraJson + SettingsJsonFields(r) + "}\n") : WriteStdout(extraText + SettingsText(r));
    return ok ? kExitOk : kExitFile;
}

// A version read as digits with the point after the first one ("207" 2.07, "14" 1.4).
std::string VersionText(int32_t v, int decimals)
{
    if (v <= 0)
        return {};
    const std::string digits = std::to_string(v);
    const size_t whole = digits.size() > static_cast<size_t>(decimals) ? digits.size() - static_cast<size_t>(decimals) : 0;
    const std::string fraction = std::string(static_cast<size_t>(decimals) + whole - digits.size(), '0') + digits.substr(whole);
    return (whole ? digits.substr(0, whole) : "0") + "." + fraction;
}

}  // namespace

int InfoCommand(const CommandLine &line)
{
    CliLink link;
    if (const int opened = OpenAnalyzer(link, ChosenPort(line)); opened != kExitOk)
        return opened;
    const std::string serial = link.S().Line().Serial();
    const TracePtr trace = TakeTrace(link);
    if (!trace)
        return kExitNoAnswer;
    std::optional<Versions> versions;
    link.Instrument().AskVersions([&](const Versions &v) { versions = v; });
    link.Wait([&] { return versions.has_value(); });
    const std::string sw = VersionText(versions->software, 2), fpga = VersionText(versions->fpga, 1);
    auto json = [](const std::string &v) { return v.empty() ? std::string("null") : JsonString(v); };
    auto text = [](const std::string &v) { return v.empty() ? std::string("(no answer)") : v; };
    return ShowReport(trace->settings, line.Has("json"),
                      "\"serial\":" + JsonString(serial) + ",\"software_version\":" + json(sw) +
                          ",\"fpga_version\":" + json(fpga) + ",",
                      "Serial number:   " + serial + "\nSoftware:        " + text(sw) + "\nFPGA:            " +
                          text(fpga) + "\n");
}

namespace {

struct SetPlan {
    std::optional<double> center;
    std::optional<std::string> span;
    std::optional<int> ref;
    std::optional<std::string> rbw;
};

std::string ReadSetPlan(const CommandLine &line, SetPlan &plan)
{
    if (line.Has("center")) {
        const std::optional<double> c = ParseNumber(line.Value("center"));
        if (!c)
            return "--center takes a frequency in MHz, not \"" + line.Value("center") + "\"";
        // Three decimals, as the panel's field holds it and the analyzer reports it.
        plan.center = NumericValue(NormalizeFrequencyText(line.Value("center")));
        if (CenterInRange(*plan.center) != *plan.center) {
            plan.center = CenterInRange(*plan.center);
            Complain("note: the centre is brought into 0..1150 MHz: " + FormatFixed(*plan.center, 3, 3) + " MHz.");
        }
    }
    if (line.Has("span") && !(plan.span = ParseSpanCaption(line.Value("span"))))
        return "--span takes a caption of the span list (0HZ/DIV, 2KHZ/DIV .. 100MHZ/DIV), not \"" + line.Value("span") + "\"";
    if (line.Has("ref")) {
        const std::optional<long> ref = ParseInteger(line.Value("ref"), -30, 20);
        if (!ref || std::find(kRefLevelsDbm.begin(), kRefLevelsDbm.end(), *ref) == kRefLevelsDbm.end())
            return "--ref takes -30, -20, -10, 0, 10 or 20 (dBm), not \"" + line.Value("ref") + "\"";
        plan.ref = static_cast<int>(*ref);
    }
    if (line.Has("rbw") && !(plan.rbw = ParseRbwCaption(line.Value("rbw"))))
        return "--rbw takes 3KHZ, 30KHZ, 220KHZ or 4MHZ, not \"" + line.Value("rbw") + "\"";
    if (!plan.center && !plan.span && !plan.ref && !plan.rbw)
        return "nothing to set: give --center, --span, --ref or --rbw";
    return {};
}

std::string Mhz(double mhz) { return FormatFixed(mhz, 3, 3) + " MHz"; }

// Each setting goes through the panel's own apply procedure: the same fitting of centre and span,
// the same confirmation from the analyzer's reports.
bool ApplyPlan(CliLink &link, const SetPlan &plan)
{
    PanelSettings &panel = link.S().Settings();
    if (plan.center) {
        const std::string span = TrimSpaces(panel.State().spanCaption);
        panel.EnterCenter(FormatFixed(*plan.center, 3, 3));
        if (TrimSpaces(panel.State().spanCaption) != span)
            Complain("note: " + span + " around " + Mhz(*plan.center) + " leaves 0..1150 MHz: the span goes to " +
                     TrimSpaces(panel.State().spanCaption) + ".");
        if (!Confirmed(link, "centre frequency " + Mhz(*plan.center), [](const AnalyzerSettings &r) { return Mhz(r.centerMHz); }))
            return false;
    }
    if (plan.span) {
        const double center = NumericValue(panel.State().centerFreqMHz);
        panel.ChooseSpan(SpanToIndex(*plan.span));
        if (NumericValue(panel.State().centerFreqMHz) != center)
            Complain("note: " + *plan.span + " around " + Mhz(center) + " leaves 0..1150 MHz: the centre goes to " +
                     Mhz(NumericValue(panel.State().centerFreqMHz)) + ".");
        if (!Confirmed(link, "span " + *plan.span, [](const AnalyzerSettings &r) { return r.span; }))
            return false;
    }
    if (plan.ref) {
        panel.ChooseRefLevel(RefLevelToIndex(*plan.ref));
        if (!Confirmed(link, "reference level " + std::to_string(*plan.ref) + " dBm",
                       [](const AnalyzerSettings &r) { return std::to_string(r.refLevelDbm) + " dBm"; }))
            return false;
    }
    if (plan.rbw) {
        panel.ChooseRbw(RBWToIndex(*plan.rbw));
        if (!Confirmed(link, "RBW " + *plan.rbw, [](const AnalyzerSettings &r) { return r.rbw; }))
            return false;
    }
    return true;
}

}  // namespace

int SetCommand(const CommandLine &line)
{
    SetPlan plan;
    if (std::string error = ReadSetPlan(line, plan); !error.empty())
        return Usage(error);
    CliLink link;
    if (const int opened = OpenAnalyzer(link, ChosenPort(line)); opened != kExitOk)
        return opened;
    // The RBW is the analyzer's own choice at every span but zero span: refused before anything is sent.
    const MeasurementState &state = link.S().Settings().State();
    std::string spanAfter = plan.span.value_or(TrimSpaces(state.spanCaption));
    if (plan.center && !plan.span && !WindowFits(*plan.center, spanAfter))
        spanAfter = SpanCaption(SpanRowThatFits(*plan.center, SpanToIndex(spanAfter)));
    if (plan.rbw && !IsZeroSpan(spanAfter))
        return Usage("the RBW is chosen at zero span only, and the span is " + spanAfter + ": add --span 0HZ/DIV");
    if (!ApplyPlan(link, plan))
        return kExitNoAnswer;
    return ShowReport(link.S().Settings().LastApply().reported, line.Has("json"));
}

int PeakCommand(const CommandLine &line)
{
    CliLink link;
    if (const int opened = OpenAnalyzer(link, ChosenPort(line)); opened != kExitOk)
        return opened;
    const TracePtr trace = link.S().Live();
    const AnalyzerSettings &r = trace->settings;
    const MeasurementState state = StateOf(r);
    const int point = std::min(PeakPoint(trace->points), static_cast<int>(kLastScreenPoint));
    // At zero span every point is taken at the centre.
    const double freq = IsZeroSpan(r.span) ? r.centerMHz : ConvertNthPointToMHz(state, static_cast<int16_t>(point));
    const std::string freqText = FormatFixed(freq, 4, 4);
    const double level = ConvertNthPointHeightTodBm(state, trace->points, point);
    const bool ok = line.Has("json") ? WriteStdout("{\"freq_mhz\":" + JsonNumber(NumericValue(freqText)) +
                                                   ",\"level_dbm\":" + JsonNumber(level) + "}\n")
                                     : WriteStdout("Peak: " + freqText + " MHz, " + PlainDecimal(level) + " dBm\n");
    return ok ? kExitOk : kExitFile;
}

}  // namespace tavrin::cli
