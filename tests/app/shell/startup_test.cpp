// The program's real start and end, and what the panel shows and keeps from Tavrin.Log.
#include "measure/frm_crt.h"
#include "panel_fixture.h"
#include "shell/program.h"

#include <QAccessible>
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <fstream>
#include <iterator>

using namespace tavrin;
using namespace tavrin::test;

namespace {

std::vector<char> FileBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Frame, panel and display as main() builds them, shown, activated, then Quit and gone: the
// sanitizer build fails this on a use of a half-destroyed frame or of a deleted display.
TEST_F(PanelTest, TheProgramStartsAndQuitsCleanly)
{
    home.LinkPort(1, home.Path() + "/absent");
    int quits = 0;
    {
        Program program(dialogs, [](int) { return false; }, [&] { ++quits; });
        program.Start();
        for (int i = 0; i < 50 && !program.Panel().Activated(); ++i)
            QTest::qWait(10);
        ASSERT_TRUE(program.Panel().Activated());
        QTest::mouseClick(program.Panel().QuitButton(), Qt::LeftButton);
    }
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(FileBytes(LogPath()).size(), 2052u);
}

// Values outside the settings dialog's ranges and bytes that are not UTF-8 are kept as stored.
TEST_F(PanelTest, LoadThenQuitWritesTheFileBackByteForByte)
{
    home.LinkPort(1, home.Path() + "/absent");
    OperationFile saved = DefaultOperation();
    saved.ComPortSetting = 9;
    saved.AverageCount = -3;
    saved.FreqStepMHz = std::numeric_limits<float>::quiet_NaN();
    saved.LevelStep = 1e30f;
    saved.SavedCenterFreq = "433.920";
    saved.SavedSpan = "0HZ/DIV";
    saved.SavedRefLevel = "-20";
    saved.SavedRbw = "30KHZ";
    saved.SavedMarkers = {"1\xb5", "", "\xe9t\xe9", "", "5"};
    saved.ReportHeader = "Caf\xe9 \xa9";
    saved.CaptureDir = "/tmp/caf\xe9";
    ASSERT_TRUE(SaveOperation(LogPath(), saved));
    const std::vector<char> before = FileBytes(LogPath());
    Load();
    EXPECT_EQ(settings.AverageCount, -3) << "no message, no clamping";
    panel->cmdQuit_Click();
    EXPECT_EQ(FileBytes(LogPath()), before);
}

TEST_F(PanelTest, ASavedReferenceLevelIsRoundedAndSaturated)
{
    home.LinkPort(1, home.Path() + "/absent");
    const std::pair<const char *, const char *> cases[] = {
        {"19.9", "20"}, {"-10.4", "-10"}, {"99999999999", "-30"}, {"-1e300", "-30"}, {"10", "10"}};
    for (auto [stored, shown] : cases) {
        OperationFile saved = DefaultOperation();
        saved.SavedRefLevel = stored;
        ASSERT_TRUE(SaveOperation(LogPath(), saved));
        Load();
        EXPECT_EQ(basicUi().cboRefLevel->currentText().toStdString(), shown) << stored;
    }
}

TEST_F(PanelTest, WithoutAFileCapturesGoToTheProgramsFolder)
{
    home.LinkPort(1, home.Path() + "/absent");
    Load();
    EXPECT_EQ(settings.CaptureDir, folder);
}

TEST_F(PanelTest, TheFirstScreenIsTheEmptyFrameOnLightGrey)
{
    home.LinkPort(1, home.Path() + "/absent");
    Load();
    display.show();
    QTest::qWait(1);
    const QImage picture = display.Picture();
    const QRgb trace = qRgb(0, 255, 0);
    int traceInk = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            traceInk += picture.pixel(x, y) == trace;
    EXPECT_EQ(traceInk, 0) << "no zero trace along the bottom edge";

    panel->resize(panel->sizeHint());
    EXPECT_EQ(panel->grab().toImage().pixel(2, 2), qRgb(238, 238, 238));
}

// Every control a user can reach is named for screen readers and automated checks.
TEST_F(PanelTest, EveryControlHasAnAccessibleName)
{
    home.LinkPort(1, home.Path() + "/absent");
    Load();
    QAccessible::setActive(true);
    int controls = 0;
    for (QWidget *w : panel->findChildren<QWidget *>()) {
        if (!qobject_cast<QAbstractButton *>(w) && !qobject_cast<QLineEdit *>(w) && !qobject_cast<QComboBox *>(w))
            continue;
        ++controls;
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(a, nullptr);
        EXPECT_FALSE(a->text(QAccessible::Name).trimmed().isEmpty()) << w->objectName().toStdString();
    }
    EXPECT_GT(controls, 60);
    const QString start = QAccessible::queryAccessibleInterface(acqUi().cmdStart)->text(QAccessible::Name);
    EXPECT_EQ(start, "Start");
    EXPECT_EQ(markerUi().txtMKR[0]->accessibleName(), "Marker 1 frequency");
    EXPECT_EQ(basicUi().txtCenterFreq->accessibleName(), "Center Frequency");
}

}  // namespace
