#include "output/report_logo.h"

#include "common/text_number.h"

#include <QFileInfo>
#include <QImageReader>

namespace tavrin {

QImage LoadLogo(const std::string &fileName, QSize fit)
{
    const QString name = QString::fromStdString(TrimSpaces(fileName));
    if (name.isEmpty())
        return {};
    // Opening a pipe would wait for a writer and a device may never end: plain files only.
    const QFileInfo info(name);
    if (!info.isFile() || info.size() > kMaxLogoBytes)
        return {};
    QImageReader reader(name);
    reader.setAutoTransform(true);
    // The header's size decides before any pixel is decoded.
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || static_cast<qint64>(size.width()) * size.height() > kMaxLogoPixels)
        return {};
    // The page gets no more pixels than it can show, which also keeps a PDF small.
    if (fit.isValid() && !fit.isEmpty() && (size.width() > fit.width() || size.height() > fit.height()))
        reader.setScaledSize(size.boundedTo(fit));
    return reader.read();
}

}  // namespace tavrin
