#include "instrument/request_queue.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace tavrin {

namespace {

struct Entry {
    uint64_t id = 0;
    RequestQueue::Job job;
    std::chrono::milliseconds worst{0};
    std::shared_ptr<std::atomic<bool>> cancelled = std::make_shared<std::atomic<bool>>(false);
};

constexpr std::chrono::milliseconds kDestructorGrace{500};

}  // namespace

struct RequestQueue::Shared {
    mutable std::mutex mutex;
    std::condition_variable work;     // to the link thread: a job is queued, or stop
    std::condition_variable changed;  // to Stop: the thread ended
    std::deque<Entry> queue;
    std::optional<Entry> running;     // its job already moved out
    Clock::time_point runningSince;
    uint64_t next = 1;
    bool abandoned = false;
    bool stopping = false;
    bool ended = false;
};

RequestQueue::RequestQueue() : shared_(std::make_shared<Shared>())
{
    // The thread keeps its own reference: once detached it may outlive this object.
    worker_ = std::thread([shared = shared_] { Serve(shared); });
}

RequestQueue::~RequestQueue() { Stop(kDestructorGrace); }

void RequestQueue::Serve(const std::shared_ptr<Shared> &s)
{
    std::unique_lock lock(s->mutex);
    for (;;) {
        s->work.wait(lock, [&] { return s->stopping || !s->queue.empty(); });
        if (s->queue.empty())
            break;
        Entry entry = std::move(s->queue.front());
        s->queue.pop_front();
        Job job = std::move(entry.job);
        const auto cancelled = entry.cancelled;
        s->running = std::move(entry);
        s->runningSince = Clock::now();
        lock.unlock();
        job(*cancelled);
        job = nullptr;  // what it holds is let go here, on the thread that ran it
        lock.lock();
        s->running.reset();
    }
    s->ended = true;
    s->changed.notify_all();
}

uint64_t RequestQueue::Post(Job job, std::chrono::milliseconds worst)
{
    std::lock_guard lock(shared_->mutex);
    if (shared_->abandoned)
        return 0;
    Entry entry;
    entry.id = shared_->next++;
    entry.job = std::move(job);
    entry.worst = worst;
    shared_->queue.push_back(std::move(entry));
    shared_->work.notify_one();
    return shared_->queue.back().id;
}

bool RequestQueue::Cancel(uint64_t id)
{
    std::deque<Entry> dropped;  // destroyed outside the lock
    std::lock_guard lock(shared_->mutex);
    if (shared_->running && shared_->running->id == id) {
        shared_->running->cancelled->store(true);
        return true;
    }
    for (auto it = shared_->queue.begin(); it != shared_->queue.end(); ++it) {
        if (it->id == id) {
            dropped.push_back(std::move(*it));
            shared_->queue.erase(it);
            return true;
        }
    }
    return false;
}

bool RequestQueue::Busy() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->running || !shared_->queue.empty();
}

std::optional<RequestQueue::Clock::time_point> RequestQueue::FreeBy() const
{
    std::lock_guard lock(shared_->mutex);
    if (!shared_->running && shared_->queue.empty())
        return std::nullopt;
    Clock::time_point end = shared_->running ? shared_->runningSince + shared_->running->worst : Clock::now();
    for (const Entry &e : shared_->queue)
        end += e.worst;
    return end;
}

RequestQueue::Clock::duration RequestQueue::RunningFor() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->running ? Clock::now() - shared_->runningSince : Clock::duration::zero();
}

void RequestQueue::Abandon()
{
    std::deque<Entry> dropped;
    std::lock_guard lock(shared_->mutex);
    shared_->abandoned = true;
    if (shared_->running)
        shared_->running->cancelled->store(true);
    dropped.swap(shared_->queue);
}

bool RequestQueue::Abandoned() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->abandoned;
}

bool RequestQueue::Stop(std::chrono::milliseconds grace)
{
    Abandon();
    bool ended = false;
    {
        std::unique_lock lock(shared_->mutex);
        if (!worker_.joinable())
            return shared_->ended;  // stopped before
        shared_->stopping = true;
        shared_->work.notify_all();
        ended = shared_->changed.wait_for(lock, grace, [&] { return shared_->ended; });
    }
    if (ended)
        worker_.join();
    else
        worker_.detach();  // stuck inside the library; it ends with its call or with the process
    return ended;
}

}  // namespace tavrin
