// The "Basic Funtion" group: centre frequency, span, reference level and RBW with their spinners,
// and the four apply procedures that send a changed setting and wait until the analyzer reports it.
#pragma once

#include "instrument/confirmed_settings.h"
#include "measure/measure_setting.h"
#include "measure/measurement_state.h"

#include <QGroupBox>
#include <functional>
#include <string>

class QComboBox;
class QLineEdit;

namespace tavrin {

class AcquisitionTimer;
class Spinner;
class TavrinDLL;
struct OperationFile;

class BasicGroup : public QGroupBox, public MeasurePanel {
    Q_OBJECT
public:
    struct Deps {
        TavrinDLL &instrument;
        OperationFile &settings;
        AcquisitionTimer &acquisition;  // held while a setting is sent
    };

    BasicGroup(Deps deps, QWidget *parent = nullptr);

    // Restores the saved texts (trimmed back into the record) and puts the spinners on the rows
    // the captions name.
    void RestoreSaved(OperationFile &op);
    // The four texts as shown, for the operation file.
    void SaveTexts(OperationFile &op) const;
    // The three tables into their boxes; what the boxes show stays.
    void FillLists();
    void SetLightGrey();

    // Enables or disables the whole group; enabling makes the RBW spinner usable whatever the
    // span, until the next change of the span position applies the zero-span rule again.
    void BasicFrameEnable(bool enabled);

    // The panel follows the analyzer's report unless the user is adjusting a setting.
    void FollowReport();
    // The settings as the panel shows them, read from its texts at each call.
    const MeasurementState &State() const;
    // Traces the last apply read to see its setting reported (0: it sent nothing).
    int LastApplyReads() const { return lastApplyReads_; }
    // A played record's settings, nothing sent: the spinners on the rows the captions name, so that
    // the next report of the analyzer moves them back when it differs, and the captions as recorded.
    void ShowRecorded(double centerMHz, const std::string &spanCaption, int refLevelDbm, const std::string &rbwCaption);

    // MeasurePanel
    bool CenterFreqHasFocus() const override;
    void SetCenterFreqText(const std::string &text) override;
    void SetRefLevelPosition(int index) override;
    void SetSpanPosition(int index) override;
    void SetRbwPosition(int index) override;

signals:
    // Enter in the centre field: the frequency went out.
    void centerFreqEntered();

private:
    struct Controls {
        QLineEdit *txtCenterFreq = nullptr;
        Spinner *updCenterFreq = nullptr;
        QComboBox *cboSpan = nullptr;
        Spinner *updSpan = nullptr;
        QComboBox *cboRefLevel = nullptr;
        Spinner *updRefLevel = nullptr;
        QComboBox *cboRBW = nullptr;
        Spinner *updRBW = nullptr;
    };

    void Build();
    void Connect();
    void CenterFreqEntered();
    void ApplyCenterFreq();
    void ApplySpan();
    void ApplyRefLevel();
    void ApplyRBW();
    void ApplyZeroSpanRule();
    // Sends a setting and confirms it from the analyzer's reports with the acquisition timer held.
    void Confirmed(const std::function<Confirmation()> &sendAndConfirm);

    Deps d_;
    Controls ui_;
    mutable MeasurementState state_;
    bool userAdjusting_ = false;
    int lastApplyReads_ = 0;
};

}  // namespace tavrin
