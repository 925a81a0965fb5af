// Shutter and Print on the panel against tavrin-sim: the JPEG file and the PDF report.
#include "output/output_group.h"
#include "panel_fixture.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using namespace tavrin;
using namespace tavrin::test;

namespace {

bool Green(QColor c) { return c.green() > 180 && c.red() < 110 && c.blue() < 110; }
// The marker colour; a JPEG smears its thin lines into dark reds.
bool Red(QColor c) { return c.red() > c.green() + 40 && c.red() > c.blue() + 40; }
bool Blue(QColor c) { return c.blue() > 180 && c.red() < 80 && c.green() < 80; }

int Count(const QImage &image, QRect area, bool (*match)(QColor))
{
    int n = 0;
    area = area.normalized().intersected(image.rect());
    for (int i = 0; i < area.width() * area.height(); ++i)
        n += match(image.pixelColor(area.left() + i % area.width(), area.top() + i / area.width()));
    return n;
}

std::string Poppler(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(30000)) << program.toStdString() << " (poppler-utils) did not run";
    return p.readAllStandardOutput().toStdString();
}

class OutputTest : public PanelTest {
protected:
    void SetUp() override
    {
        QDir().mkpath(out);
        QDir().mkpath(tmp);
        qputenv("TMPDIR", tmp.toLocal8Bit());  // where the capture's bitmap goes
        display.show();  // the labels take their size from the shown window
        StartSim({"--no-pace"});
        Load();
        acq().cmdStart_Click();  // a trace, then stopped
        acq().Timer1_Timer();
        acq().cmdStart_Click();
        ASSERT_TRUE(acq().HasTrace());
    }
    void TearDown() override { oldTmp ? qputenv("TMPDIR", *oldTmp) : qunsetenv("TMPDIR"); }
    void Mark(bool on, const char *freq)  // marker 1
    {
        markerUi().chkMKR[0]->setChecked(on);
        markerUi().txtMKR[0]->setText(freq);
    }
    void PrintTo(const QString &pdf)  // the print dialog's PDF printer
    {
        dialogs.printerSetUp = [pdf](QPrinter &p) { p.setOutputFileName(pdf); return true; };
        panel->Output().cmdPrint_Click();
    }
    QStringList TmpFiles() const { return QDir(tmp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden); }

    QString out = QString::fromStdString(home.Path()) + "/out", tmp = QString::fromStdString(home.Path()) + "/tmp";
    std::optional<QByteArray> oldTmp =
        qEnvironmentVariableIsSet("TMPDIR") ? std::optional(qgetenv("TMPDIR")) : std::nullopt;
    // 5 December 2026, 22:13:00: the time a played record entry leaves as the screen's time.
    std::time_t played = QDateTime(QDate(2026, 12, 5), QTime(22, 13)).toSecsSinceEpoch();
};

TEST_F(OutputTest, CaptureIsTheWindowsPictureWithTheLabelsOfTickedMarkersOnTheScreen)
{
    settings.CaptureDir = out.toStdString();
    // Marker 1 shown at 80 MHz, then changed without a redraw; the same screen time each time.
    const std::tuple<bool, const char *, bool, QString> cases[] = {{true, "80", true, "20261205_221300.jpg"},
                                                                   {false, "80", false, "20261205_221300_2.jpg"},
                                                                   {true, "500", false, "20261205_221300_3.jpg"}};
    for (const auto &[ticked, freq, labelCopied, file] : cases) {
        Mark(true, "80");
        panel->Screen().Redraw();
        Mark(ticked, freq);
        acq().ScreenTime() = played;
        panel->Output().cmdShutter_Click();
        const QImage jpeg(out + "/" + file);
        ASSERT_FALSE(jpeg.isNull()) << file.toStdString();
        EXPECT_EQ(jpeg.size(), display.size());
        const QPoint trace = display.ToDevice(100, acq().Live()[100]).toPoint();
        EXPECT_GT(Count(jpeg, QRect(trace - QPoint(2, 2), QSize(5, 5)), Green), 0) << file.toStdString();
        EXPECT_EQ(Count(jpeg, display.Label(0)->geometry(), Red) > 4, labelCopied) << file.toStdString();
    }
    EXPECT_DOUBLE_EQ(panel->Markers().Readings()[0].freqMHz, 500) << "the reading follows the typed frequency";
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(TmpFiles().isEmpty()) << TmpFiles().join(' ').toStdString();
}

