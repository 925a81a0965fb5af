// Every trace the session accepts, published once to every sink, in the order they connected.
// A sink is any function of a trace; its connection ends when the returned handle goes.
#pragma once

#include "measure/trace.h"

#include <functional>
#include <map>
#include <memory>

namespace tavrin {

class TraceBus {
public:
    using Sink = std::function<void(const TracePtr &)>;

    // Ends the connection when it goes (or at Disconnect).
    class Connection {
    public:
        Connection() = default;
        Connection(Connection &&other) noexcept { *this = std::move(other); }
        Connection &operator=(Connection &&other) noexcept
        {
            Disconnect();
            bus_ = std::exchange(other.bus_, {});
            id_ = other.id_;
            return *this;
        }
        ~Connection() { Disconnect(); }
        void Disconnect()
        {
            if (auto bus = bus_.lock())
                bus->erase(id_);
            bus_.reset();
        }

    private:
        friend class TraceBus;
        std::weak_ptr<std::map<uint64_t, Sink>> bus_;
        uint64_t id_ = 0;
    };

    [[nodiscard]] Connection Connect(Sink sink)
    {
        Connection c;
        c.id_ = next_++;
        sinks_->emplace(c.id_, std::move(sink));
        c.bus_ = sinks_;
        return c;
    }
    // A sink that disconnects (itself or another) while it is called is safe: each is looked up
    // as the publication goes on.
    void Publish(const TracePtr &trace) const
    {
        for (uint64_t id = 0;;) {
            const auto it = sinks_->upper_bound(id);
            if (it == sinks_->end())
                return;
            id = it->first;
            const Sink sink = it->second;  // a copy: the sink may drop its own connection
            sink(trace);
        }
    }
    size_t Count() const { return sinks_->size(); }

private:
    std::shared_ptr<std::map<uint64_t, Sink>> sinks_ = std::make_shared<std::map<uint64_t, Sink>>();
    uint64_t next_ = 1;
};

}  // namespace tavrin
