// A measurement setting sent to the analyzer and confirmed from its reports, the way every
// program that changes one does it: 200 ms after the send one trace is read, then up to five
// more while its header still reports something else (none after a read that found the line
// silent: each would wait out the line's time-outs).
#pragma once

#include <string_view>

namespace tavrin {

class TavrinDLL;

struct Confirmation {
    int reads = 0;           // traces read after the send
    bool confirmed = false;  // the last of them reported the setting
};

inline constexpr int kConfirmPauseMs = 200;
inline constexpr int kMaxConfirmReads = 6;

// The centre in MHz as the analyzer reports it: three decimals (a finer one is never confirmed).
Confirmation SendCenterFreqConfirmed(TavrinDLL &dll, double mhz);
// A caption of the span or RBW table; compared trimmed with the report.
Confirmation SendSpanConfirmed(TavrinDLL &dll, std::string_view caption);
Confirmation SendRefLevelConfirmed(TavrinDLL &dll, double dbm);
Confirmation SendRBWConfirmed(TavrinDLL &dll, std::string_view caption);

}  // namespace tavrin
