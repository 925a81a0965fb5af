#include "remote/session_target.h"

#include "common/number_format.h"
#include "common/text_number.h"
#include "markers/peak.h"
#include "session/session.h"


namespace tavrin::remote {

namespace {

const Outcome kNoTrace{-200, "no trace taken yet (INITiate)"};

// A version read as digits with the point after the first one ("207" 2.07, "14" 1.4).
std::string VersionText(int32_t v, int decimals)
{
    if (v <= 0)
        return {};
    std::string digits = std::to_string(v);
    if (digits.size() <= static_cast<size_t>(decimals))
        digits.insert(0, static_cast<size_t>(decimals) + 1 - digits.size(), '0');
    return digits.substr(0, digits.size() - static_cast<size_t>(decimals)) + "." +
           digits.substr(digits.size() - static_cast<size_t>(decimals));
}

RemoteSettings Of(const AnalyzerSettings &a, bool dBu) { return {a.centerMHz, a.span, a.refLevelDbm, a.rbw, dBu}; }

}  // namespace

SessionTarget::SessionTarget(Session &session, QObject *parent) : QObject(parent), s_(session) {}

SessionTarget::~SessionTarget() { *alive_ = false; }

PanelSettings::Applied SessionTarget::Confirmation(Done done, const std::string &what)
{
    return [alive = alive_, done = std::move(done), what](bool confirmed, const JobResult &r) {
        if (!*alive)
            return;
        if (confirmed)
            done(Outcome::Ok());
        else
            done({-200, r.silent ? "the analyzer did not answer while the " + what + " was sent"
                                 : "the analyzer did not confirm the " + what});
    };
}

std::function<void()> SessionTarget::Sent(Done done)
{
    return [alive = alive_, done = std::move(done)] {
        if (*alive)
            done(Outcome::Ok());
    };
}

void SessionTarget::Confirmed(const std::function<void()> &apply)
{
    const bool was = s_.Settings().ConfirmAlways();
    s_.Settings().SetConfirmAlways(true);
    apply();
    s_.Settings().SetConfirmAlways(was);
}

void SessionTarget::Identify(std::function<void(const RemoteIdentity &)> answer)
{
    if (identity_ && identity_->serial == s_.Line().Serial()) {
        answer(*identity_);
        return;
    }
    identifying_.push_back(std::move(answer));
    if (identifying_.size() > 1)
        return;
    // The serial number comes with the link check: before the first Start, a single trace's
    // check reads it.
    if (s_.Line().Serial().empty())
        s_.Single([this, alive = alive_](const TracePtr &, const std::string &) {
            if (*alive)
                AskIdentity();
        });
    else
        AskIdentity();
}

void SessionTarget::AskIdentity()
{
    s_.AskVersions([this, alive = alive_](const Versions &v) {
        if (!*alive)
            return;
        const RemoteIdentity id{s_.Line().Serial(), VersionText(v.software, 2), VersionText(v.fpga, 1)};
        if (!id.serial.empty() && !id.software.empty())
            identity_ = id;
        for (const auto &answer : std::exchange(identifying_, {}))
            answer(id);
    });
}

RemoteSettings SessionTarget::Settings() const
{
    const MeasurementState &m = s_.Settings().State();
    return {NumericValue(m.centerFreqMHz), TrimSpaces(m.spanCaption),
            static_cast<int>(NumericValue(m.refLevelDbm)), TrimSpaces(m.rbwCaption), TrimSpaces(m.unit) != "dBm"};
}

void SessionTarget::SetCenter(double mhz, Done done)
{
    Confirmed([&] {
        s_.Settings().EnterCenter(FormatFixed(mhz, 3, 3), Confirmation(std::move(done), "centre frequency"));
    });
}

void SessionTarget::SetSpan(const std::string &caption, Done done)
{
    Confirmed([&] { s_.Settings().ChooseSpan(SpanToIndex(caption), Confirmation(std::move(done), "span")); });
}

void SessionTarget::SetRefLevel(int dbm, Done done)
{
    Confirmed([&] {
        s_.Settings().ChooseRefLevel(RefLevelToIndex(dbm), Confirmation(std::move(done), "reference level"));
    });
}

void SessionTarget::SetRbw(const std::string &caption, Done done)
{
    if (!IsZeroSpan(s_.Settings().State().spanCaption)) {
        done({-221, "the RBW is chosen at zero span only"});
        return;
    }
    Confirmed([&] { s_.Settings().ChooseRbw(RBWToIndex(caption), Confirmation(std::move(done), "RBW")); });
}

bool SessionTarget::Running() const { return s_.Line().Running() || s_.Line().Checking(); }

void SessionTarget::SetRunning(bool on, Done done)
{
    if (on != Running())
        on ? s_.Start() : s_.Stop();
    done(Outcome::Ok());
}

void SessionTarget::TakeTrace(Done done)
{
    auto wait = std::make_shared<Done>(std::move(done));
    taking_.push_back(wait);
    s_.Single([this, alive = alive_, wait](const TracePtr &t, const std::string &why) {
        if (!*alive || !*wait)
            return;
        const Done d = std::exchange(*wait, nullptr);
        std::erase(taking_, wait);
        d(t ? Outcome::Ok() : Outcome{-200, why});
    });
}

void SessionTarget::Abort()
{
    for (const std::shared_ptr<Done> &wait : std::exchange(taking_, {}))
        if (const Done d = std::exchange(*wait, nullptr))
            d(Outcome::Ok());
}

bool SessionTarget::AveragingOn() const { return s_.AveragingOn(); }
int SessionTarget::AverageCount() const { return s_.AverageCount(); }

void SessionTarget::SetAveraging(bool on, Done done)
{
    s_.SetAveraging(on);
    done(Outcome::Ok());
}

void SessionTarget::SetAverageCount(int count, Done done)
{
    s_.SetAverageCount(count);
    done(Outcome::Ok());
}

std::optional<RemoteTrace> SessionTarget::Trace(TraceName name, Outcome &why) const
{
    const bool dBu = Settings().dBu;
    if (name == TraceName::MemoryA || name == TraceName::MemoryB) {
        // A memory is read at the settings it was stored with, whatever the screen shows now.
        const SettledTrace memory = s_.Memories().Settled(name == TraceName::MemoryA ? MemorySlot::A : MemorySlot::B);
        if (memory.points)
            return RemoteTrace{*memory.points, Of(memory.settings, dBu)};
        why = {-221, "no trace is stored in that memory"};
        return std::nullopt;
    }
    const TracePtr shown = s_.Shown();
    if (!shown) {
        why = kNoTrace;
        return std::nullopt;
    }
    if (name == TraceName::Live)
        return RemoteTrace{shown->points, Of(shown->settings, dBu)};
    if (name == TraceName::MaxHold || name == TraceName::MinHold) {
        if (const TracePoints *held = s_.Holds().Held(name == TraceName::MaxHold ? HoldKind::Max : HoldKind::Min))
            return RemoteTrace{*held, Of(s_.Holds().Settings(), dBu)};
    }
    why = {-221, "that hold is off, or holds no trace yet"};
    return std::nullopt;
}

RemoteMarker SessionTarget::Marker(int n) const
{
    const auto i = static_cast<size_t>(n - 1);
    const MarkerControl &c = s_.Markers().Controls().at(i);
    RemoteMarker m{c.enabled, NumericValue(c.freqText), false, 0};
    if (m.on && s_.ShowsTrace()) {
        const MarkerReading r = ReadMarkers(s_.Settings().State(), *s_.TraceToRead().trace, s_.Markers().Controls())[i];
        m.hasReading = r.onScreen;
        m.level = r.level;
    }
    return m;
}

void SessionTarget::SetMarkerOn(int n, bool on, Done done)
{
    s_.Markers().SetOn(n - 1, on);
    done(Outcome::Ok());
}

void SessionTarget::SetMarkerFreq(int n, double mhz, Done done)
{
    s_.Markers().PutAt(n - 1, mhz);  // switched on, as a click on the screen puts it
    done(Outcome::Ok());
}

void SessionTarget::MarkerToPeak(int n, Done done)
{
    if (!s_.Shown()) {
        done(kNoTrace);
        return;
    }
    if (n == 1) {
        s_.Peak();  // Peak's own rule: marker 1, four decimals
    } else {
        const MeasurementState &state = s_.Settings().State();
        const int point = PeakPoint(*s_.TraceToRead().trace);
        s_.Markers().PutAt(n - 1, ConvertNthPointToMHz(state, static_cast<int16_t>(point)));
    }
    done(Outcome::Ok());
}

}  // namespace tavrin::remote
