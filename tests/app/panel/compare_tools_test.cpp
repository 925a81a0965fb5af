// The comparison and peak tools through the panel on the fake analyzer: trace memories across a
// restart, live - A on its own scale, the peak table on the screen and in its CSV file, adjacent
// channel power's rows, and named setups from the File menu.
#include "support/panel_fixture.h"

#include "panel/screen_assembly.h"
#include "panel/setup_actions.h"
#include "record/record_group.h"
#include "settings/program_settings.h"
#include "settings/setup_store.h"
#include "support/recording_surface.h"

#include <QApplication>
#include <QMouseEvent>
#include <fstream>
#include <sstream>

using namespace tavrin;
using namespace tavrin::test;

namespace {

std::string FileText(const std::string &path)
{
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

class CompareTest : public PanelTest {
protected:
    ScreenView View() { return AssembleView(*session, settings.Colors, ProgramSettings{}, 0); }
    // What the screen prints at these places.
    std::vector<std::string> Printed(std::initializer_list<std::pair<double, double>> at)
    {
        RecordingSurface surface;
        panel->DrawScreen(surface);
        return surface.TextsAt(at);
    }
    void Choose(const char *box, int row)
    {
        Find<QComboBox>(box)->setCurrentIndex(row);
        emit Find<QComboBox>(box)->activated(row);
        Settle();
    }
};

// Store A keeps the trace with its settings in Working/memory_a.spf; after a restart it is there
// again, shown as it was, and the CSV export carries it as a row. A damaged memory B is said at
// the start and left empty.
TEST_F(CompareTest, AStoredMemorySurvivesARestartAndIsExported)
{
    fake.level = [](int n, uint64_t k, const AnalyzerSettings &) {
        return static_cast<int16_t>(n == (k == 0 ? 200 : 300) ? 600 : 100);
    };
    Load();
    StartAcquiring();
    session->Stop();
    RunUntil([&] { return !session->Line().Running(); });
    Click("cmdStoreA");
    Find<QCheckBox>("chkShowA")->click();
    ASSERT_TRUE(std::filesystem::exists(folder + "/Working/memory_a.spf"));
    std::ofstream(folder + "/Working/memory_b.spf") << "not a record";
    panel->Quit();

    Load();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Memory B is empty: " + folder +
                                            "/Working/memory_b.spf is 12 bytes long, not one record of 1060.");
    EXPECT_TRUE(Find<QCheckBox>("chkShowA")->isChecked());
    StartAcquiring();
    const ScreenView view = View();
    ASSERT_TRUE(view.memories[0].trace && !view.memories[1].trace);
    EXPECT_EQ((*view.memories[0].trace)[200], 600) << "drawn as stored, beside the live carrier at 300";
    EXPECT_EQ(view.memories[0].note, "");

    dialogs.files = {home.Path() + "/t.csv"};
    panel->Record().ExportCsv();
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(home.Path() + "/t.csv"); }, 5000));
    const std::string csv = FileText(home.Path() + "/t.csv");
    // 100 is 923 steps below 0 dBm.
    EXPECT_NE(csv.find("\r\nmemory_a,80,10MHZ/DIV,0,4MHZ,-72.109375,"), std::string::npos) << csv.substr(0, 300);
    EXPECT_EQ(csv.find("memory_b"), std::string::npos);
}

