#include "output/jpeg_writer.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

namespace tavrin {

namespace {

int Fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return 0;
}

}  // namespace

int WriteJpeg(const QString &bitmapFile, const QString &jpegFile, int quality, int optimize, QString *error)
{
    QImageReader reader(bitmapFile, "bmp");
    const QImage image = reader.read();
    if (image.isNull())
        return Fail(error, "the bitmap could not be read (" + reader.errorString() + ")");

    QFile file(jpegFile);
    // O_EXCL: a file or a planted link of this name makes the write fail instead of being followed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return Fail(error, file.errorString());
    QImageWriter writer(&file, "jpeg");
    writer.setQuality(quality);
    writer.setOptimizedWrite(optimize != 0);
    bool ok = writer.write(image);
    QString reason = ok ? QString() : writer.errorString();
    if (ok && !file.flush()) {
        ok = false;
        reason = file.errorString();
    }
    file.close();
    if (ok && file.error() != QFileDevice::NoError) {
        ok = false;
        reason = file.errorString();
    }
    if (!ok) {
        file.remove();
        return Fail(error, reason);
    }
    return 1;
}

}  // namespace tavrin
