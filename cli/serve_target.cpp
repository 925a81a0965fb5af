#include "cli/serve_target.h"

#include "cli/options.h"
#include "cli/session.h"
#include "common/number_format.h"
#include "common/text_number.h"
#include "instrument/confirmed_settings.h"
#include "measure/range_rules.h"
#include "settings/operation_file.h"
#include "settings/program_settings.h"
#include "tg/tg_control.h"

#include <QTimer>

namespace tavrin::cli {

using remote::Done;
using remote::Outcome;

namespace {

// Between fetches while the line gives no trace, so that a lost port is not asked in a tight loop.
constexpr int kRetryMs = 500;

// "207" 2.07, "14" 1.4; "" when the analyzer did not answer.
std::string Version(int32_t v, int decimals)
{
    if (v <= 0)
        return {};
    const double scale = decimals == 2 ? 100 : 10;
    return FormatFixed(v / scale, decimals, decimals);
}

std::string Unconfirmed(const std::string &what, const Confirmation &c, const std::string &reported)
{
    return "the analyzer did not confirm the " + what + ": after " + std::to_string(c.reads) +
           " traces it still reports " + reported;
}

std::string Mhz(double mhz) { return FormatFixed(mhz, 3, 3) + " MHz"; }

}  // namespace

ServeTarget::ServeTarget(QObject &home) : home_(home), worker_(home) {}

int ServeTarget::Open(int port)
{
    OperationFile saved = DefaultOperation();
    LoadOperation(OperationFilePath(), saved);
    averageCount_ = std::clamp<int>(saved.AverageCount, 2, 255);
    settings_.dBu = TrimSpaces(saved.Unit) == "dBu";
    const ProgramSettings program = LoadProgramSettings(ProgramSettingsPath(OperationFilePath()));
    for (size_t k = 0; k < limits_.size(); ++k)
        limits_[k].kind = program.limits.lower[k] ? LimitKind::Lower : LimitKind::Upper;
    holds_.SetOn(HoldKind::Max, true);
    holds_.SetOn(HoldKind::Min, true);

    int code = kExitOk;
    Taken first;
    worker_.RunNow([&](TavrinDLL &dll) {
        if ((code = OpenAnalyzer(dll, port)) != kExitOk)
            return;
        identity_.serial = dll.SerialNumText();
        if (!cli::TakeTrace(dll)) {
            code = kExitNoAnswer;
            return;
        }
        first = {true, false, dll.Trace().points, dll.Report()};
        identity_.software = Version(dll.SoftwareVersion(), 2);
        identity_.fpga = Version(dll.FpgaVersion(), 1);
    });
    if (code == kExitOk)
        Took(first);
    return code;
}

void ServeTarget::Apply(Send send, Done done)
{
    ++jobs_;
    ++settingJobs_;
    worker_.Post([w = &worker_, this, send = std::move(send), done = std::move(done)](TavrinDLL &dll) {
        std::string why;
        const bool ok = send(dll, why);
        const BlockReport report = dll.Report();
        const bool fresh = !dll.LastFetchSilent();
        w->Back([this, ok, why, report, fresh, done] {
            --jobs_;
            --settingJobs_;
            if (fresh)
                ShowReport(report);
            done(ok ? Outcome::Ok() : Outcome{-200, why});
            Continue();
        });
    });
}

void ServeTarget::Command(std::function<void(TavrinDLL &)> send, Done done)
{
    ++jobs_;
    worker_.Post([w = &worker_, this, send = std::move(send), done = std::move(done)](TavrinDLL &dll) {
        send(dll);
        w->Back([this, done] {
            --jobs_;
            done(Outcome::Ok());
            Continue();
        });
    });
}

// As the panel applies a centre: a window that would leave 0..1150 MHz narrows the span first.
void ServeTarget::SetCenter(double mhz, Done done)
{
    const std::string span = settings_.span;
    const std::string fitted = WindowFits(mhz, span) ? span : SpanCaption(SpanRowThatFits(mhz, SpanToIndex(span)));
    settings_.centerMHz = mhz;
    settings_.span = fitted;
    Apply([mhz, span, fitted](TavrinDLL &dll, std::string &why) {
        if (fitted != span) {
            dll.SendSpan(fitted);
            dll.Pause(kConfirmPauseMs);
        }
        const Confirmation c = SendCenterFreqConfirmed(dll, mhz);
        if (!c.confirmed)
            why = Unconfirmed("centre frequency " + Mhz(mhz), c, Mhz(dll.BlockCenterFreq()));
        return c.confirmed;
    }, std::move(done));
}

// As the panel applies a span: a window that would leave 0..1150 MHz moves the centre first.
void ServeTarget::SetSpan(const std::string &caption, Done done)
{
    std::optional<double> moved = CenterThatFits(settings_.centerMHz, caption);
    if (moved)
        settings_.centerMHz = *moved = NumericValue(FormatFixed(*moved, 3, 3));
    settings_.span = caption;
    Apply([moved, caption](TavrinDLL &dll, std::string &why) {
        if (moved) {
            dll.SendCenterFreq(*moved);
            dll.Pause(kConfirmPauseMs);
        }
        const Confirmation c = SendSpanConfirmed(dll, caption);
        if (!c.confirmed)
            why = Unconfirmed("span " + caption, c, TrimSpaces(dll.BlockSpan()));
        return c.confirmed;
    }, std::move(done));
}

void ServeTarget::SetRefLevel(int dbm, Done done)
{
    settings_.refLevelDbm = dbm;
    Apply([dbm](TavrinDLL &dll, std::string &why) {
        const Confirmation c = SendRefLevelConfirmed(dll, dbm);
        if (!c.confirmed)
            why = Unconfirmed("reference level " + std::to_string(dbm) + " dBm", c,
                              std::to_string(dll.BlockRefLevel()) + " dBm");
        return c.confirmed;
    }, std::move(done));
}

void ServeTarget::SetRbw(const std::string &caption, Done done)
{
    settings_.rbw = caption;
    Apply([caption](TavrinDLL &dll, std::string &why) {
        const Confirmation c = SendRBWConfirmed(dll, caption);
        if (!c.confirmed)
            why = Unconfirmed("RBW " + caption, c, TrimSpaces(dll.BlockRBW()));
        return c.confirmed;
    }, std::move(done));
}

void ServeTarget::SetRunning(bool on, Done done)
{
    running_ = on;
    done(Outcome::Ok());
    Continue();
}

void ServeTarget::TakeTrace(Done done)
{
    waitingTraces_.push_back(std::move(done));
    Continue();
}

void ServeTarget::Abort()
{
    std::vector<Done> ended = std::move(waitingTraces_);
    waitingTraces_.clear();
    ended.insert(ended.end(), inFlight_.begin(), inFlight_.end());
    inFlight_.clear();
    for (const Done &done : ended)
        done(Outcome::Ok());
}

void ServeTarget::Continue()
{
    if (jobs_ > 0 || (!running_ && waitingTraces_.empty()) || (retrying_ && waitingTraces_.empty()))
        return;
    inFlight_ = std::move(waitingTraces_);
    waitingTraces_.clear();
    ++jobs_;
    worker_.Post([w = &worker_, this](TavrinDLL &dll) {
        Taken t;
        t.ok = dll.FetchTrace();
        t.silent = dll.LastFetchSilent();
        if (t.ok) {
            t.points = dll.Trace().points;
            t.report = dll.Report();
        }
        w->Back([this, t] {
            --jobs_;
            Took(t);
        });
    });
}

void ServeTarget::Took(const Taken &taken)
{
    const std::vector<Done> batch = std::move(inFlight_);
    inFlight_.clear();
    if (taken.ok) {
        ++traces_;
        if (averagingOn_)
            average_.Add(taken.points, shown_);
        else
            shown_ = taken.points;
        shownReport_ = taken.report;
        const BlockReport &r = taken.report;
        holds_.Add(shown_, ReportedSettings{r.centerMHz, r.span, r.refLevelDbm, r.rbw});
        ShowReport(r);
    } else if (running_ && !retrying_) {
        retrying_ = true;
        QTimer::singleShot(kRetryMs, &home_, [this] {
            retrying_ = false;
            Continue();
        });
    }
    const Outcome outcome = taken.ok ? Outcome::Ok()
                            : taken.silent ? Outcome{-200, "the analyzer stopped answering"}
                                           : Outcome{-200, "the analyzer sends no valid trace: the line garbles its blocks"};
    for (const Done &done : batch)
        done(outcome);
    Continue();
}

// What the analyzer reports, shown as the panel shows it - unless a setting is on its way.
void ServeTarget::ShowReport(const BlockReport &report)
{
    if (settingJobs_ > 0)
        return;
    if (report.centerMHz > 0)
        settings_.centerMHz = NumericValue(FormatFixed(report.centerMHz, 3, 3));
    settings_.span = SpanCaption(SpanToIndex(report.span));
    settings_.refLevelDbm = kRefLevelsDbm[static_cast<size_t>(RefLevelToIndex(report.refLevelDbm))];
    settings_.rbw = RbwCaption(RBWToIndex(report.rbw));
}

void ServeTarget::SetAveraging(bool on, Done done)
{
    if (on && !averagingOn_)
        average_.Restart(averageCount_);
    averagingOn_ = on;
    done(Outcome::Ok());
}

void ServeTarget::SetAverageCount(int count, Done done)
{
    averageCount_ = count;
    if (averagingOn_)
        average_.Restart(count);
    done(Outcome::Ok());
}

// The panel's TG Mode button: leaving switches the output off first.
void ServeTarget::SetGeneratorMode(bool on, Done done)
{
    if (on == generator_.mode) {
        done(Outcome::Ok());
        return;
    }
    generator_.mode = on;
    generator_.output = false;
    if (on)
        Command([](TavrinDLL &dll) { dll.SendStartTG(); }, std::move(done));
    else
        Command([](TavrinDLL &dll) { LeaveTGMode(dll); }, std::move(done));
}

void ServeTarget::SetGeneratorOutput(bool on, Done done)
{
    generator_.output = on;
    const int16_t level = static_cast<int16_t>(generator_.levelDbm), offset = static_cast<int16_t>(generator_.offsetKHz);
    if (on)
        Command([level, offset](TavrinDLL &dll) { SendTGCommands(dll, true, level, offset); }, std::move(done));
    else
        Command([](TavrinDLL &dll) { dll.SendTGOnOff(false); }, std::move(done));
}

// Level and offset go out with the generator's other settings, in generator mode only.
void ServeTarget::SetGeneratorLevel(int dbm, Done done)
{
    generator_.levelDbm = dbm;
    SendGeneratorSettings(std::move(done));
}

void ServeTarget::SetGeneratorOffset(int khz, Done done)
{
    generator_.offsetKHz = khz;
    SendGeneratorSettings(std::move(done));
}

void ServeTarget::SendGeneratorSettings(Done done)
{
    if (!generator_.mode) {
        done(Outcome::Ok());
        return;
    }
    const bool output = generator_.output;
    const int16_t level = static_cast<int16_t>(generator_.levelDbm), offset = static_cast<int16_t>(generator_.offsetKHz);
    Command([output, level, offset](TavrinDLL &dll) { SendTGCommands(dll, output, level, offset); }, std::move(done));
}

void ServeTarget::NormalizeGenerator(Done done)
{
    Command([](TavrinDLL &dll) { dll.SendNormalizeTG(); }, std::move(done));
}

}  // namespace tavrin::cli
