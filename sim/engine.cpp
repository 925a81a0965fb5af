#include "engine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace tavrin::sim {

const char *const kSpanCaptions[16] = {"0HZ/DIV",   "2KHZ/DIV",   "5KHZ/DIV",   "10KHZ/DIV",
                                       "20KHZ/DIV", "50KHZ/DIV",  "100KHZ/DIV", "200KHZ/DIV",
                                       "500KHZ/DIV", "1MHZ/DIV",  "2MHZ/DIV",   "5MHZ/DIV",
                                       "10MHZ/DIV", "20MHZ/DIV",  "50MHZ/DIV",  "100MHZ/DIV"};
const char *const kRbwCaptions[4] = {"3KHZ", "30KHZ", "220KHZ", "4MHZ"};

namespace {

constexpr double kSpanMHz[16] = {0,    0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2,
                                 0.5,  1,     2,     5,    10,   20,   50,  100};
constexpr double kRbwHz[4] = {3e3, 30e3, 220e3, 4e6};

// Fixed carriers on the band.
constexpr Carrier kCarriers[] = {{0.0, -12},    {10.0, -42},  {50.0, -58},  {80.0, -27},
                                 {100.5, -36},  {433.92, -51}, {868.3, -44}, {915.0, -62}};

// A query command waits for the rest of its frame no longer than this (seconds).
constexpr double kCommandGap = 0.5;
// Streaming stops on 0xAA; the host then acknowledges with 0x55 within about a second.
constexpr double kStopAckWindow = 1.5;

}  // namespace

double SpanMHzPerDivision(int spanIndex)
{
    return spanIndex >= 0 && spanIndex < 16 ? kSpanMHz[spanIndex] : 0.0;
}

int EffectiveRbwCode(const InstrumentState &s)
{
    const double w = SpanMHzPerDivision(s.spanIndex);
    if (w == 0)
        return s.rbwCode;
    if (w <= 0.02)
        return 0;
    if (w <= 0.2)
        return 1;
    if (w <= 2)
        return 2;
    return 3;
}

Engine::Engine(const Options &options, double startTime)
    : options_(options), start_(startTime), now_(startTime), rng_(options.seed)
{
    state_.echo = options.echo;
}

bool Engine::Muted() const
{
    return options_.silent || (options_.silentAfter > 0 && blocks_ >= options_.silentAfter && now_ < silentUntil_);
}

void Engine::Echo(uint8_t byte, std::vector<uint8_t> &out)
{
    if (state_.echo && !Muted())
        out.push_back(byte);
}

void Engine::Receive(uint8_t b, double now, std::vector<uint8_t> &out)
{
    // A frame or command cut off by the host is abandoned rather than swallowing the next one.
    if (mode_ != Mode::Idle && now - lastByteTime_ > kCommandGap) {
        mode_ = Mode::Idle;
        pending_.clear();
    }
    lastByteTime_ = now;
    now_ = now;
    if (mode_ == Mode::Idle)
        ReceiveIdle(b, now, out);
    else
        ReceivePending(b, out);
}

void Engine::ReceivePending(uint8_t b, std::vector<uint8_t> &out)
{
    if (mode_ == Mode::Frame) {
        pending_.push_back(b);
        Echo(b, out);
        if (pending_.size() == 9) {
            ApplyFrame();
            mode_ = Mode::Idle;
            pending_.clear();
        }
        return;
    }
    if (mode_ == Mode::Text) {
        pending_.push_back(b);
        Echo(b, out);
        if (b == '\r') {
            std::string text(pending_.begin(), pending_.end() - 1);
            if (!text.empty() && text.back() == '\n')
                text.pop_back();
            mode_ = Mode::Idle;
            pending_.clear();
            ApplyText(text, out);
        } else if (pending_.size() > 32) {
            mode_ = Mode::Idle;
            pending_.clear();
        }
    }
}

void Engine::ReceiveIdle(uint8_t b, double now, std::vector<uint8_t> &out)
{
    if (afterAA_) {
        afterAA_ = false;
        if (b == 0x55 && now - aaTime_ < kCommandGap) {
            state_.streaming = true;
            if (!Muted()) {
                out.push_back(0x55);
                out.push_back(0xAA);
            }
            return;
        }
    }
    if (stopAckExpected_) {
        stopAckExpected_ = false;
        if (b == 0x55 && now - stopTime_ < kStopAckWindow)
            return;
    }
    switch (b) {
    case 0xAA:
        if (state_.streaming) {
            state_.streaming = false;
            stopAckExpected_ = true;
            stopTime_ = now;
            if (!Muted())
                out.push_back(0xAA);
        } else {
            afterAA_ = true;
            aaTime_ = now;
        }
        return;
    case 0x55:
        StartFrameOrText(b, Mode::Frame, now, out);
        return;
    case 'j':
        if (!Muted())
            out.insert(out.end(), options_.serial.begin(), options_.serial.end());
        return;
    case 0xA5:
        AppendBlock(out);
        return;
    default:
        if (b >= 'A' && b <= 'Z')
            StartFrameOrText(b, Mode::Text, now, out);
        return;  // anything else is line noise to the instrument
    }
}

