// The control panel with its display window, the dialogs answered by the test, the program's
// folder and the ports folder private to the test. Controls are found by their names, as a user
// or an accessibility tool finds them.
#pragma once

#include "acquisition/acquisition_group.h"
#include "acquisition/basic_group.h"
#include "common/program_folder.h"
#include "display/frm_crt.h"
#include "instrument/tavrin_dll.h"
#include "markers/limit_group.h"
#include "panel/frm_main.h"
#include "record/record_group.h"
#include "support/fake_dialogs.h"
#include "support/pty_peer.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"
#include "widgets/spinner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

namespace tavrin::test {

using Commands = std::vector<std::string>;

template <class T = QPushButton>
T *Control(const QObject &parent, const QString &name)
{
    if (T *found = parent.findChild<T *>(name))
        return found;
    throw std::runtime_error("no control " + name.toStdString());
}

class PanelTest : public ::testing::Test {
protected:
    PanelTest()
    {
        std::filesystem::create_directories(folder);
        SetProgramFolderOverride(folder);
        display.resize(541, 554);
    }
    ~PanelTest() override { SetProgramFolderOverride({}); }

    // The simulator on COMn, logging what it receives (read back with Sent()).
    void StartSim(std::vector<std::string> args, int port = 1)
    {
        args.insert(args.end(), {"--log", log});
        std::string error;
        ASSERT_TRUE(sim.Start(port, args, error)) << error;
    }
    void NoInstrument() { home.LinkPort(1, home.Path() + "/absent"); }
    // A scripted analyzer on COM1: serial 12345, and the trace requests answered with the blocks
    // in turn, the last one repeated (a TraceBlock reports 80 MHz, 10MHZ/DIV, 0 dBm, 4MHZ).
    void StartScripted(std::vector<Bytes> blocks)
    {
        scripted = std::make_unique<PtyPeer>();
        scripted->SetResponder([traces = PtyPeer::Traces(std::move(blocks))](uint8_t b, const Bytes &so_far) {
            return b == 'j' ? ToBytes("12345") : traces(b, so_far);
        });
        home.LinkPort(1, scripted->DevicePath());
    }
    void Load()
    {
        panel.reset();  // the old panel lets go of the display first
        panel = std::make_unique<FrmMain>(FrmMain::Services{dll, dialogs, settings, display, LogPath(),
                                                            [this](int) { return portBusy; }, [this] { ++quits; },
                                                            [this] { return now ? now : std::time(nullptr); },
                                                            [this] { ++beeps; }, [this] { return seconds; }});
        panel->FormLoad();
        panel->FormActivate();
    }
    // The commands the simulator received since the last call.
    Commands Sent()
    {
        const Commands all = LoggedCommands(log);
        Commands recent(all.begin() + static_cast<long>(std::min(mark, all.size())), all.end());
        mark = all.size();
        return recent;
    }
    // The four measurement texts as the panel shows them.
    std::string Shown()
    {
        return (Find<QLineEdit>("txtCenterFreq")->text() + "|" + Find<QComboBox>("cboSpan")->currentText() + "|" +
                Find<QComboBox>("cboRefLevel")->currentText() + "|" + Find<QComboBox>("cboRBW")->currentText())
            .toStdString();
    }
    std::string LogPath() const { return folder + "/Tavrin.Log"; }
    AcquisitionGroup &acq() { return panel->Acquisition(); }
    BasicGroup &basic() { return panel->Basic(); }
    template <class T = QPushButton> T *Find(const QString &name) { return Control<T>(*panel, name); }
    template <class T = QPushButton> T *Find(const char *name, size_t n) { return Find<T>(name + QString::number(n)); }
    void Click(const char *button) { Find(button)->click(); }
    void Enter(const char *field, const char *text) { Find<QLineEdit>(field)->setText(text), Return(field); }
    void Return(const char *field) { QTest::keyClick(Find<QLineEdit>(field), Qt::Key_Return); }
    QTimer &timer1() { return *Find<QTimer>("Timer1"); }

    TempConfigHome home;
    std::string folder = home.Path() + "/program", log = home.Path() + "/rx.log";
    size_t mark = 0;
    SimProcess sim;
    std::unique_ptr<PtyPeer> scripted;
    FakeDialogs dialogs;
    TavrinDLL dll{dialogs};
    OperationFile settings;
    FrmCRT display;
    bool portBusy = false;
    int quits = 0;
    std::time_t now = 0;  // the panel's clock when set
    int beeps = 0;
    double seconds = 0;  // the panel's steady clock
    std::unique_ptr<FrmMain> panel;
};

}  // namespace tavrin::test
