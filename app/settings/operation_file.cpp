#include "settings/operation_file.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "common/color.h"
#include "common/program_folder.h"
#include "common/safe_file.h"

namespace tavrin {

namespace {

constexpr size_t kShortText = 20;
constexpr size_t kLongText = 255;

// Fields follow each other without gaps, so one cursor walks the record in file order.
class RecordWriter {
public:
    // ends, when given, collects where each field ends.
    explicit RecordWriter(OperationBytes &bytes, std::vector<size_t> *ends = nullptr) : bytes_(bytes), ends_(ends) {}

    void Int16(int16_t value) { Unsigned(static_cast<uint16_t>(value), 2); }
    void Float(float value) { Unsigned(std::bit_cast<uint32_t>(value), 4); }
    void Color(uint32_t value) { Unsigned(value, 4); }

    void Text(std::string_view text, size_t width)
    {
        const size_t length = std::min(text.size(), width);
        std::memcpy(bytes_.data() + offset_, text.data(), length);
        std::memset(bytes_.data() + offset_ + length, ' ', width - length);
        Advance(width);
    }

private:
    void Unsigned(uint32_t value, size_t width)
    {
        for (size_t i = 0; i < width; ++i)
            bytes_[offset_ + i] = static_cast<uint8_t>(value >> (8 * i));
        Advance(width);
    }
    void Advance(size_t width)
    {
        offset_ += width;
        if (ends_)
            ends_->push_back(offset_);
    }

    OperationBytes &bytes_;
    std::vector<size_t> *ends_;
    size_t offset_ = 0;
};

class RecordReader {
public:
    explicit RecordReader(const OperationBytes &bytes) : bytes_(bytes) {}

    int16_t Int16() { return static_cast<int16_t>(Unsigned(2)); }
    float Float() { return std::bit_cast<float>(Unsigned(4)); }
    uint32_t Color() { return Unsigned(4); }

    std::string Text(size_t width)
    {
        std::string_view field(reinterpret_cast<const char *>(bytes_.data() + offset_), width);
        offset_ += width;
        field = field.substr(0, field.find('\0'));
        size_t last = field.find_last_not_of(' ');
        return last == std::string_view::npos ? std::string() : std::string(field.substr(0, last + 1));
    }

private:
    uint32_t Unsigned(size_t width)
    {
        uint32_t value = 0;
        for (size_t i = 0; i < width; ++i)
            value |= static_cast<uint32_t>(bytes_[offset_ + i]) << (8 * i);
        offset_ += width;
        return value;
    }

