#include "display/logo_picture.h"

#include <QImageReader>
#include <filesystem>
#include <system_error>

namespace tavrin {

QImage LoadLogoPicture(const std::string &path, QSize box)
{
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec) ||
        std::filesystem::file_size(path, ec) > static_cast<uintmax_t>(kLogoMaxBytes) || ec)
        return {};
    QImageReader reader(QString::fromLocal8Bit(path.c_str()));
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
