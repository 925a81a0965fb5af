#include "markers/peak.h"

namespace tavrin {

int PeakPoint(const TracePoints &trace)
{
    int p = 0;
    int16_t m = trace[0];
    for (int i = 1; i < kTracePoints; ++i) {
        if (trace[static_cast<size_t>(i)] > m) {
            m = trace[static_cast<size_t>(i)];
            p = i;
        }
    }
    int j = 0;
    while (p + j + 1 <= kTracePoints - 1 && trace[static_cast<size_t>(p + j + 1)] == m)
        ++j;
    return p + j / 2;
}

}  // namespace tavrin
