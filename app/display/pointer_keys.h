// The display window's keys, as Qt names them.
#pragma once

#include "display/pointer_commands.h"

#include <QtCore/qnamespace.h>
#include <optional>

namespace tavrin {

// Left/Right the active marker a point (with Shift a division), '+'/'-' the span (the '=' key
// beside the main keyboard's '-' carries '+' unshifted), Page Up/Down the reference level, P Peak.
inline std::optional<PointerCommand> CommandForKey(int key, Qt::KeyboardModifiers modifiers)
{
    // Ctrl and Alt make them other keys: the menus' shortcuts.
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    switch (key) {
    case Qt::Key_Left:
        return shift ? PointerCommand::MarkerDivisionLeft : PointerCommand::MarkerLeft;
    case Qt::Key_Right:
        return shift ? PointerCommand::MarkerDivisionRight : PointerCommand::MarkerRight;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return PointerCommand::ZoomIn;
    case Qt::Key_Minus:
        return PointerCommand::ZoomOut;
    case Qt::Key_PageUp:
        return PointerCommand::RefLevelUp;
    case Qt::Key_PageDown:
        return PointerCommand::RefLevelDown;
    case Qt::Key_P:
        return PointerCommand::Peak;
    default:
        return std::nullopt;
    }
}

}  // namespace tavrin