TEST_F(OutputTest, ACaptureOrPrintThatFailsSaysWhichFileAndACancelIsSilent)
{
    QFile(out + "/plain").open(QIODevice::WriteOnly);
    const std::pair<QString, std::string> cases[] = {
        {out + "/missing", "Directory Error!"},
        {" " + out + "/plain ",
         "The screen could not be saved as " + out.toStdString() + "/plain/20261205_221300.jpg: "},
        {"/proc", "The screen could not be saved as /proc/20261205_221300.jpg: "},
    };
    for (const auto &[folder, text] : cases) {
        settings.CaptureDir = folder.toStdString();
        acq().ScreenTime() = played;
        panel->Output().cmdShutter_Click();
        ASSERT_FALSE(dialogs.messages.empty()) << text;
        EXPECT_EQ(dialogs.messages.back().title, "Warning");
        EXPECT_EQ(dialogs.messages.back().text.substr(0, text.size()), text);
    }
    EXPECT_TRUE(TmpFiles().isEmpty()) << TmpFiles().join(' ').toStdString();
    panel->Output().cmdPrint_Click();  // the dialog answers cancel
    PrintTo("/proc/report.pdf");
    ASSERT_EQ(dialogs.messages.size(), 4u);
    EXPECT_EQ(dialogs.messages.back().text, "The report could not be printed to /proc/report.pdf.");
}

TEST_F(OutputTest, ReportIsOnePdfPageWithScreenLabelsLogoAndHeader)
{
    QImage logo(40, 115, QImage::Format_RGB32);
    logo.fill(Qt::blue);
    ASSERT_TRUE(logo.save(out + "/logo.png"));
    settings.LogoFile = " " + out.toStdString() + "/logo.png ";
    settings.ReportHeader = "  Field test \xB5W  ";  // single bytes, as the settings keep them
    Mark(true, "80");
    panel->Screen().Redraw();
    PrintTo(out + "/report.pdf");
    EXPECT_TRUE(dialogs.messages.empty());
    const std::string text = Poppler("pdftotext", {out + "/report.pdf", "-"});
    EXPECT_NE(text.find("Field test \u00B5W"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 1) << "one page";
    Poppler("pdftoppm", {"-r", "100", "-png", "-singlefile", out + "/report.pdf", out + "/page"});
    const QImage page(out + "/page.png");
    auto at = [&](double x, double y) {
        return QPoint(qRound((x + 200) / 900 * page.width()), qRound((1500 - y) / 3500 * page.height()));
    };
    EXPECT_GT(Count(page, QRect(at(-20, 1350), at(60, 1120)), Blue), 100) << "the logo";
    EXPECT_GT(Count(page, QRect(at(0, 1023), at(498, 0)), Green), 100) << "the trace on the graticule";
    EXPECT_EQ(Count(page, QRect(at(-200, -450), at(700, -2000)), Green), 0) << "nothing below the screen";
    const QPointF label = display.ToScreen(display.Label(0)->pos());
    const QRect onPage(at(label.x(), label.y()), at(label.x() + 2 * display.HalfWidth(), label.y() - display.Height()));
    EXPECT_GT(Count(page, onPage, Red), 0);
    EXPECT_EQ(page.pixelColor(onPage.topLeft() + QPoint(1, 1)), QColor(Qt::white)) << "labels print on white";
    EXPECT_EQ(display.Label(0)->pixmap().toImage().pixelColor(0, 0), QColor(Qt::black)) << "and come back";
}

}  // namespace
