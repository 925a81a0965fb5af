// The program as main() builds it, started and quit both ways, and the check of a port held by
// another program.
#include "instrument/port_check.h"
#include "instrument/port_diagnosis.h"
#include "shell/help_window.h"
#include "shell/program.h"
#include "shell/qt_dialogs.h"
#include "shell/remote_control.h"
#include "shell/waterfall_window.h"
#include "waterfall/waterfall_view.h"
#include "settings/program_settings.h"
#include "support/panel_fixture.h"
#include "support/pty_peer.h"
#include "support/sim_process.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QInputDialog>
#include <QListView>
#include <QMenu>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QTcpServer>
#include <QTextBrowser>
#include <QProcess>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

// Frame, panel and display shown, activated, then Quit and gone, by the menu and by the panel's
// button: the sanitizer build fails this on a use of a half-destroyed frame or of a deleted
// display. Only the panel's Quit writes the settings.
TEST_F(PanelTest, TheProgramStartsAndQuitsCleanlyAndOnlyThePanelsQuitSaves)
{
    NoInstrument();
    for (bool menu : {true, false}) {
        EXPECT_FALSE(std::filesystem::exists(LogPath())) << "the menu's Quit leaves without saving";
        Program program(dialogs, [](int) { return false; }, [this] { ++quits; });
        program.Start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return program.Panel().Activated(); }, 2000));
        const QLabel *status = program.Frame().findChild<QLabel *>("lblLinkStatus");
        ASSERT_TRUE(status && status->accessibleName() == "Link status");
        EXPECT_EQ(status->text().toStdString(), "COM1: " + home.Path() + "/absent (missing)  |  not connected");
        if (menu)
            program.Frame().findChild<QAction *>("mnuQuit")->trigger();
        else
            QTest::mouseClick(Control(program.Panel(), "cmdQuit"), Qt::LeftButton);
    }
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(std::filesystem::file_size(LogPath()), 2052u);
}

// Screen readers and automated checks find every control by its caption or the label beside it;
// the help window shows the manual built beside the program.
TEST_F(PanelTest, EveryControlIsNamedAndTheManualOpens)
{
    NoInstrument();
    Load();
    QAccessible::setActive(true);
    int controls = 0;
    for (QWidget *w : panel->findChildren<QWidget *>()) {
        if (!qobject_cast<QAbstractButton *>(w) && !qobject_cast<QLineEdit *>(w) && !qobject_cast<QComboBox *>(w))
            continue;
        ++controls;
        EXPECT_FALSE(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).trimmed().isEmpty())
            << w->objectName().toStdString();
    }
    EXPECT_GT(controls, 60);
    EXPECT_EQ(Find<QLineEdit>("txtMKR", 0)->accessibleName(), "Marker 1 frequency");
    HelpWindow help(FindManual(ExecutableFolder()));
    help.OpenAt("settings");
    EXPECT_TRUE(help.Browser()->toPlainText().contains("Settings"));
}

