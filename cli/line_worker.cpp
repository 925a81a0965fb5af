#include "cli/line_worker.h"

#include "cli/session.h"

#include <future>

namespace tavrin::cli {

LineWorker::LineWorker(QObject &home) : home_(home), thread_([this] { Loop(); }) {}

LineWorker::~LineWorker()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
        if (dll_)
            dll_->Abandon();
    }
    wake_.notify_all();
    thread_.join();
}

void LineWorker::Post(Job job)
{
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_all();
}

void LineWorker::Back(std::function<void()> back)
{
    QMetaObject::invokeMethod(&home_, std::move(back), Qt::QueuedConnection);
}

void LineWorker::RunNow(const Job &job)
{
    std::promise<void> done;
    Post([&](TavrinDLL &dll) {
        job(dll);
        done.set_value();
    });
    done.get_future().wait();
}

void LineWorker::Loop()
{
    StderrDialogs dialogs;
    TavrinDLL dll(dialogs);
    // Nothing of the event loop's runs here: a wait on the line only waits.
    dll.SetEventPump([] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); });
    std::unique_lock lock(mutex_);
    dll_ = &dll;
    while (true) {
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (stopping_)
            break;
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        job(dll);
        lock.lock();
    }
    dll_ = nullptr;
}

}  // namespace tavrin::cli
