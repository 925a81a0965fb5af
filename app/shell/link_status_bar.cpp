#include "shell/link_status_bar.h"

#include <QTimer>

namespace tavrin {

LinkStatusBar::LinkStatusBar(std::function<LinkStatus()> source, QWidget *parent)
    : QLabel(parent), source_(std::move(source))
{
    setObjectName("lblLinkStatus");
    setAccessibleName("Link status");
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    clock_ = new QTimer(this);
    clock_->setInterval(kRefreshMs);
    connect(clock_, &QTimer::timeout, this, &LinkStatusBar::Refresh);
    clock_->start();
    Refresh();
}

void LinkStatusBar::Refresh()
{
    const QString shown = QString::fromStdString(StatusText(source_()));
    if (shown == text())
        return;
    setText(shown);
    // A screen reader reads the description when the text changes.
    setAccessibleDescription(shown);
}

}  // namespace tavrin