void Engine::StartFrameOrText(uint8_t byte, Mode mode, double, std::vector<uint8_t> &out)
{
    mode_ = mode;
    pending_.assign(1, byte);
    Echo(byte, out);
}

void Engine::ApplyFrame()
{
    const uint8_t letter = pending_[1];
    const int value = static_cast<int>(pending_[2]) - 1;
    switch (letter) {
    case 'F': {
        int32_t khz = 0;
        for (int i = 2; i < 9; ++i) {
            if (pending_[i] < '0' || pending_[i] > '9')
                return;  // not a frequency the instrument understands
            khz = khz * 10 + (pending_[i] - '0');
        }
        state_.centerKHz = khz;
        return;
    }
    case 'S':
        if (value >= 0 && value < 16)
            state_.spanIndex = value;
        return;
    case 'L':
        if (value >= 0 && value < 6)
            state_.refCode = value;
        return;
    case 'R':
        if (value >= 0 && value < 4)
            state_.rbwCode = value;
        return;
    default:
        return;
    }
}

void Engine::ApplyText(std::string text, std::vector<uint8_t> &out)
{
    auto reply = [&](const std::vector<uint8_t> &body) {
        if (Muted())
            return;
        out.push_back('\n');
        out.insert(out.end(), body.begin(), body.end());
        out.push_back('\r');
        out.push_back('\n');
    };
    if (text == "MKR:LEV 0" || text == "MKR:LEV 1") {
        // Marker level in tenths of a dBm, big-endian signed.
        auto points = TracePoints();
        const int p = std::clamp(state_.markerPoint, 0, 498);
        const double rl = -30.0 + 10.0 * state_.refCode;
        const double dbm = rl - (1023 - points[static_cast<size_t>(p)]) * 0.078125;
        const auto tenths = static_cast<int16_t>(std::lround(dbm * 10));
        const auto u = static_cast<uint16_t>(tenths);
        reply({0x00, static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u & 0xFF)});
    } else if (text == "OPT:VER") {
        const char *v = "SWVER2.07-TAVRIN01";  // positions 5, 7, 8 read as "207"
        reply(std::vector<uint8_t>(v, v + 18));
    } else if (text == "OPT:FPGA") {
        reply({'1', '.', '4'});  // read as "14"
    } else if (text == "MKR:PKSR") {
        auto points = TracePoints();
        state_.markerPoint = static_cast<int>(std::max_element(points.begin(), points.begin() + 499) - points.begin());
    } else if (text == "MKR:M2C") {
        const double w = SpanMHzPerDivision(state_.spanIndex);
        const double mhz = state_.centerKHz / 1000.0 + (state_.markerPoint - 251) * w / 50.0;
        state_.centerKHz = static_cast<int32_t>(std::clamp(std::lround(mhz * 1000), 0L, 1150000L));
        state_.markerPoint = 251;
    } else if (text == "GEN:DISP") {
        state_.tgMode = true;
    } else if (text == "GEN:EXIT") {
        state_.tgMode = false;
        state_.tgOutput = false;
    } else if (text == "GEN:NRM") {
        state_.tgNormalized = true;
    } else if (text == "GEN:MDE ON") {
        state_.tgOutput = true;
    } else if (text == "GEN:MDE OFF") {
        state_.tgOutput = false;
    } else if (text.rfind("GEN:LEV -", 0) == 0 && text.size() == 11) {
        state_.tgLevelDbm = -std::atoi(text.c_str() + 9);
        state_.tgNormalized = false;
    } else if (text.rfind("GEN:OFF ", 0) == 0 && text.size() == 11) {
        state_.tgOffset = std::atoi(text.c_str() + 8);
    } else if (text == "REF ON") {
        state_.extRef = true;
    } else if (text == "REF OFF") {
        state_.extRef = false;
    } else if (text == "ECHO ON") {
        state_.echo = true;
    } else if (text == "ECHO OFF") {
        state_.echo = false;
    }
}

void Engine::Tick(double now, std::vector<uint8_t> &out)
{
    now_ = now;
    if (state_.streaming && out.size() < 64)
        AppendBlock(out);
}

