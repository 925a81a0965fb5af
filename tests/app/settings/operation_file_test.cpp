#include <algorithm>
#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "common/program_folder.h"
#include "settings/operation_file.h"
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

}  // namespace
}  // namespace tavrin
