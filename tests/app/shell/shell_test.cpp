// The main frame's menu and windows, the manual, and the port checks the shell relies on.
#include "instrument/port_check.h"
#include "panel_fixture.h"
#include "settings/frm_setting.h"
#include "shell/about_box.h"
#include "shell/help_window.h"
#include "shell/program.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QTextBrowser>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <regex>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tavrin;
using namespace tavrin::test;

namespace {

class ShellTest : public PanelTest {
protected:
    void StartProgram()
    {
        home.LinkPort(1, home.Path() + "/absent");
        program = std::make_unique<Program>(dialogs, [](int) { return false; }, [] {});
        program->Start();
        for (int i = 0; i < 50 && !program->Panel().Activated(); ++i)
            QTest::qWait(10);
        ASSERT_TRUE(program->Panel().Activated());
    }
    void Menu(const char *name) { program->Frame().findChild<QAction *>(name)->trigger(); }
    std::unique_ptr<Program> program;
};

TEST_F(ShellTest, MenuQuitLeavesWithoutSaving)
{
    StartProgram();
    Menu("mnuQuit");
    program.reset();
    EXPECT_FALSE(std::filesystem::exists(LogPath())) << "only the panel's Quit writes Tavrin.Log";
}

TEST_F(ShellTest, MenuWindowsOpenOnceAndHelpOpensAtTheActiveWindowsSection)
{
    StartProgram();
    MdiMain &frame = program->Frame();
    Menu("mnuSetting");
    Menu("mnuSetting");
    EXPECT_EQ(frame.Area().findChildren<FrmSetting *>().size(), 1);
    EXPECT_EQ(frame.Area().activeSubWindow()->widget()->objectName(), "frmSetting");

    Menu("mnuAboutMe");
    Menu("mnuAboutMe");
    const auto abouts = frame.findChildren<FrmAbout *>();
    ASSERT_EQ(abouts.size(), 1);
    EXPECT_EQ(abouts[0]->windowTitle(), "About TavrinRemote");
    EXPECT_EQ(abouts[0]->lblVersion->text(), "Version : 2.0.0");
    QDialog *system = abouts[0]->StartSysInfo();
    EXPECT_TRUE(system->findChild<QWidget *>()->isVisible());

    Menu("munHelp");
    const auto helps = frame.findChildren<HelpWindow *>();
    ASSERT_EQ(helps.size(), 1);
    EXPECT_EQ(helps[0]->Browser()->source().fragment(), "settings");
    EXPECT_TRUE(helps[0]->Browser()->toPlainText().contains("Shutter Directory"));
    EXPECT_TRUE(dialogs.messages.empty());
}

// Every link inside the manual leads somewhere, and the sections the shell opens exist.
TEST(Manual, EveryInternalLinkHasItsAnchor)
{
    const std::string path = FindManual(ExecutableFolder());
    ASSERT_FALSE(path.empty());
    std::ifstream in(path);
    const std::string html{std::istreambuf_iterator<char>(in), {}};
    std::set<std::string> anchors, links = {"contents", "panel", "display", "settings"};
    const std::regex name("name=\"([^\"]+)\""), href("href=\"#([^\"]+)\"");
    for (std::sregex_iterator i(html.begin(), html.end(), name), end; i != end; ++i)
        anchors.insert((*i)[1]);
    for (std::sregex_iterator i(html.begin(), html.end(), href), end; i != end; ++i)
        links.insert((*i)[1]);
    for (const std::string &link : links)
        EXPECT_TRUE(anchors.count(link)) << link;
    EXPECT_GT(links.size(), 20u);
}

// A child process that holds a device the way a program does, until it is killed.
pid_t HoldInChild(const std::string &path)
{
    int ready[2];
    if (pipe(ready) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
        const bool held = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0;
        if (write(ready[1], held ? "1" : "0", 1) != 1 || !held)
            _exit(1);
        pause();
        _exit(0);
    }
    char answer = '0';
    if (read(ready[0], &answer, 1) != 1 || answer != '1') {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return -1;
    }
    close(ready[0]);
    close(ready[1]);
    return pid;
}

TEST_F(PanelTest, OurOwnPortIsNotHeldElsewhereButAnotherProgramsIs)
{
    StartSim({"--no-pace"});
    SimProcess other;
    std::string error;
    ASSERT_TRUE(other.Start(2, {"--no-pace"}, error)) << error;
    dll.SelectComPort(1);
    EXPECT_TRUE(PortInUse(1));
    EXPECT_FALSE(PortHeldElsewhere(1)) << "the library's own port can be selected again";
    EXPECT_FALSE(PortHeldElsewhere(2));
    const pid_t holder = HoldInChild(home.PortsFolder() + "/COM2");
    ASSERT_GT(holder, 0);
    EXPECT_TRUE(PortHeldElsewhere(2));
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
}

TEST_F(PanelTest, APortWithoutPermissionSaysHowToGetIt)
{
    const std::string device = home.Path() + "/ttyLocked";
    std::ofstream(device).put('x');
    chmod(device.c_str(), 0);
    chmod(home.Path().c_str(), 0755);
    home.LinkPort(1, device);
    home.LinkPort(2, home.Path() + "/absent");
    EXPECT_FALSE(PortPermissionProblem(2)) << "a missing port is a plain communication error";
    // Root may open anything: the check runs as an ordinary user in a child process.
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && setuid(65534) != 0)
            _exit(2);
        const auto message = PortPermissionProblem(1);
        _exit(message && message->find("dialout") != std::string::npos && message->find(device) != std::string::npos
                  ? 0 : 1);
    }
    int status = -1;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    chmod(device.c_str(), 0600);
}

}  // namespace
