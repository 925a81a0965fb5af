// The waterfall: colours and columns, the bands between traces, what the pointer stands on and when
// a click there may move a marker, and the window fed by the panel (live and played traces) and
// saved as a PNG file.
#include <QImageReader>
#include <optional>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "support/panel_fixture.h"
#include "waterfall/waterfall_pointer.h"
#include "waterfall/waterfall_view.h"

using namespace tavrin;
using namespace tavrin::test;

namespace {

// Each stop of the scale, and halfway between two (10 dB down: green 127.5 rounds to even 128).
TEST(WaterfallScale, LevelsTakeTheirColoursAndColumnsTheirPoints)
{
    const std::pair<int, uint32_t> colours[] = {
        {1023, Rgb(255, 0, 0)},   {2000, Rgb(255, 0, 0)},   {895, Rgb(255, 128, 0)}, {767, Rgb(255, 255, 0)},
        {639, Rgb(128, 255, 128)}, {511, Rgb(0, 255, 255)}, {255, Rgb(0, 0, 255)},   {0, Rgb(0, 0, 1)},
        {-7, Rgb(0, 0, 1)}};  // 79.92 dB down: 1/256 of the way back from black to blue
    for (auto [level, colour] : colours)
        EXPECT_EQ(LevelColor(level), colour) << level;
    struct Case { int column, columns; PointRange points; };
    const Case cases[] = {{0, 499, {0, 0}},     {498, 499, {498, 498}}, {0, 250, {0, 1}},  {249, 250, {497, 498}},
                          {1, 998, {0, 0}},     {997, 998, {498, 498}}, {3, 10, {149, 199}}};
    for (const Case &c : cases)
        EXPECT_EQ(ColumnPoints(c.column, c.columns), c.points) << c.column << " of " << c.columns;
}

Trace Shown(std::time_t time, double mhz = 100, TraceKind kind = TraceKind::Live)
{
    return {{}, {mhz, "1MHZ/DIV", -10, "30KHZ"}, time, 0, kind, false};
}

TEST(WaterfallBands, GapsAndSeparatorsComeWhereTheRowsChangeMeaning)
{
    using K = RowKind;
    const Trace first = Shown(1000);
    struct Case { Trace next; std::vector<std::pair<K, std::string>> bands; };
    const Case cases[] = {
        {Shown(1001), {}},
        {Shown(1002), {{K::Gap, "no traces for 2 s"}}},
        {Shown(1125, 100.5), {{K::Gap, "no traces for 2 min 05 s"}, {K::Separator, "100.500 MHz  1MHZ/DIV  Ref -10 dBm  RBW 30KHZ"}}},
        {Shown(4725, 100, TraceKind::Playback), {{K::Separator, "Playback: 100.000 MHz  1MHZ/DIV  Ref -10 dBm  RBW 30KHZ"}}},
        {Shown(900), {}},
    };
    for (const Case &c : cases) {
        std::vector<std::pair<K, std::string>> got;
        for (const WaterfallRow &band : BandsBefore(&first, c.next))
            got.emplace_back(band.kind, band.text);
        EXPECT_EQ(got, c.bands) << c.next.time;
    }
    EXPECT_EQ(GapText(3725), "no traces for 1 h 02 min");
    EXPECT_EQ(BandsBefore(nullptr, Shown(0)).at(0).kind, K::Separator) << "the first trace says what the rows mean";
}

class WaterfallPanelTest : public PanelTest {
protected:
    WaterfallPanelTest()
    {
        waterfall.resize(570, 300);  // one column a point
    }
    void Load()
    {
        PanelTest::Load();
        feed = session->Bus().Connect([this](const TracePtr &t) { waterfall.Add(*t); });
    }
    // One fresh trace, as the acquisition takes it.
    void Take()
    {
        bool done = false;
        session->Single([&](const TracePtr &, const std::string &) { done = true; });
        ASSERT_TRUE(RunUntil([&] { return done; }, 2s));
    }
    QRgb At(int point, int row) const
    {
        return waterfall.Picture().Image().pixel(waterfall.Layout().firstColumn + point, row) & 0xffffff;
    }
    std::vector<RowKind> Kinds() const
    {
        std::vector<RowKind> kinds;
        for (const WaterfallRow &row : waterfall.Rows().Rows())
            kinds.push_back(row.kind);
        return kinds;
    }
    WaterfallView waterfall;
    TraceBus::Connection feed;
};

// Blue everywhere but a red point 100 and an orange 101; cyan with a pale green 498; the same at
// another centre; then a trace 40 s later.
TEST_F(WaterfallPanelTest, RowsLandNewestOnTopWithTheirColoursBandsAndDescription)
{
    fake.level = [](int n, uint64_t k, const AnalyzerSettings &) -> int16_t {
        if (k == 0)
            return n == 100 ? 1023 : n == 101 ? 895 : 255;
        return k == 1 && n == 498 ? 639 : 511;
    };
    now = 1000;
    Load();
    Take(), Take();
    EXPECT_EQ(std::vector<QRgb>({At(100, 1), At(101, 1), At(99, 1), At(0, 0), At(498, 0)}),
              std::vector<QRgb>({0xff0000, 0xff8000, 0x0000ff, 0x00ffff, 0x80ff80}));
    EXPECT_EQ(waterfall.Picture().Image().pixel(0, 3), WaterfallPicture::kSeparator) << "under the first trace";
    fake.settings.centerMHz = 100;
    Take();
    now = 1040;
    Take();
    using K = RowKind;
    EXPECT_EQ(Kinds(), (std::vector<K>{K::Separator, K::Trace, K::Trace, K::Separator, K::Trace, K::Gap, K::Trace}));
    EXPECT_EQ(waterfall.Rows().Rows()[3].text, "100.000 MHz  10MHZ/DIV  Ref 0 dBm  RBW 4MHZ");
    EXPECT_EQ(waterfall.Rows().Rows()[5].text, "no traces for 40 s");
    EXPECT_EQ(At(0, 0), 0x00ffffu);
    EXPECT_EQ(At(0, 1), WaterfallPicture::kGap & 0xffffff);
    // Point 100 at 80 MHz and 10 MHz a division: 80 + (100 - 251) x 0.2 MHz.
    const std::string said = waterfall.accessibleDescription().toStdString();
    EXPECT_NE(said.find("4 traces from "), std::string::npos) << said;
    EXPECT_NE(said.find("Strongest signal 0.0 dBm at 49.800 MHz"), std::string::npos) << said;
}

// Recorded traces played back with the acquisition stopped come as rows with their own settings
// and times; the PNG file is the window's picture, and a file is replaced only when the user says so.
TEST_F(WaterfallPanelTest, PlaybackFeedsTheRowsAndThePngIsTheWindowsPicture)
{
    fake.level = [](int n, uint64_t, const AnalyzerSettings &) { return static_cast<int16_t>(n); };
    Load();
    StartAcquiring();
    settings.RecordTime = "1", settings.RecordInterval = "1";
    Click("cmdRecord");
    Run(1s);
    Click("cmdRecord"), Click("cmdStart");
    Click("cmdPlayRecord");
    Run(2s);  // after the recorded entry first, then from the start
    const WaterfallRow &played = waterfall.Rows().Rows().back();
    EXPECT_EQ(played.trace.kind, TraceKind::Playback);
    EXPECT_EQ(played.trace.points[300], 300);
    EXPECT_EQ(waterfall.Rows().Rows().end()[-2].text.rfind("Playback: 80.000 MHz  10MHZ/DIV", 0), 0u);

    const std::string path = home.Path() + "/fall";
    dialogs.files = {path, path, home.Path() + "/gone/fall.png"};
    dialogs.yesNo = {false};
    waterfall.SaveAs(dialogs, home.Path());
    QImage png = QImageReader(QString::fromStdString(path + ".png")).read();
    EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32), waterfall.grab().toImage().convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(png.pixel(waterfall.Layout().firstColumn + 255, waterfall.Layout().header), 0xff0000ffu)
        << "point 255 at level 255: 60 dB down";
    waterfall.SaveAs(dialogs, home.Path());  // not replaced: asked again, and that name fails
    EXPECT_EQ(dialogs.questions.size(), 1u);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.rfind("The waterfall could not be saved as " + home.Path() + "/gone/fall.png: ", 0), 0u);
}

