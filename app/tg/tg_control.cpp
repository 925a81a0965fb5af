#include "tg/tg_control.h"

#include "common/rounding.h"
#include "common/text_number.h"

#include <algorithm>

namespace tavrin {

using What = GeneratorCommand::What;

std::string NormalizeTGText(const std::string &text, int lowest, int highest)
{
    const double v = std::clamp(NumericValue(text), static_cast<double>(lowest), static_cast<double>(highest));
    return std::to_string(RoundHalfEvenToInt32(v));
}

std::vector<GeneratorCommand> TGCommands(bool outputOn, int16_t level, int16_t offset)
{
    std::vector<GeneratorCommand> commands{{What::Start, 0}};
    if (outputOn)
        commands.push_back({What::Output, 1});
    commands.push_back({What::Level, level});
    commands.push_back({What::Offset, offset});
    return commands;
}

std::vector<GeneratorCommand> LeaveTGCommands() { return {{What::Output, 0}, {What::Exit, 0}}; }

}  // namespace tavrin