// Memory A holds a carrier 20 dB over the floor at point 100 (49.8 MHz); then it moves to point
// 300 (89.8 MHz). Live - A is -20 dB where it was, +20 dB where it is and 0 dB (the middle line)
// elsewhere, and the markers and the pointer read it. At another span A is not subtracted.
TEST_F(CompareTest, LiveMinusAShowsWhereTheCarrierWentOnItsOwnScale)
{
    fake.level = [](int n, uint64_t k, const AnalyzerSettings &) {
        return static_cast<int16_t>(n == (k < 2 ? 100 : 300) ? 356 : 100);
    };
    Load();
    StartAcquiring();
    Click("cmdStoreA");
    ASSERT_TRUE(RunUntil([&] { return session->Live()->points[300] == 356; }, 2s));
    Choose("cboDifference", 1);
    for (auto [marker, mhz] : {std::pair{0, 49.8}, std::pair{1, 89.8}, std::pair{2, 69.8}})
        session->Markers().PutAt(marker, mhz);
    const ScreenView view = View();
    ASSERT_TRUE(view.difference && view.difference->Subtracted()) << view.difference->note;
    const MarkerReadings &r = *view.readings;
    EXPECT_EQ(std::vector<double>({r[0].level, r[1].level, r[2].level}), std::vector<double>({-20, 20, 0}));
    EXPECT_NEAR(r[2].height, 511.5, 1e-9) << "0 dB on the middle line";
    EXPECT_EQ(Printed({{160, 1070}, {155, -128}, {155, -228}, {-35, 1035}}),
              (std::vector<std::string>{"Live - A (dB)", "Diff. (dB)", "20.0", " +40"}));
    QString said;  // the pointer reads the difference too
    QObject::connect(panel.get(), &ControlPanel::pointerReadout, [&](const QString &text) { said = text; });
    for (auto [x, text] : {std::pair{300, "89.800 MHz  20.0 dB"}, std::pair{100, "49.800 MHz  -20.0 dB"}}) {
        const QPointF at = display.ToDevice(x, 500);
        QMouseEvent move(QEvent::MouseMove, at, display.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&display, &move);
        EXPECT_EQ(said.toStdString(), text);
    }

    // The note's wording is compare_test's; here the screen goes back to the levels.
    session->Settings().ChooseSpan(11);
    ASSERT_TRUE(RunUntil([&] { return session->Live()->settings.span == "5MHZ/DIV"; }, 5s));
    EXPECT_FALSE(View().difference->Subtracted());
    EXPECT_EQ(Printed({{155, -128}}), std::vector<std::string>{"Level"});
}

// Peaks of 800, 800, 700, 650 and 600 steps (-17.42, -17.42, -25.23, -29.14, -33.05 dBm) at points
// 150, 350, 250, 450 and 50; the threshold of -30 dBm leaves out the last. The table is kept on
// with its rules.
TEST_F(CompareTest, ThePeakTableListsThePeaksAboveTheThresholdOnTheScreenAndInItsFile)
{
    const std::map<int, int16_t> peaks = {{50, 600}, {150, 800}, {250, 700}, {350, 800}, {450, 650}};
    fake.level = [&](int n, uint64_t, const AnalyzerSettings &) { return peaks.contains(n) ? peaks.at(n) : int16_t{100}; };
    Load();
    Find<QCheckBox>("chkPeakTable")->click();
    EXPECT_EQ(display.Bottom(), -730) << "the heading and five rows";
    Enter("txtPeakThreshold", "-30");
    StartAcquiring();
    session->Stop();
    // Rows 1 to 4 of the left column, under the heading.
    EXPECT_EQ(Printed({{55, -478}, {155, -478}, {55, -528}, {55, -578}, {55, -628}, {155, -628}, {55, -678}}),
              (std::vector<std::string>{"59.800", "-17.4", "99.800", "79.800", "119.800", "-29.1"}));
    dialogs.files = {home.Path() + "/peaks"};
    panel->ExportPeakTable();
    EXPECT_EQ(FileText(home.Path() + "/peaks.csv"), "rank,freq_mhz,level_dbm\r\n1,59.8,-17.421875\r\n2,99.8,-17.421875\r\n"
                                                   "3,79.8,-25.234375\r\n4,119.8,-29.140625\r\n");

    Enter("txtPeakExcursion", "lots");
    EXPECT_EQ(dialogs.messages.back().text.rfind("The peak excursion \"lots\" is no level difference", 0), 0u);
    EXPECT_EQ(Find<QLineEdit>("txtPeakExcursion")->text(), "6");
    panel->Quit();
    EXPECT_EQ(LoadProgramSettings(folder + "/TavrinRemote.ini").peaks, (PeakSettings{6.0, -30.0, true}));
    Load();
    EXPECT_EQ(Find<QLineEdit>("txtPeakThreshold")->text(), "-30");
    EXPECT_EQ(display.Bottom(), -730);
}

