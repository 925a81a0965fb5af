// The two sides of a long file job: the worker reports how far it is, the window thread reads
// that and may ask it to stop. Safe between one worker and the window thread.
#pragma once

#include <atomic>
#include <cstdint>

namespace tavrin {

class JobControl {
public:
    // Units of work in all (records, bytes) and how many are done.
    void SetTotal(int64_t total) { total_.store(total, std::memory_order_relaxed); }
    void SetDone(int64_t done) { done_.store(done, std::memory_order_relaxed); }
    int64_t Total() const { return total_.load(std::memory_order_relaxed); }
    int64_t Done() const { return done_.load(std::memory_order_relaxed); }

    // The worker checks this between small steps and, once it is set, gives up and leaves no
    // trace of its work behind.
    void Cancel() { cancelled_.store(true, std::memory_order_relaxed); }
    bool Cancelled() const { return cancelled_.load(std::memory_order_relaxed); }

private:
    std::atomic<int64_t> total_{0};
    std::atomic<int64_t> done_{0};
    std::atomic<bool> cancelled_{false};
};

}  // namespace tavrin
