#include "acquisition/link_status.h"

#include <algorithm>
#include <cstdio>

namespace tavrin {

std::string StateText(LinkState state)
{
    switch (state) {
    case LinkState::NotConnected: return "not connected";
    case LinkState::Connected: return "connected";
    case LinkState::Acquiring: return "acquiring";
    case LinkState::NoAnswer: return "no answer";
    case LinkState::LineLost: return "line lost";
    case LinkState::Reconnecting: return "reconnecting";
    case LinkState::Paused: return "paused";
    }
    return {};
}

std::string StatusText(const LinkStatus &s)
{
    std::string text = "COM" + std::to_string(s.port) + ": " + s.device + "  |  " + StateText(s.state);
    if (s.state == LinkState::Reconnecting && !s.detail.empty())
        text += " (" + s.detail + ")";
    if (s.state == LinkState::NotConnected || s.state == LinkState::Connected)
        return text;
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.1f", s.tracesPerSecond);
    return text + "  |  " + rate + " traces/s  |  rejected " + std::to_string(s.rejected) + "  |  time-outs " +
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
    connected_ = running_ && State(now) == LinkState::Acquiring;
    running_ = false;
    reconnecting_ = false;
}

void LineWatch::Failed()
{
    connected_ = false;
}

void LineWatch::TraceCame(Clock::time_point now)
{
    lastTrace_ = now;
    recent_.push_back(now);
    while (!recent_.empty() && now - recent_.front() >= kRateWindow)
        recent_.pop_front();
}

void LineWatch::SetReconnecting(bool on, Clock::time_point now)
{
    reconnecting_ = on;
    if (!on)
        lastTrace_ = now;  // the line answered: the next trace is due from now
}

bool LineWatch::Lost(Clock::time_point now) const { return running_ && now - lastTrace_ >= kLost; }

LinkState LineWatch::State(Clock::time_point now, bool lineAsked) const
{
    if (!running_)
        return connected_ ? LinkState::Connected : LinkState::NotConnected;
    if (reconnecting_)
        return LinkState::Reconnecting;
    if (now - lastTrace_ < kNoAnswer)
        return LinkState::Acquiring;
    if (!lineAsked)
        return LinkState::Paused;
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

}  // namespace tavrin
