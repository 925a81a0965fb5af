// What the display window draws, gathered from read-only views of the panel groups, and the
// redraw sequence: clear, frame, trace.
#pragma once

#include "display/screen_view.h"

#include <QPointer>
#include <functional>

namespace tavrin {

class AcquisitionGroup;
class DrawingSurface;
class FrmCRT;
class LimitGroup;
class MarkerGroup;
class RecordGroup;
struct PlaybackView;

class ScreenAssembly {
public:
    struct Sources {
        const DisplayColors &colors;
        std::function<const MeasurementState &()> state;
        AcquisitionGroup &acquisition;
        MarkerGroup &markers;
        const LimitGroup &limits;
        const RecordGroup &record;
    };

    // Draws on the display window until either of them is gone.
    ScreenAssembly(FrmCRT &display, Sources sources);
    ~ScreenAssembly();
    ScreenAssembly(const ScreenAssembly &) = delete;
    ScreenAssembly &operator=(const ScreenAssembly &) = delete;

    ScreenView View();
    // The trace the screen shows as live: the acquisition's, or the played entry offline.
    const LiveTrace &ShownTrace() const;
    // The frame and the trace on any surface (the display window, a capture, the printer).
    void Draw(DrawingSurface &surface);
    // The whole redraw sequence of the display window.
    void Redraw();
    // Frame and trace over the picture as it is.
    void DrawOver();

private:
    const LiveTrace &Shown(const PlaybackView &playback) const;

    QPointer<FrmCRT> display_;
    Sources s_;
};

}  // namespace tavrin
