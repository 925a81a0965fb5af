// The program's 0x00BBGGRR colours as Qt's, for the code that paints or picks them.
#pragma once

#include "common/color.h"

#include <QColor>

namespace tavrin {

inline QColor ToQColor(uint32_t c)
{
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>(c >> 8 & 0xFF), static_cast<int>(c >> 16 & 0xFF));
}

inline uint32_t FromQColor(const QColor &c)
{
    return Rgb(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue()));
}

}  // namespace tavrin
