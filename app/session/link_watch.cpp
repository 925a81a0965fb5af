#include "session/link_watch.h"

#include <algorithm>
#include <cstdio>

namespace tavrin {

std::string StateText(LinkState state)
{
    switch (state) {
    case LinkState::NotConnected: return "not connected";
    case LinkState::Connected: return "connected";
    case LinkState::Checking: return "checking";
    case LinkState::Acquiring: return "acquiring";
    case LinkState::NoAnswer: return "no answer";
    case LinkState::LineLost: return "line lost";
    case LinkState::Reconnecting: return "reconnecting";
    }
    return {};
}

std::string StatusText(const LinkStatus &s)
{
    std::string text = "COM" + std::to_string(s.port) + ": " + s.device + "  |  " + StateText(s.state);
    if ((s.state == LinkState::Reconnecting || s.state == LinkState::Checking) && !s.detail.empty())
        text += " (" + s.detail + ")";
    if (s.state == LinkState::NotConnected || s.state == LinkState::Connected || s.state == LinkState::Checking)
        return text;
    char rate[96];
    if (s.slow)
        std::snprintf(rate, sizeof rate, "%.1f traces/s, %.0f %% of the line's %.1f: blocks are lost", s.tracesPerSecond,
                      100.0 * s.tracesPerSecond / kLineTracesPerSecond, kLineTracesPerSecond);
    else
        std::snprintf(rate, sizeof rate, "%.1f traces/s", s.tracesPerSecond);
    return text + "  |  " + rate + "  |  rejected " + std::to_string(s.rejected) + "  |  time-outs " +
           std::to_string(s.timeouts);
}

void LineWatch::Started(Clock::time_point now)
{
    running_ = true;
    connected_ = true;
    reconnecting_ = false;
    started_ = lastTrace_ = now;
    recent_.clear();
}

void LineWatch::Stopped(Clock::time_point now)
{
    if (running_)
        connected_ = State(now) == LinkState::Acquiring;
    running_ = false;
    reconnecting_ = false;
}

void LineWatch::Failed() { connected_ = false; }

void LineWatch::TraceCame(Clock::time_point now)
{
    lastTrace_ = now;
    recent_.push_back(now);
    while (!recent_.empty() && now - recent_.front() >= kRateWindow)
        recent_.pop_front();
}

void LineWatch::BlockLost(Clock::time_point now) { lastLoss_ = now; }

void LineWatch::SetReconnecting(bool on, Clock::time_point now)
{
    reconnecting_ = on;
    if (!on) {
        lastTrace_ = now;  // the line answered: the next trace is due from now
        started_ = now;    // and the rate counts afresh
        recent_.clear();
    }
}

bool LineWatch::Lost(Clock::time_point now) const { return running_ && now - lastTrace_ >= kLost; }

LinkState LineWatch::State(Clock::time_point now) const
{
    if (!running_)
        return connected_ ? LinkState::Connected : LinkState::NotConnected;
    if (reconnecting_)
        return LinkState::Reconnecting;
    if (now - lastTrace_ < kNoAnswer)
        return LinkState::Acquiring;
    return Lost(now) ? LinkState::LineLost : LinkState::NoAnswer;
}

double LineWatch::TracesPerSecond(Clock::time_point now) const
{
    if (!running_)
        return 0;
    const auto count = std::count_if(recent_.begin(), recent_.end(), [&](auto t) { return now - t < kRateWindow; });
    const auto window = std::clamp<Clock::duration>(now - started_, std::chrono::seconds(1), kRateWindow);
    return static_cast<double>(count) / std::chrono::duration<double>(window).count();
}

bool LineWatch::Slow(Clock::time_point now) const
{
    return State(now) == LinkState::Acquiring && now - started_ >= kRateWindow && now - lastLoss_ < kRateWindow &&
           TracesPerSecond(now) < 0.8 * kLineTracesPerSecond;
}

}  // namespace tavrin
