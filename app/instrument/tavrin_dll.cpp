#include "instrument/tavrin_dll.h"

#include "common/rounding.h"
#include "common/text_number.h"
#include "instrument/port_diagnosis.h"
#include "measure/measurement_state.h"

#include <QCoreApplication>
#include <algorithm>
#include <atomic>
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

bool SerialNumberAnswers(const std::string &serialText) { return serialText.compare("99999") < 0; }

uint32_t ElapsedMs(uint32_t now, uint32_t start) { return now - start; }  // unsigned: modulo 2^32

uint32_t SystemMsCounter()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

struct TavrinDLL::Line {
    explicit Line(std::string path) : library(std::move(path)) {}
    ~Line()
    {
        TavrinByteArrayRelease(array);
        if (keepLoaded)
            library.KeepLoaded();
    }
    const TavrinExports &Exports() const { return library.Exports(); }

    TavrinLibrary library;
    TavrinByteArray *array = nullptr;  // the library's last trace array, released by its next fetch
    std::atomic<bool> keepLoaded{false};
};

namespace {

// The library's read cannot be cancelled; a stuck call is not waited on for longer than this.
constexpr std::chrono::milliseconds kStopGrace{500};

}  // namespace

TavrinDLL::TavrinDLL(UserDialogs &dialogs, std::string libraryPath)
    : dialogs_(dialogs), line_(std::make_shared<Line>(std::move(libraryPath))), pump_(DefaultPump),
      counter_(SystemMsCounter)
{
}

TavrinDLL::~TavrinDLL()
{
    // Unloading under a running call would pull the code from under it; the process's exit
    // closes the port instead.
    if (!link_.Stop(kStopGrace))
        line_->keepLoaded = true;
}

std::optional<int32_t> TavrinDLL::Run(LibraryCall call)
{
    struct Outcome {
        bool loaded = false;
        int32_t value = 0;
        std::string error;
    };
    auto outcome = std::make_shared<Outcome>();
    // The job holds all it touches: abandoned, it may still run after this returns.
    const bool done = link_.Call([line = line_, outcome, call = std::move(call)] {
        outcome->loaded = line->library.Load();
        if (outcome->loaded)
            outcome->value = call(*line);
        else
            outcome->error = line->library.Error();
    });
    if (!done)
        return std::nullopt;
    // The job is complete, so its outcome is ours to read.
    if (outcome->loaded)
        return outcome->value;
    if (!reported_) {
        reported_ = true;
        dialogs_.ShowMessage("TavrinRemote", outcome->error +
                                                 "\nThe instrument cannot be reached until the program is "
                                                 "installed with its library.");
    }
    return std::nullopt;
}


