// The program's one narrow way to the analyzer. Every request is queued behind the ones asked
// before it and goes out on the line one at a time, in order; its reply comes back once, later,
// on the thread that owns the instrument (never inside the call that asked), unless the request
// was cancelled first. Replies say what happened and why; nothing here shows a message.
// Implemented by the library binding (LibraryInstrument) and, in tests, by a fake in virtual time.
#pragma once

#include "measure/analyzer_settings.h"
#include "measure/screen_conversions.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tavrin {

using RequestId = uint64_t;

// Why a request could not reach the analyzer at all (nothing was asked on the line).
struct Unreachable {
    std::string reason;  // the library is missing: which file, and what to do
};

enum class FetchOutcome {
    Trace,    // a valid trace came
    Garbled,  // blocks came, none of them valid within the attempts
    Silent,   // nothing came: the line or the analyzer is silent, or the port is gone
    Unreachable,
};

struct Fetched {
    FetchOutcome outcome = FetchOutcome::Silent;
    TracePoints points{};         // with a trace
    AnalyzerSettings settings;  // what its header reported
    unsigned attempts = 0;      // library calls made
    unsigned rejected = 0;      // blocks refused (checksum, invalid points) on the way
    std::chrono::milliseconds took{0};  // on the line: a block the library fetched again takes longer
    std::string reason;         // with Unreachable
};

struct LinkCheck {
    bool answers = false;
    std::string serial;  // "999999" when nothing answered
    std::string reason;  // the library is missing
};

struct PortSelected {
    int port = 0;
    bool opened = false;        // the library opened it
    bool notConnected = false;  // nothing behind that COM number, so it was not opened
    std::string reason;         // the library is missing
};

struct Versions {
    int32_t software = 0;  // "SWVER2.07" gives 207; 0: no answer
    int32_t fpga = 0;      // "1.4" gives 14
};

// A measurement setting as the library takes it: the centre in whole kHz, or a table row (the
// reference level's and RBW's codes are their rows).
struct SettingCommand {
    enum class What { CenterKHz, SpanRow, RefLevelRow, RbwRow };
    What what = What::CenterKHz;
    int32_t value = 0;
    bool operator==(const SettingCommand &) const = default;
};

struct GeneratorCommand {
    enum class What { Start, Exit, Normalize, Output, Level, Offset };
    What what = What::Start;
    int32_t value = 0;  // Output: 1 on, 0 off; Level dBm; Offset kHz
    bool operator==(const GeneratorCommand &) const = default;
};

class Instrument {
public:
    template <class T>
    using Reply = std::function<void(const T &)>;
    using Clock = std::chrono::steady_clock;

    virtual ~Instrument() = default;

    // COM1..COM4; 0 closes the port the library holds.
    virtual RequestId SelectPort(int port, Reply<PortSelected> reply) = 0;
    // The serial number asked: whether an analyzer answers.
    virtual RequestId CheckLink(Reply<LinkCheck> reply) = 0;
    // One valid trace, fetched again while the line garbles it (a few times at most).
    virtual RequestId Fetch(Reply<Fetched> reply) = 0;
    virtual RequestId Send(SettingCommand command, Reply<bool> reply) = 0;
    virtual RequestId Generator(GeneratorCommand command, Reply<bool> reply) = 0;
    virtual RequestId AskVersions(Reply<Versions> reply) = 0;

    // A queued request never goes out; one on the line finishes there (the library's calls
    // cannot be interrupted) and its reply is dropped. Unknown or answered ids are ignored.
    virtual void Cancel(RequestId id) = 0;
    // Whether a request is on the line or queued.
    virtual bool Busy() const = 0;
    // When the line will be free at the latest, with what is asked now (a request on a silent
    // line waits out the library's time-outs); nothing when it is free.
    virtual std::optional<Clock::time_point> FreeBy() const = 0;
    // The COM number selected last (0 before any).
    virtual int Port() const = 0;
};

// The commands a caption or level of the panel's tables becomes: a span caption not in the table
// sends row 0; a reference level or RBW outside their tables sends nothing. The centre is rounded
// to whole kHz, halves to even.
SettingCommand CenterCommand(double mhz);
SettingCommand SpanCommand(const std::string &caption);
std::optional<SettingCommand> RefLevelCommand(double dbm);
std::optional<SettingCommand> RbwCommand(const std::string &caption);

}  // namespace tavrin
