// The analyzer's byte protocol behind the library's exported functions.
#include "Tavrin.h"
#include "serial_channel.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>

#define TAVRIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using tavrin::SerialChannel;

constexpr size_t kReceiveSize = 1024;  // the largest read is 1018
constexpr size_t kTraceRead = 1018;
constexpr size_t kTraceChecked = 1016;  // bytes 0..1015 are summed; 1016 is the checksum
// A 1018th byte sent straight after the block is on the line within a byte time (0.17 ms); this
// much covers the driver's delivery of it without sitting out the 200 ms end-of-reply gap.
constexpr int kTrailerLingerMs = 5;
// How long a retry waits at most for the line to fall quiet after a rejected block.
constexpr auto kSettleLimit = std::chrono::milliseconds(300);

// The one channel of the process: opened on COM1 when the library is loaded, closed when it is
// unloaded. The buffers belong to it and are shared by every command.
struct Link {
    SerialChannel channel;
    uint8_t commandBuffer[16] = {};
    uint8_t receiveBuffer[kReceiveSize] = {};
    Link() { channel.Open(); }
};

Link g_link;

SerialChannel &Channel() { return g_link.channel; }

// A read that fails at once (no port) would otherwise spin while a whole-second clock runs out.
void BackOff() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

void SendText(const char *text, bool crOnly)
{
    size_t n = std::strlen(text);
    std::memcpy(g_link.commandBuffer, text, n);
    if (crOnly) {
        g_link.commandBuffer[n++] = '\r';
    } else {
        g_link.commandBuffer[n++] = '\n';
        g_link.commandBuffer[n++] = '\r';
    }
    (void)Channel().SendEchoed(g_link.commandBuffer, n);
}

int32_t SendSettingFrame(char letter, int32_t index)
{
    uint8_t *f = g_link.commandBuffer;
    f[0] = 0x55;
    f[1] = static_cast<uint8_t>(letter);
    f[2] = static_cast<uint8_t>(static_cast<uint32_t>(index) + 1u);
    std::memset(f + 3, '0', 6);
    (void)Channel().SendEchoed(f, 9);  // a send that failed part-way still reports success
    return 1;
}

void WriteControl(uint8_t byte) { (void)Channel().Write(&byte, 1); }

// The reply of the three queries: one lead byte, N reply bytes (each waited for up to one
// wall-clock second while reads fail), two trailing bytes. False when the reply stopped.
bool ReadQueryReply(size_t n, uint8_t *reply)
{
    uint8_t *rx = g_link.receiveBuffer;
    (void)Channel().Read(rx, 1);
    for (size_t i = 0; i < n; ++i) {
        std::time_t t0 = std::time(nullptr);
        while (!Channel().Read(rx, 1) && std::time(nullptr) - t0 < 1)
            BackOff();
        reply[i] = rx[0];
        if (Channel().LastReadCount() == 0)
            return false;
    }
    (void)Channel().Read(rx, 1);
    (void)Channel().Read(rx, 1);
    return true;
}

int32_t LeadingInteger(const char *text)
{
    int value = 0;
    if (std::sscanf(text, "%d", &value) != 1)
        return 0;
    return value;
}

uint32_t Magnitude(int32_t v) { return v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v); }

// One trace request: write 0xA5, read the block, copy bytes 0..1015 into the array and check the
// sum. A block shorter than 1017 bytes fails, and the part that never arrived is marked 0xFF so
// that nothing left over from an older reply can pass for trace points.
bool TraceAttempt(uint8_t *array)
{
    WriteControl(0xA5);
    uint8_t *rx = g_link.receiveBuffer;
    (void)Channel().ReadReply(rx, kTraceRead, TAVRIN_TRACE_BLOCK_SIZE, kTrailerLingerMs);
    const size_t got = Channel().LastReadCount();
    const bool complete = got >= TAVRIN_TRACE_BLOCK_SIZE;
    unsigned sum = 0;
    for (size_t i = 0; i < kTraceChecked; ++i) {
        uint8_t b = (complete || i < got) ? rx[i] : 0xFF;
        array[i] = b;
        sum += b;
    }
    return complete && static_cast<uint8_t>(sum) == rx[kTraceChecked];
}

