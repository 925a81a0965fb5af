// What the Trace Record group shows of the recorder: which buttons can be used, and how far a
// recording has come.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace tavrin {

struct RecordButtons {
    bool record = true;
    bool play = false;
    bool load = true;
    bool save = false;
    bool operator==(const RecordButtons &) const = default;
};

struct RecordView {
    RecordButtons buttons;
    bool recording = false;
    bool playing = false;
    bool continuous = false;
    bool started = false;      // a recording was started since the program started
    int32_t entries = 0;       // entries a timed recording made so far
    std::string fileName;      // a continuous recording's file
    int32_t fileRecords = 0;   // ... and the records written to it
    std::time_t startTime = 0;
    double seconds = 0;        // a timed recording's length
};

// "Recording 0:12 of 1:00, 60 traces", "Recorded to run.spf: 12 records", ...; now is the
// wall clock.
std::string ProgressText(const RecordView &view, std::time_t now);

}  // namespace tavrin
