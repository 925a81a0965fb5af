#include "publish/outbox.h"

#include <utility>

namespace tavrin {

void Outbox::Push(OutMessage message)
{
    if (message.Bytes() > bound_) {
        ++dropped_;
        return;
    }
    while (bytes_ + message.Bytes() > bound_) {
        bytes_ -= messages_.front().Bytes();
        messages_.pop_front();
        ++dropped_;
    }
    bytes_ += message.Bytes();
    messages_.push_back(std::move(message));
}

std::optional<OutMessage> Outbox::Pop()
{
    if (messages_.empty())
        return std::nullopt;
    OutMessage m = std::move(messages_.front());
    messages_.pop_front();
    bytes_ -= m.Bytes();
    return m;
}

}  // namespace tavrin
