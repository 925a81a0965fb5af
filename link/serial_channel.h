// The byte transport to the analyzer: one serial port, raw 8N1 at 57600 baud, no flow control,
// with the instrument's read time-outs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavrin {

struct ReadTimeouts {
    int intervalMs = 200;        // longest gap after a received byte
    int totalPerByteMs = 10;     // whole read: per byte requested ...
    int totalConstantMs = 100;   // ... plus this
};

class SerialChannel {
public:
    SerialChannel() = default;
    ~SerialChannel() { Close(); }
    SerialChannel(const SerialChannel &) = delete;
    SerialChannel &operator=(const SerialChannel &) = delete;

    // Load-time open of COM1; every failure is ignored.
    void Open();
    // Closes the current port, then opens COM1..COM4. False for any other number, when the port
    // cannot be opened (missing, or held by another program) or its line settings are refused.
    bool ChangePort(int32_t port);
    void Close();

    bool Purge();
    // Writes all bytes. Fails when the port is gone or the line has not taken a byte for
    // kWriteStallMs (with no flow control a live line always drains).
    bool Write(const uint8_t *bytes, size_t count);
    // Reads up to count bytes within the read time-outs; a time-out is a success.
    bool Read(uint8_t *bytes, size_t count) { return ReadReply(bytes, count, count, 0); }
    // The same, except that once `complete` bytes are in, the rest gets only lingerMs more: a
    // reply whose meaningful part has arrived need not sit out the end-of-reply gap.
    bool ReadReply(uint8_t *bytes, size_t count, size_t complete, int lingerMs);
    uint32_t LastReadCount() const { return bytesRead_; }
    // One byte at a time, each followed by a one-byte read-back that only paces the sending.
    bool SendEchoed(const uint8_t *bytes, size_t count);

    bool IsOpen() const { return fd_ >= 0; }

    static constexpr int kWriteStallMs = 2000;

private:
    bool OpenAndConfigure(int port);

    int fd_ = -1;
    ReadTimeouts timeouts_;
    uint32_t bytesWritten_ = 0;
    uint32_t bytesRead_ = 0;
};

}  // namespace tavrin
