// The IEEE 488.2 error queue and event status of one SCPI client: the standard error numbers
// and texts, and the bits an error sets in the event status register.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace tavrin::remote {

enum ScpiError : int {
    kNoError = 0,
    kCommandError = -100,
    kInvalidCharacter = -101,
    kSyntaxError = -102,
    kDataTypeError = -104,
    kParameterNotAllowed = -108,
    kMissingParameter = -109,
    kUndefinedHeader = -113,
    kHeaderSuffixOutOfRange = -114,
    kInvalidSuffix = -131,
    kExecutionError = -200,
    kSettingsConflict = -221,
    kDataOutOfRange = -222,
    kIllegalParameterValue = -224,
    kQueueOverflow = -350,
    kQueryInterrupted = -410,
    kQueryUnterminated = -420,
};

// The standard text of a number ("Undefined header"); "Error" for one this server never raises.
const char *ErrorText(int code);

// Bits of the standard event status register.
enum EventStatusBit : uint8_t {
    kOperationComplete = 1 << 0,
    kQueryErrorBit = 1 << 2,
    kDeviceErrorBit = 1 << 3,
    kExecutionErrorBit = 1 << 4,
    kCommandErrorBit = 1 << 5,
};

// The event status bit an error sets (0 for none).
uint8_t EventBitOf(int code);

struct QueuedError {
    int code = 0;
    std::string detail;  // after the standard text, past a ';'
};

// Oldest first, at most kCapacity entries: when it is full the newest entry becomes -350, as the
// standard has it, so that a client learns that errors were lost.
class ErrorQueue {
public:
    static constexpr size_t kCapacity = 20;

    void Push(int code, std::string detail = {});
    // The oldest error, taken out; 0,"No error" when there is none.
    QueuedError Pop();
    void Clear() { errors_.clear(); }
    size_t Count() const { return errors_.size(); }
    bool Empty() const { return errors_.empty(); }

private:
    std::deque<QueuedError> errors_;
};

// The response of SYSTem:ERRor?: -113,"Undefined header;FREQ:CENTRE" (quotes in the detail are
// doubled, the whole text kept within 255 characters).
std::string ErrorResponse(const QueuedError &error);

}  // namespace tavrin::remote
