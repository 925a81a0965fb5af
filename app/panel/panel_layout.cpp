// Where the panel's groups stand: the buttons used all the time in a row on top that never
// scrolls away, the groups in two columns below it, in a scroll area for screens too low for them.
#include "acquisition/acquisition_group.h"
#include "acquisition/basic_group.h"
#include "limits/limit_group.h"
#include "markers/marker_group.h"
#include "output/output_group.h"
#include "panel/control_panel.h"
#include "record/record_group.h"
#include "tg/tg_group.h"
#include "trace_modes/trace_group.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace tavrin {

namespace {

constexpr int kMargin = 6;
constexpr int kSpacing = 6;
// The least height of the groups' area when the panel must scroll: a few rows still show.
constexpr int kLeastGroupsHeight = 120;

QVBoxLayout *Column(std::initializer_list<QWidget *> groups)
{
    auto *column = new QVBoxLayout;
    column->setSpacing(kSpacing);
    for (QWidget *group : groups)
        column->addWidget(group);
    column->addStretch(1);
    return column;
}

}  // namespace

void ControlPanel::Arrange()
{
    buttonBar_ = new QWidget(this);
    buttonBar_->setObjectName("panelButtons");
    auto *bar = new QHBoxLayout(buttonBar_);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(kSpacing);
    bar->addWidget(acquisition_);
    bar->addWidget(output_);
    bar->addWidget(cmdQuit_);
    bar->addStretch(1);

    groups_ = new QWidget;
    groups_->setObjectName("panelGroups");
    auto *columns = new QHBoxLayout(groups_);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(kSpacing);
    columns->addLayout(Column({basic_, markers_, trace_}));
    columns->addLayout(Column({limits_, record_, tg_}));

    auto *scroll = new QScrollArea(this);
    scroll->setObjectName("panelScroll");
    scroll->setAccessibleName("Panel groups");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(groups_);
    // The panel's own background shows through.
    groups_->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    outer->setSpacing(kSpacing);
    outer->addWidget(buttonBar_);
    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    outer->addWidget(line);
    outer->addWidget(scroll, 1);
}

QSize ControlPanel::sizeHint() const
{
    if (!groups_ || !layout())
        return QWidget::sizeHint();
    // The bar, the line under it and the groups whole (the scroll area's own hint is bounded).
    const QLayout &outer = *layout();
    const int bar = outer.itemAt(0)->sizeHint().height(), line = outer.itemAt(1)->sizeHint().height();
    const QSize groups = groups_->sizeHint();
    return {std::max(buttonBar_->sizeHint().width(), groups.width()) + 2 * kMargin,
            bar + line + groups.height() + 2 * kSpacing + 2 * kMargin};
}

QSize ControlPanel::minimumSizeHint() const
{
    if (!groups_ || !layout())
        return QWidget::minimumSizeHint();
    const QSize full = sizeHint();
    return {full.width(), std::min(full.height(), full.height() - groups_->sizeHint().height() + kLeastGroupsHeight)};
}

}  // namespace tavrin
