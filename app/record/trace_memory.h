// Trace memories A and B: a trace kept with the settings it was taken at, across runs, each as a
// file of one record in the record file's layout in the Working folder ("memory_a.spf",
// "memory_b.spf"), so Load and tavrin-cli convert read it as any record. The CSV export writes a
// memory as a row like the holds', named "memory_a" or "memory_b" in the time column.
#pragma once

#include "measure/measure_setting.h"
#include "record/record_csv.h"
#include "record/record_file.h"

#include <ctime>
#include <optional>
#include <string>

namespace tavrin {

enum class MemorySlot { A, B };

// "memory_a.spf", "memory_b.spf".
std::string MemoryFileName(MemorySlot slot);
// The memory's file in the program's Working folder.
std::string MemoryPath(MemorySlot slot);
// "memory_a", "memory_b": the CSV row's name.
std::string MemoryRowName(MemorySlot slot);


struct MemoryLoad {
    std::optional<TraceRecord> memory;
    bool missing = false;  // never stored (or forgotten): nothing to tell the user
    std::string reason;    // why there is no memory
};

// The memory in the file at path. A file that is missing, empty, not one record long or holds a
// record the analyzer cannot give (or anything but a regular file, never waited on) gives none,
// with the reason.
MemoryLoad LoadMemory(const std::string &path);
// Writes the memory as the whole file at path, durably, replacing it whole or not at all; the
// folder is made when missing. On failure returns false with the reason in error.
bool StoreMemory(const std::string &path, const TraceRecord &memory, std::string &error);
// Removes the file; a missing one is no failure.
bool ForgetMemory(const std::string &path, std::string &error);

// The memory's CSV row, for CsvHoldRows after the holds'; memory must outlive the row.
CsvHold MemoryCsvRow(MemorySlot slot, const TraceRecord &memory);

}  // namespace tavrin
