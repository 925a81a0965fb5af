#include "session/panel_settings.h"

#include "common/number_format.h"
#include "common/rounding.h"
#include "common/text_number.h"
#include "measure/frequency_step.h"
#include "measure/range_rules.h"
#include "settings/operation_file.h"

namespace tavrin {

namespace {

JobStep SendStep(const SettingCommand &c) { return {JobStep::What::Send, c, {}, {}, {}}; }
JobStep PauseStep() { return {JobStep::What::Pause, {}, {}, std::chrono::milliseconds(kConfirmPauseMs), {}}; }

}  // namespace

PanelSettings::PanelSettings(LineControl &line, std::function<void()> changed)
    : line_(line), changed_(std::move(changed))
{
    state_.centerFreqMHz = "80.000";
}

void PanelSettings::Restore(OperationFile &op)
{
    state_ = MeasurementState{};  // what the panel shows before the file is read
    auto restore = [](std::string &saved) {
        saved = TrimSpaces(saved);
        return !saved.empty();
    };
    if (restore(op.SavedCenterFreq))
        state_.centerFreqMHz = op.SavedCenterFreq;
    SetRefLevelPosition(restore(op.SavedRefLevel) ? RefLevelToIndex(RoundHalfEvenToInt32(NumericValue(op.SavedRefLevel)))
                                                  : 3);
    SetSpanPosition(restore(op.SavedSpan) ? SpanToIndex(op.SavedSpan) : 12);
    SetRbwPosition(restore(op.SavedRbw) ? RBWToIndex(op.SavedRbw) : 0);
    state_.unit = op.Unit;
    adjusting_ = false;
    changed_();
}

void PanelSettings::Save(OperationFile &op) const
{
    op.SavedCenterFreq = state_.centerFreqMHz;
    op.SavedRefLevel = state_.refLevelDbm;
    op.SavedSpan = state_.spanCaption;
    op.SavedRbw = state_.rbwCaption;
}

void PanelSettings::SetUnit(const std::string &unit)
{
    state_.unit = unit;
    changed_();
}

void PanelSettings::SetCenterFreqText(const std::string &text) { state_.centerFreqMHz = text; }

void PanelSettings::SetRefLevelPosition(int index)
{
    state_.refLevelIndex = index;
    state_.refLevelDbm = RefLevelText(index);
}

void PanelSettings::SetSpanPosition(int index)
{
    state_.spanIndex = index;
    state_.spanCaption = SpanCaption(index);
}

void PanelSettings::SetRbwPosition(int index)
{
    state_.rbwIndex = index;
    state_.rbwCaption = RbwCaption(index);
}

void PanelSettings::FollowReport(const AnalyzerSettings &reported)
{
    // A setting on its way, or one the user is changing, is not undone by an older report.
    if (adjusting_ || line_.JobsPending())
        return;
    const MeasurementState before = state_;
    ShowMeasureSetting(reported, state_, *this);
    if (state_.centerFreqMHz != before.centerFreqMHz || state_.spanCaption != before.spanCaption ||
        state_.refLevelDbm != before.refLevelDbm || state_.rbwCaption != before.rbwCaption)
        changed_();
}

void PanelSettings::ShowRecorded(const AnalyzerSettings &r)
{
    state_.refLevelIndex = RefLevelToIndex(r.refLevelDbm);
    state_.spanIndex = SpanToIndex(r.span);
    state_.rbwIndex = RBWToIndex(r.rbw);
    state_.centerFreqMHz = PlainDecimal(r.centerMHz);
    state_.spanCaption = r.span;
    state_.refLevelDbm = std::to_string(r.refLevelDbm);
    state_.rbwCaption = r.rbw;
    changed_();
}

void PanelSettings::Apply(std::vector<JobStep> steps, const std::optional<SettingCommand> &send,
                          std::function<bool(const AnalyzerSettings &)> matches, bool confirm, Applied applied)
{
    adjusting_ = false;
    lastApply_ = {};
    const bool confirming = confirm && send;
    if (confirming) {
        steps.push_back(SendStep(*send));
        steps.push_back(PauseStep());
        steps.push_back({JobStep::What::Confirm, {}, {}, {}, std::move(matches)});
    }
    changed_();
    if (steps.empty()) {
        if (applied)
            applied(true, lastApply_);
        return;
    }
    line_.RunJob(std::move(steps), [this, confirming, applied = std::move(applied)](const JobResult &r) {
        lastApply_ = r;
        changed_();  // the panel may follow the reports again
        if (applied)
            applied(!confirming || r.confirmed, r);
    });
}

void PanelSettings::EnterCenter(const std::string &typed, Applied applied)
{
    state_.centerFreqMHz = NormalizeFrequencyText(typed);
    ApplyCenter(std::move(applied));
}

void PanelSettings::StepCenter(int direction, float stepMHz)
{
    if (auto moved = StepFrequencyText(state_.centerFreqMHz, direction, stepMHz))
        state_.centerFreqMHz = *moved;
    ApplyCenter({});
}

void PanelSettings::ApplyCenter(Applied applied)
{
    // A centre outside the analyzer's range cannot be fitted by any span: it is brought to the
    // nearest end (only zero span then fits), rather than sent as typed.
    const double typed = NumericValue(state_.centerFreqMHz);
    if (CenterInRange(typed) != typed)
        state_.centerFreqMHz = FormatFixed(CenterInRange(typed), 3, 3);
    const double c = NumericValue(state_.centerFreqMHz);
    std::vector<JobStep> steps;
    // The narrowed span goes out before the frequency, running or not.
    if (!WindowFits(c, state_.spanCaption)) {
        SetSpanPosition(SpanRowThatFits(c, state_.spanIndex));
        steps = {SendStep(SpanCommand(TrimSpaces(state_.spanCaption))), PauseStep()};
    }
    Apply(std::move(steps), CenterCommand(c), [c](const AnalyzerSettings &r) { return r.centerMHz == c; },
          Confirming(), std::move(applied));
}

void PanelSettings::ChooseSpan(int row, Applied applied)
{
    SetSpanPosition(row);
    ApplySpan(std::move(applied));
}

void PanelSettings::ApplySpan(Applied applied)
{
    const std::string caption = state_.spanCaption;
    std::vector<JobStep> steps;
    // A span widened near an end of the range moves the centre inwards first, running or not.
    if (const std::optional<double> moved = CenterThatFits(NumericValue(state_.centerFreqMHz), caption)) {
        state_.centerFreqMHz = FormatFixed(*moved, 3, 3);
        steps = {SendStep(CenterCommand(NumericValue(state_.centerFreqMHz))), PauseStep()};
    }
    const std::string wanted = TrimSpaces(caption);
    Apply(std::move(steps), SpanCommand(wanted), [wanted](const AnalyzerSettings &r) { return TrimSpaces(r.span) == wanted; },
          Confirming(), std::move(applied));
}

void PanelSettings::ChooseRefLevel(int row, Applied applied)
{
    SetRefLevelPosition(row);
    const double level = NumericValue(state_.refLevelDbm);
    Apply({}, RefLevelCommand(level), [level](const AnalyzerSettings &r) { return r.refLevelDbm == level; },
          Confirming(), std::move(applied));
}

void PanelSettings::ChooseRbw(int row, Applied applied)
{
    SetRbwPosition(row);
    const std::string wanted = TrimSpaces(state_.rbwCaption);
    // The RBW is the analyzer's own choice at every span but zero span.
    Apply({}, RbwCommand(wanted), [wanted](const AnalyzerSettings &r) { return TrimSpaces(r.rbw) == wanted; },
          IsZeroSpan(state_.spanCaption) && Confirming(), std::move(applied));
}

}  // namespace tavrin
