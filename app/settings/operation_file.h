// The settings record and its file "Tavrin.Log": one record of 2052 bytes, fixed-width fields.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tavrin {

// 0x00BBGGRR each, in file order; the order is also the index of the settings dialog's boxes.
struct DisplayColors {
    uint32_t Trace = 0;
    uint32_t Play = 0;
    uint32_t Marker = 0;
    uint32_t Background = 0;
    uint32_t Grid = 0;
    uint32_t Text = 0;
    uint32_t Base = 0;

    bool operator==(const DisplayColors &) const = default;
};

inline constexpr int kDisplayColorCount = 7;

// Colour 0..6 in file order; index outside that range gives null.
uint32_t *ColorAt(DisplayColors &colors, int index);
const uint32_t *ColorAt(const DisplayColors &colors, int index);

DisplayColors DefaultDisplayColors();

// Texts are held without the file's trailing padding (and end at a NUL byte, which a short file's
// zeros leave); leading blanks are kept. Writing pads them again, so compare them trimmed.
// A value-initialised record is the all-zero, all-empty state of an unwritten record.
struct OperationFile {
    int16_t ComPortSetting = 0;
    std::string Unit;
    int16_t AverageCount = 0;
    float FreqStepMHz = 0.0f;
    float LevelStep = 0.0f;
    std::string RecordInterval;
    std::string RecordTime;
    std::string ReportHeader;
    std::string LogoFile;
    std::string SavedCenterFreq;
    std::string SavedRefLevel;
    std::string SavedSpan;
    std::string SavedRbw;
    std::array<std::string, 5> SavedMarkers;
    DisplayColors Colors;
    std::string CaptureDir;

    bool operator==(const OperationFile &) const = default;
};

// The settings of a first start: port 1, "dBm", average 4, steps 1 MHz and 1, interval and time
// "1.0", the default colours. The saved panel texts and the capture folder are empty, which tells
// the panel to keep its own initial texts and to capture into the program's folder.
OperationFile DefaultOperation();

inline constexpr size_t kOperationFileSize = 2052;
using OperationBytes = std::array<uint8_t, kOperationFileSize>;

// The record's bytes: texts (single bytes) cut or space-padded to their width, numbers
// little-endian, zeros after the data.
OperationBytes EncodeOperation(const OperationFile &record);
// The reverse, without any check of the numbers.
OperationFile DecodeOperation(const OperationBytes &bytes);

enum class LoadStatus {
    Loaded,     // read as stored; fields a short file does not reach whole keep their values
    Missing,    // no file: the record is unchanged
    Empty,      // a file of 0 bytes holds no settings: the record is unchanged
    Unreadable  // exists but could not be read: the record is unchanged, error says why
};

struct LoadResult {
    LoadStatus status = LoadStatus::Missing;
    size_t bytesRead = 0;  // fewer than kOperationFileSize for a short file
    std::string error;
};

// Reads record 1 of the file into record. Start from DefaultOperation() so that a missing file
// leaves the defaults, which the caller writes at exit.
LoadResult LoadOperation(const std::string &path, OperationFile &record);

// Writes the record through a temporary file in the same folder, synced and renamed over the old
// one, so the old file stays whole if anything fails. On failure returns false and, when error is
// given, the reason.
bool SaveOperation(const std::string &path, const OperationFile &record, std::string *error = nullptr);

// "Tavrin.Log" in the program's folder.
std::string OperationFilePath();

}  // namespace tavrin
