#include "remote/scpi_values.h"

#include "common/number_format.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace tavrin::remote {

bool ParamCount(Call &call, size_t lowest, size_t highest)
{
    const size_t n = call.Params().size();
    if (n < lowest) {
        call.Fail(kMissingParameter, call.unit.header + " needs " + std::to_string(lowest) + " parameter" +
                                         (lowest > 1 ? "s" : ""));
        return false;
    }
    if (n > highest) {
        call.Fail(kParameterNotAllowed, highest == 0 ? call.unit.header + " takes no parameter"
                                                     : call.unit.header + " takes at most " + std::to_string(highest));
        return false;
    }
    return true;
}

namespace {

// The factor of a unit for the quantity; 0 for a unit it does not take.
double UnitFactor(Quantity quantity, const std::string &unit)
{
    if (unit.empty())
        return 1;
    switch (quantity) {
    case Quantity::Frequency:
        return unit == "HZ" ? 1 : unit == "KHZ" ? 1e3 : unit == "MHZ" ? 1e6 : unit == "GHZ" ? 1e9 : 0;
    case Quantity::Level:
        return unit == "DBM" ? 1 : 0;
    case Quantity::Count:
        break;
    }
    return 0;
}

std::string UnitsTaken(Quantity quantity)
{
    switch (quantity) {
    case Quantity::Frequency: return "takes HZ, KHZ, MHZ or GHZ";
    case Quantity::Level: return "takes DBM";
    case Quantity::Count: break;
    }
    return "takes no unit";
}

}  // namespace

std::optional<double> ReadNumber(Call &call, size_t index, Quantity quantity, const Bounds &bounds)
{
    const Parameter &p = call.Params()[index];
    if (p.kind == Parameter::Kind::Word && (p.text == "MIN" || p.text == "MINIMUM"))
        return bounds.lowest;
    if (p.kind == Parameter::Kind::Word && (p.text == "MAX" || p.text == "MAXIMUM"))
        return bounds.highest;
    if (p.kind != Parameter::Kind::Number) {
        call.Fail(kDataTypeError, std::string(bounds.what) + " takes a number, not " +
                                      (p.kind == Parameter::Kind::String ? "a string" : p.text));
        return std::nullopt;
    }
    const double factor = UnitFactor(quantity, p.unit);
    if (factor == 0) {
        call.Fail(kInvalidSuffix, p.unit + ": " + std::string(bounds.what) + " " + UnitsTaken(quantity));
        return std::nullopt;
    }
    const double value = p.number * factor;
    if (!(value >= bounds.lowest && value <= bounds.highest)) {
        call.Fail(kDataOutOfRange, std::string(bounds.what) + " " + p.text + (p.unit.empty() ? "" : " " + p.unit) +
                                       " is outside " + PlainDecimal(bounds.lowest / factor) + ".." +
                                       PlainDecimal(bounds.highest / factor) + (p.unit.empty() ? "" : " " + p.unit));
        return std::nullopt;
    }
    return value;
}

std::optional<bool> ReadBool(Call &call, size_t index)
{
    const Parameter &p = call.Params()[index];
    if (p.kind == Parameter::Kind::Number && p.unit.empty() && (p.number == 0 || p.number == 1))
        return p.number == 1;
    if (p.kind == Parameter::Kind::Word && (p.text == "ON" || p.text == "OFF"))
        return p.text == "ON";
    if (p.kind == Parameter::Kind::String) {
        call.Fail(kDataTypeError, call.unit.header + " takes ON, OFF, 1 or 0, not a string");
        return std::nullopt;
    }
    call.Fail(kIllegalParameterValue, call.unit.header + " takes ON, OFF, 1 or 0, not " + p.text + p.unit);
    return std::nullopt;
}

std::optional<size_t> ReadChoice(Call &call, size_t index, std::initializer_list<std::string_view> keywords)
{
    const Parameter &p = call.Params()[index];
    std::string list;
    for (std::string_view k : keywords)
        list.append(list.empty() ? "" : "|").append(k);
    if (p.kind != Parameter::Kind::Word) {
        call.Fail(kDataTypeError, call.unit.header + " takes " + list + ", not " +
                                      (p.kind == Parameter::Kind::String ? "a string" : "a number"));
        return std::nullopt;
    }
    size_t i = 0;
    for (std::string_view k : keywords) {
        if (MatchesKeyword(p.text, k))
            return i;
        ++i;
    }
    call.Fail(kIllegalParameterValue, call.unit.header + " takes " + list + ", not " + p.text);
    return std::nullopt;
}

std::optional<std::string> ReadString(Call &call, size_t index)
{
    const Parameter &p = call.Params()[index];
    if (p.kind == Parameter::Kind::String)
        return p.text;
    call.Fail(kDataTypeError, call.unit.header + " takes a quoted string");
    return std::nullopt;
}

std::optional<Limit> ReadQueryLimit(Call &call)
{
    if (!ParamCount(call, 0, 1))
        return std::nullopt;
    if (call.Params().empty())
        return Limit::None;
    const std::optional<size_t> which = ReadChoice(call, 0, {"MINimum", "MAXimum"});
    if (!which)
        return std::nullopt;
    return *which == 0 ? Limit::Min : Limit::Max;
}

std::string NumberResponse(double value) { return value == kNotANumber ? "9.91E+37" : PlainDecimal(value); }

std::string BoolResponse(bool value) { return value ? "1" : "0"; }

namespace {

template <typename Float, typename Bits>
void PutFloat(std::string &out, double value, bool swapped)
{
    Bits bits = std::bit_cast<Bits>(static_cast<Float>(value));
    char bytes[sizeof(Bits)];
    for (size_t i = 0; i < sizeof(Bits); ++i) {
        const size_t at = swapped ? i : sizeof(Bits) - 1 - i;
        bytes[at] = static_cast<char>(bits & 0xFF);
        bits >>= 8;
    }
    out.append(bytes, sizeof(Bits));
}

}  // namespace

std::string ValuesResponse(const std::vector<double> &values, DataFormat format, bool swapped)
{
    std::string out;
    if (format == DataFormat::Ascii) {
        for (double v : values)
            out.append(out.empty() ? "" : ",").append(NumberResponse(v));
        return out;
    }
    for (double v : values) {
        if (format == DataFormat::Real32)
            PutFloat<float, uint32_t>(out, v, swapped);
        else
            PutFloat<double, uint64_t>(out, v, swapped);
    }
    const std::string length = std::to_string(out.size());
    return std::string("#").append(std::to_string(length.size())).append(length).append(out);
}

}  // namespace tavrin::remote
