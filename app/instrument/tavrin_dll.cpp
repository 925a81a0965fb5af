#include "instrument/tavrin_dll.h"

#include "common/rounding.h"
#include "common/text_number.h"
#include "measure/measurement_state.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace tavrin {

namespace {

constexpr size_t kFirstPoint = 16;
constexpr size_t kLastPoint = 1012;  // point 498

void DefaultPump()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
    // Keeps a waiting loop from spinning a core.
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace

uint32_t ElapsedMs(uint32_t now, uint32_t start) { return now - start; }  // unsigned: modulo 2^32

uint32_t SystemMsCounter()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

TavrinDLL::TavrinDLL(UserDialogs &dialogs, std::string libraryPath)
    : dialogs_(dialogs), library_(std::move(libraryPath)), pump_(DefaultPump), counter_(SystemMsCounter)
{
}

TavrinDLL::~TavrinDLL() { TavrinByteArrayRelease(array_); }

const TavrinExports *TavrinDLL::Lib()
{
    if (library_.Load())
        return &library_.Exports();
    if (!reported_) {
        reported_ = true;
        dialogs_.ShowMessage("TavrinRemote", library_.Error() +
                                                 "\nThe instrument cannot be reached until the program is "
                                                 "installed with its library.");
    }
    return nullptr;
}

bool TavrinDLL::RequestBlock()
{
    const TavrinExports *lib = Lib();
    if (!lib)
        return false;
    (void)lib->GETANALYZERTRACEDATA(&array_);  // the points are validated below, not the checksum
    if (array_ && array_->data && array_->count > 0)
        trace_.block.assign(array_->data, array_->data + array_->count);
    else
        trace_.block.assign(kBlockSize, 0xFF);  // no array: nothing usable arrived
    return true;
}

bool TavrinDLL::NothingArrived() const
{
    // The library marks every byte that never came as 0xFF; a real block starts with digits.
    const size_t n = std::min<size_t>(trace_.block.size(), kLastPoint + 2);
    return std::all_of(trace_.block.begin(), trace_.block.begin() + static_cast<std::ptrdiff_t>(n),
                       [](uint8_t b) { return b == 0xFF; });
}

bool TavrinDLL::ParseTracePoints()
{
    if (trace_.block.size() < kLastPoint + 2)
        return false;
    LiveTrace decoded = trace_.points;
    for (size_t i = kFirstPoint; i <= kLastPoint; i += 2) {
        const uint8_t low = trace_.block[i];
        const uint8_t high = trace_.block[i + 1];
        if (high > 3)
            return false;
        decoded[(i - kFirstPoint) / 2] = static_cast<int16_t>(high * 256 + low);
    }
    trace_.points = decoded;
    return true;
}

bool TavrinDLL::FetchTrace(int count)
{
    count = std::max(count, 1);
    lastFetchSilent_ = false;
    const auto before = trace_.points;
    std::array<double, kTracePoints> sums{};
    for (int k = 0; k < count; ++k) {
        bool valid = false;
        for (int attempt = 0; attempt < kMaxFetchAttempts && !valid; ++attempt) {
            if (!RequestBlock()) {
                lastFetchSilent_ = true;
                break;
            }
            pump_();
            valid = ParseTracePoints();
            if (!valid && NothingArrived()) {
                lastFetchSilent_ = true;
                break;  // a silent line will not answer a second request either
            }
        }
        if (!valid) {
            trace_.points = before;
            return false;
        }
        for (size_t j = 0; j < kTracePoints; ++j)
            sums[j] += trace_.points[j];
    }
    for (size_t j = 0; j < kTracePoints; ++j)
        trace_.points[j] = static_cast<int16_t>(RoundHalfEven(sums[j] / count));
    return true;
}

double TavrinDLL::BlockCenterFreq()
{
    std::string text;
    for (size_t i = 0; i < 7 && i < trace_.block.size(); ++i)
        text = TrimSpaces(text) + static_cast<char>(trace_.block[i]);
    trace_.blockCenterMHz = NumericValue(text) / 1000.0;
    return trace_.blockCenterMHz;
}

std::string TavrinDLL::BlockSpan() const
{
    if (trace_.block.size() <= 7 || trace_.block[7] >= kSpanCaptions.size())
        return {};
    return std::string(kSpanCaptions[trace_.block[7]]);
}

int16_t TavrinDLL::BlockRefLevel() const
{
    if (trace_.block.size() <= 8 || trace_.block[8] >= kRefLevelsDbm.size())
        return 0;
    return kRefLevelsDbm[trace_.block[8]];
}

std::string TavrinDLL::BlockRBW() const
{
    std::string text;
    for (size_t i = 9; i <= 15 && i < trace_.block.size(); ++i)
        text = TrimSpaces(text) + static_cast<char>(trace_.block[i]);
    return text;
}

void TavrinDLL::SendCenterFreq(double mhz)
{
    if (const TavrinExports *lib = Lib())
        lib->SETFREQ(RoundHalfEvenToInt32(mhz * 1000.0));
}

void TavrinDLL::SendSpan(std::string_view caption)
{
    if (const TavrinExports *lib = Lib())
        lib->SETSPAN(SpanToIndex(caption));  // a caption not in the table gives row 0
}

void TavrinDLL::SendRefLevel(int16_t dbm)
{
    auto it = std::find(kRefLevelsDbm.begin(), kRefLevelsDbm.end(), dbm);
    if (it == kRefLevelsDbm.end())
        return;
    if (const TavrinExports *lib = Lib())
        lib->SETREFLVL(static_cast<int32_t>(it - kRefLevelsDbm.begin()));
}

void TavrinDLL::SendRBW(std::string_view caption)
{
    const std::string wanted = ToUpperAscii(TrimSpaces(caption));
    auto it = std::find(kRbwCaptions.begin(), kRbwCaptions.end(), wanted);
    if (it == kRbwCaptions.end())
        return;
    if (const TavrinExports *lib = Lib())
        lib->SETRBW(static_cast<int32_t>(it - kRbwCaptions.begin()));
}

void TavrinDLL::SelectComPort(int16_t port)
{
    comPort_ = port;
    if (const TavrinExports *lib = Lib())
        lib->CHANGECOMPORT(port);
}

std::string TavrinDLL::SerialNumText()
{
    const TavrinExports *lib = Lib();
    return std::to_string(lib ? lib->GETSERIALNUM() : 999999);
}

void TavrinDLL::SendStartTG()
{
    if (const TavrinExports *lib = Lib())
        lib->STARTTG();
}

void TavrinDLL::SendExitTG()
{
    if (const TavrinExports *lib = Lib())
        lib->EXITTG();
}

void TavrinDLL::SendNormalizeTG()
{
    if (const TavrinExports *lib = Lib())
        lib->NORMALIZETG();
}

void TavrinDLL::SendTGOnOff(bool on)
{
    if (const TavrinExports *lib = Lib())
        lib->TGONOFF(on ? 1 : 0);
}

void TavrinDLL::SendTGLevel(int16_t level)
{
    if (const TavrinExports *lib = Lib())
        lib->TGLEVEL(level);
}

void TavrinDLL::SendTGOffset(int16_t offset)
{
    if (const TavrinExports *lib = Lib())
        lib->TGOFFSET(offset);
}

void TavrinDLL::Pause(double ms)
{
    const uint32_t start = counter_();
    while (static_cast<double>(ElapsedMs(counter_(), start)) < ms)
        pump_();
}

}  // namespace tavrin
