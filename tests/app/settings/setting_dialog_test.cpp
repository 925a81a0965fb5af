// The settings dialog: how fields are tidied, what OK applies, Default, and the logo preview.
#include "common/color.h"
#include "panel_fixture.h"
#include "settings/color_widgets.h"
#include "settings/frm_setting.h"
#include "settings/logo_picture.h"
#include "settings/setting_rules.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>

#include <fstream>
#include <sys/stat.h>

using namespace tavrin;
using namespace tavrin::test;

namespace {

TEST(SettingRules, LeftFieldsAreClampedAndWritten)
{
    const struct {
        std::string (*rule)(const std::string &);
        const char *typed;
        const char *shown;
    } cases[] = {{NormalizeFreqStep, "1000", "100.000"},  {NormalizeFreqStep, "0", "0.001"},
                 {NormalizeFreqStep, "2.5", "2.500"},     {NormalizeRecordTime, "abc", "Continuous"},
                 {NormalizeRecordTime, "45", "30.0"},     {NormalizeRecordTime, "2", "2.0"},
                 {NormalizeRecordTime, "-1", "Continuous"}, {NormalizeAverage, "1", "2"},
                 {NormalizeAverage, "2.5", "2"},          {NormalizeAverage, "3.5", "4"},
                 {NormalizeAverage, "1000", "255"},       {NormalizeLevelStep, "0", "0.1"},
                 {NormalizeLevelStep, "12", "10.0"},      {NormalizeInterval, "0.1", "0.2"},
                 {NormalizeInterval, "90", "60.0"},       {NormalizeInterval, "x", "0.2"}};
    for (const auto &c : cases)
        EXPECT_EQ(c.rule(c.typed), c.shown) << c.typed;
    EXPECT_EQ(FloatText(0.1f), "0.1");
    EXPECT_EQ(PaletteColor(0, 0), Rgb(255, 255, 255));
    EXPECT_EQ(PaletteColor(6, 1), Rgb(170, 170, 85));
    EXPECT_EQ(PaletteColor(15, 3), Rgb(0, 0, 0));
    EXPECT_EQ(PaletteColor(2, 4), Rgb(221, 221, 221));
}

class SettingTest : public PanelTest {
protected:
    void Open(bool running)
    {
        if (running) {
            StartSim({"--no-pace"});
        } else {
            home.LinkPort(1, home.Path() + "/absent");
            home.LinkPort(2, home.Path() + "/absent2");
        }
        Load();
        if (running) {
            acq().cmdStart_Click();
            ASSERT_TRUE(acq().Running());
            acq().Timer1().stop();
        }
        dlg = std::make_unique<FrmSetting>(FrmSetting::Deps{settings, dialogs, acq(), dll, display, panel->Screen(),
                                                             [this](int) { return portBusy; }});
    }
    const SettingControls &ui() { return dlg->Controls(); }
    void Leave(QWidget *field, const char *text)
    {
        if (auto *box = qobject_cast<QComboBox *>(field))
            box->setEditText(text);
        else
            static_cast<QLineEdit *>(field)->setText(text);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(field, &out);
    }
    int Pixels(QRgb color)
    {
        const QImage picture = display.Picture().convertToFormat(QImage::Format_RGB32);
        int n = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                n += (picture.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF);
        return n;
    }
    std::unique_ptr<FrmSetting> dlg;
};

TEST_F(SettingTest, OkAppliesEveryFieldAndAPortChangedWhileRunningIsOnlyStored)
{
    Open(true);
    acq().cmdAVG_Click();
    Leave(ui().txtAVG, "7.5");
    Leave(ui().txtFStep, "0.25");
    Leave(ui().cboTime, "abc");
    ui().cboComPort->setEditText("2");
    ui().cboUnit->setEditText(" dBu ");
    ui().txtLStep->setText("11");  // not left: out of range at OK, so unchanged
    ui().cboInterval->setEditText("0.5");
    ui().txtHeader->setText("  Lab 3  ");
    ui().txtShutterDir->setText(" /tmp/shots ");
    dlg->SelectColorBox(4);
    dlg->PaletteColorPicked(Rgb(255, 0, 255));
    EXPECT_EQ(Pixels(qRgb(255, 0, 255)), 0);
    dlg->show();
    dlg->OKButton_Click();

    EXPECT_EQ(settings.AverageCount, 8);
    EXPECT_EQ(acq().Average().Count(), 8) << "the running average restarts over the new count";
    EXPECT_EQ(acq().Average().Fill(), 0);
    EXPECT_TRUE(acq().AveragingOn());
    EXPECT_EQ(settings.FreqStepMHz, 0.25f);
    EXPECT_EQ(settings.LevelStep, 1.0f);
    EXPECT_EQ(settings.RecordTime, "Continuous");
    EXPECT_EQ(settings.RecordInterval, "0.5");
    EXPECT_EQ(settings.Unit, "dBu");
    EXPECT_EQ(settings.ReportHeader, "  Lab 3  ");
    EXPECT_EQ(settings.CaptureDir, "/tmp/shots");
    EXPECT_EQ(settings.Colors.Grid, Rgb(255, 0, 255));
    EXPECT_GT(Pixels(qRgb(255, 0, 255)), 500) << "the graticule is redrawn in the new colour";
    EXPECT_EQ(settings.ComPortSetting, 2);
    EXPECT_EQ(dll.ComPort(), 1) << "while running the new port is only stored";
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(dlg->isVisible());
}

TEST_F(SettingTest, WhileStoppedOkSelectsThePortUnlessAnotherProgramHoldsIt)
{
    Open(false);
    ui().cboComPort->setEditText("2.5");  // halves to even
    portBusy = true;
    dlg->OKButton_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Communication port 2 is used for another application.");
    EXPECT_EQ(dll.ComPort(), 1);
    portBusy = false;
    ui().cboComPort->setEditText("abc");  // ignored: the stored port stays
    dlg->OKButton_Click();
    EXPECT_EQ(dll.ComPort(), 2);
    EXPECT_EQ(settings.ComPortSetting, 2);
}

TEST_F(SettingTest, DefaultRestoresColoursAndCaptureFolderOnly)
{
    Open(false);
    for (int i = 0; i < 7; ++i)
        *ColorAt(settings.Colors, i) = Rgb(85, 85, 85);
    panel->Screen().Redraw();
    ASSERT_EQ(Pixels(qRgb(168, 172, 88)), 0);
    dlg = std::make_unique<FrmSetting>(FrmSetting::Deps{settings, dialogs, acq(), dll, display, panel->Screen(), {}});
    ui().txtHeader->setText("kept");
    dlg->cmdDefault_Click();
    EXPECT_EQ(ui().txtShutterDir->text().toStdString(), folder + "/Working");
    EXPECT_EQ(ui().txtHeader->text(), "kept");
    dlg->OKButton_Click();
    EXPECT_EQ(settings.Colors, DefaultDisplayColors());
    EXPECT_GT(Pixels(qRgb(168, 172, 88)), 500) << "the default grid colour is drawn";
}

TEST_F(SettingTest, ALogoIsTakenAtOnceAndOnlyARealPictureOfSaneSizeIsShown)
{
    Open(false);
    const std::string png = home.Path() + "/logo.png", text = home.Path() + "/notes.jpg",
                      huge = home.Path() + "/huge.gif", fifo = home.Path() + "/pipe.gif";
    QImage picture(400, 100, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    picture.save(QString::fromStdString(png));
    std::ofstream(text) << "not a picture";
    // A GIF that declares a 60000 x 60000 picture, and no pixel data.
    const char gif[] = "GIF89a\x60\xEA\x60\xEA\0\0\0,\0\0\0\0\x60\xEA\x60\xEA\0\x08\0;";
    std::ofstream(huge, std::ios::binary).write(gif, sizeof gif - 1);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(QImageReader(QString::fromStdString(huge)).size(), QSize(60000, 60000));

    EXPECT_EQ(LoadLogoPicture(png, {120, 60}).size(), QSize(120, 30));
    for (const std::string &bad : {text, huge, fifo, home.Path()})
        EXPECT_TRUE(LoadLogoPicture(bad, {120, 60}).isNull()) << bad;

    dialogs.files = {text, std::nullopt, png};
    dlg->cmdLoadLogo_Click();
    EXPECT_EQ(settings.LogoFile, text) << "taken before OK";
    EXPECT_FALSE(dlg->LogoShown());
    dlg->cmdLoadLogo_Click();  // cancelled: nothing changes
    EXPECT_EQ(settings.LogoFile, text);
    dlg->cmdLoadLogo_Click();
    EXPECT_TRUE(dlg->LogoShown());
    EXPECT_EQ(ui().txtFName->text().toStdString(), png);
}

}  // namespace
