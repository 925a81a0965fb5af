// The tracking generator, with the panel's rules: its output only in generator mode, Normalize
// only with the output on, level and offset rounded to whole numbers (halves to even) and sent
// only in generator mode.
#include "remote/commands.h"
#include "remote/scpi_values.h"

#include "common/rounding.h"

namespace tavrin::remote {

namespace {

const Bounds kLevel{-59, 0, "generator level"};
const Bounds kOffset{-99e3, 99e3, "generator offset"};

void Mode(Call &call)
{
    if (!ParamCount(call, 1, 1))
        return;
    if (const std::optional<size_t> mode = ReadChoice(call, 0, {"SA", "TG"}))
        call.target.SetGeneratorMode(*mode == 1, call.Operation());
}

void ModeQuery(Call &call)
{
    if (ParamCount(call, 0, 0))
        call.Reply(call.target.Generator().mode ? "TG" : "SA");
}

void Output(Call &call)
{
    if (!ParamCount(call, 1, 1))
        return;
    const std::optional<bool> on = ReadBool(call, 0);
    if (!on)
        return;
    if (!call.target.Generator().mode) {
        call.Fail(kSettingsConflict, "the generator's output is switched in tracking generator mode only (INSTrument TG)");
        return;
    }
    call.target.SetGeneratorOutput(*on, call.Operation());
}

void OutputQuery(Call &call)
{
    if (ParamCount(call, 0, 0))
        call.Reply(BoolResponse(call.target.Generator().output));
}

void Level(Call &call)
{
    if (!ParamCount(call, 1, 1))
        return;
    if (const std::optional<double> dbm = ReadNumber(call, 0, Quantity::Level, kLevel))
        call.target.SetGeneratorLevel(RoundHalfEvenToInt32(*dbm), call.Operation());
}

void LevelQuery(Call &call)
{
    if (const std::optional<Limit> limit = ReadQueryLimit(call))
        call.Reply(NumberResponse(*limit == Limit::Min   ? kLevel.lowest
                                  : *limit == Limit::Max ? kLevel.highest
                                                         : call.target.Generator().levelDbm));
}

void Offset(Call &call)
{
    if (!ParamCount(call, 1, 1))
        return;
    if (const std::optional<double> hz = ReadNumber(call, 0, Quantity::Frequency, kOffset))
        call.target.SetGeneratorOffset(RoundHalfEvenToInt32(*hz / 1e3), call.Operation());
}

void OffsetQuery(Call &call)
{
    if (const std::optional<Limit> limit = ReadQueryLimit(call))
        call.Reply(NumberResponse(*limit == Limit::Min   ? kOffset.lowest
                                  : *limit == Limit::Max ? kOffset.highest
                                                         : call.target.Generator().offsetKHz * 1e3));
}

void Normalize(Call &call)
{
    if (!ParamCount(call, 0, 0))
        return;
    if (!call.target.Generator().output) {
        call.Fail(kSettingsConflict, "Normalize works with the generator's output on (OUTPut ON)");
        return;
    }
    call.target.NormalizeGenerator(call.Operation());
}

}  // namespace

std::vector<Command> GeneratorCommands()
{
    return {
        {"INSTrument[:SELect]", "SA|TG",
         "spectrum analyzer or tracking generator mode; leaving TG switches the output off first; in TG the "
         "measurement settings are locked (-221)",
         Mode},
        {"INSTrument[:SELect]?", "", "SA or TG", ModeQuery},
        {"OUTPut[:STATe]", "ON|OFF|1|0", "the generator's output, in TG mode only", Output},
        {"OUTPut[:STATe]?", "", "", OutputQuery},
        {"SOURce:POWer[:LEVel][:IMMediate][:AMPLitude]", "<level>|MIN|MAX",
         "output level, -59..0 dBm, to the whole dB; sent in TG mode, kept for it otherwise", Level},
        {"SOURce:POWer[:LEVel][:IMMediate][:AMPLitude]?", "[MIN|MAX]", "in dBm", LevelQuery},
        {"SOURce:FREQuency:OFFSet", "<frequency>|MIN|MAX",
         "frequency offset, -99..99 kHz, to the whole kHz; sent in TG mode, kept for it otherwise", Offset},
        {"SOURce:FREQuency:OFFSet?", "[MIN|MAX]", "in Hz", OffsetQuery},
        {"SOURce:NORMalize", "", "normalises the response, with the output on", Normalize},
    };
}

}  // namespace tavrin::remote
