#include "session/peak_tools_state.h"

namespace tavrin {

void PeakToolsState::SetRules(const PeakRules &rules)
{
    rules_ = rules;
    changed_();
}

void PeakToolsState::SetTracking(int index, bool on)
{
    if (index < 0 || index >= kMarkerCount)
        return;
    tracking_[static_cast<size_t>(index)] = on;
    changed_();
}

void PeakToolsState::SetTable(bool on)
{
    table_ = on;
    changed_();
}

}  // namespace tavrin