double Engine::LevelAt(double mhz, double rbwHz, bool noisy, const std::vector<Carrier> &added)
{
    std::normal_distribution<double> noise(0.0, 1.0);
    double floorDbm = -112.0 + 10.0 * std::log10(rbwHz / 3e3);
    if (noisy)
        floorDbm += 1.6 * noise(rng_);
    double mw = std::pow(10.0, floorDbm / 10.0);
    if (state_.tgMode) {
        if (state_.tgOutput) {
            // A low-pass device under test, flat once normalised.
            double loss = mhz > 600 ? std::min(60.0, (mhz - 600) * 0.2) : 0.0;
            if (state_.tgNormalized)
                loss = 0;
            double dbm = state_.tgLevelDbm + state_.tgOffset * 0.1 - loss + (noisy ? 0.15 * noise(rng_) : 0);
            mw += std::pow(10.0, dbm / 10.0);
        }
    } else {
        auto add = [&](const Carrier &c) {
            const double df = (mhz - c.mhz) * 1e6;
            const double x = 2.0 * df / rbwHz;
            const double att = 3.0103 * x * x;  // Gaussian filter shape
            if (att < 120)
                mw += std::pow(10.0, (c.dbm - att + (noisy ? 0.2 * noise(rng_) : 0)) / 10.0);
        };
        std::for_each(std::begin(kCarriers), std::end(kCarriers), add);
        std::for_each(added.begin(), added.end(), add);
    }
    return 10.0 * std::log10(mw);
}

std::array<uint16_t, 500> Engine::TracePoints()
{
    std::array<uint16_t, 500> points{};
    const double w = SpanMHzPerDivision(state_.spanIndex);
    const double center = state_.centerKHz / 1000.0;
    const double rbwHz = kRbwHz[EffectiveRbwCode(state_)];
    const double rl = -30.0 + 10.0 * state_.refCode;
    const std::vector<Carrier> added = AddedCarriers(options_, center, w, now_ - start_);
    for (int n = 0; n < 500; ++n) {
        const double mhz = center + (n - 251) * w / 50.0;
        const double dbm = LevelAt(mhz, rbwHz, true, added);
        const double v = std::round(1023.0 - (rl - dbm) / 0.078125);
        points[static_cast<size_t>(n)] = static_cast<uint16_t>(std::clamp(v, 0.0, 1023.0));
    }
    return points;
}

std::vector<uint8_t> Engine::CleanBlock()
{
    std::vector<uint8_t> block(1017, 0);
    char head[8];
    std::snprintf(head, sizeof head, "%07d", static_cast<int>(std::clamp(state_.centerKHz, 0, 9999999)));
    std::memcpy(block.data(), head, 7);
    block[7] = static_cast<uint8_t>(state_.spanIndex);
    block[8] = static_cast<uint8_t>(state_.refCode);
    char rbw[8];
    std::snprintf(rbw, sizeof rbw, "%-7s", kRbwCaptions[EffectiveRbwCode(state_)]);
    std::memcpy(block.data() + 9, rbw, 7);
    const auto points = TracePoints();
    for (size_t n = 0; n < 500; ++n) {
        block[16 + 2 * n] = static_cast<uint8_t>(points[n] & 0xFF);
        block[17 + 2 * n] = static_cast<uint8_t>(points[n] >> 8);
    }
    unsigned sum = 0;
    for (size_t i = 0; i < 1016; ++i)
        sum += block[i];
    block[1016] = static_cast<uint8_t>(sum);
    return block;
}

void Engine::AppendBlock(std::vector<uint8_t> &out)
{
    if (Muted())
        return;
    ++blocks_;
    if (blocks_ == options_.silentAfter && options_.hangupAfter == 0 && options_.returnAfter >= 0)
        silentUntil_ = now_ + options_.returnAfter;
    std::vector<uint8_t> block = CleanBlock();
    auto every = [&](int n) { return n > 0 && blocks_ % n == 0; };
    if (every(options_.badPointsEvery)) {
        block[16 + 2 * 100 + 1] = 0x04;  // point 100 above 1023
        unsigned sum = 0;
        for (size_t i = 0; i < 1016; ++i)
            sum += block[i];
        block[1016] = static_cast<uint8_t>(sum);
    }
    if (every(options_.corruptEvery))
        block[1016] = static_cast<uint8_t>(block[1016] + 1);
    if (every(options_.shortEvery))
        block.resize(static_cast<size_t>(options_.shortLength));
    out.insert(out.end(), block.begin(), block.end());
}

}  // namespace tavrin::sim
