// Named setups: every field through a file and back, the file a user reads, damaged and partial
// files recalled as far as they go, and names with odd characters or none a file can carry.
#include "settings/setup_store.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

namespace tavrin {
namespace {

namespace fs = std::filesystem;

// No field at its default, every kind of value once.
Setup Full()
{
    tavrin::Setup s;
    s.centerMHz = 433.92, s.span = "100KHZ/DIV", s.refLevelDbm = -20, s.rbw = "30KHZ";
    s.averaging = true, s.averageCount = 16;
    s.markers = {SetupMarker{true, "433.9200", "NONE"}, {false, "434.5", "1"}, {true, "", "NONE"}, {false, "-0.125", "5"},
                 {true, "1100", "3"}};
    s.limits = {SetupLimit{"mask 433 = EN 300-220", false, true}, {"NONE", true, false}};
    s.limitBeep = true, s.limitCapture = true, s.limitLog = false;
    s.maxHold = true, s.minHold = false;
    s.bandPower = true, s.occupiedBandwidth = false, s.noiseMarker = true, s.adjacentChannel = true;
    s.channelWidthMHz = 0.025, s.channelSpacingMHz = 0.0375;
    return s;
}

class SetupTest : public ::testing::Test {
protected:
    std::string WriteSetup(const std::string &name, const std::string &text)
    {
        fs::create_directories(folder);
        std::ofstream(SetupPath(folder, name), std::ios::binary) << text;
        return SetupPath(folder, name);
    }