constexpr std::time_t kT = 1700000000;

Trace At(std::time_t time, int point, int16_t level, AnalyzerSettings settings = {100.0, "1MHZ/DIV", 0, "4MHZ"})
{
    Trace t;
    t.points[static_cast<size_t>(point)] = level;
    t.settings = std::move(settings);
    t.time = time;
    return t;
}

class WaterfallPointer : public ::testing::Test {
protected:
    WaterfallPointer()
    {
        rows.SetHeights({100, 5, 15});
        rows.Add(At(kT, 300, 512));      // a separator (5 pixel rows) comes first
        rows.Add(At(kT + 1, 300, 1023));
        // From the top: the newer trace, the older one, the separator; nothing below pixel row 6.
    }
    WaterfallRows rows;
    // A column a point, 50 device pixels of time column, 20 pixels of header.
    WaterfallGeometry geometry{20, 1, 50, 499, 100};
};

TEST_F(WaterfallPointer, RowsFromTheTopAndColumnsFromTheTimeColumnOn)
{
    const std::optional<WaterfallSpot> newest = WaterfallAt(rows, geometry, 350, 20);
    ASSERT_TRUE(newest);
    EXPECT_EQ(newest->row, 2u);
    EXPECT_EQ(newest->time, kT + 1);
    EXPECT_EQ(newest->point, 300);
    EXPECT_DOUBLE_EQ(newest->freqMHz, 100.98);
    EXPECT_EQ(newest->level, 0.0);
    EXPECT_EQ(WaterfallReadoutText(*newest), ClockText(kT + 1) + "  100.980 MHz  0.0 dBm");
    const std::optional<WaterfallSpot> older = WaterfallAt(rows, geometry, 350.9, 21.9);
    ASSERT_TRUE(older);
    EXPECT_EQ(std::tuple(older->row, older->point, older->level), std::tuple(1u, 300, -39.921875));
    const std::optional<WaterfallSpot> band = WaterfallAt(rows, geometry, 100, 26);
    ASSERT_TRUE(band);
    EXPECT_EQ(band->kind, RowKind::Separator);
    EXPECT_EQ(WaterfallReadoutText(*band), ClockText(kT) + "  100.000 MHz  1MHZ/DIV  Ref 0 dBm  RBW 4MHZ");
    // The header, below the last row, the time column, the colour scale.
    for (auto [x, y] : {std::pair{350.0, 19.9}, {350.0, 27.0}, {49.9, 20.0}, {549.0, 20.0}, {-1.0, 20.0}})
        EXPECT_FALSE(WaterfallAt(rows, geometry, x, y)) << x << "," << y;
}

