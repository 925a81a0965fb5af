// How often things are published, on a clock the caller gives in seconds: traces thinned to an
// interval, limit verdicts on every change and once a minute besides.
#pragma once

#include "publish/publish_payloads.h"

#include <limits>
#include <optional>
#include <vector>

namespace tavrin {

// Every trace with no interval. With one, the first trace and then one per interval on average:
// each is due an interval after the last one's due time, so the rate does not drift to the
// sweep's beat; after a gap of more than an interval the next trace is taken at once.
class TraceThinning {
public:
    explicit TraceThinning(double intervalSeconds) : interval_(intervalSeconds) {}
    bool Take(double seconds);

private:
    double interval_;
    std::optional<double> due_;
};

// The limit topic's rhythm: when a line is switched on or off, gets another file or kind, or its
// verdict changes (PASS, FAIL or no verdict, or the reason there is none), and once a minute since
// the last one besides, so that a dashboard sees the counters move and knows the watch lives.
class LimitRhythm {
public:
    static constexpr double kRefreshSeconds = 60;
    bool Take(const std::vector<LimitLineReport> &lines, double seconds);

private:
    struct Key {
        int line;
        std::string name;
        LimitKind kind;
        LimitOutcome outcome;
        std::string reason;
        bool operator==(const Key &) const = default;
    };
    std::optional<std::vector<Key>> last_;
    double sent_ = -std::numeric_limits<double>::infinity();
};

}  // namespace tavrin
