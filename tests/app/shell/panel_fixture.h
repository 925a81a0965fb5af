// The control panel with its display window, the dialogs answered by the test, the program's
// folder and the ports folder private to the test.
#pragma once

#include "common/program_folder.h"
#include "instrument/tavrin_dll.h"
#include "measure/frm_crt.h"
#include "markers/limit_group.h"
#include "markers/marker_group.h"
#include "measure/acquisition_group.h"
#include "measure/basic_group.h"
#include "measure/frm_main.h"
#include "measure/screen_assembly.h"
#include "record/record_group.h"
#include "measure/spinner.h"
#include "support/fake_dialogs.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"
#include "support/test_util.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace tavrin::test {

class PanelTest : public ::testing::Test {
protected:
    PanelTest()
    {
        folder = home.Path() + "/program";
        std::filesystem::create_directories(folder);
        SetProgramFolderOverride(folder);
        display.resize(541, 554);
    }
    ~PanelTest() override { SetProgramFolderOverride({}); }

    void StartSim(const std::vector<std::string> &args, int port = 1)
    {
        std::string error;
        ASSERT_TRUE(sim.Start(port, args, error)) << error;
    }
    void Load()
    {
        panel.reset();  // the old panel lets go of the display first
        panel = std::make_unique<FrmMain>(FrmMain::Services{dll, dialogs, settings, display, LogPath(),
                                                            [this](int) { return portBusy; }, [this] { ++quits; }});
        panel->FormLoad();
        panel->FormActivate();
    }
    std::string LogPath() const { return folder + "/Tavrin.Log"; }
    AcquisitionGroup &acq() { return panel->Acquisition(); }
    BasicGroup &basic() { return panel->Basic(); }
    const AcquisitionControls &acqUi() { return acq().Controls(); }
    const BasicControls &basicUi() { return basic().Controls(); }
    const MarkerRowControls &markerUi() { return panel->Markers().Controls(); }

    TempConfigHome home;
    std::string folder;
    SimProcess sim;
    FakeDialogs dialogs;
    TavrinDLL dll{dialogs};
    OperationFile settings;
    FrmCRT display;
    bool portBusy = false;
    int quits = 0;
    std::unique_ptr<FrmMain> panel;
};

}  // namespace tavrin::test
