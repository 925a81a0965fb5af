// The one place where the screen's view is assembled from the session: the trace shown and its
// time, the marker readings, the measurements and the limit verdicts, worked out before anything
// is drawn. Drawing the view changes nothing; only the display window moves its marker labels
// after it.
#pragma once

#include "display/screen_view.h"
#include "settings/program_settings.h"

#include <ctime>

namespace tavrin {

class DrawingSurface;
class Session;

// The view as the session stands now, in the colours of the operation file and of the second
// settings file (holds, memories). Until a trace has come (or a record is played) the screen is
// the empty frame, not a zero trace along the bottom edge; its time is then now.
ScreenView AssembleView(const Session &session, const DisplayColors &colors, const ProgramSettings &program,
                        std::time_t now);
// Frame and trace on any surface (the display window, a capture, the printer).
void DrawView(DrawingSurface &surface, const ScreenView &view);

}  // namespace tavrin
