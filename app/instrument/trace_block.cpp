#include "instrument/trace_block.h"

#include "common/text_number.h"
#include "measure/measurement_state.h"

#include <algorithm>

namespace tavrin {

namespace {

constexpr size_t kFirstPoint = 16;
constexpr size_t kLastPoint = 1012;  // point 498

// Each byte is appended to the text so far trimmed, so inner blanks go and a trailing one stays
// until the next byte comes.
std::string HeaderText(const std::vector<uint8_t> &block, size_t first, size_t last)
{
    std::string text;
    for (size_t i = first; i <= last && i < block.size(); ++i)
        text = TrimSpaces(text) + static_cast<char>(block[i]);
    return text;
}

}  // namespace

std::optional<TracePoints> ParseTracePoints(const std::vector<uint8_t> &block, const TracePoints &before)
{
    if (block.size() < kLastPoint + 2)
        return std::nullopt;
    TracePoints decoded = before;
    for (size_t i = kFirstPoint; i <= kLastPoint; i += 2) {
        const uint8_t low = block[i];
        const uint8_t high = block[i + 1];
        if (high > 3)
            return std::nullopt;
        decoded[(i - kFirstPoint) / 2] = static_cast<int16_t>(high * 256 + low);
    }
    return decoded;
}

double BlockCenterFreq(const std::vector<uint8_t> &block) { return NumericValue(HeaderText(block, 0, 6)) / 1000.0; }

std::string BlockSpan(const std::vector<uint8_t> &block)
{
    if (block.size() <= 7 || block[7] >= kSpanCaptions.size())
        return {};
    return std::string(kSpanCaptions[block[7]]);
}

int16_t BlockRefLevel(const std::vector<uint8_t> &block)
{
    if (block.size() <= 8 || block[8] >= kRefLevelsDbm.size())
        return 0;
    return kRefLevelsDbm[block[8]];
}

std::string BlockRBW(const std::vector<uint8_t> &block) { return HeaderText(block, 9, 15); }

AnalyzerSettings BlockSettings(const std::vector<uint8_t> &block)
{
    return {BlockCenterFreq(block), BlockSpan(block), BlockRefLevel(block), TrimSpaces(BlockRBW(block))};
}

bool NothingArrived(const std::vector<uint8_t> &block)
{
    const size_t n = std::min<size_t>(block.size(), kLastPoint + 2);
    return std::all_of(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n),
                       [](uint8_t b) { return b == 0xFF; });
}

bool SerialNumberAnswers(const std::string &serialText) { return serialText.compare("99999") < 0; }

}  // namespace tavrin
