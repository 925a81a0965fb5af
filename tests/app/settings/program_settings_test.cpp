// The second settings file: what it holds, read back; missing, broken and half-broken files.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "settings/program_settings.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

class SettingsProgramFile : public ::testing::Test {
protected:
    std::string Read()
    {
        std::stringstream text;
        text << std::ifstream(path).rdbuf();
        return text.str();
    }

    test::TempConfigHome home;
    std::string path = ProgramSettingsPath(home.Path() + "/Tavrin.Log");
};

TEST_F(SettingsProgramFile, LiesBesideTheOperationFileAndReadsBackWhatWasSaved)
{
    EXPECT_EQ(path, home.Path() + "/TavrinRemote.ini");
    EXPECT_EQ(ProgramSettingsPath("Tavrin.Log"), "TavrinRemote.ini");
    EXPECT_EQ(LoadProgramSettings(path), ProgramSettings{}) << "no file: the defaults";
    ProgramSettings saved;
    saved.traceModes = {Rgb(0x10, 0x20, 0x30), Rgb(0xAB, 0xCD, 0xEF), true, false, true};
    saved.waterfall = {true, true, -4, 554, 541, 300};
    saved.limits = {{false, true}, true, true, false};
    saved.adjacentChannel = {true, {0.025, 0.0375}};
    saved.remote = {true, "[::1]:6000", "192.168.1.0/24, 10.0.0.7"};
    ASSERT_TRUE(SaveProgramSettings(path, saved));
    const std::string text = Read();
    EXPECT_NE(text.find("\n[TraceModes]\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nMaxHoldColor=#102030\nMinHoldColor=#abcdef\n"), std::string::npos) << "keys in order";
    EXPECT_EQ(LoadProgramSettings(path), saved);
    std::string error;
    EXPECT_FALSE(SaveProgramSettings(home.Path() + "/gone/TavrinRemote.ini", saved, &error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    EXPECT_EQ(Read(), text) << "the old file stays whole";
}

// A broken entry gives its own default, the others are read; a file that is no INI file at all
// gives the defaults, and saving replaces it whole. (The texts differ in length: the file is read
// through a cache that trusts an unchanged size and time.)
TEST_F(SettingsProgramFile, BrokenFilesAndEntriesGiveTheDefaults)
{
    const TraceModeSettings d;
    const std::pair<const char *, TraceModeSettings> cases[] = {
        {"[TraceModes]\nMaxHoldColor=#12345\nMinHoldColor=red\nBandPower=maybe\nNoiseMarker=1\n",
         {d.maxHoldColor, d.minHoldColor, false, false, true}},
        {"[TraceModes]\nMaxHoldColor=#0x1234\nMinHoldColor= #FF0000 \nOccupiedBandwidth=TRUE\n\n",
         {d.maxHoldColor, Rgb(255, 0, 0), false, true, false}},
        {"\x01\x02\xff[[[=\n\n=#000000", d},
    };
    for (const auto &[text, expected] : cases) {
        std::ofstream(path, std::ios::binary) << text;
        EXPECT_EQ(LoadProgramSettings(path).traceModes, expected) << text;
    }
    ASSERT_TRUE(SaveProgramSettings(path, ProgramSettings{}));
    EXPECT_EQ(Read().find('\x01'), std::string::npos);
    EXPECT_NE(Read().find("[Limits]\nBeep=false\nCapture=false\nKind1=upper\nKind2=upper\nLog=true\n"), std::string::npos);
    std::ofstream(path, std::ios::binary) << "[Limits]\nKind1= Lower\nKind2=sideways\nBeep=yes\nLog=0\n";
    EXPECT_EQ(LoadProgramSettings(path).limits, (LimitSettings{{true, false}, false, false, false}));
    // A place written by hand without quotes is read too; no place, or one no screen has, is none.
    const std::pair<const char *, WaterfallWindowSettings> places[] = {
        {"[Waterfall]\nOpen=true\nGeometry=10, 20, 300, 200\n", {true, false, 10, 20, 300, 200}},
        {"[Waterfall]\nMaximized=1\nGeometry=\"10,20,0,200\"\n", {false, true}},
        {"[Waterfall]\nGeometry=10,20,300,99999\n", {}},
        {"[Waterfall]\nGeometry=10,20,300\n\n", {}}};
    for (const auto &[text, expected] : places) {
        std::ofstream(path, std::ios::binary) << text;
        EXPECT_EQ(LoadProgramSettings(path).waterfall, expected) << text;
    }
    const std::pair<const char *, AdjacentChannelSettings> channels[] = {
        {"[AdjacentChannel]\nOn=true\nWidth= 0.5 \nSpacing=2\n", {true, {0.5, 2}}},
        {"[AdjacentChannel]\nOn=yes\nWidth=0\nSpacing=1200\n\n", {}},
        {"[AdjacentChannel]\nWidth=wide\nSpacing=-1\n", {}}};
    for (const auto &[text, expected] : channels) {
        std::ofstream(path, std::ios::binary) << text;
        EXPECT_EQ(LoadProgramSettings(path).adjacentChannel, expected) << text;
    }
    // Off unless switched on; the address and the list as typed by hand, read when switched on.
    const std::pair<const char *, RemoteControlSettings> remotes[] = {
        {"[Remote]\nOn=yes\nListen=\nAllow=10.0.0.1, 10.0.0.0/8\n", {false, "127.0.0.1:5025", "10.0.0.1,10.0.0.0/8"}},
        {"[Remote]\nOn=1\nListen= 0.0.0.0:5025 \n", {true, "0.0.0.0:5025", ""}},
        {"[Remote]\nListen=nowhere\n\n", {false, "nowhere", ""}}};
    for (const auto &[text, expected] : remotes) {
        std::ofstream(path, std::ios::binary) << text;
        EXPECT_EQ(LoadProgramSettings(path).remote, expected) << text;
    }
}

// Publishing: what the user set, read back, with the password's file but never a password (one
// written into the file by hand is not read); a broken entry gives its own default.
TEST_F(SettingsProgramFile, ThePublishSectionKeepsThePasswordsFileNeverThePassword)
{
    ProgramSettings saved;
    saved.publish = {true, "mqtts://broker.example.org:8883", "site 1/bench", 1, "station", "/home/u/mqtt pass,1",
                     "/etc/ssl/our ca.pem", 0.25};
    ASSERT_TRUE(SaveProgramSettings(path, saved));
    EXPECT_NE(Read().find("[Publish]\n"), std::string::npos) << Read();
    EXPECT_EQ(Read().find("Password="), std::string::npos) << Read();
    EXPECT_EQ(LoadProgramSettings(path), saved);

    PublishSettings user;
    user.on = true, user.qos = 1, user.passwordFile = "/a,b";
    const std::pair<const char *, PublishSettings> files[] = {
        {"[Publish]\nOn=yes\nBrokerUrl=\nQoS=2\nInterval=-1\nPassword=secret\nUser=\n", {}},
        {"[Publish]\nOn=1\nQoS= 1 \nInterval=1e9\nPasswordFile=/a,b\n", user},
        {"[Publish]\nOn=true\nTopicPrefix= site/x \nInterval=0.5\nQoS=one\n\n", {true, "mqtt://localhost:1883", "site/x", 0, "", "", "", 0.5}},
    };
    for (const auto &[text, expected] : files) {
        std::ofstream(path, std::ios::binary) << text;
        EXPECT_EQ(LoadProgramSettings(path).publish, expected) << text;
    }
}

// The windows the user placed and the split; a file from before the layout was kept tells only
// where the waterfall stood, which counts as placed unless it was that program's first place.
TEST_F(SettingsProgramFile, TheLayoutAndTheWaterfallsPlaceInAnOlderFile)
{
    ProgramSettings saved;
    saved.layout = {Rect{10, 20, 800, 600}, std::nullopt, Rect{0, 600, 1184, 400}, 0.3};
    ASSERT_TRUE(SaveProgramSettings(path, saved));
    EXPECT_NE(Read().find("[Layout]\nDisplay=\"10,20,800,600\"\nWaterfall=\"0,600,1184,400\"\nWaterfallShare=0.300\n"),
              std::string::npos)
        << Read();
    EXPECT_EQ(LoadProgramSettings(path), saved);

    const std::pair<const char *, FrameLayout> files[] = {
        {"[Waterfall]\nOpen=true\nGeometry=0,554,541,300\n", {}},
        {"[Waterfall]\nGeometry=700,30,500,400\n", {std::nullopt, std::nullopt, Rect{700, 30, 500, 400}}},
        {"[Waterfall]\nGeometry=0,30,541,400\n[Layout]\nPanel=5,5,300,300\n",
         {std::nullopt, Rect{5, 5, 300, 300}, std::nullopt}},
        {"[Layout]\nDisplay=1,2,3\nWaterfallShare=2\n[Waterfall]\nGeometry=700,30,500,400\n", {}},
        {"[Layout]\nWaterfallShare= 0.25\n", {std::nullopt, std::nullopt, std::nullopt, 0.25}},
        {"[Layout]\nWaterfallShare=nan\n\n", {}},
    };
    for (const auto &[text, expected] : files) {
        std::ofstream(path, std::ios::binary) << text;
        EXPECT_EQ(LoadProgramSettings(path).layout, expected) << text;
    }
}

}  // namespace
}  // namespace tavrin
