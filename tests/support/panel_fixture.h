// The control panel with its display window on a session with the fake analyzer in virtual time,
// the dialogs answered by the test, the program's folder and the ports folder private to the test.
// Controls are found by their names, as a user or an accessibility tool finds them.
#pragma once

#include "common/program_folder.h"
#include "display/display_window.h"
#include "panel/control_panel.h"
#include "session/session.h"
#include "support/fake_dialogs.h"
#include "support/fake_instrument.h"
#include "support/temp_dir.h"
#include "support/virtual_clock.h"
#include "widgets/spinner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

namespace tavrin::test {

using namespace std::chrono_literals;
using Commands = std::vector<std::string>;

template <class T = QPushButton>
T *Control(const QObject &parent, const QString &name)
{
    if (T *found = parent.findChild<T *>(name))
        return found;
    throw std::runtime_error("no control " + name.toStdString());
}

// A COM port with a device that opens: nothing in the system stands in the analyzer's way.
inline PortFacts ReachablePort(int port)
{
    PortFacts f;
    f.port = port;
    f.target = f.device = "/dev/pts/9";
    return f;
}

class PanelTest : public ::testing::Test {
protected:
    PanelTest()
    {
        std::filesystem::create_directories(folder);
        SetProgramFolderOverride(folder);
        display.resize(541, 554);
    }
    ~PanelTest() override
    {
        panel.reset();
        session.reset();
        SetProgramFolderOverride({});
    }

    // A start of the program: a new session, and the panel loaded and activated on it.
    void Load()
    {
        panel.reset();  // the old panel lets go of the display first
        session = std::make_unique<Session>(Session::Deps{fake, clock, [this] { return Wall(); }, ReachablePort,
                                                          [](int, bool) { return std::string("/dev/pts/9"); },
                                                          [this] { return folder + "/Working/limit_failures.csv"; }, {}});
        panel = std::make_unique<ControlPanel>(ControlPanel::Services{*session, dialogs, settings, display, LogPath(),
                                                            [this](int) { return portBusy; }, [this] { ++quits; },
                                                            [this] { return Wall(); }, [this] { ++beeps; }});
        panel->FormLoad();
        panel->FormActivate();
        Settle();
        fake.Sent();
    }
    // The window's posted events (the redraw of this turn among them).
    static void Settle() { QCoreApplication::processEvents(); }
    // Virtual time for the analyzer and the session, then the window's events.
    void Run(std::chrono::milliseconds d)
    {
        clock.Advance(d);
        Settle();
    }
    bool RunUntil(const std::function<bool()> &done, std::chrono::milliseconds limit = 30s)
    {
        const bool held = clock.RunUntil(done, limit);
        Settle();
        return held;
    }
    // Start pressed, and the first trace shown.
    void StartAcquiring()
    {
        const uint64_t before = session->Live() ? session->Live()->seq : 0;
        Click("cmdStart");
        ASSERT_TRUE(RunUntil([&] { return session->Live() && session->Live()->seq > before && session->Line().Running(); }, 2s));
        fake.Sent();
    }
    // COM1 leads to a device that is not there.
    void NoInstrument() { home.LinkPort(1, home.Path() + "/absent"); }
    std::time_t Wall() const { return now ? now : 1700000000 + clock.Ms() / 1000; }
    Commands Sent() { return fake.Sent(); }
    // The four measurement texts as the panel shows them.
    std::string Shown()
    {
        return (Find<QLineEdit>("txtCenterFreq")->text() + "|" + Find<QComboBox>("cboSpan")->currentText() + "|" +
                Find<QComboBox>("cboRefLevel")->currentText() + "|" + Find<QComboBox>("cboRBW")->currentText())
            .toStdString();
    }
    std::string LogPath() const { return folder + "/Tavrin.Log"; }
    template <class T = QPushButton> T *Find(const QString &name) { return Control<T>(*panel, name); }
    template <class T = QPushButton> T *Find(const char *name, size_t n) { return Find<T>(name + QString::number(n)); }
    void Click(const char *button)
    {
        Find(button)->click();
        Settle();
    }
    void Enter(const char *field, const char *text)
    {
        Find<QLineEdit>(field)->setText(text);
        Find<QLineEdit>(field)->setModified(true);
        Return(field);
    }
    void Return(const char *field)
    {
        QTest::keyClick(Find<QLineEdit>(field), Qt::Key_Return);
        Settle();
    }

    TempConfigHome home;
    std::string folder = home.Path() + "/program";
    VirtualClock clock;
    FakeInstrument fake{clock};
    std::time_t now = 0;  // the wall clock when set
    std::unique_ptr<Session> session;  // made by Load
    FakeDialogs dialogs;
    OperationFile settings;
    DisplayWindow display;
    bool portBusy = false;
    int quits = 0;
    int beeps = 0;
    std::unique_ptr<ControlPanel> panel;
};

}  // namespace tavrin::test
