#include "output/capture_file.h"

#include "common/date_format.h"
#include "common/text_number.h"
#include "output/jpeg_writer.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace tavrin {

namespace {

constexpr int kMaxSuffix = 9999;

bool Taken(const QString &name)
{
    const QFileInfo info(name);
    return info.exists() || info.isSymLink();
}

}  // namespace

std::string CaptureFileName(const std::string &captureDir, std::time_t screenTime)
{
    std::string name = TrimSpaces(captureDir);
    if (name.empty() || name.back() != '/')
        name += '/';
    return name + FormatFileTime(screenTime) + ".jpg";
}

QString FreeFileName(const QString &name)
{
    if (!Taken(name))
        return name;
    const QString stem = name.endsWith(".jpg") ? name.chopped(4) : name;
    for (int n = 2; n <= kMaxSuffix; ++n) {
        const QString candidate = stem + "_" + QString::number(n) + ".jpg";
        if (!Taken(candidate))
            return candidate;
    }
    return {};
}

QString SaveCapture(const QImage &picture, const QString &jpegFile)
{
    if (picture.isNull())
        return "the display window has no picture yet";
    // A fresh name readable by this user only, never a fixed one in a shared folder where another
    // user could plant a link; the destructor removes it on every path out of here.
    QTemporaryFile bitmap(QDir::tempPath() + "/tavrin-capture-XXXXXX.bmp");
    if (!bitmap.open() || !picture.save(&bitmap, "BMP") || !bitmap.flush())
        return "the temporary bitmap could not be written in " + QDir::tempPath();
    bitmap.close();

    QString error;
    if (WriteJpeg(bitmap.fileName(), jpegFile, 100, 1, &error) == 1)
        return {};
    if (WriteJpeg(bitmap.fileName(), jpegFile, 100, 1, &error) == 1)
        return {};
    return error;
}

}  // namespace tavrin
