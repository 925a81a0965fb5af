#include "output/output_group.h"

#include "measure/panel_widgets.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace tavrin {

OutputGroup::OutputGroup(QWidget *parent) : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    ui_.cmdShutter = Button(this, "cmdShutter", "Shutter");
    ui_.cmdShutter->setToolTip("Save Trace as JPEG File");
    ui_.cmdPrint = Button(this, "cmdPrint", "Print");
    row->addWidget(ui_.cmdShutter);
    row->addWidget(ui_.cmdPrint);
}

}  // namespace tavrin
