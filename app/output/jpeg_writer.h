// The JPEG writer of the screen capture: a bitmap file in, a JPEG file out.
#pragma once

#include <QString>

namespace tavrin {

// Reads the bitmap file and writes it as the JPEG file jpegFile at the given quality (0..100);
// optimize 1 asks for optimised Huffman tables. Returns 1 on success, 0 otherwise, with the
// reason in *error when given. The JPEG file is always a new one: an existing file (or a link)
// of that name is never replaced, and a write that fails part-way leaves no file behind.
int WriteJpeg(const QString &bitmapFile, const QString &jpegFile, int quality, int optimize,
              QString *error = nullptr);

}  // namespace tavrin