// Before a retry: a read that ended on a complete block did not wait for the line to fall quiet,
// and whatever still comes (a late 1018th byte, the rest of a garbled reply) must not open the
// retried block. Wait for one empty read time-out, bounded so that a chattering line cannot hold
// us, then purge.
void SettleBeforeRetry()
{
    if (Channel().LastReadCount() >= TAVRIN_TRACE_BLOCK_SIZE) {
        const auto end = std::chrono::steady_clock::now() + kSettleLimit;
        uint8_t scratch = 0;
        while (std::chrono::steady_clock::now() < end && Channel().Read(&scratch, 1) &&
               Channel().LastReadCount() > 0) {
        }
    }
    (void)Channel().Purge();
}

}  // namespace

TAVRIN_EXPORT int32_t CHANGECOMPORT(int32_t port)
{
    return Channel().ChangePort(port) ? 1 : 0;
}

TAVRIN_EXPORT int32_t SETFREQ(int32_t kHz)
{
    // "UF" and the decimal text of kHz, zero-padded in front to seven characters (a '-' stays
    // where it was written); a longer text is cut to its first seven characters.
    char digits[16];
    const int len = std::snprintf(digits, sizeof digits, "%d", static_cast<int>(kHz));
    const int pad = len < 7 ? 7 - len : 0;
    uint8_t *f = g_link.commandBuffer;
    f[0] = 'U';
    f[1] = 'F';
    for (int i = 0; i < 7; ++i)
        f[2 + i] = static_cast<uint8_t>(i < pad ? '0' : digits[i - pad]);
    const int32_t result = Channel().Purge() ? 1 : 0;
    (void)Channel().SendEchoed(f, 9);
    return result;
}

TAVRIN_EXPORT int32_t SETSPAN(int32_t index)
{
    return SendSettingFrame('S', index);
}

TAVRIN_EXPORT int32_t SETREFLVL(int32_t code)
{
    int32_t result = Channel().Purge() ? 1 : 0;
    (void)SendSettingFrame('L', code);
    return result;
}

TAVRIN_EXPORT int32_t SETRBW(int32_t code)
{
    int32_t result = Channel().Purge() ? 1 : 0;
    (void)SendSettingFrame('R', code);
    return result;
}

TAVRIN_EXPORT int32_t GETSERIALNUM(void)
{
    (void)Channel().Purge();
    WriteControl('j');
    uint8_t *rx = g_link.receiveBuffer;
    (void)Channel().Read(rx, 5);
    if (Channel().LastReadCount() != 5)
        return 999999;
    int32_t result = 0;
    for (int i = 0; i < 5; ++i)
        result = result * 10 + (static_cast<int32_t>(rx[i]) - 48);
    return result;
}

TAVRIN_EXPORT int32_t GETANALYZERTRACEDATA(TavrinByteArray **array)
{
    if (!array)
        return 0;
    TavrinByteArrayRelease(*array);
    *array = nullptr;
    auto *fresh = static_cast<TavrinByteArray *>(std::malloc(sizeof(TavrinByteArray)));
    auto *data = static_cast<uint8_t *>(std::calloc(TAVRIN_TRACE_ARRAY_SIZE, 1));
    if (!fresh || !data) {
        std::free(fresh);
        std::free(data);
        return 0;
    }
    fresh->count = TAVRIN_TRACE_ARRAY_SIZE;
    fresh->data = data;
    *array = fresh;

    (void)Channel().Purge();
    if (TraceAttempt(data))
        return 1;
    SettleBeforeRetry();
    return TraceAttempt(data) ? 1 : 0;
}

TAVRIN_EXPORT int32_t STARTSTREAMING(void)
{
    (void)Channel().Purge();
    WriteControl(0xAA);
    WriteControl(0x55);
    const std::time_t t0 = std::time(nullptr);
    bool after55 = false;
    bool done = false;
    uint8_t *rx = g_link.receiveBuffer;
    for (;;) {
        if (!Channel().Read(rx, 1))
            BackOff();
        if (Channel().LastReadCount() > 0) {
            const uint8_t b = rx[0];
            if (after55 && b == 0xAA)
                done = true;
            else if (after55)
                after55 = false;
            else if (b == 0x55)
                after55 = true;
        }
        if (std::time(nullptr) - t0 > 2)
            return 0;
        if (done)
            return 1;
    }
}

TAVRIN_EXPORT int32_t STOPSTREAMING(void)
{
    WriteControl(0xAA);
    const std::time_t t0 = std::time(nullptr);
    bool any = false;
    uint8_t *rx = g_link.receiveBuffer;
    while (std::time(nullptr) - t0 < 1) {
        if (!Channel().Read(rx, 1))
            BackOff();
        if (Channel().LastReadCount() > 0)
            any = true;
    }
    if (!any)
        return 0;
    WriteControl(0x55);
    return 1;
}

