// The screen capture's file: its name from the screen time, a free name beside earlier captures,
// and the picture written through a private temporary bitmap.
#pragma once

#include <QImage>
#include <QString>
#include <ctime>
#include <string>

namespace tavrin {

// The trimmed capture folder, a '/' unless it already ends with one, the screen time as
// "YYYYMMDD_HHMMSS" (local time) and ".jpg".
std::string CaptureFileName(const std::string &captureDir, std::time_t screenTime);

// name when nothing is there (not even a dangling link), otherwise the first free one of
// "<name without .jpg>_2.jpg", "_3", ...; empty when all of them up to a limit are taken.
QString FreeFileName(const QString &name);

// Writes picture as the JPEG file jpegFile: through a bitmap in a private temporary file, which is
// removed whatever happens, and the JPEG writer with one retry. Empty on success, else the reason.
QString SaveCapture(const QImage &picture, const QString &jpegFile);

}  // namespace tavrin
