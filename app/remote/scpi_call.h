// What a command's handler works with: its unit, the target, and the client it came from (the
// client's status, error queue, data format, replies and overlapped operations).
#pragma once

#include "remote/remote_target.h"
#include "remote/scpi_errors.h"
#include "remote/scpi_syntax.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tavrin::remote {

enum class DataFormat { Ascii, Real32, Real64 };

// What one client has set and what it is told: IEEE 488.2 registers, the error queue, the format
// of its trace data.
struct ClientState {
    ErrorQueue errors;
    uint8_t eventStatus = 0;        // *ESR?
    uint8_t eventStatusEnable = 0;  // *ESE
    uint8_t serviceEnable = 0;      // *SRE
    bool opcArmed = false;          // *OPC given: set bit 0 once the operations are done
    DataFormat format = DataFormat::Ascii;
    bool swapped = false;           // FORMat:BORDer SWAPped: least significant byte first
    unsigned commandErrors = 0;     // -1xx so far: one ends the message

    void Report(int code, std::string detail = {})
    {
        errors.Push(code, std::move(detail));
        eventStatus |= EventBitOf(code);
        if (EventBitOf(code) == kCommandErrorBit)
            ++commandErrors;
    }
};

class Call {
public:
    Call(const ProgramUnit &unit, std::vector<int> suffixes, RemoteTarget &target, ClientState &client)
        : unit(unit), suffixes(std::move(suffixes)), target(target), client(client)
    {
    }
    virtual ~Call() = default;

    const ProgramUnit &unit;
    // One per header node that takes a numeric suffix (MARKer<n>), 1 where none was written.
    const std::vector<int> suffixes;
    RemoteTarget &target;
    ClientState &client;

    const std::vector<Parameter> &Params() const { return unit.params; }
    void Fail(int code, std::string detail = {}) { client.Report(code, std::move(detail)); }

    // One response of the message; the responses of a message are joined by ';'.
    virtual void Reply(std::string response) = 0;
    // An overlapped operation of this client: what follows runs at once, *WAI and *OPC? wait
    // for its Done, and a failure lands in the error queue.
    // trace: one of INITiate's, which ABORt ends.
    virtual Done Operation(bool trace = false) = 0;
    // The client's INITiate operations end at once (their traces are not waited for).
    virtual void AbortTraces() = 0;
    // A reply that comes later: nothing more of this client runs until it is given.
    virtual std::function<void(std::string)> Later() = 0;
    // Nothing more of this client runs until its operations are done; then reply (unless "").
    virtual void WaitForOperations(std::string reply) = 0;
    virtual bool OperationsPending() const = 0;
};

using Handler = void (*)(Call &);

}  // namespace tavrin::remote
