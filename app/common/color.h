// Colours are 32-bit values with red in the lowest byte, then green, then blue (0x00BBGGRR).
#pragma once

#include <cstdint>

namespace tavrin {

constexpr uint32_t Rgb(uint8_t red, uint8_t green, uint8_t blue)
{
    return static_cast<uint32_t>(red) | static_cast<uint32_t>(green) << 8 | static_cast<uint32_t>(blue) << 16;
}

}  // namespace tavrin
