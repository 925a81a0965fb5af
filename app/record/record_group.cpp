#include "record/record_group.h"

#include "measure/panel_widgets.h"

#include <QGridLayout>
#include <QPushButton>

namespace tavrin {

RecordGroup::RecordGroup(QWidget *parent) : QGroupBox("Trace Record", parent)
{
    setObjectName("fraRecord");
    auto *grid = new QGridLayout(this);
    ui_.cmdRecord = Button(this, "cmdRecord", "Record");
    ui_.cmdPlayRecord = Button(this, "cmdPlayRecord", "Play");
    ui_.cmdLoadRecord = Button(this, "cmdLoadRecord", "Load");
    ui_.cmdSaveRecord = Button(this, "cmdSaveRecord", "Save");
    grid->addWidget(ui_.cmdRecord, 0, 0);
    grid->addWidget(ui_.cmdPlayRecord, 0, 1);
    grid->addWidget(ui_.cmdLoadRecord, 1, 0);
    grid->addWidget(ui_.cmdSaveRecord, 1, 1);
}

void RecordGroup::Load()
{
    play_.fill(0);
    recording_ = false;
    playbackTime_.reset();
    secondTrace_.reset();
    ui_.cmdSaveRecord->setEnabled(false);
    ui_.cmdPlayRecord->setEnabled(false);
}

PlaybackView RecordGroup::Playback() const
{
    PlaybackView v;
    v.playTrace = &play_;
    v.playCaption = ui_.cmdPlayRecord->text().toStdString();
    v.playbackTime = playbackTime_;
    v.secondTrace = secondTrace_;
    return v;
}

}  // namespace tavrin
