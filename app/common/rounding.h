// Rounding as the program means it everywhere: halves to the even neighbour, floor only where
// the largest integer not above is wanted, and single precision where a value is kept as float.
#pragma once

#include <cstdint>

namespace tavrin {

// Nearest integer, halves to even: 2.5 -> 2, 3.5 -> 4, -2.5 -> -2. NaN and infinities pass through.
double RoundHalfEven(double value);

// The same as an integer, saturated at the type's limits; NaN gives 0.
int32_t RoundHalfEvenToInt32(double value);

// Largest integer not above value, saturated at the type's limits; NaN gives 0.
int32_t FloorToInt32(double value);

// The value as a 32-bit float holds it (nearest, halves to even).
float ToSingle(double value);

}  // namespace tavrin
