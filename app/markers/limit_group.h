// The "Limit" group: two limit lines, each switched on by its check box and read from the limit
// file chosen in its selector.
#pragma once

#include "markers/limit_lines.h"

#include <QGroupBox>
#include <array>
#include <functional>

class QCheckBox;
class QComboBox;

namespace tavrin {

class UserDialogs;

struct LimitRowControls {
    std::array<QCheckBox *, 2> chkLim{};
    std::array<QComboBox *, 2> cboLim{};
};

class LimitGroup : public QGroupBox {
    Q_OBJECT
public:
    struct Deps {
        UserDialogs &dialogs;
        std::function<void()> redraw;
    };

    LimitGroup(Deps deps, QWidget *parent = nullptr);

    // Start-up: one empty entry per line.
    void Load() { limits_ = InitialLimitLines(); }
    // Lists the limit files of the Working folder in both selectors.
    void RefreshLimitSelector();
    void LimitChosen(int line);

    // The lines as the screen reads them, taken from the controls.
    const LimitLines &View() const;
    const LimitRowControls &Controls() const { return ui_; }

private:
    Deps d_;
    LimitRowControls ui_;
    mutable LimitLines limits_ = InitialLimitLines();
};

}  // namespace tavrin
