// The capture's file name and the report's logo, without a panel.
#include "output/capture_file.h"
#include "output/report_logo.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tavrin;

namespace {

TEST(CaptureName, FolderTrimmedAndJoinedOnceWithTheScreenTime)
{
    const std::time_t time = QDateTime(QDate(2026, 12, 5), QTime(22, 13)).toSecsSinceEpoch();
    for (const char *folder : {"/data/Captures", "/data/Captures/", "  /data/Captures/  "})
        EXPECT_EQ(CaptureFileName(folder, time), "/data/Captures/20261205_221300.jpg") << '"' << folder << '"';
}

TEST(ReportLogo, FilesThatCannotBeALogoGiveNoneAndNeverBlock)
{
    QTemporaryDir dir;
    auto file = [&](const char *name, const QByteArray &bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        return f.fileName().toStdString();
    };
    const std::string pipe = dir.filePath("pipe.png").toStdString();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string big = file("big.png", "\x89PNG");
    ASSERT_TRUE(QFile::resize(QString::fromStdString(big), kMaxLogoBytes + 1));
    for (const std::string &name : {std::string(), pipe, big, file("giant.ppm", "P6\n100000 100000\n255\n"),
                                    file("text.png", "not a picture"), dir.path().toStdString()})
        EXPECT_TRUE(LoadLogo(name, QSize(80, 230)).isNull()) << name;

    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(dir.filePath("logo.png")));
    const QImage logo = LoadLogo("  " + dir.filePath("logo.png").toStdString() + " ", QSize(80, 230));
    EXPECT_EQ(logo.size(), QSize(80, 230)) << "no more pixels than the page shows";
    EXPECT_EQ(logo.pixelColor(40, 100), QColor(Qt::blue));
}

}  // namespace
