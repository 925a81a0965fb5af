// The report logo, as the settings dialog previews it and the report prints it.
#pragma once

#include <QImage>
#include <QSize>
#include <string>

namespace tavrin {

// Pictures larger than this are not previewed: decoding one could hold the dialog for seconds
// and take gigabytes.
inline constexpr long long kLogoMaxPixels = 50'000'000;
// A file larger than this is no logo either (and is not read).
inline constexpr long long kLogoMaxBytes = 64LL * 1024 * 1024;

// The picture in a regular file, scaled to fit the box (aspect kept); a null image for anything
// else: a missing file, a folder, FIFO or device (refused without waiting on it), a file over
// kLogoMaxBytes, no picture, a picture that declares more than kLogoMaxPixels, or one that fails
// to decode. Why a file was refused goes to why when given.
QImage LoadLogoPicture(const std::string &path, QSize box, std::string *why = nullptr);

}  // namespace tavrin
