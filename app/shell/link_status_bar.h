// The main frame's status bar: the COM port and its device, the line's state, traces per second
// and what went wrong since Start, refreshed a few times a second.
#pragma once

#include "session/link_watch.h"

#include <QLabel>
#include <functional>

class QTimer;

namespace tavrin {

class LinkStatusBar : public QLabel {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 250;

    explicit LinkStatusBar(std::function<LinkStatus()> source, QWidget *parent = nullptr);
    void Refresh();

private:
    std::function<LinkStatus()> source_;
    QTimer *clock_ = nullptr;
};

}  // namespace tavrin
