#include "record/trace_memory.h"

#include "common/program_folder.h"
#include "common/safe_file.h"
#include "common/text_number.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tavrin {

std::string MemoryFileName(MemorySlot slot) { return MemoryRowName(slot) + ".spf"; }

std::string MemoryPath(MemorySlot slot) { return JoinPath(WorkingFolder(), MemoryFileName(slot)); }

std::string MemoryRowName(MemorySlot slot) { return slot == MemorySlot::A ? "memory_a" : "memory_b"; }

MemoryLoad LoadMemory(const std::string &path)
{
    MemoryLoad load;
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 && errno == ENOENT) {
        load.missing = true;
        load.reason = "nothing is stored: there is no " + path;
        return load;
    }
    std::vector<unsigned char> bytes;
    uint64_t size = 0;
    std::string error;
    const WholeFile read = ReadWholeFile(path, kRecordBytes, bytes, error, size);
    if (read == WholeFile::Failed) {
        load.reason = error;
        return load;
    }
    if (read == WholeFile::Read && bytes.empty()) {
        load.reason = path + " is empty";
        return load;
    }
    if (read != WholeFile::Read || bytes.size() != kRecordBytes) {
        const uint64_t length = read == WholeFile::Read ? bytes.size() : size;
        load.reason = path + " is " + std::to_string(length) + " bytes long, not one record of " +
                      std::to_string(kRecordBytes);
        return load;
    }
    const TraceRecord record = DecodeRecord(bytes.data());
    if (!record.Filled() || !PossibleRecord(record)) {
        load.reason = path + " holds values the analyzer cannot give (a damaged file?)";
        return load;
    }
    load.memory = record;
    return load;
}

bool StoreMemory(const std::string &path, const TraceRecord &memory, std::string &error)
{
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code made;
    if (!folder.empty())
        std::filesystem::create_directories(folder, made);  // a failure shows as the write's
    const RecordBytes bytes = EncodeRecord(memory);
    return ReplaceFileDurably(path, bytes.data(), bytes.size(), &error);
}

bool ForgetMemory(const std::string &path, std::string &error)
{
    if (unlink(path.c_str()) != 0 && errno != ENOENT) {
        error = ErrnoText(path, errno);
        return false;
    }
    SyncFolderOf(path);
    return true;
}

CsvHold MemoryCsvRow(MemorySlot slot, const TraceRecord &memory)
{
    return {MemoryRowName(slot), &memory.points, RecordSettings(memory)};
}

}  // namespace tavrin
