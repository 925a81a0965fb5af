// Parameters read the way every command reads them (each reader reports what is wrong with its
// parameter to the client and gives nothing), and values written as responses.
#pragma once

#include "remote/scpi_call.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin::remote {

// Between lowest and highest parameters, else -109 (too few) or -108 (too many).
bool ParamCount(Call &call, size_t lowest, size_t highest);

enum class Quantity {
    Count,      // no unit
    Frequency,  // Hz, kHz, MHz, GHz; Hz when none is written
    Level,      // dBm, also when none is written
};

struct Bounds {
    double lowest, highest;
    std::string_view what;  // "centre frequency": for the message of -222
};

// A number of the quantity within the bounds (MIN and MAX give them); frequencies in Hz.
std::optional<double> ReadNumber(Call &call, size_t index, Quantity quantity, const Bounds &bounds);
// ON, OFF, 1 or 0.
std::optional<bool> ReadBool(Call &call, size_t index);
// The position of the word among the keywords ("MAXHold": MAXH or MAXHOLD).
std::optional<size_t> ReadChoice(Call &call, size_t index, std::initializer_list<std::string_view> keywords);
std::optional<std::string> ReadString(Call &call, size_t index);

// "MIN" or "MAX" as the one parameter of a query ("FREQ:CENT? MAX"); 0 without it. Reports
// anything else.
enum class Limit { None, Min, Max };
std::optional<Limit> ReadQueryLimit(Call &call);

// Not a Number of SCPI, for a reading that has no value.
inline constexpr double kNotANumber = 9.91e37;

// A number as its shortest plain decimal ("80000000", "-43.203125"); kNotANumber as 9.91E+37.
std::string NumberResponse(double value);
std::string BoolResponse(bool value);

// Values as the client's format has them: comma-separated decimals, or an IEEE 488.2
// definite-length block "#<digits><length><bytes>" of 32- or 64-bit floats, most significant byte
// first unless swapped.
std::string ValuesResponse(const std::vector<double> &values, DataFormat format, bool swapped);

}  // namespace tavrin::remote
