// The "Marker" group: five marker rows (on/off, frequency, step spinner, delta reference, Track
// peak), Peak and the peak tools for the marker touched last (Next peak, Peak left, Peak right),
// what counts as a peak (excursion, threshold) and the peak table's switch. It shows the markers
// the session holds and says what the user changed.
#pragma once

#include "markers/markers.h"
#include "markers/peak_tools.h"

#include <QGroupBox>
#include <array>
#include <string>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;

namespace tavrin {

class Spinner;

class MarkerGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit MarkerGroup(QWidget *parent = nullptr);

    void Show(const MarkerControls &markers);
    void ShowPeakTools(const std::array<bool, kMarkerCount> &tracking, const PeakRules &rules, bool table);
    // Each delta selector offers NONE and the five markers.
    void FillSelectors();

signals:
    void switched(int index, bool on);
    // Enter in a frequency field, or the field left: the text as typed.
    void frequencyEntered(int index, const std::string &text);
    // A spinner click: one frequency step up (1) or down (-1).
    void stepped(int index, int direction);
    void deltaChosen(int index, const std::string &reference);
    void peakClicked();
    void trackSwitched(int index, bool on);
    void nextPeakClicked();
    void peakLeftClicked();
    void peakRightClicked();
    // Enter in the excursion or the threshold field (or the field left): both texts as typed.
    void peakRulesEntered(const std::string &excursion, const std::string &threshold);
    void peakTableSwitched(bool on);

private:
    void BuildRow(QGridLayout *grid, int i);
    void BuildPeakTools(QGridLayout *grid, int row);

    struct Controls {
        std::array<QCheckBox *, kMarkerCount> chkMKR{};
        std::array<QLineEdit *, kMarkerCount> txtMKR{};
        std::array<Spinner *, kMarkerCount> updMKR{};
        std::array<QComboBox *, kMarkerCount> cboMKR{};
        std::array<QCheckBox *, kMarkerCount> chkTrack{};
        QLineEdit *txtExcursion = nullptr;
        QLineEdit *txtThreshold = nullptr;
        QCheckBox *chkPeakTable = nullptr;
    };

    Controls ui_;
};

}  // namespace tavrin
