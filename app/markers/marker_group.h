// The "Marker" group: five marker rows (on/off, frequency, step spinner, delta reference) and
// Peak. It shows the markers the session holds and says what the user changed.
#pragma once

#include "markers/markers.h"

#include <QGroupBox>
#include <array>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace tavrin {

class Spinner;

class MarkerGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit MarkerGroup(QWidget *parent = nullptr);

    void Show(const MarkerControls &markers);
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

private:
    struct Controls {
        std::array<QCheckBox *, kMarkerCount> chkMKR{};
        std::array<QLineEdit *, kMarkerCount> txtMKR{};
        std::array<Spinner *, kMarkerCount> updMKR{};
        std::array<QComboBox *, kMarkerCount> cboMKR{};
    };

    Controls ui_;
};

}  // namespace tavrin
