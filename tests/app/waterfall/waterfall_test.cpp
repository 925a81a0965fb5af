// The waterfall: colours and columns, the bands between traces, and the window fed by the panel
// (live and played traces) and saved as a PNG file.
#include "support/panel_fixture.h"
#include "waterfall/waterfall_view.h"

#include <QImageReader>

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

}  // namespace
