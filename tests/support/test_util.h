// Small helpers shared by the tests: elapsed time and trace blocks.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

namespace tavrin::test {

inline double MsSince(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// Sets byte 1016 of a 1017-byte trace block to the sum of bytes 0..1015.
inline std::vector<uint8_t> SealBlock(std::vector<uint8_t> block)
{
    block.resize(1017);
    unsigned sum = 0;
    for (size_t i = 0; i < 1016; ++i)
        sum += block[i];
    block[1016] = static_cast<uint8_t>(sum);
    return block;
}

}  // namespace tavrin::test
