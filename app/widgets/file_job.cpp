#include "widgets/file_job.h"

#include "common/dialogs.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <thread>

namespace tavrin {

namespace {

constexpr int kProgressEveryMs = 25;

class FileJob : public QObject {
public:
    FileJob(QObject *context, std::unique_ptr<ProgressView> view, std::function<void(bool)> done)
        : QObject(context), view_(std::move(view)), done_(std::move(done))
    {
        if (view_) {
            connect(&progress_, &QTimer::timeout, this, [this] {
                view_->Show(control_.Done(), control_.Total());
                if (view_->CancelPressed())
                    control_.Cancel();
            });
            progress_.start(kProgressEveryMs);
        }
    }
    // The context is going: the job gives up, and is waited for.
    ~FileJob() override
    {
        control_.Cancel();
        if (worker_.joinable())
            worker_.join();
    }

    void Run(std::function<void(JobControl &)> job)
    {
        worker_ = std::thread([this, job = std::move(job)] {
            job(control_);
            // Posted to this object: delivered on the window thread, dropped if it went.
            QMetaObject::invokeMethod(this, [this] { Finish(); }, Qt::QueuedConnection);
        });
    }

private:
    void Finish()
    {
        worker_.join();
        progress_.stop();
        view_.reset();
        const std::function<void(bool)> done = std::move(done_);
        const bool completed = !control_.Cancelled();
        deleteLater();
        if (done)
            done(completed);
    }

    JobControl control_;
    std::unique_ptr<ProgressView> view_;
    std::function<void(bool)> done_;
    QTimer progress_;
    std::thread worker_;
};

}  // namespace

void StartFileJob(QObject *context, UserDialogs &dialogs, const std::string &title, const std::string &text,
                  std::function<void(JobControl &)> job, std::function<void(bool completed)> done)
{
    auto *runner = new FileJob(context, dialogs.ShowProgress(title, text), std::move(done));
    runner->Run(std::move(job));
}

}  // namespace tavrin
