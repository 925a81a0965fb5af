// What waits for the broker: messages in their order, kept within a number of bytes. Past the
// bound the oldest go first, and are counted, so that what the broker gets after an outage is the
// newest stretch without a hole inside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace tavrin {

struct OutMessage {
    std::string topic;
    std::string payload;

    size_t Bytes() const { return topic.size() + payload.size(); }
};

class Outbox {
public:
    explicit Outbox(size_t boundBytes) : bound_(boundBytes) {}

    // Adds a message at the end; a message larger than the whole bound is dropped itself.
    void Push(OutMessage message);
    std::optional<OutMessage> Pop();

    bool Empty() const { return messages_.empty(); }
    size_t Size() const { return messages_.size(); }
    size_t Bytes() const { return bytes_; }
    uint64_t Dropped() const { return dropped_; }

private:
    size_t bound_;
    std::deque<OutMessage> messages_;
    size_t bytes_ = 0;
    uint64_t dropped_ = 0;
};

}  // namespace tavrin
