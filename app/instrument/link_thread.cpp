#include "instrument/link_thread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace tavrin {

struct LinkThread::Request {
    Job job;
    // Both guarded by Shared::mutex.
    bool done = false;
    QEventLoop *loop = nullptr;  // the caller's wait on the user-interface thread, if any

    // Posting is safe from any thread; the caller clears loop under the same lock before the
    // loop goes away, so it is alive here.
    void Wake()
    {
        if (loop)
            QMetaObject::invokeMethod(loop, &QEventLoop::quit, Qt::QueuedConnection);
    }
};

struct LinkThread::Shared {
    std::mutex mutex;
    std::condition_variable work;     // to the link thread: a job is queued, or stop
    std::condition_variable changed;  // to blocked callers and Stop: a job is done, abandoned, ended
    std::deque<std::shared_ptr<Request>> queue;
    std::shared_ptr<Request> running;
    bool abandoned = false;
    bool stopping = false;
    bool ended = false;
};

namespace {

constexpr std::chrono::milliseconds kDestructorGrace{500};

}  // namespace

LinkThread::LinkThread() : shared_(std::make_shared<Shared>())
{
    // The thread keeps its own reference: once detached it may outlive this object.
    worker_ = std::thread([shared = shared_] { Serve(shared); });
}

LinkThread::~LinkThread() { Stop(kDestructorGrace); }

void LinkThread::Serve(const std::shared_ptr<Shared> &s)
{
    std::unique_lock lock(s->mutex);
    for (;;) {
        s->work.wait(lock, [&] { return s->stopping || !s->queue.empty(); });
        if (s->queue.empty())
            break;
        std::shared_ptr<Request> request = std::move(s->queue.front());
        s->queue.pop_front();
        s->running = request;
        Job job = std::move(request->job);
        lock.unlock();
        job();
        job = nullptr;  // what it holds is let go here, not on a thread that no longer expects it
        lock.lock();
        request->done = true;
        request->Wake();
        s->running.reset();
        s->changed.notify_all();
    }
    s->ended = true;
    s->changed.notify_all();
}

bool LinkThread::Call(Job job)
{
    auto request = std::make_shared<Request>();
    request->job = std::move(job);
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->abandoned)
            return false;
        shared_->queue.push_back(request);
    }
    shared_->work.notify_one();
    const QCoreApplication *app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread())
        return WaitServingEvents(*request);
    return WaitBlocking(*request);
}

bool LinkThread::WaitServingEvents(Request &request)
{
    QEventLoop loop;
    {
        std::lock_guard lock(shared_->mutex);
        if (request.done || shared_->abandoned)
            return request.done;
        request.loop = &loop;
    }
    // A quit posted before exec() starts is still delivered inside it.
    loop.exec();
    {
        std::lock_guard lock(shared_->mutex);
        request.loop = nullptr;
        if (request.done || shared_->abandoned)
            return request.done;
    }
    // Nobody of ours ended the loop: the application is telling every event loop to end. Waiting
    // on would hold the program on the line, and a new exec() would return at once (a spin).
    Abandon();
    return false;
}

bool LinkThread::WaitBlocking(Request &request)
{
    std::unique_lock lock(shared_->mutex);
    shared_->changed.wait(lock, [&] { return request.done || shared_->abandoned; });
    return request.done;
}

void LinkThread::Abandon()
{
    std::deque<std::shared_ptr<Request>> dropped;
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->abandoned)
            return;
        shared_->abandoned = true;
        for (const auto &request : shared_->queue)
            request->Wake();
        if (shared_->running)
            shared_->running->Wake();
        dropped.swap(shared_->queue);
    }
    shared_->changed.notify_all();
}

bool LinkThread::Abandoned() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->abandoned;
}

bool LinkThread::CallInFlight() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->running || !shared_->queue.empty();
}

bool LinkThread::Stop(std::chrono::milliseconds grace)
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