// What the user left is found at the next start: the display where it was placed (the panel,
// which follows, has no entry), the waterfall open from the View menu where it was, and remote
// control switched on from the Setting menu at the same address, counted in the status bar. The
// menu closes the waterfall, and its file entry works only while it is open.
TEST_F(PanelTest, TheProgramKeepsItsWindowsAndRemoteControlBetweenRuns)
{
    NoInstrument();
    QTcpServer probe;  // a free port, so that the next run can take the same one
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const std::string listen = "127.0.0.1:" + std::to_string(probe.serverPort());
    probe.close();
    const QRect display(10, 20, 500, 300), waterfall(30, 340, 500, 260);
    for (int run = 0; run < 2; ++run) {
        Program program(dialogs, [](int) { return false; }, [] {});
        program.Start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return program.Panel().Activated(); }, 2000));
        MainFrame &frame = program.Frame();
        frame.showNormal();
        frame.resize(1000, 700);
        ASSERT_TRUE(QTest::qWaitFor([&] { return frame.size() == QSize(1000, 700); }, 2000));
        auto *toggle = frame.findChild<QAction *>("mnuWaterfall");
        auto *save = frame.findChild<QAction *>("mnuSaveWaterfall");
        auto *label = frame.statusBar()->findChild<QLabel *>("lblRemote");
        ASSERT_TRUE(toggle && save && label);
        EXPECT_EQ(label->accessibleName(), "Remote control");
        if (run == 0) {
            EXPECT_FALSE(save->isEnabled() || toggle->isChecked());
            EXPECT_TRUE(label->isHidden()) << "off by default";
            toggle->trigger();
            frame.DisplaySubWindow()->setGeometry(display);
            program.Waterfall().SubWindow()->setGeometry(waterfall);
            dialogs.forms.push_back(std::vector<std::string>{"On", listen, "127.0.0.1"});
            frame.SettingMenu()->findChild<QAction *>("mnuRemoteControl")->trigger();
        }
        EXPECT_EQ(frame.DisplaySubWindow()->geometry(), display);
        EXPECT_EQ(frame.PanelWindow()->geometry().right() + 1, frame.Area().viewport()->width()) << "the panel follows";
        ASSERT_TRUE(program.Waterfall().SubWindow() && save->isEnabled() && toggle->isChecked());
        EXPECT_EQ(program.Waterfall().SubWindow()->geometry(), waterfall);
        EXPECT_EQ(program.Waterfall().Window()->accessibleName(), "Waterfall");
        EXPECT_TRUE(program.Remote().On() && !label->isHidden());
        EXPECT_EQ(label->text(), "remote: 0 clients");
        if (run == 1) {
            toggle->trigger();
            EXPECT_TRUE(QTest::qWaitFor([&] { return !program.Waterfall().SubWindow(); }, 2000));
            EXPECT_FALSE(save->isEnabled() || toggle->isChecked());
        }
        program.Panel().Quit();
    }
    const ProgramSettings kept = LoadProgramSettings(ProgramSettingsPath(LogPath()));
    EXPECT_EQ(std::tuple(kept.layout.display, kept.layout.panel), std::tuple(Rect{10, 20, 500, 300}, std::nullopt));
    EXPECT_FALSE(kept.waterfall.open);
    EXPECT_EQ(kept.remote, (RemoteControlSettings{true, listen, "127.0.0.1"}));
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text;
}

TEST_F(PanelTest, OurOwnPortIsNotHeldElsewhereButAnotherProgramsIs)
{
    PtyPeer ours;
    home.LinkPort(1, ours.DevicePath());
    SimProcess other;  // another program with a serial device open
    std::string error;
    ASSERT_TRUE(other.Start(2, {"--no-pace"}, error)) << error;
    LibraryInstrument library(TAVRIN_LIBRARY_PATH);
    bool opened = false;
    library.SelectPort(1, [&](const PortSelected &p) { opened = p.opened; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened; }, 3000));
    EXPECT_TRUE(PortInUse(1));
    EXPECT_FALSE(PortHeldElsewhere(1)) << "the library's own port can be selected again";
    EXPECT_FALSE(PortInUse(2));
    EXPECT_FALSE(PortHeldElsewhere(2));
    QProcess holder;  // another program that locks the device as a serial program does
    holder.start("flock", {"-n", QString::fromStdString(home.PortsFolder() + "/COM2"), "sleep", "30"});
    EXPECT_TRUE(QTest::qWaitFor([] { return PortHeldElsewhere(2); }, 3000));
    const PortDiagnosis held = DiagnosePort(2);  // flock has the device open and holds its lock
    EXPECT_EQ(std::tuple(held.cause, held.holder.substr(0, 11)), std::tuple(PortCause::HeldByProgram, "flock (pid "));
    holder.kill();
    holder.waitForFinished();
    home.LinkPort(3, home.Path() + "/absent");
    EXPECT_FALSE(PortInUse(3)) << "a missing device is not in use";
}

// A screen reader names the device chooser's list by what it is, not by the item it stands on.
TEST(QtDialogsTest, AnItemChoosersListIsNamedByItsLabel)
{
    QInputDialog dialog;
    dialog.setComboBoxItems({"/dev/ttyUSB0  \u2014  FTDI", "/dev/ttyS0"});
    dialog.setOption(QInputDialog::UseListViewForComboBoxItems);
    NameItemList(dialog, "Serial devices present (COM1 will lead to the one you choose):");
    const QListView *list = dialog.findChild<QListView *>();
    ASSERT_TRUE(list);
    EXPECT_EQ(list->accessibleName().toStdString(), "Serial devices present (COM1 will lead to the one you choose)");
}

}  // namespace
