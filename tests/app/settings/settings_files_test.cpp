// The two settings files: Tavrin.Log byte for byte, and TavrinRemote.ini with its missing, broken
// and half-broken files.
#include <algorithm>
#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "common/program_folder.h"
#include "settings/operation_file.h"
#include "settings/program_settings.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// The file layout written out by hand, independent of the code under test.
void PutLE(Bytes &b, size_t at, uint32_t v, int width)
{
    for (int i = 0; i < width; ++i)
        b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}
void PutText(Bytes &b, size_t at, size_t width, const std::string &text)
{
    for (size_t i = 0; i < width; ++i)
        b[at + i] = i < text.size() ? static_cast<uint8_t>(text[i]) : ' ';
}

class SettingsOperationFile : public ::testing::Test {
protected:
    SettingsOperationFile()
    {
        fs::create_directory(folder);
        SetProgramFolderOverride(folder);
        path = OperationFilePath();
    }
    ~SettingsOperationFile() override { SetProgramFolderOverride(""); }
    void WriteFile(const Bytes &b)
    {
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(b.data()), std::ssize(b));
    }

    test::TempConfigHome home;
    std::string folder = home.Path() + "/program", path;
};

// Every field at its offset, read and written back byte for byte: numbers outside the settings
// dialog's ranges and bytes that are not UTF-8 included.
TEST_F(SettingsOperationFile, ReadsEveryFieldAtItsOffsetAndWritesItBackUnchanged)
{
    const std::tuple<size_t, size_t, std::string OperationFile::*, const char *> texts[] = {
        {2, 20, &OperationFile::Unit, "dB\xb5"},
        {32, 20, &OperationFile::RecordInterval, "0.5"},
        {52, 20, &OperationFile::RecordTime, "Continuous"},
        {72, 255, &OperationFile::ReportHeader, "  Site A report"},
        {327, 255, &OperationFile::LogoFile, "/caf\xe9.jpg"},
        {582, 20, &OperationFile::SavedCenterFreq, "150.500"},
        {602, 20, &OperationFile::SavedRefLevel, "-10"},
        {622, 20, &OperationFile::SavedSpan, "2MHZ/DIV"},
        {642, 20, &OperationFile::SavedRbw, "30KHZ"},
        {790, 255, &OperationFile::CaptureDir, "/captures"},
    };
    Bytes b(2052, 0);
    for (auto [at, width, field, text] : texts)
        PutText(b, at, width, text);
    for (size_t m = 0; m < 5; ++m)
        PutText(b, 662 + 20 * m, 20, "10" + std::to_string(m));
    PutLE(b, 0, 9, 2), PutLE(b, 22, static_cast<uint16_t>(-5), 2);
    PutLE(b, 24, std::bit_cast<uint32_t>(0.125f), 4), PutLE(b, 28, 0x7F800000u, 4);  // infinity
    for (size_t c = 0; c < 7; ++c)
        PutLE(b, 762 + 4 * c, 0x80010203u * static_cast<uint32_t>(c + 1), 4);
    WriteFile(b);

    OperationFile record;
    EXPECT_EQ(LoadOperation(path, record).status, LoadStatus::Loaded);
    for (auto [at, width, field, text] : texts)
        EXPECT_EQ(record.*field, text) << at;
    EXPECT_EQ(record.SavedMarkers, (std::array<std::string, 5>{"100", "101", "102", "103", "104"}));
    EXPECT_EQ(std::tuple(record.ComPortSetting, record.AverageCount, record.FreqStepMHz, record.LevelStep),
              std::tuple(int16_t{9}, int16_t{-5}, 0.125f, HUGE_VALF));
    EXPECT_EQ(record.Colors, (DisplayColors{0x80010203, 0x00020406, 0x80030609, 0x0004080C, 0x80050A0F,
                                            0x00060C12, 0x80070E15}));
    ASSERT_TRUE(SaveOperation(path, record));
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), {}), b);
}

TEST_F(SettingsOperationFile, WritesPaddedCutTextsAndZerosAfterTheData)
{
    OperationFile record = DefaultOperation();
    record.SavedCenterFreq = "123456789012345678901234";
    record.ReportHeader = std::string(254, 'x') + "\xc3\xa9";  // single bytes: cut between the two
    const OperationBytes b = EncodeOperation(record);
    auto TextAt = [&b](size_t at, size_t width) { return std::string(b.begin() + at, b.begin() + at + width); };
    EXPECT_EQ(TextAt(2, 20), "dBm" + std::string(17, ' '));
    EXPECT_EQ(TextAt(582, 20), "12345678901234567890");
    EXPECT_EQ(TextAt(72, 255), std::string(254, 'x') + "\xc3");
    EXPECT_EQ(std::pair(b[762], b[763]), std::pair(uint8_t{0x00}, uint8_t{0xFF}));  // Trace green, 0x0000FF00
    EXPECT_EQ(TextAt(790, 255), std::string(255, ' ')) << "the panel puts its own folder there";
    EXPECT_EQ(std::count(b.begin() + 1045, b.end(), 0), 2052 - 1045);
}

