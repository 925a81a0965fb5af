// The analyzer's side of the byte protocol, without any I/O: bytes in, bytes out.
#pragma once

#include "carriers.h"
#include "options.h"

#include <array>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace tavrin::sim {

struct InstrumentState {
    int32_t centerKHz = 80000;
    int spanIndex = 12;  // 10MHZ/DIV
    int refCode = 3;     // 0 dBm
    int rbwCode = 0;     // chosen by the user; used at zero span only
    bool echo = true;
    bool streaming = false;
    bool tgMode = false;
    bool tgOutput = false;
    int tgLevelDbm = -10;
    int tgOffset = 0;
    bool tgNormalized = false;
    bool extRef = false;
    int markerPoint = 251;
};

extern const char *const kSpanCaptions[16];
extern const char *const kRbwCaptions[4];

// Width of one division in MHz for a span index (0 at zero span).
double SpanMHzPerDivision(int spanIndex);
// The RBW code the instrument uses: the user's at zero span, otherwise one that fits the span.
int EffectiveRbwCode(const InstrumentState &s);

class Engine {
public:
    // startTime: the simulator's start on the clock of the times passed in (seconds).
    explicit Engine(const Options &options, double startTime = 0);

    // One received byte at time now (seconds); what the instrument sends back goes to out.
    void Receive(uint8_t byte, double now, std::vector<uint8_t> &out);
    // Streaming output; called whenever the line is idle or nearly so.
    void Tick(double now, std::vector<uint8_t> &out);

    // The 500 points of the current trace, 0..1023, at the time of the last byte or tick.
    std::array<uint16_t, 500> TracePoints();
    // A complete 1017-byte block for the current settings, faults not applied.
    std::vector<uint8_t> CleanBlock();

    const InstrumentState &State() const { return state_; }
    int BlocksSent() const { return blocks_; }

private:
    enum class Mode { Idle, Frame, Text };

    // The next byte of a setting frame or text command.
    void ReceivePending(uint8_t byte, std::vector<uint8_t> &out);
    // Control bytes and the start of frames.
    void ReceiveIdle(uint8_t byte, double now, std::vector<uint8_t> &out);
    void StartFrameOrText(uint8_t byte, Mode mode, double now, std::vector<uint8_t> &out);
    void ApplyFrame();
    void ApplyText(std::string text, std::vector<uint8_t> &out);
    void AppendBlock(std::vector<uint8_t> &out);
    void Echo(uint8_t byte, std::vector<uint8_t> &out);
    double LevelAt(double mhz, double rbwHz, bool noisy, const std::vector<Carrier> &added);
    // Whether the instrument answers nothing (--silent, or past --silent-after and not yet
    // --return-after later).
    bool Muted() const;

    Options options_;
    double start_ = 0;
    double now_ = 0;
    double silentUntil_ = std::numeric_limits<double>::infinity();
    InstrumentState state_;
    Mode mode_ = Mode::Idle;
    std::vector<uint8_t> pending_;
    double lastByteTime_ = 0;
    bool afterAA_ = false;
    double aaTime_ = 0;
    bool stopAckExpected_ = false;
    double stopTime_ = 0;
    int blocks_ = 0;
    std::mt19937 rng_;
};

}  // namespace tavrin::sim