TAVRIN_EXPORT int32_t GETMARKERLEVEL(int32_t marker)
{
    (void)Channel().Purge();
    SendText(marker == 1 ? "MKR:LEV 0" : "MKR:LEV 1", true);
    uint8_t reply[3];
    if (!ReadQueryReply(3, reply))
        return 0;
    return static_cast<int16_t>(static_cast<uint16_t>((reply[1] << 8) | reply[2]));
}

TAVRIN_EXPORT int32_t MARKERTOPEAK(void)
{
    (void)Channel().Purge();
    SendText("MKR:PKSR", false);
    return 1;
}

TAVRIN_EXPORT int32_t MARKERTOCENTER(void)
{
    (void)Channel().Purge();
    SendText("MKR:M2C", false);
    return 1;
}

TAVRIN_EXPORT int32_t STARTTG(void)
{
    (void)Channel().Purge();
    SendText("GEN:DISP", false);
    return 1;
}

TAVRIN_EXPORT int32_t EXITTG(void)
{
    (void)Channel().Purge();
    SendText("GEN:EXIT", false);
    return 1;
}

TAVRIN_EXPORT int32_t NORMALIZETG(void)
{
    (void)Channel().Purge();
    SendText("GEN:NRM", false);
    return 1;
}

TAVRIN_EXPORT int32_t TGONOFF(int32_t on)
{
    (void)Channel().Purge();
    SendText(on == 1 ? "GEN:MDE ON" : "GEN:MDE OFF", false);
    return 1;
}

TAVRIN_EXPORT int32_t TGLEVEL(int32_t level)
{
    (void)Channel().Purge();
    const uint32_t m = Magnitude(level);
    if (m >= 60)
        return 0;
    char text[16];
    std::snprintf(text, sizeof text, "GEN:LEV -%02u", m);
    SendText(text, false);
    return 1;
}

TAVRIN_EXPORT int32_t TGOFFSET(int32_t offset)
{
    (void)Channel().Purge();
    const uint32_t m = Magnitude(offset);
    if (m >= 100)
        return 0;
    char text[16];
    std::snprintf(text, sizeof text, "GEN:OFF %c%02u", offset >= 0 ? '+' : '-', m);
    SendText(text, false);
    return 1;
}

TAVRIN_EXPORT int32_t EXTREF(int32_t on)
{
    (void)Channel().Purge();
    SendText(on == 1 ? "REF ON" : "REF OFF", false);
    return 1;
}

TAVRIN_EXPORT int32_t SWVERSION(void)
{
    (void)Channel().Purge();
    SendText("OPT:VER", true);
    uint8_t reply[18];
    if (!ReadQueryReply(18, reply))
        return 0;
    const char text[4] = {static_cast<char>(reply[5]), static_cast<char>(reply[7]), static_cast<char>(reply[8]), 0};
    return LeadingInteger(text);
}

TAVRIN_EXPORT int32_t FPGAVERSION(void)
{
    (void)Channel().Purge();
    SendText("OPT:FPGA", true);
    uint8_t reply[3];
    if (!ReadQueryReply(3, reply))
        return 0;
    const char text[3] = {static_cast<char>(reply[0]), static_cast<char>(reply[2]), 0};
    return LeadingInteger(text);
}

TAVRIN_EXPORT int32_t ECHOON(void)
{
    (void)Channel().Purge();
    SendText("ECHO ON", false);
    return 1;
}

TAVRIN_EXPORT int32_t ECHOOFF(void)
{
    (void)Channel().Purge();
    SendText("ECHO OFF", false);
    return 1;
}

TAVRIN_EXPORT int32_t ChangeComPort(int32_t) __attribute__((alias("CHANGECOMPORT")));
TAVRIN_EXPORT int32_t GetSerialNum(void) __attribute__((alias("GETSERIALNUM")));
TAVRIN_EXPORT int32_t SetFreq(int32_t) __attribute__((alias("SETFREQ")));
TAVRIN_EXPORT int32_t SetRBW(int32_t) __attribute__((alias("SETRBW")));
TAVRIN_EXPORT int32_t SetReflvl(int32_t) __attribute__((alias("SETREFLVL")));
TAVRIN_EXPORT int32_t SetSpan(int32_t) __attribute__((alias("SETSPAN")));
