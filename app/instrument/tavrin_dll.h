// The program's one way to the instrument: value mappings onto the library's codes, the shared
// trace buffer, trace fetch with validation, the settings reported in the trace header, and a
// pause that keeps the windows alive. Every call into the library is made on the module's link
// thread while the calling (user-interface) thread serves window events; the program's logic,
// this module's state included, stays on the calling thread.
#pragma once

#include "common/dialogs.h"
#include "instrument/link_thread.h"
#include "instrument/tavrin_library.h"
#include "measure/screen_conversions.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

inline constexpr int kBlockSize = 1020;

struct TraceBuffer {
    std::vector<uint8_t> block;             // the last array from the library; empty before the first fetch
    LiveTrace points{};                      // 0..1023, index 0 = left edge; 499 is never filled
    double blockCenterMHz = 0;
};

// The analyzer's settings as a block's header reports them.
struct BlockReport {
    double centerMHz = 0;
    std::string span;
    int16_t refLevelDbm = 0;
    std::string rbw;
};

// What went wrong on the line since the program started: blocks that failed the checksum (after
// the library's own retry) or carried invalid points, and requests that nothing answered.
struct LineCounts {
    unsigned rejected = 0;
    unsigned timeouts = 0;
};

// Milliseconds from start to now on a counter that wraps at 2^32.
uint32_t ElapsedMs(uint32_t now, uint32_t start);
// The system's wrapping millisecond counter (steady clock).
uint32_t SystemMsCounter();

// The instrument answers when its serial number sorts before "99999" (ordinal comparison): this
// rejects the library's no-answer value 999999 and the value 99999.
bool SerialNumberAnswers(const std::string &serialText);

class TavrinDLL {
public:
    using EventPump = std::function<void()>;
    using MsCounter = std::function<uint32_t()>;

    // An invalid block is fetched again at most this often before the fetch gives up.
    static constexpr int kMaxFetchAttempts = 5;

    // libraryPath empty: libTavrin.so next to the executable, then the system's search.
    explicit TavrinDLL(UserDialogs &dialogs, std::string libraryPath = {});
    // Waits briefly for the link thread; one stuck in a call on a silent line is left to end
    // with the process, and the library stays loaded under it.
    ~TavrinDLL();
    TavrinDLL(const TavrinDLL &) = delete;
    TavrinDLL &operator=(const TavrinDLL &) = delete;

    // A valid trace into the trace buffer's points. False when none came (the instrument kept
    // sending invalid blocks, said nothing, or the library is missing); the points are then left
    // as they were.
    bool FetchTrace();
    // Whether the last failed fetch found the line silent (or gone) rather than garbled.
    bool LastFetchSilent() const { return lastFetchSilent_; }
    // Decodes the block's points 0..498; false, with the points untouched, for an invalid block.
    bool ParseTracePoints();

    double BlockCenterFreq();
    std::string BlockSpan() const;
    int16_t BlockRefLevel() const;
    std::string BlockRBW() const;
    // All four of the last block.
    BlockReport Report();

    void SendCenterFreq(double mhz);
    void SendSpan(std::string_view caption);
    void SendRefLevel(int16_t dbm);
    void SendRBW(std::string_view caption);
    // A COM port with nothing behind it (no device chosen, no chip behind its /dev/ttyS) is not
    // opened: the library is left with no port.
    void SelectComPort(int16_t port);
    // Selects the saved port, unless another program holds it: then the user is told instead.
    void SelectPortUnlessHeld(int port, const std::function<bool(int port)> &heldElsewhere);
    std::string SerialNumText();
    // The analyzer's software version ("SWVER2.07..." gives 207) and FPGA version ("1.4" gives
    // 14); 0 when it did not answer.
    int32_t SoftwareVersion();
    int32_t FpgaVersion();
    void SendStartTG();
    void SendExitTG();
    void SendNormalizeTG();
    void SendTGOnOff(bool on);
    void SendTGLevel(int16_t level);
    void SendTGOffset(int16_t offset);

    // Returns after ms milliseconds, serving window events meanwhile.
    void Pause(double ms);

    // For a program that is leaving: every wait, the call in flight and Pause alike, returns at
    // once with the failure value, and no further call reaches the library. Also happens by
    // itself when the application ends its event loops while a call waits.
    void Abandon() { link_.Abandon(); }
    // Whether a call is on the line (running or queued), e.g. so that Stop need not wait for it.
    bool CallInFlight() const { return link_.CallInFlight(); }

    TraceBuffer &Trace() { return trace_; }
    const TraceBuffer &Trace() const { return trace_; }
    int16_t ComPort() const { return comPort_; }
    const LineCounts &Counts() const { return counts_; }

    void SetEventPump(EventPump pump) { pump_ = std::move(pump); }
    void SetMsCounter(MsCounter counter) { counter_ = std::move(counter); }

private:
    struct Line;
    using LibraryCall = std::function<int32_t(Line &)>;
    // Runs call on the link thread with the library loaded; nothing when the library is missing
    // (the user is told once) or the link was abandoned.
    std::optional<int32_t> Run(LibraryCall call);
    // Whether the library ran; checksumOk tells what it said of the block.
    bool RequestBlock(bool &checksumOk);
    bool NothingArrived() const;

    UserDialogs &dialogs_;
    // The library and its trace array: touched only by jobs on the link thread, and shared with
    // them because a job abandoned on a silent line may outlive this object.
    std::shared_ptr<Line> line_;
    LinkThread link_;
    bool reported_ = false;
    TraceBuffer trace_;
    int16_t comPort_ = 0;
    bool lastFetchSilent_ = false;
    LineCounts counts_;
    EventPump pump_;
    MsCounter counter_;
};

}  // namespace tavrin
