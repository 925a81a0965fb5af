#include "widgets/file_job.h"

#include "common/dialogs.h"

#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <memory>
#include <thread>

namespace tavrin {

namespace {

constexpr int kProgressEveryMs = 25;

}  // namespace

bool RunFileJob(UserDialogs &dialogs, const std::string &title, const std::string &text,
                const std::function<void(JobControl &)> &job)
{
    JobControl control;
    QEventLoop loop;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        job(control);
        finished.store(true);
        // Posted: safe from this thread, and a quit posted before exec() is still delivered in it.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    const std::unique_ptr<ProgressView> view = dialogs.ShowProgress(title, text);
    QTimer progress;
    QObject::connect(&progress, &QTimer::timeout, &loop, [&] {
        view->Show(control.Done(), control.Total());
        if (view->CancelPressed())
            control.Cancel();
    });
    if (view)
        progress.start(kProgressEveryMs);
    loop.exec();
    // Ended by someone else: the application is ending every event loop, so the job gives up.
    if (!finished.load())
        control.Cancel();
    worker.join();
    return !control.Cancelled();
}

}  // namespace tavrin
