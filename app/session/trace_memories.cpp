#include "session/trace_memories.h"

namespace tavrin {

const char *SlotLetter(MemorySlot slot) { return slot == MemorySlot::A ? "A" : "B"; }

void TraceMemories::Load()
{
    for (MemorySlot slot : {MemorySlot::A, MemorySlot::B}) {
        MemoryLoad load = LoadMemory(path_(slot));
        Of(slot).memory = std::move(load.memory);
        if (!Of(slot).memory && !load.missing)
            e_.problem(std::string("Memory ") + SlotLetter(slot) + " is empty: " + load.reason + ".");
    }
    e_.changed();
}

void TraceMemories::Store(MemorySlot slot, const TraceRecord &memory)
{
    std::string error;
    if (!StoreMemory(path_(slot), memory, error)) {
        e_.problem(std::string("Memory ") + SlotLetter(slot) + " was not stored: " + error +
                   ". It keeps what it held.");
        return;
    }
    Of(slot).memory = memory;
    e_.changed();
}

void TraceMemories::SetShown(MemorySlot slot, bool on)
{
    Of(slot).shown = on;
    e_.changed();
}

void TraceMemories::SetDifference(std::optional<DifferenceKind> kind)
{
    difference_ = kind;
    e_.changed();
}

SettledTrace TraceMemories::Settled(MemorySlot slot) const
{
    const std::optional<TraceRecord> &m = Of(slot).memory;
    if (!m)
        return {};
    return {&m->points, RecordSettings(*m)};
}

}  // namespace tavrin
