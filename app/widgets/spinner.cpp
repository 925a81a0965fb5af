#include "widgets/spinner.h"

#include <QBoxLayout>
#include <QEvent>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

namespace tavrin {

Spinner::Spinner(Qt::Orientation orientation, QWidget *parent) : QWidget(parent)
{
    up_ = new QToolButton(this);
    down_ = new QToolButton(this);
    const bool vertical = orientation == Qt::Vertical;
    up_->setArrowType(vertical ? Qt::UpArrow : Qt::RightArrow);
    down_->setArrowType(vertical ? Qt::DownArrow : Qt::LeftArrow);
    for (QToolButton *b : {up_, down_}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRaise(false);
        b->setFixedSize(vertical ? QSize(18, 11) : QSize(14, 20));
        connect(b, &QToolButton::pressed, this, &Spinner::mousePressed);
        b->installEventFilter(this);
    }
    connect(up_, &QToolButton::clicked, this, &Spinner::ClickUp);
    connect(down_, &QToolButton::clicked, this, &Spinner::ClickDown);
    QBoxLayout *layout = vertical ? static_cast<QBoxLayout *>(new QVBoxLayout(this))
                                  : static_cast<QBoxLayout *>(new QHBoxLayout(this));
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (vertical) {
        layout->addWidget(up_);
        layout->addWidget(down_);
    } else {
        layout->addWidget(down_);
        layout->addWidget(up_);
    }
}

void Spinner::SetRange(int lowest, int highest)
{
    lowest_ = lowest;
    highest_ = std::max(lowest, highest);
    SetPosition(position_);
}

void Spinner::SetPosition(int position)
{
    position = std::clamp(position, lowest_, highest_);
    if (position == position_)
        return;
    position_ = position;
    emit positionChanged(position_);
}

void Spinner::SetAccessibleName(const QString &name)
{
    setAccessibleName(name);
    up_->setAccessibleName(name + " up");
    down_->setAccessibleName(name + " down");
}

bool Spinner::eventFilter(QObject *watched, QEvent *event)
{
    // A click, when there is one, is reported inside the release event; by the next turn of the
    // event loop it is known whether the release was off the arrow.
    if (event->type() == QEvent::MouseButtonRelease && (watched == up_ || watched == down_)) {
        clicked_ = false;
        QTimer::singleShot(0, this, [this] {
            if (!clicked_)
                emit releasedOffArrow();
        });
    }
    return QWidget::eventFilter(watched, event);
}

void Spinner::ClickUp()
{
    clicked_ = true;
    SetPosition(position_ + step_);
    emit upClicked();
}

void Spinner::ClickDown()
{
    clicked_ = true;
    SetPosition(position_ - step_);
    emit downClicked();
}

}  // namespace tavrin
