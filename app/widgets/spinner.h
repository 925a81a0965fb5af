// A spinner (up/down arrows) with exactly the notifications the panel uses: position changed,
// up click, down click and mouse pressed. A click changes the position first, then reports the
// click; a position set by the program reports only the change.
#pragma once

#include <QWidget>

class QToolButton;

namespace tavrin {

class Spinner : public QWidget {
    Q_OBJECT
public:
    explicit Spinner(Qt::Orientation orientation = Qt::Vertical, QWidget *parent = nullptr);

    int Position() const { return position_; }
    void SetPosition(int position);  // clamped to the limits
    void SetRange(int lowest, int highest);
    void SetStep(int step) { step_ = step; }

    // What a user's click does, also for tests.
    void ClickUp();
    void ClickDown();
    void PressMouse() { emit mousePressed(); }
    // Names the spinner and its two arrows for screen readers.
    void SetAccessibleName(const QString &name);

signals:
    void positionChanged(int position);
    void upClicked();
    void downClicked();
    void mousePressed();
    // The mouse went up beside the arrow it was pressed on: no click follows.
    void releasedOffArrow();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int position_ = 0;
    int step_ = 1;
    int lowest_ = 0;
    int highest_ = 100;
    QToolButton *up_ = nullptr;
    QToolButton *down_ = nullptr;
    bool clicked_ = false;
};

}  // namespace tavrin
