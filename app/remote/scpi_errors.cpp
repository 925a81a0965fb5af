#include "remote/scpi_errors.h"

namespace tavrin::remote {

const char *ErrorText(int code)
{
    switch (code) {
    case kNoError: return "No error";
    case kCommandError: return "Command error";
    case kInvalidCharacter: return "Invalid character";
    case kSyntaxError: return "Syntax error";
    case kDataTypeError: return "Data type error";
    case kParameterNotAllowed: return "Parameter not allowed";
    case kMissingParameter: return "Missing parameter";
    case kUndefinedHeader: return "Undefined header";
    case kHeaderSuffixOutOfRange: return "Header suffix out of range";
    case kInvalidSuffix: return "Invalid suffix";
    case kExecutionError: return "Execution error";
    case kSettingsConflict: return "Settings conflict";
    case kDataOutOfRange: return "Data out of range";
    case kIllegalParameterValue: return "Illegal parameter value";
    case kQueueOverflow: return "Queue overflow";
    case kQueryInterrupted: return "Query INTERRUPTED";
    case kQueryUnterminated: return "Query UNTERMINATED";
    default: return "Error";
    }
}

uint8_t EventBitOf(int code)
{
    if (code <= -100 && code > -200)
        return kCommandErrorBit;
    if (code <= -200 && code > -300)
        return kExecutionErrorBit;
    if (code <= -300 && code > -400)
        return kDeviceErrorBit;
    if (code <= -400 && code > -500)
        return kQueryErrorBit;
    return 0;
}

void ErrorQueue::Push(int code, std::string detail)
{
    if (errors_.size() >= kCapacity) {
        errors_.back() = {kQueueOverflow, {}};
        return;
    }
    errors_.push_back({code, std::move(detail)});
}

QueuedError ErrorQueue::Pop()
{
    if (errors_.empty())
        return {};
    QueuedError e = std::move(errors_.front());
    errors_.pop_front();
    return e;
}

std::string ErrorResponse(const QueuedError &error)
{
    constexpr size_t kMaxText = 255;
    std::string text = ErrorText(error.code);
    if (!error.detail.empty())
        text += ";" + error.detail;
    if (text.size() > kMaxText)
        text.resize(kMaxText);
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return std::to_string(error.code) + "," + quoted + "\"";
}

}  // namespace tavrin::remote
