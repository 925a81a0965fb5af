// The display window's coordinate system, labels and redraws.
#include "measure/drawing_surface.h"
#include "measure/frm_crt.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <gtest/gtest.h>

using namespace tavrin;

namespace {

TEST(Display, TheWholePictureMapsOntoTheClientAreaAtAnySize)
{
    FrmCRT crt;
    for (QSize size : {QSize(541, 554), QSize(1200, 400), QSize(300, 900)}) {
        crt.resize(size);
        QTest::qWait(1);
        const QPointF topLeft = crt.ToDevice(-50, 1100);
        const QPointF bottomRight = crt.ToDevice(520, -430);
        EXPECT_NEAR(topLeft.x(), 0, 1e-9);
        EXPECT_NEAR(topLeft.y(), 0, 1e-9);
        EXPECT_NEAR(bottomRight.x(), size.width(), 1e-9);
        EXPECT_NEAR(bottomRight.y(), size.height(), 1e-9);
        const QPointF back = crt.ToScreen(crt.ToDevice(251, 511.5));
        EXPECT_NEAR(back.x(), 251, 1e-9);
        EXPECT_NEAR(back.y(), 511.5, 1e-9);
    }
}

TEST(Display, LabelsAreMeasuredInScreenUnitsAndGrabOffsetsScale)
{
    FrmCRT crt;
    crt.resize(570, 765);  // one pixel = 1 unit across, 2 units down
    crt.show();
    QTest::qWait(1);
    EXPECT_DOUBLE_EQ(crt.HalfWidth(), FrmCRT::kLabelWidthPx / 2.0);
    EXPECT_DOUBLE_EQ(crt.Height(), FrmCRT::kLabelHeightPx * 2.0);
    crt.GrabLabel(0, QPointF(6, 10));
    EXPECT_FLOAT_EQ(crt.DragOffsetX(), 6.0f);
    EXPECT_FLOAT_EQ(crt.DragOffsetY(), -20.0f);
    // Dropped at (100, 500): left 94, top 520 in screen units.
    crt.DropLabel(0, 100, 500);
    const QPointF expected = crt.ToDevice(94, 520);
    EXPECT_EQ(crt.Label(0)->pos(), expected.toPoint());
}

TEST(Display, RedrawsOnResizeButNotWhileMinimised)
{
    QMdiArea area;
    area.resize(1000, 800);
    auto *crt = new FrmCRT;
    int drawn = 0;
    crt->SetDrawer([&](DrawingSurface &) { ++drawn; });
    QMdiSubWindow *sub = area.addSubWindow(crt);
    area.show();
    sub->show();
    sub->resize(541, 554);
    QTest::qWait(5);
    EXPECT_GT(drawn, 0);
    EXPECT_FALSE(crt->Picture().isNull());

    sub->showMinimized();
    QTest::qWait(5);
    const int whileMinimised = drawn;
    crt->Redraw();
    EXPECT_EQ(drawn, whileMinimised);
    sub->showNormal();
    QTest::qWait(5);
    EXPECT_GT(drawn, whileMinimised) << "restored: drawn again";
}

TEST(Display, ClearingUsesTheBaseColourAndLabelsCanBeShownAndHidden)
{
    FrmCRT crt;
    crt.resize(200, 200);
    crt.SetBaseColor(0x00FF0000);  // blue in 0x00BBGGRR
    crt.Redraw();
    EXPECT_EQ(crt.Picture().pixelColor(100, 100), QColor(0, 0, 255));
    crt.MakeLabels(0x000000, 0x0000FF);
    crt.Show(3, true);
    EXPECT_TRUE(crt.Visible(3));
    crt.Show(3, false);
    EXPECT_FALSE(crt.Visible(3));
    EXPECT_FALSE(crt.Visible(7));
    EXPECT_FALSE(crt.Label(2)->pixmap().isNull());
}

}  // namespace
