#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "common/color.h"
#include "markers/limit_lines.h"
#include "measure/screen_view.h"
#include "output/printer_surface.h"

namespace tavrin {
namespace {

class PrinterSurfaceTest : public ::testing::Test {
protected:
    PrinterSurfaceTest() : printer(QPrinter::HighResolution)
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("report.pdf"));
    }

    QTemporaryDir dir;
    QPrinter printer;
};

TEST_F(PrinterSurfaceTest, PageScaleSpansThePrintableArea)
{
    PrinterSurface surface(printer);
    ASSERT_TRUE(surface.IsActive());
    EXPECT_TRUE(surface.IsPrinter());
    double width = printer.width(), height = printer.height();
    ASSERT_GT(width, 0);
    EXPECT_EQ(surface.Map(-200, 1500), QPointF(0, 0));
    EXPECT_EQ(surface.Map(700, -2000), QPointF(width, height));
    QPointF origin = surface.Map(0, 0);
    EXPECT_NEAR(origin.x(), width * 200 / 900, 1e-9);
    EXPECT_NEAR(origin.y(), height * 1500 / 3500, 1e-9);
    // Points at the printer's resolution.
    surface.SetFontSize(9);
    EXPECT_EQ(surface.FontPixelSize(), qRound(9 * printer.resolution() / 72.0));
    surface.SetFontSize(14);
    EXPECT_EQ(surface.FontPixelSize(), qRound(14 * printer.resolution() / 72.0));
}

TEST_F(PrinterSurfaceTest, ScreenDrawnOnThePageMakesAPdf)
{
    MeasurementState state;
    state.centerFreqMHz = "100.000";
    state.spanCaption = "1MHZ/DIV";
    DisplayColors colors = DefaultDisplayColors();
    LiveTrace live;
    for (size_t i = 0; i < live.size(); ++i)
        live[i] = static_cast<int16_t>(200 + i % 50);
    LimitLines limits = InitialLimitLines();
    limits[0].shown = true;
    limits[0].selector = "mask";
    limits[0].points = {{95, -60}, {105, -40}};
    MarkerControls markers;
    markers[0].enabled = true;
    markers[0].freqText = "100";
    std::time_t screenTime = 0;
    ScreenView view;
    view.state = &state;
    view.colors = &colors;
    view.liveTrace = &live;
    view.limits = &limits;
    view.markers = &markers;
    view.screenTime = &screenTime;

    {
        PrinterSurface surface(printer);
        DrawGrid(surface, view);
        DrawTrace(surface, view);
        surface.SetFontSize(14);
        surface.SetTextPosition(100, 1260);
        surface.Print("Report");
        EXPECT_TRUE(surface.End());
    }
    QFile pdf(dir.filePath("report.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_GT(pdf.size(), 1000);
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
}

TEST_F(PrinterSurfaceTest, APrinterThatCannotStartIsLeftAlone)
{
    printer.setOutputFileName(dir.filePath("missing/folder/report.pdf"));
    PrinterSurface surface(printer);
    EXPECT_FALSE(surface.IsActive());
    ScreenView view;
    DrawGrid(surface, view);
    DrawTrace(surface, view);
    EXPECT_FALSE(surface.End());
}

}  // namespace
}  // namespace tavrin
