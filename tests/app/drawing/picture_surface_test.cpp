#include <chrono>
#include <limits>

#include <QImage>

#include <gtest/gtest.h>

#include "common/color.h"
#include "measure/picture_surface.h"
#include "measure/screen_view.h"

namespace tavrin {
namespace {

QImage BlankImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

// The rows and columns that hold any pixel other than black.
QRect InkBounds(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(0, 0, 0))
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

// On a scaled screen the picture has more pixels, not a larger picture.
TEST(PictureSurface, ScreenCornersLandOnTheImageCornersAtEveryPixelRatio)
{
    const std::pair<QSize, double> cases[] = {
        {{541, 554}, 1.0}, {{1200, 300}, 1.0}, {{540, 552}, 1.25}, {{540, 552}, 1.5}, {{541, 554}, 2.0}};
    for (auto [size, ratio] : cases) {
        QImage image = BlankImage(static_cast<int>(size.width() * ratio), static_cast<int>(size.height() * ratio));
        image.setDevicePixelRatio(ratio);
        {
            PictureSurface surface(image);
            ASSERT_TRUE(surface.IsActive());
            EXPECT_FALSE(surface.IsPrinter());
            EXPECT_EQ(surface.Map(-50, 1100), QPointF(0, 0));
            EXPECT_EQ(surface.Map(520, -430), QPointF(size.width(), size.height()));
            QPointF origin = surface.Map(0, 0);
            EXPECT_NEAR(origin.x(), size.width() * 50.0 / 570, 1e-9);
            EXPECT_NEAR(origin.y(), size.height() * 1100.0 / 1530, 1e-9);

            surface.FilledRectangle(-50, 1100, -45, 1090, Rgb(255, 0, 0));
            surface.FilledRectangle(515, -420, 520, -430, Rgb(0, 0, 255));
        }
        EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0)) << ratio;
        EXPECT_EQ(image.pixel(image.width() - 1, image.height() - 1), qRgb(0, 0, 255)) << ratio;
        EXPECT_EQ(image.pixel(image.width() / 2, image.height() / 2), qRgb(0, 0, 0)) << ratio;
    }
}

TEST(PictureSurface, TextHangsBelowItsPositionAndGrowsWithTheWindow)
{
    QRect bounds[2];
    QSize sizes[2] = {QSize(541, 554), QSize(1082, 1108)};
    for (int i = 0; i < 2; ++i) {
        QImage image = BlankImage(sizes[i].width(), sizes[i].height());
        {
            PictureSurface surface(image);
            surface.SetForeColor(Rgb(255, 255, 255));
            surface.SetFontSize(9);
            surface.SetTextPosition(10, 1070);
            surface.Print("NORVALE Tavrin");
        }
        bounds[i] = InkBounds(image);
        ASSERT_FALSE(bounds[i].isEmpty());
        QPointF corner = PictureSurface(image).Map(10, 1070);
        EXPECT_GE(bounds[i].top(), std::floor(corner.y()));
        EXPECT_GE(bounds[i].left(), std::floor(corner.x()));
        EXPECT_LT(bounds[i].top(), corner.y() + 6 * (i + 1));
    }
    // Readable at the first size: capitals about 9 pixels high.
    EXPECT_GE(bounds[0].height(), 8);
    EXPECT_LE(bounds[0].height(), 14);
    EXPECT_NEAR(static_cast<double>(bounds[1].height()) / bounds[0].height(), 2.0, 0.3);
    EXPECT_NEAR(static_cast<double>(bounds[1].width()) / bounds[0].width(), 2.0, 0.3);
}

TEST(PictureSurface, FontFollowsTheSmallerStretchWithAFloor)
{
    struct Case {
        QSize size;
        int pixels;
    } cases[] = {{{541, 554}, 12}, {{1082, 554}, 12}, {{541, 1108}, 12}, {{1623, 1662}, 36}, {{100, 100}, 6}};
    for (const Case &c : cases) {
        QImage image = BlankImage(c.size.width(), c.size.height());
        PictureSurface surface(image);
        surface.SetFontSize(9);
        EXPECT_EQ(surface.FontPixelSize(), c.pixels) << c.size.width() << "x" << c.size.height();
    }
}

// Lit pixels on row y between columns from and to.
int LitOnRow(const QImage &image, int y, int from, int to)
{
    int lit = 0;
    for (int x = from; x < to; ++x)
        lit += image.pixel(x, y) != qRgb(0, 0, 0);
    return lit;
}

