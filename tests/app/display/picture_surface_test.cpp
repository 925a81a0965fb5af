#include <limits>
#include <vector>

#include <QImage>

#include <gtest/gtest.h>

#include "common/color.h"
#include "display/picture_surface.h"
#include "display/screen_view.h"

namespace tavrin {
namespace {

// Pixels of a colour on row y between columns from and to.
int OnRow(const QImage &image, int y, int from, int to, QRgb color)
{
    int n = 0;
    for (int x = from; x < to; ++x)
        n += image.pixel(x, y) == color;
    return n;
}

// The whole screen fills the image whatever its shape; on a scaled screen it has more pixels.
TEST(PictureSurface, ScreenCornersLandOnTheImageCornersAtEveryPixelRatio)
{
    for (auto [size, ratio] : {std::pair{QSize(1200, 300), 1.0}, {QSize(540, 552), 1.5}}) {
        QImage image(size * ratio, QImage::Format_RGB32);
        image.fill(Qt::black);
        image.setDevicePixelRatio(ratio);
        {
            PictureSurface surface(image);
            surface.FilledRectangle(-50, 1100, -45, 1090, Rgb(255, 0, 0));
            surface.FilledRectangle(515, -420, 520, -430, Rgb(0, 0, 255));
        }
        EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0)) << ratio;
        EXPECT_EQ(image.pixel(image.width() - 1, image.height() - 1), qRgb(0, 0, 255)) << ratio;
        EXPECT_EQ(image.pixel(image.width() / 2, image.height() / 2), qRgb(0, 0, 0)) << ratio;
    }
}

// One pixel per screen unit: x = column - 50, y = 1100 - row.
TEST(PictureSurface, DottedLinesAreDottedAndFarAwayOrUnplaceableCoordinatesCutOrDropped)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QRgb white = qRgb(255, 255, 255), red = qRgb(255, 0, 0);
    QImage image(570, 1530, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        PictureSurface surface(image);
        surface.SetDrawStyle(DrawStyle::Dotted);
        surface.Line(0, 500, 400, 500, Rgb(255, 255, 255));
        surface.Line(400, 1e300, 420, -1e300, Rgb(0, 255, 0));  // dashing it must not take forever
        surface.SetDrawStyle(DrawStyle::Solid);
        surface.Line(0, 400, 400, 400, Rgb(255, 255, 255));
        surface.Line(100, 1e12, 100, -1e12, Rgb(255, 255, 255));
        surface.Line(nan, 0, 200, 0, Rgb(255, 0, 0));
        surface.LineTo(300, 0, Rgb(255, 0, 0));
        surface.FilledRectangle(-1e300, 1e300, nan, 0, Rgb(255, 0, 0));
        surface.SetTextPosition(nan, 1e300);
        surface.Print("lost");
    }
    EXPECT_GT(OnRow(image, 600, 60, 440, white), 380 / 5);
    EXPECT_LT(OnRow(image, 600, 60, 440, white), 380 * 3 / 5);
    EXPECT_EQ(OnRow(image, 700, 60, 440, white), 380);
    for (int y : {0, 765, 1529})
        EXPECT_EQ(image.pixel(150, y), white) << "the vertical line, cut to the picture, crosses it at " << y;
    // Nothing from the unplaceable point; the line after it starts from its end as usual.
    EXPECT_EQ(OnRow(image, 1100, 50, 250, red), 0);
    EXPECT_EQ(OnRow(image, 1100, 250, 350, red), 100);
}

// A dotted line straight down a column sets every third pixel from its top at any pixel ratio, as
// the painter does; one shorter than a pixel still shows.
TEST(PictureSurface, DottedColumnsSetEveryThirdPixelFromTheTop)
{
    const std::pair<double, std::vector<int>> cases[] = {{1.0, {100, 103, 106, 109, 599}},
                                                         {2.0, {200, 203, 206, 209, 212, 215, 218, 1199}}};
    for (const auto &[ratio, rows] : cases) {
        QImage image(QSize(570, 1530) * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::black);
        {
            PictureSurface surface(image);
            surface.SetDrawStyle(DrawStyle::Dotted);
            surface.Line(100, 990, 100, 1000, Rgb(255, 0, 0));  // rows 100 to 110 at ratio 1
            surface.Line(100, 500.2, 100, 500.1, Rgb(255, 0, 0));
        }
        std::vector<int> set;
        for (int y = 0; y < image.height(); ++y)
            if (image.pixel(static_cast<int>(150 * ratio), y) == qRgb(255, 0, 0))
                set.push_back(y);
        EXPECT_EQ(set, rows) << ratio;
    }
}

// After a clear, fills in the cleared colour are left out only where nothing was drawn since: a
// text, a line and a polyline are still covered by them (each away from what came before it).
TEST(PictureSurface, AFillInTheClearedColourStillCoversWhatWasDrawnSinceTheClear)
{
    const uint32_t black = Rgb(0, 0, 0), white = Rgb(255, 255, 255);
    QImage image(570, 1530, QImage::Format_RGB32);
    {
        PictureSurface surface(image);
        surface.Clear(black);
        surface.SetForeColor(white);
        surface.SetTextPosition(0, 300);
        surface.Print("text");
        surface.FilledRectangle(-20, 320, 100, 260, black);
        surface.Line(0, 0, 400, 0, white);
        surface.FilledRectangle(-10, 10, 450, -10, black);
        surface.Line(0, 500, 100, 500, white);
        surface.LineTo(200, 500, white);
        surface.Line(0, 600, 100, 600, white);
        surface.LineTo(200, 600, white);
        surface.FilledRectangle(150, 610, 300, 590, black);
    }
    EXPECT_EQ(OnRow(image, 1100, 40, 460, qRgb(255, 255, 255)), 0);
    EXPECT_EQ(OnRow(image, 600, 60, 240, qRgb(255, 255, 255)), 180) << "the two segments joined";
    EXPECT_EQ(OnRow(image, 500, 60, 240, qRgb(255, 255, 255)), 140) << "cut where the fill covers it";
    int lit = 0;
    for (int y = 780; y < 840; ++y)
        lit += 120 - OnRow(image, y, 40, 160, qRgb(0, 0, 0));
    EXPECT_EQ(lit, 0);
}

TEST(PictureSurface, ScreenDrawnInTheDisplayColoursWithTextsBelowTheirPositions)
{
    MeasurementState state;
    DisplayColors colors = DefaultDisplayColors();
    colors.Base = Rgb(10, 20, 30);
    TracePoints live{};
    ScreenView view;
    view.state = &state, view.colors = &colors, view.liveTrace = &live, view.screenTime = 0;
    view.traceDrawColor = Rgb(0, 255, 0);

    QImage image(570, 1530, QImage::Format_RGB32);
    {
        PictureSurface surface(image);
        surface.Clear(colors.Base);
        DrawGrid(surface, view);
        DrawTrace(surface, view);
    }
    EXPECT_EQ(image.pixel(50 + 510, 1100 - 500), qRgb(10, 20, 30));   // right of the graticule
    EXPECT_EQ(image.pixel(50 + 200, 1100 - 0), qRgb(0, 255, 0));      // the trace along the bottom
    // The banner printed at (10, 1070), pixel row 30, hangs below it in the text colour.
    int above = 0, below = 0;
    for (int y = 0; y < 40; ++y)
        (y < 30 ? above : below) += OnRow(image, y, 60, 200, qRgb(0, 255, 255));
    EXPECT_EQ(above, 0);
    EXPECT_GT(below, 20);
}

}  // namespace
}  // namespace tavrin
