// The analyzer's settings as the panel shows them, and the four apply procedures: a changed
// setting goes out and is confirmed from the reports of the traces that follow, while the fetch
// loop is held. The panel follows the analyzer's own reports unless the user is changing one.
#pragma once

#include "measure/analyzer_settings.h"
#include "measure/measure_setting.h"
#include "measure/measurement_state.h"
#include "session/line_control.h"

#include <functional>
#include <string>

namespace tavrin {

struct OperationFile;

class PanelSettings : private MeasurePanel {
public:
    PanelSettings(LineControl &line, std::function<void()> changed);

    // The saved texts, trimmed back into the record; the table settings on the rows they name.
    void Restore(OperationFile &op);
    void Save(OperationFile &op) const;
    void SetUnit(const std::string &unit);

    // How an apply ended: sent and confirmed (or nothing to confirm), with what was read.
    using Applied = std::function<void(bool confirmed, const JobResult &)>;

    // Enter in the centre field: the text with three decimals, then applied.
    void EnterCenter(const std::string &typed, Applied applied = {});
    // One frequency step up (direction > 0) or down, then applied.
    void StepCenter(int direction, float stepMHz);
    void ChooseSpan(int row, Applied applied = {});
    void ChooseRefLevel(int row, Applied applied = {});
    void ChooseRbw(int row, Applied applied = {});
    // A mouse button is down on one of the four spinners: the reports leave the panel alone
    // until the apply that follows (or the release beside the arrow).
    void SetAdjusting(bool on) { adjusting_ = on; }
    // The user is typing in the centre field: reports leave its text alone.
    void SetCenterEditing(bool on) { centerEditing_ = on; }
    // The panel confirms a setting only while acquiring; a script confirms every one.
    void SetConfirmAlways(bool on) { confirmAlways_ = on; }
    bool ConfirmAlways() const { return confirmAlways_; }

    // The analyzer reported these with a trace.
    void FollowReport(const AnalyzerSettings &reported);
    // A played record's settings, nothing sent: the rows the captions name, and the captions
    // as recorded.
    void ShowRecorded(const AnalyzerSettings &recorded);

    const MeasurementState &State() const { return state_; }
    // What the last apply's confirmation read (0 reads: it confirmed nothing).
    const JobResult &LastApply() const { return lastApply_; }
    bool Adjusting() const { return adjusting_; }

private:
    void ApplyCenter(Applied applied);
    void ApplySpan(Applied applied);
    bool Confirming() const { return confirmAlways_ || line_.Running(); }
    // Sends the steps, then (while acquiring) the setting confirmed; the user's adjustment ends.
    void Apply(std::vector<JobStep> steps, const std::optional<SettingCommand> &send,
               std::function<bool(const AnalyzerSettings &)> matches, bool confirm, Applied applied);

    // MeasurePanel: how a report moves the panel.
    bool CenterFreqHasFocus() const override { return centerEditing_; }
    void SetCenterFreqText(const std::string &text) override;
    void SetRefLevelPosition(int index) override;
    void SetSpanPosition(int index) override;
    void SetRbwPosition(int index) override;

    LineControl &line_;
    std::function<void()> changed_;
    MeasurementState state_;
    bool adjusting_ = false;
    bool centerEditing_ = false;
    bool confirmAlways_ = false;
    JobResult lastApply_;
};

}  // namespace tavrin
