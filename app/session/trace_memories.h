// Trace memories A and B of the session: each a trace kept with the settings it was taken at, in
// a file of its own so that it outlives the program, shown or hidden, and the difference view
// (live - A, or A - B) the screen shows instead of the levels.
#pragma once

#include "measure/trace_difference.h"
#include "record/trace_memory.h"

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace tavrin {

class TraceMemories {
public:
    struct Events {
        std::function<void()> changed;
        std::function<void(const std::string &text)> problem;
    };
    explicit TraceMemories(Events events) : e_(std::move(events)) {}

    // The memories' files (memory_a.spf and memory_b.spf in the Working folder unless told).
    void SetFiles(std::function<std::string(MemorySlot)> path) { path_ = std::move(path); }
    // Both memories from their files: a missing file is an empty memory, said to nobody; a
    // damaged one is not used, and the user is told why.
    void Load();
    // The trace into the memory and its file; on a failure the memory keeps what it held.
    void Store(MemorySlot slot, const TraceRecord &memory);
    void SetShown(MemorySlot slot, bool on);
    // The screen shows this difference instead of the levels; none: the levels.
    void SetDifference(std::optional<DifferenceKind> kind);

    const std::optional<TraceRecord> &Memory(MemorySlot slot) const { return Of(slot).memory; }
    bool Shown(MemorySlot slot) const { return Of(slot).shown; }
    std::optional<DifferenceKind> Difference() const { return difference_; }
    // The memory with its settings; no points when it is empty.
    SettledTrace Settled(MemorySlot slot) const;

private:
    struct Slot {
        std::optional<TraceRecord> memory;
        bool shown = false;
    };
    Slot &Of(MemorySlot slot) { return slots_[static_cast<size_t>(slot)]; }
    const Slot &Of(MemorySlot slot) const { return slots_[static_cast<size_t>(slot)]; }

    Events e_;
    std::function<std::string(MemorySlot)> path_ = MemoryPath;
    std::array<Slot, 2> slots_{};
    std::optional<DifferenceKind> difference_;
};

// "A", "B".
const char *SlotLetter(MemorySlot slot);

}  // namespace tavrin
