#include "instrument/library_instrument.h"

#include "instrument/port_diagnosis.h"
#include "instrument/tavrin_library.h"
#include "instrument/trace_block.h"

#include <QObject>
#include <QPointer>
#include <mutex>
#include <thread>

namespace tavrin {

using std::chrono::milliseconds;

namespace {

// The most a request can take on a silent line, from the library's time-outs: a read of n bytes
// ends 10 ms x n + 100 ms after it starts, an echo waits 110 ms per byte, a query's reply byte up
// to two wall-clock seconds. A trace request reads once more after a bad block.
constexpr milliseconds kTraceReadWorst{10 * 1018 + 100};
constexpr milliseconds kFetchWorst = 2 * kTraceReadWorst + milliseconds(400);
// A block's 1018 bytes at 5760 bytes a second, and a little: the rest of a block on its way
// has arrived by then.
constexpr milliseconds kBlockOnTheLine{200};
// A link check asks the serial number up to three times, the later ones after a block's time.
constexpr milliseconds kCheckWorst = 3 * milliseconds(10 * 5 + 100) + 2 * kBlockOnTheLine + milliseconds(50);
constexpr milliseconds kFrameWorst{9 * 110 + 50};
constexpr milliseconds kTextWorst{14 * 110 + 50};
constexpr milliseconds kVersionsWorst{2 * (14 * 110 + 110 + 2000)};
constexpr milliseconds kPortWorst{500};

constexpr milliseconds kStopGrace{500};
// Trace requests go out at most this often, however fast the analyzer answers.
constexpr milliseconds kFetchSpacing{100};

// Waits on the link thread until due; false when the request was cancelled meanwhile.
bool WaitUntil(std::chrono::steady_clock::time_point due, const std::atomic<bool> &cancelled)
{
    while (std::chrono::steady_clock::now() < due) {
        if (cancelled)
            return false;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(due - std::chrono::steady_clock::now(),
                                                                                  milliseconds(10)));
    }
    return !cancelled;
}

// Waits until kFetchSpacing after the last trace request; false when cancelled meanwhile.
bool Spaced(std::chrono::steady_clock::time_point &last, const std::atomic<bool> &cancelled)
{
    if (!WaitUntil(last + kFetchSpacing, cancelled))
        return false;
    last = std::chrono::steady_clock::now();
    return true;
}

const char kMissingAdvice[] = "\nThe instrument cannot be reached until the program is installed with its library.";

}  // namespace

struct LibraryInstrument::Line {
    explicit Line(std::string path) : library(std::move(path)) {}
    ~Line()
    {
        TavrinByteArrayRelease(array);
        if (keepLoaded)
            library.KeepLoaded();
    }
    // Loads the library at the first call; false, with the reason, when it is missing.
    bool Ready(std::string &reason)
    {
        if (library.Load())
            return true;
        reason = library.Error() + kMissingAdvice;
        return false;
    }
    const TavrinExports &Exports() const { return library.Exports(); }

    TavrinLibrary library;
    TavrinByteArray *array = nullptr;  // the library's last trace array, released by its next fetch
    std::atomic<bool> keepLoaded{false};
    std::chrono::steady_clock::time_point lastFetch{};  // when the last trace request went out
};

// Where replies are posted: a QObject of the owner's thread, cleared under the lock before it goes,
// so a job finishing late on the link thread posts to nothing.
struct LibraryInstrument::Mailbox {
    std::mutex mutex;
    QObject *context = nullptr;

    void Post(std::function<void()> deliver)
    {
        std::lock_guard lock(mutex);
        if (context)
            QMetaObject::invokeMethod(context, std::move(deliver), Qt::QueuedConnection);
    }
};

LibraryInstrument::LibraryInstrument(std::string libraryPath)
    : line_(std::make_shared<Line>(std::move(libraryPath))), mailbox_(std::make_shared<Mailbox>())
{
    mailbox_->context = new QObject;
}

LibraryInstrument::~LibraryInstrument()
{
    QObject *context = nullptr;
    {
        std::lock_guard lock(mailbox_->mutex);
        std::swap(context, mailbox_->context);
    }
    delete context;  // replies posted to it and not yet delivered go with it
    // Unloading under a running call would pull the code from under it; the process's exit
    // closes the port instead. A call that cannot end within the grace is not waited for.
    const auto freeBy = queue_.FreeBy();
    const bool stuck = freeBy && *freeBy - std::chrono::steady_clock::now() > kStopGrace;
    if (!queue_.Stop(stuck ? milliseconds(0) : kStopGrace))
        line_->keepLoaded = true;
}

template <class T>
RequestId LibraryInstrument::Post(milliseconds worst, std::function<T(Line &, const std::atomic<bool> &)> call,
                                  Reply<T> reply)
{
    auto id = std::make_shared<RequestId>(0);
    const RequestId posted = queue_.Post(
        [line = line_, mailbox = mailbox_, call = std::move(call), reply = std::move(reply), id,
         self = this](const std::atomic<bool> &cancelled) {
            T result = call(*line, cancelled);
            if (cancelled)
                return;
            // Runs on the owner's thread, where this object lives as long as the context does.
            mailbox->Post([self, id, reply, result = std::move(result)] {
                if (self->pending_.erase(*id) && reply)
                    reply(result);
            });
        },
        worst);
    *id = posted;  // read by the reply on this thread, so after this
    if (posted)
        pending_.insert(posted);
    return posted;
}

void LibraryInstrument::Cancel(RequestId id)
{
    // On the line or already finished, its reply may still be on its way: it is dropped there.
    queue_.Cancel(id);
    pending_.erase(id);
}

