// The one place where the screen's view is assembled from the panel groups: the header's time, the
// marker readings and the limit verdicts are worked out here, before anything is drawn, and the
// display window's marker labels follow them. The recording and the capture read the screen time
// from here.
#pragma once

#include "display/screen_view.h"

#include <ctime>
#include <functional>

namespace tavrin {

class AcquisitionGroup;
class DrawingSurface;
class LimitGroup;
class MarkerGroup;
class RecordGroup;
class TraceGroup;

class ScreenAssembly {
public:
    // What the screen shows, read when a view is assembled.
    struct Sources {
        const DisplayColors &colors;
        const MeasurementState &state;
        const AcquisitionGroup &acquisition;
        const MarkerGroup &markers;
        const LimitGroup &limits;
        const RecordGroup &record;
        const TraceGroup &traces;
    };
    using Clock = std::function<std::time_t()>;

    // labels: the display window's marker labels.
    ScreenAssembly(MarkerLabels &labels, Clock clock);

    // Frame and trace on any surface (the display window, a capture, the printer). Until a trace
    // has come (or a record is played) the screen is the empty frame, not a zero trace along the
    // bottom edge.
    void Draw(DrawingSurface &surface, const Sources &sources);
    // The time in the header of the last drawing; the clock's before the first.
    std::time_t ScreenTime() const { return shown_ ? shown_ : clock_(); }

    // What the markers, Peak and the measurements read: a hold that holds a trace while the
    // screen shows the acquisition's trace, otherwise the trace shown. A played record is no
    // trace of the holds.
    static ReadTrace TraceToRead(const Sources &sources);
    // Whether the screen shows a trace: one has come, or a record is played or shown.
    static bool ShowsTrace(const Sources &sources);
    // Each limit line's verdict on the trace the markers read: none for a line not drawn, and
    // none while the screen shows no trace.
    static std::array<std::optional<LimitVerdict>, 2> Verdicts(const Sources &sources);

private:
    // The view as the screen stands now: the header's time becomes the screen time, the labels
    // follow the marker readings.
    ScreenView Assemble(const Sources &sources);

    MarkerLabels &labels_;
    Clock clock_;
    std::time_t shown_ = 0;
};

}  // namespace tavrin
