// Suites carry the area as a lowercase prefix so that `ctest -R settings` selects them.
#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <gtest/gtest.h>

#include "common/program_folder.h"
#include "settings/operation_file.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// The file layout written out by hand, independent of the code under test.
void PutLE(Bytes &b, size_t at, uint32_t v, int width)
{
    for (int i = 0; i < width; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutText(Bytes &b, size_t at, size_t width, const std::string &text)
{
    for (size_t i = 0; i < width; ++i)
        b[at + i] = i < text.size() ? text[i] : ' ';
}
std::string TextAt(const OperationBytes &b, size_t at, size_t width)
{
    return std::string(reinterpret_cast<const char *>(b.data() + at), width);
}

class SettingsOperationFile : public ::testing::Test {
protected:
    SettingsOperationFile()
    {
        folder = (fs::temp_directory_path() / "tavrin-settings-XXXXXX").string();
        EXPECT_NE(mkdtemp(folder.data()), nullptr);
        SetProgramFolderOverride(folder);
        path = OperationFilePath();
    }
    ~SettingsOperationFile() override { fs::remove_all(folder); }

    Bytes ReadFile() const
    {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    void WriteFile(const Bytes &bytes)
    {
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
    }

    std::string folder;
    std::string path;
};

TEST_F(SettingsOperationFile, DefaultsForAFirstStartStayWhenThereIsNoFile)
{
    EXPECT_EQ(path, folder + "/Tavrin.Log");
    const OperationFile expected{1,  "dBm", 4,  1.0f, 1.0f, "1.0", "1.0", "", "", "", "", "", "", {},
                                 {0x0000FF00, 0x00A800A8, 0x000000FF, 0, 0x0058ACA8, 0x00FFFF00, 0},
                                 ""};
    OperationFile record = DefaultOperation();
    EXPECT_EQ(record, expected);
    EXPECT_EQ(LoadOperation(path, record).status, LoadStatus::Missing);
    EXPECT_EQ(record, expected);
}

TEST_F(SettingsOperationFile, ReadsEveryFieldAtItsOffset)
{
    struct TextField {
        size_t at, width;
        std::string OperationFile::*field;
        const char *text;
    } texts[] = {
        {2, 20, &OperationFile::Unit, "dBu"},
        {32, 20, &OperationFile::RecordInterval, "0.5"},
        {52, 20, &OperationFile::RecordTime, "Continuous"},
        {72, 255, &OperationFile::ReportHeader, "  Site A report"},
        {327, 255, &OperationFile::LogoFile, "/logo.jpg"},
        {582, 20, &OperationFile::SavedCenterFreq, "150.500"},
        {602, 20, &OperationFile::SavedRefLevel, "-10"},
        {622, 20, &OperationFile::SavedSpan, "2MHZ/DIV"},
        {642, 20, &OperationFile::SavedRbw, "30KHZ"},
        {790, 255, &OperationFile::CaptureDir, "/captures"},
    };
    Bytes b(2052, 0);
    for (const TextField &t : texts)
        PutText(b, t.at, t.width, t.text);
    for (size_t m = 0; m < 5; ++m)
        PutText(b, 662 + 20 * m, 20, "10" + std::to_string(m));
    PutLE(b, 0, 3, 2);
    PutLE(b, 22, 100, 2);
    PutLE(b, 24, std::bit_cast<uint32_t>(0.125f), 4);
    PutLE(b, 28, std::bit_cast<uint32_t>(2.5f), 4);
    for (size_t c = 0; c < 7; ++c)
        PutLE(b, 762 + 4 * c, 0x00010203u * static_cast<uint32_t>(c + 1), 4);
    WriteFile(b);

    OperationFile record;
    LoadResult result = LoadOperation(path, record);
    EXPECT_EQ(result.status, LoadStatus::Loaded);
    for (const TextField &t : texts)
        EXPECT_EQ(record.*t.field, t.text) << t.at;
    EXPECT_EQ(record.SavedMarkers, (std::array<std::string, 5>{"100", "101", "102", "103", "104"}));
    EXPECT_EQ(record.ComPortSetting, 3);
    EXPECT_EQ(record.AverageCount, 100);
    EXPECT_EQ(record.FreqStepMHz, 0.125f);
    EXPECT_EQ(record.LevelStep, 2.5f);
    EXPECT_EQ(record.Colors, (DisplayColors{0x00010203, 0x00020406, 0x00030609, 0x0004080C, 0x00050A0F,
                                            0x00060C12, 0x00070E15}));
}

TEST_F(SettingsOperationFile, WritesPaddedCutTextsAndZerosAfterTheData)
{
    OperationFile record = DefaultOperation();
    record.SavedCenterFreq = "123456789012345678901234";
    record.ReportHeader = std::string(254, 'x') + "\xc3\xa9";  // single bytes: cut between the two
    OperationBytes b = EncodeOperation(record);
    EXPECT_EQ(TextAt(b, 2, 20), "dBm" + std::string(17, ' '));
    EXPECT_EQ(TextAt(b, 582, 20), "12345678901234567890");
    EXPECT_EQ(TextAt(b, 72, 255), std::string(254, 'x') + "\xc3");
    EXPECT_EQ(b[762], 0x00);  // Trace green: 0x0000FF00 little-endian
    EXPECT_EQ(b[763], 0xFF);
    EXPECT_EQ(TextAt(b, 790, 255), std::string(255, ' ')) << "the panel puts its own folder there";
    for (size_t i = 1045; i < b.size(); ++i)
        ASSERT_EQ(b[i], 0) << i;
}

TEST_F(SettingsOperationFile, SaveThenLoadRestoresEveryField)
{
    OperationFile saved{4, "dBu", 255, 0.001f, std::nextafter(10.0f, 0.0f), "0.2", "30.0  ",
                        "Header with trailing   ", "/pictures/logo.bmp", "1099.999", "20", "100MHZ/DIV",
                        "4MHZ", {"1", "", "3.5", "", "5"}, {0x80000005u, 1, 2, 3, 4, 5, 0x00FFFFFFu},
                        folder + "/Working"};
    std::string error;
    ASSERT_TRUE(SaveOperation(path, saved, &error)) << error;
    EXPECT_EQ(fs::file_size(path), 2052u);

    OperationFile loaded = DefaultOperation();
    ASSERT_EQ(LoadOperation(path, loaded).status, LoadStatus::Loaded);
    EXPECT_EQ(std::bit_cast<uint32_t>(loaded.LevelStep), std::bit_cast<uint32_t>(saved.LevelStep));
    saved.RecordTime = "30.0";  // texts come back without their padding
    saved.ReportHeader = "Header with trailing";
    EXPECT_EQ(loaded, saved);
}

TEST_F(SettingsOperationFile, SaveReplacesTheOldFileKeepingItsModeAndLeavesNoTemporary)
{
    WriteFile(Bytes(10, 'x'));
    chmod(path.c_str(), 0640);
    ASSERT_TRUE(SaveOperation(path, DefaultOperation()));
    EXPECT_EQ(fs::file_size(path), 2052u);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(SettingsOperationFile, FailedSaveReportsAndLeavesNothingBehind)
{
    std::string error;
    EXPECT_FALSE(SaveOperation(folder + "/missing/Tavrin.Log", DefaultOperation(), &error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;

    fs::create_directory(path);  // rename cannot replace a folder
    error.clear();
    EXPECT_FALSE(SaveOperation(path, DefaultOperation(), &error));
    EXPECT_NE(error.find("rename"), std::string::npos) << error;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    EXPECT_TRUE(fs::is_directory(path));

    OperationFile record = DefaultOperation();
    LoadResult result = LoadOperation(path, record);
    EXPECT_EQ(result.status, LoadStatus::Unreadable);
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(record.AverageCount, 4);
}

TEST_F(SettingsOperationFile, ShortEmptyAndGarbageFiles)
{
    OperationFile record = DefaultOperation();
    WriteFile({});
    EXPECT_EQ(LoadOperation(path, record).status, LoadStatus::Empty);
    EXPECT_EQ(record.ComPortSetting, 1);

    // Port 2, "dBu", average 10, then nothing: every field the file does not reach whole keeps
    // its first-start value; a colour cut in half is not read as black.
    Bytes b(24, ' ');
    PutLE(b, 0, 2, 2);
    PutText(b, 2, 20, "dBu");
    PutLE(b, 22, 10, 2);
    for (size_t size : {24u, 100u}) {
        b.resize(size, 0);
        WriteFile(b);
        record = DefaultOperation();
        EXPECT_EQ(LoadOperation(path, record).bytesRead, size);
        OperationFile expected = DefaultOperation();
        expected.ComPortSetting = 2;
        expected.Unit = "dBu";
        expected.AverageCount = 10;
        if (size == 100) {  // the zeros it does hold are read as stored
            expected.FreqStepMHz = expected.LevelStep = 0.0f;
            expected.RecordInterval = expected.RecordTime = "";
        }
        EXPECT_EQ(record, expected) << size;
    }
}

// Numbers outside the settings dialog's ranges and bytes that are not UTF-8 come back as stored.
TEST_F(SettingsOperationFile, LoadThenSaveKeepsEveryByte)
{
    Bytes b(2052, 0);
    PutLE(b, 0, 9, 2);
    PutText(b, 2, 20, "dB\xb5");
    PutLE(b, 22, static_cast<uint16_t>(-5), 2);
    PutLE(b, 24, 0x7FC00000u, 4);  // NaN
    PutLE(b, 28, 0x7F800000u, 4);  // infinity
    for (size_t at = 32; at < 762; at += 20)
        PutText(b, at, 20, "\xe9t\xe9");
    for (size_t c = 0; c < 7; ++c)
        PutLE(b, 762 + 4 * c, 0x01020304u * static_cast<uint32_t>(c), 4);
    PutText(b, 790, 255, "/caf\xe9");
    WriteFile(b);
    OperationFile record = DefaultOperation();
    ASSERT_EQ(LoadOperation(path, record).status, LoadStatus::Loaded);
    ASSERT_TRUE(SaveOperation(path, record));
    EXPECT_EQ(ReadFile(), b);
}

}  // namespace
}  // namespace tavrin
