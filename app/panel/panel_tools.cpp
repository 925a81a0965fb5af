// The panel's comparison and peak tools wired to the session: the trace memories and the
// difference view, adjacent channel power's channels, Track peak and the peak moves, the rules of
// a peak, and the peak table written as a CSV file.
#include "common/dialogs.h"
#include "common/number_format.h"
#include "common/safe_file.h"
#include "common/text_number.h"
#include "markers/marker_group.h"
#include "measure/range_rules.h"
#include "panel/control_panel.h"
#include "record/record_csv.h"
#include "session/session.h"
#include "trace_modes/trace_group.h"

#include <filesystem>
#include <limits>

namespace tavrin {

namespace {

constexpr char kPeaksTitle[] = "Peak table";

MemorySlot Slot(int memory) { return memory == 0 ? MemorySlot::A : MemorySlot::B; }

// The excursion and threshold as typed; none, with the reason, when they are not.
std::optional<PeakRules> RulesOf(const std::string &excursion, const std::string &threshold, std::string &why)
{
    PeakRules rules;
    const std::optional<double> e = WholeNumber(excursion);
    if (!e || *e < 0 || *e > kMostPeakExcursionDb) {
        why = "The peak excursion \"" + excursion + "\" is no level difference from 0 to 80 dB: type one, such as 6.";
        return std::nullopt;
    }
    rules.excursionDb = *e;
    if (TrimSpaces(threshold).empty())
        return rules;
    const std::optional<double> t = WholeNumber(threshold);
    if (!t) {
        why = "The peak threshold \"" + threshold + "\" is no level: type one in dBm, or leave the field empty for none.";
        return std::nullopt;
    }
    rules.thresholdDbm = *t;
    return rules;
}

std::optional<ChannelPlan> PlanOf(const std::string &width, const std::string &spacing, std::string &why)
{
    const std::optional<double> w = WholeNumber(width), s = WholeNumber(spacing);
    for (auto [value, text, what] : {std::tuple{w, &width, "width"}, std::tuple{s, &spacing, "spacing"}})
        if (!value || *value <= 0 || *value > kWindowMaxMHz) {
            why = "The channel " + std::string(what) + " \"" + *text + "\" is no frequency in MHz above 0 up to " +
                  PlainDecimal(kWindowMaxMHz) + ": type one, such as 0.025.";
            return std::nullopt;
        }
    return ChannelPlan{*w, *s};
}

std::string MemoryTip(const std::optional<TraceRecord> &memory)
{
    if (!memory)
        return {};
    const AnalyzerSettings s = RecordSettings(*memory);
    return "taken " + CsvTime(memory->time) + " at " + PlainDecimal(s.centerMHz) + " MHz, " + s.span + ", " +
           std::to_string(s.refLevelDbm) + " dBm, RBW " + s.rbw;
}

}  // namespace

void ControlPanel::WirePeakTools()
{
    Session &s = s_.session;
    connect(markers_, &MarkerGroup::trackSwitched, this, [&s](int i, bool on) { s.SetTracking(i, on); });
    connect(markers_, &MarkerGroup::nextPeakClicked, this, [&s] { s.NextPeak(); });
    connect(markers_, &MarkerGroup::peakLeftClicked, this, [&s] { s.PeakLeft(); });
    connect(markers_, &MarkerGroup::peakRightClicked, this, [&s] { s.PeakRight(); });
    connect(markers_, &MarkerGroup::peakTableSwitched, this, [&s](bool on) { s.PeakTools().SetTable(on); });
    connect(markers_, &MarkerGroup::peakRulesEntered, this,
            [this, &s](const std::string &excursion, const std::string &threshold) {
                std::string why;
                if (const std::optional<PeakRules> rules = RulesOf(excursion, threshold, why)) {
                    s.PeakTools().SetRules(*rules);
                    return;
                }
                s_.dialogs.ShowMessage("Peak tools", why);
                Show(SessionPart::Peaks);  // the rules in force again
            });
}

void ControlPanel::WireMemoriesAndChannels()
{
    Session &s = s_.session;
    connect(trace_, &TraceGroup::memoryStored, this, [&s](int m) { s.StoreMemory(Slot(m)); });
    connect(trace_, &TraceGroup::memoryShown, this, [&s](int m, bool on) { s.Memories().SetShown(Slot(m), on); });
    connect(trace_, &TraceGroup::differenceChosen, this, [&s](int chosen) {
        s.Memories().SetDifference(chosen == TraceGroup::kLiveMinusA ? std::optional(DifferenceKind::LiveMinusA)
                                   : chosen == TraceGroup::kAMinusB  ? std::optional(DifferenceKind::AMinusB)
                                                                     : std::nullopt);
    });
    connect(trace_, &TraceGroup::channelsEntered, this, [this, &s](const std::string &width, const std::string &spacing) {
        std::string why;
        if (const std::optional<ChannelPlan> plan = PlanOf(width, spacing, why)) {
            s.SetChannelPlan(*plan);
            return;
        }
        s_.dialogs.ShowMessage("Adjacent channel power", why);
        Show(SessionPart::TraceModes);  // the channels in force again
    });
}

void ControlPanel::ShowMemories()
{
    const TraceMemories &m = s_.session.Memories();
    const std::optional<DifferenceKind> d = m.Difference();
    trace_->ShowMemories({MemoryTip(m.Memory(MemorySlot::A)), MemoryTip(m.Memory(MemorySlot::B))},
                         {m.Shown(MemorySlot::A), m.Shown(MemorySlot::B)},
                         !d ? TraceGroup::kLevels : *d == DifferenceKind::LiveMinusA ? TraceGroup::kLiveMinusA
                                                                                     : TraceGroup::kAMinusB);
}

void ControlPanel::ExportPeakTable()
{
    Session &s = s_.session;
    if (!s.ShowsTrace()) {
        s_.dialogs.ShowMessage(kPeaksTitle, "There is no trace yet whose peaks could be exported: press Start first.");
        return;
    }
    // The peaks of the trace on the screen now, whatever comes while the name is asked.
    const std::string csv = PeakTableCsv(PeakTable(s.Peaks()), TrimSpaces(s_.settings.Unit) != "dBm");
    for (std::optional<std::string> name; (name = s_.dialogs.SaveFileName("Export peak table", "CSV Files (*.csv)", ""));) {
        if (name->empty())
            return;
        if (std::filesystem::path(*name).extension().empty())
            *name += ".csv";
        std::error_code ec;
        if (std::filesystem::exists(*name, ec) && !s_.dialogs.AskYesNo(kPeaksTitle, *name + " existed!\r\nReplace it?"))
            continue;
        std::string error;
        if (!ReplaceFileDurably(*name, reinterpret_cast<const uint8_t *>(csv.data()), csv.size(), &error))
            s_.dialogs.ShowMessage(kPeaksTitle, "The peak table was not written: " + error + ".");
        return;
    }
}

}  // namespace tavrin
