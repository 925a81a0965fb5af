// The jobs of the line: settings and generator commands sent with the fetch loop held, and a
// setting confirmed from the reports of the traces read after it.
#include "session/line_job.h"

#include <utility>

namespace tavrin {

void LineControl::RunJob(std::vector<JobStep> steps, std::function<void(const JobResult &)> done)
{
    if (halted_)
        return;
    auto job = std::make_unique<Job>(d_.timers);
    job->steps = std::move(steps);
    job->done = std::move(done);
    jobs_.push_back(std::move(job));
    if (!job_)
        StartJob();
}

void LineControl::StartJob()
{
    if (jobs_.empty()) {
        NextFetch();
        return;
    }
    job_ = std::move(jobs_.front());
    jobs_.pop_front();
    // The block on the line was asked before the job's setting: it would show the old one. It
    // finishes on the line, and the job's first command goes out right after it.
    CancelFetches();
    RunStep();
}

void LineControl::RunStep()
{
    Job &job = *job_;
    if (job.next == job.steps.size()) {
        const std::unique_ptr<Job> done = std::move(job_);
        if (done->done)
            done->done(done->result);
        if (!job_)
            StartJob();
        return;
    }
    const JobStep &step = job.steps[job.next];
    auto next = [this](const auto &) {
        job_->request = 0;
        StepDone();
    };
    switch (step.what) {
    case JobStep::What::Send:
        job.request = d_.instrument.Send(step.setting, next);
        break;
    case JobStep::What::Generator:
        job.request = d_.instrument.Generator(step.generator, next);
        break;
    case JobStep::What::Pause:
        job.pause.Start(step.pause, [this] { StepDone(); });
        break;
    case JobStep::What::Confirm:
        job.request = d_.instrument.Fetch([this](const Fetched &f) {
            job_->request = 0;
            ConfirmReplied(f);
        });
        break;
    }
}

void LineControl::StepDone()
{
    ++job_->next;
    RunStep();
}

void LineControl::ConfirmReplied(const Fetched &f)
{
    Count(f);
    JobResult &r = job_->result;
    const JobStep &step = job_->steps[job_->next];
    ++r.reads;
    r.silent = f.outcome == FetchOutcome::Silent || f.outcome == FetchOutcome::Unreachable;
    if (f.outcome == FetchOutcome::Trace) {
        r.reported = f.settings;
        r.confirmed = step.matches && step.matches(f.settings);
    }
    // Silence will not confirm: each further read would wait out the line's time-outs.
    if (r.confirmed || r.silent || r.reads >= kMaxConfirmReads) {
        StepDone();
        return;
    }
    RunStep();
}

}  // namespace tavrin
