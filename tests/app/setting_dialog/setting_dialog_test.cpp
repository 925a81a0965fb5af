// The settings dialog: how fields are tidied, what OK applies, Default, and the logo.
#include "common/color.h"
#include "display/logo_picture.h"
#include "setting_dialog/settings_dialog.h"
#include "setting_dialog/setting_rules.h"
#include "support/panel_fixture.h"
#include "support/pty_peer.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QImage>
#include <QLabel>

#include <algorithm>
#include <fstream>
#include <tuple>
#include <sys/stat.h>

using namespace tavrin;
using namespace tavrin::test;

namespace {

TEST(SettingRules, LeftFieldsAreClampedAndWrittenAndThePaletteHasItsColours)
{
    const std::tuple<std::string (*)(const std::string &), const char *, const char *> cases[] = {
        {NormalizeFreqStep, "1000", "100.000"}, {NormalizeFreqStep, "0", "0.001"}, {NormalizeRecordTime, "45", "30.0"},
        {NormalizeRecordTime, "2", "2.0"},      {NormalizeAverage, "1", "2"},      {NormalizeAverage, "2.5", "2"},
        {NormalizeAverage, "3.5", "4"},         {NormalizeAverage, "1000", "255"}, {NormalizeLevelStep, "0", "0.1"},
        {NormalizeLevelStep, "12", "10.0"},     {NormalizeInterval, "0.1", "0.2"}, {NormalizeInterval, "90", "60.0"},
        {NormalizeRecordTime, "abc", "Continuous"}};
    for (auto [rule, typed, shown] : cases)
        EXPECT_EQ(rule(typed), shown) << typed;
    EXPECT_EQ(FloatText(0.1f), "0.1");
    EXPECT_EQ(std::tuple(PaletteColor(0, 0), PaletteColor(6, 1), PaletteColor(2, 4)),
              std::tuple(Rgb(255, 255, 255), Rgb(170, 170, 85), Rgb(221, 221, 221)));
}

class SettingTest : public PanelTest {
protected:
    void Open(bool running)
    {
        home.LinkPort(2, home.Path() + "/absent2");
        Load();
        if (running)
            StartAcquiring();
        Reopen();
    }
    void Reopen()
    {
        dlg = std::make_unique<SettingsDialog>(
            SettingsDialog::Deps{settings, dialogs, *session, display, [this](int) { return portBusy; }});
    }
    template <class T = QPushButton> T *Ui(const char *name) { return Control<T>(*dlg, name); }
    void Leave(QLineEdit *field, const char *text)
    {
        field->setText(text);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(field, &out);
    }
    long Pixels(QRgb color)
    {
        const QImage picture = display.Picture().convertToFormat(QImage::Format_RGB32);
        const QRgb *first = reinterpret_cast<const QRgb *>(picture.constBits());
        return std::count(first, first + picture.width() * picture.height(), color);
    }
    std::unique_ptr<SettingsDialog> dlg;
};

TEST_F(SettingTest, OkAppliesEveryFieldAndAPortChangedWhileRunningIsOnlyStored)
{
    Open(true);
    Click("cmdAVG");
    Leave(Ui<QLineEdit>("txtAVG"), "7.5");
    Leave(Ui<QLineEdit>("txtFStep"), "0.25");
    Ui<QLineEdit>("txtLStep")->setText("11");  // not left: out of range at OK, so unchanged
    Ui<QComboBox>("cboComPort")->setEditText("2");
    Ui<QComboBox>("cboUnit")->setEditText(" dBu ");
    Ui<QComboBox>("cboInterval")->setEditText("0.5");
    Ui<QComboBox>("cboTime")->setEditText("Continuous");
    Ui<QLineEdit>("txtHeader")->setText("  Lab 3  ");
    Ui<QLineEdit>("txtShutterDir")->setText(" /tmp/shots ");
    dlg->SelectColorBox(4);
    dlg->PaletteColorPicked(Rgb(255, 0, 255));
    dlg->show();
    Ui("OKButton")->click();

    EXPECT_EQ(std::tuple(settings.AverageCount, session->Average().Count(), session->Average().Fill(), session->AveragingOn()),
              std::tuple(int16_t{8}, 8, 0, true)) << "the running average restarts over the new count";
    EXPECT_EQ(std::tuple(settings.FreqStepMHz, settings.LevelStep, settings.RecordTime, settings.RecordInterval),
              std::tuple(0.25f, 1.0f, "Continuous", "0.5"));
    EXPECT_EQ(std::tuple(settings.Unit, settings.ReportHeader, settings.CaptureDir),
              std::tuple("dBu", "  Lab 3  ", "/tmp/shots"));
    EXPECT_EQ(settings.Colors.Grid, Rgb(255, 0, 255));
    EXPECT_GT(Pixels(qRgb(255, 0, 255)), 500) << "the graticule is redrawn in the new colour";
    EXPECT_EQ(settings.ComPortSetting, 2);
    EXPECT_EQ(fake.Port(), 1) << "while running the new port is only stored";
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(dlg->isVisible());
}

// Default restores the colours and the capture folder only; OK while stopped selects the port
// unless another program holds it.
TEST_F(SettingTest, DefaultAndThePortWhileStopped)
{
    Open(false);
    EXPECT_EQ(Pixels(qRgb(0, 255, 0)), 0) << "before the first trace none is drawn, not even a zero one";
    for (int i = 0; i < 7; ++i)
        *ColorAt(settings.Colors, i) = Rgb(85, 85, 85);
    Reopen();
    Ui<QLineEdit>("txtHeader")->setText("kept");
    Ui("cmdDefault")->click();
    EXPECT_EQ(Ui<QLineEdit>("txtShutterDir")->text().toStdString(), folder + "/Working");
    Ui<QComboBox>("cboComPort")->setEditText("2.5");  // halves to even
    portBusy = true;
    Ui("OKButton")->click();
    EXPECT_EQ(settings.Colors, DefaultDisplayColors());
    EXPECT_EQ(settings.ReportHeader, "kept");
    EXPECT_GT(Pixels(qRgb(168, 172, 88)), 500) << "the default grid colour is drawn";
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Communication port 2 is used for another application.");
    EXPECT_EQ(fake.Port(), 1);
    portBusy = false;
    Ui<QComboBox>("cboComPort")->setEditText("abc");  // ignored: the stored port stays
    Ui("OKButton")->click();
    EXPECT_EQ(fake.Port(), 2);
    EXPECT_EQ(settings.ComPortSetting, 2);
}

// "Device..." lists a pseudo-terminal registered as a COM port (as the simulator's is) among the
// serial devices present; choosing it points the COM port of the box at it, and the port is
// selected at once. The list offers first the device the port leads to.
TEST_F(SettingTest, TheDeviceChooserLinksTheComPortAndSelectsIt)
{
    PtyPeer line;
    home.LinkPort(3, line.DevicePath());
    Open(false);
    const std::string pty = std::filesystem::read_symlink(home.PortsFolder() + "/COM3");
    auto shown = [&] { return Ui<QLabel>("lblComDevice")->text().toStdString(); };
    Ui<QComboBox>("cboComPort")->setEditText("2");
    EXPECT_EQ(shown(), "leads to " + home.Path() + "/absent2 (missing)");
    size_t listed = 0, simulator = 0;
    dialogs.chooseItem = [&](const std::vector<std::string> &items) -> std::optional<size_t> {
        listed = items.size();
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i] == pty + "  \u2014  pseudo-terminal registered as COM3 (simulator)")
                return simulator = i;
        return std::nullopt;
    };
    Ui("cmdDevice")->click();
    EXPECT_EQ(std::filesystem::read_symlink(home.PortsFolder() + "/COM2"), pty);
    EXPECT_EQ(shown(), "leads to " + pty);
    EXPECT_EQ(std::tuple(settings.ComPortSetting, fake.Port()), std::tuple(2, 2));
    dialogs.chooseItem = nullptr;  // cancelled: the link stays
    Ui("cmdDevice")->click();
    EXPECT_EQ(dialogs.offered, (std::vector<size_t>{listed, simulator})) << "none at first, then the simulator's";
    EXPECT_EQ(std::filesystem::read_symlink(home.PortsFolder() + "/COM2"), pty);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SettingTest, ALogoIsTakenAtOnceAndOnlyARealPictureFileIsShown)
{
    Open(false);
    const std::string png = home.Path() + "/logo.png", text = home.Path() + "/notes.jpg",
                      fifo = home.Path() + "/pipe.gif";
    QImage picture(400, 100, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    picture.save(QString::fromStdString(png));
    std::ofstream(text) << "not a picture";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string big = home.Path() + "/big.png";
    std::filesystem::copy_file(png, big);
    std::filesystem::resize_file(big, kLogoMaxBytes + 1);

    EXPECT_EQ(LoadLogoPicture(png, {120, 60}).size(), QSize(120, 30));
    for (const std::string &bad : {text, fifo, big, home.Path()})
        EXPECT_TRUE(LoadLogoPicture(bad, {120, 60}).isNull()) << bad;

    dialogs.files = {std::nullopt, png};
    Ui("cmdLoadLogo")->click();  // cancelled: nothing changes
    EXPECT_EQ(settings.LogoFile, "");
    Ui("cmdLoadLogo")->click();
    EXPECT_EQ(settings.LogoFile, png) << "taken before OK";
    EXPECT_TRUE(dlg->LogoShown());
    EXPECT_TRUE(dialogs.messages.empty());
    dialogs.files = {fifo};
    Ui("cmdLoadLogo")->click();  // refused at once, saying what it is
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find(fifo + " is a FIFO (named pipe), not a file"), std::string::npos);
}

}  // namespace
