#include "display/pointer_commands.h"

namespace tavrin {

namespace {

constexpr int kWheelNotch = 120;

std::optional<MarkerChange> MoveActive(const PointerContext &c, int points)
{
    return MarkerByPoints(c.state, c.markers, c.activeMarker, points);
}

}  // namespace

PointerOutcome Perform(PointerCommand command, const PointerContext &c)
{
    switch (command) {
    case PointerCommand::MarkerLeft:
        return {std::nullopt, MoveActive(c, -1)};
    case PointerCommand::MarkerRight:
        return {std::nullopt, MoveActive(c, 1)};
    case PointerCommand::MarkerDivisionLeft:
        return {std::nullopt, MoveActive(c, -kPointsPerDivision)};
    case PointerCommand::MarkerDivisionRight:
        return {std::nullopt, MoveActive(c, kPointsPerDivision)};
    case PointerCommand::ZoomIn:
        return {SpanStep(c.state, -1), std::nullopt};
    case PointerCommand::ZoomOut:
        return {SpanStep(c.state, 1), std::nullopt};
    case PointerCommand::CenterUp:
        return {CenterStep(c.state, 1, c.freqStepMHz), std::nullopt};
    case PointerCommand::CenterDown:
        return {CenterStep(c.state, -1, c.freqStepMHz), std::nullopt};
    case PointerCommand::RefLevelUp:
        return {RefLevelStep(c.state, 1), std::nullopt};
    case PointerCommand::RefLevelDown:
        return {RefLevelStep(c.state, -1), std::nullopt};
    case PointerCommand::Peak:
        if (!c.readTrace)
            return {};
        return {std::nullopt, PeakMarker(c.state, *c.readTrace)};
    case PointerCommand::CenterOnMarker:
        return {CenterOnMarker(c.state, c.markers, c.activeMarker), std::nullopt};
    }
    return {};
}

int WheelNotches(int &gathered, int angleDelta)
{
    gathered += angleDelta;
    const int notches = gathered / kWheelNotch;
    gathered -= notches * kWheelNotch;
    return notches;
}

std::optional<PointerCommand> WheelCommand(int notches, bool ctrl)
{
    if (notches == 0)
        return std::nullopt;
    if (ctrl)
        return notches > 0 ? PointerCommand::ZoomIn : PointerCommand::ZoomOut;
    return notches > 0 ? PointerCommand::CenterUp : PointerCommand::CenterDown;
}

}  // namespace tavrin
