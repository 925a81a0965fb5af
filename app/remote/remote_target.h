// What SCPI commands reach: the analyzer and the program's own state, seen through one narrow
// interface. The program implements it over its acquisition session, tavrin-cli serve over its
// own small session, the tests with a fake.
//
// Every call is made on the thread that owns the target (the event loop's), and so is every
// callback. A setting is an intent: it is applied and confirmed as the user's typed input would
// be, and its Done callback reports how that ended, exactly once, possibly before the call
// returns, possibly much later; a callback whose client has gone away is called all the same and
// does nothing. The getters tell the state as the panel shows it at the moment of the call.
#pragma once

#include "measure/screen_conversions.h"

#include <functional>
#include <optional>
#include <string>

namespace tavrin::remote {

// How an intent ended: code 0, or -200 (execution error: the analyzer did not answer or did not
// confirm), -221 (settings conflict) or -222 (data out of range), with the reason for the user.
struct Outcome {
    int code = 0;
    std::string reason;

    static Outcome Ok() { return {}; }
    bool ok() const { return code == 0; }
};
using Done = std::function<void(const Outcome &)>;

struct RemoteIdentity {
    std::string serial;    // "" when the analyzer has not told it
    std::string software;  // "2.07"; "" when unknown
    std::string fpga;      // "1.4"; "" when unknown
};

// The measurement settings as the panel shows them: captions of the span and RBW tables.
struct RemoteSettings {
    double centerMHz = 0;
    std::string span;  // "10MHZ/DIV"
    int refLevelDbm = 0;
    std::string rbw;   // "3KHZ"; at a span other than zero span, the analyzer's own choice
    bool dBu = false;  // levels are shown in dBuV (dBm + 107), as the settings dialog chose

    bool operator==(const RemoteSettings &) const = default;
};

enum class TraceName { Live, MaxHold, MinHold, MemoryA, MemoryB };

// One trace with the settings it was taken at.
struct RemoteTrace {
    TracePoints points{};  // 0..1023 per point, 1023 at the reference level
    RemoteSettings settings;
};

struct RemoteMarker {
    bool on = false;
    double freqMHz = 0;
    bool hasReading = false;  // on, on the screen and a trace to read
    double level = 0;         // in the display's unit
};

enum class LimitResult { Pass, Fail, None };

struct RemoteLimit {
    bool shown = false;
    std::string file;  // the limit file's name without ".lim"; "" for none
    LimitResult result = LimitResult::None;
    std::string reason;  // why there is no verdict
};

struct RemoteGenerator {
    bool mode = false;    // tracking generator mode (the measurement settings are locked)
    bool output = false;
    int levelDbm = -50;   // -59..0
    int offsetKHz = 0;    // -99..99
};

class RemoteTarget {
public:
    virtual ~RemoteTarget() = default;

    // The analyzer's serial number and versions; may have to ask the analyzer.
    virtual void Identify(std::function<void(const RemoteIdentity &)> answer) = 0;

    virtual RemoteSettings Settings() const = 0;
    // Values already within the tables and the frequency range. A centre or span whose window
    // would leave 0..1150 MHz is fitted as the panel fits it.
    virtual void SetCenter(double mhz, Done done) = 0;
    virtual void SetSpan(const std::string &caption, Done done) = 0;
    virtual void SetRefLevel(int dbm, Done done) = 0;
    virtual void SetRbw(const std::string &caption, Done done) = 0;

    // Continuous acquisition (Start and Stop).
    virtual bool Running() const = 0;
    virtual void SetRunning(bool on, Done done) = 0;
    // One trace taken after this call (as Start would, while stopped); done once it is in.
    virtual void TakeTrace(Done done) = 0;
    // The traces asked for by TakeTrace are not waited for any more: their Done comes at once
    // with code 0. Continuous acquisition goes on.
    virtual void Abort() = 0;

    virtual bool AveragingOn() const = 0;
    virtual int AverageCount() const = 0;
    virtual void SetAveraging(bool on, Done done) = 0;
    virtual void SetAverageCount(int count, Done done) = 0;

    // Nothing, with the error in why, when there is no such trace: -221 for a hold that is off or
    // a memory the program does not have, -200 before the first trace.
    virtual std::optional<RemoteTrace> Trace(TraceName name, Outcome &why) const = 0;

    // Markers 1..5.
    virtual RemoteMarker Marker(int n) const = 0;
    virtual void SetMarkerOn(int n, bool on, Done done) = 0;
    virtual void SetMarkerFreq(int n, double mhz, Done done) = 0;
    // The marker on the highest point of the trace the markers read, as Peak puts marker 1.
    virtual void MarkerToPeak(int n, Done done) = 0;

    // Limit lines 1..2.
    virtual RemoteLimit Limit(int n) const = 0;
    virtual void SetLimitShown(int n, bool shown, Done done) = 0;
    // Loads "<name>.lim" from the Working folder for line n; the name is a plain file name.
    virtual void SelectLimitFile(int n, const std::string &name, Done done) = 0;

    virtual RemoteGenerator Generator() const = 0;
    virtual void SetGeneratorMode(bool on, Done done) = 0;
    virtual void SetGeneratorOutput(bool on, Done done) = 0;
    virtual void SetGeneratorLevel(int dbm, Done done) = 0;
    virtual void SetGeneratorOffset(int khz, Done done) = 0;
    virtual void NormalizeGenerator(Done done) = 0;
};

}  // namespace tavrin::remote
