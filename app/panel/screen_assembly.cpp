#include "panel/screen_assembly.h"

#include "markers/limit_group.h"
#include "markers/marker_group.h"
#include "acquisition/acquisition_group.h"
#include "display/frm_crt.h"
#include "record/record_group.h"

namespace tavrin {

ScreenAssembly::ScreenAssembly(FrmCRT &display, Sources sources) : display_(&display), s_(std::move(sources))
{
    display.SetDrawer([this](DrawingSurface &surface) { Draw(surface); });
    display.SetDropHandler([this](int index, double x) { s_.markers.LabelDropped(index, x); });
}

ScreenAssembly::~ScreenAssembly()
{
    // The display window may already be gone when the panel goes at exit.
    if (display_) {
        display_->SetDrawer({});
        display_->SetDropHandler({});
    }
}

const LiveTrace &ScreenAssembly::ShownTrace() const { return Shown(s_.record.Playback()); }

const LiveTrace &ScreenAssembly::Shown(const PlaybackView &playback) const
{
    return playback.liveTrace ? *playback.liveTrace : s_.acquisition.Live();
}

ScreenView ScreenAssembly::View()
{
    const PlaybackView playback = s_.record.Playback();
    ScreenView v;
    v.state = &s_.state();
    v.colors = &s_.colors;
    v.liveTrace = &Shown(playback);
    v.playTrace = playback.playTrace;
    v.traceDrawColor = s_.acquisition.TraceDrawColor();
    v.running = s_.acquisition.Running();
    v.playCaption = playback.playCaption;
    v.playbackTime = playback.playbackTime;
    v.secondTrace = playback.secondTrace;
    v.averaging = s_.acquisition.Averaging();
    v.limits = &s_.limits.View();
    v.markers = &s_.markers.View();
    v.readings = &s_.markers.Readings();
    v.labels = display_.data();
    v.screenTime = &s_.acquisition.ScreenTime();
    return v;
}

void ScreenAssembly::Draw(DrawingSurface &surface)
{
    const ScreenView view = View();
    DrawGrid(surface, view);
    // Until a trace has come (or a record is played) the screen is the empty frame, not a zero
    // trace along the bottom edge.
    if (s_.acquisition.HasTrace() || s_.record.Playing() || view.liveTrace != &s_.acquisition.Live())
        DrawTrace(surface, view);
}

void ScreenAssembly::Redraw()
{
    if (display_)
        display_->Redraw();
}

void ScreenAssembly::DrawOver()
{
    if (display_)
        display_->DrawOver();
}

}  // namespace tavrin