TEST(PictureSurface, DottedLinesAreDotted)
{
    QImage image = BlankImage(570, 1530);  // one pixel per screen unit
    {
        PictureSurface surface(image);
        surface.SetDrawStyle(DrawStyle::Dotted);
        surface.Line(0, 500, 400, 500, Rgb(255, 255, 255));
        surface.SetDrawStyle(DrawStyle::Solid);
        surface.Line(0, 400, 400, 400, Rgb(255, 255, 255));
    }
    int dotted = LitOnRow(image, 600, 60, 440);
    EXPECT_GT(dotted, 380 / 5);
    EXPECT_LT(dotted, 380 * 3 / 5);
    EXPECT_EQ(LitOnRow(image, 700, 60, 440), 380);
}

TEST(PictureSurface, FarAwayAndUnplaceableCoordinatesAreCutOrDropped)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QImage image = BlankImage(570, 1530);
    auto start = std::chrono::steady_clock::now();
    {
        PictureSurface surface(image);
        surface.SetDrawStyle(DrawStyle::Dotted);
        surface.Line(400, 1e300, 420, -1e300, Rgb(0, 255, 0));
        surface.SetDrawStyle(DrawStyle::Solid);
        surface.Line(100, 1e12, 100, -1e12, Rgb(255, 255, 255));
        surface.Line(nan, 0, 200, 0, Rgb(255, 0, 0));
        surface.LineTo(300, 0, Rgb(255, 0, 0));
        surface.FilledRectangle(-1e300, 1e300, nan, 0, Rgb(255, 0, 0));
        surface.SetTextPosition(nan, 1e300);
        surface.Print("lost");
    }
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
    // The vertical line, cut to the picture, still crosses it from top to bottom.
    for (int y : {0, 765, 1529})
        EXPECT_EQ(image.pixel(150, y), qRgb(255, 255, 255)) << y;
    int steep = 0;
    for (int y = 1090; y < 1110; ++y)
        steep += LitOnRow(image, y, 455, 465);
    EXPECT_GT(steep, 0) << "the steep dotted line crosses y = 0 near x = 410";
    // Nothing from the unplaceable point; the line after it starts from its end as usual.
    EXPECT_EQ(image.pixel(50 + 20, 1100), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(50 + 250, 1100), qRgb(255, 0, 0));
}

TEST(PictureSurface, PictureStandsOnItsUpperLeftCornerWithItsHeightDownwards)
{
    QImage logo(8, 23, QImage::Format_RGB32);
    logo.fill(Qt::red);
    QImage image = BlankImage(570, 1530);
    {
        PictureSurface surface(image);
        surface.DrawImage(logo, 100, 1000, 80, 230);  // columns 150..230, rows 100..330
    }
    EXPECT_EQ(image.pixel(151, 101), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(228, 328), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(148, 101), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(151, 332), qRgb(0, 0, 0));
}

TEST(PictureSurface, AnEmptyImageIsNotPaintedOn)
{
    QImage image;
    PictureSurface surface(image);
    EXPECT_FALSE(surface.IsActive());
    surface.Clear(Rgb(1, 2, 3));
    surface.Line(0, 0, 10, 10, 0);
    surface.Print("x");
    EXPECT_FALSE(surface.End());
}

TEST(PictureSurface, ScreenDrawnInTheDisplayColours)
{
    MeasurementState state;
    DisplayColors colors = DefaultDisplayColors();
    colors.Base = Rgb(10, 20, 30);
    colors.Background = Rgb(40, 50, 60);
    colors.Grid = Rgb(200, 200, 0);
    LiveTrace live;
    live.fill(0);
    std::time_t screenTime = 0;
    ScreenView view;
    view.state = &state;
    view.colors = &colors;
    view.liveTrace = &live;
    view.screenTime = &screenTime;

    QImage image = BlankImage(570, 1530);  // x = column - 50, y = 1100 - row
    {
        PictureSurface surface(image);
        surface.Clear(colors.Base);
        DrawGrid(surface, view);
        DrawTrace(surface, view);
    }
    EXPECT_EQ(image.pixel(50 + 75, 1100 - 500), qRgb(40, 50, 60));   // inside a division
    EXPECT_EQ(image.pixel(50 + 100, 1100 - 500), qRgb(200, 200, 0));  // on a division line
    EXPECT_EQ(image.pixel(50 + 510, 1100 - 500), qRgb(10, 20, 30));   // right of the graticule
    EXPECT_EQ(image.pixel(50 + 300, 1100 - 1090), qRgb(10, 20, 30));  // header band
}

}  // namespace
}  // namespace tavrin