// A first start has port 1, "dBm", average 4, steps 1, "1.0" and the default colours; a file that is
// missing, empty or short leaves what it does not reach.
TEST_F(SettingsOperationFile, FirstStartDefaultsStayWhereThereIsNoFileOrItIsShort)
{
    EXPECT_EQ(path, folder + "/Tavrin.Log");
    const OperationFile defaults{1,  "dBm", 4,  1.0f, 1.0f, "1.0", "1.0", "", "", "", "", "", "", {},
                                 {0x0000FF00, 0x00A800A8, 0x000000FF, 0, 0x0058ACA8, 0x00FFFF00, 0}, ""};
    OperationFile record = DefaultOperation();
    EXPECT_EQ(record, defaults);
    EXPECT_EQ(LoadOperation(path, record).status, LoadStatus::Missing);
    WriteFile({});
    EXPECT_EQ(LoadOperation(path, record).status, LoadStatus::Empty);
    EXPECT_EQ(record, defaults);

    Bytes b(24, ' ');  // port 2, "dBu", average 10, then nothing
    PutLE(b, 0, 2, 2), PutText(b, 2, 20, "dBu"), PutLE(b, 22, 10, 2);
    WriteFile(b);
    EXPECT_EQ(LoadOperation(path, record).bytesRead, 24u);
    OperationFile expected = defaults;
    expected.ComPortSetting = 2, expected.Unit = "dBu", expected.AverageCount = 10;
    EXPECT_EQ(record, expected);
}

TEST_F(SettingsOperationFile, SaveReplacesTheOldFileKeepingItsModeOrFailsLeavingNothingBehind)
{
    WriteFile(Bytes(10, 'x'));
    chmod(path.c_str(), 0640);
    ASSERT_TRUE(SaveOperation(path, DefaultOperation()));
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));

    std::string error;
    fs::remove(path);
    fs::create_directory(path);  // rename cannot replace a folder
    EXPECT_FALSE(SaveOperation(path, DefaultOperation(), &error));
    EXPECT_NE(error.find("rename"), std::string::npos) << error;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1) << "no temporary left";
    OperationFile record = DefaultOperation();
    EXPECT_EQ(LoadOperation(path, record).status, LoadStatus::Unreadable);
    EXPECT_EQ(record, DefaultOperation());
}

class SettingsProgramFile : public ::testing::Test {
protected:
    std::string Read()
    {
        std::stringstream text;
        text << std::ifstream(path).rdbuf();
        return text.str();
    }

    // Each text written as the whole file, and the part of what is read back.
    template <class T, size_t N>
    void ExpectRead(T ProgramSettings::*part, const std::pair<const char *, T> (&files)[N])
    {
        for (const auto &[text, expected] : files) {
            std::ofstream(path, std::ios::binary) << text;
            EXPECT_EQ(LoadProgramSettings(path).*part, expected) << text;
        }
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
    ExpectRead(&ProgramSettings::traceModes, cases);
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
    ExpectRead(&ProgramSettings::waterfall, places);
    const std::pair<const char *, AdjacentChannelSettings> channels[] = {
        {"[AdjacentChannel]\nOn=true\nWidth= 0.5 \nSpacing=2\n", {true, {0.5, 2}}},
        {"[AdjacentChannel]\nOn=yes\nWidth=0\nSpacing=1200\n\n", {}},
        {"[AdjacentChannel]\nWidth=wide\nSpacing=-1\n", {}}};
    ExpectRead(&ProgramSettings::adjacentChannel, channels);
    // Off unless switched on; the address and the list as typed by hand, read when switched on.
    const std::pair<const char *, RemoteControlSettings> remotes[] = {
        {"[Remote]\nOn=yes\nListen=\nAllow=10.0.0.1, 10.0.0.0/8\n", {false, "127.0.0.1:5025", "10.0.0.1,10.0.0.0/8"}},
        {"[Remote]\nOn=1\nListen= 0.0.0.0:5025 \n", {true, "0.0.0.0:5025", ""}},
        {"[Remote]\nListen=nowhere\n\n", {false, "nowhere", ""}}};
    ExpectRead(&ProgramSettings::remote, remotes);
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
    ExpectRead(&ProgramSettings::publish, files);
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
    ExpectRead(&ProgramSettings::layout, files);
}

}  // namespace
}  // namespace tavrin
