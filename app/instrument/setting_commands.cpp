#include "common/rounding.h"
#include "common/text_number.h"
#include "instrument/instrument.h"
#include "measure/measurement_state.h"

#include <algorithm>

namespace tavrin {

SettingCommand CenterCommand(double mhz)
{
    return {SettingCommand::What::CenterKHz, RoundHalfEvenToInt32(mhz * 1000.0)};
}

SettingCommand SpanCommand(const std::string &caption)
{
    return {SettingCommand::What::SpanRow, SpanToIndex(caption)};
}

std::optional<SettingCommand> RefLevelCommand(double dbm)
{
    const int32_t level = RoundHalfEvenToInt32(dbm);
    const auto it = std::find(kRefLevelsDbm.begin(), kRefLevelsDbm.end(), level);
    if (it == kRefLevelsDbm.end())
        return std::nullopt;
    return SettingCommand{SettingCommand::What::RefLevelRow, static_cast<int32_t>(it - kRefLevelsDbm.begin())};
}

std::optional<SettingCommand> RbwCommand(const std::string &caption)
{
    const std::string wanted = ToUpperAscii(TrimSpaces(caption));
    const auto it = std::find(kRbwCaptions.begin(), kRbwCaptions.end(), wanted);
    if (it == kRbwCaptions.end())
        return std::nullopt;
    return SettingCommand{SettingCommand::What::RbwRow, static_cast<int32_t>(it - kRbwCaptions.begin())};
}

}  // namespace tavrin
