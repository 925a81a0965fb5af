// One trace as the acquisition accepted it: the value every consumer of traces receives (the
// screen, the waterfall, the holds, the limit test, the recorder, the command-line writers, the
// network servers). It never changes once made.
#pragma once

#include "measure/analyzer_settings.h"
#include "measure/screen_conversions.h"

#include <cstdint>
#include <ctime>
#include <memory>

namespace tavrin {

enum class TraceKind { Live, Averaged, Playback };

struct Trace {
    TracePoints points{};
    AnalyzerSettings settings;  // the settings its block reported (a played entry's: recorded)
    std::time_t time = 0;       // when it came (a played entry: when it was recorded)
    uint64_t seq = 0;           // counts the traces accepted since the program started, from 1
    TraceKind kind = TraceKind::Live;
    bool dBu = false;           // levels shown in dBu, 107 above dBm
};

using TracePtr = std::shared_ptr<const Trace>;

}  // namespace tavrin
