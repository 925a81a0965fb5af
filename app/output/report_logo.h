// The logo of the printed report, read with limits so that no file can stall the print.
#pragma once

#include <QImage>
#include <QSize>
#include <string>

namespace tavrin {

inline constexpr qint64 kMaxLogoBytes = 64LL * 1024 * 1024;
inline constexpr qint64 kMaxLogoPixels = 25LL * 1000 * 1000;

// The picture of the logo file (name trimmed), scaled down to fit when it is larger; a null
// image for an empty name or a file that is not a plain file, holds no picture, is larger than
// kMaxLogoBytes or declares more than kMaxLogoPixels. A pipe or a device is never opened.
QImage LoadLogo(const std::string &fileName, QSize fit);

}  // namespace tavrin
