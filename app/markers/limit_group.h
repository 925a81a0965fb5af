// The "Limit" group: two limit lines, each switched on by its check box and read from the limit
// file chosen in its selector.
#pragma once

#include "markers/limit_lines.h"

#include <QGroupBox>
#include <array>
#include <string>

class QCheckBox;
class QComboBox;

namespace tavrin {

class UserDialogs;

class LimitGroup : public QGroupBox {
    Q_OBJECT
public:
    struct Deps {
        UserDialogs &dialogs;
    };

    LimitGroup(Deps deps, QWidget *parent = nullptr);

    // Start-up: one empty entry per line.
    void Load() { limits_ = InitialLimitLines(); }
    // Lists the limit files of the Working folder in both selectors.
    void RefreshLimitSelector();

    // The lines as the screen reads them, taken from the controls.
    const LimitLines &View() const;

signals:
    void redrawNeeded();

private:
    void LimitChosen(int line);
    // The file name (without ".lim") the line's selector shows, as bytes.
    std::string ChosenName(size_t line) const;

    Deps d_;
    std::array<QCheckBox *, 2> chkLim_{};
    std::array<QComboBox *, 2> cboLim_{};
    mutable LimitLines limits_ = InitialLimitLines();
};

}  // namespace tavrin
