// Markers and limit lines.
#include "remote/commands.h"
#include "remote/scpi_values.h"

#include "common/rounding.h"
#include "measure/measurement_state.h"

namespace tavrin::remote {

namespace {

const Bounds kMarkerFreq{0, kWindowMaxMHz * 1e6, "marker frequency"};

int Marker(const Call &call) { return call.suffixes.at(0); }
int Line(const Call &call) { return call.suffixes.at(0); }

void MarkerState(Call &call)
{
    if (!ParamCount(call, 1, 1))
        return;
    if (const std::optional<bool> on = ReadBool(call, 0))
        call.target.SetMarkerOn(Marker(call), *on, call.Operation());
}

void MarkerStateQuery(Call &call)
{
    if (ParamCount(call, 0, 0))
        call.Reply(BoolResponse(call.target.Marker(Marker(call)).on));
}

void MarkerX(Call &call)
{
    if (!ParamCount(call, 1, 1))
        return;
    if (const std::optional<double> hz = ReadNumber(call, 0, Quantity::Frequency, kMarkerFreq))
        call.target.SetMarkerFreq(Marker(call), RoundHalfEven(*hz) / 1e6, call.Operation());
}

void MarkerXQuery(Call &call)
{
    if (ParamCount(call, 0, 0))
        call.Reply(NumberResponse(RoundHalfEven(call.target.Marker(Marker(call)).freqMHz * 1e6)));
}

// The level read at the marker; 9.91E+37 when it is off the screen or there is no trace yet.
void MarkerYQuery(Call &call)
{
    if (!ParamCount(call, 0, 0))
        return;
    const RemoteMarker m = call.target.Marker(Marker(call));
    if (!m.on) {
        call.Fail(kSettingsConflict, "marker " + std::to_string(Marker(call)) + " is off");
        return;
    }
    call.Reply(NumberResponse(m.hasReading ? m.level : kNotANumber));
}

void MarkerPeak(Call &call)
{
    if (ParamCount(call, 0, 0))
        call.target.MarkerToPeak(Marker(call), call.Operation());
}

void LimitState(Call &call)
{
    if (!ParamCount(call, 1, 1))
        return;
    if (const std::optional<bool> on = ReadBool(call, 0))
        call.target.SetLimitShown(Line(call), *on, call.Operation());
}

void LimitStateQuery(Call &call)
{
    if (ParamCount(call, 0, 0))
        call.Reply(BoolResponse(call.target.Limit(Line(call)).shown));
}

// 1 when the last trace crosses the line, 0 when it keeps to it; no reply (and the reason in the
// error queue) when the line is off or gives no verdict.
void LimitFailQuery(Call &call)
{
    if (!ParamCount(call, 0, 0))
        return;
    const RemoteLimit l = call.target.Limit(Line(call));
    const std::string name = "limit line " + std::to_string(Line(call));
    if (!l.shown || l.file.empty()) {
        call.Fail(kSettingsConflict, name + (l.shown ? " has no limit file (CALCulate:LIMit:NAME)" : " is off"));
        return;
    }
    if (l.result == LimitResult::None) {
        call.Fail(kExecutionError, name + " gives no verdict: " + l.reason);
        return;
    }
    call.Reply(BoolResponse(l.result == LimitResult::Fail));
}

// A plain name: no folder, nothing hidden, no control character.
bool PlainFileName(const std::string &name)
{
    return !name.empty() && name.size() <= 200 && name.find_first_of("/\\") == std::string::npos && name[0] != '.';
}

void LimitName(Call &call)
{
    if (!ParamCount(call, 1, 1))
        return;
    const std::optional<std::string> name = ReadString(call, 0);
    if (!name)
        return;
    if (!PlainFileName(*name)) {
        call.Fail(kIllegalParameterValue, "a limit file is named without folder or extension, as the Limit group lists it");
        return;
    }
    call.target.SelectLimitFile(Line(call), *name, call.Operation());
}

void LimitNameQuery(Call &call)
{
    if (!ParamCount(call, 0, 0))
        return;
    std::string quoted = "\"";
    for (char c : call.target.Limit(Line(call)).file)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    call.Reply(quoted + "\"");
}

}  // namespace

std::vector<Command> MarkerCommands()
{
    return {
        {"CALCulate:MARKer<1-5>[:STATe]", "ON|OFF|1|0", "marker n on or off", MarkerState},
        {"CALCulate:MARKer<1-5>[:STATe]?", "", "", MarkerStateQuery},
        {"CALCulate:MARKer<1-5>:X", "<frequency>", "marker n's frequency, 0..1150 MHz", MarkerX},
        {"CALCulate:MARKer<1-5>:X?", "", "in Hz", MarkerXQuery},
        {"CALCulate:MARKer<1-5>:Y?", "",
         "the level at marker n in the unit of UNIT:POWer?; 9.91E+37 off the screen or before the first trace",
         MarkerYQuery},
        {"CALCulate:MARKer<1-5>:MAXimum", "", "marker n on the highest point of the trace, switched on (Peak)",
         MarkerPeak},
        {"CALCulate:LIMit<1-2>[:STATe]", "ON|OFF|1|0", "limit line n shown and judged", LimitState},
        {"CALCulate:LIMit<1-2>[:STATe]?", "", "", LimitStateQuery},
        {"CALCulate:LIMit<1-2>:FAIL?", "", "1 when the last trace crosses limit line n, 0 when it keeps to it",
         LimitFailQuery},
        {"CALCulate:LIMit<1-2>:NAME", "\"<name>\"", "limit line n from <name>.lim in the Working folder", LimitName},
        {"CALCulate:LIMit<1-2>:NAME?", "", "the limit file's name, \"\" for none", LimitNameQuery},
    };
}

}  // namespace tavrin::remote