bool TavrinDLL::RequestBlock(bool &checksumOk)
{
    auto block = std::make_shared<std::vector<uint8_t>>();
    const std::optional<int32_t> result = Run([block](Line &line) {
        const int32_t sum = line.Exports().GETANALYZERTRACEDATA(&line.array);
        if (line.array && line.array->data && line.array->count > 0)
            block->assign(line.array->data, line.array->data + line.array->count);
        return sum;
    });
    if (!result)
        return false;
    checksumOk = *result == 1;
    if (block->empty())
        trace_.block.assign(kBlockSize, 0xFF);  // no array: nothing usable arrived
    else
        trace_.block = std::move(*block);
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

bool TavrinDLL::FetchTrace()
{
    lastFetchSilent_ = false;
    // An invalid block leaves the points untouched. The points are what decides: a block that
    // failed the checksum with valid points is taken, and counted.
    for (int attempt = 0; attempt < kMaxFetchAttempts; ++attempt) {
        bool checksumOk = false;
        if (!RequestBlock(checksumOk)) {
            lastFetchSilent_ = !link_.Abandoned();  // a program leaving has not lost its line
            return false;
        }
        pump_();
        const bool valid = ParseTracePoints();
        if (valid && checksumOk)
            return true;
        if (!valid && NothingArrived()) {
            ++counts_.timeouts;
            lastFetchSilent_ = true;
            return false;  // a silent line will not answer a second request either
        }
        ++counts_.rejected;
        if (valid)
            return true;
    }
    return false;
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

BlockReport TavrinDLL::Report()
{
    return {BlockCenterFreq(), BlockSpan(), BlockRefLevel(), BlockRBW()};
}

void TavrinDLL::SendCenterFreq(double mhz)
{
    const int32_t kHz = RoundHalfEvenToInt32(mhz * 1000.0);
    Run([kHz](Line &line) { return line.Exports().SETFREQ(kHz); });
}

void TavrinDLL::SendSpan(std::string_view caption)
{
    const int32_t row = SpanToIndex(caption);  // a caption not in the table gives row 0
    Run([row](Line &line) { return line.Exports().SETSPAN(row); });
}

void TavrinDLL::SendRefLevel(int16_t dbm)
{
    auto it = std::find(kRefLevelsDbm.begin(), kRefLevelsDbm.end(), dbm);
    if (it == kRefLevelsDbm.end())
        return;
    const auto code = static_cast<int32_t>(it - kRefLevelsDbm.begin());
    Run([code](Line &line) { return line.Exports().SETREFLVL(code); });
}

void TavrinDLL::SendRBW(std::string_view caption)
{
    const std::string wanted = ToUpperAscii(TrimSpaces(caption));
    auto it = std::find(kRbwCaptions.begin(), kRbwCaptions.end(), wanted);
    if (it == kRbwCaptions.end())
        return;
    const auto code = static_cast<int32_t>(it - kRbwCaptions.begin());
    Run([code](Line &line) { return line.Exports().SETRBW(code); });
}

void TavrinDLL::SelectComPort(int16_t port)
{
    comPort_ = port;
    // Port 0 closes the library's port: what it had open is no longer what the user chose.
    const int32_t open = port >= 1 && port <= 4 && PortNotConnected(port) ? 0 : port;
    Run([open](Line &line) { return line.Exports().CHANGECOMPORT(open); });
}

void TavrinDLL::SelectPortUnlessHeld(int port, const std::function<bool(int port)> &heldElsewhere)
{
    if (heldElsewhere && heldElsewhere(port))
        dialogs_.ShowMessage(QCoreApplication::applicationName().toStdString(),
                             "Communication port " + std::to_string(port) + " is used for another application.");
    else
        SelectComPort(static_cast<int16_t>(port));
}

std::string TavrinDLL::SerialNumText()
{
    const std::optional<int32_t> serial = Run([](Line &line) { return line.Exports().GETSERIALNUM(); });
    if (serial == 999999)
        ++counts_.timeouts;
    return std::to_string(serial.value_or(999999));
}

int32_t TavrinDLL::SoftwareVersion()
{
    return Run([](Line &line) { return line.Exports().SWVERSION(); }).value_or(0);
}

int32_t TavrinDLL::FpgaVersion()
{
    return Run([](Line &line) { return line.Exports().FPGAVERSION(); }).value_or(0);
}

void TavrinDLL::SendStartTG()
{
    Run([](Line &line) { return line.Exports().STARTTG(); });
}

void TavrinDLL::SendExitTG()
{
    Run([](Line &line) { return line.Exports().EXITTG(); });
}

void TavrinDLL::SendNormalizeTG()
{
    Run([](Line &line) { return line.Exports().NORMALIZETG(); });
}

void TavrinDLL::SendTGOnOff(bool on)
{
    Run([on](Line &line) { return line.Exports().TGONOFF(on ? 1 : 0); });
}

void TavrinDLL::SendTGLevel(int16_t level)
{
    Run([level](Line &line) { return line.Exports().TGLEVEL(level); });
}

void TavrinDLL::SendTGOffset(int16_t offset)
{
    Run([offset](Line &line) { return line.Exports().TGOFFSET(offset); });
}

void TavrinDLL::Pause(double ms)
{
    const uint32_t start = counter_();
    while (!link_.Abandoned() && static_cast<double>(ElapsedMs(counter_(), start)) < ms)
        pump_();
}

}  // namespace tavrin
