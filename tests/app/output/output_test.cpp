// What the panel puts out: the tracking generator's entries and the commands each action sends,
// and Shutter and Print with the JPEG file and what a failing capture or print says.
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QPrinter>
#include <QProcess>

#include "support/panel_fixture.h"
#include "tg/tg_group.h"

using namespace tavrin;
using namespace tavrin::test;

namespace {

TEST(TGEntry, ClampedThenRoundedHalvesToEven)
{
    struct Case { const char *typed, *level, *offset; };
    const Case cases[] = {{"5", "0", "5"},   {"-75", "-59", "-75"}, {"-12.5", "-12", "-12"},  {"-13.5", "-14", "-14"},
                          {"abc", "0", "0"}, {"150", "0", "99"},    {"-100.4", "-59", "-99"}, {"20.6", "0", "21"}};
    for (const auto &c : cases) {
        EXPECT_EQ(NormalizeTGText(c.typed, -59, 0), c.level) << c.typed;
        EXPECT_EQ(NormalizeTGText(c.typed, -99, 99), c.offset) << c.typed;
    }
}

TEST_F(PanelTest, EachTrackingGeneratorActionSendsItsCommandsInOrder)
{
    Load();
    auto sent = [&] {
        RunUntil([&] { return !session->Line().JobsPending(); }, 5s);
        return Sent();
    };
    Click("cmdTGMode");
    EXPECT_EQ(sent(), Commands{"GEN:DISP"});
    EXPECT_EQ(Find("cmdTGMode")->text(), "SA  Mode");
    EXPECT_TRUE(Find("cmdTGON")->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>("txtCenterFreq")->isEnabled());
    EXPECT_FALSE(Find<Spinner>("updSpan")->isEnabled());

    Enter("txtTGLevel", "-12.5");
    EXPECT_EQ(sent(), (Commands{"GEN:DISP", "GEN:LEV -12", "GEN:OFF +00"})) << "output off: no output-on command";
    Click("cmdNormal");
    EXPECT_EQ(sent(), Commands{}) << "Normalize does nothing while the output is off";
    Click("cmdTGON");
    EXPECT_EQ(Find("cmdTGON")->text(), "OFF");
    EXPECT_EQ(sent(), (Commands{"GEN:DISP", "GEN:MDE ON", "GEN:LEV -12", "GEN:OFF +00"}));
    Click("cmdNormal");
    EXPECT_EQ(sent(), Commands{"GEN:NRM"});
    Find<Spinner>("updTGOffset")->ClickUp();
    EXPECT_EQ(sent(), (Commands{"GEN:DISP", "GEN:MDE ON", "GEN:LEV -12", "GEN:OFF +01"}));
    // A level typed without Enter goes out as its normalised value, never as -5 for +5.
    Find<QLineEdit>("txtTGLevel")->setText("5");
    emit Find<Spinner>("updTGLevel")->releasedOffArrow();  // released beside the arrow
    EXPECT_EQ(sent(), (Commands{"GEN:DISP", "GEN:MDE ON", "GEN:LEV -00", "GEN:OFF +01"}));

    Click("cmdTGMode");  // leaving with the output on: off first
    EXPECT_EQ(sent(), (Commands{"GEN:MDE OFF", "GEN:EXIT"}));
    EXPECT_EQ(Find("cmdTGON")->text(), "ON");
    EXPECT_EQ(Find("cmdTGMode")->text(), "TG Mode");
    EXPECT_FALSE(Find("cmdNormal")->isEnabled());
    EXPECT_TRUE(Find<Spinner>("updRBW")->isEnabled()) << "enabled whatever the span until the span moves";

    // Clicks while the commands before them are still on the line go out after them, whole.
    Click("cmdTGMode");
    Click("cmdTGON");
    Click("cmdTGON");
    EXPECT_EQ(sent(), (Commands{"GEN:DISP", "GEN:DISP", "GEN:MDE ON", "GEN:LEV -00", "GEN:OFF +01", "GEN:MDE OFF"}));
    EXPECT_FALSE(session->Generator().Output());
}

// A capture into a folder that is missing, is a file or cannot be written, then one that works,
// at the screen time of the last drawing (5 December 2026, 22:13:00); the capture's
// bitmap is never left behind.
TEST_F(PanelTest, ACaptureOrPrintThatFailsSaysWhichFileAndACancelIsSilent)
{
    const QString out = QString::fromStdString(home.Path()), tmp = out + "/tmp";
    QDir().mkpath(tmp);
    ScopedEnv tmpdir("TMPDIR", tmp.toLocal8Bit().constData());
    display.show();  // the labels take their size from the shown window
    Load();
    now = QDateTime(QDate(2026, 12, 5), QTime(22, 13)).toSecsSinceEpoch();
    StartAcquiring();  // a trace, then stopped
    Click("cmdStart");
    now = 0;  // the screen keeps the time of the trace it shows
    QFile(out + "/plain").open(QIODevice::WriteOnly);
    const std::pair<QString, std::string> cases[] = {
        {out + "/missing", "Directory Error!"},
        {" " + out + "/plain ", "The screen could not be saved as " + out.toStdString() + "/plain/20261205_221300.jpg: "},
        {"/proc", "The screen could not be saved as /proc/20261205_221300.jpg: "},
        {out, ""}};
    for (const auto &[folder, text] : cases) {
        const size_t before = dialogs.messages.size();
        settings.CaptureDir = folder.toStdString();
        Click("cmdShutter");
        const std::string said = dialogs.messages.size() > before ? dialogs.messages.back().text : "";
        EXPECT_EQ(said.substr(0, text.size()), text);
        EXPECT_EQ(said.empty(), text.empty()) << said;
    }
    EXPECT_EQ(dialogs.messages.back().title, "Warning");
    const QImage jpeg(out + "/20261205_221300.jpg");
    EXPECT_EQ(jpeg.size(), display.size());
    int green = 0;  // the trace colour, within the JPEG's error
    for (int x = 0; x < jpeg.width(); ++x)
        for (int y = 0; y < jpeg.height(); ++y) {
            const QColor c = jpeg.pixelColor(x, y);  // not the cyan of the texts
            green += c.green() > 200 && c.red() < 80 && c.blue() < 80;
        }
    EXPECT_GT(green, 50);
    Click("cmdShutter");
    EXPECT_TRUE(QFile::exists(out + "/20261205_221300_2.jpg")) << "a second capture keeps the first";
    EXPECT_EQ(QDir(tmp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    Click("cmdPrint");  // the dialog answers cancel
    dialogs.printerSetUp = [](QPrinter &p) { p.setOutputFileName("/proc/report.pdf"); return true; };
    Click("cmdPrint");
    ASSERT_EQ(dialogs.messages.size(), 4u);
    EXPECT_EQ(dialogs.messages.back().text, "The report could not be printed to /proc/report.pdf.");
    const auto labels = [&] {  // the marker labels on screen, as drawn
        std::vector<QImage> images;
        for (const QLabel *label : display.findChildren<QLabel *>())
            images.push_back(label->pixmap().toImage());
        return images;
    };
    const std::vector<QImage> onScreen = labels();
    ASSERT_FALSE(onScreen.empty());
    EXPECT_EQ(onScreen[0].pixelColor(0, 0), QColor(0, 0, 0)) << "the display's background";
    settings.ReportHeader = "  Site 4 sweep  ";
    dialogs.printerSetUp = [&](QPrinter &p) { p.setOutputFileName(out + "/report.pdf"); return true; };
    Click("cmdPrint");
    QProcess text;
    text.start("pdftotext", {"-layout", out + "/report.pdf", "-"});
    ASSERT_TRUE(text.waitForFinished(10000));
    const QString page = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(page.contains("Site 4 sweep") && page.contains("NORVALE")) << page.toStdString();
    EXPECT_EQ(page.count('\f'), 1) << "one page";
    EXPECT_EQ(labels(), onScreen) << "the report's white labels are its own";
}

}  // namespace
