// The "Basic Funtion" group: centre frequency, span, reference level and RBW with their spinners,
// and the four apply procedures that send a changed setting and wait until the analyzer reports it.
#pragma once

#include "measure/measure_setting.h"
#include "measure/measurement_state.h"

#include <QGroupBox>
#include <functional>
#include <string>

class QComboBox;
class QLineEdit;

namespace tavrin {

class Spinner;
class TavrinDLL;
struct OperationFile;

struct BasicControls {
    QLineEdit *txtCenterFreq = nullptr;
    Spinner *updCenterFreq = nullptr;
    QComboBox *cboSpan = nullptr;
    Spinner *updSpan = nullptr;
    QComboBox *cboRefLevel = nullptr;
    Spinner *updRefLevel = nullptr;
    QComboBox *cboRBW = nullptr;
    Spinner *updRBW = nullptr;
};

// What an apply procedure needs of the acquisition: the timer held while it talks to the
// analyzer, and restarted only if the acquisition still runs afterwards (Stop or Freeze may have
// been pressed meanwhile).
class AcquisitionTimer {
public:
    virtual ~AcquisitionTimer() = default;
    virtual bool Running() const = 0;
    virtual void HoldTimer() = 0;
    virtual void ResumeTimer() = 0;
};

class BasicGroup : public QGroupBox, public MeasurePanel {
    Q_OBJECT
public:
    struct Deps {
        TavrinDLL &instrument;
        OperationFile &settings;
        AcquisitionTimer &acquisition;
        std::function<void()> focusStart;  // where the focus goes after an entered centre frequency
    };

    BasicGroup(Deps deps, QWidget *parent = nullptr);

    // Restores the saved texts (trimmed back into the record) and puts the spinners on the rows
    // the captions name.
    void RestoreSaved(OperationFile &op);
    void SaveTexts(OperationFile &op) const;
    void FillLists();
    void SetLightGrey();

    void CenterFreqEntered();
    void ApplyCenterFreq();
    void ApplySpan();
    void ApplyRefLevel();
    void ApplyRBW();
    // Enables or disables the whole group; enabling makes the RBW spinner usable whatever the
    // span, until the next change of the span position applies the zero-span rule again.
    void BasicFrameEnable(bool enabled);

    // The panel follows the analyzer's report unless the user is adjusting a setting.
    void FollowReport();
    const MeasurementState &State() const;
    int LastApplyReads() const { return lastApplyReads_; }
    const BasicControls &Controls() const { return ui_; }

    // MeasurePanel
    bool CenterFreqHasFocus() const override;
    void SetCenterFreqText(const std::string &text) override;
    void SetRefLevelPosition(int index) override;
    void SetSpanPosition(int index) override;
    void SetRbwPosition(int index) override;

private:
    void Build();
    void Connect();
    void ApplyZeroSpanRule();
    // Reads one trace, then up to five more while the analyzer's report does not match.
    void ConfirmByReports(const std::function<bool()> &reportedMatches);
    void SendAndConfirm(const std::function<void()> &send, const std::function<bool()> &reportedMatches);

    Deps d_;
    BasicControls ui_;
    mutable MeasurementState state_;
    bool userAdjusting_ = false;
    int lastApplyReads_ = 0;
};

}  // namespace tavrin
