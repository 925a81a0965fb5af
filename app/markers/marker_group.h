// The "Marker" group: five marker rows (on/off, frequency, step spinner, delta reference) and
// Peak; the marker set the screen reads, and the drop of a marker label.
#pragma once

#include "markers/markers.h"
#include "measure/measurement_state.h"
#include "measure/screen_conversions.h"

#include <QGroupBox>
#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace tavrin {

class Spinner;
struct OperationFile;

class MarkerGroup : public QGroupBox {
    Q_OBJECT
public:
    struct Deps {
        const OperationFile &settings;
        std::function<const MeasurementState &()> state;
        std::function<const LiveTrace &()> shownTrace;  // what Peak searches
    };

    MarkerGroup(Deps deps, QWidget *parent = nullptr);

    // The five marker frequencies from and into the operation file.
    void RestoreSaved(const OperationFile &op);
    void SaveTexts(OperationFile &op) const;
    // Each delta selector offers NONE and the five markers, with NONE chosen.
    void FillSelectors();

    // A label dropped at screen x (already clamped to the graticule) sets its marker there.
    void LabelDropped(int index, double x);

    // The markers as the screen reads them, taken from the controls.
    const MarkerControls &View() const;

signals:
    void redrawNeeded();    // Peak or a dropped label moved marker 1 or the dropped one
    void drawOverNeeded();  // any other change: frame and trace over the picture as it is

private:
    struct Controls {
        std::array<QCheckBox *, kMarkerCount> chkMKR{};
        std::array<QLineEdit *, kMarkerCount> txtMKR{};
        std::array<Spinner *, kMarkerCount> updMKR{};
        std::array<QComboBox *, kMarkerCount> cboMKR{};
    };

    void cmdPeak_Click();
    void MarkerStep(int index, int position);

    Deps d_;
    Controls ui_;
    mutable MarkerControls view_{};
};

}  // namespace tavrin
