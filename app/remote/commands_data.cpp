// Trace data and its format.
#include "remote/commands.h"
#include "remote/scpi_values.h"

#include "common/rounding.h"
#include "measure/measurement_state.h"

namespace tavrin::remote {

namespace {

constexpr double kDbuOffset = 107;

std::optional<TraceName> ReadTraceName(Call &call)
{
    if (!ParamCount(call, 0, 1))
        return std::nullopt;
    if (call.Params().empty())
        return TraceName::Live;
    const std::optional<size_t> which = ReadChoice(call, 0, {"TRACE1", "MAXHold", "MINHold", "MEMA", "MEMB"});
    if (!which)
        return std::nullopt;
    return static_cast<TraceName>(*which);
}

// Every point's level, the reference level at 1023 and 0.078125 dB a step, in the display's
// unit; point 499 too, as the CSV export has it.
void TraceQuery(Call &call)
{
    const std::optional<TraceName> name = ReadTraceName(call);
    if (!name)
        return;
    Outcome why;
    const std::optional<RemoteTrace> trace = call.target.Trace(*name, why);
    if (!trace) {
        call.Fail(why.ok() ? kExecutionError : why.code, why.reason);
        return;
    }
    const double top = trace->settings.refLevelDbm + (trace->settings.dBu ? kDbuOffset : 0);
    std::vector<double> levels;
    levels.reserve(kTracePoints);
    for (int16_t v : trace->points)
        levels.push_back(top - (kTopLevelValue - v) * kDbPerStepRead);
    call.Reply(ValuesResponse(levels, call.client.format, call.client.swapped));
}

void PointsQuery(Call &call)
{
    if (ParamCount(call, 0, 0))
        call.Reply(std::to_string(kTracePoints));
}

// The frequency of every point of the live trace (of the settings, before the first trace):
// point 251 the centre, 50 points a division; all the centre at zero span.
void FrequenciesQuery(Call &call)
{
    if (!ParamCount(call, 0, 0))
        return;
    Outcome ignored;
    const std::optional<RemoteTrace> live = call.target.Trace(TraceName::Live, ignored);
    const RemoteSettings s = live ? live->settings : call.target.Settings();
    const double centerHz = RoundHalfEven(s.centerMHz * 1e6);
    const double stepHz = RoundHalfEven(MHzPerDivision(s.span) * 1e6) / kPointsPerDivision;
    std::vector<double> hz;
    hz.reserve(kTracePoints);
    for (int i = 0; i < kTracePoints; ++i)
        hz.push_back(centerHz + (i - kCenterPoint) * stepHz);
    call.Reply(ValuesResponse(hz, call.client.format, call.client.swapped));
}

void Format(Call &call)
{
    if (!ParamCount(call, 1, 2))
        return;
    const std::optional<size_t> kind = ReadChoice(call, 0, {"ASCii", "REAL"});
    if (!kind)
        return;
    int length = *kind == 0 ? 0 : 32;
    if (call.Params().size() == 2) {
        const std::optional<double> v = ReadNumber(call, 1, Quantity::Count, {0, 64, "the length"});
        if (!v)
            return;
        length = static_cast<int>(*v);
        if (*v != length || (*kind == 0 && length != 0) || (*kind == 1 && length != 32 && length != 64)) {
            call.Fail(kIllegalParameterValue, "FORMat takes ASCii[,0], REAL[,32] or REAL,64");
            return;
        }
    }
    call.client.format = *kind == 0 ? DataFormat::Ascii : length == 64 ? DataFormat::Real64 : DataFormat::Real32;
}

void FormatQuery(Call &call)
{
    if (!ParamCount(call, 0, 0))
        return;
    const DataFormat f = call.client.format;
    call.Reply(f == DataFormat::Ascii ? "ASC,0" : f == DataFormat::Real32 ? "REAL,32" : "REAL,64");
}

void ByteOrder(Call &call)
{
    if (!ParamCount(call, 1, 1))
        return;
    if (const std::optional<size_t> order = ReadChoice(call, 0, {"NORMal", "SWAPped"}))
        call.client.swapped = *order == 1;
}

void ByteOrderQuery(Call &call)
{
    if (ParamCount(call, 0, 0))
        call.Reply(call.client.swapped ? "SWAP" : "NORM");
}

void PowerUnitQuery(Call &call)
{
    if (ParamCount(call, 0, 0))
        call.Reply(call.target.Settings().dBu ? "DBUV" : "DBM");
}

}  // namespace

std::vector<Command> DataCommands()
{
    return {
        {"TRACe[:DATA]?", "[TRACE1|MAXHold|MINHold|MEMA|MEMB]",
         "the 500 levels of the trace shown (TRACE1, averaged while averaging is on), of a hold that is on, or of a "
         "memory, in the unit of UNIT:POWer?",
         TraceQuery},
        {"TRACe:POINts?", "", "500", PointsQuery},
        {"TRACe:FREQuencies?", "", "the frequency of each point of the trace shown, in Hz", FrequenciesQuery},
        {"FORMat[:DATA]", "ASCii[,0]|REAL[,32]|REAL,64",
         "trace data as comma-separated decimals, or as a definite-length block #<n><length><bytes> of IEEE 754 "
         "floats",
         Format},
        {"FORMat[:DATA]?", "", "ASC,0, REAL,32 or REAL,64", FormatQuery},
        {"FORMat:BORDer", "NORMal|SWAPped", "byte order of REAL: NORMal most significant byte first, SWAPped least",
         ByteOrder},
        {"FORMat:BORDer?", "", "NORM or SWAP", ByteOrderQuery},
        {"UNIT:POWer?", "", "DBM, or DBUV when the settings dialog chose dBu", PowerUnitQuery},
    };
}

}  // namespace tavrin::remote
