// Small helpers shared by the tests: elapsed time, and the analyzer's setting frames and trace
// blocks built byte by byte from their layout (never with the code's own encoders).
#pragma once

#include <chrono>
#include <csignal>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tavrin::test {

using Bytes = std::vector<uint8_t>;

inline double MsSince(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

inline Bytes ToBytes(const std::string &text) { return Bytes(text.begin(), text.end()); }

inline Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes &p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// A 9-byte setting frame: 0x55, the command letter, the raw value byte, six '0'.
inline Bytes SettingFrame(char letter, uint8_t value)
{
    return Join({{0x55, static_cast<uint8_t>(letter), value}, ToBytes("000000")});
}

// The checksum byte of a trace block: bytes 0..1015 summed modulo 256.
inline uint8_t Checksum(const Bytes &block)
{
    unsigned sum = 0;
    for (size_t i = 0; i < 1016 && i < block.size(); ++i)
        sum += block[i];
    return static_cast<uint8_t>(sum);
}

// Cuts or pads a block to 1017 bytes and sets its checksum byte 1016.
inline Bytes SealBlock(Bytes block)
{
    block.resize(1017);
    block[1016] = Checksum(block);
    return block;
}

// The 16-byte header of a trace block; the defaults are the analyzer's state at power-on.
struct BlockHeader {
    std::string center = "0080000";  // kHz, seven characters
    uint8_t span = 12, ref = 3;      // span index, reference-level code
    std::string rbw = "4MHZ";        // caption, padded to seven with blanks
};

inline Bytes HeaderBytes(const BlockHeader &h)
{
    const std::string codes = {static_cast<char>(h.span), static_cast<char>(h.ref)};
    return ToBytes(h.center.substr(0, 7) + codes + (h.rbw + "       ").substr(0, 7));
}

// A sealed block: the header, point(0..499) low byte first (above 1023: an invalid point), checksum.
inline Bytes TraceBlock(const std::function<uint16_t(int)> &point, const BlockHeader &header = {})
{
    Bytes b = HeaderBytes(header);
    for (int n = 0; n < 500; ++n)
        b.insert(b.end(), {static_cast<uint8_t>(point(n) & 0xFF), static_cast<uint8_t>(point(n) >> 8)});
    return SealBlock(b);
}

// Runs work in a child process whose files may not grow beyond limitBytes, as on a disk that fills
// up: a write across the limit is cut short and the next one fails (EFBIG). True when work
// returned true there.
inline bool WithFileSizeLimit(uint64_t limitBytes, const std::function<bool()> &work)
{
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{limitBytes, limitBytes};
        _exit(setrlimit(RLIMIT_FSIZE, &limit) == 0 && work() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace tavrin::test