// A flat -20 dBm at 4MHZ RBW (NBW 4.26 MHz): a 1 MHz channel holds -20 + 10 log10(1 / 4.26) =
// -26.294 dBm. At a spacing of 49.6 MHz the upper channel (129.1 to 130.1 MHz) passes the last
// point's edge (129.5 MHz).
TEST_F(CompareTest, AdjacentChannelRowsSayWhyAChannelIsMissing)
{
    fake.level = [](int, uint64_t, const AnalyzerSettings &) { return int16_t{767}; };
    Load();
    Find<QCheckBox>("chkAdjacentChannel")->click();
    Enter("txtChannelSpacing", "49.6");
    EXPECT_EQ(display.Bottom(), -580) << "three rows";
    StartAcquiring();
    EXPECT_EQ(Printed({{5, -428}, {155, -428}, {155, -478}, {255, -478}, {155, -528}, {255, -528}}),
              (std::vector<std::string>{"ACP Main", "-26.3 dBm", "0.0 dBc", "29.900 to 30.900 MHz", "---",
                                        "off the screen: 129.100 to 130.100 MHz"}));
    Enter("txtChannelWidth", "0");
    EXPECT_EQ(dialogs.messages.back().text.rfind("The channel width \"0\" is no frequency in MHz above 0", 0), 0u);
    panel->Quit();
    EXPECT_EQ(LoadProgramSettings(folder + "/TavrinRemote.ini").adjacentChannel,
              (AdjacentChannelSettings{true, {1.0, 49.6}}));
}

// File > Setups: the panel saved under a name, changed, and recalled; renamed and deleted.
TEST_F(CompareTest, ASetupSavedFromThePanelIsRecalledRenamedAndDeleted)
{
    Load();
    StartAcquiring();
    session->Markers().PutAt(2, 101.25);
    Find<QCheckBox>("chkMaxHold")->click();
    dialogs.forms = {{{"bench 1"}}};
    panel->Setups().Save();
    ASSERT_TRUE(SetupExists(folder + "/Working/setups", "bench 1"));

    Enter("txtCenterFreq", "433.92");
    session->Markers().SetOn(2, false);
    Find<QCheckBox>("chkMaxHold")->click();
    RunUntil([&] { return session->Live()->settings.centerMHz == 433.92; }, 5s);
    dialogs.chooseItem = [](const std::vector<std::string> &names) { return names.size() == 1 ? 0 : 9; };
    panel->Setups().Recall();
    ASSERT_TRUE(RunUntil([&] { return !panel->Setups().Recalling(); }, 30s));
    EXPECT_EQ(Shown(), "80.000|10MHZ/DIV|0|4MHZ");
    EXPECT_TRUE(session->Markers().Controls()[2].enabled && Find<QCheckBox>("chkMaxHold")->isChecked());
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.back().text;

    // A setup of a few settings names the others compactly, once the line is done with it.
    std::ofstream(folder + "/Working/setups/wide.ini") << "[Analyzer]\nCenter=500\nSpan=100MHZ/DIV\n[Marker2]\nOn=true\n";
    dialogs.chooseItem = [](const std::vector<std::string> &names) { return names.size() == 2 ? 1 : 9; };
    panel->Setups().Recall();
    ASSERT_TRUE(RunUntil([&] { return !panel->Setups().Recalling(); }, 30s));
    EXPECT_EQ(Shown(), "500.000|100MHZ/DIV|0|4MHZ");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages.back().text,
              "The setup \"wide\" was recalled.\n\nNot in the setup, and so left as they were: Analyzer/RefLevel, "
              "Analyzer/RBW, Averaging, Marker1, Marker2/Frequency, Marker2/Delta, Marker3, Marker4, Marker5, Limit1, "
              "Limit2, LimitAlarms, TraceModes, Measurements.");
    std::filesystem::remove(folder + "/Working/setups/wide.ini");
    dialogs.chooseItem = [](const std::vector<std::string> &) { return std::optional<size_t>(0); };

    dialogs.forms = {{{"433 MHz test.ini"}}};
    panel->Setups().Rename();
    EXPECT_EQ(ListSetups(folder + "/Working/setups"), std::vector<std::string>{"433 MHz test"});
    dialogs.yesNo = {true};
    panel->Setups().Delete();
    EXPECT_TRUE(ListSetups(folder + "/Working/setups").empty());
    panel->Setups().Recall();
    EXPECT_EQ(dialogs.messages.back().text.rfind("There is no setup yet.", 0), 0u);
}

}  // namespace
