#include "cli/output.h"

#include "common/number_format.h"
#include "common/text_number.h"

namespace tavrin::cli {

std::string SettingsJsonFields(const AnalyzerSettings &r)
{
    return tavrin::SettingsJsonFields(r.centerMHz, r.span, r.refLevelDbm, r.rbw);
}

std::string SettingsText(const AnalyzerSettings &r)
{
    return "Centre:          " + FormatFixed(r.centerMHz, 3, 3) + " MHz\n" +
           "Span:            " + TrimSpaces(r.span) + "\n" +
           "Reference level: " + std::to_string(r.refLevelDbm) + " dBm\n" +
           "RBW:             " + TrimSpaces(r.rbw) + "\n";
}

}  // namespace tavrin::cli