    test::TempConfigHome home;
    std::string folder = home.Path() + "/Working/setups";
    std::string error;
};

TEST_F(SetupTest, EveryFieldGoesThroughTheFileAndBack)
{
    ASSERT_TRUE(SaveSetup(folder, "433", Full(), error)) << error << " (the folder is made)";
    const SetupRecall r = RecallSetup(folder, "433");
    ASSERT_TRUE(r.read) << r.error;
    EXPECT_EQ(r.setup, Full());
    EXPECT_EQ(r.recalled, SetupFields());
    EXPECT_EQ(r.recalled.size(), 38u);
    EXPECT_TRUE(r.unread.empty()) << UnreadText(r.unread);

    tavrin::Setup other = Full();
    other.markers[4].on = false;
    ASSERT_TRUE(SaveSetup(folder, "433", other, error)) << error;
    EXPECT_EQ(RecallSetup(folder, "433").setup, other) << "saving again replaces it";
}

// What a user sees when opening the file, and may edit.
TEST_F(SetupTest, TheFileIsAnIniTextAUserCanRead)
{
    tavrin::Setup s;
    s.centerMHz = 80, s.span = "10MHZ/DIV", s.refLevelDbm = 0, s.rbw = "4MHZ";
    s.markers[1] = {true, "90.5", "1"};
    s.limits[1] = {"mask", true, true};
    s.channelWidthMHz = 1;
    EXPECT_EQ(SetupText(s), "; A TavrinRemote setup: copy it into Working/setups of another TavrinRemote to use it there.\n"
                            "\n[Analyzer]\nCenter=80.000\nSpan=10MHZ/DIV\nRefLevel=0\nRBW=4MHZ\n"
                            "\n[Marker2]\nOn=true\nFrequency=90.5\nDelta=1\n"
                            "\n[Limit2]\nFile=mask\nKind=lower\nOn=true\n"
                            "\n[Measurements]\nChannelWidth=1.000\n");
    EXPECT_EQ(SetupMarkerText(" 90.5 "), "90.5");
    EXPECT_EQ(SetupMarkerText("12abc"), "12") << "what the marker reads of it";
    EXPECT_EQ(SetupMarkerText("abc"), "0");
}

TEST_F(SetupTest, ADamagedOrPartialSetupRecallsWhatItCanAndNamesTheRest)
{
    WriteSetup("damaged", "[Analyzer]\r\ncenter = 433.920\r\nSpan=3KHZ/DIV\nRBW=30khz\nthis line is junk\n"
                          "[Averaging]\nOn=maybe\nCount=300\n"
                          "  [ Marker1 ]\nOn=TRUE\nFrequency=12x\nDelta=6\n"
                          "[Limit1]\nFile=a/b\nKind=sideways\nOn=1\n"
                          "[Measurements]\nChannelWidth=0\nChannelSpacing=1e3\nFuture=42\n"
                          "[Marker2]\nOn=fal");
    const SetupRecall r = RecallSetup(folder, "damaged");
    ASSERT_TRUE(r.read) << r.error;
    EXPECT_EQ(r.recalled, (std::vector<std::string>{"Analyzer/Center", "Analyzer/RBW", "Marker1/On", "Limit1/On"}));
    tavrin::Setup expected;
    expected.centerMHz = 433.92, expected.rbw = "30KHZ", expected.markers[0].on = true, expected.limits[0].on = true;
    EXPECT_EQ(r.setup, expected);
    EXPECT_EQ(r.unread.size(), 38u - 4u + 1u) << UnreadText(r.unread);
    std::map<std::string, std::string> why;
    for (const SetupProblem &p : r.unread)
        why[p.field] = p.why;
    const std::map<std::string, std::string> expectedWhy = {
        {"line 5", "\"this line is junk\" is neither a [section] nor a key=value"},
        {"Analyzer/Span", "\"3KHZ/DIV\" is no span of the list (0HZ/DIV .. 100MHZ/DIV)"},
        {"Analyzer/RefLevel", "missing"},
        {"Averaging/On", "\"maybe\" is neither true nor false"},
        {"Averaging/Count", "\"300\" is not a count of traces from 2 to 255"},
        {"Marker1/Frequency", "\"12x\" is no frequency in MHz"},
        {"Marker1/Delta", "\"6\" is neither NONE nor a marker 1 to 5"},
        {"Marker2/On", "\"fal\" is neither true nor false"},
        {"Limit1/File", "\"a/b\" cannot name a limit file of the Working folder"},
        {"Limit1/Kind", "\"sideways\" is neither upper nor lower"},
        {"Measurements/ChannelWidth", "\"0\" is no frequency in MHz above 0 up to 1150"},
        {"Measurements/ChannelSpacing", "\"1e3\" is no frequency in MHz above 0 up to 1150"},
    };
    for (const auto &[field, reason] : expectedWhy)
        EXPECT_EQ(why[field], reason) << field;

    WriteSetup("empty", "");
    const SetupRecall empty = RecallSetup(folder, "empty");
    EXPECT_TRUE(empty.read && empty.recalled.empty());
    EXPECT_EQ(empty.unread.size(), 38u);
}

TEST_F(SetupTest, ASetupThatCannotBeReadRecallsNothingAndSaysWhy)
{
    WriteSetup("big", std::string(70000, ';'));
    fs::create_directories(folder);
    ASSERT_EQ(mkfifo(SetupPath(folder, "pipe").c_str(), 0600), 0);
    const std::pair<std::string, std::string> cases[] = {
        {"none", "There is no setup named \"none\" in " + folder + "."},
        {"big", folder + "/big.ini is 70000 bytes long: no setup, which takes a few hundred."},
        {"pipe", folder + "/pipe.ini is a FIFO (named pipe), not a file"},
        {"../x", "The name \"../x\" would leave the setups folder: give a name without \"/\"."},
    };
    for (const auto &[name, reason] : cases) {
        const SetupRecall r = RecallSetup(folder, name);
        EXPECT_FALSE(r.read);
        EXPECT_EQ(r.error, reason);
        EXPECT_TRUE(r.recalled.empty() && r.unread.empty());
    }
}

TEST_F(SetupTest, NamesWithOddCharactersRoundTripAndUnfitOnesAreRefused)
{
    const std::vector<std::string> odd = {"-rf", "433 MHz test", "NONE", "a=b;c#d [x]", "x.ini.bak", "Über-Prüfung (α)"};
    for (const std::string &name : odd)
        ASSERT_TRUE(SaveSetup(folder, name, Full(), error)) << name << ": " << error;
    std::ofstream(folder + "/notes.txt") << "not a setup";
    std::ofstream(folder + "/.hidden.ini") << "";
    fs::create_directory(folder + "/folder.ini");
    EXPECT_EQ(ListSetups(folder), odd) << "sorted, setups only";
    for (const std::string &name : odd)
        EXPECT_EQ(RecallSetup(folder, name).setup, Full()) << name;
    EXPECT_TRUE(ListSetups(home.Path() + "/missing").empty());

    EXPECT_EQ(CleanSetupName("  bench.ini "), "bench");
    EXPECT_EQ(CleanSetupName(".ini"), ".ini");
    const std::pair<std::string, std::string> unfit[] = {
        {"", "Give the setup a name."},
        {"a/b", "The name \"a/b\" would leave the setups folder: give a name without \"/\"."},
        {"..", "A name that begins with \".\" would make a hidden file: begin it with a letter or a digit."},
        {"tab\there", "The name holds a control character: give a name of letters, digits and signs."},
        {"caf\xe9", "The name is not UTF-8 text: type it again."},
        {std::string(252, 'x'), "The name is 252 bytes long; a setup's name may have 251."},
    };
    for (const auto &[name, reason] : unfit) {
        EXPECT_EQ(SetupNameProblem(name), reason);
        EXPECT_FALSE(SaveSetup(folder, name, Full(), error));
        EXPECT_EQ(error, reason);
    }
    EXPECT_EQ(SetupNameProblem(std::string(251, 'x')), "");
}

TEST_F(SetupTest, RenameNeverReplacesAnotherSetupAndDeleteRemovesOne)
{
    ASSERT_TRUE(SaveSetup(folder, "a", Full(), error) && SaveSetup(folder, "b", tavrin::Setup{}, error)) << error;
    EXPECT_FALSE(RenameSetup(folder, "a", "b", error));
    EXPECT_EQ(error, "A setup named \"b\" exists already: delete it first, or choose another name.");
    EXPECT_EQ(RecallSetup(folder, "b").setup, tavrin::Setup{});
    EXPECT_FALSE(RenameSetup(folder, "c", "d", error));
    EXPECT_EQ(error, "There is no setup named \"c\" in " + folder + ".");
    EXPECT_FALSE(RenameSetup(folder, "a", "", error));
    EXPECT_TRUE(RenameSetup(folder, "a", "433 MHz", error)) << error;
    EXPECT_EQ(ListSetups(folder), (std::vector<std::string>{"433 MHz", "b"}));
    EXPECT_EQ(RecallSetup(folder, "433 MHz").setup, Full());

    EXPECT_TRUE(DeleteSetup(folder, "b", error)) << error;
    EXPECT_FALSE(DeleteSetup(folder, "b", error));
    EXPECT_EQ(error, "There is no setup named \"b\" in " + folder + ".");
    EXPECT_EQ(ListSetups(folder), std::vector<std::string>{"433 MHz"});
}

}  // namespace
}  // namespace tavrin
