// The output buttons: the screen saved as a JPEG file (Shutter) and the printed report (Print).
#pragma once

#include <QWidget>

class QPushButton;

namespace tavrin {

struct OutputControls {
    QPushButton *cmdShutter = nullptr;
    QPushButton *cmdPrint = nullptr;
};

class OutputGroup : public QWidget {
    Q_OBJECT
public:
    explicit OutputGroup(QWidget *parent = nullptr);
    const OutputControls &Controls() const { return ui_; }

private:
    OutputControls ui_;
};

}  // namespace tavrin
