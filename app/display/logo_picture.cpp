#include "display/logo_picture.h"

#include "common/safe_file.h"

#include <QFile>
#include <QImageReader>
#include <unistd.h>

namespace tavrin {

QImage LoadLogoPicture(const std::string &path, QSize box, std::string *why)
{
    std::string error;
    const int fd = path.empty() ? -1 : OpenForReading(path, error);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        if (why)
            *why = error;
        return {};
    }
    if (file.size() > kLogoMaxBytes) {
        if (why)
            *why = path + " is larger than 64 MB";
        return {};
    }
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    const QSize size = reader.size();  // from the header only
    if (!size.isValid() || static_cast<long long>(size.width()) * size.height() > kLogoMaxPixels)
        return {};
    if (box.isValid() && (size.width() > box.width() || size.height() > box.height()))
        reader.setScaledSize(size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image;
    if (!reader.read(&image))
        return {};
    return image;
}

}  // namespace tavrin
