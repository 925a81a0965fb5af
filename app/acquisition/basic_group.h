// The "Basic Funtion" group: centre frequency, span, reference level and RBW with their spinners.
// It shows the settings the session holds and says what the user chose; the session applies it.
#pragma once

#include "measure/measurement_state.h"

#include <QGroupBox>
#include <string>

class QComboBox;
class QLineEdit;

namespace tavrin {

class Spinner;

class BasicGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit BasicGroup(QWidget *parent = nullptr);

    // The settings as the session holds them; the centre field keeps what the user is typing.
    void Show(const MeasurementState &state);
    // The three tables into their boxes; what the boxes show stays.
    void FillLists();
    void SetLightGrey();
    // Enables or disables the whole group; enabling makes the RBW spinner usable whatever the
    // span, until the next change of the span position applies the zero-span rule again.
    void BasicFrameEnable(bool enabled);

signals:
    // Enter in the centre field, with the text as typed.
    void centerEntered(const std::string &typed);
    // A click on the centre spinner: one frequency step up (1) or down (-1).
    void centerStepped(int direction);
    void spanChosen(int row);
    void refLevelChosen(int row);
    void rbwChosen(int row);
    // A mouse button went down on a spinner (true), or up beside its arrow (false).
    void adjusting(bool on);
    // The centre field took (true) or lost the keyboard focus.
    void centerEditing(bool on);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

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
    void ApplyZeroSpanRule();

    Controls ui_;
    std::string shownCenter_ = "80.000";
    bool frameEnabled_ = true;
};

}  // namespace tavrin
