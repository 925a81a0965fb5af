// The traces the screen shows, handed on as they come (to the waterfall): each trace taken, and
// each entry offline playback puts on the screen with the settings and time it was recorded with.
#include "acquisition/acquisition_group.h"
#include "acquisition/basic_group.h"
#include "common/text_number.h"
#include "panel/frm_main.h"
#include "record/record_group.h"

namespace tavrin {

void FrmMain::WireTraceShown()
{
    auto inDbu = [this] { return TrimSpaces(basic_->State().unit) != "dBm"; };
    connect(acquisition_, &AcquisitionGroup::traceTaken, this, [this, inDbu](const LiveTrace &shown) {
        const BlockReport &block = acquisition_->LiveReport();
        emit traceShown({shown, {block.centerMHz, block.span, block.refLevelDbm, block.rbw}, s_.clock(),
                         TraceSource::Live, inDbu()});
    });
    connect(record_, &RecordGroup::redrawNeeded, this, [this, inDbu] {
        const int32_t index = record_->ShownIndex();
        if (index < 0 || static_cast<size_t>(index) >= record_->Table().size())
            return;
        const TraceRecord &entry = record_->Table()[static_cast<size_t>(index)];
        emit traceShown({record_->ShownTrace(),
                         {entry.centerFreqMHz, PrintableText(FieldText(entry.spanCaption)), entry.refLevelDbm,
                          PrintableText(FieldText(entry.rbwCaption))},
                         FromRecordTime(entry.time), TraceSource::Playback, inDbu()});
    });
}

}  // namespace tavrin
