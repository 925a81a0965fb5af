// info, set and peak: one analyzer report, settings confirmed, and the highest point.
#include "cli/commands.h"

#include "cli/output.h"
#include "cli/session.h"
#include "common/number_format.h"
#include "common/safe_file.h"
#include "common/text_number.h"
#include "instrument/confirmed_settings.h"
#include "markers/peak.h"
#include "measure/frequency_step.h"
#include "measure/range_rules.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace tavrin::cli {

namespace {

bool WriteStdout(const std::string &text)
{
    return WriteAll(STDOUT_FILENO, reinterpret_cast<const uint8_t *>(text.data()), text.size());
}

int Usage(const std::string &error)
{
    Complain(error + " (tavrin-cli COMMAND --help tells the options)");
    return kExitUsage;
}

// The settings of the last trace, as text or as the fields of a JSON object.
int ShowReport(TavrinDLL &dll, bool json, const std::string &extraJson = {}, const std::string &extraText = {})
{
    const BlockReport r = dll.Report();
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
    StderrDialogs dialogs;
    TavrinDLL dll(dialogs);
    if (const int opened = OpenAnalyzer(dll, ChosenPort(line)); opened != kExitOk)
        return opened;
    const std::string serial = dll.SerialNumText();
    if (!TakeTrace(dll))
        return kExitNoAnswer;
    const std::string sw = VersionText(dll.SoftwareVersion(), 2), fpga = VersionText(dll.FpgaVersion(), 1);
    auto json = [](const std::string &v) { return v.empty() ? std::string("null") : JsonString(v); };
    auto text = [](const std::string &v) { return v.empty() ? std::string("(no answer)") : v; };
    return ShowReport(dll, line.Has("json"),
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

bool Confirmed(const Confirmation &c, const std::string &what, const std::string &reported)
{
    if (c.confirmed)
        return true;
    Complain("the analyzer did not confirm the " + what + ": after " + std::to_string(c.reads) +
             " traces it still reports " + reported +
             ". Check that it echoes commands and is not in tracking generator mode (tavrin-cli tg --mode off).");
    return false;
}

bool SetCenter(TavrinDLL &dll, double center)
{
    const std::string span = TrimSpaces(dll.BlockSpan());
    if (!WindowFits(center, span)) {
        const std::string fitted = SpanCaption(SpanRowThatFits(center, SpanToIndex(span)));
        Complain("note: " + span + " around " + FormatFixed(center, 3, 3) + " MHz leaves 0..1150 MHz: the span goes to " +
                 fitted + ".");
        dll.SendSpan(fitted);
        dll.Pause(kConfirmPauseMs);
    }
    return Confirmed(SendCenterFreqConfirmed(dll, center), "centre frequency " + FormatFixed(center, 3, 3) + " MHz",
                     FormatFixed(dll.BlockCenterFreq(), 3, 3) + " MHz");
}

bool SetSpan(TavrinDLL &dll, const std::string &span)
{
    if (const std::optional<double> moved = CenterThatFits(dll.BlockCenterFreq(), span)) {
        const double center = NumericValue(FormatFixed(*moved, 3, 3));
        Complain("note: " + span + " around " + FormatFixed(dll.BlockCenterFreq(), 3, 3) +
                 " MHz leaves 0..1150 MHz: the centre goes to " + FormatFixed(center, 3, 3) + " MHz.");
        dll.SendCenterFreq(center);
        dll.Pause(kConfirmPauseMs);
    }
    return Confirmed(SendSpanConfirmed(dll, span), "span " + span, dll.BlockSpan());
}

}  // namespace

int SetCommand(const CommandLine &line)
{
    SetPlan plan;
    if (std::string error = ReadSetPlan(line, plan); !error.empty())
        return Usage(error);
    StderrDialogs dialogs;
    TavrinDLL dll(dialogs);
    if (const int opened = OpenAnalyzer(dll, ChosenPort(line)); opened != kExitOk)
        return opened;
    if (!TakeTrace(dll))
        return kExitNoAnswer;
    // The RBW is the analyzer's own choice at every span but zero span: refused before anything is sent.
    std::string spanAfter = plan.span.value_or(TrimSpaces(dll.BlockSpan()));
    if (plan.center && !plan.span && !WindowFits(*plan.center, spanAfter))
        spanAfter = SpanCaption(SpanRowThatFits(*plan.center, SpanToIndex(spanAfter)));
    if (plan.rbw && !IsZeroSpan(spanAfter))
        return Usage("the RBW is chosen at zero span only, and the span is " + spanAfter + ": add --span 0HZ/DIV");
    const bool ok =
        (!plan.center || SetCenter(dll, *plan.center)) && (!plan.span || SetSpan(dll, *plan.span)) &&
        (!plan.ref || Confirmed(SendRefLevelConfirmed(dll, *plan.ref), "reference level " + std::to_string(*plan.ref) + " dBm",
                                std::to_string(dll.BlockRefLevel()) + " dBm")) &&
        (!plan.rbw || Confirmed(SendRBWConfirmed(dll, *plan.rbw), "RBW " + *plan.rbw, TrimSpaces(dll.BlockRBW())));
    return ok ? ShowReport(dll, line.Has("json")) : kExitNoAnswer;
}

int PeakCommand(const CommandLine &line)
{
    StderrDialogs dialogs;
    TavrinDLL dll(dialogs);
    if (const int opened = OpenAnalyzer(dll, ChosenPort(line)); opened != kExitOk)
        return opened;
    if (!TakeTrace(dll))
        return kExitNoAnswer;
    const BlockReport r = dll.Report();
    MeasurementState state;
    state.centerFreqMHz = FormatFixed(r.centerMHz, 3, 3);
    state.spanCaption = r.span;
    state.refLevelDbm = std::to_string(r.refLevelDbm);
    const LiveTrace &trace = dll.Trace().points;
    const int point = std::min(PeakPoint(trace), static_cast<int>(kLastScreenPoint));
    // At zero span every point is taken at the centre.
    const double freq = IsZeroSpan(r.span) ? r.centerMHz : ConvertNthPointToMHz(state, static_cast<int16_t>(point));
    const std::string freqText = FormatFixed(freq, 4, 4);
    const double level = ConvertNthPointHeightTodBm(state, trace, point);
    const bool ok = line.Has("json") ? WriteStdout("{\"freq_mhz\":" + JsonNumber(NumericValue(freqText)) +
                                                   ",\"level_dbm\":" + JsonNumber(level) + "}\n")
                                     : WriteStdout("Peak: " + freqText + " MHz, " + PlainDecimal(level) + " dBm\n");
    return ok ? kExitOk : kExitFile;
}

}  // namespace tavrin::cli
