// The file work a user waits for: a long record saved, loaded and exported as CSV on the program's
// worker, with the window's latency meanwhile and the memory the export takes.
#include "bench_support.h"

#include "common/program_folder.h"
#include "record/record_csv.h"
#include "record/record_appender.h"
#include "record/record_file.h"
#include "widgets/file_job.h"

#include <QObject>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace tavrin::bench {

namespace {

constexpr size_t kRecords = 49'461;  // the longest record a user reported: 50 MB

double MegaBytes(double bytes) { return bytes / (1024.0 * 1024.0); }

// VmRSS or VmHWM of this process, in kB.
long StatusKb(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(line.find(':') + 1));
    return -1;
}

// The peak resident size starts again from the present one.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

RecordTable Generated(size_t records = kRecords)
{
    std::mt19937 random(1);
    RecordTable table(records);
    for (size_t i = 0; i < table.size(); ++i) {
        TraceRecord &r = table[i];
        r.time = 45658.5 + static_cast<double>(i) * 0.2 / 86400;
        r.centerFreqMHz = 433.92;
        r.spanCaption = FixedText<12>("10MHZ/DIV");
        r.refLevelDbm = -20;
        r.rbwCaption = FixedText<8>("30KHZ");
        for (int16_t &p : r.points)
            p = static_cast<int16_t>(random() % 1024);
    }
    return table;
}

// The job on the program's worker, as the Trace Record group starts it, awaited while the window
// goes on; its time in ms, and the window's latency meanwhile.
template <class Job>
double TimedJob(const char *text, Job job, std::vector<double> *latency = nullptr)
{
    QObject context;  // cancels the job and waits for it, should it outlast the cap
    bool ended = false;
    LatencyBegin();
    const auto t0 = Clock::now();
    StartFileJob(&context, Dialogs(), "bench", text, [&](JobControl &control) { job(control); },
                 [&](bool) { ended = true; });
    PumpUntil([&] { return ended; }, std::chrono::seconds(120), std::chrono::milliseconds(1));
    const double ms = Ms(Clock::now() - t0);
    std::vector<double> late = LatencyEnd();
    if (latency)
        *latency = std::move(late);
    return ms;
}

}  // namespace

void ReportFileJobs(const std::string &root)
{
    const std::string spf = root + "/long.spf", csv = root + "/long.csv";
    RecordFileResult saved, loaded, exported;
    double saveMs = 0;
    {
        const RecordTable made = Generated();
        saveMs = TimedJob("save", [&](JobControl &c) { saved = SaveRecordFile(spf, made, &c); });
    }
    RecordTable table;
    const double loadMs = TimedJob("load", [&](JobControl &c) { loaded = LoadRecordFile(spf, table, &c); });
    if (!saved.ok || !loaded.ok) {
        Say("record file: not measured (%s%s)\n", saved.error.c_str(), loaded.error.c_str());
        return;
    }
    Say("record file of %zu records (%.1f MB): saved in %.0f ms, loaded in %.0f ms\n", table.size(),
        MegaBytes(static_cast<double>(std::filesystem::file_size(spf))), saveMs, loadMs);

    const long before = StatusKb("VmRSS:");
    ResetPeak();
    std::vector<double> latency;
    const double exportMs =
        TimedJob("export", [&](JobControl &c) { exported = WriteRecordCsv(csv, table, false, {}, &c); }, &latency);
    const long peak = StatusKb("VmHWM:");
    if (!exported.ok) {
        Say("csv export: failed (%s)\n", exported.error.c_str());
        return;
    }
    Say("csv export of %zu records: %.0f ms for %.1f MB (flushed to disk)\n", table.size(), exportMs,
        MegaBytes(static_cast<double>(std::filesystem::file_size(csv))));
    Say("memory during the export: peak %.1f MB resident, %.1f MB before it (the loaded record %.1f MB)\n",
        peak / 1024.0, before / 1024.0, MegaBytes(static_cast<double>(table.size() * sizeof(TraceRecord))));
    ReportLatency("ui latency while exporting", latency);
    std::filesystem::remove(spf);
    std::filesystem::remove(csv);
}

// What one record appended to a record file costs the thread that appends it (the recorder runs
// on the window thread): written and synced to the disk, as a continuous recording does.
void ReportRecordAppends(const std::string &folder)
{
    constexpr int kAppends = 20;
    const std::string path = folder + "/appends.spf";
    RecordAppender file;
    if (file.Open(path, RecordAppender::Mode::Replace) != RecordAppender::Opened::Ok) {
        Say("record append: not measured (%s)\n", file.Error().c_str());
        return;
    }
    const RecordTable one = Generated(1);
    std::vector<double> took;
    for (int i = 0; i < kAppends; ++i) {
        PumpFor(std::chrono::milliseconds(100));  // spaced about as the recorder's steps are
        const auto t0 = Clock::now();
        if (const std::string error = file.Append(one[0]); !error.empty()) {
            Say("record append: failed (%s)\n", error.c_str());
            return;
        }
        took.push_back(Ms(Clock::now() - t0));
    }
    std::sort(took.begin(), took.end());
    Say("one record appended to a record file (written and synced, on the thread that appends): median %.1f ms, "
        "p90 %.1f ms, max %.1f ms (%d appends 100 ms apart)\n",
        took[kAppends / 2], took[kAppends * 9 / 10], took.back(), kAppends);
    std::filesystem::remove(path);
}

}  // namespace tavrin::bench