TEST_F(WaterfallPointer, ANarrowWindowsColumnShowsItsStrongestPoint)
{
    // 100 columns: column 10 shows points 49..54, the first of the two strongest.
    Trace t = At(kT + 2, 52, 700);
    t.points[54] = 700, t.points[50] = 600;
    rows.Add(t);
    const std::optional<WaterfallSpot> spot = WaterfallAt(rows, {20, 1, 50, 100, 100}, 60, 20);
    ASSERT_TRUE(spot);
    EXPECT_EQ(spot->point, 52);
    EXPECT_DOUBLE_EQ(spot->freqMHz, 96.02);
    // At twice the pixels, logical (200.25, 20.5) is device (400, 1): column 300 of 998 shows
    // point 150, of the row under the newest.
    const std::optional<WaterfallSpot> sharp = WaterfallAt(rows, {20, 2, 100, 998, 200}, 200.25, 20.5);
    ASSERT_TRUE(sharp);
    EXPECT_EQ(std::tuple(sharp->row, sharp->point), std::tuple(2u, 150));
}

TEST_F(WaterfallPointer, ZeroSpanAndDbuRows)
{
    Trace t = At(kT + 3, 10, 512, {433.92, "0HZ/DIV", -20, "3KHZ"});
    t.dBu = true;
    rows.Add(t);  // a separator first: the settings changed
    const std::optional<WaterfallSpot> spot = WaterfallAt(rows, geometry, 60, 20);
    ASSERT_TRUE(spot);
    EXPECT_EQ(WaterfallReadoutText(*spot),
              ClockText(kT + 3) + "  433.920 MHz (zero span: the time within the sweep is not known)  47.1 dBu");
}

TEST_F(WaterfallPointer, AClickMovesTheMarkerOnlyOnARowOfTheDisplaysFrequencies)
{
    MeasurementState display;
    display.centerFreqMHz = "100.000", display.spanCaption = "1MHZ/DIV";
    const WaterfallSpot newest = *WaterfallAt(rows, geometry, 350, 20);
    EXPECT_EQ(MarkerFromWaterfall(rows, newest, display, 2), (MarkerChange{2, "100.980"}));
    EXPECT_EQ(MarkerFromWaterfall(rows, *WaterfallAt(rows, geometry, 100, 26), display, 2), std::nullopt) << "a band";
    display.centerFreqMHz = "100.001";
    EXPECT_EQ(MarkerFromWaterfall(rows, newest, display, 2), std::nullopt);

    const AnalyzerSettings row{123.4567, "1MHZ/DIV", 0, "4MHZ"};
    const std::tuple<const char *, const char *, AnalyzerSettings, bool> cases[] = {
        {"123.457", "1MHZ/DIV", row, true},  // the panel shows the report to three decimals
        {"123.457", " 1mhz/div ", row, true},
        {"123.457", "1MHZ/DIV", {123.4567, "1MHZ/DIV", -30, "30KHZ"}, true},  // levels do not move points
        {"123.456", "1MHZ/DIV", row, false},
        {"123.457", "2MHZ/DIV", row, false},
        {"123.457", "0HZ/DIV", {123.457, "0HZ/DIV", 0, "4MHZ"}, false},
        {"123.457", "0HZ/DIV", {123.457, "", 0, "4MHZ"}, false},  // a span code outside the table
    };
    for (const auto &[center, span, settings, same] : cases) {
        display.centerFreqMHz = center, display.spanCaption = span;
        EXPECT_EQ(SameFrequencies(settings, display), same) << center << " " << span << " " << settings.span;
    }
}

}  // namespace
