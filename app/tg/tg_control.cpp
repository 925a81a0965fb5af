#include "tg/tg_control.h"

#include "common/rounding.h"
#include "common/text_number.h"
#include "instrument/tavrin_dll.h"

#include <algorithm>

namespace tavrin {

std::string NormalizeTGText(const std::string &text, int lowest, int highest)
{
    const double v = std::clamp(NumericValue(text), static_cast<double>(lowest), static_cast<double>(highest));
    return std::to_string(RoundHalfEvenToInt32(v));
}

void SendTGCommands(TavrinDLL &dll, bool outputOn, int16_t level, int16_t offset)
{
    dll.SendStartTG();
    if (outputOn)
        dll.SendTGOnOff(true);
    dll.SendTGLevel(level);
    dll.SendTGOffset(offset);
}

void LeaveTGMode(TavrinDLL &dll)
{
    dll.SendTGOnOff(false);
    dll.SendExitTG();
}

}  // namespace tavrin
