// The measurement settings, the acquisition and the averaging.
#include "remote/commands.h"
#include "remote/scpi_values.h"

#include "common/number_format.h"
#include "common/rounding.h"
#include "common/text_number.h"
#include "measure/measurement_state.h"

#include <algorithm>

namespace tavrin::remote {

bool SettingsLocked(Call &call)
{
    if (!call.target.Generator().mode)
        return false;
    call.Fail(kSettingsConflict, "the measurement settings are locked in tracking generator mode (INSTrument SA)");
    return true;
}

namespace {

constexpr double kMaxCenterHz = kWindowMaxMHz * 1e6;
constexpr double kMaxSpanHz = 1e9;

double SpanWidthHz(std::string_view caption) { return RoundHalfEven(MHzPerDivision(caption) * 10 * 1e6); }

double RbwHz(std::string_view caption)
{
    const std::string c = ToUpperAscii(TrimSpaces(caption));
    return NumericValue(c) * (c.find('M') != std::string::npos ? 1e6 : 1e3);
}

double Hz(double mhz) { return RoundHalfEven(mhz * 1e6); }

// A setting command: one number, then the intent unless the generator holds the settings.
std::optional<double> SettingValue(Call &call, Quantity quantity, const Bounds &bounds)
{
    if (!ParamCount(call, 1, 1))
        return std::nullopt;
    const std::optional<double> v = ReadNumber(call, 0, quantity, bounds);
    if (!v || SettingsLocked(call))
        return std::nullopt;
    return v;
}

// A setting query: the value, or the lowest or highest with MIN or MAX.
void SettingQuery(Call &call, const Bounds &bounds, double value)
{
    if (const std::optional<Limit> limit = ReadQueryLimit(call))
        call.Reply(NumberResponse(*limit == Limit::Min ? bounds.lowest : *limit == Limit::Max ? bounds.highest : value));
}

const Bounds kCenter{0, kMaxCenterHz, "centre frequency"};
const Bounds kSpan{0, kMaxSpanHz, "span"};
const Bounds kRefLevel{kRefLevelsDbm.front(), kRefLevelsDbm.back(), "reference level"};
const Bounds kRbw{3e3, 4e6, "resolution bandwidth"};
const Bounds kAverage{2, 255, "average count"};

void Center(Call &call)
{
    if (const std::optional<double> hz = SettingValue(call, Quantity::Frequency, kCenter))
        // To the kHz, as the panel's field holds it.
        call.target.SetCenter(NumericValue(FormatFixed(*hz / 1e6, 3, 3)), call.Operation());
}

void CenterQuery(Call &call) { SettingQuery(call, kCenter, Hz(call.target.Settings().centerMHz)); }

// The narrowest span whose screen covers the width asked for.
void Span(Call &call)
{
    const std::optional<double> hz = SettingValue(call, Quantity::Frequency, kSpan);
    if (!hz)
        return;
    const auto row = std::find_if(kSpanCaptions.begin(), kSpanCaptions.end(),
                                  [&](std::string_view caption) { return SpanWidthHz(caption) >= *hz; });
    call.target.SetSpan(std::string(*row), call.Operation());
}

void SpanQuery(Call &call) { SettingQuery(call, kSpan, SpanWidthHz(call.target.Settings().span)); }

// The window's edges; at zero span both are the centre.
void EdgeQuery(Call &call, int side)
{
    if (!ParamCount(call, 0, 0))
        return;
    const RemoteSettings s = call.target.Settings();
    call.Reply(NumberResponse(Hz(s.centerMHz) + side * SpanWidthHz(s.span) / 2));
}

void StartQuery(Call &call) { EdgeQuery(call, -1); }
void StopQuery(Call &call) { EdgeQuery(call, 1); }

void RefLevel(Call &call)
{
    const std::optional<double> dbm = SettingValue(call, Quantity::Level, kRefLevel);
    if (!dbm)
        return;
    if (std::find(kRefLevelsDbm.begin(), kRefLevelsDbm.end(), *dbm) == kRefLevelsDbm.end()) {
        call.Fail(kIllegalParameterValue, "reference level " + PlainDecimal(*dbm) + " dBm: it is -30, -20, -10, 0, 10 or 20");
        return;
    }
    call.target.SetRefLevel(static_cast<int>(*dbm), call.Operation());
}

void RefLevelQuery(Call &call) { SettingQuery(call, kRefLevel, call.target.Settings().refLevelDbm); }

// At zero span only, as on the panel; the narrowest bandwidth of the table that covers the value.
void Rbw(Call &call)
{
    const std::optional<double> hz = SettingValue(call, Quantity::Frequency, kRbw);
    if (!hz)
        return;
    const std::string span = call.target.Settings().span;
    if (!IsZeroSpan(span)) {
        call.Fail(kSettingsConflict, "the resolution bandwidth is chosen at zero span only, and the span is " + span +
                                         " (FREQuency:SPAN 0)");
        return;
    }
    const auto row = std::find_if(kRbwCaptions.begin(), kRbwCaptions.end(),
                                  [&](std::string_view caption) { return RbwHz(caption) >= *hz; });
    call.target.SetRbw(std::string(*row), call.Operation());
}

void RbwQuery(Call &call) { SettingQuery(call, kRbw, RbwHz(call.target.Settings().rbw)); }

void Continuous(Call &call)
{
    if (!ParamCount(call, 1, 1))
        return;
    if (const std::optional<bool> on = ReadBool(call, 0))
        call.target.SetRunning(*on, call.Operation());
}

void ContinuousQuery(Call &call)
{
    if (ParamCount(call, 0, 0))
        call.Reply(BoolResponse(call.target.Running()));
}

void Initiate(Call &call)
{
    if (ParamCount(call, 0, 0))
        call.target.TakeTrace(call.Operation(true));
}

void Abort(Call &call)
{
    if (!ParamCount(call, 0, 0))
        return;
    call.AbortTraces();
    call.target.Abort();
}

void Averaging(Call &call)
{
    if (!ParamCount(call, 1, 1))
        return;
    if (const std::optional<bool> on = ReadBool(call, 0))
        call.target.SetAveraging(*on, call.Operation());
}

void AveragingQuery(Call &call)
{
    if (ParamCount(call, 0, 0))
        call.Reply(BoolResponse(call.target.AveragingOn()));
}

// A whole number, halves to even, as the settings dialog takes it.
void AverageCount(Call &call)
{
    if (!ParamCount(call, 1, 1))
        return;
    if (const std::optional<double> n = ReadNumber(call, 0, Quantity::Count, kAverage))
        call.target.SetAverageCount(RoundHalfEvenToInt32(*n), call.Operation());
}

void AverageCountQuery(Call &call) { SettingQuery(call, kAverage, call.target.AverageCount()); }

}  // namespace

std::vector<Command> MeasureCommands()
{
    return {
        {"[SENSe:]FREQuency:CENTer", "<frequency>|MIN|MAX",
         "centre frequency, 0..1150 MHz, to the kHz; a window that would leave 0..1150 MHz narrows the span", Center},
        {"[SENSe:]FREQuency:CENTer?", "[MIN|MAX]", "in Hz", CenterQuery},
        {"[SENSe:]FREQuency:SPAN", "<frequency>|MIN|MAX",
         "the narrowest span whose screen (10 divisions) covers the value, 0 (zero span)..1 GHz; a window that would "
         "leave 0..1150 MHz moves the centre",
         Span},
        {"[SENSe:]FREQuency:SPAN?", "[MIN|MAX]", "the screen's width in Hz (0 at zero span)", SpanQuery},
        {"[SENSe:]FREQuency:STARt?", "", "left edge of the screen in Hz (the centre at zero span)", StartQuery},
        {"[SENSe:]FREQuency:STOP?", "", "right edge of the screen in Hz (the centre at zero span)", StopQuery},
        {"DISPlay[:WINDow<1-1>]:TRACe<1-1>:Y[:SCALe]:RLEVel", "<level>|MIN|MAX",
         "reference level: -30, -20, -10, 0, 10 or 20 dBm", RefLevel},
        {"DISPlay[:WINDow<1-1>]:TRACe<1-1>:Y[:SCALe]:RLEVel?", "[MIN|MAX]", "in dBm", RefLevelQuery},
        {"[SENSe:]BANDwidth|BWIDth[:RESolution]", "<frequency>|MIN|MAX",
         "at zero span only: the narrowest of 3 kHz, 30 kHz, 220 kHz, 4 MHz that covers the value", Rbw},
        {"[SENSe:]BANDwidth|BWIDth[:RESolution]?", "[MIN|MAX]", "in Hz; at other spans the analyzer's own choice",
         RbwQuery},
        {"INITiate:CONTinuous", "ON|OFF|1|0", "continuous acquisition (Start, Stop)", Continuous},
        {"INITiate:CONTinuous?", "", "", ContinuousQuery},
        {"INITiate[:IMMediate]", "", "one fresh trace (taken as Start would while stopped); *OPC? waits for it",
         Initiate},
        {"ABORt", "", "this client's INITiate traces are not waited for any more; continuous acquisition goes on",
         Abort},
        {"[SENSe:]AVERage[:STATe]", "ON|OFF|1|0", "the running average (AVG)", Averaging},
        {"[SENSe:]AVERage[:STATe]?", "", "", AveragingQuery},
        {"[SENSe:]AVERage:COUNt", "<2..255>|MIN|MAX", "traces averaged", AverageCount},
        {"[SENSe:]AVERage:COUNt?", "[MIN|MAX]", "", AverageCountQuery},
    };
}

}  // namespace tavrin::remote