RequestId LibraryInstrument::SelectPort(int port, Reply<PortSelected> reply)
{
    port_ = port;
    return Post<PortSelected>(
        kPortWorst,
        [port](Line &line, const std::atomic<bool> &) {
            PortSelected r;
            r.port = port;
            if (!line.Ready(r.reason))
                return r;
            // Port 0 closes the library's port: what it had open is no longer what the user chose.
            r.notConnected = port >= 1 && port <= 4 && PortNotConnected(port);
            r.opened = line.Exports().CHANGECOMPORT(r.notConnected ? 0 : port) == 1 && !r.notConnected;
            return r;
        },
        std::move(reply));
}

RequestId LibraryInstrument::CheckLink(Reply<LinkCheck> reply)
{
    return Post<LinkCheck>(
        kCheckWorst,
        [](Line &line, const std::atomic<bool> &cancelled) {
            LinkCheck r;
            r.serial = "999999";
            if (!line.Ready(r.reason))
                return r;
            // The tail of a block still on its way (another program's request, just ended) reads
            // as a number no serial can be: asked again once that block has passed, the
            // analyzer's own answer comes.
            int32_t serial = line.Exports().GETSERIALNUM();
            for (int again = 0; again < 2 && serial != 999999 && (serial < 0 || serial > 99999); ++again) {
                if (!WaitUntil(std::chrono::steady_clock::now() + kBlockOnTheLine, cancelled))
                    break;
                serial = line.Exports().GETSERIALNUM();
            }
            r.serial = std::to_string(serial);
            r.answers = SerialNumberAnswers(r.serial);
            return r;
        },
        std::move(reply));
}

namespace {

// Whether the library ran; the block it gave (all 0xFF when it gave none) and its checksum verdict.
bool RequestBlock(LibraryInstrument::Line &line, std::vector<uint8_t> &block, bool &checksumOk);

}  // namespace

RequestId LibraryInstrument::Fetch(Reply<Fetched> reply)
{
    return Post<Fetched>(
        kFetchWorst,
        [](Line &line, const std::atomic<bool> &cancelled) {
            Fetched f;
            if (!line.Ready(f.reason)) {
                f.outcome = FetchOutcome::Unreachable;
                return f;
            }
            // The points decide: a block that failed the checksum with valid points is taken, and
            // counted; a silent line will not answer a second request either.
            std::vector<uint8_t> block;
            f.outcome = FetchOutcome::Garbled;
            if (!Spaced(line.lastFetch, cancelled))
                return f;
            const auto start = std::chrono::steady_clock::now();
            while (f.attempts < kMaxFetchAttempts && !cancelled) {
                bool checksumOk = false;
                RequestBlock(line, block, checksumOk);
                ++f.attempts;
                const std::optional<TracePoints> points = ParseTracePoints(block, TracePoints{});
                if (!points && NothingArrived(block)) {
                    f.outcome = FetchOutcome::Silent;
                    break;
                }
                if (!points || !checksumOk)
                    ++f.rejected;
                if (points) {
                    f.outcome = FetchOutcome::Trace;
                    f.points = *points;
                    f.settings = BlockSettings(block);
                    break;
                }
            }
            f.took = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
            return f;
        },
        std::move(reply));
}

namespace {

bool RequestBlock(LibraryInstrument::Line &line, std::vector<uint8_t> &block, bool &checksumOk)
{
    checksumOk = line.Exports().GETANALYZERTRACEDATA(&line.array) == 1;
    if (line.array && line.array->data && line.array->count > 0)
        block.assign(line.array->data, line.array->data + line.array->count);
    else
        block.assign(kBlockSize, 0xFF);  // no array: nothing usable arrived
    return true;
}

int32_t SendSetting(const TavrinExports &lib, const SettingCommand &c)
{
    switch (c.what) {
    case SettingCommand::What::CenterKHz: return lib.SETFREQ(c.value);
    case SettingCommand::What::SpanRow: return lib.SETSPAN(c.value);
    case SettingCommand::What::RefLevelRow: return lib.SETREFLVL(c.value);
    case SettingCommand::What::RbwRow: return lib.SETRBW(c.value);
    }
    return 0;
}

int32_t SendGenerator(const TavrinExports &lib, const GeneratorCommand &c)
{
    switch (c.what) {
    case GeneratorCommand::What::Start: return lib.STARTTG();
    case GeneratorCommand::What::Exit: return lib.EXITTG();
    case GeneratorCommand::What::Normalize: return lib.NORMALIZETG();
    case GeneratorCommand::What::Output: return lib.TGONOFF(c.value);
    case GeneratorCommand::What::Level: return lib.TGLEVEL(c.value);
    case GeneratorCommand::What::Offset: return lib.TGOFFSET(c.value);
    }
    return 0;
}

}  // namespace

RequestId LibraryInstrument::Send(SettingCommand command, Reply<bool> reply)
{
    return Post<bool>(
        kFrameWorst,
        [command](Line &line, const std::atomic<bool> &) {
            std::string reason;
            return line.Ready(reason) && SendSetting(line.Exports(), command) == 1;
        },
        std::move(reply));
}

RequestId LibraryInstrument::Generator(GeneratorCommand command, Reply<bool> reply)
{
    return Post<bool>(
        kTextWorst,
        [command](Line &line, const std::atomic<bool> &) {
            std::string reason;
            return line.Ready(reason) && SendGenerator(line.Exports(), command) == 1;
        },
        std::move(reply));
}

RequestId LibraryInstrument::AskVersions(Reply<Versions> reply)
{
    return Post<Versions>(
        kVersionsWorst,
        [](Line &line, const std::atomic<bool> &) {
            Versions v;
            std::string reason;
            if (line.Ready(reason)) {
                v.software = line.Exports().SWVERSION();
                v.fpga = line.Exports().FPGAVERSION();
            }
            return v;
        },
        std::move(reply));
}

}  // namespace tavrin