    const OperationBytes &bytes_;
    size_t offset_ = 0;
};

}  // namespace

uint32_t *ColorAt(DisplayColors &colors, int index)
{
    uint32_t *all[kDisplayColorCount] = {&colors.Trace, &colors.Play, &colors.Marker, &colors.Background,
                                         &colors.Grid,  &colors.Text, &colors.Base};
    return index >= 0 && index < kDisplayColorCount ? all[index] : nullptr;
}

const uint32_t *ColorAt(const DisplayColors &colors, int index)
{
    return ColorAt(const_cast<DisplayColors &>(colors), index);
}

DisplayColors DefaultDisplayColors()
{
    DisplayColors colors;
    colors.Trace = Rgb(0, 255, 0);
    colors.Play = Rgb(168, 0, 168);
    colors.Marker = Rgb(255, 0, 0);
    colors.Background = Rgb(0, 0, 0);
    colors.Grid = Rgb(168, 172, 88);
    colors.Text = Rgb(0, 255, 255);
    colors.Base = Rgb(0, 0, 0);
    return colors;
}

OperationFile DefaultOperation()
{
    OperationFile record;
    record.ComPortSetting = 1;
    record.Unit = "dBm";
    record.AverageCount = 4;
    record.FreqStepMHz = 1.0f;
    record.LevelStep = 1.0f;
    record.RecordInterval = "1.0";
    record.RecordTime = "1.0";
    record.Colors = DefaultDisplayColors();
    return record;
}

namespace {

OperationBytes Encode(const OperationFile &record, std::vector<size_t> *fieldEnds)
{
    OperationBytes bytes{};
    RecordWriter out(bytes, fieldEnds);
    out.Int16(record.ComPortSetting);
    out.Text(record.Unit, kShortText);
    out.Int16(record.AverageCount);
    out.Float(record.FreqStepMHz);
    out.Float(record.LevelStep);
    out.Text(record.RecordInterval, kShortText);
    out.Text(record.RecordTime, kShortText);
    out.Text(record.ReportHeader, kLongText);
    out.Text(record.LogoFile, kLongText);
    out.Text(record.SavedCenterFreq, kShortText);
    out.Text(record.SavedRefLevel, kShortText);
    out.Text(record.SavedSpan, kShortText);
    out.Text(record.SavedRbw, kShortText);
    for (const std::string &marker : record.SavedMarkers)
        out.Text(marker, kShortText);
    for (int i = 0; i < kDisplayColorCount; ++i)
        out.Color(*ColorAt(record.Colors, i));
    out.Text(record.CaptureDir, kLongText);
    return bytes;
}

}  // namespace

OperationBytes EncodeOperation(const OperationFile &record) { return Encode(record, nullptr); }

OperationFile DecodeOperation(const OperationBytes &bytes)
{
    OperationFile record;
    RecordReader in(bytes);
    record.ComPortSetting = in.Int16();
    record.Unit = in.Text(kShortText);
    record.AverageCount = in.Int16();
    record.FreqStepMHz = in.Float();
    record.LevelStep = in.Float();
    record.RecordInterval = in.Text(kShortText);
    record.RecordTime = in.Text(kShortText);
    record.ReportHeader = in.Text(kLongText);
    record.LogoFile = in.Text(kLongText);
    record.SavedCenterFreq = in.Text(kShortText);
    record.SavedRefLevel = in.Text(kShortText);
    record.SavedSpan = in.Text(kShortText);
    record.SavedRbw = in.Text(kShortText);
    for (std::string &marker : record.SavedMarkers)
        marker = in.Text(kShortText);
    for (int i = 0; i < kDisplayColorCount; ++i)
        *ColorAt(record.Colors, i) = in.Color();
    record.CaptureDir = in.Text(kLongText);
    return record;
}

LoadResult LoadOperation(const std::string &path, OperationFile &record)
{
    LoadResult result;
    std::string why;
    int fd = OpenForReading(path, why);  // a FIFO planted there would hold the start-up forever
    if (fd < 0) {
        result.status = errno == ENOENT ? LoadStatus::Missing : LoadStatus::Unreadable;
        result.error = "open " + why;
        return result;
    }
    OperationBytes bytes{};  // what a short file lacks reads as zeros
    while (result.bytesRead < bytes.size()) {
        ssize_t got = read(fd, bytes.data() + result.bytesRead, bytes.size() - result.bytesRead);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            result.status = LoadStatus::Unreadable;
            result.error = ErrnoText("read " + path, errno);
            close(fd);
            return result;
        }
        if (got == 0)
            break;
        result.bytesRead += static_cast<size_t>(got);
    }
    close(fd);
    if (result.bytesRead == 0) {
        result.status = LoadStatus::Empty;
        return result;
    }
    // A field the file does not reach whole keeps the value it had (the first-start value): its
    // zeros would be black colours, a port 0 and an average of 0.
    std::vector<size_t> ends;
    const OperationBytes initial = Encode(record, &ends);
    size_t start = 0;
    for (size_t end : ends) {
        if (end > result.bytesRead)
            std::copy(initial.begin() + static_cast<std::ptrdiff_t>(start),
                      initial.begin() + static_cast<std::ptrdiff_t>(end), bytes.begin() + static_cast<std::ptrdiff_t>(start));
        start = end;
    }
    record = DecodeOperation(bytes);
    result.status = LoadStatus::Loaded;
    return result;
}

bool SaveOperation(const std::string &path, const OperationFile &record, std::string *error)
{
    const OperationBytes bytes = EncodeOperation(record);
    return ReplaceFileDurably(path, bytes.data(), bytes.size(), error);
}

std::string OperationFilePath() { return JoinPath(ProgramFolder(), "Tavrin.Log"); }

}  // namespace tavrin
